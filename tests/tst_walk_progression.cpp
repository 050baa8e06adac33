// The ordered progression through the step trees: absolute indices over collapsed nodes, the
// completion mark, and the rule that a step may only be taken when every earlier step is marked.
#include "steptable.h"
#include "walkthrough/progression.h"

#include <QTest>
#include <QTreeWidget>

#include <array>
#include <memory>
#include <vector>

using namespace mohr;

namespace {

using mohr::test::StepTable;
constexpr int NodeCount = mohr::test::StepCount;
const QString Mark = QString(QChar(0x00AB));

QString TableText(int index, bool english) {
    const mohr::test::TStepRow& row = StepTable[static_cast<std::size_t>(index)];
    return QString::fromUtf16(english ? row.English : row.Dutch);
}

// A step tree built from the table, with its items in table order.
struct TStepTree {
    explicit TStepTree(bool english) : English(english) {
        for (int i = 0; i < NodeCount; ++i) {
            const mohr::test::TStepRow& row = StepTable[static_cast<std::size_t>(i)];
            auto* item = new QTreeWidgetItem(QStringList{TableText(i, english)});
            if (row.Parent < 0)
                Tree.addTopLevelItem(item);
            else
                Items[static_cast<std::size_t>(row.Parent)]->addChild(item);
            Items.push_back(item);
        }
    }
    QTreeWidgetItem* Item(int i) const { return Items[static_cast<std::size_t>(i)]; }

    // Marks nodes 0..m-1 directly, unmarks the rest and collapses every node.
    void SetMarkedPrefix(int m) {
        for (int i = 0; i < NodeCount; ++i) {
            Item(i)->setText(0, TableText(i, English) + (i < m ? Mark : QString()));
            Item(i)->setExpanded(false);
        }
    }

    bool English;
    QTreeWidget Tree;
    std::vector<QTreeWidgetItem*> Items;
};

} // namespace

class TestWalkProgression : public QObject {
    Q_OBJECT

private slots:
    void indicesCountCollapsedNodes_data();
    void indicesCountCollapsedNodes();
    void ruleAgainstModel_data();
    void ruleAgainstModel();
    void markIsAppendedOnce();
    void refusedClickOnCollapsedTopicExpandsIt();
    void clearStepMarksRestoresTheTable_data();
    void clearStepMarksRestoresTheTable();
    void nodesOutsideTheTreeAreNeverTaken();
};

void TestWalkProgression::indicesCountCollapsedNodes_data() {
    QTest::addColumn<bool>("english");
    QTest::addColumn<bool>("expandSome");
    QTest::newRow("dutch, collapsed") << false << false;
    QTest::newRow("english, collapsed") << true << false;
    QTest::newRow("dutch, partly expanded") << false << true;
}

void TestWalkProgression::indicesCountCollapsedNodes() {
    QFETCH(bool, english);
    QFETCH(bool, expandSome);
    TStepTree t(english);
    if (expandSome) {
        t.Item(2)->setExpanded(true);
        t.Item(22)->setExpanded(true); // expanded under a collapsed topic
    }
    for (int i = 0; i < NodeCount; ++i) {
        QCOMPARE(AbsoluteIndex(&t.Tree, t.Item(i)), i);
        QCOMPARE(NodeAt(&t.Tree, i), t.Item(i));
        QCOMPARE(NodeLevel(t.Item(i)), StepTable[static_cast<std::size_t>(i)].Level);
    }
    QCOMPARE(NodeAt(&t.Tree, NodeCount), nullptr);
    QCOMPARE(NodeAt(&t.Tree, -1), nullptr);
    QCOMPARE(AbsoluteIndex(&t.Tree, nullptr), -1);
}

void TestWalkProgression::ruleAgainstModel_data() {
    QTest::addColumn<bool>("english");
    QTest::newRow("dutch") << false;
    QTest::newRow("english") << true;
}

// For every marked prefix m and every clicked node k: allowed exactly when k <= m; only node m can
// gain a mark, and only once; the clicked node is expanded and nothing else.
void TestWalkProgression::ruleAgainstModel() {
    QFETCH(bool, english);
    TStepTree t(english);
    for (int m = 0; m <= NodeCount; ++m) {
        for (int k = 0; k < NodeCount; ++k) {
            t.SetMarkedPrefix(m);
            const bool allowed = TryCompleteStep(&t.Tree, t.Item(k));
            QVERIFY2(allowed == (k <= m), qPrintable(QString("m=%1 k=%2").arg(m).arg(k)));
            const int newPrefix = (k == m) ? m + 1 : m;
            bool prefixEnded = false;
            for (int i = 0; i < NodeCount; ++i) {
                const QString expected = TableText(i, english) + (i < newPrefix ? Mark : QString());
                QVERIFY2(t.Item(i)->text(0) == expected,
                         qPrintable(
                             QString("m=%1 k=%2 node %3: %4").arg(m).arg(k).arg(i).arg(t.Item(i)->text(0))));
                QCOMPARE(IsMarked(t.Item(i)), i < newPrefix);
                // The marked nodes stay a prefix of the pre-order.
                if (!IsMarked(t.Item(i)))
                    prefixEnded = true;
                else
                    QVERIFY(!prefixEnded);
                QCOMPARE(t.Item(i)->isExpanded(), i == k);
            }
        }
    }
}

