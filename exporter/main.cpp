#include "exporter/figureexport.h"
#include "exporter/interrupts.h"

#include <QApplication>
#include <QFile>
#include <QHashSeed>
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
    mohr::CatchInterrupts();
    // The same program writes the same bytes: the order of the handouts' font objects follows Qt's hash
    // tables, which are otherwise seeded anew in every process.
    QHashSeed::setDeterministicGlobalSeed();
    // Every argument is the program's own: Qt is given none, so that none is taken for one of Qt's
    // options (-platform, -style, ...) and the others then for a folder.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        // A name that is no valid text in the system's encoding would be written somewhere else than
        // asked: it is refused instead.
        if (QFile::encodeName(QFile::decodeName(bytes)) != bytes) {
            std::fprintf(stderr,
                         "mohrwalk-figures: The argument \"%s\" is not valid text in this system's character "
                         "encoding; give the folder a name made of valid characters.\n",
                         QFile::decodeName(bytes).toLocal8Bit().constData());
            return 2;
        }
        arguments << QFile::decodeName(bytes);
    }
    int qtArgc = 1;
    // A batch program: it draws off screen and needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    QApplication application(qtArgc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return mohr::RunFigureExport(arguments, out, err);
}
