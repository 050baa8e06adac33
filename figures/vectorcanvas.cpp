#include "figures/canvasbackend.h"
#include "figures/fonts.h"

#include <QColor>
#include <QFontMetrics>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

// The vector back end: the canvas's primitives as true lines, ellipses, polygons and texts through a
// painter, in the raster's geometry (see TCanvas). The pixel (x, y) is the square from (x, y) to
// (x + 1, y + 1).

namespace mohr {

namespace {

QColor ToColor(Colour c) {
    return QColor::fromRgb(ToRgb(c));
}

// A 1-pixel or other odd-width line runs through its pixels' centres; a round tip of even width is
// centred on the top-left corner of its pixel, as the raster stamps it.
double Offset(int width) {
    return width % 2 != 0 ? 0.5 : 0.0;
}

QPointF At(QPoint p, double offset) {
    return QPointF(p.x() + offset, p.y() + offset);
}

// Steps of the raster's dash pattern are pixels along the major axis; along the line itself each is
// `length / steps` long.
double StepLength(QPoint from, QPoint to) {
    const double dx = static_cast<double>(to.x()) - from.x(), dy = static_cast<double>(to.y()) - from.y();
    return std::hypot(dx, dy) / std::max(std::abs(dx), std::abs(dy));
}

// A pen whose dashes cover the raster's dash pixels: the pattern scaled to the step length, starting
// `phase` steps into it. The gaps between them are the same pattern shifted by its first dash.
QPen DashedPen(Colour colour, const TDashPattern& pattern, double step, double phase, bool gaps = false) {
    QPen pen(ToColor(colour), 1.0, Qt::CustomDashLine, Qt::FlatCap, Qt::BevelJoin);
    QList<qreal> lengths;
    const int shift = gaps ? 1 : 0;
    for (int k = 0; k < pattern.Count; ++k)
        lengths << pattern.Lengths[(k + shift) % pattern.Count] * step;
    pen.setDashPattern(lengths);
    const double at = gaps ? phase + pattern.Period - pattern.Lengths[0] : phase;
    pen.setDashOffset(std::fmod(at, pattern.Period) * step);
    return pen;
}

QPen SolidPen(Colour colour, int width) {
    // Wide raster lines are stamped with a round tip.
    return width > 1 ? QPen(ToColor(colour), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)
                     : QPen(ToColor(colour), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin);
}

QBrush Fill(std::optional<Colour> colour) {
    return colour ? QBrush(ToColor(*colour)) : QBrush(Qt::NoBrush);
}

// Lines are cut down to this far around the panel before they reach the painter, so a far-away line
// makes neither huge numbers in a file nor a dash pattern of millions of dashes; it is more than any
// pen reaches beyond its line.
constexpr double Reach = 64;

// Cuts the segment a-b to the panel grown by Reach on every side; `t0` is the fraction of it cut
// from its start. False when nothing remains.
bool CutToReach(QPointF& a, QPointF& b, QSizeF panel, double& t0) {
    double t1 = 1;
    if (!ClipSegment(a, b, QRectF(-Reach, -Reach, panel.width() + 2 * Reach, panel.height() + 2 * Reach), t0,
                     t1))
        return false;
    const QPointF d = b - a;
    b = a + d * t1;
    a = a + d * t0;
    return true;
}

class TVectorBackEnd : public TCanvasBackEnd {
public:
    TVectorBackEnd(QPainter& painter, QSize logicalSize) : painter_(painter), size_(logicalSize) {}

    void Line(QPoint from, QPoint to, const TStroke& stroke) override {
        if (stroke.Width > 1) {
            wideSegment(from, to, stroke);
        } else if (from != to) {
            // The pattern starts afresh at every line.
            double phase = 0;
            thinSegment(from, to, stroke, phase);
        }
    }

