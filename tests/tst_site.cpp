// The site's operations in-process against stand-in boards on loopback: what each decides, as typed
// results and events, without a terminal.

#include "audit.h"
#include "backup_run.h"
#include "board.h"
#include "frame_bytes.h"
#include "link.h"
#include "loopback.h"
#include "read.h"
#include "reboot.h"
#include "restore.h"
#include "stand_in_site.h"
#include "survey.h"
#include "watch.h"
#include "worker.h"
#include "write.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

using namespace velmar;
using test::Site;

namespace {

// Every event, one line each.
struct RecordingSink : Sink
{
    QStringList events;
    void progress(const Progress &p) override
    {
        events << QStringLiteral("progress %1/%2").arg(p.done).arg(p.total);
    }
    void notice(const QString &text) override { events << "notice " + text; }
    void writeChanges(const QHostAddress &, const QList<FieldChange> &changes,
                      const QList<FieldChange> &uncarried) override
    {
        for (const FieldChange &c : changes)
            events << QStringLiteral("change %1 %2 -> %3").arg(c.field, c.from, c.to);
        for (const FieldChange &c : uncarried)
            events << QStringLiteral("uncarried %1 %2 -> %3").arg(c.field, c.from, c.to);
    }
    void notDone(const QHostAddress &target, const LeftOut &why) override
    {
        events << QStringLiteral("not done %1: %2").arg(target.toString()).arg(int(why.cause));
    }
    void boardRead(const QHostAddress &target, const StoredConfig *config, const LeftOut &why) override
    {
        events << QStringLiteral("read %1 %2")
                      .arg(target.toString(), config ? "ok" : QString::number(why.cause));
    }
    void backedUp(const QHostAddress &target, const QString &path) override
    {
        events << "saved " + target.toString() + " " + QFileInfo(path).fileName();
    }
    void restoring(const RestoreStep &step) override { events << "restoring " + step.target.toString(); }
    void datagram(const WatchedDatagram &d) override
    {
        events << QStringLiteral("datagram %1 %2").arg(KindName(d.kind)).arg(d.bytes);
    }
    void rebootAnswered(const QHostAddress &target, RebootAnswer answer) override
    {
        events << QStringLiteral("reboot %1 %2").arg(target.toString()).arg(int(answer));
    }
    void answersAgain(const QHostAddress &board, const QHostAddress &, qint64) override
    {
        events << "back " + board.toString();
    }
};

Link LoopbackLink()
{
    Link link;
    link.port = test::freeUdpPort();
    link.timing = {300, 1};
    return link;
}

// The board's configuration with the changes applied, as the intent of a write.
IntentFor WriteOf(const Changes &changes)
{
    return [changes](const StoredConfig &holds) {
        const StoredConfig wanted = Apply(holds, changes);
        return WriteIntent{wanted, HeldAfterWrite(wanted)};
    };
}

}  // namespace

class TestSite : public QObject
{
    Q_OBJECT
private slots:
    void writeVerdicts();
    void aCancelAfterTheWriteLeavesItNotConfirmed();
    void surveyAndRebootWithItsWait();
    void aReadTakesItsCheckAlong();
    void theWorkerLeavesTheCallersLoopRunning();
    void theAuditClassifiesWhatWasRead();
    void readTellsEachTargetThenTheTwins();
    void watchTellsDecodedDatagramsUpToItsCount();
    void backupThenRestorePlannedBeforeAnythingIsSent();
};

