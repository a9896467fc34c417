#include "form_fixture.h"
#include "frame_bytes.h"
#include "loopback.h"
#include "startup.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleOptionButton>

using namespace test;

class TestWindow : public QObject
{
    Q_OBJECT
private slots:
    void captionsWholeAtEveryScale();
    void captionsWholeHere();
    void startsWithEveryControlAtItsDesignState();
    void firstStartWithoutSettingsFile();
    void windowFitsItsVisibleControls();
    void octetFieldRules();
    void macByteFieldRules();
    void spaceAndEnterStepWithinTheSameAddress();
    void keyboardEntryReplacesAndOutlivesDeactivation();
    void outsideTextsAreShownPlainAndWhole();
    void boardBoxChecksConsoleBox();
    void consoleBoxUnchecksBoardBox();
    void fixedAddressShortcut();
    void fixedAddressShortcutDecidesWhatIsSaved();
    void settingsRoundTrip();
    void storedValuesAsOldFilesHoldThem();
    void unconvertibleValuesAreSkippedAndNamedOnce();
    void valuesSurviveTheIniFormat();
    void strayLinesAreSkippedAndEveryOtherValueKept();
    void damagedFilesLoadDefaultsWithOneMessage_data();
    void damagedFilesLoadDefaultsWithOneMessage();
    void unwritableFolderFallsBackToTheUserFolder();
    void readOnlyUserCopyIsMadeWritable();
    void nowhereToWriteStillLoadsAndCloses();
    void portTakenShowsPortError();
    void hiddenControlsHoldTheirDesignStateAndTabPlace();
    void editsInProgressAreTakenByCloseAndShortcut();
    void everyWayInPassesTheFieldRules();
    void aSaveThatWentElsewhereIsSaidAndReadNext();
};

void TestWindow::startsWithEveryControlAtItsDesignState()
{
    FormFixture f;
    auto &form = f.open();
    QCOMPARE(form.objectName(), QString("Form1_Config_UDP"));
    QCOMPARE(form.windowTitle(), QString("Конфігуратор плат \"ВЕЛМАР\" 2026-V_8.6"));
    QCOMPARE(form.control<QGroupBox>("GroupBox6")->title(), QString("  IP - Плати що конфігуруеться  "));
    QCOMPARE(form.control<QGroupBox>("GroupBox7")->title(), QString("http://127.0.0.1:9/"));
    QCOMPARE(form.Button1->text(), QString("Записати"));
    QCOMPARE(form.Button2->text(), QString("Прочитати"));
    QCOMPARE(TagOf(form.Button2), 0);
    QCOMPARE(TagOf(form.Button8), 1);
    QCOMPARE(form.Button3->geometry(), QRect(340, 41, 105, 88));
    QCOMPARE(form.control("Button7")->geometry(), QRect(355, 136, 25, 529));
    QCOMPARE(form.EditRs->text(), QString("__"));
    QCOMPARE(form.LabIn->text(), QString("0"));
    QCOMPARE(form.Edit1->text(), QString("000.000.000.000"));
    QVERIFY(form.Edit1->isReadOnly());
    QCOMPARE(form.Lab_Ver->text(), QString("-------------"));
    QCOMPARE(form.CurEd_Port->valueText(), QString("8026"));
    QCOMPARE(form.control<NumericEdit>("EdR1_0_IP_0")->valueText(), QString("000"));  // section 8 default
    QCOMPARE(texts(form.macBytes(10)), QStringList({"AF", "AF", "AF", "AF", "AF", "AF"}));
    QCOMPARE(form.CheckBox4->text(), QString("Статична IP адреса Плати "));

    for (const char *hidden :
         {"CheckBox1", "Ch_Box_Conf_IP", "GroupBox3",     "CoBox_Iden", "Pan_Port",  "Panel5",    "Memo1",
          "Panel3",    "Panel4",         "ED_11",         "ED_12",      "CheckBox3", "CheckBox5", "ED_6",
          "Label11",   "Label58",        "CurrencyEdit1", "ED_61",      "ED_62",     "Lab_Iden",  "Lab_Port"})
        QVERIFY2(form.control(hidden)->isHidden(), hidden);
    for (const char *disabled : {"CheckBox1", "Ch_Box_Conf_IP", "Panel3", "ED_11", "ED_7", "ED_8", "ED_9",
                                 "ED_10", "CheckBox3", "CheckBox5"})
        QVERIFY2(!form.control(disabled)->isEnabled(), disabled);
    // Read-side octets can be read but neither focused nor edited.
    QVERIFY(form.octets(7)[0]->isReadOnly());
    QVERIFY(!form.octets(62)[0]->isReadOnly());
    QVERIFY(form.macBytes(10)[0]->isReadOnly());
}

