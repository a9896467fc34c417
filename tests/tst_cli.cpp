#include "address_lock.h"
#include "backups.h"
#include "board.h"
#include "commands.h"
#include "commission.h"
#include "config_file.h"
#include "frame_bytes.h"
#include "guard.h"
#include "local_network.h"
#include "loopback.h"
#include "stand_in_site.h"
#include "transport.h"
#include "whole_file.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>

#include <csignal>
#endif

using namespace velmar;
using test::Relay;
using test::Site;

Q_DECLARE_METATYPE(RunLock::Outcome)

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

// Runs velmarctl while this process's event loop keeps the stand-in boards answering.
Run Ctl(QStringList args, bool ownPort = true)
{
    if (ownPort)
        args << "--port"
             << "0";
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + "/velmarctl", args);
    process.waitForStarted();
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < 30000)
        QTest::qWait(5);
    Run run;
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Stand-in boards on consecutive addresses of their own.
// The cells of one CSV line as a spreadsheet takes them (quotes removed).
// The first run folder of backups under `parent`.
QDir RunFolder(const QString &parent)
{
    const QDir base(parent);
    return QDir(base.filePath(base.entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0)));
}

QStringList CsvCells(const QString &line)
{
    QStringList cells{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"' && quoted && line.mid(i + 1, 1) == "\"")
            cells.last() += line[++i];
        else if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ',' && !quoted)
            cells << QString();
        else
            cells.last() += line[i];
    }
    return cells;
}

}  // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void readsManyBoardsAndNamesTheSilentOnes();
    void aWholeSiteAnswersInFull();
    void writeShowsChangesAndVerifiesThem();
    void writeThatIsNotKeptFails();
    void aWriteBuildsOnAnotherConfiguratorsWrite();
    void aFullSendQueueDelaysARequestNeverDropsIt();
    void rebootWaitsUntilTheBoardAnswersAgain();
    void backupAndRestoreRoundTrip();
    void invalidValuesSendNothing_data();
    void invalidValuesSendNothing();
    void takenPortIsNamed();
    void slowBoardsWriteIsJudgedByItsLaterAnswers();
    void fullDiskLeavesOldFilesAndFails();
    void streamsAreReadWithinABound();
    void restoreJudgesAgainstTheFile();
    void backupsAreNeverReplacedAndEachBoardGetsItsOwnBack();
    void guardRefusesWhatLocksABoardOut_data();
    void guardRefusesWhatLocksABoardOut();
    void watchDecodesWhatArrives();
    void commissionsBoardsOneAfterAnother();
    void sitePlansAsSpreadsheetsSaveThem();
    void twoBoardsBehindOneAddressAreNamed();
    void auditTiesMovedBoardsToRowsAndNamesWhatDiffers();
    void exitCodesFollowOneRule();
    void commissionNamesTheNextRowAndFreesAGoneBoard();
    void sitePlanCheck_data();
    void sitePlanCheck();
    void recordReadsBackWhatItWritesSpreadsheetSafe();
    void recordIsReadInTheFormItWasWrittenIn();
    void addressesThatNameNoBoardAndWhereBroadcastsGo();
    void locksThatAreNotOursAreNamedNeverTaken_data();
    void locksThatAreNotOursAreNamedNeverTaken();
    void commissionNamesARecordLockThatIsNotOurs();
    void backupsAcrossAClockChangeRestoreTheLaterOne();
    void twinsInOneBackupEachRestoreTheirOwnFile();
    void rangesWaitOnceForTheirSilentAddresses();
};

void TestCli::readsManyBoardsAndNamesTheSilentOnes()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    Site site;
    site.add();
    BoardOptions otv;
    otv.faults.withOtv = true;
    site.add(otv);
    site.add();
    BoardOptions truncated;
    truncated.faults.truncateTo = 30;
    site.add(truncated);
    const QString range = site.at(0) + "-" + site.at(3);

    Run run = Ctl({"read", range, "--timeout", "100", "--retries", "1"});
    QCOMPARE(run.code, 1);
    const QStringList rows = run.out.trimmed().split('\n');
    QCOMPARE(rows.size(), 4);
    auto row = [&](int i) {  // rows come as boards answer or give up
        for (const QString &r : rows)
            if (r.startsWith(site.at(i) + ' '))
                return r;
        return QString();
    };
    QVERIFY(row(0).contains("lift " + site.at(0)));
    QVERIFY2(row(1).endsWith("answered, but not with what was asked: its reply carries \"otv\", which a "
                             "configurator ignores"),
             qPrintable(row(1)));
    QVERIFY(row(2).contains("lift " + site.at(2)));
    QVERIFY2(row(3).endsWith("a reply of 30 bytes, short of a whole configuration"), qPrintable(row(3)));
    QVERIFY(run.err.contains("2 of 4 board(s) did not answer"));

    run = Ctl({"read", site.at(0), site.at(2), "--json", "--working"});
    QCOMPARE(run.code, 0);
    const QStringList lines = run.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    const QJsonObject first = QJsonDocument::fromJson(lines[0].toUtf8()).object();
    QCOMPARE(first.value("address").toString(), site.at(0));
    QCOMPARE(first.value("lift").toString(), site.at(0));
    QCOMPARE(first.value("version").toString(), QString("Стенд-плата 1.0"));
    QVERIFY(first.value("answered").toBool());

    // The zero-padded form names the same board.
    const quint32 a = site.addresses[0].toIPv4Address();
    const QString padded = PaddedDottedText(QHostAddress(a));
    QCOMPARE(Ctl({"read", padded}).code, 0);
}

// 254 boards in another process, all asked at once: their answers come in bursts longer than one pass of
// reading, and every one is read (under GLib's event loop a socket could stop announcing them).
void TestCli::aWholeSiteAnswersInFull()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    const quint32 net = (test::uniqueLoopback().toIPv4Address() & 0xFFFF0000u) | 251u << 8;
    QProcess boards;
    boards.start(QCoreApplication::applicationDirPath() + "/velmar-board",
                 {"--address", QHostAddress(net | 1).toString(), "--count", "254", "--quiet"});
    QVERIFY(boards.waitForStarted());
    QByteArray said;  // the boards say when they listen
    QTRY_VERIFY_WITH_TIMEOUT((said += boards.readAllStandardError()).contains(" listening; "), 10000);
    const Run run = Ctl({"read", QHostAddress(net).toString() + "/24", "--json"});
    boards.kill();
    boards.waitForFinished();
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out.count("\"answered\":true"), 254);
}

void TestCli::writeShowsChangesAndVerifiesThem()
{
    Site site;
    StandInBoard &board = site.add();
    Run run = Ctl({"write", site.at(0), "--mask", "255.255.0.0", "--board", "dhcp", "--ident", "77",
                   "--dispatcher", "127.0.0.9", "--mac-from-lift", "--router", site.near(0, 16, 254)});
    QVERIFY2(run.code == 0, qPrintable(run.out + run.err));
    QVERIFY(run.out.contains("mask: 255.0.0.0 -> 255.255.0.0"));
    QVERIFY(run.out.contains("console: static -> dynamic"));  // a DHCP board needs a dynamic console
    QVERIFY(run.out.contains("the board kept the write"));
    const ConfigRecord &r = board.stored().config.record;
    QCOMPARE(r.netMask, (Ipv4{255, 255, 0, 0}));
    QCOMPARE(r.boardIdent, 77);
    QCOMPARE(r.dispatcherIp, (Ipv4{127, 0, 0, 9}));
    QVERIFY(board.stored().config.boardDhcp);

    // A static console takes the board off DHCP and sends zeros for its block.
    run = Ctl({"write", site.at(0), "--console", "static"});
    QCOMPARE(run.code, 0);
    QVERIFY(!board.stored().config.boardDhcp);
    QCOMPARE(board.stored().config.record.boardIdent, 0);

    const int before = site.log.size();
    run = Ctl({"write", site.at(0), "--router", site.near(0, 16, 253), "--dry-run"});
    QCOMPARE(run.code, 0);
    QVERIFY(run.out.contains("router:"));
    QVERIFY(run.out.contains("dry run"));
    QCOMPARE(IpText(board.stored().config.record.routerIp), site.near(0, 16, 254));
    QVERIFY(!site.log.mid(before).join('\n').contains("ConfigWrite"));
}

void TestCli::writeThatIsNotKeptFails()
{
    Site site;
    BoardOptions stubborn;
    stubborn.faults.ignoreWrites = true;
    site.add(stubborn);
    // Its answers may be late copies of those before the write: they do not confirm it, nor prove it lost.
    const Run run = Ctl({"write", site.at(0), "--router", "127.0.0.254"});
    QCOMPARE(run.code, 4);
    const QString router = IpText(DefaultStoredConfig(site.addresses[0]).config.record.routerIp);
    QVERIFY2(run.out.contains("last answer: router " + router + " (wanted 127.0.0.254)"),
             qPrintable(run.out));
    QVERIFY(run.out.contains("no confirmation of the write"));
}

