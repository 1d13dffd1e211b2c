#pragma once

#include <QString>

#include <functional>

class QFileDevice;
class QSaveFile;

// What the record store, the password file and the exports share about
// files on the disk: which files may be opened at all, writing without
// losing a failure, flushing to the disk, and saying why something failed.
namespace DiskFile {

// Whether `path` names a regular file; a symbolic link to one counts.
// Anything else (a FIFO, a device, a folder) is never opened: reading it can
// block forever or never end, and writing it stores nothing.
bool isRegular(const QString& path);

// Writes all `size` bytes at the current position. A write that the system
// cuts short is tried again, so that a real failure (full disk, file-size
// limit) is reported with its reason instead of passing as a short count.
bool writeAll(QFileDevice& file, const char* data, qint64 size);

// Flushes Qt's buffer and has the system put the file's data on the disk.
bool syncToDisk(QFileDevice& file);

// Makes a name created, renamed or removed in `folder` durable. Nothing on
// Windows, which has no handle on a folder to flush.
void syncFolder(const QString& folder);

// Lets a write beyond the process's file-size limit fail with an error
// instead of ending the process with SIGXFSZ before any undo can run.
// Called at start-up by both executables; nothing where the platform has no
// such signal.
void ignoreFileSizeSignal();

// Writes the file at `path` whole or not at all: `write` fills a temporary
// file beside it, which is flushed to the disk and renamed over `path` only
// when every step succeeded; otherwise the old file stays as it was. On
// failure `reason` (when given) holds what `write` said, else why the disk
// refused.
bool replaceWhole(const QString& path, const std::function<bool(QSaveFile& file, QString* why)>& write, QString* reason = nullptr);

// The Italian reason of a system error code, for the failures a device
// reports (full disk, quota, file-size limit, permissions); empty for a
// code without one of its own.
QString systemReason(int code);
// The same, with the code itself for one that has no reason of its own:
// never the system's English text.
QString systemText(int code);

// Why the last operation on `file` failed, in Italian: read from the system
// error of the call that has just failed, else Qt's own description.
QString failureReason(const QFileDevice& file);

// What tells one file from another whatever its name: the device and the
// inode (the volume serial and file index on Windows), and the moment the
// file was born where the system keeps it (-1 elsewhere), so that a number
// the system gives again to a new file is not taken for the old one.
struct Identity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 bornMs = -1;
    bool valid = false;
    // Equal when both are valid and name the same file; a birth moment
    // known on one side only does not tell them apart.
    bool sameAs(const Identity& other) const;
};
Identity identityOf(const QFileDevice& file); // the open file
Identity identityOf(const QString& path);     // the file the name leads to now

// The Italian reasons of the failures that do not come from the system.
inline const QString kNotRegular = QStringLiteral("non è un file regolare");
inline const QString kMissing = QStringLiteral("il file non esiste");

} // namespace DiskFile
