#include "figures/figures.h"

#include <vector>

namespace mohr {

namespace {

struct TArrowLine {
    int X1, Y1, X2, Y2;
};

struct TLabel {
    int X, Y;
    const char* Text;
};

void DrawLabel(TCanvas& canvas, const TLabel& label) {
    canvas.TextOut(label.X, label.Y, QString::fromUtf8(label.Text));
}

// A dimension: two overlapping arrows give a head at each end, then the side length.
struct TDimension {
    TArrowLine First;
    TArrowLine Second;
    TLabel Label;
};

constexpr TDimension Dimensions[] = {
    {{100, 200, 60, 200}, {60, 200, 120, 200}, {85, 185, "3,0"}},
    {{140, 200, 120, 200}, {120, 200, 180, 200}, {145, 185, "3,0"}},
    {{40, 150, 40, 100}, {40, 150, 40, 180}, {15, 125, "4,0"}},
    {{40, 80, 40, 100}, {40, 80, 40, 60}, {15, 70, "2,0"}},
    {{100, 35, 60, 35}, {100, 35, 140, 35}, {95, 15, "4,0"}},
    {{160, 35, 140, 35}, {160, 35, 180, 35}, {150, 15, "2,0"}},
};

// One local axis pair per face, each in its own colour.
struct TFaceAxisPair {
    Colour Color;
    TArrowLine First;
    TArrowLine Second;
    TLabel FirstLabel;
    TLabel SecondLabel;
};

constexpr TFaceAxisPair FaceAxisPairs[] = {
    {colours::Red, {165, 75, 150, 60}, {165, 75, 205, 35}, {160, 55, "y"}, {210, 35, "x"}},           // C-D
    {colours::Green, {75, 30, 65, 10}, {77, 81, 57, 91}, {75, 10, "x"}, {50, 80, "y"}},               // E-D
    {colours::Fuchsia, {190, 170, 214, 188}, {170, 125, 182, 109}, {220, 190, "x"}, {190, 110, "y"}}, // B-C
    {colours::Teal, {45, 140, 5, 140}, {45, 140, 45, 180}, {3, 135, "x"}, {40, 180, "y"}},            // A-E
    {colours::Aqua, {90, 210, 120, 210}, {90, 210, 90, 240}, {130, 205, "y"}, {80, 225, "x"}},        // A-B
};

// The stresses of one face: two arrows and their two magnitudes.
struct TFaceStresses {
    int HeadSize;
    TArrowLine First;
    TArrowLine Second;
    TLabel FirstLabel;
    TLabel SecondLabel;
};

constexpr TFaceStresses GivenStresses[] = {
    {16, {75, 30, 95, 70}, {113, 63, 77, 81}, {65, 40, "70"}, {62, 68, "50"}},            // E-D
    {16, {190, 170, 162, 149}, {146, 157, 170, 125}, {170, 130, "30"}, {160, 160, "30"}}, // B-C
};

constexpr TFaceStresses FinalStressArrows[] = {
    {8, {20, 145, 50, 145}, {53, 160, 53, 130}, {25, 155, "30"}, {35, 120, "30"}},    // A-E
    {8, {75, 188, 105, 188}, {90, 230, 90, 190}, {100, 195, "30"}, {65, 215, "110"}}, // A-B
    {12, {200, 40, 167, 73}, {155, 65, 175, 85}, {180, 70, "40"}, {160, 40, "100"}},  // C-D
};

constexpr int StressPenWidth = 2;

} // namespace

void TFigures::DrawElement(bool ShowGrid, bool ShowDimensions, bool ShowAxes) {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawElement(%1,%2,%3)")
                                  .arg(int(ShowGrid))
                                  .arg(int(ShowDimensions))
                                  .arg(int(ShowAxes)));
    TCanvas& c = element_;
    SavePen(c.Pen);
    SaveBrush(c.Brush);

    // The outline keeps the panel's pen colour, black.
    c.Pen.Style = PenStyle::Solid;
    c.Brush.SetColor(colours::Gray);
    c.Brush.SetStyle(BrushStyle::Solid);
    c.Pen.Width = 2;
    c.Polygon({QPoint(60, 180), QPoint(120, 180), QPoint(180, 100), QPoint(140, 60), QPoint(60, 100)});

    c.Brush.SetStyle(BrushStyle::Clear);
    const TLabel vertices[] = {
        {55, 185, "A"}, {120, 185, "B"}, {185, 95, "C"}, {140, 45, "D"}, {50, 95, "E"},
    };
    for (const TLabel& v : vertices)
        DrawLabel(c, v);