    void Ellipse(QRect box, const TStroke& stroke, std::optional<Colour> fill) override {
        // The raster's disc is bounded by the outer edges of its extreme pixels; a wide ring reaches
        // (width - 1) / 2 pixels beyond it and runs inward from there.
        const int width = stroke.Width;
        const double grow = (width - 1) / 2;
        const QRectF outer = QRectF(box.left(), box.top(), static_cast<double>(box.right()) - box.left() + 1,
                                    static_cast<double>(box.bottom()) - box.top() + 1)
                                 .adjusted(-grow, -grow, grow, grow);
        if (farAway(outer))
            return;
        const QRectF centreLine = outer.adjusted(width / 2.0, width / 2.0, -width / 2.0, -width / 2.0);
        if (centreLine.width() <= 0 || centreLine.height() <= 0) {
            // All ring: the pen covers the whole ellipse.
            use(Qt::NoPen, ToColor(stroke.Color));
            painter_.drawEllipse(outer);
            return;
        }
        if (!stroke.Dashes) {
            use(SolidPen(stroke.Color, width), Fill(fill));
            painter_.drawEllipse(centreLine);
            return;
        }
        // A styled outline on its fill, counter-clockwise from the rightmost point. The raster counts
        // one step per rim pixel, which is the outline's length measured along the major axis of each
        // stretch of it.
        if (fill) {
            use(Qt::NoPen, Fill(fill));
            painter_.drawEllipse(centreLine);
        }
        QPainterPath ring;
        ring.arcMoveTo(centreLine, 0);
        ring.arcTo(centreLine, 0, 360);
        const QPolygonF points = ring.toFillPolygon();
        double length = 0, steps = 0;
        for (qsizetype i = 1; i < points.size(); ++i) {
            const QPointF d = points[i] - points[i - 1];
            length += std::hypot(d.x(), d.y());
            steps += std::max(std::abs(d.x()), std::abs(d.y()));
        }
        // The ring starts at the rightmost pixel's centre, half a step into the pattern.
        use(painter_.pen(), Qt::NoBrush);
        styled(stroke, steps > 0 ? length / steps : 1.0, 0.5, [&] { painter_.drawPath(ring); });
    }

    void Polygon(const std::vector<QPoint>& points, const TStroke& stroke,
                 std::optional<Colour> fill) override {
        QPolygonF centres;
        for (const QPoint& p : points)
            centres << At(p, 0.5);
        if (farAway(centres.boundingRect()))
            return;
        if (stroke.Width % 2 == 0) {
            // An even-width outline runs through the pixels' corners. The fill runs through their
            // centres, but within half a pixel of the outline, where that pen covers it: the same
            // polygon serves for both.
            QPolygonF corners;
            for (const QPoint& p : points)
                corners << At(p, 0.0);
            use(SolidPen(stroke.Color, stroke.Width), Fill(fill));
            painter_.drawPolygon(corners, Qt::OddEvenFill);
            return;
        }
        if (!stroke.Dashes) {
            use(SolidPen(stroke.Color, stroke.Width), Fill(fill));
            painter_.drawPolygon(centres, Qt::OddEvenFill);
            return;
        }
        // A styled outline on its fill, edge by edge, the pattern running on from edge to edge.
        if (fill) {
            use(Qt::NoPen, Fill(fill));
            painter_.drawPolygon(centres, Qt::OddEvenFill);
        }
        double phase = 0;
        for (std::size_t i = 0; i < points.size(); ++i)
            thinSegment(points[i], points[(i + 1) % points.size()], stroke, phase);
    }

    int Text(QPoint at, const QString& text, const QFont& font, Colour colour,
             std::optional<Colour> box) override {
        // The raster font's metrics give the box, so that both back ends agree on it.
        const QFontMetrics metrics(font);
        const int width = metrics.horizontalAdvance(text);
        const QRectF bounds(at.x(), at.y(), width, metrics.ascent() + metrics.descent());
        // A text wholly off the panel is left out, as the raster leaves it: a document would still
        // hold it as text.
        if (width <= 0 || !bounds.intersects(QRectF(QPointF(0, 0), size_)))
            return width;
        if (box) {
            use(Qt::NoPen, ToColor(*box));
            painter_.drawRect(bounds);
        }
        if (!rasterFont_ || font != *rasterFont_) {
            rasterFont_ = font;
            textFont_ = DocumentFont(font);
        }
        if (painter_.font() != textFont_)
            painter_.setFont(textFont_);
        use(SolidPen(colour, 1));
        const QPointF base(at.x(), at.y() + metrics.ascent());
        // The vector font may run wider than the raster's: the text is then narrowed to the raster's
        // box, so that it is whole wherever the raster shows it whole.
        const qreal advance = QFontMetricsF(textFont_).horizontalAdvance(text);
        if (advance <= width) {
            painter_.drawText(base, text);
            return width;
        }
        painter_.save();
        painter_.translate(base);
        painter_.scale(width / advance, 1);
        painter_.drawText(QPointF(0, 0), text);
        painter_.restore();
        return width;
    }

