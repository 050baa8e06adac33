#pragma once

#include <QString>

namespace mohr {

// The folder the figures go into. A new folder is made; an existing empty one is filled and kept as it
// is (owner, mode, inode, mount). Everything is first written into a hidden work folder inside it and
// moved into place at the end, so that nothing is left unless the export succeeds.
class TOutputFolder {
public:
    TOutputFolder() = default;
    ~TOutputFolder();
    TOutputFolder(const TOutputFolder&) = delete;
    TOutputFolder& operator=(const TOutputFolder&) = delete;

    // Makes the folder if it does not exist and the work folder inside it, and checks the room on its
    // file system. Empty, or one sentence saying why the folder cannot be written.
    QString Open(const QString& outDir);
    // Where the files are written until Commit.
    QString WorkPath() const { return work_; }
    // Moves everything from the work folder into the folder. Empty, or a sentence; on failure nothing
    // of this run is left.
    QString Commit();
    // Removes what this run wrote, and the folder itself where this run made it.
    void Discard();
    bool Committed() const { return committed_; }

private:
    QString target_;
    QString work_;
    bool madeTarget_ = false;
    bool committed_ = false;
};

// Empty when the figures can be written to `outDir`, otherwise one sentence saying why not.
QString OutputFolderProblem(const QString& outDir);

// The folder that OUTDIR names, as an absolute path without a trailing separator ("out/" is "out", as
// shells complete it); a link to a folder stands for that folder.
QString TargetOf(const QString& outDir);

// The system's reason for the last failed call, as a sentence part ("No space left on device").
QString SystemReason(int error);

} // namespace mohr
