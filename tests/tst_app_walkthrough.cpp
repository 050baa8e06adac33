// The walkthrough through the real main window, clicked row by row with the mouse: the explanation and the
// focus after every step, the closing step's bare sample, the language of the direction-centre label, and
// progress that never carries over to the other language. The step keys take the same road as a click.

#include "appwindow.h"
#include "steptable.h"
#include "testsupport.h"

#include "walkthrough/explanations.h"
#include "walkthrough/progression.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

using namespace mohr;
using mohr::test::CountColour;
using mohr::test::PixelAt;
using mohr::test::PreOrder;
using mohr::test::TWindow;

namespace {

// A real mouse click on the row, scrolled into view first.
void ClickRow(QTreeWidget* tree, QTreeWidgetItem* item) {
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

// The explanation a node shows: nodes 5 and 6 share the one of node 4.
int ExplanationOf(int node) {
    return node == 5 || node == 6 ? 4 : node;
}

// Steps whose explanation is only added, so the tree keeps the focus; every other step scrolls the
// explanation box to its top and gives it the focus.
const std::set<int> AddOnly = {11, 13, 14, 15, 16, 19, 23, 27};

struct TLanguageCase {
    const char* TreeName;
    TStepLanguage Language;
    bool SwitchFirst;
};

} // namespace

class TestWalkthrough : public QObject {
    Q_OBJECT
private slots:
    void everyStepInOrderThenInAnyOrder_data();
    void everyStepInOrderThenInAnyOrder();
    void closingStepLeavesTheBareSampleWithItsStresses();
    void directionCentreIsLabelledInTheInterfaceLanguage();
    void progressNeverCarriesOverToTheOtherLanguage();
    void stepKeysTakeTheCurrentRowAsAClickDoes();
};

void TestWalkthrough::everyStepInOrderThenInAnyOrder_data() {
    QTest::addColumn<bool>("english");
    QTest::newRow("Dutch") << false;
    QTest::newRow("English") << true;
}

void TestWalkthrough::everyStepInOrderThenInAnyOrder() {
    QFETCH(bool, english);
    TWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.Form));
    w.Form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.Form));
    if (english)
        QTest::mouseClick(w.Get("SpeedButton4"), Qt::LeftButton);
    auto* tree = w.Get<QTreeWidget>(english ? "TreeViewUK" : "TreeView1");
    const TStepLanguage language = english ? TStepLanguage::English : TStepLanguage::Dutch;
    const std::vector<QTreeWidgetItem*> nodes = PreOrder(tree);
    QCOMPARE(int(nodes.size()), 31);

    const auto takeStep = [&](int k) {
        ClickRow(tree, nodes[k]);
        const QString expected = Explanation(language, ExplanationOf(k));
        QVERIFY2(!expected.isEmpty(), qPrintable(QStringLiteral("node %1").arg(k)));
        QCOMPARE(w.Memo()->blockCount(), 1);
        QCOMPARE(w.Memo()->toPlainText(), expected);
        QVERIFY(nodes[k]->text(0).endsWith(StepMark));
        QCOMPARE(nodes[k]->text(0).count(StepMark), 1);
        QWidget* focus = AddOnly.count(k) ? static_cast<QWidget*>(tree) : w.Memo();
        QVERIFY2(w.Form.focusWidget() == focus, qPrintable(QStringLiteral("focus after node %1").arg(k)));
        if (focus == w.Memo())
            QCOMPARE(w.Memo()->textCursor().position(), 0);
    };

    for (int k = 0; k < 31; ++k) {
        takeStep(k);
        if (QTest::currentTestFailed())
            return;
    }
    QVERIFY(w.Platform.Informations.isEmpty());

    // With every step taken, any node may be clicked again and shows its own explanation again.
    const unsigned seed = 20261208;
    std::vector<int> order(31);
    for (int k = 0; k < 31; ++k)
        order[k] = k;
    std::mt19937 random(seed);
    std::shuffle(order.begin(), order.end(), random);
    for (int k : order) {
        takeStep(k);
        if (QTest::currentTestFailed()) {
            qWarning("shuffled with seed %u", seed);
            return;
        }
    }
    QVERIFY(w.Platform.Informations.isEmpty());
}

