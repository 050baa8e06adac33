#include "walkthrough/progression.h"

#include <QTreeWidget>

#include <functional>

namespace mohr {

namespace {

// Visits every node in pre-order, collapsed or not, until the visitor returns false.
// Returns false when the walk was stopped.
bool VisitPreOrder(QTreeWidgetItem* node, const std::function<bool(QTreeWidgetItem*)>& visit) {
    if (!visit(node))
        return false;
    for (int i = 0; i < node->childCount(); ++i) {
        if (!VisitPreOrder(node->child(i), visit))
            return false;
    }
    return true;
}

void VisitTree(const QTreeWidget* tree, const std::function<bool(QTreeWidgetItem*)>& visit) {
    if (!tree)
        return;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (!VisitPreOrder(tree->topLevelItem(i), visit))
            return;
    }
}

} // namespace

int AbsoluteIndex(const QTreeWidget* tree, const QTreeWidgetItem* node) {
    if (!node)
        return -1;
    int index = 0;
    int found = -1;
    VisitTree(tree, [&](QTreeWidgetItem* item) {
        if (item == node) {
            found = index;
            return false;
        }
        ++index;
        return true;
    });
    return found;
}

QTreeWidgetItem* NodeAt(const QTreeWidget* tree, int index) {
    if (index < 0)
        return nullptr;
    QTreeWidgetItem* found = nullptr;
    int current = 0;
    VisitTree(tree, [&](QTreeWidgetItem* item) {
        if (current == index) {
            found = item;
            return false;
        }
        ++current;
        return true;
    });
    return found;
}

int NodeLevel(const QTreeWidgetItem* node) {
    int level = 0;
    for (const QTreeWidgetItem* p = node ? node->parent() : nullptr; p; p = p->parent())
        ++level;
    return level;
}

bool IsMarked(const QTreeWidgetItem* node) {
    return node && node->text(0).contains(StepMark);
}

bool TryCompleteStep(QTreeWidget* tree, QTreeWidgetItem* node) {
    const int k = AbsoluteIndex(tree, node);
    if (k < 0)
        return false; // not a node of this tree: nothing to take

    // Opened on every click, also a refused one, so the student sees what lies below.
    node->setExpanded(true);

    bool allowed = true;
    int index = 0;
    VisitTree(tree, [&](QTreeWidgetItem* item) {
        if (index++ == k)
            return false;
        if (!IsMarked(item))
            allowed = false;
        return true;
    });
    if (allowed && !IsMarked(node))
        node->setText(0, node->text(0) + StepMark);
    return allowed;
}

void ClearStepMarks(QTreeWidget* tree) {
    VisitTree(tree, [](QTreeWidgetItem* item) {
        QString text = item->text(0);
        if (text.endsWith(StepMark))
            text.chop(1);
        else if (const qsizetype at = text.lastIndexOf(StepMark); at >= 0)
            text.remove(at, 1); // the mark is always appended last; be safe if a text was changed
        else
            return true;
        item->setText(0, text);
        return true;
    });
    VisitTree(tree, [](QTreeWidgetItem* item) {
        item->setExpanded(false);
        return true;
    });
}

} // namespace mohr