void TestSite::writeVerdicts()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    Site boards;
    StandInBoard &board = boards.add();
    BoardOptions deaf;
    deaf.faults.ignoreWrites = true;
    StandInBoard &stubborn = boards.add(deaf);
    const Link link = LoopbackLink();
    LinkedSession session(link);
    Changes router;
    router.router = ParseIp("127.0.0.254");

    // Kept: every field judged, the change told before.
    RecordingSink sink;
    WriteResult kept =
        WriteAndVerify(session, link.timing, board.address(), board.stored(), WriteOf(router), {}, sink);
    QCOMPARE(int(kept.verdict), int(WriteVerdict::Kept));
    QVERIFY(
        sink.events.contains(QStringLiteral("change router %1 -> 127.0.0.254")
                                 .arg(IpText(DefaultStoredConfig(board.address()).config.record.routerIp))));
    QCOMPARE(IpText(board.stored().config.record.routerIp), QString("127.0.0.254"));

    // The same again: no change, nothing sent.
    const StoredConfig now = board.stored();
    QCOMPARE(
        int(WriteAndVerify(session, link.timing, board.address(), now, WriteOf(router), {}, sink).verdict),
        int(WriteVerdict::NoChange));

    // Judged by what a static console cannot carry (a restore's file): not all kept, the field named.
    auto withDispatcher = [](const StoredConfig &holds) {
        StoredConfig wanted = holds;
        wanted.config.record.consoleDynamic = false;
        wanted.config.record.routerIp = *ParseIp("127.0.0.253");
        StoredConfig judge = wanted;
        judge.config.record.dispatcherIp = *ParseIp("10.9.9.9");
        return WriteIntent{wanted, judge};
    };
    sink.events.clear();
    const WriteResult partly =
        WriteAndVerify(session, link.timing, board.address(), now, withDispatcher, {}, sink);
    QCOMPARE(int(partly.verdict), int(WriteVerdict::NotAllKept));
    QVERIFY(sink.events.contains("uncarried dispatcher 10.9.9.9 -> 0.0.0.0"));

    // A dry run sends nothing; the guard refuses a mask with holes unless forced.
    Changes holes;
    holes.mask = ParseIp("255.0.255.0");
    QCOMPARE(int(WriteAndVerify(session, link.timing, board.address(), board.stored(), WriteOf(router),
                                {false, true}, sink)
                     .verdict),
             int(WriteVerdict::Checked));
    QCOMPARE(IpText(board.stored().config.record.routerIp), QString("127.0.0.253"));
    QCOMPARE(int(WriteAndVerify(session, link.timing, board.address(), board.stored(), WriteOf(holes),
                                {false, true}, sink)
                     .verdict),
             int(WriteVerdict::Refused));
    QCOMPARE(int(WriteAndVerify(session, link.timing, board.address(), board.stored(), WriteOf(holes),
                                {true, true}, sink)
                     .verdict),
             int(WriteVerdict::Checked));

    // A board that answers writes but keeps none: its answers still show the old values.
    const WriteResult lost = WriteAndVerify(session, link.timing, stubborn.address(), stubborn.stored(),
                                            WriteOf(router), {}, sink);
    QCOMPARE(int(lost.verdict), int(WriteVerdict::NotConfirmed));
    QVERIFY(!lost.stopped && !lost.noAnswer);
    QVERIFY(!lost.differences.isEmpty() && lost.differences.first().startsWith("router "));
}

void TestSite::aCancelAfterTheWriteLeavesItNotConfirmed()
{
    Site boards;
    BoardOptions deaf;
    deaf.faults.ignoreWrites = true;  // the read-back waits its whole time-out: the cancel comes within it
    StandInBoard &board = boards.add(deaf);
    Link link = LoopbackLink();
    link.timing = {2000, 2};
    LinkedSession session(link);
    Changes router;
    router.router = ParseIp("127.0.0.254");
    RecordingSink sink;
    // Cancelled from a timer as soon as the board has the write.
    board.setLog([cancel = link.cancel](const QString &line) {
        if (line.contains("<- ConfigWrite"))
            QTimer::singleShot(0, [cancel]() mutable { cancel.cancel(); });
    });
    QElapsedTimer clock;
    clock.start();
    const WriteResult result =
        WriteAndVerify(session, link.timing, board.address(), board.stored(), WriteOf(router), {}, sink);
    QCOMPARE(int(result.verdict), int(WriteVerdict::NotConfirmed));
    QVERIFY(result.stopped);
    QVERIFY(clock.elapsed() < 6000);  // ended by the cancel, not by three time-outs of 2 s
}

