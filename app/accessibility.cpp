#include "accessibility.h"

#include "figures/describe.h"
#include "figures/figures.h"

#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QWidget>

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

void UpdateAccessibility(QWidget* mainForm, const TFigures& figures) {
    if (!mainForm)
        return;
    const bool english = figures.EnglishMode != 0;
    const auto pick = [english](const char16_t* dutch, const char16_t* inEnglish) {
        return QString::fromUtf16(english ? inEnglish : dutch);
    };
    const auto find = [mainForm](const char* name) {
        return mainForm->findChild<QWidget*>(QLatin1String(name));
    };

    SetName(mainForm, mainForm->windowTitle());

    // The tool buttons show only a picture; their hint is what they do.
    for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4"})
        if (QWidget* button = find(name))
            SetName(button, button->toolTip());

    // Group boxes and the pages are named by their captions.
    for (const char* name : {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox4"})
        if (auto* box = qobject_cast<QGroupBox*>(find(name)))
            SetName(box, box->title());
    if (auto* pages = qobject_cast<QTabWidget*>(find("PageControl1"))) {
        SetName(pages, pick(u"Bladen", u"Pages"));
        for (int i = 0; i < pages->count(); ++i)
            SetName(pages->widget(i), pages->tabText(i));
    }

    SetName(find("Panel1"), pick(u"Hoofdpaneel", u"Main panel"));
    SetName(find("TreeView1"), pick(u"Stappen", u"Steps"));
    SetName(find("TreeViewUK"), pick(u"Stappen", u"Steps"));
    SetName(find("Memo1"), pick(u"Uitleg", u"Explanation"));
    SetName(find("Panel3"), pick(u"Kader van het element", u"Frame of the sample"));
    SetName(find("Panel2"), pick(u"Kader van de tensorkring", u"Frame of Mohr\u2019s circle"));
    SetName(find("Panel4"), pick(u"Over de maker", u"About the maker"));
    SetName(find("Image1"), pick(u"Logo van de maker", u"Maker\u2019s logo"));
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label5"})
        if (auto* label = qobject_cast<QLabel*>(find(name)))
            SetName(label, label->text());
    if (auto* menu = mainForm->findChild<QMenu*>(QStringLiteral("PopupMenu1")))
        SetName(menu, pick(u"Rastermenu", u"Grid menu"));

    QWidget* element = find("PaintBox2");
    QWidget* diagram = find("PaintBox1");
    SetName(element, pick(u"Tekening van het element", u"Drawing of the sample"));
    SetName(diagram, pick(u"Tekening van de tensorkring", u"Drawing of Mohr\u2019s circle"));
    SetDescription(element, ElementPanelDescription(figures));
    SetDescription(diagram, DiagramPanelDescription(figures));
}

} // namespace mohr
