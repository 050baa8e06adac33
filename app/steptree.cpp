#include "steptree.h"

#include <QPainter>

namespace mohr {

namespace {

// Half the side of the expand box, which is 9 pixels square around the centre of its cell.
constexpr int BoxHalf = 4;

// Dots on every other pixel, fixed to even viewport coordinates, so that the pieces drawn row by row
// join into one unbroken dotted line.
void DotsDown(QPainter* painter, int x, int top, int bottom, const QColor& colour) {
    for (int y = top + (top & 1); y <= bottom; y += 2)
        painter->fillRect(x, y, 1, 1, colour);
}

void DotsAcross(QPainter* painter, int left, int right, int y, const QColor& colour) {
    for (int x = left + (left & 1); x <= right; x += 2)
        painter->fillRect(x, y, 1, 1, colour);
}

bool HasNextSibling(const QModelIndex& index) {
    return index.model()->rowCount(index.parent()) > index.row() + 1;
}

} // namespace

TStepTree::TStepTree(QWidget* parent) : QTreeWidget(parent) {}

QColor TStepTree::LineColour() const {
    const QColor text = palette().color(QPalette::Text);
    const QColor base = palette().color(QPalette::Base);
    return QColor((text.red() + base.red() + 1) / 2, (text.green() + base.green() + 1) / 2,
                  (text.blue() + base.blue() + 1) / 2);
}

void TStepTree::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
    const int indent = indentation();
    if (indent <= 0 || !index.isValid())
        return;
    const QColor line = LineColour();
    painter->save();
    painter->setClipRect(rect);

    // The innermost cell belongs to the row's own node, the cells to its left to its ancestors.
    QRect cell(rect.right() + 1 - indent, rect.top(), indent, rect.height());
    const int centreX = cell.left() + indent / 2;
    const int centreY = cell.top() + cell.height() / 2;
    const bool firstOfAll = !index.parent().isValid() && index.row() == 0;
    DotsDown(painter, centreX, firstOfAll ? centreY : cell.top(),
             HasNextSibling(index) ? cell.bottom() : centreY, line);
    DotsAcross(painter, centreX, cell.right(), centreY, line);

    if (model()->hasChildren(index)) {
        const QRect box(centreX - BoxHalf, centreY - BoxHalf, 2 * BoxHalf + 1, 2 * BoxHalf + 1);
        painter->fillRect(box, line);
        painter->fillRect(box.adjusted(1, 1, -1, -1), palette().color(QPalette::Base));
        const QColor sign = palette().color(QPalette::Text);
        painter->fillRect(centreX - 2, centreY, 5, 1, sign);
        if (!isExpanded(index))
            painter->fillRect(centreX, centreY - 2, 1, 5, sign);
    }

    // An ancestor's line runs on through this row while more of the ancestor's siblings follow.
    for (QModelIndex up = index.parent(); up.isValid() && cell.left() > rect.left(); up = up.parent()) {
        cell.translate(-indent, 0);
        if (HasNextSibling(up))
            DotsDown(painter, cell.left() + indent / 2, cell.top(), cell.bottom(), line);
    }
    painter->restore();
}

} // namespace mohr
