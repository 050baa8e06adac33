#pragma once

#include <QChar>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

namespace mohr {

// The completion mark appended to a taken step's text; the marks are the only record of progress.
inline constexpr QChar StepMark = QChar(0x00AB);

// Position of a node in pre-order over the whole tree, counting collapsed nodes too; -1 if the item
// is not in the tree.
int AbsoluteIndex(const QTreeWidget* tree, const QTreeWidgetItem* node);
// The node at an absolute index, or nullptr.
QTreeWidgetItem* NodeAt(const QTreeWidget* tree, int index);
// Level 0 for a topic, 1 for a step, 2 for a sub-step.
int NodeLevel(const QTreeWidgetItem* node);
bool IsMarked(const QTreeWidgetItem* node);

// The progression rule for one click: expands the node one level, allows the step only when every
// earlier node is marked, and then marks the node (once).
bool TryCompleteStep(QTreeWidget* tree, QTreeWidgetItem* node);
// Removes every mark and collapses the whole tree.
void ClearStepMarks(QTreeWidget* tree);

} // namespace mohr
