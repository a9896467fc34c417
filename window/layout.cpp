// The window's controls, made from the table of design.h: one maker for each kind of control.

#include "design.h"
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

namespace velmar {

namespace {

using namespace design;

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
// A label is never smaller than its caption: a font that draws a little wider than the design's (another
// family, a display scale that rounds up) would cut its last letters.
void Place(QWidget *widget, const Row &row)
{
    if (auto *text = qobject_cast<QLabel *>(widget))
        text->setGeometry(
            QRect(QPoint(row.x, row.y), CaptionSize(text).expandedTo(QSize(row.width, row.height))));
    else if (row.width > 0)
        widget->setGeometry(row.x, row.y, row.width, row.height);
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
    for (const Row &row : DesignRows()) {
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

}  // namespace velmar
