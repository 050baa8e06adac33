#include "keyaids.h"

#include "walkthrough/progression.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionFocusRect>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace mohr {

namespace {

class TFocusFrame : public QObject {
public:
    // Held as plain widgets: the filter still sees events while the box is being destroyed, when it is
    // no longer a text box.
    explicit TFocusFrame(QPlainTextEdit* memo) : QObject(memo), memo_(memo), viewport_(memo->viewport()) {
        memo->installEventFilter(this);
        viewport_->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == memo_) {
            if ((event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) && viewport_)
                viewport_->update();
            return false;
        }
        if (watched != viewport_ || event->type() != QEvent::Paint || painting_ || !memo_->hasFocus())
            return false;
        // The box paints its text first; the mark goes round the edge of the page, inside the margin
        // that keeps the text off it, so that no letter is ever covered.
        painting_ = true;
        QCoreApplication::sendEvent(viewport_, event);
        painting_ = false;
        QPainter painter(viewport_);
        painter.setPen(Qt::NoPen);
        painter.setBrush(memo_->palette().color(QPalette::Active, QPalette::Highlight));
        const QRect r = viewport_->rect();
        painter.drawRect(0, 0, r.width(), 2);
        painter.drawRect(0, r.height() - 2, r.width(), 2);
        painter.drawRect(0, 0, 2, r.height());
        painter.drawRect(r.width() - 2, 0, 2, r.height());
        return true;
    }

private:
    QWidget* memo_;
    QPointer<QWidget> viewport_;
    bool painting_ = false;
};

class TBackToTree : public QObject {
public:
    TBackToTree(QPlainTextEdit* memo, std::function<QTreeWidget*()> tree)
        : QObject(memo), memo_(memo), tree_(std::move(tree)) {
        memo->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != memo_ || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool escape = key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier;
        const bool back = key->key() == Qt::Key_Backtab;
        QTreeWidget* tree = tree_ ? tree_() : nullptr;
        if (!(escape || back) || !tree || !tree->isVisible())
            return false;
        if (QTreeWidgetItem* current = tree->currentItem()) {
            const int index = AbsoluteIndex(tree, current);
            // The row after the one just taken, as long as it is showing: its parent is open.
            QTreeWidgetItem* next = NodeAt(tree, index + 1);
            if (next && (!next->parent() || next->parent()->isExpanded()))
                tree->setCurrentItem(next);
        }
        tree->setFocus(Qt::BacktabFocusReason);
        return true;
    }

private:
    QWidget* memo_; // a plain widget: the filter sees events while the box is being destroyed
    std::function<QTreeWidget*()> tree_;
};

// Contrast of two colours as text guidelines measure it, from 1 to 21.
double Contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The common style marks the keyboard focus with a pale frame and fill that hardly stand out from white
// (1.75 : 1 and 1.11 : 1). This one draws a solid two-pixel ring that stands out from its ground by more
// than 3 : 1, in a shade of the highlight colour (or the text colour, where none will do).
class TFocusRingStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_FrameFocusRect) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const auto* focus = qstyleoption_cast<const QStyleOptionFocusRect*>(option);
        const QColor ground = focus && focus->backgroundColor.isValid()
                                  ? focus->backgroundColor
                                  : option->palette.color(QPalette::Base);
        drawRing(option->rect, option->palette, ground, painter);
    }

    // The common style shows a focused tab only by a pale fill: the ring goes inside it.
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element == CE_TabBarTab && (option->state & State_HasFocus))
            drawRing(option->rect.adjusted(2, 2, -2, -2), option->palette,
                     option->palette.color(QPalette::Window), painter);
    }

private:
    static void drawRing(const QRect& r, const QPalette& palette, const QColor& ground, QPainter* painter) {
        // The highlight colour, made darker or lighter where it is too close to the ground; 4 : 1 leaves
        // room for grounds that differ a little from the one given (a tab's own fill).
        const QColor highlight = palette.color(QPalette::Active, QPalette::Highlight);
        QColor ring = palette.color(QPalette::Active, QPalette::Text);
        for (const QColor& candidate : {highlight, highlight.darker(150), highlight.lighter(150)}) {
            if (Contrast(candidate, ground) >= 4.0) {
                ring = candidate;
                break;
            }
        }
        painter->save();
        painter->setPen(Qt::NoPen);
        painter->setBrush(ring);
        painter->drawRect(r.left(), r.top(), r.width(), 2);
        painter->drawRect(r.left(), r.bottom() - 1, r.width(), 2);
        painter->drawRect(r.left(), r.top(), 2, r.height());
        painter->drawRect(r.right() - 1, r.top(), 2, r.height());
        painter->restore();
    }
};

QString Pick(bool english, const char16_t* dutch, const char16_t* inEnglish) {
    return QString::fromUtf16(english ? inEnglish : dutch);
}

QString KeysOf(const QList<QKeySequence>& keys) {
    QStringList texts;
    for (const QKeySequence& key : keys)
        texts << key.toString(QKeySequence::NativeText);
    return texts.join(QStringLiteral(", "));
}

} // namespace

