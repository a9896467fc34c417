// The audit view over a practice site of velmar-board processes on loopback, its reports, and the
// practice's boards ending with the window.

#include "audit_view.h"
#include "loopback.h"
#include "practice_site.h"
#include "site_window.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace velmar;

namespace {

constexpr int Bound = 120000;

}  // namespace

class TestSiteAudit : public QObject
{
    Q_OBJECT
private slots:
    void auditsAPracticeSiteAndEndsItsBoards();
    void aBoardEndsAsItsParentsPipeCloses();
    void thePdfRepeatsTheHeadingOnEveryPage();
};

void TestSiteAudit::auditsAPracticeSiteAndEndsItsBoards()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    QTemporaryDir dir;
    SiteWindow::Options windowOptions;
    windowOptions.settingsPath = dir.filePath(QStringLiteral("velmar-site.ini"));
    windowOptions.port = test::freeUdpPort();
    windowOptions.broadcast = false;
    auto window = std::make_unique<SiteWindow>(windowOptions);
    auto *practice = window->findChild<PracticeSite *>();
    QVERIFY(practice);
    PracticeOptions options;
    options.folder = dir.path();
    options.lifts = 5;
    options.partial = options.slow = true;
    options.first = QHostAddress((test::uniqueLoopback().toIPv4Address() & 0xFFFFFF00u) | 11);
    QString error;
    QVERIFY2(practice->start(options, error), qPrintable(error));
    QCOMPARE(practice->boards().size(), 4);
    QVERIFY(window->windowTitle().contains(QStringLiteral("PRACTICE")));
    QStringList problems;
    ReadSitePlan(practice->planPath(), true, QHostAddress(QStringLiteral("127.0.0.2")), problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));  // as velmarctl commission takes it

    AuditView view(test::freeUdpPort(), [practice] { return practice->running(); });
    view.timeoutBox().setValue(3000);
    QFile workbook(dir.filePath(QStringLiteral("site.xlsx")));
    QVERIFY(workbook.open(QIODevice::WriteOnly) && workbook.write("PK\x03\x04 a workbook") > 0);
    workbook.close();
    view.audit(workbook.fileName());
    QVERIFY(!view.busy() && view.outcome().text().contains(QStringLiteral("save it as CSV")));
    view.audit(practice->planPath());
    QTRY_VERIFY_WITH_TIMEOUT(!view.busy(), Bound);
    QList<AuditState> states;
    for (const AuditFinding &finding : view.report().audit.findings)
        states << finding.state;
    QCOMPARE(states, (QList<AuditState>{AuditState::AsPlanned, AuditState::TwoBoards, AuditState::AsPlanned,
                                        AuditState::AsPlanned, AuditState::Silent}));
    QCOMPARE(view.table().item(4, 2)->text(), QStringLiteral("silent"));
    QCOMPARE(view.table().item(4, 2)->foreground().color(), AuditReport::StateColour(AuditState::Silent));
    QVERIFY(view.totals().text().startsWith(QStringLiteral("5 lift(s): 3 as planned")));

    const QString page = dir.filePath(QStringLiteral("report.html"));
    QVERIFY(view.saveReport(page));
    QFile file(page);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    QVERIFY(html.contains(QStringLiteral("(practice site)</h1>")));
    QVERIFY(html.contains(QStringLiteral("<li><b>silent</b>: check power and cable, then audit again</li>")));
    QVERIFY(html.contains(QStringLiteral("<td class=\"trouble\">two boards</td>")));
    QCOMPARE(html.count(QStringLiteral("<thead>")), 1);

    // From the window's menu, the audit opens on the practice's plan, marked.
    for (QAction *action : window->findChildren<QAction *>())
        if (action->text().contains(QStringLiteral("udit against")))
            action->trigger();
    auto *opened = window->findChild<AuditView *>();
    QVERIFY(opened && opened->isVisible() && opened->windowTitle().contains(QStringLiteral("PRACTICE")));
    QCOMPARE(opened->report().planPath, QDir::toNativeSeparators(practice->planPath()));

    // The boards end with the window.
    int ended = 0;
    for (QProcess *board : practice->boards())
        connect(board, &QProcess::finished, this, [&ended] { ++ended; });
    window->close();
    QCOMPARE(ended, 4);
    QVERIFY(!practice->running());
}

// As when the window that started it crashed: the system closes the pipe.
void TestSiteAudit::aBoardEndsAsItsParentsPipeCloses()
{
    QProcess orphan;
    orphan.setReadChannel(QProcess::StandardError);
    orphan.start(PracticeSite::BoardProgram(),
                 {"--address", test::uniqueLoopback().toString(), "--quiet", "--exit-with-input"});
    QVERIFY(orphan.waitForReadyRead(Bound) && orphan.readAllStandardError().contains("listening"));
    orphan.closeWriteChannel();
    QVERIFY(orphan.waitForFinished(Bound));
    QCOMPARE(orphan.exitCode(), 0);
}

void TestSiteAudit::thePdfRepeatsTheHeadingOnEveryPage()
{
    AuditReport report;
    report.site = QStringLiteral("Tower <B>");
    report.planPath = QStringLiteral("tower.csv");
    report.when = QDateTime::currentDateTime();
    report.lifts = 120;
    for (int i = 0; i < 120; ++i) {
        AuditFinding finding;
        finding.row = QStringLiteral("Lift %1").arg(i + 1);
        finding.address = QHostAddress(0x0A000002u + quint32(i));
        report.audit.findings << finding;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QString error;
    QList<QStringList> pages;
    QVERIFY2(report.writePdf(path, error, &pages), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF"));
    QVERIFY(report.html().contains(QStringLiteral("<h1>Tower &lt;B&gt;</h1>")));
    QVERIFY(pages.size() > 1);
    QCOMPARE(pdf.count("/Type /Page\n"), pages.size());
    for (const QStringList &texts : pages) {
        QVERIFY(texts.contains(AuditReport::Columns().first()));
        QCOMPARE(texts.contains(QStringLiteral("Lift 120")), &texts == &pages.last());
    }
}

QTEST_MAIN(TestSiteAudit)
#include "tst_siteaudit.moc"