    if (ShowDimensions) {
        for (const TDimension& d : Dimensions) {
            DrawArrow(c, d.First.X1, d.First.Y1, d.First.X2, d.First.Y2, colours::Black, PenStyle::Solid, 4,
                      1);
            DrawArrow(c, d.Second.X1, d.Second.Y1, d.Second.X2, d.Second.Y2, colours::Black, PenStyle::Solid,
                      4, 1);
            // The arrows hand the brush back solid; the label must not hide the line.
            c.Brush.SetStyle(BrushStyle::Clear);
            DrawLabel(c, d.Label);
        }
    }

    if (ShowGrid) {
        // Drawn over the sample with a clear brush, so the gray shows between the dots.
        c.Pen.Style = PenStyle::Dot;
        c.Pen.Width = 1;
        c.Pen.Color = colours::Silver;
        for (int k = 3; k <= 9; ++k) {
            c.MoveTo(60, 20 * k);
            c.LineTo(180, 20 * k);
            c.MoveTo(20 * k, 60);
            c.LineTo(20 * k, 180);
        }
    }

    if (ShowAxes) {
        DrawArrow(c, 140, 180, 180, 180, colours::Black, PenStyle::Solid, 4, 1);
        DrawArrow(c, 60, 100, 60, 20, colours::Black, PenStyle::Solid, 4, 1);
        const Colour fontColour = c.Font.Color;
        c.Font.Color = colours::Black;
        c.Brush.SetStyle(BrushStyle::Clear);
        c.TextOut(190, 180, QStringLiteral("x"));
        c.TextOut(50, 10, QStringLiteral("y"));
        c.Font.Color = fontColour;
    }

    for (const TFaceStresses& s : GivenStresses) {
        DrawArrow(c, s.First.X1, s.First.Y1, s.First.X2, s.First.Y2, colours::Navy, PenStyle::Solid,
                  s.HeadSize, StressPenWidth);
        DrawArrow(c, s.Second.X1, s.Second.Y1, s.Second.X2, s.Second.Y2, colours::Navy, PenStyle::Solid,
                  s.HeadSize, StressPenWidth);
        c.Brush.SetStyle(BrushStyle::Clear);
        DrawLabel(c, s.FirstLabel);
        DrawLabel(c, s.SecondLabel);
    }

    RestorePen(c.Pen);
    RestoreBrush(c.Brush);
    FigureLayers.Element = true;
}

void TFigures::DrawFaceAxes() {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawFaceAxes"));
    TCanvas& c = element_;
    // Pen and brush are left to the arrows; the labels use the brush found (solid white), so
    // each stands on a white box.
    const Colour fontColour = c.Font.Color;
    for (const TFaceAxisPair& p : FaceAxisPairs) {
        DrawArrow(c, p.First.X1, p.First.Y1, p.First.X2, p.First.Y2, p.Color, PenStyle::Solid, 10, 1);
        DrawArrow(c, p.Second.X1, p.Second.Y1, p.Second.X2, p.Second.Y2, p.Color, PenStyle::Solid, 10, 1);
        c.Font.Color = p.Color;
        DrawLabel(c, p.FirstLabel);
        DrawLabel(c, p.SecondLabel);
    }
    c.Font.Color = fontColour;
    FigureLayers.FaceAxes = true;
}

void TFigures::DrawFinalStresses() {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawFinalStresses"));
    TCanvas& c = element_;
    SavePen(c.Pen);
    SaveBrush(c.Brush);
    // The brush stays as found (solid white): the magnitudes stand on white boxes over the sample.
    for (const TFaceStresses& s : FinalStressArrows) {
        DrawArrow(c, s.First.X1, s.First.Y1, s.First.X2, s.First.Y2, colours::Navy, PenStyle::Solid,
                  s.HeadSize, StressPenWidth);
        DrawArrow(c, s.Second.X1, s.Second.Y1, s.Second.X2, s.Second.Y2, colours::Navy, PenStyle::Solid,
                  s.HeadSize, StressPenWidth);
        DrawLabel(c, s.FirstLabel);
        DrawLabel(c, s.SecondLabel);
    }
    RestorePen(c.Pen);
    RestoreBrush(c.Brush);
    FigureLayers.FinalStresses = true;
}

} // namespace mohr
