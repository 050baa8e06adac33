// Long random action sequences on the real main window, checked after every action against a small
// model of the walkthrough that is kept here, independent of the walkthrough library: the marked
// prefix of each tree, the language, the page, the expected figure layers and element options, the
// explanation box, the messages, and which panel pictures must equal a fresh replay of the layers.
//
// Pictures: each panel is compared with a fresh replay of the same layers, options and language on
// new white canvases after every action for which the model knows the picture must be replay-equal,
// not only after forced repaints. That also holds the direct drawing of a click to what the replay
// would draw, which forcing a repaint before every comparison would hide. The model is conservative:
// a picture counts as replay-equal once a refresh has been painted, stays so while each new layer
// lands on top of every set layer (as the replay would stack it) and under the window's own repaint
// (which replays both panels over themselves), and is left uncompared from the first drawing that a
// replay would not reproduce (axis kinds 1 and 2 before kind 3, a layer drawn under later ones) to
// the next refresh. A refused click or a click without a selected node must leave both pictures
// exactly as they were, replay-equal or not.
//
// The event loop runs after every forced repaint and otherwise after one action in eight, so that
// refreshes also pile up behind several quick actions; the model follows the event loop, not the
// panels.
//
// The sequence is seeded: MOHRWALK_RANDOM_SEED=<number> repeats a run, MOHRWALK_RANDOM_ACTIONS=<n>
// makes it longer or shorter (the default is 20,000 actions). Every failure message names the seed,
// the episode, the action index and the last actions taken.

#include "appwindow.h"
#include "main.h"
#include "paintbox.h"
#include "steptable.h"
#include "testsupport.h"

#include "walkthrough/explanations.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <unordered_map>
#include <vector>

using namespace mohr;
using mohr::test::ImageDifference;
using mohr::test::PixelAt;
using mohr::test::PreOrder;

namespace {
constexpr int NodeCount = mohr::test::StepCount;
const auto& Steps = mohr::test::StepTable;

bool HasChildren(int index) {
    return index + 1 < NodeCount && Steps[index + 1].Parent == index;
}

// The explanation a node shows: its own number, except that the two later sub-steps of the diagram's
// coordinate system repeat the explanation of the first.
int ExplanationOf(int node) {
    return node == 5 || node == 6 ? 4 : node;
}

// The diagram layers in the order of the diagram panel's replay. A layer drawn while it is the last
// set layer in this order lands where the replay would put it.
const std::vector<bool TFigureLayers::*> DiagramReplayOrder = {
    &TFigureLayers::AxisDefinition,
    &TFigureLayers::DiagramAxes,
    &TFigureLayers::DiagramGrid,
    &TFigureLayers::PointED,
    &TFigureLayers::PointBC,
    &TFigureLayers::CentreConstruction,
    &TFigureLayers::Circle,
    &TFigureLayers::NormalLineBC,
    &TFigureLayers::NormalLineED,
    &TFigureLayers::PrincipalStresses,
    &TFigureLayers::PrincipalDirections,
    &TFigureLayers::FaceAxisAE,
    &TFigureLayers::FaceAxisAB,
    &TFigureLayers::FaceAxisCD,
    &TFigureLayers::FacePointAE,
    &TFigureLayers::FacePointAB,
    &TFigureLayers::FacePointCD,
    &TFigureLayers::FaceSketchAE,
    &TFigureLayers::FaceSketchAB,
    &TFigureLayers::FaceSketchCD,
};
const std::vector<bool TFigureLayers::*> ElementReplayOrder = {
    &TFigureLayers::Element, &TFigureLayers::FinalStresses, &TFigureLayers::FaceAxes};

enum TPanel { Diagram, Element };

// What one panel shows, as far as the model can tell. After a refresh the picture is a replay of the
// layers. Drawing a layer keeps it so only while the new layer is the last set layer in replay order
// (anything else puts figures in another stacking order than a replay would). Axis kinds 1 and 2
// before kind 3 are not replayed at all. From then on the picture is unknown until the next refresh.
struct TPanelModel {
    bool ReplayEqual = true;
    bool RefreshPending = false;
};

// The walkthrough as the rules describe it, with no knowledge of how the program does it.
struct TModel {
    bool English = false;
    int Marked[2] = {0, 0}; // the marked prefix of TreeView1 and TreeViewUK
    TFigureLayers Layers;
    TElementOptions Options{true, true, true};
    int Page = 0;
    TPanelModel Panels[2];

