#include "codec.h"
#include "frame_bytes.h"
#include "plan.h"
#include "wire.h"

#include <QtTest>

Q_DECLARE_METATYPE(velmar::SendPlan)

using namespace velmar;

namespace QTest {
template <> char *toString(const DecodedDatagram &decoded)
{
    return qstrdup(Describe(decoded).c_str());
}
}  // namespace QTest

namespace {

// A reply of the given length with "iden" at 25, every other byte 0 unless set.
QByteArray reply(int length)
{
    QByteArray data(length, '\0');
    data.replace(25, 4, "iden");
    return data.left(length);
}

}  // namespace

class TestCodec : public QObject
{
    Q_OBJECT
private slots:
    void hexPairToByte_data();
    void hexPairToByte();
    void byteToHexPairRoundTripsEveryByte();
    void cp1251CoversUkrainianLettersBothWays();

    void outgoingFrames_data();
    void outgoingFrames();
    void configWriteWithStaticConsoleZeroesDispatcherBlock();
    void configWriteCarriesEveryFieldWithDynamicConsole();
    void counterDigitPadding();

    void acceptance_data();
    void acceptance();
    void shortRepliesFillOnlyWhatTheyReach();
    void rebootAckAndFilterByteKeepTheRecord();
    void versionText_data();
    void versionText();
    void iklReport();
    void identMark_data();
    void identMark();
    void decoderNeverReadsOutsideTheDatagram();

    void boardSideRoundTrip();

    void plans_data();
    void plans();
};

void TestCodec::hexPairToByte_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("upper") << QByteArray("1E") << 0x1E;
    QTest::newRow("lower reads as upper") << QByteArray("1e") << 0x1E;
    QTest::newRow("mixed") << QByteArray("aF") << 0xAF;
    QTest::newRow("one character") << QByteArray("A") << 0xA0;
    QTest::newRow("empty") << QByteArray("") << 0;
    QTest::newRow("not a digit gives a 0 half") << QByteArray("G5") << 0x05;
    QTest::newRow("blank") << QByteArray(" 7") << 0x07;
    QTest::newRow("letter past f") << QByteArray("1g") << 0x10;
    QTest::newRow("third character ignored") << QByteArray("FFF") << 0xFF;
    QTest::newRow("high bytes") << QByteArray("\xC0\xFF") << 0;
}

void TestCodec::hexPairToByte()
{
    QFETCH(QByteArray, text);
    QFETCH(int, value);
    QCOMPARE(int(HexPairToByte(ViewOf(text))), value);
}

void TestCodec::byteToHexPairRoundTripsEveryByte()
{
    QCOMPARE(ByteToHexPair(0), std::string("00"));
    QCOMPARE(ByteToHexPair(10), std::string("0A"));
    QCOMPARE(ByteToHexPair(171), std::string("AB"));
    QCOMPARE(ByteToHexPair(255), std::string("FF"));
    for (int b = 0; b < 256; ++b)
        QCOMPARE(int(HexPairToByte(ByteToHexPair(static_cast<std::uint8_t>(b)))), b);
}

void TestCodec::cp1251CoversUkrainianLettersBothWays()
{
    QCOMPARE(Cp1251ToUnicode(0xB2), u'І');
    QCOMPARE(Cp1251ToUnicode(0xAF), u'Ї');
    QCOMPARE(Cp1251ToUnicode(0xBA), u'є');
    QCOMPARE(Cp1251ToUnicode(0xA5), u'Ґ');
    QCOMPARE(Cp1251ToUnicode(0xC0), u'А');
    QCOMPARE(Cp1251ToUnicode(0xFF), u'я');
    QCOMPARE(Cp1251ToUnicode(0xB9), u'№');
    for (int b = 0; b < 256; ++b)
        QCOMPARE(int(UnicodeToCp1251(Cp1251ToUnicode(static_cast<std::uint8_t>(b))).value_or(0)), b);
    QVERIFY(!UnicodeToCp1251(u'ä').has_value());
}

