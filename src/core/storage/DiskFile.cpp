#include "DiskFile.h"

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <csignal>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace DiskFile {

bool isRegular(const QString& path)
{
    return QFileInfo(path).isFile();
}

bool writeAll(QFileDevice& file, const char* data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 n = file.write(data + done, size - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool syncToDisk(QFileDevice& file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

void syncFolder(const QString& folder)
{
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

void ignoreFileSizeSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

QString systemReason(int code)
{
    switch (code) {
    case ENOSPC: return QStringLiteral("spazio esaurito sul disco");
    case EFBIG: return QStringLiteral("superato il limite di dimensione dei file");
#ifdef EDQUOT
    case EDQUOT: return QStringLiteral("superata la quota disco");
#endif
    case EACCES:
    case EPERM: return QStringLiteral("permesso negato");
    case EROFS: return QStringLiteral("file system di sola lettura");
    case EIO: return QStringLiteral("errore di lettura o scrittura del dispositivo");
    case ENOENT: return kMissing;
    case EISDIR: return QStringLiteral("è una cartella");
    default: return {};
    }
}

QString failureReason(const QFileDevice& file)
{
#ifndef Q_OS_WIN
    // Qt's file engine leaves the failed call's errno in place. (Windows
    // reports through its own error codes: Qt's description is used there.)
    const QString system = systemReason(errno);
    if (!system.isEmpty())
        return system;
#endif
    const QString qt = file.errorString();
    return qt.isEmpty() || qt == QLatin1String("Unknown error") ? QStringLiteral("errore sconosciuto") : qt;
}

bool replaceWhole(const QString& path, const std::function<bool(QSaveFile& file, QString* why)>& write, QString* reason)
{
    QSaveFile file(path);
    QString why;
    // The reason is taken at once, before cancelling changes errno.
    const auto failed = [&] {
        if (why.isEmpty())
            why = failureReason(file);
        if (reason)
            *reason = why;
        file.cancelWriting();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly) || !write(file, &why) || !syncToDisk(file))
        return failed();
    if (!file.commit()) {
        if (reason)
            *reason = failureReason(file);
        return false;
    }
    return true;
}

} // namespace DiskFile
