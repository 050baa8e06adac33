#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <utility>
#include <vector>

namespace mohr {

// The web edition as it was written: every file by name with its bytes, in the order written, and the
// window's texts in each language (the page's data, "texts"), for whoever packs it again.
struct TWebEdition {
    std::vector<std::pair<QString, QByteArray>> Files;
    QJsonObject Texts;
};

// Writes the web edition into `folder` (made if missing): the page's own files, the pictures, and the
// data and figures taken from the running program. Returns an empty string, or a sentence saying why
// it could not; `files` counts what was written, and `written`, when given, receives it.
QString WriteWebEdition(const QString& folder, int& files, TWebEdition* written = nullptr);

} // namespace mohr
