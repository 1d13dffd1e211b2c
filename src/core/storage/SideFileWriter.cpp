#include "SideFileWriter.h"

#include "DiskFile.h"
#include "SideFile.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {
bool refuse(QString* reason, const QString& why)
{
    if (reason)
        *reason = why;
    return false;
}
} // namespace

SideFileWriter::SideFileWriter(const QString& path)
    : m_path(path)
{
}

SideFileWriter::~SideFileWriter()
{
    cancel();
}

bool SideFileWriter::open(QString* reason)
{
    cancel();
    if (SideFile::standing(m_path) == SideFile::Standing::Foreign) {
        SideFile::noticeForeign(m_path);
        return refuse(reason, DiskFile::kNotRegular);
    }
    // A new name beside it, created afresh: O_EXCL with O_NOFOLLOW never
    // opens what another hand put there.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = m_path + QStringLiteral(".nuovo-%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
#ifndef Q_OS_WIN
        const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return refuse(reason, DiskFile::systemText(errno));
        }
        if (!m_file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            ::unlink(QFile::encodeName(name).constData());
            return refuse(reason, DiskFile::failureReason(m_file));
        }
#else
        m_file.setFileName(name);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            if (QFileInfo::exists(name))
                continue;
            return refuse(reason, DiskFile::failureReason(m_file));
        }
#endif
        m_temporary = name;
        return true;
    }
    return refuse(reason, DiskFile::systemText(EEXIST));
}

bool SideFileWriter::commit(QString* reason)
{
    if (!m_file.isOpen())
        return refuse(reason, QStringLiteral("file non aperto"));
    if (!DiskFile::syncToDisk(m_file)) {
        const QString why = DiskFile::failureReason(m_file);
        cancel();
        return refuse(reason, why);
    }
    m_file.close();
    // Something foreign put there meanwhile is left alone; one put there
    // after this look is replaced as a name, never written through: a
    // rename does not follow a link at its target.
    if (SideFile::standing(m_path) == SideFile::Standing::Foreign) {
        SideFile::noticeForeign(m_path);
        cancel();
        return refuse(reason, DiskFile::kNotRegular);
    }
#ifndef Q_OS_WIN
    if (::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_path).constData()) != 0) {
        const int code = errno;
        cancel();
        return refuse(reason, DiskFile::systemText(code));
    }
#else
    QFile::remove(m_path);
    if (!QFile::rename(m_temporary, m_path)) {
        cancel();
        return refuse(reason, QStringLiteral("impossibile sostituire il file"));
    }
#endif
    m_temporary.clear();
    DiskFile::syncFolder(QFileInfo(m_path).absolutePath());
    return true;
}

void SideFileWriter::cancel()
{
    if (m_file.isOpen())
        m_file.close();
    if (!m_temporary.isEmpty())
        QFile::remove(m_temporary);
    m_temporary.clear();
}
