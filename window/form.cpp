#include "form.h"
#include "frame_bytes.h"

#include "entry_fields.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <exception>
#include <utility>

namespace velmar {

int TagOf(const QObject *object)
{
    return object ? object->property("Tag").toInt() : 0;
}

void SetTag(QObject *object, int tag)
{
    object->setProperty("Tag", tag);
}

QSize CaptionSize(const QLabel *label)
{
    // QLabel::sizeHint() lays its text out three times (at no width, at one line's width and at any
    // width); a plain caption on one line, with no frame, margin or indent, needs one layout.
    constexpr auto selectable = Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard;
    if (label->textFormat() != Qt::PlainText || label->wordWrap() || label->text().isEmpty() ||
        label->frameWidth() != 0 || label->margin() != 0 || label->indent() > 0 ||
        (label->textInteractionFlags() & selectable) || label->contentsMargins() != QMargins() ||
        label->minimumSize() != QSize(0, 0))
        return label->sizeHint();
    // As QLabel measures: left or right, top or bottom, tabs expanded, in a 2000-pixel square.
    const int flags = int(QStyle::visualAlignment(label->layoutDirection(), label->alignment()) &
                          ~(Qt::AlignVCenter | Qt::AlignHCenter)) |
                      Qt::TextExpandTabs;
    return label->fontMetrics().boundingRect(0, 0, 2000, 2000, flags, label->text()).size();
}

bool SetCaption(QLabel *label, const QString &text)
{
    const qsizetype before = label->text().size();
    if (label->text() == text)
        return false;
    label->setText(text);
    // Measured only when the text grows: the counter changes with every datagram, its width seldom.
    if (text.size() > before || label->width() == 0) {
        const QSize design = label->property("designSize").toSize();
        const QSize hint = CaptionSize(label);
        label->resize(std::max({design.width(), hint.width(), label->width()}),
                      std::max({design.height(), hint.height(), label->height()}));
    }
    return true;
}

// A message names files and values that come from outside: it is shown as it stands, never as markup.
static void ShowMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &text)
{
    QMessageBox box(icon, QString::fromUtf8(ApplicationTitle), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void MessageBoxNotifier::message(QWidget *parent, const QString &text)
{
    ShowMessageBox(parent, QMessageBox::Information, text);
}

void MessageBoxNotifier::error(QWidget *parent, const QString &text)
{
    ShowMessageBox(parent, QMessageBox::Critical, text);
}

// The window's font: the first of its families that the system has and draws from outlines. A family
// the system lacks is left out of the list, since the font database would look for a substitute of it
// for every script and weight the window draws in, only to settle on the next family of the list.
// The design's "MS Sans Serif" is a bitmap font wherever it exists (Windows, Wine's fonts): Qt takes a
// glyph's advance from outline tables such a font does not have, and at 100 % the digits of "000" run
// into one another. Its TrueType rendition, "Microsoft Sans Serif" (on every Windows since 2000), draws
// the same design from outlines at any scale.
// The controls' places are designed for the widths of Liberation Sans (Arial's widths) at 11 pixels. A
// family that draws wider, such as DejaVu Sans where no other font is installed, is taken at the
// largest size that keeps a typical caption within a few pixels of its designed width, so that every
// caption is shown whole.
static QFont InterfaceFont()
{
    const QStringList wanted = {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("DejaVu Sans")};
    const QStringList installed = QFontDatabase::families();
    QStringList present;
    for (const QString &family : wanted) {
        if (!installed.contains(family, Qt::CaseInsensitive))
            continue;
        // A listed name may stand for another face (a substitute, a bitmap font under the same name):
        // the family is kept only when the face drawn under it is that family's, and drawn from outlines.
        QFont alone(family);
        alone.setPixelSize(11);
        const QFontInfo drawn(alone);
        if (drawn.family().compare(family, Qt::CaseInsensitive) == 0 &&
            QFontDatabase::isSmoothlyScalable(drawn.family(), drawn.styleName()))
            present << family;
    }
    QFont font;
    font.setFamilies(present.isEmpty() ? wanted : present);
    const QString typical = QString::fromUtf8(ConsoleStaticCaption);
    constexpr int DesignedWidth = 139;  // `typical` in Liberation Sans at 11 pixels
    constexpr int Tolerance = 5;
    for (int pixels = 11; pixels >= 8; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).horizontalAdvance(typical) <= DesignedWidth + Tolerance)
            break;
    }
    return font;
}

