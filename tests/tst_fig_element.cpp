// The element panel: the sample, its extras, the face axis pairs and the final stresses, drawn
// directly and replayed after a repaint.
#include "figures/figures.h"
#include "testsupport.h"

#include <QtTest>

#include <memory>
#include <vector>

using namespace mohr;
using mohr::test::CountColour;
using mohr::test::PixelAt;
using mohr::test::TImageCanvas;

namespace {

// Both panels in their start state, with the save slot the main window creates.
struct TPanels {
    TPanels() : figures(*element.Canvas, *diagram.Canvas) {
        figures.CreateSaveSlot();
        panelFont = element.Canvas->Font;
    }
    // The erase before a repaint, followed by the element panel's paint handler.
    void Repaint() {
        element.Image.fill(Qt::white);
        element.Canvas->EraseForRepaint(panelFont);
        figures.PaintBox2Paint();
    }
    const QImage& Image() const { return element.Image; }
    TCanvas& Canvas() { return *element.Canvas; }

    TImageCanvas element{240, 240};
    TImageCanvas diagram{400, 400};
    TFigures figures;
    TCanvasFont panelFont;
};

struct TLabelAt {
    int X, Y;
};

// Where the vertex letters and the labels of the extras and of the given stresses start.
const TLabelAt ElementLabels[] = {{55, 185},  {120, 185}, {185, 95}, {140, 45},  {50, 95},  {85, 185},
                                  {145, 185}, {15, 125},  {15, 70},  {95, 15},   {150, 15}, {190, 180},
                                  {50, 10},   {65, 40},   {62, 68},  {170, 130}, {160, 160}};
const TLabelAt FaceAxisLabels[] = {{160, 55},  {210, 35}, {75, 10},  {50, 80},   {220, 190},
                                   {190, 110}, {3, 135},  {40, 180}, {130, 205}, {80, 225}};
const TLabelAt FinalLabels[] = {{25, 155}, {35, 120}, {100, 195}, {65, 215}, {180, 70}, {160, 40}};

// The run of outline pixels crossing a horizontal or vertical edge of the sample, walking from
// inside (gray) out. Where a grid line lies on the edge its dots cover part of the outline.
int OutlineRun(const QImage& image, QPoint inside, QPoint step, bool grid) {
    QPoint p = inside;
    while (PixelAt(image, p.x(), p.y()) == colours::Gray)
        p += step;
    int run = 0;
    for (;; p += step) {
        const Colour c = PixelAt(image, p.x(), p.y());
        if (c != colours::Black && !(grid && c == colours::Silver))
            break;
        ++run;
    }
    return run;
}

// Black pixels of an oblique edge met walking along a row from inside the sample.
int ObliqueRun(const QImage& image, QPoint inside, int step) {
    QPoint p = inside;
    while (PixelAt(image, p.x(), p.y()) == colours::Gray || PixelAt(image, p.x(), p.y()) == colours::Silver)
        p.rx() += step;
    int run = 0;
    for (; PixelAt(image, p.x(), p.y()) == colours::Black; p.rx() += step)
        ++run;
    return run;
}

void VerifyPanelStartState(TCanvas& c) {
    QCOMPARE(c.Pen.Style, PenStyle::Solid);
    QCOMPARE(c.Pen.Width, 1);
    QCOMPARE(c.Pen.Color, colours::Black);
    QCOMPARE(c.Brush.Style(), BrushStyle::Solid);
    QCOMPARE(c.Brush.Color(), colours::White);
    QCOMPARE(c.Font.Color, colours::Black);
}

void VerifySample(const QImage& image, bool grid) {
    // Gray inside, well away from the grid lines.
    for (QPoint p : {QPoint(90, 150), QPoint(70, 110), QPoint(130, 130), QPoint(150, 90), QPoint(110, 170)})
        QCOMPARE(PixelAt(image, p.x(), p.y()), colours::Gray);
    // A 2-pixel outline on the bottom face A-B and the left face A-E, which the grid's outer lines
    // overlay, and black on the oblique faces.
    for (int x : {70, 90, 110})
        QCOMPARE(OutlineRun(image, {x, 170}, {0, 1}, grid), 2);
    for (int y : {110, 130, 150, 170})
        QCOMPARE(OutlineRun(image, {70, y}, {-1, 0}, grid), 2);
    if (!grid) {
        QCOMPARE(PixelAt(image, 90, 180), colours::Black);
        QCOMPARE(PixelAt(image, 60, 130), colours::Black);
        QCOMPARE(PixelAt(image, 140, 60), colours::Black); // D and C lie on grid lines
        QCOMPARE(PixelAt(image, 180, 100), colours::Black);
    }
    for (int y : {110, 130, 150, 170}) { // B-C
        const int run = ObliqueRun(image, {125, y}, 1);
        QVERIFY(run >= 2 && run <= 3);
    }
    for (int y : {75, 90}) { // C-D
        const int run = ObliqueRun(image, {150, y}, 1);
        QVERIFY(run >= 2 && run <= 3);
    }
    for (int x : {70, 90, 110, 130}) { // E-D, walking up a column
        QPoint p(x, 95);
        while (PixelAt(image, p.x(), p.y()) == colours::Gray ||
               PixelAt(image, p.x(), p.y()) == colours::Silver)
            p.ry() -= 1;
        int run = 0;
        for (; PixelAt(image, p.x(), p.y()) == colours::Black; p.ry() -= 1)
            ++run;
        QVERIFY(run >= 2 && run <= 3);
    }
    // White outside.
    QCOMPARE(PixelAt(image, 150, 165), colours::White);
    QCOMPARE(PixelAt(image, 120, 55), colours::White);
}

} // namespace

