#pragma once

class QMenu;
class QPlainTextEdit;
class QString;
class QTreeWidget;
class QWidget;

namespace Ui {
class MainForm;
}

namespace mohr {

class TFigures;

// Gives every control of the main window its accessible name in the interface language (a tool
// button says what its hint says). Names follow the language and the captions only: called once the
// window is built and after each language switch. A missing control ends the program.
void NameControls(QWidget* mainForm, const Ui::MainForm& ui, QMenu* gridMenu, bool english);

// Describes each drawing panel by what it shows right now; called whenever the figures may have changed.
void DescribePanels(const Ui::MainForm& ui, const TFigures& figures);

// Exposes the taken steps of a tree as checked rows; called whenever its marks may have changed.
void ShowStepStates(QTreeWidget* tree);

// Installs, once, the program's own accessible interfaces: the main window is a window (frame), the
// drawing panels are pictures, and the diagram panel and the page control offer the keys of their
// QActions (objectNames "GridMenuKey", "PageNext", "PagePrevious") as their actions' key bindings.
// Must run before the main window is made: readers keep the first interface of an object.
void InstallAccessibleInterfaces();

// Prepares a step tree for readers: its rows may carry a checked state without a check box being
// drawn or clicked, and while the tree is hidden its rows are kept out of the accessibility tree.
void ExposeStepRows(QTreeWidget* tree);

// After a step that left the focus on the step tree, lets a reader read the new explanation, as a
// notification of the main window. Does nothing when the focus went elsewhere: the explanation box
// that got it is read out with its description, the whole explanation.
void AnnounceExplanation(QTreeWidget* tree, const QString& explanation);

// Tells readers a text without moving the focus, as a notification of the window: what a command did
// that shows nowhere else (a restart, the language switch).
void Announce(QWidget* window, const QString& text);

// The explanation box describes itself by its whole text, so that a reader reads the whole explanation
// and not only the first wrapped line; kept up to date on every change, before the focus moves there.
void DescribeByText(QPlainTextEdit* memo);

} // namespace mohr
