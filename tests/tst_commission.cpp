// Commissioning in-process against stand-in boards on loopback: each board's steps as the sink is told
// them, a run cancelled midway and resumed, and the rows' states as the record gives them.

#include "board.h"
#include "commission.h"
#include "loopback.h"
#include "whole_file.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace velmar;

namespace {

// A site of new boards: each is connected where new boards answer as soon as its row is waited for.
struct Site : CommissionSink
{
    QHostAddress at = test::uniqueLoopback();
    std::vector<std::unique_ptr<StandInBoard>> boards;
    QList<std::pair<CommissionStep, QString>> steps;
    std::optional<CommissionStep> cancelAt;
    CancelToken cancel;

    QHostAddress host(quint32 last) const { return QHostAddress((at.toIPv4Address() & 0xFFFFFF00u) | last); }
    void step(const CommissionEvent &e) override
    {
        steps << std::pair{e.step, e.row.name};
        if (e.step == CommissionStep::Waiting) {
            BoardOptions options;
            options.address = at;
            options.rebootMs = 50;
            boards.push_back(std::make_unique<StandInBoard>(options));
            QString error;
            if (!boards.back()->start(error))
                qFatal("%s", qPrintable(error));
        }
        if (cancelAt == e.step)
            cancel.cancel();
    }
    QList<CommissionStep> stepsOf(const QString &row) const
    {
        QList<CommissionStep> of;
        for (const auto &[step, name] : steps)
            if (name == row)
                of << step;
        return of;
    }
    CommissionResult run(const QString &planPath, const SitePlan &plan)
    {
        Link link;
        link.port = test::freeUdpPort();
        link.timing = {500, 2};
        link.cancel = cancel = CancelToken();
        return Commissioning(link, planPath, plan, at, *this).run({});
    }
};

SitePlan WritePlan(const QString &path, const Site &site)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(
        QStringLiteral("name,lift,mask,router\nLift 1,%1,255.255.255.0,%3\nLift 2,%2,255.255.255.0,%3\n")
            .arg(site.host(201).toString(), site.host(202).toString(), site.host(1).toString())
            .toUtf8());
    file.close();
    QStringList problems;
    const SitePlan plan = ReadSitePlan(path, true, site.at, problems);
    if (!problems.isEmpty())
        qFatal("%s", qPrintable(problems.join('\n')));
    return plan;
}

using S = CommissionStep;

}  // namespace

class TestCommission : public QObject
{
    Q_OBJECT
private slots:
    void eachBoardGoesThroughItsSteps();
    void aRunCancelledMidwayResumesAtItsRow();
    void theRowsStatesComeFromTheRecord();
    void thePlanIsCheckedRowByRow();
};

void TestCommission::eachBoardGoesThroughItsSteps()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    QTemporaryDir dir;
    Site site;
    const QString planPath = dir.filePath("site.csv");
    const SitePlan plan = WritePlan(planPath, site);
    QCOMPARE(int(site.run(planPath, plan).end), int(CommissionEnd::Finished));
    const QList<S> board = {S::Waiting,          S::Found,   S::Judged, S::Written, S::Rebooting,
                            S::WaitingAtAddress, S::Answers, S::Done};
    QCOMPARE(site.stepsOf("Lift 1"), board);
    QCOMPARE(site.stepsOf("Lift 2"), QList<S>{S::NextWanted} + board);
    QCOMPARE(site.boards.size(), size_t(2));
    QCOMPARE(site.boards[1]->address(), site.host(202));
}

