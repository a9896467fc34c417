#pragma once
// The configurator's one main window.

#include "codec.h"
#include "ini_file.h"
#include "notifier.h"
#include "run_settings.h"
#include "transport.h"

#include <QHash>
#include <QWidget>

#include <array>
#include <functional>
#include <utility>
#include <vector>

class HexByteEdit;
class NumericEdit;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QNetworkAccessManager;
class QNetworkReply;
class QPushButton;
class QTimer;
class TForm1_Config_UDP;

// A control the window makes only when something first needs it: used as a pointer to it, which makes
// it then.
template <class T> class LaterControl
{
public:
    LaterControl(const TForm1_Config_UDP &form, const char *name) : form_(form), name_(name) {}
    LaterControl(const LaterControl &) = delete;
    LaterControl &operator=(const LaterControl &) = delete;

    T *get() const;
    T *operator->() const { return get(); }
    operator T *() const { return get(); }
    bool made() const;

private:
    const TForm1_Config_UDP &form_;
    const char *name_;
    mutable T *control_ = nullptr;
};

class TForm1_Config_UDP : public QWidget
{
    Q_OBJECT
public:
    TForm1_Config_UDP(const RunSettings &settings, Notifier &notifier, QWidget *parent = nullptr);
    ~TForm1_Config_UDP() override;

    // Any control by its object name. A control the window never shows by itself is made here, the first
    // time it is asked for, with its design values.
    template <class T = QWidget> T *control(const QString &name) const
    {
        return qobject_cast<T *>(widget(name));
    }
    bool made(const QString &name) const { return controls_.contains(name); }
    std::array<NumericEdit *, 4> octets(int panel) const;  // Ed_<panel>_IP_0.._3
    std::array<HexByteEdit *, 6> macBytes(int panel) const;
    velmar::Listener &listener() { return IdUDPServer_Conf; }
    const velmar::SendingSocket &sendingSocket() const { return IdUDPClient_Conf; }
    QString settingsFilePath() const { return settingsWritePath_; }

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
    // exchange/
    void Button2Click(QObject *sender);
    void ClearReadSide();
    void TimerRead_ConfTimer(QObject *sender);
    void IdUDPServer_ConfUDPRead(const QByteArray &data, const QString &senderAddress, quint16 senderPort);
    void Button1Click(QObject *sender);
    // settings/
    void LoadSettings();
    void SaveSettings();
    // maintenance/
    void Button3Click(QObject *sender);
    void BitBtn1Click(QObject *sender);

    // Controls the handlers work with.
    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox4 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button5 = nullptr,
                *Button7 = nullptr, *Button8 = nullptr, *BitBtn1 = nullptr;
    QLabel *Lab_IP1 = nullptr, *Lab_IP2 = nullptr, *LabIn = nullptr, *LabIdent = nullptr,
           *Label_In_IP = nullptr, *Label_In_Port = nullptr, *Label5 = nullptr, *Lab_Ver = nullptr;
    QLineEdit *EditRs = nullptr, *Edit1 = nullptr;
    QGroupBox *GroupBox7 = nullptr;
    QTimer *TimerRead_Conf = nullptr;
    // Hidden at the start, and shown by a mode switch or a board's reply, or read by a send: made when
    // first used.
    LaterControl<QCheckBox> CheckBox3{*this, "CheckBox3"}, CheckBox5{*this, "CheckBox5"};
    LaterControl<QLabel> Label6{*this, "Label6"}, Label57{*this, "Label57"}, Label11{*this, "Label11"},
        Label58{*this, "Label58"};
    LaterControl<QLineEdit> Str_NL_R{*this, "Str_NL_R"};
    LaterControl<NumericEdit> CurEd_Port{*this, "CurEd_Port"}, IND_MEdit{*this, "IND_MEdit"},
        CurrencyEdit1{*this, "CurrencyEdit1"}, Str_NL_W{*this, "Str_NL_W"};
    LaterControl<QFrame> ED_1{*this, "ED_1"}, ED_6{*this, "ED_6"};
    LaterControl<QGroupBox> GroupBox3{*this, "GroupBox3"};

protected:
    void closeEvent(QCloseEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void makeControl(int row);
    void keepTabOrder();
    QWidget *widget(const QString &name) const;
    void wireEvents();
    // Runs `wire` on the control as soon as it is made (at once when it is).
    void whenMade(const QString &name, std::function<void(QWidget *)> wire);
    void wireOctetKeys(const std::array<NumericEdit *, 4> &fields);
    void fitToVisibleControls();
    // Runs a handler; an error that escapes it goes to the error box and the program goes on.
    void run(const std::function<void()> &handler);

    // Shared by the read, write and reboot.
    bool targetIsZero() const;
    QString targetText() const;
    std::optional<std::uint16_t> userPort() const;
    void stepToNextOctet(QWidget *sender, QChar &key);
    // Carries a plan out to the target. A send that fails ends the sending silently; the operator's sign
    // is a field that does not change.
    void carryOut(const velmar::SendPlan &plan);
    IniFile readSettingsFile(const QString &path, bool *exists = nullptr);
    // Within a pass over the listener's queue a caption is kept and set when the pass ends.
    void showCaption(QLabel *label, const QString &text);
    QString caption(QLabel *label) const;
    void endPass();

    RunSettings run_;
    Notifier &notifier_;
    QHash<QString, QWidget *> controls_;
    QHash<QString, int> later_;  // controls (and their fields) made when first asked for: name → row
    QHash<QString, std::vector<std::function<void(QWidget *)>>> wireWhenMade_;
    mutable QHash<int, std::array<NumericEdit *, 4>> octetPanels_;
    mutable QHash<int, std::array<HexByteEdit *, 6>> macPanels_;
    velmar::Listener IdUDPServer_Conf;
    velmar::SendingSocket IdUDPClient_Conf;
    velmar::SocketSender sockets_{IdUDPServer_Conf, IdUDPClient_Conf};
    QNetworkAccessManager *IdHTTP_Conf = nullptr;
    QNetworkReply *lookup_ = nullptr;
    QStringList rememberedTarget_;
    QString settingsWritePath_;
    IniFile settings_;             // the settings file as last read or written
    QByteArray lastTakenOver_;     // the reply last shown in the read side, until the read side is emptied
    bool inPass_ = false;          // handling a pass over the listener's queue
    qlonglong pendingCount_ = -1;  // the datagram count to show at the end of the pass
    std::vector<std::pair<QLabel *, QString>> pendingCaptions_;  // the other captions shown then
    bool closing_ = false;
    bool tabOrderStale_ = false;  // a control has been made since the Tab order was last put right
};

template <class T> bool LaterControl<T>::made() const
{
    return control_ || form_.made(QLatin1String(name_));
}

template <class T> T *LaterControl<T>::get() const
{
    if (!control_) {
        control_ = form_.template control<T>(QLatin1String(name_));
        Q_ASSERT(control_);
    }
    return control_;
}

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
