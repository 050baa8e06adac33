// Clicks on the step trees: the ordered progression, the one explanation each allowed click leaves,
// the layers each step draws (once, or on every click for the remaining faces) and the closing step.
#include "walkthrough/dispatch.h"

#include "figures/figures.h"
#include "steptable.h"
#include "testsupport.h"
#include "walkthrough/explanations.h"
#include "walkthrough/progression.h"

#include <QTest>
#include <QTreeWidget>

#include <array>
#include <memory>
#include <optional>
#include <vector>

using namespace mohr;
using mohr::test::PixelAt;
using mohr::test::TImageCanvas;

namespace {

using mohr::test::StepTable;
constexpr int NodeCount = mohr::test::StepCount;

enum class TPanel { None, Element, Diagram };
using TLayer = bool TFigureLayers::*;

// What the first allowed click on each node must do: the explanation shown, whether the box is
// scrolled to its top, the layer it draws and the panel drawn on.
struct TStepEffect {
    int Explanation;
    bool Top;
    TLayer Layer;
    TPanel Panel;
};

constexpr std::array<TStepEffect, 31> StepEffects = {{
    {0, true, &TFigureLayers::Element, TPanel::Element},
    {1, true, &TFigureLayers::FaceAxes, TPanel::Element},
    {2, true, nullptr, TPanel::None},
    {3, true, nullptr, TPanel::Diagram}, // axis kinds 1 and 2 set no flag
    {4, true, &TFigureLayers::AxisDefinition, TPanel::Diagram},
    {4, true, &TFigureLayers::DiagramAxes, TPanel::Diagram},
    {4, true, &TFigureLayers::DiagramGrid, TPanel::Diagram},
    {7, true, nullptr, TPanel::None},
    {8, true, &TFigureLayers::PointED, TPanel::Diagram},
    {9, true, &TFigureLayers::PointBC, TPanel::Diagram},
    {10, true, &TFigureLayers::CentreConstruction, TPanel::Diagram},
    {11, false, &TFigureLayers::Circle, TPanel::Diagram},
    {12, true, nullptr, TPanel::None},
    {13, false, &TFigureLayers::NormalLineBC, TPanel::Diagram},
    {14, false, &TFigureLayers::NormalLineED, TPanel::Diagram},
    {15, false, &TFigureLayers::PrincipalStresses, TPanel::Diagram},
    {16, false, &TFigureLayers::PrincipalDirections, TPanel::Diagram},
    {17, true, nullptr, TPanel::None},
    {18, true, nullptr, TPanel::None},
    {19, false, &TFigureLayers::FaceAxisAE, TPanel::Diagram},
    {20, true, &TFigureLayers::FacePointAE, TPanel::Diagram},
    {21, true, &TFigureLayers::FaceSketchAE, TPanel::Diagram},
    {22, true, nullptr, TPanel::None},
    {23, false, &TFigureLayers::FaceAxisAB, TPanel::Diagram},
    {24, true, &TFigureLayers::FacePointAB, TPanel::Diagram},
    {25, true, &TFigureLayers::FaceSketchAB, TPanel::Diagram},
    {26, true, nullptr, TPanel::None},
    {27, false, &TFigureLayers::FaceAxisCD, TPanel::Diagram},
    {28, true, &TFigureLayers::FacePointCD, TPanel::Diagram},
    {29, true, &TFigureLayers::FaceSketchCD, TPanel::Diagram},
    {30, true, &TFigureLayers::FinalStresses, TPanel::Element},
}};

// A window stand-in: records every call in order and owns the figures on two image panels.
class TFakeHost : public TStepHost {
public:
    TFakeHost()
        : ElementPanel(240, 240), DiagramPanel(400, 400),
          figures_(*ElementPanel.Canvas, *DiagramPanel.Canvas) {
        figures_.CreateSaveSlot();
        ElementPanel.Canvas->Changed = [this] { Drawn(TPanel::Element); };
        DiagramPanel.Canvas->Changed = [this] { Drawn(TPanel::Diagram); };
    }
    ~TFakeHost() override { figures_.FreeSaveSlot(); }

    TFigures& Figures() override { return figures_; }
    void ClearMemo() override {
        Memo.clear();
        Log << QStringLiteral("clear");
    }
    void AddExplanation(const QString& text) override {
        Memo << text;
        Log << QStringLiteral("add");
    }
    void ScrollMemoToTop() override {
        ++Scrolls;
        Log << QStringLiteral("top");
    }
    void RefreshElementPanel() override {
        ++Refreshes;
        OptionsAtRefresh = figures_.ElementOptions;
        FaceAxesAtRefresh = figures_.FigureLayers.FaceAxes;
        Log << QStringLiteral("refresh");
    }
    void ShowInformation(const QString& text) override {
        Messages << text;
        Log << QStringLiteral("message");
    }

