// Write-side fields filled from other fields: the MAC from the lift address, and the copy-back.

#include "codec.h"
#include "entry_fields.h"
#include "form.h"

#include <QCheckBox>

namespace velmar {

namespace {

void CopyOctets(const std::array<NumericEdit *, 4> &from, const std::array<NumericEdit *, 4> &to)
{
    for (int k = 0; k < 4; ++k)
        to[k]->setValueText(from[k]->valueText());
}

}  // namespace

void TForm1_Config_UDP::Button5Click(QObject *)
{
    // Only the bytes the lift address gives change: the first two keep their text as it stands.
    const Mac derived = MacFromLift({}, address(2));
    const auto mac = macBytes(5);
    for (int k = 2; k < 6; ++k)
        mac[k]->setText(QString::fromStdString(ByteToHexPair(derived[k])));
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

}  // namespace velmar
