// Rendered facts of the face results on the diagram panel: the face axes through the direction
// centre, the face stress points on the circle and the small face sketches.

#include "figures/figures.h"
#include "testsupport.h"

#include <QTest>

using namespace mohr;
using mohr::test::PixelAt;
using mohr::test::TImageCanvas;

namespace {

const QPoint DC(120, 140);

struct Panels : mohr::test::TFigurePanels {};

bool AnyOf(const QImage& image, const QRect& r, Colour colour) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (PixelAt(image, x, y) == colour)
                return true;
    return false;
}
bool NearPixel(const QImage& image, QPoint p, Colour colour) {
    return AnyOf(image, QRect(p - QPoint(1, 1), QSize(3, 3)), colour);
}

struct Face {
    const char* id;
    Colour axis;
    QPoint point; // (340 + 2s, 200 + 2t) of the face's stresses
    bool TFigureLayers::*axisField;
    bool TFigureLayers::*pointField;
    bool TFigureLayers::*sketchField;
};
const Face Faces[] = {
    {"AE", colours::Teal, QPoint(280, 140), &TFigureLayers::FaceAxisAE, &TFigureLayers::FacePointAE,
     &TFigureLayers::FaceSketchAE},
    {"AB", colours::Aqua, QPoint(120, 260), &TFigureLayers::FaceAxisAB, &TFigureLayers::FacePointAB,
     &TFigureLayers::FaceSketchAB},
    {"CD", colours::Red, QPoint(140, 120), &TFigureLayers::FaceAxisCD, &TFigureLayers::FacePointCD,
     &TFigureLayers::FaceSketchCD},
};

void AddFaceRows() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < 3; ++i)
        QTest::newRow(Faces[i].id) << i;
}

} // namespace