    int& VisibleMarked() { return Marked[English ? 1 : 0]; }

    void Refresh(TPanel panel) { Panels[panel].RefreshPending = true; }

    // The program draws a layer directly on its panel.
    void Draw(TPanel panel, bool TFigureLayers::*layer) {
        TPanelModel& p = Panels[panel];
        Layers.*layer = true;
        if (p.RefreshPending)
            return; // the coming repaint replaces whatever is drawn now
        const auto& order = panel == Diagram ? DiagramReplayOrder : ElementReplayOrder;
        bool after = false;
        for (auto field : order) {
            if (after && Layers.*field)
                p.ReplayEqual = false;
            if (field == layer)
                after = true;
        }
    }
    // A figure that no layer records (axis kinds 1 and 2 before kind 3).
    void DrawUnrecorded(TPanel panel) {
        if (!Panels[panel].RefreshPending)
            Panels[panel].ReplayEqual = false;
    }

    // The panels are painted (only possible while the stresses page is shown).
    void Settle() {
        if (Page != 0)
            return;
        for (TPanelModel& p : Panels)
            if (p.RefreshPending)
                p = TPanelModel{};
    }

    void Restart() {
        Marked[0] = Marked[1] = 0;
        Layers = TFigureLayers{};
        Options = TElementOptions{true, true, true};
        Refresh(Diagram);
        Refresh(Element);
    }

    // An allowed step: the drawing it does, by the rules of each node.
    void TakeStep(int node) {
        auto guarded = [this](TPanel panel, bool TFigureLayers::*layer) {
            if (!(Layers.*layer))
                Draw(panel, layer);
        };
        switch (node) {
        case 0:
            guarded(Element, &TFigureLayers::Element);
            break;
        case 1:
            guarded(Element, &TFigureLayers::FaceAxes);
            break;
        case 3:
            if (!Layers.DiagramAxes)
                DrawUnrecorded(Diagram);
            break;
        case 4:
            guarded(Diagram, &TFigureLayers::AxisDefinition);
            if (!Layers.DiagramAxes)
                DrawUnrecorded(Diagram);
            break;
        case 5:
            // Kind 3 sets the flag that replays all three kinds; whether kinds 1 and 2 are on the
            // picture at that moment depends on the history, so the picture is unknown.
            if (!Layers.DiagramAxes) {
                Draw(Diagram, &TFigureLayers::DiagramAxes);
                DrawUnrecorded(Diagram);
            }
            break;
        case 6:
            guarded(Diagram, &TFigureLayers::DiagramGrid);
            break;
        case 8:
            guarded(Diagram, &TFigureLayers::PointED);
            break;
        case 9:
            guarded(Diagram, &TFigureLayers::PointBC);
            break;
        case 10:
            guarded(Diagram, &TFigureLayers::CentreConstruction);
            break;
        case 11:
            guarded(Diagram, &TFigureLayers::Circle);
            break;
        case 13:
            guarded(Diagram, &TFigureLayers::NormalLineBC);
            break;
        case 14:
            guarded(Diagram, &TFigureLayers::NormalLineED);
            break;
        case 15:
            guarded(Diagram, &TFigureLayers::PrincipalStresses);
            break;
        case 16:
            guarded(Diagram, &TFigureLayers::PrincipalDirections);
            break;
        // The face sub-steps draw on every click.
        case 19:
            Draw(Diagram, &TFigureLayers::FaceAxisAE);
            break;
        case 20:
            Draw(Diagram, &TFigureLayers::FacePointAE);
            break;
        case 21:
            Draw(Diagram, &TFigureLayers::FaceSketchAE);
            break;
        case 23:
            Draw(Diagram, &TFigureLayers::FaceAxisAB);
            break;
        case 24:
            Draw(Diagram, &TFigureLayers::FacePointAB);
            break;
        case 25:
            Draw(Diagram, &TFigureLayers::FaceSketchAB);
            break;
        case 27:
            Draw(Diagram, &TFigureLayers::FaceAxisCD);
            break;
        case 28:
            Draw(Diagram, &TFigureLayers::FacePointCD);
            break;
        case 29:
            Draw(Diagram, &TFigureLayers::FaceSketchCD);
            break;
        case 30:
            Options = TElementOptions{false, false, false};
            Layers.FaceAxes = false;
            Refresh(Element);
            Draw(Element, &TFigureLayers::FinalStresses);
            break;
        default: // topics and steps that only explain
            break;
        }
    }

