// The main window: its fixed layout and start texts, both step trees, the tool buttons, the page
// beep, the grid menu, the restart, the language switch and the panel repaints; what the keyboard and
// readers get of the panels and the trees.

#include "Check.h"
#include "about.h"
#include "appwindow.h"
#include "pictures.h"
#include "steptable.h"
#include "steptree.h"
#include "testsupport.h"

#include "walkthrough/progression.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindowStateChangeEvent>

#include <cmath>
#include <memory>
#include <set>
#include <vector>

using namespace mohr;
using mohr::test::CountColour;
using mohr::test::InkContrast;
using mohr::test::PixelAt;
using mohr::test::PreOrder;
using mohr::test::StepCount;
using mohr::test::StepTable;
using mohr::test::TWindow;

namespace {

bool Exposed(TWindow& w) {
    return QTest::qWaitForWindowExposed(&w.Form);
}

// Shown and active, so that keys reach it.
bool Active(TWindow& w) {
    if (!Exposed(w))
        return false;
    w.Form.activateWindow();
    return QTest::qWaitForWindowActive(&w.Form);
}

// Lets every pending paint run.
void Settle(TWindow& w) {
    w.Settle();
}

bool AllWhite(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (PixelAt(image, x, y) != colours::White)
                return false;
    return true;
}

const QString TreeHint = QStringLiteral("Routebeschrijving, klik regel voor regel");

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void controlsStandWhereTheLayoutPutsThem_data();
    void controlsStandWhereTheLayoutPutsThem();
    void windowIsAFixedDialogFrameOf800By600();
    void fontsAndColours();
    void startTexts();
    void stepTreesHoldTheStepTable_data();
    void stepTreesHoldTheStepTable();
    void toolButtonsArePicturesWithoutFocus();
    void panelsStartBlankWithTheCanvasStartState();
    void aboutButtonShowsTheAboutDialogModally();
    void exitButtonClosesTheWindow();
    void gridMenuOpensOnlyForTheRightButtonOnTheDiagram();
    void pageChangeBeepsOncePerRealChange();
    void restartClearsEverythingAndRepaintsAfterTheHandler();
    void refreshReplaysTheSetLayers();
    void formPaintReplaysBothPanels();
    void stepClicksStopAtThePageAndLeaveTheLookAlone();
    void windowLooksAsTheStyleAloneDrawsIt();
    void gridEntriesSwitchTheGridLayer();
    void languageSwitchRewritesCaptionsAndSwapsTrees();
    void languageSwitchKeepsThePageAndRestartsTheWalkthrough();
    void explanationBoxAddsLinesAndScrollsToTop();
    void treeClickActsOnTheClickedRow();
    void panelsTakeTheFocusByTabAndMarkItOnTheBevelOnly();
    void takenRowsAreCheckedWithoutACheckBoxAndHiddenRowsStayOut();
    void stepTreesDrawTheirLines_data();
    void stepTreesDrawTheirLines();
    void windowFitsALateFrameAndStaysOnTheDesktop();
    void darkThemeLeavesTheWhitePanelsAndDialogsReadable();
    void keysAloneWalkTheStepsWithTheFocusInSight();
    void commandsAreAnnouncedAndTheSwitchStartsAtTheFirstRow();
    void everyControlIsNamedForReadersInBothLanguages();
    void keysCanBeDiscovered();
    void focusOfRowAndTabStandsOut();
};

void TestMainWindow::controlsStandWhereTheLayoutPutsThem_data() {
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("fixed");
    const auto row = [](const char* name, const char* parent, int x, int y, int w, int h, bool fixed) {
        QTest::newRow(name) << QString::fromLatin1(parent) << QRect(x, y, w, h) << fixed;
    };
    row("SpeedButton1", "Panel1", 757, 12, 25, 26, true);
    row("SpeedButton2", "Panel1", 757, 48, 25, 26, true);
    row("SpeedButton3", "Panel1", 757, 88, 25, 26, true);
    row("SpeedButton4", "Panel1", 757, 128, 25, 44, true);
    row("GroupBox1", "TabSheet1", 7, 0, 274, 281, true);
    row("TreeView1", "GroupBox1", 9, 16, 258, 255, true);
    row("TreeViewUK", "GroupBox1", 8, 16, 258, 255, true);
    row("GroupBox2", "TabSheet1", 7, 285, 274, 274, true); // moved from 8 at creation
    row("Panel3", "GroupBox2", 6, 16, 248, 248, true);
    row("PaintBox2", "Panel3", 4, 4, 240, 240, true);
    row("GroupBox3", "TabSheet1", 289, 0, 437, 441, true);
    row("Panel2", "GroupBox3", 13, 16, 408, 408, true);
    row("PaintBox1", "Panel2", 4, 4, 400, 400, true);
    row("GroupBox4", "TabSheet1", 289, 446, 437, 115, true);
    row("Memo1", "GroupBox4", 13, 13, 408, 89, true);
    row("Panel4", "TabSheet2", 192, 152, 377, 121, true);
    row("Image1", "Panel4", 7, 7, 104, 40, true);
}

void TestMainWindow::controlsStandWhereTheLayoutPutsThem() {
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(bool, fixed);
    TWindow w;
    QVERIFY(Exposed(w));
    QWidget* control = w.Get(QTest::currentDataTag());
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(control->geometry(), geometry);
    if (fixed) {
        QCOMPARE(control->minimumSize(), geometry.size());
        QCOMPARE(control->maximumSize(), geometry.size());
    }
}

void TestMainWindow::windowIsAFixedDialogFrameOf800By600() {
    TWindow w;
    QVERIFY(Exposed(w));
    // The outer size counts the frame, whatever the platform makes of it.
    QTRY_COMPARE(w.Form.frameGeometry().size(), QSize(800, 600));
    QCOMPARE(w.Form.minimumSize(), w.Form.maximumSize());
    const Qt::WindowFlags flags = w.Form.windowFlags();
    QVERIFY(flags & Qt::WindowTitleHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));

    // Panel1 fills the client area; the page control is docked to its left edge, full height.
    QCOMPARE(w.Get("Panel1")->geometry(), w.Form.rect());
    auto* pages = w.Get<QTabWidget>("PageControl1");
    QCOMPARE(pages->parentWidget()->objectName(), QStringLiteral("Panel1"));
    QCOMPARE(pages->geometry(), QRect(1, 1, 751, w.Form.height() - 2));
    QCOMPARE(pages->tabPosition(), QTabWidget::West);
    QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("TabSheet1"));
    QCOMPARE(pages->indexOf(w.Get("TabSheet2")), 1);
    // Every group box of the stresses page fits on the page.
    QWidget* page = w.Get("TabSheet1");
    QVERIFY(page->width() >= 725 && page->height() >= 561);
    for (const char* box : {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox4"})
        QVERIFY2(page->rect().contains(w.Get(box)->geometry()), box);
    // Nothing overlaps the buttons.
    QVERIFY(pages->geometry().right() < w.Get("SpeedButton1")->x());

    // Centred on the screen when first shown.
    const QRect screen = w.Form.screen()->geometry();
    QCOMPARE(w.Form.frameGeometry().center(), screen.center());

    // Resizing is refused.
    w.Form.resize(900, 700);
    QCOMPARE(w.Form.frameGeometry().size(), QSize(800, 600));
}

void TestMainWindow::fontsAndColours() {
    TWindow w;
    QVERIFY(Exposed(w));
    // The classic window font, mapped to an installed sans font at 10 pixels.
    QCOMPARE(w.Form.font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(QFontInfo(w.Form.font()).pixelSize(), 10);
    QVERIFY(!QFont::substitutes(QStringLiteral("MS Sans Serif")).isEmpty());
    QVERIFY(QFontDatabase::families().contains(QFontInfo(w.Form.font()).family()));

    for (const char* name : {"Label1", "Label2", "Label3", "Label4"}) {
        auto* label = w.Get<QLabel>(name);
        QVERIFY2(label->font().bold(), name);
        QCOMPARE(QFontInfo(label->font()).pixelSize(), 12);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0x80));
        QCOMPARE(label->size(), label->sizeHint()); // sized to its text
        QVERIFY(!label->text().isEmpty());
    }
    auto* label5 = w.Get<QLabel>("Label5");
    QCOMPARE(label5->font(), w.Form.font());
    QCOMPARE(label5->pos(), QPoint(104, 88));
    QCOMPARE(label5->size(), label5->sizeHint());
    QCOMPARE(w.Get("Label1")->pos(), QPoint(8, 59));
    QCOMPARE(w.Get("Label3")->pos(), QPoint(210, 20));
    QCOMPARE(w.Get("Label2")->pos(), QPoint(210, 39));
    QCOMPARE(w.Get("Label4")->pos(), QPoint(210, 59));

    // The logo arrives when its page is first shown, as the shared half-size picture.
    auto* logo = w.Get<QLabel>("Image1");
    QVERIFY(logo->hasScaledContents());
    QVERIFY(logo->pixmap().isNull());
    w.Get<QTabWidget>("PageControl1")->setCurrentIndex(1);
    QCOMPARE(logo->pixmap().size(), QSize(384, 150));
    QCOMPARE(logo->pixmap().cacheKey(), LogoPixmap().cacheKey());
    for (const char* panel : {"Panel2", "Panel3", "Panel4"})
        QCOMPARE(w.Get(panel)->palette().color(QPalette::Window), QColor(Qt::white));
}

