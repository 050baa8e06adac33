#pragma once

// What a canvas hands its back end: one primitive at a time, with the canvas rules already applied to
// the pen and brush. The raster back end sets whole pixels; the vector back end draws true shapes
// through a painter. Both use the same geometry (see TCanvas in canvas.h).

#include "figures/canvas.h"

#include <QFont>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace mohr {

// On/off lengths of the styled 1-pixel pens, in steps along the line's major axis (pixels).
struct TDashPattern {
    int Count;
    int Lengths[4];
    int Period;
};

// The pattern of a styled pen; null for a solid one.
const TDashPattern* DashPattern(PenStyle style);

// Clips the segment a-b to `bounds`: `t0` and `t1` are the fractions of it where the part inside
// starts and ends. False when no part is inside.
bool ClipSegment(QPointF a, QPointF b, const QRectF& bounds, double& t0, double& t1);

// A pen as it draws: a dashed, dotted or dash-dot pen wider than one pixel draws solid, and the gaps of
// a styled line take the brush colour while the brush is solid.
struct TStroke {
    int Width = 1; // at least 1
    Colour Color = colours::Black;
    const TDashPattern* Dashes = nullptr; // null: solid
    std::optional<Colour> Gaps;           // none: the gaps are left as they are
};

// Draws one primitive at a time for a canvas, clipped to the panel.
class TCanvasBackEnd {
public:
    virtual ~TCanvasBackEnd() = default;

    // From `from` to `to`; a 1-pixel line leaves its end point to the next segment, and its dash
    // pattern starts afresh.
    virtual void Line(QPoint from, QPoint to, const TStroke& stroke) = 0;
    // `box` holds the extreme pixels (left <= right, top <= bottom); filled with `fill` when given.
    virtual void Ellipse(QRect box, const TStroke& stroke, std::optional<Colour> fill) = 0;
    // Closed from the last point back to the first; filled (even-odd) with `fill` when given.
    virtual void Polygon(const std::vector<QPoint>& points, const TStroke& stroke,
                         std::optional<Colour> fill) = 0;
    // The text with the top-left corner of its box at `at`, its box filled with `box` when given.
    // Returns the width of the box.
    virtual int Text(QPoint at, const QString& text, const QFont& font, Colour colour,
                     std::optional<Colour> box) = 0;
    // The whole panel white.
    virtual void Erase() = 0;
};

// Pixel-exact drawing on a paint device, clipped to the panel's `logicalSize`.
std::unique_ptr<TCanvasBackEnd> MakeRasterBackEnd(QPaintDevice* device, QSize logicalSize);
// True shapes through an active painter, in the panel's coordinates as the painter maps them.
std::unique_ptr<TCanvasBackEnd> MakeVectorBackEnd(QPainter& painter, QSize logicalSize);

} // namespace mohr
