#include "board.h"
#include "config_file.h"
#include "loopback.h"
#include "transport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace velmar;

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
struct Site
{
    std::vector<std::unique_ptr<StandInBoard>> boards;
    QList<QHostAddress> addresses;
    QStringList log;

    StandInBoard &add(BoardOptions options = {})
    {
        options.address = test::uniqueLoopback();
        auto board = std::make_unique<StandInBoard>(options);
        board->setLog([this](const QString &line) { log << line; });
        QString error;
        if (!board->start(error))
            qFatal("%s", qPrintable(error));
        addresses << options.address;
        boards.push_back(std::move(board));
        return *boards.back();
    }
    QString at(int i) const { return addresses[i].toString(); }
    // An address in the same /prefix as board i: "127.20.3.1" for 127.20.3.2 and 24 bits.
    QString near(int i, int bits, quint32 host) const
    {
        const quint32 mask = ~0u << (32 - bits);
        return QHostAddress((addresses[i].toIPv4Address() & mask) | host).toString();
    }
};

}  // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void readsManyBoardsAndNamesTheSilentOnes();
    void writeShowsChangesAndVerifiesThem();
    void writeThatIsNotKeptFails();
    void rebootWaitsUntilTheBoardAnswersAgain();
    void backupAndRestoreRoundTrip();
    void invalidValuesSendNothing_data();
    void invalidValuesSendNothing();
    void takenPortIsNamed();
};

void TestCli::readsManyBoardsAndNamesTheSilentOnes()
{
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
    QVERIFY(row(1).endsWith("answered, but not with what was asked"));  // "otv" in every reply
    QVERIFY(row(2).contains("lift " + site.at(2)));
    QVERIFY(row(3).endsWith("answered, but not with what was asked"));
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

void TestCli::writeShowsChangesAndVerifiesThem()
{
    Site site;
    StandInBoard &board = site.add();
    Run run = Ctl({"write", site.at(0), "--mask", "255.255.0.0", "--board", "dhcp", "--ident", "77",
                   "--dispatcher", "127.0.0.9", "--mac-from-lift", "--router", site.near(0, 16, 1)});
    QCOMPARE(run.code, 0);
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
    run = Ctl({"write", site.at(0), "--router", site.near(0, 16, 254), "--dry-run"});
    QCOMPARE(run.code, 0);
    QVERIFY(run.out.contains("router:"));
    QVERIFY(run.out.contains("dry run"));
    QCOMPARE(IpText(board.stored().config.record.routerIp), site.near(0, 16, 1));
    QVERIFY(!site.log.mid(before).join('\n').contains("ConfigWrite"));
}

void TestCli::writeThatIsNotKeptFails()
{
    Site site;
    BoardOptions stubborn;
    stubborn.faults.ignoreWrites = true;
    site.add(stubborn);
    const Run run = Ctl({"write", site.at(0), "--router", "127.0.0.254"});
    QCOMPARE(run.code, 1);
    QVERIFY(run.out.contains("router: NOT kept: wanted 127.0.0.254, board has 127.0.0.1"));
    QVERIFY(run.out.contains("does not hold everything asked for"));
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
}

void TestCli::backupAndRestoreRoundTrip()
{
    Site site;
    StandInBoard &a = site.add();
    StandInBoard &b = site.add();
    QCOMPARE(Ctl({"write", site.at(0), "--mask", "255.255.255.0", "--router", site.near(0, 24, 1), "--console",
                  "dynamic", "--ident", "5"})
                 .code,
             0);
    QTemporaryDir dir;
    Run run = Ctl({"backup", site.at(0), site.at(1), "--dir", dir.path()});
    QCOMPARE(run.code, 0);
    const QString fileA =
        dir.filePath(MacText(a.stored().config.record.mac).replace(':', '-') + "_" + site.at(0) + ".json");
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
    QTest::newRow("write to a range") << QStringList{"write", "127.0.0.2-127.0.0.3", "--mask", "255.0.0.0"};
    QTest::newRow("timeout not a number") << QStringList{"read", "@", "--timeout", "soon"};
    QTest::newRow("backup without a folder") << QStringList{"backup", "@"};
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

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