void TestMainWindow::startTexts() {
    TWindow w;
    QVERIFY(Exposed(w));
    QCOMPARE(w.Form.windowTitle(), QStringLiteral("KS1150 : Tensorkring"));
    auto* pages = w.Get<QTabWidget>("PageControl1");
    QCOMPARE(pages->tabText(0), QStringLiteral("Spanningen"));
    QCOMPARE(pages->tabText(1), QStringLiteral("Rekken"));
    QCOMPARE(w.Get("SpeedButton1")->toolTip(), QStringLiteral("About"));
    QCOMPARE(w.Get("SpeedButton2")->toolTip(), QStringLiteral("start opnieuw"));
    QCOMPARE(w.Get("SpeedButton3")->toolTip(), QStringLiteral("afsluiten"));
    QCOMPARE(w.Get("SpeedButton4")->toolTip(), QStringLiteral("UK"));
    QCOMPARE(w.Get<QGroupBox>("GroupBox1")->title(), QStringLiteral("Acties"));
    QCOMPARE(w.Get<QGroupBox>("GroupBox2")->title(), QStringLiteral("Gegeven spanningen [MPa]"));
    QCOMPARE(w.Get<QGroupBox>("GroupBox3")->title(), QStringLiteral("Tensorkring"));
    QCOMPARE(w.Get<QGroupBox>("GroupBox4")->title(), QStringLiteral("Uitleg"));
    QCOMPARE(w.Get<QLabel>("Label5")->text(), QStringLiteral("Dit onderdeel is nog niet beschikbaar !"));

    auto* memo = w.Get<QPlainTextEdit>("Memo1");
    QVERIFY(memo->isReadOnly());
    QCOMPARE(memo->toPlainText(), QString());
    QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(memo->wordWrapMode(), QTextOption::WordWrap);

    QVERIFY(w.Get("TreeView1")->isVisible());
    QVERIFY(!w.Get("TreeViewUK")->isVisible());

    // The grid menu: one entry with a submenu of two.
    QCOMPARE(w.Form.PopupMenu1->objectName(), QStringLiteral("PopupMenu1"));
    QCOMPARE(w.Form.PopupMenu1->actions().size(), 1);
    QAction* grid = w.Form.PopupMenu1->actions().first();
    QCOMPARE(grid, w.Get<QAction>("grid1"));
    QCOMPARE(grid->text(), QStringLiteral("grid"));
    QVERIFY(grid->menu());
    const QList<QAction*> entries = grid->menu()->actions();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0], w.Get<QAction>("ON1"));
    QCOMPARE(entries[1], w.Get<QAction>("OFF1"));
    QCOMPARE(entries[0]->text(), QStringLiteral("Teken"));
    QCOMPARE(entries[1]->text(), QStringLiteral("Verbergen"));
}

void TestMainWindow::stepTreesHoldTheStepTable_data() {
    QTest::addColumn<bool>("english");
    QTest::newRow("TreeView1") << false;
    QTest::newRow("TreeViewUK") << true;
}

void TestMainWindow::stepTreesHoldTheStepTable() {
    QFETCH(bool, english);
    TWindow w;
    auto* tree = w.Get<QTreeWidget>(QTest::currentDataTag());
    QVERIFY(tree->isHeaderHidden());
    QCOMPARE(tree->indentation(), 19);
    QCOMPARE(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(tree->toolTip(), TreeHint);
    QVERIFY(tree->rootIsDecorated());
    QCOMPARE(tree->columnCount(), 1);
    QCOMPARE(tree->topLevelItemCount(), 3);

    const std::vector<QTreeWidgetItem*> nodes = PreOrder(tree);
    QCOMPARE(int(nodes.size()), 31);
    for (int i = 0; i < 31; ++i) {
        const mohr::test::TStepRow& row = StepTable[i];
        QTreeWidgetItem* node = nodes[i];
        const QString expected = QString::fromUtf16(english ? row.English : row.Dutch);
        QCOMPARE(node->text(0), expected);
        int level = 0;
        for (QTreeWidgetItem* up = node->parent(); up; up = up->parent())
            ++level;
        QCOMPARE(level, row.Level);
        if (row.Parent < 0)
            QVERIFY(!node->parent());
        else
            QCOMPARE(node->parent(), nodes[row.Parent]);
        QVERIFY2(!node->isExpanded(), qPrintable(expected));
        QVERIFY(!(node->flags() & Qt::ItemIsEditable));
        QVERIFY(node->icon(0).isNull());
    }
}

void TestMainWindow::toolButtonsArePicturesWithoutFocus() {
    TWindow w;
    for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4"}) {
        auto* button = w.Get<QToolButton>(name);
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        QVERIFY(!button->autoRaise());
        QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
        QVERIFY(button->text().isEmpty());
        QVERIFY2(!button->icon().isNull(), name);
    }
    // The flags are cut off at the button's edges rather than shrunk.
    auto* flags = w.Get<QToolButton>("SpeedButton4");
    QVERIFY(flags->iconSize().width() <= flags->width() && flags->iconSize().height() <= flags->height());
    QVERIFY(flags->iconSize().height() > 26);
    QCOMPARE(w.Get<QToolButton>("SpeedButton1")->iconSize(), QSize(16, 16));
}

void TestMainWindow::panelsStartBlankWithTheCanvasStartState() {
    TWindow w;
    QVERIFY(Exposed(w));
    Settle(w);
    for (TPaintBox* panel : {w.Diagram(), w.Element()}) {
        QVERIFY(AllWhite(panel->LogicalImage()));
        QCOMPARE(panel->LogicalImage().size(), panel->size());
        const TCanvas& canvas = panel->Canvas();
        QCOMPARE(canvas.LogicalSize(), panel->size());
        QCOMPARE(canvas.Pen.Style, PenStyle::Solid);
        QCOMPARE(canvas.Pen.Width, 1);
        QCOMPARE(canvas.Pen.Color, colours::Black);
        QCOMPARE(canvas.Brush.Style(), BrushStyle::Solid);
        QCOMPARE(canvas.Brush.Color(), colours::White);
        QCOMPARE(canvas.Font.Name, QStringLiteral("MS Sans Serif"));
        QCOMPARE(canvas.Font.Height, 10);
        QCOMPARE(canvas.Font.Color, colours::Black);
    }
    // The figures draw on exactly these two canvases.
    QCOMPARE(&w.Form.Figures().ElementCanvas(), &w.Element()->Canvas());
    QCOMPARE(&w.Form.Figures().DiagramCanvas(), &w.Diagram()->Canvas());
    // Creation state of the figures.
    QCOMPARE(w.Form.Figures().EnglishMode, 0);
    QCOMPARE(w.Form.Figures().FigureLayers, TFigureLayers{});
    QCOMPARE(w.Form.Figures().ElementOptions, (TElementOptions{true, true, true}));
    QVERIFY(w.Form.Figures().SavedPen());
    QVERIFY(w.Form.Figures().SavedBrush());
}

void TestMainWindow::aboutButtonShowsTheAboutDialogModally() {
    TWindow w;
    QVERIFY(Exposed(w));
    const QString title = w.Form.windowTitle();
    QTest::mouseClick(w.Get("SpeedButton1"), Qt::LeftButton);
    QCOMPARE(w.Platform.Modals.size(), std::size_t(1));
    QCOMPARE(w.Platform.Modals[0], &w.About);
    QCOMPARE(w.Form.windowTitle(), title);
    QVERIFY(w.Form.isVisible());
    QCOMPARE(w.Platform.Beeps, 0);
}

