#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestSettingsFaults : public QObject
{
    Q_OBJECT
private slots:
    void saveKilledAtAnyPointLeavesAWholeFile();
};

// A save killed at any moment leaves the old file or the new one: every section there, and every value
// of one save, never a mix or a cut.
void TestSettingsFaults::saveKilledAtAnyPointLeavesAWholeFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("VelmarCom.ini");
    for (int kill = 0; kill < 25; ++kill) {
        QProcess writer;
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer.start(QCoreApplication::applicationDirPath() + "/velmar-settings-writer", {path});
        QVERIFY(writer.waitForReadyRead(10000));
        QTest::qWait(QRandomGenerator::global()->bounded(5, 60));
        writer.kill();
        QVERIFY(writer.waitForFinished(10000));

        QSettings ini(path, QSettings::IniFormat);
        QCOMPARE(ini.status(), QSettings::NoError);
        const QStringList sections = ini.childGroups();
        for (const char *section : {"0", "1", "10", "11", "12", "1d", "2", "3", "4", "5", "6", "7", "8", "9"})
            QVERIFY2(sections.contains(section), section);
        const QString first = ini.value("0/1").toString();
        QVERIFY2(first == "001" || first == "002", qPrintable(first));
        for (const char *key : {"0/2", "0/3", "0/4"})
            QCOMPARE(ini.value(key).toString(), first);
        QCOMPARE(ini.value("9/1").toString(), first.right(1));
    }
}

QTEST_GUILESS_MAIN(TestSettingsFaults)
#include "tst_settings_faults.moc"
