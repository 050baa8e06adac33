// The explanation texts: the fixed sentences word for word, and for the paragraphs written out here
// the numbers, signs and terms that the lesson depends on.
#include "steptable.h"
#include "walkthrough/explanations.h"

#include <QTest>

using namespace mohr;

namespace {

// Every node index that has an explanation of its own (nodes 5 and 6 show explanation 4).
const QList<int> Numbered = {0,  1,  2,  3,  4,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                             17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30};

QString Nl(int n) {
    return Explanation(TStepLanguage::Dutch, n);
}
QString En(int n) {
    return Explanation(TStepLanguage::English, n);
}

} // namespace

class TestWalkExplanations : public QObject {
    Q_OBJECT

private slots:
    void everyExplanationIsOneNonEmptyLine();
    void literalTexts_data();
    void literalTexts();
    void describedTextsCarryTheirContent_data();
    void describedTextsCarryTheirContent();
    void describedTextsAvoidWrongContent_data();
    void describedTextsAvoidWrongContent();
    void faceCoordinateSystemTexts();
    void directionCentreIsNamedPerLanguage();
};

void TestWalkExplanations::everyExplanationIsOneNonEmptyLine() {
    for (int n : Numbered) {
        for (const QString& text : {Nl(n), En(n)}) {
            QVERIFY2(!text.trimmed().isEmpty(), qPrintable(QString("explanation %1 is empty").arg(n)));
            QVERIFY2(!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')),
                     qPrintable(QString("explanation %1 spans lines").arg(n)));
            QVERIFY2(!text.contains(QStringLiteral("  ")), qPrintable(QString("double blank in %1").arg(n)));
        }
        QVERIFY2(Nl(n) != En(n), qPrintable(QString("explanation %1 is not translated").arg(n)));
    }
    // Nodes 5 and 6 have no explanation of their own; out of range gives nothing.
    for (int n : {5, 6, -1, 31}) {
        QVERIFY(Nl(n).isEmpty());
        QVERIFY(En(n).isEmpty());
    }
}

void TestWalkExplanations::literalTexts_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("dutch");
    QTest::addColumn<QString>("english");
    for (const test::TLiteralExplanation& literal : test::LiteralExplanations)
        QTest::newRow(QByteArray::number(literal.Node).constData())
            << literal.Node << QString::fromUtf16(literal.Dutch) << QString::fromUtf16(literal.English);
}

void TestWalkExplanations::literalTexts() {
    QFETCH(int, number);
    QFETCH(QString, dutch);
    QFETCH(QString, english);
    QCOMPARE(Nl(number), dutch);
    QCOMPARE(En(number), english);
}

