// The figures for lecturers (mohrwalk-figures): the PNG files are the program's own panels, the SVG
// files are vector drawings that lie on those pixels, the handouts hold every step's explanation and
// figures as text and shapes, options never become folders, the output folder is never left half
// written, the course package holds the web edition as its manifest says and is the same zip every
// time, and the packaged 32 px icon is the program's window icon.
#include "appwindow.h"
#include "exporter/figureexport.h"
#include "pictures.h"
#include "steptable.h"
#include "testsupport.h"
#include "walkthrough/progression.h"
#include "web/course.h"
#include "web/recorder.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QXmlStreamReader>
#include <QtTest>

#include <zip.h>

#include <csignal>
#include <ctime>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mohr;
using mohr::test::ImageDifference;
using mohr::test::PixelAt;

namespace {

// What a student sees when clicking every node of one tree from top to bottom: the explanation after
// each step, and both panels at the end.
struct TWholeWalk {
    QStringList Explanations;
    QImage Element;
    QImage Diagram;
};

void WalkWholeTree(bool english, TWholeWalk& walk) {
    test::TWindow window;
    if (english)
        window.Form.SpeedButton4Click();
    auto* tree = window.Get<QTreeWidget>(english ? "TreeViewUK" : "TreeView1");
    for (int index = 0; index < test::StepCount; ++index) {
        tree->setCurrentItem(NodeAt(tree, index));
        if (english)
            window.Form.TreeViewUKClick();
        else
            window.Form.TreeView1Click();
        QApplication::processEvents();
        walk.Explanations << window.Memo()->toPlainText();
    }
    // Whatever the last step left pending is painted, as the event loop would.
    window.Settle();
    QCOMPARE(window.Platform.Informations, QStringList());
    walk.Element = window.Element()->LogicalImage();
    walk.Diagram = window.Diagram()->LogicalImage();
}

// A step's place in its tree as a handout titles it: the texts from the topic down.
QString StepPath(int index, bool english) {
    QStringList texts;
    for (int i = index; i >= 0; i = test::StepTable[static_cast<std::size_t>(i)].Parent) {
        const test::TStepRow& row = test::StepTable[static_cast<std::size_t>(i)];
        texts.prepend(QString::fromUtf16(english ? row.English : row.Dutch));
    }
    return texts.join(QStringLiteral(" \u203A "));
}

// Words separated by single spaces, as text read back from a PDF or HTML file can be compared.
QString Words(const QString& text) {
    return text.simplified();
}

QImage Rgb(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

struct TRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

// Every export of this test is dated alike, so that two of them can be compared byte for byte.
constexpr const char* SourceDate = "1700000000"; // 2023-11-14 22:13:20 UTC

QProcessEnvironment ExportEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QLatin1String(SourceDate));
    return environment;
}

TRun Finish(QProcess& process);

TRun RunFiguresProgram(const QStringList& arguments, const QString& folder = QString(),
                       const QProcessEnvironment& environment = ExportEnvironment()) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(MOHRWALK_FIGURES_PROGRAM), arguments);
    return Finish(process);
}

// The figures program inside a shell command line, as "$0" with the arguments "$1", ...
TRun RunInShell(const QString& commandLine, const QStringList& arguments) {
    QProcess process;
    process.setProcessEnvironment(ExportEnvironment());
    process.start(QStringLiteral("bash"),
                  QStringList{"-c", commandLine, QStringLiteral(MOHRWALK_FIGURES_PROGRAM)} + arguments);
    return Finish(process);
}

TRun Finish(QProcess& process) {
    TRun run;
    if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.ExitCode = process.exitCode();
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Every file below a folder with its bytes, by relative path.
QMap<QString, QByteArray> FilesBelow(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(QDir(folder).relativeFilePath(path),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : "?");
    }
    return files;
}

struct TFolderIdentity {
    ino_t Inode = 0;
    mode_t Mode = 0;
    uid_t Owner = 0;
    bool operator==(const TFolderIdentity&) const = default;
};

TFolderIdentity IdentityOf(const QString& folder) {
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0)
        return {};
    return {info.st_ino, info.st_mode, info.st_uid};
}

QStringList EntriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

// What an SVG document holds: its shapes with the stroke they inherit, and its texts with their font.
struct TSvgContent {
    bool Parsed = false;
    QString Error;
    int Documents = 0;
    QStringList Shapes;       // element names of the drawn shapes, in order
    QStringList Strokes;      // the stroke of each shape
    QStringList Texts;        // each text's content
    QStringList TextFamilies; // each text's font family
};

TSvgContent ReadSvg(const QByteArray& bytes) {
    TSvgContent content;
    QXmlStreamReader xml(bytes);
    // The attributes in force at each open element, inherited from the groups around it.
    QList<QPair<QString, QString>> inherited{{QStringLiteral("none"), QString()}};
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QXmlStreamAttributes attributes = xml.attributes();
            QPair<QString, QString> now = inherited.last();
            if (attributes.hasAttribute("stroke"))
                now.first = attributes.value("stroke").toString();
            if (attributes.hasAttribute("font-family"))
                now.second = attributes.value("font-family").toString();
            inherited << now;
            const QString name = xml.name().toString();
            if (name == QLatin1String("svg"))
                ++content.Documents;
            if (QStringList{"rect", "circle", "ellipse", "polyline", "polygon", "path", "line"}.contains(
                    name)) {
                content.Shapes << name;
                content.Strokes << now.first;
            }
            if (name == QLatin1String("text")) {
                content.TextFamilies << now.second;
                content.Texts << xml.readElementText().trimmed();
            }
        }
        // readElementText leaves the reader on the end element, which ends the text's own level too.
        if (xml.tokenType() == QXmlStreamReader::EndElement && inherited.size() > 1)
            inherited.removeLast();
    }
    content.Parsed = !xml.hasError();
    content.Error = xml.errorString();
    return content;
}

