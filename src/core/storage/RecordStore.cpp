#include "RecordStore.h"

#include "core/storage/DiskFile.h"
#include "core/storage/FileLock.h"

#include <QFileInfo>

#include <algorithm>
#include <vector>

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

bool RecordStore::scan(const std::function<bool(const char* record, qint64 index)>& visit)
{
    if (!m_file.isOpen() || m_recordSize <= 0)
        return false;
    const qint64 n = count();
    if (n == 0) {
        m_index = 0;
        return true;
    }
    // Mapping the archive spares copying it through the kernel, the larger
    // part of a search pass; block reads stay as the fallback.
    if (uchar* mapped = m_file.map(0, n * m_recordSize)) {
        const char* base = reinterpret_cast<const char*>(mapped);
        qint64 i = 0;
        bool goOn = true;
        for (; i < n && goOn; ++i)
            goOn = visit(base + i * m_recordSize, i);
        m_file.unmap(mapped);
        m_index = i;
        return true;
    }
    if (!m_file.seek(0))
        return false;
    // About 4 MiB per read: few system calls, little memory.
    const qint64 perBlock = std::max<qint64>(1, (4 << 20) / m_recordSize);
    std::vector<char> block(static_cast<std::size_t>(perBlock * m_recordSize));
    for (qint64 first = 0; first < n; first += perBlock) {
        const qint64 records = std::min(perBlock, n - first);
        const qint64 bytes = records * m_recordSize;
        if (m_file.read(block.data(), bytes) != bytes)
            return false;
        for (qint64 i = 0; i < records; ++i) {
            if (!visit(block.data() + i * m_recordSize, first + i)) {
                m_index = first + i + 1;
                return true;
            }
        }
    }
    m_index = n;
    return true;
}
