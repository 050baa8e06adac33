#include "web/operations.h"

#include "figures/figures.h"

#include <QBuffer>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <QSvgGenerator>
#include <QXmlStreamReader>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace mohr {

namespace {

// What a drawing operation finds on its canvas and leaves there.
struct TCanvasState {
    TPen Pen;
    TBrush Brush;
    TCanvasFont Font;
    QPoint Pos;

    QJsonArray Json() const {
        return QJsonArray{QJsonArray{int(Pen.Style), Pen.Width, qint64(Pen.Color)},
                          QJsonArray{int(Brush.Style()), qint64(Brush.Color())},
                          QJsonArray{Font.Name, Font.Height, qint64(Font.Color)},
                          QJsonArray{Pos.x(), Pos.y()}};
    }
};

// The shared save slot: the pen and brush last saved.
struct TSlotState {
    TPen Pen;
    TBrush Brush;

    QJsonArray Json() const {
        return QJsonArray{QJsonArray{int(Pen.Style), Pen.Width, qint64(Pen.Color)},
                          QJsonArray{int(Brush.Style()), qint64(Brush.Color())}};
    }
};

QString Key(const QJsonArray& json) {
    return QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact));
}

// States numbered in the order they are found.
template <typename T> class TStates {
public:
    int Add(const T& state, bool* added = nullptr) {
        const QString key = Key(state.Json());
        const auto found = index_.constFind(key);
        if (added)
            *added = found == index_.cend();
        if (found != index_.cend())
            return *found;
        index_.insert(key, int(list_.size()));
        list_.push_back(state);
        return int(list_.size()) - 1;
    }
    const T& operator[](int i) const { return list_[std::size_t(i)]; }
    int Count() const { return int(list_.size()); }

private:
    QHash<QString, int> index_;
    std::vector<T> list_;
};

QString Argument(const QString& op) {
    const qsizetype open = op.indexOf(QLatin1Char('('));
    return open < 0 ? QString() : op.mid(open + 1, op.size() - open - 2);
}

// Qt's SVG as element trees [tag, {attributes}, children...]; what only frames the drawing is left out.
QJsonValue ReadElement(QXmlStreamReader& reader) {
    QJsonArray element{reader.name().toString()};
    QJsonObject attributes;
    for (const QXmlStreamAttribute& attribute : reader.attributes()) {
        const QString name = attribute.qualifiedName().toString();
        const QString value = attribute.value().toString();
        // What SVG does anyway when it is left out.
        if ((name == QLatin1String("vector-effect") && value == QLatin1String("none")) ||
            (name == QLatin1String("transform") && value == QLatin1String("matrix(1,0,0,1,0,0)")))
            continue;
        attributes[name] = value;
    }
    element.append(attributes);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement())
            break;
        if (reader.isCharacters() && !reader.isWhitespace())
            element.append(reader.text().toString());
        else if (reader.isStartElement()) {
            const QJsonValue child = ReadElement(reader);
            if (!child.isNull())
                element.append(child);
        }
    }
    const QString tag = element[0].toString();
    if ((tag == QLatin1String("g") || tag == QLatin1String("defs")) && element.size() == 2)
        return QJsonValue();
    if (tag == QLatin1String("title") || tag == QLatin1String("desc"))
        return QJsonValue();
    return element;
}

QJsonArray Fragment(const QByteArray& svg) {
    QXmlStreamReader reader(svg);
    QJsonArray children;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("svg")) {
            while (reader.readNextStartElement()) {
                const QJsonValue child = ReadElement(reader);
                if (!child.isNull())
                    children.append(child);
            }
        }
    }
    return children;
}

} // namespace

bool IsElementOperation(const QString& op) {
    return op.startsWith(QLatin1String("DrawElement")) || op == QLatin1String("DrawFaceAxes") ||
           op == QLatin1String("DrawFinalStresses");
}

