#include "exporter/stepfiles.h"
#include "exporter/gallery.h"

#include <QBuffer>
#include <QDir>
#include <QSaveFile>

namespace mohr {

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

bool WritePng(const QString& path, const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return false;
    buffer.close();
    return WriteFile(path, bytes);
}

void WriteStepFigures(const QDir& folder, const QString& code, const TStepFigures& step,
                      const std::function<void(const QString& path, bool ok)>& written) {
    const QString base = folder.filePath(code + QLatin1Char('/') + StepName(step.Index));
    for (const auto& [suffix, image] :
         {std::pair{"-element.png", &step.Element}, std::pair{"-element@2x.png", &step.Element2x},
          std::pair{"-diagram.png", &step.Diagram}, std::pair{"-diagram@2x.png", &step.Diagram2x}})
        written(base + QLatin1String(suffix), WritePng(base + QLatin1String(suffix), *image));
    for (const auto& [suffix, svg] :
         {std::pair{"-element.svg", &step.ElementSvg}, std::pair{"-diagram.svg", &step.DiagramSvg}})
        written(base + QLatin1String(suffix), WriteFile(base + QLatin1String(suffix), *svg));
}

} // namespace mohr
