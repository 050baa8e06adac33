// The arrow primitive: the integer head geometry, the pen and brush it leaves behind, and what it
// puts on the panel.
#include "figures/figures.h"
#include "testsupport.h"

#include <QtTest>

#include <vector>

using namespace mohr;
using mohr::test::PixelAt;
using mohr::test::TImageCanvas;

namespace {

// Canvas state seen at one drawing notification.
struct TSnapshot {
    TPen Pen;
    mohr::BrushStyle Style;
    Colour BrushColour;
    QPoint PenPos;
};

// Keeps a snapshot of the canvas state at every drawing notification.
void Record(TCanvas& canvas, std::vector<TSnapshot>& seen) {
    canvas.Changed = [&canvas, &seen] {
        seen.push_back({canvas.Pen, canvas.Brush.Style(), canvas.Brush.Color(), canvas.PenPos()});
    };
}

int CountInColumn(const QImage& image, int x, int y0, int y1, Colour colour) {
    return mohr::test::CountColour(image, QRect(QPoint(x, y0), QPoint(x, y1)), colour);
}

} // namespace

class TestArrow : public QObject {
    Q_OBJECT

private slots:
    void headCorners_data();
    void headCorners();
    void penAndBrushAtEachStroke();
    void penKeptBrushSolidAfterwards_data();
    void penKeptBrushSolidAfterwards();
    void saveSlotUntouched();
    void lineAndHeadPixels();
    void wideArrowHasThinnerHeadOutline();
    void dashedArrowGapsFollowBrushFoundAtCall();
    void headOutsidePanelIsClipped();
};

void TestArrow::headCorners_data() {
    QTest::addColumn<int>("x1");
    QTest::addColumn<int>("y1");
    QTest::addColumn<int>("x2");
    QTest::addColumn<int>("y2");
    QTest::addColumn<int>("head");
    QTest::addColumn<QPoint>("corner1");
    QTest::addColumn<QPoint>("corner2");

    auto row = [](const char* name, int x1, int y1, int x2, int y2, int h, QPoint c1, QPoint c2) {
        QTest::newRow(name) << x1 << y1 << x2 << y2 << h << c1 << c2;
    };

    // Axis-parallel, half-width H div 2.
    row("right H4", 60, 200, 120, 200, 4, {116, 198}, {116, 202});
    row("left H4", 100, 200, 60, 200, 4, {64, 198}, {64, 202});
    row("up H4", 40, 150, 40, 100, 4, {38, 104}, {42, 104});
    row("down H4", 40, 150, 40, 180, 4, {38, 176}, {42, 176});
    row("left H10", 45, 140, 5, 140, 10, {15, 135}, {15, 145});
    row("down odd H5", 10, 10, 10, 40, 5, {8, 35}, {12, 35});
    row("right odd H5", 10, 10, 40, 10, 5, {35, 8}, {35, 12});
    row("up odd H7", 30, 90, 30, 20, 7, {27, 27}, {33, 27});
    // No length at all: the upward rule, head hanging below the point.
    row("zero length H6", 50, 50, 50, 50, 6, {47, 56}, {53, 56});
    row("zero length H5", 20, 30, 20, 30, 5, {18, 35}, {22, 35});

    // Oblique, one per quadrant and the directions where the last bit decides.
    row("45 right-down H12", 155, 65, 175, 85, 12, {169, 75}, {165, 79});
    row("45 left-up H10", 165, 75, 150, 60, 10, {156, 68}, {158, 66});
    row("slope 2 H16", 75, 30, 95, 70, 16, {91, 55}, {85, 57});
    row("slope 0.75 H10", 190, 170, 214, 188, 10, {207, 180}, {205, 184});
    row("slope -4/3 H10", 170, 125, 182, 109, 10, {175, 115}, {177, 117});
    row("45 right-down H10", 0, 0, 30, 30, 10, {24, 22}, {22, 24});

    // Element panel: given stresses.
    row("given E-D normal", 75, 30, 95, 70, 16, {91, 55}, {85, 57});
    row("given E-D shear", 113, 63, 77, 81, 16, {92, 77}, {90, 71});
    row("given B-C normal", 190, 170, 162, 149, 16, {172, 161}, {176, 155});
    row("given B-C shear", 146, 157, 170, 125, 16, {158, 135}, {164, 139});

    // Element panel: the face axis pairs.
    row("C-D y", 165, 75, 150, 60, 10, {156, 68}, {158, 66});
    row("C-D x", 165, 75, 205, 35, 10, {197, 41}, {199, 43});
    row("E-D x", 75, 30, 65, 10, 10, {67, 19}, {71, 17});
    row("E-D y", 77, 81, 57, 91, 10, {66, 89}, {64, 85});
    row("B-C x", 190, 170, 214, 188, 10, {207, 180}, {205, 184});
    row("B-C y", 170, 125, 182, 109, 10, {175, 115}, {177, 117});
    row("A-E x", 45, 140, 5, 140, 10, {15, 135}, {15, 145});
    row("A-E y", 45, 140, 45, 180, 10, {40, 170}, {50, 170});
    row("A-B y", 90, 210, 120, 210, 10, {110, 205}, {110, 215});
    row("A-B x", 90, 210, 90, 240, 10, {85, 230}, {95, 230});

    // Element panel: the final stresses.
    row("final A-E normal", 20, 145, 50, 145, 8, {42, 141}, {42, 149});
    row("final A-E shear", 53, 160, 53, 130, 8, {49, 138}, {57, 138});
    row("final A-B shear", 75, 188, 105, 188, 8, {97, 184}, {97, 192});
    row("final A-B normal", 90, 230, 90, 190, 8, {86, 198}, {94, 198});
    row("final C-D normal", 200, 40, 167, 73, 12, {177, 67}, {173, 63});
    row("final C-D shear", 155, 65, 175, 85, 12, {169, 75}, {165, 79});
}

