// Commissioning through the site window: a practice site whose boards come new at the factory address
// when wanted, and a site begun by velmarctl going on in the window and back, on one plan and record.

#include "commission_view.h"
#include "loopback.h"
#include "practice_site.h"
#include "site_window.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace velmar;

namespace {

constexpr int Bound = 120000;

// A practice site to commission in a site window of its own, its boards quick to reboot.
std::unique_ptr<SiteWindow> PracticeWindow(const QTemporaryDir &dir, int lifts)
{
    SiteWindow::Options windowOptions;
    windowOptions.settingsPath = dir.filePath(QStringLiteral("velmar-site.ini"));
    windowOptions.port = test::freeUdpPort();
    windowOptions.broadcast = false;
    auto window = std::make_unique<SiteWindow>(windowOptions);
    PracticeOptions options;
    options.folder = dir.path();
    options.lifts = lifts;
    options.commissioning = true;
    options.rebootMs = 50;
    const quint32 subnet = test::uniqueLoopback().toIPv4Address() & 0xFFFFFF00u;
    options.first = QHostAddress(subnet | 11);
    options.factory = QHostAddress(subnet | 2);
    QString error;
    if (!window->findChild<PracticeSite *>()->start(options, error))
        qFatal("%s", qPrintable(error));
    return window;
}

QList<RowState> States(const CommissionView &view)
{
    QList<RowState> states;
    for (const RowStatus &row : view.rows())
        states << row.state;
    return states;
}

QString Ctl(const QStringList &args)
{
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/velmarctl"), args);
    if (!process.waitForFinished(Bound))
        process.kill();
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

constexpr RowState Done = RowState::Done, NotYet = RowState::NotYet;

}  // namespace

class TestSiteCommission : public QObject
{
    Q_OBJECT
private slots:
    void aPracticeSiteIsCommissionedWithACancelAndResumed();
    void aSiteBegunByVelmarctlGoesOnInTheWindowAndBack();
};

void TestSiteCommission::aPracticeSiteIsCommissionedWithACancelAndResumed()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    QTemporaryDir dir;
    auto window = PracticeWindow(dir, 5);
    auto *practice = window->findChild<PracticeSite *>();
    QVERIFY(practice->boards().isEmpty());
    for (QAction *action : window->findChildren<QAction *>())
        if (action->text().contains(QStringLiteral("ommission from a plan")))
            action->trigger();
    auto *view = window->findChild<CommissionView *>();
    QVERIFY(view && view->isVisible() && view->windowTitle().contains(QStringLiteral("PRACTICE")));
    QCOMPARE(view->atField().text(), practice->factory().toString());
    QCOMPARE(States(*view), QList<RowState>(5, NotYet));
    QStringList wanted;
    connect(view, &CommissionView::boardWanted, this,
            [&wanted, view] { wanted << view->instruction().text(); });
    // Cancelled as the third board is wanted: it comes all the same, and is the one the run takes up.
    auto cancelling = connect(view, &CommissionView::stepped, this, [view](const CommissionEvent &e) {
        if (e.step == CommissionStep::NextWanted && e.row.position == 3)
            view->cancel();
    });
    QVERIFY(view->start());
    QTRY_VERIFY_WITH_TIMEOUT(!view->busy(), Bound);
    QCOMPARE(States(*view), (QList<RowState>{Done, Done, NotYet, NotYet, NotYet}));
    QCOMPARE(view->instruction().text(), QStringLiteral("Cancelled"));
    disconnect(cancelling);

    QVERIFY(view->start());
    QTRY_VERIFY_WITH_TIMEOUT(!view->busy(), Bound);
    QCOMPARE(States(*view), QList<RowState>(5, Done));
    QCOMPARE(view->instruction().text(), QStringLiteral("Every row is done"));
    QStringList asked;
    for (int lift : {1, 2, 3, 3, 4, 5})
        asked << QStringLiteral("Connect the board: Lift %1 (%1 of 5)").arg(lift);
    QCOMPARE(wanted, asked);
    QCOMPARE(practice->boards().size(), 5);
}

void TestSiteCommission::aSiteBegunByVelmarctlGoesOnInTheWindowAndBack()
{
    SKIP_WHERE_LOOPBACK_IS_ONE();
    QTemporaryDir dir;
    auto window = PracticeWindow(dir, 3);
    auto *practice = window->findChild<PracticeSite *>();
    const QStringList run{QStringLiteral("commission"),   practice->planPath(),     QStringLiteral("--at"),
                          practice->factory().toString(), QStringLiteral("--port"), QStringLiteral("0")};
    practice->bringNewBoard();
    const QString begun = Ctl(run + QStringList{QStringLiteral("--row"), QStringLiteral("Lift 2")});
    QVERIFY2(begun.contains(QStringLiteral("Lift 2: done")), qPrintable(begun));

    CommissionView view(test::freeUdpPort(), [practice] { return practice; });
    QCOMPARE(States(view), (QList<RowState>{NotYet, Done, NotYet}));
    QVERIFY(view.start());
    QTRY_VERIFY_WITH_TIMEOUT(!view.busy(), Bound);
    QCOMPARE(States(view), QList<RowState>(3, Done));
    const QString back = Ctl(run);
    QVERIFY2(back.contains(QStringLiteral("every row of")), qPrintable(back));
}

QTEST_MAIN(TestSiteCommission)
#include "tst_sitecommission.moc"
