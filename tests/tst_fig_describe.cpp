// The panels' descriptions in words: one sentence per figure layer that is set, in replay order, in the
// interface language, with numbers that agree with where the figures stand on the diagram.

#include "figures/describe.h"
#include "figures/figures.h"
#include "testsupport.h"

#include <QRegularExpression>
#include <QTest>

#include <cmath>

using namespace mohr;
using mohr::test::TImageCanvas;

namespace {

// A layer record with exactly the given fields set.
TFigureLayers Only(std::initializer_list<bool TFigureLayers::*> fields) {
    TFigureLayers layers;
    for (auto field : fields)
        layers.*field = true;
    return layers;
}

TFigureLayers All() {
    TFigureLayers layers;
    for (bool* field : layers.Fields())
        *field = true;
    return layers;
}

// Every "(s; t)" pair of a text, as the diagram pixel it stands for.
QList<QPoint> StressPixels(const QString& text) {
    static const QRegularExpression pair(QStringLiteral(R"(\((-?\+?\d+); (-?\+?\d+)\))"));
    QList<QPoint> pixels;
    for (auto it = pair.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        pixels << StressPixel(m.captured(1).toInt(), m.captured(2).toInt());
    }
    return pixels;
}

// The diagram layers with the single point each one's sentence names, at the pixel where the figure
// draws it (centre of its dot; for the circle its centre).
struct TNamedPoint {
    bool TFigureLayers::*Layer;
    QPoint Pixel;
};
const TNamedPoint NamedPoints[] = {
    {&TFigureLayers::PointED, {200, 300}},
    {&TFigureLayers::PointBC, {280, 260}},
    {&TFigureLayers::CentreConstruction, {200, 200}},
    {&TFigureLayers::Circle, {200, 200}},
    {&TFigureLayers::NormalLineBC, {280, 260}},
    {&TFigureLayers::FacePointAE, {280, 140}},
    {&TFigureLayers::FacePointAB, {120, 260}},
    {&TFigureLayers::FacePointCD, {140, 120}},
};

} // namespace

class TestDescribe : public QObject {
    Q_OBJECT

private slots:
    void nothingDrawnIsSaidInTheInterfaceLanguage() {
        TImageCanvas element(240, 240), diagram(400, 400);
        TFigures figures(*element.Canvas, *diagram.Canvas);
        figures.SetAllLayers(false);
        QCOMPARE(ElementPanelSentences(figures.FigureLayers, figures.ElementOptions, false), QStringList());
        QCOMPARE(DiagramPanelSentences(figures.FigureLayers, true), QStringList());
        QCOMPARE(ElementPanelDescription(figures), QStringLiteral("Nog niets getekend."));
        QCOMPARE(DiagramPanelDescription(figures), QStringLiteral("Nog niets getekend."));
        figures.EnglishMode = 1;
        QCOMPARE(ElementPanelDescription(figures), QStringLiteral("Nothing drawn yet."));
        QCOMPARE(DiagramPanelDescription(figures), QStringLiteral("Nothing drawn yet."));
    }

    // Each layer contributes exactly one sentence to its own panel and none to the other.
    void oneSentencePerLayerOnItsOwnPanel() {
        const TElementOptions options;
        int total = 0;
        for (int i = 0; i < TFigureLayers::Count; ++i) {
            TFigureLayers layers;
            *layers.Fields()[i] = true;
            for (bool english : {false, true}) {
                const int onElement = ElementPanelSentences(layers, options, english).size();
                const int onDiagram = DiagramPanelSentences(layers, english).size();
                QCOMPARE(onElement + onDiagram, 1);
                // Storage order: Element, FaceAxes first and FinalStresses last are element layers.
                const bool elementLayer = i <= 1 || i == TFigureLayers::Count - 1;
                QCOMPARE(onElement, elementLayer ? 1 : 0);
                if (english)
                    total += onElement + onDiagram;
            }
        }
        QCOMPARE(total, 23);
        QCOMPARE(ElementPanelSentences(All(), options, false).size(), 3);
        QCOMPARE(DiagramPanelSentences(All(), false).size(), 20);
        for (const QString& s :
             DiagramPanelSentences(All(), true) + ElementPanelSentences(All(), options, true))
            QVERIFY2(s.endsWith(QLatin1Char('.')) && s.size() < 200, qPrintable(s));
    }

    void issueExampleForTheFirstStressPoint() {
        const auto layers = Only({&TFigureLayers::PointED});
        QCOMPARE(DiagramPanelSentences(layers, true),
                 QStringList{QStringLiteral("Stress point of face E-D at (-70; +50).")});
        QCOMPARE(DiagramPanelSentences(layers, false),
                 QStringList{QStringLiteral("Spanningspunt van vlakje E-D in (-70; +50).")});
    }

    // The numbers in the words are the exercise's: every named stress point maps to the pixel where
    // its figure stands, in both languages.
    void namedPointsAgreeWithTheDiagram() {
        for (const TNamedPoint& named : NamedPoints) {
            const TFigureLayers layers = Only({named.Layer});
            for (bool english : {false, true}) {
                const QStringList sentences = DiagramPanelSentences(layers, english);
                QCOMPARE(sentences.size(), 1);
                const QList<QPoint> pixels = StressPixels(sentences.first());
                QVERIFY2(!pixels.isEmpty(), qPrintable(sentences.first()));
                QCOMPARE(pixels.first(), named.Pixel);
            }
        }
    }

