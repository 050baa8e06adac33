#pragma once

#include "exporter/walk.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

class QDir;

namespace mohr {

// Writes `bytes` to `path` whole or not at all.
bool WriteFile(const QString& path, const QByteArray& bytes);
bool WritePng(const QString& path, const QImage& image);

// Writes both panels of one step into `folder`/`code`/: PNG at 1x and 2x and SVG, reporting each file
// to `written` with whether it was written.
void WriteStepFigures(const QDir& folder, const QString& code, const TStepFigures& step,
                      const std::function<void(const QString& path, bool ok)>& written);

} // namespace mohr