void TestCli::rebootWaitsUntilTheBoardAnswersAgain()
{
    Site site;
    BoardOptions slow;
    slow.rebootMs = 400;
    StandInBoard &board = site.add(slow);
    const Run run = Ctl({"reboot", site.at(0), "--wait"});
    QCOMPARE(run.code, 0);
    QVERIFY(run.out.contains(site.at(0) + "  acknowledged"));
    QVERIFY(run.out.contains("answers again after"));
    QVERIFY(!site.log.join('\n').contains("without the four pre-reboot frames"));
    QVERIFY(!board.rebooting());
    // Without --wait an acknowledged reboot is done: nothing waited for, nothing said silent.
    const Run unwaited = Ctl({"reboot", site.at(0)});
    QVERIFY2(unwaited.code == 0 && !unwaited.out.contains("still silent"),
             qPrintable(unwaited.out + unwaited.err));
    QTRY_VERIFY_WITH_TIMEOUT(!board.rebooting(), 10000);

    // A board that stored another lift address is waited for there too.
    if (test::underWine())
        QSKIP("a board moved to another loopback address: under Wine every loopback address is one");
    const QString moved = site.near(0, 24, 99);
    QCOMPARE(
        Ctl({"write", site.at(0), "--lift", moved, "--mask", "255.255.255.0", "--router", "0.0.0.0"}).code,
        0);
    const Run again = Ctl({"reboot", site.at(0), "--wait"});
    QCOMPARE(again.code, 0);
    QVERIFY2(again.out.contains(site.at(0) + "  answers again at " + moved), qPrintable(again.out));

    // On a terminal (script(1) gives it one), the progress line says what the wait is for.
    const QString script = QStandardPaths::findExecutable("script");
    if (script.isEmpty())
        QSKIP("no script(1) to give velmarctl a terminal");
    BoardOptions slower;
    slower.rebootMs = 1800;
    site.add(slower);
    QProcess terminal;
    terminal.start(script, {"-qc",
                            QCoreApplication::applicationDirPath() + "/velmarctl reboot " + site.at(1) +
                                " --wait --port 0",
                            "/dev/null"});
    QTRY_VERIFY_WITH_TIMEOUT(terminal.state() == QProcess::NotRunning, 30000);
    const QString shown = QString::fromUtf8(terminal.readAll());
    QVERIFY2(shown.contains("waiting for 1 board(s) to answer again") && !shown.contains("1/1 done"),
             qPrintable(shown));
}

void TestCli::backupAndRestoreRoundTrip()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    Site site;
    StandInBoard &a = site.add();
    StandInBoard &b = site.add();
    QCOMPARE(Ctl({"write", site.at(0), "--mask", "255.255.255.0", "--router", site.near(0, 24, 1),
                  "--console", "dynamic", "--ident", "5"})
                 .code,
             0);
    QTemporaryDir dir;
    Run run = Ctl({"backup", site.at(0), site.at(1), "--dir", dir.path()});
    QCOMPARE(run.code, 0);
    const QString fileA =
        RunFolder(dir.path())
            .filePath(MacText(a.stored().config.record.mac).replace(':', '-') + "_" + site.at(0) + ".json");
    QVERIFY2(QFile::exists(fileA), qPrintable(run.out));
    StoredConfig saved;
    QString error;
    QVERIFY(ReadConfigFile(fileA, saved, error));
    QCOMPARE(saved.config.record, a.stored().config.record);

    const ConfigRecord ownB = b.stored().config.record;
    run = Ctl({"restore", fileA, site.at(1)});
    QCOMPARE(run.code, 0);
    QCOMPARE(b.stored().config.record.netMask, (Ipv4{255, 255, 255, 0}));
    QCOMPARE(b.stored().config.record.boardIdent, 5);
    QCOMPARE(b.stored().config.record.liftIp, ownB.liftIp);  // never copied without --exact
    QCOMPARE(b.stored().config.record.mac, ownB.mac);
    run = Ctl({"write", site.at(1), "--from", fileA, "--ident", "6"});  // nor by a write from a file
    QCOMPARE(run.code, 0);
    QVERIFY2(run.err.contains("keeping its own lift address"), qPrintable(run.err));
    QCOMPARE(b.stored().config.record.liftIp, ownB.liftIp);
    QCOMPARE(b.stored().config.record.mac, ownB.mac);

    QCOMPARE(Ctl({"restore", fileA, site.at(1), "--exact"}).code, 0);
    QCOMPARE(b.stored().config.record, a.stored().config.record);
}

void TestCli::invalidValuesSendNothing_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("octet over 255") << QStringList{"write", "@", "--mask", "255.256.0.0"};
    QTest::newRow("bad MAC") << QStringList{"write", "@", "--mac", "00:1E:7F:00:00"};
    QTest::newRow("MAC with a bad digit") << QStringList{"write", "@", "--mac", "00:1E:7G:00:00:01"};
    QTest::newRow("identifier over 65535") << QStringList{"write", "@", "--ident", "65536"};
    QTest::newRow("identifier with a static console")
        << QStringList{"write", "@", "--console", "static", "--ident", "4"};
    QTest::newRow("DHCP with a static console")
        << QStringList{"write", "@", "--console", "static", "--board", "dhcp"};
    QTest::newRow("unknown option") << QStringList{"read", "@", "--colour"};
    QTest::newRow("unknown command") << QStringList{"erase", "@"};
    QTest::newRow("bad target") << QStringList{"read", "127.0.0.300"};
    QTest::newRow("range backwards") << QStringList{"read", "127.0.0.9-127.0.0.2"};
    QTest::newRow("too many boards") << QStringList{"read", "127.0.0.0/8"};
    QTest::newRow("a range written without --yes")
        << QStringList{"write", "127.0.0.2-127.0.0.3", "--mask", "255.0.0.0"};
    QTest::newRow("timeout not a number") << QStringList{"read", "@", "--timeout", "soon"};
    QTest::newRow("one lift address to many boards")
        << QStringList{"write", "@", "127.0.0.3", "--lift", "127.0.0.9", "--yes"};
    QTest::newRow("backup into an empty folder name") << QStringList{"backup", "@", "--dir", ""};
    QTest::newRow("MAC byte with a blank") << QStringList{"write", "@", "--mac", " a:bb:cc:dd:ee:02"};
    QTest::newRow("MAC byte with a sign") << QStringList{"write", "@", "--mac", "+a:bb:cc:dd:ee:02"};
    QTest::newRow("value missing") << QStringList{"write", "@", "--mask", "--port", "7002"};
    QTest::newRow("restore of a stream") << QStringList{"restore", "/dev/zero", "@"};
    QTest::newRow("no board at 0.0.0.0") << QStringList{"read", "0.0.0.0"};
    QTest::newRow("a range rebooted without --yes") << QStringList{"reboot", "@", "127.0.0.3"};
    QTest::newRow("watch asks nothing, so waits for no answer") << QStringList{"watch", "--timeout", "5"};
}

void TestCli::invalidValuesSendNothing()
{
    QFETCH(QStringList, args);
    Site site;
    site.add();
    args.replaceInStrings("@", site.at(0));
    const Run run = Ctl(args);
    QCOMPARE(run.code, 2);
    QVERIFY2(!run.err.trimmed().isEmpty(), "a clear message");
    QTest::qWait(20);
    QVERIFY2(site.log.isEmpty(), qPrintable(site.log.join('\n')));
}

void TestCli::takenPortIsNamed()
{
    Listener holder(0);
    QVERIFY(holder.open());
    const Run run = Ctl({"read", "127.0.0.2", "--port", QString::number(holder.boundPort())}, false);
    QCOMPARE(run.code, 3);
    QVERIFY(run.err.contains(QString("port %1 is taken").arg(holder.boundPort())));

    const Run help = Ctl({"write", "--help"}, false);
    QCOMPARE(help.code, 0);
    QVERIFY(help.out.contains("--mac-from-lift"));
}

// A board slower than the time-out: late answers to the read before the write do not count as its
// read-back.
void TestCli::slowBoardsWriteIsJudgedByItsLaterAnswers()
{
    Site site;
    BoardOptions slow;
    slow.faults.replyDelayMs = 600;
    StandInBoard &board = site.add(slow);
    const Run run = Ctl({"write", site.at(0), "--router", "127.0.0.254", "--retries", "4"});
    QCOMPARE(IpText(board.stored().config.record.routerIp), QString("127.0.0.254"));
    QVERIFY2(run.code == 0, qPrintable(run.out + run.err));
    QVERIFY(run.out.contains("the board kept the write"));

    // A write that changes nothing sends nothing.
    const int before = site.log.size();
    QCOMPARE(Ctl({"write", site.at(0), "--router", "127.0.0.254", "--retries", "4"}).code, 0);
    QVERIFY(!site.log.mid(before).join('\n').contains("ConfigWrite"));
}

