#include "quick_fusion.h"

#include <QApplication>
#include <QGroupBox>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>
#include <QSemaphore>
#include <QStyleFactory>
#include <QStyleOption>
#include <QThreadPool>
#include <qdrawutil.h>

namespace {

// Fusion's frame image and how it places it, as in the Qt versions this was checked against.
const char *const FrameImage = ":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png";
constexpr int ImageMargin = 6;  // corners and edges of the image; the rest is the inside
constexpr int TopMargin = 3;    // above the frame; a titled box's title line comes on top of it
constexpr int TallButton = 64;  // a button at least this tall has its panel drawn on a pool thread
constexpr bool Reproduced = QT_VERSION >= QT_VERSION_CHECK(6, 4, 0) && QT_VERSION < QT_VERSION_CHECK(6, 5, 0);

}  // namespace

QuickFusionStyle::QuickFusionStyle(QStyle *fusion, QPixmap frame)
    : QProxyStyle(fusion), frame_(std::move(frame))
{
}

QuickFusionStyle *QuickFusionStyle::ForApplicationStyle()
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
    return fusion ? new QuickFusionStyle(fusion, QPixmap::fromImage(image)) : nullptr;
}

void QuickFusionStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                     const QWidget *widget) const
{
    if (element == PE_PanelButtonCommand) {
        if (const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
            button && option->rect.height() >= TallButton &&
            painter->worldTransform().type() <= QTransform::TxTranslate) {
            drawTallButtonPanel(*button, painter);
            return;
        }
    }
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

void QuickFusionStyle::drawTallButtonPanel(const QStyleOptionButton &option, QPainter *painter) const
{
    const QString key = QStringLiteral("velmar-button-%1-%2-%3-%4-%5x%6")
                            .arg(uint(option.state))
                            .arg(int(option.direction))
                            .arg(int(option.features))
                            .arg(option.palette.cacheKey())
                            .arg(option.rect.width())
                            .arg(option.rect.height());
    QPixmap panel;
    if (!QPixmapCache::find(key, &panel)) {
        const qreal ratio = painter->device()->devicePixelRatio();
        QImage image(option.rect.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        QStyleOptionButton atOrigin(option);
        atOrigin.rect.moveTo(0, 0);
        // Qt's raster engine hands every fill of a hundred lines or more from this thread to its thread pool
        // and waits for it, which for a tall button costs more than the drawing; on a thread of that pool it
        // fills them itself. Fusion draws the same panel either way.
        QSemaphore drawn;
        QThreadPool::globalInstance()->start([&] {
            QPainter onImage(&image);
            baseStyle()->drawPrimitive(PE_PanelButtonCommand, &atOrigin, &onImage, nullptr);
            onImage.end();
            drawn.release();
        });
        drawn.acquire();
        panel = QPixmap::fromImage(image);
        QPixmapCache::insert(key, panel);
    }
    painter->drawPixmap(option.rect.topLeft(), panel);
}