void TestCodec::outgoingFrames_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray digits = QByteArray("1234567890").repeated(10);
    QTest::newRow("ReadRequest working")
        << ToByteArray(ReadRequest('C'))
        << QByteArray("12345678901234567890123456789012345678901234567890123456789eprC4567890"
                      "123456789012345678901234567890");
    QTest::newRow("ReadRequest stored")
        << ToByteArray(ReadRequest('d')) << QByteArray(digits).replace(59, 4, "eprd");
    QTest::newRow("RebootRequest") << ToByteArray(RebootRequest()) << "rzt" + digits;
    QTest::newRow("MsiFrame") << ToByteArray(MsiFrame())
                              << QByteArray("msi0123456789") + QByteArray(10, '1') + QByteArray(10, '2') +
                                     QByteArray(10, '3') + QByteArray(10, '4') + QByteArray(10, '5') +
                                     QByteArray(10, '6') + QByteArray(10, '7') + QByteArray(10, '8') +
                                     QByteArray(7, '9');
    QTest::newRow("VsiFrame") << ToByteArray(VsiFrame()) << "vsi" + ToByteArray(MsiFrame()).mid(3);
}

void TestCodec::outgoingFrames()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.toHex(' '), expected.toHex(' '));
    QVERIFY(!DecodeDatagram(ViewOf(built)).reply);  // our own frames are never taken for replies
}

void TestCodec::configWriteWithStaticConsoleZeroesDispatcherBlock()
{
    ConfigWriteValues values;
    values.record.dispatcherIp = {10, 0, 0, 1};
    values.record.liftIp = {192, 168, 1, 10};
    values.record.netMask = {255, 255, 255, 0};
    values.record.routerIp = {192, 168, 1, 1};
    values.record.mac = {0x00, 0x1E, 0xC0, 0xA8, 0x01, 0x0A};
    values.record.boardIdent = 4660;
    values.record.reserveIp1 = {1, 2, 3, 4};
    values.record.reserveIp2 = {5, 6, 7, 8};
    values.rayNumber = 7;
    const QByteArray frame = ToByteArray(ConfigWrite(values));
    const QByteArray expected = QByteArray::fromHex("00000000"
                                                    "c0a8010a"
                                                    "ffffff00"
                                                    "c0a80101"
                                                    "001ec0a8010a"
                                                    "4e4c07") +
                                "iden" + QByteArray(11, '\0') + QByteArray(5, '\0') + "pas34567890123" +
                                "epwr" + "epwr" + "epwr" + "epwr" + QByteArray(1, '\0') + "1234" +
                                QByteArray(30, '\xFF');
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
    QCOMPARE(frame.size(), 110);
}

void TestCodec::configWriteCarriesEveryFieldWithDynamicConsole()
{
    ConfigWriteValues values;
    values.record.dispatcherIp = {10, 0, 0, 1};
    values.record.boardIdent = 0x1234;
    values.record.reserveIp1 = {1, 2, 3, 4};
    values.record.reserveIp2 = {5, 6, 7, 8};
    values.record.consoleDynamic = true;
    values.boardDhcp = true;
    const QByteArray frame = ToByteArray(ConfigWrite(values));
    QCOMPARE(frame.left(4), QByteArray::fromHex("0a000001"));
    QCOMPARE(frame.mid(25, 15), "iden" + QByteArray::fromHex("3412010102030405060708"));
    QCOMPARE(frame.at(75), '1');
    values.record.boardIdent = 300;
    QCOMPARE(ToByteArray(ConfigWrite(values)).mid(29, 3), QByteArray::fromHex("2c0101"));

    auto parsed = ParseConfigWrite(ConfigWrite(values));
    QVERIFY(parsed);
    values.record.consoleDynamic = true;  // the board reads the mode byte back into the record
    QCOMPARE(*parsed == values, true);
}

void TestCodec::counterDigitPadding()
{
    QCOMPARE(ToByteArray(PadWithCounterDigits("vsi")).size(), 100);
    QCOMPARE(ToByteArray(PadWithCounterDigits("")).left(12), QByteArray("012345678911"));
    const Bytes full(100, 'x');
    QCOMPARE(PadWithCounterDigits(full), full);
    const Bytes longer(120, 'x');
    QCOMPARE(PadWithCounterDigits(longer), longer);
}

