#pragma once
// Group box frames as Fusion draws them, at a fraction of the cost.

#include <QPixmap>
#include <QProxyStyle>

// Fusion draws a group box's frame by stretching a small translucent image over the whole box, smoothed
// and clipped to what the box's children leave visible; loading the image probes every image plug-in
// installed. For the window's six boxes that was a fifth of its start. The image is one colour along each
// edge and inside, so repeating it unscaled gives Fusion's pixels (within one level of its smoothing).
// Only for the Qt versions whose Fusion frame this reproduces: elsewhere Fusion draws as it does.
class GroupFrameStyle : public QProxyStyle
{
public:
    // The application's style wrapped in this one where the style is Fusion and the frame's image is there;
    // otherwise nullptr, and the application keeps its style.
    static GroupFrameStyle *ForApplicationStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;

private:
    GroupFrameStyle(QStyle *fusion, QPixmap frame);
    QPixmap frame_;
};
