#pragma once

// The fixed content of both step trees, kept here as the tests' own record, independent of the layout
// file and of the walkthrough library; and a pre-order walk of a tree widget.

#include <QTreeWidget>

#include <array>
#include <functional>
#include <vector>

namespace mohr::test {

struct TStepRow {
    int Level;
    int Parent;
    const char16_t* Dutch;
    const char16_t* English;
};

// The fixed content of both step trees: level, parent index, Dutch and English text.
inline constexpr std::array<TStepRow, 31> StepTable = {{
    {0, -1, u"spanningen op vlakjes", u"stresses on faces"},
    {1, 0, u"assenstelsel per vlakje", u"coordinate system for each face"},
    {0, -1, u"tensorkring", u"Mohr circle"},
    {1, 2, u"assenstelsel", u"coordinate system"},
    {2, 3, u"assendefinitie", u"system definition"},
    {2, 3, u"teken verticale as", u"draw vertical axis"},
    {2, 3, u"teken grid", u"draw grid"},
    {1, 2, u"zet bekende spanningen in de cirkel", u"put known stresses in graph"},
    {2, 7, u"vlakje E-D", u"face E-D"},
    {2, 7, u"vlakje B-C", u"face B-C"},
    {1, 2, u"bepaal het middelpunt van de cirkel", u"detetermine the centre point"},
    {1, 2, u"teken de cirkel", u"draw the circle"},
    {1, 2, u"bepaal richtingen-centrum (RC)", u"determine centre of direction (DC)"},
    {2, 12, u"normaal op B-C", u"normal to B-C"},
    {2, 12, u"normaal op E-D", u"normal to E-D"},
    {1, 2, u"bepaal hoofdspanningen", u"determine principal stresses"},
    {1, 2, u"teken de hoofdrichtingen", u"draw principal directions"},
    {0, -1, u"spanningen op overige vlakjes", u"stresses on other faces"},
    {1, 17, u"spanning op A-E", u"stresses on A-E"},
    {2, 18, u"teken assenstelsel", u"draw coordinate system"},
    {2, 18, u"bepaal spanningspunt", u"determine stresses"},
    {2, 18, u"teken werkelijke spanningen", u"draw stresses as they act"},
    {1, 17, u"spanning op A-B", u"stresses on A-B"},
    {2, 22, u"teken assenstelsel", u"draw coordinate system"},
    {2, 22, u"bepaal spanningspunt", u"determine stresses"},
    {2, 22, u"teken werkelijke spanningen", u"draw stresses as they act"},
    {1, 17, u"spanning op C-D", u"stresses on C-D"},
    {2, 26, u"teken assenstelsel", u"draw coordinate system"},
    {2, 26, u"bepaal spanningspunt", u"determine stresses"},
    {2, 26, u"teken werkelijke spanningen", u"draw stresses as they act"},
    {1, 17, u"teken spanningen in het model", u"draw stresses in the model"},
}};

inline constexpr int StepCount = static_cast<int>(StepTable.size());

// The explanations the tests hold word for word: the one a node's step shows, by node index.
struct TLiteralExplanation {
    int Node;
    const char16_t* Dutch;
    const char16_t* English;
};

inline constexpr std::array<TLiteralExplanation, 6> LiteralExplanations = {{
    {11, u"Teken een cirkel met middelpunt m door de beide punten.",
     u"Draw a circle through both points and with the centre in m."},
    {13, u"Teken een hulplijn evenwijdig aan de normaal van vlak B-C door het punt (-30,30).",
     u"draw a line parallel to the normal of plane B-C through the current stress point (-30,30)."},
    {14, u"Teken een hulplijn evenwijdig aan de normaal van vlak E-D door het punt (-70,50).",
     u"draw a line parallel to the normal of plane E-D through the current stress point (-70,50)."},
    {15, u"De snijpunten van de cirkel met de horizontale as noemen we de hoofdspanningen.",
     u"The circle intersects the x-axis in two points. These are the two principal stresses."},
    {16,
     u"De lijn vanuit het R.C. door de gevonden hoofdspanning is de hoofdrichting behorende bij de "
     u"desbetreffende hoofdspanning.",
     u"The line through the D.C. and a principal stress is the pricipal direction belonging to this "
     u"principal "
     u"stress."},
    {27,
     u"Teken een lijn evenwijdig aan de normaal van het vlak door het R.C. van de cirkel. Controleer of de "
     u"rode "
     u"x-as goed overgenomen is. ",
     u"Draw a line through the D.C. parallel to the normal of the current plane. Check the red x-axis ! "},
}};

// Every node of a tree in pre-order: a node before its children, children in order.
inline std::vector<QTreeWidgetItem*> PreOrder(QTreeWidget* tree) {
    std::vector<QTreeWidgetItem*> nodes;
    std::function<void(QTreeWidgetItem*)> visit = [&](QTreeWidgetItem* item) {
        nodes.push_back(item);
        for (int i = 0; i < item->childCount(); ++i)
            visit(item->child(i));
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        visit(tree->topLevelItem(i));
    return nodes;
}

} // namespace mohr::test