void RunDrawOperation(TFigures& figures, const QString& op) {
    const QString name = op.left(op.indexOf(QLatin1Char('(')) < 0 ? op.size() : op.indexOf(QLatin1Char('(')));
    const QString argument = Argument(op);
    if (name == QLatin1String("DrawElement")) {
        // The page's "DrawElement(1)" sets all three options at once, the observer names each.
        const QStringList flags = argument.split(QLatin1Char(','));
        const auto on = [&](int i) { return flags.value(flags.size() == 3 ? i : 0) == QLatin1String("1"); };
        figures.DrawElement(on(0), on(1), on(2));
        return;
    }
    if (name == QLatin1String("DrawDiagramAxes")) {
        figures.DrawDiagramAxes(argument.toInt());
        return;
    }
    // The rest take no argument, or the face they draw.
    using TPlain = void (TFigures::*)();
    using TOfFace = void (TFigures::*)(const QString&);
    static const QHash<QString, TPlain> plain = {
        {QStringLiteral("DrawFaceAxes"), &TFigures::DrawFaceAxes},
        {QStringLiteral("DrawFinalStresses"), &TFigures::DrawFinalStresses},
        {QStringLiteral("DrawAxisDefinition"), &TFigures::DrawAxisDefinition},
        {QStringLiteral("DrawDiagramGrid"), &TFigures::DrawDiagramGrid},
        {QStringLiteral("DrawPointED"), &TFigures::DrawPointED},
        {QStringLiteral("DrawPointBC"), &TFigures::DrawPointBC},
        {QStringLiteral("DrawCentreConstruction"), &TFigures::DrawCentreConstruction},
        {QStringLiteral("DrawCircle"), &TFigures::DrawCircle},
        {QStringLiteral("DrawNormalLineBC"), &TFigures::DrawNormalLineBC},
        {QStringLiteral("DrawNormalLineED"), &TFigures::DrawNormalLineED},
        {QStringLiteral("DrawPrincipalStresses"), &TFigures::DrawPrincipalStresses},
        {QStringLiteral("DrawPrincipalDirections"), &TFigures::DrawPrincipalDirections},
    };
    static const QHash<QString, TOfFace> ofFace = {
        {QStringLiteral("DrawFaceAxis"), &TFigures::DrawFaceAxis},
        {QStringLiteral("DrawFacePoint"), &TFigures::DrawFacePoint},
        {QStringLiteral("DrawFaceSketch"), &TFigures::DrawFaceSketch},
    };
    if (const TPlain run = plain.value(name))
        (figures.*run)();
    else if (const TOfFace run = ofFace.value(name))
        (figures.*run)(argument);
}