void TestCodec::acceptance_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("100 bytes with iden") << reply(100) << true;
    QTest::newRow("101 bytes with iden") << reply(101) << false;
    QTest::newRow("no iden") << QByteArray(100, 'x') << false;
    QTest::newRow("iden elsewhere") << QByteArray("xxiden") << true;
    QTest::newRow("otv anywhere") << reply(100).replace(90, 3, "otv") << false;
    QTest::newRow("vzo anywhere") << reply(100).replace(0, 3, "vzo") << false;
    QTest::newRow("ort inside the record") << reply(100).replace(4, 3, "ort") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("ConfigWrite is 110 bytes") << ToByteArray(ConfigWrite({})) << false;
}

void TestCodec::acceptance()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, accepted);
    QCOMPARE(DecodeDatagram(ViewOf(datagram)).reply.has_value(), accepted);
}

void TestCodec::shortRepliesFillOnlyWhatTheyReach()
{
    QByteArray twelve("\x01\x02\x03\x04\x05\x06\x07\x08iden", 12);
    auto decoded = DecodeDatagram(ViewOf(twelve));
    QVERIFY(decoded.reply);
    QCOMPARE(decoded.reply->recordHead.size(), std::size_t(12));
    QVERIFY(!decoded.reply->ident);
    QVERIFY(!decoded.reply->versionText);
    QCOMPARE(decoded.reply->boardDhcp, false);

    QByteArray forty = reply(40);
    forty[29] = '\x34';
    forty[30] = '\x12';
    forty[31] = 1;
    forty.replace(32, 8, QByteArray::fromHex("0102030405060708"));
    decoded = DecodeDatagram(ViewOf(forty));
    QCOMPARE(decoded.reply->recordHead.size(), std::size_t(22));
    QCOMPARE(*decoded.reply->ident, (IdentBlock{0x1234, true, {1, 2, 3, 4}, {5, 6, 7, 8}}));
    QVERIFY(!decoded.reply->rayNumber);

    QByteArray ray("xxxxxxxxxxxxxxxxxxxxxxxNl\x09iden", 30);
    decoded = DecodeDatagram(ViewOf(ray));
    QCOMPARE(int(decoded.reply->rayNumber.value_or(0)), 9);
    QVERIFY(!decoded.reply->ident);  // the ray number and "iden" share offset 25
}

void TestCodec::rebootAckAndFilterByteKeepTheRecord()
{
    QByteArray ack = reply(100).replace(0, 3, "rzt").replace(42, 6, "VER1.2");
    ack[47] = '#';
    ack[75] = 1;
    auto decoded = DecodeDatagram(ViewOf(ack));
    QCOMPARE(decoded.reply->kind, ReplyKind::RebootAck);
    QVERIFY(decoded.reply->recordHead.empty());
    QVERIFY(!decoded.reply->ident);
    QCOMPARE(decoded.reply->versionText.value_or(""), std::string("1."));
    QVERIFY(decoded.reply->boardDhcp);

    QByteArray filtered = reply(100);
    filtered[10] = 4;
    decoded = DecodeDatagram(ViewOf(filtered));
    QCOMPARE(decoded.reply->kind, ReplyKind::Filtered);
    QVERIFY(decoded.reply->recordHead.empty());
    QVERIFY(!decoded.reply->ident);
}

void TestCodec::versionText_data()
{
    QTest::addColumn<QByteArray>("tail");  // from offset 42 on
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<bool>("present");
    QTest::newRow("ended by #") << QByteArray("VERv3.1#junk") << QByteArray("v3.1") << true;
    QTest::newRow("no # takes 30 bytes")
        << "VER" + QByteArray("abcdefghij").repeated(4) << QByteArray("abcdefghij").repeated(3) << true;
    QTest::newRow("ends with the datagram") << QByteArray("VERab") << QByteArray("ab") << true;
    QTest::newRow("empty text") << QByteArray("VER#") << QByteArray() << true;
    QTest::newRow("lower-case tag") << QByteArray("verab#") << QByteArray() << false;
    QTest::newRow("no tag") << QByteArray() << QByteArray() << false;
}

void TestCodec::versionText()
{
    QFETCH(QByteArray, tail);
    QFETCH(QByteArray, version);
    QFETCH(bool, present);
    const QByteArray datagram = reply(42) + tail;
    auto decoded = DecodeDatagram(ViewOf(datagram));
    QCOMPARE(decoded.reply->versionText.has_value(), present);
    if (present)
        QCOMPARE(QByteArray::fromStdString(*decoded.reply->versionText), version);
}

