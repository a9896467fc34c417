// Keyboard and exit rules of the octet and MAC byte fields.

#include "entry_fields.h"
#include "form.h"

namespace velmar {

// Space or Enter in the first three octets of an address steps to the next octet of the same address;
// the key itself is used up.
void TForm1_Config_UDP::stepToNextOctet(QWidget *sender, QChar &key)
{
    if (key != QLatin1Char(' ') && key != QLatin1Char('\r'))
        return;
    key = QChar();
    const QString name = sender->objectName();
    const int position = name.right(1).toInt();
    auto *next = control(name.chopped(1) + QString::number(position + 1));
    if (next && next->isVisibleTo(this) && next->isEnabled())
        next->setFocus(Qt::TabFocusReason);
}

void TForm1_Config_UDP::Ed_1_IP_0KeyPress(QWidget *sender, QChar &key)
{
    stepToNextOctet(sender, key);
}

void TForm1_Config_UDP::Ed_1_IP_1KeyPress(QWidget *sender, QChar &key)
{
    stepToNextOctet(sender, key);
}

void TForm1_Config_UDP::Ed_1_IP_2KeyPress(QWidget *sender, QChar &key)
{
    stepToNextOctet(sender, key);
}

// Only digit keys reach a MAC byte field's key-down: Delete, the arrows, Home and End do nothing.
void TForm1_Config_UDP::Ed_5_IP_0KeyDown(QWidget *, int &key)
{
    if (key < Qt::Key_0 || key > Qt::Key_9)
        key = Qt::Key_0;
}

// Hexadecimal digits pass, lower-case ones as upper case; every other character types a "0".
void TForm1_Config_UDP::Ed_5_IP_0KeyPress(QWidget *, QChar &key)
{
    const char16_t ch = key.unicode();
    if ((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F'))
        return;
    key = (ch >= 'a' && ch <= 'f') ? QChar(char16_t(ch - 'a' + 'A')) : QChar(u'0');
}

// A byte left with fewer than two characters is padded with a leading "0".
void TForm1_Config_UDP::Ed_5_IP_0Exit(QWidget *sender)
{
    auto *field = control<QLineEdit>(QStringLiteral("Ed_5_IP_%1").arg(TagOf(sender) & 0xFF));
    if (!field)
        return;
    if (field->text().isEmpty())
        field->setText(QStringLiteral("00"));
    if (field->text().size() < 2)
        field->setText(QLatin1Char('0') + field->text());
}

}  // namespace velmar
