// Rendered facts of the diagram panel: axes and their labels, the grid, the circle construction and
// how the panel's replay brings them back.

#include "figures/figures.h"
#include "testsupport.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <vector>

using namespace mohr;
using mohr::test::PixelAt;
using mohr::test::TImageCanvas;

namespace {

// Stress points of the exercise, as pixels of the diagram.
const QPoint ED(200, 300), BC(280, 260), M(200, 200), P1(300, 200), P2(100, 200), DC(120, 140);

void UseFonts(const QStringList& families) {
    SetFontFamilyProvider([families] { return families; });
}
const QStringList WithSymbol{QStringLiteral("DejaVu Sans"), QStringLiteral("Symbol")};
const QStringList WithoutSymbol{QStringLiteral("DejaVu Sans"), QStringLiteral("Symbolic")};

struct Panels : mohr::test::TFigurePanels {
    // The diagram's frame as the walkthrough draws it before the construction begins.
    void Frame() {
        figures.DrawDiagramAxes(1);
        figures.DrawDiagramAxes(2);
        figures.DrawDiagramAxes(2);
        figures.DrawAxisDefinition();
        figures.DrawDiagramAxes(3);
        figures.DrawDiagramGrid();
    }
};

bool Any(const QImage& image, const QRect& r, const std::function<bool(Colour)>& pred) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (pred(PixelAt(image, x, y)))
                return true;
    return false;
}
bool AnyNotWhite(const QImage& image, const QRect& r) {
    return Any(image, r, [](Colour c) { return c != colours::White; });
}
bool AnyOf(const QImage& image, const QRect& r, Colour colour) {
    return Any(image, r, [colour](Colour c) { return c == colour; });
}
bool NearPixel(const QImage& image, QPoint p, Colour colour) {
    return AnyOf(image, QRect(p - QPoint(1, 1), QSize(3, 3)), colour);
}

// The colours met along a 1-pixel line drawn over a grey background, one pixel per step of its
// major axis over [from, to] of that axis. An empty list means the line went missing somewhere.
std::vector<Colour> Trace(const QImage& image, QPoint a, QPoint b, int from, int to, Colour background) {
    std::vector<Colour> seen;
    const bool steep = std::abs(b.y() - a.y()) > std::abs(b.x() - a.x());
    for (int major = from; major <= to; ++major) {
        const double t =
            steep ? double(major - a.y()) / (b.y() - a.y()) : double(major - a.x()) / (b.x() - a.x());
        const int minor =
            static_cast<int>(std::lround(steep ? a.x() + t * (b.x() - a.x()) : a.y() + t * (b.y() - a.y())));
        bool found = false;
        for (const int d : {0, -1, 1}) {
            const Colour c = steep ? PixelAt(image, minor + d, major) : PixelAt(image, major, minor + d);
            if (c != background) {
                seen.push_back(c);
                found = true;
                break;
            }
        }
        if (!found)
            return {};
    }
    return seen;
}

// Lengths of the inner runs of one colour (the runs cut by either end are left out).
std::vector<int> InnerRuns(const std::vector<Colour>& seen, Colour colour) {
    std::vector<int> runs;
    int run = 0;
    for (const Colour c : seen) {
        if (c == colour) {
            ++run;
        } else if (run > 0) {
            runs.push_back(run);
            run = 0;
        }
    }
    if (!runs.empty() && !seen.empty() && seen.front() == colour)
        runs.erase(runs.begin());
    return runs;
}

enum class Pattern { DashDot, Dash };

