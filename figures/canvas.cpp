#include "figures/canvas.h"
#include "figures/canvasbackend.h"
#include "figures/fonts.h"

#include <QFontMetrics>

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>

// The canvas itself: its pen, brush, font and position, and the canvas rules; the fonts its texts are
// drawn in come from fonts.h. How a primitive becomes pixels or shapes is up to the back end.

namespace mohr {

QRgb ToRgb(Colour c) {
    return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

namespace {

// v * num / den rounded half away from zero, as the classic point/pixel conversion rounds.
int MulDivRound(int v, int num, int den) {
    const long long p = static_cast<long long>(v) * num;
    const long long q = p >= 0 ? (p + den / 2) / den : -((-p + den / 2) / den);
    return static_cast<int>(q);
}

} // namespace

int TCanvasFont::Size() const {
    return MulDivRound(Height, 72, 96);
}
void TCanvasFont::SetSize(int points) {
    Height = MulDivRound(points, 96, 72);
}

const TDashPattern* DashPattern(PenStyle style) {
    static const TDashPattern dash{2, {18, 6, 0, 0}, 24};
    static const TDashPattern dot{2, {3, 3, 0, 0}, 6};
    static const TDashPattern dashDot{4, {9, 6, 3, 6}, 24};
    switch (style) {
    case PenStyle::Dash:
        return &dash;
    case PenStyle::Dot:
        return &dot;
    case PenStyle::DashDot:
        return &dashDot;
    case PenStyle::Solid:
        break;
    }
    return nullptr;
}

bool ClipSegment(QPointF a, QPointF b, const QRectF& bounds, double& t0, double& t1) {
    t0 = 0.0;
    t1 = 1.0;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    // One side of the bounds at a time: p is the segment's speed out of it, q how far inside a is.
    const auto side = [&](double p, double q) {
        if (p == 0.0)
            return q >= 0.0;
        const double r = q / p;
        if (p < 0.0) {
            if (r > t1)
                return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0)
                return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    return side(-dx, a.x() - bounds.left()) && side(dx, bounds.right() - a.x()) &&
           side(-dy, a.y() - bounds.top()) && side(dy, bounds.bottom() - a.y());
}

TCanvas::TCanvas(QPaintDevice* device, QSize logicalSize)
    : size_(logicalSize), backEnd_(MakeRasterBackEnd(device, logicalSize)) {}

TCanvas::TCanvas(QPainter& painter, QSize logicalSize)
    : size_(logicalSize), backEnd_(MakeVectorBackEnd(painter, logicalSize)) {}

TCanvas::~TCanvas() = default;

void TCanvas::SetDevice(QPaintDevice* device, QSize logicalSize) {
    size_ = logicalSize;
    backEnd_ = MakeRasterBackEnd(device, logicalSize);
}

TStroke TCanvas::stroke() const {
    TStroke stroke;
    stroke.Width = std::max(1, Pen.Width);
    stroke.Color = Pen.Color;
    // A styled pen wider than one pixel draws solid; the gaps of a styled line take a solid brush's
    // colour, so with a brush of the pen's own colour it is solid as well.
    if (Pen.Width <= 1)
        stroke.Dashes = DashPattern(Pen.Style);
    if (stroke.Dashes && Brush.Style() == BrushStyle::Solid) {
        if (Brush.Color() == Pen.Color)
            stroke.Dashes = nullptr;
        else
            stroke.Gaps = Brush.Color();
    }
    return stroke;
}

std::optional<Colour> TCanvas::fill() const {
    // Polygons, ellipses and text boxes are filled with a solid brush only; a clear brush leaves them
    // transparent.
    if (Brush.Style() == BrushStyle::Solid)
        return Brush.Color();
    return std::nullopt;
}

void TCanvas::MoveTo(int x, int y) {
    pos_ = QPoint(x, y);
}

void TCanvas::LineTo(int x, int y) {
    const QPoint from = pos_;
    pos_ = QPoint(x, y);
    backEnd_->Line(from, pos_, stroke());
    notify();
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    backEnd_->Ellipse(QRect(QPoint(left, top), QPoint(right, bottom)), stroke(), fill());
    notify();
}

void TCanvas::Polygon(const std::vector<QPoint>& points) {
    if (points.size() >= 2)
        backEnd_->Polygon(points, stroke(), fill());
    notify();
}

QSize TCanvas::TextExtent(const QString& text) const {
    const QFontMetrics metrics(TextFont(Font, text));
    return QSize(metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent());
}

void TCanvas::TextOut(int x, int y, const QString& text) {
    const long long width = backEnd_->Text(QPoint(x, y), text, TextFont(Font, text), Font.Color, fill());
    // Like the classic canvas, the pen position moves on to the end of the text.
    pos_ = QPoint(static_cast<int>(std::min<long long>(x + width, INT_MAX)), y);
    notify();
}

void TCanvas::EraseForRepaint(const TCanvasFont& panelFont) {
    backEnd_->Erase();
    Font = panelFont;
    Brush.SetColor(colours::White);
    notify();
}

void TCanvas::notify() {
    if (Changed)
        Changed();
}

} // namespace mohr
