#include "keyboard.h"

#include <QKeyEvent>
#include <QTreeWidget>

namespace mohr {

namespace {

bool IsStepKey(const QKeyEvent& key) {
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter || key.key() == Qt::Key_Space;
}

class TStepKeys : public QObject {
public:
    TStepKeys(QTreeWidget* tree, std::function<void(QTreeWidgetItem*)> take)
        : QObject(tree), tree_(tree), take_(std::move(take)) {
        tree->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != tree_ || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!IsStepKey(*key))
            return false;
        // Space would otherwise select, Return would only expand: the key is the step's alone.
        if (!key->isAutoRepeat())
            take_(tree_->currentItem());
        return true;
    }

private:
    QTreeWidget* tree_;
    std::function<void(QTreeWidgetItem*)> take_;
};

} // namespace

void TakeStepsByKey(QTreeWidget* tree, std::function<void(QTreeWidgetItem*)> take) {
    if (tree && take)
        new TStepKeys(tree, std::move(take));
}

} // namespace mohr