void TestWalkExplanations::describedTextsCarryTheirContent_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QStringList>("required");
    const bool nl = false;
    const bool en = true;

    QTest::newRow("nl 0") << 0 << nl << QStringList{"homogene",     "vlakke spanningstoestand",
                                                    "assenstelsel", "twee",
                                                    "vijf",         "drie"};
    QTest::newRow("en 0") << 0 << en
                          << QStringList{"homogeneous", "plane stress", "coordinate system",        "two",
                                         "five",        "three",        "loaded in this plane only"};
    QTest::newRow("nl 1") << 1 << nl
                          << QStringList{
                                 "assenstelsel",       "dezelfde oriëntatie", "x-as",
                                 "uitwendige normaal", "niet noodzakelijk",   "verschillende kleuren"};
    QTest::newRow("en 1") << 1 << en
                          << QStringList{"coordinate system", "same orientation", "x-axis",
                                         "outward normal",    "not necessary",    "the figure to the left",
                                         "different colours"};
    QTest::newRow("nl 2") << 2 << nl << QStringList{"grafische methode", "transform", "niet loodrecht"};
    QTest::newRow("en 2") << 2 << en
                          << QStringList{"Mohr's circle", "graphical method", "transform",
                                         "not perpendicular"};
    QTest::newRow("nl 3") << 3 << nl
                          << QStringList{"positieve normaalspanning", "horizontaal naar rechts",
                                         "schuifspanning", "verticaal", "positieve verticale richting"};
    QTest::newRow("en 3") << 3 << en
                          << QStringList{"positive normal stress", "horizontally to the right",
                                         "shear stress", "vertically", "positive vertical direction"};
    QTest::newRow("nl 4") << 4 << nl
                          << QStringList{"oorsprong", "omhoog", "positieve schuifspanning Syx",
                                         "positieve Sxy", "naar beneden"};
    QTest::newRow("en 4") << 4 << en
                          << QStringList{"origin", "upward", "positive shear stress Syx", "positive Sxy",
                                         "downward"};
    QTest::newRow("nl 7") << 7 << nl
                          << QStringList{"spanningspunt", "tekens", "assenstelsel",
                                         "positieve verticale richting"};
    QTest::newRow("en 7") << 7 << en
                          << QStringList{"tensile normal stress Sxx is positive", "positive shear stress Sxy",
                                         "positive y direction", "(Sxx, Sxy)", "sign"};
    QTest::newRow("nl 8") << 8 << nl
                          << QStringList{
                                 "E-D",         "x-as",     "normaalspanning Sxx", "schuifspanning Sxy",
                                 "negatief",    "positief", "controleer",          "(-70, 50)",
                                 "naar beneden"};
    QTest::newRow("en 8") << 8 << en
                          << QStringList{
                                 "E-D",      "x-axis", "normal stress Sxx", "shear stress Sxy", "negative",
                                 "positive", "verify", "(-70,50)",          "downward"};
    QTest::newRow("nl 9") << 9 << nl
                          << QStringList{
                                 "B-C",         "x-as",     "normaalspanning Sxx", "schuifspanning Sxy",
                                 "negatief",    "positief", "controleer",          "(-30, 30)",
                                 "naar beneden"};
    QTest::newRow("en 9") << 9 << en
                          << QStringList{
                                 "B-C",      "x-axis", "normal stress Sxx", "shear stress Sxy", "negative",
                                 "positive", "verify", "(-30,30)",          "downward"};
    QTest::newRow("nl 10") << 10 << nl
                           << QStringList{"hulplijn", "middelloodlijn", "horizontale x-as", "middelpunt m"};
    QTest::newRow("en 10") << 10 << en
                           << QStringList{"dashed line", "perpendicular bisector", "horizontal x-axis",
                                          "centre m"};
    QTest::newRow("nl 12") << 12 << nl << QStringList{"richtingen-centrum", "R.C.",          "normalen",
                                                      "evenwijdig",         "spanningspunt", "cirkel"};
    QTest::newRow("en 12") << 12 << en << QStringList{"direction centre", "D.C.",         "normals",
                                                      "parallel",         "stress point", "circle"};
    QTest::newRow("nl 17") << 17 << nl
                           << QStringList{"overige vlakjes", "normaal", "cirkeldiagram", "R.C.",
                                          "evenwijdig"};
    QTest::newRow("en 17") << 17 << en
                           << QStringList{"other faces", "normal", "circle diagram", "D.C.", "parallel"};
    for (const auto& [n, face] : {std::pair{18, "A-E"}, std::pair{22, "A-B"}, std::pair{26, "C-D"}}) {
        QTest::addRow("nl %d", n) << n << nl
                                  << QStringList{
                                         face,     "R.C.",          "evenwijdig",      "normaal",
                                         "snijdt", "spanningspunt", "normaalspanning", "schuifspanning"};
        QTest::addRow("en %d", n)
            << n << en << QStringList{face,           "D.C.",        "parallel", "normal", "cuts the circle",
                                      "stress point", "shear stress"};
    }
    QTest::newRow("nl 19") << 19 << nl << QStringList{"R.C.",
                                                      "evenwijdig",
                                                      "normaal",
                                                      "x-as",
                                                      "uitwendige normaal",
                                                      "y-as",
                                                      "definitie van het assenstelsel",
                                                      "Controleer"};
    QTest::newRow("en 19") << 19 << en
                           << QStringList{"D.C.",
                                          "parallel",
                                          "normal",
                                          "x-axis",
                                          "outward normal",
                                          "y-axis",
                                          "orientation of the global coordinate system",
                                          "check the direction of the x-axis"};
    for (int n : {20, 24, 28}) {
        QTest::addRow("nl %d", n) << n << nl << QStringList{"snijpunt",
                                                            "spanningspunt",
                                                            "(lokale) x-richting",
                                                            "normaalspanning Sxx",
                                                            "schuifspanning Sxy",
                                                            "naar beneden"};
        QTest::addRow("en %d", n) << n << en
                                  << QStringList{
                                         "intersection",      "stress point",     "(local) x-direction",
                                         "normal stress Sxx", "shear stress Sxy", "Positive shear",
                                         "downward"};
    }
    QTest::newRow("nl 20+") << 20 << nl
                            << QStringList{"schuifspanning op A-E is dus negatief", "andere keuze",
                                           "y-as als uitwendige normaal van A-E"};
    QTest::newRow("en 20+") << 20 << en
                            << QStringList{"shear stress on A-E is therefore negative", "Another choice",
                                           "y-axis as the outward normal of A-E"};
    QTest::newRow("nl 28+") << 28 << nl << QStringList{"schuifspanning op C-D is dus negatief"};
    QTest::newRow("en 28+") << 28 << en << QStringList{"shear stress on C-D is therefore negative"};
    QTest::newRow("nl 21") << 21 << nl
                           << QStringList{"A-E",          "x-as",
                                          "normaal",      "-30 MPa",
                                          "drukspanning", "negatieve schuifspanning",
                                          "omhoog",       "negatieve richting van de aangenomen y-as"};
    QTest::newRow("en 21") << 21 << en
                           << QStringList{"A-E",
                                          "x-axis",
                                          "normal",
                                          "-30 MPa",
                                          "compressive stress",
                                          "negative shear stress",
                                          "upward",
                                          "as shown in the diagram"};
    QTest::newRow("nl 25") << 25 << nl
                           << QStringList{"A-B",        "x-as",         "normaal",
                                          "-110 MPa",   "drukspanning", "positieve schuifspanning van 30 MPa",
                                          "naar rechts"};
    QTest::newRow("en 25") << 25 << en << QStringList{"A-B",          "x-axis",
                                                      "normal",       "-110 MPa",
                                                      "compression",  "positive shear stress of 30 MPa",
                                                      "to the right", "as shown in the diagram"};
    QTest::newRow("nl 29")
        << 29 << nl
        << QStringList{"C-D",     "positief vlakje", "uitwendige normaal",       "positieve x-richting",
                       "100 MPa", "drukspanning",    "negatieve schuifspanning", "negatieve xy-richting"};
    QTest::newRow("en 29")
        << 29 << en
        << QStringList{"C-D",     "positive face",      "outward normal",        "positive x-direction",
                       "100 MPa", "compressive stress", "negative shear stress", "negative xy-direction"};
    QTest::newRow("nl 30") << 30 << nl
                           << QStringList{"werkelijke spanningen", "werkelijke richtingen",
                                          "evenwichtsvergelijkingen", "evenwicht"};
    QTest::newRow("en 30") << 30 << en
                           << QStringList{"actual stresses", "actual directions", "equilibrium equations",
                                          "in equilibrium"};
}

