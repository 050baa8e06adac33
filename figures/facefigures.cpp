#include "figures/figures.h"

#include <array>
#include <vector>

namespace mohr {

namespace {

struct TFaceAxis {
    QPoint From;
    QPoint Tip; // the axis runs from beyond the circle through the direction centre (-110; -30)
    Colour Color;
    QPoint LabelAt;
};

struct TFacePoint {
    QPoint Centre;
    const char* Text;
    QPoint TextAt;
};

struct TFaceSketch {
    std::array<QPoint, 5> Bar; // closed: the fifth point repeats the first
    QPoint FaceFrom, FaceTo;
    const char* Letter1;
    QPoint Letter1At;
    const char* Letter2;
    QPoint Letter2At;
    QPoint ShearFrom, ShearTip;
    QPoint NormalFrom, NormalTip;
    int HeadSize;
    const char* ShearText;
    QPoint ShearTextAt;
    const char* NormalText;
    QPoint NormalTextAt;
};

// One remaining face: its id and its three figures. The axis colours match the same faces' axes on
// the element panel.
struct TFace {
    const char* Id;
    bool TFigureLayers::*AxisField;
    bool TFigureLayers::*PointField;
    bool TFigureLayers::*SketchField;
    TFaceAxis Axis;
    TFacePoint Point;
    TFaceSketch Sketch;
};

// In the order in which an argument is tested: A-E, A-B, C-D. All three faces are in compression.
const std::array<TFace, 3> Faces{{
    {"AE",
     &TFigureLayers::FaceAxisAE,
     &TFigureLayers::FacePointAE,
     &TFigureLayers::FaceSketchAE,
     {QPoint(320, 140), QPoint(95, 140), colours::Teal, QPoint(90, 135)},
     {StressPixel(-30, -30), "(-30; -30)", QPoint(290, 120)},
     {{QPoint(70, 155), QPoint(70, 125), QPoint(80, 125), QPoint(80, 155), QPoint(70, 155)},
      QPoint(70, 155),
      QPoint(70, 125),
      "A",
      QPoint(70, 160),
      "E",
      QPoint(70, 110),
      QPoint(65, 150),
      QPoint(65, 130),
      QPoint(35, 140),
      QPoint(55, 140),
      8,
      "30",
      QPoint(45, 115),
      "30",
      QPoint(40, 150)}},
    {"AB",
     &TFigureLayers::FaceAxisAB,
     &TFigureLayers::FacePointAB,
     &TFigureLayers::FaceSketchAB,
     {QPoint(120, 55), QPoint(120, 295), colours::Aqua, QPoint(108, 285)},
     {StressPixel(-110, 30), "(-110; 30)", QPoint(65, 270)},
     {{QPoint(105, 310), QPoint(105, 300), QPoint(135, 300), QPoint(135, 310), QPoint(105, 310)},
      QPoint(105, 310),
      QPoint(135, 310),
      "A",
      QPoint(90, 298),
      "B",
      QPoint(145, 298),
      QPoint(110, 317),
      QPoint(135, 317),
      QPoint(120, 365),
      QPoint(120, 320),
      8,
      "30",
      QPoint(135, 320),
      "110",
      QPoint(95, 345)}},
    {"CD",
     &TFigureLayers::FaceAxisCD,
     &TFigureLayers::FacePointCD,
     &TFigureLayers::FaceSketchCD,
     {QPoint(120, 140), QPoint(240, 20), colours::Red, QPoint(245, 15)},
     {StressPixel(-100, -40), "(-100; -40)", QPoint(150, 120)},
     {{QPoint(169, 69), QPoint(191, 91), QPoint(184, 98), QPoint(162, 76), QPoint(169, 69)},
      QPoint(169, 69),
      QPoint(191, 91),
      "C",
      QPoint(195, 88),
      "D",
      QPoint(158, 63),
      QPoint(175, 65),
      QPoint(195, 85),
      QPoint(220, 40),
      QPoint(187, 73),
      12,
      "40",
      QPoint(200, 75),
      "100",
      QPoint(180, 40)}},
}};

bool Names(const QString& face, const TFace& f) {
    return face.contains(QLatin1String(f.Id));
}

void Text(TCanvas& c, QPoint at, const char* text) {
    c.TextOut(at.x(), at.y(), QString::fromLatin1(text));
}

} // namespace

void TFigures::DrawFaceAxis(const QString& face) {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawFaceAxis(%1)").arg(face));
    TCanvas& c = diagram_;
    for (const TFace& f : Faces) {
        if (!Names(face, f))
            continue;
        const TFaceAxis& a = f.Axis;
        DrawArrow(c, a.From.x(), a.From.y(), a.Tip.x(), a.Tip.y(), a.Color, PenStyle::Solid, 10, 1);
        // The one label in the axis colour; the font colour goes back at once.
        const Colour fontColour = c.Font.Color;
        c.Font.Color = a.Color;
        Text(c, a.LabelAt, "x");
        c.Font.Color = fontColour;
        FigureLayers.*f.AxisField = true;
    }
}

void TFigures::DrawFacePoint(const QString& face) {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawFacePoint(%1)").arg(face));
    TCanvas& c = diagram_;
    SavePen(c.Pen);
    SaveBrush(c.Brush);
    for (const TFace& f : Faces) {
        if (!Names(face, f))
            continue;
        const TFacePoint& p = f.Point;
        // Set for every face, as the label below clears it: each dot named is filled.
        c.Brush.SetColor(colours::Green);
        c.Brush.SetStyle(BrushStyle::Solid);
        c.Ellipse(p.Centre.x() - 3, p.Centre.y() - 3, p.Centre.x() + 3, p.Centre.y() + 3);
        c.Brush.SetStyle(BrushStyle::Clear);
        Text(c, p.TextAt, p.Text);
        FigureLayers.*f.PointField = true;
    }
    RestorePen(c.Pen);
    RestoreBrush(c.Brush);
}

void TFigures::DrawFaceSketch(const QString& face) {
    if (DrawObserver)
        DrawObserver->Drawing(QStringLiteral("DrawFaceSketch(%1)").arg(face));
    TCanvas& c = diagram_;
    for (const TFace& f : Faces) {
        if (!Names(face, f))
            continue;
        const TFaceSketch& s = f.Sketch;
        SavePen(c.Pen);
        SaveBrush(c.Brush);

        // A strip of material with a white rim.
        c.Pen.Color = colours::White;
        c.Brush.SetColor(colours::Silver);
        c.Brush.SetStyle(BrushStyle::Solid);
        c.Pen.Width = 2;
        c.Polygon(std::vector<QPoint>(s.Bar.begin(), s.Bar.end()));

        // The face itself as a heavy black edge, with its vertex letters on no background.
        c.Brush.SetStyle(BrushStyle::Clear);
        c.Pen.Color = colours::Black;
        c.Pen.Width = 3;
        c.MoveTo(s.FaceFrom.x(), s.FaceFrom.y());
        c.LineTo(s.FaceTo.x(), s.FaceTo.y());
        Text(c, s.Letter1At, s.Letter1);
        Text(c, s.Letter2At, s.Letter2);

        DrawArrow(c, s.ShearFrom.x(), s.ShearFrom.y(), s.ShearTip.x(), s.ShearTip.y(), colours::Navy,
                  PenStyle::Solid, s.HeadSize, 2);
        DrawArrow(c, s.NormalFrom.x(), s.NormalFrom.y(), s.NormalTip.x(), s.NormalTip.y(), colours::Navy,
                  PenStyle::Solid, s.HeadSize, 2);
        // The arrows leave the brush solid silver: the magnitudes stand on silver boxes.
        Text(c, s.ShearTextAt, s.ShearText);
        Text(c, s.NormalTextAt, s.NormalText);

        RestorePen(c.Pen);
        RestoreBrush(c.Brush);
        FigureLayers.*f.SketchField = true;
    }
}

} // namespace mohr