void TestWindow::firstStartWithoutSettingsFile()
{
    FormFixture f;
    auto &form = f.open();
    QVERIFY(f.notifier.messages.isEmpty());
    QVERIFY(f.notifier.errors.isEmpty());
    QVERIFY(form.listener().isOpen());
    QCOMPARE(form.pos(), QPoint(393, 137));
    QCOMPARE(texts(form.octets(0)), QStringList({"000", "000", "000", "000"}));
    QCOMPARE(texts(form.macBytes(5)), QStringList({"00", "1E", "00", "00", "00", "00"}));
    QCOMPARE(form.IND_MEdit->valueText(), QString("0"));
    QVERIFY(!form.CheckBox2->isChecked() && !form.CheckBox4->isChecked());
    for (QWidget *w : {static_cast<QWidget *>(form.ED_1), form.control("Label6"), form.control("Label57"),
                       static_cast<QWidget *>(form.IND_MEdit)})
        QVERIFY(w->isHidden());
    const QByteArray file = f.settingsText();
    QVERIFY(file.contains("[6]"));
    QCOMPARE(file.count('['), 1);
}

void TestWindow::windowFitsItsVisibleControls()
{
    FormFixture f;
    auto &form = f.open();
    QCOMPARE(form.size(), QSize(729, 665));  // GroupBox1's right edge, Button7's bottom
    form.CheckBox1->setChecked(true);        // nothing does this in use; the sizing still follows
    QCOMPARE(form.size(), QSize(729, 825));
    form.CheckBox1->setChecked(false);
    QCOMPARE(form.size(), QSize(729, 665));
}

void TestWindow::octetFieldRules()
{
    FormFixture f;
    auto &form = f.open();
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    NumericEdit *first = form.octets(2)[0];
    NumericEdit *second = form.octets(2)[1];

    first->setFocus();
    QCOMPARE(first->text(), QString());  // 0 edits as an empty box
    typeText(first, "256");
    QCOMPARE(first->text(), QString("256"));
    typeText(first, "7");  // a fourth character is refused
    QCOMPARE(first->text(), QString("256"));
    second->setFocus();
    QCOMPARE(first->valueText(), QString("255"));
    QCOMPARE(first->text(), QString("255"));

    typeText(second, "12");
    typeText(second, "x");  // not a number: refused
    QCOMPARE(second->text(), QString("12"));
    first->setFocus();
    QCOMPARE(second->text(), QString("012"));

    QCOMPARE(first->text(), QString("255"));
    first->selectAll();
    typeText(first, "9");
    type(first, Qt::Key_Escape, "\x1b");  // Escape puts the value back
    QCOMPARE(first->value(), 255.0);

    form.IND_MEdit->setValueText(" 4660 ");
    QCOMPARE(form.IND_MEdit->valueText(), QString("4660"));
    form.IND_MEdit->setValueText("70000");
    QCOMPARE(form.IND_MEdit->valueText(), QString("65535"));
    QCOMPARE(form.IND_MEdit->editText(), QString("65535"));
    form.IND_MEdit->setValueText("");
    QCOMPARE(form.IND_MEdit->editText(), QString());
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, form.IND_MEdit->setValueText("abc"));
}

void TestWindow::macByteFieldRules()
{
    FormFixture f;
    auto &form = f.open();
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    const auto mac = form.macBytes(5);

    mac[2]->setFocus();
    mac[2]->clear();
    typeText(mac[2], "1e");
    QCOMPARE(mac[2]->text(), QString("1E"));
    typeText(mac[2], "f");  // two characters already: refused
    QCOMPARE(mac[2]->text(), QString("1E"));
    type(mac[2], Qt::Key_Delete);
    type(mac[2], Qt::Key_Left);
    type(mac[2], Qt::Key_Home);
    QCOMPARE(mac[2]->text(), QString("1E"));
    QCOMPARE(mac[2]->cursorPosition(), 2);

    mac[3]->setFocus();
    mac[3]->clear();
    typeText(mac[3], "g");
    QCOMPARE(mac[3]->text(), QString("0"));
    mac[3]->setText("A");
    mac[3]->end(false);
    type(mac[3], Qt::Key_Backspace, "\b");  // Backspace types a "0"
    QCOMPARE(mac[3]->text(), QString("A0"));
    mac[3]->selectAll();
    type(mac[3], Qt::Key_C, "\x03", Qt::ControlModifier);
    QCOMPARE(mac[3]->text(), QString("0"));

    mac[3]->setText("C");
    mac[4]->setFocus();  // leaving pads
    QCOMPARE(mac[3]->text(), QString("0C"));
    mac[4]->clear();
    mac[5]->setFocus();
    QCOMPARE(mac[4]->text(), QString("00"));
    mac[5]->setText("C1");
    mac[4]->setFocus();
    QCOMPARE(mac[5]->text(), QString("C1"));
}

