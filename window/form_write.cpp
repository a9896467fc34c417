// Writing the write side to a board, then reading its stored configuration back.

#include "codec.h"
#include "entry_fields.h"
#include "form.h"

#include <QCheckBox>

namespace velmar {

namespace {

// Enables the window again however the write ends.
class WindowDisabled
{
public:
    explicit WindowDisabled(QWidget *window) : window_(window) { window_->setEnabled(false); }
    ~WindowDisabled() { window_->setEnabled(true); }

private:
    QWidget *window_;
};

}  // namespace

// What the write side's fields and boxes say, as a write sends it.
ConfigWriteValues TForm1_Config_UDP::writeSideValues() const
{
    ConfigWriteValues values;
    ConfigRecord &r = values.record;
    r.dispatcherIp = address(1);
    r.liftIp = address(2);
    r.netMask = address(3);
    r.routerIp = address(4);
    const auto mac = macBytes(5);
    for (int k = 0; k < 6; ++k)
        r.mac[k] = HexPairToByte(mac[k]->text().toLatin1().toStdString());
    r.boardIdent = static_cast<std::uint16_t>(IND_MEdit->valueText().toInt() & 0xFFFF);
    r.reserveIp1 = address(11);
    r.reserveIp2 = address(12);
    values.rayNumber = static_cast<std::uint8_t>(Str_NL_W->valueText().toInt() & 0xFF);
    r.consoleDynamic = CheckBox2->isChecked();
    values.boardDhcp = CheckBox4->isChecked();
    return values;
}

void TForm1_Config_UDP::Button1Click(QObject *sender)
{
    if (targetIsZero()) {
        notifier_.message(this, QString::fromUtf8(ZeroTargetMessage));
        return;
    }
    ClearReadSide();
    {
        WindowDisabled disabled(this);

        const SendPlan plan = WriteSendPlan(writeSideValues(), userPort());
        IdUDPClient_Conf.aim(targetText(), plan.aimPort);
        carryOut(plan);  // a failed send shows in the read-back that follows
    }
    Button2Click(sender);
}

}  // namespace velmar