TForm1_Config_UDP::TForm1_Config_UDP(const RunSettings &settings, Notifier &notifier, QWidget *parent)
    : QWidget(parent), run_(settings), notifier_(notifier), IdUDPServer_Conf(settings.listenPort),
      settings_(SettingsPathsOf(settings))
{
    setObjectName(QStringLiteral("Form1_Config_UDP"));
    setWindowTitle(QStringLiteral("Конфігуратор плат \"ВЕЛМАР\" 2026-V_8.6"));
    setFont(InterfaceFont());

    buildControls();
    bindControls();
    readSide_ = ReadSideDisplay(LabIn);
    findReadSideFields();

    TimerRead_Conf = new QTimer(this);
    TimerRead_Conf->setObjectName(QStringLiteral("TimerRead_Conf"));
    TimerRead_Conf->setInterval(run_.readBackIntervalMs);
    SetTag(TimerRead_Conf, 0);
    IdUDPClient_Conf.active = true;

    wireEvents();
    fitToVisibleControls();
    run([this] { FormCreate(); });
}

TForm1_Config_UDP::~TForm1_Config_UDP() = default;

void TForm1_Config_UDP::bindControls()
{
    auto bind = [this](auto *&member, const char *name) {
        member = control<std::remove_reference_t<decltype(*member)>>(QLatin1String(name));
        if (!member)  // a name or kind that does not match the table of controls: a fault of the program
            qFatal("the window has no control %s of the kind its handlers use", name);
    };
    bind(Lab_IP1, "Lab_IP1"), bind(Lab_IP2, "Lab_IP2");
    bind(Button1, "Button1"), bind(Button2, "Button2"), bind(Button3, "Button3"), bind(Button5, "Button5");
    bind(Button7, "Button7"), bind(Button8, "Button8"), bind(BitBtn1, "BitBtn1");
    bind(Edit1, "Edit1"), bind(GroupBox7, "GroupBox7"), bind(EditRs, "EditRs");
    bind(Label_In_IP, "Label_In_IP"), bind(Label_In_Port, "Label_In_Port"), bind(LabIdent, "LabIdent");
    bind(LabIn, "LabIn"), bind(Label5, "Label5");
    bind(CheckBox4, "CheckBox4"), bind(CheckBox2, "CheckBox2"), bind(ED_1, "ED_1"), bind(Label6, "Label6");
    bind(Label57, "Label57"), bind(IND_MEdit, "IND_MEdit"), bind(Str_NL_W, "Str_NL_W");
    bind(CheckBox5, "CheckBox5"), bind(CheckBox3, "CheckBox3"), bind(ED_6, "ED_6"), bind(Label11, "Label11");
    bind(Label58, "Label58"), bind(Lab_Ver, "Lab_Ver"), bind(CurrencyEdit1, "CurrencyEdit1");
    bind(Str_NL_R, "Str_NL_R"), bind(CheckBox1, "CheckBox1"), bind(GroupBox3, "GroupBox3");
    bind(CurEd_Port, "CurEd_Port");
}

void TForm1_Config_UDP::run(const std::function<void()> &handler)
{
    readSide_.flush();  // a handler writes the read side after what a flood brought, never before
    try {
        handler();
    } catch (const std::exception &error) {
        notifier_.error(this, QString::fromUtf8(error.what()));
    } catch (...) {
        notifier_.error(this, QStringLiteral("Unknown error"));
    }
}