class TestElement : public QObject {
    Q_OBJECT

private slots:
    void sampleOnFirstDrawingAndReplay();
    void gridIsDottedSilverOverGray();
    void extrasOnlyWhereTheyBelong();
    void givenStressHeads();
    void labelsOfSampleAreTransparent();
    void labelsOfFaceAxesAndFinalStressesStandOnWhite();
    void faceAxisPairsInTheirColours();
    void finalStressHeads();
    void canvasStateAfterEachOperation();
    void fieldsSetByEachOperation();
    void finalStepShowsBareSample();
};

void TestElement::sampleOnFirstDrawingAndReplay() {
    TPanels panels;
    panels.figures.DrawElement(true, true, true);
    VerifySample(panels.Image(), true);
    const QImage first = panels.Image().copy();

    // Every replay draws the same picture, the outline black again.
    for (int i = 0; i < 3; ++i) {
        panels.Repaint();
        VerifySample(panels.Image(), true);
        QVERIFY(panels.Image() == first);
    }

    // With the face axes on top, a replay gives back the direct drawing.
    panels.figures.DrawFaceAxes();
    const QImage withAxes = panels.Image().copy();
    QVERIFY(withAxes != first);
    panels.Repaint();
    QVERIFY(panels.Image() == withAxes);
    panels.Repaint();
    QVERIFY(panels.Image() == withAxes);
    VerifySample(panels.Image(), true);
}

