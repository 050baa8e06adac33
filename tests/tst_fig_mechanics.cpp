// The mechanics behind the fixed diagram: the plane stress state is solved from the two loaded faces
// of the sample with the transformation formulas alone, and every point the diagram shows must
// follow from it, both as the pixel of the coordinate convention and as drawn on a rendered panel.

#include "figures/figures.h"
#include "testsupport.h"

#include <QTest>

#include <array>
#include <cmath>
#include <numbers>

using namespace mohr;
using mohr::test::PixelAt;
using mohr::test::TImageCanvas;

namespace {

struct Vec {
    double x = 0, y = 0;
};
Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y};
}
Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y};
}
Vec operator*(double k, Vec a) {
    return {k * a.x, k * a.y};
}
double Dot(Vec a, Vec b) {
    return a.x * b.x + a.y * b.y;
}
double Length(Vec a) {
    return std::sqrt(Dot(a, a));
}

// The sample's corners in element-panel pixels (y down), in their order around the outline.
const std::array<Vec, 5> Corners{{{60, 180}, {120, 180}, {180, 100}, {140, 60}, {60, 100}}};
enum Corner { A, B, C, D, E };

// The outward unit normal of the side between two corners, in mathematical axes (y up).
Vec OutwardNormal(Corner from, Corner to) {
    // Signed area in y-up axes tells the sense in which the outline runs.
    double area = 0;
    for (std::size_t i = 0; i < Corners.size(); ++i) {
        const Vec p = Corners[i], q = Corners[(i + 1) % Corners.size()];
        area += p.x * (-q.y) - q.x * (-p.y);
    }
    const Vec p{Corners[from].x, -Corners[from].y}, q{Corners[to].x, -Corners[to].y};
    const Vec d = q - p;
    Vec n = area > 0 ? Vec{d.y, -d.x} : Vec{-d.y, d.x};
    // Walking the side against the outline's sense flips the rotation above.
    const int i = from, j = to;
    if ((i + 1) % 5 != j)
        n = -1.0 * n;
    return (1.0 / Length(n)) * n;
}

struct StressState {
    double sx, sy, txy;
};

// Normal and shear stress on a face whose x axis (the outward normal) makes angle t with global x;
// its y axis is the normal turned a quarter turn anticlockwise.
struct FaceStress {
    double normal, shear;
};
std::array<double, 3> NormalRow(Vec n) {
    return {n.x * n.x, n.y * n.y, 2 * n.x * n.y};
}
std::array<double, 3> ShearRow(Vec n) {
    return {-n.x * n.y, n.x * n.y, n.x * n.x - n.y * n.y};
}
FaceStress OnFace(const StressState& s, Vec n) {
    const auto r = NormalRow(n), q = ShearRow(n);
    return {r[0] * s.sx + r[1] * s.sy + r[2] * s.txy, q[0] * s.sx + q[1] * s.sy + q[2] * s.txy};
}

double Det3(const std::array<std::array<double, 3>, 3>& m) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// Four equations (two per known face) for three unknowns: solved in the least-squares sense, so the
// residual shows whether the given loads are consistent at all.
StressState SolveFromKnownFaces() {
    struct Known {
        Vec n;
        double normal, shear;
    };
    const std::array<Known, 2> known{{{OutwardNormal(E, D), -70, 50}, {OutwardNormal(B, C), -30, 30}}};
    std::array<std::array<double, 3>, 4> a{};
    std::array<double, 4> b{};
    for (int k = 0; k < 2; ++k) {
        a[2 * k] = NormalRow(known[k].n);
        b[2 * k] = known[k].normal;
        a[2 * k + 1] = ShearRow(known[k].n);
        b[2 * k + 1] = known[k].shear;
    }
    std::array<std::array<double, 3>, 3> m{};
    std::array<double, 3> v{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            for (int r = 0; r < 4; ++r)
                m[i][j] += a[r][i] * a[r][j];
        for (int r = 0; r < 4; ++r)
            v[i] += a[r][i] * b[r];
    }
    const double det = Det3(m);
    std::array<double, 3> x{};
    for (int k = 0; k < 3; ++k) {
        auto mk = m;
        for (int i = 0; i < 3; ++i)
            mk[i][k] = v[i];
        x[k] = Det3(mk) / det;
    }
    return {x[0], x[1], x[2]};
}

// Mohr's plane as the diagram draws it: normal stress to the right, Sxy downward, which is the
// screen's own sense, so a face's normal drawn on the sample points the same way in the diagram.
Vec ScreenDirection(Vec n) {
    return {n.x, -n.y};
}