void TForm1_Config_UDP::wireEvents()
{
    auto click = [this](QPushButton *button, void (TForm1_Config_UDP::*handler)(QObject *)) {
        connect(button, &QPushButton::clicked, this,
                [this, button, handler] { run([&] { (this->*handler)(button); }); });
    };
    click(Button1, &TForm1_Config_UDP::Button1Click);
    click(Button2, &TForm1_Config_UDP::Button2Click);
    click(Button8, &TForm1_Config_UDP::Button2Click);
    click(Button3, &TForm1_Config_UDP::Button3Click);
    click(Button5, &TForm1_Config_UDP::Button5Click);
    click(Button7, &TForm1_Config_UDP::Button7Click);
    click(BitBtn1, &TForm1_Config_UDP::BitBtn1Click);

    // A box's handler runs whenever its state changes, by the operator or by code, and only then.
    auto toggled = [this](QCheckBox *box, void (TForm1_Config_UDP::*handler)(QObject *)) {
        connect(box, &QCheckBox::toggled, this,
                [this, box, handler] { run([&] { (this->*handler)(box); }); });
    };
    toggled(CheckBox1, &TForm1_Config_UDP::CheckBox1Click);
    toggled(CheckBox2, &TForm1_Config_UDP::CheckBox2Click);
    toggled(CheckBox5, &TForm1_Config_UDP::CheckBox2Click);
    toggled(CheckBox4, &TForm1_Config_UDP::CheckBox4Click);

    connect(TimerRead_Conf, &QTimer::timeout, this,
            [this] { run([this] { TimerRead_ConfTimer(TimerRead_Conf); }); });
    // Within one pass over the listener's queue the read side keeps every value at once and shows it at
    // the end of the pass: a flood redraws the window once a pass, not once a datagram.
    IdUDPServer_Conf.setHandler([this](const QByteArray &datagram, const QString &address, quint16 port) {
        readSide_.beginPass();
        run([&] { IdUDPServer_ConfUDPRead(datagram, address, port); });
    });
    IdUDPServer_Conf.setPassDone([this] { readSide_.endPass(); });
    // During a flood the listener reads a third of the time at most: keys and painting come first.
    IdUDPServer_Conf.setRestAfterFullPass(1);
    Lab_IP1->installEventFilter(this);
    Lab_IP2->installEventFilter(this);

    // Key rules of the MAC fields; the octet fields have theirs as their panels are made.
    for (int panel : {5, 10}) {
        for (HexByteEdit *field : macBytes(panel)) {
            field->hooks.keyDown = [this](QWidget *sender, int &key) {
                run([&] { Ed_5_IP_0KeyDown(sender, key); });
            };
            field->hooks.keyPress = [this](QWidget *sender, QChar &key) {
                run([&] { Ed_5_IP_0KeyPress(sender, key); });
            };
            field->hooks.exit = [this](QWidget *sender) { run([&] { Ed_5_IP_0Exit(sender); }); };
        }
    }
}

// An octet field steps on to the next field of its address when it is full.
void TForm1_Config_UDP::wireOctetKeys(const QList<NumericEdit *> &fields)
{
    using KeyPress = void (TForm1_Config_UDP::*)(QWidget *, QChar &);
    const KeyPress nextOctet[] = {&TForm1_Config_UDP::Ed_1_IP_0KeyPress,
                                  &TForm1_Config_UDP::Ed_1_IP_1KeyPress,
                                  &TForm1_Config_UDP::Ed_1_IP_2KeyPress};
    for (int k = 0; k < 3; ++k) {
        const KeyPress handler = nextOctet[k];
        fields[k]->hooks.keyPress = [this, handler](QWidget *sender, QChar &key) {
            run([&] { (this->*handler)(sender, key); });
        };
    }
}

bool TForm1_Config_UDP::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == Lab_IP1)
            run([this] { Lab_IP1DblClick(Lab_IP1); });
        else if (watched == Lab_IP2)
            run([this] { Lab_IP2DblClick(Lab_IP2); });
    }
    if ((event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent ||
         event->type() == QEvent::Resize) &&
        watched->parent() == this)
        fitToVisibleControls();
    return QWidget::eventFilter(watched, event);
}