void TestArrow::headCorners() {
    QFETCH(int, x1);
    QFETCH(int, y1);
    QFETCH(int, x2);
    QFETCH(int, y2);
    QFETCH(int, head);
    QFETCH(QPoint, corner1);
    QFETCH(QPoint, corner2);

    const TArrowHead h = ArrowHeadCorners(x1, y1, x2, y2, head);
    QCOMPARE(h.Tip, QPoint(x2, y2));
    QCOMPARE(h.Corner1, corner1);
    QCOMPARE(h.Corner2, corner2);
}

void TestArrow::penAndBrushAtEachStroke() {
    // The line takes the arrow's pen over the brush found at the call; the head is outlined one
    // pixel thinner and filled solid in the arrow's colour.
    TImageCanvas panel(240, 240);
    TCanvas& c = *panel.Canvas;
    c.Brush.SetColor(colours::Silver);
    c.Brush.SetStyle(BrushStyle::Clear);
    std::vector<TSnapshot> seen;
    Record(c, seen);

    TFigures::DrawArrow(c, 20, 30, 120, 30, colours::Navy, PenStyle::Dash, 8, 3);
    c.Changed = nullptr;

    QVERIFY(seen.size() >= 2);
    const TSnapshot& line = seen[seen.size() - 2];
    QCOMPARE(line.PenPos, QPoint(120, 30));
    QCOMPARE(line.Pen.Style, PenStyle::Dash);
    QCOMPARE(line.Pen.Width, 3);
    QCOMPARE(line.Pen.Color, colours::Navy);
    QCOMPARE(line.Style, BrushStyle::Clear);
    QCOMPARE(line.BrushColour, colours::Silver);

    const TSnapshot& head = seen.back();
    QCOMPARE(head.Pen.Style, PenStyle::Dash);
    QCOMPARE(head.Pen.Width, 2);
    QCOMPARE(head.Pen.Color, colours::Navy);
    QCOMPARE(head.Style, BrushStyle::Solid);
    QCOMPARE(head.BrushColour, colours::Navy);

    // A 1-pixel arrow keeps its width for the head.
    seen.clear();
    Record(c, seen);
    TFigures::DrawArrow(c, 20, 60, 120, 60, colours::Red, PenStyle::Solid, 8, 1);
    c.Changed = nullptr;
    QVERIFY(!seen.empty());
    QCOMPARE(seen.back().Pen.Width, 1);
}

void TestArrow::penKeptBrushSolidAfterwards_data() {
    QTest::addColumn<int>("penStyle");
    QTest::addColumn<int>("penWidth");
    QTest::addColumn<uint>("penColour");
    QTest::addColumn<bool>("brushClear");
    QTest::addColumn<uint>("brushColour");
    QTest::newRow("panel start state")
        << int(PenStyle::Solid) << 1 << uint(colours::Black) << false << uint(colours::White);
    QTest::newRow("clear brush") << int(PenStyle::Dot) << 1 << uint(colours::Silver) << true
                                 << uint(colours::Fuchsia);
    QTest::newRow("wide dashed pen") << int(PenStyle::DashDot) << 3 << uint(colours::Teal) << true
                                     << uint(colours::Gray);
}

