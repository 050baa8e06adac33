#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class QFont;
class QPaintDevice;
class QPainter;

namespace mohr {

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

// A brush given a colour while it is clear turns solid (canvas rule 1). The save slot's brush obeys
// the same rule, which is why a clear brush comes back solid after a save and restore.
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

// Where the list of installed font families comes from; tests replace it.
using FontFamilyProvider = std::function<QStringList()>;
void SetFontFamilyProvider(FontFamilyProvider provider); // empty provider: the real font database
QStringList InstalledFontFamilies();

// The QFont that renders a canvas font: "MS Sans Serif" and friends are mapped to a close sans
// font installed here, at the same pixel height, without antialiasing.
QFont RenderFont(const TCanvasFont& font);

// One drawing surface with pen, brush, font and current position, drawing with the geometry of a
// classic desktop canvas. Pixel conventions (all coordinates are logical pixels of the panel):
//
//  - No antialiasing, anywhere.
//  - LineTo(x2, y2) from (x1, y1) sets the pixels of the segment but not its end pixel (x2, y2):
//    that one belongs to the next segment. Wide pens (width > 1) draw a solid line of that width
//    with round ends, end pixel included.
//  - A dashed, dotted or dash-dot pen wider than one pixel draws a solid line.
//  - Gaps of a styled 1-pixel line are filled with the brush colour when the brush is solid and
//    left untouched when it is clear.
//  - Ellipse(l, t, r, b): the outline runs through the pixels l..r and t..b inclusive, so
//    Ellipse(197, 197, 203, 203) is a 7x7 dot centred on (200, 200). Filled with the brush
//    (nothing when clear), outlined with the pen.
//  - Polygon: closed from its last vertex to its first, filled with the brush (nothing when clear),
//    outlined with the pen through the vertices.
//  - TextOut(x, y, s): top-left corner of the text box at (x, y), in the font colour; the box is
//    filled with the brush colour when the brush is solid.
//  - Everything is clipped to the panel; (0, 0) is its top-left pixel, so a point at (90, 240) on a
//    240-pixel panel lies on the first row below it and is not drawn.
class TCanvas {
public:
    // Draws on the given paint device (a QImage for the panels and tests, any QPaintDevice for
    // exports). The device must outlive the canvas; it can be swapped with SetDevice.
    TCanvas(QPaintDevice* device, QSize logicalSize);

    void SetDevice(QPaintDevice* device, QSize logicalSize);
    QPaintDevice* Device() const { return device_; }
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

    // Canvas rule 5: paint the whole area white, set the font to the panel font and the brush
    // colour to white (turning a clear brush solid). The pen is kept.
    void EraseForRepaint(const TCanvasFont& panelFont);

    // Called after every drawing operation, so a panel can present its backing image at once.
    std::function<void()> Changed;

private:
    void notify();

    QPaintDevice* device_;
    QSize size_;
    QPoint pos_{0, 0};
};

} // namespace mohr