void TestWindow::spaceAndEnterStepWithinTheSameAddress()
{
    FormFixture f;
    auto &form = f.open();
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    // The dispatcher address is hidden: the key still only moves within the target address.
    form.octets(0)[0]->setFocus();
    type(form.octets(0)[0], Qt::Key_Space, " ");
    QCOMPARE(QApplication::focusWidget(), form.octets(0)[1]);
    type(form.octets(0)[1], Qt::Key_Return, "\r");
    QCOMPARE(QApplication::focusWidget(), form.octets(0)[2]);
    type(form.octets(0)[2], Qt::Key_Return, "\r");
    QCOMPARE(QApplication::focusWidget(), form.octets(0)[3]);
    type(form.octets(0)[3], Qt::Key_Return, "\r");  // no next field after the fourth
    QCOMPARE(QApplication::focusWidget(), form.octets(0)[3]);

    form.CheckBox2->setChecked(true);
    form.octets(2)[0]->setFocus();
    typeText(form.octets(2)[0], "12");
    type(form.octets(2)[0], Qt::Key_Space, " ");
    QCOMPARE(QApplication::focusWidget(), form.octets(2)[1]);  // never into Ed_1
    QCOMPARE(form.octets(2)[0]->valueText(), QString("012"));
    form.octets(1)[2]->setFocus();
    type(form.octets(1)[2], Qt::Key_Enter, "\r");
    QCOMPARE(QApplication::focusWidget(), form.octets(1)[3]);
    QVERIFY(f.notifier.errors.isEmpty());
}

// As an operator types: keys go to whichever field has the focus, and another window comes and goes.
void TestWindow::keyboardEntryReplacesAndOutlivesDeactivation()
{
    FormFixture f;
    auto &form = f.open();
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    const auto target = form.octets(0);
    setOctets(target, {10, 20, 30, 40});
    auto typeHere = [](int key, const QString &text = QString(), Qt::KeyboardModifiers mods = {}) {
        type(QApplication::focusWidget(), key, text, mods);
    };

    QTest::mouseClick(target[0], Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), target[0]);
    typeHere(Qt::Key_Space, " ");
    typeText(QApplication::focusWidget(), "99");
    typeHere(Qt::Key_Space, " ");
    typeText(QApplication::focusWidget(), "7");
    typeHere(Qt::Key_Backtab, QString(), Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), target[1]);
    QCOMPARE(target[1]->selectedText(), QString("99"));
    typeHere(Qt::Key_Tab);
    typeText(QApplication::focusWidget(), "77");

    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget(), target[2]);
    QCOMPARE(target[2]->text(), QString("77"));  // as typed, not yet taken
    typeHere(Qt::Key_Tab);
    QCOMPARE(texts(target), QStringList({"010", "099", "077", "040"}));
}

// Board texts, file names and values are data: never markup, and never cut off.
void TestWindow::outsideTextsAreShownPlainAndWhole()
{
    FormFixture f;
    auto &form = f.open();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    velmar::BoardConfig config;
    config.versionText = {'<', 'b', '>', 'v', '1', '<', '/', 'b', '>'};
    form.IdUDPServer_ConfUDPRead(velmar::ToByteArray(velmar::ConfigReply(config)), "127.0.0.2", 8024);
    form.IdUDPServer_ConfUDPRead(QByteArray("ikl\x07\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF", 12), "127.0.0.2",
                                 8024);
    for (QLabel *label : form.findChildren<QLabel *>()) {
        QCOMPARE(label->textFormat(), Qt::PlainText);
        if (label->property("designSize").toSize().isNull())  // sized to its caption alone
            QCOMPARE(label->size(), label->sizeHint());
    }
    for (QLabel *label : {form.Label5, form.Lab_Ver, form.Label_In_IP, form.LabIn})
        QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
    QCOMPARE(form.Lab_Ver->text(), QString("<b>v1</b> - Версія программи"));
    QVERIFY(form.rect().contains(form.Label5->geometry()));

    // A text that would hide itself: on one line, within the read group with its suffix, whole in the
    // tooltip.
    for (const QByteArray &version : {QByteArray(27, '\n') + "v2", QByteArray(29, '\xD8')}) {
        config.versionText = version.toStdString();
        form.IdUDPServer_ConfUDPRead(velmar::ToByteArray(velmar::ConfigReply(config)), "127.0.0.2", 8024);
        const QString shown = form.Lab_Ver->text();
        QVERIFY2(!shown.contains('\n') && shown.endsWith(" - Версія программи"), qPrintable(shown));
        QVERIFY(form.Lab_Ver->parentWidget()->rect().contains(form.Lab_Ver->geometry()));
        QVERIFY2(form.Lab_Ver->toolTip().contains(version.endsWith("v2") ? "␊v2" : QString(29, u'Ш')),
                 qPrintable(form.Lab_Ver->toolTip()));
    }

    QString shown;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        shown = box->text();
        box->accept();
    });
    MessageBoxNotifier().error(&form, "<img src=/dev/zero>");
    QCOMPARE(shown, QString("<img src=/dev/zero>"));
}

