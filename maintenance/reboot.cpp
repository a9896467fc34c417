// Restarting one board: the pre-reboot frames, the reboot request, and the read-back that follows.

#include "codec.h"
#include "form.h"

#include <QLineEdit>
#include <QThread>
#include <QTimer>

using namespace velmar;

void TForm1_Config_UDP::Button3Click(QObject *)
{
    if (targetIsZero()) {
        notifier_.message(this, QString::fromUtf8(ZeroTargetMessage));
        return;
    }
    // The board wants msi, vsi, msi, vsi about 100 ms apart before it takes a reboot request.
    for (int pair = 0; pair < 2; ++pair) {
        for (std::string_view tag : {MsiTag, VsiTag}) {
            ClientSend(IdUDPClient_Conf, QByteArray(tag.data(), qsizetype(tag.size())), targetText(),
                       wire::UserPort);
            QThread::msleep(wire::PreRebootPauseMs);
        }
    }
    EditRs->setText(QStringLiteral("__"));
    ClearReadSide();
    if (!TimerRead_Conf->isActive())
        TimerRead_Conf->start();  // a running read-back keeps its rhythm and starts its count again
    SetTag(TimerRead_Conf, wire::ReadBackCount);
    IdUDPClient_Conf.aim(targetText(), wire::UserPort);

    // A failed send leaves EditRs at "__": no acknowledgement came.
    sendToTarget(RebootRequest(), {wire::BoardPort, wire::ListenPort});
}
