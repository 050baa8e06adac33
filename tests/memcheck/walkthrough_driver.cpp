// The whole walkthrough in one run, for the memory check: the real main window on a platform that
// answers at once (no modal dialog, no beep), every step of both trees clicked in order, a refused
// jump, the grid menu, restart, the language switch, the about and exit buttons, the start-up timer
// and page changes. Exits non-zero when the walkthrough did not go as a student would see it, so a
// clean memory report always covers the whole road.
#include "Check.h"
#include "about.h"
#include "main.h"
#include "quietplatform.h"
#include "walkthrough/progression.h"

#include <QApplication>
#include <QMenu>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdio>

namespace {

int failures = 0;

void Expect(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "walkthrough driver: %s\n", what);
        ++failures;
    }
}

template <typename T> T* Child(QWidget& form, const char* name) {
    T* child = form.findChild<T*>(QString::fromLatin1(name));
    if (!child) {
        std::fprintf(stderr, "walkthrough driver: no %s\n", name);
        std::exit(1);
    }
    return child;
}

// Let the refreshes and repaints that a handler asked for run, as after a real click.
void Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// A left click in the middle of the node's text, as the student does it.
bool ClickNode(QTreeWidget* tree, int index) {
    QTreeWidgetItem* node = mohr::NodeAt(tree, index);
    if (!node)
        return false;
    tree->scrollToItem(node);
    const QRect rect = tree->visualItemRect(node);
    if (rect.isEmpty())
        return false;
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
    Settle();
    return true;
}

int MarkedCount(QTreeWidget* tree) {
    int marked = 0;
    for (int i = 0; QTreeWidgetItem* node = mohr::NodeAt(tree, i); ++i)
        marked += mohr::IsMarked(node) ? 1 : 0;
    return marked;
}

void ClickButton(QWidget& form, const char* name) {
    QTest::mouseClick(Child<QToolButton>(form, name), Qt::LeftButton);
    Settle();
}

// Every step of one tree in order, with one refused jump on the way and the grid menu at the end.
void WalkTree(mohr::TMainForm& form, mohr::TQuietPlatform& platform, QTreeWidget* tree) {
    Expect(tree->isVisible(), "the tree of the current language is hidden");
    const qsizetype informations = platform.Informations.size();
    for (int i = 0; i <= 30; ++i) {
        if (i == 5) {
            Expect(ClickNode(tree, 0), "cannot click the first node again");
            // The next node but one, if shown, is a jump and must be refused.
            QTreeWidgetItem* jump = mohr::NodeAt(tree, i + 1);
            if (jump && !tree->visualItemRect(jump).isEmpty()) {
                ClickNode(tree, i + 1);
                Expect(platform.Informations.size() == informations + 1, "a jump was not refused");
                Expect(!mohr::IsMarked(jump), "a refused jump was marked");
            }
        }
        Expect(ClickNode(tree, i), "a step node is not on screen when its turn comes");
    }
    Expect(MarkedCount(tree) == 31, "not all 31 steps are marked after clicking them in order");

    auto* diagram = Child<QWidget>(form, "PaintBox1");
    const std::size_t popups = platform.Popups.size();
    QTest::mousePress(diagram, Qt::RightButton, {}, QPoint(200, 200));
    QTest::mouseRelease(diagram, Qt::RightButton, {}, QPoint(200, 200));
    Expect(platform.Popups.size() == popups + 1,
           "a right click on the diagram panel did not open the grid menu");
    form.OFF1->trigger();
    Settle();
    form.ON1->trigger();
    Settle();
    form.ON1->trigger();
    Settle();
    form.OFF1->trigger();
    Settle();
    form.OFF1->trigger();
    Settle();
    form.repaint(); // the whole window over both panels
    Settle();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    mohr::TQuietPlatform platform;
    {
        // Made in the order of the real start-up: the main window, then both dialogs.
        mohr::TMainForm form(&platform);
        mohr::TCheckForm checkForm;
        mohr::TAboutForm aboutForm;
        form.CheckForm = &checkForm;
        form.AboutForm = &aboutForm;
        form.show();
        Expect(QTest::qWaitForWindowExposed(&form), "the main window was never shown");
        // The one-shot start-up check, on a wide enough screen.
        QTest::qWait(1300);
        Expect(form.isVisible(), "the start-up check closed the window on a wide screen");

        auto* dutch = Child<QTreeWidget>(form, "TreeView1");
        auto* english = Child<QTreeWidget>(form, "TreeViewUK");

        WalkTree(form, platform, dutch);
        ClickButton(form, "SpeedButton2"); // restart
        Expect(MarkedCount(dutch) == 0, "restart left marks in the Dutch tree");
        WalkTree(form, platform, dutch);

        ClickButton(form, "SpeedButton4"); // to English
        Expect(MarkedCount(dutch) == 0, "the language switch did not restart");
        WalkTree(form, platform, english);
        ClickButton(form, "SpeedButton2");
        Expect(MarkedCount(english) == 0, "restart left marks in the English tree");
        for (int i = 0; i < 12; ++i)
            ClickNode(english, i);
        ClickButton(form, "SpeedButton4"); // back to Dutch halfway through
        Expect(MarkedCount(english) == 0, "switching back did not restart");
        Expect(dutch->isVisible() && !english->isVisible(), "the Dutch tree is not back");

        auto* pages = Child<QTabWidget>(form, "PageControl1");
        const int beeps = platform.Beeps;
        pages->setCurrentIndex(1);
        Settle();
        pages->setCurrentIndex(0);
        Settle();
        Expect(platform.Beeps == beeps + 2, "a page change did not beep once");

        const std::size_t modals = platform.Modals.size();
        ClickButton(form, "SpeedButton1"); // about
        Expect(platform.Modals.size() == modals + 1, "the about button did not show the about dialog");
        ClickButton(form, "SpeedButton3"); // exit
        Expect(!form.isVisible(), "the exit button left the window open");
    }
    Settle();
    return failures == 0 ? 0 : 1;
}
