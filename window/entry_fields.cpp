#include "entry_fields.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QRegularExpression>

#include <array>
#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

namespace velmar {

namespace {

constexpr char16_t Backspace = 8, Enter = 13, Escape = 27;
constexpr char16_t CtrlA = 1, CtrlC = 3, CtrlV = 22, CtrlX = 24;

// Leaving the window for another one is not leaving the field.
bool MovesWithinWindow(const QFocusEvent *event)
{
    return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
}

// The window's hook sees a typed character first and may change or drop it; false when dropped.
bool HookKeeps(const FieldHooks &hooks, QWidget *field, QChar &key)
{
    if (hooks.keyPress)
        hooks.keyPress(field, key);
    return !key.isNull();
}

}  // namespace

std::optional<QChar> TypedCharacter(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Backspace: return QChar(Backspace);
    case Qt::Key_Return:
    case Qt::Key_Enter: return QChar(Enter);
    case Qt::Key_Escape: return QChar(Escape);
    case Qt::Key_Delete: return std::nullopt;
    default: break;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
            return QChar(char16_t(event->key() - Qt::Key_A + 1));
        return std::nullopt;
    }
    const QString text = event->text();
    if (text.isEmpty() || text[0].unicode() < 32 || text[0].unicode() == 127)
        return std::nullopt;
    return text[0];
}

// ---- NumericEdit --------------------------------------------------------------------------------

// A QLineEdit made with a text lays it out in the application's font before it takes the window's, and
// again after: the text comes once the field is made (here from refresh()).
NumericEdit::NumericEdit(const Limits &limits, QWidget *parent) : QLineEdit(parent), limits_(limits)
{
    // Every way text comes in (keys, Shift+Insert, the X11 selection, an input method) passes the same
    // rule as a typed key or Ctrl+V: the text it would make is taken whole or not at all. The length is
    // the rule's too: a maximum length of the line edit would cut a paste short and take the rest.
    setValidator(new Rule(*this));
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    refresh();
}

QValidator::State NumericEdit::Rule::validate(QString &input, int &) const
{
    if (field_.acceptable(input))
        return Acceptable;
    // A lone point stays while it is being edited (a Backspace from "1." leaves it); left so, the field
    // takes its value back.
    return input.trimmed() == QLatin1String(".") ? Intermediate : Invalid;
}

void NumericEdit::setValue(double value)
{
    value_ = std::clamp(value, 0.0, limits_.maxValue);
    refresh();
}

bool NumericEdit::keepValue(double value)
{
    value_ = std::clamp(value, 0.0, limits_.maxValue);
    if (editing_) {
        refresh();
        return false;
    }
    return !std::exchange(kept_, true);
}

QString NumericEdit::valueText() const
{
    return DisplayText(value_, limits_);
}

QString NumericEdit::DisplayText(double value, const Limits &limits)
{
    // Octets are shown for every byte of every reply: their texts are made once and shared.
    static const std::array<QString, 256> octetTexts = [] {
        std::array<QString, 256> texts;
        for (int k = 0; k < 256; ++k)
            texts[k] = QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0'));
        return texts;
    }();
    const long long rounded = std::llround(value);
    if (limits.threeDigits && rounded >= 0 && rounded < 256)
        return octetTexts[std::size_t(rounded)];
    return limits.threeDigits ? QStringLiteral("%1").arg(rounded, 3, 10, QLatin1Char('0'))
                              : QString::number(rounded);
}

QString NumericEdit::editText() const
{
    return editing_ ? text() : plainText();
}

QString NumericEdit::plainText() const
{
    if (value_ == 0)
        return QString();
    QString plain = QString::number(value_, 'f', limits_.decimals);
    if (plain.contains(QLatin1Char('.'))) {
        while (plain.endsWith(QLatin1Char('0')))
            plain.chop(1);
        if (plain.endsWith(QLatin1Char('.')))
            plain.chop(1);
    }
    return plain;
}

namespace {
// The number a value text stands for: 0 for an empty one, nothing for one that is no number.
std::optional<double> NumberOf(const QString &text)
{
    // No field shows more than a few digits; a longer text, say a hand-edited file's, is no number to
    // spend time on.
    constexpr qsizetype LongestNumber = 64;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return 0;
    if (trimmed.size() > LongestNumber)
        return std::nullopt;
    bool ok = false;
    const double number = QString(trimmed).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}
}  // namespace

void NumericEdit::setValueText(const QString &text)
{
    const std::optional<double> number = NumberOf(text);
    if (!number)
        throw std::invalid_argument(QStringLiteral("'%1' is not a valid number").arg(text).toStdString());
    setValue(*number);
}

bool NumericEdit::IsValueText(const QString &text)
{
    return NumberOf(text).has_value();
}