// The SVG file drawn by Qt's own SVG renderer at `scale` times its size.
QImage RenderSvg(const QString& path, int scale) {
    QSvgRenderer renderer(path);
    const QSize size = renderer.viewBox().size() * scale;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    return image;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One entry of a zip as libzip reads it back.
struct TZipEntry {
    QString Name;
    QByteArray Bytes;
    std::time_t Time = 0; // its MS-DOS date and time taken as UTC
    zip_uint8_t System = 0;
    zip_uint32_t Attributes = 0;
};

// Every entry of the zip at `path`, in its order; empty when the zip cannot be read or is inconsistent.
QList<TZipEntry> ZipEntries(const QString& path) {
    // libzip reads an entry's date as local time.
    qputenv("TZ", "UTC");
    tzset();
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!zip)
        return {};
    QList<TZipEntry> entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        const auto index = zip_uint64_t(i);
        zip_stat_t stat;
        zip_stat_init(&stat);
        TZipEntry entry;
        zip_file_t* file =
            zip_stat_index(zip, index, 0, &stat) == 0 ? zip_fopen_index(zip, index, 0) : nullptr;
        if (file) {
            entry.Name = QString::fromUtf8(stat.name);
            entry.Time = stat.mtime;
            entry.Bytes.resize(qsizetype(stat.size));
            const bool read = zip_fread(file, entry.Bytes.data(), stat.size) == zip_int64_t(stat.size);
            zip_fclose(file);
            if (read &&
                zip_file_get_external_attributes(zip, index, 0, &entry.System, &entry.Attributes) == 0) {
                entries << entry;
                continue;
            }
        }
        entries.clear();
        break;
    }
    zip_discard(zip);
    return entries;
}

// What a package's manifest says: its organizations, items, resources and files.
struct TManifest {
    QString Error;
    QString Root;
    QString DefaultOrganization;
    QStringList Organizations;
    QStringList Items;          // "identifier -> identifierref"
    QStringList Resources;      // "identifier scormtype href"
    QStringList Files;          // each file's href, in order
    QMap<QString, QString> Lom; // language -> title
    QStringList Titles;         // the organization's and the items' titles
};

TManifest ReadManifest(const QByteArray& bytes) {
    const QString cp = QStringLiteral("http://www.imsproject.org/xsd/imscp_rootv1p1p2");
    const QString md = QStringLiteral("http://www.imsglobal.org/xsd/imsmd_rootv1p2p1");
    TManifest manifest;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString name = xml.name().toString();
        const QString ns = xml.namespaceUri().toString();
        const QXmlStreamAttributes a = xml.attributes();
        if (manifest.Root.isEmpty())
            manifest.Root = ns + u' ' + name;
        if (ns == cp && name == u"organizations")
            manifest.DefaultOrganization = a.value("default").toString();
        else if (ns == cp && name == u"organization")
            manifest.Organizations << a.value("identifier").toString();
        else if (ns == cp && name == u"item")
            manifest.Items << a.value("identifier").toString() + " -> " + a.value("identifierref").toString();
        else if (ns == cp && name == u"resource")
            manifest.Resources
                << QStringList{a.value("identifier").toString(),
                               a.value("http://www.adlnet.org/xsd/adlcp_rootv1p2", "scormtype").toString(),
                               a.value("href").toString()}
                       .join(u' ');
        else if (ns == cp && name == u"file")
            manifest.Files << a.value("href").toString();
        else if (ns == cp && name == u"title")
            manifest.Titles << xml.readElementText();
        else if (ns == md && name == u"langstring") {
            const QString lang = a.value("http://www.w3.org/XML/1998/namespace", "lang").toString();
            manifest.Lom[lang] = xml.readElementText();
        }
    }
    if (xml.hasError())
        manifest.Error = xml.errorString();
    return manifest;
}

// The page's data as data.js gives it.
QJsonObject PageData(const QString& web) {
    QByteArray script = ReadAll(QDir(web).filePath("data.js"));
    script = script.mid(script.indexOf('{'));
    script.truncate(script.lastIndexOf('}') + 1);
    return QJsonDocument::fromJson(script).object();
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void pngAfterLastStepIsTheProgramsPanel_data();
    void pngAfterLastStepIsTheProgramsPanel();
    void doubleSizePngHoldsTheSameConstruction();
    void svgIsAVectorDrawingWithSansText_data();
    void svgIsAVectorDrawingWithSansText();
    void svgShapesLieOnTheRasterPixels_data();
    void svgShapesLieOnTheRasterPixels();
    void handoutHasEveryStepWithItsExplanation_data();
    void handoutHasEveryStepWithItsExplanation();
    void indexShowsEveryStepInOrder();
    void optionsAreAnsweredOrRefusedAndWriteNothing();
    void refusesFoldersItMustNotWriteTo();
    void fillsTheUsersFolderAndKeepsIt();
    void sameProgramWritesTheSameBytes();
    void interruptedExportLeavesNothing();
    void refusesWhatWouldGoWrongBeforeTheWork();
    void packagedIconIsTheProgramIcon();
    void webPageRefersOnlyToItsOwnFiles();
    void coursePackageHoldsTheWebEditionAsItsManifestSays();
    void coursePackageIsTheSameZipEveryTime();
    void coursePackageFailuresAreReported();
    void webDataComesFromTheProgram();
    void webDataTextsAreThoseOfTheRunningWindow();

private:
    QTemporaryDir scratch_;
    QString figures_;
    TRun run_;
    TWholeWalk walks_[2]; // Dutch, English
};

void TestExport::initTestCase() {
    QVERIFY(scratch_.isValid());
    // An existing empty folder is accepted and filled in one step, also when it is named through a link
    // and with the trailing slash a shell completes it with.
    figures_ = scratch_.filePath("figures");
    QVERIFY(QDir().mkpath(figures_));
    QVERIFY(QFile::link(figures_, scratch_.filePath("link")));
    run_ = RunFiguresProgram({scratch_.filePath("link") + QLatin1Char('/')});
    QCOMPARE(run_.Err, QString());
    QCOMPARE(run_.ExitCode, 0);
    // Progress: one line per step and language, then the summary.
    QCOMPARE(run_.Out.count(QLatin1Char('\n')), 2 * 31 + 1);
    QVERIFY(run_.Out.contains("teken de cirkel"));
    QVERIFY(run_.Out.contains("draw the circle"));
    // Nothing but the finished folder (and the link to it) is left beside it.
    QCOMPARE(EntriesOf(scratch_.path()), (QStringList{"figures", "link"}));
    QVERIFY(QFileInfo(scratch_.filePath("link")).isSymLink());

    for (const bool english : {false, true}) {
        WalkWholeTree(english, walks_[english]);
        if (QTest::currentTestFailed())
            return;
    }
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
    const TWholeWalk& program = walks_[english];
    QVERIFY(!program.Element.isNull() && !program.Diagram.isNull());

    const QImage element(QDir(figures_).filePath(code + "/step-30-element.png"));
    const QImage diagram(QDir(figures_).filePath(code + "/step-30-diagram.png"));
    QCOMPARE(ImageDifference(Rgb(element), Rgb(program.Element)), QString());
    QCOMPARE(ImageDifference(Rgb(diagram), Rgb(program.Diagram)), QString());

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

void TestExport::svgIsAVectorDrawingWithSansText_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("directionCentre");
    QTest::newRow("Dutch") << "nl"
                           << "R.C.";
    QTest::newRow("English") << "en"
                             << "D.C.";
}

