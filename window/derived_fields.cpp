// Write-side fields filled from other fields: the MAC from the lift address, and the copy-back.

#include "codec.h"
#include "entry_fields.h"
#include "form.h"

#include <QCheckBox>

namespace {

void CopyOctets(const std::array<NumericEdit *, 4> &from, const std::array<NumericEdit *, 4> &to)
{
    for (int k = 0; k < 4; ++k)
        to[k]->setValueText(from[k]->valueText());
}

}  // namespace

void TForm1_Config_UDP::Button5Click(QObject *)
{
    const auto lift = octets(2);
    const auto mac = macBytes(5);
    for (int k = 0; k < 4; ++k) {
        const int octet = lift[k]->valueText().toInt() & 0xFF;
        mac[k + 2]->setText(QString::fromStdString(velmar::ByteToHexPair(static_cast<std::uint8_t>(octet))));
    }
}

void TForm1_Config_UDP::Button7Click(QObject *)
{
    CopyOctets(octets(7), octets(2));
    CopyOctets(octets(8), octets(3));
    CopyOctets(octets(9), octets(4));
    const auto readMac = macBytes(10);
    const auto writeMac = macBytes(5);
    for (int k = 0; k < 6; ++k)
        writeMac[k]->setText(readMac[k]->text());
    CopyOctets(octets(6), octets(1));
    CheckBox4->setChecked(CheckBox5->isChecked());
    CheckBox2->setChecked(CheckBox3->isChecked());
    IND_MEdit->setValueText(CurrencyEdit1->editText());
}
