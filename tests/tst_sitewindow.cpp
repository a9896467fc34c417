// The site window against stand-in boards on loopback, which hear no broadcast: added by address.

#include "board.h"
#include "entry_fields.h"
#include "loopback.h"
#include "site_window.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <memory>
#include <vector>

using namespace velmar;

namespace {

constexpr int Bound = 20000;

struct StandIns
{
    std::vector<std::unique_ptr<StandInBoard>> boards;
    QStringList log;

    StandInBoard &add(BoardFaults faults = {})
    {
        BoardOptions options;
        options.address = test::uniqueLoopback();
        options.faults = faults;
        auto board = std::make_unique<StandInBoard>(options);
        board->setLog([this](const QString &line) { log << line; });
        QString error;
        if (!board->start(error))
            qFatal("%s", qPrintable(error));
        boards.push_back(std::move(board));
        return *boards.back();
    }
};

SiteWindow::Options Offline(const QTemporaryDir &dir)
{
    return SiteWindow::Options{
        dir.filePath(QStringLiteral("velmar-site.ini")), test::freeUdpPort(), false, {}};
}

// Shows the board at `address` in the panel.
void Choose(SiteWindow &window, const QHostAddress &address)
{
    QTableView &view = window.view();
    for (int row = 0; row < view.model()->rowCount(); ++row)
        if (view.model()->index(row, BoardTable::From).data().toString() == address.toString())
            view.setCurrentIndex(view.model()->index(row, 0));
    QVERIFY(window.shownKey().startsWith(address.toString() + QLatin1Char('/')));
}

}  // namespace

class TestSiteWindow : public QObject
{
    Q_OBJECT
private slots:
    void listsWritesAndCancels();
    void remembersItsSizeAndColumns();
    void speaksUkrainian();
};

void TestSiteWindow::listsWritesAndCancels()
{
    if (test::underWine())
        QSKIP("needs several loopback addresses");
    StandIns site;
    StandInBoard &first = site.add();
    site.add();
    BoardFaults deaf;
    deaf.ignoreWrites = true;
    StandInBoard &forgetful = site.add(deaf);
    QTemporaryDir dir;
    SiteWindow window(Offline(dir));
    window.addBoards(first.address().toString() + QStringLiteral(", ") +
                     site.boards[1]->address().toString() + QLatin1Char(' ') +
                     forgetful.address().toString());
    QTRY_COMPARE_WITH_TIMEOUT(window.table().rowCount(), 3, Bound);
    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), Bound);

    Choose(window, first.address());
    window.findChild<QCheckBox *>(QStringLiteral("consoleDynamic"))->setChecked(true);
    window.field(QStringLiteral("ident")).setValue(1234);
    window.writeAction().trigger();
    QTRY_VERIFY2_WITH_TIMEOUT(window.outcome().text().contains(QLatin1String("kept")),
                              qPrintable(window.outcome().text() + window.log().toPlainText()), Bound);
    QVERIFY2(window.outcome().text().startsWith(QLatin1String("Written and kept.")),
             qPrintable(window.outcome().text()));
    QCOMPARE(first.stored().config.record.boardIdent, 1234);
    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), Bound);

    window.view().selectAll();
    window.backUp(dir.filePath(QStringLiteral("backups")));
    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), Bound);
    const QStringList runs =
        QDir(dir.filePath(QStringLiteral("backups"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(runs.size(), 1);
    QCOMPARE(QDir(dir.filePath(QStringLiteral("backups/") + runs[0])).entryList(QDir::Files).size(), 3);

    // A board that drops the write keeps it unconfirmed until the time-out; Cancel ends it at once.
    Choose(window, forgetful.address());
    window.timeoutBox().setValue(window.timeoutBox().maximum());
    window.findChild<QCheckBox *>(QStringLiteral("consoleDynamic"))->setChecked(true);
    window.field(QStringLiteral("ident")).setValue(4321);
    site.log.clear();
    window.writeAction().trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!site.log.filter(QStringLiteral("ConfigWrite")).isEmpty(), Bound);
    window.cancelAction().trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), Bound);
    QVERIFY2(window.outcome().text().contains(QLatin1String("Cancelled after the write was sent")),
             qPrintable(window.outcome().text()));
    QVERIFY2(window.log().toPlainText().contains(QStringLiteral("→ 4321")),
             qPrintable(window.log().toPlainText()));
}

void TestSiteWindow::remembersItsSizeAndColumns()
{
    QTemporaryDir dir;
    {
        SiteWindow window(Offline(dir));
        window.show();
        window.resize(911, 577);
        window.view().horizontalHeader()->resizeSection(BoardTable::Mask, 171);
        window.close();
    }
    SiteWindow again(Offline(dir));
    QCOMPARE(again.size(), QSize(911, 577));
    QCOMPARE(again.view().horizontalHeader()->sectionSize(BoardTable::Mask), 171);
}

void TestSiteWindow::speaksUkrainian()
{
    QTranslator ukrainian;
    QVERIFY(ukrainian.load(QStringLiteral(":/i18n/velmar-site_uk.qm")));
    QCoreApplication::installTranslator(&ukrainian);
    QTemporaryDir dir;
    SiteWindow window(Offline(dir));
    QCOMPARE(window.windowTitle(), QStringLiteral("Плати об'єкта ВЕЛМАР"));
    QCOMPARE(window.refreshAction().text(), QStringLiteral("&Знайти плати"));
    QCoreApplication::removeTranslator(&ukrainian);
}

QTEST_MAIN(TestSiteWindow)
#include "tst_sitewindow.moc"
