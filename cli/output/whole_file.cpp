// SPDX-License-Identifier: MIT
#include "whole_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryFile>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace q42::ctl {

namespace {

// 0 once every byte is written, else the system's error.
int WriteAll(int handle, const char* data, qint64 size)
{
    while (size > 0) {
#ifdef _WIN32
        const auto chunk = static_cast<unsigned>(std::min<qint64>(size, 1 << 30));
        const int written = _write(handle, data, chunk);
#else
        const ssize_t written = ::write(handle, data, static_cast<size_t>(size));
#endif
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data += written;
        size -= written;
    }
    return 0;
}

// On the disk, not only in the system's cache: a kept file must outlive a power cut right after it.
int SyncHandle(int handle)
{
#ifdef _WIN32
    return _commit(handle) == 0 ? 0 : errno;
#else
    return ::fsync(handle) == 0 ? 0 : errno;
#endif
}

// The rename itself on the disk too; where the system cannot sync a folder, nothing more can be done.
void SyncFolder(const QString& dir)
{
#ifndef _WIN32
    const int handle = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle >= 0) {
        ::fsync(handle);
        ::close(handle);
    }
#else
    Q_UNUSED(dir);
#endif
}

// A file made for the user stays the user's: run through sudo, q42ctl gives what it makes to the
// user who ran sudo, and a file it replaces keeps its owner and permissions.
void TakeOverOwnership(int handle, const QString& existing)
{
#ifndef _WIN32
    struct stat was {};
    if (::stat(QFile::encodeName(existing).constData(), &was) == 0) {
        ::fchmod(handle, was.st_mode & 07777);
        if (::geteuid() == 0) {
            [[maybe_unused]] const int ignored = ::fchown(handle, was.st_uid, was.st_gid);
        }
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(handle, 0666 & ~mask);
    bool uidOk = false;
    bool gidOk = false;
    const uint uid = qEnvironmentVariable("SUDO_UID").toUInt(&uidOk);
    const uint gid = qEnvironmentVariable("SUDO_GID").toUInt(&gidOk);
    if (::geteuid() == 0 && uidOk && gidOk) {
        [[maybe_unused]] const int ignored = ::fchown(handle, uid, gid);
    }
#else
    Q_UNUSED(handle);
    Q_UNUSED(existing);
#endif
}

// Renames over what is there. On Windows a virus scanner or a sync client may hold the target for
// a moment: the rename is tried again for up to two seconds.
bool RenameOver(const QString& from, const QString& to)
{
#ifdef _WIN32
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(from).utf16()),
                        reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(to).utf16()),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) {
            return false;
        }
        QThread::msleep(50);
    }
    return false;
#else
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

// The file a path leads to: a link is followed, so that the file it names is replaced, not the link.
QString FileBehind(const QString& path)
{
    const QFileInfo info(path);
    return info.isSymLink() && info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
}

struct Temporary {
    std::unique_ptr<QTemporaryFile> file;
    QString problem;
};

// data, whole and synced, in a closed temporary file in the folder of target.
Temporary WriteTemporary(const QString& target, const QByteArray& data)
{
    const QFileInfo info(target);
    auto file = std::make_unique<QTemporaryFile>(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                                 QStringLiteral(".q42ctl-XXXXXX"));
    if (!file->open()) {
        return {nullptr, QStringLiteral("%1: cannot be written: %2").arg(target, file->errorString())};
    }
    const int handle = file->handle();
    TakeOverOwnership(handle, target);
    int error = WriteAll(handle, data.constData(), data.size());
    if (error == 0) {
        error = SyncHandle(handle);
    }
    if (error != 0) {
        return {nullptr, QStringLiteral("%1: could not be written: %2").arg(target, WriteErrorText(error))};
    }
    file->close();
    return {std::move(file), {}};
}

}  // namespace

