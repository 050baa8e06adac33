#include "main.h"

#include "accessibility.h"
#include "fonts.h"
#include "keyaids.h"
#include "keyboard.h"
#include "paintbox.h"
#include "pictures.h"
#include "placement.h"
#include "platform.h"
#include "ui_mainform.h"
#include "walkthrough/progression.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QKeySequence>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QTextCursor>
#include <QTimer>

namespace mohr {

namespace {

// Paints a plain page in the window's button-face colour and marks it opaque, so that repaints of
// its controls stop at it. The colour is read at each paint, so a change of theme is followed.
class TOpaquePage : public QObject {
public:
    explicit TOpaquePage(QWidget* page) : QObject(page) {
        page->setAttribute(Qt::WA_OpaquePaintEvent);
        page->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched == parent()) {
            auto* page = static_cast<QWidget*>(watched);
            QPainter painter(page);
            painter.fillRect(static_cast<QPaintEvent*>(event)->rect(),
                             page->palette().color(QPalette::Window));
        }
        return false;
    }
};

constexpr int OuterWidth = 800;
constexpr int OuterHeight = 600;
constexpr int SmallestScreenWidth = 800;

} // namespace

TMainForm::TMainForm(TPlatform* platform, QWidget* parent)
    : QWidget(parent), ownPlatform_(platform ? nullptr : std::make_unique<TPlatform>()),
      platform_(platform ? *platform : *ownPlatform_), ui_(std::make_unique<Ui::MainForm>()) {
    InstallAccessibleInterfaces();
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(WindowFont());
    setWindowIcon(WindowIcon());
    ui_->setupUi(this);
    figures_ = std::make_unique<TFigures>(ui_->PaintBox2->Canvas(), ui_->PaintBox1->Canvas());
    applyFonts();
    applyPictures();
    makePagesOpaque();
    buildPopupMenu();

    // The start-up check waits a second after the layout is loaded.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(1000);
    Timer1->start();

    FormCreate();
    // Centred on the desktop when shown, its outer size held at 800 x 600 whatever frame it gets. The
    // placement, a child, outlives this window's members: it asks the platform given from outside, or else
    // the desktop itself, never this window's own platform.
    new TPlacement(this, TOuterSize::Fixed, QSize(OuterWidth, OuterHeight), platform);
    connectHandlers();
    buildKeys();
    NameControls(this, *ui_, PopupMenu1, figures_->EnglishMode != 0);
    DescribePanels(*ui_, *figures_);
}

TMainForm::~TMainForm() {
    Timer1->stop();
    // The panels outlive this object's members by a moment; they must no longer call back.
    for (TPaintBox* panel : {ui_->PaintBox1, ui_->PaintBox2}) {
        panel->OnPaint = nullptr;
        panel->OnMouseDown = nullptr;
    }
    FormDestroy();
}

void TMainForm::applyFonts() {
    QFont makerFont = font();
    makerFont.setBold(true);
    makerFont.setPixelSize(12);
    for (QLabel* label : {ui_->Label1, ui_->Label2, ui_->Label3, ui_->Label4}) {
        label->setFont(makerFont);
        QPalette navy = label->palette();
        navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
        label->setPalette(navy);
        label->adjustSize();
    }
    ui_->Label5->adjustSize();

    // The trees hide their selection while they do not have the focus.
    for (QTreeWidget* tree : {ui_->TreeView1, ui_->TreeViewUK}) {
        QPalette p = tree->palette();
        p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Inactive, QPalette::Base));
        p.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   p.color(QPalette::Inactive, QPalette::Text));
        tree->setPalette(p);
        // One font, one line per row: the tree need not measure every row again at each repaint.
        tree->setUniformRowHeights(true);
    }
    ui_->Memo1->setWordWrapMode(QTextOption::WordWrap);
}

void TMainForm::makePagesOpaque() {
    // Every click repaints the step tree and the explanation box. Left transparent, a page lets those
    // repaints reach this window's own paint handler, which replays both panels in full. An opaque page
    // stops them there.
    for (QWidget* page : {ui_->TabSheet1, ui_->TabSheet2})
        new TOpaquePage(page);
}

