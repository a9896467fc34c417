// velmarcom: the configurator of the lift dispatch network's controller boards.

#include "form.h"

#include <QApplication>

#include <exception>

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

}  // namespace

int main(int argc, char *argv[])
{
    MessageBoxNotifier notifier;
    Application app(argc, argv, notifier);
    // The title of the application (its message boxes, the task manager). Not the display name: Qt would
    // append that to the window's own caption.
    QApplication::setApplicationName(QStringLiteral("Конфігуратор V-8.6"));

    TForm1_Config_UDP Form1_Config_UDP(RunSettings{}, notifier);
    Form1_Config_UDP.show();
    return app.exec();
}
