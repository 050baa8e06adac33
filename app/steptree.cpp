#include "steptree.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QProxyStyle>
#include <QStyle>
#include <QTextLayout>

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

TStepTree::TStepTree(QWidget* parent) : QTreeWidget(parent) {
    // The one column stretches with the viewport and the header is hidden, so the column changes width
    // only when the viewport does, which repaints it anyway. The view's own answer to a column resize,
    // a second full repaint from a timer, would paint every row again just after (when a step first
    // makes the list longer than the box and its scroll bar appears).
    // The view's slot is private and known by name only: should a Qt release rename it, say so rather
    // than repaint every row twice unnoticed.
    if (!disconnect(header(), SIGNAL(sectionResized(int, int, int)), this,
                    SLOT(columnResized(int, int, int))))
        qWarning("TStepTree: the header's column resize is no longer connected to the view's own answer");
}

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

struct TStepRowDelegate::TLaidOutText {
    QTextLayout Layout;
    // Where the layout is drawn, from the top-left of the text box.
    QPoint Offset;
};

namespace {

// Styles whose item drawing is the common style's own, which the fast path below follows step by step.
bool DrawsItemsTheCommonWay(const QStyle* style) {
    // A proxy that only marks the focus draws items as the style below it does.
    if (const auto* proxy = qobject_cast<const QProxyStyle*>(style))
        style = proxy->baseStyle();
    const QLatin1String name(style->metaObject()->className());
    return name == QLatin1String("QFusionStyle") || name == QLatin1String("QWindowsStyle");
}

// A row with one line of text and nothing else: no icon, no check box, no wrapping, not being edited.
bool IsPlainTextRow(const QStyleOptionViewItem& option) {
    using F = QStyleOptionViewItem;
    return !(option.features & (F::HasDecoration | F::HasCheckIndicator | F::WrapText)) &&
           !(option.state & QStyle::State_Editing) && option.showDecorationSelected &&
           option.decorationPosition == F::Left && option.direction == Qt::LeftToRight &&
           !option.text.contains(QLatin1Char('\n')) && !option.text.contains(QChar::LineSeparator);
}

void LayOutOneLine(QTextLayout& layout, int width) {
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
}

QString CacheKey(const QStyleOptionViewItem& option, const QRect& textBox) {
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(option.font.key())
        .arg(textBox.width())
        .arg(textBox.height())
        .arg(int(option.displayAlignment))
        .arg(int(option.textElideMode))
        .arg(option.text);
}

} // namespace

TStepRowDelegate::TStepRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

TStepRowDelegate::~TStepRowDelegate() = default;

void TStepRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->features &= ~QStyleOptionViewItem::HasCheckIndicator;
}

const TStepRowDelegate::TLaidOutText& TStepRowDelegate::LaidOut(const QStyleOptionViewItem& option,
                                                                const QRect& textBox) const {
    const QString key = CacheKey(option, textBox);
    if (const auto found = texts_.constFind(key); found != texts_.cend())
        return **found;
    // The rows' texts are few; a font or size that keeps changing must not grow this without end.
    if (texts_.size() > 512)
        texts_.clear();

    QTextOption textOption;
    textOption.setWrapMode(QTextOption::ManualWrap);
    textOption.setTextDirection(option.direction);
    textOption.setAlignment(QStyle::visualAlignment(option.direction, option.displayAlignment));

    // Placed by the height of the whole text, and elided when wider than the box.
    QTextLayout measured(option.text, option.font);
    measured.setTextOption(textOption);
    LayOutOneLine(measured, textBox.width());
    const QRect placed = QStyle::alignedRect(Qt::LayoutDirectionAuto, option.displayAlignment,
                                             measured.boundingRect().size().toSize(), textBox);
    QString shown = option.text;
    if (measured.lineCount() > 0 && measured.lineAt(0).naturalTextWidth() > textBox.width())
        shown = QFontMetrics(option.font).elidedText(option.text, option.textElideMode, textBox.width());

    auto text = std::make_shared<TLaidOutText>();
    text->Layout.setText(shown);
    text->Layout.setFont(option.font);
    text->Layout.setTextOption(textOption);
    text->Layout.setCacheEnabled(true);
    LayOutOneLine(text->Layout, textBox.width());
    text->Offset = QPoint(0, placed.top() - textBox.top());
    return **texts_.insert(key, std::move(text));
}

void TStepRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget* widget = item.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    if (!DrawsItemsTheCommonWay(style) || !IsPlainTextRow(item)) {
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
        return;
    }

    // What the common style does for such an item: background, text, focus frame, within the item.
    painter->save();
    painter->setClipRegion(painter->hasClipping() ? painter->clipRegion() & item.rect : QRegion(item.rect));
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, widget);
    QPalette::ColorGroup group = item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(item.state & QStyle::State_Active))
        group = QPalette::Inactive;
    if (!item.text.isEmpty()) {
        painter->setPen(item.palette.color(
            group, item.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect textBox = item.rect.adjusted(margin, 0, -margin, 0);
        const TLaidOutText& text = LaidOut(item, textBox);
        text.Layout.draw(painter, textBox.topLeft() + text.Offset);
    }
    if (item.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(item);
        focus.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &item, widget);
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        const QPalette::ColorGroup focusGroup =
            item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        focus.backgroundColor = item.palette.color(
            focusGroup, item.state & QStyle::State_Selected ? QPalette::Highlight : QPalette::Window);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}

} // namespace mohr