    // Forgets the calls of earlier clicks; the explanation box keeps its lines.
    void StartClick() {
        Log.clear();
        Messages.clear();
        Scrolls = 0;
        Refreshes = 0;
        ElementDraws = 0;
        DiagramDraws = 0;
        OptionsAtRefresh.reset();
    }

    TImageCanvas ElementPanel;
    TImageCanvas DiagramPanel;
    QStringList Memo;
    QStringList Log; // calls in order; a run of drawing on one panel is one "draw:<panel>" entry
    QStringList Messages;
    int Scrolls = 0;
    int Refreshes = 0;
    int ElementDraws = 0;
    int DiagramDraws = 0;
    std::optional<TElementOptions> OptionsAtRefresh;
    bool FaceAxesAtRefresh = true;

private:
    void Drawn(TPanel panel) {
        const QString entry =
            panel == TPanel::Element ? QStringLiteral("draw:element") : QStringLiteral("draw:diagram");
        (panel == TPanel::Element ? ElementDraws : DiagramDraws) += 1;
        if (Log.isEmpty() || Log.last() != entry)
            Log << entry;
    }

    TFigures figures_;
};

// One step tree built from the table, with its items in table order.
struct TStepTree {
    explicit TStepTree(TStepLanguage language) : Language(language) {
        for (int i = 0; i < NodeCount; ++i) {
            const mohr::test::TStepRow& row = StepTable[static_cast<std::size_t>(i)];
            auto* item = new QTreeWidgetItem(QStringList{
                QString::fromUtf16(language == TStepLanguage::English ? row.English : row.Dutch)});
            if (row.Parent < 0)
                Tree.addTopLevelItem(item);
            else
                Items[static_cast<std::size_t>(row.Parent)]->addChild(item);
            Items.push_back(item);
        }
    }
    QTreeWidgetItem* Item(int i) const { return Items[static_cast<std::size_t>(i)]; }
    QStringList Texts() const {
        QStringList texts;
        for (const QTreeWidgetItem* item : Items)
            texts << item->text(0);
        return texts;
    }

    TStepLanguage Language;
    QTreeWidget Tree;
    std::vector<QTreeWidgetItem*> Items;
};

// A tree and a host, clicked as the student would.
struct TSession {
    explicit TSession(TStepLanguage language) : Steps(language) {}

    void Click(int node) {
        Steps.Tree.setCurrentItem(Steps.Item(node));
        Host.StartClick();
        HandleStepClick(Host, &Steps.Tree, Steps.Language);
    }
    // Takes the nodes from..to in order; each must be allowed.
    void Take(int from, int to) {
        for (int i = from; i <= to; ++i) {
            Click(i);
            QVERIFY2(Host.Messages.isEmpty(), qPrintable(QString("node %1 refused").arg(i)));
        }
    }
    QString Text(int explanation) const { return Explanation(Steps.Language, explanation); }
    TFigureLayers& Layers() { return Host.Figures().FigureLayers; }

    TFakeHost Host;
    TStepTree Steps;
};

QString RefusalText(TStepLanguage language) {
    return language == TStepLanguage::English ? QStringLiteral("No jumps allowed in the list !")
                                              : QStringLiteral("Geen sprongen maken in de lijst !");
}

QString LayerDiff(const TFigureLayers& actual, const TFigureLayers& expected) {
    QString diff;
    const auto a = actual.Fields();
    const auto e = expected.Fields();
    for (int i = 0; i < TFigureLayers::Count; ++i) {
        if (*a[i] != *e[i])
            diff += QString(" field#%1=%2").arg(i + 1).arg(*a[i]);
    }
    return diff;
}

void AddLanguageColumn() {
    QTest::addColumn<TStepLanguage>("language");
    QTest::newRow("dutch") << TStepLanguage::Dutch;
    QTest::newRow("english") << TStepLanguage::English;
}

constexpr Colour Green = 0x008000;
constexpr Colour Teal = 0x808000;
constexpr Colour White = 0xFFFFFF;

} // namespace

Q_DECLARE_METATYPE(mohr::TStepLanguage)

