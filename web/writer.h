#pragma once

#include <QString>

namespace mohr {

// Writes the web edition into `folder` (made if missing): the page's own files, the pictures, and the
// data and figures taken from the running program. Returns an empty string, or a sentence saying why
// it could not; `files` counts what was written.
QString WriteWebEdition(const QString& folder, int& files);

} // namespace mohr