void TestSite::surveyAndRebootWithItsWait()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    Site boards;
    BoardOptions slow;
    slow.rebootMs = 300;
    StandInBoard &board = boards.add(slow);
    const QHostAddress silentInRange = test::uniqueLoopback(), silentNamed = test::uniqueLoopback();
    const Link link = LoopbackLink();
    LinkedSession session(link);
    RecordingSink sink;
    RebootOrder order{{board.address(), silentInRange, silentNamed},
                      {board.address().toIPv4Address(), silentNamed.toIPv4Address()},
                      true,
                      30};
    const RebootResult result = RebootBoards(session, link.timing, order, sink);
    // The silent address of a range is counted apart; the one named alone fails before anything is sent.
    QCOMPARE(result.survey.silent, 1);
    QCOMPARE(result.survey.failed.value(silentNamed.toIPv4Address()), LeftOut::Of(LeftOut::NoAnswer));
    QCOMPARE(result.acknowledged, 1);
    QCOMPARE(result.back, 1);
    QVERIFY(result.stillSilent.isEmpty() && !result.stopped);
    QCOMPARE(result.failed, 1);
    const qsizetype notDone = sink.events.indexOf("not done " + silentNamed.toString() + ": 0");
    const qsizetype acked =
        sink.events.indexOf(QStringLiteral("reboot %1 0").arg(board.address().toString()));
    const qsizetype back = sink.events.indexOf("back " + board.address().toString());
    QVERIFY2(notDone >= 0 && notDone < acked && acked < back, qPrintable(sink.events.join('\n')));
}

// What answers the broadcast of a read's check is kept for the two-boards check just after the read,
// where it asked what that check would, and for nothing after another operation.
void TestSite::aReadTakesItsCheckAlong()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    Site boards;
    const QHostAddress target = boards.add().address();
    const QHostAddress segment = boards.add().address();  // stands for a broadcast address
    const Link link = LoopbackLink();
    LinkedSession session(link);
    const QList<Broadcast> check{{segment, 0}};
    QCOMPARE(session.read({target}, SelectorStored, link.timing, {}, check).size(), 1);
    const auto sightings = session.checkedBy(check);
    // The target's answers to the read claim its address as well.
    QVERIFY(sightings && sightings->size() == 2);
    QVERIFY(sightings->at(0).from == segment || sightings->at(1).from == segment);
    QVERIFY(!session.checkedBy({{target, 0}}));
    session.readUntil(
        target, SelectorStored, [](const StoredConfig &) { return true; }, link.timing);
    QVERIFY(!session.checkedBy(check));
}

void TestSite::theWorkerLeavesTheCallersLoopRunning()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    // Many silent addresses: a read that takes its whole time-out and retry.
    QList<QHostAddress> silent;
    for (int i = 0; i < 20; ++i)
        silent << test::uniqueLoopback();
    const Link link = LoopbackLink();
    SiteWorker worker;
    QSignalSpy finished(&worker, &SiteWorker::finished), progressed(&worker, &SiteWorker::progressed);
    QThread *callers = QThread::currentThread();
    std::atomic<QThread *> ranOn{nullptr};
    int ticksWhileRunning = 0;
    QTimer tick;
    tick.setInterval(10);
    connect(&tick, &QTimer::timeout, [&] { ticksWhileRunning += worker.running(); });
    tick.start();
    QVERIFY(worker.start([&](Sink &sink, const CancelToken &cancel) {
        ranOn = QThread::currentThread();
        LinkedSession session(link, &sink);
        session.setCancel(cancel);
        return QVariant(session.read(silent, SelectorStored, link.timing).size());
    }));
    QVERIFY(!worker.start([](Sink &, const CancelToken &) { return QVariant(); }));  // one at a time
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.first().first().toInt(), 0);
    QVERIFY(ranOn.load() != callers);
    QVERIFY(ticksWhileRunning > 0);
    QVERIFY(!progressed.isEmpty());
    QVERIFY(!worker.running());
}