void TestElement::gridIsDottedSilverOverGray() {
    TPanels panels;
    panels.figures.DrawElement(true, false, false);
    const QImage& img = panels.Image();
    // Along a grid row and a grid column inside the sample: silver dots with gray between them.
    const QRect row(62, 140, 77, 1);     // (62..138, 140)
    const QRect column(100, 102, 1, 70); // (100, 102..171)
    for (QRect line : {row, column}) {
        const int silver = CountColour(img, line, colours::Silver);
        const int gray = CountColour(img, line, colours::Gray);
        QVERIFY(silver >= line.width() * line.height() / 3);
        QVERIFY(gray >= line.width() * line.height() / 3);
        QCOMPARE(silver + gray, line.width() * line.height());
    }
    // Seven rows and seven columns, 20 pixels apart, over the square (60, 60)-(180, 180).
    for (int k = 3; k <= 9; ++k) {
        QVERIFY2(CountColour(img, QRect(60, 20 * k, 121, 1), colours::Silver) > 10,
                 qPrintable(QString::number(k)));
        QVERIFY2(CountColour(img, QRect(20 * k, 60, 1, 121), colours::Silver) > 10,
                 qPrintable(QString::number(k)));
    }
    // Off the grid rows and columns the sample is plain gray.
    QCOMPARE(CountColour(img, QRect(62, 141, 17, 18), colours::Gray), 17 * 18);
    // Outside the sample the grid is dotted on white: row 80 right of face C-D.
    const QRect outside(163, 80, 17, 1);
    QVERIFY(CountColour(img, outside, colours::Silver) >= 5);
    QCOMPARE(CountColour(img, outside, colours::Silver) + CountColour(img, outside, colours::White), 17);
    // Nothing of the grid beyond (60..180, 60..180).
    QCOMPARE(CountColour(img, QRect(181, 0, 59, 240), colours::Silver), 0);
    QCOMPARE(CountColour(img, QRect(0, 181, 240, 59), colours::Silver), 0);
    QCOMPARE(CountColour(img, QRect(0, 0, 59, 240), colours::Silver), 0);
    QCOMPARE(CountColour(img, QRect(0, 0, 240, 59), colours::Silver), 0);
}

void TestElement::extrasOnlyWhereTheyBelong() {
    TPanels bare;
    bare.figures.DrawElement(false, false, false);
    TPanels full;
    full.figures.DrawElement(true, true, true);

    // Generous boxes around the dimensions, the grid and the global axes with their labels.
    const std::vector<QRect> extras = {
        QRect(QPoint(56, 194), QPoint(184, 206)), // dimensions below A-B and B-C
        QRect(QPoint(34, 56), QPoint(46, 184)),   // dimensions left of E-A and D-E
        QRect(QPoint(56, 29), QPoint(184, 41)),   // dimensions above E-D and D-C
        QRect(85, 185, 30, 16),
        QRect(145, 185, 30, 16),
        QRect(15, 125, 30, 16),
        QRect(15, 70, 30, 16),
        QRect(95, 15, 30, 16),
        QRect(150, 15, 30, 16),                    // dimension labels
        QRect(QPoint(59, 59), QPoint(181, 181)),   // grid
        QRect(QPoint(136, 174), QPoint(184, 186)), // global x axis
        QRect(QPoint(54, 16), QPoint(66, 102)),    // global y axis
        QRect(190, 180, 16, 16),
        QRect(50, 10, 16, 16), // "x" and "y"
    };
    int differing = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 240; ++x) {
            if (PixelAt(bare.Image(), x, y) == PixelAt(full.Image(), x, y))
                continue;
            ++differing;
            bool explained = false;
            for (const QRect& r : extras)
                explained = explained || r.contains(x, y);
            QVERIFY2(explained,
                     qPrintable(QStringLiteral("unexpected difference at (%1, %2)").arg(x).arg(y)));
        }
    QVERIFY(differing > 0);

    // The bare sample has none of the extras; the full one has each of them.
    QCOMPARE(CountColour(bare.Image(), QRect(0, 0, 240, 240), colours::Silver), 0);
    for (QPoint p : {QPoint(80, 200), QPoint(160, 200), QPoint(40, 130), QPoint(40, 75), QPoint(80, 35),
                     QPoint(170, 35), QPoint(160, 180), QPoint(60, 50)}) {
        QCOMPARE(PixelAt(bare.Image(), p.x(), p.y()), colours::White);
        QCOMPARE(PixelAt(full.Image(), p.x(), p.y()), colours::Black);
    }
    // Dimension heads at both ends: (100, 200) -> (60, 200) has its head at 60..64.
    QCOMPARE(PixelAt(full.Image(), 64, 198), colours::Black);
    QCOMPARE(PixelAt(full.Image(), 116, 202), colours::Black);
    // Axis heads: x axis tip (180, 180) with corners (176, 178), (176, 182); y axis tip (60, 20).
    QCOMPARE(PixelAt(full.Image(), 176, 178), colours::Black);
    QCOMPARE(PixelAt(full.Image(), 176, 182), colours::Black);
    QCOMPARE(PixelAt(full.Image(), 58, 24), colours::Black);
    QCOMPARE(PixelAt(full.Image(), 62, 24), colours::Black);
}

