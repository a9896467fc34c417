// Every datagram that reaches the listening socket: counted, its sender shown, and an accepted
// configuration reply taken over into the read side.

#include "codec.h"
#include "config_file.h"
#include "entry_fields.h"
#include "form.h"
#include "frame_bytes.h"

#include <QCheckBox>

#include <QFrame>
#include <QLabel>
#include <array>

using namespace velmar;

namespace {

const char *const VersionSuffix = " - Версія программи";

// The read side's address panels for the dispatcher, lift, mask and router places of the record.
constexpr int ReadSidePanels[] = {6, 7, 8, 9};

// The text of a MAC byte, made once for each of the 256.
const QString &HexPairText(std::uint8_t byte)
{
    static const std::array<QString, 256> texts = [] {
        std::array<QString, 256> all;
        for (int k = 0; k < 256; ++k)
            all[k] = QString::fromStdString(ByteToHexPair(std::uint8_t(k)));
        return all;
    }();
    return texts[byte];
}

// Replies come in bursts of identical copies: a text that stays the same is not set again.
template <class Control> bool Show(Control *control, const QString &text)
{
    if constexpr (std::is_base_of_v<QLabel, Control>) {
        return SetCaption(control, text);
    } else {
        if (control->text() == text)
            return false;
        control->setText(text);
        return true;
    }
}

}  // namespace

void TForm1_Config_UDP::IdUDPServer_ConfUDPRead(const QByteArray &data, const QString &senderAddress,
                                                quint16 senderPort)
{
    const qlonglong count = (pendingCount_ >= 0 ? pendingCount_ : LabIn->text().toLongLong()) + 1;
    if (inPass_)
        pendingCount_ = count;  // shown when the pass ends
    else
        SetCaption(LabIn, QString::number(count));
    const DecodedDatagram decoded = DecodeDatagram(ViewOf(data));

    if (decoded.iklText)
        Show(Label5, QString::fromStdString(*decoded.iklText));
    Show(Label_In_IP, senderAddress);
    Show(Label_In_Port, QString::number(senderPort));
    if (decoded.identMark)
        Show(LabIdent, QString::number(*decoded.identMark));
    if (!decoded.reply)
        return;
    // A board answers each request up to three times with the same bytes: a copy of the reply that has
    // just been taken over changes nothing the first one did not.
    if (data == lastTakenOver_)
        return;
    lastTakenOver_ = data;
    const ConfigReplyFields &reply = *decoded.reply;

    if (reply.kind == ReplyKind::RebootAck)
        Show(EditRs, QStringLiteral("Ok"));
    for (std::size_t k = 0; k < reply.recordHead.size(); ++k) {
        const std::uint8_t byte = reply.recordHead[k];
        const RecordPlace place = RecordPlaceOf(k);
        if (place.field == RecordField::Mac)
            Show(macBytes(10)[place.index], HexPairText(byte));
        else
            octets(ReadSidePanels[int(place.field)])[place.index]->setValue(byte);
    }
    if (reply.rayNumber)
        Show(Str_NL_R, QString::number(*reply.rayNumber));
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
    Show(CheckBox3, consoleDynamic ? QStringLiteral("Динамічна IP адреса Пульта")
                                   : QStringLiteral("Статична IP адреса Пульта"));
    for (QWidget *widget : {static_cast<QWidget *>(Label11), static_cast<QWidget *>(Label58),
                            static_cast<QWidget *>(CurrencyEdit1), static_cast<QWidget *>(ED_6)})
        widget->setVisible(consoleDynamic);

    // The suffix goes only on a text that this datagram has just set, so it never doubles.
    if (reply.versionText) {
        QString caption = VersionToText(*reply.versionText);
        if (!caption.isEmpty())
            caption += QString::fromUtf8(VersionSuffix);
        Show(Lab_Ver, caption);
    }

    CheckBox5->show();
    if (reply.boardDynamic && !Lab_Ver->text().isEmpty()) {
        CheckBox5->setChecked(true);
        Show(CheckBox5, QStringLiteral("Динамічна IP адреса Плати ( DHCP )"));
    } else {
        CheckBox5->setChecked(false);
        Show(CheckBox5, QStringLiteral("Статична IP адреса Плати "));
    }
}