class TestWalkDispatch : public QObject {
    Q_OBJECT

private slots:
    void clickThroughEveryStep_data() { AddLanguageColumn(); }
    void clickThroughEveryStep();
    void refusedClickChangesNothing_data() { AddLanguageColumn(); }
    void refusedClickChangesNothing();
    void repeatedStepsDrawOnlyWhatTheirGuardsAllow_data() { AddLanguageColumn(); }
    void repeatedStepsDrawOnlyWhatTheirGuardsAllow();
    void faceSubStepsRedrawTheirParentsFaceOnly_data() { AddLanguageColumn(); }
    void faceSubStepsRedrawTheirParentsFaceOnly();
    void closingStepRunsInOrder_data() { AddLanguageColumn(); }
    void closingStepRunsInOrder();
    void afterTheClosingStep_data() { AddLanguageColumn(); }
    void afterTheClosingStep();
    void clickWithoutSelectionChangesNothing();
    void selectedNodeIsTakenWhenCurrentIsNot();
};

// Nodes 0 to 30 in order: each click leaves exactly its own explanation, scrolls to the top only on
// the rows that do, and draws exactly its own layer on its own panel.
void TestWalkDispatch::clickThroughEveryStep() {
    QFETCH(TStepLanguage, language);
    TSession s(language);
    TFigureLayers expected;
    for (int k = 0; k < NodeCount; ++k) {
        const TStepEffect& effect = StepEffects[static_cast<std::size_t>(k)];
        s.Click(k);
        const QString at = QString("node %1").arg(k);
        QVERIFY2(s.Host.Messages.isEmpty(), qPrintable(at));
        QCOMPARE(s.Host.Memo, QStringList{s.Text(effect.Explanation)});
        QCOMPARE(s.Host.Log.first(), QStringLiteral("clear"));
        QVERIFY2(s.Host.Log.count(QStringLiteral("clear")) == 1, qPrintable(at));
        QVERIFY2(s.Host.Scrolls == (effect.Top ? 1 : 0), qPrintable(at));
        if (effect.Top) // the scroll follows the explanation it shows
            QVERIFY2(s.Host.Log.indexOf(QStringLiteral("top")) ==
                         s.Host.Log.indexOf(QStringLiteral("add")) + 1,
                     qPrintable(at + ": " + s.Host.Log.join(' ')));

        if (effect.Layer)
            expected.*effect.Layer = true;
        if (k == 30)
            expected.FaceAxes = false;
        QVERIFY2(s.Layers() == expected, qPrintable(at + LayerDiff(s.Layers(), expected)));
        QVERIFY2((s.Host.ElementDraws > 0) == (effect.Panel == TPanel::Element),
                 qPrintable(at + QString(": %1 element draws").arg(s.Host.ElementDraws)));
        QVERIFY2((s.Host.DiagramDraws > 0) == (effect.Panel == TPanel::Diagram),
                 qPrintable(at + QString(": %1 diagram draws").arg(s.Host.DiagramDraws)));
        QVERIFY2(IsMarked(s.Steps.Item(k)), qPrintable(at));
    }
    QCOMPARE(s.Host.Figures().ElementOptions, (TElementOptions{false, false, false}));
}

// Out of order: only the message, in the tree's language. The box keeps its explanation, nothing is
// drawn and no mark changes; only the clicked node opens.
void TestWalkDispatch::refusedClickChangesNothing() {
    QFETCH(TStepLanguage, language);
    TSession s(language);

    s.Click(2); // a topic before anything has been taken
    QCOMPARE(s.Host.Messages, QStringList{RefusalText(language)});
    QCOMPARE(s.Host.Log, QStringList{QStringLiteral("message")});
    QVERIFY(s.Steps.Item(2)->isExpanded());
    QVERIFY(!IsMarked(s.Steps.Item(2)));

    s.Take(0, 10);
    const QStringList texts = s.Steps.Texts();
    const TFigureLayers layers = s.Layers();
    for (int k : {12, 13, 17, 30, 29}) {
        s.Click(k);
        const QString at = QString("node %1: ").arg(k);
        QCOMPARE(s.Host.Messages, QStringList{RefusalText(language)});
        QVERIFY2(s.Host.Log == QStringList{QStringLiteral("message")}, qPrintable(at + s.Host.Log.join(' ')));
        QCOMPARE(s.Host.Memo, QStringList{s.Text(10)});
        QCOMPARE(s.Steps.Texts(), texts);
        QVERIFY2(s.Layers() == layers, qPrintable(at + LayerDiff(s.Layers(), layers)));
        QVERIFY(s.Steps.Item(k)->isExpanded());
    }
    // The next step in line is still open, and a taken one may be repeated.
    s.Click(11);
    QVERIFY(s.Host.Messages.isEmpty());
    s.Click(0);
    QVERIFY(s.Host.Messages.isEmpty());
    QCOMPARE(s.Host.Memo, QStringList{s.Text(0)});
}

