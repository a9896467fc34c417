#pragma once
// The two kinds of entry field of the window: numbers with a display format, and MAC bytes.

#include <QLineEdit>
#include <QValidator>

#include <functional>
#include <optional>

namespace velmar {

// The character a key types, as the key-press rules see it: printable text, or the control character
// of Backspace, Enter, Escape and Ctrl+letter. Keys that type nothing (arrows, Delete, Home) give none.
std::optional<QChar> TypedCharacter(const QKeyEvent *event);

// Hooks a window attaches to a field; they run before the field's own handling of the same key.
struct FieldHooks
{
    // May replace the character; a null character drops the key.
    std::function<void(QWidget *sender, QChar &key)> keyPress;
    // May replace the key code of a key that types nothing.
    std::function<void(QWidget *sender, int &key)> keyDown;
    // The focus has moved to another control of the window.
    std::function<void(QWidget *sender)> exit;
};

// A non-negative number. Without the focus it shows its value through the display format ("010" or
// "10"); with the focus, the plain number being edited, and an empty box for 0. Entered by keyboard or
// by the program it selects its whole text, so typing replaces it. The value is taken when the focus
// moves to another control of the window; another window taking the focus leaves the text as typed.
class NumericEdit : public QLineEdit
{
    Q_OBJECT
public:
    struct Limits
    {
        bool threeDigits = true;  // display format "000"; otherwise "0"
        int maxLength = 3;
        double maxValue = 255;
        int decimals = 2;
        bool beep = true;
    };

    explicit NumericEdit(const Limits &limits, QWidget *parent = nullptr);

    double value() const { return value_; }
    void setValue(double value);
    // The value through the display format: "000" for 0, "192" for 192.
    QString valueText() const;
    // The plain number: empty for 0.
    QString editText() const;
    // Drops blanks at both ends, takes an empty text as 0 and clamps into 0..MaxValue.
    // Throws std::invalid_argument for a text that is not a number.
    void setValueText(const QString &text);
    // Whether setValueText() takes the text.
    static bool IsValueText(const QString &text);
    void clearValue() { setValue(0); }
    // Takes the text being edited as the value, as leaving the field would; the edit goes on.
    void takeEdit();
    // Keeps a new value (value(), valueText()) without showing it. True only for the first value kept
    // since the field last showed one: the caller then has showValue() called once, whatever more values
    // are kept meanwhile. False too when the field has shown it all the same (it is being edited).
    bool keepValue(double value);
    void showValue() { refresh(); }
    const Limits &limits() const { return limits_; }

    FieldHooks hooks;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    class Rule : public QValidator
    {
    public:
        explicit Rule(NumericEdit &field) : QValidator(&field), field_(field) {}
        State validate(QString &input, int &pos) const override;

    private:
        const NumericEdit &field_;
    };

    static QString DisplayText(double value, const Limits &limits);
    QString plainText() const;
    bool acceptable(const QString &text) const;
    void refresh();
    void insertChecked(const QString &text);

    Limits limits_;
    double value_ = 0;
    double valueBeforeEditing_ = 0;
    bool editing_ = false;  // entered, and not yet left for another control of the window
    bool kept_ = false;     // a value kept is still to be shown
};

// One MAC byte: at most two characters of plain text, centred, without a border.
class HexByteEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit HexByteEdit(const QString &text = QString(), QWidget *parent = nullptr);
    FieldHooks hooks;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    // One character, as a key that types it: the window's rule first, then at most two characters.
    void type(QChar key);
};

}  // namespace velmar
