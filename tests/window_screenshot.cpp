// Pictures of the real window for the README: fresh, and after the README's first two steps (the board's
// address typed, "Прочитати" pressed) against a stand-in board.

#include "board.h"
#include "form_fixture.h"
#include "startup.h"

#include <QApplication>
#include <QTimer>

using namespace velmar;

int main(int argc, char **argv)
{
    ChooseFontEngine();  // drawn as the program draws, on Windows too
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? argv[1] : QStringLiteral("docs");

    // The demo board's address, or another one when a board already answers there.
    velmar::BoardOptions options;
    std::unique_ptr<velmar::StandInBoard> board;
    QString error;
    for (const char *address : {"127.0.0.2", "127.0.99.2"}) {
        options.address = QHostAddress(QString::fromLatin1(address));
        board = std::make_unique<velmar::StandInBoard>(options);
        if (board->start(error))
            break;
        board.reset();
    }
    if (!board)
        qFatal("%s", qPrintable(error));

    test::FormFixture fixture;
    fixture.run.echoServiceUrl = RunSettings{}.echoServiceUrl;  // shown, never fetched here
    TForm1_Config_UDP &form = fixture.open();
    form.show();
    QTest::qWait(500);
    form.grab().save(folder + "/window.png");

    const quint32 a = options.address.toIPv4Address();
    test::setOctets(form.octets(0), {int(a >> 24), int(a >> 16 & 0xFF), int(a >> 8 & 0xFF), int(a & 0xFF)});
    form.Button8->click();
    QTest::qWait(500);
    form.grab().save(folder + "/window-read.png");
    return 0;
}
