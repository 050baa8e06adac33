#include "web/recorder.h"
#include "web/operations.h"

#include "app/about.h"
#include "app/keyaids.h"
#include "app/main.h"
#include "app/paintbox.h"
#include "app/platform.h"
#include "app/quietplatform.h"
#include "figures/describe.h"
#include "walkthrough/explanations.h"
#include "walkthrough/progression.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTreeWidget>

#include <array>
#include <map>
#include <vector>

namespace mohr {

namespace {

// The layer flags by name, in storage order (TFigureLayers::Fields()).
const std::array<const char*, TFigureLayers::Count> LayerNames = {
    "Element",      "FaceAxes",          "DiagramGrid",         "AxisDefinition", "DiagramAxes",
    "Circle",       "PrincipalStresses", "PrincipalDirections", "NormalLineBC",   "NormalLineED",
    "PointED",      "PointBC",           "CentreConstruction",  "FaceAxisAE",     "FaceAxisAB",
    "FaceAxisCD",   "FacePointAE",       "FacePointAB",         "FacePointCD",    "FaceSketchAE",
    "FaceSketchAB", "FaceSketchCD",      "FinalStresses"};

const QString Element = QStringLiteral("PaintBox2");
const QString Diagram = QStringLiteral("PaintBox1");

// The element's options are always set together, so its operation carries one of them.
QString OperationName(const QString& drawn) {
    if (drawn == QLatin1String("DrawElement(1,1,1)"))
        return QStringLiteral("DrawElement(1)");
    if (drawn == QLatin1String("DrawElement(0,0,0)"))
        return QStringLiteral("DrawElement(0)");
    return drawn;
}

QString LayerKey(const TFigureLayers& layers, const TElementOptions& options) {
    QString key;
    for (const bool* field : layers.Fields())
        key += *field ? QLatin1Char('1') : QLatin1Char('0');
    key += QLatin1Char('/');
    key += options.ShowGrid ? QLatin1Char('1') : QLatin1Char('0');
    return key;
}

// A window's own texts by control name: captions, hints, titles.
QJsonObject TextsOf(TMainForm& form) {
    QJsonObject texts;
    texts[QStringLiteral("MainForm")] = form.windowTitle();
    if (auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl1")))
        for (int i = 0; i < pages->count(); ++i)
            texts[pages->widget(i)->objectName()] = pages->tabText(i);
    for (auto* button : form.findChildren<QAbstractButton*>())
        if (button->objectName().startsWith(QLatin1String("SpeedButton")))
            texts[button->objectName()] = button->toolTip();
    for (auto* box : form.findChildren<QGroupBox*>())
        texts[box->objectName()] = box->title();
    for (auto* label : form.findChildren<QLabel*>())
        if (label->objectName().startsWith(QLatin1String("Label")) && !label->text().isEmpty())
            texts[label->objectName()] = label->text();
    for (QAction* action : {form.grid1, form.ON1, form.OFF1})
        if (action)
            texts[action->objectName()] = action->text();
    for (const char* tree : {"TreeView1", "TreeViewUK"})
        if (auto* widget = form.findChild<QTreeWidget*>(QLatin1String(tree)); widget && !widget->isHidden())
            texts[QStringLiteral("TreeHint")] = widget->toolTip();
    return texts;
}

// The accessible names the window gives its controls now.
QJsonObject NamesOf(TMainForm& form) {
    QJsonObject names;
    names[QStringLiteral("MainForm")] = form.accessibleName();
    for (QWidget* widget : form.findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")) && !widget->accessibleName().isEmpty())
            names[name] = widget->accessibleName();
    }
    names[QStringLiteral("tree")] = names.value(QStringLiteral("TreeView1"));
    names[QStringLiteral("memo")] = names.value(QStringLiteral("Memo1"));
    return names;
}

QJsonArray TreeRows(const QTreeWidget* tree) {
    QJsonArray rows;
    for (int index = 0; const QTreeWidgetItem* node = NodeAt(tree, index); ++index)
        rows.append(QJsonObject{{QStringLiteral("text"), node->text(0).remove(StepMark)},
                                {QStringLiteral("level"), NodeLevel(node)}});
    return rows;
}

// Records the drawing operations of one TFigures and the layer and option changes between them.
class TRecorder : public TDrawObserver {
public:
    explicit TRecorder(TFigures& figures) : figures_(figures) {
        figures_.DrawObserver = this;
        Start();
    }
    ~TRecorder() override { figures_.DrawObserver = nullptr; }

    void Start() {
        Actions = QJsonArray();
        Draws.clear();
        last_ = figures_.FigureLayers;
        lastOptions_ = figures_.ElementOptions;
        pending_.clear();
    }
    void Drawing(const QString& operation) override {
        Sync();
        pending_ = OperationName(operation);
        Draws.push_back(pending_);
        Sets.emplace(pending_, QString());
        Actions.append(QJsonArray{QStringLiteral("draw"), pending_, QJsonValue()});
    }
    void Add(const QJsonArray& action) {
        Sync();
        Actions.append(action);
    }
    // Turns what changed since the last event into actions; a flag the last drawing set is its own.
    void Sync() {
        const auto now = figures_.FigureLayers.Fields();
        const auto before = std::as_const(last_).Fields();
        for (int i = 0; i < TFigureLayers::Count; ++i) {
            if (*now[i] == *before[i])
                continue;
            if (!pending_.isEmpty() && *now[i]) {
                Sets[pending_] = QLatin1String(LayerNames[i]);
                continue;
            }
            Actions.append(QJsonArray{QStringLiteral("layer"), QLatin1String(LayerNames[i]), *now[i]});
        }
        if (!(figures_.ElementOptions == lastOptions_))
            Actions.append(QJsonArray{QStringLiteral("options"), figures_.ElementOptions.ShowGrid});
        last_ = figures_.FigureLayers;
        lastOptions_ = figures_.ElementOptions;
        pending_.clear();
    }

    QJsonArray Actions;
    std::vector<QString> Draws;
    std::map<QString, QString> Sets; // operation -> the layer it sets

private:
    TFigures& figures_;
    TFigureLayers last_;
    TElementOptions lastOptions_;
    QString pending_;
};

// A step host that records what the click handler asks of the window.
class TRecordingHost : public TStepHost {
public:
    TRecordingHost(TFigures& figures, TRecorder& recorder, TStepLanguage language)
        : figures_(figures), recorder_(recorder), language_(language) {}
    TFigures& Figures() override { return figures_; }
    void ClearMemo() override { recorder_.Add(QJsonArray{QStringLiteral("clear")}); }
    void AddExplanation(const QString& text) override {
        int number = -1;
        for (int n = 0; n <= 30 && number < 0; ++n)
            if (Explanation(language_, n) == text)
                number = n;
        if (number < 0)
            Unknown = text;
        recorder_.Add(QJsonArray{QStringLiteral("add"), number});
    }
    void ScrollMemoToTop() override { recorder_.Add(QJsonArray{QStringLiteral("top")}); }
    void RefreshElementPanel() override { recorder_.Add(QJsonArray{QStringLiteral("refresh"), Element}); }
    void ShowInformation(const QString& text) override { Refusal = text; }

    QString Refusal;
    QString Unknown;

private:
    TFigures& figures_;
    TRecorder& recorder_;
    TStepLanguage language_;
};

// Scratch panels for figures whose pixels nobody looks at.
struct TScratch {
    QImage ElementImage{240, 240, QImage::Format_RGB32};
    QImage DiagramImage{400, 400, QImage::Format_RGB32};
    TCanvas ElementCanvas{&ElementImage, QSize(240, 240)};
    TCanvas DiagramCanvas{&DiagramImage, QSize(400, 400)};
    TFigures Figures{ElementCanvas, DiagramCanvas};
    TScratch() { Figures.CreateSaveSlot(); }
    ~TScratch() { Figures.FreeSaveSlot(); }
};

void OnlyLayer(TFigures& figures, int layer) {
    figures.SetAllLayers(false);
    if (layer >= 0)
        *figures.FigureLayers.Fields()[layer] = true;
    figures.SetElementOptions(true);
}

// Every row's program: the handler's actions from a clean state; each drawing's condition is the one
// layer that, set alone, makes it disappear.
QString StepPrograms(QTreeWidget* tree, TStepLanguage language, QJsonArray& programs,
                     std::map<QString, QString>& sets) {
    TScratch scratch;
    TRecorder recorder(scratch.Figures);
    TRecordingHost host(scratch.Figures, recorder, language);
    ClearStepMarks(tree);
    for (int index = 0; QTreeWidgetItem* node = NodeAt(tree, index); ++index) {
        tree->setCurrentItem(node);
        node->setSelected(true);
        OnlyLayer(scratch.Figures, -1);
        recorder.Start();
        if (!HandleStepClick(host, tree, language))
            return QStringLiteral("Row %1 was refused: %2").arg(index + 1).arg(host.Refusal);
        recorder.Sync();
        if (!host.Unknown.isEmpty())
            return QStringLiteral("Row %1 shows a text that is no explanation: %2")
                .arg(index + 1)
                .arg(host.Unknown);
        QJsonArray program = recorder.Actions;
        const std::vector<QString> draws = recorder.Draws;
        for (const auto& [operation, layer] : recorder.Sets)
            if (!layer.isEmpty() || !sets.count(operation))
                sets[operation] = layer;
        std::map<QString, QString> unless;
        for (int layer = 0; layer < TFigureLayers::Count; ++layer) {
            OnlyLayer(scratch.Figures, layer);
            recorder.Start();
            HandleStepClick(host, tree, language);
            for (const QString& draw : draws) {
                if (std::find(recorder.Draws.begin(), recorder.Draws.end(), draw) != recorder.Draws.end())
                    continue;
                if (unless.count(draw))
                    return QStringLiteral("Row %1 draws %2 only without %3 and without %4.")
                        .arg(index + 1)
                        .arg(draw, unless[draw], QLatin1String(LayerNames[layer]));
                unless[draw] = QLatin1String(LayerNames[layer]);
            }
        }
        // A flag the handler clears shows only from a state where it is set: from all layers set, its
        // clearing is placed after the same action as there.
        scratch.Figures.SetAllLayers(true);
        scratch.Figures.SetElementOptions(true);
        recorder.Start();
        HandleStepClick(host, tree, language);
        recorder.Sync();
        qsizetype at = 0; // where in the base program the full run's last common action stands
        for (const QJsonValue& value : std::as_const(recorder.Actions)) {
            const QJsonArray action = value.toArray();
            if (action[0] == QLatin1String("layer") && !action[2].toBool()) {
                program.insert(at, action);
                ++at;
                continue;
            }
            while (at < program.size() && program[at] != value)
                ++at;
            if (at == program.size())
                return QStringLiteral("Row %1 does not do the same with all layers set.").arg(index + 1);
            ++at;
        }
        for (qsizetype i = 0; i < program.size(); ++i) {
            QJsonArray action = program[i].toArray();
            if (action[0] == QLatin1String("draw") && unless.count(action[1].toString())) {
                action[2] = unless[action[1].toString()];
                program[i] = action;
            }
        }
        programs.append(program);
    }
    ClearStepMarks(tree);
    return {};
}

// The replay of one panel: its operations in order, each under the layer that, cleared alone, removes it.
QString ReplayOrder(bool element, QJsonArray& replay, std::map<QString, QString>& sets) {
    TScratch scratch;
    TRecorder recorder(scratch.Figures);
    const auto paint = [&] {
        recorder.Start();
        if (element)
            scratch.Figures.PaintBox2Paint();
        else
            scratch.Figures.PaintBox1Paint();
    };
    scratch.Figures.SetAllLayers(true);
    scratch.Figures.SetElementOptions(true);
    paint();
    const std::vector<QString> draws = recorder.Draws;
    std::map<QString, QString> under;
    for (int layer = 0; layer < TFigureLayers::Count; ++layer) {
        scratch.Figures.SetAllLayers(true);
        *scratch.Figures.FigureLayers.Fields()[layer] = false;
        paint();
        for (const QString& draw : draws)
            if (std::find(recorder.Draws.begin(), recorder.Draws.end(), draw) == recorder.Draws.end()) {
                if (under.count(draw))
                    return QStringLiteral("The replay draws %1 under two layers.").arg(draw);
                under[draw] = QLatin1String(LayerNames[layer]);
            }
    }
    // Replays draw with the options of the moment.
    for (const QString& draw : draws) {
        if (!under.count(draw))
            return QStringLiteral("The replay draws %1 under no layer.").arg(draw);
        QString op = draw;
        op.replace(QLatin1String("DrawElement(1)"), QLatin1String("DrawElement({options})"));
        replay.append(QJsonArray{under[draw], op});
    }
    for (const auto& [operation, layer] : recorder.Sets)
        if (!sets.count(operation))
            sets[operation] = layer;
    return {};
}

QJsonObject Descriptions(const std::vector<std::pair<TFigureLayers, TElementOptions>>& reached,
                         bool english) {
    QJsonObject descriptions;
    TScratch scratch;
    scratch.Figures.EnglishMode = english ? 1 : 0;
    for (const auto& [layers, options] : reached) {
        scratch.Figures.FigureLayers = layers;
        scratch.Figures.ElementOptions = options;
        descriptions[LayerKey(layers, options)] =
            QJsonObject{{Element, ElementPanelDescription(scratch.Figures)},
                        {Diagram, DiagramPanelDescription(scratch.Figures)}};
    }
    return descriptions;
}

QJsonObject DialogTexts(QWidget& dialog) {
    QJsonObject texts;
    texts[dialog.objectName().isEmpty() ? QStringLiteral("AboutForm") : dialog.objectName()] =
        dialog.windowTitle();
    for (auto* label : dialog.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts[label->objectName()] = label->text();
    for (auto* button : dialog.findChildren<QAbstractButton*>())
        if (!button->text().isEmpty())
            texts[button->objectName()] = button->text();
    return texts;
}

// Where a browser keeps the desktop's key for itself (help, reload, address bar, its own tabs, find, quit),
// or a screen reader takes it in its reading mode, the page has its own, written as keyboard events name
// them, alternatives apart by a space. Alt+Shift with a letter reaches the page under NVDA, JAWS,
// VoiceOver and Orca, except where Orca lists elements (Alt+Shift with A to X but D, J, N, S, W) or counts
// the letter, let go last, as one of its quick keys (A to Y but F, J, N, W); Chromium keeps A, B, I and T.
// J, N, W and Z are left. Alt+Shift is the pair Firefox leaves to pages, and on a Mac Option+Shift only
// types a character in a text field, which the page has none of. Shift+F1 is no browser's or reader's
// key. An empty entry is a command the page does not have: a page is closed as its tab is, and shows its
// keys at all times. Commands not named here keep the desktop's keys.
const std::map<QString, QString> PageKeys = {
    {QStringLiteral("SpeedButton1"), QStringLiteral("Shift+F1")},
    {QStringLiteral("SpeedButton2"), QStringLiteral("Alt+Shift+N")},
    {QStringLiteral("SpeedButton4"), QStringLiteral("Alt+Shift+W")},
    {QStringLiteral("PageNext"), QStringLiteral("Alt+Shift+PageDown")},
    {QStringLiteral("PagePrevious"), QStringLiteral("Alt+Shift+PageUp")},
    {QStringLiteral("ON1"), QStringLiteral("Alt+Shift+J")},
    {QStringLiteral("OFF1"), QStringLiteral("Alt+Shift+Z")},
    {QStringLiteral("SpeedButton3"), QString()},
    {QStringLiteral("KeysOverview"), QString()},
};

// A desktop key as keyboard events name it: Qt's portable names where the two differ.
QString EventKey(QString key) {
    static const std::pair<const char*, const char*> names[] = {
        {"Menu", "ContextMenu"}, {"PgDown", "PageDown"}, {"PgUp", "PageUp"}, {"Esc", "Escape"},
        {"Return", "Enter"},     {"Del", "Delete"},      {"Ins", "Insert"},
    };
    const qsizetype plus = key.lastIndexOf(QLatin1Char('+'), key.size() - 2);
    const QString name = key.mid(plus + 1);
    for (const auto& [qt, event] : names)
        if (name == QLatin1String(qt))
            return key.left(plus + 1) + QLatin1String(event);
    return key;
}

// The keys of the desktop's overview, in both languages, with the page's own where it needs them, and
// each command's keys as the page listens for them (`commands`).
QString PageKeyList(QWidget& form, QJsonObject& keys) {
    QJsonObject commands;
    for (const bool english : {false, true}) {
        QJsonArray list;
        for (const TKeyLine& line : KeyLines(&form, english)) {
            QString shown = line.Keys;
            if (!line.Control.isEmpty()) {
                QStringList own;
                if (const auto page = PageKeys.find(line.Control); page != PageKeys.end()) {
                    if (page->second.isEmpty())
                        continue;
                    own = page->second.split(QLatin1Char(' '));
                    shown = own.join(QStringLiteral(", "));
                } else {
                    const QObject* control = form.findChild<QObject*>(line.Control);
                    QList<QKeySequence> desktop;
                    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
                        desktop = {button->shortcut()};
                    else if (const auto* action = qobject_cast<const QAction*>(control))
                        desktop = action->shortcuts();
                    for (const QKeySequence& key : desktop)
                        own << EventKey(key.toString(QKeySequence::PortableText));
                }
                if (own.isEmpty())
                    return QStringLiteral("The desktop's key for %1 has no counterpart on the page.")
                        .arg(line.Control);
                QJsonArray alternatives;
                for (const QString& key : std::as_const(own))
                    alternatives.append(key);
                commands[line.Control] = alternatives;
            }
            list.append(QJsonArray{shown, line.Does});
        }
        keys[english ? QStringLiteral("en") : QStringLiteral("nl")] = list;
    }
    keys[QStringLiteral("commands")] = commands;
    return {};
}

} // namespace

QString CollectWebData(QJsonObject& data, QJsonObject& figures,
                       const std::function<void(QWidget&)>& prepare) {
    TQuietPlatform platform;
    TMainForm form(&platform);
    form.show();
    QApplication::processEvents();
    if (prepare)
        prepare(form);
    auto* dutchTree = form.findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    auto* englishTree = form.findChild<QTreeWidget*>(QStringLiteral("TreeViewUK"));
    auto* elementBox = form.findChild<QWidget*>(Element);
    auto* diagramBox = form.findChild<QWidget*>(Diagram);
    auto* strains = form.findChild<QWidget*>(QStringLiteral("TabSheet2"));
    if (!dutchTree || !englishTree || !elementBox || !diagramBox || !strains)
        return QStringLiteral("The main window has no step trees or drawing panels to take the page from.");

    data[QStringLiteral("mark")] = QString(StepMark);
    QJsonObject texts{{QStringLiteral("start"), TextsOf(form)}};
    QJsonObject names;
    QJsonObject refusal;
    QJsonObject strainTexts;
    QJsonObject announcements;
    // What the window tells readers after a command, which shows nowhere else.
    const auto announced = [&form] {
        const auto* announcer = form.findChild<QWidget*>(QStringLiteral("Announcer"));
        return announcer ? announcer->accessibleName() : QString();
    };
    // The real language switch sets each language's texts; the walk starts in Dutch.
    for (int round = 0; round < 2; ++round) {
        form.SpeedButton4Click();
        QApplication::processEvents();
        const QString switched = announced();
        const bool english = form.Figures().EnglishMode != 0;
        const QString code = english ? QStringLiteral("en") : QStringLiteral("nl");
        texts[code] = TextsOf(form);
        names[code] = NamesOf(form);
        QJsonObject page;
        for (auto* label : strains->findChildren<QLabel*>())
            page[label->objectName()] = label->text();
        strainTexts[code] = page;
        // A jump to the second row, as a student would make it.
        QTreeWidget* tree = english ? englishTree : dutchTree;
        platform.Informations.clear();
        tree->setCurrentItem(NodeAt(tree, 1));
        if (english)
            form.TreeViewUKClick();
        else
            form.TreeView1Click();
        refusal[code] = platform.Informations.join(u'\n');
        form.SpeedButton2Click();
        announcements[code] =
            QJsonObject{{QStringLiteral("switch"), switched}, {QStringLiteral("restart"), announced()}};
    }
    data[QStringLiteral("texts")] = texts;
    data[QStringLiteral("names")] = names;
    data[QStringLiteral("trees")] = QJsonObject{{QStringLiteral("nl"), TreeRows(dutchTree)},
                                                {QStringLiteral("en"), TreeRows(englishTree)}};
    data[QStringLiteral("refusal")] = refusal;
    data[QStringLiteral("announcements")] = announcements;
    // The page's one sentence of its own, for a browser that runs no scripts: the walk is the scripts' work.
    data[QStringLiteral("scriptless")] = QJsonObject{
        {QStringLiteral("nl"),
         QStringLiteral("Deze stap-voor-stapuitleg van de tensorkring werkt alleen met JavaScript: zet "
                        "JavaScript aan in de browser.")},
        {QStringLiteral("en"),
         QStringLiteral(
             "This step-by-step walkthrough of Mohr\u2019s circle needs JavaScript: turn JavaScript on "
             "in the browser.")}};
    {
        const auto box = NewInformationBox(nullptr, QString());
        const QAbstractButton* ok = box->button(QMessageBox::Ok);
        data[QStringLiteral("information")] = QJsonObject{
            {QStringLiteral("Information"), box->windowTitle()},
            {QStringLiteral("InformationOK"), ok ? ok->text().remove(QLatin1Char('&')) : QString()}};
    }
    QJsonObject keys;
    if (const QString problem = PageKeyList(form, keys); !problem.isEmpty())
        return problem;
    data[QStringLiteral("keys")] = keys;
    data[QStringLiteral("strains")] = strainTexts;

    QJsonObject explanations;
    for (const auto& [code, language] :
         {std::pair{"nl", TStepLanguage::Dutch}, std::pair{"en", TStepLanguage::English}}) {
        QJsonArray list;
        for (int n = 0; n <= 30; ++n)
            list.append(Explanation(language, n));
        explanations[QLatin1String(code)] = list;
    }
    data[QStringLiteral("explanations")] = explanations;

    std::map<QString, QString> sets;
    QJsonObject steps;
    for (const auto& [code, tree, language] : {std::tuple{"nl", dutchTree, TStepLanguage::Dutch},
                                               std::tuple{"en", englishTree, TStepLanguage::English}}) {
        QJsonArray programs;
        if (const QString problem = StepPrograms(tree, language, programs, sets); !problem.isEmpty())
            return problem;
        steps[QLatin1String(code)] = programs;
    }
    data[QStringLiteral("steps")] = steps;

    QJsonArray elementReplay;
    QJsonArray diagramReplay;
    if (QString problem = ReplayOrder(true, elementReplay, sets); !problem.isEmpty())
        return problem;
    if (QString problem = ReplayOrder(false, diagramReplay, sets); !problem.isEmpty())
        return problem;
    data[QStringLiteral("replay")] = QJsonObject{{Element, elementReplay}, {Diagram, diagramReplay}};

    QJsonArray layers;
    for (const char* name : LayerNames)
        layers.append(QLatin1String(name));
    data[QStringLiteral("layers")] = layers;

    // The layer sets a student can reach: after every prefix of the walk, with the grid drawn or hidden.
    std::vector<std::pair<TFigureLayers, TElementOptions>> reached;
    {
        TScratch scratch;
        TRecorder recorder(scratch.Figures);
        TRecordingHost host(scratch.Figures, recorder, TStepLanguage::Dutch);
        ClearStepMarks(dutchTree);
        const auto add = [&] {
            for (int grid = -1; grid <= 1; ++grid) {
                TFigureLayers layers = scratch.Figures.FigureLayers;
                if (grid >= 0)
                    layers.DiagramGrid = grid == 1;
                const auto seen = std::find_if(reached.begin(), reached.end(), [&](const auto& entry) {
                    return entry.first == layers && entry.second == scratch.Figures.ElementOptions;
                });
                if (seen == reached.end())
                    reached.emplace_back(layers, scratch.Figures.ElementOptions);
            }
        };
        add();
        for (int index = 0; QTreeWidgetItem* node = NodeAt(dutchTree, index); ++index) {
            dutchTree->setCurrentItem(node);
            HandleStepClick(host, dutchTree, TStepLanguage::Dutch);
            add();
        }
        ClearStepMarks(dutchTree);
    }
    data[QStringLiteral("descriptions")] = QJsonObject{{QStringLiteral("nl"), Descriptions(reached, false)},
                                                       {QStringLiteral("en"), Descriptions(reached, true)}};

    TAboutForm about;
    data[QStringLiteral("about")] = DialogTexts(about);

    QJsonObject ops;
    for (const auto& [operation, layer] : sets)
        ops[operation] =
            QJsonObject{{QStringLiteral("sets"), layer.isEmpty() ? QJsonValue() : QJsonValue(layer)}};
    figures[QStringLiteral("size")] =
        QJsonObject{{Element, QJsonArray{elementBox->width(), elementBox->height()}},
                    {Diagram, QJsonArray{diagramBox->width(), diagramBox->height()}}};
    figures[QStringLiteral("ops")] = ops;

    // Every operation a step or a replay can run; a replay draws the element with the options of the moment.
    QStringList operations;
    for (const auto& [operation, layer] : sets)
        operations.append(operation);
    for (const QJsonValue& entry : std::as_const(elementReplay))
        for (const char* option : {"1", "0"}) {
            const QString op =
                entry.toArray()[1].toString().replace(QLatin1String("{options}"), QLatin1String(option));
            if (!operations.contains(op))
                operations.append(op);
        }
    auto* elementPanel = form.findChild<TPaintBox*>(Element);
    auto* diagramPanel = form.findChild<TPaintBox*>(Diagram);
    if (!elementPanel || !diagramPanel)
        return QStringLiteral("The main window's drawing panels are not the program's panels.");
    // The panels as the walk found them after loading, before any step.
    form.ResetWalkthrough();
    const TCanvas& e = elementPanel->Canvas();
    const TCanvas& d = diagramPanel->Canvas();
    const TWebPanels panels{elementBox->size(),
                            diagramBox->size(),
                            e.Pen,
                            d.Pen,
                            e.Brush,
                            d.Brush,
                            e.Font,
                            d.Font,
                            e.PenPos(),
                            d.PenPos(),
                            elementPanel->PanelFont(),
                            diagramPanel->PanelFont()};
    form.hide();
    return CollectWebFigures(panels, operations, figures);
}

QByteArray WebDataScript(const char* variable, const QJsonObject& object) {
    return QByteArray("window.") + variable + " = " + QJsonDocument(object).toJson(QJsonDocument::Compact) +
           ";\n";
}

} // namespace mohr
