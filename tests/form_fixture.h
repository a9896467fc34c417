#pragma once
// A window with its own settings file, an ephemeral listening port and a notifier that records.

#include "entry_fields.h"
#include "form.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace test {

using namespace velmar;

struct RecordingNotifier : Notifier
{
    QStringList messages;
    QStringList errors;
    void message(QWidget *, const QString &text) override { messages << text; }
    void error(QWidget *, const QString &text) override { errors << text; }
};

struct FormFixture
{
    QTemporaryDir dir;
    RecordingNotifier notifier;
    RunSettings run;
    std::unique_ptr<TForm1_Config_UDP> form;

    FormFixture()
    {
        run.listenPort = 0;
        run.settingsPath = dir.filePath("exe/VelmarCom.ini");
        run.fallbackSettingsPath = dir.filePath("user/VelmarCom.ini");
        run.echoServiceUrl = QUrl("http://127.0.0.1:9/");
        run.readBackIntervalMs = 50;
        QDir().mkpath(dir.filePath("exe"));
    }

    TForm1_Config_UDP &open()
    {
        form = std::make_unique<TForm1_Config_UDP>(run, notifier);
        return *form;
    }

    // Closes the window as the operator would, then forgets it.
    void close()
    {
        form->close();
        form.reset();
    }

    // A settings path nobody can write, root included: its folder is a plain file.
    QString unwritablePath(const QString &file = QStringLiteral("VelmarCom.ini"))
    {
        QFile blocker(dir.filePath("blocked"));
        blocker.open(QIODevice::WriteOnly);
        return dir.filePath("blocked/" + file);
    }

    void writeSettings(const QByteArray &text)
    {
        QFile file(run.settingsPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QByteArray settingsText() const
    {
        QFile file(run.settingsPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

// A key typed into the focused widget, as a real keyboard delivers it (keyClicks aborts on non-Latin).
inline void type(QWidget *widget, int key, const QString &text = QString(),
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

inline void typeText(QWidget *widget, const QString &text)
{
    for (QChar ch : text) {
        const int key = ch.isLetter()            ? Qt::Key_A + (ch.toUpper().unicode() - 'A')
                        : ch.isDigit()           ? Qt::Key_0 + (ch.unicode() - '0')
                        : ch == QLatin1Char(' ') ? Qt::Key_Space
                                                 : Qt::Key_unknown;
        type(widget, key, QString(ch));
    }
}

inline QStringList texts(const std::array<NumericEdit *, 4> &fields)
{
    QStringList out;
    for (auto *field : fields)
        out << field->valueText();
    return out;
}

inline QStringList texts(const std::array<HexByteEdit *, 6> &fields)
{
    QStringList out;
    for (auto *field : fields)
        out << field->text();
    return out;
}

inline void setOctets(const std::array<NumericEdit *, 4> &fields, std::array<int, 4> values)
{
    for (int k = 0; k < 4; ++k)
        fields[k]->setValue(values[k]);
}

}  // namespace test
