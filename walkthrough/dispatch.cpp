#include "walkthrough/dispatch.h"

#include "figures/figures.h"
#include "walkthrough/explanations.h"
#include "walkthrough/progression.h"

#include <QTreeWidget>

#include <array>

namespace mohr {

namespace {

// The literal keys by which a handler recognises its steps (case-sensitive substrings of the node,
// parent and grandparent texts) and its out-of-order message. Both trees share one flow; only this
// table differs.
struct TStepKeys {
    const char16_t* Refusal;

    // Topics.
    const char16_t* TopicFaces;      // node 0
    const char16_t* TopicCircle;     // node 2
    const char16_t* TopicOtherFaces; // node 17

    // Steps.
    const char16_t* FaceSystems;          // node 1
    const char16_t* DiagramSystem;        // node 3; also a part of node 1's text
    const char16_t* KnownStresses;        // node 7
    const char16_t* CentrePoint;          // node 10
    const char16_t* Circle;               // node 11
    const char16_t* DirectionCentre;      // node 12, without the abbreviation that ends its text
    const char16_t* PrincipalStresses;    // node 15
    const char16_t* PrincipalDirections;  // node 16
    std::array<const char16_t*, 3> Faces; // nodes 18, 22, 26
    const char16_t* FinalStresses;        // node 30

