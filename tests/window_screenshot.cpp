// Pictures of the real windows for the README: the configurator fresh, and after the README's first two
// steps (the board's address typed, "Прочитати" pressed) against a stand-in board; the site window in
// Ukrainian with three stand-in boards added by address, one of them written; a practice site in it, and
// its audit; a practice site commissioned, caught as its third board reboots.

#include "audit_view.h"
#include "board.h"
#include "commission_view.h"
#include "form_fixture.h"
#include "loopback.h"
#include "practice_site.h"
#include "site_window.h"
#include "startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

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
    form.close();

    // Two more boards beside the demo board, where those addresses are free.
    std::vector<std::unique_ptr<velmar::StandInBoard>> more;
    QStringList addresses{options.address.toString()};
    for (quint32 host : {1u, 2u}) {
        velmar::BoardOptions next = options;
        next.address = QHostAddress(a + host);
        auto other = std::make_unique<velmar::StandInBoard>(next);
        if (other->start(error)) {
            addresses << next.address.toString();
            more.push_back(std::move(other));
        }
    }
    QTranslator ukrainian;
    if (ukrainian.load(QStringLiteral(":/i18n/velmar-site_uk.qm")))
        QCoreApplication::installTranslator(&ukrainian);
    QTemporaryDir settings;
    SiteWindow::Options siteOptions;
    siteOptions.settingsPath = settings.filePath(QStringLiteral("velmar-site.ini"));
    siteOptions.port = test::freeUdpPort();
    siteOptions.broadcast = false;
    SiteWindow site(siteOptions);
    site.resize(1200, 640);
    site.show();
    const auto settle = [&] {
        QDeadlineTimer deadline(20000);
        do
            QTest::qWait(50);
        while (site.busy() && !deadline.hasExpired());
    };
    site.addBoards(addresses.join(QLatin1Char(' ')));
    settle();
    site.view().setCurrentIndex(site.view().model()->index(0, 0));
    site.findChild<QCheckBox *>(QStringLiteral("consoleDynamic"))->setChecked(true);
    site.field(QStringLiteral("ident")).setValue(1201);
    site.writeAction().trigger();
    settle();
    site.view().resizeColumnsToContents();
    QTest::qWait(300);
    site.grab().save(folder + "/site-window.png");

    // A practice site of five lifts: two boards answer for the second, the last is silent.
    auto *practice = site.findChild<PracticeSite *>();
    PracticeOptions practiceOptions;
    practiceOptions.folder = settings.path();
    practiceOptions.lifts = 5;
    practiceOptions.partial = practiceOptions.slow = true;
    if (!practice->start(practiceOptions, error))
        qFatal("%s", qPrintable(error));
    site.addBoards(practice->range());
    settle();
    site.view().resizeColumnsToContents();
    QTest::qWait(300);
    site.grab().save(folder + "/site-practice.png");
    AuditView audit(
        test::freeUdpPort(), [practice] { return practice->running(); }, &site);
    audit.resize(1100, 520);
    audit.show();
    audit.audit(practice->planPath());
    QDeadlineTimer deadline(60000);
    do
        QTest::qWait(50);
    while (audit.busy() && !deadline.hasExpired());
    audit.table().resizeColumnsToContents();
    QTest::qWait(300);
    audit.grab().save(folder + "/site-audit.png");
    audit.hide();

    PracticeOptions commissionOptions;
    commissionOptions.folder = settings.path();
    commissionOptions.lifts = 6;
    commissionOptions.commissioning = true;
    if (!practice->start(commissionOptions, error))
        qFatal("%s", qPrintable(error));
    CommissionView commission(
        test::freeUdpPort(), [practice] { return practice; }, &site);
    commission.resize(1100, 640);
    commission.show();
    commission.markPractice();
    bool caught = false;
    QObject::connect(&commission, &CommissionView::stepped, &commission, [&](const CommissionEvent &e) {
        if (e.step == CommissionStep::WaitingAtAddress && e.row.position == 3 && !caught) {
            caught = true;
            commission.table().resizeColumnsToContents();
            commission.grab().save(folder + "/site-commission.png");
            commission.cancel();
        }
    });
    commission.start();
    QDeadlineTimer commissioned(120000);
    do
        QTest::qWait(50);
    while (commission.busy() && !commissioned.hasExpired());
    practice->stop();
    return 0;
}