void TestMainWindow::exitButtonClosesTheWindow() {
    TWindow w;
    QVERIFY(Exposed(w));
    QTest::mouseClick(w.Get("SpeedButton3"), Qt::LeftButton);
    QTRY_VERIFY(!w.Form.isVisible());
    QVERIFY(w.Platform.Modals.empty());
    QVERIFY(w.Platform.Informations.isEmpty());
}

void TestMainWindow::gridMenuOpensOnlyForTheRightButtonOnTheDiagram() {
    TWindow w;
    QVERIFY(Exposed(w));
    w.Form.move(37, 21);
    QTRY_COMPARE(w.Form.frameGeometry().topLeft(), QPoint(37, 21));
    const QPoint expected = w.Form.frameGeometry().topLeft() + QPoint(389, 100);
    QCOMPARE(w.Form.GridMenuPoint(), expected);
    // A frame that the widget has not heard of (a window manager that frames the window late): the menu
    // still opens at the outer corner that the native window knows.
    w.Platform.Frame = QMargins(4, 23, 4, 4);
    QCOMPARE(w.Form.GridMenuPoint(), w.Form.geometry().topLeft() - QPoint(4, 23) + QPoint(389, 100));
    w.Platform.Frame.reset();

    // Left and middle presses anywhere on the diagram do nothing.
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton})
        for (QPoint at : {QPoint(0, 0), QPoint(200, 200), QPoint(399, 399)})
            QTest::mousePress(w.Diagram(), button, {}, at);
    QVERIFY(w.Platform.Popups.empty());

    // The right button opens the menu at the same point wherever it is pressed, with any modifier.
    const QPoint places[] = {{0, 0}, {200, 200}, {399, 5}, {17, 388}};
    for (QPoint at : places)
        QTest::mousePress(w.Diagram(), Qt::RightButton, Qt::ShiftModifier, at);
    QCOMPARE(w.Platform.Popups.size(), std::size(places));
    for (const auto& [menu, point] : w.Platform.Popups) {
        QCOMPARE(menu, w.Form.PopupMenu1);
        QCOMPARE(point, expected);
    }

    // A right press anywhere else never opens it.
    const std::size_t before = w.Platform.Popups.size();
    for (const char* name : {"PaintBox2", "Memo1", "GroupBox3", "Panel2"})
        QTest::mousePress(w.Get(name), Qt::RightButton, {}, QPoint(2, 2));
    QCOMPARE(w.Platform.Popups.size(), before);
}

void TestMainWindow::pageChangeBeepsOncePerRealChange() {
    TWindow w;
    QVERIFY(Exposed(w));
    auto* pages = w.Get<QTabWidget>("PageControl1");
    QTabBar* bar = pages->tabBar();
    const auto clickTab = [&](int index) {
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    };

    clickTab(0); // the page already shown
    QCOMPARE(w.Platform.Beeps, 0);
    clickTab(1);
    QCOMPARE(pages->currentIndex(), 1);
    QCOMPARE(w.Platform.Beeps, 1);
    clickTab(1);
    QCOMPARE(w.Platform.Beeps, 1);
    clickTab(0);
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(w.Platform.Beeps, 2);
    pages->setCurrentIndex(1);
    pages->setCurrentIndex(1);
    QCOMPARE(w.Platform.Beeps, 3);
}

void TestMainWindow::restartClearsEverythingAndRepaintsAfterTheHandler() {
    TWindow w;
    QVERIFY(Exposed(w));
    Settle(w);
    TFigures& figures = w.Form.Figures();

    // A half-done walkthrough: marks, figures, options, an explanation.
    auto* dutch = w.Get<QTreeWidget>("TreeView1");
    auto* english = w.Get<QTreeWidget>("TreeViewUK");
    const std::vector<QTreeWidgetItem*> nl = PreOrder(dutch);
    const std::vector<QTreeWidgetItem*> en = PreOrder(english);
    for (int i = 0; i < 5; ++i) {
        nl[i]->setText(0, nl[i]->text(0) + StepMark);
        en[i]->setText(0, en[i]->text(0) + StepMark);
    }
    nl[2]->setExpanded(true);
    en[3]->setExpanded(true);
    figures.DrawPointED();
    figures.DrawPointBC();
    figures.SetElementOptions(false);
    w.Form.AddExplanation(QStringLiteral("uitleg"));
    Settle(w);
    const QImage drawn = w.Diagram()->LogicalImage();
    QCOMPARE(PixelAt(drawn, 200, 300), colours::Green);

    QTest::mouseClick(w.Get("SpeedButton2"), Qt::LeftButton);

    // The handler has returned, but the repaint has not run yet: the picture is still there.
    QVERIFY(w.Diagram()->RefreshPending());
    QVERIFY(w.Element()->RefreshPending());
    QCOMPARE(w.Diagram()->LogicalImage(), drawn);
    QCOMPARE(figures.FigureLayers, TFigureLayers{});
    QCOMPARE(figures.ElementOptions, (TElementOptions{true, true, true}));
    QCOMPARE(w.Get<QPlainTextEdit>("Memo1")->toPlainText(), QString());
    for (int i = 0; i < 31; ++i) {
        QCOMPARE(nl[i]->text(0), QString::fromUtf16(StepTable[i].Dutch));
        QCOMPARE(en[i]->text(0), QString::fromUtf16(StepTable[i].English));
        QVERIFY(!nl[i]->isExpanded());
        QVERIFY(!en[i]->isExpanded());
    }
    // The visible tree is not changed by a restart.
    QVERIFY(dutch->isVisible());
    QVERIFY(!english->isVisible());

    // Once the event loop has run, both panels are blank.
    Settle(w);
    QVERIFY(AllWhite(w.Diagram()->LogicalImage()));
    QVERIFY(AllWhite(w.Element()->LogicalImage()));
    QCOMPARE(w.Platform.Beeps, 0);
}

void TestMainWindow::refreshReplaysTheSetLayers() {
    TWindow w;
    QVERIFY(Exposed(w));
    Settle(w);
    TCanvas& diagram = w.Diagram()->Canvas();
    // A stray line that belongs to no layer, and a layer.
    diagram.Pen.Color = colours::Red;
    diagram.MoveTo(0, 10);
    diagram.LineTo(400, 10);
    w.Form.Figures().DrawPointBC();
    QCOMPARE(PixelAt(w.Diagram()->LogicalImage(), 50, 10), colours::Red);
    // A minimise and restore keeps the picture, stray line and all, as being covered does.
    w.Form.setWindowState(Qt::WindowMinimized);
    w.Form.setWindowState(Qt::WindowNoState);
    w.Form.repaint();
    QCOMPARE(PixelAt(w.Diagram()->LogicalImage(), 50, 10), colours::Red);
    // The erase before a repaint leaves the pen alone and resets brush and font.
    diagram.Brush.SetStyle(BrushStyle::Clear);
    diagram.Font.Height = 30;

    w.Diagram()->hide();
    w.Diagram()->show();
    QVERIFY(w.Diagram()->RefreshPending());
    QCOMPARE(PixelAt(w.Diagram()->LogicalImage(), 50, 10), colours::Red);
    Settle(w);
    const QImage after = w.Diagram()->LogicalImage();
    QCOMPARE(PixelAt(after, 50, 10), colours::White);
    QCOMPARE(PixelAt(after, 280, 260), colours::Green);
    QCOMPARE(diagram.Pen.Color, colours::Red);
    QCOMPARE(diagram.Brush.Style(), BrushStyle::Solid);
    QCOMPARE(diagram.Brush.Color(), colours::White);
    QCOMPARE(diagram.Font.Height, 10);

    // RefreshElementPanel repaints the element panel the same way, later.
    TCanvas& element = w.Element()->Canvas();
    element.Pen.Color = colours::Red;
    element.MoveTo(0, 5);
    element.LineTo(240, 5);
    w.Form.RefreshElementPanel();
    QCOMPARE(PixelAt(w.Element()->LogicalImage(), 100, 5), colours::Red);
    Settle(w);
    QVERIFY(AllWhite(w.Element()->LogicalImage()));
}

