#pragma once

#include <QHash>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <memory>

class QTextLayout;

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

// Paints the rows of a step tree as the style draws an item view's items, but without a check box: a
// taken step is checked for readers only, so the rows look as they always did. Under the styles that
// draw items the common way (Fusion, Windows), a row's text is laid out once and kept: a step that
// opens a topic repaints the whole list, and measuring and shaping every row's text anew each time was
// most of that.
class TStepRowDelegate : public QStyledItemDelegate {
public:
    explicit TStepRowDelegate(QObject* parent = nullptr);
    ~TStepRowDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    struct TLaidOutText;
    // The text of a row laid out in its text box as the style lays it out, elided where it does not fit.
    const TLaidOutText& LaidOut(const QStyleOptionViewItem& option, const QRect& textBox) const;

    mutable QHash<QString, std::shared_ptr<TLaidOutText>> texts_;
};

} // namespace mohr