void TestElement::givenStressHeads() {
    for (bool extras : {false, true}) {
        TPanels panels;
        panels.figures.DrawElement(extras, extras, extras);
        const QImage& img = panels.Image();
        for (QPoint p : {QPoint(95, 70), QPoint(91, 55), QPoint(85, 57), QPoint(77, 81), QPoint(92, 77),
                         QPoint(90, 71), QPoint(162, 149), QPoint(172, 161), QPoint(176, 155),
                         QPoint(170, 125), QPoint(158, 135), QPoint(164, 139)})
            QVERIFY2(PixelAt(img, p.x(), p.y()) == colours::Navy,
                     qPrintable(QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y())));
        // Stress lines are 2 pixels wide: the steep E-D normal stress line (slope 2) crosses a
        // row in 2 or 3 pixels, where a 1-pixel line would take 1.
        const int across = CountColour(img, QRect(74, 40, 14, 1), colours::Navy);
        QVERIFY(across >= 2 && across <= 3);
        // Their starts.
        QCOMPARE(PixelAt(img, 75, 30), colours::Navy);
        QCOMPARE(PixelAt(img, 113, 63), colours::Navy);
        QCOMPARE(PixelAt(img, 190, 170), colours::Navy);
        QCOMPARE(PixelAt(img, 146, 157), colours::Navy);
        // The magnitudes are written in black.
        for (const TLabelAt& l : {TLabelAt{65, 40}, TLabelAt{62, 68}, TLabelAt{170, 130}, TLabelAt{160, 160}})
            QVERIFY(CountColour(img, QRect(l.X, l.Y, 12, 12), colours::Black) > 0);
    }
}

void TestElement::labelsOfSampleAreTransparent() {
    // On a coloured ground a clear brush leaves the ground inside the text boxes.
    TPanels panels;
    panels.element.Image.fill(QColor(0xFF, 0xFF, 0x00));
    const Colour yellow = 0x00FFFF;
    panels.figures.DrawElement(true, true, true);
    for (const TLabelAt& l : ElementLabels) {
        const QRect box(l.X, l.Y, 3, 2);
        QVERIFY2(CountColour(panels.Image(), box, colours::White) == 0,
                 qPrintable(QStringLiteral("label at (%1, %2)").arg(l.X).arg(l.Y)));
        // Only the ground, the black glyphs or the grid's silver dots.
        QVERIFY(CountColour(panels.Image(), box, yellow) + CountColour(panels.Image(), box, colours::Black) +
                    CountColour(panels.Image(), box, colours::Silver) ==
                6);
    }
    // On the white panel: the "30" at (160, 160) lies on the grid row 160, whose dots show through.
    TPanels onWhite;
    onWhite.figures.DrawElement(true, true, true);
    QVERIFY(CountColour(onWhite.Image(), QRect(160, 160, 12, 1), colours::Silver) > 0);
}