void TestMainWindow::formPaintReplaysBothPanels() {
    TWindow w;
    QVERIFY(Exposed(w));
    Settle(w);
    // Flags set without drawing: only a replay can put these figures on the panels.
    w.Form.Figures().FigureLayers.PointED = true;
    w.Form.repaint();
    QCOMPARE(PixelAt(w.Diagram()->LogicalImage(), 200, 300), colours::Green);
    QVERIFY(!w.Diagram()->RefreshPending());

    w.Form.Figures().FigureLayers.Element = true;
    w.Form.repaint();
    QVERIFY(!AllWhite(w.Element()->LogicalImage()));
}

// Counts the paint events that reach one widget.
class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int Paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        Paints += event->type() == QEvent::Paint;
        return false;
    }
};

void TestMainWindow::stepClicksStopAtThePageAndLeaveTheLookAlone() {
    TWindow w;
    QVERIFY(Exposed(w));
    Settle(w);
    auto* pages = w.Get<QTabWidget>("PageControl1");
    auto* tree = w.Get<QTreeWidget>("TreeView1");
    const std::vector<QTreeWidgetItem*> nodes = PreOrder(tree);
    const auto clickRow = [&](QTreeWidgetItem* item) {
        tree->scrollToItem(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
        // Every repaint the click asked for runs before the next one.
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        Settle(w);
    };
    // The first click brings the focus into the page, which repaints the tab bar once.
    clickRow(nodes[0]);

    // The clicks repaint the tree, the explanation and the panels, but not the window beneath them.
    TPaintCounter formPaints(&w.Form);
    for (int i = 1; i <= 11; ++i)
        clickRow(nodes[static_cast<size_t>(i)]);
    QCOMPARE(formPaints.Paints, 0);
    QVERIFY(CountColour(w.Diagram()->LogicalImage(), colours::Silver) > 0); // the grid

    // The step that first makes the list longer than its box paints the rows once: the scroll bar
    // that arrives with it narrows the column, and that must not paint them all again.
    for (int i = 12; i <= 16; ++i)
        clickRow(nodes[static_cast<size_t>(i)]);
    QVERIFY(!tree->verticalScrollBar()->isVisible());
    TPaintCounter rowPaints(tree->viewport());
    clickRow(nodes[17]);
    QVERIFY(tree->verticalScrollBar()->isVisible());
    QCOMPARE(rowPaints.Paints, 1);

    // The window's own area still paints itself.
    w.Form.update();
    QTRY_VERIFY(formPaints.Paints > 0);

    // The opaque pages paint the window's button face, with no seam to the window around them (the
    // gap between the group boxes, the left of the strains page).
    const QColor face = w.Form.palette().color(QPalette::Window);
    pages->setCurrentIndex(0);
    QVERIFY(w.Get("TabSheet1")->testAttribute(Qt::WA_OpaquePaintEvent));
    QCOMPARE(w.Get("TabSheet1")->grab().toImage().pixelColor(285, 100), face);
    pages->setCurrentIndex(1);
    QCOMPARE(w.Get("TabSheet2")->grab().toImage().pixelColor(10, 10), face);
    const QImage window = w.Form.grab().toImage();
    const QPoint page = w.Get("TabSheet2")->mapTo(&w.Form, QPoint(10, 10));
    QCOMPARE(window.pixelColor(page), face);
    QCOMPARE(window.pixelColor(w.Form.width() - 5, w.Form.height() - 5), face);
}

// Rows as the style draws an item by itself, without a check box.
class TStyleDrawnRows : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->features &= ~QStyleOptionViewItem::HasCheckIndicator;
    }
};

void TestMainWindow::windowLooksAsTheStyleAloneDrawsIt() {
    // The window drawn by the style alone: the etched group boxes as a style sheet draws them, the
    // step rows as the style draws items. The program draws both itself, and must match it from the
    // first frame on, through the first click, the step that makes the list scroll and opens the last
    // topic, the language switch and the strains page.
    const auto shots = [](bool styleAlone) {
        TWindow w;
        if (styleAlone) {
            for (const char* name : {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox4"}) {
                auto* box = w.Get<QGroupBox>(name);
                box->setStyle(nullptr);
                box->setStyleSheet(
                    QStringLiteral("QGroupBox { border: 2px groove palette(mid); margin-top: 6px; }"
                                   "QGroupBox::title { subcontrol-origin: margin; left: 8px;"
                                   " padding: 0px 2px; }"));
            }
            for (const char* name : {"TreeView1", "TreeViewUK"}) {
                auto* tree = w.Get<QTreeWidget>(name);
                tree->setItemDelegate(new TStyleDrawnRows(tree));
            }
        }
        std::vector<QImage> images;
        if (!Exposed(w))
            return images;
        // The panels are settled too while their page shows.
        const auto shoot = [&](bool panels = true) {
            for (int i = 0; i < 3; ++i)
                QCoreApplication::processEvents();
            if (panels)
                w.Settle();
            images.push_back(w.Form.grab().toImage());
        };
        const auto click = [&](QTreeWidget* tree, QTreeWidgetItem* item) {
            tree->scrollToItem(item);
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
        };
        shoot();
        auto* dutch = w.Get<QTreeWidget>("TreeView1");
        const std::vector<QTreeWidgetItem*> nodes = PreOrder(dutch);
        click(dutch, nodes[0]);
        shoot();
        for (size_t k = 1; k <= 17; ++k)
            click(dutch, nodes[k]);
        shoot();
        QTest::mouseClick(w.Get("SpeedButton4"), Qt::LeftButton);
        auto* english = w.Get<QTreeWidget>("TreeViewUK");
        click(english, PreOrder(english)[0]);
        shoot();
        w.Get<QTabWidget>("PageControl1")->setCurrentIndex(1);
        shoot(false);
        return images;
    };
    const std::vector<QImage> styleAlone = shots(true);
    const std::vector<QImage> program = shots(false);
    QCOMPARE(program.size(), size_t(5));
    QCOMPARE(styleAlone.size(), program.size());
    for (size_t i = 0; i < program.size(); ++i)
        QVERIFY2(program[i] == styleAlone[i], qPrintable(QStringLiteral("picture %1").arg(i)));
}

void TestMainWindow::gridEntriesSwitchTheGridLayer() {
    TWindow w;
    QVERIFY(Exposed(w));
    Settle(w);
    TFigures& figures = w.Form.Figures();
    figures.DrawPointED();
    Settle(w);
    QCOMPARE(CountColour(w.Diagram()->LogicalImage(), colours::Silver), 0);

    // "Teken": the grid shows at once (direct replay), and again after the pending repaint.
    w.Form.ON1->trigger();
    QVERIFY(figures.FigureLayers.DiagramGrid);
    QVERIFY(w.Diagram()->RefreshPending());
    QVERIFY(CountColour(w.Diagram()->LogicalImage(), colours::Silver) > 0);
    Settle(w);
    const QImage withGrid = w.Diagram()->LogicalImage();
    QVERIFY(CountColour(withGrid, colours::Silver) > 0);
    QCOMPARE(PixelAt(withGrid, 200, 300), colours::Green);

    // "Teken" again keeps it on.
    w.Form.ON1->trigger();
    QVERIFY(figures.FigureLayers.DiagramGrid);
    Settle(w);
    QCOMPARE(w.Diagram()->LogicalImage(), withGrid);

    // "Verbergen": the direct replay draws over the old grid; the repaint removes it.
    w.Form.OFF1->trigger();
    QVERIFY(!figures.FigureLayers.DiagramGrid);
    QVERIFY(CountColour(w.Diagram()->LogicalImage(), colours::Silver) > 0);
    Settle(w);
    QCOMPARE(CountColour(w.Diagram()->LogicalImage(), colours::Silver), 0);
    QCOMPARE(PixelAt(w.Diagram()->LogicalImage(), 200, 300), colours::Green);

    // "Verbergen" again keeps it off.
    w.Form.OFF1->trigger();
    QVERIFY(!figures.FigureLayers.DiagramGrid);
    Settle(w);
    QCOMPARE(CountColour(w.Diagram()->LogicalImage(), colours::Silver), 0);
}

void TestMainWindow::languageSwitchRewritesCaptionsAndSwapsTrees() {
    TWindow w;
    QVERIFY(Exposed(w));
    auto* pages = w.Get<QTabWidget>("PageControl1");
    auto* label5 = w.Get<QLabel>("Label5");
    auto* dutch = w.Get<QTreeWidget>("TreeView1");
    auto* english = w.Get<QTreeWidget>("TreeViewUK");
    const int startWidth = label5->width();

    struct TTexts {
        const char16_t* Title;
        const char16_t* Tab1;
        const char16_t* Tab2;
        const char16_t* Hint1;
        const char16_t* Hint2;
        const char16_t* Hint3;
        const char16_t* Hint4;
        const char16_t* Label5;
        const char16_t* On;
        const char16_t* Off;
        const char16_t* Box1;
        const char16_t* Box2;
        const char16_t* Box3;
        const char16_t* Box4;
    };
    const TTexts inEnglish{u"KS2170 : Mohr\u2019s circle",
                           u"Stresses",
                           u"Strains",
                           u"about",
                           u"restart",
                           u"exit",
                           u"NL",
                           u"This part is not yet available",
                           u"Draw",
                           u"Hide",
                           u"Actions",
                           u"Known stresses [MPa]",
                           u"Mohr\u2019s circle",
                           u"Explanation"};
    const TTexts inDutch{u"KS2170 : Tensorkring",
                         u"Spanningen",
                         u"Rekken",
                         u"about",
                         u"start opnieuw",
                         u"afsluiten",
                         u"UK",
                         u"Dit onderdeel is nong niet beschikbaar",
                         u"Teken",
                         u"Verbergen",
                         u"Acties",
                         u"Gegeven spanningen [MPa]",
                         u"Tensorkring",
                         u"Uitleg"};
    const auto check = [&](const TTexts& t) {
        const auto s = [](const char16_t* text) { return QString::fromUtf16(text); };
        QCOMPARE(w.Form.windowTitle(), s(t.Title));
        QCOMPARE(pages->tabText(0), s(t.Tab1));
        QCOMPARE(pages->tabText(1), s(t.Tab2));
        QCOMPARE(w.Get("SpeedButton1")->toolTip(), s(t.Hint1));
        QCOMPARE(w.Get("SpeedButton2")->toolTip(), s(t.Hint2));
        QCOMPARE(w.Get("SpeedButton3")->toolTip(), s(t.Hint3));
        QCOMPARE(w.Get("SpeedButton4")->toolTip(), s(t.Hint4));
        QCOMPARE(label5->text(), s(t.Label5));
        QCOMPARE(label5->size(), label5->sizeHint());
        QCOMPARE(label5->pos(), QPoint(104, 88));
        QCOMPARE(w.Form.ON1->text(), s(t.On));
        QCOMPARE(w.Form.OFF1->text(), s(t.Off));
        QCOMPARE(w.Get<QGroupBox>("GroupBox1")->title(), s(t.Box1));
        QCOMPARE(w.Get<QGroupBox>("GroupBox2")->title(), s(t.Box2));
        QCOMPARE(w.Get<QGroupBox>("GroupBox3")->title(), s(t.Box3));
        QCOMPARE(w.Get<QGroupBox>("GroupBox4")->title(), s(t.Box4));
        // Never changed by a switch.
        QCOMPARE(w.Form.grid1->text(), QStringLiteral("grid"));
        QCOMPARE(dutch->toolTip(), TreeHint);
        QCOMPARE(english->toolTip(), TreeHint);
    };

    // The tree being hidden goes before the other shows: never both at once.
    int bothVisible = 0;
    struct TWatcher : QObject {
        std::function<void()> OnShow;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Show)
                OnShow();
            return false;
        }
    } watcher;
    watcher.OnShow = [&] { bothVisible += dutch->isVisible() && english->isVisible(); };
    dutch->installEventFilter(&watcher);
    english->installEventFilter(&watcher);

    QTest::mouseClick(w.Get("SpeedButton4"), Qt::LeftButton);
    QCOMPARE(w.Form.Figures().EnglishMode, 1);
    check(inEnglish);
    QVERIFY(english->isVisible());
    QVERIFY(!dutch->isVisible());
    QVERIFY(label5->width() != startWidth);
    // Every entry of the English title with the typographic apostrophe.
    QVERIFY(w.Form.windowTitle().contains(QChar(0x2019)));

    QTest::mouseClick(w.Get("SpeedButton4"), Qt::LeftButton);
    QCOMPARE(w.Form.Figures().EnglishMode, 0);
    check(inDutch);
    QVERIFY(dutch->isVisible());
    QVERIFY(!english->isVisible());

    QTest::mouseClick(w.Get("SpeedButton4"), Qt::LeftButton);
    QCOMPARE(w.Form.Figures().EnglishMode, 1);
    check(inEnglish);
    QCOMPARE(bothVisible, 0);
    QCOMPARE(w.Platform.Beeps, 0);
    QVERIFY(w.Platform.Modals.empty());
}