    // A click on a node of the visible tree: true when the step is allowed.
    bool Click(int node) {
        int& m = VisibleMarked();
        if (node > m)
            return false;
        if (node == m)
            ++m;
        TakeStep(node);
        return true;
    }
};

// Fresh replays of the layers on new white canvases, the way a repaint starts: a canvas in its start
// state, then the panel's replay. Cached by the state they depend on.
class TReplays {
public:
    const QImage& Get(TPanel panel, const TFigureLayers& layers, const TElementOptions& options,
                      bool english) {
        std::uint64_t key = 0;
        for (const bool* field : layers.Fields())
            key = key << 1 | (*field ? 1 : 0);
        key = key << 1 | (options.ShowGrid ? 1 : 0);
        key = key << 1 | (options.ShowDimensions ? 1 : 0);
        key = key << 1 | (options.ShowAxes ? 1 : 0);
        key = key << 1 | (english ? 1 : 0);
        key = key << 1 | (panel == Element ? 1 : 0);
        auto found = cache_.find(key);
        if (found != cache_.end())
            return found->second;

        test::TImageCanvas element(240, 240);
        test::TImageCanvas diagram(400, 400);
        TFigures figures(*element.Canvas, *diagram.Canvas);
        figures.CreateSaveSlot();
        figures.FigureLayers = layers;
        figures.ElementOptions = options;
        figures.EnglishMode = english ? 1 : 0;
        if (panel == Element)
            figures.PaintBox2Paint();
        else
            figures.PaintBox1Paint();
        figures.FreeSaveSlot();
        return cache_.emplace(key, panel == Element ? element.Image : diagram.Image).first->second;
    }

private:
    std::unordered_map<std::uint64_t, QImage> cache_;
};

// A simple, portable generator: the same seed gives the same sequence with every standard library.
class TRandom {
public:
    explicit TRandom(std::uint64_t seed) : engine_(seed) {}
    int Below(int n) { return n <= 1 ? 0 : int(engine_() % std::uint64_t(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); } // both ends included

private:
    std::mt19937_64 engine_;
};

std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
    bool ok = false;
    const std::uint64_t value = qEnvironmentVariable(name).toULongLong(&ok);
    return ok ? value : fallback;
}

constexpr std::uint64_t DefaultSeed = 20240917;
constexpr int DefaultActions = 20000;
constexpr int Episodes = 8;
// The event loop runs after one action in this many on average, and after every forced repaint.
constexpr int SettleOneIn = 8;

// What a run has covered, reported at its end.
struct TCoverage {
    int Compared[2] = {0, 0}; // panel pictures compared with a fresh replay
    int Refused = 0;
    int Completed = 0; // walkthroughs taken to the last node
};

// One shown main window, driven only as a user (or the windowing system) would drive it.
class TSession {
public:
    TSession(TReplays& replays, TCoverage& coverage, std::uint64_t seed, int episode)
        : replays_(replays), coverage_(coverage), rng_(seed * 1000003u + std::uint64_t(episode)), seed_(seed),
          episode_(episode) {
        form_.CheckForm = &check_;
        form_.AboutForm = &about_;
        form_.show();
        trees_[0] = get<QTreeWidget>("TreeView1");
        trees_[1] = get<QTreeWidget>("TreeViewUK");
        nodes_[0] = PreOrder(trees_[0]);
        nodes_[1] = PreOrder(trees_[1]);
        panels_[Diagram] = get<TPaintBox>("PaintBox1");
        panels_[Element] = get<TPaintBox>("PaintBox2");
        memo_ = get<QPlainTextEdit>("Memo1");
        pages_ = get<QTabWidget>("PageControl1");
        restart_ = get<QToolButton>("SpeedButton2");
        language_ = get<QToolButton>("SpeedButton4");
    }

