#include "SideFile.h"

#include "AppendJournal.h"
#include "DiskFile.h"
#include "RestoreJournal.h"
#include "SideFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

#include <cerrno>
#include <utility>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

struct Notices {
    QMutex mutex;
    QSet<QString> said;
    QStringList pending;
};
Notices& notices()
{
    static Notices n;
    return n;
}

#ifndef Q_OS_WIN
// Opens without following a link at the last step, and without waiting
// on a FIFO; then only a regular file is kept.
int openRegular(const QString& path, int flags, bool* foreign)
{
    *foreign = false;
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        // A link at the last step gives ELOOP; a folder opened for writing EISDIR.
        *foreign = errno == ELOOP || errno == EISDIR || errno == ENXIO;
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *foreign = true;
        ::close(fd);
        return -1;
    }
    // Back to blocking reads and writes on the regular file.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}
#endif

} // namespace

namespace SideFile {

const std::vector<Row>& rows()
{
    static const std::vector<Row> table{
        {AppendJournal::kSuffix, true},
        {AppendJournal::kSetAsideSuffix, true},
        {kSearchSuffix, true},
        {RestoreJournal::kFileName, false},
        {kStocktake, false},
        {kCatalogueMark, false},
    };
    return table;
}

Standing standing(const QString& path)
{
#ifndef Q_OS_WIN
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT ? Standing::Absent : Standing::Foreign;
    return S_ISREG(st.st_mode) ? Standing::Regular : Standing::Foreign;
#else
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return Standing::Absent;
    return info.isFile() && !info.isSymLink() && !info.isJunction() ? Standing::Regular : Standing::Foreign;
#endif
}

void noticeForeign(const QString& path)
{
    Notices& n = notices();
    const QMutexLocker lock(&n.mutex);
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (n.said.contains(absolute))
        return;
    n.said.insert(absolute);
    n.pending << QStringLiteral("%1 non è un file regolare (un collegamento, una cartella o un file speciale): "
                                "il programma lo lascia com'è e non lo usa")
                     .arg(QDir::toNativeSeparators(path));
}

QStringList takeNotices()
{
    Notices& n = notices();
    const QMutexLocker lock(&n.mutex);
    return std::exchange(n.pending, {});
}

bool replace(const QString& path, const std::function<bool(QFileDevice& file, QString* why)>& write, QString* reason)
{
    SideFileWriter writer(path);
    if (!writer.open(reason))
        return false;
    QString why;
    if (!write(writer.file(), &why)) {
        if (why.isEmpty())
            why = DiskFile::failureReason(writer.file());
        if (reason)
            *reason = why;
        return false;
    }
    return writer.commit(reason);
}

Got read(const QString& path, QByteArray* bytes, qint64 limit)
{
    bytes->clear();
    const Standing there = standing(path);
    if (there == Standing::Absent)
        return Got::Absent;
    if (there == Standing::Foreign) {
        noticeForeign(path);
        return Got::Foreign;
    }
    QFile file;
#ifndef Q_OS_WIN
    bool foreign = false;
    const int fd = openRegular(path, O_RDONLY, &foreign);
    if (fd < 0) {
        if (foreign) {
            noticeForeign(path);
            return Got::Foreign;
        }
        return errno == ENOENT ? Got::Absent : Got::Unreadable;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Got::Unreadable;
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return QFileInfo::exists(path) ? Got::Unreadable : Got::Absent;
#endif
    if (file.size() > limit)
        return Got::Unreadable;
    *bytes = file.read(limit + 1);
    if (bytes->size() > limit) {
        bytes->clear();
        return Got::Unreadable;
    }
    return Got::Read;
}

bool open(QFile& file, const QString& path, QIODevice::OpenMode mode)
{
    if (standing(path) == Standing::Foreign) {
        noticeForeign(path);
        return false;
    }
#ifndef Q_OS_WIN
    const bool reads = mode.testFlag(QIODevice::ReadOnly);
    const bool writes = mode.testFlag(QIODevice::WriteOnly);
    int flags = reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    if (mode.testFlag(QIODevice::Append))
        flags |= O_APPEND;
    if (writes && !mode.testFlag(QIODevice::ExistingOnly))
        flags |= O_CREAT;
    bool foreign = false;
    const int fd = openRegular(path, flags, &foreign);
    if (fd < 0) {
        if (foreign)
            noticeForeign(path);
        return false;
    }
    QIODevice::OpenMode given = mode;
    given.setFlag(QIODevice::ExistingOnly, false);
    if (!file.open(fd, given, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#else
    file.setFileName(path);
    return file.open(mode);
#endif
}

} // namespace SideFile