void TMainForm::applyPictures() {
    ui_->SpeedButton1->setIcon(TwoStatePicture(QStringLiteral(":/pictures/question.xpm")));
    ui_->SpeedButton2->setIcon(TwoStatePicture(QStringLiteral(":/pictures/sheet.xpm")));
    ui_->SpeedButton3->setIcon(TwoStatePicture(QStringLiteral(":/pictures/door.xpm")));
    for (QToolButton* button : {ui_->SpeedButton1, ui_->SpeedButton2, ui_->SpeedButton3})
        button->setIconSize(QSize(16, 16));

    // The flags are larger than their button: drawn centred and cut off at the button's bevel.
    const QSize inside = ui_->SpeedButton4->size() - QSize(4, 4);
    ui_->SpeedButton4->setIcon(FlagsIcon(inside));
    ui_->SpeedButton4->setIconSize(inside);

    ShowLogoWhenShown(ui_->Image1);
}

void TMainForm::buildPopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto* gridMenu = new QMenu(QStringLiteral("grid"), PopupMenu1);
    gridMenu->setObjectName(QStringLiteral("grid1Menu"));
    grid1 = gridMenu->menuAction();
    grid1->setObjectName(QStringLiteral("grid1"));
    ON1 = new QAction(QStringLiteral("Teken"), gridMenu);
    ON1->setObjectName(QStringLiteral("ON1"));
    OFF1 = new QAction(QStringLiteral("Verbergen"), gridMenu);
    OFF1->setObjectName(QStringLiteral("OFF1"));
    gridMenu->addAction(ON1);
    gridMenu->addAction(OFF1);
    PopupMenu1->addMenu(gridMenu);
}

void TMainForm::connectHandlers() {
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    connect(ui_->SpeedButton1, &QToolButton::clicked, this, &TMainForm::SpeedButton1Click);
    connect(ui_->SpeedButton2, &QToolButton::clicked, this, &TMainForm::SpeedButton2Click);
    connect(ui_->SpeedButton3, &QToolButton::clicked, this, &TMainForm::SpeedButton3Click);
    connect(ui_->SpeedButton4, &QToolButton::clicked, this, &TMainForm::SpeedButton4Click);
    connect(ui_->PageControl1, &QTabWidget::currentChanged, this, &TMainForm::PageControl1Change);
    connect(ON1, &QAction::triggered, this, &TMainForm::ON1Click);
    connect(OFF1, &QAction::triggered, this, &TMainForm::OFF1Click);

    ui_->PaintBox1->OnPaint = [this] { PaintBox1Paint(); };
    ui_->PaintBox2->OnPaint = [this] { PaintBox2Paint(); };
    ui_->PaintBox1->OnMouseDown = [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at) {
        PaintBox1MouseDown(button, shift, at.x(), at.y());
    };

    for (QTreeWidget* tree : {ui_->TreeView1, ui_->TreeViewUK})
        connect(tree, &QTreeWidget::itemClicked, this,
                [this, tree](QTreeWidgetItem* row, int) { StepRowChosen(tree, row); });
}

void TMainForm::StepRowChosen(QTreeWidget* tree, QTreeWidgetItem* row) {
    if (!row)
        return;
    // The chosen row is the one acted on: it becomes the selected node before the step is taken.
    if (tree->currentItem() != row || !row->isSelected())
        tree->setCurrentItem(row);
    if (tree == ui_->TreeView1)
        TreeView1Click();
    else
        TreeViewUKClick();
}