    bool Exposed() { return QTest::qWaitForWindowExposed(&form_); }

    // Runs one random action, sometimes lets the event loop run, and returns the first disagreement
    // with the model, or an empty string.
    QString Step(int index) {
        index_ = index;
        Expected expected = expectNothing();
        bool paintNow = false;
        const QString action = act(expected, paintNow);
        remember(action);
        // Judged before any repaint, which may legitimately carry out an earlier refresh.
        if (expected.PicturesUnchanged)
            for (TPanel panel : {Diagram, Element})
                expected.After[panel] = panels_[panel]->LogicalImage();
        if (!paintNow)
            noticeEarlyRepaints();
        // The program only repaints from the event loop; the model follows the loop, not the panels.
        // Running it after only some actions also lets several actions pile up before a repaint, as
        // with a quick user, and keeps the long run affordable (every window paint replays both
        // panels).
        if (paintNow || rng_.Below(SettleOneIn) == 0) {
            if (!settle())
                return QStringLiteral("a refreshed panel was not repainted by the event loop");
            model_.Settle();
        }
        return check(expected);
    }

    QString Context() const {
        QString text = QStringLiteral("seed %1 (rerun with MOHRWALK_RANDOM_SEED=%1), episode %2, action %3; "
                                      "last actions:")
                           .arg(seed_)
                           .arg(episode_)
                           .arg(index_);
        for (const QString& a : history_)
            text += QStringLiteral("\n    ") + a;
        return text;
    }

    // The settled state at the start: Dutch, unmarked, blank panels.
    QString CheckStart() {
        if (!settle())
            return QStringLiteral("the panels were not painted");
        Expected expected = expectNothing();
        return check(expected);
    }

private:
    // What the current action must leave behind, besides the model's state.
    struct Expected {
        enum class Memo { Unchanged, Empty, Explanation } MemoIs = Memo::Unchanged;
        int Explanation = -1;
        QString MemoBefore;
        int Informations = 0;
        QString Refusal;
        int Beeps = 0;
        int Popups = 0;
        // A refused click or an empty click must not touch the pictures.
        bool PicturesUnchanged = false;
        QImage Before[2];
        QImage After[2];
        int ClickedNode = -1; // expanded by every click, allowed or not
    };

    template <typename T> T* get(const char* name) {
        T* child = form_.findChild<T*>(QString::fromLatin1(name));
        if (!child)
            qFatal("no control named %s", name);
        return child;
    }

    QTreeWidget* visibleTree() { return trees_[model_.English ? 1 : 0]; }
    QTreeWidgetItem* node(int index) { return nodes_[model_.English ? 1 : 0][index]; }
    QString nodeName(int index) {
        return QStringLiteral("%1 \"%2\"")
            .arg(index)
            .arg(QString::fromUtf16(model_.English ? Steps[index].English : Steps[index].Dutch));
    }

    Expected expectNothing() {
        Expected e;
        e.MemoBefore = memo_->toPlainText();
        e.Informations = int(platform_.Informations.size());
        e.Beeps = platform_.Beeps;
        e.Popups = int(platform_.Popups.size());
        return e;
    }