void TestSite::theAuditClassifiesWhatWasRead()
{
    const SitePlan plan = ParseSitePlan("name,lift,mask,router\n"
                                        "A,10.0.0.2,255.255.255.0,10.0.0.1\n"
                                        "B,10.0.0.3,255.255.255.0,10.0.0.1\n"
                                        "C,10.0.0.4,255.255.255.0,10.0.0.1\n"
                                        "D,10.0.0.5,255.255.255.0,10.0.0.1\n"
                                        "E,10.0.0.6,255.255.255.0,10.0.0.1\n");
    QVERIFY(plan.problems.isEmpty() && plan.rows.size() == 5);
    auto planned = [&](int row) { return HeldAfterWrite(PlannedConfig(plan.rows[row], StoredConfig())); };
    auto at = [](const char *address) { return QHostAddress(address).toIPv4Address(); };
    SiteReads reads;
    reads.stored[at("10.0.0.2")] = planned(0);
    reads.stored[at("10.0.0.3")] = planned(1);
    reads.stored[at("10.0.0.3")].config.record.netMask = *ParseIp("255.255.0.0");
    reads.stored[at("10.0.0.50")] = planned(2);  // C's planned MAC, elsewhere
    reads.stored[at("10.0.0.5")] = planned(3);
    reads.working[at("10.0.0.5")] = planned(3);
    reads.working[at("10.0.0.5")].config.record.routerIp = *ParseIp("10.0.0.254");  // runs another router
    reads.stored[at("10.0.0.60")] = planned(0);
    reads.stored[at("10.0.0.60")].config.record.mac = *ParseMac("00:1E:7F:00:00:60");
    reads.twoBoards[at("10.0.0.61")] = {"00:1E:7F:00:00:61", "00:1E:7F:00:00:62"};
    QList<QHostAddress> everywhere;
    for (const char *address :
         {"10.0.0.2", "10.0.0.3", "10.0.0.4", "10.0.0.5", "10.0.0.6", "10.0.0.50", "10.0.0.60", "10.0.0.61"})
        everywhere << QHostAddress(address);

    const SiteAudit audit = ClassifySite(plan, everywhere, reads);
    QList<AuditState> states;
    for (const AuditFinding &finding : audit.findings)
        states << finding.state;
    QCOMPARE(states, (QList<AuditState>{AuditState::AsPlanned, AuditState::Differs, AuditState::Moved,
                                        AuditState::RebootPending, AuditState::Silent, AuditState::NotInPlan,
                                        AuditState::TwoBoards}));
    QCOMPARE(audit.findings[1].details, QStringList{"mask 255.255.0.0 (planned 255.255.255.0)"});
    QCOMPARE(audit.findings[2].details, QStringList{"answers at 10.0.0.50 instead of 10.0.0.4"});
    QCOMPARE(audit.findings[3].details, QStringList{"runs router 10.0.0.254 (stored 10.0.0.1)"});
    QCOMPARE(audit.pending, 1);
    QCOMPARE(audit.notInPlan, 1);
    QCOMPARE(audit.otherClashes, 1);
    QCOMPARE(audit.lifts.value(AuditState::AsPlanned), 1);
}

void TestSite::readTellsEachTargetThenTheTwins()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    Site boards;
    StandInBoard &board = boards.add();
    boards.add();
    boards.add();
    const QHostAddress twin = test::uniqueLoopback(), silent = test::uniqueLoopback();
    test::Relay relay(twin, {boards.addresses[1], boards.addresses[2]});
    const Link link = LoopbackLink();
    LinkedSession session(link);
    RecordingSink sink;
    const ReadResult result =
        ReadBoards(session, link.timing, {{board.address(), silent, twin}, {silent.toIPv4Address()}}, sink);
    QVERIFY(sink.events.contains("read " + board.address().toString() + " ok"));
    QVERIFY(sink.events.contains("read " + silent.toString() + " 0"));
    QCOMPARE(result.configs.value(board.address().toIPv4Address()), board.stored());
    QCOMPARE(result.silences.keys(), QList<quint32>{silent.toIPv4Address()});
    QCOMPARE(result.named, 1);
    QCOMPARE(result.twoBoards.value(twin.toIPv4Address()).size(), 2);
    QVERIFY(!result.stopped);
}

void TestSite::watchTellsDecodedDatagramsUpToItsCount()
{
    const Link link = LoopbackLink();
    LinkedSession session(link);
    RecordingSink sink;
    QUdpSocket peer;
    const StoredConfig config = DefaultStoredConfig(QHostAddress("10.0.0.2"));
    QTimer::singleShot(0, [&] {
        for (const QByteArray &data :
             {ToByteArray(ConfigReply(config.config)), QByteArray("hello"), QByteArray("never seen")})
            peer.writeDatagram(data, QHostAddress::LocalHost, link.port);
    });
    QCOMPARE(WatchPort(session, 2, sink), 2);
    QCOMPARE(sink.events,
             (QStringList{QStringLiteral("datagram config %1").arg(ConfigReply(config.config).size()),
                          "datagram unknown 5"}));
    const WatchedDatagram decoded = Decoded(ToByteArray(ConfigReply(config.config)), "10.0.0.2", 8024);
    QCOMPARE(decoded.config->config, config.config);
}