void TestWindow::boardBoxChecksConsoleBox()
{
    FormFixture f;
    auto &form = f.open();
    form.CheckBox4->click();
    QVERIFY(form.CheckBox4->isChecked() && form.CheckBox2->isChecked());
    QCOMPARE(form.CheckBox4->text(), QString("Динамічна IP адреса Плати ( DHCP )"));
    QCOMPARE(form.CheckBox2->text(), QString("Динамічна IP адреса Пульта"));
    QVERIFY(!form.ED_1->isHidden() && form.ED_1->isEnabled());
    QVERIFY(!form.IND_MEdit->isHidden() && form.IND_MEdit->isEnabled());
    QVERIFY(!form.Label6->isHidden() && !form.Label57->isHidden());

    form.CheckBox4->click();  // unchecking the board box alone leaves the console dynamic
    QVERIFY(!form.CheckBox4->isChecked() && form.CheckBox2->isChecked());
    QCOMPARE(form.CheckBox4->text(), QString("Статична IP адреса Плати"));
    QVERIFY(!form.ED_1->isHidden());
}

void TestWindow::consoleBoxUnchecksBoardBox()
{
    FormFixture f;
    auto &form = f.open();
    form.CheckBox4->setChecked(true);
    form.CheckBox2->setChecked(false);
    QVERIFY(!form.CheckBox4->isChecked() && !form.CheckBox2->isChecked());
    QCOMPARE(form.CheckBox2->text(), QString("Статична IP адреса Пульта"));
    QCOMPARE(form.CheckBox4->text(), QString("Статична IP адреса Плати"));
    for (QWidget *w : {static_cast<QWidget *>(form.ED_1), static_cast<QWidget *>(form.IND_MEdit),
                       static_cast<QWidget *>(form.Label6), static_cast<QWidget *>(form.Label57)})
        QVERIFY(w->isHidden());

    // A change of the read-side board box re-applies the console box's own state.
    form.CheckBox5->setChecked(true);
    QVERIFY(form.ED_1->isHidden());
}

void TestWindow::fixedAddressShortcut()
{
    FormFixture f;
    auto &form = f.open();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseDClick(form.Lab_IP2, Qt::LeftButton);  // nothing remembered yet
    QCOMPARE(texts(form.octets(0)), QStringList({"000", "000", "000", "000"}));

    setOctets(form.octets(0), {192, 168, 1, 8});
    QTest::mouseDClick(form.Lab_IP1, Qt::LeftButton);
    QCOMPARE(texts(form.octets(0)), QStringList({"010", "000", "000", "002"}));
    QCOMPARE(form.Lab_IP2->text(), QString("192.168.001.008"));
    QTest::mouseDClick(form.Lab_IP2, Qt::LeftButton);
    QCOMPARE(texts(form.octets(0)), QStringList({"192", "168", "001", "008"}));

    setOctets(form.octets(0), {0, 1, 2, 3});
    QTest::mouseDClick(form.Lab_IP1, Qt::LeftButton);
    QCOMPARE(form.Lab_IP2->text(), QString("000.001.002.003"));
    QTest::mouseDClick(form.Lab_IP2, Qt::LeftButton);  // remembered first group "000": nothing
    QCOMPARE(texts(form.octets(0)), QStringList({"010", "000", "000", "002"}));
}

void TestWindow::fixedAddressShortcutDecidesWhatIsSaved()
{
    FormFixture f;
    auto &form = f.open();
    setOctets(form.octets(0), {127, 0, 0, 5});
    form.Lab_IP1DblClick(form.Lab_IP1);
    f.close();
    QVERIFY(f.settingsText().contains("[0]\n1=127\n2=000\n3=000\n4=005"));

    auto &again = f.open();
    setOctets(again.octets(0), {0, 0, 0, 7});
    again.Lab_IP1DblClick(again.Lab_IP1);
    f.close();
    QVERIFY(f.settingsText().contains("[0]\n1=010\n2=000\n3=000\n4=002"));
}

