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
template <class Control> void Show(Control *control, const QString &text)
{
    if (control->text() != text)
        control->setText(text);
}

}  // namespace

void TForm1_Config_UDP::showCaption(QLabel *label, const QString &text)
{
    if (!inPass_) {
        SetCaption(label, text);
        return;
    }
    for (auto &[pending, pendingText] : pendingCaptions_)
        if (pending == label) {
            pendingText = text;
            return;
        }
    if (label->text() != text)
        pendingCaptions_.emplace_back(label, text);
}

QString TForm1_Config_UDP::caption(QLabel *label) const
{
    for (const auto &[pending, pendingText] : pendingCaptions_)
        if (pending == label)
            return pendingText;
    return label->text();
}

void TForm1_Config_UDP::endPass()
{
    inPass_ = false;
    NumericEdit::deferShowing(false);
    if (pendingCount_ >= 0)
        SetCaption(LabIn, QString::number(std::exchange(pendingCount_, -1)));
    for (const auto &[label, text] : std::exchange(pendingCaptions_, {}))
        SetCaption(label, text);
}

void TForm1_Config_UDP::IdUDPServer_ConfUDPRead(const QByteArray &datagram, const QString &senderAddress,
                                                quint16 senderPort)
{
    const qlonglong count = (pendingCount_ >= 0 ? pendingCount_ : LabIn->text().toLongLong()) + 1;
    if (inPass_)
        pendingCount_ = count;  // shown when the pass ends
    else
        SetCaption(LabIn, QString::number(count));
    const DecodedDatagram decoded = DecodeDatagram(ViewOf(datagram));

    if (decoded.iklText)
        showCaption(Label5, QString::fromStdString(*decoded.iklText));
    showCaption(Label_In_IP, senderAddress);
    showCaption(Label_In_Port, QString::number(senderPort));
    if (decoded.identMark)
        showCaption(LabIdent, QString::number(*decoded.identMark));
    if (!decoded.reply)
        return;
    // A board answers each request up to three times with the same bytes: a copy of the reply that has
    // just been taken over changes nothing the first one did not.
    if (datagram == lastTakenOver_)
        return;
    lastTakenOver_ = datagram;
    const ConfigReplyFields &reply = *decoded.reply;

    if (reply.kind == ReplyKind::RebootAck)
        Show(EditRs, QStringLiteral("Ok"));
    const std::array<HexByteEdit *, 6> mac = macBytes(10);
    std::array<std::array<NumericEdit *, 4>, std::size(ReadSidePanels)> addresses;
    for (std::size_t k = 0; k < addresses.size(); ++k)
        addresses[k] = octets(ReadSidePanels[k]);
    for (std::size_t k = 0; k < reply.recordHead.size(); ++k) {
        const std::uint8_t byte = reply.recordHead[k];
        const RecordPlace place = RecordPlaceOf(k);
        if (place.field == RecordField::MacBytes)
            Show(mac[place.index], HexPairText(byte));
        else
            addresses[int(place.field)][place.index]->setValue(byte);
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
    Show(CheckBox3, QString::fromUtf8(consoleDynamic ? ConsoleDynamicCaption : ConsoleStaticCaption));
    for (QWidget *widget : {static_cast<QWidget *>(Label11), static_cast<QWidget *>(Label58),
                            static_cast<QWidget *>(CurrencyEdit1), static_cast<QWidget *>(ED_6)})
        widget->setVisible(consoleDynamic);

    // The suffix goes only on a text that this datagram has just set, so it never doubles.
    if (reply.versionText) {
        QString version = VersionToText(*reply.versionText);
        if (!version.isEmpty())
            version += QString::fromUtf8(VersionSuffix);
        showCaption(Lab_Ver, version);
    }

    CheckBox5->show();
    if (reply.boardDynamic && !caption(Lab_Ver).isEmpty()) {
        CheckBox5->setChecked(true);
        Show(CheckBox5, QString::fromUtf8(BoardDynamicCaption));
    } else {
        CheckBox5->setChecked(false);
        Show(CheckBox5, QString::fromUtf8(BoardStaticCaption));
    }
}
