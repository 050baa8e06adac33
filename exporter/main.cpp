#include "exporter/figureexport.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>

namespace {

// The platform's chatter about the invisible window (size hints, runtime folder) means nothing to the
// user of a batch program; only real failures are shown.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "mohrwalk-figures: %s\n", qPrintable(message));
}

} // namespace

// mohrwalk-figures OUTDIR: the figures of the walkthrough for lecturers, as PNG and SVG files, with
// printable handouts and an index page.
int main(int argc, char* argv[]) {
    // Every argument is the program's own: Qt is given none, so that none is taken for one of Qt's
    // options (-platform, -style, ...) and the others then for a folder.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    int qtArgc = 1;
    // A batch program: it draws off screen and needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    QApplication application(qtArgc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return mohr::RunFigureExport(arguments, out, err);
}