void TestWalkDispatch::repeatedStepsDrawOnlyWhatTheirGuardsAllow() {
    QFETCH(TStepLanguage, language);
    TSession s(language);
    s.Take(0, 4);

    // Before the vertical axis the diagram axis flag is clear: nodes 3 and 4 draw their axis parts again.
    for (int k : {3, 4}) {
        s.Click(k);
        QCOMPARE(s.Host.Memo, QStringList{s.Text(k)});
        QVERIFY2(s.Host.DiagramDraws > 0, qPrintable(QString("node %1 again before node 5").arg(k)));
        QVERIFY(!s.Layers().DiagramAxes);
    }
    // Node 1 contains node 3's key but shows its own explanation only; its layer is already drawn.
    s.Click(1);
    QCOMPARE(s.Host.Memo, QStringList{s.Text(1)});
    QCOMPARE(s.Host.ElementDraws + s.Host.DiagramDraws, 0);

    s.Take(5, 11);
    QVERIFY(s.Layers().DiagramAxes);
    for (int k = 0; k <= 11; ++k) {
        s.Click(k);
        QCOMPARE(s.Host.Memo, QStringList{s.Text(StepEffects[static_cast<std::size_t>(k)].Explanation)});
        QVERIFY2(s.Host.ElementDraws + s.Host.DiagramDraws == 0,
                 qPrintable(QString("node %1 drew again: %2").arg(k).arg(s.Host.Log.join(' '))));
    }
    // The circle once more, on a blank sheet: it stays drawn only in the layer record.
    s.Host.DiagramPanel.Image.fill(Qt::white);
    s.Click(11);
    QCOMPARE(s.Host.Memo, QStringList{s.Text(11)});
    QCOMPARE(s.Host.Scrolls, 0);
    QCOMPARE(PixelAt(s.Host.DiagramPanel.Image, 300, 200), White);
    QVERIFY(s.Layers().Circle);
}

// The face sub-steps have no guard: each click draws its face again, and only the face its parent names.
void TestWalkDispatch::faceSubStepsRedrawTheirParentsFaceOnly() {
    QFETCH(TStepLanguage, language);
    TSession s(language);
    s.Take(0, 30);

    const std::array<TLayer, 9> faceLayers = {
        &TFigureLayers::FaceAxisAE, &TFigureLayers::FacePointAE, &TFigureLayers::FaceSketchAE,
        &TFigureLayers::FaceAxisAB, &TFigureLayers::FacePointAB, &TFigureLayers::FaceSketchAB,
        &TFigureLayers::FaceAxisCD, &TFigureLayers::FacePointCD, &TFigureLayers::FaceSketchCD,
    };
    const std::array<int, 9> faceNodes = {19, 20, 21, 23, 24, 25, 27, 28, 29};
    for (std::size_t i = 0; i < faceNodes.size(); ++i) {
        const int k = faceNodes[i];
        // Already drawn once: drawn again all the same.
        s.Click(k);
        QVERIFY2(s.Host.DiagramDraws > 0, qPrintable(QString("node %1 did not redraw").arg(k)));
        QCOMPARE(s.Host.ElementDraws, 0);

        for (TLayer layer : faceLayers)
            s.Layers().*layer = false;
        s.Click(k);
        QCOMPARE(s.Host.Memo, QStringList{s.Text(StepEffects[static_cast<std::size_t>(k)].Explanation)});
        for (std::size_t j = 0; j < faceLayers.size(); ++j)
            QVERIFY2(s.Layers().*faceLayers[j] == (j == i),
                     qPrintable(QString("node %1 set face layer %2").arg(k).arg(j)));
    }

    // On a blank sheet: the A-E stress point again at (280, 140), the A-B point (120, 260) untouched.
    s.Host.DiagramPanel.Image.fill(Qt::white);
    s.Click(20);
    QCOMPARE(PixelAt(s.Host.DiagramPanel.Image, 280, 140), Green);
    QCOMPARE(PixelAt(s.Host.DiagramPanel.Image, 120, 260), White);
    // The A-E axis runs horizontally through the direction centre; the A-B axis is not drawn.
    s.Host.DiagramPanel.Image.fill(Qt::white);
    s.Click(19);
    QCOMPARE(PixelAt(s.Host.DiagramPanel.Image, 200, 140), Teal);
    QCOMPARE(PixelAt(s.Host.DiagramPanel.Image, 120, 200), White);
}

