// The maintenance handlers: restarting one board (the pre-reboot frames, the reboot request, and the
// read-back that follows) and looking up the site's public address.

#include "codec.h"
#include "form.h"
#include "public_address.h"

#include <QLineEdit>
#include <QTimer>

namespace velmar {

void TForm1_Config_UDP::Button3Click(QObject *)
{
    if (targetIsZero()) {
        notifier_.message(this, QString::fromUtf8(ZeroTargetMessage));
        return;
    }
    // The pauses between the pre-reboot frames hold the window: nothing is received in between.
    carryOut(PreRebootSendPlan());
    EditRs->setText(QStringLiteral("__"));
    ClearReadSide();
    if (!TimerRead_Conf->isActive())
        TimerRead_Conf->start();  // a running read-back keeps its rhythm and starts its count again
    SetTag(TimerRead_Conf, wire::ReadBackCount);
    const SendPlan plan = RebootSendPlan(userPort());
    IdUDPClient_Conf.aim(targetText(), plan.aimPort);
    carryOut(plan);  // a failed send leaves EditRs at "__": no acknowledgement came
}

void TForm1_Config_UDP::BitBtn1Click(QObject *)
{
    if (!IdHTTP_Conf) {
        IdHTTP_Conf = new PublicAddressLookup(this);
        // Any failure leaves the shown address as it is, silently.
        connect(IdHTTP_Conf, &PublicAddressLookup::finished, this,
                [this](const std::optional<QString> &address) {
                    if (address)
                        Edit1->setText(*address);
                });
    }
    IdHTTP_Conf->start(run_.echoServiceUrl, run_.lookupTimeoutMs);  // one at a time: refused while one runs
}

}  // namespace velmar
