#include "settings_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void theLastEntriesWrittenAreReadWhateverTheDates();
    void whatAStartFindsBesideTheFileIsNeverLost();
    void aSaveKeepsAddedLinesAndSaysWhyItWentElsewhere();
#ifdef Q_OS_UNIX
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

// A damaged file goes under a name no earlier copy has; a temporary file of a killed save goes away, a
// copy someone made stays.
void TestSettingsStore::whatAStartFindsBesideTheFileIsNeverLost()
{
    Folders f;
    QVERIFY(QDir().mkdir(f.paths.beside + ".damaged"));
    Put(f.paths.beside + ".aB3xYz", "[0]\n1=001\n");
    Put(f.paths.beside + ".backup", "[0]\n1=002\n");
    for (const char *content : {"first\0", "second\0"}) {
        Put(f.paths.beside, QByteArray(content, int(qstrlen(content)) + 1));
        SettingsStore store(f.paths);
        const SettingsStore::Outcome outcome = store.load(Placement);
        QVERIFY(outcome.saved && outcome.problems.size() == 1);
        QVERIFY2(outcome.problems[0].contains("пошкоджено"), qPrintable(outcome.problems[0]));
    }
    QCOMPARE(Text(f.paths.beside + ".damaged-2"), QByteArray("first\0", 6));
    QCOMPARE(Text(f.paths.beside + ".damaged-3"), QByteArray("second\0", 7));
    QVERIFY(!QFile::exists(f.paths.beside + ".aB3xYz"));
    QCOMPARE(Text(f.paths.beside + ".backup"), QByteArray("[0]\n1=002\n"));
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

#ifdef Q_OS_UNIX
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
}
#endif

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
