#include "settings_store.h"
#include "whole_file.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace velmar;

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void theLastEntriesWrittenAreReadWhateverTheDates();
    void whatAStartFindsBesideTheFileIsNeverLost();
    void aStartRemovesOnlyWhatAKilledSaveLeft();
    void aSaveKeepsAddedLinesAndSaysWhyItWentElsewhere();
    void aFileNearTheBoundKeepsEveryLine();
#ifdef Q_OS_UNIX
    void copiesThatDifferLoseNothing_data();
    void copiesThatDifferLoseNothing();
    void linksAreNeitherWrittenNorChangedThrough();
#endif
};

namespace {

// A program folder "exe" and a user's folder "user", each with its "VelmarCom.ini".
struct Folders
{
    QTemporaryDir dir;
    SettingsPaths paths{dir.filePath("exe/VelmarCom.ini"), dir.filePath("user/VelmarCom.ini")};

    Folders() { QDir().mkpath(dir.filePath("exe")); }

    // The program's folder as a plain file: nobody can write there, root included.
    void block(bool blocked)
    {
        QDir(dir.filePath("exe")).removeRecursively();
        QFile::remove(dir.filePath("exe"));
        if (!blocked)
            QDir().mkpath(dir.filePath("exe"));
        else if (QFile file(dir.filePath("exe")); file.open(QIODevice::WriteOnly))
            file.write("");
    }
};

void Put(const QString &path, const QByteArray &text, int daysFromNow = 0)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.setFileTime(QDateTime::currentDateTime().addDays(daysFromNow), QFileDevice::FileModificationTime);
}

QByteArray Text(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

SettingsStore::Keys Target(const QString &first)
{
    return [first](IniFile &ini) { ini.setValue("0", "1", first); };
}
const SettingsStore::Keys Placement = [](IniFile &ini) { ini.setValue("6", "1", "10"); };

// A start and its close, as the window makes them: what the start read in [0] 1.
QString Run(const SettingsPaths &paths, const QString &saved, SettingsStore::Outcome *closed = nullptr)
{
    SettingsStore store(paths);
    store.load(Placement);
    const QString read = store.file().value("0", "1", "none");
    const SettingsStore::Outcome outcome = store.save(Target(saved));
    if (closed)
        *closed = outcome;
    return read;
}

}  // namespace

// A copy is read because it holds the last entries written, whatever its date, and whichever of the two
// is missing, damaged or cannot be written.
void TestSettingsStore::theLastEntriesWrittenAreReadWhateverTheDates()
{
    Folders f;
    f.block(true);  // a first start from a folder that cannot be written
    QCOMPARE(Run(f.paths, "022"), QString("none"));
    Put(f.paths.user, Text(f.paths.user), 365);  // a clock ahead
    f.block(false);
    QCOMPARE(Run(f.paths, "033"), QString("022"));  // nothing beside the program: the user's copy
    QCOMPARE(Run(f.paths, "044"), QString("033"));  // the save beside the program retired it
    QVERIFY(!QFile::exists(f.paths.user) && QFile::exists(f.paths.user + ".previous"));

    // Entries saved in the user's copy while the file beside the program could not be replaced, with a
    // clock behind: still the ones read next.
    Put(f.paths.user, "[0]\n1=055\n", -365);
    QCOMPARE(Run(f.paths, "066"), QString("055"));
    Put(f.paths.beside, QByteArray("[0]\n1=077\n\0", 11));  // damaged
    Put(f.paths.user, "[0]\n1=088\n");
    QCOMPARE(Run(f.paths, "099"), QString("088"));
    QCOMPARE(Text(f.paths.beside + ".damaged"), QByteArray("[0]\n1=077\n\0", 11));
#ifdef Q_OS_UNIX
    // A file beside the program that can be read and not written (a full disk): read, and the entries go
    // to the user's copy, since the earlier one was retired.
    Put(f.dir.filePath("elsewhere.ini"), Text(f.paths.beside));
    QVERIFY(QFile::remove(f.paths.beside) && QFile::link(f.dir.filePath("elsewhere.ini"), f.paths.beside));
    QCOMPARE(Run(f.paths, "100"), QString("099"));
#endif
}

// A damaged file goes under a name no earlier copy has.
void TestSettingsStore::whatAStartFindsBesideTheFileIsNeverLost()
{
    Folders f;
    QVERIFY(QDir().mkdir(f.paths.beside + ".damaged"));
    for (const char *content : {"first\0", "second\0"}) {
        Put(f.paths.beside, QByteArray(content, int(qstrlen(content)) + 1));
        SettingsStore store(f.paths);
        const SettingsStore::Outcome outcome = store.load(Placement);
        QVERIFY(outcome.saved && outcome.problems.size() == 1);
        QVERIFY2(outcome.problems[0].contains("пошкоджено"), qPrintable(outcome.problems[0]));
    }
    QCOMPARE(Text(f.paths.beside + ".damaged-2"), QByteArray("first\0", 6));
    QCOMPARE(Text(f.paths.beside + ".damaged-3"), QByteArray("second\0", 7));
}

