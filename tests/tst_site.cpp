// The site's operations in-process against stand-in boards on loopback: what each decides, as typed
// results and events, without a terminal.

#include "audit.h"
#include "board.h"
#include "link.h"
#include "loopback.h"
#include "reboot.h"
#include "survey.h"
#include "worker.h"
#include "write.h"

#include <QTimer>
#include <QtTest>

#include <memory>

using namespace velmar;

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
    void notDone(const QHostAddress &target, const QString &why) override
    {
        events << "not done " + target.toString() + ": " + why;
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

struct Boards
{
    std::vector<std::unique_ptr<StandInBoard>> all;
    StandInBoard &add(BoardOptions options = {})
    {
        options.address = test::uniqueLoopback();
        all.push_back(std::make_unique<StandInBoard>(options));
        QString error;
        if (!all.back()->start(error))
            qFatal("%s", qPrintable(error));
        return *all.back();
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
};

void TestSite::writeVerdicts()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    Boards boards;
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
    Boards boards;
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
    Boards boards;
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
    QCOMPARE(result.survey.failed.value(silentNamed.toIPv4Address()), QString("no answer"));
    QCOMPARE(result.acknowledged, 1);
    QCOMPARE(result.back, 1);
    QVERIFY(result.stillSilent.isEmpty() && !result.stopped);
    QCOMPARE(result.failed, 1);
    const qsizetype notDone = sink.events.indexOf("not done " + silentNamed.toString() + ": no answer");
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
    Boards boards;
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

QTEST_MAIN(TestSite)
#include "tst_site.moc"
