// Asking a board for its working or stored configuration, and the read-back after a reboot.

#include "codec.h"
#include "entry_fields.h"
#include "form.h"

#include <QCheckBox>
#include <QLabel>
#include <QTimer>

namespace velmar {

void TForm1_Config_UDP::ClearReadSide()
{
    lastTakenOver_.clear();
    for (int panel : {6, 61, 62, 7, 8, 9})
        for (NumericEdit *field : octets(panel))
            field->clearValue();
    for (HexByteEdit *field : macBytes(10))
        field->clear();
    CurrencyEdit1->clearValue();
}

// Button2 (Tag 0) asks for the stored configuration, Button8 (Tag 1) for the working one; the write
// and the read-back timer ask through here too.
void TForm1_Config_UDP::Button2Click(QObject *sender)
{
    CheckBox5->hide();
    CheckBox3->hide();
    SetCaption(Lab_Ver, QString());
    if (targetIsZero()) {
        notifier_.message(this, QString::fromUtf8(ZeroTargetMessage));
        return;
    }
    // The requests go out first: no answer is handled before this handler returns, so the operator sees
    // the read side emptied and then filled, as before, and the board answers sooner.
    const SendPlan plan = ReadSendPlan(TagOf(sender) != 0 ? SelectorWorking : SelectorStored, userPort());
    IdUDPClient_Conf.aim(targetText(), plan.aimPort);
    carryOut(plan);
    ClearReadSide();  // whatever the sends' outcome
}

void TForm1_Config_UDP::TimerRead_ConfTimer(QObject *sender)
{
    Button2Click(sender);
    SetTag(TimerRead_Conf, TagOf(TimerRead_Conf) - 1);
    if (TagOf(TimerRead_Conf) < 0)
        TimerRead_Conf->stop();
}

}  // namespace velmar