// Only a temporary file marked as a save's, made here by a process that has ended, goes; every other
// name stays, whatever its shape.
void TestSettingsStore::aStartRemovesOnlyWhatAKilledSaveLeft()
{
    Folders f;
    QProcess ended;
    ended.start(QCoreApplication::applicationFilePath(), {"-functions"});
    QVERIFY(ended.waitForStarted(10000));
    const QString gone = QString::number(ended.processId());
    QVERIFY(ended.waitForFinished(10000));
    const QString running = QString::number(QCoreApplication::applicationPid());
    const QString mark = velmar::SaveTemporaryPrefix(f.paths.beside);
    const QString elsewhere = QString(mark).replace(QRegularExpression("\\.[0-9a-f]{8}\\.$"), ".zzzzzzzz.");
    QStringList kept = {"copy01", "Backup", "2026ab", "Site42", "OLD001", "aB3xYz", "backup"};
    for (QString &name : kept)
        name = f.paths.beside + '.' + name;
    kept << f.dir.filePath("exe/" + mark + running + ".abcd1234")
         << f.dir.filePath("exe/" + elsewhere + gone + ".abcd1234");
    for (const QString &path : kept)
        Put(path, "[0]\n1=001\n");
    const QString stray = f.dir.filePath("exe/" + mark + gone + ".abcd1234");
    Put(stray, "[0]\n1=00");
    QVERIFY(SettingsStore(f.paths).load(Placement).saved);
    QVERIFY(!QFile::exists(stray));
    for (const QString &path : kept)
        QVERIFY2(Text(path) == "[0]\n1=001\n", qPrintable(path));
}

void TestSettingsStore::aSaveKeepsAddedLinesAndSaysWhyItWentElsewhere()
{
    Folders f;
    SettingsStore store(f.paths);
    QVERIFY(store.load(Placement).saved);
    Put(f.paths.beside, Text(f.paths.beside) + "[x]\nadded=1\n");  // by hand, while the window is open
    QVERIFY(store.save(Target("001")).saved);
    QVERIFY(Text(f.paths.beside).contains("[x]\nadded=1\n"));
    QVERIFY(Text(f.paths.beside).contains("[0]\n1=001\n"));

    // A file with no room left for the program's keys below the reader's bound: they go to the user's
    // copy, alone, and the reason is told.
    const QByteArray full = QByteArray(MaxIniBytes - 8, ';');
    Put(f.paths.beside, full);
    SettingsStore again(f.paths);
    const SettingsStore::Outcome outcome = again.load(Placement);
    QVERIFY(outcome.saved && outcome.notices.size() == 1);
    QVERIFY2(outcome.notices[0].contains(QString::number(MaxIniBytes)), qPrintable(outcome.notices[0]));
    QCOMPARE(again.path(), f.paths.user);
    QCOMPARE(Text(f.paths.user), QByteArray("[6]\n1=10\n"));
    QCOMPARE(Text(f.paths.beside), full);
}

// A hand-kept file a few lines short of the reader's bound: the keys that do not fit go to the user's
// copy, start after start, and the file keeps every line it had.
void TestSettingsStore::aFileNearTheBoundKeepsEveryLine()
{
    Folders f;
    QByteArray lines;
    while (lines.size() < MaxIniBytes - 200)
        lines += "; a line the operator keeps\n";
    lines += ';' + QByteArray(MaxIniBytes - lines.size() - 16, '-') + '\n';  // 5 bytes short of the bound
    Put(f.paths.beside, lines + "[6]\n1=10\n");
    SettingsStore::Outcome closed;
    QCOMPARE(Run(f.paths, "001", &closed), QString("none"));
    QVERIFY(closed.saved && closed.notices.size() == 1);
    QCOMPARE(Run(f.paths, "002"), QString("001"));
    QCOMPARE(Run(f.paths, "003"), QString("002"));
    QCOMPARE(Text(f.paths.beside), lines + "[6]\n1=10\n");
    SettingsStore again(f.paths);
    const SettingsStore::Outcome started = again.load(Placement);
    QVERIFY2(started.saved && started.notices.isEmpty() && started.problems.isEmpty(),
             qPrintable(started.notices.join('|') + started.problems.join('|')));
}

