#include "exporter/gallery.h"

#include <QTextStream>

namespace mohr {

const std::vector<TLanguage>& Languages() {
    static const std::vector<TLanguage> languages = {
        {TStepLanguage::Dutch, QStringLiteral("nl"), QStringLiteral("Nederlands"), QStringLiteral("Stap"),
         QStringLiteral("Tensorkring"), QStringLiteral("Tensorkring, stap voor stap"),
         QStringLiteral("Stap %1 van %2")},
        {TStepLanguage::English, QStringLiteral("en"), QStringLiteral("English"), QStringLiteral("Step"),
         QStringLiteral("Mohr circle"), QStringLiteral("Mohr\u2019s circle, step by step"),
         QStringLiteral("Step %1 of %2")},
    };
    return languages;
}

QString StepName(int index) {
    return QStringLiteral("step-%1").arg(index, 2, 10, QLatin1Char('0'));
}

QString HandoutName(const TLanguage& language) {
    return QStringLiteral("handout-%1.pdf").arg(language.Code);
}

namespace {

QString Html(const QString& text) {
    return text.toHtmlEscaped();
}

QString PanelCell(const QString& code, int index, const QString& panel, QSize size, const QString& alt) {
    const QString base = QStringLiteral("%1/%2-%3").arg(code, StepName(index), panel);
    return QStringLiteral("<td><a href=\"%1.svg\"><img src=\"%1.png\" srcset=\"%1.png 1x, %1@2x.png 2x\" "
                          "width=\"%2\" height=\"%3\" alt=\"%4\"></a></td>")
        .arg(base)
        .arg(size.width())
        .arg(size.height())
        .arg(Html(alt));
}

} // namespace

QByteArray IndexPage(const std::vector<std::pair<TLanguage, std::vector<TIndexEntry>>>& walks,
                     QSize elementSize, QSize diagramSize) {
    QString html;
    QTextStream page(&html);
    page << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         << "<title>mohrwalk: the figures of the walkthrough</title>\n<style>\n"
         << "body { font-family: \"Liberation Sans\", Arial, Helvetica, sans-serif; margin: 2em; }\n"
         << "table { border-collapse: collapse; }\n"
         << "td, th { border: 1px solid #ccc; padding: 6px; vertical-align: top; text-align: left; }\n"
         << "td.step { width: 22em; }\n"
         << ".name { font-weight: bold; }\n"
         << ".level1 .name { padding-left: 1.5em; } .level2 .name { padding-left: 3em; }\n"
         << ".explanation { white-space: pre-line; margin: 0.5em 0 0 0; }\n"
         << "img { display: block; }\n</style>\n</head>\n<body>\n"
         << "<h1>The figures of the walkthrough</h1>\n"
         << "<p>Both panels after every step, in the order of the steps, beside the step's explanation. "
         << "Each picture links to its vector drawing (SVG); the PNG files come at normal and at double "
         << "resolution (@2x).</p>\n"
         << "<p>The walkthrough itself, to take step by step in any browser (also opened from disk): "
         << "<a href=\"web/index.html\">web/index.html</a>.</p>\n";
    page << "<p>Handouts to print, A4, one page per step (PDF):";
    const char* separator = " ";
    for (const auto& [language, steps] : walks) {
        page << separator << "<a href=\"" << HandoutName(language) << "\">" << Html(language.Name) << "</a>";
        separator = ", ";
    }
    page << ".</p>\n<ul>\n";
    for (const auto& [language, steps] : walks)
        page << "<li><a href=\"#" << language.Code << "\">" << Html(language.Name) << "</a></li>\n";
    page << "</ul>\n";
    for (const auto& [language, steps] : walks) {
        page << "<section id=\"" << language.Code << "\" lang=\"" << language.Code << "\">\n<h2>"
             << Html(language.Name) << "</h2>\n<p><a href=\"" << HandoutName(language) << "\">"
             << HandoutName(language) << "</a></p>\n<table>\n"
             << "<tr><th>#</th><th>" << Html(language.StepHeading) << "</th><th>Element</th><th>"
             << Html(language.DiagramHeading) << "</th></tr>\n";
        for (const TIndexEntry& step : steps) {
            // People count the steps from 1, as the handouts and the console do.
            page << "<tr><td>" << step.Index + 1 << "</td><td class=\"step level" << step.Level
                 << "\"><div class=\"name\">" << Html(step.Text) << "</div><p class=\"explanation\">"
                 << Html(step.Explanation) << "</p></td>"
                 << PanelCell(language.Code, step.Index, QStringLiteral("element"), elementSize, step.Text)
                 << PanelCell(language.Code, step.Index, QStringLiteral("diagram"), diagramSize, step.Text)
                 << "</tr>\n";
        }
        page << "</table>\n</section>\n";
    }
    page << "</body>\n</html>\n";
    page.flush();
    return html.toUtf8();
}

} // namespace mohr
