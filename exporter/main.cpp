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

// mohrwalk-figures OUTDIR: the figures of the walkthrough for lecturers, as PNG and SVG files with an
// index page.
int main(int argc, char* argv[]) {
    // A batch program: it draws off screen and needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    QApplication application(argc, argv);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    QTextStream out(stdout);
    QTextStream err(stderr);
    return mohr::RunFigureExport(arguments, out, err);
}
