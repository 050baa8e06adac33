#pragma once

#include <QString>

#include <memory>

class QTemporaryDir;

namespace mohr {

// Empty when the figures can be written to `outDir`, otherwise one sentence saying why not.
QString OutputFolderProblem(const QString& outDir);

// OUTDIR written as a whole: everything goes into a private temporary folder beside it, moved into place
// by Commit, so OUTDIR never holds a partial set. Without a Commit the temporary folder is removed.
class TOutputFolder {
public:
    explicit TOutputFolder(const QString& outDir);
    ~TOutputFolder();
    TOutputFolder(const TOutputFolder&) = delete;
    TOutputFolder& operator=(const TOutputFolder&) = delete;

    // Makes the temporary folder: empty, or a sentence saying why it could not be made.
    QString Open();
    // The temporary folder to write into, once opened.
    QString Path() const;
    // Moves the finished folder into place: empty, or a sentence saying why it could not be.
    QString Commit();

private:
    QString outDir_;
    std::unique_ptr<QTemporaryDir> work_;
};

} // namespace mohr
