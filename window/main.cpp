// velmarcom: the configurator of the lift dispatch network's controller boards.

#include "form.h"
#include "startup.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <exception>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// A last guard: an error that escapes any event goes to the error box, and the program goes on.
class Application : public QApplication
{
public:
    Application(int &argc, char **argv, Notifier &notifier) : QApplication(argc, argv), notifier_(notifier) {}

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception &error) {
            notifier_.error(activeWindow(), QString::fromUtf8(error.what()));
        } catch (...) {
            notifier_.error(activeWindow(), QStringLiteral("Unknown error"));
        }
        return false;
    }

private:
    Notifier &notifier_;
};

#ifdef Q_OS_UNIX
int terminationPipe[2] = {-1, -1};

extern "C" void OnTermination(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(terminationPipe[0], &byte, 1);
}
#endif

// A session ending (logout, shutdown, kill) closes the window as its close box does, so the operator's
// entries are saved. The one platform-specific piece of the program.
void CloseOnTermination(QWidget &window)
{
#ifdef Q_OS_UNIX
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, terminationPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(terminationPipe[1], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
        notifier->setEnabled(false);
        window.close();
    });
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        std::signal(signal, OnTermination);
#else
    Q_UNUSED(window);
#endif
}

}  // namespace

int main(int argc, char *argv[])
{
    const QString option = argc == 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (option == QLatin1String("--version") || option == QLatin1String("--help")) {
        QTextStream out(stdout);
        out << "velmarcom " << VELMAR_VERSION << '\n';
        if (option == QLatin1String("--help"))
            out << "The configurator of the VELMAR lift controller boards: one window, no options.\n"
                   "Its entries are kept in VelmarCom.ini beside the program, or in the user's\n"
                   "configuration folder when installed or when the program's folder cannot be written.\n";
        return 0;
    }
    MessageBoxNotifier notifier;
    Application app(argc, argv, notifier);
    PrepareApplication(app);

    TForm1_Config_UDP Form1_Config_UDP(RunSettings{}, notifier);
    CloseOnTermination(Form1_Config_UDP);
    Form1_Config_UDP.show();
    return app.exec();
}