void NumericEdit::refresh()
{
    kept_ = false;
    const QString shown = editing_ ? plainText() : valueText();
    if (shown != text())
        setText(shown);
}

bool NumericEdit::acceptable(const QString &text) const
{
    if (text.size() > limits_.maxLength)
        return false;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return true;
    static const QRegularExpression number(QStringLiteral("^(\\d*)(\\.(\\d*))?$"));
    const auto match = number.match(trimmed);
    if (!match.hasMatch() || trimmed == QLatin1String("."))
        return false;
    if (match.hasCaptured(2) && (limits_.decimals == 0 || match.captured(3).size() > limits_.decimals))
        return false;
    return true;
}

void NumericEdit::insertChecked(const QString &typed)
{
    QString result = text();
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    result.replace(start, selectedText().size(), typed);
    if (!acceptable(result)) {
        if (limits_.beep)
            QApplication::beep();
        return;
    }
    insert(typed);
}

void NumericEdit::keyPressEvent(QKeyEvent *event)
{
    std::optional<QChar> typed = TypedCharacter(event);
    if (!typed) {
        QLineEdit::keyPressEvent(event);  // caret movement and Delete
        return;
    }
    QChar key = *typed;
    if (!HookKeeps(hooks, this, key))
        return;
    if (key.unicode() < 32) {
        switch (key.unicode()) {
        case Escape:
            value_ = valueBeforeEditing_;
            refresh();
            selectAll();
            return;
        case Backspace:
            if (!isReadOnly())
                backspace();
            return;
        case CtrlA: selectAll(); return;
        case CtrlC: copy(); return;
        case CtrlX:
            if (!isReadOnly() && hasSelectedText()) {
                copy();
                del();
            }
            return;
        case CtrlV:
            if (!isReadOnly())
                insertChecked(QApplication::clipboard()->text());
            return;
        default: event->ignore(); return;  // Enter and the rest: nothing for the field to do
        }
    }
    if (isReadOnly())
        return;
    if (key == QLatin1Char(','))
        key = QLatin1Char('.');
    insertChecked(QString(key));
}

void NumericEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (editing_)  // back from another window or a message box: the text stays as it was typed
        return;
    editing_ = true;
    valueBeforeEditing_ = value_;
    setText(plainText());
    // Entered by keyboard or by the program, typing replaces the whole text; a click places the caret.
    if (event->reason() != Qt::MouseFocusReason)
        selectAll();
}

void NumericEdit::takeEdit()
{
    if (const std::optional<double> number = NumberOf(text()); editing_ && number)
        value_ = std::clamp(*number, 0.0, limits_.maxValue);
}

void NumericEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (!MovesWithinWindow(event))
        return;
    editing_ = false;
    try {
        setValueText(text());
    } catch (const std::invalid_argument &) {
        setValue(valueBeforeEditing_);  // only typing that passed the key rules reaches here
    }
    if (hooks.exit)
        hooks.exit(this);
}

// ---- HexByteEdit --------------------------------------------------------------------------------

HexByteEdit::HexByteEdit(const QString &text, QWidget *parent) : QLineEdit(parent)
{
    setMaxLength(2);
    setAlignment(Qt::AlignCenter);
    setFrame(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setText(text);  // once the field is made, as for NumericEdit
}

void HexByteEdit::keyPressEvent(QKeyEvent *event)
{
    std::optional<QChar> typed = TypedCharacter(event);
    if (!typed) {
        int key = event->key();
        if (hooks.keyDown)
            hooks.keyDown(this, key);
        // The key-down of a digit key does nothing in a text edit.
        if (key == event->key() && !(key >= Qt::Key_0 && key <= Qt::Key_9))
            QLineEdit::keyPressEvent(event);
        return;
    }
    type(*typed);
}

void HexByteEdit::type(QChar key)
{
    if (!HookKeeps(hooks, this, key))
        return;
    if (isReadOnly())
        return;
    if (key.unicode() == Backspace) {
        backspace();
        return;
    }
    if (key.unicode() < 32)
        return;
    if (text().size() - selectedText().size() + 1 > maxLength())
        return;
    insert(QString(key));
}

// Text that comes otherwise than by a key (the X11 selection, an input method) is typed, character by
// character, through the same rules.
void HexByteEdit::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        for (QChar key : QGuiApplication::clipboard()->text(QClipboard::Selection))
            type(key);
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void HexByteEdit::inputMethodEvent(QInputMethodEvent *event)
{
    QInputMethodEvent composing(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&composing);
    for (QChar key : event->commitString())
        type(key);
}

void HexByteEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (MovesWithinWindow(event) && hooks.exit)
        hooks.exit(this);
}

}  // namespace velmar