#ifdef Q_OS_UNIX
namespace {

// Unreadable to this program: without permission, or another user's where permissions do not stop it.
bool MakeUnreadable(const QString &path, bool unreadable)
{
    const QByteArray name = QFile::encodeName(path);
    if (::geteuid() == 0)
        return ::chown(name.constData(), unreadable ? 65534 : 0, unreadable ? 65534 : 0) == 0;
    return QFile::setPermissions(path, unreadable ? QFileDevice::Permissions()
                                                  : QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

}  // namespace

void TestSettingsStore::copiesThatDifferLoseNothing_data()
{
    QTest::addColumn<bool>("unreadableFirst");
    QTest::addColumn<bool>("namesTaken");
    QTest::newRow("the last entries in the user's copy") << false << false;
    QTest::newRow("the file beside unreadable at the start before") << true << false;
    QTest::newRow("the names taken") << false << true;
}

// The file beside the program holds lines of its own and other values than the user's copy: the start
// reads the copy, the file beside keeps its lines, and both texts as they were stay under new names.
void TestSettingsStore::copiesThatDifferLoseNothing()
{
    QFETCH(bool, unreadableFirst);
    QFETCH(bool, namesTaken);
    Folders f;
    const QByteArray theirs = "; notes\n[0]\n1=123\n[notes]\nn=1\n";
    Put(f.paths.beside, theirs);
    QByteArray last = "[0]\n1=555\n";
    if (unreadableFirst) {
        QVERIFY(MakeUnreadable(f.paths.beside, true));
        QCOMPARE(Run(f.paths, "555"), QString("none"));
        QVERIFY(MakeUnreadable(f.paths.beside, false));
        last = Text(f.paths.user);
    } else {
        QVERIFY(QDir().mkpath(f.dir.filePath("user")));
        Put(f.paths.user, last);
    }
    const QStringList taken = {f.paths.beside + ".kept", f.paths.user + ".previous"};
    for (const QString &path : namesTaken ? taken : QStringList())
        Put(path, "mine");
    SettingsStore store(f.paths);
    const SettingsStore::Outcome outcome = store.load(Placement);
    QCOMPARE(store.file().value("0", "1", "none"), QString("555"));
    QVERIFY(outcome.saved && outcome.notices.size() == 1);
    const QString kept = taken[0] + (namesTaken ? "-2" : "");
    QVERIFY2(outcome.notices[0].contains(kept), qPrintable(outcome.notices[0]));
    QCOMPARE(Text(kept), theirs);
    QCOMPARE(Text(taken[1] + (namesTaken ? "-2" : "")), last);
    QCOMPARE(Text(f.paths.beside), "; notes\n[0]\n1=555\n[6]\n1=10\n\n[notes]\nn=1\n");
    for (const QString &path : namesTaken ? taken : QStringList())
        QCOMPARE(Text(path), "mine");
}

// A link at the user's copy to a read-only file elsewhere: neither written nor made writable, and the
// failure names it.
void TestSettingsStore::linksAreNeitherWrittenNorChangedThrough()
{
    Folders f;
    f.block(true);
    const QString other = f.dir.filePath("other.ini");
    Put(other, "[0]\n1=123\n");
    QVERIFY(QFile::setPermissions(other, QFileDevice::ReadOwner | QFileDevice::ReadOther));
    QVERIFY(QDir().mkpath(f.dir.filePath("user")) && QFile::link(other, f.paths.user));
    SettingsStore store(f.paths);
    const SettingsStore::Outcome outcome = store.load(Placement);
    QVERIFY(!outcome.saved);
    QVERIFY2(outcome.failure.contains(f.paths.user + " (") && outcome.failure.contains("link"),
             qPrintable(outcome.failure));
    QVERIFY(!(QFile::permissions(other) & QFileDevice::WriteOwner));
    QCOMPARE(Text(other), QByteArray("[0]\n1=123\n"));

    // With the folder writable: the text is read through the link, copied beside the program no more
    // readable than it is there, and the link stays.
    f.block(false);
    QVERIFY(QFile::setPermissions(other, QFileDevice::ReadOwner));
    QCOMPARE(Run(f.paths, "456"), QString("123"));
    QCOMPARE(QFile::permissions(f.paths.beside) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
    QCOMPARE(QFile::symLinkTarget(f.paths.user), other);

    // A folder at the user's copy is neither moved nor taken for a copy.
    QVERIFY(QFile::remove(f.paths.user) && QDir().mkdir(f.paths.user));
    QCOMPARE(Run(f.paths, "789"), QString("456"));
    QVERIFY(QFileInfo(f.paths.user).isDir() && !QFile::exists(f.paths.user + ".previous"));
}
#endif

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"

using namespace velmar;
