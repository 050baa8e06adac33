#include "accessibility.h"

#include "paintbox.h"
#include "steptree.h"
#include "ui_mainform.h"

#include "figures/describe.h"
#include "figures/figures.h"
#include "walkthrough/progression.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWidget>

#include <utility>
#include <vector>

namespace mohr {

namespace {

// Setting an unchanged name or description would still send an event to the readers.
void SetName(QWidget* widget, const QString& name) {
    if (widget && widget->accessibleName() != name)
        widget->setAccessibleName(name);
}

void SetDescription(QWidget* widget, const QString& description) {
    if (widget && widget->accessibleDescription() != description)
        widget->setAccessibleDescription(description);
}

} // namespace

void ShowStepStates(QTreeWidget* tree) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        QTreeWidgetItem* row = *it;
        const QVariant state = IsMarked(row) ? QVariant(int(Qt::Checked)) : QVariant();
        if (row->data(0, Qt::CheckStateRole) != state)
            row->setData(0, Qt::CheckStateRole, state);
    }
}

namespace {

// Rows of a hidden tree would still tell readers they are showing, since they lie in the tree's place:
// while the tree is hidden they are hidden too, and so left out of the accessibility tree. Only the
// tree's own hiding counts, not its page's, so that its scroll position survives a page change.
class THiddenTreeRows : public QObject {
public:
    explicit THiddenTreeRows(QTreeWidget* tree) : QObject(tree), tree_(tree) {
        tree->installEventFilter(this);
        hideRows(tree->isHidden());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == tree_ && event->type() == QEvent::HideToParent)
            hideRows(true);
        else if (watched == tree_ && event->type() == QEvent::ShowToParent)
            hideRows(false);
        return false;
    }

private:
    void hideRows(bool hidden) {
        for (int i = 0; i < tree_->topLevelItemCount(); ++i)
            tree_->topLevelItem(i)->setHidden(hidden);
    }

    QTreeWidget* tree_;
};

// Tells readers a text without taking the focus: an empty notification that is shown anew for every
// text, which a reader then reads out. It has no size, so nothing of it is ever seen.
class TAnnouncer : public QWidget {
public:
    explicit TAnnouncer(QWidget* window) : QWidget(window) {
        setObjectName(QStringLiteral("Announcer"));
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(0, 0, 0, 0);
    }
};

// A widget that offers some of its QActions to readers as accessible actions, with their keys as the
// key bindings; its other actions (set focus) follow.
class TKeyedWidget : public QAccessibleWidget {
public:
    // Pairs of an accessible action name and the objectName of the widget's QAction behind it.
    using TActions = std::vector<std::pair<QString, QString>>;

    TKeyedWidget(QWidget* widget, QAccessible::Role role, TActions actions)
        : QAccessibleWidget(widget, role), actions_(std::move(actions)) {}

    QStringList actionNames() const override {
        QStringList names;
        for (const auto& [name, action] : actions_)
            if (find(action))
                names << name;
        return names + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (QAction* action = actionFor(name))
            action->trigger();
        else
            QAccessibleWidget::doAction(name);
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (QAction* action = actionFor(name))
            return {action->shortcut().toString()};
        return QAccessibleWidget::keyBindingsForAction(name);
    }

private:
    QAction* find(const QString& objectName) const {
        for (QAction* action : widget()->actions())
            if (action->objectName() == objectName)
                return action;
        return nullptr;
    }
    QAction* actionFor(const QString& name) const {
        for (const auto& [accessibleName, action] : actions_)
            if (accessibleName == name)
                return find(action);
        return nullptr;
    }

    TActions actions_;
};

// The inner widgets of a step tree (its viewport, the holders of its scroll bars) are no rows, and the
// tree's interface knows only rows: looked up there when they show with the tree (a language switch), they
// were not found, and Qt said so on every lookup. For readers they stand beside the tree instead.
class TBesideTree : public QAccessibleWidget {
public:
    explicit TBesideTree(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Client) {}
    QAccessibleInterface* parent() const override {
        QWidget* tree = widget()->parentWidget();
        return QAccessible::queryAccessibleInterface(tree && tree->parentWidget() ? tree->parentWidget()
                                                                                  : tree);
    }
};

bool IsInsideStepTree(const QString& className, const QWidget* widget) {
    return qobject_cast<const QTreeWidget*>(widget->parentWidget()) &&
           (className == QLatin1String("QWidget") ||
            className == QLatin1String("QAbstractScrollAreaScrollBarContainer"));
}