void TestArrow::penKeptBrushSolidAfterwards() {
    QFETCH(int, penStyle);
    QFETCH(int, penWidth);
    QFETCH(uint, penColour);
    QFETCH(bool, brushClear);
    QFETCH(uint, brushColour);

    TImageCanvas panel(240, 240);
    TCanvas& c = *panel.Canvas;
    c.Pen.Style = PenStyle(penStyle);
    c.Pen.Width = penWidth;
    c.Pen.Color = penColour;
    c.Brush.SetColor(brushColour);
    if (brushClear)
        c.Brush.SetStyle(BrushStyle::Clear);
    c.Font.Color = colours::Maroon;
    const QString fontName = c.Font.Name;
    const int fontHeight = c.Font.Height;

    TFigures::DrawArrow(c, 30, 40, 90, 120, colours::Navy, PenStyle::Solid, 16, 2);

    QCOMPARE(c.Pen.Style, PenStyle(penStyle));
    QCOMPARE(c.Pen.Width, penWidth);
    QCOMPARE(c.Pen.Color, Colour(penColour));
    QCOMPARE(c.Brush.Style(), BrushStyle::Solid);
    QCOMPARE(c.Brush.Color(), Colour(brushColour));
    QCOMPARE(c.Font.Color, colours::Maroon);
    QCOMPARE(c.Font.Name, fontName);
    QCOMPARE(c.Font.Height, fontHeight);
}

void TestArrow::saveSlotUntouched() {
    TImageCanvas element(240, 240);
    TImageCanvas diagram(400, 400);
    TFigures figures(*element.Canvas, *diagram.Canvas);
    figures.CreateSaveSlot();

    TPen saved;
    saved.Style = PenStyle::Dash;
    saved.Width = 3;
    saved.Color = colours::Green;
    figures.SavePen(saved);
    TBrush savedBrush;
    savedBrush.SetColor(colours::Aqua);
    savedBrush.SetStyle(BrushStyle::Clear);
    figures.SaveBrush(savedBrush);
    const BrushStyle slotStyle = figures.SavedBrush()->Style();

    TCanvas& c = *element.Canvas;
    c.Pen.Color = colours::Red;
    c.Brush.SetColor(colours::Silver);
    TFigures::DrawArrow(c, 200, 40, 167, 73, colours::Navy, PenStyle::Solid, 12, 2);
    TFigures::DrawArrow(c, 20, 145, 50, 145, colours::Navy, PenStyle::Dot, 8, 1);

    QCOMPARE(figures.SavedPen()->Style, PenStyle::Dash);
    QCOMPARE(figures.SavedPen()->Width, 3);
    QCOMPARE(figures.SavedPen()->Color, colours::Green);
    QCOMPARE(figures.SavedBrush()->Style(), slotStyle);
    QCOMPARE(figures.SavedBrush()->Color(), colours::Aqua);
}

void TestArrow::lineAndHeadPixels() {
    // (60, 200) -> (120, 200), H 4: polygon (120, 200), (116, 198), (116, 202).
    TImageCanvas panel(240, 240);
    TFigures::DrawArrow(*panel.Canvas, 60, 200, 120, 200, colours::Red, PenStyle::Solid, 4, 1);
    const QImage& img = panel.Image;

    for (int x = 60; x < 116; x += 5)
        QCOMPARE(PixelAt(img, x, 200), colours::Red);
    QCOMPARE(PixelAt(img, 60, 199), colours::White);
    QCOMPARE(PixelAt(img, 60, 201), colours::White);
    QCOMPARE(PixelAt(img, 59, 200), colours::White);
    // Tip and both corners belong to the head; nothing beyond them.
    QCOMPARE(PixelAt(img, 120, 200), colours::Red);
    QCOMPARE(PixelAt(img, 116, 198), colours::Red);
    QCOMPARE(PixelAt(img, 116, 202), colours::Red);
    QCOMPARE(PixelAt(img, 117, 200), colours::Red);
    QCOMPARE(PixelAt(img, 121, 200), colours::White);
    QCOMPARE(PixelAt(img, 116, 197), colours::White);
    QCOMPARE(PixelAt(img, 116, 203), colours::White);
    QCOMPARE(PixelAt(img, 115, 198), colours::White);

    // An oblique head with the same rules: (170, 125) -> (182, 109), H 10.
    TImageCanvas oblique(240, 240);
    TFigures::DrawArrow(*oblique.Canvas, 170, 125, 182, 109, colours::Fuchsia, PenStyle::Solid, 10, 1);
    QCOMPARE(PixelAt(oblique.Image, 182, 109), colours::Fuchsia);
    QCOMPARE(PixelAt(oblique.Image, 175, 115), colours::Fuchsia);
    QCOMPARE(PixelAt(oblique.Image, 177, 117), colours::Fuchsia);
    QCOMPARE(PixelAt(oblique.Image, 170, 125), colours::Fuchsia);
}

