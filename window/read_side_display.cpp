#include "read_side_display.h"

#include "entry_fields.h"
#include "form.h"

#include <QLabel>
#include <QTimer>

#include <utility>

namespace velmar {

namespace {

// Passes closer together than this are shown together.
constexpr int FrameMs = 16;

}  // namespace

void ReadSideDisplay::endPass()
{
    inPass_ = false;
    if (held_)
        return;  // shown at the end of the frame already asked for
    if (shown_.isValid() && shown_.elapsed() < FrameMs) {
        held_ = true;
        QTimer::singleShot(int(FrameMs - shown_.elapsed()), Qt::PreciseTimer, counter_, [this] { flush(); });
        return;
    }
    show();
}

void ReadSideDisplay::flush()
{
    if (!held_ || inPass_)
        return;  // nothing held, or a pass under way holds on until it ends
    held_ = false;
    show();
}

void ReadSideDisplay::show()
{
    shown_.start();
    for (const QPointer<NumericEdit> &field : std::exchange(pendingFields_, {}))
        if (field)
            field->showValue();
    if (pendingCount_ >= 0)
        SetCaption(counter_, QString::number(std::exchange(pendingCount_, -1)));
    for (const auto &[label, text] : std::exchange(pendingCaptions_, {}))
        SetCaption(label, text);
    showVersion();
}

void ReadSideDisplay::setVersion(QLabel *label, const QString &version, const QString &suffix)
{
    flush();
    version_.label = label;
    version_.suffix = suffix;
    version_.pending = version;
    if (!inPass_)
        showVersion();
}

bool ReadSideDisplay::versionShown(QLabel *label) const
{
    if (version_.label == label && version_.pending)
        return !version_.pending->isEmpty();
    return !caption(label).isEmpty();
}

void ReadSideDisplay::showVersion()
{
    if (!version_.pending)
        return;
    const QString version = *std::exchange(version_.pending, std::nullopt);
    QLabel *label = version_.label;
    // Within the read group, the suffix whole: a long text gives way in its middle.
    const int room = label->parentWidget()->width() - label->x() - 8 -
                     label->fontMetrics().horizontalAdvance(version_.suffix);
    if (version == version_.text && room == version_.room && label->text() == version_.caption)
        return;  // the same text measured again would give the same caption
    version_.text = version;
    version_.room = room;
    version_.caption =
        version.isEmpty() ? QString()
                          : label->fontMetrics().elidedText(version, Qt::ElideMiddle, room) + version_.suffix;
    SetCaption(label, version_.caption);
    const QString whole = version.isEmpty() ? QString() : Qt::convertFromPlainText(version);
    if (label->toolTip() != whole)
        label->setToolTip(whole);
}

void ReadSideDisplay::count()
{
    flush();
    const qlonglong count = (pendingCount_ >= 0 ? pendingCount_ : counter_->text().toLongLong()) + 1;
    if (inPass_)
        pendingCount_ = count;
    else
        SetCaption(counter_, QString::number(count));
}

void ReadSideDisplay::setCaption(QLabel *label, const QString &text)
{
    flush();
    if (!inPass_) {
        SetCaption(label, text);
        return;
    }
    for (auto &[pending, pendingText] : pendingCaptions_)
        if (pending == label) {
            pendingText = text;
            return;
        }
    if (label->text() != text)
        pendingCaptions_.emplace_back(label, text);
}

QString ReadSideDisplay::caption(QLabel *label) const
{
    for (const auto &[pending, pendingText] : pendingCaptions_)
        if (pending == label)
            return pendingText;
    return label->text();
}

void ReadSideDisplay::setValue(NumericEdit *field, double value)
{
    flush();
    if (!inPass_) {
        field->setValue(value);
        return;
    }
    if (field->keepValue(value))  // once a pass: the field says whether it waits to be shown already
        pendingFields_.emplace_back(field);
}

}  // namespace velmar
