// The figures for lecturers (mohrwalk-figures): the PNG files are the program's own panels, the SVG
// files hold the construction, the output folder is never left half written, and the packaged 32 px
// icon is the program's window icon.
#include "exporter/figureexport.h"
#include "main.h"
#include "paintbox.h"
#include "pictures.h"
#include "platform.h"
#include "testsupport.h"
#include "walkthrough/progression.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QXmlStreamReader>
#include <QtTest>

#include <unistd.h>

using namespace mohr;
using mohr::test::PixelAt;

namespace {

class TSilentPlatform : public TPlatform {
public:
    void MessageBeep() override {}
    int PrimaryScreenWidth() override { return 1024; }
    int ExecModal(QDialog*) override { return 0; }
    void Information(QWidget*, const QString& text) override { Refusals << text; }
    void Popup(QMenu*, QPoint) override {}
    QStringList Refusals;
};

// The program's panels after a student has clicked every node of one tree from top to bottom.
struct TPanels {
    QImage Element;
    QImage Diagram;
};

void PanelsAfterWholeWalk(bool english, TPanels& panels) {
    TSilentPlatform platform;
    TMainForm form(&platform);
    form.show();
    if (english)
        form.SpeedButton4Click();
    auto* tree = form.findChild<QTreeWidget*>(english ? "TreeViewUK" : "TreeView1");
    auto* element = form.findChild<TPaintBox*>("PaintBox2");
    auto* diagram = form.findChild<TPaintBox*>("PaintBox1");
    QVERIFY(tree && element && diagram);
    for (int index = 0; index <= 30; ++index) {
        tree->setCurrentItem(NodeAt(tree, index));
        if (english)
            form.TreeViewUKClick();
        else
            form.TreeView1Click();
        QApplication::processEvents();
    }
    // Whatever the last step left pending is painted, as the event loop would.
    QTRY_VERIFY_WITH_TIMEOUT(!element->RefreshPending() && !diagram->RefreshPending(), 5000);
    QCOMPARE(platform.Refusals, QStringList());
    panels = {element->LogicalImage(), diagram->LogicalImage()};
}

QImage Rgb(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

// The first position at which two images differ, or an empty string.
QString FirstDifference(const QImage& actual, const QImage& expected) {
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (PixelAt(actual, x, y) != PixelAt(expected, x, y))
                return QStringLiteral("pixel (%1, %2) is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(PixelAt(actual, x, y), 6, 16, QLatin1Char('0'))
                    .arg(PixelAt(expected, x, y), 6, 16, QLatin1Char('0'));
    return {};
}

struct TRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

TRun RunFiguresProgram(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(MOHRWALK_FIGURES_PROGRAM), arguments);
    TRun run;
    if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.ExitCode = process.exitCode();
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QStringList EntriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

// What an SVG document says about the fixed figure: its filled rectangles by fill colour and its texts.
struct TSvgContent {
    bool Parsed = false;
    QString Error;
    int Documents = 0;
    QList<QPair<QString, QRect>> FilledRects;
    QStringList Texts;

    bool Covers(const QString& fill, QPoint pixel) const {
        for (const auto& [colour, rect] : FilledRects)
            if (colour.compare(fill, Qt::CaseInsensitive) == 0 && rect.contains(pixel))
                return true;
        return false;
    }
};

TSvgContent ReadSvg(const QByteArray& bytes) {
    TSvgContent content;
    QXmlStreamReader xml(bytes);
    QStringList fills{QStringLiteral("black")};
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QXmlStreamAttributes attributes = xml.attributes();
            const QString fill =
                attributes.hasAttribute("fill") ? attributes.value("fill").toString() : fills.last();
            fills << fill;
            if (xml.name() == QLatin1String("svg"))
                ++content.Documents;
            if (xml.name() == QLatin1String("rect")) {
                const QRectF rect(attributes.value("x").toDouble(), attributes.value("y").toDouble(),
                                  attributes.value("width").toDouble(),
                                  attributes.value("height").toDouble());
                content.FilledRects.append({fill, rect.toRect()});
            }
            if (xml.name() == QLatin1String("text"))
                content.Texts << xml.readElementText().trimmed();
        }
        // readElementText leaves the reader on the end element, which ends the text's own level too.
        if (xml.tokenType() == QXmlStreamReader::EndElement && fills.size() > 1)
            fills.removeLast();
    }
    content.Parsed = !xml.hasError();
    content.Error = xml.errorString();
    return content;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void pngAfterLastStepIsTheProgramsPanel_data();
    void pngAfterLastStepIsTheProgramsPanel();
    void doubleSizePngHoldsTheSameConstruction();
    void svgHoldsCircleStressPointsAndLabels_data();
    void svgHoldsCircleStressPointsAndLabels();
    void indexShowsEveryStepInOrder();
    void refusesFoldersItMustNotWriteTo();
    void packagedIconIsTheProgramIcon();

private:
    QTemporaryDir scratch_;
    QString figures_;
    TRun run_;
};

void TestExport::initTestCase() {
    QVERIFY(scratch_.isValid());
    // An existing empty folder is accepted and filled in one step.
    figures_ = scratch_.filePath("figures");
    QVERIFY(QDir().mkpath(figures_));
    run_ = RunFiguresProgram({figures_});
    QCOMPARE(run_.Err, QString());
    QCOMPARE(run_.ExitCode, 0);
    // Progress: one line per step and language, then the summary.
    QCOMPARE(run_.Out.count(QLatin1Char('\n')), 2 * 31 + 1);
    QVERIFY(run_.Out.contains("teken de cirkel"));
    QVERIFY(run_.Out.contains("draw the circle"));
    // Nothing but the finished folder is left beside it.
    QCOMPARE(EntriesOf(scratch_.path()), QStringList{"figures"});
}

void TestExport::pngAfterLastStepIsTheProgramsPanel_data() {
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("code");
    QTest::newRow("Dutch") << false << "nl";
    QTest::newRow("English") << true << "en";
}

void TestExport::pngAfterLastStepIsTheProgramsPanel() {
    QFETCH(bool, english);
    QFETCH(QString, code);
    TPanels program;
    PanelsAfterWholeWalk(english, program);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(!program.Element.isNull() && !program.Diagram.isNull());

    const QImage element(QDir(figures_).filePath(code + "/step-30-element.png"));
    const QImage diagram(QDir(figures_).filePath(code + "/step-30-diagram.png"));
    QCOMPARE(FirstDifference(Rgb(element), Rgb(program.Element)), QString());
    QCOMPARE(FirstDifference(Rgb(diagram), Rgb(program.Diagram)), QString());

    // And that picture is the finished construction, not a blank panel: the red circle of radius 100
    // about (200, 200) and the green stress point of face E-D at (200, 300).
    QCOMPARE(PixelAt(diagram, 200, 100), colours::Red);
    QCOMPARE(PixelAt(diagram, 200, 300), colours::Green);
}

void TestExport::doubleSizePngHoldsTheSameConstruction() {
    const QImage diagram(QDir(figures_).filePath("nl/step-30-diagram@2x.png"));
    const QImage element(QDir(figures_).filePath("nl/step-30-element@2x.png"));
    QCOMPARE(diagram.size(), QSize(800, 800));
    QCOMPARE(element.size(), QSize(480, 480));
    // Panel pixel (x, y) covers image pixels (2x, 2y) to (2x + 1, 2y + 1).
    for (const QPoint& p : {QPoint(400, 200), QPoint(401, 201)})
        QCOMPARE(PixelAt(diagram, p.x(), p.y()), colours::Red);
    for (const QPoint& p : {QPoint(400, 600), QPoint(401, 601)})
        QCOMPARE(PixelAt(diagram, p.x(), p.y()), colours::Green);
    // Before the circle is drawn (node 10) the top of the circle is still blank.
    const QImage before(QDir(figures_).filePath("nl/step-10-diagram@2x.png"));
    QVERIFY(PixelAt(before, 400, 200) != colours::Red);
    const QImage after(QDir(figures_).filePath("nl/step-11-diagram@2x.png"));
    QCOMPARE(PixelAt(after, 400, 200), colours::Red);
}

void TestExport::svgHoldsCircleStressPointsAndLabels_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("directionCentre");
    QTest::newRow("Dutch") << "nl"
                           << "R.C.";
    QTest::newRow("English") << "en"
                             << "D.C.";
}