void TestElement::labelsOfFaceAxesAndFinalStressesStandOnWhite() {
    const Colour yellow = 0x00FFFF;
    {
        TPanels panels;
        panels.element.Image.fill(QColor(0xFF, 0xFF, 0x00));
        panels.figures.DrawFaceAxes();
        for (const TLabelAt& l : FaceAxisLabels) {
            const QRect box(l.X, l.Y, 3, 2);
            QVERIFY2(CountColour(panels.Image(), box, yellow) == 0,
                     qPrintable(QStringLiteral("label at (%1, %2)").arg(l.X).arg(l.Y)));
            QVERIFY(CountColour(panels.Image(), box, colours::White) > 0);
        }
    }
    {
        TPanels panels;
        panels.element.Image.fill(QColor(0xFF, 0xFF, 0x00));
        panels.figures.DrawFinalStresses();
        for (const TLabelAt& l : FinalLabels) {
            const QRect box(l.X, l.Y, 3, 2);
            QVERIFY2(CountColour(panels.Image(), box, yellow) == 0,
                     qPrintable(QStringLiteral("label at (%1, %2)").arg(l.X).arg(l.Y)));
            QVERIFY(CountColour(panels.Image(), box, colours::White) > 0);
        }
    }
    {
        // The teal "x" at (3, 135) stands on the tip (5, 140) of its own axis: its white box hides
        // part of the head that the arrow alone draws.
        TPanels panels;
        panels.figures.DrawFaceAxes();
        TImageCanvas alone(240, 240);
        TFigures::DrawArrow(*alone.Canvas, 45, 140, 5, 140, colours::Teal, PenStyle::Solid, 10, 1);
        int hidden = 0;
        for (int y = 135; y <= 146; ++y)
            for (int x = 3; x <= 8; ++x)
                if (PixelAt(alone.Image, x, y) == colours::Teal &&
                    PixelAt(panels.Image(), x, y) == colours::White)
                    ++hidden;
        QVERIFY(hidden > 0);
    }
}

void TestElement::faceAxisPairsInTheirColours() {
    TPanels panels;
    panels.figures.DrawElement(true, true, true);
    panels.figures.DrawFaceAxes();
    const QImage& img = panels.Image();

    struct TPairFacts {
        mohr::Colour Ink;
        std::vector<QPoint> Pixels; // starts, tips and head corners not covered by later drawing
        std::vector<TLabelAt> Labels;
    };
    const TPairFacts pairs[] = {
        {colours::Red,
         {{165, 75}, {150, 60}, {156, 68}, {158, 66}, {205, 35}, {197, 41}, {199, 43}},
         {{160, 55}, {210, 35}}},
        {colours::Green,
         {{75, 30}, {65, 10}, {67, 19}, {71, 17}, {77, 81}, {57, 91}, {66, 89}, {64, 85}},
         {{75, 10}, {50, 80}}},
        {colours::Fuchsia,
         {{190, 170}, {214, 188}, {207, 180}, {205, 184}, {170, 125}, {182, 109}, {175, 115}, {177, 117}},
         {{220, 190}, {190, 110}}},
        {colours::Teal, {{45, 140}, {15, 145}, {45, 180 - 1}, {40, 170}, {50, 170}}, {{40, 180}}},
        {colours::Aqua,
         {{90, 210}, {120, 210}, {110, 205}, {110, 215}, {90, 235}, {95, 230}, {90, 239}},
         {{130, 205}, {80, 225}}},
    };
    for (const TPairFacts& pair : pairs) {
        for (QPoint p : pair.Pixels)
            QVERIFY2(PixelAt(img, p.x(), p.y()) == pair.Ink,
                     qPrintable(QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y())));
        // Each label is written in its pair's colour on white.
        for (const TLabelAt& l : pair.Labels) {
            const QRect box(l.X, l.Y, 10, 12);
            QVERIFY(CountColour(img, box, pair.Ink) > 0);
        }
    }
    QCOMPARE(panels.Canvas().Font.Color, colours::Black);
}

