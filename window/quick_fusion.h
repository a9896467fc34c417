#pragma once
// Fusion's group box frames and tall button panels, pixel for pixel, at a fraction of the cost.

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QProxyStyle>
#include <QSemaphore>

#include <memory>

class QStyleOptionButton;

// Fusion draws a group box's frame by stretching a small translucent image over the whole box, smoothed
// and clipped to what the box's children leave visible; loading the image probes every image plug-in
// installed. For the window's six boxes that was a fifth of its start. The image is one colour along each
// edge and inside, so repeating it unscaled gives Fusion's pixels (within one level of its smoothing).
// A tall button's panel Fusion draws as it does, but on a thread of Qt's pool, begun as the window is
// shown (see drawPanelOnPool()); the start's two tall buttons cost a millisecond less.
// Only for the Qt versions whose Fusion frame this reproduces: elsewhere Fusion draws as it does.
class QuickFusionStyle : public QProxyStyle
{
public:
    // The application's style wrapped in this one where the style is Fusion and the frame's image is there;
    // otherwise nullptr, and the application keeps its style.
    static QuickFusionStyle *ForApplicationStyle();

    ~QuickFusionStyle() override;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;
    void polish(QWidget *widget) override;
    using QProxyStyle::polish;

private:
    // A panel being drawn on a thread of Qt's pool: its image is there once `done` is released.
    struct PanelDrawing
    {
        QImage image;
        QSemaphore done;
    };

    QuickFusionStyle(QStyle *fusion, QPixmap frame);
    static QString PanelKey(const QStyleOptionButton &option, qreal ratio);
    std::shared_ptr<PanelDrawing> drawPanelOnPool(const QStyleOptionButton &option, qreal ratio) const;
    void drawTallButtonPanel(const QStyleOptionButton &option, QPainter *painter) const;

    QPixmap frame_;
    mutable QHash<QString, std::shared_ptr<PanelDrawing>> panels_;  // drawn ahead, not yet painted
};
