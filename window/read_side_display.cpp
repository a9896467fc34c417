#include "read_side_display.h"

#include "entry_fields.h"
#include "form.h"

#include <QLabel>

#include <algorithm>

void ReadSideDisplay::endPass()
{
    inPass_ = false;
    for (const QPointer<NumericEdit> &field : std::exchange(pendingFields_, {}))
        if (field)
            field->showValue();
    if (pendingCount_ >= 0)
        SetCaption(counter_, QString::number(std::exchange(pendingCount_, -1)));
    for (const auto &[label, text] : std::exchange(pendingCaptions_, {}))
        SetCaption(label, text);
}

void ReadSideDisplay::count()
{
    const qlonglong count = (pendingCount_ >= 0 ? pendingCount_ : counter_->text().toLongLong()) + 1;
    if (inPass_)
        pendingCount_ = count;
    else
        SetCaption(counter_, QString::number(count));
}

void ReadSideDisplay::setCaption(QLabel *label, const QString &text)
{
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
    if (!inPass_) {
        field->setValue(value);
        return;
    }
    if (field->keepValue(value) &&
        std::find(pendingFields_.begin(), pendingFields_.end(), field) == pendingFields_.end())
        pendingFields_.emplace_back(field);
}
