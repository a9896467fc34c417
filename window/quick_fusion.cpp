#include "quick_fusion.h"

#include <QApplication>
#include <QGroupBox>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>
#include <QPushButton>
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

QString QuickFusionStyle::PanelKey(const QStyleOptionButton &option, qreal ratio)
{
    return QStringLiteral("velmar-button-%1-%2-%3-%4-%5x%6@%7")
        .arg(uint(option.state))
        .arg(int(option.direction))
        .arg(int(option.features))
        .arg(option.palette.cacheKey())
        .arg(option.rect.width())
        .arg(option.rect.height())
        .arg(ratio);
}

std::shared_ptr<QuickFusionStyle::PanelDrawing>
QuickFusionStyle::drawPanelOnPool(const QStyleOptionButton &option, qreal ratio) const
{
    auto drawing = std::make_shared<PanelDrawing>();
    drawing->image = QImage(option.rect.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    drawing->image.setDevicePixelRatio(ratio);
    drawing->image.fill(Qt::transparent);
    QStyleOptionButton atOrigin(option);
    atOrigin.rect.moveTo(0, 0);
    // Qt's raster engine hands every fill of a hundred lines or more from the window's thread to its thread
    // pool and waits for it, which for a tall button costs more than the drawing; on a thread of that pool
    // it fills them itself. Fusion draws the same panel either way.
    QThreadPool::globalInstance()->start([fusion = baseStyle(), drawing, atOrigin] {
        QPainter onImage(&drawing->image);
        fusion->drawPrimitive(PE_PanelButtonCommand, &atOrigin, &onImage, nullptr);
        onImage.end();
        drawing->done.release();
    });
    return drawing;
}

void QuickFusionStyle::polish(QWidget *widget)
{
    QProxyStyle::polish(widget);
    // A tall button's panel is drawn on the pool as the window is shown, so that its first paint finds it
    // ready: as QPushButton paints it in a window that has become active, as a window being shown does. A
    // panel drawn for another state is drawn again when it is painted.
    auto *button = qobject_cast<QPushButton *>(widget);
    if (!button || button->height() < TallButton || !button->isVisibleTo(button->window()) ||
        button->isFlat() || button->isDown() || button->isChecked())
        return;
    QStyleOptionButton option;
    option.initFrom(button);
    option.state |= State_Active | State_Raised;
    if (button->isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    if (button->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    const qreal ratio = button->devicePixelRatio();
    const QString key = PanelKey(option, ratio);
    QPixmap ready;
    if (!panels_.contains(key) && !QPixmapCache::find(key, &ready))
        panels_.insert(key, drawPanelOnPool(option, ratio));
}

QuickFusionStyle::~QuickFusionStyle()
{
    for (const auto &drawing : std::as_const(panels_))
        drawing->done.acquire();  // they draw with the Fusion style this one deletes
}

void QuickFusionStyle::drawTallButtonPanel(const QStyleOptionButton &option, QPainter *painter) const
{
    const qreal ratio = painter->device()->devicePixelRatio();
    const QString key = PanelKey(option, ratio);
    QPixmap panel;
    if (!QPixmapCache::find(key, &panel)) {
        std::shared_ptr<PanelDrawing> drawing = panels_.take(key);
        if (!drawing)
            drawing = drawPanelOnPool(option, ratio);
        drawing->done.acquire();
        panel = QPixmap::fromImage(drawing->image);
        QPixmapCache::insert(key, panel);
    }
    painter->drawPixmap(option.rect.topLeft(), panel);
}
