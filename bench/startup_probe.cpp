// Linked into a copy of the real program (app/program.cpp, unchanged) so that the benchmark runs
// exactly the same start-up. It hooks in as the application object is constructed and ends the
// process once both drawing panels have had their first paint.
#include "firstpaint.h"

#include <QCoreApplication>

namespace {

void WatchBothPanels() {
    mohr::bench::ExitAfterFirstPaint({QStringLiteral("PaintBox1"), QStringLiteral("PaintBox2")});
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(WatchBothPanels)