    void Erase() override {
        use(Qt::NoPen, Qt::white);
        painter_.drawRect(QRectF(QPointF(0, 0), size_));
    }

private:
    // Every change of pen, brush or font starts a new group in an SVG file: set only what differs.
    // Lines and texts are never filled, so they leave the brush as it is.
    void use(const QPen& pen) {
        if (painter_.pen() != pen)
            painter_.setPen(pen);
    }
    void use(const QPen& pen, const QBrush& brush) {
        use(pen);
        if (painter_.brush() != brush)
            painter_.setBrush(brush);
    }

    bool farAway(const QRectF& r) const {
        return r.right() < -Reach || r.bottom() < -Reach || r.left() > size_.width() + Reach ||
               r.top() > size_.height() + Reach;
    }

    // A round-ended line of the stroke's width; of no length, the round tip alone.
    void wideSegment(QPoint from, QPoint to, const TStroke& stroke) {
        const double offset = Offset(stroke.Width);
        QPointF a = At(from, offset), b = At(to, offset);
        double t0 = 0;
        if (!CutToReach(a, b, size_, t0))
            return;
        if (from == to) {
            use(Qt::NoPen, ToColor(stroke.Color));
            painter_.drawEllipse(a, stroke.Width / 2.0, stroke.Width / 2.0);
            return;
        }
        use(SolidPen(stroke.Color, stroke.Width));
        painter_.drawLine(QLineF(a, b));
    }

    // A 1-pixel line covers its first pixel and leaves its end pixel to the next segment: it runs
    // through the pixels' centres, from half a step before the first to half a step before the end,
    // so that each step covers its own pixel. A styled one's pattern is `phase` steps on at its
    // start; `phase` is advanced by the segment.
    void thinSegment(QPoint from, QPoint to, const TStroke& stroke, double& phase) {
        const double steps = std::max(std::abs(static_cast<double>(to.x()) - from.x()),
                                      std::abs(static_cast<double>(to.y()) - from.y()));
        const double start = phase;
        phase += steps;
        if (steps == 0)
            return;
        const QPointF back = (QPointF(to) - QPointF(from)) / (2 * steps);
        QPointF a = At(from, 0.5) - back, b = At(to, 0.5) - back;
        double t0 = 0;
        if (!CutToReach(a, b, size_, t0))
            return;
        const QLineF line(a, b);
        if (!stroke.Dashes) {
            use(SolidPen(stroke.Color, 1));
            painter_.drawLine(line);
            return;
        }
        styled(stroke, StepLength(from, to), start + t0 * steps, [&] { painter_.drawLine(line); });
    }

    // The dashes of a styled stroke along what `draw` draws, and the gaps between them in their
    // colour: each a shape of its own, so that neither shows at the other's edges.
    template <class Draw> void styled(const TStroke& stroke, double step, double phase, Draw&& draw) {
        if (stroke.Gaps) {
            use(DashedPen(*stroke.Gaps, *stroke.Dashes, step, phase, true));
            draw();
        }
        use(DashedPen(stroke.Color, *stroke.Dashes, step, phase));
        draw();
    }

    QPainter& painter_;
    QSizeF size_;
    std::optional<QFont> rasterFont_; // the font textFont_ was made from
    QFont textFont_;
};

} // namespace

std::unique_ptr<TCanvasBackEnd> MakeVectorBackEnd(QPainter& painter, QSize logicalSize) {
    return std::make_unique<TVectorBackEnd>(painter, logicalSize);
}

} // namespace mohr