void TestCodec::iklReport()
{
    QByteArray ikl("ikl\x05\x01\x02\x03\x04\x05\x06\x07\x08\x09", 13);
    QCOMPARE(DecodeDatagram(ViewOf(ikl)).iklText.value_or(""), std::string("105*107*108*5*1*2*3*4*5*6*7*8#"));
    QCOMPARE(DecodeDatagram(ViewOf(ikl.left(5))).iklText.value_or(""),
             std::string("105*107*108*5*1*0*0*0*0*0*0*0#"));
    ikl[4] = 0;
    QVERIFY(!DecodeDatagram(ViewOf(ikl)).iklText);
    QVERIFY(!DecodeDatagram("xikl\x01\x01").iklText);
}

void TestCodec::identMark_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<int>("ident");
    QTest::newRow("after iden") << QByteArray("..iden\x34\x12", 8) << 0x1234;
    QTest::newRow("first occurrence wins") << QByteArray("ide?\x01\x00ide?\x02\x00", 12) << 1;
    QTest::newRow("ends in ide") << QByteArray("xxide") << 0;
    QTest::newRow("none") << QByteArray("idx") << -1;
}

void TestCodec::identMark()
{
    QFETCH(QByteArray, datagram);
    QFETCH(int, ident);
    auto mark = DecodeDatagram(ViewOf(datagram)).identMark;
    QCOMPARE(mark ? int(*mark) : -1, ident);
}

void TestCodec::decoderNeverReadsOutsideTheDatagram()
{
    // Every prefix of a full reply decodes; exactly-sized heap copies let sanitizers see any overread.
    BoardConfig config;
    config.record.liftIp = {127, 0, 0, 2};
    config.versionText = "VLM";
    const Bytes full = ConfigReply(config);
    for (std::size_t n = 0; n <= full.size(); ++n) {
        std::unique_ptr<char[]> copy(new char[n ? n : 1]);
        std::memcpy(copy.get(), full.data(), n);
        DecodeDatagram(std::string_view(copy.get(), n));
        ParseReadRequest(std::string_view(copy.get(), n));
        ParseConfigWrite(std::string_view(copy.get(), n));
    }
    QVERIFY(!DecodeDatagram(Bytes(8192, 'i')).reply);
}

void TestCodec::boardSideRoundTrip()
{
    QCOMPARE(ParseReadRequest(ReadRequest('C')).value_or('?'), 'C');
    QCOMPARE(ParseReadRequest(ReadRequest('d')).value_or('?'), 'd');
    QVERIFY(!ParseReadRequest(MsiFrame()));
    QVERIFY(IsRebootRequest(RebootRequest()));
    QVERIFY(IsMsiFrame(MsiFrame()) && IsVsiFrame(VsiFrame()) && !IsMsiFrame(VsiFrame()));
    // Each frame is named as what its receiver takes it for: a write carries "iden" as a reply does.
    const Bytes write = ConfigWrite({});
    QCOMPARE(KindName(KindOf(write, ReceivedBy::Board)), "config-write");
    QCOMPARE(KindName(KindOf(ReadRequest('d'), ReceivedBy::Configurator)), "read-request");
    QCOMPARE(KindName(KindOf(Bytes(3, 'x'), ReceivedBy::Board)), "unknown");

    BoardConfig config;
    config.record = {{10, 0, 0, 1},
                     {127, 0, 0, 2},
                     {255, 255, 255, 0},
                     {127, 0, 0, 1},
                     {0x00, 0x1E, 0x7F, 0x00, 0x00, 0x02},
                     513,
                     true,
                     {1, 1, 1, 1},
                     {2, 2, 2, 2}};
    config.boardDhcp = true;
    config.versionText = "\xC2\xC5\xCB-3";  // "ВЕЛ-3" in Windows-1251
    const Bytes frame = ConfigReply(config);
    QCOMPARE(frame.size(), wire::MaxReplyLength);
    auto decoded = DecodeDatagram(frame);
    QVERIFY(decoded.reply);
    QCOMPARE(decoded.reply->kind, ReplyKind::Record);
    QCOMPARE(decoded.reply->recordHead,
             (std::vector<std::uint8_t>{10, 0,   0, 1, 127, 0,    0,    2,    255,  255,  255,
                                        0,  127, 0, 0, 1,   0x00, 0x1E, 0x7F, 0x00, 0x00, 0x02}));
    QCOMPARE(*decoded.reply->ident, (IdentBlock{513, true, {1, 1, 1, 1}, {2, 2, 2, 2}}));
    QCOMPARE(*decoded.reply->versionText, config.versionText);
    QVERIFY(decoded.reply->boardDhcp);
    QCOMPARE(int(*decoded.identMark), 513);
    QCOMPARE(DecodeDatagram(RebootAck(config)).reply->kind, ReplyKind::RebootAck);
}