void TMainForm::buildKeys() {
    // The tool buttons stay out of the Tab order; their keys work wherever the focus is, and readers
    // find them as the buttons' key bindings.
    ui_->SpeedButton1->setShortcut(QKeySequence(QKeySequence::HelpContents));
    ui_->SpeedButton2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    ui_->SpeedButton3->setShortcut(QKeySequence(QKeySequence::Quit));
    ui_->SpeedButton4->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));

    // The page keys belong to the page control, so that readers find them there.
    const auto pageKey = [this](const char* name, QList<QKeySequence> keys, int step) {
        auto* action = new QAction(ui_->PageControl1);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        ui_->PageControl1->addAction(action);
        connect(action, &QAction::triggered, this, [this, step] { TurnPage(step); });
    };
    pageKey("PageNext", {QKeySequence(Qt::CTRL | Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_Tab)}, 1);
    pageKey("PagePrevious",
            {QKeySequence(Qt::CTRL | Qt::Key_PageUp), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)},
            -1);

    // The grid entries have keys of their own. They work from the whole window, so they are added to
    // it too; the menu does not show them, so that it looks as it always did.
    ON1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    OFF1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G));
    for (QAction* entry : {ON1, OFF1}) {
        // Shown in the menu's key column, beside the unchanged captions, so that they can be learnt.
        entry->setShortcutVisibleInContextMenu(true);
        addAction(entry);
    }
    // Menus are windows of their own, which do not take the window's font by themselves.
    PopupMenu1->setFont(font());
    grid1->menu()->setFont(font());

    auto* keysOverview = new QAction(this);
    keysOverview->setObjectName(QStringLiteral("KeysOverview"));
    keysOverview->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    keysOverview->setShortcutContext(Qt::WindowShortcut);
    addAction(keysOverview);
    connect(keysOverview, &QAction::triggered, this,
            [this] { ShowKeysOverview(this, figures_->EnglishMode != 0); });

    // The drawing panels are reached with Tab (a click does not take the focus from the tree). On the
    // diagram panel the context-menu key and Shift+F10 open the grid menu where the mouse opens it.
    for (TPaintBox* panel : {ui_->PaintBox1, ui_->PaintBox2})
        panel->setFocusPolicy(Qt::TabFocus);
    auto* menuKey = new QAction(ui_->PaintBox1);
    menuKey->setObjectName(QStringLiteral("GridMenuKey"));
    menuKey->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)});
    menuKey->setShortcutContext(Qt::WidgetShortcut);
    ui_->PaintBox1->addAction(menuKey);
    connect(menuKey, &QAction::triggered, this, [this] {
        platform_.Popup(PopupMenu1, GridMenuPoint());
        // Opened by a key, the menu starts on its first entry, which a reader then announces.
        if (PopupMenu1->isVisible())
            PopupMenu1->setActiveAction(grid1);
    });

    for (QTreeWidget* tree : {ui_->TreeView1, ui_->TreeViewUK}) {
        TakeStepsByKey(tree, [this, tree](QTreeWidgetItem* row) { StepRowChosen(tree, row); });
        ExposeStepRows(tree);
    }
    DescribeByText(ui_->Memo1);
    MarkFocusWithFrame(ui_->Memo1);
    for (QWidget* widget : {static_cast<QWidget*>(ui_->TreeView1), static_cast<QWidget*>(ui_->TreeViewUK),
                            static_cast<QWidget*>(ui_->PageControl1->tabBar())})
        DrawStrongFocus(widget);
    BackToTheTreeByKey(ui_->Memo1, [this] { return visibleTree(); });
}

QTreeWidget* TMainForm::visibleTree() const {
    return ui_->TreeView1->isHidden() ? ui_->TreeViewUK : ui_->TreeView1;
}

void TMainForm::TurnPage(int step) {
    const int count = ui_->PageControl1->count();
    if (count > 0)
        ui_->PageControl1->setCurrentIndex((ui_->PageControl1->currentIndex() + step + count) % count);
}

void TMainForm::FormCreate() {
    figures_->EnglishMode = 0;
    figures_->SetElementOptions(true);
    figures_->SetAllLayers(false);
    setMaximumHeight(OuterHeight);
    setMinimumHeight(OuterHeight);
    setMaximumWidth(OuterWidth);
    setMinimumWidth(OuterWidth);
    ui_->GroupBox1->move(7, 0);
    ui_->GroupBox2->move(7, 285);
    ui_->GroupBox3->move(289, 0);
    ui_->GroupBox4->move(289, 446);
    for (QToolButton* button : {ui_->SpeedButton1, ui_->SpeedButton2, ui_->SpeedButton3})
        button->move(757, button->y());
    figures_->CreateSaveSlot();
}