void TestWalkProgression::markIsAppendedOnce() {
    TStepTree t(false);
    for (int i = 0; i <= 11; ++i)
        QVERIFY(TryCompleteStep(&t.Tree, t.Item(i)));
    QCOMPARE(t.Item(11)->text(0), QString::fromUtf8("teken de cirkel\u00AB"));
    QVERIFY(TryCompleteStep(&t.Tree, t.Item(11)));
    QVERIFY(TryCompleteStep(&t.Tree, t.Item(3)));
    QCOMPARE(t.Item(11)->text(0), QString::fromUtf8("teken de cirkel\u00AB"));
    QCOMPARE(t.Item(3)->text(0), QString::fromUtf8("assenstelsel\u00AB"));
    QCOMPARE(t.Item(12)->text(0), QString::fromUtf8("bepaal richtingen-centrum (RC)"));

    // Once every node is marked, every node may be taken again, in any order.
    for (int i = 12; i < NodeCount; ++i)
        QVERIFY(TryCompleteStep(&t.Tree, t.Item(i)));
    for (int i = NodeCount - 1; i >= 0; --i)
        QVERIFY(TryCompleteStep(&t.Tree, t.Item(i)));
    for (int i = 0; i < NodeCount; ++i)
        QCOMPARE(t.Item(i)->text(0).count(Mark), 1);
}

void TestWalkProgression::refusedClickOnCollapsedTopicExpandsIt() {
    TStepTree t(true);
    QVERIFY(!TryCompleteStep(&t.Tree, t.Item(2)));
    QVERIFY(t.Item(2)->isExpanded());
    // One level only: its steps keep their own state.
    QVERIFY(!t.Item(3)->isExpanded());
    QVERIFY(!t.Item(0)->isExpanded());
    for (int i = 0; i < NodeCount; ++i)
        QCOMPARE(t.Item(i)->text(0), TableText(i, true));

    // The first node is always allowed.
    QVERIFY(TryCompleteStep(&t.Tree, t.Item(0)));
    QCOMPARE(t.Item(0)->text(0), QString("stresses on faces") + Mark);
    QVERIFY(t.Item(0)->isExpanded());
}

void TestWalkProgression::clearStepMarksRestoresTheTable_data() {
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("taken");
    QTest::newRow("dutch, none taken") << false << 0;
    QTest::newRow("dutch, half taken") << false << 15;
    QTest::newRow("english, all taken") << true << NodeCount;
    QTest::newRow("dutch, all taken") << false << NodeCount;
}

void TestWalkProgression::clearStepMarksRestoresTheTable() {
    QFETCH(bool, english);
    QFETCH(int, taken);
    TStepTree t(english);
    for (int i = 0; i < taken; ++i)
        QVERIFY(TryCompleteStep(&t.Tree, t.Item(i)));
    for (int i = 0; i < NodeCount; ++i)
        t.Item(i)->setExpanded(true);

    ClearStepMarks(&t.Tree);
    for (int i = 0; i < NodeCount; ++i) {
        QCOMPARE(t.Item(i)->text(0), TableText(i, english));
        QVERIFY2(!t.Item(i)->isExpanded(), qPrintable(QString("node %1 still expanded").arg(i)));
    }
    // Progress starts again at node 0 only.
    QVERIFY(!TryCompleteStep(&t.Tree, t.Item(1)));
    QVERIFY(TryCompleteStep(&t.Tree, t.Item(0)));
}

void TestWalkProgression::nodesOutsideTheTreeAreNeverTaken() {
    TStepTree dutch(false);
    TStepTree english(true);
    QVERIFY(!TryCompleteStep(&dutch.Tree, english.Item(0)));
    QVERIFY(!TryCompleteStep(&dutch.Tree, nullptr));
    QCOMPARE(english.Item(0)->text(0), TableText(0, true));
    QVERIFY(!english.Item(0)->isExpanded());
    QCOMPARE(AbsoluteIndex(&dutch.Tree, english.Item(5)), -1);
    // Progress in one tree is not progress in the other.
    QVERIFY(TryCompleteStep(&dutch.Tree, dutch.Item(0)));
    QVERIFY(!TryCompleteStep(&english.Tree, english.Item(1)));
}

QTEST_MAIN(TestWalkProgression)
#include "tst_walk_progression.moc"