void TestCommission::aRunCancelledMidwayResumesAtItsRow()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    QTemporaryDir dir;
    Site site;
    const QString planPath = dir.filePath("site.csv");
    const SitePlan plan = WritePlan(planPath, site);
    site.cancelAt = S::Written;
    QCOMPARE(int(site.run(planPath, plan).end), int(CommissionEnd::Stopped));
    QCOMPARE(int(RowStates(plan, ReadCommissionRecord(planPath, plan)).value(0).state),
             int(RowState::Written));

    // Resumed: the written row is finished on its own board before the next board is wanted. A save of
    // the record killed before its rename is cleared away.
    QProcess ended;
    ended.start(QCoreApplication::applicationFilePath(), {"-functions"});
    QVERIFY(ended.waitForStarted(10000));
    const QString stray = dir.filePath(SaveTemporaryPrefix(CommissionLogPath(planPath)) +
                                       QString::number(ended.processId()) + ".abcd1234");
    QVERIFY(ended.waitForFinished(10000));
    QVERIFY(QFile(stray).open(QIODevice::WriteOnly));
    site.cancelAt.reset();
    site.steps.clear();
    QCOMPARE(int(site.run(planPath, plan).end), int(CommissionEnd::Finished));
    QCOMPARE(site.steps.first().second, QString("Lift 1"));
    QCOMPARE(site.stepsOf("Lift 1").mid(site.stepsOf("Lift 1").indexOf(S::WaitingAtAddress)),
             (QList<S>{S::WaitingAtAddress, S::Answers, S::Done}));
    QCOMPARE(site.stepsOf("Lift 2").value(1), S::Waiting);
    QCOMPARE(site.boards.size(), size_t(2));
    QCOMPARE(site.boards[0]->address(), site.host(201));
    QCOMPARE(site.boards[1]->address(), site.host(202));
    QVERIFY(!QFile::exists(stray));
}

// A record as velmarctl writes it: each row's last line says where it stands.
void TestCommission::theRowsStatesComeFromTheRecord()
{
    const SitePlan plan = ParseSitePlan("name,lift,mask,router\nA,127.0.1.5,255.0.0.0,0.0.0.0\n"
                                        "B,127.0.1.6,255.0.0.0,0.0.0.0\nC,127.0.1.7,255.0.0.0,0.0.0.0\n"
                                        "D,127.0.1.8,255.0.0.0,0.0.0.0\nE,127.0.1.9,255.0.0.0,0.0.0.0\n");
    const QByteArray record =
        "\xEF\xBB\xBFtime,row,address,mac_before,mac_after,version,result\n"
        "2026-12-01T10:00:00,A,127.0.1.5,00:1E:00:00:00:01,00:1E:7F:00:01:05,x,written\n"
        "2026-12-01T10:00:01,A,127.0.1.5,00:1E:00:00:00:01,00:1E:7F:00:01:05,x,done\n"
        "2026-12-01T10:01:00,B,127.0.1.6,00:1E:00:00:00:02,00:1E:7F:00:01:06,x,written\n"
        "2026-12-01T10:02:00,C,127.0.1.7,00:1E:00:00:00:03,00:1E:7F:00:01:07,x,written\n"
        "2026-12-01T10:02:30,C,127.0.1.7,00:1E:00:00:00:03,,x,forgotten\n"
        "2026-12-01T10:03:00,D,127.0.1.8,00:1E:00:00:00:04,,x,written by another "
        "configurator\n";
    const QList<RowStatus> rows = RowStates(plan, CommissionRecord::Read(record, plan.form.encoding, "log"));
    QList<RowState> states;
    for (const RowStatus &row : rows)
        states << row.state;
    QCOMPARE(states, (QList<RowState>{RowState::Done, RowState::Written, RowState::Forgotten,
                                      RowState::WrittenByAnother, RowState::NotYet}));
    QCOMPARE(rows[1].mac, QString("00:1E:7F:00:01:06"));
    QCOMPARE(rows[4].row.position, 5);
    QCOMPARE(rows[4].row.of, 5);
}

// Before anything is sent: a row on the address new boards answer on, and a row this computer cannot reach.
void TestCommission::thePlanIsCheckedRowByRow()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("site.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("name,lift,mask,router\nA,192.0.2.10,255.255.255.0,192.0.2.1\nB,192.0.2.11,255.255.255.0,192."
               "0.2.1\n");
    file.close();
    const PlanCheck check = CheckCommissionPlan(file.fileName(), QHostAddress("192.0.2.10"), {});
    QCOMPARE(check.rows.size(), 2);
    QVERIFY2(check.rows[0].problems.value(0).contains("where new boards answer"),
             qPrintable(check.rows[0].problems.join('|')));
    QVERIFY(check.rows[1].problems.isEmpty());
    QCOMPARE(check.rows[1].outOfReach.value().subnet, QString("192.0.2.0/24"));
    QCOMPARE(check.problems.size(), 1);
}

QTEST_GUILESS_MAIN(TestCommission)
#include "tst_commission.moc"