QAccessibleInterface* ProgramInterfaces(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    // A plain top-level widget would be a filler, and readers follow the activation of windows only.
    if (className == QLatin1String("mohr::TMainForm"))
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (IsInsideStepTree(className, widget))
        return new TBesideTree(widget);
    if (className == QLatin1String("QWidget") && dynamic_cast<TAnnouncer*>(widget))
        return new QAccessibleWidget(widget, QAccessible::Notification);
    if (className == QLatin1String("QWidget") && dynamic_cast<TPaintBox*>(widget))
        return new TKeyedWidget(
            widget, QAccessible::Graphic,
            {{QAccessibleActionInterface::showMenuAction(), QStringLiteral("GridMenuKey")}});
    if (className == QLatin1String("QTabWidget") && widget->objectName() == QLatin1String("PageControl1"))
        return new TKeyedWidget(
            widget, QAccessible::Client,
            {{QAccessibleActionInterface::nextPageAction(), QStringLiteral("PageNext")},
             {QAccessibleActionInterface::previousPageAction(), QStringLiteral("PagePrevious")}});
    return nullptr;
}

} // namespace

void InstallAccessibleInterfaces() {
    static const bool installed = [] {
        QAccessible::installFactory(ProgramInterfaces);
        return true;
    }();
    Q_UNUSED(installed);
}

void ExposeStepRows(QTreeWidget* tree) {
    if (!tree)
        return;
    // A taken step is checked for readers only: the rows never draw a check box.
    tree->setItemDelegate(new TStepRowDelegate(tree));
    // Nothing but a step may change the state: a click on the (undrawn) box or Space must not.
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        (*it)->setFlags((*it)->flags() & ~Qt::ItemIsUserCheckable);
    new THiddenTreeRows(tree);
    ShowStepStates(tree);
}

void AnnounceExplanation(QTreeWidget* tree, const QString& explanation) {
    if (!tree || tree->window()->focusWidget() != tree || explanation.isEmpty())
        return;
    Announce(tree->window(), explanation);
}

void Announce(QWidget* window, const QString& text) {
    if (!window || text.isEmpty())
        return;
    auto* announcer = window->findChild<TAnnouncer*>(QStringLiteral("Announcer"), Qt::FindDirectChildrenOnly);
    if (!announcer)
        announcer = new TAnnouncer(window);
    // Shown again, it tells the readers its new text.
    announcer->hide();
    announcer->setAccessibleName(text);
    announcer->show();
}

void DescribeByText(QPlainTextEdit* memo) {
    if (!memo)
        return;
    QObject::connect(memo, &QPlainTextEdit::textChanged, memo,
                     [memo] { SetDescription(memo, memo->toPlainText()); });
}

void NameControls(QWidget* mainForm, const Ui::MainForm& ui, QMenu* gridMenu, bool english) {
    // A control the layout no longer has would silently lose its name for readers.
    if (!mainForm || !gridMenu)
        qFatal("NameControls: the main window or its grid menu is missing");
    const auto pick = [english](const char16_t* dutch, const char16_t* inEnglish) {
        return QString::fromUtf16(english ? inEnglish : dutch);
    };

    SetName(mainForm, mainForm->windowTitle());

    // The tool buttons show only a picture; their hint is what they do.
    for (QToolButton* button : {ui.SpeedButton1, ui.SpeedButton2, ui.SpeedButton3, ui.SpeedButton4})
        SetName(button, button->toolTip());

    // Group boxes and the pages are named by their captions.
    for (QGroupBox* box : {ui.GroupBox1, ui.GroupBox2, ui.GroupBox3, ui.GroupBox4})
        SetName(box, box->title());
    SetName(ui.PageControl1, pick(u"Bladen", u"Pages"));
    for (int i = 0; i < ui.PageControl1->count(); ++i)
        SetName(ui.PageControl1->widget(i), ui.PageControl1->tabText(i));

    SetName(ui.Panel1, pick(u"Hoofdpaneel", u"Main panel"));
    SetName(ui.TreeView1, pick(u"Stappen", u"Steps"));
    SetName(ui.TreeViewUK, pick(u"Stappen", u"Steps"));
    SetName(ui.Memo1, pick(u"Uitleg", u"Explanation"));
    SetName(ui.Panel3, pick(u"Kader van het element", u"Frame of the sample"));
    SetName(ui.Panel2, pick(u"Kader van de tensorkring", u"Frame of Mohr\u2019s circle"));
    SetName(ui.Panel4, pick(u"Over de maker", u"About the maker"));
    SetName(ui.Image1, pick(u"Logo van de maker", u"Maker\u2019s logo"));
    for (QLabel* label : {ui.Label1, ui.Label2, ui.Label3, ui.Label4, ui.Label5})
        SetName(label, label->text());
    SetName(gridMenu, pick(u"Rastermenu", u"Grid menu"));
    SetName(ui.PaintBox2, pick(u"Tekening van het element", u"Drawing of the sample"));
    SetName(ui.PaintBox1, pick(u"Tekening van de tensorkring", u"Drawing of Mohr\u2019s circle"));
}

void DescribePanels(const Ui::MainForm& ui, const TFigures& figures) {
    SetDescription(ui.PaintBox2, ElementPanelDescription(figures));
    SetDescription(ui.PaintBox1, DiagramPanelDescription(figures));
}

} // namespace mohr
