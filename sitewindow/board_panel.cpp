#include "board_panel.h"

#include "entry_fields.h"

#include <QHBoxLayout>

namespace velmar {

namespace {

// A byte's text as the configurator leaves it: two characters, "0" in front of one, "00" for none.
QString PaddedByte(const QString &text)
{
    return text.rightJustified(2, QLatin1Char('0'));
}

}  // namespace

MacFields::MacFields(QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    for (std::size_t k = 0; k < bytes_.size(); ++k) {
        auto *field = new HexByteEdit(QStringLiteral("00"));
        field->setObjectName(QStringLiteral("mac_%1").arg(k));
        field->setFrame(true);
        field->setMaximumWidth(36);
        // Only the digit keys reach a byte's key-down: Delete, the arrows, Home and End do nothing.
        field->hooks.keyDown = [](QWidget *, int &key) {
            if (key < Qt::Key_0 || key > Qt::Key_9)
                key = Qt::Key_0;
        };
        // Hexadecimal digits pass, lower-case ones as upper case; every other character types a "0".
        field->hooks.keyPress = [](QWidget *, QChar &key) {
            const char16_t ch = key.unicode();
            if ((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F'))
                return;
            key = (ch >= 'a' && ch <= 'f') ? QChar(char16_t(ch - 'a' + 'A')) : QChar(u'0');
        };
        field->hooks.exit = [field](QWidget *) { field->setText(PaddedByte(field->text())); };
        row->addWidget(field);
        bytes_[k] = field;
    }
    row->addStretch();
}

Mac MacFields::mac() const
{
    Mac mac{};
    for (std::size_t k = 0; k < bytes_.size(); ++k)
        mac[k] = static_cast<std::uint8_t>(PaddedByte(bytes_[k]->text()).toUInt(nullptr, 16));
    return mac;
}

void MacFields::setMac(const Mac &mac)
{
    for (std::size_t k = 0; k < bytes_.size(); ++k)
        bytes_[k]->setText(QStringLiteral("%1").arg(mac[k], 2, 16, QLatin1Char('0')).toUpper());
}

}  // namespace velmar