// The second crossing of the line through a point on the circle, in a given direction.
Vec SecondCrossing(Vec onCircle, Vec direction, Vec centre) {
    const double t = -2 * Dot(onCircle - centre, direction) / Dot(direction, direction);
    return onCircle + t * direction;
}

QPoint Pixel(Vec stress) {
    return StressPixel(static_cast<int>(std::lround(stress.x)), static_cast<int>(std::lround(stress.y)));
}

constexpr double Eps = 1e-9;

bool Near(double a, double b) {
    return std::abs(a - b) < Eps;
}

struct Panels : mohr::test::TFigurePanels {
    explicit Panels(bool axes = true) {
        if (axes)
            figures.DrawDiagramAxes(1); // leaves the navy pen every dot is rimmed with
    }
};

// A filled dot of radius 3 centred exactly on p: its fill in the middle, its rim three pixels out on
// all four sides and nothing five pixels out.
void VerifyDot(const Panels& panels, QPoint p, Colour fill, Colour rim) {
    QCOMPARE(panels.At(p), fill);
    for (const QPoint d : {QPoint(3, 0), QPoint(-3, 0), QPoint(0, 3), QPoint(0, -3)})
        QCOMPARE(panels.At(p + d), rim);
    for (const QPoint d : {QPoint(5, 0), QPoint(-5, 0), QPoint(0, 5), QPoint(0, -5)})
        QVERIFY(panels.At(p + d) != fill);
}

} // namespace

class TestMechanics : public QObject {
    Q_OBJECT

    StressState state_{};
    Vec centre_;
    double radius_ = 0;

private slots:
    void initTestCase() {
        state_ = SolveFromKnownFaces();
        centre_ = {(state_.sx + state_.sy) / 2, 0};
        radius_ = std::hypot((state_.sx - state_.sy) / 2, state_.txy);
    }

    void knownFacesAreReproduced() {
        // The two loaded faces over-determine the state; the solution must meet all four values.
        const FaceStress ed = OnFace(state_, OutwardNormal(E, D));
        const FaceStress bc = OnFace(state_, OutwardNormal(B, C));
        QVERIFY(Near(ed.normal, -70));
        QVERIFY(Near(ed.shear, 50));
        QVERIFY(Near(bc.normal, -30));
        QVERIFY(Near(bc.shear, 30));
        // Outward means away from the sample: E-D faces up and left, B-C down and right.
        const Vec ed_n = OutwardNormal(E, D), bc_n = OutwardNormal(B, C);
        QVERIFY(ed_n.x < 0 && ed_n.y > 0);
        QVERIFY(bc_n.x > 0 && bc_n.y < 0);
    }

    void circleCentreRadiusAndPrincipalStresses() {
        QVERIFY(Near(centre_.x, -70));
        QVERIFY(Near(radius_, 50));
        QVERIFY(Near(centre_.x + radius_, -20));
        QVERIFY(Near(centre_.x - radius_, -120));
        // Both known stress points lie on the circle.
        QVERIFY(Near(Length(Vec{-70, 50} - centre_), radius_));
        QVERIFY(Near(Length(Vec{-30, 30} - centre_), radius_));
        QCOMPARE(Pixel(centre_), QPoint(200, 200));
        QCOMPARE(Pixel({centre_.x + radius_, 0}), QPoint(300, 200));
        QCOMPARE(Pixel({centre_.x - radius_, 0}), QPoint(100, 200));
        QCOMPARE(Pixel({-70, 50}), QPoint(200, 300));
        QCOMPARE(Pixel({-30, 30}), QPoint(280, 260));
        QCOMPARE(static_cast<int>(std::lround(radius_)) * TDiagramScale::PixelsPerMPa, 100);
    }

    void directionCentreFromBothNormals() {
        const Vec fromED = SecondCrossing({-70, 50}, ScreenDirection(OutwardNormal(E, D)), centre_);
        const Vec fromBC = SecondCrossing({-30, 30}, ScreenDirection(OutwardNormal(B, C)), centre_);
        QVERIFY(Near(fromED.x, -110) && Near(fromED.y, -30));
        QVERIFY(Near(fromBC.x, -110) && Near(fromBC.y, -30));
        QCOMPARE(Pixel(fromED), QPoint(120, 140));
    }