void TMainForm::FormDestroy() {
    figures_->FreeSaveSlot();
}

void TMainForm::FormPaint() {
    PaintBox2Paint();
    PaintBox1Paint();
}

void TMainForm::paintEvent(QPaintEvent*) {
    FormPaint();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    // Panel1 fills the client area; the page control is docked to its left edge, full height.
    ui_->Panel1->setGeometry(rect());
    ui_->PageControl1->setGeometry(1, 1, 751, std::max(0, ui_->Panel1->height() - 2));
    QWidget::resizeEvent(event);
}

void TMainForm::Timer1Timer() {
    Timer1->stop();
    if (platform_.PrimaryScreenWidth() >= SmallestScreenWidth)
        return;
    platform_.ExecModal(CheckForm);
    // The program ends after the warning whatever else is open: the check may have come while the
    // about box (or a message) was shown modally, and a window left open would keep the program alive.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window != this && window->isVisible())
            window->close();
    close();
}

void TMainForm::SpeedButton1Click() {
    platform_.ExecModal(AboutForm);
}

void TMainForm::SpeedButton2Click() {
    ResetWalkthrough();
    Announce(this, figures_->EnglishMode != 0 ? QStringLiteral("started again")
                                              : QStringLiteral("opnieuw begonnen"));
}

void TMainForm::SpeedButton3Click() {
    close();
}

void TMainForm::SpeedButton4Click() {
    ToggleLanguage();
    // As after a restart, the keyboard user goes on from the first step, in the new tree.
    QTreeWidget* tree = visibleTree();
    if (tree->isVisible() && tree->topLevelItemCount() > 0) {
        tree->setCurrentItem(tree->topLevelItem(0), 0, QItemSelectionModel::NoUpdate);
        tree->setFocus(Qt::OtherFocusReason);
    }
    Announce(this, figures_->EnglishMode != 0 ? QStringLiteral("English, started again")
                                              : QStringLiteral("Nederlands, opnieuw begonnen"));
}

void TMainForm::PageControl1Change() {
    platform_.MessageBeep();
}

QPoint TMainForm::GridMenuPoint() const {
    // The outer corner from the frame as the native window knows it, as the placement does: the widget's
    // own copy of the frame may lag behind when the window manager frames the window late.
    const QMargins frame = platform_.FrameMargins(this);
    const QPoint outer = geometry().topLeft() - QPoint(frame.left(), frame.top());
    return QPoint(outer.x() + ui_->GroupBox3->x() + 100, outer.y() + ui_->GroupBox3->y() + 100);
}

void TMainForm::PaintBox1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
    if (button != Qt::RightButton)
        return;
    platform_.Popup(PopupMenu1, GridMenuPoint());
}

void TMainForm::PaintBox1Paint() {
    figures_->PaintBox1Paint();
}

void TMainForm::PaintBox2Paint() {
    figures_->PaintBox2Paint();
}

void TMainForm::ON1Click() {
    ui_->PaintBox1->hide();
    if (!figures_->FigureLayers.DiagramGrid)
        figures_->FigureLayers.DiagramGrid = true;
    ui_->PaintBox1->show();
    PaintBox1Paint();
    DescribePanels(*ui_, *figures_);
}

void TMainForm::OFF1Click() {
    ui_->PaintBox1->hide();
    if (figures_->FigureLayers.DiagramGrid)
        figures_->FigureLayers.DiagramGrid = false;
    ui_->PaintBox1->show();
    PaintBox1Paint();
    DescribePanels(*ui_, *figures_);
}

void TMainForm::TreeView1Click() {
    const bool taken = HandleStepClick(*this, ui_->TreeView1, TStepLanguage::Dutch);
    ShowStepStates(ui_->TreeView1);
    DescribePanels(*ui_, *figures_);
    if (taken)
        AnnounceExplanation(ui_->TreeView1, ui_->Memo1->toPlainText());
}

