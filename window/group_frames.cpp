#include "group_frames.h"

#include <QApplication>
#include <QGroupBox>
#include <QImageReader>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <qdrawutil.h>

namespace {

// Fusion's frame image and how it places it, as in the Qt versions this was checked against.
const char *const FrameImage = ":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png";
constexpr int ImageMargin = 6;  // corners and edges of the image; the rest is the inside
constexpr int TopMargin = 3;    // above the frame; a titled box's title line comes on top of it
constexpr bool Reproduced = QT_VERSION >= QT_VERSION_CHECK(6, 4, 0) && QT_VERSION < QT_VERSION_CHECK(6, 5, 0);

}  // namespace

GroupFrameStyle::GroupFrameStyle(QStyle *fusion, QPixmap frame)
    : QProxyStyle(fusion), frame_(std::move(frame))
{
}

GroupFrameStyle *GroupFrameStyle::ForApplicationStyle()
{
    if (!Reproduced ||
        QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        return nullptr;
    // Read as the PNG it is: left to guess, the reader loads every image plug-in to ask it first.
    QImageReader reader(QString::fromLatin1(FrameImage), "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull() || image.width() <= 2 * ImageMargin || image.height() <= 2 * ImageMargin)
        return nullptr;
    QStyle *fusion = QStyleFactory::create(QStringLiteral("fusion"));
    return fusion ? new GroupFrameStyle(fusion, QPixmap::fromImage(image)) : nullptr;
}

void GroupFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                    const QWidget *widget) const
{
    if (element != PE_FrameGroupBox) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const auto *box = qobject_cast<const QGroupBox *>(widget);
    const bool untitled = box && !box->isCheckable() && box->title().isEmpty();
    const int top = untitled ? TopMargin
                             : std::max(pixelMetric(PM_ExclusiveIndicatorHeight, option, widget),
                                        option->fontMetrics.height()) +
                                   TopMargin;
    const QMargins margins(ImageMargin, ImageMargin, ImageMargin, ImageMargin);
    qDrawBorderPixmap(painter, option->rect.adjusted(0, top, 0, 0), margins, frame_, frame_.rect(), margins,
                      QTileRules(Qt::RepeatTile));
}