    void remainingFaces_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<double>("normal");
        QTest::addColumn<double>("shear");
        QTest::addColumn<QPoint>("pixel");
        QTest::newRow("A-E") << int(A) << int(E) << -30.0 << -30.0 << QPoint(280, 140);
        QTest::newRow("A-B") << int(A) << int(B) << -110.0 << 30.0 << QPoint(120, 260);
        QTest::newRow("C-D") << int(C) << int(D) << -100.0 << -40.0 << QPoint(140, 120);
    }
    void remainingFaces() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(double, normal);
        QFETCH(double, shear);
        QFETCH(QPoint, pixel);
        const Vec n = OutwardNormal(Corner(from), Corner(to));
        const FaceStress s = OnFace(state_, n);
        QVERIFY(Near(s.normal, normal));
        QVERIFY(Near(s.shear, shear));
        // The graphical route gives the same point: from the direction centre along the face's normal.
        const Vec viaPole = SecondCrossing({-110, -30}, ScreenDirection(n), centre_);
        QVERIFY(Near(viaPole.x, normal) && Near(viaPole.y, shear));
        QCOMPARE(Pixel({s.normal, s.shear}), pixel);
    }

    // The rendered figures put their dots where the mechanics says.
    void renderedPointsMatchTheMechanics() {
        const QPoint ed = Pixel({-70, 50}), bc = Pixel({-30, 30});
        const QPoint m = Pixel(centre_);
        const QPoint p1 = Pixel({centre_.x + radius_, 0}), p2 = Pixel({centre_.x - radius_, 0});
        const QPoint pole = Pixel(SecondCrossing({-70, 50}, ScreenDirection(OutwardNormal(E, D)), centre_));
        {
            Panels p;
            p.figures.DrawPointED();
            p.figures.DrawPointBC();
            VerifyDot(p, ed, colours::Green, colours::Navy);
            VerifyDot(p, bc, colours::Green, colours::Navy);
        }
        {
            Panels p;
            p.figures.DrawCentreConstruction();
            VerifyDot(p, m, colours::Red, colours::Black);
        }
        {
            Panels p(false); // the horizontal axis would hide the white around these dots
            p.figures.DrawPrincipalStresses();
            // Navy dots inside navy rings: filled to the rim, white between rim and ring, white
            // beyond the ring.
            for (const QPoint c : {p1, p2}) {
                QCOMPARE(p.At(c), colours::Navy);
                for (const QPoint d : {QPoint(1, 0), QPoint(0, 1), QPoint(-1, 0), QPoint(0, -1)}) {
                    QCOMPARE(p.At(c + 2 * d), colours::Navy);
                    QCOMPARE(p.At(c + 6 * d), colours::Navy);
                    QCOMPARE(p.At(c + 9 * d), colours::White);
                }
            }
        }
        {
            Panels p;
            p.figures.DrawNormalLineED();
            QCOMPARE(p.At(pole), colours::Green);
        }
        {
            Panels p;
            p.figures.DrawFacePoint(QStringLiteral("AE"));
            p.figures.DrawFacePoint(QStringLiteral("AB"));
            p.figures.DrawFacePoint(QStringLiteral("CD"));
            VerifyDot(p, Pixel({-30, -30}), colours::Green, colours::Navy);
            VerifyDot(p, Pixel({-110, 30}), colours::Green, colours::Navy);
            VerifyDot(p, Pixel({-100, -40}), colours::Green, colours::Navy);
        }
        {
            // The circle is drawn on the radius the mechanics gives: red within a pixel of every point
            // on it, nothing red ten pixels inside or outside.
            Panels p(false);
            p.figures.DrawCircle();
            const double r = radius_ * TDiagramScale::PixelsPerMPa;
            for (const QPoint q : {ed, bc, pole, p1, p2}) {
                bool red = false;
                for (int dx = -1; dx <= 1; ++dx)
                    for (int dy = -1; dy <= 1; ++dy)
                        red = red || p.At(q + QPoint(dx, dy)) == colours::Red;
                QVERIFY2(red, qPrintable(QStringLiteral("no circle at %1,%2").arg(q.x()).arg(q.y())));
            }
            for (int deg = 0; deg < 360; deg += 15) {
                const double a = deg * std::numbers::pi / 180;
                for (const double rr : {r - 10, r + 10}) {
                    const QPoint q(m.x() + static_cast<int>(std::lround(rr * std::cos(a))),
                                   m.y() + static_cast<int>(std::lround(rr * std::sin(a))));
                    QCOMPARE(p.At(q), colours::White);
                }
            }
        }
    }
};

QTEST_MAIN(TestMechanics)
#include "tst_fig_mechanics.moc"
