// The window's controls as data: one row per control, built by one loop.

#include "entry_fields.h"
#include "form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <utility>
#include <vector>

namespace {

enum class Kind {
    Label,
    CheckBox,
    Button,
    RetryButton,
    Edit,
    GroupBox,
    Panel,
    ComboBox,
    Memo,
    Progress,
    Number,
    Identifier,
    AddressPanel,
    MacPanel
};

enum Flags { Shown = 0, Hidden = 1, Disabled = 2, ReadOnly = 4, Bold = 8, FieldsReadOnly = 16 };

struct Row
{
    const char *name;
    Kind kind;
    const char *parent;       // nullptr: the window
    int x, y, width, height;  // width 0: sized to the caption
    const char *caption = "";
    int flags = Shown;
    int tag = 0;
    int initial = 0;  // Number fields: value; MaxLength for Edit
};

// The design placement of the window.
constexpr int DesignLeft = 393, DesignTop = 137;

const char *const EchoCaption = nullptr;  // filled with the service URL at run time
const char *const IdentifierCaption = "Ідентифікатор плати\nНомер променя для\nпристрія сполучення";
const char *const RayCaption = "№ луча\n(мережевий)";

// clang-format off
const Row Rows[] = {
    // Top area
    {"CheckBox1", Kind::CheckBox, nullptr, 16, 0, 169, 17, "Перезапуск масиву", Hidden | Disabled},
    {"Ch_Box_Conf_IP", Kind::CheckBox, nullptr, 16, 24, 265, 17, "Конфігурування по Ідентифікатору", Hidden | Disabled},
    {"GroupBox6", Kind::GroupBox, nullptr, 128, 48, 200, 81, "  IP - Плати що конфігуруеться  "},
    {"Lab_IP1", Kind::Label, "GroupBox6", 8, 19, 0, 0, "010.000.000.002"},
    {"Lab_IP2", Kind::Label, "GroupBox6", 102, 19, 0, 0, "-----------------------------"},
    {"Ed_0", Kind::AddressPanel, "GroupBox6", 8, 40, 183, 33},
    {"Lab_Iden", Kind::Label, nullptr, 19, 75, 0, 0, "Ідентифікатор", Hidden},
    {"CoBox_Iden", Kind::ComboBox, nullptr, 12, 92, 111, 28, "", Hidden},
    {"Button3", Kind::Button, nullptr, 340, 41, 105, 88, "Reboot"},
    {"Lab_Port", Kind::Label, nullptr, 365, 74, 0, 0, "Port", Hidden},
    {"Pan_Port", Kind::Panel, nullptr, 336, 89, 87, 33, "", Hidden},
    {"CurEd_Port", Kind::Identifier, "Pan_Port", 5, 8, 76, 22, "", ReadOnly, 0, 8026},
    {"EditRs", Kind::Edit, nullptr, 410, 15, 21, 21, "__"},
    {"Label_In_IP", Kind::Label, nullptr, 463, 30, 97, 13, ""},
    {"Label_In_Port", Kind::Label, nullptr, 568, 30, 57, 13, ""},
    {"LabIdent", Kind::Label, nullptr, 463, 50, 34, 13, "0"},
    {"LabIn", Kind::Label, nullptr, 554, 50, 71, 13, "0"},
    {"Label5", Kind::Label, nullptr, 640, 56, 0, 0, ""},
    {"GroupBox7", Kind::GroupBox, nullptr, 456, 72, 225, 57, EchoCaption},
    {"Edit1", Kind::Edit, "GroupBox7", 10, 20, 167, 28, "000.000.000.000", ReadOnly | Bold},
    {"BitBtn1", Kind::RetryButton, "GroupBox7", 192, 20, 25, 28},
    {"Panel5", Kind::Panel, nullptr, 744, 80, 41, 41, "Stop", Hidden},
    {"Button7", Kind::Button, nullptr, 355, 136, 25, 529, "<-"},
    {"Memo1", Kind::Memo, nullptr, 728, 136, 288, 497, "", Hidden | ReadOnly},

    // Write side
    {"GroupBox2", Kind::GroupBox, nullptr, 8, 132, 345, 532},
    {"Button1", Kind::Button, "GroupBox2", 12, 25, 180, 40, "Записати"},
    {"Label55", Kind::Label, "GroupBox2", 209, 27, 70, 33, RayCaption, Hidden | Disabled},
    {"Panel3", Kind::Panel, "GroupBox2", 274, 24, 55, 33, "", Hidden | Disabled},
    {"Str_NL_W", Kind::Number, "Panel3", 5, 8, 41, 22, ""},
    {"ED_2", Kind::AddressPanel, "GroupBox2", 10, 72, 183, 33},
    {"Lab_ED_2", Kind::Label, "GroupBox2", 219, 80, 0, 0, "IP - Ліфта"},
    {"ED_3", Kind::AddressPanel, "GroupBox2", 10, 112, 183, 33},
    {"Lab_ED_3", Kind::Label, "GroupBox2", 219, 120, 0, 0, "MASK"},
    {"ED_4", Kind::AddressPanel, "GroupBox2", 10, 156, 183, 33},
    {"Lab_ED_4", Kind::Label, "GroupBox2", 219, 168, 0, 0, "ROUTER"},
    {"ED_5", Kind::MacPanel, "GroupBox2", 10, 197, 270, 33, "00 1E AF AF AF AF"},
    {"Lab_ED_5", Kind::Label, "GroupBox2", 289, 206, 0, 0, "MAC"},
    {"Button5", Kind::Button, "GroupBox2", 11, 235, 271, 23, "IP --> MAC"},
    {"GroupBox4", Kind::GroupBox, "GroupBox2", 8, 264, 321, 257, "Тип IP адреси"},
    {"CheckBox4", Kind::CheckBox, "GroupBox4", 12, 24, 293, 17, BoardStaticCaption},
    {"CheckBox2", Kind::CheckBox, "GroupBox4", 12, 56, 173, 17, ConsoleStaticCaption},
    {"Label6", Kind::Label, "GroupBox4", 16, 78, 0, 0, "IP - Комп'ютера диспетч.", Hidden},
    {"ED_1", Kind::AddressPanel, "GroupBox4", 10, 99, 183, 33, "", Hidden | Disabled},
    {"Label57", Kind::Label, "GroupBox4", 208, 48, 104, 39, IdentifierCaption, Hidden},
    {"IND_MEdit", Kind::Identifier, "GroupBox4", 220, 100, 84, 33, "", Hidden | Disabled},
    {"Label63", Kind::Label, "GroupBox4", 17, 141, 0, 0, "IP - Резервний №1", Hidden | Disabled},
    {"ED_11", Kind::AddressPanel, "GroupBox4", 11, 158, 183, 33, "", Hidden | Disabled},
    {"Label68", Kind::Label, "GroupBox4", 17, 199, 0, 0, "IP - Резервний №2", Hidden | Disabled},
    {"ED_12", Kind::AddressPanel, "GroupBox4", 11, 214, 183, 33, "", Hidden | Disabled},

    // Read side
    {"GroupBox1", Kind::GroupBox, nullptr, 384, 132, 345, 532},
    {"Label59", Kind::Label, "GroupBox1", 24, 8, 0, 0, "постійна памьять"},
    {"Label49", Kind::Label, "GroupBox1", 168, 8, 0, 0, "робоча конфігурація"},
    {"Button2", Kind::Button, "GroupBox1", 11, 25, 126, 40, "Прочитати", Shown, 0},
    {"Button8", Kind::Button, "GroupBox1", 155, 25, 126, 40, "Прочитати", Shown, 1},
    {"Label56", Kind::Label, "GroupBox1", 209, 27, 0, 0, RayCaption, Hidden | Disabled},
    {"Panel4", Kind::Panel, "GroupBox1", 274, 24, 55, 33, "", Hidden | Disabled},
    {"Str_NL_R", Kind::Edit, "Panel4", 10, 8, 33, 21, "000", ReadOnly, 0, 3},
    {"ED_7", Kind::AddressPanel, "GroupBox1", 10, 72, 183, 33, "", Disabled | FieldsReadOnly},
    {"Lab_ED_7", Kind::Label, "GroupBox1", 219, 80, 0, 0, "IP - Ліфта"},
    {"ED_8", Kind::AddressPanel, "GroupBox1", 10, 112, 183, 33, "", Disabled | FieldsReadOnly},
    {"Lab_ED_8", Kind::Label, "GroupBox1", 219, 120, 0, 0, "MASK"},
    {"ED_9", Kind::AddressPanel, "GroupBox1", 10, 152, 183, 33, "", Disabled | FieldsReadOnly},
    {"Lab_ED_9", Kind::Label, "GroupBox1", 219, 164, 0, 0, "ROUTER"},
    {"ED_10", Kind::MacPanel, "GroupBox1", 10, 197, 270, 33, "AF AF AF AF AF AF", Disabled | FieldsReadOnly},
    {"Lab_ED_10", Kind::Label, "GroupBox1", 289, 206, 0, 0, "MAC"},
    {"Lab_Ver", Kind::Label, "GroupBox1", 16, 240, 0, 0, "-------------"},
    {"GroupBox5", Kind::GroupBox, "GroupBox1", 16, 264, 321, 255, "Тип IP адреси"},
    {"CheckBox5", Kind::CheckBox, "GroupBox5", 11, 22, 302, 17, "Статична IP адреса Плати ( DHCP )", Hidden | Disabled},
    {"CheckBox3", Kind::CheckBox, "GroupBox5", 11, 45, 166, 17, ConsoleStaticCaption, Hidden | Disabled},
    {"Label11", Kind::Label, "GroupBox5", 24, 77, 0, 0, "IP - Комп'ютера диспетч.", Hidden},
    {"ED_6", Kind::AddressPanel, "GroupBox5", 10, 98, 183, 33, "", Hidden | Disabled | FieldsReadOnly},
    {"Label58", Kind::Label, "GroupBox5", 209, 51, 0, 0, IdentifierCaption, Hidden},
    {"CurrencyEdit1", Kind::Identifier, "GroupBox5", 221, 99, 84, 33, "", Hidden | Disabled | ReadOnly},
    {"Label64", Kind::Label, "GroupBox5", 17, 139, 0, 0, "IP - Резервний №1", Hidden},
    {"ED_61", Kind::AddressPanel, "GroupBox5", 10, 157, 183, 33, "", Hidden | Disabled | FieldsReadOnly},
    {"Label76", Kind::Label, "GroupBox5", 17, 197, 0, 0, "IP - Резервний №2", Hidden},
    {"ED_62", Kind::AddressPanel, "GroupBox5", 11, 212, 183, 33, "", Hidden},

    // Reboot sweep: shown by CheckBox1, which the window never shows; its settings are kept
    {"GroupBox3", Kind::GroupBox, nullptr, 0, 696, 385, 129, "", Hidden},
    {"Label53", Kind::Label, "GroupBox3", 25, 9, 0, 0, "IP - першої плати"},
    {"Panel1", Kind::AddressPanel, "GroupBox3", 7, 23, 183, 33, ""},
    {"Label54", Kind::Label, "GroupBox3", 68, 67, 0, 0, "кількість плат"},
    {"Panel2", Kind::Panel, "GroupBox3", 141, 58, 49, 33, ""},
    {"EdR1_0_IP_0", Kind::Number, "Panel2", 4, 8, 41, 22, "", Shown, 0, 1},
    {"Button4", Kind::Button, "GroupBox3", 195, 16, 89, 73, "Reboot START"},
    {"Button6", Kind::Button, "GroupBox3", 286, 16, 89, 73, "Reboot STOP"},
    {"Edit2", Kind::Edit, "GroupBox3", 11, 92, 113, 21, ""},
    {"ProgressBar1", Kind::Progress, "GroupBox3", 136, 100, 241, 17, "", Hidden},
};
// clang-format on

// The field prefix of an address or MAC panel: "ED_2" holds Ed_2_IP_0.., "Panel1" holds EdR_0_IP_0...
QString FieldPrefix(const QString &panel)
{
    if (panel == QLatin1String("Panel1"))
        return QStringLiteral("EdR_0");
    return QStringLiteral("Ed_") + panel.section(QLatin1Char('_'), 1);
}

// A lowered white panel for the fields of one address or MAC, with the separators between them drawn
// in: a drawn dot costs nothing, a label for each of some fifty dots costs the window's start.
class LoweredPanel : public QFrame
{
public:
    LoweredPanel(QWidget *parent, QString separator, std::initializer_list<int> xs)
        : QFrame(parent), separator_(std::move(separator)), xs_(xs)
    {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setAutoFillBackground(true);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, Qt::white);
        setPalette(palette);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QFrame::paintEvent(event);
        QPainter painter(this);
        painter.setPen(
            palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        const int baseline = 10 + fontMetrics().ascent();
        for (int x : xs_)
            painter.drawText(x, baseline, separator_);
    }

private:
    QString separator_;
    std::vector<int> xs_;
};

// The lookup button's glyph, a circular arrow, drawn here: the style's icon would be looked up in the
// desktop's icon themes on disk while the window is built.
QIcon RetryGlyph()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1f, 0x6e, 0x43), 2));
    painter.drawArc(QRectF(3, 3, 10, 10), 90 * 16, 270 * 16);
    painter.setBrush(QColor(0x1f, 0x6e, 0x43));
    painter.setPen(Qt::NoPen);
    painter.drawPolygon(QPolygonF({QPointF(7, 0), QPointF(11, 3), QPointF(7, 6)}));
    return QIcon(pixmap);
}

