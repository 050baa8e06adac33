#pragma once

#include <QList>
#include <QString>

#include <functional>

class QPlainTextEdit;
class QTreeWidget;
class QWidget;

namespace mohr {

// While the explanation box has the keyboard focus, a two-pixel frame in the highlight colour runs round
// it, as round a focused drawing panel: a read-only box shows no caret.
void MarkFocusWithFrame(QPlainTextEdit* memo);

// The keyboard focus on the widget (a step tree's current row, a page tab) is marked by a solid
// two-pixel ring of at least 3 : 1 against its ground, in light and dark themes alike.
void DrawStrongFocus(QWidget* widget);

// Escape and Shift+Tab in the explanation box go straight back to the step tree shown (`tree()`), onto
// the row after its current one: after a step that moved the focus there, the next step is one key away.
void BackToTheTreeByKey(QPlainTextEdit* memo, std::function<QTreeWidget*()> tree);

// One line of the keys overview: the keys as the platform writes them, and what they do. `Control` names
// the button or action whose keys they are (empty for the keys that move within a control); the web
// edition reads it to give a command the page's own key where a browser keeps the desktop's.
struct TKeyLine {
    QString Keys;
    QString Does;
    QString Control;
};

// Every key of the main window, with what it does in the interface language: the commands' keys are read
// from the window's own actions and buttons, so the list cannot drift from them.
QList<TKeyLine> KeyLines(QWidget* mainForm, bool english);

// The keys overview: a small window of its own listing KeyLines, closed with Escape. Made on first use,
// shown without blocking; shown again it lists the keys in the language of that moment.
void ShowKeysOverview(QWidget* mainForm, bool english);

} // namespace mohr
