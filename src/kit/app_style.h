#pragma once
// The application's style: the style the user named (-style,
// QT_STYLE_OVERRIDE) or else Fusion. Over Fusion, the scroll bars' grooves and
// the main window's toolbars, whose long gradients and translucent lines cost
// a millisecond or more a paint, are drawn once per state, size, palette and
// device pixel ratio into a QPixmapCache entry and then blitted. The grooves'
// blits, the toolbars' first drawing and the tab widgets' panes go in tiles
// small enough that Qt's raster engine draws each on the main thread, not in
// its thread pool. Table cells
// of figures read left to right in a right-to-left layout too, and a cell's
// text longer than the kit's shown length is cut before it is measured or drawn.
// A line edit's clear button takes Qt's own image, without first reading the
// desktop's icon theme (15 ms on X11, in the slice of the first search field).
#include <QIcon>
#include <QProxyStyle>

namespace kit {

class AppStyle : public QProxyStyle {
public:
    // Over the style of that key (as QStyleFactory knows it).
    explicit AppStyle(const QString& baseKey = QStringLiteral("Fusion"));
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

private:
    bool caches_;
    mutable QIcon clearButton_;  // over Fusion, whose drawing of these the pixel tests hold
};

// Whether the command line or QT_STYLE_OVERRIDE names a style: read before
// QApplication takes -style out of the arguments.
bool styleNamed(int argc, const char* const* argv);

// Makes AppStyle the application's style, over the style QApplication chose
// when one was named, else over Fusion.
void installAppStyle(bool overNamedStyle);

}  // namespace kit