    // A click that the program receives with the given node selected.
    void clickNode(int index, bool withMouse, Expected& e) {
        QTreeWidget* tree = visibleTree();
        QTreeWidgetItem* item = node(index);
        e.ClickedNode = index;
        e.Before[Diagram] = panels_[Diagram]->LogicalImage();
        e.Before[Element] = panels_[Element]->LogicalImage();
        const bool completing = index == NodeCount - 1 && model_.VisibleMarked() == NodeCount - 1;
        coverage_.Completed += completing;
        if (model_.Click(index)) {
            e.MemoIs = Expected::Memo::Explanation;
            e.Explanation = ExplanationOf(index);
        } else {
            ++coverage_.Refused;
            e.Informations += 1;
            e.Refusal = model_.English ? QStringLiteral("No jumps allowed in the list !")
                                       : QStringLiteral("Geen sprongen maken in de lijst !");
            e.PicturesUnchanged = true;
        }
        if (withMouse) {
            tree->scrollToItem(item);
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
        } else {
            tree->setCurrentItem(item);
            if (model_.English)
                form_.TreeViewUKClick();
            else
                form_.TreeView1Click();
        }
    }

    bool rowShown(int index) {
        for (int up = Steps[index].Parent; up >= 0; up = Steps[up].Parent)
            if (!node(up)->isExpanded())
                return false;
        return true;
    }