    // Every point named anywhere on the diagram lies on the circle (centre (200, 200), radius 100), or is
    // its centre or the origin of the axes.
    void everyNamedPointIsOnTheCircleOrItsCentre() {
        for (bool english : {false, true}) {
            const QString all = DiagramPanelSentences(All(), english).join(QLatin1Char(' '));
            const QList<QPoint> pixels = StressPixels(all);
            QVERIFY(pixels.size() >= 9);
            for (const QPoint& p : pixels) {
                if (p == QPoint(340, 200))
                    continue;
                const double r = std::hypot(p.x() - 200, p.y() - 200);
                QVERIFY2(r == 0.0 || r == 100.0, qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
            }
        }
    }

    // The direction centre is called by the label the panel draws in that language.
    void directionCentreLabelFollowsTheLanguage() {
        const auto layers = Only({&TFigureLayers::NormalLineED});
        const QString dutch = DiagramPanelSentences(layers, false).first();
        const QString english = DiagramPanelSentences(layers, true).first();
        QVERIFY(dutch.contains(QStringLiteral("R.C.")) && !dutch.contains(QStringLiteral("D.C.")));
        QVERIFY(english.contains(QStringLiteral("D.C.")) && !english.contains(QStringLiteral("R.C.")));
        QCOMPARE(StressPixels(english), (QList<QPoint>{{200, 300}, {120, 140}}));
        QCOMPARE(StressPixels(dutch), StressPixels(english));
    }

    // The sentences follow the replay order, so the grid comes after the axes and before every point,
    // and the face results come axis, point, sketch.
    void diagramSentencesFollowTheReplayOrder() {
        const QStringList s = DiagramPanelSentences(All(), true);
        const auto at = [&s](const char* start) {
            for (int i = 0; i < s.size(); ++i)
                if (s[i].startsWith(QString::fromUtf8(start)))
                    return i;
            return -1;
        };
        QVERIFY(at("Red x-y axis") == 0);
        QVERIFY(at("Axes through") < at("Dotted grid"));
        QVERIFY(at("Dotted grid") < at("Stress point of face E-D"));
        QVERIFY(at("Mohr\xE2\x80\x99s circle") < at("Normal line of face B-C"));
        QVERIFY(at("Principal directions") < at("Teal x axis"));
        QVERIFY(at("Red x axis of face C-D") < at("Stress point of face A-E"));
        QVERIFY(at("Stress point of face C-D") < at("Sketch of face A-E"));
        QCOMPARE(s.last(),
                 QStringLiteral("Sketch of face C-D with normal stress 100 and shear stress 40 MPa."));
    }

    // The sample's sentence names the extras that are on and always the given stresses; the final
    // stresses carry the magnitudes of the face results.
    void elementSentencesFollowTheOptions() {
        const auto element = Only({&TFigureLayers::Element});
        const QString full = ElementPanelSentences(element, TElementOptions{}, true).first();
        QVERIFY(full.contains(QStringLiteral("grid, dimensions and axes")));
        const QString bare =
            ElementPanelSentences(element, TElementOptions{false, false, false}, true).first();
        QVERIFY(!bare.contains(QStringLiteral("grid")) && !bare.contains(QStringLiteral("axes")));
        for (const QString& s : {full, bare}) {
            QVERIFY(s.contains(QStringLiteral("E-D: normal 70, shear 50 MPa")));
            QVERIFY(s.contains(QStringLiteral("B-C: normal 30, shear 30 MPa")));
        }
        const QString dutch =
            ElementPanelSentences(element, TElementOptions{true, false, false}, false).first();
        QVERIFY(dutch.contains(QStringLiteral("met raster;")));
        QVERIFY(!dutch.contains(QStringLiteral("maatvoering")));

        const auto final = Only({&TFigureLayers::Element, &TFigureLayers::FinalStresses});
        const QStringList after = ElementPanelSentences(final, TElementOptions{false, false, false}, false);
        QCOMPARE(after.size(), 2);
        QVERIFY(after[1].contains(QStringLiteral("A-E: normaal 30, schuif 30 MPa")));
        QVERIFY(after[1].contains(QStringLiteral("A-B: normaal 110, schuif 30 MPa")));
        QVERIFY(after[1].contains(QStringLiteral("C-D: normaal 100, schuif 40 MPa")));
    }

    // Drawing through the figures sets the layers, and the description follows them at once.
    void descriptionFollowsTheDrawnFigures() {
        TImageCanvas element(240, 240), diagram(400, 400);
        TFigures figures(*element.Canvas, *diagram.Canvas);
        figures.CreateSaveSlot();
        figures.EnglishMode = 1;
        figures.DrawDiagramAxes(3);
        figures.DrawPointBC();
        QCOMPARE(DiagramPanelSentences(figures.FigureLayers, true).size(), 2);
        QVERIFY(DiagramPanelDescription(figures).endsWith(QStringLiteral("at (-30; +30).")));
        figures.DrawFacePoint(QStringLiteral("AB"));
        QVERIFY(DiagramPanelDescription(figures).contains(QStringLiteral("(-110; 30)")));
        QVERIFY(!DiagramPanelDescription(figures).contains(QStringLiteral("(-30; -30)")));
        figures.DrawElement(true, true, true);
        QVERIFY(ElementPanelDescription(figures).startsWith(QStringLiteral("Sample A-B-C-D-E with grid")));
        figures.FreeSaveSlot();
    }
};

QTEST_MAIN(TestDescribe)
#include "tst_fig_describe.moc"
