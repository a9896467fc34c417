// Writing the write side to a board, then reading its stored configuration back.

#include "codec.h"
#include "entry_fields.h"
#include "form.h"

#include <QCheckBox>

using namespace velmar;

namespace {

Ipv4 OctetsOf(const std::array<NumericEdit *, 4> &fields)
{
    Ipv4 ip{};
    for (int k = 0; k < 4; ++k)
        ip[k] = static_cast<std::uint8_t>(fields[k]->valueText().toInt() & 0xFF);
    return ip;
}

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

void TForm1_Config_UDP::Button1Click(QObject *sender)
{
    if (targetIsZero()) {
        notifier_.message(this, QString::fromUtf8(ZeroTargetMessage));
        return;
    }
    ClearReadSide();
    {
        WindowDisabled disabled(this);

        ConfigWriteValues values;
        ConfigRecord &r = values.record;
        r.dispatcherIp = OctetsOf(octets(1));
        r.liftIp = OctetsOf(octets(2));
        r.netMask = OctetsOf(octets(3));
        r.routerIp = OctetsOf(octets(4));
        const auto mac = macBytes(5);
        for (int k = 0; k < 6; ++k)
            r.mac[k] = HexPairToByte(mac[k]->text().toLatin1().toStdString());
        r.boardIdent = static_cast<std::uint16_t>(IND_MEdit->valueText().toInt() & 0xFFFF);
        r.reserveIp1 = OctetsOf(octets(11));
        r.reserveIp2 = OctetsOf(octets(12));
        values.rayNumber = static_cast<std::uint8_t>(Str_NL_W->valueText().toInt() & 0xFF);
        values.consoleDynamic = CheckBox2->isChecked();
        values.boardDhcp = CheckBox4->isChecked();

        const SendPlan plan = WritePlan(values, userPort());
        IdUDPClient_Conf.aim(targetText(), plan.aimPort);
        carryOut(plan);  // a failed send shows in the read-back that follows
    }
    Button2Click(sender);
}
