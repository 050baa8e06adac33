#include "web/course.h"

#include <QDateTime>
#include <QFile>
#include <QXmlStreamWriter>

#include <zip.h>

#include <algorithm>

namespace mohr {

namespace {

const QString ContentPackaging = QStringLiteral("http://www.imsproject.org/xsd/imscp_rootv1p1p2");
const QString Scorm = QStringLiteral("http://www.adlnet.org/xsd/adlcp_rootv1p2");
const QString Metadata = QStringLiteral("http://www.imsglobal.org/xsd/imsmd_rootv1p2p1");
const QString Instance = QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");
const QString XmlNamespace = QStringLiteral("http://www.w3.org/XML/1998/namespace");

const QString Page = QStringLiteral("index.html");
const QString ManifestName = QStringLiteral("imsmanifest.xml");

// The window's title in one language, as the switch sets it.
QString TitleIn(const TWebEdition& edition, const char* code) {
    return edition.Texts.value(QLatin1String(code)).toObject().value(QStringLiteral("MainForm")).toString();
}

// The package's files in the order they are listed and packed: by name, so that the bytes never depend
// on the order they were written in.
std::vector<const std::pair<QString, QByteArray>*> SortedFiles(const TWebEdition& edition) {
    std::vector<const std::pair<QString, QByteArray>*> files;
    for (const auto& file : edition.Files)
        files.push_back(&file);
    std::sort(files.begin(), files.end(), [](const auto* a, const auto* b) { return a->first < b->first; });
    return files;
}

// A zip entry's date and time (MS-DOS fields, two-second steps, 1980 to 2107), from SOURCE_DATE_EPOCH
// in UTC, so that the bytes depend neither on the clock nor on the time zone.
std::pair<zip_uint16_t, zip_uint16_t> EntryTime() {
    bool valid = false;
    const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&valid);
    const QDateTime first(QDate(1980, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime last(QDate(2107, 12, 31), QTime(23, 59, 58), Qt::UTC);
    const QDateTime when =
        valid && epoch >= 0 ? std::clamp(QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC), first, last) : first;
    const QDate date = when.date();
    const QTime time = when.time();
    return {static_cast<zip_uint16_t>((time.hour() << 11) | (time.minute() << 5) | (time.second() / 2)),
            static_cast<zip_uint16_t>(((date.year() - 1980) << 9) | (date.month() << 5) | date.day())};
}

QString ZipReason(zip_error_t* error) {
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

} // namespace

QByteArray CourseManifest(const TWebEdition& edition) {
    const QString dutch = TitleIn(edition, "nl");
    const QString english = TitleIn(edition, "en");
    // Most environments show the item's one title: both languages in it.
    const QString title = dutch + QStringLiteral(" / ") + english;

    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(ContentPackaging);
    xml.writeNamespace(Scorm, QStringLiteral("adlcp"));
    xml.writeNamespace(Metadata, QStringLiteral("imsmd"));
    xml.writeNamespace(Instance, QStringLiteral("xsi"));
    xml.writeStartElement(ContentPackaging, QStringLiteral("manifest"));
    xml.writeAttribute(QStringLiteral("identifier"), QStringLiteral("org.mohrwalk.MohrWalk"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral(MOHRWALK_VERSION));
    xml.writeAttribute(Instance, QStringLiteral("schemaLocation"),
                       ContentPackaging + QStringLiteral(" imscp_rootv1p1p2.xsd ") + Metadata +
                           QStringLiteral(" imsmd_rootv1p2p1.xsd ") + Scorm +
                           QStringLiteral(" adlcp_rootv1p2.xsd"));

    xml.writeStartElement(ContentPackaging, QStringLiteral("metadata"));
    xml.writeTextElement(ContentPackaging, QStringLiteral("schema"), QStringLiteral("ADL SCORM"));
    xml.writeTextElement(ContentPackaging, QStringLiteral("schemaversion"), QStringLiteral("1.2"));
    xml.writeStartElement(Metadata, QStringLiteral("lom"));
    xml.writeStartElement(Metadata, QStringLiteral("general"));
    xml.writeStartElement(Metadata, QStringLiteral("title"));
    for (const auto& [code, text] : {std::pair{"nl", dutch}, std::pair{"en", english}}) {
        xml.writeStartElement(Metadata, QStringLiteral("langstring"));
        xml.writeAttribute(XmlNamespace, QStringLiteral("lang"), QLatin1String(code));
        xml.writeCharacters(text);
        xml.writeEndElement();
    }
    xml.writeEndElement(); // title
    xml.writeEndElement(); // general
    xml.writeEndElement(); // lom
    xml.writeEndElement(); // metadata

    xml.writeStartElement(ContentPackaging, QStringLiteral("organizations"));
    xml.writeAttribute(QStringLiteral("default"), QStringLiteral("walkthrough"));
    xml.writeStartElement(ContentPackaging, QStringLiteral("organization"));
    xml.writeAttribute(QStringLiteral("identifier"), QStringLiteral("walkthrough"));
    xml.writeTextElement(ContentPackaging, QStringLiteral("title"), title);
    xml.writeStartElement(ContentPackaging, QStringLiteral("item"));
    xml.writeAttribute(QStringLiteral("identifier"), QStringLiteral("walkthrough-item"));
    xml.writeAttribute(QStringLiteral("identifierref"), QStringLiteral("walkthrough-page"));
    xml.writeAttribute(QStringLiteral("isvisible"), QStringLiteral("true"));
    xml.writeTextElement(ContentPackaging, QStringLiteral("title"), title);
    xml.writeEndElement(); // item
    xml.writeEndElement(); // organization
    xml.writeEndElement(); // organizations

    xml.writeStartElement(ContentPackaging, QStringLiteral("resources"));
    xml.writeStartElement(ContentPackaging, QStringLiteral("resource"));
    xml.writeAttribute(QStringLiteral("identifier"), QStringLiteral("walkthrough-page"));
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("webcontent"));
    xml.writeAttribute(Scorm, QStringLiteral("scormtype"), QStringLiteral("sco"));
    // The page itself: an environment launches the file the resource names, and a start language
    // chosen in the address (#en) is the environment's to add, where it lets a launch address be edited.
    xml.writeAttribute(QStringLiteral("href"), Page);
    for (const auto* file : SortedFiles(edition)) {
        xml.writeEmptyElement(ContentPackaging, QStringLiteral("file"));
        xml.writeAttribute(QStringLiteral("href"), file->first);
    }
    xml.writeEndElement(); // resource
    xml.writeEndElement(); // resources
    xml.writeEndElement(); // manifest
    xml.writeEndDocument();
    return bytes;
}

QString WriteCoursePackage(const TWebEdition& edition, const QString& path) {
    if (std::none_of(edition.Files.begin(), edition.Files.end(),
                     [](const auto& file) { return file.first == Page; }))
        return QStringLiteral("the web edition has no %1 to launch").arg(Page);
    const QByteArray manifest = CourseManifest(edition);
    std::vector<std::pair<QString, const QByteArray*>> entries{{ManifestName, &manifest}};
    for (const auto* file : SortedFiles(edition))
        entries.emplace_back(file->first, &file->second);

    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const QString reason = ZipReason(&error);
        zip_error_fini(&error);
        return reason;
    }
    // Until it is closed, nothing is on disk: a failure leaves no file behind.
    const auto failed = [archive] {
        const QString reason = ZipReason(zip_get_error(archive));
        zip_discard(archive);
        return reason;
    };
    const auto [time, date] = EntryTime();
    for (const auto& [name, bytes] : entries) {
        // The buffers stay alive until the archive is closed: libzip reads them only then.
        zip_source_t* source = zip_source_buffer(archive, bytes->constData(), zip_uint64_t(bytes->size()), 0);
        if (!source)
            return failed();
        const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return failed();
        }
        const auto entry = zip_uint64_t(index);
        if (zip_set_file_compression(archive, entry, ZIP_CM_DEFLATE, 9) < 0 ||
            zip_file_set_dostime(archive, entry, time, date, 0) < 0 ||
            zip_file_set_external_attributes(archive, entry, 0, ZIP_OPSYS_UNIX, (0100644u << 16)) < 0)
            return failed();
    }
    if (zip_close(archive) < 0)
        return failed();
    return {};
}

} // namespace mohr
