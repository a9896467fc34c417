// The addressing boxes that keep each other and their fields in line, and the fixed-address shortcut.

#include "codec.h"
#include "entry_fields.h"
#include "form.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>

namespace velmar {

void TForm1_Config_UDP::CheckBox1Click(QObject *)
{
    GroupBox3->setVisible(CheckBox1->isChecked());
}

void TForm1_Config_UDP::CheckBox2Click(QObject *)
{
    const bool dynamic = CheckBox2->isChecked();
    CheckBox2->setText(QString::fromUtf8(dynamic ? ConsoleDynamicCaption : ConsoleStaticCaption));
    if (!AddressingAllowed(CheckBox4->isChecked(), dynamic))
        CheckBox4->setChecked(false);
    // The dispatcher's address and the identifier are there only for a dynamic console.
    for (QWidget *field : {static_cast<QWidget *>(ED_1), static_cast<QWidget *>(IND_MEdit)}) {
        field->setEnabled(dynamic);
        field->setVisible(dynamic);
    }
    Label6->setVisible(dynamic);
    Label57->setVisible(dynamic);
}

void TForm1_Config_UDP::CheckBox4Click(QObject *)
{
    if (!CheckBox4->isChecked()) {
        CheckBox4->setText(QString::fromUtf8(BoardStaticSwitchedCaption));
        return;
    }
    CheckBox4->setText(QString::fromUtf8(BoardDynamicCaption));
    if (!AddressingAllowed(true, CheckBox2->isChecked()))
        CheckBox2->setChecked(true);
}

void TForm1_Config_UDP::Lab_IP1DblClick(QObject *)
{
    takeEditInProgress();  // the address remembered is the one the operator sees
    rememberedTarget_.clear();
    for (NumericEdit *field : octets(0))
        rememberedTarget_ << field->valueText();
    SetCaption(Lab_IP2, rememberedTarget_.join(QLatin1Char('.')));
    const int fixed[] = {10, 0, 0, 2};
    for (int k = 0; k < 4; ++k)
        octets(0)[k]->setValue(fixed[k]);
}

void TForm1_Config_UDP::Lab_IP2DblClick(QObject *)
{
    if (rememberedTarget_.isEmpty() || rememberedTarget_.first().isEmpty() ||
        rememberedTarget_.first() == QLatin1String("000"))
        return;
    for (int k = 0; k < 4; ++k)
        octets(0)[k]->setValueText(rememberedTarget_[k]);
}

}  // namespace velmar