void TestMainWindow::languageSwitchKeepsThePageAndRestartsTheWalkthrough() {
    TWindow w;
    QVERIFY(Exposed(w));
    Settle(w);
    auto* pages = w.Get<QTabWidget>("PageControl1");
    TFigures& figures = w.Form.Figures();
    const std::vector<QTreeWidgetItem*> nl = PreOrder(w.Get<QTreeWidget>("TreeView1"));
    for (int i = 0; i < 12; ++i)
        nl[i]->setText(0, nl[i]->text(0) + StepMark);
    figures.DrawPointED();
    figures.FigureLayers.Element = true;
    w.Form.AddExplanation(QStringLiteral("uitleg"));
    Settle(w);

    // Switching on the strains page keeps that page shown, without a beep.
    pages->setCurrentIndex(1);
    QCOMPARE(w.Platform.Beeps, 1);
    QTest::mouseClick(w.Get("SpeedButton4"), Qt::LeftButton);
    QCOMPARE(pages->currentIndex(), 1);
    QCOMPARE(pages->tabText(1), QStringLiteral("Strains"));
    QCOMPARE(w.Get<QLabel>("Label5")->text(), QStringLiteral("This part is not yet available"));
    QCOMPARE(w.Platform.Beeps, 1);

    // No step taken any more, blank panels, empty box.
    for (int i = 0; i < 31; ++i)
        QVERIFY(!nl[i]->text(0).contains(StepMark));
    QCOMPARE(figures.FigureLayers, TFigureLayers{});
    QCOMPARE(w.Get<QPlainTextEdit>("Memo1")->toPlainText(), QString());
    pages->setCurrentIndex(0);
    Settle(w);
    QVERIFY(AllWhite(w.Diagram()->LogicalImage()));
    QVERIFY(AllWhite(w.Element()->LogicalImage()));
    // Back on the stresses page only the English tree shows, although the switch happened elsewhere.
    QVERIFY(w.Get("TreeViewUK")->isVisible());
    QVERIFY(!w.Get("TreeView1")->isVisible());
}