void TMainForm::TreeViewUKClick() {
    const bool taken = HandleStepClick(*this, ui_->TreeViewUK, TStepLanguage::English);
    ShowStepStates(ui_->TreeViewUK);
    DescribePanels(*ui_, *figures_);
    if (taken)
        AnnounceExplanation(ui_->TreeViewUK, ui_->Memo1->toPlainText());
}

void TMainForm::ResetWalkthrough() {
    ClearStepMarks(ui_->TreeView1);
    ClearStepMarks(ui_->TreeViewUK);
    figures_->SetElementOptions(true);
    figures_->SetAllLayers(false);
    ui_->Memo1->clear();
    ui_->PaintBox1->hide();
    ui_->PaintBox1->show();
    ui_->PaintBox2->hide();
    ui_->PaintBox2->show();
    ShowStepStates(ui_->TreeView1);
    ShowStepStates(ui_->TreeViewUK);
    DescribePanels(*ui_, *figures_);
}

void TMainForm::ToggleLanguage() {
    ResetWalkthrough();
    figures_->EnglishMode = figures_->EnglishMode == 0 ? 1 : 0;
    const bool english = figures_->EnglishMode != 0;
    const auto pick = [english](const char16_t* dutch, const char16_t* inEnglish) {
        return QString::fromUtf16(english ? inEnglish : dutch);
    };
    setWindowTitle(pick(u"KS2170 : Tensorkring", u"KS2170 : Mohr\u2019s circle"));
    ui_->PageControl1->setTabText(ui_->PageControl1->indexOf(ui_->TabSheet1),
                                  pick(u"Spanningen", u"Stresses"));
    ui_->PageControl1->setTabText(ui_->PageControl1->indexOf(ui_->TabSheet2), pick(u"Rekken", u"Strains"));
    ui_->SpeedButton1->setToolTip(pick(u"about", u"about"));
    ui_->SpeedButton2->setToolTip(pick(u"start opnieuw", u"restart"));
    ui_->SpeedButton3->setToolTip(pick(u"afsluiten", u"exit"));
    ui_->SpeedButton4->setToolTip(pick(u"UK", u"NL"));
    ui_->Label5->setText(pick(u"Dit onderdeel is nong niet beschikbaar", u"This part is not yet available"));
    ui_->Label5->adjustSize();
    ON1->setText(pick(u"Teken", u"Draw"));
    OFF1->setText(pick(u"Verbergen", u"Hide"));
    ui_->GroupBox1->setTitle(pick(u"Acties", u"Actions"));
    ui_->GroupBox2->setTitle(pick(u"Gegeven spanningen [MPa]", u"Known stresses [MPa]"));
    ui_->GroupBox3->setTitle(pick(u"Tensorkring", u"Mohr\u2019s circle"));
    ui_->GroupBox4->setTitle(pick(u"Uitleg", u"Explanation"));

    // The tree going away is hidden before the other is shown, so the two never show together. Its own
    // visibility counts, not its page's: a switch on the strains page must still hide it.
    QTreeWidget* leaving = english ? ui_->TreeView1 : ui_->TreeViewUK;
    QTreeWidget* coming = english ? ui_->TreeViewUK : ui_->TreeView1;
    if (!leaving->isHidden())
        leaving->hide();
    coming->show();
    NameControls(this, *ui_, PopupMenu1, english);
    DescribePanels(*ui_, *figures_);
}

void TMainForm::ClearMemo() {
    ui_->Memo1->clear();
}

void TMainForm::AddExplanation(const QString& text) {
    ui_->Memo1->appendPlainText(text);
}

void TMainForm::ScrollMemoToTop() {
    ui_->Memo1->setFocus();
    QTextCursor cursor = ui_->Memo1->textCursor();
    cursor.setPosition(0);
    ui_->Memo1->setTextCursor(cursor);
}

void TMainForm::RefreshElementPanel() {
    ui_->PaintBox2->hide();
    ui_->PaintBox2->show();
}

void TMainForm::ShowInformation(const QString& text) {
    platform_.Information(this, text);
}

} // namespace mohr