    QString act(Expected& e, bool& paintNow) {
        const int m = model_.VisibleMarked();
        const bool onStresses = model_.Page == 0;
        // Weights: mostly the next step, so that long stretches of the walkthrough get taken.
        struct Choice {
            int Weight;
            int Kind;
        };
        enum {
            Next,
            Repeat,
            Jump,
            MouseRow,
            Toggle,
            NoSelection,
            Restart,
            Language,
            GridOn,
            GridOff,
            Page,
            RefreshPanels,
            RepaintWindow
        };
        std::vector<Choice> choices;
        if (onStresses) {
            choices.push_back({m < NodeCount ? 300 : 0, Next});
            choices.push_back({m > 0 ? 200 : 0, Repeat});
            choices.push_back({m < NodeCount - 1 ? 100 : 0, Jump});
            choices.push_back({80, MouseRow});
            choices.push_back({40, Toggle});
            choices.push_back({10, NoSelection});
            choices.push_back({30, GridOn});
            choices.push_back({30, GridOff});
        }
        choices.push_back({12, Restart});
        choices.push_back({12, Language});
        choices.push_back({onStresses ? 15 : 200, Page});
        choices.push_back({30, RefreshPanels});
        choices.push_back({30, RepaintWindow});
        int total = 0;
        for (const Choice& c : choices)
            total += c.Weight;
        int pick = rng_.Below(total);
        int kind = choices.back().Kind;
        for (const Choice& c : choices) {
            if (pick < c.Weight) {
                kind = c.Kind;
                break;
            }
            pick -= c.Weight;
        }

        switch (kind) {
        case Next:
            clickNode(m, false, e);
            return QStringLiteral("click next node ") + nodeName(m);
        case Repeat: {
            const int index = rng_.Below(m);
            clickNode(index, false, e);
            return QStringLiteral("click taken node ") + nodeName(index);
        }
        case Jump: {
            const int index = rng_.Between(m + 1, NodeCount - 1);
            clickNode(index, false, e);
            return QStringLiteral("click later node ") + nodeName(index);
        }
        case MouseRow: {
            // A mouse click on a row that the tree shows.
            std::vector<int> shown;
            for (int i = 0; i < NodeCount; ++i)
                if (rowShown(i))
                    shown.push_back(i);
            const int index = shown[std::size_t(rng_.Below(int(shown.size())))];
            clickNode(index, true, e);
            return QStringLiteral("mouse click on row ") + nodeName(index);
        }
        case Toggle: {
            // The user opens or closes a node with the tree's own expand button.
            int index = rng_.Below(NodeCount);
            while (!HasChildren(index))
                index = rng_.Below(NodeCount);
            node(index)->setExpanded(!node(index)->isExpanded());
            return QStringLiteral("toggle expansion of ") + nodeName(index);
        }
        case NoSelection: {
            // A click that arrives while no node is selected changes nothing.
            QTreeWidget* tree = visibleTree();
            tree->setCurrentItem(nullptr);
            tree->clearSelection();
            e.Before[Diagram] = panels_[Diagram]->LogicalImage();
            e.Before[Element] = panels_[Element]->LogicalImage();
            e.PicturesUnchanged = true;
            if (model_.English)
                form_.TreeViewUKClick();
            else
                form_.TreeView1Click();
            return QStringLiteral("click with no node selected");
        }
        case Restart:
            model_.Restart();
            e.MemoIs = Expected::Memo::Empty;
            QTest::mouseClick(restart_, Qt::LeftButton);
            return QStringLiteral("restart button");
        case Language:
            model_.Restart();
            model_.English = !model_.English;
            e.MemoIs = Expected::Memo::Empty;
            QTest::mouseClick(language_, Qt::LeftButton);
            return QStringLiteral("language button");
        case GridOn:
        case GridOff: {
            // The grid menu opens on a right press on the diagram; then the entry is chosen.
            const QPoint at(rng_.Below(400), rng_.Below(400));
            QTest::mousePress(panels_[Diagram], Qt::RightButton, {}, at);
            QTest::mouseRelease(panels_[Diagram], Qt::RightButton, {}, at);
            e.Popups += 1;
            model_.Layers.DiagramGrid = kind == GridOn;
            model_.Refresh(Diagram);
            (kind == GridOn ? form_.ON1 : form_.OFF1)->trigger();
            return kind == GridOn ? QStringLiteral("grid menu: on") : QStringLiteral("grid menu: off");
        }
        case Page:
            // Hiding a page hides its panels; they repaint from the layers when shown again.
            model_.Page = 1 - model_.Page;
            model_.Refresh(Diagram);
            model_.Refresh(Element);
            e.Beeps += 1;
            pages_->setCurrentIndex(model_.Page);
            return QStringLiteral("show page %1").arg(model_.Page);
        case RefreshPanels: {
            paintNow = true;
            const int which = rng_.Below(3);
            for (TPanel panel : {Diagram, Element}) {
                if (which != 2 && which != panel)
                    continue;
                model_.Refresh(panel);
                panels_[panel]->hide();
                panels_[panel]->show();
            }
            return QStringLiteral("refresh %1")
                .arg(which == 0   ? QStringLiteral("diagram panel")
                     : which == 1 ? QStringLiteral("element panel")
                                  : QStringLiteral("both panels"));
        }
        case RepaintWindow:
        default:
            // The whole window paints at once, as when it is uncovered: the window's own paint
            // replays both panels' layers over their pictures. It paints pending refreshes too.
            paintNow = true;
            form_.repaint();
            return QStringLiteral("repaint the window");
        }
    }

    void remember(const QString& action) {
        history_.push_back(QStringLiteral("%1: %2").arg(index_).arg(action));
        if (history_.size() > 12)
            history_.pop_front();
    }

    // A refresh that ran before the event loop was let run leaves a picture the model does not know
    // (it ignored what was drawn while the refresh was pending); it is not compared until the next one.
    void noticeEarlyRepaints() {
        if (model_.Page != 0)
            return;
        for (TPanel panel : {Diagram, Element})
            if (model_.Panels[panel].RefreshPending && !panels_[panel]->RefreshPending())
                model_.Panels[panel] = TPanelModel{false, false};
    }

    // Lets the event loop run, which paints pending refreshes. A panel hidden with its page paints
    // when the page is shown again. Returns false if a shown panel is still waiting for its repaint
    // after the loop has had a fair chance.
    bool settle() {
        QCoreApplication::processEvents();
        const auto waiting = [this] {
            for (TPaintBox* panel : panels_)
                if (panel->RefreshPending() && panel->isVisible())
                    return true;
            return false;
        };
        for (int tries = 0; tries < 100 && waiting(); ++tries)
            QTest::qWait(10);
        return !waiting();
    }

