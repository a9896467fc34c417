#pragma once
// Fusion's group box frames and tall button panels, pixel for pixel, at a fraction of the cost.

#include <QPixmap>
#include <QProxyStyle>

class QStyleOptionButton;

// Fusion draws a group box's frame by stretching a small translucent image over the whole box, smoothed
// and clipped to what the box's children leave visible; loading the image probes every image plug-in
// installed. For the window's six boxes that was a fifth of its start. The image is one colour along each
// edge and inside, so repeating it unscaled gives Fusion's pixels (within one level of its smoothing).
// A tall button's panel Fusion draws as it does, but on a thread of Qt's pool (see
// drawTallButtonPanel()); the start's two tall buttons cost a millisecond less.
// Only for the Qt versions whose Fusion frame this reproduces: elsewhere Fusion draws as it does.
class QuickFusionStyle : public QProxyStyle
{
public:
    // The application's style wrapped in this one where the style is Fusion and the frame's image is there;
    // otherwise nullptr, and the application keeps its style.
    static QuickFusionStyle *ForApplicationStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;

private:
    QuickFusionStyle(QStyle *fusion, QPixmap frame);
    void drawTallButtonPanel(const QStyleOptionButton &option, QPainter *painter) const;
    QPixmap frame_;
};