void TestExport::svgIsAVectorDrawingWithSansText() {
    QFETCH(QString, code);
    QFETCH(QString, directionCentre);
    const QString last = QDir(figures_).filePath(code + "/step-30-diagram.svg");
    const TSvgContent svg = ReadSvg(ReadAll(last));
    QVERIFY2(svg.Parsed, qPrintable(svg.Error));
    QCOMPARE(svg.Documents, 1);

    // Shapes, not pixels: the circle, dots and rings are circles, and the only rectangles are the
    // panel's white and the boxes of labels.
    QVERIFY(svg.Shapes.count("circle") >= 9);
    QVERIFY(svg.Strokes[svg.Shapes.indexOf("circle")] != QLatin1String("none"));
    QVERIFY(svg.Shapes.count("polyline") >= 44); // the grid's lines among them
    QVERIFY(svg.Shapes.count("rect") <= svg.Texts.size() + 1);
    // The finished construction in a small file; every one is smaller.
    QVERIFY2(QFileInfo(last).size() < 60000, qPrintable(QString::number(QFileInfo(last).size())));
    for (const QString& name : EntriesOf(QDir(figures_).filePath(code)))
        if (name.endsWith(".svg"))
            QVERIFY(QFileInfo(QDir(figures_).filePath(code + "/" + name)).size() <= QFileInfo(last).size());

    // The labels are text, in sans fonts that end in a generic family.
    for (const QString& label : {QStringLiteral("(-70; +50)"), QStringLiteral("(-30; +30)"), directionCentre})
        QVERIFY2(svg.Texts.contains(label), qPrintable(label));
    for (const QString& family : svg.TextFamilies)
        QCOMPARE(family.section(QLatin1Char(','), -1).trimmed(), QStringLiteral("sans-serif"));

    // The element panel's SVG carries the corner letters of the sample.
    const TSvgContent element = ReadSvg(ReadAll(QDir(figures_).filePath(code + "/step-30-element.svg")));
    QVERIFY2(element.Parsed, qPrintable(element.Error));
    for (const char* corner : {"A", "B", "C", "D", "E"})
        QVERIFY2(element.Texts.contains(QLatin1String(corner)), corner);

    // Before the first stress point is plotted (node 7) the diagram has neither points nor circle.
    const TSvgContent early = ReadSvg(ReadAll(QDir(figures_).filePath(code + "/step-07-diagram.svg")));
    QVERIFY(early.Parsed);
    QCOMPARE(early.Shapes.count("circle"), 0);
}

void TestExport::svgShapesLieOnTheRasterPixels_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QRect>("window");
    QTest::addColumn<Colour>("colour");
    const QRect diagram(0, 0, 400, 400);
    // The circle, drawn last at its step, with the red axis symbol's arrows and heads and the centre.
    QTest::newRow("circle") << "nl/step-11-diagram" << diagram << colours::Red;
    // Principal direction 2: a dashed arrow with its head, clear of every other navy line.
    QTest::newRow("dashed arrow") << "nl/step-16-diagram" << QRect(QPoint(100, 44), QPoint(160, 190))
                                  << colours::Navy;
    QTest::newRow("dash-dot lines") << "en/step-14-diagram" << diagram << colours::Green;
    // The face sketch of A-E: its silver bar and the silver boxes of its two labels.
    QTest::newRow("label boxes") << "nl/step-21-diagram" << QRect(QPoint(30, 105), QPoint(85, 170))
                                 << colours::Silver;
    QTest::newRow("sample") << "en/step-30-element" << QRect(0, 0, 240, 240) << colours::Navy;
}

void TestExport::svgShapesLieOnTheRasterPixels() {
    QFETCH(QString, file);
    QFETCH(QRect, window);
    QFETCH(Colour, colour);
    const QImage raster(QDir(figures_).filePath(file + ".png"));
    constexpr int Scale = 8;
    const QImage vector = RenderSvg(QDir(figures_).filePath(file + ".svg"), Scale);
    QCOMPARE(vector.size(), raster.size() * Scale);
    // Laid over the panel's own pixels, the drawing's shapes agree with them (the glyphs of texts
    // apart); a line's ink reaches half its width across it, more than half a pixel along a row.
    QCOMPARE(test::VectorRasterMismatch(raster, vector, Scale, window, {colour}, 0.75, colours::Black),
             QString());
}

void TestExport::handoutHasEveryStepWithItsExplanation_data() {
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("directionCentre");
    QTest::newRow("Dutch") << false << "nl"
                           << "R.C.";
    QTest::newRow("English") << true << "en"
                             << "D.C.";
}

void TestExport::handoutHasEveryStepWithItsExplanation() {
    QFETCH(bool, english);
    QFETCH(QString, code);
    QFETCH(QString, directionCentre);
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString handout = QDir(figures_).filePath(QStringLiteral("handout-%1.pdf").arg(code));
    QProcess process;
    process.start(pdftotext, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), handout, QStringLiteral("-")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    // One page per step, each ending in a form feed.
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
    QCOMPARE(pages.takeLast().trimmed(), QString());
    QCOMPARE(pages.size(), test::StepCount);

    // Each page in walkthrough order: the step's path as its title and the explanation the program
    // shows after it, as text.
    const TWholeWalk& walk = walks_[english];
    QCOMPARE(walk.Explanations.size(), test::StepCount);
    for (int index = 0; index < test::StepCount; ++index) {
        const QString page = Words(pages[index]);
        QVERIFY2(page.contains(Words(StepPath(index, english))), qPrintable(StepPath(index, english)));
        QVERIFY(!walk.Explanations[index].isEmpty());
        QVERIFY2(page.contains(Words(walk.Explanations[index])), qPrintable(QString::number(index)));
    }
    // The figures are drawn with their labels as text: the direction centre in the walk's language
    // from its step (12) on.
    QVERIFY(!pages[11].contains(directionCentre));
    QVERIFY(pages[30].contains(directionCentre));
    QVERIFY(pages[30].contains(QStringLiteral("(-110; 30)")));
}