void TestMainWindow::explanationBoxAddsLinesAndScrollsToTop() {
    TWindow w;
    QVERIFY(Active(w));
    auto* memo = w.Get<QPlainTextEdit>("Memo1");
    auto* tree = w.Get<QTreeWidget>("TreeView1");

    w.Form.ClearMemo();
    w.Form.AddExplanation(QStringLiteral("eerste regel"));
    w.Form.AddExplanation(QStringLiteral("tweede regel"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("eerste regel\ntweede regel"));
    QCOMPARE(memo->blockCount(), 2);
    w.Form.ClearMemo();
    QCOMPARE(memo->toPlainText(), QString());

    // A paragraph far longer than the box, wrapped at word boundaries.
    QString paragraph;
    for (int i = 0; i < 60; ++i)
        paragraph += QStringLiteral("woord%1 ").arg(i);
    w.Form.AddExplanation(paragraph);
    QCOMPARE(memo->blockCount(), 1);
    tree->setFocus();
    QVERIFY(tree->hasFocus());
    memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
    QTextCursor end = memo->textCursor();
    end.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    memo->setTextCursor(end);
    QVERIFY(memo->verticalScrollBar()->maximum() > 0);

    w.Form.ScrollMemoToTop();
    QVERIFY(memo->hasFocus());
    QVERIFY(!tree->hasFocus());
    QCOMPARE(memo->textCursor().position(), 0);
    QVERIFY(!memo->textCursor().hasSelection());
    QCOMPARE(memo->verticalScrollBar()->value(), 0);
}

void TestMainWindow::treeClickActsOnTheClickedRow() {
    TWindow w;
    QVERIFY(Exposed(w));
    auto* tree = w.Get<QTreeWidget>("TreeView1");
    const std::vector<QTreeWidgetItem*> nodes = PreOrder(tree);
    const auto clickRow = [&](QTreeWidgetItem* item) {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    };

    // The second topic first: refused through the information box, but it opens.
    clickRow(nodes[2]);
    QCOMPARE(tree->currentItem(), nodes[2]);
    QCOMPARE(w.Platform.Informations, QStringList{QStringLiteral("Geen sprongen maken in de lijst !")});
    QVERIFY(nodes[2]->isExpanded());
    QVERIFY(!nodes[2]->text(0).contains(StepMark));

    // The first topic is taken: marked, explained, the sample drawn.
    clickRow(nodes[0]);
    QCOMPARE(tree->currentItem(), nodes[0]);
    QCOMPARE(nodes[0]->text(0), QStringLiteral("spanningen op vlakjes") + StepMark);
    QVERIFY(!w.Get<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
    QVERIFY(w.Form.Figures().FigureLayers.Element);
    QCOMPARE(w.Platform.Informations.size(), 1);

    // The English tree answers in English.
    QTest::mouseClick(w.Get("SpeedButton4"), Qt::LeftButton);
    auto* english = w.Get<QTreeWidget>("TreeViewUK");
    const std::vector<QTreeWidgetItem*> en = PreOrder(english);
    QTest::mouseClick(english->viewport(), Qt::LeftButton, {}, english->visualItemRect(en[17]).center());
    QCOMPARE(w.Platform.Informations.last(), QStringLiteral("No jumps allowed in the list !"));
    QTest::mouseClick(english->viewport(), Qt::LeftButton, {}, english->visualItemRect(en[0]).center());
    QCOMPARE(en[0]->text(0), QStringLiteral("stresses on faces") + StepMark);
    QVERIFY(!nodes[0]->text(0).contains(StepMark));
}

void TestMainWindow::panelsTakeTheFocusByTabAndMarkItOnTheBevelOnly() {
    TWindow w;
    QVERIFY(Active(w));
    auto* tree = w.Get<QTreeWidget>("TreeView1");
    const std::vector<QTreeWidgetItem*> nodes = PreOrder(tree);
    for (int k = 0; k <= 6; ++k) {
        tree->setCurrentItem(nodes[k]);
        w.Form.TreeView1Click();
    }
    Settle(w);

    // A click on a panel leaves the focus where it was, so a mouse user sees nothing new.
    tree->setFocus();
    QTest::mouseClick(w.Diagram(), Qt::LeftButton, {}, QPoint(200, 200));
    QVERIFY(tree->hasFocus());

    for (const char* frameName : {"Panel3", "Panel2"}) {
        auto* frame = w.Get(frameName);
        auto* panel = frame->findChild<TPaintBox*>();
        const QImage before = frame->grab().toImage();
        const QImage drawing = panel->LogicalImage();
        panel->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(frame->grab().toImage() != before);
        const QImage marked = frame->grab().toImage();
        // Only the 2-pixel inner bevel changes, all round; the drawing inside is untouched.
        const QRect inside = panel->geometry();
        const QRect ring = inside.adjusted(-2, -2, 2, 2);
        const auto onRing = [&](int x, int y) { return ring.contains(x, y) && !inside.contains(x, y); };
        for (int y = 0; y < marked.height(); ++y)
            for (int x = 0; x < marked.width(); ++x)
                QVERIFY2((marked.pixel(x, y) != before.pixel(x, y)) == onRing(x, y),
                         qPrintable(QStringLiteral("%1 (%2, %3)").arg(frameName).arg(x).arg(y)));
        QCOMPARE(panel->LogicalImage(), drawing);
        // The mark goes with the focus.
        tree->setFocus();
        QTRY_COMPARE(frame->grab().toImage(), before);
    }
}

void TestMainWindow::takenRowsAreCheckedWithoutACheckBoxAndHiddenRowsStayOut() {
    TWindow w;
    QVERIFY(Exposed(w));
    auto* dutch = w.Get<QTreeWidget>("TreeView1");
    auto* english = w.Get<QTreeWidget>("TreeViewUK");
    const std::vector<QTreeWidgetItem*> nodes = PreOrder(dutch);
    for (int k = 0; k <= 3; ++k) {
        dutch->setCurrentItem(nodes[k]);
        w.Form.TreeView1Click();
    }
    for (int k = 0; k < 31; ++k)
        QCOMPARE(nodes[k]->data(0, Qt::CheckStateRole).toInt() == Qt::Checked, k <= 3);
    // Not drawn: the tree looks exactly as it does without the states.
    const QImage checked = dutch->grab().toImage();
    for (QTreeWidgetItem* node : nodes)
        node->setData(0, Qt::CheckStateRole, QVariant());
    QCOMPARE(dutch->grab().toImage(), checked);
    w.Form.TreeView1Click();
    QCOMPARE(nodes[3]->checkState(0), Qt::Checked);

    // The hidden tree's rows are hidden with it; a page change keeps the shown tree's rows and scroll.
    const auto rowsHidden = [](QTreeWidget* tree) {
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            if (!tree->topLevelItem(i)->isHidden())
                return false;
        return true;
    };
    QVERIFY(rowsHidden(english));
    QVERIFY(!rowsHidden(dutch));
    for (QTreeWidgetItem* node : nodes)
        node->setExpanded(true);
    dutch->verticalScrollBar()->setValue(dutch->verticalScrollBar()->maximum());
    const int scrolled = dutch->verticalScrollBar()->value();
    QVERIFY(scrolled > 0);
    auto* pages = w.Get<QTabWidget>("PageControl1");
    pages->setCurrentIndex(1);
    pages->setCurrentIndex(0);
    QVERIFY(!rowsHidden(dutch));
    QCOMPARE(dutch->verticalScrollBar()->value(), scrolled);
    QTest::mouseClick(w.Get("SpeedButton4"), Qt::LeftButton);
    QVERIFY(rowsHidden(dutch));
    QVERIFY(!rowsHidden(english));
}

void TestMainWindow::stepTreesDrawTheirLines_data() {
    QTest::addColumn<int>("ratio");
    QTest::newRow("100 %") << 1;
    QTest::newRow("200 %") << 2;
}

void TestMainWindow::stepTreesDrawTheirLines() {
    QFETCH(int, ratio);
    TWindow w;
    QVERIFY(Exposed(w));
    auto* tree = w.Get<TStepTree>("TreeView1");
    const std::vector<QTreeWidgetItem*> nodes = PreOrder(tree);
    nodes[2]->setExpanded(true); // the second topic; its first child has children of its own
    QPixmap pixmap(tree->viewport()->size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    tree->viewport()->render(&pixmap);
    const QImage shot = pixmap.toImage();
    // The colour of a logical pixel, when all its device pixels have it.
    const auto at = [&](int x, int y) {
        const QImage pixel = shot.copy(x * ratio, y * ratio, ratio, ratio);
        return CountColour(pixel, PixelAt(pixel, 0, 0)) == ratio * ratio ? pixel.pixel(0, 0) | 0xff000000
                                                                         : 0u;
    };
    const QRgb gray = qRgb(0x80, 0x80, 0x80), white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    // Dotted: gray and white take turns, `steps` pixels on from `from` in the direction `step`.
    const auto dotted = [&](QPoint from, QPoint step, int steps) {
        for (QPoint p = from; steps-- > 0; p += step)
            if (std::set<QRgb>{at(p.x(), p.y()), at(p.x() + step.x(), p.y() + step.y())} !=
                std::set{gray, white})
                return false;
        return true;
    };
    const auto centreY = [&](int node) {
        const QRect row = tree->visualItemRect(nodes[node]);
        return row.top() + row.height() / 2;
    };
    // Lines at the root: down the first cell (x 9) from the first topic to the last (node 17), through
    // the rows between, and no further; a stub to each topic, in a 9-pixel box with a plus, or a
    // minus when the node is open.
    QVERIFY(dotted({9, centreY(0) + 5}, {0, 1}, centreY(2) - centreY(0) - 10));
    QVERIFY(dotted({9, centreY(2) + 5}, {0, 1}, centreY(17) - centreY(2) - 10));
    QCOMPARE(at(9, centreY(0) - 6), white);
    QCOMPARE(at(9, centreY(17) + 6), white);
    for (int node : {0, 2, 17}) {
        const int y = centreY(node);
        QVERIFY(dotted({14, y}, {1, 0}, 4));
        QCOMPARE(at(5, y - 4), gray);
        QCOMPARE(at(6, y - 3), white);
        QCOMPARE(at(7, y), black);
        QCOMPARE(at(9, y - 2), node == 2 ? white : black);
    }
    // One level in (x 28), under the open topic, the same indentation: the line joins its children.
    QVERIFY(dotted({28, centreY(2) + 6}, {0, 1}, centreY(3) - centreY(2) - 11));
    QVERIFY(dotted({33, centreY(3)}, {1, 0}, 4));
}

void TestMainWindow::windowFitsALateFrameAndStaysOnTheDesktop() {
    {
        // 1920 x 1080 at 200 %, under a 30-pixel panel: centred across, the title bar on the desktop.
        TWindow w(false);
        w.Platform.Desktop = QRect(0, 30, 960, 510);
        w.Form.show();
        QTRY_COMPARE(w.Form.frameGeometry().topLeft(), QPoint(80, 30));
    }
    // The frame is learnt only after the watch has given up.
    TWindow w(false);
    w.Platform.Desktop = QRect(100, 50, 1200, 900);
    w.Platform.Frame = QMargins();
    w.Form.show();
    QPointer<QTimer> watch = w.Form.findChild<QTimer*>(QStringLiteral("FrameWatch"));
    while (watch && watch->isActive())
        QVERIFY(QMetaObject::invokeMethod(watch, "timeout"));
    QCOMPARE(w.Form.size(), QSize(800, 600));
    // Moved into its frame, it is fitted and centred, its client area placed inside the frame the
    // native window reports (not where the widget's own, older idea of the frame would put it).
    w.Platform.Frame = QMargins(1, 20, 1, 1);
    w.Form.move(300, 220);
    QCOMPARE(w.Form.size(), QSize(798, 579));
    QTRY_COMPARE(w.Form.geometry().topLeft(), QPoint(301, 220));
    // A frame that changes without a move is fitted at the next change of state; the window the user
    // has moved stays where it is.
    w.Form.move(40, 40);
    const QPoint moved = w.Form.geometry().topLeft();
    w.Platform.Frame = QMargins(4, 24, 4, 4);
    QWindowStateChangeEvent change(Qt::WindowNoState);
    QCoreApplication::sendEvent(&w.Form, &change);
    QCoreApplication::processEvents();
    QCOMPARE(w.Form.size(), QSize(792, 572));
    QCOMPARE(w.Form.geometry().topLeft(), moved);
}

void TestMainWindow::darkThemeLeavesTheWhitePanelsAndDialogsReadable() {
    QGuiApplication::setPalette(mohr::test::DarkPalette());
    const auto restore = qScopeGuard([] { QGuiApplication::setPalette(QPalette()); });
    TWindow w;
    auto* pages = w.Get<QTabWidget>("PageControl1");
    pages->setCurrentIndex(1);
    const QImage panel = w.Get("Panel4")->grab().toImage();
    for (const char* name : {"Label5", "Label1"})
        QVERIFY2(InkContrast(panel, w.Get(name)->geometry(), Qt::white) >= 7, name);
    // The rest follows the theme: the page, and the tree's lines, light on its dark field.
    const QColor window = mohr::test::DarkPalette().color(QPalette::Window);
    QCOMPARE(w.Get("TabSheet2")->grab().toImage().pixelColor(10, 10), window);
    QVERIFY(w.Get<TStepTree>("TreeView1")->LineColour().lightness() > window.lightness() + 60);
    // The dialogs are white too: the maker's labels stay navy, the warning's lines turn black.
    TCheckForm check;
    TAboutForm about;
    for (QWidget* dialog : {static_cast<QWidget*>(&check), static_cast<QWidget*>(&about)}) {
        const auto* label = dialog->findChild<QWidget*>(QStringLiteral("Label1"));
        QVERIFY(InkContrast(dialog->grab().toImage(), label->geometry(), Qt::white) >= 7);
    }
    const QImage lines = check.findChild<QPlainTextEdit*>()->viewport()->grab().toImage();
    QCOMPARE(lines.pixelColor(lines.width() - 2, lines.height() - 2), QColor(Qt::white));
    QVERIFY(InkContrast(lines, lines.rect(), Qt::white) >= 15);
}

void TestMainWindow::keysAloneWalkTheStepsWithTheFocusInSight() {
    TWindow w;
    QVERIFY(Active(w));
    auto* tree = w.Get<QTreeWidget>("TreeView1");
    auto* memo = w.Get<QPlainTextEdit>("Memo1");
    const std::vector<QTreeWidgetItem*> nodes = PreOrder(tree);
    tree->setFocus(Qt::TabFocusReason);
    tree->setCurrentItem(nodes[0]);

    // The first step moves the focus into the explanation box, which then wears a frame in the
    // highlight colour all round, of at least 3 : 1 against the window around it; its text is untouched.
    const QImage unfocused = memo->grab().toImage();
    int presses = 1;
    QTest::keyClick(tree, Qt::Key_Return);
    QTRY_VERIFY(memo->hasFocus());
    const QImage focused = memo->grab().toImage();
    const QColor mark = memo->palette().color(QPalette::Active, QPalette::Highlight);
    const QRect page = memo->viewport()->geometry();
    for (const QPoint p :
         {page.topLeft(), page.topLeft() + QPoint(1, 60), QPoint(page.right(), page.top() + 30),
          QPoint(page.left() + 200, page.bottom() - 1)})
        QCOMPARE(focused.pixelColor(p), mark);
    const QColor ground = memo->palette().color(QPalette::Base);
    const double contrast = InkContrast(focused, QRect(page.left(), page.top(), 2, page.height()), ground);
    QVERIFY2(contrast >= 3.0, qPrintable(QString::number(contrast)));
    QVERIFY(unfocused.pixelColor(page.topLeft() + QPoint(1, 60)) != mark);

    // One key goes back to the tree, onto the next step; Escape and Shift+Tab alike.
    QTest::keyClick(memo, Qt::Key_Escape);
    ++presses;
    QVERIFY(tree->hasFocus());
    QCOMPARE(tree->currentItem(), nodes[1]);
    // The frame goes with the focus; the explanation inside it was never covered.
    const QRect inside = page.adjusted(2, 2, -2, -2);
    QTRY_VERIFY(memo->grab().toImage().pixelColor(page.topLeft() + QPoint(1, 60)) != mark);
    QCOMPARE(memo->grab().toImage().copy(inside), focused.copy(inside));

    // The rest of the walk by keys: Return on the row; from the explanation box one key back, on the
    // tree one key down. Every step is taken, in far fewer keys than by Tab and the arrows.
    bool back = false;
    for (int k = 1; k < StepCount; ++k) {
        QCOMPARE(tree->currentItem(), nodes[k]);
        QTest::keyClick(tree, Qt::Key_Return);
        ++presses;
        QVERIFY2(nodes[k]->text(0).endsWith(StepMark), qPrintable(QString::number(k)));
        if (k + 1 == StepCount)
            break;
        if (memo->hasFocus()) {
            QTest::keyClick(memo, back ? Qt::Key_Backtab : Qt::Key_Escape,
                            back ? Qt::ShiftModifier : Qt::NoModifier);
            back = !back;
            QVERIFY(tree->hasFocus());
        } else {
            QTest::keyClick(tree, Qt::Key_Down);
        }
        ++presses;
    }
    QCOMPARE(w.Platform.Informations, QStringList());
    QVERIFY2(presses <= 70, qPrintable(QString::number(presses)));
}

void TestMainWindow::commandsAreAnnouncedAndTheSwitchStartsAtTheFirstRow() {
    TWindow w;
    QVERIFY(Active(w));
    const auto announced = [&] {
        auto* announcer = w.Form.findChild<QWidget*>(QStringLiteral("Announcer"));
        return announcer && announcer->isVisible() ? announcer->accessibleName() : QString();
    };
    QTest::keyClick(&w.Form, Qt::Key_R, Qt::ControlModifier);
    QTRY_COMPARE(announced(), QStringLiteral("opnieuw begonnen"));

    // After the switch the focus is on the first row of the new tree, as a keyboard user goes on there.
    w.Get("PaintBox2")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(&w.Form, Qt::Key_L, Qt::ControlModifier);
    auto* english = w.Get<QTreeWidget>("TreeViewUK");
    QTRY_VERIFY(english->hasFocus());
    QCOMPARE(english->currentItem(), english->topLevelItem(0));
    QTRY_COMPARE(announced(), QStringLiteral("English, started again"));
    QTest::keyClick(&w.Form, Qt::Key_R, Qt::ControlModifier);
    QTRY_COMPARE(announced(), QStringLiteral("started again"));
    QTest::keyClick(&w.Form, Qt::Key_L, Qt::ControlModifier);
    QTRY_VERIFY(w.Get("TreeView1")->hasFocus());
    QTRY_COMPARE(announced(), QStringLiteral("Nederlands, opnieuw begonnen"));
}

void TestMainWindow::everyControlIsNamedForReadersInBothLanguages() {
    // Every control of the layout and the grid menu has a name, in the interface language: a control the
    // switch forgot would keep the other language's name. Only the about button's hint ("about") and the
    // maker's labels read the same in both.
    TWindow w;
    const char* const controls[] = {
        "Panel1",    "SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4", "PageControl1",
        "TabSheet1", "TabSheet2",    "GroupBox1",    "GroupBox2",    "GroupBox3",    "GroupBox4",
        "TreeView1", "TreeViewUK",   "Memo1",        "Panel2",       "Panel3",       "Panel4",
        "PaintBox1", "PaintBox2",    "Image1",       "Label1",       "Label2",       "Label3",
        "Label4",    "Label5",       "PopupMenu1"};
    const QStringList sameInBoth{QStringLiteral("SpeedButton1"), QStringLiteral("Label1"),
                                 QStringLiteral("Label2"), QStringLiteral("Label3"),
                                 QStringLiteral("Label4")};
    const auto names = [&] {
        QHash<QString, QString> said;
        for (const char* control : controls)
            said[QLatin1String(control)] = w.Get(control)->accessibleName();
        said[QStringLiteral("window")] = w.Form.accessibleName();
        return said;
    };
    const QHash<QString, QString> start = names();
    QCOMPARE(start[QStringLiteral("window")], w.Form.windowTitle());
    QCOMPARE(start[QStringLiteral("SpeedButton2")], QStringLiteral("start opnieuw"));
    QCOMPARE(start[QStringLiteral("PopupMenu1")], QStringLiteral("Rastermenu"));
    for (auto it = start.cbegin(); it != start.cend(); ++it)
        QVERIFY2(!it.value().isEmpty(), qPrintable(it.key()));

    // The switch's own Dutch, there and back: the layout's about hint and strains note read otherwise.
    w.Form.ToggleLanguage();
    const QHash<QString, QString> english = names();
    w.Form.ToggleLanguage();
    const QHash<QString, QString> dutch = names();
    QCOMPARE(english[QStringLiteral("window")], QStringLiteral("KS2170 : Mohr\u2019s circle"));
    QCOMPARE(english[QStringLiteral("PaintBox1")], QStringLiteral("Drawing of Mohr\u2019s circle"));
    for (auto it = dutch.cbegin(); it != dutch.cend(); ++it) {
        QVERIFY2(!english[it.key()].isEmpty(), qPrintable(it.key()));
        QVERIFY2((it.value() == english[it.key()]) == sameInBoth.contains(it.key()), qPrintable(it.key()));
    }

    // A step changes what the panels show, and with it their descriptions, not the names.
    auto* tree = w.Get<QTreeWidget>("TreeView1");
    const QString before = w.Diagram()->accessibleDescription();
    for (int k = 0; k < 5; ++k) {
        tree->setCurrentItem(PreOrder(tree)[k]);
        w.Form.TreeView1Click();
    }
    QVERIFY(w.Platform.Informations.isEmpty());
    QVERIFY(w.Diagram()->accessibleDescription() != before);
    QCOMPARE(names(), dutch);
}

void TestMainWindow::keysCanBeDiscovered() {
    TWindow w;
    w.Platform.ShowPopups = true;
    QVERIFY(Active(w));

    // The grid entries show their keys beside their captions, in the window's font; opened by a key,
    // the menu starts on its first entry.
    auto* menu = w.Get<QMenu>("PopupMenu1");
    for (const char* name : {"ON1", "OFF1"}) {
        auto* entry = w.Get<QAction>(name);
        QVERIFY(entry->isShortcutVisibleInContextMenu());
        QVERIFY(!entry->shortcut().isEmpty());
    }
    QCOMPARE(menu->font(), w.Form.font());
    QCOMPARE(w.Get<QMenu>("grid1Menu")->font(), w.Form.font());
    w.Diagram()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.Diagram(), Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->activeAction(), w.Get<QAction>("grid1"));
    menu->close();

    // Shift+F1 opens the keys overview beside the window, not modally; it lists every key of every
    // command of the window, in the interface language, and Escape closes it.
    for (const bool english : {false, true}) {
        if (english)
            w.Form.SpeedButton4Click();
        QTest::keyClick(&w.Form, Qt::Key_F1, Qt::ShiftModifier);
        auto* overview = w.Form.findChild<QDialog*>(QStringLiteral("KeysOverview"));
        QVERIFY(overview);
        QTRY_VERIFY(overview->isVisible());
        QVERIFY(!overview->isModal());
        QCOMPARE(overview->windowTitle(), english ? QStringLiteral("Keys") : QStringLiteral("Toetsen"));
        QStringList shown;
        for (QLabel* label : overview->findChildren<QLabel*>())
            shown << label->text();
        const QString all = shown.join(QLatin1Char('\n'));
        QStringList keys;
        for (QAction* action : w.Form.findChildren<QAction*>())
            for (const QKeySequence& key : action->shortcuts())
                keys << key.toString(QKeySequence::NativeText);
        for (QAbstractButton* button : w.Form.findChildren<QAbstractButton*>())
            if (!button->shortcut().isEmpty())
                keys << button->shortcut().toString(QKeySequence::NativeText);
        QVERIFY(keys.size() >= 12);
        for (const QString& key : keys)
            QVERIFY2(all.contains(key), qPrintable(key));
        QVERIFY(all.contains(english ? QStringLiteral("restart") : QStringLiteral("start opnieuw")));
        QTest::keyClick(overview, Qt::Key_Escape);
        QTRY_VERIFY(!overview->isVisible());
    }
}

namespace {

// How many pixels of a control change between its look without and with the keyboard focus by at least
// 3 : 1: the focus indicator that a keyboard user can see.
int StrongFocusPixels(const QImage& without, const QImage& with) {
    const auto luminance = [](QColor c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    int strong = 0;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x) {
            const double a = luminance(with.pixelColor(x, y)), b = luminance(without.pixelColor(x, y));
            if ((std::max(a, b) + 0.05) / (std::min(a, b) + 0.05) >= 3.0)
                ++strong;
        }
    return strong;
}

} // namespace

void TestMainWindow::focusOfRowAndTabStandsOut() {
    // The current row of the tree and the focused page tab, in a light and in a dark theme: their focus
    // mark changes at least a ring of pixels round them by 3 : 1 or more.
    for (const bool dark : {false, true}) {
        QGuiApplication::setPalette(dark ? mohr::test::DarkPalette() : QPalette());
        const auto restore = qScopeGuard([] { QGuiApplication::setPalette(QPalette()); });
        TWindow w;
        QVERIFY(Active(w));
        auto* tree = w.Get<QTreeWidget>("TreeView1");
        auto* tabs = w.Get<QTabWidget>("PageControl1")->tabBar();
        w.Diagram()->setFocus(Qt::TabFocusReason);
        const QImage treeBefore = tree->viewport()->grab().toImage();
        const QImage tabsBefore = tabs->grab().toImage();
        // Tabbed into, as a keyboard user comes: the first row is current, not yet taken or selected.
        tree->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(tree->currentItem());
        const QRect row = tree->visualItemRect(tree->currentItem());
        const int treeStrong = StrongFocusPixels(treeBefore, tree->viewport()->grab().toImage());
        QVERIFY2(
            treeStrong >= 2 * row.width(),
            qPrintable(
                QStringLiteral("%1 theme, row: %2 pixels").arg(dark ? "dark" : "light").arg(treeStrong)));
        QTest::keyClick(tree, Qt::Key_Backtab, Qt::ShiftModifier);
        QTRY_VERIFY(tabs->hasFocus());
        const QRect tab = tabs->tabRect(tabs->currentIndex());
        const int tabStrong = StrongFocusPixels(tabsBefore, tabs->grab().toImage());
        QVERIFY2(tabStrong >= tab.height(),
                 qPrintable(
                     QStringLiteral("%1 theme, tab: %2 pixels").arg(dark ? "dark" : "light").arg(tabStrong)));
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_app_mainwindow.moc"