// On a full disk, a backup that cannot be written leaves the older one whole, and says so.
void TestCli::fullDiskLeavesOldFilesAndFails()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    QTemporaryDir dir;
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=8k", "tmpfs", dir.path()}) != 0)
        QSKIP("needs a small file system of its own (mount, as root)");
    Site site;
    site.add();
    site.add();
    QCOMPARE(Ctl({"backup", site.at(0), "--dir", dir.path()}).code, 0);
    const QDir first = RunFolder(dir.path());
    QFile old(first.filePath(first.entryList(QDir::Files).value(0)));
    QVERIFY(old.open(QIODevice::ReadOnly));
    const QByteArray saved = old.readAll();
    old.close();
    QFile plan(dir.filePath("site.csv"));
    QVERIFY(plan.open(QIODevice::WriteOnly) &&
            plan.write("name,lift,mask,router\nA,127.0.9.9,255.0.0.0,127.0.0.1\n"));
    plan.close();
    QFile filler(dir.filePath("filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(512, 'x')) > 0) {
    }
    filler.close();

    const Run run = Ctl({"backup", site.at(0), site.at(1), "--dir", dir.path()});
    const Run write =
        Ctl({"write", site.at(0), site.at(1), "--router", "127.0.0.254", "--yes", "--dir", dir.path()});
    const Run commission = Ctl({"commission", plan.fileName(), "--at", site.at(0)});
    QVERIFY(old.open(QIODevice::ReadOnly));
    const QByteArray after = old.readAll();
    old.close();
    QProcess::execute("umount", {dir.path()});
    QCOMPARE(after, saved);
    QCOMPARE(run.code, 1);
    for (int i = 0; i < 2; ++i)  // each on a line of its own
        QVERIFY2(run.err.contains(QRegularExpression("(^|\\n)" + QRegularExpression::escape(site.at(i)) +
                                                     "  cannot write [^\\n]*No space")),
                 qPrintable(run.err));
    QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
    QVERIFY2(write.code == 1 && write.err.contains("no backup was made; nothing was sent") &&
                 !write.err.contains("before the write"),
             qPrintable(write.err));
    QVERIFY2(commission.code == 1 && commission.err.contains("is full"), qPrintable(commission.err));
}

void TestCli::streamsAreReadWithinABound()
{
    Site site;
    site.add();
    QTemporaryDir dir;
    const QString large = dir.filePath("zeros");
    QFile zeros(large);
    QVERIFY(zeros.open(QIODevice::WriteOnly) && zeros.write(QByteArray(64 << 20, '\0')) == 64 << 20);
    zeros.close();
    QElapsedTimer clock;
    clock.start();
    Run run = Ctl({"write", site.at(0), "--from", large});
    QCOMPARE(run.code, 2);
    QVERIFY(run.err.contains("larger than any configuration"));
    QVERIFY(clock.elapsed() < 10000);
    // "-" is standard input, read within the same bound.
    QProcess piped;
    piped.start(QCoreApplication::applicationDirPath() + "/velmarctl",
                {"write", site.at(0), "--from", "-", "--port", "0"});
    QVERIFY(piped.waitForStarted());
    piped.write(QByteArray(2 << 20, ' '));
    piped.closeWriteChannel();
    QVERIFY(piped.waitForFinished(10000));
    QCOMPARE(piped.exitCode(), 2);
    QVERIFY(piped.readAllStandardError().contains("- is larger than any configuration"));

#ifdef Q_OS_UNIX
    // Neither a device nor a pipe that nobody writes to is read; neither is written through a link.
    const QString fifo = dir.filePath("fifo");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &stream : {QString("/dev/zero"), fifo}) {
        run = Ctl({"write", site.at(0), "--from", stream});
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains("not a regular file"), qPrintable(run.err));
    }
    QVERIFY(QFile::link(large, dir.filePath("link")));
    QString error;
    QVERIFY(!WriteWholeFile(dir.filePath("link"), "replaced", error));
    QVERIFY(!WriteWholeFile(fifo, "replaced", error));
    QCOMPARE(QFileInfo(large).size(), qint64(64 << 20));
    for (const char *what : {"--version", "--help"}) {  // said to nowhere is no success
        QProcess full;
        full.setStandardOutputFile("/dev/full");
        full.start(QCoreApplication::applicationDirPath() + "/velmarctl", {what});
        QVERIFY(full.waitForFinished(10000));
        QCOMPARE(full.exitCode(), 1);
    }
#endif
}

// A board's own backup with a static console: the identifier and dispatcher it holds cannot go out, and
// the restore says so before and after, instead of reporting the board restored.
void TestCli::restoreJudgesAgainstTheFile()
{
    Site site;
    StandInBoard &board = site.add();
    QTemporaryDir dir;
    QCOMPARE(Ctl({"backup", site.at(0), "--dir", dir.path()}).code, 0);
    const QDir folder = RunFolder(dir.path());
    const QString file = folder.filePath(folder.entryList(QDir::Files).value(0));
    const ConfigRecord fresh = board.stored().config.record;
    Run run = Ctl({"restore", file, site.at(0)});  // its own fresh backup: nothing to do
    QCOMPARE(run.code, 0);
    QVERIFY2(run.out.contains("nothing sent"), qPrintable(run.out));
    QCOMPARE(board.stored().config.record, fresh);
    // A backup's name in a folder is anyone's text: its control characters (which Windows refuses in a
    // name) reach no terminal.
    QTemporaryDir other;
    const QString planted =
        other.filePath(QFileInfo(file).fileName().section('_', 0, 0) + "_\x1b]2;x\a.json");
    if (!test::underWine()) {
        QVERIFY(QFile::copy(file, planted));
        run = Ctl({"restore", other.path(), site.at(0), "--yes"});
        QVERIFY2(run.code == 0 && run.out.contains("\\x1b]2;x\\x07.json"), qPrintable(run.out));
    }
    QCOMPARE(Ctl({"write", site.at(0), "--router", "127.0.0.254"}).code, 0);

    run = Ctl({"restore", file, site.at(0)});
    QCOMPARE(run.code, 1);
    const ConfigRecord saved = DefaultStoredConfig(site.addresses[0]).config.record;
    QVERIFY(run.err.contains(QString("ident %1 cannot go out with a static console").arg(saved.boardIdent)));
    QVERIFY(run.out.contains("ident: NOT kept"));
    QVERIFY(!run.out.contains("kept the write"));
    QCOMPARE(board.stored().config.record.routerIp, saved.routerIp);  // what can go out, went
}

// One change to many boards, each one's configuration kept first; every run's backups kept; each board
// restored from its own newest backup, told what it keeps of its own.
void TestCli::backupsAreNeverReplacedAndEachBoardGetsItsOwnBack()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    Site site;
    StandInBoard &a = site.add();
    StandInBoard &b = site.add();
    QTemporaryDir dir;
    Run run = Ctl({"write", site.at(0), site.at(1), "--console", "dynamic", "--yes", "--dir", dir.path()});
    QVERIFY2(run.code == 0 && run.err.contains("2 of 2 board(s) kept the write"), qPrintable(run.err));
    QCOMPARE(run.out.count("backed up in "), 2);
    for (int again = 0; again < 2; ++again)
        QVERIFY(Ctl({"backup", site.at(0), site.at(1), "--dir", dir.path()})
                    .err.contains("2 of 2 board(s) backed up"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 3);

    const ConfigRecord before = b.stored().config.record;
    QCOMPARE(
        Ctl({"write", site.at(0), site.at(1), "--router", "127.0.0.254", "--yes", "--dir", dir.path()}).code,
        0);
    QCOMPARE(IpText(b.stored().config.record.routerIp), QString("127.0.0.254"));
    run = Ctl({"restore", dir.path(), site.at(0), site.at(1), "--yes"});
    QVERIFY2(run.code == 0 && run.err.contains("2 of 2 board(s) restored"), qPrintable(run.out + run.err));
    QCOMPARE(b.stored().config.record, before);
    QCOMPARE(a.stored().config.record.routerIp, before.routerIp);

    const QDir folder = RunFolder(dir.path());
    const QString fileA = folder.filePath(folder.entryList({"*_" + site.at(0) + ".json"}).value(0));
    run = Ctl({"restore", fileA, site.at(1), "--dry-run"});
    QVERIFY2(run.out.contains("keeps its own lift address " + site.at(1)) &&
                 run.out.contains("--exact copies them"),
             qPrintable(run.out));
    QFile damaged(fileA);
    QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Append) && damaged.write("}") == 1);
    damaged.close();
    run = Ctl({"restore", fileA, site.at(1)});
    QVERIFY2(run.code == 2 && run.err.contains("is damaged") && run.err.contains("nothing sent") &&
                 !run.err.contains("afresh"),
             qPrintable(run.err));
}

void TestCli::guardRefusesWhatLocksABoardOut_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("problem");
    QTest::newRow("mask with holes") << "mask"
                                     << "255.0.255.0"
                                     << "not a run of ones";
    QTest::newRow("mask 0") << "mask"
                            << "0.0.0.0"
                            << "not a run of ones";
    QTest::newRow("lift 0") << "lift"
                            << "0.0.0.0"
                            << "lift address 0.0.0.0";
    QTest::newRow("lift multicast") << "lift"
                                    << "224.0.0.5"
                                    << "multicast";
    QTest::newRow("lift broadcast") << "lift"
                                    << "255.255.255.255"
                                    << "broadcast";
    QTest::newRow("lift loopback, board not") << "lift"
                                              << "127.0.0.9"
                                              << "loopback";
    QTest::newRow("network address") << "lift"
                                     << "127.0.0.0"
                                     << "network address";
    QTest::newRow("subnet broadcast") << "lift"
                                      << "127.255.255.255"
                                      << "broadcast address of its subnet";
    QTest::newRow("router outside") << "router"
                                    << "128.0.0.1"
                                    << "outside the subnet";
    QTest::newRow("mask all ones") << "mask"
                                   << "255.255.255.255"
                                   << "no subnet";
    QTest::newRow("lift reserved") << "lift"
                                   << "240.0.0.5"
                                   << "reserved range";
    QTest::newRow("lift in 0/8") << "lift"
                                 << "0.1.2.3"
                                 << "names no host";
    QTest::newRow("router is the lift") << "router"
                                        << "127.0.0.2"
                                        << "the lift address itself";
    QTest::newRow("router subnet broadcast") << "router"
                                             << "127.255.255.255"
                                             << "broadcast address of its subnet";
    QTest::newRow("MAC multicast") << "mac"
                                   << "01:1E:7F:00:00:02"
                                   << "multicast";
    QTest::newRow("MAC zeros") << "mac"
                               << "00:00:00:00:00:00"
                               << "no address of one board";
    QTest::newRow("MAC all FF") << "mac"
                                << "FF:FF:FF:FF:FF:FF"
                                << "no address of one board";
}

