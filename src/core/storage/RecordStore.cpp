#include "RecordStore.h"

#include "core/storage/DiskFile.h"
#include "core/storage/FileLock.h"

#include <QFileInfo>

#include <algorithm>
#include <memory>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <cerrno>
#include <unistd.h>
#endif

bool RecordStore::fail(const QString& reason)
{
    m_error = reason;
    return false;
}

bool RecordStore::failOnFile()
{
    return fail(DiskFile::failureReason(m_file));
}

bool RecordStore::open(const QString& path, int recordSize, Mode mode)
{
    close();
    m_error.clear();
    m_recordSize = recordSize;
    m_index = 0;
    m_file.setFileName(path);
    // Unbuffered: a write reaches the system at once, so a failed one is
    // seen and undone before anything is left behind in a buffer.
    const auto unbuffered = QIODevice::Unbuffered;
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        // Checked before opening: opening a FIFO blocks until a writer comes.
        if (!info.isFile())
            return fail(DiskFile::kNotRegular);
        // Never fall back to creating over a file that is there but refuses us.
        const auto how = mode == Mode::ReadWrite ? QIODevice::ReadWrite : QIODevice::ReadOnly;
        return m_file.open(how | unbuffered | QIODevice::ExistingOnly) || failOnFile();
    }
    if (mode == Mode::ReadExisting)
        return fail(DiskFile::kMissing);
    if (!m_file.open(QIODevice::ReadWrite | unbuffered | QIODevice::NewOnly))
        return failOnFile();
    if (mode == Mode::Read) {
        m_file.close();
        return m_file.open(QIODevice::ReadOnly | unbuffered | QIODevice::ExistingOnly) || failOnFile();
    }
    return true;
}

void RecordStore::close()
{
    if (m_file.isOpen())
        m_file.close();
}

qint64 RecordStore::count() const
{
    return m_recordSize > 0 && m_file.isOpen() ? m_file.size() / m_recordSize : 0;
}

qint64 RecordStore::trailingBytes() const
{
    return m_recordSize > 0 && m_file.isOpen() ? m_file.size() % m_recordSize : 0;
}

bool RecordStore::seek(qint64 index)
{
    if (!m_file.isOpen() || index < 0 || index > count())
        return false;
    if (!m_file.seek(index * m_recordSize))
        return false;
    m_index = index;
    return true;
}

bool RecordStore::read(QByteArray& buffer)
{
    if (!m_file.isOpen() || m_index >= count())
        return false;
    buffer.resize(m_recordSize);
    if (!m_file.seek(m_index * m_recordSize) || m_file.read(buffer.data(), m_recordSize) != m_recordSize)
        return false;
    ++m_index;
    return true;
}

bool RecordStore::writeAt(qint64 at, const QByteArray& bytes, const QByteArray& previous, qint64 oldSize)
{
    if (m_file.seek(at) && DiskFile::writeAll(m_file, bytes.constData(), bytes.size()) && DiskFile::syncToDisk(m_file))
        return true;
    failOnFile();
    // Shrinking and writing back bytes that were there both stay within
    // any size limit that stopped the write.
    if (m_file.size() > oldSize)
        m_file.resize(oldSize);
    if (!previous.isEmpty() && m_file.seek(at))
        DiskFile::writeAll(m_file, previous.constData(), previous.size());
    DiskFile::syncToDisk(m_file);
    return false;
}

bool RecordStore::write(const QByteArray& buffer)
{
    if (!m_file.isOpen() || !m_file.isWritable() || buffer.size() != m_recordSize)
        return false;
    const FileLock lock(m_file);
    if (!lock.locked())
        return fail(kLocked);
    const qint64 oldSize = m_file.size();
    if (m_index > oldSize / m_recordSize)
        return false;
    const qint64 at = m_index * m_recordSize;
    // Keep the bytes we overwrite so that a failed write can put them back.
    QByteArray previous;
    if (at < oldSize) {
        previous.resize(std::min<qint64>(m_recordSize, oldSize - at));
        if (!m_file.seek(at) || m_file.read(previous.data(), previous.size()) != previous.size())
            return failOnFile();
    }
    if (!writeAt(at, buffer, previous, oldSize))
        return false;
    ++m_index;
    return true;
}

bool RecordStore::append(const QByteArray& records)
{
    if (!m_file.isOpen() || !m_file.isWritable() || m_recordSize <= 0 || records.size() % m_recordSize != 0)
        return false;
    const FileLock lock(m_file);
    if (!lock.locked())
        return fail(kLocked);
    // The end as it is now that no other writer can move it.
    const qint64 oldSize = m_file.size();
    const qint64 n = oldSize / m_recordSize;
    const qint64 at = n * m_recordSize;
    // A partial record at the end is written over; keep it for the undo.
    QByteArray previous(oldSize - at, Qt::Uninitialized);
    if (!previous.isEmpty() && (!m_file.seek(at) || m_file.read(previous.data(), previous.size()) != previous.size()))
        return failOnFile();
    if (!writeAt(at, records, previous, oldSize))
        return false;
    m_index = n + records.size() / m_recordSize;
    return true;
}

bool RecordStore::readAt(qint64 offset, char* into, qint64 bytes) const
{
#ifdef Q_OS_WIN
    QMutexLocker turn(&m_readTurn);
    return m_file.seek(offset) && m_file.read(into, bytes) == bytes;
#else
    const int fd = m_file.handle();
    while (bytes > 0) {
        const ssize_t got = ::pread(fd, into, static_cast<std::size_t>(bytes), static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false; // an error, or the file ends before it did when the scan began
        into += got;
        offset += got;
        bytes -= got;
    }
    return true;
#endif
}

bool RecordStore::scanRange(qint64 first, qint64 last, const Visitor& visit) const
{
    if (!m_file.isOpen() || m_recordSize <= 0 || first < 0 || first > last)
        return false;
    // Block reads, not a mapping of the file: a mapping holds memory equal
    // to the archive and kills the process when the file shrinks under it.
    const qint64 perBlock = std::max<qint64>(1, kScanBlockBytes / m_recordSize);
    std::unique_ptr<char[]> block(new char[static_cast<std::size_t>(std::min(perBlock, std::max<qint64>(1, last - first)) * m_recordSize)]);
    for (qint64 at = first; at < last; at += perBlock) {
        const qint64 records = std::min(perBlock, last - at);
        if (!readAt(at * m_recordSize, block.get(), records * m_recordSize))
            return false;
        for (qint64 i = 0; i < records; ++i) {
            if (!visit(block.get() + i * m_recordSize, at + i))
                return true;
        }
    }
    return true;
}

bool RecordStore::scan(const Visitor& visit)
{
    if (!m_file.isOpen() || m_recordSize <= 0)
        return false;
    qint64 next = 0;
    const bool ok = scanRange(0, count(), [&](const char* record, qint64 index) {
        next = index + 1;
        return visit(record, index);
    });
    if (ok)
        m_index = next;
    return ok;
}