void TestExport::svgHoldsCircleStressPointsAndLabels() {
    QFETCH(QString, code);
    QFETCH(QString, directionCentre);
    const TSvgContent svg = ReadSvg(ReadAll(QDir(figures_).filePath(code + "/step-30-diagram.svg")));
    QVERIFY2(svg.Parsed, qPrintable(svg.Error));
    QCOMPARE(svg.Documents, 1);

    // The circle, red, through (200, 100) and (200, 300) about (200, 200).
    QVERIFY(svg.Covers("#ff0000", QPoint(200, 100)));
    QVERIFY(svg.Covers("#ff0000", QPoint(300, 200)));
    // The two stress points, green dots on (200, 300) and (280, 260), with their labels.
    QVERIFY(svg.Covers("#008000", QPoint(200, 300)));
    QVERIFY(svg.Covers("#008000", QPoint(280, 260)));
    for (const QString& label : {QStringLiteral("(-70; +50)"), QStringLiteral("(-30; +30)"), directionCentre})
        QVERIFY2(svg.Texts.contains(label), qPrintable(label));

    // The element panel's SVG carries the corner letters of the sample.
    const TSvgContent element = ReadSvg(ReadAll(QDir(figures_).filePath(code + "/step-30-element.svg")));
    QVERIFY2(element.Parsed, qPrintable(element.Error));
    for (const char* corner : {"A", "B", "C", "D", "E"})
        QVERIFY2(element.Texts.contains(QLatin1String(corner)), corner);

    // Before the first stress point is plotted (node 7) the diagram has neither points nor circle.
    const TSvgContent early = ReadSvg(ReadAll(QDir(figures_).filePath(code + "/step-07-diagram.svg")));
    QVERIFY(early.Parsed);
    QVERIFY(!early.Covers("#008000", QPoint(200, 300)));
    QVERIFY(!early.Covers("#ff0000", QPoint(200, 100)));
}

