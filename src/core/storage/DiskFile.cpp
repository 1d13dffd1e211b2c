#include "DiskFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <csignal>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
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

bool Identity::sameAs(const Identity& other) const
{
    if (!valid || !other.valid || device != other.device || inode != other.inode)
        return false;
    return bornMs < 0 || other.bornMs < 0 || bornMs == other.bornMs;
}

namespace {
qint64 bornOf(const QString& path)
{
    const QDateTime born = QFileInfo(path).birthTime();
    return born.isValid() ? born.toMSecsSinceEpoch() : -1;
}
} // namespace

Identity identityOf(const QFileDevice& file)
{
    Identity id;
#ifndef Q_OS_WIN
    struct stat st;
    if (file.handle() < 0 || ::fstat(file.handle(), &st) != 0)
        return id;
    id.device = quint64(st.st_dev);
    id.inode = quint64(st.st_ino);
    id.valid = true;
    // The birth moment is read by name: the caller compares this with the
    // file at that name, and a different file there differs in inode too.
    const Identity named = identityOf(file.fileName());
    if (named.valid && named.device == id.device && named.inode == id.inode)
        id.bornMs = named.bornMs;
#else
    BY_HANDLE_FILE_INFORMATION info;
    const HANDLE handle = file.handle() < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info))
        return id;
    id.device = info.dwVolumeSerialNumber;
    id.inode = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.bornMs = bornOf(file.fileName());
    id.valid = true;
#endif
    return id;
}

Identity identityOf(const QString& path)
{
    Identity id;
#ifndef Q_OS_WIN
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return id;
    id.device = quint64(st.st_dev);
    id.inode = quint64(st.st_ino);
    id.valid = true;
    id.bornMs = bornOf(path);
#else
    const HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return id;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(handle, &info)) {
        id.device = info.dwVolumeSerialNumber;
        id.inode = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        id.bornMs = bornOf(path);
        id.valid = true;
    }
    CloseHandle(handle);
#endif
    return id;
}

QString systemReason(int code)
{
    switch (code) {
    case ENOSPC:
        return QStringLiteral("spazio esaurito sul disco");
    case EFBIG:
        return QStringLiteral("superato il limite di dimensione dei file");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("superata la quota disco");
#endif
    case EACCES:
    case EPERM:
        return QStringLiteral("permesso negato");
    case EROFS:
        return QStringLiteral("file system di sola lettura");
    case EIO:
        return QStringLiteral("errore di lettura o scrittura del dispositivo");
    case ENOENT:
        return kMissing;
    case EISDIR:
        return QStringLiteral("è una cartella");
    case ENOTDIR:
        return QStringLiteral("una parte del percorso non è una cartella");
    case ENAMETOOLONG:
        return QStringLiteral("nome troppo lungo per il disco");
    case EEXIST:
        return QStringLiteral("il file esiste già");
    case ENOTEMPTY:
        return QStringLiteral("la cartella non è vuota");
    case EBUSY:
        return QStringLiteral("il file è in uso");
    case EXDEV:
        return QStringLiteral("il file è su un altro disco");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("troppi file aperti");
    case ENOMEM:
        return QStringLiteral("memoria esaurita");
    case ELOOP:
        return QStringLiteral("troppi collegamenti simbolici nel percorso");
    case EINVAL:
        return QStringLiteral("operazione non valida");
    default:
        return {};
    }
}

QString systemText(int code)
{
    const QString reason = systemReason(code);
    return reason.isEmpty() ? QStringLiteral("errore di sistema (codice %1)").arg(code) : reason;
}

QString failureReason(const QFileDevice& file)
{
#ifndef Q_OS_WIN
    // Qt's file engine leaves the failed call's errno in place. (Windows
    // reports through its own error codes: Qt's description is used there.)
    const int code = errno;
    const QString system = systemReason(code);
    if (!system.isEmpty())
        return system;
    if (code != 0 && file.error() != QFileDevice::NoError)
        return systemText(code);
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
