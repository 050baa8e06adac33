#pragma once

#include <functional>

class QTreeWidget;
class QTreeWidgetItem;

namespace mohr {

// Return, Enter (the keypad's too) and Space on a step tree take the current row's step: they hand the
// row to `take`, the very handler a click on the row goes through. A held key does not repeat the
// step, so that a refusal box opened by the press is not closed again by the repeats.
void TakeStepsByKey(QTreeWidget* tree, std::function<void(QTreeWidgetItem*)> take);

} // namespace mohr