QByteArray DrawOperationSvg(QSize size, const QString& op, const TDrawState& start, TDrawState* end) {
    QByteArray svg;
    QBuffer buffer(&svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(96);
    {
        QPainter painter(&generator);
        TCanvas drawn(painter, size);
        TCanvas none(nullptr, QSize());
        const bool element = IsElementOperation(op);
        TFigures figures(element ? drawn : none, element ? none : drawn);
        figures.EnglishMode = start.English;
        figures.CreateSaveSlot();
        figures.SavePen(start.SlotPen);
        figures.SaveBrush(start.SlotBrush);
        drawn.Pen = start.Pen;
        drawn.Brush = start.Brush;
        drawn.Font = start.Font;
        drawn.MoveTo(start.Pos.x(), start.Pos.y());
        RunDrawOperation(figures, op);
        if (end)
            *end = {drawn.Pen,           drawn.Brush,           drawn.Font,   drawn.PenPos(),
                    *figures.SavedPen(), *figures.SavedBrush(), start.English};
        figures.FreeSaveSlot();
    }
    buffer.close();
    return svg;
}

QString CollectWebFigures(const TWebPanels& panels, const QStringList& operations, QJsonObject& figures) {
    TStates<TCanvasState> states;
    TStates<TSlotState> slotStates_;
    QHash<QString, int> fragmentIndex;
    QJsonArray fragments;
    const int elementStart =
        states.Add({panels.ElementPen, panels.ElementBrush, panels.ElementFont, panels.ElementPos});
    const int diagramStart =
        states.Add({panels.DiagramPen, panels.DiagramBrush, panels.DiagramFont, panels.DiagramPos});
    const int slotStart = slotStates_.Add({TPen(), TBrush()});

    // The states each panel's canvas can be in.
    std::vector<int> onElement{elementStart};
    std::vector<int> onDiagram{diagramStart};
    std::map<int, int> erase;
    QJsonObject ops = figures.value(QStringLiteral("ops")).toObject();
    std::map<QString, QJsonObject> by;
    std::set<QString> done;

    bool grew = true;
    while (grew) {
        grew = false;
        for (auto* list : {&onElement, &onDiagram}) {
            const bool element = list == &onElement;
            const TCanvasFont& panelFont = element ? panels.ElementPanelFont : panels.DiagramPanelFont;
            for (std::size_t i = 0; i < list->size(); ++i) {
                const int c = (*list)[i];
                if (erase.count(c))
                    continue;
                QImage scratch(1, 1, QImage::Format_RGB32);
                TCanvas canvas(&scratch, QSize(1, 1));
                const TCanvasState& s = states[c];
                canvas.Pen = s.Pen;
                canvas.Brush = s.Brush;
                canvas.Font = s.Font;
                canvas.MoveTo(s.Pos.x(), s.Pos.y());
                canvas.EraseForRepaint(panelFont);
                const int after = states.Add({canvas.Pen, canvas.Brush, canvas.Font, canvas.PenPos()});
                erase[c] = after;
                if (std::find(list->begin(), list->end(), after) == list->end()) {
                    list->push_back(after);
                    grew = true;
                }
            }
        }
        for (const QString& op : operations) {
            const bool element = IsElementOperation(op);
            std::vector<int>& list = element ? onElement : onDiagram;
            const QSize size = element ? panels.ElementSize : panels.DiagramSize;
            for (std::size_t i = 0; i < list.size(); ++i) {
                for (int slot = 0; slot < slotStates_.Count(); ++slot) {
                    QJsonArray results[2];
                    for (int english = 0; english < 2; ++english) {
                        const QString key =
                            QStringLiteral("%1|%2|%3|%4").arg(op).arg(list[i]).arg(slot).arg(english);
                        if (done.count(key)) {
                            results[english] = QJsonArray();
                            continue;
                        }
                        done.insert(key);
                        const TCanvasState& s = states[list[i]];
                        TDrawState end;
                        const QByteArray svg =
                            DrawOperationSvg(size, op,
                                             {s.Pen, s.Brush, s.Font, s.Pos, slotStates_[slot].Pen,
                                              slotStates_[slot].Brush, english},
                                             &end);
                        const TCanvasState after{end.Pen, end.Brush, end.Font, end.Pos};
                        const TSlotState slotAfter{end.SlotPen, end.SlotBrush};
                        const QJsonArray fragment = Fragment(svg);
                        const QString fragmentKey = Key(fragment);
                        auto found = fragmentIndex.constFind(fragmentKey);
                        if (found == fragmentIndex.cend()) {
                            found = fragmentIndex.insert(fragmentKey, int(fragments.size()));
                            QJsonArray group{QStringLiteral("g"), QJsonObject()};
                            for (const QJsonValue& child : fragment)
                                group.append(child);
                            fragments.append(fragment.size() == 1 ? fragment[0] : QJsonValue(group));
                        }
                        bool newSlot = false;
                        const int c2 = states.Add(after);
                        const int s2 = slotStates_.Add(slotAfter, &newSlot);
                        if (std::find(list.begin(), list.end(), c2) == list.end()) {
                            list.push_back(c2);
                            grew = true;
                        }
                        if (newSlot)
                            grew = true;
                        results[english] = QJsonArray{*found, c2, s2};
                    }
                    if (results[0].isEmpty())
                        continue;
                    const QString state = QStringLiteral("%1|%2|").arg(list[i]).arg(slot);
                    if (results[0] == results[1])
                        by[op][state + QLatin1Char('*')] = results[0];
                    else {
                        by[op][state + QStringLiteral("nl")] = results[0];
                        by[op][state + QStringLiteral("en")] = results[1];
                    }
                }
            }
        }
    }

    // Attribute sets repeat across fragments: each element names its set by number.
    QJsonArray attributeSets;
    QHash<QString, int> attributeIndex;
    const std::function<QJsonValue(const QJsonValue&)> share = [&](const QJsonValue& value) -> QJsonValue {
        if (!value.isArray())
            return value;
        QJsonArray element = value.toArray();
        const QJsonObject attributes = element[1].toObject();
        const QString key = QString::fromUtf8(QJsonDocument(attributes).toJson(QJsonDocument::Compact));
        auto found = attributeIndex.constFind(key);
        if (found == attributeIndex.cend()) {
            found = attributeIndex.insert(key, int(attributeSets.size()));
            attributeSets.append(attributes);
        }
        element[1] = *found;
        for (qsizetype i = 2; i < element.size(); ++i)
            element[i] = share(element[i]);
        return element;
    };
    for (qsizetype i = 0; i < fragments.size(); ++i)
        fragments[i] = share(fragments[i]);
    figures[QStringLiteral("attrs")] = attributeSets;

    for (const QString& op : operations) {
        QJsonObject entry = ops.value(op).toObject();
        entry[QStringLiteral("panel")] =
            IsElementOperation(op) ? QStringLiteral("PaintBox2") : QStringLiteral("PaintBox1");
        if (!entry.contains(QStringLiteral("sets")))
            entry[QStringLiteral("sets")] = QJsonValue();
        entry[QStringLiteral("by")] = by[op];
        ops[op] = entry;
    }
    QJsonObject eraseJson;
    for (const auto& [from, to] : erase)
        eraseJson[QString::number(from)] = to;
    QJsonArray canvasStates;
    for (int i = 0; i < states.Count(); ++i)
        canvasStates.append(states[i].Json());
    QJsonArray slotStates;
    for (int i = 0; i < slotStates_.Count(); ++i)
        slotStates.append(slotStates_[i].Json());
    figures[QStringLiteral("start")] =
        QJsonObject{{QStringLiteral("canvas"), QJsonObject{{QStringLiteral("PaintBox2"), elementStart},
                                                           {QStringLiteral("PaintBox1"), diagramStart}}},
                    {QStringLiteral("slot"), slotStart}};
    figures[QStringLiteral("erase")] = eraseJson;
    figures[QStringLiteral("ops")] = ops;
    figures[QStringLiteral("fragments")] = fragments;
    figures[QStringLiteral("states")] =
        QJsonObject{{QStringLiteral("canvas"), canvasStates}, {QStringLiteral("slot"), slotStates}};
    return {};
}

} // namespace mohr