void TestWindow::settingsRoundTrip()
{
    FormFixture f;
    {
        auto &form = f.open();
        setOctets(form.octets(0), {127, 0, 0, 2});
        setOctets(form.octets(1), {10, 0, 0, 1});
        setOctets(form.octets(2), {192, 168, 1, 10});
        setOctets(form.octets(3), {255, 255, 255, 0});
        setOctets(form.octets(4), {192, 168, 1, 1});
        setOctets(form.octets(11), {9, 9, 9, 9});
        const QStringList mac = {"02", "1E", "C0", "A8", "01", "0A"};
        for (int k = 0; k < 6; ++k)
            form.macBytes(5)[k]->setText(mac[k]);
        form.IND_MEdit->setValue(300);
        form.CheckBox4->setChecked(true);
        form.move(50, 60);
        f.close();
    }
    const QByteArray file = f.settingsText();
    QVERIFY(file.contains("[11]\n1=009"));
    QVERIFY(file.contains("[9]\n1=300"));
    QVERIFY(file.contains("[10]\n1=1"));
    QVERIFY(file.contains("[1d]\n1=1"));
    QVERIFY(file.contains("[6]\n1=50\n2=60"));

    auto &form = f.open();
    QCOMPARE(texts(form.octets(0)), QStringList({"127", "000", "000", "002"}));
    QCOMPARE(texts(form.octets(1)), QStringList({"010", "000", "000", "001"}));
    QCOMPARE(texts(form.octets(2)), QStringList({"192", "168", "001", "010"}));
    QCOMPARE(texts(form.octets(3)), QStringList({"255", "255", "255", "000"}));
    QCOMPARE(texts(form.octets(4)), QStringList({"192", "168", "001", "001"}));
    QCOMPARE(texts(form.octets(11)), QStringList({"000", "000", "000", "000"}));  // written, never read
    QCOMPARE(texts(form.macBytes(5)), QStringList({"02", "1E", "C0", "A8", "01", "0A"}));
    QCOMPARE(form.IND_MEdit->valueText(), QString("300"));
    QVERIFY(form.CheckBox2->isChecked() && form.CheckBox4->isChecked());
    QVERIFY(!form.ED_1->isHidden());
    QCOMPARE(form.pos(), QPoint(393, 137));  // the saved placement is not applied
    f.close();
    QVERIFY(f.settingsText().contains("[9]\n1=300"));
    auto &zero = f.open();
    zero.IND_MEdit->setValue(0);
    f.close();
    QVERIFY(f.settingsText().contains("[9]\n1=\n"));  // the identifier 0 is saved as an empty text
}

void TestWindow::storedValuesAsOldFilesHoldThem()
{
    FormFixture f;
    f.writeSettings("[0]\n1= 7 \n2=\n3=300\n4=-5\n[5]\n1=zz\n2=1e\n[10]\n1=0\n[1d]\n1=1\n"
                    "[9]\n1=0x10\n[2]\n1=12.6\n");
    auto &form = f.open();
    QCOMPARE(texts(form.octets(0)), QStringList({"007", "000", "255", "000"}));
    QCOMPARE(form.macBytes(5)[0]->text(), QString("zz"));  // placed unchanged
    QCOMPARE(form.macBytes(5)[1]->text(), QString("1e"));
    QVERIFY(form.CheckBox4->isChecked() && form.CheckBox2->isChecked());
    QCOMPARE(form.octets(2)[0]->valueText(), QString("013"));
    QCOMPARE(f.notifier.errors.size(), 1);  // "0x10" is no identifier
    QVERIFY(f.notifier.errors[0].contains("[9] 1=0x10"));
    f.close();

    for (auto [flag, checked] : {std::pair{"0x10", true}, {"word", false}, {"0", false}, {"-1", true}}) {
        f.writeSettings(QByteArray("[10]\n1=") + flag + "\n");
        QCOMPARE(f.open().CheckBox2->isChecked(), checked);
        f.close();
    }
}

void TestWindow::unconvertibleValuesAreSkippedAndNamedOnce()
{
    FormFixture f;
    f.writeSettings("[0]\n1=abc\n2=1\n3=2\n4=3\n[8]\n1=x\n[9]\n1=9\n[10]\n1=1\n");
    auto &form = f.open();
    QCOMPARE(texts(form.octets(0)), QStringList({"000", "001", "002", "003"}));
    QCOMPARE(form.control<NumericEdit>("EdR1_0_IP_0")->valueText(), QString("000"));
    QCOMPARE(form.IND_MEdit->valueText(), QString("9"));
    QVERIFY(form.CheckBox2->isChecked());
    QVERIFY(form.listener().isOpen());
    QCOMPARE(f.notifier.errors.size(), 1);
    QVERIFY(f.notifier.errors[0].contains("[0] 1=abc"));
    QVERIFY(f.notifier.errors[0].contains("[8] 1=x"));
    f.close();

    // A file near the reader's bound: a save that would pass it is refused, the file stays readable.
    QByteArray near = "[0]\n1=127\n";
    while (near.size() < MaxIniBytes - 100)
        near += "[s" + QByteArray::number(near.size()) + "]\na=1\n";
    f.writeSettings(near);
    f.open();
    f.close();
    QCOMPARE(f.open().octets(0)[0]->valueText(), QString("127"));
    QVERIFY(!QFile::exists(f.run.settingsPath + ".damaged"));
    f.close();
    // The keys that did not fit are in the user's copy; the file keeps every line it had.
    QVERIFY(f.settingsText().size() > near.size());
    QVERIFY(QFile::remove(f.run.fallbackSettingsPath));

    f.writeSettings("[9]\n1=" + QByteArray(900000, '7') + "\n");  // quoted in short, never parsed whole
    f.notifier.errors.clear();
    QCOMPARE(f.open().IND_MEdit->valueText(), QString("0"));
    QVERIFY(f.notifier.errors.size() == 1 && f.notifier.errors[0].size() < 200);
    QVERIFY(f.notifier.errors[0].endsWith("7777…"));
}