NumericEdit::Limits OctetLimits(int maxValue = 255)
{
    return {true, 3, double(maxValue), 2, true};
}

// The name of field `k` of an address or MAC panel: "Ed_2_IP_3".
QString FieldName(const Row &row, int k)
{
    return QStringLiteral("%1_IP_%2").arg(FieldPrefix(QString::fromUtf8(row.name))).arg(k);
}

// ---- One maker for each kind of control ---------------------------------------------------------

// Captions that change at run time come from boards and files: never read as markup.
QLabel *PlainLabel(const QString &caption, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QWidget *MakeLabel(const Row &row, const QString &caption, QWidget *parent)
{
    QLabel *label = PlainLabel(caption, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setProperty("designSize", QSize(row.width, row.height));
    return label;
}

QWidget *MakeRetryButton(QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setIcon(RetryGlyph());
    return button;
}

QWidget *MakeEdit(const Row &row, const QString &caption, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    if (row.initial)
        edit->setMaxLength(row.initial);
    edit->setReadOnly(row.flags & ReadOnly);
    if (row.flags & Bold) {
        QFont font = edit->font();
        font.setBold(true);
        edit->setFont(font);
    }
    edit->setText(caption);  // laid out once, in its own font
    return edit;
}

QWidget *MakePanel(const QString &caption, QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    if (!caption.isEmpty())
        PlainLabel(caption, panel)->move(8, 14);
    return panel;
}

QWidget *MakeComboBox(QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setEditable(false);
    return combo;
}

QWidget *MakeMemo(QWidget *parent)
{
    auto *memo = new QPlainTextEdit(parent);
    memo->setReadOnly(true);
    return memo;
}

QWidget *MakeProgress(QWidget *parent)
{
    auto *bar = new QProgressBar(parent);
    bar->setRange(0, 255);
    bar->setValue(0);
    return bar;
}

// An octet field on its own (the reboot sweep's board count goes to 254), or the identifier.
QWidget *MakeNumber(const Row &row, QWidget *parent)
{
    const bool octet = row.kind == Kind::Number;
    const NumericEdit::Limits limits = octet
                                           ? OctetLimits(QLatin1String(row.name) == "EdR1_0_IP_0" ? 254 : 255)
                                           : NumericEdit::Limits{false, 5, 65535, 0, false};
    auto *edit = new NumericEdit(limits, parent);
    if (!octet)
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit->setReadOnly(row.flags & ReadOnly);
    edit->setValue(row.initial);
    return edit;
}

QWidget *MakeAddressPanel(const Row &row, QWidget *parent)
{
    auto *panel = new LoweredPanel(parent, QStringLiteral("."), {46, 90, 134});
    int k = 0;
    for (int x : {5, 49, 93, 137}) {
        auto *field = new NumericEdit(OctetLimits(), panel);
        field->setObjectName(FieldName(row, k++));
        field->setFrame(false);
        field->setGeometry(x, 8, 41, 22);
        field->setReadOnly(row.flags & FieldsReadOnly);
    }
    return panel;
}

QWidget *MakeMacPanel(const Row &row, const QString &caption, QWidget *parent)
{
    auto *panel = new LoweredPanel(parent, QStringLiteral(":"), {43, 88, 134, 179, 221});
    const QStringList initial = caption.split(QLatin1Char(' '));
    int k = 0;
    for (int x : {7, 52, 96, 143, 185, 229}) {
        auto *field = new HexByteEdit(initial.value(k), panel);
        field->setObjectName(FieldName(row, k));
        field->setGeometry(x, 8, 33, 21);
        field->setReadOnly(row.flags & FieldsReadOnly);
        SetTag(field, k++);
    }
    return panel;
}

QWidget *MakeControl(const Row &row, const QString &echoCaption, QWidget *parent)
{
    const QString caption = QString::fromUtf8(row.caption ? row.caption : "");
    switch (row.kind) {
    case Kind::Label: return MakeLabel(row, caption, parent);
    case Kind::CheckBox: return new QCheckBox(caption, parent);
    case Kind::Button: return new QPushButton(caption, parent);
    case Kind::RetryButton: return MakeRetryButton(parent);
    case Kind::Edit: return MakeEdit(row, caption, parent);
    case Kind::GroupBox: return new QGroupBox(row.caption ? caption : echoCaption, parent);
    case Kind::Panel: return MakePanel(caption, parent);
    case Kind::ComboBox: return MakeComboBox(parent);
    case Kind::Memo: return MakeMemo(parent);
    case Kind::Progress: return MakeProgress(parent);
    case Kind::Number:
    case Kind::Identifier: return MakeNumber(row, parent);
    case Kind::AddressPanel: return MakeAddressPanel(row, parent);
    case Kind::MacPanel: return MakeMacPanel(row, caption, parent);
    }
    return nullptr;
}

// A control at its design place and size; a label or control without a design width takes its caption's.
void Place(QWidget *widget, const Row &row)
{
    if (row.width > 0)
        widget->setGeometry(row.x, row.y, row.width, row.height);
    else if (auto *text = qobject_cast<QLabel *>(widget))
        text->setGeometry(QRect(QPoint(row.x, row.y), CaptionSize(text)));
    else {
        widget->adjustSize();
        widget->move(row.x, row.y);
    }
    widget->setHidden(row.flags & Hidden);
    widget->setEnabled(!(row.flags & Disabled));
}

}  // namespace

// Every control, made in the order of the rows: that order is the Tab order.
void TForm1_Config_UDP::buildControls()
{
    for (const Row &row : Rows) {
        QWidget *parent = row.parent ? controls_.value(QLatin1String(row.parent)) : this;
        QWidget *widget = MakeControl(row, run_.echoServiceUrl.toString(), parent);
        widget->setObjectName(QString::fromUtf8(row.name));
        controls_.insert(widget->objectName(), widget);
        SetTag(widget, row.tag);
        Place(widget, row);
        for (auto *field : widget->findChildren<QLineEdit *>(Qt::FindDirectChildrenOnly))
            controls_.insert(field->objectName(), field);
        if (row.kind == Kind::AddressPanel)
            wireOctetKeys(widget->findChildren<NumericEdit *>(Qt::FindDirectChildrenOnly));
        // The window fits itself to its controls as they are shown, hidden and resized.
        if (parent == this)
            widget->installEventFilter(this);
    }
    move(DesignLeft, DesignTop);
}
