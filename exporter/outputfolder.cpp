#include "exporter/outputfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace mohr {

namespace {

// What a whole export takes on disk, with room to spare: about 6 MB in some 400 files.
constexpr unsigned long long NeededBytes = 16ull << 20;
constexpr unsigned long long NeededFiles = 1000;

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

bool IsEmptyFolder(const QString& path) {
    return QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

QByteArray Encoded(const QString& path) {
    return QFile::encodeName(path);
}

// The folder in which OUTDIR is made.
QString ParentOf(const QString& outDir) {
    return QFileInfo(TargetOf(outDir)).absolutePath();
}

QString NotWritable(const QString& folder, int error) {
    return QStringLiteral("The folder %1 is not writable: %2.").arg(Native(folder), SystemReason(error));
}

} // namespace

QString SystemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString TargetOf(const QString& outDir) {
    const QFileInfo info(QDir::cleanPath(QFileInfo(outDir).absoluteFilePath()));
    return info.isSymLink() && info.isDir() ? info.canonicalFilePath() : info.absoluteFilePath();
}

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
        if (::access(Encoded(outDir).constData(), W_OK | X_OK) != 0)
            return NotWritable(outDir, errno);
        return {};
    }
    const QFileInfo parent(ParentOf(outDir));
    if (!parent.isDir())
        return QStringLiteral("The folder %1, in which %2 would be made, does not exist.")
            .arg(Native(parent.filePath()), Native(outDir));
    if (::access(Encoded(parent.filePath()).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("The folder %1 is not writable, so %2 cannot be written there: %3.")
            .arg(Native(parent.filePath()), Native(outDir), SystemReason(errno));
    return {};
}

TOutputFolder::~TOutputFolder() {
    Discard();
}

QString TOutputFolder::Open(const QString& outDir) {
    if (const QString problem = OutputFolderProblem(outDir); !problem.isEmpty())
        return problem;
    target_ = TargetOf(outDir);
    if (!QFileInfo(target_).isDir()) {
        // A new folder gets the mode the user's umask gives it, as mkdir(1) would.
        if (::mkdir(Encoded(target_).constData(), 0777) != 0)
            return QStringLiteral("Could not make the folder %1: %2.")
                .arg(Native(outDir), SystemReason(errno));
        madeTarget_ = true;
    }
    // Known before the long work: a file system that is full, or has no free file entries, refuses the
    // export now rather than half-way.
    struct statvfs room {};
    if (::statvfs(Encoded(target_).constData(), &room) == 0) {
        const unsigned long long bytes = static_cast<unsigned long long>(room.f_bavail) * room.f_frsize;
        // File systems without a fixed number of file entries report none at all.
        const bool countsFiles = room.f_files > 0;
        if (bytes < NeededBytes || (countsFiles && room.f_favail < NeededFiles)) {
            const QString problem =
                QStringLiteral("The folder %1 cannot take the figures: %2 (%3 MB and %4 file entries free, "
                               "about %5 MB and %6 needed).")
                    .arg(Native(outDir), SystemReason(ENOSPC))
                    .arg(bytes >> 20)
                    .arg(countsFiles ? QString::number(room.f_favail) : QStringLiteral("any"))
                    .arg(NeededBytes >> 20)
                    .arg(NeededFiles);
            Discard();
            return problem;
        }
    }
    // A short hidden name, whatever the length of the folder's own name.
    QByteArray work = Encoded(QDir(target_).filePath(QStringLiteral(".mwf-XXXXXX")));
    if (!::mkdtemp(work.data())) {
        const QString problem = NotWritable(outDir, errno);
        Discard();
        return problem;
    }
    work_ = QFile::decodeName(work);
    return {};
}

QString TOutputFolder::Commit() {
    const QStringList entries = QDir(work_).entryList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    QStringList moved;
    QString failure;
    for (const QString& entry : entries) {
        const QByteArray from = Encoded(QDir(work_).filePath(entry));
        const QByteArray to = Encoded(QDir(target_).filePath(entry));
        // Never over something that appeared in the folder meanwhile.
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
            moved << entry;
            continue;
        }
        failure = errno == EEXIST ? QStringLiteral("The folder %1 is no longer empty: %2 appeared in it "
                                                   "meanwhile.")
                                        .arg(Native(target_), entry)
                                  : QStringLiteral("Could not move %1 into the folder %2: %3.")
                                        .arg(entry, Native(target_), SystemReason(errno));
        break;
    }
    if (!failure.isEmpty()) {
        for (const QString& entry : moved) {
            const QString path = QDir(target_).filePath(entry);
            if (QFileInfo(path).isDir())
                QDir(path).removeRecursively();
            else
                QFile::remove(path);
        }
        Discard();
        return failure;
    }
    ::rmdir(Encoded(work_).constData());
    committed_ = true;
    return {};
}

void TOutputFolder::Discard() {
    if (committed_)
        return;
    if (!work_.isEmpty())
        QDir(work_).removeRecursively();
    work_.clear();
    if (madeTarget_)
        ::rmdir(Encoded(target_).constData());
    madeTarget_ = false;
}

} // namespace mohr
