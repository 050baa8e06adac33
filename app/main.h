#pragma once

#include "figures/figures.h"
#include "walkthrough/dispatch.h"

#include <QWidget>

#include <memory>

class QAction;
class QDialog;
class QMenu;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class MainForm;
}

namespace mohr {

class TPlatform;

// The main window: the step trees, the explanation box, the two drawing panels, the four tool
// buttons and the grid menu.
class TMainForm : public QWidget, public TStepHost {
    Q_OBJECT

public:
    // The platform services come from `platform` when given (it must outlive the window), otherwise
    // from the real desktop.
    explicit TMainForm(TPlatform* platform = nullptr, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The dialogs are made after the main window and handed to it; either may be left out.
    QDialog* CheckForm = nullptr;
    QDialog* AboutForm = nullptr;

    QTimer* Timer1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* grid1 = nullptr;
    QAction* ON1 = nullptr;
    QAction* OFF1 = nullptr;

    // TStepHost
    TFigures& Figures() override { return *figures_; }
    void ClearMemo() override;
    void AddExplanation(const QString& text) override;
    void ScrollMemoToTop() override;
    void RefreshElementPanel() override;
    void ShowInformation(const QString& text) override;

    void FormCreate();
    void FormDestroy();
    void FormPaint();
    void Timer1Timer();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void PageControl1Change();
    void PaintBox1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void PaintBox1Paint();
    void PaintBox2Paint();
    void ON1Click();
    void OFF1Click();
    void TreeView1Click();
    void TreeViewUKClick();

    void ResetWalkthrough();
    void ToggleLanguage();

    // The screen point at which the grid menu opens.
    QPoint GridMenuPoint() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyFonts();
    void applyPictures();
    void makePagesOpaque();
    void buildPopupMenu();
    void connectHandlers();
    // The keys of the commands, the panels' place in the Tab order and the step keys of the trees.
    void buildKeys();
    // A row chosen by a click or by a key: it becomes the selected node, then the tree's handler runs.
    void StepRowChosen(QTreeWidget* tree, QTreeWidgetItem* row);
    // Moves to the next (+1) or previous (-1) page, round the end.
    void TurnPage(int step);
    QTreeWidget* visibleTree() const;

    std::unique_ptr<TPlatform> ownPlatform_;
    TPlatform& platform_;
    std::unique_ptr<Ui::MainForm> ui_;
    std::unique_ptr<TFigures> figures_;
};

} // namespace mohr
