#include "exporter/outputfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace mohr {

namespace {

bool IsEmptyFolder(const QString& path) {
    return QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The folder that OUTDIR names, as an absolute path without a trailing separator ("out/" is "out", as
// shells complete it). A link to a folder stands for that folder: it is the folder that gets replaced.
QString TargetOf(const QString& outDir) {
    const QFileInfo info(QDir::cleanPath(QFileInfo(outDir).absoluteFilePath()));
    return info.isSymLink() && info.isDir() ? info.canonicalFilePath() : info.absoluteFilePath();
}

// The folder in which OUTDIR is made or replaced.
QString ParentOf(const QString& outDir) {
    return QFileInfo(TargetOf(outDir)).absolutePath();
}

// The mode a new folder gets from the user's umask, for the finished output folder (the temporary
// folder is private while it is being written).
mode_t NewFolderMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0777 & ~mask;
}

} // namespace

QString OutputFolderProblem(const QString& outDir) {
    if (outDir.isEmpty())
        return QStringLiteral("The output folder name is empty.");
    const QFileInfo info(outDir);
    if (info.exists() || info.isSymLink()) {
        if (!info.isDir())
            return QStringLiteral("%1 is not a folder.").arg(Native(outDir));
        if (!IsEmptyFolder(outDir))
            return QStringLiteral(
                       "The folder %1 is not empty; give a new or empty folder, so that nothing is "
                       "overwritten.")
                .arg(Native(outDir));
        if (::access(QFile::encodeName(outDir).constData(), W_OK | X_OK) != 0)
            return QStringLiteral("The folder %1 is not writable.").arg(Native(outDir));
    }
    const QFileInfo parent(ParentOf(outDir));
    if (!parent.isDir())
        return QStringLiteral("The folder %1, in which %2 would be made, does not exist.")
            .arg(Native(parent.filePath()), Native(outDir));
    if (::access(QFile::encodeName(parent.filePath()).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("The folder %1 is not writable, so %2 cannot be written there.")
            .arg(Native(parent.filePath()), Native(outDir));
    return {};
}

TOutputFolder::TOutputFolder(const QString& outDir) : outDir_(outDir) {}

TOutputFolder::~TOutputFolder() = default;

QString TOutputFolder::Open() {
    const QString parent = ParentOf(outDir_);
    work_ = std::make_unique<QTemporaryDir>(
        QDir(parent).filePath(QStringLiteral(".%1-XXXXXX").arg(QFileInfo(TargetOf(outDir_)).fileName())));
    if (!work_->isValid()) {
        work_.reset();
        return QStringLiteral("The folder %1 is not writable, so %2 cannot be written there.")
            .arg(Native(parent), Native(outDir_));
    }
    return {};
}

QString TOutputFolder::Path() const {
    return work_ ? work_->path() : QString();
}

QString TOutputFolder::Commit() {
    if (!work_)
        return QStringLiteral("Could not move the figures into %1.").arg(Native(outDir_));
    ::chmod(QFile::encodeName(work_->path()).constData(), NewFolderMode());
    // rename() replaces an empty folder in one step and refuses one that filled up meanwhile.
    if (::rename(QFile::encodeName(work_->path()).constData(),
                 QFile::encodeName(TargetOf(outDir_)).constData()) == 0) {
        work_->setAutoRemove(false);
        return {};
    }
    if (errno == ENOTEMPTY || errno == EEXIST)
        return QStringLiteral("The folder %1 is not empty; give a new or empty folder, so that nothing is "
                              "overwritten.")
            .arg(Native(outDir_));
    return QStringLiteral("Could not move the figures into %1: %2.")
        .arg(Native(outDir_), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace mohr
