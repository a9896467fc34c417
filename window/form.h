#pragma once
// The configurator's one main window.

#include "captions.h"
#include "codec.h"
#include "notifier.h"
#include "read_side_display.h"
#include "run_settings.h"
#include "settings_store.h"
#include "transport.h"

#include <QHash>
#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace velmar {

class HexByteEdit;
class NumericEdit;
class PublicAddressLookup;

class TForm1_Config_UDP : public QWidget
{
    Q_OBJECT
public:
    TForm1_Config_UDP(const RunSettings &settings, Notifier &notifier, QWidget *parent = nullptr);
    ~TForm1_Config_UDP() override;

    // Any control by its object name; nullptr for a name the window has not.
    template <class T = QWidget> T *control(const QString &name) const
    {
        return qobject_cast<T *>(controls_.value(name));
    }
    std::array<NumericEdit *, 4> octets(int panel) const;  // Ed_<panel>_IP_0.._3
    std::array<HexByteEdit *, 6> macBytes(int panel) const;
    // The address an address panel shows: Ed_<panel>_IP_0.._3 as octets.
    Ipv4 address(int panel) const;
    Listener &listener() { return IdUDPServer_Conf; }
    const SendingSocket &sendingSocket() const { return IdUDPClient_Conf; }
    QString settingsFilePath() const { return settings_.path(); }

    // ---- Handlers (each defined in the folder of its subsystem) ----
    // window/
    void FormCreate();
    void FormClose();
    void CheckBox1Click(QObject *sender);
    void CheckBox2Click(QObject *sender);
    void CheckBox4Click(QObject *sender);
    void Lab_IP1DblClick(QObject *sender);
    void Lab_IP2DblClick(QObject *sender);
    void Ed_1_IP_0KeyPress(QWidget *sender, QChar &key);
    void Ed_1_IP_1KeyPress(QWidget *sender, QChar &key);
    void Ed_1_IP_2KeyPress(QWidget *sender, QChar &key);
    void Ed_5_IP_0KeyDown(QWidget *sender, int &key);
    void Ed_5_IP_0KeyPress(QWidget *sender, QChar &key);
    void Ed_5_IP_0Exit(QWidget *sender);
    void Button5Click(QObject *sender);
    void Button7Click(QObject *sender);
    // form_read_request.cpp, form_reply.cpp, form_write.cpp (over exchange/)
    void Button2Click(QObject *sender);
    void ClearReadSide();
    void TimerRead_ConfTimer(QObject *sender);
    void IdUDPServer_ConfUDPRead(const QByteArray &datagram, const QString &senderAddress,
                                 quint16 senderPort);
    void Button1Click(QObject *sender);
    // form_settings.cpp (over settings/)
    void LoadSettings();
    void SaveSettings();
    // form_maintenance.cpp (over maintenance/)
    void Button3Click(QObject *sender);
    void BitBtn1Click(QObject *sender);

