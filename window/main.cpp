// velmarcom: the configurator of the lift dispatch network's controller boards.

#include "desktop_session.h"
#include "form.h"
#include "startup.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>
#include <exception>

using namespace velmar;

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

// Once the session has ended, nothing waits for an answer the operator can no longer give.
class SessionNotifier : public MessageBoxNotifier
{
public:
    void message(QWidget *parent, const QString &text) override
    {
        if (!SessionEnd::Ended())
            MessageBoxNotifier::message(parent, text);
    }
    void error(QWidget *parent, const QString &text) override
    {
        if (!SessionEnd::Ended())
            MessageBoxNotifier::error(parent, text);
    }
};

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
    if (const char *why = NoGraphicalSession()) {
        std::fputs(why, stderr);
        return 1;
    }
    SessionNotifier notifier;
    ChooseFontEngine();
    Application app(argc, argv, notifier);
    PrepareApplication(app);

    SessionEnd session;
    TForm1_Config_UDP Form1_Config_UDP(RunSettings{}, notifier);
    session.closes(Form1_Config_UDP);
    if (SessionEnd::Ended())
        return 0;
    Form1_Config_UDP.show();
    return app.exec();
}