void TestExport::indexShowsEveryStepInOrder() {
    // 31 steps, 2 panels, 3 files each, in 2 languages, and the index page.
    int files = 0;
    for (const char* code : {"nl", "en"})
        files += EntriesOf(QDir(figures_).filePath(QLatin1String(code))).size();
    QCOMPARE(files, 31 * 2 * 3 * 2);
    QCOMPARE(EntriesOf(figures_), (QStringList{"en", "handout-en.pdf", "handout-nl.pdf", "index.html",
                                               "mohrwalk-scorm12.zip", "nl", "web"}));

    const QString index = QString::fromUtf8(ReadAll(QDir(figures_).filePath("index.html")));
    QVERIFY(!index.contains(StepMark));
    // Steps are counted 1 to 31, as the handouts and the progress lines count them.
    QCOMPARE(index.count(QStringLiteral("<tr><td>1</td>")), 2);
    QCOMPARE(index.count(QStringLiteral("<tr><td>31</td>")), 2);
    QVERIFY(!index.contains(QStringLiteral("<tr><td>0</td>")));
    for (const char* link : {"href=\"handout-nl.pdf\"", "href=\"handout-en.pdf\"", "href=\"web/index.html\"",
                             "href=\"mohrwalk-scorm12.zip\""})
        QVERIFY2(index.contains(QLatin1String(link)), link);
    QVERIFY(
        ReadAll(QDir(figures_).filePath("en/step-30-diagram.svg")).contains("after step 31: draw stresses"));
    // Some steps of each tree, with their explanation beside the pictures of their own node, in tree
    // order.
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
        const bool english = file.startsWith("en/");
        const int step = file.mid(8, 2).toInt();
        const qsizetype explanation = index.indexOf(walks_[english].Explanations[step].toHtmlEscaped(), at);
        const qsizetype picture = index.indexOf(file, at);
        QVERIFY2(explanation > at && picture > explanation && index.indexOf("</tr>", at) > picture,
                 qPrintable(file));
        position = at;
    }
}

void TestExport::optionsAreAnsweredOrRefusedAndWriteNothing() {
    // Run in an empty folder, where an option taken for a folder name would show.
    QTemporaryDir place;
    QVERIFY(place.isValid());
    const QString folder = place.filePath("figures");

    for (const QStringList& arguments : {QStringList{"--version"}, QStringList{folder, "--version"}}) {
        const TRun run = RunFiguresProgram(arguments, place.path());
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(run.Err, QString());
        QVERIFY2(QRegularExpression("^mohrwalk-figures \\d+\\.\\d+\\.\\d+\n$").match(run.Out).hasMatch(),
                 qPrintable(run.Out));
    }
    for (const QStringList& arguments : {QStringList{"--help"}, QStringList{folder, "--help"}}) {
        const TRun run = RunFiguresProgram(arguments, place.path());
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(run.Err, QString());
        QVERIFY(run.Out.startsWith("Usage: mohrwalk-figures OUTDIR\n"));
        QVERIFY(run.Out.contains("handout-nl.pdf"));
        QVERIFY(run.Out.contains("mohrwalk-scorm12.zip"));
    }
    // Every other argument that begins with "-" is refused with the usage, before any folder; Qt's
    // own options as well, which would otherwise leave their last word to be taken for the folder.
    for (const QStringList& arguments :
         {QStringList{"-h"}, QStringList{"--versions"}, QStringList{"-"}, QStringList{"--"},
          QStringList{folder, "-v"}, QStringList{"--output", folder},
          QStringList{"-platform", "offscreen", folder}, QStringList{"-style", "fusion", folder}}) {
        const TRun run = RunFiguresProgram(arguments, place.path());
        QCOMPARE(run.ExitCode, 2);
        QCOMPARE(run.Out, QString());
        QVERIFY2(run.Err.contains("Usage: mohrwalk-figures OUTDIR\n"), qPrintable(run.Err));
    }
    QCOMPARE(EntriesOf(place.path()), QStringList());
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

void TestExport::fillsTheUsersFolderAndKeepsIt() {
    // A private folder of another user, with a long name that begins with "-": named after "--", it is
    // filled, and stays the folder it was (same inode, mode and owner).
    QTemporaryDir place;
    QVERIFY(place.isValid());
    const QString folder = place.filePath(QStringLiteral("-") + QString(247, QLatin1Char('a')));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0700) == 0);
    if (::geteuid() == 0)
        QVERIFY(::chown(QFile::encodeName(folder).constData(), 1000, 1000) == 0);
    const TFolderIdentity before = IdentityOf(folder);
    const TRun run = RunFiguresProgram({"--", folder}, place.path());
    QCOMPARE(run.Err, QString());
    QCOMPARE(run.ExitCode, 0);
    QVERIFY(IdentityOf(folder) == before);
    QCOMPARE(EntriesOf(folder), EntriesOf(figures_));
    QCOMPARE(EntriesOf(place.path()).size(), 1);
}

void TestExport::sameProgramWritesTheSameBytes() {
    // A second export, its progress cut off after one line: the closed output kills nothing, and the
    // files are the same bytes as the first export's.
    QTemporaryDir place;
    QVERIFY(place.isValid());
    const QString again = place.filePath("again");
    const TRun run =
        RunInShell(QStringLiteral("\"$0\" \"$1\" | head -n 1 >/dev/null; exit ${PIPESTATUS[0]}"), {again});
    QCOMPARE(run.Err, QString());
    QCOMPARE(run.ExitCode, 0);
    const QMap<QString, QByteArray> first = FilesBelow(figures_);
    const QMap<QString, QByteArray> second = FilesBelow(again);
    QCOMPARE(second.keys(), first.keys());
    for (auto it = first.cbegin(); it != first.cend(); ++it)
        QVERIFY2(second.value(it.key()) == it.value(), qPrintable(it.key()));
    // The handouts carry the date the build asked for, not the clock's.
    for (const char* handout : {"handout-nl.pdf", "handout-en.pdf"})
        QVERIFY2(first.value(QLatin1String(handout)).contains("/CreationDate (D:20231114221320Z)"), handout);
}