void TestWindow::valuesSurviveTheIniFormat()
{
    FormFixture f;
    const QStringList awkward = {"a,", ";x", " 1", "=", "\"q", "Ж"};
    {
        auto &form = f.open();
        for (int k = 0; k < 6; ++k)
            form.macBytes(5)[k]->setText(awkward[k]);
        f.close();
    }
    auto &form = f.open();
    QCOMPARE(texts(form.macBytes(5)), awkward);
    QVERIFY(f.settingsText().startsWith("[0]"));  // still a plain INI file
}

// A hand-edited file: every line the reader can use is used, the rest skipped, and nothing is set aside.
void TestWindow::strayLinesAreSkippedAndEveryOtherValueKept()
{
    FormFixture f;
    for (const QByteArray &empty : {QByteArray(), QByteArray("\r\n \n")}) {
        f.writeSettings(empty);
        f.open();
        f.close();
    }
    const QByteArray unknown = "[we]ird]\nk\xFF=\xFE\x01 \"x\n";
    f.writeSettings("\xEF\xBB\xBF# edited by hand\r\n[0]\r\n1=127\r\nno equals sign\r\n2=1\r\n2=9\r\n"
                    "[5\n3=00\n4=3\n; comment\n[5]\n1=0A\n=7\n" +
                    unknown + "[1d]\n1=1\n");
    auto &form = f.open();
    QVERIFY2(f.notifier.errors.isEmpty(), qPrintable(f.notifier.errors.join('|')));
    QCOMPARE(texts(form.octets(0)), QStringList({"127", "001", "000", "003"}));
    QCOMPARE(texts(form.macBytes(5)), QStringList({"0A", "1E", "00", "00", "00", "00"}));
    QVERIFY(form.CheckBox4->isChecked());
    QVERIFY(!QFile::exists(f.run.settingsPath + ".damaged"));
    f.close();
    // Saved in place: what the program does not use stays byte for byte, its own values as they read.
    const QByteArray saved = f.settingsText();
    QVERIFY(saved.startsWith("\xEF\xBB\xBF# edited by hand\r\n[0]\r\n1=127\r\nno equals sign\r\n2=001\r\n"
                             "2=9\r\n[5\n3=000\n4=003\n; comment\n"));
    QVERIFY(saved.contains("\n=7\n") && saved.contains(unknown));
    QCOMPARE(texts(f.open().octets(0)), QStringList({"127", "001", "000", "003"}));
    f.close();
    QCOMPARE(f.settingsText(), saved);
}

void TestWindow::damagedFilesLoadDefaultsWithOneMessage_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray garbage(3000, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919 + 13) % 256);
    QTest::newRow("garbage") << garbage;
    QTest::newRow("huge") << QByteArray("[0]\n1=127\n") + QByteArray(3 << 20, ';');
}

void TestWindow::damagedFilesLoadDefaultsWithOneMessage()
{
    QFETCH(QByteArray, content);
    FormFixture f;
    f.writeSettings(content);
    auto &form = f.open();
    QCOMPARE(f.notifier.errors.size(), 1);
    QVERIFY(f.notifier.errors[0].contains("пошкоджено"));
    QCOMPARE(texts(form.octets(0)), QStringList({"000", "000", "000", "000"}));
    QCOMPARE(texts(form.macBytes(5)), QStringList({"00", "1E", "00", "00", "00", "00"}));
    QVERIFY(form.listener().isOpen());
    QFile aside(f.run.settingsPath + ".damaged");  // nothing of the operator's file is lost
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), content);
    f.close();
    QVERIFY(f.settingsText().contains("[0]\n1=000"));
}

void TestWindow::unwritableFolderFallsBackToTheUserFolder()
{
    FormFixture f;
    f.run.settingsPath = f.unwritablePath();
    {
        auto &form = f.open();
        QVERIFY(f.notifier.errors.isEmpty());
        QCOMPARE(form.settingsFilePath(), f.run.fallbackSettingsPath);
        setOctets(form.octets(0), {127, 0, 0, 9});
        f.close();
    }
    QVERIFY(f.notifier.errors.isEmpty());
    QCOMPARE(texts(f.open().octets(0)), QStringList({"127", "000", "000", "009"}));
    f.close();
}