// The closing step: options off, face axes flag cleared, element panel refreshed, then the final
// stresses drawn and the explanation shown at the top, in that order.
void TestWalkDispatch::closingStepRunsInOrder() {
    QFETCH(TStepLanguage, language);
    TSession s(language);
    s.Take(0, 29);
    QVERIFY(s.Layers().FaceAxes);
    const TFigureLayers before = s.Layers();

    for (int round = 0; round < 2; ++round) {
        s.Click(30);
        const QStringList expectedLog = {QStringLiteral("clear"), QStringLiteral("refresh"),
                                         QStringLiteral("draw:element"), QStringLiteral("add"),
                                         QStringLiteral("top")};
        QCOMPARE(s.Host.Log, expectedLog);
        QVERIFY(s.Host.OptionsAtRefresh.has_value());
        QCOMPARE(*s.Host.OptionsAtRefresh, (TElementOptions{false, false, false}));
        QVERIFY(!s.Host.FaceAxesAtRefresh);
        QCOMPARE(s.Host.Memo, QStringList{s.Text(30)});

        TFigureLayers expected = before;
        expected.FaceAxes = false;
        expected.FinalStresses = true;
        QVERIFY2(s.Layers() == expected, qPrintable(LayerDiff(s.Layers(), expected)));
        QCOMPARE(s.Host.Figures().ElementOptions, (TElementOptions{false, false, false}));
    }
}

void TestWalkDispatch::afterTheClosingStep() {
    QFETCH(TStepLanguage, language);
    TSession s(language);
    s.Take(0, 30);

    // The sample's flag is still set: node 0 shows its text and draws nothing.
    s.Click(0);
    QCOMPARE(s.Host.Memo, QStringList{s.Text(0)});
    QCOMPARE(s.Host.ElementDraws + s.Host.DiagramDraws, 0);
    QCOMPARE(s.Host.Figures().ElementOptions, (TElementOptions{false, false, false}));

    // The face coordinate systems were cleared: node 1 draws them again and sets their flag.
    s.Click(1);
    QCOMPARE(s.Host.Memo, QStringList{s.Text(1)});
    QVERIFY(s.Layers().FaceAxes);
    QVERIFY(s.Host.ElementDraws > 0);
    QCOMPARE(s.Host.DiagramDraws, 0);
    s.Click(1);
    QCOMPARE(s.Host.ElementDraws, 0);

    // Topics show their explanation only.
    for (int k : {2, 17}) {
        s.Click(k);
        QCOMPARE(s.Host.Memo, QStringList{s.Text(k)});
        QCOMPARE(s.Host.ElementDraws + s.Host.DiagramDraws, 0);
    }
}

void TestWalkDispatch::clickWithoutSelectionChangesNothing() {
    for (TStepLanguage language : {TStepLanguage::Dutch, TStepLanguage::English}) {
        TSession s(language);
        s.Take(0, 3);
        const QStringList texts = s.Steps.Texts();
        const TFigureLayers layers = s.Layers();

        // A current node that is not selected does not count.
        s.Steps.Tree.setCurrentItem(s.Steps.Item(4));
        s.Steps.Tree.clearSelection();
        QVERIFY(s.Steps.Tree.selectedItems().isEmpty());
        s.Host.StartClick();
        HandleStepClick(s.Host, &s.Steps.Tree, language);
        QVERIFY2(s.Host.Log.isEmpty(), qPrintable(s.Host.Log.join(' ')));
        QCOMPARE(s.Host.Memo, QStringList{s.Text(3)});
        QCOMPARE(s.Steps.Texts(), texts);
        QVERIFY(s.Layers() == layers);
        QVERIFY(!s.Steps.Item(4)->isExpanded());

        // Nor does an empty tree, or none at all.
        QTreeWidget empty;
        HandleStepClick(s.Host, &empty, language);
        HandleStepClick(s.Host, nullptr, language);
        QVERIFY(s.Host.Log.isEmpty());
    }
}

void TestWalkDispatch::selectedNodeIsTakenWhenCurrentIsNot() {
    TSession s(TStepLanguage::Dutch);
    s.Steps.Tree.setCurrentItem(s.Steps.Item(5));
    s.Steps.Tree.clearSelection();
    s.Steps.Item(0)->setSelected(true);
    QCOMPARE(s.Steps.Tree.selectedItems(), QList<QTreeWidgetItem*>{s.Steps.Item(0)});
    s.Host.StartClick();
    HandleStepClick(s.Host, &s.Steps.Tree, TStepLanguage::Dutch);
    QVERIFY(s.Host.Messages.isEmpty());
    QCOMPARE(s.Host.Memo, QStringList{s.Text(0)});
    QVERIFY(IsMarked(s.Steps.Item(0)));
    QVERIFY(!IsMarked(s.Steps.Item(5)));
}

QTEST_MAIN(TestWalkDispatch)
#include "tst_walk_dispatch.moc"