// A styled line whose gaps are white: only ink and white on the grey, and the ink's runs long and
// short (dash-dot) or all of one length (dashed).
void VerifyStyled(const std::vector<Colour>& seen, Colour ink, Pattern pattern) {
    QVERIFY2(!seen.empty(), "line missing");
    for (const Colour c : seen)
        QVERIFY2(c == ink || c == colours::White, qPrintable(QString::number(c, 16)));
    QVERIFY(std::count(seen.begin(), seen.end(), colours::White) > 0);
    const std::vector<int> runs = InnerRuns(seen, ink);
    QVERIFY(runs.size() >= 2);
    const auto [lo, hi] = std::minmax_element(runs.begin(), runs.end());
    if (pattern == Pattern::DashDot)
        QVERIFY(*hi >= 2 * *lo);
    else
        QVERIFY(*hi - *lo <= 1);
}

constexpr Colour Grey = 0x808080;

} // namespace

class TestDiagram : public QObject {
    Q_OBJECT

private slots:
    void init() { UseFonts(WithoutSymbol); }
    void cleanup() { SetFontFamilyProvider({}); }

    void axisKindsDrawTheirOwnParts() {
        Panels p;
        p.figures.DrawDiagramAxes(1);
        QCOMPARE(p.figures.FigureLayers, TFigureLayers{});
        QCOMPARE(p.Canvas().Pen.Color, colours::Navy);
        QCOMPARE(p.Canvas().Pen.Width, 1);
        QCOMPARE(p.At(100, 200), colours::Navy);
        QCOMPARE(p.At(340, 100), colours::Navy);
        QCOMPARE(p.At(340, 300), colours::Navy);
        QCOMPARE(p.At(376, 200), colours::White); // the arrow's head is kind 2
        QCOMPARE(p.At(340, 22), colours::White);  // the shear arrows are kind 3
        QVERIFY(!AnyNotWhite(p.Image(), QRect(376, 183, 24, 40)));

        p.figures.DrawDiagramAxes(2);
        QCOMPARE(p.figures.FigureLayers, TFigureLayers{});
        QCOMPARE(p.At(376, 200), colours::Navy);
        QVERIFY(AnyNotWhite(p.Image(), QRect(376, 183, 24, 12))); // "Sxx" above the axis
        QVERIFY(AnyNotWhite(p.Image(), QRect(376, 205, 24, 12))); // "Syy" below it
        QCOMPARE(p.At(340, 22), colours::White);

        p.figures.DrawDiagramAxes(3);
        TFigureLayers expected;
        expected.DiagramAxes = true;
        QCOMPARE(p.figures.FigureLayers, expected);
        QCOMPARE(p.At(340, 22), colours::Navy);
        QCOMPARE(p.At(340, 378), colours::Navy);
        QVERIFY(AnyNotWhite(p.Image(), QRect(345, 382, 30, 12))); // "Sxy"
        QVERIFY(AnyNotWhite(p.Image(), QRect(345, 18, 30, 12)));  // "Syx"
        // Every kind leaves the brush clear in its own colour; the font is as it was.
        QCOMPARE(p.Canvas().Brush.Style(), BrushStyle::Clear);
        QCOMPARE(p.Canvas().Brush.Color(), colours::White);
        QCOMPARE(p.Canvas().Font.Name, TCanvasFont{}.Name);
        QCOMPARE(p.Canvas().Font.Height, TCanvasFont{}.Height);
    }