// A user copy that an older version left read-only would fail every save.
void TestWindow::readOnlyUserCopyIsMadeWritable()
{
    FormFixture f;
    f.run.settingsPath = f.unwritablePath();
    QDir().mkpath(QFileInfo(f.run.fallbackSettingsPath).path());
    QFile copy(f.run.fallbackSettingsPath);
    QVERIFY(copy.open(QIODevice::WriteOnly));
    copy.write("[0]\n1=127\n");
    copy.close();
    QVERIFY(copy.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QCOMPARE(f.open().octets(0)[0]->valueText(), QString("127"));
    f.close();
    QVERIFY(copy.permissions() & QFileDevice::WriteOwner);
    QVERIFY(f.notifier.errors.isEmpty());
}

void TestWindow::nowhereToWriteStillLoadsAndCloses()
{
    FormFixture f;
    f.run.settingsPath = f.unwritablePath();
    f.run.fallbackSettingsPath = f.unwritablePath("user/VelmarCom.ini");
    auto &form = f.open();
    QCOMPARE(f.notifier.errors.size(), 1);
    QVERIFY(f.notifier.errors[0].startsWith("Unable to write to "));
    QVERIFY(form.listener().isOpen());
    QVERIFY(form.CheckBox2->isHidden() == false);
    form.show();
    QVERIFY(form.close());  // the window closes, with the failed save shown
    QCOMPARE(f.notifier.errors.size(), 2);
    QVERIFY(!form.isVisible());
    QVERIFY(!form.listener().isOpen());
}

void TestWindow::portTakenShowsPortError()
{
    velmar::Listener holder(0);
    QVERIFY(holder.open());
    FormFixture f;
    f.run.listenPort = holder.boundPort();
    auto &form = f.open();
    QCOMPARE(f.notifier.messages, QStringList({"Port 6767 ERROR"}));
    QVERIFY(!form.listener().isOpen());
    QVERIFY(form.isEnabled());
}

// Controls hidden at the start hold their design state and key rules, take their place in the Tab order
// when shown, and the window fits itself to them.
void TestWindow::hiddenControlsHoldTheirDesignStateAndTabPlace()
{
    FormFixture f;
    auto &form = f.open();
    QCOMPARE(form.CurEd_Port->valueText(), QString("8026"));
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.CheckBox2->setFocus();
    type(form.CheckBox2, Qt::Key_Space, " ");
    QVERIFY(form.ED_1->isVisible() && form.IND_MEdit->isEnabled());
    type(form.CheckBox2, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.octets(1)[0]);
    form.octets(1)[3]->setFocus();
    type(form.octets(1)[3], Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.IND_MEdit);
    NumericEdit *field = form.octets(62)[0];
    QCOMPARE(form.findChild<QWidget *>("ED_62"), field->parentWidget());
    QCOMPARE(field->parentWidget()->geometry(), QRect(11, 212, 183, 33));
    QVERIFY(field->parentWidget()->isHidden() && !field->isReadOnly());
    QCOMPARE(field->valueText(), QString("000"));
    QVERIFY(field->hooks.keyPress);
    form.control("Panel5")->show();  // nothing does this in use; the sizing still follows
    QCOMPARE(form.width(), 744 + 41);
}

// Digits still being typed count: a close keeps them, and the shortcut remembers what is shown.
void TestWindow::editsInProgressAreTakenByCloseAndShortcut()
{
    FormFixture f;
    auto &form = f.open();
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.octets(0)[0]->setFocus();
    typeText(form.octets(0)[0], "77");
    f.close();
    QVERIFY(f.settingsText().contains("[0]\n1=077\n"));

    auto &again = f.open();
    again.show();
    QVERIFY(QTest::qWaitForWindowActive(&again));
    setOctets(again.octets(0), {192, 168, 1, 0});
    again.octets(0)[3]->setFocus();
    typeText(again.octets(0)[3], "8");
    QTest::mouseDClick(again.Lab_IP1, Qt::LeftButton);
    QCOMPARE(again.Lab_IP2->text(), QString("192.168.001.008"));
    again.macBytes(5)[2]->setFocus();
    again.macBytes(5)[2]->selectAll();
    typeText(again.macBytes(5)[2], "a");
    f.close();
    QVERIFY(f.settingsText().contains("[0]\n1=192\n2=168\n3=001\n4=008\n"));
    QVERIFY(f.settingsText().contains("[5]\n1=00\n2=1E\n3=0A\n"));  // padded, as when left
}

// Shift+Insert and an input method give what Ctrl+V and typing give.
void TestWindow::everyWayInPassesTheFieldRules()
{
    FormFixture f;
    auto &form = f.open();
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    NumericEdit *field = form.octets(2)[0];
    field->setFocus();
    auto commit = [](QWidget *to, const QString &text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(to, &event);
    };
    for (const char *refused : {"1234", "ab", "192.168.1.1"}) {
        QGuiApplication::clipboard()->setText(refused);
        type(field, Qt::Key_Insert, QString(), Qt::ShiftModifier);
        commit(field, refused);
        QCOMPARE(field->text(), QString());
    }
    QGuiApplication::clipboard()->setText("123");
    type(field, Qt::Key_Insert, QString(), Qt::ShiftModifier);
    QCOMPARE(field->text(), QString("123"));

    HexByteEdit *mac = form.macBytes(5)[3];
    mac->setFocus();
    mac->selectAll();
    commit(mac, "1ez");
    QCOMPARE(mac->text(), QString("1E"));
}

// A save the file beside the program cannot take goes to the user's copy, says so once, and is what the
// next start reads; a link or a device there is never written through.
void TestWindow::aSaveThatWentElsewhereIsSaidAndReadNext()
{
    FormFixture f;
    const QString primary = f.run.settingsPath;
    f.open();
    f.close();
    const QByteArray old = f.settingsText();
    auto &form = f.open();
    setOctets(form.octets(0), {127, 0, 0, 9});
    QVERIFY(QFile::remove(primary) && QDir().mkdir(primary));  // the file cannot be replaced now
    f.close();
    QCOMPARE(f.notifier.messages.size(), 1);
    QVERIFY(f.notifier.messages[0].contains(QDir::toNativeSeparators(f.run.fallbackSettingsPath)));
    QVERIFY(QDir(primary).removeRecursively());
    QFile file(primary);  // the old file back, as a full disk leaves it
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size() && file.flush());
    file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
    file.close();
    QCOMPARE(f.open().octets(0)[3]->valueText(), QString("009"));
    f.close();

#ifdef Q_OS_UNIX
    // A link beside the program: never written through.
    QVERIFY(QFile::remove(primary) && QFile::link("/dev/null", primary));
    f.open();
    f.close();
    QCOMPARE(QFileInfo(primary).symLinkTarget(), QString("/dev/null"));
    QVERIFY(QFileInfo("/dev/null").exists() && !QFileInfo("/dev/null").isFile());
#endif
}

