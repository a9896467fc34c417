// The start-up children of velmar-bench, each its own small program so that none loads more than its
// kind needs: velmar-start-window (the configurator as the program starts it), velmar-start-plain (a
// plain Qt form with the same controls, made the ordinary way) and velmar-start-bare (a bare window with
// one label). "startup": prints the monotonic time of the first paint and the peak memory then, and ends;
// "idle": shows the window and stays until killed.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

#if defined(START_WINDOW)
#include "form.h"
#include "startup.h"
#elif defined(START_PLAIN)
#include "design.h"
#endif

namespace velmar {
}
using namespace velmar;

namespace {

// A widget that says when it is first painted.
class PaintWatch : public QObject
{
public:
    std::function<void()> onPaint;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && onPaint)
            QTimer::singleShot(0, std::exchange(onPaint, nullptr));
        return false;
    }
};

void ReportFirstPaint()
{
    long peakKiB = 0;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                peakKiB = line.mid(6).trimmed().split(' ').value(0).toLong();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::printf("%lld %ld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()), peakKiB);
    std::fflush(stdout);
    QCoreApplication::quit();
}

#if defined(START_WINDOW)
struct Silent : Notifier
{
    void message(QWidget *, const QString &) override {}
    void error(QWidget *, const QString &) override {}
};

std::unique_ptr<QWidget> Make(QApplication &app, const QString &settingsFolder, bool)
{
    static Silent notifier;
    PrepareApplication(app);
    RunSettings run;
    run.listenPort = 0;
    run.settingsPath = settingsFolder + QStringLiteral("/VelmarCom.ini");
    run.fallbackSettingsPath = settingsFolder + QStringLiteral("/user.ini");
    return std::make_unique<TForm1_Config_UDP>(run, notifier);
}
#elif defined(START_PLAIN)
// The same controls as the configurator's, at the same places, with the same texts and font, every one
// made at start with plain Qt widgets: a form as Designer would make it.
std::unique_ptr<QWidget> Make(QApplication &, const QString &, bool)
{
    using namespace design;
    auto form = std::make_unique<QWidget>();
    form->setWindowTitle(QStringLiteral("Конфігуратор плат \"ВЕЛМАР\" 2026-V_8.6"));
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    form->setFont(font);
    QHash<QString, QWidget *> made;
    auto fields = [](QWidget *panel, int count, const char *separator, const QString &text) {
        for (int k = 0; k < count; ++k) {
            (new QLineEdit(text, panel))->setGeometry(5 + 44 * k, 8, 36, 22);
            if (k + 1 < count)
                (new QLabel(QString::fromLatin1(separator), panel))->move(42 + 44 * k, 10);
        }
    };
    for (const Row &row : DesignRows()) {
        QWidget *parent = row.parent ? made.value(QString::fromLatin1(row.parent)) : form.get();
        const QString caption = QString::fromUtf8(row.caption ? row.caption : "http://checkip.dyndns.org/");
        QWidget *widget = nullptr;
        switch (row.kind) {
        case Kind::Label: widget = new QLabel(caption, parent); break;
        case Kind::CheckBox: widget = new QCheckBox(caption, parent); break;
        case Kind::Button:
        case Kind::RetryButton: widget = new QPushButton(caption, parent); break;
        case Kind::Edit:
        case Kind::Number:
        case Kind::Identifier:
            widget = new QLineEdit(caption.isEmpty() ? QStringLiteral("000") : caption, parent);
            break;
        case Kind::GroupBox: widget = new QGroupBox(caption, parent); break;
        case Kind::Panel: widget = new QFrame(parent); break;
        case Kind::ComboBox: widget = new QComboBox(parent); break;
        case Kind::Memo: widget = new QPlainTextEdit(parent); break;
        case Kind::Progress: widget = new QProgressBar(parent); break;
        case Kind::AddressPanel: fields(widget = new QFrame(parent), 4, ".", QStringLiteral("000")); break;
        case Kind::MacPanel: fields(widget = new QFrame(parent), 6, ":", QStringLiteral("00")); break;
        }
        made.insert(QString::fromLatin1(row.name), widget);
        if (row.width > 0)
            widget->setGeometry(row.x, row.y, row.width, row.height);
        else {
            widget->adjustSize();
            widget->move(row.x, row.y);
        }
        widget->setHidden(row.flags & Hidden);
        widget->setEnabled(!(row.flags & Disabled));
    }
    form->setFixedSize(729, 665);
    form->move(DesignLeft, DesignTop);
    return form;
}
#else
// One label that shows text, as the configurator's captions do, in a window of the configurator's size
// (the same pixels to paint and to keep); idle, also an entry field with the focus, whose caret blinks
// as the configurator's does.
std::unique_ptr<QWidget> Make(QApplication &, const QString &, bool idle)
{
    auto window = std::make_unique<QWidget>();
    new QLabel(QStringLiteral("Конфігуратор плат \"ВЕЛМАР\" 2026-V_8.6"), window.get());
    window->resize(729, 665);
    if (idle)
        (new QLineEdit(window.get()))->move(0, 40);
    return window;
}
#endif

}  // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");  // the X benchmark shows these windows on a display
    QApplication app(argc, argv);
    const bool idle = argc > 1 && QByteArray(argv[1]) == "idle";
    std::unique_ptr<QWidget> window = Make(app, QString::fromLocal8Bit(argc > 2 ? argv[2] : "."), idle);
    PaintWatch watch;
    if (!idle) {
        watch.onPaint = ReportFirstPaint;
        window->installEventFilter(&watch);
    }
    window->show();
    return app.exec();
}
