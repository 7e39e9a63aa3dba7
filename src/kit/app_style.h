#pragma once
// The application's style: Fusion, with the tab widgets' frames, the
// toolbars, the horizontal header sections and the vertical scroll bars'
// grooves drawn from a small sample of Fusion's own drawing, and table cells'
// backgrounds without Fusion's colour work. The pixels are the same; the
// raster engine no longer strokes their long translucent lines pixel by pixel,
// nor hands each tall fill to its thread pool and waits, which cost
// milliseconds per window paint. Table cells of figures read left to
// right in a right-to-left layout too.
#include <QProxyStyle>

namespace kit {

class AppStyle : public QProxyStyle {
public:
    AppStyle();
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
};

// Makes AppStyle the application's style.
void installAppStyle();

}  // namespace kit