// The window sizes itself to its visible controls.
void TForm1_Config_UDP::fitToVisibleControls()
{
    QRect bounds;
    for (QObject *child : children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget && !widget->isHidden() && !widget->isWindow())
            bounds = bounds.united(widget->geometry());
    }
    setFixedSize(bounds.right() + 1, bounds.bottom() + 1);
}

void TForm1_Config_UDP::closeEvent(QCloseEvent *event)
{
    // A failed save is shown, and the window closes all the same: the operator is never trapped.
    if (!closing_) {
        closing_ = true;
        run([this] { FormClose(); });
    }
    event->accept();
}

// The fields of a panel, looked up by name once: the reply handler reaches them for every datagram.
template <class Field, std::size_t N>
static const std::array<Field *, N> &PanelFields(QHash<int, std::array<Field *, N>> &cache, int panel,
                                                 const TForm1_Config_UDP &form)
{
    auto found = cache.find(panel);
    if (found == cache.end()) {
        std::array<Field *, N> fields{};
        for (std::size_t k = 0; k < N; ++k)
            fields[k] = form.control<Field>(QStringLiteral("Ed_%1_IP_%2").arg(panel).arg(k));
        found = cache.insert(panel, fields);
    }
    return *found;
}

std::array<NumericEdit *, 4> TForm1_Config_UDP::octets(int panel) const
{
    return PanelFields(octetPanels_, panel, *this);
}

std::array<HexByteEdit *, 6> TForm1_Config_UDP::macBytes(int panel) const
{
    return PanelFields(macPanels_, panel, *this);
}

Ipv4 TForm1_Config_UDP::address(int panel) const
{
    Ipv4 ip{};
    for (int k = 0; k < 4; ++k)
        ip[k] = static_cast<std::uint8_t>(octets(panel)[k]->valueText().toInt() & 0xFF);
    return ip;
}

bool TForm1_Config_UDP::targetIsZero() const
{
    for (NumericEdit *field : octets(0))
        if (field->valueText() != QLatin1String("000"))
            return false;
    return true;
}

QString TForm1_Config_UDP::targetText() const
{
    QStringList groups;
    for (NumericEdit *field : octets(0))
        groups << field->valueText();
    return groups.join(QLatin1Char('.'));
}

std::optional<std::uint16_t> TForm1_Config_UDP::userPort() const
{
    bool ok = false;
    const uint port = CurEd_Port->valueText().toUInt(&ok);
    return ok && port <= 0xFFFF ? std::optional<std::uint16_t>(port) : std::nullopt;
}

void TForm1_Config_UDP::carryOut(const SendPlan &plan)
{
    SendPlanSender &sender = run_.sender ? *run_.sender : sockets_;
    try {
        CarryOut(plan, {targetText().toStdString()}, sender);
    } catch (const std::exception &) {
    }
}

// ---- Startup and shutdown -----------------------------------------------------------------------

void TForm1_Config_UDP::FormCreate()
{
    run([this] { LoadSettings(); });
    CheckBox1Click(this);
    CheckBox2Click(this);
    if (!IdUDPServer_Conf.isOpen() && !IdUDPServer_Conf.open())
        notifier_.message(this, QStringLiteral("Port 6767 ERROR"));
}

void TForm1_Config_UDP::takeEditInProgress()
{
    if (auto *number = qobject_cast<NumericEdit *>(focusWidget()))
        number->takeEdit();
    else if (auto *mac = qobject_cast<HexByteEdit *>(focusWidget()); mac && mac->hooks.exit)
        mac->hooks.exit(mac);
}

void TForm1_Config_UDP::FormClose()
{
    takeEditInProgress();
    Lab_IP2DblClick(this);
    run([this] { SaveSettings(); });
    IdUDPClient_Conf.close();
    IdUDPServer_Conf.close();
}

}  // namespace velmar