void DrawStrongFocus(QWidget* widget) {
    if (!widget)
        return;
    // Built on the style the widget has now, which keeps drawing everything else.
    auto* style = new TFocusRingStyle;
    style->setBaseStyle(QStyleFactory::create(widget->style()->name()));
    style->setParent(widget);
    widget->setStyle(style);
}

void MarkFocusWithFrame(QPlainTextEdit* memo) {
    if (memo)
        new TFocusFrame(memo);
}

void BackToTheTreeByKey(QPlainTextEdit* memo, std::function<QTreeWidget*()> tree) {
    if (memo && tree)
        new TBackToTree(memo, std::move(tree));
}

QList<TKeyLine> KeyLines(QWidget* mainForm, bool english) {
    QList<TKeyLine> lines;
    const auto add = [&](const QString& keys, const char16_t* dutch, const char16_t* inEnglish,
                         const char* control = "") {
        if (!keys.isEmpty())
            lines.append({keys, Pick(english, dutch, inEnglish), QLatin1String(control)});
    };
    const auto button = [&](const char* name) {
        auto* b = mainForm->findChild<QAbstractButton*>(QLatin1String(name));
        return b ? b->shortcut().toString(QKeySequence::NativeText) : QString();
    };
    const auto action = [&](const char* name) {
        auto* a = mainForm->findChild<QAction*>(QLatin1String(name));
        return a ? KeysOf(a->shortcuts()) : QString();
    };
    add(QStringLiteral("Tab, Shift+Tab"),
        u"naar de volgende of vorige plaats: tabbladen, stappen, tekeningen, uitleg",
        u"to the next or previous place: page tabs, steps, drawings, explanation");
    add(QStringLiteral("Up, Down, Home, End"), u"in de stappen: naar een andere regel",
        u"in the steps: to another row");
    add(QStringLiteral("Right, Left"), u"in de stappen: een stap openen of sluiten",
        u"in the steps: open or close a step");
    add(QStringLiteral("Return, Enter, Space"), u"in de stappen: de stap van de regel nemen",
        u"in the steps: take the step of the row");
    add(QStringLiteral("Esc, Shift+Tab"), u"in de uitleg: terug naar de stappen, op de volgende regel",
        u"in the explanation: back to the steps, on the next row");
    add(QStringLiteral("Return, Esc"), u"in een melding: sluiten", u"in a message: close it");
    add(button("SpeedButton1"), u"over het programma", u"about", "SpeedButton1");
    add(action("KeysOverview"), u"dit overzicht van de toetsen", u"this overview of the keys",
        "KeysOverview");
    add(button("SpeedButton2"), u"start opnieuw", u"restart", "SpeedButton2");
    add(button("SpeedButton4"), u"andere taal (en start opnieuw)", u"other language (and restart)",
        "SpeedButton4");
    add(button("SpeedButton3"), u"afsluiten", u"exit", "SpeedButton3");
    add(action("PageNext"), u"volgend tabblad", u"next page", "PageNext");
    add(action("PagePrevious"), u"vorig tabblad", u"previous page", "PagePrevious");
    add(action("ON1"), u"grid in de tensorkring tekenen", u"draw the grid in Mohr\u2019s circle", "ON1");
    add(action("OFF1"), u"grid in de tensorkring verbergen", u"hide the grid in Mohr\u2019s circle", "OFF1");
    add(action("GridMenuKey"), u"op de tensorkring: het gridmenu openen",
        u"on Mohr\u2019s circle: open the grid menu", "GridMenuKey");
    return lines;
}

void ShowKeysOverview(QWidget* mainForm, bool english) {
    auto* overview =
        mainForm->findChild<QDialog*>(QStringLiteral("KeysOverview"), Qt::FindDirectChildrenOnly);
    if (!overview) {
        overview = new QDialog(mainForm);
        overview->setObjectName(QStringLiteral("KeysOverview"));
        overview->setFont(mainForm->font());
        auto* layout = new QVBoxLayout(overview);
        auto* form = new QFormLayout;
        form->setObjectName(QStringLiteral("KeyRows"));
        layout->addLayout(form);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, overview);
        QObject::connect(buttons, &QDialogButtonBox::rejected, overview, &QDialog::reject);
        layout->addWidget(buttons);
    }
    auto* form = overview->findChild<QFormLayout*>(QStringLiteral("KeyRows"));
    while (form->rowCount() > 0)
        form->removeRow(0);
    for (const TKeyLine& line : KeyLines(mainForm, english)) {
        auto* keys = new QLabel(line.Keys, overview);
        keys->setTextFormat(Qt::PlainText);
        QFont bold = keys->font();
        bold.setBold(true);
        keys->setFont(bold);
        auto* does = new QLabel(line.Does, overview);
        does->setTextFormat(Qt::PlainText);
        form->addRow(keys, does);
    }
    overview->setWindowTitle(Pick(english, u"Toetsen", u"Keys"));
    overview->setAccessibleName(overview->windowTitle());
    overview->adjustSize();
    overview->show();
    overview->raise();
    overview->activateWindow();
}

} // namespace mohr