// What each operation sends: ports in order, the socket each leaves from ('L' listening, 'F' fresh),
// and the pause after each.
void TestCodec::plans_data()
{
    QTest::addColumn<SendPlan>("plan");
    QTest::addColumn<QList<int>>("ports");
    QTest::addColumn<QString>("sockets");
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<QByteArrayList>("frames");  // the first frames of the plan, in order
    QTest::addColumn<int>("aimPort");
    const std::nullopt_t noUserPort = std::nullopt;  // the window's port field holds no number
    const QByteArray readC = QByteArray::fromStdString(ReadRequest('C'));
    QTest::newRow("read working") << ReadSendPlan('C', noUserPort) << QList<int>{8026, 8024, 6767} << "LLL"
                                  << 0 << QByteArrayList{readC} << 8024;
    QTest::newRow("read stored") << ReadSendPlan('d', noUserPort) << QList<int>{8026, 8024, 6767} << "LLL"
                                 << 0 << QByteArrayList{QByteArray::fromStdString(ReadRequest('d'))} << 8024;
    QTest::newRow("read, user port 9000") << ReadSendPlan('C', 9000) << QList<int>{9000, 8024, 6767} << "LLL"
                                          << 0 << QByteArrayList{readC} << 8024;
    QTest::newRow("read, user port 0")
        << ReadSendPlan('C', 0) << QList<int>{8024, 6767} << "LL" << 0 << QByteArrayList{readC} << 8024;
    QTest::newRow("write") << WriteSendPlan({}, noUserPort) << QList<int>{8026, 8023, 8024, 6767} << "LLLL"
                           << 0 << QByteArrayList{QByteArray::fromStdString(ConfigWrite({}))} << 8023;
    QTest::newRow("pre-reboot") << PreRebootSendPlan() << QList<int>{8026, 8026, 8026, 8026} << "FFFF" << 400
                                << QByteArrayList{"msi", "vsi"} << 8026;
    QTest::newRow("reboot") << RebootSendPlan(noUserPort) << QList<int>{8026, 8024, 6767} << "LLL" << 0
                            << QByteArrayList{QByteArray::fromStdString(RebootRequest())} << 8026;
}

void TestCodec::plans()
{
    QFETCH(SendPlan, plan);
    QFETCH(QByteArrayList, frames);
    RecordingSender recorder;
    CarryOut(plan, {"127.000.000.002", "127.000.000.003"}, recorder);
    QList<int> ports;
    QString sockets;
    for (std::size_t i = 0; i < recorder.sent.size(); i += 2) {  // each step to both boards in turn
        QCOMPARE(recorder.sent[i].host, std::string("127.000.000.002"));
        QCOMPARE(recorder.sent[i + 1].host, std::string("127.000.000.003"));
        ports << recorder.sent[i].send.port;
        sockets += recorder.sent[i].send.socket == FromSocket::Listening ? 'L' : 'F';
    }
    QTEST(ports, "ports");
    QTEST(sockets, "sockets");
    QTEST(recorder.pausedMs, "pauseMs");           // shared by the boards, not paid per board
    for (qsizetype k = 0; k < frames.size(); ++k)  // each step's frame, to both boards
        QCOMPARE(QByteArray::fromStdString(recorder.sent[std::size_t(2 * k)].send.frame), frames[k]);
    QTEST(int(plan.aimPort), "aimPort");
}

QTEST_GUILESS_MAIN(TestCodec)
#include "tst_codec.moc"