void TestCli::guardRefusesWhatLocksABoardOut()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    StoredConfig config = DefaultStoredConfig(QHostAddress("127.0.0.2"));
    ConfigRecord &r = config.config.record;
    if (field == "mac")
        r.mac = *ParseMac(value);
    else
        (field == "mask" ? r.netMask : field == "lift" ? r.liftIp : r.routerIp) = *ParseIp(value);
    const bool standIn = QString(QTest::currentDataTag()) != "lift loopback, board not";
    const QString problems = GuardTexts(GuardProblems(config, standIn)).join('|');
    QFETCH(QString, problem);
    QVERIFY2(problems.contains(problem), qPrintable(problems));
    QVERIFY(GuardProblems(DefaultStoredConfig(QHostAddress("127.0.0.2")), true).isEmpty());

    if (QString(QTest::currentDataTag()) != "router outside")
        return;
    // Refused with exit 2 and nothing sent; --force sends it after saying what is wrong.
    Site site;
    StandInBoard &board = site.add();
    Run run = Ctl({"write", site.at(0), "--router", value});
    QCOMPARE(run.code, 2);
    QVERIFY(run.err.contains("outside the subnet"));
    QVERIFY(!site.log.join('\n').contains("ConfigWrite"));
    run = Ctl({"write", site.at(0), "--router", value, "--force"});
    QCOMPARE(run.code, 0);
    QCOMPARE(IpText(board.stored().config.record.routerIp), value);
}

// On a segment, requests to addresses still being resolved fill the system's queue for the socket: a
// request it refuses waits for room, and costs its board no attempt.
void TestCli::aFullSendQueueDelaysARequestNeverDropsIt()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    Site site;
    for (int i = 0; i < 3; ++i)
        site.add();
    Link link;
    link.port = test::freeUdpPort();
    LinkedSession session(link);
    struct FullAtFirst : SendPlanSender
    {
        SendPlanSender &sockets;
        int refuse = 7;
        explicit FullAtFirst(SendPlanSender &real) : sockets(real) {}
        void send(const std::string &host, const PlannedSend &step) override
        {
            if (refuse-- > 0)
                throw SendError("the send queue is full", false, true);
            sockets.send(host, step);
        }
        void pause(int ms) override { sockets.pause(ms); }
    } full(session.sockets());
    session.setSender(&full);
    const auto configs = session.read(site.addresses, SelectorStored, {500, 0});
    QCOMPARE(configs.size(), 3);
}

// Two laptops write one board at once, each a field of its own: the second laptop's write lands after
// this one read the board, and neither change is lost.
void TestCli::aWriteBuildsOnAnotherConfiguratorsWrite()
{
    Site site;
    StandInBoard &board = site.add();
    const QHostAddress target = site.addresses[0];
    Link link, otherLink;
    link.port = test::freeUdpPort();
    otherLink.port = test::freeUdpPort();
    LinkedSession session(link), other(otherLink);
    const StoredConfig before = board.stored();
    Changes router;
    router.router = ParseIp(site.near(0, 16, 254));
    StoredConfig masked = before;
    masked.config.record.netMask = *ParseIp("255.255.0.0");
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    Terminal terminal{outStream, errStream, false, nullptr, CancelToken()};
    int asked = 0;
    bool masks = false;
    const int code = ShowWrite(
        session, link, target, before,
        [&](const StoredConfig &holds) {
            if (asked++ == 0) {
                other.write(target, ValuesFor(masked));
                masks = QTest::qWaitFor(
                    [&] { return board.stored().config.record.netMask == masked.config.record.netMask; });
            }
            const StoredConfig wanted = Apply(holds, router);
            return WriteIntent{wanted, HeldAfterWrite(wanted)};
        },
        WriteOptions{}, terminal);
    QVERIFY(masks);
    QCOMPARE(code, 0);
    QVERIFY2(out.contains("written meanwhile by another configurator"), qPrintable(out));
    QCOMPARE(IpText(board.stored().config.record.netMask), QString("255.255.0.0"));
    QCOMPARE(IpText(board.stored().config.record.routerIp), site.near(0, 16, 254));
}

void TestCli::watchDecodesWhatArrives()
{
    // A board's text reaches a terminal as marks: C0 and C1 controls alike (0x98 in Windows-1251).
    QCOMPARE(Printable(QString("a\x1B[31m") + QChar(0x98)), QString("a\\x1b[31m\\x98"));
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    Terminal terminal{outStream, errStream, false, nullptr, CancelToken()};
    Link link;
    link.port = test::freeUdpPort();
    QUdpSocket board;
    board.bind(QHostAddress("127.0.0.1"), 0);
    const StoredConfig config = DefaultStoredConfig(QHostAddress("127.0.0.2"));
    QTimer::singleShot(100, [&] {
        for (const QByteArray &datagram :
             {ToByteArray(ConfigReply(config.config)), ToByteArray(RebootAck(config.config)),
              QByteArray("ikl\x07\x01\x02\x03", 7), QByteArray(9000, 'x'), QByteArray("\x01\x02zz", 4)})
            board.writeDatagram(datagram, QHostAddress::LocalHost, link.port);
    });
    QCOMPARE(WatchCommand(link, false, 4, terminal), 0);
    const QStringList lines = out.trimmed().split('\n');
    QCOMPARE(lines.size(), 5);
    QVERIFY(lines[0].contains(QString("127.0.0.1:%1").arg(board.localPort())));
    QVERIFY(lines[0].contains("config  lift 127.0.0.2"));
    QVERIFY(lines[1].contains("reboot-ack"));
    QVERIFY(lines[2].contains("ikl 105*107*108*7*1*2*3*0*0*0*0*0#"));
    QVERIFY(lines[3].contains("9000 bytes  oversize"));  // told, not dropped unseen
    QVERIFY(lines[4].contains("unknown  01 02 7a 7a"));

    // A burst gives --count datagrams, not the whole pass that brought them.
    out.clear();
    QTimer::singleShot(100, [&] {
        for (int i = 0; i < 50; ++i)
            board.writeDatagram(QByteArray("\x01\x02zz", 4), QHostAddress::LocalHost, link.port);
    });
    QCOMPARE(WatchCommand(link, false, 3, terminal), 0);
    QCOMPARE(out.trimmed().split('\n').size(), 3);
}

