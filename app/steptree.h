#pragma once

#include <QTreeWidget>

namespace mohr {

// A step tree with the classic look: dotted lines join every node to its parent and its siblings, the
// top-level nodes included, and a node with children has a plus or minus box on its line. Only the
// branch area is drawn here; rows, indentation and everything else stay the tree widget's own.
class TStepTree : public QTreeWidget {
public:
    explicit TStepTree(QWidget* parent = nullptr);

    // The colour of the lines and of the boxes' outlines: half way between the tree's text and its
    // background (gray on white), so that it follows a dark theme as well.
    QColor LineColour() const;

protected:
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
};

} // namespace mohr
