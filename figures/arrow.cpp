#include "figures/figures.h"

#include <cmath>

namespace mohr {

namespace {
// Truncation toward zero of a non-negative product, as the head geometry wants it.
int Trunc(double value) {
    return static_cast<int>(std::trunc(value));
}
} // namespace

TArrowHead ArrowHeadCorners(int X1, int Y1, int X2, int Y2, int HeadSize) {
    const int dx = X2 - X1;
    const int dy = Y2 - Y1;
    const int H = HeadSize;
    TArrowHead head;
    head.Tip = QPoint(X2, Y2);

    if (dx == 0) {
        // A zero-length arrow falls here too and gets an upward head hanging below the point.
        const int h = Trunc(H * 0.5);
        const int by = dy > 0 ? Y2 - H : Y2 + H;
        head.Corner1 = QPoint(X2 - h, by);
        head.Corner2 = QPoint(X2 + h, by);
        return head;
    }
    if (dy == 0) {
        const int h = Trunc(H * 0.5);
        const int bx = dx > 0 ? X2 - H : X2 + H;
        head.Corner1 = QPoint(bx, Y2 - h);
        head.Corner2 = QPoint(bx, Y2 + h);
        return head;
    }

    // Oblique: every step in double precision and in this order, each length truncated on its own,
    // because for directions like 3-4-5 the last bit of cos/sin decides the pixel.
    const double m = static_cast<double>(dy) / static_cast<double>(dx);
    const double theta = std::atan(m);
    const double absCos = std::fabs(std::cos(theta));
    const double absSin = std::fabs(std::sin(theta));
    const int Lx = Trunc(H * absCos);
    const int Ly = Trunc(H * absSin);
    const double q = H * 0.25;
    const int Ox = Trunc(q * absSin);
    const int Oy = Trunc(q * absCos);

    if (dx > 0 && dy > 0) {
        const int bx = X2 - Lx, by = Y2 - Ly;
        head.Corner1 = QPoint(bx + Ox, by - Oy);
        head.Corner2 = QPoint(bx - Ox, by + Oy);
    } else if (dx < 0 && dy > 0) {
        const int bx = X2 + Lx, by = Y2 - Ly;
        head.Corner1 = QPoint(bx + Ox, by + Oy);
        head.Corner2 = QPoint(bx - Ox, by - Oy);
    } else if (dx < 0 && dy < 0) {
        const int bx = X2 + Lx, by = Y2 + Ly;
        head.Corner1 = QPoint(bx - Ox, by + Oy);
        head.Corner2 = QPoint(bx + Ox, by - Oy);
    } else {
        const int bx = X2 - Lx, by = Y2 + Ly;
        head.Corner1 = QPoint(bx - Ox, by - Oy);
        head.Corner2 = QPoint(bx + Ox, by + Oy);
    }
    return head;
}

void TFigures::DrawArrow(TCanvas& Canvas, int X1, int Y1, int X2, int Y2, Colour Color, PenStyle Style,
                         int HeadSize, int PenWidth) {
    // A copy of our own: the shared save slot may hold the state of the operation that called us.
    TPen oldPen;
    oldPen.Style = Canvas.Pen.Style;
    oldPen.Width = Canvas.Pen.Width;
    oldPen.Color = Canvas.Pen.Color;
    TBrush oldBrush;
    oldBrush.SetStyle(Canvas.Brush.Style());
    oldBrush.SetColor(Canvas.Brush.Color());

    Canvas.Pen.Style = Style;
    Canvas.Pen.Width = PenWidth;
    Canvas.Pen.Color = Color;

    // The brush is left alone here, so the gaps of a styled line follow the brush found at the call.
    Canvas.MoveTo(X1, Y1);
    Canvas.LineTo(X2, Y2);

    const TArrowHead head = ArrowHeadCorners(X1, Y1, X2, Y2, HeadSize);

    // A wide pen would blunt the small head; its outline is drawn one pixel thinner.
    if (PenWidth > 1)
        Canvas.Pen.Width = PenWidth - 1;
    Canvas.Brush.SetColor(Color);
    Canvas.Brush.SetStyle(BrushStyle::Solid);
    Canvas.Polygon({head.Tip, head.Corner1, head.Corner2, head.Tip});

    Canvas.Pen.Style = oldPen.Style;
    Canvas.Pen.Width = oldPen.Width;
    Canvas.Pen.Color = oldPen.Color;
    // Style before colour: a brush that was clear comes back solid in its own colour.
    Canvas.Brush.SetStyle(oldBrush.Style());
    Canvas.Brush.SetColor(oldBrush.Color());
}

} // namespace mohr