// Three new boards connected one at a time at the same address; each ends on its planned address.
void TestCli::commissionsBoardsOneAfterAnother()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    const QHostAddress at = test::uniqueLoopback();
    const quint32 net = at.toIPv4Address() & 0xFFFFFF00u;
    auto host = [&](quint32 h) { return QHostAddress(net | h).toString(); };
    QTemporaryDir dir;
    const QString planPath = dir.filePath("site.csv");
    QFile plan(planPath);
    QVERIFY(plan.open(QIODevice::WriteOnly));
    plan.write(
        QStringLiteral(
            "name,lift,mask,router\n\"Lift 1, tower B\",%1,255.255.255.0,%4\nLift 2,%2,255.255.255.0,%4\n"
            "Lift 3,%3,255.255.255.0,%4\n")
            .arg(host(201), host(202), host(203), host(1))
            .toUtf8());
    plan.close();

    std::vector<std::unique_ptr<StandInBoard>> boards;
    auto connectBoard = [&] {
        BoardOptions options;
        options.address = at;
        options.rebootMs = 50;
        boards.push_back(std::make_unique<StandInBoard>(options));
        QString error;
        QVERIFY2(boards.back()->start(error), qPrintable(error));
    };
    connectBoard();
    const QStringList args = {"commission", planPath, "--at",      at.toString(),
                              "--port",     "0",      "--timeout", "200"};
    QProcess ctl;
    ctl.start(QCoreApplication::applicationDirPath() + "/velmarctl", args);
    // Killed as soon as the first board is written, then started again: the first row is finished on
    // its own board, never written to the next one.
    QTRY_VERIFY_WITH_TIMEOUT(QFile(CommissionLogPath(planPath)).size() > 50, 20000);
    ctl.kill();
    ctl.waitForFinished();
    ctl.start(QCoreApplication::applicationDirPath() + "/velmarctl", args);
    QElapsedTimer clock;
    clock.start();
    while (ctl.state() != QProcess::NotRunning && clock.elapsed() < 60000) {
        QTest::qWait(20);
        if (boards.back()->address() != at && boards.size() < 3)
            connectBoard();  // the last one has moved away: the next is plugged in
    }
    QCOMPARE(ctl.exitCode(), 0);
    QCOMPARE(boards.size(), size_t(3));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(boards[i]->address().toString(), host(201 + i));
        QCOMPARE(IpText(boards[i]->stored().config.record.netMask), QString("255.255.255.0"));
        QCOMPARE(boards[i]->stored().config.record.mac[5], std::uint8_t(201 + i));  // from the lift address
    }
    QFile log(CommissionLogPath(planPath));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(log.readAll()).trimmed().split('\n');
    QVERIFY(lines.size() >= 7);  // each row written, then done
    QVERIFY(lines.last().endsWith(",done"));
    QVERIFY(lines[1].contains("\"Lift 1, tower B\"") && lines[1].endsWith(",written"));
    QVERIFY(lines[2].contains("\"Lift 1, tower B\"") && lines[2].endsWith(",done"));
    // Every line names the board's address and version; after a resume the MAC before is still the first.
    const QStringList written = RecordFields(lines[1]), done = RecordFields(lines[2]);
    QCOMPARE(written.value(2), host(201));
    QVERIFY(!written.value(5).isEmpty());
    QCOMPARE(done.value(3), written.value(3));

    const Run again = Ctl({"commission", planPath, "--at", at.toString()});
    QCOMPARE(again.code, 0);
    QVERIFY(!again.out.contains("waiting"));

    // A done row is done again only when asked to, on the board that replaces its own.
    QVERIFY(Ctl({"commission", planPath, "--at", at.toString(), "--row", "Lift 2"}).err.contains("--redo"));
    boards[1].reset();
    connectBoard();
    const Run redo = Ctl({"commission", planPath, "--at", at.toString(), "--redo", "Lift 2"});
    QVERIFY2(redo.code == 0, qPrintable(redo.out + redo.err));
    QCOMPARE(boards.back()->address().toString(), host(202));

    // The site against its plan: all as planned, then one board changed.
    Run audit = Ctl({"audit", planPath});
    QVERIFY2(audit.code == 0, qPrintable(audit.out + audit.err));
    QCOMPARE(audit.out.count("  as planned"), 3);
    QCOMPARE(Ctl({"write", host(203), "--mask", "255.255.0.0"}).code, 0);
    audit = Ctl({"audit", planPath, "--json"});
    QCOMPARE(audit.code, 1);
    QVERIFY2(audit.out.contains("\"state\":\"differs\"") &&
                 audit.out.contains("mask 255.255.0.0 (planned 255.255.255.0)"),
             qPrintable(audit.out));
}

void TestCli::sitePlanCheck_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QString>("problem");
    QTest::newRow("same lift address")
        << QByteArray("A,127.0.1.5,255.255.255.0,0.0.0.0\nB,127.0.1.5,255.255.255.0,0.0.0.0\n")
        << "A and B share the lift address 127.0.1.5";
    QTest::newRow("same MAC") << QByteArray("A,127.0.1.5,255.255.255.0,0.0.0.0,02:1E:00:00:00:01\n"
                                            "B,127.0.1.6,255.255.255.0,0.0.0.0,02:1E:00:00:00:01\n")
                              << "A and B share the MAC 02:1E:00:00:00:01";
    QTest::newRow("bad mask") << QByteArray("A,127.0.1.5,255.0.255.0,0.0.0.0\n")
                              << "line 2 (A): mask 255.0.255.0";
    QTest::newRow("bad address") << QByteArray("A,127.0.1.500,255.255.255.0,0.0.0.0\n") << "line 2 (A): lift";
}

// Plans as a Ukrainian spreadsheet saves them, and rows that could never be told apart on site.
void TestCli::sitePlansAsSpreadsheetsSaveThem()
{
    const QByteArray cp1251 =
        QByteArray("name;lift;mask;router\n") + "\xCB\xB3\xF4\xF2 \xC0" +
        ";127.0.1.5;255.255.255.0;0.0.0.0\n\xCB\xB3\xF4\xF2 \xC1;127.0.1.6;255.255.255.0;0.0.0.0\n";
    SitePlan plan = ParseSitePlan(cp1251);
    QCOMPARE(plan.reading, QString("Windows-1251, separated by \";\""));
    QVERIFY2(plan.problems.isEmpty(), qPrintable(plan.problems.join('|')));
    QCOMPARE(plan.rows.size(), 2);
    QCOMPARE(plan.rows[1].name, QString("Ліфт Б"));

    plan = ParseSitePlan("\xEF\xBB\xBF" + cp1251);  // a mark before Windows-1251 text
    QCOMPARE(plan.rows.value(1).name, QString("Ліфт Б"));
    // Line ends of a spreadsheet that ends lines with CR alone (Excel for Mac's "CSV (Macintosh)").
    plan = ParseSitePlan(QByteArray(cp1251).replace('\n', '\r'));
    QCOMPARE(plan.rows.value(1).name, QString("Ліфт Б"));
    // A "sep=" line that names no separator is named as such, and no line end is shown as a separator.
    plan = ParseSitePlan("sep=\r\nname,lift,mask,router\r\nA,127.0.1.5,255.255.255.0,0.0.0.0\r\n");
    QVERIFY2(!plan.reading.contains('\r') && !plan.reading.contains('\n'), qPrintable(plan.reading));
    const QString unicodeText = "name\tlift\tmask\trouter\r\nЛіфт А\t127.0.1.5\t255.255.255.0\t0.0.0.0\r\n";
    plan = ParseSitePlan(
        "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(unicodeText.utf16()), unicodeText.size() * 2));
    QCOMPARE(plan.reading, QString("UTF-16, tab-separated"));
    QCOMPARE(plan.rows.value(0).name, QString("Ліфт А"));
    QVERIFY(ParseSitePlan("PK\x03\x04\x14\x00").problems.value(0).contains("save it as CSV"));
    QCOMPARE(ParseSitePlan("name,lift,mask,router\n\"A,127.0.1.5,255.255.255.0,0.0.0.0\n").problems,
             QStringList{"line 2: a quote (\") opened and never closed"});
    // Ukrainian headings, in any case and with blanks around them; a notes column is passed over.
    plan = ParseSitePlan("\xEF\xBB\xBF Назва ;Адреса;МАСКА;шлюз;Примітка;мак\n"
                         "Ліфт 1;127.0.1.5;255.255.255.0;0.0.0.0;ключ у диспетчера;\n");
    QVERIFY2(plan.problems.isEmpty(), qPrintable(plan.problems.join('|')));
    QCOMPARE(plan.ignored, QStringList{"\"Примітка\""});
    QCOMPARE(plan.rows.value(0).name, QString("Ліфт 1"));
    QVERIFY(ParseSitePlan("name;назва;lift;mask;router\n")
                .problems.join('|')
                .contains("columns \"name\" and \"назва\" both give the name"));

    plan = ParseSitePlan(
        "\xEF\xBB\xBFsep=;\nname;lift;mask;router\n\"A; east\";127.0.1.5;255.255.255.0;0.0.0.0\n");
    QCOMPARE(plan.reading, QString("UTF-8, separated by \";\""));
    QCOMPARE(plan.rows.value(0).name, QString("A; east"));

    QVERIFY(ParseSitePlan("name,lift,mask,router,lift\n").problems.join('|').contains("\"lift\" twice"));
    QVERIFY(ParseSitePlan("name,lift,mask,router\n").problems.join('|').contains("no rows"));
    const QStringList atKnown =
        CheckSitePlan(ParseSitePlan("name,lift,mask,router\nB,127.0.1.2,255.255.255.0,0.0.0.0\n"), true,
                      QHostAddress("127.0.1.2"));
    QVERIFY2(atKnown.join('|').contains("where new boards answer"), qPrintable(atKnown.join('|')));
}

// Two boards answering at one address are told, by a read, a backup and commissioning, which writes
// nothing.
void TestCli::twoBoardsBehindOneAddressAreNamed()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    Site site;
    site.add();
    site.add();
    const QHostAddress at = test::uniqueLoopback();
    Relay relay(at, site.addresses);
    const QString macs = MacText(site.boards[0]->stored().config.record.mac) + " and " +
                         MacText(site.boards[1]->stored().config.record.mac);
    Run run = Ctl({"read", at.toString()});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains("two boards (MACs " + macs + ") answer at " + at.toString()),
             qPrintable(run.err));
    QTemporaryDir backups;  // one of the two is saved, and the other not forgotten
    run = Ctl({"backup", at.toString(), "--dir", backups.path()});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains("two boards (MACs " + macs + ") answer at " + at.toString()),
             qPrintable(run.err));

    QTemporaryDir dir;
    QFile plan(dir.filePath("site.csv"));
    QVERIFY(plan.open(QIODevice::WriteOnly));
    plan.write(QStringLiteral("name,lift,mask,router\nA,%1,255.255.255.0,0.0.0.0\n")
                   .arg(QHostAddress((at.toIPv4Address() & 0xFFFFFF00u) | 200u).toString())
                   .toUtf8());
    plan.close();
    const StoredConfig before = site.boards[0]->stored();
    run = Ctl({"commission", plan.fileName(), "--at", at.toString(), "--port", "0"});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains("connect one at a time"), qPrintable(run.err));
    QCOMPARE(site.boards[0]->stored().config.record, before.config.record);
}

