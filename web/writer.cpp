#include "web/writer.h"

#include "web/recorder.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QSaveFile>

#include <utility>
#include <vector>

namespace mohr {

namespace {

QByteArray Resource(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Empty, or the system's reason why the file could not be written.
QString Write(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return {};
}

// Text for an HTML document: the few characters that would be markup, as references.
QByteArray HtmlText(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

} // namespace

QString WriteWebEdition(const QString& folder, int& files, TWebEdition* written) {
    QJsonObject data;
    QJsonObject figures;
    if (const QString problem = CollectWebData(data, figures); !problem.isEmpty())
        return problem;
    // The drawings and the panels' descriptions are read right after the page's first paint, so that the
    // first view stays small; the page waits for them only if a step comes sooner.
    const QJsonObject descriptions = data.take(QStringLiteral("descriptions")).toObject();
    if (!QDir().mkpath(folder))
        return QStringLiteral("Could not make the folder %1.").arg(QDir::toNativeSeparators(folder));

    // The page has its language and title before any script runs: the window's, as it starts.
    QByteArray page = Resource(QStringLiteral(":/web/index.html"));
    page.replace("@LANG@", "nl");
    page.replace("@TITLE@", HtmlText(data.value(QStringLiteral("texts"))
                                         .toObject()
                                         .value(QStringLiteral("start"))
                                         .toObject()
                                         .value(QStringLiteral("MainForm"))
                                         .toString()));
    // And says why it stays empty where no script runs.
    const QJsonObject scriptless = data.value(QStringLiteral("scriptless")).toObject();
    page.replace("@SCRIPTLESS_NL@", HtmlText(scriptless.value(QStringLiteral("nl")).toString()));
    page.replace("@SCRIPTLESS_EN@", HtmlText(scriptless.value(QStringLiteral("en")).toString()));

    // The page's own files as they are, the data, and the tool buttons' fine drawings, shown at their
    // normal size so that they stay sharp when zoomed.
    std::vector<std::pair<QString, QByteArray>> contents{{QStringLiteral("index.html"), page}};
    for (const QString& name : QDir(QStringLiteral(":/web")).entryList(QDir::Files, QDir::Name))
        if (name != QLatin1String("index.html"))
            contents.emplace_back(name, Resource(QStringLiteral(":/web/") + name));
    const std::pair<const char*, QByteArray> made[] = {
        {"data.js", WebDataScript("MOHRWALK_DATA", data)},
        {"figures.js", WebDataScript("MOHRWALK_FIGURES", figures)},
        {"descriptions.js", WebDataScript("MOHRWALK_DESCRIPTIONS", descriptions)},
        {"question.png", Resource(QStringLiteral(":/pictures/question@2x.png"))},
        {"sheet.png", Resource(QStringLiteral(":/pictures/sheet@2x.png"))},
        {"flags.png", Resource(QStringLiteral(":/pictures/flags@2x.png"))},
        {"icon.png", Resource(QStringLiteral(":/pictures/icon@2x.png"))},
        {"logo.jpg", Resource(QStringLiteral(":/logo.jpg"))},
    };
    for (const auto& [name, bytes] : made)
        contents.emplace_back(QLatin1String(name), bytes);
    for (const auto& [name, bytes] : contents) {
        const QString path = QDir(folder).filePath(name);
        if (bytes.isEmpty())
            return QStringLiteral("The program holds no %1 for the web edition.").arg(name);
        if (const QString problem = Write(path, bytes); !problem.isEmpty())
            return QStringLiteral("Could not write %1: %2.").arg(QDir::toNativeSeparators(path), problem);
        ++files;
    }
    if (written)
        *written = {std::move(contents), data.value(QStringLiteral("texts")).toObject()};
    return {};
}

} // namespace mohr
