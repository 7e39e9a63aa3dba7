#pragma once
// The application's style: Fusion, with the tab widgets' frames drawn from a
// small sample of Fusion's own frame. The pixels are the same; the raster
// engine no longer strokes the frame's translucent inner lines along every
// scanline of a tall frame, which cost milliseconds per window paint.
#include <QProxyStyle>

namespace kit {

class AppStyle : public QProxyStyle {
public:
    AppStyle();
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};

// Makes AppStyle the application's style.
void installAppStyle();

}  // namespace kit