    QString check(const Expected& e) {
        // Language and visible tree.
        if (form_.Figures().EnglishMode != (model_.English ? 1 : 0))
            return QStringLiteral("EnglishMode is %1").arg(form_.Figures().EnglishMode);
        // Asked of the trees themselves: the strains page hides them both with their page.
        if (trees_[0]->isHidden() != model_.English || trees_[1]->isHidden() == model_.English)
            return QStringLiteral("the wrong step tree is shown: TreeView1 %1, TreeViewUK %2, in %3")
                .arg(trees_[0]->isHidden() ? QStringLiteral("hidden") : QStringLiteral("shown"),
                     trees_[1]->isHidden() ? QStringLiteral("hidden") : QStringLiteral("shown"),
                     model_.English ? QStringLiteral("English") : QStringLiteral("Dutch"));
        if (pages_->currentIndex() != model_.Page)
            return QStringLiteral("page %1 is shown").arg(pages_->currentIndex());

        // Marks: a prefix of the pre-order, of the model's length, one mark each, in both trees.
        for (int t = 0; t < 2; ++t)
            for (int i = 0; i < NodeCount; ++i) {
                const QString plain = QString::fromUtf16(t == 1 ? Steps[i].English : Steps[i].Dutch);
                const QString expected = i < model_.Marked[t] ? plain + QChar(0x00AB) : plain;
                const QString actual = nodes_[t][i]->text(0);
                if (actual != expected)
                    return QStringLiteral("%1 node %2 reads \"%3\", expected \"%4\" (marked prefix %5)")
                        .arg(t == 1 ? QStringLiteral("English") : QStringLiteral("Dutch"))
                        .arg(i)
                        .arg(actual, expected)
                        .arg(model_.Marked[t]);
            }
        if (e.ClickedNode >= 0 && HasChildren(e.ClickedNode) && !node(e.ClickedNode)->isExpanded())
            return QStringLiteral("the clicked node was not expanded");

        // Figure state.
        const TFigures& figures = form_.Figures();
        if (!(figures.FigureLayers == model_.Layers)) {
            QString fields;
            const auto actual = figures.FigureLayers.Fields();
            const auto expected = model_.Layers.Fields();
            for (int i = 0; i < TFigureLayers::Count; ++i)
                if (*actual[std::size_t(i)] != *expected[std::size_t(i)])
                    fields += QStringLiteral(" #%1=%2").arg(i + 1).arg(*actual[std::size_t(i)]);
            return QStringLiteral("figure layers differ from the model:") + fields;
        }
        if (!(figures.ElementOptions == model_.Options))
            return QStringLiteral("element options differ from the model");

        // The explanation box.
        const QString memo = memo_->toPlainText();
        switch (e.MemoIs) {
        case Expected::Memo::Unchanged:
            if (memo != e.MemoBefore)
                return QStringLiteral("the explanation box changed to \"%1\"").arg(memo);
            break;
        case Expected::Memo::Empty:
            if (!memo.isEmpty())
                return QStringLiteral("the explanation box is not empty: \"%1\"").arg(memo);
            break;
        case Expected::Memo::Explanation: {
            const QString text =
                Explanation(model_.English ? TStepLanguage::English : TStepLanguage::Dutch, e.Explanation);
            if (memo_->blockCount() != 1 || memo != text)
                return QStringLiteral("the explanation box holds %1 line(s) \"%2\", expected explanation %3 "
                                      "alone")
                    .arg(memo_->blockCount())
                    .arg(memo)
                    .arg(e.Explanation);
            break;
        }
        }

        // Messages, beeps, menus, dialogs.
        if (platform_.Informations.size() != e.Informations)
            return QStringLiteral("%1 information boxes, expected %2")
                .arg(platform_.Informations.size())
                .arg(e.Informations);
        if (!e.Refusal.isEmpty() && platform_.Informations.last() != e.Refusal)
            return QStringLiteral("the refusal reads \"%1\"").arg(platform_.Informations.last());
        if (platform_.Beeps != e.Beeps)
            return QStringLiteral("%1 beeps, expected %2").arg(platform_.Beeps).arg(e.Beeps);
        if (int(platform_.Popups.size()) != e.Popups)
            return QStringLiteral("%1 grid menus opened, expected %2")
                .arg(platform_.Popups.size())
                .arg(e.Popups);
        if (!platform_.Modals.empty())
            return QStringLiteral("a modal dialog was shown");

        // The pictures.
        for (TPanel panel : {Diagram, Element}) {
            const char* name = panel == Diagram ? "diagram" : "element";
            if (e.PicturesUnchanged && e.After[panel] != e.Before[panel])
                return QStringLiteral("the %1 panel changed: %2")
                    .arg(QLatin1String(name), ImageDifference(e.After[panel], e.Before[panel]));
            const QImage image = panels_[panel]->LogicalImage();
            const TPanelModel& expected = model_.Panels[panel];
            if (model_.Page != 0 || expected.RefreshPending || !expected.ReplayEqual)
                continue;
            if (panels_[panel]->RefreshPending())
                return QStringLiteral("the %1 panel waits for a repaint the model does not expect")
                    .arg(QLatin1String(name));
            const QImage& replay = replays_.Get(panel, model_.Layers, model_.Options, model_.English);
            ++coverage_.Compared[panel];
            if (image != replay)
                return QStringLiteral("the %1 panel differs from a fresh replay: %2")
                    .arg(QLatin1String(name), ImageDifference(image, replay));
        }
        return {};
    }