    // ---- Controls the handlers work with (every control is made at start, at its design state) ----
    // The target board: Ed_0_IP_0.._3 hold its address (octets(0)); Lab_IP1 sets the fixed address
    // 10.0.0.2 on a double click, remembering the typed one in Lab_IP2, whose double click puts it back.
    QLabel *Lab_IP1 = nullptr, *Lab_IP2 = nullptr;
    QPushButton *Button2 = nullptr;  // read the stored configuration (Tag 0)
    QPushButton *Button8 = nullptr;  // read the working configuration (Tag 1)
    QPushButton *Button1 = nullptr;  // write the write side to the board, then read it back
    QPushButton *Button3 = nullptr;  // reboot the board
    QPushButton *Button5 = nullptr;  // derive the write side's MAC from its lift address
    QPushButton *Button7 = nullptr;  // "<-": copy the read side into the write side
    QPushButton *BitBtn1 = nullptr;  // look up the site's public address (shown in Edit1, GroupBox7)
    QLineEdit *Edit1 = nullptr;
    QGroupBox *GroupBox7 = nullptr;
    QLineEdit *EditRs = nullptr;  // "Ok" once a board acknowledges a reboot
    // Every datagram received: its sender (Label_In_IP, Label_In_Port), identity mark (LabIdent), count
    // (LabIn) and text (Label5).
    QLabel *Label_In_IP = nullptr, *Label_In_Port = nullptr, *LabIdent = nullptr, *LabIn = nullptr,
           *Label5 = nullptr;
    // Write side: the addressing boxes of the board (CheckBox4, DHCP) and of the dispatcher's console
    // (CheckBox2, dynamic), which shows the dispatcher's address (ED_1, Label6) and the board identifier
    // (IND_MEdit, Label57); the ray number (Str_NL_W) is sent and never shown.
    QCheckBox *CheckBox4 = nullptr, *CheckBox2 = nullptr;
    QFrame *ED_1 = nullptr;
    QLabel *Label6 = nullptr, *Label57 = nullptr;
    NumericEdit *IND_MEdit = nullptr, *Str_NL_W = nullptr;
    // Read side: what the last reply said, the same boxes (CheckBox5, CheckBox3), the dispatcher's
    // address (ED_6, Label11), the identifier (CurrencyEdit1, Label58), the ray number (Str_NL_R) and the
    // board's version text (Lab_Ver).
    QCheckBox *CheckBox5 = nullptr, *CheckBox3 = nullptr;
    QFrame *ED_6 = nullptr;
    QLabel *Label11 = nullptr, *Label58 = nullptr, *Lab_Ver = nullptr;
    NumericEdit *CurrencyEdit1 = nullptr;
    QLineEdit *Str_NL_R = nullptr;
    // The reboot sweep (GroupBox3), shown by CheckBox1; the window never shows CheckBox1.
    QCheckBox *CheckBox1 = nullptr;
    QGroupBox *GroupBox3 = nullptr;
    NumericEdit *CurEd_Port = nullptr;  // the board's port, never shown: 8026
    QTimer *TimerRead_Conf = nullptr;   // reads the board again after a reboot

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void bindControls();
    void wireEvents();
    void wireOctetKeys(const QList<NumericEdit *> &fields);
    void fitToVisibleControls();
    // Runs a handler; an error that escapes it goes to the error box and the program goes on.
    void run(const std::function<void()> &handler);

    ConfigWriteValues writeSideValues() const;
    // The field with the focus takes what is being typed in it, as if it had been left.
    void takeEditInProgress();
    // Shared by the read, write and reboot.
    bool targetIsZero() const;
    QString targetText() const;
    std::optional<std::uint16_t> userPort() const;
    void stepToNextOctet(QWidget *sender, QChar &key);
    // Carries a plan out to the target. A send that fails ends the sending silently; the operator's sign
    // is a field that does not change.
    void carryOut(const SendPlan &plan);
    // The settings file's paths: the run's, or beside the program and in the user's folder.
    static SettingsPaths SettingsPathsOf(const RunSettings &run);

    RunSettings run_;
    Notifier &notifier_;
    QHash<QString, QWidget *> controls_;
    mutable QHash<int, std::array<NumericEdit *, 4>> octetPanels_;
    mutable QHash<int, std::array<HexByteEdit *, 6>> macPanels_;
    Listener IdUDPServer_Conf;
    SendingSocket IdUDPClient_Conf;
    SocketSender sockets_{IdUDPServer_Conf, IdUDPClient_Conf};
    PublicAddressLookup *IdHTTP_Conf = nullptr;  // made at the first lookup: most runs never look up
    QStringList rememberedTarget_;
    SettingsStore settings_;
    QByteArray lastTakenOver_;  // the reply last shown in the read side, until the read side is emptied
    // The read side's fields, looked up once: the reply handler fills them for every datagram.
    struct ReadSideFields
    {
        std::array<std::array<NumericEdit *, 4>, 4>
            addresses{};  // the record's dispatcher, lift, mask, router
        std::array<NumericEdit *, 4> reserve1{}, reserve2{};
        std::array<HexByteEdit *, 6> mac{};
    } readFields_;
    void findReadSideFields();
    ReadSideDisplay readSide_{nullptr};
    bool closing_ = false;
};

// Sets a label's caption when it differs and sizes the label to show all of it: a label sized to its
// caption follows it, one with a design size never gets smaller than that. False when unchanged.
bool SetCaption(QLabel *label, const QString &text);
// What QLabel::sizeHint() gives for the label's caption, measured at less cost where it can be.
QSize CaptionSize(const QLabel *label);

int TagOf(const QObject *object);
void SetTag(QObject *object, int tag);

// The application's title: its message boxes carry it. The application's name, which names its folders,
// is the plain "VelmarCom".
inline const char *const ApplicationTitle = "Конфігуратор V-8.6";

// The message of an all-zero target.
inline const char *const ZeroTargetMessage = "IP - Плати що конфігуруеться = 000.000.000.000";

}  // namespace velmar