// A board moved to another address is its row's; what it stored and what it runs are named together;
// a subnet larger than the bound is read around its lifts and said so, as are many subnets that share
// it; the page reads as a report.
void TestCli::auditTiesMovedBoardsToRowsAndNamesWhatDiffers()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    Site site;
    site.add();
    StandInBoard &moved = site.add();
    QTemporaryDir dir;
    const QString planPath = dir.filePath("site.csv"), html = dir.filePath("audit.html");
    QFile plan(planPath);
    QVERIFY(plan.open(QIODevice::WriteOnly));
    plan.write(QStringLiteral("name,lift,mask,router,mac\n\"Ліфт 1, під'їзд А\",%1,255.0.0.0,127.0.0.1,\n"
                              "Ліфт 2,%2,255.0.0.0,127.0.0.1,%3\n")
                   .arg(site.at(0), site.near(1, 24, 200), MacText(moved.stored().config.record.mac))
                   .toUtf8());
    plan.close();
    QCOMPARE(Ctl({"write", site.at(0), "--mask", "255.255.0.0", "--router", site.near(0, 16, 1)}).code, 0);
    const Run run = Ctl({"audit", planPath, "--html", html, "--title", "Tower <A> & B"});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.out.startsWith("Audit of " + planPath + " (2 lifts), "), qPrintable(run.out));
    QVERIFY2(run.out.contains("Ліфт 1, під'їзд А  " + site.at(0) + " ") &&
                 run.out.contains("differs, reboot pending: mask 255.255.0.0 (planned 255.0.0.0)"),
             qPrintable(run.out));
    QVERIFY(run.out.contains("runs mask 255.0.0.0 (stored 255.255.0.0)"));
    QVERIFY(run.out.contains("moved: answers at " + site.at(1) + " instead of " + site.near(1, 24, 200)));
    QVERIFY2(!run.out.contains(QRegularExpression(QRegularExpression::escape(site.at(1)) + " +not in plan")),
             qPrintable(run.out));
    QVERIFY(run.out.contains("2 lifts: 0 as planned, 1 differ, 1 moved, 0 silent"));
    QVERIFY2(run.err.contains("subnet 127.0.0.0/8 has 16777214 addresses; read are 4096"),
             qPrintable(run.err));
    QFile report(html);
    QVERIFY(report.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(report.readAll());
    QVERIFY(page.contains("<td>Ліфт 1, під'їзд А</td>") && page.contains("<h1>Tower &lt;A&gt; &amp; B</h1>"));
    // The totals and what to do come before the lifts, whose heading each printed page repeats.
    QVERIFY2(page.indexOf("2 lifts: 0 as planned") < page.indexOf("<b>moved</b>: give the board") &&
                 page.indexOf("<b>moved</b>") < page.indexOf("<table><thead><tr><th>lift</th>") &&
                 !page.contains("<b>silent</b>"),
             qPrintable(page));

    // Many subnets share the one bound, read around their lifts, and what is not read is said. The silent
    // lifts stand where no test's board does.
    QString rows = QStringLiteral("name,lift,mask,router\nboard,%1,255.255.255.0,0.0.0.0\n").arg(site.at(0));
    for (int i = 1; i <= 12; ++i)
        rows += QStringLiteral("silent %1,127.%1.0.10,255.255.240.0,0.0.0.0\n").arg(i);
    QVERIFY(plan.open(QIODevice::WriteOnly | QIODevice::Truncate));
    plan.write(rows.toUtf8());
    plan.close();
    const Run many = Ctl({"audit", planPath, "--timeout", "200", "--retries", "0", "--html", html});
    QVERIFY2(many.out.contains("13 lifts: 0 as planned, 1 differ, 0 moved, 12 silent"), qPrintable(many.out));
    QVERIFY2(many.err.contains("the plan's 13 subnets have ") &&
                 many.err.contains(" read are 4096 of them in all") &&
                 many.err.contains("subnet 127.1.0.0/20 has 4094 addresses; read are ") &&
                 many.err.contains("and 2 more subnet(s) read in part"),
             qPrintable(many.err));
    report.close();
    QVERIFY(report.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(report.readAll()).contains("<h1>site</h1>"));
}

// A range's silent addresses are counted, not failed; one named alone fails; Ctrl+C has a code of its own,
// except after a write went out, which then stays unconfirmed.
void TestCli::exitCodesFollowOneRule()
{
    Site site;
    BoardOptions slow;
    slow.faults.replyDelayMs = 300;
    site.add(slow);
    const QString silent = site.near(0, 24, 250);
    Run run = Ctl({"read", site.at(0) + "-" + silent, "--timeout", "500", "--retries", "0"});
    QVERIFY2(run.code == 0 && run.err.contains("board(s) did not answer"), qPrintable(run.err));
    QCOMPARE(Ctl({"read", site.at(0), silent, "--timeout", "500", "--retries", "0"}).code, 1);
    run = Ctl({"read", site.at(0), "--timeout", "100", "--retries", "0"});  // the board takes 300 ms
    QVERIFY2(run.code == 1 && run.err.contains("answered only after the time-out of 100 ms") &&
                 run.err.contains("--timeout 400"),
             qPrintable(run.err));
#ifdef Q_OS_UNIX
    // Runs until `ready` says so, then as if Ctrl+C were pressed: the exit code and standard error.
    auto interrupted = [](const QStringList &args, const std::function<bool(const QString &err)> &ready) {
        QProcess ctl;
        ctl.start(QCoreApplication::applicationDirPath() + "/velmarctl", args + QStringList{"--port", "0"});
        QString err;
        QElapsedTimer clock;
        clock.start();
        while (!ready(err) && ctl.state() != QProcess::NotRunning && clock.elapsed() < 20000) {
            QTest::qWait(5);
            err += QString::fromUtf8(ctl.readAllStandardError());
        }
        ::kill(pid_t(ctl.processId()), SIGINT);
        while (ctl.state() != QProcess::NotRunning && clock.elapsed() < 40000)
            QTest::qWait(5);
        return std::pair{ctl.exitCode(), err + QString::fromUtf8(ctl.readAllStandardError())};
    };
    const auto watch = interrupted({"watch"}, [](const QString &err) { return err.contains("listening"); });
    QCOMPARE(watch.first, 5);
    const auto write =
        interrupted({"write", site.at(0), "--router", "127.0.0.254", "--timeout", "5000"},
                    [&](const QString &) { return site.log.join('\n').contains("ConfigWrite"); });
    QVERIFY2(write.first == 4 && write.second.contains("stopped after the write went out"),
             qPrintable(write.second));
#endif
}

// A row's own board is no clash; a written row is never called done, and one whose board is gone is
// freed on record; the operator is told which row comes next.
void TestCli::commissionNamesTheNextRowAndFreesAGoneBoard()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    const QHostAddress at = test::uniqueLoopback();
    const quint32 net = at.toIPv4Address() & 0xFFFFFF00u;
    auto host = [&](quint32 h) { return QHostAddress(net | h); };
    QTemporaryDir dir;
    const QString planPath = dir.filePath("site.csv");
    QFile plan(planPath), log(CommissionLogPath(planPath));
    QVERIFY(plan.open(QIODevice::WriteOnly) && log.open(QIODevice::WriteOnly));
    plan.write(QStringLiteral("name,lift,mask,router\nA1,%1,255.255.255.0,%4\nA2,%2,255.255.255.0,%4\n"
                              "A3,%3,255.255.255.0,%4\n")
                   .arg(host(201).toString(), host(202).toString(), host(203).toString(), host(1).toString())
                   .toUtf8());
    log.write("time,row,mac_before,mac_after,version,result\n2026-12-01T10:00:00,A1,00:1E:00:00:00:01,"
              "00:1E:7F:00:00:09,x,written\n");
    plan.close(), log.close();
    std::vector<std::unique_ptr<StandInBoard>> boards;
    auto board = [&](const QHostAddress &address) {
        BoardOptions options;
        options.address = address;
        options.rebootMs = 50;
        boards.push_back(std::make_unique<StandInBoard>(options));
        QString error;
        QVERIFY2(boards.back()->start(error), qPrintable(error));
    };
    const QStringList args = {"commission", planPath, "--at",         at.toString(),
                              "--timeout",  "200",    "--wait-limit", "1"};

    board(host(202));  // A2's own board, set up elsewhere with another router
    Run run = Ctl(args + QStringList{"--row", "A2"});
    QVERIFY2(run.err.contains("A2: its board") && run.err.contains("is in place") &&
                 !run.err.contains("clash"),
             qPrintable(run.err));
    boards.clear();
    board(at);
    run = Ctl(args + QStringList{"--row", "A2"});
    QVERIFY2(run.code == 0 && run.out.contains("not done yet: A1 (written), A3") &&
                 !run.out.contains("every row"),
             qPrintable(run.out + run.err));
    run = Ctl(args);
    QVERIFY2(run.code == 1 && run.err.contains("--forget \"A1\""), qPrintable(run.err));
    QVERIFY(Ctl(args + QStringList{"--forget", "A1"}).out.contains("A1: free again"));

    QProcess ctl;
    ctl.start(QCoreApplication::applicationDirPath() + "/velmarctl", args + QStringList{"--port", "0"});
    QElapsedTimer clock;
    clock.start();
    while (ctl.state() != QProcess::NotRunning && clock.elapsed() < 30000) {
        QTest::qWait(20);
        if (boards.back()->address() != at)
            board(at);  // the last one has moved to its row's address: the next is plugged in
    }
    const QString out = QString::fromUtf8(ctl.readAllStandardOutput());
    QVERIFY2(ctl.exitCode() == 0 && out.contains("waiting for the board of A1 (1 of 3)") &&
                 out.contains("connect the next board: A3 (3 of 3)") && out.contains("is done"),
             qPrintable(out));
}

