#include "controls.h"

#include "figures/canvas.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionGroupBox>

#include <algorithm>

namespace mohr {

namespace {

// The process's font substitutions are all made here, when the window font is first asked for, before
// any font is looked up.
void InstallFontSubstitutes() {
    const QString classic = QStringLiteral("MS Sans Serif");
    if (QFont::substitutes(classic).isEmpty())
        QFont::insertSubstitutions(classic, {QStringLiteral("Microsoft Sans Serif"),
                                             QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                             QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
    // The drawing panels' own, which add their last resorts behind these.
    InstallFontSubstitutions();
}

// Where the frame's top line begins, below the caption's top.
constexpr int FrameTop = 6;
// The groove: two lines.
constexpr int Groove = 2;
// The caption box: 8 pixels in, with 2 pixels of room on either side of its text.
constexpr int CaptionLeft = 8;
constexpr int CaptionPadding = 2;

// The application's style for everything but the group box itself.
class TEtchedFrameStyle : public QProxyStyle {
public:
    TEtchedFrameStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override {
        if (control == CC_GroupBox) {
            const QRect box = option->rect;
            switch (part) {
            case SC_GroupBoxFrame:
                return box.adjusted(0, FrameTop, 0, 0);
            case SC_GroupBoxContents:
                return box.adjusted(Groove, FrameTop + Groove, -Groove, -Groove);
            case SC_GroupBoxLabel:
                if (const auto* group = qstyleoption_cast<const QStyleOptionGroupBox*>(option)) {
                    // The text's width with a blank after it: the caption keeps a little air to its right.
                    const QFontMetrics& metrics = option->fontMetrics;
                    const int width =
                        std::max(metrics.horizontalAdvance(group->text),
                                 metrics.size(Qt::TextShowMnemonic, group->text + u' ').width());
                    return QRect(box.left() + CaptionLeft + CaptionPadding, box.top(), width,
                                 metrics.height());
                }
                break;
            default:
                break;
            }
        }
        return QProxyStyle::subControlRect(control, option, part, widget);
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override {
        const auto* group = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || !group) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        const QRect caption = subControlRect(CC_GroupBox, option, SC_GroupBoxLabel, widget);
        painter->save();
        // The frame stops short of the caption and its room.
        if (!group->text.isEmpty())
            painter->setClipRegion(QRegion(option->rect) -
                                   caption.adjusted(-CaptionPadding, 0, CaptionPadding, 0));
        DrawGroove(painter, subControlRect(CC_GroupBox, option, SC_GroupBoxFrame, widget),
                   option->palette.color(QPalette::Mid));
        painter->restore();
        if (group->text.isEmpty())
            return;
        int alignment = Qt::AlignCenter | Qt::TextShowMnemonic;
        if (!proxy()->styleHint(SH_UnderlineShortcut, option, widget))
            alignment |= Qt::TextHideMnemonic;
        QPalette palette = option->palette;
        if (group->textColor.isValid())
            palette.setColor(QPalette::WindowText, group->textColor);
        proxy()->drawItemText(painter, caption, alignment, palette, option->state & State_Enabled,
                              group->text, QPalette::WindowText);
    }

private:
    // A sunken line and a raised one inside it: the outer line dark at the top and left and light at the
    // bottom and right, the inner line the other way round.
    static void DrawGroove(QPainter* painter, const QRect& r, const QColor& mid) {
        const QColor light = mid.lighter();
        const int l = r.left(), t = r.top(), rr = r.right(), b = r.bottom();
        painter->fillRect(QRect(QPoint(l, t), QPoint(rr, t)), mid);
        painter->fillRect(QRect(QPoint(l, t), QPoint(l, b)), mid);
        painter->fillRect(QRect(QPoint(l + 1, b), QPoint(rr, b)), light);
        painter->fillRect(QRect(QPoint(rr, t + 1), QPoint(rr, b)), light);
        painter->fillRect(QRect(QPoint(l + 1, t + 1), QPoint(rr - 1, t + 1)), light);
        painter->fillRect(QRect(QPoint(l + 1, t + 1), QPoint(l + 1, b - 1)), light);
        painter->fillRect(QRect(QPoint(l + 2, b - 1), QPoint(rr - 1, b - 1)), mid);
        painter->fillRect(QRect(QPoint(rr - 1, t + 2), QPoint(rr - 1, b - 1)), mid);
    }
};

QStyle* EtchedFrameStyle() {
    // One for the whole program, owned by the application; built again should the application be.
    static QPointer<QStyle> style;
    if (!style) {
        style = new TEtchedFrameStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

} // namespace

TGroupBox::TGroupBox(QWidget* parent) : QGroupBox(parent) {
    setStyle(EtchedFrameStyle());
}

QFont WindowFont() {
    InstallFontSubstitutes();
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(10);
    return font;
}

TTabSheet::TTabSheet(QWidget* parent) : QWidget(parent) {
    setFont(WindowFont());
}

} // namespace mohr
