#include "walkthrough/explanations.h"

#include <array>

namespace mohr {

namespace {

constexpr int ExplanationCount = 31;

// One entry per node index; nodes 5 and 6 show explanation 4 and have no text of their own.
using TExplanationTable = std::array<const char16_t*, ExplanationCount>;

constexpr TExplanationTable DutchExplanations = {
    // 0
    u"Gegeven is een homogene vlakke spanningstoestand in het aangegeven x-y-assenstelsel. Alleen op twee "
    u"van de vijf vlakjes, E-D en B-C, zijn de spanningen bekend. Gevraagd: "
    u"welke spanningen werken er op de drie overige vlakjes van het materiaal?",
    // 1
    u"Neem voor elk vlakje waarop de spanningen gegeven zijn een assenstelsel aan. Al deze assenstelsels "
    u"moeten dezelfde oriëntatie hebben. Kies de x-as bij voorkeur loodrecht op het vlakje, als uitwendige "
    u"normaal; dat is niet noodzakelijk, maar wel het eenvoudigst. In de figuur zijn de assenstelsels van "
    u"alle vlakjes in verschillende kleuren getekend. Bestudeer ze en ga na dat alle oriëntaties gelijk "
    u"zijn.",
    // 2
    u"De tensorkring (de cirkel van Mohr) is een grafische methode om spanningen van het ene assenstelsel "
    u"naar het andere te transformeren. In dit vraagstuk staan de vlakjes met bekende spanningen niet "
    u"loodrecht op elkaar, waardoor de transformatieformules lastig toe te passen zijn. Met de grafische "
    u"methode wordt de oplossing op elegante wijze gevonden.",
    // 3
    u"Het assenstelsel van het diagram moet aan enkele eisen voldoen. De positieve normaalspanning op een "
    u"vlakje wordt horizontaal naar rechts uitgezet en de schuifspanning verticaal. De positieve verticale "
    u"richting volgt uit het gekozen assenstelsel.",
    // 4
    u"Het gekozen assenstelsel wordt in de oorsprong van het diagram getekend; hier wijst de positieve "
    u"verticale as omhoog. Afgesproken is dat een positieve schuifspanning Syx ook omhoog wordt uitgezet, "
    u"zodat een positieve Sxy naar beneden wordt uitgezet.",
    // 5, 6
    nullptr,
    nullptr,
    // 7
    u"Voor elk vlakje met bekende spanningen kan in het cirkeldiagram een spanningspunt getekend worden. "
    u"Bepaal eerst de tekens van de bekende spanningen in het aangenomen assenstelsel van het vlakje en zet "
    u"daarna het punt uit. Let daarbij op de positieve verticale richting.",
    // 8
    u"Vlakje E-D heeft de x-as als normaal; er werken dus een normaalspanning Sxx en een schuifspanning Sxy "
    u"op. Sxx is negatief (een drukspanning) en Sxy is positief; controleer dit. Het spanningspunt in het "
    u"diagram is daarom (-70, 50). Een positieve Sxy wordt naar beneden uitgezet.",
    // 9
    u"Vlakje B-C heeft de x-as als normaal; er werken dus een normaalspanning Sxx en een schuifspanning Sxy "
    u"op. Sxx is negatief (een drukspanning) en Sxy is positief; controleer dit. Het spanningspunt in het "
    u"diagram is daarom (-30, 30). Een positieve Sxy wordt naar beneden uitgezet.",
    // 10
    u"Verbind de twee spanningspunten met een hulplijn en teken de middelloodlijn van dit lijnstuk. Het "
    u"snijpunt van de middelloodlijn met de horizontale x-as is het middelpunt m van de cirkel.",
    // 11
    u"Teken een cirkel met middelpunt m door de beide punten.",
    // 12
    u"Het richtingen-centrum (R.C.) wordt gevonden met behulp van de normalen van de twee vlakjes met "
    u"bekende spanningen. Trek door het spanningspunt van elk van deze vlakjes een hulplijn evenwijdig aan "
    u"de normaal van dat vlakje. Beide hulplijnen snijden de cirkel in het R.C.",
    // 13
    u"Teken een hulplijn evenwijdig aan de normaal van vlak B-C door het punt (-30,30).",
    // 14
    u"Teken een hulplijn evenwijdig aan de normaal van vlak E-D door het punt (-70,50).",
    // 15
    u"De snijpunten van de cirkel met de horizontale as noemen we de hoofdspanningen.",
    // 16
    u"De lijn vanuit het R.C. door de gevonden hoofdspanning is de hoofdrichting behorende bij de "
    u"desbetreffende hoofdspanning.",
    // 17
    u"Om de spanningen op de overige vlakjes te vinden, moet de normaal van zo'n vlakje in het "
    u"cirkeldiagram getekend worden. Dat gebeurt met een lijn door het R.C. evenwijdig aan die normaal.",
    // 18
    u"De spanning op vlakje A-E wordt in het cirkeldiagram gevonden door een lijn te trekken door het R.C., "
    u"evenwijdig aan de normaal van dit vlakje. Waar deze lijn de cirkel snijdt, ligt het spanningspunt; "
    u"het geeft de normaalspanning en de schuifspanning op het vlakje.",
    // 19
    u"Teken een lijn door het R.C. evenwijdig aan de normaal van het vlakje. Neem daarbij bij voorkeur "
    u"steeds de x-as als uitwendige normaal; de y-as volgt dan uit de definitie van het assenstelsel. "
    u"Controleer of de x-as goed overgenomen is.",
    // 20
    u"Het snijpunt van de lijn met de cirkel is het spanningspunt. Het vlakje heeft zijn normaal in de "
    u"(lokale) x-richting; er werken dus een normaalspanning Sxx en een schuifspanning Sxy op. Positieve "
    u"waarden van de schuifspanning worden naar beneden uitgezet. De schuifspanning op A-E is dus negatief. "
    u"Een andere keuze van het assenstelsel is ook mogelijk, bijvoorbeeld met de y-as als uitwendige "
    u"normaal van A-E.",
    // 21
    u"Vlakje A-E heeft de aangegeven x-as als normaal. De normaalspanning van -30 MPa werkt als "
    u"drukspanning, en de negatieve schuifspanning werkt in werkelijkheid omhoog, in de negatieve richting "
    u"van de aangenomen y-as.",
    // 22
    u"De spanning op vlakje A-B wordt in het cirkeldiagram gevonden door een lijn te trekken door het R.C., "
    u"evenwijdig aan de normaal van dit vlakje. Waar deze lijn de cirkel snijdt, ligt het spanningspunt; "
    u"het geeft de normaalspanning en de schuifspanning op het vlakje.",
    // 23
    u"Teken een lijn door het R.C. evenwijdig aan de normaal van het vlakje. Neem daarbij bij voorkeur "
    u"steeds de x-as als uitwendige normaal; de y-as volgt dan uit de definitie van het assenstelsel. "
    u"Controleer of de blauwe x-as goed overgenomen is.",
    // 24
    u"Het snijpunt van de lijn met de cirkel is het spanningspunt. Het vlakje heeft zijn normaal in de "
    u"(lokale) x-richting; er werken dus een normaalspanning Sxx en een schuifspanning Sxy op. Positieve "
    u"waarden van de schuifspanning worden naar beneden uitgezet.",
    // 25
    u"Vlakje A-B heeft de aangegeven x-as als normaal. De normaalspanning van -110 MPa is een drukspanning, "
    u"en de positieve schuifspanning van 30 MPa werkt in werkelijkheid naar rechts op het vlakje.",
    // 26
    u"De spanning op vlakje C-D wordt in het cirkeldiagram gevonden door een lijn te trekken door het R.C., "
    u"evenwijdig aan de normaal van dit vlakje. Waar deze lijn de cirkel snijdt, ligt het spanningspunt; "
    u"het geeft de normaalspanning en de schuifspanning op het vlakje.",
    // 27
    u"Teken een lijn evenwijdig aan de normaal van het vlak door het R.C. van de cirkel. Controleer of de "
    u"rode x-as goed overgenomen is. ",
    // 28
    u"Het snijpunt van de lijn met de cirkel is het spanningspunt. Het vlakje heeft zijn normaal in de "
    u"(lokale) x-richting; er werken dus een normaalspanning Sxx en een schuifspanning Sxy op. Positieve "
    u"waarden van de schuifspanning worden naar beneden uitgezet. De schuifspanning op C-D is dus negatief.",
    // 29
    u"C-D is een positief vlakje, omdat de uitwendige normaal in de positieve x-richting van het vlakje "
    u"wijst. De normaalspanning van 100 MPa werkt als drukspanning op het vlakje, en de negatieve "
    u"schuifspanning werkt in de negatieve xy-richting van het vlakje.",
    // 30
    u"Nu zijn de werkelijke spanningen op het materiaal getekend, met hun werkelijke richtingen. Ga met de "
    u"evenwichtsvergelijkingen na dat deze spanningen een stelsel in evenwicht vormen.",
};

constexpr const char16_t* EnglishFaceAxis =
    u"Draw a line through the D.C. parallel to the normal of the face, preferably always taking the x-axis "
    u"as the outward normal. The y-axis then follows from the orientation of the global coordinate system. "
    u"Please check the direction of the x-axis.";

constexpr TExplanationTable EnglishExplanations = {
    // 0
    u"A homogeneous plane stress state is given in the indicated x-y coordinate system: the sample is "
    u"loaded in this plane only. The stresses are known on only two of the five faces, E-D and B-C. Which "
    u"stresses act on the other three faces of the material?",
    // 1
    u"Take a coordinate system for each face on which the stresses are given. All these systems must have "
    u"the same orientation. Preferably choose the x-axis perpendicular to the face, as its outward normal; "
    u"this is not necessary, but it is the easiest. The figure to the left shows the coordinate systems of "
    u"all faces in different colours. Study them and note that all orientations are equal.",
    // 2
    u"Mohr's circle is a graphical method to transform stresses from one coordinate system to another. In "
    u"this problem the faces with known stresses are not perpendicular to each other, which makes the "
    u"transformation formulas awkward to use, while the graphical method finds the solution elegantly.",
    // 3
    u"The coordinate system of the diagram has to meet some requirements. The positive normal stress on a "
    u"face is plotted horizontally to the right and the shear stress vertically. The positive vertical "
    u"direction follows from the chosen coordinate system.",
    // 4
    u"The chosen coordinate system is drawn in the diagram at the origin; here its positive vertical axis "
    u"points upward. By convention a positive shear stress Syx is also plotted upward, so that a positive "
    u"Sxy is plotted downward.",
    // 5, 6
    nullptr,
    nullptr,
    // 7
    u"For each face with known normal and shear stress a point on the stress circle can be drawn, for which "
    u"the signs must be known. A tensile normal stress Sxx is positive, and a positive shear stress Sxy acts "
    u"in the positive y direction of the local coordinate system shown. The point (Sxx, Sxy) is plotted "
    u"with attention to the sign.",
    // 8
    u"Face E-D has the x-axis as its normal, so a normal stress Sxx and a shear stress Sxy act on it. Sxx is "
    u"negative and Sxy is positive; please verify this. The stress point in the diagram is therefore "
    u"(-70,50). A positive Sxy is plotted downward.",
    // 9
    u"Face B-C has the x-axis as its normal, so a normal stress Sxx and a shear stress Sxy act on it. Sxx is "
    u"negative and Sxy is positive; please verify this. The stress point in the diagram is therefore "
    u"(-30,30). A positive Sxy is plotted downward.",
    // 10
    u"Connect the two stress points with a dashed line and draw the perpendicular bisector of this line "
    u"segment. Its intersection with the horizontal x-axis is the centre m of the circle.",
    // 11
    u"Draw a circle through both points and with the centre in m.",
    // 12
    u"The direction centre (D.C.) is found with the normals of the two faces with known stresses. Through "
    u"the stress point of each of these faces draw an auxiliary line parallel to the normal of that face. "
    u"Both lines cut the circle in the D.C.",
    // 13
    u"draw a line parallel to the normal of plane B-C through the current stress point (-30,30).",
    // 14
    u"draw a line parallel to the normal of plane E-D through the current stress point (-70,50).",
    // 15
    u"The circle intersects the x-axis in two points. These are the two principal stresses.",
    // 16
    u"The line through the D.C. and a principal stress is the pricipal direction belonging to this "
    u"principal stress.",
    // 17
    u"To find the stresses on the other faces, the normal of such a face has to be drawn in the circle "
    u"diagram. This is done with a line through the D.C. parallel to that normal.",
    // 18
    u"The stress on face A-E is found in the circle diagram by drawing a line through the D.C., parallel to "
    u"the normal of this face. Where this line cuts the circle lies the stress point, which gives the "
    u"normal and shear stress on the face.",
    // 19
    EnglishFaceAxis,
    // 20
    u"The intersection of the line with the circle is the stress point. The face has its normal in the "
    u"(local) x-direction, so a normal stress Sxx and a shear stress Sxy act on it. Positive shear values "
    u"are plotted downward. The shear stress on A-E is therefore negative. Another choice of coordinate "
    u"system is also possible, for example the y-axis as the outward normal of A-E.",
    // 21
    u"Face A-E has the indicated x-axis as its normal. The normal stress of -30 MPa acts as a compressive "
    u"stress, and the negative shear stress actually acts upward, as shown in the diagram.",
    // 22
    u"The stress on face A-B is found in the circle diagram by drawing a line through the D.C., parallel to "
    u"the normal of this face. Where this line cuts the circle lies the stress point, which gives the "
    u"normal and shear stress on the face.",
    // 23
    EnglishFaceAxis,
    // 24
    u"The intersection of the line with the circle is the stress point. The face has its normal in the "
    u"(local) x-direction, so a normal stress Sxx and a shear stress Sxy act on it. Positive shear values "
    u"are plotted downward.",
    // 25
    u"Face A-B has the indicated x-axis as its normal. The normal stress of -110 MPa is compression, and the "
    u"positive shear stress of 30 MPa actually acts to the right on the face, as shown in the diagram.",
    // 26
    u"The stress on face C-D is found in the circle diagram by drawing a line through the D.C., parallel to "
    u"the normal of this face. Where this line cuts the circle lies the stress point, which gives the "
    u"normal and shear stress on the face.",
    // 27
    u"Draw a line through the D.C. parallel to the normal of the current plane. Check the red x-axis ! ",
    // 28
    u"The intersection of the line with the circle is the stress point. The face has its normal in the "
    u"(local) x-direction, so a normal stress Sxx and a shear stress Sxy act on it. Positive shear values "
    u"are plotted downward. The shear stress on C-D is therefore negative.",
    // 29
    u"C-D is a positive face, because its outward normal points in the positive x-direction of the face. "
    u"The normal stress of 100 MPa acts as a compressive stress on the face, and the negative shear stress "
    u"acts in the negative xy-direction of the face.",
    // 30
    u"The actual stresses on the material are now shown, with their actual directions. You can verify with "
    u"the equilibrium equations that these stresses form a system in equilibrium.",
};

} // namespace

QString Explanation(TStepLanguage language, int number) {
    if (number < 0 || number >= ExplanationCount)
        return {};
    const TExplanationTable& table =
        language == TStepLanguage::English ? EnglishExplanations : DutchExplanations;
    const char16_t* text = table[static_cast<std::size_t>(number)];
    return text ? QString::fromUtf16(text) : QString();
}

} // namespace mohr