void TestCli::sitePlanCheck()
{
    QFETCH(QByteArray, rows);
    QFETCH(QString, problem);
    const QStringList problems = CheckSitePlan(ParseSitePlan("name,lift,mask,router,mac\n" + rows), true);
    QVERIFY2(problems.join('|').contains(problem), qPrintable(problems.join('|')));
}

// A row's name and a board's text come back from the record exactly, and no cell opens as a formula.
void TestCli::recordReadsBackWhatItWritesSpreadsheetSafe()
{
    const QStringList texts = {"Block A\\Lift 1",
                               "say \"hi\", twice",
                               QString("line\nbreak\t\x1b[31m\x7f"),
                               "Ліфт 1, під'їзд А",
                               "=HYPERLINK(\"http://e.vil/\")",
                               "+1+1",
                               "-1+1",
                               "@SUM(1;2)",
                               "\tx",
                               "'=quoted",
                               "\\x41",
                               "x\\",
                               QString()};
    for (const QString &text : texts) {
        const QString line = RecordLine({"2026-12-07T10:00:00", text, "done"});
        QCOMPARE(RecordFields(line), QStringList({"2026-12-07T10:00:00", text, "done"}));
        QVERIFY2(!line.contains('\n') && !line.contains('\r') && !line.contains('\t'), qPrintable(line));
        for (const QString &cell : CsvCells(line))
            QVERIFY2(!QString("=+-@").contains(cell.left(1)) || cell.isEmpty(), qPrintable(line));
    }
    QCOMPARE(RecordLine({"=1+1"}), QString("'=1+1"));

    // A plan's names reach the terminal shown, never obeyed (a path keeps its backslashes single).
    QTemporaryDir dir;
    QFile plan(dir.filePath("site.csv"));
    QVERIFY(plan.open(QIODevice::WriteOnly));
    plan.write("name,lift,mask,router\n\"A\x1b[31m\",127.0.1.500,255.0.0.0,0.0.0.0\n");
    plan.close();
    const Run run = Ctl({"commission", plan.fileName(), "--check", "--at", "127.0.0.2"});
    QVERIFY2(run.code == 2 && run.err.contains("(A\\x1b[31m)") && !run.err.contains('\x1b'),
             qPrintable(run.err));
}

// Whatever form the plan has, a row on record is read back as written, also from a record of an older
// version (in the plan's separator, Windows-1251 without a mark); a record that cannot be read so stops.
void TestCli::recordIsReadInTheFormItWasWrittenIn()
{
    const QByteArray rows = "ЦІ-1,127.0.1.5,255.255.255.0,0.0.0.0,ключ\n";
    const QByteArray utf8 = "name,lift,mask,router,примітка\n" + rows,
                     cp1251 = "name;lift;mask;router\n\xD6\xB2-1;127.0.1.5;255.255.255.0;0.0.0.0\n"
                              "\xCB\xB3\xF4\xF2 \xC1;127.0.1.6;255.255.255.0;0.0.0.0\n",
                     piped = "sep=|\n" + QByteArray(utf8).replace(',', '|'),
                     header = "\xEF\xBB\xBFtime,row,address,mac_before,mac_after,version,result\n",
                     line =
                         "2026-12-01T10:00:00,ЦІ-1,127.0.1.5,00:1E:00:00:00:01,00:1E:7F:00:01:05,x,written\n";
    const QString unicode = QString::fromUtf8(utf8).replace(',', '\t');
    const struct
    {
        QByteArray plan, record = {};  // no record: as this version writes it
        QString problem = {};
    } cases[] = {
        {utf8},
        {"\xEF\xBB\xBF" + QByteArray(utf8).replace(',', ';')},
        {QByteArray(utf8).replace(',', '\t')},
        {cp1251},
        {"\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(unicode.utf16()), unicode.size() * 2)},
        {piped},
        {cp1251,
         "time;row;mac_before;mac_after;version;result\n2026-12-01T10:00:00;\xD6\xB2-1;00:1E:00:00:00:01;"
         "00:1E:7F:00:01:05;x;written\n"},
        // A record of the first versions, UTF-8 without a mark and comma-separated, beside a Windows-1251
        // plan.
        {cp1251, "time,row,mac_before,mac_after,version,result\n2026-12-01T10:00:00,ЦІ-1,00:1E:00:00:00:01,"
                 "00:1E:7F:00:01:05,x,written\n"},
        {piped, "\xEF\xBB\xBFtime|row|mac_before|mac_after|version|result\n2026-12-01T10:00:00|ЦІ-1|"
                "00:1E:00:00:00:01|00:1E:7F:00:01:05|x|written\n"},
        {utf8, header + line + "2026-12-01T10:01:00,ЦІ-1,127", "line 3: 3 fields where the header has 7"},
        {utf8, header + QByteArray(line).replace("x", "\xFF"), "line 2: a byte that is not UTF-8"},
        {utf8, "\xFF\xFE" + header, "line 1: it is UTF-16"},
    };
    const QHostAddress at = test::uniqueLoopback();
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString planPath = dir.filePath("site.csv"), logPath = CommissionLogPath(planPath);
        const SitePlan plan = ParseSitePlan(c.plan);
        const QByteArray record =
            !c.record.isEmpty()
                ? c.record
                : CommissionRecord{plan.form.separator, {QString::fromUtf8(line).trimmed().split(',')}}
                      .bytes();
        QFile planFile(planPath), logFile(logPath);
        QVERIFY(planFile.open(QIODevice::WriteOnly) && logFile.open(QIODevice::WriteOnly));
        planFile.write(c.plan), logFile.write(record), planFile.close(), logFile.close();
        const Run run = Ctl({"commission", planPath, "--at", at.toString(), "--forget", "ЦІ-1"});
        QVERIFY(logFile.open(QIODevice::ReadOnly));  // the record as the run left it
        const QByteArray after = logFile.readAll();
        logFile.close();
        const QString form = plan.reading + (c.record.isEmpty() ? "" : " (older)");
        if (!c.problem.isEmpty()) {
            QVERIFY2(run.code == 1 && run.err.contains(logPath + " " + c.problem),
                     qPrintable(form + run.err));
            QCOMPARE(after, record);  // left as it was
            continue;
        }
        QVERIFY2(run.code == 0 && run.out.contains("ЦІ-1: free again"), qPrintable(form + run.out + run.err));
        QCOMPARE(run.err.count("примітка"), plan.ignored.size());
        const QList<QStringList> back = CommissionRecord::Read(after, plan.form.encoding, logPath).lines;
        QCOMPARE(back.value(0).value(1), QString("ЦІ-1"));
        QCOMPARE(back.value(1), QStringList({back.value(1).value(0), "ЦІ-1", "127.0.1.5", "00:1E:00:00:00:01",
                                             "", "", "forgotten"}));
    }
}

// Broadcast and network addresses of this computer's subnets, and its own, name no board; a broadcast
// goes to the subnet that holds the target, or to every segment for a target in none.
void TestCli::addressesThatNameNoBoardAndWhereBroadcastsGo()
{
    const QList<LocalSubnet> subnets = {{"eth0", "Ethernet", 2, QHostAddress("10.0.0.1"), 24},
                                        {"eth1", "Wi-Fi", 3, QHostAddress("192.168.7.20"), 16}};
    QVERIFY(NamesNoBoard(subnets, QHostAddress("10.0.0.255"))
                .contains("broadcast address of 10.0.0.0/24 on Ethernet"));
    QVERIFY(NamesNoBoard(subnets, QHostAddress("192.168.0.0")).contains("network address of 192.168.0.0/16"));
    QVERIFY(!NamesNoBoard(subnets, QHostAddress("255.255.255.255")).isEmpty());
    QVERIFY(NamesNoBoard(subnets, QHostAddress("10.0.0.2")).isEmpty());
    QVERIFY(NamesNoBoard(subnets, QHostAddress("10.0.1.255")).isEmpty());  // another subnet's: maybe a board
    QVERIFY(IsOwnAddress(subnets, QHostAddress("192.168.7.20")));

    QCOMPARE(BroadcastsFor(subnets, {QHostAddress("10.0.0.2"), QHostAddress("127.0.0.2")}),
             QList<Broadcast>({{QHostAddress("10.0.0.255"), 0}, {QHostAddress("255.255.255.255"), 2}}));
    const QList<Broadcast> everywhere = BroadcastsFor(subnets, {QHostAddress("10.77.0.9")});
    QVERIFY(everywhere.contains(Broadcast{QHostAddress("192.168.255.255"), 0}));
    QVERIFY(everywhere.contains(Broadcast{QHostAddress("255.255.255.255"), 3}));

    QCOMPARE(
        HowToReach(&subnets[0], QHostAddress("10.77.0.254"), QHostAddress("255.255.255.0"),
                   QHostAddress("10.77.0.1")),
        QStringList({"Linux:   sudo ip addr add 10.77.0.253/24 dev eth0",
                     "Windows: netsh interface ipv4 add address \"Ethernet\" 10.77.0.253 255.255.255.0"}));
    // A mask that makes no subnet to join: its /24 instead, and the write that gives the board that mask.
    for (const char *mask : {"0.0.0.0", "255.0.255.0", "255.255.255.255", "254.0.0.0", "255.255.255.254"}) {
        QVERIFY2(!UsableMask(QHostAddress(mask)), mask);
        QCOMPARE(
            HowToReach(&subnets[0], QHostAddress("10.77.0.9"), QHostAddress(mask), QHostAddress()),
            QStringList({"Linux:   sudo ip addr add 10.77.0.254/24 dev eth0",
                         "Windows: netsh interface ipv4 add address \"Ethernet\" 10.77.0.254 255.255.255.0",
                         "then:    velmarctl write 10.77.0.9 --mask 255.255.255.0"}));
    }
    QVERIFY(UsableMask(QHostAddress("255.0.0.0")) && UsableMask(QHostAddress("255.255.255.252")));
}