void TestWalkthrough::closingStepLeavesTheBareSampleWithItsStresses() {
    TWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.Form));
    auto* tree = w.Get<QTreeWidget>("TreeView1");
    const std::vector<QTreeWidgetItem*> nodes = PreOrder(tree);
    for (int k = 0; k < 30; ++k)
        ClickRow(tree, nodes[k]);
    w.Settle();
    const QImage before = w.Element()->LogicalImage();
    // Grid, dimension arrow A-B, global x axis, global y axis and the face axis pairs before the last step.
    QVERIFY(CountColour(before, colours::Silver) > 0);
    QCOMPARE(PixelAt(before, 70, 200), colours::Black);
    QCOMPARE(PixelAt(before, 160, 180), colours::Black);
    QCOMPARE(PixelAt(before, 60, 50), colours::Black);
    QVERIFY(CountColour(before, colours::Teal) > 0);

    ClickRow(tree, nodes[30]);
    w.Settle();
    const QImage bare = w.Element()->LogicalImage();
    for (Colour extra :
         {colours::Silver, colours::Teal, colours::Aqua, colours::Fuchsia, colours::Red, colours::Green})
        QCOMPARE(CountColour(bare, extra), 0);
    QCOMPARE(PixelAt(bare, 70, 200), colours::White);
    QCOMPARE(PixelAt(bare, 160, 180), colours::White);
    QCOMPARE(PixelAt(bare, 60, 50), colours::White);
    // The sample, the given stresses (E-D normal stress) and the final ones (A-E shear stress).
    QCOMPARE(PixelAt(bare, 100, 150), colours::Gray);
    QCOMPARE(PixelAt(bare, 85, 50), colours::Navy);
    QCOMPARE(PixelAt(bare, 53, 150), colours::Navy);
    QCOMPARE(PixelAt(bare, 97, 184), colours::Navy);

    // Every repaint shows the same picture.
    for (int i = 0; i < 2; ++i) {
        w.Element()->hide();
        w.Element()->show();
        w.Settle();
        QCOMPARE(w.Element()->LogicalImage(), bare);
    }
    // Taking the closing step again gives the same picture again.
    ClickRow(tree, nodes[30]);
    w.Settle();
    QCOMPARE(w.Element()->LogicalImage(), bare);

    // Node 0 draws nothing now; node 1 brings the face axis pairs back, on every repaint too.
    ClickRow(tree, nodes[0]);
    w.Settle();
    QCOMPARE(w.Element()->LogicalImage(), bare);
    ClickRow(tree, nodes[1]);
    w.Settle();
    QVERIFY(CountColour(w.Element()->LogicalImage(), colours::Red) > 0);
    w.Element()->hide();
    w.Element()->show();
    w.Settle();
    QVERIFY(CountColour(w.Element()->LogicalImage(), colours::Teal) > 0);
    QCOMPARE(CountColour(w.Element()->LogicalImage(), colours::Silver), 0);

    // After a restart the sample has its grid, dimensions and axes again.
    QTest::mouseClick(w.Get("SpeedButton2"), Qt::LeftButton);
    w.Settle();
    ClickRow(tree, nodes[0]);
    w.Settle();
    const QImage again = w.Element()->LogicalImage();
    QVERIFY(CountColour(again, colours::Silver) > 0);
    QCOMPARE(PixelAt(again, 70, 200), colours::Black);
    QCOMPARE(PixelAt(again, 160, 180), colours::Black);
}

void TestWalkthrough::directionCentreIsLabelledInTheInterfaceLanguage() {
    TWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.Form));
    const auto walkTo14 = [&](const char* treeName) {
        auto* tree = w.Get<QTreeWidget>(treeName);
        const std::vector<QTreeWidgetItem*> nodes = PreOrder(tree);
        for (int k = 0; k <= 14; ++k)
            ClickRow(tree, nodes[k]);
        w.Settle();
        return w.Diagram()->LogicalImage();
    };
    const QImage dutch = walkTo14("TreeView1");
    QTest::mouseClick(w.Get("SpeedButton4"), Qt::LeftButton);
    w.Settle();
    const QImage english = walkTo14("TreeViewUK");
    QTest::mouseClick(w.Get("SpeedButton4"), Qt::LeftButton);
    w.Settle();
    const QImage dutchAgain = walkTo14("TreeView1");

    // The label stands at (98, 120): the two pictures differ there and nowhere else.
    const QRect label(98, 120, 40, 14);
    int differing = 0;
    for (int y = 0; y < dutch.height(); ++y)
        for (int x = 0; x < dutch.width(); ++x)
            if (PixelAt(dutch, x, y) != PixelAt(english, x, y)) {
                QVERIFY2(label.contains(x, y), qPrintable(QStringLiteral("(%1, %2) differs").arg(x).arg(y)));
                ++differing;
            }
    QVERIFY(differing > 0);
    QCOMPARE(dutchAgain, dutch);
}