    test::TFakePlatform platform_;
    TMainForm form_{&platform_};
    QDialog check_;
    QDialog about_;
    QTreeWidget* trees_[2] = {};
    std::vector<QTreeWidgetItem*> nodes_[2];
    TPaintBox* panels_[2] = {};
    QPlainTextEdit* memo_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QToolButton* restart_ = nullptr;
    QToolButton* language_ = nullptr;

    TModel model_;
    TReplays& replays_;
    TCoverage& coverage_;
    TRandom rng_;
    std::uint64_t seed_;
    int episode_;
    int index_ = -1;
    std::deque<QString> history_;
};

} // namespace

class TestRandomSequences : public QObject {
    Q_OBJECT

private slots:
    void randomActionsAgreeWithTheModel();
};

void TestRandomSequences::randomActionsAgreeWithTheModel() {
    const std::uint64_t seed = EnvNumber("MOHRWALK_RANDOM_SEED", DefaultSeed);
    const int actions = int(EnvNumber("MOHRWALK_RANDOM_ACTIONS", DefaultActions));
    qInfo("seed %llu, %d actions", static_cast<unsigned long long>(seed), actions);

    // Several windows, so that the sequences also start from the freshly created state.
    TReplays replays;
    TCoverage coverage;
    int done = 0;
    for (int episode = 0; episode < Episodes && done < actions; ++episode) {
        const int count = episode == Episodes - 1 ? actions - done : actions / Episodes;
        auto session = std::make_unique<TSession>(replays, coverage, seed, episode);
        QVERIFY(session->Exposed());
        QString problem = session->CheckStart();
        QVERIFY2(problem.isEmpty(),
                 qPrintable(session->Context() + QStringLiteral("\n  at start: ") + problem));
        for (int i = 0; i < count; ++i) {
            problem = session->Step(done + i);
            if (!problem.isEmpty()) {
                QVERIFY2(false, qPrintable(session->Context() + QStringLiteral("\n  ") + problem));
            }
        }
        done += count;
    }
    QCOMPARE(done, actions);
    qInfo("%d diagram and %d element pictures compared with a replay, %d refused clicks, %d walkthroughs "
          "completed",
          coverage.Compared[Diagram], coverage.Compared[Element], coverage.Refused, coverage.Completed);
}

QTEST_MAIN(TestRandomSequences)
#include "tst_app_random.moc"
