#include "figures/describe.h"

#include <array>

namespace mohr {

namespace {

struct TSentence {
    bool TFigureLayers::*Layer;
    const char16_t* Dutch;
    const char16_t* English;
};

QString Pick(const TSentence& s, bool english) {
    return QString::fromUtf16(english ? s.English : s.Dutch);
}

// In the order of the diagram panel's replay, so that the words follow what lies on top of what.
// The direction-centre label is the one the panel draws in that language.
const std::array<TSentence, 20> DiagramSentences{{
    {&TFigureLayers::AxisDefinition, u"Rood x-y-assenkruis bij de oorsprong, y omhoog.",
     u"Red x-y axis symbol at the origin, y upward."},
    {&TFigureLayers::DiagramAxes,
     u"Assen door de oorsprong (0; 0): normaalspanning Sxx en Syy naar rechts, schuifspanning Sxy omlaag en "
     u"Syx omhoog.",
     u"Axes through the origin (0; 0): normal stress Sxx and Syy to the right, shear stress Sxy downward and "
     u"Syx upward."},
    {&TFigureLayers::DiagramGrid, u"Stippelraster, 10 MPa per hokje.", u"Dotted grid, 10 MPa per square."},
    {&TFigureLayers::PointED, u"Spanningspunt van vlakje E-D in (-70; +50).",
     u"Stress point of face E-D at (-70; +50)."},
    {&TFigureLayers::PointBC, u"Spanningspunt van vlakje B-C in (-30; +30).",
     u"Stress point of face B-C at (-30; +30)."},
    {&TFigureLayers::CentreConstruction,
     u"Middelpunt m in (-70; 0), waar de middelloodlijn van de koorde tussen de twee spanningspunten de "
     u"horizontale as snijdt.",
     u"Centre m at (-70; 0), where the perpendicular bisector of the chord between the two stress points "
     u"meets the horizontal axis."},
    {&TFigureLayers::Circle, u"Tensorkring met middelpunt (-70; 0) en straal 50 MPa.",
     u"Mohr\u2019s circle with centre (-70; 0) and radius 50 MPa."},
    {&TFigureLayers::NormalLineBC,
     u"Normaallijn van vlakje B-C vanuit (-30; +30) naar het richtingencentrum.",
     u"Normal line of face B-C from (-30; +30) to the direction centre."},
    {&TFigureLayers::NormalLineED,
     u"Normaallijn van vlakje E-D vanuit (-70; +50) naar het richtingencentrum R.C. in (-110; -30).",
     u"Normal line of face E-D from (-70; +50) to the direction centre D.C. at (-110; -30)."},
    {&TFigureLayers::PrincipalStresses,
     u"Hoofdspanningen S1 = -20 MPa en S2 = -120 MPa op de horizontale as.",
     u"Principal stresses S1 = -20 MPa and S2 = -120 MPa on the horizontal axis."},
    {&TFigureLayers::PrincipalDirections,
     u"Hoofdrichtingen 1 en 2 door het richtingencentrum, loodrecht op elkaar.",
     u"Principal directions 1 and 2 through the direction centre, at right angles to each other."},
    {&TFigureLayers::FaceAxisAE, u"Blauwgroene x-as van vlakje A-E door het richtingencentrum, naar links.",
     u"Teal x axis of face A-E through the direction centre, pointing left."},
    {&TFigureLayers::FaceAxisAB, u"Cyaan x-as van vlakje A-B door het richtingencentrum, naar beneden.",
     u"Aqua x axis of face A-B through the direction centre, pointing down."},
    {&TFigureLayers::FaceAxisCD,
     u"Rode x-as van vlakje C-D door het richtingencentrum, onder 45 graden omhoog.",
     u"Red x axis of face C-D through the direction centre, rising at 45 degrees."},
    {&TFigureLayers::FacePointAE, u"Spanningspunt van vlakje A-E in (-30; -30).",
     u"Stress point of face A-E at (-30; -30)."},
    {&TFigureLayers::FacePointAB, u"Spanningspunt van vlakje A-B in (-110; 30).",
     u"Stress point of face A-B at (-110; 30)."},
    {&TFigureLayers::FacePointCD, u"Spanningspunt van vlakje C-D in (-100; -40).",
     u"Stress point of face C-D at (-100; -40)."},
    {&TFigureLayers::FaceSketchAE, u"Schets van vlakje A-E met normaalspanning 30 en schuifspanning 30 MPa.",
     u"Sketch of face A-E with normal stress 30 and shear stress 30 MPa."},
    {&TFigureLayers::FaceSketchAB, u"Schets van vlakje A-B met normaalspanning 110 en schuifspanning 30 MPa.",
     u"Sketch of face A-B with normal stress 110 and shear stress 30 MPa."},
    {&TFigureLayers::FaceSketchCD, u"Schets van vlakje C-D met normaalspanning 100 en schuifspanning 40 MPa.",
     u"Sketch of face C-D with normal stress 100 and shear stress 40 MPa."},
}};

const TSentence FinalStressesSentence{
    &TFigureLayers::FinalStresses,
    u"Werkelijke spanningen op vlakje A-E: normaal 30, schuif 30 MPa; op vlakje A-B: normaal 110, schuif 30 "
    u"MPa; op vlakje C-D: normaal 100, schuif 40 MPa.",
    u"Stresses as they act on face A-E: normal 30, shear 30 MPa; on face A-B: normal 110, shear 30 MPa; on "
    u"face C-D: normal 100, shear 40 MPa."};

const TSentence FaceAxesSentence{
    &TFigureLayers::FaceAxes,
    u"Lokale x-y-assen van de vlakjes: C-D rood, E-D groen, B-C fuchsia, A-E "
    u"blauwgroen, A-B cyaan.",
    u"Local x-y axes of the faces: C-D red, E-D green, B-C fuchsia, A-E teal, A-B aqua."};

// "a", "a en b", "a, b en c".
QString ListOf(const QStringList& items, bool english) {
    if (items.size() < 2)
        return items.join(QString());
    const QString last = items.last();
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) +
           (english ? QStringLiteral(" and ") : QStringLiteral(" en ")) + last;
}

QString ElementSentence(const TElementOptions& options, bool english) {
    QStringList extras;
    if (options.ShowGrid)
        extras << (english ? QStringLiteral("grid") : QStringLiteral("raster"));
    if (options.ShowDimensions)
        extras << (english ? QStringLiteral("dimensions") : QStringLiteral("maatvoering"));
    if (options.ShowAxes)
        extras << (english ? QStringLiteral("axes") : QStringLiteral("assen"));
    QString sentence = english ? QStringLiteral("Sample A-B-C-D-E") : QStringLiteral("Element A-B-C-D-E");
    if (!extras.isEmpty())
        sentence += (english ? QStringLiteral(" with ") : QStringLiteral(" met ")) + ListOf(extras, english);
    sentence += english
                    ? QStringLiteral("; given stresses on face E-D: normal 70, shear 50 MPa; on face B-C: "
                                     "normal 30, shear 30 MPa.")
                    : QStringLiteral("; gegeven spanningen op vlakje E-D: normaal 70, schuif 50 MPa; op "
                                     "vlakje B-C: normaal 30, schuif 30 MPa.");
    return sentence;
}

QString Joined(const QStringList& sentences, bool english) {
    if (sentences.isEmpty())
        return english ? QStringLiteral("Nothing drawn yet.") : QStringLiteral("Nog niets getekend.");
    return sentences.join(QLatin1Char(' '));
}

} // namespace

QStringList ElementPanelSentences(const TFigureLayers& layers, const TElementOptions& options, bool english) {
    // The element panel's replay order: the sample, the final stresses, the face axes.
    QStringList sentences;
    if (layers.Element)
        sentences << ElementSentence(options, english);
    if (layers.*FinalStressesSentence.Layer)
        sentences << Pick(FinalStressesSentence, english);
    if (layers.*FaceAxesSentence.Layer)
        sentences << Pick(FaceAxesSentence, english);
    return sentences;
}

QStringList DiagramPanelSentences(const TFigureLayers& layers, bool english) {
    QStringList sentences;
    for (const TSentence& s : DiagramSentences)
        if (layers.*s.Layer)
            sentences << Pick(s, english);
    return sentences;
}

QString ElementPanelDescription(const TFigures& figures) {
    const bool english = figures.EnglishMode != 0;
    return Joined(ElementPanelSentences(figures.FigureLayers, figures.ElementOptions, english), english);
}

QString DiagramPanelDescription(const TFigures& figures) {
    const bool english = figures.EnglishMode != 0;
    return Joined(DiagramPanelSentences(figures.FigureLayers, english), english);
}

} // namespace mohr