    // Sub-steps, with the step keys they are tested under.
    const char16_t* DirectionCentreStep; // node 12's full text, as the parent of nodes 13 and 14
    const char16_t* AxisDefinition;      // node 4
    const char16_t* VerticalAxis;        // node 5
    const char16_t* Grid;                // node 6
    const char16_t* PointED;             // node 8
    const char16_t* PointBC;             // node 9
    const char16_t* NormalBC;            // node 13
    const char16_t* NormalED;            // node 14
    const char16_t* FaceAxis;            // nodes 19, 23, 27
    const char16_t* FacePoint;           // nodes 20, 24, 28
    const char16_t* FaceSketch;          // nodes 21, 25, 29
};

constexpr TStepKeys DutchKeys = {
    u"Geen sprongen maken in de lijst !",
    u"spanningen op vlakjes",
    u"tensorkring",
    u"spanningen op overige vlakjes",
    u"assenstelsel per vlakje",
    u"assenstelsel",
    u"zet bekende spanningen in de cirkel",
    u"bepaal het middelpunt van de cirkel",
    u"teken de cirkel",
    u"bepaal richtingen-centrum",
    u"bepaal hoofdspanningen",
    u"teken de hoofdrichtingen",
    {u"spanning op A-E", u"spanning op A-B", u"spanning op C-D"},
    u"teken spanningen in het model",
    u"bepaal richtingen-centrum (RC)",
    u"assendefinitie",
    u"teken verticale as",
    u"teken grid",
    u"vlakje E-D",
    u"vlakje B-C",
    u"normaal op B-C",
    u"normaal op E-D",
    u"teken assenstelsel",
    u"bepaal spanningspunt",
    u"teken werkelijke spanningen",
};

constexpr TStepKeys EnglishKeys = {
    u"No jumps allowed in the list !",
    u"stresses on faces",
    u"Mohr circle",
    u"stresses on other faces",
    u"coordinate system for each face",
    u"coordinate system",
    u"put known stresses in graph",
    u"detetermine the centre point",
    u"draw the circle",
    u"determine centre of direction",
    u"determine principal stresses",
    u"draw principal directions",
    {u"stresses on A-E", u"stresses on A-B", u"stresses on C-D"},
    u"draw stresses in the model",
    u"determine centre of direction (DC)",
    u"system definition",
    u"draw vertical axis",
    u"draw grid",
    u"face E-D",
    u"face B-C",
    u"normal to B-C",
    u"normal to E-D",
    u"draw coordinate system",
    u"determine stresses",
    u"draw stresses as they act",
};

// The three remaining faces in the order their steps are tested, with the explanations of their
// sub-steps (coordinate system, stress point, actual stresses).
struct TFaceRow {
    const char* Id;
    int AxisExplanation;
    int PointExplanation;
    int SketchExplanation;
};
constexpr std::array<TFaceRow, 3> FaceRows = {{
    {"AE", 19, 20, 21},
    {"AB", 23, 24, 25},
    {"CD", 27, 28, 29},
}};

bool Has(const QString& text, const char16_t* key) {
    return text.contains(QString::fromUtf16(key));
}

QTreeWidgetItem* SelectedNode(QTreeWidget* tree) {
    if (!tree)
        return nullptr;
    QTreeWidgetItem* current = tree->currentItem();
    if (current && current->isSelected())
        return current;
    const QList<QTreeWidgetItem*> selected = tree->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

class TStepDispatch {
public:
    TStepDispatch(TStepHost& host, TStepLanguage language)
        : host_(host), figures_(host.Figures()), layers_(figures_.FigureLayers), language_(language),
          keys_(language == TStepLanguage::English ? EnglishKeys : DutchKeys) {}

    void Refuse() { host_.ShowInformation(QString::fromUtf16(keys_.Refusal)); }

    void Run(const QTreeWidgetItem* node) {
        // Every allowed click starts from an empty box and leaves exactly one explanation in it.
        host_.ClearMemo();
        switch (NodeLevel(node)) {
        case 0:
            Topic(node->text(0));
            break;
        case 1:
            Step(node->text(0));
            break;
        case 2:
            SubStep(node->parent()->parent()->text(0), node->parent()->text(0), node->text(0));
            break;
        default:
            break;
        }
    }

private:
    void Add(int explanation) { host_.AddExplanation(Explanation(language_, explanation)); }
    void AddTop(int explanation) {
        Add(explanation);
        host_.ScrollMemoToTop();
    }

    void Topic(const QString& t) {
        if (Has(t, keys_.TopicFaces)) {
            AddTop(0);
            if (!layers_.Element) {
                const TElementOptions options = figures_.ElementOptions;
                figures_.DrawElement(options.ShowGrid, options.ShowDimensions, options.ShowAxes);
            }
        }
        if (Has(t, keys_.TopicCircle))
            AddTop(2);
        if (Has(t, keys_.TopicOtherFaces))
            AddTop(17);
    }

    void Step(const QString& t) {
        // Node 3's key is contained in node 1's text, so it is only tried when node 1's key fails.
        if (Has(t, keys_.FaceSystems)) {
            AddTop(1);
            if (!layers_.FaceAxes)
                figures_.DrawFaceAxes();
        } else if (Has(t, keys_.DiagramSystem)) {
            AddTop(3);
            // Kinds 1 and 2 set no flag of their own: they are drawn again until the vertical axis is.
            if (!layers_.DiagramAxes) {
                figures_.DrawDiagramAxes(1);
                figures_.DrawDiagramAxes(2);
            }
        }
        if (Has(t, keys_.KnownStresses))
            AddTop(7);
        if (Has(t, keys_.CentrePoint)) {
            AddTop(10);
            if (!layers_.CentreConstruction)
                figures_.DrawCentreConstruction();
        }
        if (Has(t, keys_.Circle)) {
            Add(11);
            if (!layers_.Circle)
                figures_.DrawCircle();
        }
        if (Has(t, keys_.DirectionCentre))
            AddTop(12);
        if (Has(t, keys_.PrincipalStresses)) {
            Add(15);
            if (!layers_.PrincipalStresses)
                figures_.DrawPrincipalStresses();
        }
        if (Has(t, keys_.PrincipalDirections)) {
            Add(16);
            if (!layers_.PrincipalDirections)
                figures_.DrawPrincipalDirections();
        }
        if (Has(t, keys_.Faces[0]))
            AddTop(18);
        if (Has(t, keys_.Faces[1]))
            AddTop(22);
        if (Has(t, keys_.Faces[2]))
            AddTop(26);
        if (Has(t, keys_.FinalStresses))
            CloseWalkthrough();
    }

    // The closing step: from now on the sample is drawn bare, the face coordinate systems are no
    // longer replayed, and the final stresses are drawn on it.
    void CloseWalkthrough() {
        figures_.SetElementOptions(false);
        layers_.FaceAxes = false;
        host_.RefreshElementPanel();
        figures_.DrawFinalStresses();
        AddTop(30);
    }

    void SubStep(const QString& t2, const QString& t1, const QString& t) {
        if (Has(t2, keys_.TopicCircle)) {
            if (Has(t1, keys_.DiagramSystem)) {
                if (Has(t, keys_.AxisDefinition)) {
                    if (!layers_.AxisDefinition)
                        figures_.DrawAxisDefinition();
                    if (!layers_.DiagramAxes)
                        figures_.DrawDiagramAxes(2);
                    AddTop(4);
                }
                if (Has(t, keys_.VerticalAxis)) {
                    if (!layers_.DiagramAxes)
                        figures_.DrawDiagramAxes(3);
                    AddTop(4);
                }
                if (Has(t, keys_.Grid)) {
                    if (!layers_.DiagramGrid)
                        figures_.DrawDiagramGrid();
                    AddTop(4);
                }
            }
            if (Has(t1, keys_.KnownStresses)) {
                if (Has(t, keys_.PointED)) {
                    if (!layers_.PointED)
                        figures_.DrawPointED();
                    AddTop(8);
                }
                if (Has(t, keys_.PointBC)) {
                    if (!layers_.PointBC)
                        figures_.DrawPointBC();
                    AddTop(9);
                }
            }
            if (Has(t1, keys_.DirectionCentreStep)) {
                if (Has(t, keys_.NormalBC)) {
                    Add(13);
                    if (!layers_.NormalLineBC)
                        figures_.DrawNormalLineBC();
                }
                if (Has(t, keys_.NormalED)) {
                    Add(14);
                    if (!layers_.NormalLineED)
                        figures_.DrawNormalLineED();
                }
            }
        }
        if (Has(t2, keys_.TopicOtherFaces)) {
            // The same three sub-steps stand under every face; the parent says which face is meant.
            // These figures are drawn again on every click.
            for (std::size_t i = 0; i < FaceRows.size(); ++i) {
                if (!Has(t1, keys_.Faces[i]))
                    continue;
                const TFaceRow& face = FaceRows[i];
                const QString id = QString::fromLatin1(face.Id);
                if (Has(t, keys_.FaceAxis)) {
                    Add(face.AxisExplanation);
                    figures_.DrawFaceAxis(id);
                }
                if (Has(t, keys_.FacePoint)) {
                    AddTop(face.PointExplanation);
                    figures_.DrawFacePoint(id);
                }
                if (Has(t, keys_.FaceSketch)) {
                    AddTop(face.SketchExplanation);
                    figures_.DrawFaceSketch(id);
                }
            }
        }
    }

    TStepHost& host_;
    TFigures& figures_;
    TFigureLayers& layers_;
    TStepLanguage language_;
    const TStepKeys& keys_;
};

} // namespace

bool HandleStepClick(TStepHost& host, QTreeWidget* tree, TStepLanguage language) {
    QTreeWidgetItem* node = SelectedNode(tree);
    if (!node)
        return false; // a click beside the nodes: nothing is taken
    TStepDispatch dispatch(host, language);
    if (!TryCompleteStep(tree, node)) {
        dispatch.Refuse();
        return false;
    }
    dispatch.Run(node);
    return true;
}

} // namespace mohr