void TestWalkExplanations::describedTextsCarryTheirContent() {
    QFETCH(int, number);
    QFETCH(bool, english);
    QFETCH(QStringList, required);
    const QString text = english ? En(number) : Nl(number);
    for (const QString& part : required)
        QVERIFY2(text.contains(part, Qt::CaseInsensitive),
                 qPrintable(QString("explanation %1 lacks \"%2\": %3").arg(number).arg(part, text)));
}

// Signs and numbers that would teach the wrong thing if they crept in.
void TestWalkExplanations::describedTextsAvoidWrongContent_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QStringList>("forbidden");
    QTest::newRow("8") << 8 << QStringList{"(-30", "(70", "-50)"};
    QTest::newRow("9") << 9 << QStringList{"(-70", "(30", "-30)"};
    QTest::newRow("21") << 21
                        << QStringList{"-110", "100 MPa", "positieve schuifspanning",
                                       "positive shear stress"};
    QTest::newRow("25") << 25
                        << QStringList{"-30 MPa", "-30)", "100 MPa", "negatieve schuifspanning",
                                       "negative shear stress"};
    QTest::newRow("29") << 29
                        << QStringList{"-100 MPa", "-110", "-30 MPa", "positieve schuifspanning",
                                       "positive shear stress"};
}

void TestWalkExplanations::describedTextsAvoidWrongContent() {
    QFETCH(int, number);
    QFETCH(QStringList, forbidden);
    for (const QString& text : {Nl(number), En(number)}) {
        for (const QString& part : forbidden)
            QVERIFY2(!text.contains(part),
                     qPrintable(QString("explanation %1 has \"%2\"").arg(number).arg(part)));
    }
}

void TestWalkExplanations::faceCoordinateSystemTexts() {
    QCOMPARE(En(23), En(19));
    QVERIFY(Nl(23) != Nl(19));
    // Dutch 23 differs from Dutch 19 only in its last sentence, which asks for the blue x-axis.
    const qsizetype lastSentence19 = Nl(19).lastIndexOf(QStringLiteral(". ")) + 2;
    const qsizetype lastSentence23 = Nl(23).lastIndexOf(QStringLiteral(". ")) + 2;
    QCOMPARE(Nl(23).left(lastSentence23), Nl(19).left(lastSentence19));
    QVERIFY(Nl(23).mid(lastSentence23).contains(QStringLiteral("blauwe x-as")));
    QVERIFY(!Nl(19).contains(QStringLiteral("blauw")));
    QVERIFY(!En(19).contains(QStringLiteral("blue")));
    // The three face steps share one paragraph, each about its own face.
    QCOMPARE(Nl(22), QString(Nl(18)).replace(QStringLiteral("A-E"), QStringLiteral("A-B")));
    QCOMPARE(En(26), QString(En(18)).replace(QStringLiteral("A-E"), QStringLiteral("C-D")));
}

void TestWalkExplanations::directionCentreIsNamedPerLanguage() {
    for (int n : Numbered) {
        QVERIFY2(!Nl(n).contains(QStringLiteral("D.C.")), qPrintable(QString::number(n)));
        QVERIFY2(!En(n).contains(QStringLiteral("R.C.")), qPrintable(QString::number(n)));
    }
}

QTEST_MAIN(TestWalkExplanations)
#include "tst_walk_explanations.moc"
