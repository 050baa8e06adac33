#pragma once

#include <QSet>
#include <QString>

namespace mohr::bench {

// Ends the process as soon as every named widget has handled its first paint event. The exit is
// immediate (no teardown), so the time a launcher measures from process start to exit is the time
// to the first complete picture. A window that never paints ends the process with status 2 after
// the given timeout instead of hanging the benchmark.
void ExitAfterFirstPaint(QSet<QString> widgetNames, int timeoutMs = 30000);

} // namespace mohr::bench
