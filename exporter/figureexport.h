#pragma once

#include "exporter/outputfolder.h"
#include "exporter/walk.h"

#include <QStringList>

class QTextStream;

namespace mohr {

// The whole program `mohrwalk-figures OUTDIR`: progress goes to `out`, a refusal or failure to `err`.
// Returns the process exit code.
int RunFigureExport(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace mohr
