#pragma once

#include "web/writer.h"

#include <QByteArray>
#include <QString>

namespace mohr {

// The web edition as a content package that learning environments import (SCORM 1.2): the manifest
// imsmanifest.xml, naming the walkthrough in both languages as one item whose page is index.html and
// listing every file, beside the edition's files.
QByteArray CourseManifest(const TWebEdition& edition);

// Writes the package to `path` as a zip that holds the same bytes every time: the manifest first, then
// the files by name, each dated SOURCE_DATE_EPOCH (1980-01-01 when it is not set) and readable by all.
// Returns an empty string, or the reason it could not.
QString WriteCoursePackage(const TWebEdition& edition, const QString& path);

} // namespace mohr
