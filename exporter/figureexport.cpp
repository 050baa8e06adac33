#include "exporter/figureexport.h"
#include "exporter/gallery.h"
#include "exporter/handout.h"
#include "exporter/stepfiles.h"

#include <QDir>
#include <QTextStream>

#include <vector>

namespace mohr {

namespace {

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString Usage() {
    return QStringLiteral("Usage: mohrwalk-figures OUTDIR\n"
                          "       mohrwalk-figures --help | --version\n");
}

} // namespace

int RunFigureExport(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    // Options are refused before anything else, so that none is ever taken for a folder name.
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--help")) {
            out << Usage()
                << "\n"
                   "Writes both panels after every step of the walkthrough, in Dutch and in\n"
                   "English, into the new or empty folder OUTDIR: each as PNG (at 1x and 2x) and\n"
                   "as a vector drawing (SVG); a printable handout per language (handout-nl.pdf,\n"
                   "handout-en.pdf: A4, one page per step); and an index page (index.html).\n"
                   "\n"
                   "  --help     show this text and exit\n"
                   "  --version  show the version and exit\n";
            out.flush();
            return 0;
        }
        if (argument == QLatin1String("--version")) {
            out << "mohrwalk-figures " << MOHRWALK_VERSION << "\n";
            out.flush();
            return 0;
        }
        if (argument.startsWith(QLatin1Char('-'))) {
            err << "mohrwalk-figures: unknown option " << argument << "\n" << Usage();
            err.flush();
            return 2;
        }
    }
    if (arguments.size() != 1) {
        err << Usage();
        err.flush();
        return 2;
    }
    const QString outDir = arguments[0];
    if (const QString problem = OutputFolderProblem(outDir); !problem.isEmpty()) {
        err << "mohrwalk-figures: " << problem << "\n";
        err.flush();
        return 1;
    }

    TOutputFolder output(outDir);
    if (const QString problem = output.Open(); !problem.isEmpty()) {
        err << "mohrwalk-figures: " << problem << "\n";
        err.flush();
        return 1;
    }
    const QDir folder(output.Path());

    std::vector<std::pair<TLanguage, std::vector<TIndexEntry>>> walks;
    QSize elementSize;
    QSize diagramSize;
    int files = 0;
    QString failure;
    const auto written = [&](const QString& path, bool ok) {
        if (!ok && failure.isEmpty())
            failure = QStringLiteral("Could not write %1.").arg(Native(path));
        files += ok ? 1 : 0;
    };
    for (const TLanguage& language : Languages()) {
        if (!folder.mkpath(language.Code)) {
            failure =
                QStringLiteral("Could not make the folder %1.").arg(Native(folder.filePath(language.Code)));
            break;
        }
        std::vector<TIndexEntry> steps;
        THandout handout(language.HandoutTitle, language.PageOf);
        const QString walkProblem = WalkThroughSteps(language.Language, [&](const TStepFigures& step) {
            if (!failure.isEmpty())
                return;
            out << language.Code << " " << QStringLiteral("%1/%2").arg(step.Index + 1, 2).arg(step.StepCount)
                << "  " << step.Text << "\n";
            out.flush();
            elementSize = step.Element.size();
            diagramSize = step.Diagram.size();
            WriteStepFigures(folder, language.Code, step, written);
            handout.AddPage(step);
            steps.push_back({step.Index, step.Level, step.Text, step.Explanation});
        });
        if (failure.isEmpty() && !walkProblem.isEmpty())
            failure = walkProblem;
        if (failure.isEmpty()) {
            const QByteArray pdf = handout.Finish();
            const QString path = folder.filePath(HandoutName(language));
            written(path, !pdf.isEmpty() && WriteFile(path, pdf));
        }
        if (!failure.isEmpty())
            break;
        walks.emplace_back(language, std::move(steps));
    }
    if (failure.isEmpty()) {
        const QString path = folder.filePath(QStringLiteral("index.html"));
        written(path, WriteFile(path, IndexPage(walks, elementSize, diagramSize)));
    }
    if (failure.isEmpty())
        failure = output.Commit();
    if (!failure.isEmpty()) {
        err << "mohrwalk-figures: " << failure << " Nothing was written.\n";
        err.flush();
        return 1;
    }
    out << "Wrote " << files << " files to " << Native(outDir) << "; open "
        << Native(QDir(outDir).filePath(QStringLiteral("index.html"))) << ".\n";
    out.flush();
    return 0;
}

} // namespace mohr