void TestCli::locksThatAreNotOursAreNamedNeverTaken_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<RunLock::Outcome>("outcome");
    const QByteArray ended =
        "2000000000\n" + QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() + "\n\n";
    using O = RunLock::Outcome;
    QTest::newRow("empty") << "file" << QByteArray() << O::NotOurs;
    QTest::newRow("garbage") << "file" << QByteArray("\x01not a lock\n") << O::NotOurs;
    QTest::newRow("another computer's")
        << "file" << QByteArray("42\nvelmarctl\nelsewhere\nits-id\n") << O::NotOurs;
    QTest::newRow("a folder") << "folder" << QByteArray() << O::NotOurs;
#ifdef Q_OS_UNIX
    QTest::newRow("a link to an ended run's lock") << "link" << ended << O::NotOurs;
    QTest::newRow("a link to nowhere") << "nowhere" << QByteArray() << O::NotOurs;
    QTest::newRow("a pipe") << "pipe" << QByteArray() << O::NotOurs;
#endif
    QTest::newRow("an ended run's, taken over") << "file" << ended << O::Held;
    QTest::newRow("a running one's") << "held" << QByteArray() << O::HeldByRun;
}

// A lock that no run of ours holds is named with its path and left as it is; one whose run has ended is
// taken over.
void TestCli::locksThatAreNotOursAreNamedNeverTaken()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(RunLock::Outcome, outcome);
    QTemporaryDir dir;
    const QString path = dir.filePath("127.000.000.002.lock"), target = dir.filePath("target");
    QLockFile running(path);
    QString error;
    if (kind == "file" || kind == "link")
        QVERIFY(WriteWholeFile(kind == "file" ? path : target, content, error));
    if (kind == "link" || kind == "nowhere")
        QVERIFY(QFile::link(target, path));
    if (kind == "folder")
        QVERIFY(QDir(dir.path()).mkdir("127.000.000.002.lock"));
#ifdef Q_OS_UNIX
    if (kind == "pipe")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
    if (kind == "held")
        QVERIFY(running.tryLock(0));
    {
        const RunLock lock(path);
        QCOMPARE(lock.outcome(), outcome);
        QVERIFY2(outcome == RunLock::Outcome::Held || lock.why().contains(path), qPrintable(lock.why()));
        QVERIFY(outcome != RunLock::Outcome::HeldByRun ||
                lock.holder() == QCoreApplication::applicationPid());
    }
    const QFileInfo left(path);
    QCOMPARE(left.isSymLink(), kind == "link" || kind == "nowhere");
    QCOMPARE(left.isDir(), kind == "folder");
    QCOMPARE(QFileInfo::exists(target), kind == "link");
    QByteArray kept;
    if (outcome == RunLock::Outcome::NotOurs && (kind == "file" || kind == "link"))
        QVERIFY(ReadBoundedFile(path, 4096, kept, error) == ReadOutcome::Read && kept == content);
}

// The commissioning record's lock too: an empty one is named, and stays.
void TestCli::commissionNamesARecordLockThatIsNotOurs()
{
    QTemporaryDir dir;
    const QString plan = dir.filePath("site.csv"), lock = CommissionLogPath(plan) + ".lock";
    QString error;
    QVERIFY(WriteWholeFile(plan, "name,lift,mask,router\nA,127.0.9.9,255.0.0.0,127.0.0.1\n", error));
    QVERIFY(WriteWholeFile(lock, "", error));
    const Run run = Ctl({"commission", plan, "--at", test::uniqueLoopback().toString()});
    QVERIFY2(run.code == 1 && run.err.contains(lock + " is empty") && run.err.contains("remove it"),
             qPrintable(run.err));
    QVERIFY(QFileInfo::exists(lock));
}

// Kyiv in autumn: a run at 03:50 summer time, the next 40 minutes later at 03:30 winter time, then one
// after the zone was set to Warsaw (02:45). An older version's folder is named for a later local time.
void TestCli::backupsAcrossAClockChangeRestoreTheLaterOne()
{
    QTemporaryDir dir;
    const QHostAddress address("127.0.0.2");
    const StoredConfig config = DefaultStoredConfig(address);
    QVERIFY(QDir(dir.path()).mkdir("2026-12-31_235959"));
    SaveBackup(QDir(dir.filePath("2026-12-31_235959")), address, config);
    QString last;
    QDateTime made;
    for (const char *time :
         {"2026-10-25T03:50:00+03:00", "2026-10-25T03:30:00+02:00", "2026-10-25T02:45:00+01:00"}) {
        made = QDateTime::fromString(time, Qt::ISODate);
        last = SaveBackup(NewBackupFolder(dir.path(), made), address, config);
    }
    const auto found = NewestBackup(dir.path(), config.config.record.mac, address);
    QVERIFY(found);
    QCOMPARE(found->path, last);
    QCOMPARE(found->made, made);
}

// Two boards showing one MAC, backed up in one run: each address finds its own file.
void TestCli::twinsInOneBackupEachRestoreTheirOwnFile()
{
    QTemporaryDir dir;
    const QDir run = NewBackupFolder(dir.path());
    const StoredConfig config = DefaultStoredConfig(QHostAddress("127.0.0.2"));
    for (const char *address : {"127.0.0.10", "127.0.0.2", "127.0.0.3"}) {
        const QString saved = SaveBackup(run, QHostAddress(address), config);
        const auto found = NewestBackup(dir.path(), config.config.record.mac, QHostAddress(address));
        QVERIFY(found && found->byMac);
        QCOMPARE(found->path, saved);
    }
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"

// A range is read at once before anything is sent: its silent addresses cost one time-out together and
// are counted, not failed. A reboot's wait gives each board its own time, and this computer's own
// address in the list is left out.
void TestCli::rangesWaitOnceForTheirSilentAddresses()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    Site site;
    BoardOptions quick, slow;
    quick.rebootMs = 100;
    slow.rebootMs = 2500;
    site.add(quick);
    StandInBoard &b = site.add(slow);
    const QString range = site.at(0) + "-" + QHostAddress(site.addresses[1].toIPv4Address() + 8).toString();
    const QStringList quickly{"--yes", "--timeout", "200", "--retries", "0"};
    QTemporaryDir dir;
    QElapsedTimer clock;
    clock.start();
    Run run = Ctl(QStringList{"write", range, "--console", "dynamic", "--dir", dir.path()} + quickly);
    QVERIFY2(run.code == 0 && run.err.contains("2 of 2 board(s) kept the write; 8 addresses silent"),
             qPrintable(run.err));
    QCOMPARE(Ctl(QStringList{"write", range, "--router", "127.0.0.254", "--dir", dir.path()} + quickly).code,
             0);
    run = Ctl(QStringList{"restore", dir.path(), range} + quickly);
    QVERIFY2(run.code == 0 && run.err.contains("2 of 2 board(s) restored; 8 addresses silent"),
             qPrintable(run.out + run.err));
    QCOMPARE(IpText(b.stored().config.record.routerIp), QString("127.0.0.1"));
    QVERIFY2(clock.elapsed() < 10000, "one after another, the silent addresses took a second each");

    QStringList reboot{"reboot", range, "--wait", "--yes"};
    const QHostAddress own = LocalSubnets().value(0).address;
    if (!own.isNull())
        reboot << own.toString();
    run = Ctl(reboot);
    QVERIFY2(run.code == 0 && run.err.contains("2 of 2 board(s) answered again; 8 addresses silent"),
             qPrintable(run.out + run.err));
    QVERIFY(own.isNull() || run.err.contains(own.toString() + " is this computer's own address"));
    auto took = [&](int i) {
        const QRegularExpression after(QRegularExpression::escape(site.at(i)) +
                                       "  answers again after (\\d+) ms");
        return after.match(run.out).captured(1).toInt();
    };
    // From each board's own acknowledgement: not the silent addresses' wait, nor the slower board's.
    QVERIFY2(took(0) > 0 && took(0) < 1500 && took(1) >= 2000, qPrintable(run.out));
}
