#pragma once

#include "figures/fonts.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QFont;
class QPaintDevice;
class QPainter;

namespace mohr {

class TCanvasBackEnd;
struct TStroke;

// Colours are 24-bit values written as 0x00BBGGRR.
using Colour = std::uint32_t;

namespace colours {
inline constexpr Colour Black = 0x000000;
inline constexpr Colour Maroon = 0x000080;
inline constexpr Colour Green = 0x008000;
inline constexpr Colour Navy = 0x800000;
inline constexpr Colour Teal = 0x808000;
inline constexpr Colour Gray = 0x808080;
inline constexpr Colour Silver = 0xC0C0C0;
inline constexpr Colour Red = 0x0000FF;
inline constexpr Colour Fuchsia = 0xFF00FF;
inline constexpr Colour Aqua = 0xFFFF00;
inline constexpr Colour White = 0xFFFFFF;
} // namespace colours

// 0x00BBGGRR to Qt's 0xAARRGGBB, opaque.
QRgb ToRgb(Colour c);

enum class PenStyle { Solid, Dash, Dot, DashDot };
enum class BrushStyle { Solid, Clear };

struct TPen {
    PenStyle Style = PenStyle::Solid;
    int Width = 1;
    Colour Color = colours::Black;
};

// A brush given a colour while it is clear turns solid, as on the classic canvas. The save slot's brush
// obeys the same rule, which is why a clear brush comes back solid after a save and restore.
class TBrush {
public:
    BrushStyle Style() const { return style_; }
    Colour Color() const { return colour_; }
    void SetStyle(BrushStyle s) { style_ = s; }
    void SetColor(Colour c) {
        colour_ = c;
        if (style_ == BrushStyle::Clear)
            style_ = BrushStyle::Solid;
    }

private:
    BrushStyle style_ = BrushStyle::Solid;
    Colour colour_ = colours::White;
};

// Font state: a family name, a character height in pixels and a colour. Sizes in points are
// converted at 96 pixels per inch, as the classic desktop does (10 pixels is 8 points, 10 points is
// 13 pixels).
struct TCanvasFont {
    QString Name = QStringLiteral("MS Sans Serif");
    int Height = 10; // character height in pixels
    Colour Color = colours::Black;

    // Size in points at 96 pixels per inch, rounded half away from zero.
    int Size() const;
    void SetSize(int points);
};

// One drawing surface with pen, brush, font and current position, drawing with the geometry of a
// classic desktop canvas. It has two back ends: the raster, which sets whole pixels as described
// below (the panels and their images), and the vector, which draws the same geometry as true shapes
// through a painter (SVG and PDF files; see the second constructor). Pixel conventions of the raster
// (all coordinates are logical pixels of the panel; on a device with a device pixel ratio every
// logical pixel covers its block of device pixels):
//
//  - No antialiasing, anywhere; every primitive is rasterised into whole logical pixels, so the
//    result does not depend on the paint engine's own rules.
//  - LineTo(x2, y2) from (x1, y1) sets one pixel per step along the longer axis (x when both are
//    equal); the other coordinate is the exact one rounded half up, so a segment covers the same
//    pixels in either direction. The end pixel (x2, y2) is not set: it belongs to the next
//    segment. The current position moves to (x2, y2).
//  - Wide pens (width > 1) stamp a round tip of that diameter on every pixel of the segment, end
//    pixel included: round ends and joins. An even width has no centre pixel and reaches one pixel
//    further up and left (width 2 is the 2x2 block above and left of the line's pixel).
//  - A dashed, dotted or dash-dot pen wider than one pixel draws a solid line.
//  - Styled 1-pixel pens count pixels along the longer axis, starting afresh at every LineTo:
//    dash 18 on 6 off, dot 3 on 3 off, dash-dot 9 on 6 off 3 on 6 off. The gaps are filled with the
//    brush colour when the brush is solid and left untouched when it is clear.
//  - Ellipse(l, t, r, b): a pixel is inside when its centre lies inside the ellipse through the outer
//    edges of the pixels l..r and t..b, so the outline touches columns l and r and rows t and b
//    exactly and is symmetric about the centre: Ellipse(197, 197, 203, 203) is a 7x7 dot centred
//    on (200, 200). A 1-pixel outline is the rim of that disc (8-connected, one pixel thick); a
//    pen of width w draws a band w pixels thick across the ring, (w - 1) / 2 of them outside the
//    rim, so width 2 stays inside the box. Filled with the brush (nothing when clear); a styled
//    1-pixel outline runs its pattern counter-clockwise from the rightmost pixel.
//  - Polygon: closed from its last vertex to its first; the pixels whose centres lie inside
//    (even-odd) are filled with the brush (nothing when clear), then the edges are stroked as
//    consecutive LineTo segments, the dash pattern running on from edge to edge.
//  - TextOut(x, y, s): top-left corner of the text box at (x, y); the box is as wide as the text's
//    advance and as high as the font's ascent plus descent, and is filled with the brush colour
//    when the brush is solid. The text is in the font colour. The current position moves to the
//    end of the text, (x + width, y).
//  - Everything is clipped to the panel; (0, 0) is its top-left pixel, so a point at (90, 240) on a
//    240-pixel panel lies on the first row below it and is not drawn. Far-away coordinates are
//    harmless.
//
// The vector back end takes the pixel (x, y) as the square from (x, y) to (x + 1, y + 1): a 1-pixel
// line runs through its pixels' centres, covering its first pixel and leaving its end pixel; a wider
// one has round ends on the centres of its first and last round tips; an ellipse lies within the
// outer edges of its extreme pixels; a polygon runs through its vertices' centres; dashes and gaps
// are as long as the raster counts them along the major axis (around an ellipse they are spread
// evenly, so there they only come close); a text box covers the raster's box. Laid over the raster
// at the same scale, each raster pixel lies within half a pixel of its shape. Text is real text at
// the raster font's size, naming sans families that end in a generic one.
class TCanvas {
public:
    // Raster: draws on the given paint device (a QImage for the panels, tests and PNG files). The
    // device must outlive the canvas; it can be swapped with SetDevice.
    TCanvas(QPaintDevice* device, QSize logicalSize);
    // Vector: draws through an active painter, which must outlive the canvas. The painter's transform
    // places the panel; clipping to the panel is the painter's (or the document's) as well.
    TCanvas(QPainter& painter, QSize logicalSize);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // Draws on this raster device from now on.
    void SetDevice(QPaintDevice* device, QSize logicalSize);
    QSize LogicalSize() const { return size_; }

    TPen Pen;
    TBrush Brush;
    TCanvasFont Font;

    QPoint PenPos() const { return pos_; }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Ellipse(int left, int top, int right, int bottom);
    void Polygon(const std::vector<QPoint>& points);
    void TextOut(int x, int y, const QString& text);

    // The erase before a repaint: paint the whole area white, set the font to the panel font and the brush
    // colour to white (turning a clear brush solid). The pen is kept.
    void EraseForRepaint(const TCanvasFont& panelFont);

    // Width and height of the box TextOut would fill for this text in the current font.
    QSize TextExtent(const QString& text) const;

    // Called after every drawing operation, so a panel can present its backing image at once.
    std::function<void()> Changed;

private:
    void notify();
    TStroke stroke() const;
    std::optional<Colour> fill() const;

    QSize size_;
    std::unique_ptr<TCanvasBackEnd> backEnd_;
    QPoint pos_{0, 0};
};

} // namespace mohr