class TestFaces : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { SetFontFamilyProvider({}); }

    // Each face axis runs through the direction centre and meets the circle at its face's point.
    void faceAxisMeetsTheCircleAtItsPoint_data() { AddFaceRows(); }
    void faceAxisMeetsTheCircleAtItsPoint() {
        QFETCH(int, index);
        const Face& f = Faces[index];
        Panels axis, circle;
        axis.figures.DrawFaceAxis(QString::fromLatin1(f.id));
        circle.figures.DrawCircle();
        QVERIFY(NearPixel(axis.Image(), f.point, f.axis));
        QVERIFY(NearPixel(axis.Image(), DC, f.axis));
        QVERIFY(NearPixel(circle.Image(), f.point, colours::Red));
        QVERIFY(NearPixel(circle.Image(), DC, colours::Red));
        QVERIFY(axis.figures.FigureLayers.*f.axisField);
    }

    void axisLabelsInTheAxisColour() {
        Panels p;
        p.Canvas().Font.Color = colours::Maroon;
        p.figures.DrawFaceAxis(QStringLiteral("AE"));
        QCOMPARE(p.Canvas().Font.Color, colours::Maroon);
        QVERIFY(AnyOf(p.Image(), QRect(90, 135, 10, 12), colours::Teal)); // "x" beside the tip at (95, 140)
        QVERIFY(!AnyOf(p.Image(), QRect(0, 0, 400, 400), colours::Maroon));
        p.figures.DrawFaceAxis(QStringLiteral("CD"));
        QCOMPARE(p.Canvas().Font.Color, colours::Maroon);
        QVERIFY(AnyOf(p.Image(), QRect(245, 15, 10, 12), colours::Red));
        // The pen is untouched, the arrow leaves the brush solid.
        QCOMPARE(p.Canvas().Pen.Color, colours::Black);
        QCOMPARE(p.Canvas().Brush.Style(), BrushStyle::Solid);
    }

    void facePointsLieOnTheCircle_data() { AddFaceRows(); }
    void facePointsLieOnTheCircle() {
        QFETCH(int, index);
        const Face& f = Faces[index];
        Panels p;
        p.figures.DrawDiagramAxes(1); // the navy pen of the walkthrough
        p.figures.DrawFacePoint(QString::fromLatin1(f.id));
        // A green dot centred on the point with the thin navy rim of the pen found.
        QCOMPARE(p.At(f.point), colours::Green);
        for (const QPoint d : {QPoint(3, 0), QPoint(-3, 0), QPoint(0, 3), QPoint(0, -3)})
            QCOMPARE(p.At(f.point + d), colours::Navy);
        for (const QPoint d : {QPoint(5, 0), QPoint(-5, 0), QPoint(0, 5), QPoint(0, -5)})
            QVERIFY(p.At(f.point + d) != colours::Green);
        p.figures.DrawCircle();
        QVERIFY(NearPixel(p.Image(), f.point, colours::Red));
        // Only this face's point is recorded.
        TFigureLayers expected;
        expected.*f.pointField = true;
        expected.Circle = true;
        QCOMPARE(p.figures.FigureLayers, expected);
        QCOMPARE(p.Canvas().Pen.Color, colours::Navy);
        QCOMPARE(p.Canvas().Brush.Style(), BrushStyle::Solid);
    }

    void argumentNamingNoFaceDrawsNothing() {
        for (const QString& arg : {QString(), QStringLiteral("ae"), QStringLiteral("A-E"),
                                   QStringLiteral("BC"), QStringLiteral("ED"), QStringLiteral("xyz")}) {
            Panels p;
            p.Canvas().Pen = TPen{PenStyle::Dash, 1, colours::Maroon};
            p.Canvas().Brush.SetStyle(BrushStyle::Clear);
            const QImage before = p.Image().copy();
            p.figures.DrawFaceAxis(arg);
            p.figures.DrawFacePoint(arg);
            p.figures.DrawFaceSketch(arg);
            QCOMPARE(p.Image(), before);
            QCOMPARE(p.figures.FigureLayers, TFigureLayers{});
            QCOMPARE(p.Canvas().Pen.Style, PenStyle::Dash);
            QCOMPARE(p.Canvas().Pen.Color, colours::Maroon);
        }
    }

    void everyFaceNamedIsDrawn() {
        Panels p;
        p.figures.DrawDiagramAxes(1);
        p.figures.DrawFacePoint(QStringLiteral("CD+AE"));
        TFigureLayers expected;
        expected.FacePointAE = true;
        expected.FacePointCD = true;
        QCOMPARE(p.figures.FigureLayers, expected);
        QCOMPARE(p.At(Faces[0].point), colours::Green);
        QCOMPARE(p.At(Faces[2].point), colours::Green);
        QCOMPARE(p.At(Faces[1].point), colours::White);
    }

    void sketchesOfTheFaces() {
        Panels p;
        p.figures.DrawDiagramAxes(1);
        p.figures.DrawFaceSketch(QStringLiteral("AE"));
        TFigureLayers expected;
        expected.FaceSketchAE = true;
        QCOMPARE(p.figures.FigureLayers, expected);
        // Silver strip, black face line, navy arrows.
        QCOMPARE(p.At(76, 140), colours::Silver);
        QCOMPARE(p.At(70, 140), colours::Black);
        QCOMPARE(p.At(65, 140), colours::Navy);
        QCOMPARE(p.At(45, 140), colours::Navy);
        // Magnitudes stand on silver boxes, vertex letters on no box at all.
        QCOMPARE(p.At(45, 115), colours::Silver);
        QCOMPARE(p.At(40, 150), colours::Silver);
        QCOMPARE(p.At(70, 160), colours::White);
        QCOMPARE(p.At(70, 110), colours::White);

        p.figures.DrawFaceSketch(QStringLiteral("AB"));
        QCOMPARE(p.At(120, 305), colours::Silver);
        QCOMPARE(p.At(120, 310), colours::Black);
        QCOMPARE(p.At(120, 340), colours::Navy);
        QCOMPARE(p.At(95, 345), colours::Silver);
        QCOMPARE(p.At(90, 298), colours::White);

        p.figures.DrawFaceSketch(QStringLiteral("CD"));
        QCOMPARE(p.At(176, 83), colours::Silver);
        QCOMPARE(p.At(180, 80), colours::Black);
        QCOMPARE(p.At(200, 60), colours::Navy);
        QCOMPARE(p.At(180, 40), colours::Silver);
        QCOMPARE(p.At(158, 63), colours::White);
        QVERIFY(p.figures.FigureLayers.FaceSketchCD);

        // Pen as found, so a stress point drawn next keeps its thin navy rim.
        QCOMPARE(p.Canvas().Pen.Color, colours::Navy);
        QCOMPARE(p.Canvas().Pen.Width, 1);
        QCOMPARE(p.Canvas().Pen.Style, PenStyle::Solid);
        p.figures.DrawPointED();
        QCOMPARE(p.At(200, 300), colours::Green);
        QCOMPARE(p.At(197, 300), colours::Navy);
        QCOMPARE(p.At(196, 300), colours::White);
    }

    // Replayed faces come back only where their fields are set.
    void replayDrawsOnlyFacesReached() {
        Panels p;
        p.figures.DrawFaceAxis(QStringLiteral("AB"));
        p.figures.DrawFacePoint(QStringLiteral("AB"));
        p.figures.DrawFaceSketch(QStringLiteral("AB"));
        const QImage drawn = p.Image().copy();
        p.Repaint();
        QCOMPARE(p.Image(), drawn);
        QCOMPARE(p.At(Faces[1].point), colours::Green);
        QCOMPARE(p.At(Faces[0].point), colours::White);
        QCOMPARE(p.At(Faces[2].point), colours::White);
        QVERIFY(!AnyOf(p.Image(), p.Image().rect(), colours::Teal));
    }
};

QTEST_MAIN(TestFaces)
#include "tst_fig_faces.moc"