void TestExport::interruptedExportLeavesNothing() {
    QTemporaryDir place;
    QVERIFY(place.isValid());
    const QString existing = place.filePath("existing");
    QVERIFY(QDir().mkdir(existing));
    const TFolderIdentity before = IdentityOf(existing);
    QProcessEnvironment environment = ExportEnvironment();
    environment.insert(QStringLiteral("MOHRWALK_FIGURES_HOLD_AFTER_STEP"), QStringLiteral("5"));
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        for (const QString& folder : {place.filePath("new"), existing}) {
            QProcess process;
            process.setProcessEnvironment(environment);
            process.start(QStringLiteral(MOHRWALK_FIGURES_PROGRAM), {folder});
            // The export holds after its fifth step until the signal comes.
            QByteArray progress;
            while (!progress.contains(" 5/31") && process.waitForReadyRead(60000))
                progress += process.readAllStandardOutput();
            QVERIFY2(progress.contains(" 5/31"), progress.constData());
            QVERIFY(::kill(static_cast<pid_t>(process.processId()), signal) == 0);
            const TRun run = Finish(process);
            QCOMPARE(run.ExitCode, 128 + signal);
            QVERIFY2(run.Err.contains("nothing was written"), qPrintable(run.Err));
            QCOMPARE(EntriesOf(place.path()), QStringList{"existing"});
            QCOMPARE(EntriesOf(existing), QStringList());
            QVERIFY(IdentityOf(existing) == before);
        }
    }
}

void TestExport::refusesWhatWouldGoWrongBeforeTheWork() {
    QTemporaryDir place;
    QVERIFY(place.isValid());

    // No font to draw the labels with: refused, with nothing written.
    const QString config = place.filePath("fonts.conf");
    {
        QFile file(config);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM "
                   "\"fonts.dtd\">\n<fontconfig></fontconfig>\n");
    }
    QProcessEnvironment noFonts = ExportEnvironment();
    noFonts.insert(QStringLiteral("FONTCONFIG_FILE"), config);
    TRun run = RunFiguresProgram({place.filePath("figures")}, place.path(), noFonts);
    QCOMPARE(run.ExitCode, 1);
    QVERIFY2(run.Err.contains("font"), qPrintable(run.Err));
    QCOMPARE(EntriesOf(place.path()), QStringList{"fonts.conf"});

    // A name that is no valid text is refused, not written under another name.
    run = RunInShell(QStringLiteral("cd \"$1\" && \"$0\" $'bad\\xffname'"), {place.path()});
    QCOMPARE(run.ExitCode, 2);
    QVERIFY2(run.Err.contains("not valid text"), qPrintable(run.Err));
    QCOMPARE(EntriesOf(place.path()), QStringList{"fonts.conf"});

    // The help that cannot be written is a failure.
    QProcess help;
    help.setStandardOutputFile(QStringLiteral("/dev/full"));
    help.start(QStringLiteral(MOHRWALK_FIGURES_PROGRAM), {"--help"});
    run = Finish(help);
    QCOMPARE(run.ExitCode, 1);
    QVERIFY2(run.Err.contains("No space left on device"), qPrintable(run.Err));

    // A file system without room: refused at once with the system's reason, the folder kept empty.
    // Mounting needs root; elsewhere this case is left out.
    const QString small = place.filePath("small");
    QVERIFY(QDir().mkdir(small));
    if (::geteuid() == 0 &&
        ::mount("tmpfs", QFile::encodeName(small).constData(), "tmpfs", 0, "size=1m") == 0) {
        run = RunFiguresProgram({small});
        const QStringList left = EntriesOf(small);
        ::umount(QFile::encodeName(small).constData());
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(run.Out, QString());
        QVERIFY2(run.Err.contains("No space left on device"), qPrintable(run.Err));
        QCOMPARE(left, QStringList());
    }
}

void TestExport::webPageRefersOnlyToItsOwnFiles() {
    // The page works from disk with no network: everything it names is a file of its own folder, and its
    // policy allows nothing else and no script of its own text.
    const QString web = QDir(figures_).filePath("web");
    const QString page = QString::fromUtf8(ReadAll(QDir(web).filePath("index.html")));
    QVERIFY(page.contains("<title>KS1150 : Tensorkring</title>"));
    QVERIFY(page.contains("<html lang=\"nl\">"));
    QVERIFY(page.contains("default-src 'self'; script-src 'self';"));
    QVERIFY(!page.contains("@"));
    const QRegularExpression reference(QStringLiteral("(?:src|href)=\"([^\"]*)\""));
    int references = 0;
    for (auto it = reference.globalMatch(page); it.hasNext(); ++references) {
        const QString target = it.next().captured(1);
        QVERIFY2(!target.contains(':') && !target.startsWith('/') && !target.contains(".."),
                 qPrintable(target));
        QVERIFY2(QFileInfo::exists(QDir(web).filePath(target)), qPrintable(target));
    }
    QVERIFY(references >= 8);
    // The first view reads the page and what it names; the drawings and descriptions come after the first
    // paint. Both stay within their bounds, the whole folder within 1 MiB.
    qint64 firstView = page.toUtf8().size();
    QString scripts;
    QStringList pageScripts = QDir(web).entryList({"*.js"}, QDir::Files);
    pageScripts.removeOne(QStringLiteral("figures.js"));
    pageScripts.removeOne(QStringLiteral("descriptions.js"));
    for (const QString& script : pageScripts) {
        QVERIFY2(page.contains(QStringLiteral("<script src=\"%1\" defer>").arg(script)), qPrintable(script));
        if (script != QLatin1String("data.js"))
            scripts += QString::fromUtf8(ReadAll(QDir(web).filePath(script)));
    }
    for (const QString& file : pageScripts + QStringList{"mohrwalk.css", "icon.png", "logo.jpg",
                                                         "question.png", "sheet.png", "flags.png"})
        firstView += QFileInfo(QDir(web).filePath(file)).size();
    QVERIFY2(firstView <= 200 * 1000, qPrintable(QString::number(firstView)));
    qint64 all = 0;
    for (const QByteArray& bytes : FilesBelow(web))
        all += bytes.size();
    QVERIFY2(all <= 1024 * 1024, qPrintable(QString::number(all)));
    for (const char* later : {"figures.js", "descriptions.js"})
        QVERIFY2(scripts.contains(QLatin1String(later)) &&
                     QFileInfo::exists(QDir(web).filePath(QLatin1String(later))),
                 later);
    // No inline script: every script is a file.
    QCOMPARE(page.count("<script"), page.count("<script src="));
    // Where no script runs, the page says so in both languages, in the words the data holds.
    QByteArray dataScript = ReadAll(QDir(web).filePath("data.js"));
    dataScript = dataScript.mid(dataScript.indexOf('{'));
    dataScript.chop(dataScript.size() - dataScript.lastIndexOf('}') - 1);
    const QJsonObject scriptless = QJsonDocument::fromJson(dataScript)[u"scriptless"].toObject();
    const QString noscript =
        page.section(QStringLiteral("<noscript>"), 1).section(QStringLiteral("</noscript>"), 0, 0);
    for (const char* code : {"nl", "en"}) {
        const QString sentence = scriptless[QLatin1String(code)].toString();
        QVERIFY2(sentence.endsWith('.') && sentence.contains(QLatin1String("JavaScript")), code);
        QVERIFY2(
            noscript.contains(
                QStringLiteral("<p lang=\"%1\">%2</p>").arg(QLatin1String(code), sentence.toHtmlEscaped())),
            qPrintable(noscript));
    }
    // The script and the data are the program's: the title and the first step as the window has them.
    QVERIFY(ReadAll(QDir(web).filePath("data.js")).startsWith("window.MOHRWALK_DATA = {"));
    QVERIFY(QString::fromUtf8(ReadAll(QDir(web).filePath("data.js")))
                .contains(walks_[0].Explanations[0].left(40)));
}

