// Every datagram that reaches the listening socket: counted, its sender shown, and an accepted
// configuration reply taken over into the read side.

#include "codec.h"
#include "config_file.h"
#include "entry_fields.h"
#include "form.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>

using namespace velmar;

namespace {

const char *const VersionSuffix = " - Версія программи";

}  // namespace

void TForm1_Config_UDP::IdUDPServer_ConfUDPRead(const QByteArray &data, const QString &senderAddress,
                                                quint16 senderPort)
{
    LabIn->setText(QString::number(LabIn->text().toLongLong() + 1));
    const DecodedDatagram decoded =
        DecodeDatagram(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));

    if (decoded.iklText)
        Label5->setText(QString::fromStdString(*decoded.iklText));
    Label_In_IP->setText(senderAddress);
    Label_In_Port->setText(QString::number(senderPort));
    if (decoded.identMark)
        LabIdent->setText(QString::number(*decoded.identMark));
    if (!decoded.reply)
        return;
    const ConfigReplyFields &reply = *decoded.reply;

    if (reply.kind == ReplyKind::RebootAck)
        EditRs->setText(QStringLiteral("Ok"));
    // Offsets 0..15 are four addresses of four octets, 16..21 the MAC.
    for (std::size_t k = 0; k < reply.recordHead.size(); ++k) {
        const std::uint8_t byte = reply.recordHead[k];
        if (k < 16)
            octets(6 + int(k / 4))[k % 4]->setValue(byte);
        else
            macBytes(10)[k - 16]->setText(QString::fromStdString(ByteToHexPair(byte)));
    }
    if (reply.rayNumber)
        Str_NL_R->setText(QString::number(*reply.rayNumber));
    if (reply.ident) {
        CurrencyEdit1->setValue(reply.ident->boardIdent);
        CheckBox3->setChecked(reply.ident->consoleDynamic);
        for (int k = 0; k < 4; ++k) {
            octets(61)[k]->setValue(reply.ident->reserveIp1[k]);
            octets(62)[k]->setValue(reply.ident->reserveIp2[k]);
        }
    }

    CheckBox3->show();
    const bool consoleDynamic = CheckBox3->isChecked();
    CheckBox3->setText(consoleDynamic ? QStringLiteral("Динамічна IP адреса Пульта")
                                      : QStringLiteral("Статична IP адреса Пульта"));
    for (QWidget *widget : {static_cast<QWidget *>(Label11), static_cast<QWidget *>(Label58),
                            static_cast<QWidget *>(CurrencyEdit1), static_cast<QWidget *>(ED_6)})
        widget->setVisible(consoleDynamic);

    // The suffix goes only on a text that this datagram has just set, so it never doubles.
    if (reply.versionText) {
        Lab_Ver->setText(VersionToText(*reply.versionText));
        if (!Lab_Ver->text().isEmpty())
            Lab_Ver->setText(Lab_Ver->text() + QString::fromUtf8(VersionSuffix));
        Lab_Ver->adjustSize();
    }

    CheckBox5->show();
    if (reply.boardDynamic && !Lab_Ver->text().isEmpty()) {
        CheckBox5->setChecked(true);
        CheckBox5->setText(QStringLiteral("Динамічна IP адреса Плати ( DHCP )"));
    } else {
        CheckBox5->setChecked(false);
        CheckBox5->setText(QStringLiteral("Статична IP адреса Плати "));
    }
}
