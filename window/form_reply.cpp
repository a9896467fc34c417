// Every datagram that reaches the listening socket: counted, its sender shown, and an accepted
// configuration reply taken over into the read side.

#include "codec.h"
#include "config_file.h"
#include "entry_fields.h"
#include "form.h"
#include "frame_bytes.h"
#include "read_side_text.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QTextDocument>

#include <array>

namespace velmar {

namespace {

const char *const VersionSuffix = " - Версія программи";

// The read side's address panels for the dispatcher, lift, mask and router places of the record.
constexpr int ReadSidePanels[] = {6, 7, 8, 9};

// Replies come in bursts of identical copies: a text that stays the same is not set again.
template <class Control> void Show(Control *control, const QString &text)
{
    if (control->text() != text)
        control->setText(text);
}

}  // namespace

void TForm1_Config_UDP::findReadSideFields()
{
    for (std::size_t k = 0; k < std::size(ReadSidePanels); ++k)
        readFields_.addresses[k] = octets(ReadSidePanels[k]);
    readFields_.reserve1 = octets(61);
    readFields_.reserve2 = octets(62);
    readFields_.mac = macBytes(10);
}

void TForm1_Config_UDP::IdUDPServer_ConfUDPRead(const QByteArray &datagram, const QString &senderAddress,
                                                quint16 senderPort)
{
    readSide_.count();
    const DecodedDatagram decoded = DecodeDatagram(ViewOf(datagram));

    if (decoded.iklText)
        readSide_.setCaption(Label5, QString::fromStdString(*decoded.iklText));
    readSide_.setCaption(Label_In_IP, senderAddress);
    readSide_.setCaption(Label_In_Port, QString::number(senderPort));
    if (decoded.identMark)
        readSide_.setCaption(LabIdent, QString::number(*decoded.identMark));
    if (!decoded.reply)
        return;
    // A board answers each request up to three times with the same bytes: a copy of the reply that has
    // just been taken over changes nothing the first one did not.
    if (datagram == lastTakenOver_)
        return;
    lastTakenOver_ = datagram;
    const ConfigReplyFields &reply = *decoded.reply;

    // Fixed captions, converted once.
    static const QString suffix = QString::fromUtf8(VersionSuffix),
                         consoleDynamicCaption = QString::fromUtf8(ConsoleDynamicCaption),
                         consoleStaticCaption = QString::fromUtf8(ConsoleStaticCaption),
                         boardDynamicCaption = QString::fromUtf8(BoardDynamicCaption),
                         boardStaticCaption = QString::fromUtf8(BoardStaticCaption);

    if (reply.kind == ReplyKind::RebootAck)
        Show(EditRs, QStringLiteral("Ok"));
    for (std::size_t k = 0; k < reply.recordHead.size(); ++k) {
        const std::uint8_t byte = reply.recordHead[k];
        const RecordPlace place = RecordPlaceOf(k);
        if (place.field == RecordField::MacBytes)
            Show(readFields_.mac[place.index], HexPairText(byte));
        else
            readSide_.setValue(readFields_.addresses[int(place.field)][place.index], byte);
    }
    if (reply.rayNumber)
        Show(Str_NL_R, QString::number(*reply.rayNumber));
    if (reply.ident) {
        readSide_.setValue(CurrencyEdit1, reply.ident->boardIdent);
        CheckBox3->setChecked(reply.ident->consoleDynamic);
        for (int k = 0; k < 4; ++k) {
            readSide_.setValue(readFields_.reserve1[k], reply.ident->reserveIp1[k]);
            readSide_.setValue(readFields_.reserve2[k], reply.ident->reserveIp2[k]);
        }
    }

    CheckBox3->show();
    const bool consoleDynamic = CheckBox3->isChecked();
    Show(CheckBox3, consoleDynamic ? consoleDynamicCaption : consoleStaticCaption);
    for (QWidget *widget : {static_cast<QWidget *>(Label11), static_cast<QWidget *>(Label58),
                            static_cast<QWidget *>(CurrencyEdit1), static_cast<QWidget *>(ED_6)})
        widget->setVisible(consoleDynamic);

    // The suffix goes only on a text that this datagram has just set, so it never doubles.
    if (reply.versionText)
        readSide_.setVersion(Lab_Ver, VisibleOnOneLine(VersionToText(*reply.versionText)), suffix);

    CheckBox5->show();
    if (reply.boardDhcp && readSide_.versionShown(Lab_Ver)) {
        CheckBox5->setChecked(true);
        Show(CheckBox5, boardDynamicCaption);
    } else {
        CheckBox5->setChecked(false);
        Show(CheckBox5, boardStaticCaption);
    }
}

}  // namespace velmar