void TestArrow::wideArrowHasThinnerHeadOutline() {
    // Horizontal arrow, H 8: head from x 92 to 100, y 96 to 104.
    TImageCanvas wide(240, 240);
    TImageCanvas thin(240, 240);
    TFigures::DrawArrow(*wide.Canvas, 20, 100, 100, 100, colours::Navy, PenStyle::Solid, 8, 2);
    TFigures::DrawArrow(*thin.Canvas, 20, 100, 100, 100, colours::Navy, PenStyle::Solid, 8, 1);

    for (int x : {30, 50, 70, 85}) {
        QCOMPARE(CountInColumn(wide.Image, x, 90, 110, colours::Navy), 2);
        QCOMPARE(CountInColumn(thin.Image, x, 90, 110, colours::Navy), 1);
    }
    // Away from the line itself the head of the 2-pixel arrow is the head of the 1-pixel arrow:
    // its outline is 1 pixel wide too.
    for (int y = 88; y <= 112; ++y) {
        if (y >= 98 && y <= 102)
            continue;
        for (int x = 86; x <= 106; ++x)
            QVERIFY2(PixelAt(wide.Image, x, y) == PixelAt(thin.Image, x, y),
                     qPrintable(QStringLiteral("pixel (%1, %2)").arg(x).arg(y)));
    }
    QCOMPARE(PixelAt(wide.Image, 92, 96), colours::Navy);
    QCOMPARE(PixelAt(wide.Image, 92, 104), colours::Navy);
    QCOMPARE(PixelAt(wide.Image, 92, 95), colours::White);
    QCOMPARE(PixelAt(wide.Image, 92, 105), colours::White);
    QCOMPARE(PixelAt(wide.Image, 91, 96), colours::White);
}

void TestArrow::dashedArrowGapsFollowBrushFoundAtCall() {
    // On a gray ground: with a solid white brush the gaps of the dashed line turn white, with a
    // clear brush the ground shows through. The head is filled solid either way.
    for (bool clear : {false, true}) {
        TImageCanvas panel(240, 240);
        panel.Image.fill(QColor(0x80, 0x80, 0x80));
        TCanvas& c = *panel.Canvas;
        if (clear)
            c.Brush.SetStyle(BrushStyle::Clear);
        TFigures::DrawArrow(c, 20, 50, 200, 50, colours::Red, PenStyle::Dash, 10, 1);

        int red = 0, gap = 0, other = 0;
        for (int x = 20; x < 190; ++x) {
            const Colour p = PixelAt(panel.Image, x, 50);
            if (p == colours::Red)
                ++red;
            else if (p == (clear ? colours::Gray : colours::White))
                ++gap;
            else
                ++other;
        }
        QVERIFY2(red > 20 && gap > 20 && other == 0, clear ? "clear brush" : "solid brush");
        // The head: tip (200, 50), corners (190, 45) and (190, 55); its inside is red.
        for (QPoint p : {QPoint(195, 50), QPoint(193, 49), QPoint(193, 51), QPoint(191, 47), QPoint(191, 53)})
            QCOMPARE(PixelAt(panel.Image, p.x(), p.y()), colours::Red);
        // Beside the line the ground is untouched.
        QCOMPARE(PixelAt(panel.Image, 100, 47), colours::Gray);
    }
}

void TestArrow::headOutsidePanelIsClipped() {
    TImageCanvas panel(240, 240);
    TFigures::DrawArrow(*panel.Canvas, 90, 210, 90, 240, colours::Aqua, PenStyle::Solid, 10, 1);
    TFigures::DrawArrow(*panel.Canvas, 230, 20, 260, 20, colours::Red, PenStyle::Solid, 10, 2);
    TFigures::DrawArrow(*panel.Canvas, 10, 10, -20, -30, colours::Green, PenStyle::Solid, 12, 1);
    QCOMPARE(panel.Image.size(), QSize(240, 240));
    QCOMPARE(PixelAt(panel.Image, 90, 220), colours::Aqua);
    QCOMPARE(PixelAt(panel.Image, 90, 239), colours::Aqua);
    QCOMPARE(PixelAt(panel.Image, 90, 235), colours::Aqua);
    QCOMPARE(PixelAt(panel.Image, 239, 20), colours::Red);
    QCOMPARE(PixelAt(panel.Image, 10, 10), colours::Green);
}

QTEST_MAIN(TestArrow)
#include "tst_fig_arrow.moc"