void TestElement::finalStressHeads() {
    TPanels panels;
    panels.figures.DrawElement(false, false, false);
    panels.figures.DrawFinalStresses();
    const QImage& img = panels.Image();
    for (QPoint p : {QPoint(50, 145), QPoint(42, 141),  QPoint(42, 149), QPoint(53, 130), QPoint(49, 138),
                     QPoint(57, 138), QPoint(105, 188), QPoint(97, 184), QPoint(97, 192), QPoint(90, 190),
                     QPoint(86, 198), QPoint(94, 198),  QPoint(167, 73), QPoint(177, 67), QPoint(173, 63),
                     QPoint(175, 85), QPoint(169, 75),  QPoint(165, 79), QPoint(20, 145), QPoint(200, 40)})
        QVERIFY2(PixelAt(img, p.x(), p.y()) == colours::Navy,
                 qPrintable(QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y())));
    // 2-pixel stress lines: A-E normal stress crossing column 30, A-B normal stress crossing row 215.
    QCOMPARE(CountColour(img, QRect(30, 140, 1, 11), colours::Navy), 2);
    QCOMPARE(CountColour(img, QRect(85, 220, 11, 1), colours::Navy), 2);
    // Black magnitudes on white boxes.
    for (const TLabelAt& l : FinalLabels) {
        const QRect box(l.X, l.Y, 12, 12);
        QVERIFY(CountColour(img, box, colours::Black) > 0);
        QVERIFY(CountColour(img, box, colours::White) > 0);
    }
}

void TestElement::canvasStateAfterEachOperation() {
    TPanels panels;
    TCanvas& c = panels.Canvas();
    VerifyPanelStartState(c);
    panels.figures.DrawElement(true, true, true);
    VerifyPanelStartState(c);
    panels.figures.DrawElement(false, false, false);
    VerifyPanelStartState(c);
    panels.figures.DrawFaceAxes();
    VerifyPanelStartState(c);
    panels.figures.DrawFinalStresses();
    VerifyPanelStartState(c);
    panels.Repaint();
    VerifyPanelStartState(c);

    // A font colour other than black is given back too.
    c.Font.Color = colours::Maroon;
    panels.figures.DrawFaceAxes();
    QCOMPARE(c.Font.Color, colours::Maroon);
    panels.figures.DrawElement(true, true, true);
    QCOMPARE(c.Font.Color, colours::Maroon);
}

void TestElement::fieldsSetByEachOperation() {
    TPanels panels;
    TFigureLayers expected;
    panels.figures.DrawElement(false, true, false);
    expected.Element = true;
    QVERIFY(panels.figures.FigureLayers == expected);
    panels.figures.DrawFaceAxes();
    expected.FaceAxes = true;
    QVERIFY(panels.figures.FigureLayers == expected);
    panels.figures.DrawFinalStresses();
    expected.FinalStresses = true;
    QVERIFY(panels.figures.FigureLayers == expected);
    // The options are read only through the arguments.
    QVERIFY(panels.figures.ElementOptions == TElementOptions{});
    // Nothing drawn on the diagram panel.
    QCOMPARE(CountColour(panels.diagram.Image, QRect(0, 0, 400, 400), colours::White), 400 * 400);
}

void TestElement::finalStepShowsBareSample() {
    // The last step: options and face axes off, then the repaint with the final stresses.
    TPanels panels;
    panels.figures.DrawElement(true, true, true);
    panels.figures.DrawFaceAxes();
    panels.figures.SetElementOptions(false);
    panels.figures.FigureLayers.FaceAxes = false;
    panels.Repaint();
    panels.figures.DrawFinalStresses();
    const QImage direct = panels.Image().copy();
    panels.Repaint();
    QVERIFY(panels.Image() == direct);

    const QImage& img = panels.Image();
    VerifySample(img, false);
    QCOMPARE(CountColour(img, QRect(0, 0, 240, 240), colours::Silver), 0);
    for (Colour c : {colours::Red, colours::Green, colours::Fuchsia, colours::Teal, colours::Aqua})
        QCOMPARE(CountColour(img, QRect(0, 0, 240, 240), c), 0);
    QCOMPARE(PixelAt(img, 40, 130), colours::White); // no dimension
    QCOMPARE(PixelAt(img, 42, 141), colours::Navy);  // final A-E head
    QCOMPARE(PixelAt(img, 91, 55), colours::Navy);   // given E-D head
}

QTEST_MAIN(TestElement)
#include "tst_fig_element.moc"