void TestWalkthrough::progressNeverCarriesOverToTheOtherLanguage() {
    TWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.Form));
    auto* dutch = w.Get<QTreeWidget>("TreeView1");
    const std::vector<QTreeWidgetItem*> nl = PreOrder(dutch);
    for (int k = 0; k < 31; ++k)
        ClickRow(dutch, nl[k]);
    QVERIFY(w.Platform.Informations.isEmpty());

    QTest::mouseClick(w.Get("SpeedButton4"), Qt::LeftButton);
    auto* english = w.Get<QTreeWidget>("TreeViewUK");
    QVERIFY(english->isVisible());
    QVERIFY(!dutch->isVisible());
    const std::vector<QTreeWidgetItem*> en = PreOrder(english);
    for (QTreeWidgetItem* node : en)
        QVERIFY(!IsMarked(node));
    // The second topic is refused; only the first step can be taken.
    ClickRow(english, en[2]);
    QCOMPARE(w.Platform.Informations, QStringList{QStringLiteral("No jumps allowed in the list !")});
    QCOMPARE(w.Memo()->toPlainText(), QString());
    ClickRow(english, en[0]);
    QVERIFY(IsMarked(en[0]));
    QCOMPARE(w.Memo()->toPlainText(), Explanation(TStepLanguage::English, 0));

    // And back: the Dutch tree lost its marks in the switch.
    QTest::mouseClick(w.Get("SpeedButton4"), Qt::LeftButton);
    for (QTreeWidgetItem* node : nl)
        QVERIFY(!IsMarked(node));
    ClickRow(dutch, nl[1]);
    QCOMPARE(w.Platform.Informations.last(), QStringLiteral("Geen sprongen maken in de lijst !"));
}

void TestWalkthrough::stepKeysTakeTheCurrentRowAsAClickDoes() {
    TWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.Form));
    w.Form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.Form));
    auto* tree = w.Get<QTreeWidget>("TreeView1");
    const std::vector<QTreeWidgetItem*> nodes = PreOrder(tree);
    const auto refusals = [&] { return w.Platform.Informations.size(); };

    // Tab gives the tree a current row but selects nothing: the key still takes that row.
    tree->setFocus(Qt::TabFocusReason);
    tree->setCurrentItem(nodes[0], 0, QItemSelectionModel::NoUpdate);
    QVERIFY(tree->selectedItems().isEmpty());
    QTest::keyClick(tree, Qt::Key_Return);
    QVERIFY(IsMarked(nodes[0]));
    QCOMPARE(w.Memo()->toPlainText(), Explanation(TStepLanguage::Dutch, 0));
    QCOMPARE(w.Form.focusWidget(), static_cast<QWidget*>(w.Memo()));

    // Out of order by key: the refusal, and nothing else changes.
    tree->setFocus();
    tree->setCurrentItem(nodes[2]);
    QTest::keyClick(tree, Qt::Key_Space);
    QCOMPARE(w.Platform.Informations.last(), QStringLiteral("Geen sprongen maken in de lijst !"));
    QVERIFY(!IsMarked(nodes[2]));
    QCOMPARE(w.Memo()->toPlainText(), Explanation(TStepLanguage::Dutch, 0));

    // A held key, or a key with a modifier, takes nothing; the keypad's Enter does.
    tree->setCurrentItem(nodes[1]);
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
    QApplication::sendEvent(tree, &held);
    QTest::keyClick(tree, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(!IsMarked(nodes[1]));
    QTest::keyClick(tree, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(IsMarked(nodes[1]));
    QCOMPARE(refusals(), 1);
}

QTEST_MAIN(TestWalkthrough)
#include "tst_app_walkthrough.moc"