void TestExport::coursePackageHoldsTheWebEditionAsItsManifestSays() {
    const QString web = QDir(figures_).filePath("web");
    const QList<TZipEntry> entries = ZipEntries(QDir(figures_).filePath("mohrwalk-scorm12.zip"));
    QVERIFY(!entries.isEmpty());
    QCOMPARE(entries.first().Name, QStringLiteral("imsmanifest.xml"));
    // The web edition's files exactly, each as written in web/, beside the manifest; flat, so that no
    // name can lead outside the package. Dated as the build asked, readable by all, in name order.
    const QMap<QString, QByteArray> written = FilesBelow(web);
    QStringList names;
    for (const TZipEntry& entry : entries) {
        QVERIFY2(entry.Time == 1700000000, qPrintable(entry.Name));
        QCOMPARE(entry.System, zip_uint8_t(ZIP_OPSYS_UNIX));
        QCOMPARE(entry.Attributes, zip_uint32_t(0100644u << 16));
        if (entry.Name == u"imsmanifest.xml")
            continue;
        QVERIFY2(QRegularExpression("^[A-Za-z0-9][A-Za-z0-9._-]*$").match(entry.Name).hasMatch(),
                 qPrintable(entry.Name));
        QVERIFY2(written.value(entry.Name) == entry.Bytes, qPrintable(entry.Name));
        names << entry.Name;
    }
    QCOMPARE(names, written.keys());

    // One organization, the default, with one item whose resource is a SCO launched at the page, which
    // lists every file of the package and nothing else.
    const QByteArray bytes = entries.first().Bytes;
    const TManifest manifest = ReadManifest(bytes);
    QCOMPARE(manifest.Error, QString());
    QCOMPARE(manifest.Root, QStringLiteral("http://www.imsproject.org/xsd/imscp_rootv1p1p2 manifest"));
    QCOMPARE(manifest.Organizations, QStringList{manifest.DefaultOrganization});
    QCOMPARE(manifest.Items.size(), 1);
    const QString resource = manifest.Items.first().section(QStringLiteral(" -> "), 1);
    QCOMPARE(manifest.Resources, QStringList{resource + QStringLiteral(" sco index.html")});
    QCOMPARE(manifest.Files, names);
    // The titles are the window's in each language, as the page's data holds them.
    const QJsonObject texts = PageData(web)[u"texts"].toObject();
    const QString dutch = texts[u"nl"][u"MainForm"].toString();
    const QString english = texts[u"en"][u"MainForm"].toString();
    QCOMPARE(english, QStringLiteral("KS2170 : Mohr\u2019s circle"));
    QCOMPARE(manifest.Lom, (QMap<QString, QString>{{"nl", dutch}, {"en", english}}));
    QCOMPARE(manifest.Titles.size(), 2);
    for (const QString& title : manifest.Titles)
        QVERIFY2(title.contains(dutch) && title.contains(english), qPrintable(title));

    // Well-formed to an XML tool of its own, too.
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty())
        QSKIP("xmllint (libxml2-utils) is not installed");
    QTemporaryDir place;
    QVERIFY(place.isValid());
    QFile file(place.filePath("imsmanifest.xml"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    QProcess lint;
    lint.start(xmllint, {QStringLiteral("--noout"), file.fileName()});
    const TRun run = Finish(lint);
    QCOMPARE(run.Err, QString());
    QCOMPARE(run.ExitCode, 0);
}

void TestExport::coursePackageIsTheSameZipEveryTime() {
    // With SOURCE_DATE_EPOCH, sameProgramWritesTheSameBytes compares it with the rest. Without it, the
    // date is a fixed one, not the clock's, in any time zone: an export in one zone and the same files
    // packed again here, in another and some seconds later, are the same bytes.
    QTemporaryDir place;
    QVERIFY(place.isValid());
    QProcessEnvironment environment = ExportEnvironment();
    environment.remove(QStringLiteral("SOURCE_DATE_EPOCH"));
    environment.insert(QStringLiteral("TZ"), QStringLiteral("Asia/Tokyo"));
    const QString folder = place.filePath("figures");
    const TRun exported = RunFiguresProgram({folder}, QString(), environment);
    QCOMPARE(exported.Err, QString());
    QCOMPARE(exported.ExitCode, 0);
    const QString zip = QDir(folder).filePath("mohrwalk-scorm12.zip");
    const QList<TZipEntry> entries = ZipEntries(zip);
    QVERIFY(entries.size() > 10);
    for (const TZipEntry& entry : entries)
        QVERIFY2(entry.Time == 315532800, qPrintable(entry.Name)); // 1980-01-01 00:00 UTC
    const QString web = QDir(folder).filePath("web");
    TWebEdition again{{}, PageData(web)[u"texts"].toObject()};
    for (const auto& [name, bytes] : FilesBelow(web).asKeyValueRange())
        again.Files.emplace_back(name, bytes);
    qunsetenv("SOURCE_DATE_EPOCH");
    const QString packed = place.filePath("again.zip");
    QCOMPARE(WriteCoursePackage(again, packed), QString());
    QVERIFY(ReadAll(packed) == ReadAll(zip));
    // The date follows SOURCE_DATE_EPOCH, also one before the zip format's first day.
    const TWebEdition edition{{{QStringLiteral("index.html"), "<!DOCTYPE html>"}}, {}};
    for (const auto& [epoch, expected] : {std::pair{"1700000001", 1700000000}, std::pair{"12", 315532800}}) {
        qputenv("SOURCE_DATE_EPOCH", epoch);
        const QString path = place.filePath(QStringLiteral("dated.zip"));
        QCOMPARE(WriteCoursePackage(edition, path), QString());
        const QList<TZipEntry> entries = ZipEntries(path);
        QCOMPARE(entries.size(), 2);
        for (const TZipEntry& entry : entries)
            QCOMPARE(entry.Time, std::time_t(expected));
    }
    qunsetenv("SOURCE_DATE_EPOCH");
}

void TestExport::coursePackageFailuresAreReported() {
    // A package that cannot be written says why and leaves nothing; one without its page is refused.
    QTemporaryDir place;
    QVERIFY(place.isValid());
    const TWebEdition edition{{{QStringLiteral("index.html"), "<!DOCTYPE html>"}}, {}};
    for (const QString& path :
         {place.filePath("missing/mohrwalk-scorm12.zip"), QStringLiteral("/proc/mohrwalk-scorm12.zip")}) {
        const QString reason = WriteCoursePackage(edition, path);
        QVERIFY2(!reason.isEmpty(), qPrintable(path));
        QVERIFY(!QFileInfo::exists(path));
    }
    QCOMPARE(EntriesOf(place.path()), QStringList());
    const QString path = place.filePath("empty.zip");
    QVERIFY(WriteCoursePackage(TWebEdition{{{QStringLiteral("page.html"), "x"}}, {}}, path)
                .contains("index.html"));
    QVERIFY(!QFileInfo::exists(path));
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

namespace {

QJsonObject Collected(QJsonObject* figures = nullptr, const std::function<void(QWidget&)>& prepare = {}) {
    QJsonObject data;
    QJsonObject ownFigures;
    const QString problem = CollectWebData(data, figures ? *figures : ownFigures, prepare);
    if (!problem.isEmpty())
        qWarning("%s", qPrintable(problem));
    return problem.isEmpty() ? data : QJsonObject();
}

// The page's panels as its script keeps them, run on the exported data alone: what each drawing
// finds and leaves on the canvases and the save slot. A drawing the data has no entry for is a fault.
class TPageModel {
public:
    TPageModel(const QJsonObject& data, const QJsonObject& figures) : data_(data), figures_(figures) {
        Restart();
        const QJsonObject start = figures_[u"start"].toObject();
        canvas_[Element] = start[u"canvas"][Element].toInt();
        canvas_[Diagram] = start[u"canvas"][Diagram].toInt();
        slot_ = start[u"slot"].toInt();
    }

    QStringList Missing;
    int Draws = 0;

    void Restart() {
        layers_.clear();
        options_ = true;
        taken_ = 0;
        pending_ = {Element, Diagram};
        Settle();
    }
    void SwitchLanguage() {
        english_ = !english_;
        Restart();
    }
    void Step(int row) {
        if (row <= taken_) {
            taken_ = std::max(taken_, row + 1);
            for (const QJsonValue& value : data_[u"steps"][Code()].toArray()[row].toArray()) {
                const QJsonArray action = value.toArray();
                const QString kind = action[0].toString();
                if (kind == u"draw" && (action[2].isNull() || !layers_.value(action[2].toString())))
                    Draw(action[1].toString());
                else if (kind == u"options")
                    options_ = action[1].toBool();
                else if (kind == u"layer")
                    layers_[action[1].toString()] = action[2].toBool();
                else if (kind == u"refresh")
                    pending_.insert(action[1].toString());
            }
        }
        Settle();
    }
    void Grid(bool on) {
        pending_.insert(Diagram);
        layers_[QStringLiteral("DiagramGrid")] = on;
        Replay(Diagram);
        Settle();
    }
    int Taken() const { return taken_; }

private:
    static inline const QString Element = QStringLiteral("PaintBox2");
    static inline const QString Diagram = QStringLiteral("PaintBox1");

    QString Code() const { return english_ ? QStringLiteral("en") : QStringLiteral("nl"); }

    void Draw(const QString& op) {
        ++Draws;
        const QJsonObject entry = figures_[u"ops"][op].toObject();
        const QString panel = entry[u"panel"].toString();
        const QString state = QStringLiteral("%1|%2|").arg(canvas_[panel]).arg(slot_);
        const QJsonObject by = entry[u"by"].toObject();
        QJsonArray result = by[state + Code()].toArray();
        if (result.isEmpty())
            result = by[state + u'*'].toArray();
        if (result.size() != 3 || result[0].toInt() >= figures_[u"fragments"].toArray().size()) {
            Missing << op + u' ' + state + Code();
            return;
        }
        canvas_[panel] = result[1].toInt();
        slot_ = result[2].toInt();
        if (!entry[u"sets"].isNull())
            layers_[entry[u"sets"].toString()] = true;
    }
    void Replay(const QString& panel) {
        for (const QJsonValue& value : data_[u"replay"][panel].toArray()) {
            const QJsonArray entry = value.toArray();
            if (layers_.value(entry[0].toString()))
                Draw(entry[1].toString().replace(QStringLiteral("{options}"),
                                                 options_ ? QStringLiteral("1") : QStringLiteral("0")));
        }
    }
    void Settle() {
        for (const QString& panel : {Element, Diagram}) {
            if (!pending_.contains(panel))
                continue;
            const QJsonValue erased = figures_[u"erase"][QString::number(canvas_[panel])];
            if (erased.isUndefined())
                Missing << QStringLiteral("erase %1").arg(canvas_[panel]);
            canvas_[panel] = erased.toInt();
            Replay(panel);
        }
        pending_.clear();
    }

    const QJsonObject& data_;
    const QJsonObject& figures_;
    QHash<QString, bool> layers_;
    QHash<QString, int> canvas_;
    QSet<QString> pending_;
    int slot_ = 0;
    bool options_ = true;
    bool english_ = false;
    int taken_ = 0;
};

} // namespace

void TestExport::webDataComesFromTheProgram() {
    QJsonObject figures;
    const QJsonObject data = Collected(&figures);
    QVERIFY(!data.isEmpty());
    if (const QByteArray folder = qgetenv("MOHRWALK_WEBDATA_DUMP"); !folder.isEmpty()) {
        QFile dataFile(QString::fromLocal8Bit(folder) + QStringLiteral("/data.js"));
        QVERIFY(dataFile.open(QIODevice::WriteOnly));
        dataFile.write(WebDataScript("MOHRWALK_DATA", data));
        QFile figuresFile(QString::fromLocal8Bit(folder) + QStringLiteral("/figures.js"));
        QVERIFY(figuresFile.open(QIODevice::WriteOnly));
        figuresFile.write(WebDataScript("MOHRWALK_FIGURES", figures));
    }

    // The trees in pre-order, with the desktop's texts and levels; every row's program shows one of
    // the explanations.
    for (const char* code : {"nl", "en"}) {
        const QJsonArray rows = data[u"trees"][QLatin1String(code)].toArray();
        QCOMPARE(rows.size(), test::StepCount);
        const QJsonArray programs = data[u"steps"][QLatin1String(code)].toArray();
        QCOMPARE(programs.size(), test::StepCount);
        for (int i = 0; i < test::StepCount; ++i) {
            const test::TStepRow& row = test::StepTable[std::size_t(i)];
            QCOMPARE(rows[i][u"text"].toString(),
                     QString::fromUtf16(code == std::string_view("en") ? row.English : row.Dutch));
            QCOMPARE(rows[i][u"level"].toInt(), row.Level);
            int adds = 0;
            for (const QJsonValue& action : programs[i].toArray())
                if (action[0].toString() == u"add") {
                    ++adds;
                    QVERIFY(
                        !data[u"explanations"][QLatin1String(code)][action[1].toInt()].toString().isEmpty());
                }
            QCOMPARE(adds, 1);
        }
    }
    QCOMPARE(data[u"refusal"][u"en"].toString(), QStringLiteral("No jumps allowed in the list !"));

    // Every drawing the page can be asked for has its fragment and next states: the whole walk in both
    // languages with the grid switched, then a few hundred seeded random actions.
    TPageModel page(data, figures);
    for (int round = 0; round < 2; ++round) {
        for (int row = 0; row < test::StepCount; ++row) {
            page.Step(row);
            if (row == 6 || row == 20)
                page.Grid(row == 20);
        }
        page.SwitchLanguage();
    }
    QRandomGenerator random(20261209);
    for (int action = 0; action < 600; ++action) {
        const int kind = random.bounded(20);
        if (kind == 0)
            page.Restart();
        else if (kind == 1)
            page.SwitchLanguage();
        else if (kind == 2)
            page.Grid(random.bounded(2) == 1);
        else if (kind < 8)
            page.Step(random.bounded(std::max(1, page.Taken())));
        else
            page.Step(std::min(page.Taken(), test::StepCount - 1));
    }
    QVERIFY(page.Draws > 500);
    // The labels are real text in the fragments, both direction-centre labels among them.
    const QByteArray fragments =
        QJsonDocument(figures[u"fragments"].toArray()).toJson(QJsonDocument::Compact);
    for (const char* label : {"\"Syx\"", "\"R.C.\"", "\"D.C.\"", "\"m\""})
        QVERIFY2(fragments.contains(label), label);
    QCOMPARE(page.Missing, QStringList());

    // Both files stay well within what a first view may read; the page's own files are small.
    const QByteArray dataScript = WebDataScript("MOHRWALK_DATA", data);
    const QByteArray figuresScript = WebDataScript("MOHRWALK_FIGURES", figures);
    QVERIFY2(dataScript.size() <= 150 * 1000, QByteArray::number(dataScript.size()).constData());
    QVERIFY2(dataScript.size() + figuresScript.size() <= 600 * 1024,
             QByteArray::number(dataScript.size() + figuresScript.size()).constData());
}

void TestExport::webDataTextsAreThoseOfTheRunningWindow() {
    // A row and a caption changed in the window show in the data; the row keeps its step's key.
    // So does a command's key that the page keeps from the desktop (the menu key on the diagram); one a
    // browser or a reader keeps for itself is the page's own, whatever the desktop's is.
    const QJsonObject data = Collected(nullptr, [](QWidget& form) {
        auto* tree = form.findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
        NodeAt(tree, 6)->setText(0, QStringLiteral("teken grid (nieuw)"));
        form.findChild<QGroupBox*>(QStringLiteral("GroupBox4"))->setTitle(QStringLiteral("Toelichting"));
        form.findChild<QAbstractButton*>(QStringLiteral("SpeedButton1"))->setShortcut(Qt::SHIFT | Qt::Key_F2);
        form.findChild<QAction*>(QStringLiteral("GridMenuKey"))->setShortcuts({QKeySequence(Qt::Key_Menu)});
    });
    QVERIFY(!data.isEmpty());
    QCOMPARE(data[u"trees"][u"nl"][6][u"text"].toString(), QStringLiteral("teken grid (nieuw)"));
    QCOMPARE(data[u"texts"][u"start"][u"GroupBox4"].toString(), QStringLiteral("Toelichting"));
    QCOMPARE(data[u"trees"][u"en"][6][u"text"].toString(), QStringLiteral("draw grid"));
    const QJsonObject commands = data[u"keys"][u"commands"].toObject();
    QCOMPARE(commands[u"SpeedButton1"].toArray(), QJsonArray{"Shift+F1"});
    QCOMPARE(commands[u"GridMenuKey"].toArray(), QJsonArray{"ContextMenu"});
    QCOMPARE(commands[u"SpeedButton2"].toArray(), QJsonArray{"Alt+Shift+N"});
    // The page has no exit and always shows its keys.
    QVERIFY(!commands.contains(u"SpeedButton3") && !commands.contains(u"KeysOverview"));
    const auto line = [&](const char* lang, const QString& does) {
        for (const QJsonValue& entry : data[u"keys"][QLatin1String(lang)].toArray())
            if (entry[1].toString() == does)
                return entry[0].toString();
        return QStringLiteral("(none)");
    };
    QCOMPARE(line("nl", QStringLiteral("over het programma")), QStringLiteral("Shift+F1"));
    QCOMPARE(line("en", QStringLiteral("about")), QStringLiteral("Shift+F1"));
    QCOMPARE(line("en", QStringLiteral("restart")), QStringLiteral("Alt+Shift+N"));
    QCOMPARE(line("nl", QStringLiteral("op de tensorkring: het gridmenu openen")), QStringLiteral("Menu"));
    QCOMPARE(line("nl", QStringLiteral("afsluiten")), QStringLiteral("(none)"));
    QCOMPARE(line("nl", QStringLiteral("in de stappen: de stap van de regel nemen")),
             QStringLiteral("Return, Enter, Space"));
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