QString WriteErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("the disk is full");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("the disk quota is used up");
#endif
    case EFBIG:
        return QStringLiteral("the file reached the size this system allows it (ulimit -f)");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString CheckKeptFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        return QStringLiteral("%1: is not a regular file (a folder, a device or a pipe); give the file to keep it in")
            .arg(path);
    }
    // A temporary beside it proves that the folder takes a file; it goes again at once.
    QTemporaryFile probe(QFileInfo(FileBehind(path)).absolutePath() + QStringLiteral("/.q42ctl-XXXXXX"));
    if (!probe.open()) {
        return QStringLiteral("%1: cannot be written: %2").arg(path, probe.errorString());
    }
    return {};
}

QString ReplaceWhole(const QString& path, const QByteArray& data)
{
    if (const QString problem = CheckKeptFile(path); !problem.isEmpty()) {
        return problem;
    }
    const QString target = FileBehind(path);
    const QString leftAsItWas = QFileInfo::exists(target) ? QStringLiteral("; it was left as it was") : QString();
    Temporary temporary = WriteTemporary(target, data);
    if (!temporary.file) {
        return temporary.problem + leftAsItWas;
    }
    if (!RenameOver(temporary.file->fileName(), target)) {
        return QStringLiteral("%1: could not be replaced: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))) + leftAsItWas;
    }
    temporary.file->setAutoRemove(false);
    SyncFolder(QFileInfo(target).absolutePath());
    return {};
}

NewFile WriteNewFile(const QString& dir, const QString& stem, const QByteArray& data, const QString& suffix)
{
    Temporary temporary = WriteTemporary(QStringLiteral("%1/%2%3").arg(dir, stem, suffix), data);
    if (!temporary.file) {
        return {{}, temporary.problem};
    }
    for (int n = 1; n < 1000; ++n) {
        const QString path = QStringLiteral("%1/%2%3%4").arg(dir, stem, n > 1 ? QStringLiteral("-%1").arg(n) : QString(), suffix);
        // QFile's rename never replaces a file that is there; the temporary goes with its object otherwise.
        if (!QFile::exists(path) && temporary.file->rename(path)) {
            temporary.file->setAutoRemove(false);
            SyncFolder(dir);
            return {path, {}};
        }
    }
    return {{}, QStringLiteral("%1: no free name for %2%3").arg(dir, stem, suffix)};
}

QString AppendLine(const QString& path, const QByteArray& line, int waitMs)
{
    QLockFile lock(path + QStringLiteral(".lock"));
    // Never an unbounded wait: under Wine a lock left by a run that died can look held for ever.
    if (!lock.tryLock(waitMs)) {
        if (lock.error() != QLockFile::LockFailedError) {
            return QStringLiteral("%1: the lock file %1.lock cannot be made (is the disk full, or the folder not "
                                  "writable?); nothing was added")
                .arg(path);
        }
        qint64 pid = 0;
        QString host;
        QString program;
        lock.getLockInfo(&pid, &host, &program);
        return QStringLiteral("%1: another run (%2, process %3 on %4) held the log for %5 s; nothing was added. If no "
                              "such run is going on, remove %1.lock")
            .arg(path, program.isEmpty() ? QStringLiteral("?") : program)
            .arg(pid)
            .arg(host.isEmpty() ? QStringLiteral("?") : host)
            .arg(waitMs / 1000);
    }
    const bool isNew = !QFileInfo::exists(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        return QStringLiteral("%1: the log could not be written: %2").arg(path, file.errorString());
    }
    if (isNew) {
        TakeOverOwnership(file.handle(), QString());
    }
    const qint64 before = file.size();
    int error = WriteAll(file.handle(), line.constData(), line.size());
    if (error == 0) {
        error = SyncHandle(file.handle());
    }
    if (error != 0) {
        // Appended lines are only ever whole: what this one left is taken off again.
        file.resize(before);
        return QStringLiteral("%1: the log could not be written: %2; nothing was added").arg(path, WriteErrorText(error));
    }
    return {};
}

}  // namespace q42::ctl