void TestExport::indexShowsEveryStepInOrder() {
    // 31 steps, 2 panels, 3 files each, in 2 languages, and the index page.
    int files = 0;
    for (const char* code : {"nl", "en"})
        files += EntriesOf(QDir(figures_).filePath(QLatin1String(code))).size();
    QCOMPARE(files, 31 * 2 * 3 * 2);
    QCOMPARE(EntriesOf(figures_), (QStringList{"en", "index.html", "nl"}));

    const QString index = QString::fromUtf8(ReadAll(QDir(figures_).filePath("index.html")));
    QVERIFY(!index.contains(StepMark));
    // Some steps of each tree, with the pictures of their own node, in tree order.
    const QList<QPair<QString, QString>> steps = {
        {"spanningen op vlakjes", "nl/step-00-element.png"},
        {"teken de cirkel", "nl/step-11-diagram.png"},
        {"bepaal richtingen-centrum (RC)", "nl/step-12-diagram.svg"},
        {"teken spanningen in het model", "nl/step-30-element@2x.png"},
        {"stresses on faces", "en/step-00-diagram.png"},
        {"detetermine the centre point", "en/step-10-diagram.png"},
        {"determine centre of direction (DC)", "en/step-12-element.svg"},
        {"draw stresses in the model", "en/step-30-diagram@2x.png"},
    };
    qsizetype position = 0;
    for (const auto& [text, file] : steps) {
        const qsizetype at = index.indexOf(">" + text + "<", position);
        QVERIFY2(at > position || (position == 0 && at >= 0), qPrintable(text));
        const qsizetype picture = index.indexOf(file, at);
        QVERIFY2(picture > at && index.indexOf("</tr>", at) > picture, qPrintable(file));
        position = at;
    }
}

void TestExport::refusesFoldersItMustNotWriteTo() {
    QTemporaryDir place;
    QVERIFY(place.isValid());

    // A folder that already holds something is left exactly as it was.
    const QString full = place.filePath("full");
    QVERIFY(QDir().mkpath(full));
    {
        QFile keep(QDir(full).filePath("notes.txt"));
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.write("mine");
    }
    TRun run = RunFiguresProgram({full});
    QVERIFY(run.ExitCode > 0);
    QCOMPARE(run.Out, QString());
    QCOMPARE(run.Err.count('\n'), 1);
    QVERIFY(run.Err.contains(QDir::toNativeSeparators(full)));
    QVERIFY(run.Err.contains("not empty"));
    QCOMPARE(EntriesOf(full), QStringList{"notes.txt"});

    // A file in the place of the folder.
    run = RunFiguresProgram({QDir(full).filePath("notes.txt")});
    QVERIFY(run.ExitCode > 0);
    QCOMPARE(run.Err.count('\n'), 1);
    QVERIFY(run.Err.contains("not a folder"));

    // A folder that cannot be made where it is asked for: not even root may make folders in /proc.
    run = RunFiguresProgram({"/proc/mohrwalk-figures-test"});
    QVERIFY(run.ExitCode > 0);
    QCOMPARE(run.Err.count('\n'), 1);
    QVERIFY(run.Err.contains("/proc"));
    QVERIFY(!QFileInfo::exists("/proc/mohrwalk-figures-test"));

    // A read-only folder (the permission bits do not bind root, so this case runs for other users).
    if (::geteuid() != 0) {
        const QString locked = place.filePath("locked");
        QVERIFY(QDir().mkpath(locked));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        run = RunFiguresProgram({QDir(locked).filePath("figures")});
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(run.ExitCode > 0);
        QCOMPARE(run.Err.count('\n'), 1);
        QVERIFY(run.Err.contains("not writable"));
        QCOMPARE(EntriesOf(locked), QStringList());
    }

    // No folder named, or two: the usage line, and nothing written.
    run = RunFiguresProgram({});
    QVERIFY(run.ExitCode > 0);
    QVERIFY(run.Err.startsWith("Usage: mohrwalk-figures OUTDIR"));
    run = RunFiguresProgram({place.filePath("a"), place.filePath("b")});
    QVERIFY(run.ExitCode > 0);
    QCOMPARE(EntriesOf(place.path()), QStringList{"full"});
}

void TestExport::packagedIconIsTheProgramIcon() {
    const QImage packaged(QStringLiteral(MOHRWALK_SOURCE_DIR "/packaging/org.mohrwalk.MohrWalk.png"));
    QCOMPARE(packaged.size(), QSize(32, 32));
    const QImage program = WindowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(program.size(), QSize(32, 32));
    const QImage png = packaged.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            // Transparent pixels match whatever colour they carry.
            const QRgb a = png.pixel(x, y), b = program.pixel(x, y);
            if (qAlpha(a) == 0 && qAlpha(b) == 0)
                continue;
            QVERIFY2(a == b, qPrintable(QStringLiteral("pixel (%1, %2)").arg(x).arg(y)));
        }
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