// Every caption of both sides whole at the display scales operators use: each scale in a process of
// its own, as Qt takes its scale at start.
void TestWindow::captionsWholeAtEveryScale()
{
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        QSKIP("run by captionsWholeHere's parent");
    for (const char *scale : {"1", "1.25", "1.5", "1.75", "2"}) {
        QProcess self;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_SCALE_FACTOR", scale);
        self.setProcessEnvironment(environment);
        self.start(QCoreApplication::applicationFilePath(), {"captionsWholeHere"});
        QVERIFY(self.waitForFinished(60000));
        QVERIFY2(self.exitCode() == 0,
                 qPrintable(QString("at %1: ").arg(scale) + self.readAllStandardOutput()));
    }
}

// The glyphs a widget draws, left to right: runs of columns whose darkest pixel is at least three
// quarters black, told apart by a lighter column between them.
static int GlyphCores(QWidget *widget)
{
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int cores = 0;
    bool inCore = false;
    for (int x = 0; x < image.width(); ++x) {
        int darkest = 0;
        for (int y = 0; y < image.height(); ++y)
            darkest = std::max(darkest, 255 - qGray(image.pixel(x, y)));
        cores += darkest >= 192 && !inCore;
        inCore = darkest >= 192;
    }
    return cores;
}

void TestWindow::captionsWholeHere()
{
    FormFixture f;
    auto &form = f.open();
    form.CheckBox4->setChecked(true);  // both sides' identifier captions shown
    form.control("Label58")->show();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Drawn from outlines: a bitmap font (Windows' own "MS Sans Serif") runs the digits together.
    const QFontInfo drawn(form.font());
    QVERIFY2(QFontDatabase::isSmoothlyScalable(drawn.family(), drawn.styleName()),
             qPrintable(drawn.family()));
    QStringList cut;
    QList<QWidget *> captioned;
    for (const char *side : {"GroupBox1", "GroupBox2"})
        captioned += form.control(side)->findChildren<QWidget *>();
    for (QWidget *widget : captioned) {
        QString text;
        if (auto *label = qobject_cast<QLabel *>(widget))
            text = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            text = button->text();
        if (text.isEmpty() || !widget->isVisibleTo(&form))
            continue;
        const QRect needed = widget->fontMetrics().boundingRect(QRect(0, 0, 2000, 2000), Qt::AlignLeft, text);
        QRect shown(widget->mapTo(&form, QPoint()), widget->size());
        for (QWidget *parent = widget->parentWidget(); parent; parent = parent->parentWidget())
            shown &= QRect(parent->mapTo(&form, QPoint()), parent->size()).adjusted(0, 0, -2, -2);
        if (qobject_cast<QLabel *>(widget) &&
            (shown.width() < needed.width() || shown.height() < needed.height()))
            cut << QString("%1 \"%2\": %3x%4 shown of %5x%6")
                       .arg(widget->objectName(), text)
                       .arg(shown.width())
                       .arg(shown.height())
                       .arg(needed.width())
                       .arg(needed.height());
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    // The three zeros of an address group drawn apart, not as one dark block.
    QLineEdit *group = form.control("Ed_0")->findChildren<QLineEdit *>().value(1);
    group->setText("000");
    group->clearFocus();
    QCOMPARE(group->text(), QString("000"));
    QCOMPARE(GlyphCores(group), 3);
}

// As QTEST_MAIN, with the program's font engine chosen first, as the program chooses it.
int main(int argc, char *argv[])
{
    ChooseFontEngine();
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestWindow test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_window.moc"