    void unknownKindDrawsNothing_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("symbol");
        for (const int kind : {0, 4, -1})
            for (const bool symbol : {false, true})
                QTest::addRow("kind %d %s", kind, symbol ? "sigma" : "plain") << kind << symbol;
    }
    void unknownKindDrawsNothing() {
        QFETCH(int, kind);
        QFETCH(bool, symbol);
        UseFonts(symbol ? WithSymbol : WithoutSymbol);
        Panels p;
        const QImage before = p.Image().copy();
        p.figures.DrawDiagramAxes(kind);
        QCOMPARE(p.Image(), before);
        QCOMPARE(p.figures.FigureLayers, TFigureLayers{});
        QCOMPARE(p.Canvas().Brush.Style(), BrushStyle::Clear);
        QCOMPARE(p.Canvas().Pen.Color, colours::Black);
        QCOMPARE(p.Canvas().Font.Height, TCanvasFont{}.Height);
    }

    void sameKindTwiceAddsNothing() {
        for (const bool symbol : {false, true}) {
            UseFonts(symbol ? WithSymbol : WithoutSymbol);
            for (int kind = 1; kind <= 3; ++kind) {
                Panels once, twice;
                once.figures.DrawDiagramAxes(kind);
                twice.figures.DrawDiagramAxes(kind);
                twice.figures.DrawDiagramAxes(kind);
                QCOMPARE(twice.Image(), once.Image());
            }
        }
    }

    // Sigma form and plain form come from the font list alone, at their own positions.
    void labelFormsFollowTheFontList() {
        UseFonts(WithSymbol);
        Panels sigma;
        sigma.figures.DrawDiagramAxes(2);
        sigma.figures.DrawDiagramAxes(3);
        sigma.figures.DrawPrincipalStresses();
        const TCanvasFont after = sigma.Canvas().Font;
        UseFonts(WithoutSymbol);
        Panels plain;
        plain.figures.DrawDiagramAxes(2);
        plain.figures.DrawDiagramAxes(3);
        plain.figures.DrawPrincipalStresses();

        // The panel font is back after the larger sigma font.
        QCOMPARE(after.Name, TCanvasFont{}.Name);
        QCOMPARE(after.Height, TCanvasFont{}.Height);

        QVERIFY(sigma.Image().copy(376, 178, 24, 40) != plain.Image().copy(376, 178, 24, 40));
        // The upper shear label: a sigma at (345, 7) ahead of "yx" at (355, 10); plain "Syx" not
        // before y = 18.
        QVERIFY(AnyNotWhite(sigma.Image(), QRect(345, 0, 10, 18)));
        QVERIFY(AnyNotWhite(sigma.Image(), QRect(355, 10, 15, 10)));
        QVERIFY(!AnyNotWhite(plain.Image(), QRect(345, 0, 40, 18)));
        // The principal stresses' sigmas at (303, 178) and (78, 178), above and left of their
        // subscripts; the plain labels start lower down.
        QVERIFY(AnyNotWhite(sigma.Image(), QRect(300, 170, 10, 18)));
        QVERIFY(AnyNotWhite(sigma.Image(), QRect(75, 170, 10, 18)));
        QVERIFY(!AnyNotWhite(plain.Image(), QRect(300, 170, 10, 18)));
        QVERIFY(!AnyNotWhite(plain.Image(), QRect(75, 170, 10, 18)));
        QVERIFY(AnyNotWhite(plain.Image(), QRect(345, 18, 35, 12)));
        // Principal values "-20" and "-120" are written in the sigma form only.
        QVERIFY(AnyNotWhite(sigma.Image(), QRect(305, 210, 20, 12)));
        QVERIFY(AnyNotWhite(sigma.Image(), QRect(75, 210, 25, 12)));
        QVERIFY(!AnyNotWhite(plain.Image(), QRect(300, 208, 30, 14)));
        QVERIFY(!AnyNotWhite(plain.Image(), QRect(70, 208, 30, 14)));
        QVERIFY(AnyNotWhite(plain.Image(), QRect(310, 190, 15, 10))); // "S1"
        QVERIFY(AnyNotWhite(plain.Image(), QRect(80, 190, 15, 10)));  // "S2"
    }

    void replayNeedsTheVerticalAxis() {
        Panels p;
        p.figures.DrawDiagramAxes(1);
        p.figures.DrawDiagramAxes(2);
        p.Repaint();
        QCOMPARE(p.At(100, 200), colours::White);
        QCOMPARE(p.At(376, 200), colours::White);
        QVERIFY(!AnyNotWhite(p.Image(), p.Image().rect()));

        p.figures.DrawDiagramAxes(3);
        p.Repaint();
        QCOMPARE(p.At(100, 200), colours::Navy);
        QCOMPARE(p.At(376, 200), colours::Navy);
        QCOMPARE(p.At(340, 22), colours::Navy);
        QCOMPARE(p.At(340, 378), colours::Navy);
        QVERIFY(AnyNotWhite(p.Image(), QRect(376, 183, 24, 12)));
    }

    void gridLiesOverTheAxesWithClearGaps() {
        Panels p;
        p.Frame();
        const QImage walked = p.Image().copy();
        p.Repaint();
        for (const QImage& image : {walked, p.Image()}) {
            // Along the horizontal axis: silver dots with the navy axis showing through the gaps.
            std::set<Colour> onAxis;
            for (int x = 22; x <= 330; ++x)
                onAxis.insert(PixelAt(image, x, 200));
            QCOMPARE(onAxis, (std::set<Colour>{colours::Navy, colours::Silver}));
            std::set<Colour> onVertical;
            for (int y = 60; y <= 180; ++y)
                onVertical.insert(PixelAt(image, 340, y));
            QCOMPARE(onVertical, (std::set<Colour>{colours::Navy, colours::Silver}));
            // Away from the axes, silver on white: the gaps are not painted.
            std::set<Colour> onRow;
            for (int x = 0; x < 400; ++x)
                onRow.insert(PixelAt(image, x, 60));
            QVERIFY(onRow.count(colours::Silver) && onRow.count(colours::White));
            QVERIFY(onRow.size() <= 3); // silver, white and the navy axis crossing
            // Nineteen lines each way, every 20 pixels from 20 to 380.
            for (int a = 1; a < 400; ++a) {
                const bool line = a % 20 == 0 && a >= 20 && a <= 380;
                const int between = 41 + 20 * ((a / 20) % 2); // a grid cell that holds no axis or label
                QCOMPARE(AnyOf(image, QRect(between, a, 18, 1), colours::Silver), line);
                QCOMPARE(AnyOf(image, QRect(a, between, 1, 18), colours::Silver), line);
            }
        }
    }

    void pointDotsAndTheirRims() {
        Panels p;
        p.Frame();
        p.figures.DrawPointED();
        p.figures.DrawPointBC();
        p.figures.DrawCentreConstruction();
        for (int pass = 0; pass < 2; ++pass) {
            // The chord of the construction starts on the points' centres; beside it they are green.
            for (const QPoint c : {ED, BC}) {
                QCOMPARE(p.At(c + QPoint(1, 1)), colours::Green);
                QCOMPARE(p.At(c + QPoint(-3, 0)), colours::Navy);
                QCOMPARE(p.At(c + QPoint(0, 3)), colours::Navy);
            }
            QCOMPARE(p.At(M), colours::Red);
            QCOMPARE(p.At(M + QPoint(-3, 0)), colours::Black);
            QCOMPARE(p.At(M + QPoint(3, 0)), colours::Black);
            QVERIFY(AnyNotWhite(p.Image(), QRect(190, 308, 50, 10))); // "(-70; +50)"
            QVERIFY(AnyNotWhite(p.Image(), QRect(270, 268, 50, 10))); // "(-30; +30)"
            p.Repaint();
        }
    }

    void constructionLinesAreDashDotWithWhiteGaps() {
        Panels p;
        p.diagram.Image.fill(QColor(0x80, 0x80, 0x80));
        p.figures.DrawCentreConstruction();
        // The bisector below the centre dot and above the right-angle mark.
        VerifyStyled(Trace(p.Image(), QPoint(190, 180), QPoint(250, 300), 206, 265, Grey), colours::Navy,
                     Pattern::DashDot);
        // Each normal line on a panel of its own: the one of B-C crosses the centre dot.
        Panels bc, ed;
        bc.diagram.Image.fill(QColor(0x80, 0x80, 0x80));
        ed.diagram.Image.fill(QColor(0x80, 0x80, 0x80));
        bc.figures.DrawNormalLineBC();
        VerifyStyled(Trace(bc.Image(), BC, DC, 122, 276, Grey), colours::Green, Pattern::DashDot);
        ed.figures.DrawNormalLineED();
        VerifyStyled(Trace(ed.Image(), ED, DC, 150, 296, Grey), colours::Green, Pattern::DashDot);
    }

    void principalDirectionsAreDashed() {
        Panels p;
        p.diagram.Image.fill(QColor(0x80, 0x80, 0x80));
        p.figures.DrawPrincipalDirections();
        // Direction 1 from the direction centre to (360, 220), short of its head.
        VerifyStyled(Trace(p.Image(), DC, QPoint(360, 220), 124, 340, Grey), colours::Navy, Pattern::Dash);
        // Direction 2 from (100, 200) up through the direction centre to (150, 50), beyond the centre.
        VerifyStyled(Trace(p.Image(), P2, QPoint(150, 50), 66, 132, Grey), colours::Navy, Pattern::Dash);
        // Both pass through the direction centre, with solid heads at their tips.
        QVERIFY(NearPixel(p.Image(), DC, colours::Navy));
        QCOMPARE(p.At(357, 219), colours::Navy);
        QCOMPARE(p.At(149, 53), colours::Navy);
    }

    void circleGoesThroughEveryPointAndIsHollow() {
        Panels p;
        p.figures.DrawDiagramAxes(1);
        p.figures.DrawPointED();
        p.figures.DrawCentreConstruction();
        p.figures.DrawCircle();
        for (const QPoint q : {ED, BC, DC, P1, P2})
            QVERIFY2(NearPixel(p.Image(), q, colours::Red),
                     qPrintable(QStringLiteral("%1,%2").arg(q.x()).arg(q.y())));
        // No fill: the dots inside and on it keep their colours and rims.
        QCOMPARE(p.At(M), colours::Red);
        QCOMPARE(p.At(M + QPoint(-3, 0)), colours::Black);
        QCOMPARE(p.At(150, 150), colours::White);
        QCOMPARE(p.At(200, 90), colours::White);
        QCOMPARE(p.At(200, 110), colours::White);
    }

    void normalLinesMeetAtTheDirectionCentre() {
        for (const bool fromED : {false, true}) {
            Panels p;
            fromED ? p.figures.DrawNormalLineED() : p.figures.DrawNormalLineBC();
            const QPoint start = fromED ? ED : BC;
            // Every green pixel away from the marked centre lies on the segment from the stress point
            // to the direction centre, and the ink reaches the centre.
            const double dx = DC.x() - start.x(), dy = DC.y() - start.y(), len = std::hypot(dx, dy);
            double nearest = 1e9;
            int count = 0;
            for (int y = 0; y < 400; ++y)
                for (int x = 0; x < 400; ++x) {
                    if (p.At(x, y) != colours::Green)
                        continue;
                    const double toCentre = std::hypot(x - DC.x(), y - DC.y());
                    if (fromED && toCentre <= 8)
                        continue; // the dot and its ring
                    ++count;
                    nearest = std::min(nearest, toCentre);
                    const double across = std::abs((x - start.x()) * dy - (y - start.y()) * dx) / len;
                    const double along = ((x - start.x()) * dx + (y - start.y()) * dy) / (len * len);
                    QVERIFY(across <= 1.0);
                    QVERIFY(along >= -0.01 && along <= 1.0);
                }
            QVERIFY(count > 50);
            QVERIFY(nearest <= (fromED ? 15 : 8));
        }
        // The direction centre: green dot, ring, label.
        Panels p;
        p.figures.DrawNormalLineED();
        QCOMPARE(p.At(DC), colours::Green);
        QCOMPARE(p.At(DC + QPoint(6, 0)), colours::Green);
        QCOMPARE(p.At(DC + QPoint(-6, 0)), colours::Green);
        QCOMPARE(p.At(DC + QPoint(0, 4)), colours::White);
        QVERIFY(AnyNotWhite(p.Image(), QRect(98, 120, 20, 10)));
    }

    void directionCentreLabelFollowsTheLanguage() {
        Panels dutch, english, replayed;
        dutch.figures.DrawNormalLineED();
        english.figures.EnglishMode = 1;
        english.figures.DrawNormalLineED();
        const QRect label(95, 118, 30, 14);
        QVERIFY(dutch.Image().copy(label) != english.Image().copy(label));
        // A replay picks the label of the language at that moment.
        replayed.figures.DrawNormalLineED();
        replayed.figures.EnglishMode = 1;
        replayed.Repaint();
        QCOMPARE(replayed.Image(), english.Image());
    }

    void eachLayerReplaysByItsOwnField() {
        Panels p;
        p.figures.FigureLayers.PointED = true;
        p.Repaint();
        QCOMPARE(p.At(ED), colours::Green);
        QCOMPARE(p.At(BC), colours::White);
        QVERIFY(!AnyNotWhite(p.Image(), QRect(0, 0, 400, 290)));

        Panels q;
        q.figures.FigureLayers.NormalLineBC = true;
        q.Repaint();
        QVERIFY(NearPixel(q.Image(), QPoint(200, 200), colours::Green));
        QCOMPARE(q.At(BC + QPoint(0, 3)), colours::White); // no dot where the line starts
        QCOMPARE(q.At(DC), colours::White);
        QVERIFY(!AnyNotWhite(q.Image(), QRect(0, 262, 400, 138)));
    }

    // Each construction operation hands back the pen it found and a solid brush of the colour found.
    void operationsHandBackThePenAndBrush() {
        const std::vector<std::function<void(TFigures&)>> operations{
            [](TFigures& f) { f.DrawPointED(); },
            [](TFigures& f) { f.DrawPointBC(); },
            [](TFigures& f) { f.DrawCentreConstruction(); },
            [](TFigures& f) { f.DrawCircle(); },
            [](TFigures& f) { f.DrawNormalLineBC(); },
            [](TFigures& f) { f.DrawNormalLineED(); },
            [](TFigures& f) { f.DrawPrincipalStresses(); },
            [](TFigures& f) { f.DrawPrincipalDirections(); },
            [](TFigures& f) { f.DrawAxisDefinition(); },
        };
        for (const auto& op : operations) {
            Panels p;
            p.Canvas().Pen = TPen{PenStyle::Dot, 1, colours::Maroon};
            p.Canvas().Brush.SetColor(colours::Fuchsia);
            p.Canvas().Brush.SetStyle(BrushStyle::Clear);
            op(p.figures);
            QCOMPARE(p.Canvas().Pen.Style, PenStyle::Dot);
            QCOMPARE(p.Canvas().Pen.Width, 1);
            QCOMPARE(p.Canvas().Pen.Color, colours::Maroon);
            QCOMPARE(p.Canvas().Brush.Style(), BrushStyle::Solid);
            QCOMPARE(p.Canvas().Brush.Color(), colours::Fuchsia);
            QCOMPARE(p.Canvas().Font.Height, TCanvasFont{}.Height);
        }
        // The grid hands back the pen and leaves the brush alone.
        Panels p;
        p.Canvas().Brush.SetStyle(BrushStyle::Clear);
        p.figures.DrawDiagramGrid();
        QCOMPARE(p.Canvas().Pen.Color, colours::Black);
        QCOMPARE(p.Canvas().Pen.Style, PenStyle::Solid);
        QCOMPARE(p.Canvas().Brush.Style(), BrushStyle::Clear);
        QVERIFY(p.figures.FigureLayers.DiagramGrid);
    }
};

QTEST_MAIN(TestDiagram)
#include "tst_fig_diagram.moc"
