#include "figures/figures.h"

namespace mohr {

namespace {

// The fixed stress points of the exercise, placed by the diagram's one coordinate convention.
constexpr QPoint PointEDPixel = StressPixel(-70, 50);
constexpr QPoint PointBCPixel = StressPixel(-30, 30);
constexpr QPoint CentrePixel = StressPixel(-70, 0);
constexpr QPoint Principal1Pixel = StressPixel(-20, 0);
constexpr QPoint Principal2Pixel = StressPixel(-120, 0);
constexpr QPoint DirectionCentrePixel = StressPixel(-110, -30);
constexpr int CircleRadiusPixels = 50 * TDiagramScale::PixelsPerMPa;

constexpr int DotRadius = 3;
constexpr int RingRadius = 6;

const QString Sigma = QString(QChar(0x03C3));

void Line(TCanvas& c, QPoint from, QPoint to) {
    c.MoveTo(from.x(), from.y());
    c.LineTo(to.x(), to.y());
}

void Line(TCanvas& c, int x1, int y1, int x2, int y2) {
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
}

// An ellipse given by its centre and radius: a dot, a ring or the circle itself.
void Round(TCanvas& c, QPoint centre, int radius) {
    c.Ellipse(centre.x() - radius, centre.y() - radius, centre.x() + radius, centre.y() + radius);
}

// The sigma glyph is drawn two points larger than the panel font.
void SelectSigmaFont(TCanvas& c) {
    c.Font.Name = QStringLiteral("Symbol");
    c.Font.SetSize(c.Font.Size() + 2);
}

// Name and pixel height from the copy taken on entry, so the panel font comes back exactly; a round
// trip through whole points would grow a 10-pixel font to 11.
void RestoreFont(TCanvas& c, const TCanvasFont& kept) {
    c.Font.Name = kept.Name;
    c.Font.Height = kept.Height;
}

} // namespace

void TFigures::DrawDiagramAxes(int kind) {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawDiagramAxes(%1)").arg(kind));
    TCanvas& c = diagram_;
    const TCanvasFont kept = c.Font;

    if (kind == 1) {
        // The pen is deliberately left navy: later dots take their rim from it.
        c.Pen.Color = colours::Navy;
        Line(c, 20, 200, 370, 200);
        Line(c, 340, 25, 340, 370);
    } else if (kind == 2) {
        DrawArrow(c, 20, 200, 380, 200, colours::Navy, PenStyle::Solid, 8, 2);
    } else if (kind == 3) {
        DrawArrow(c, 340, 200, 340, 20, colours::Navy, PenStyle::Solid, 8, 2);
        DrawArrow(c, 340, 200, 340, 380, colours::Navy, PenStyle::Solid, 8, 2);
        FigureLayers.DiagramAxes = true;
    }

    // Labels without a background; left clear for whatever comes next.
    c.Brush.SetStyle(BrushStyle::Clear);

    if (symbolInstalled()) {
        SelectSigmaFont(c);
        if (kind == 2) {
            c.TextOut(376, 180, Sigma);
            c.TextOut(376, 202, Sigma);
        } else if (kind == 3) {
            c.TextOut(345, 379, Sigma);
            c.TextOut(345, 7, Sigma);
        }
        RestoreFont(c, kept);
        if (kind == 2) {
            c.TextOut(386, 183, QStringLiteral("xx"));
            c.TextOut(386, 205, QStringLiteral("yy"));
        } else if (kind == 3) {
            c.TextOut(355, 382, QStringLiteral("xy"));
            c.TextOut(355, 10, QStringLiteral("yx"));
        }
    } else if (kind == 2) {
        c.TextOut(376, 183, QStringLiteral("Sxx"));
        c.TextOut(376, 205, QStringLiteral("Syy"));
    } else if (kind == 3) {
        c.TextOut(345, 382, QStringLiteral("Sxy"));
        c.TextOut(345, 18, QStringLiteral("Syx"));
    }
}

void TFigures::DrawAxisDefinition() {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawAxisDefinition"));
    TCanvas& c = diagram_;
    SaveBrush(c.Brush);
    DrawArrow(c, 345, 195, 365, 195, colours::Red, PenStyle::Solid, 4, 1);
    DrawArrow(c, 345, 195, 345, 165, colours::Red, PenStyle::Solid, 4, 1);
    c.Brush.SetStyle(BrushStyle::Clear);
    c.TextOut(365, 175, QStringLiteral("x"));
    c.TextOut(350, 150, QStringLiteral("y"));
    RestoreBrush(c.Brush);
    FigureLayers.AxisDefinition = true;
}

void TFigures::DrawDiagramGrid() {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawDiagramGrid"));
    TCanvas& c = diagram_;
    SavePen(c.Pen);
    c.Pen.Width = 1;
    c.Pen.Color = colours::Silver;
    c.Pen.Style = PenStyle::Dot;
    // The last passes fall beyond the panel and are clipped away.
    for (int i = 1; i <= 22; ++i) {
        const int a = 20 * i;
        Line(c, 0, a, 400, a);
        Line(c, a, 0, a, 400);
    }
    RestorePen(c.Pen);
    FigureLayers.DiagramGrid = true;
}

namespace {

// A known stress point: a green dot rimmed with the pen found, and its coordinates.
void StressPoint(TCanvas& c, QPoint centre, QPoint textAt, const QString& text) {
    c.Brush.SetColor(colours::Green);
    c.Brush.SetStyle(BrushStyle::Solid);
    Round(c, centre, DotRadius);
    c.Brush.SetStyle(BrushStyle::Clear);
    c.TextOut(textAt.x(), textAt.y(), text);
}

} // namespace

void TFigures::DrawPointED() {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawPointED"));
    TCanvas& c = diagram_;
    SavePen(c.Pen);
    SaveBrush(c.Brush);
    StressPoint(c, PointEDPixel, QPoint(190, 308), QStringLiteral("(-70; +50)"));
    RestorePen(c.Pen);
    RestoreBrush(c.Brush);
    FigureLayers.PointED = true;
}

void TFigures::DrawPointBC() {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawPointBC"));
    TCanvas& c = diagram_;
    SavePen(c.Pen);
    SaveBrush(c.Brush);
    StressPoint(c, PointBCPixel, QPoint(270, 268), QStringLiteral("(-30; +30)"));
    RestorePen(c.Pen);
    RestoreBrush(c.Brush);
    FigureLayers.PointBC = true;
}

void TFigures::DrawCentreConstruction() {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawCentreConstruction"));
    TCanvas& c = diagram_;
    SavePen(c.Pen);
    SaveBrush(c.Brush);

    c.Pen.Style = PenStyle::DashDot;
    c.Pen.Width = 1;
    c.Pen.Color = colours::Navy;
    // The chord between the two known points and its perpendicular bisector, which meets the
    // horizontal axis at the centre.
    Line(c, PointEDPixel, PointBCPixel);
    Line(c, 190, 180, 250, 300);

    c.Pen.Width = 2;
    c.Pen.Color = colours::Black;
    c.Pen.Style = PenStyle::Solid;
    // Right-angle mark at the chord's midpoint.
    Line(c, 242, 276, 248, 273);
    Line(c, 242, 276, 239, 270);

    c.Pen.Width = 1;
    // Equal-length ticks on both halves of the chord.
    Line(c, 226, 290, 229, 280);
    Line(c, 229, 289, 232, 279);
    Line(c, 256, 275, 259, 265);
    Line(c, 259, 274, 262, 264);

    c.Brush.SetColor(colours::Red);
    c.Brush.SetStyle(BrushStyle::Solid);
    Round(c, CentrePixel, DotRadius);
    c.Brush.SetStyle(BrushStyle::Clear);
    c.TextOut(202, 185, QStringLiteral("m"));

    RestorePen(c.Pen);
    RestoreBrush(c.Brush);
    FigureLayers.CentreConstruction = true;
}

void TFigures::DrawCircle() {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawCircle"));
    TCanvas& c = diagram_;
    SavePen(c.Pen);
    SaveBrush(c.Brush);
    // No fill: the construction inside stays visible.
    c.Brush.SetStyle(BrushStyle::Clear);
    c.Pen.Width = 2;
    c.Pen.Color = colours::Red;
    Round(c, CentrePixel, CircleRadiusPixels);
    RestorePen(c.Pen);
    RestoreBrush(c.Brush);
    FigureLayers.Circle = true;
}

void TFigures::DrawNormalLineBC() {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawNormalLineBC"));
    TCanvas& c = diagram_;
    SavePen(c.Pen);
    SaveBrush(c.Brush);
    c.Pen.Width = 1;
    c.Pen.Color = colours::Green;
    c.Pen.Style = PenStyle::DashDot;
    Line(c, PointBCPixel, DirectionCentrePixel);
    RestorePen(c.Pen);
    RestoreBrush(c.Brush);
    FigureLayers.NormalLineBC = true;
}

void TFigures::DrawNormalLineED() {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawNormalLineED"));
    TCanvas& c = diagram_;
    SavePen(c.Pen);
    SaveBrush(c.Brush);

    c.Pen.Width = 1;
    c.Pen.Color = colours::Green;
    c.Pen.Style = PenStyle::DashDot;
    Line(c, PointEDPixel, DirectionCentrePixel);

    c.Brush.SetColor(colours::Green);
    c.Brush.SetStyle(BrushStyle::Solid);
    Round(c, DirectionCentrePixel, DotRadius);
    c.Brush.SetStyle(BrushStyle::Clear);
    // A styled pen this wide draws solid: the ring is a plain green circle.
    c.Pen.Width = 2;
    Round(c, DirectionCentrePixel, RingRadius);
    // Chosen at every drawing, so a replay follows the interface language.
    c.TextOut(98, 120, EnglishMode != 0 ? QStringLiteral("D.C.") : QStringLiteral("R.C."));

    RestorePen(c.Pen);
    RestoreBrush(c.Brush);
    FigureLayers.NormalLineED = true;
}

void TFigures::DrawPrincipalStresses() {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawPrincipalStresses"));
    TCanvas& c = diagram_;
    const TCanvasFont kept = c.Font;
    SavePen(c.Pen);
    SaveBrush(c.Brush);

    c.Pen.Color = colours::Navy;
    c.Pen.Width = 2;
    c.Brush.SetColor(colours::Navy);
    c.Brush.SetStyle(BrushStyle::Solid);
    Round(c, Principal2Pixel, DotRadius);
    Round(c, Principal1Pixel, DotRadius);
    c.Brush.SetStyle(BrushStyle::Clear);
    Round(c, Principal2Pixel, RingRadius);
    Round(c, Principal1Pixel, RingRadius);

    if (symbolInstalled()) {
        SelectSigmaFont(c);
        c.TextOut(303, 178, Sigma);
        c.TextOut(78, 178, Sigma);
        RestoreFont(c, kept);
        c.TextOut(310, 188, QStringLiteral("1"));
        c.TextOut(305, 210, QStringLiteral("-20"));
        c.TextOut(85, 188, QStringLiteral("2"));
        c.TextOut(75, 210, QStringLiteral("-120"));
    } else {
        c.TextOut(310, 190, QStringLiteral("S1"));
        c.TextOut(80, 190, QStringLiteral("S2"));
    }

    RestorePen(c.Pen);
    RestoreBrush(c.Brush);
    FigureLayers.PrincipalStresses = true;
}

void TFigures::DrawPrincipalDirections() {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawPrincipalDirections"));
    TCanvas& c = diagram_;
    SavePen(c.Pen);
    SaveBrush(c.Brush);
    // Direction 2 from its principal stress through the direction centre, direction 1 from the
    // direction centre through its principal stress: perpendicular, slopes -3 and 1/3.
    DrawArrow(c, Principal2Pixel.x(), Principal2Pixel.y(), 150, 50, colours::Navy, PenStyle::Dash, 15, 1);
    DrawArrow(c, DirectionCentrePixel.x(), DirectionCentrePixel.y(), 360, 220, colours::Navy, PenStyle::Dash,
              15, 1);
    c.Brush.SetStyle(BrushStyle::Clear);
    c.TextOut(365, 225, QStringLiteral("1"));
    c.TextOut(155, 45, QStringLiteral("2"));
    RestorePen(c.Pen);
    RestoreBrush(c.Brush);
    FigureLayers.PrincipalDirections = true;
}

} // namespace mohr