// A backup's folder holds a file per board; a restore from it knows before anything is sent what each
// board gets, then writes only the board that changed since, and stops where it is cancelled.
void TestSite::backupThenRestorePlannedBeforeAnythingIsSent()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    Site boards;
    StandInBoard &changed = boards.add(), &same = boards.add(), &last = boards.add();
    const QHostAddress silent = test::uniqueLoopback();
    const Link link = LoopbackLink();
    LinkedSession session(link);
    QTemporaryDir parent;
    RecordingSink sink;
    const QList<QHostAddress> all{changed.address(), same.address(), last.address(), silent};
    const BackupResult backup =
        BackUpBoards(session, link.timing, {all, {}, SelectorStored}, parent.path(), sink);
    QCOMPARE(backup.saved, 3);
    QCOMPARE(QDir(backup.folder).entryList(QDir::Files).size(), 3);
    const QString file =
        QStringLiteral("%1_%2.json")
            .arg(MacText(same.stored().config.record.mac).replace(':', '-'), same.address().toString());
    QVERIFY2(sink.events.contains("saved " + same.address().toString() + " " + file),
             qPrintable(sink.events.join('\n')));
    QVERIFY(sink.events.contains("read " + silent.toString() + " 0"));

    Changes router;
    router.router = ParseIp("127.0.0.254");
    for (StandInBoard *board : {&changed, &last})
        QCOMPARE(int(WriteAndVerify(session, link.timing, board->address(), board->stored(), WriteOf(router),
                                    {}, sink)
                         .verdict),
                 int(WriteVerdict::Kept));
    boards.log.clear();
    const RestorePlan plan = PlanRestore(session, link.timing, {backup.folder, all, {}, false}, sink);
    QCOMPARE(plan.steps.size(), 3);
    QVERIFY(!plan.steps[0].nothingToSend && plan.steps[1].nothingToSend && !plan.steps[0].keepsOwn);
    QCOMPARE(plan.survey.silent, 1);
    QVERIFY(!boards.log.join('\n').contains("<- ConfigWrite"));

    // One file for another board: it keeps its own lift address and MAC, known before the write.
    const StoredConfig before = changed.stored();
    const QString other = QDir(backup.folder).filePath(file);
    const RestorePlan one = PlanRestore(session, link.timing, {other, {changed.address()}, {}, false}, sink);
    QVERIFY(one.steps[0].keepsOwn);
    QCOMPARE(one.steps[0].filed.mac, same.stored().config.record.mac);
    QCOMPARE(one.steps[0].saved.config.record.mac, before.config.record.mac);
    QCOMPARE(changed.stored(), before);

    // Cancelled once the first board is done: the last one keeps what it holds.
    struct CancelAfterOne : RecordingSink
    {
        CancelToken cancel;
        void restored(const RestoreOutcome &) override { cancel.cancel(); }
    } cancelling;
    cancelling.cancel = link.cancel;
    const QList<RestoreOutcome> outcomes = RestoreBoards(session, link.timing, plan, {}, cancelling);
    QCOMPARE(outcomes.size(), 1);
    // The stand-in's static console cannot take its saved dispatcher back: named, and not all kept.
    QCOMPARE(int(outcomes[0].write->verdict), int(WriteVerdict::NotAllKept));
    for (const FieldChange &field : outcomes[0].write->fields)
        QVERIFY2(field.from == field.to || field.field == "dispatcher" || field.field == "ident",
                 qPrintable(field.field));
    QCOMPARE(changed.stored().config.record.routerIp,
             DefaultStoredConfig(changed.address()).config.record.routerIp);
    QCOMPARE(IpText(last.stored().config.record.routerIp), QString("127.0.0.254"));
}

QTEST_MAIN(TestSite)
#include "tst_site.moc"
