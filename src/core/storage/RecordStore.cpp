#include "RecordStore.h"

#include "core/storage/AppendJournal.h"
#include "core/storage/DiskFile.h"
#include "core/storage/FileLock.h"
#include "core/storage/RestoreJournal.h"
#include "core/storage/WriteFollower.h"

#include <QFileInfo>

#include <algorithm>
#include <csignal>
#include <map>
#include <memory>
#include <mutex>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <cerrno>
#include <signal.h>
#include <unistd.h>
#endif

RecordStore::RecordStore() = default;

namespace {

// The side files' follower of each append in progress, from beginAppend
// to its commit or cancel (the store's own members stay as they are).
std::mutex g_appendsTurn;
std::map<const RecordStore*, std::unique_ptr<WriteFollower::Write>> g_appends;

std::unique_ptr<WriteFollower::Write> followed(const QFile& file, int recordSize)
{
    WriteFollower* follower = WriteFollower::get();
    return follower ? follower->begin(file, recordSize) : nullptr;
}

std::unique_ptr<WriteFollower::Write> appendFollowed(const RecordStore* store)
{
    const std::lock_guard turn(g_appendsTurn);
    const auto found = g_appends.find(store);
    if (found == g_appends.end())
        return nullptr;
    std::unique_ptr<WriteFollower::Write> write = std::move(found->second);
    g_appends.erase(found);
    return write;
}

} // namespace

RecordStore::~RecordStore()
{
    close();
}

bool RecordStore::fail(const QString& reason)
{
    m_error = reason;
    return false;
}

bool RecordStore::failOnFile()
{
    return fail(DiskFile::failureReason(m_file));
}

bool RecordStore::lockFailure(const FileLock& lock)
{
    return fail(lock.unsupported() ? kNoLocking : kLocked);
}

qint64 RecordStore::size() const
{
    const qint64 real = m_file.size();
    return m_limit >= 0 ? std::min(real, m_limit) : real;
}

bool RecordStore::lockCurrent(std::unique_ptr<FileLock>& lock)
{
    // A restore replaces each archive once; a few turns are plenty.
    for (int turn = 0; turn < 8; ++turn) {
        lock = std::make_unique<FileLock>(m_file);
        if (!lock->locked())
            return lockFailure(*lock);
        const DiskFile::Identity open = DiskFile::identityOf(m_file);
        // A system that cannot tell files apart leaves the file as it is.
        if (!open.valid || open.sameAs(DiskFile::identityOf(m_file.fileName())))
            return true;
        lock.reset();
        if (!reopen())
            return false;
    }
    lock.reset();
    return fail(QStringLiteral("l'archivio è stato sostituito più volte mentre si aspettava di scriverlo"));
}

bool RecordStore::reopen()
{
    m_file.close();
    m_limit = -1;
    const QFileInfo info(m_file.fileName());
    if ((info.exists() || info.isSymLink()) && !info.isFile())
        return fail(DiskFile::kNotRegular);
    // A restore that brought no such archive removed it: the card goes
    // into a new one, as when the archive was missing at open.
    return m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered) || failOnFile();
}

bool RecordStore::recoverUnderLock()
{
    m_limit = -1;
    QString notice;
    const bool recovered = AppendJournal::recover(m_file, m_file.fileName(), &notice);
    if (!notice.isEmpty()) {
        m_notice = notice;
        qWarning("%s", qPrintable(notice));
    }
    if (recovered)
        return true;
    m_undoFailed = true;
    return fail(QStringLiteral("impossibile riportare l'archivio a prima di un'aggiunta interrotta: ") + DiskFile::failureReason(m_file)
        + kMayHaveChanged);
}

void RecordStore::recoverAtOpen(Mode mode)
{
    const QString path = m_file.fileName();
    const std::optional<AppendJournal::Before> pending = AppendJournal::pending(path);
    if (!pending)
        return;
    QFile writable(path);
    QFileDevice* target = &m_file;
    if (mode != Mode::ReadWrite) {
        if (!writable.open(QIODevice::ReadWrite | QIODevice::Unbuffered | QIODevice::ExistingOnly))
            target = nullptr;
        else
            target = &writable;
    }
    if (target) {
        // No wait: a live writer holding the lock owns the journal.
        const FileLock lock(*target, 0);
        QString notice;
        const bool recovered = lock.locked() && AppendJournal::recover(*target, path, &notice);
        if (!notice.isEmpty()) {
            m_notice = notice;
            qWarning("%s", qPrintable(notice));
        }
        if (recovered)
            return;
    }
    // The append is still running (or the archive cannot be cut from
    // here): read the archive as it was before it, if the journal is its.
    if (pending->length >= 0 && AppendJournal::guards(*pending, m_file, path))
        m_limit = pending->length;
}

bool RecordStore::open(const QString& path, int recordSize, Mode mode)
{
    close();
    m_error.clear();
    m_recordSize = recordSize;
    m_index = 0;
    m_limit = -1;
    m_undoFailed = false;
    m_notice.clear();
    m_file.setFileName(path);
    // Unbuffered: a write reaches the system at once, so a failed one is
    // seen and undone before anything is left behind in a buffer.
    const auto unbuffered = QIODevice::Unbuffered;
    // A restore cut short is completed before anything reads or writes
    // the catalogue it was replacing.
    const QString folder = QFileInfo(path).absolutePath() + QLatin1Char('/');
    if (RestoreJournal::pending(folder)) {
        const QString why = RestoreJournal::complete(folder);
        if (!why.isEmpty())
            return fail(why);
    }
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        // Checked before opening: opening a FIFO blocks until a writer comes.
        if (!info.isFile())
            return fail(DiskFile::kNotRegular);
        // Never fall back to creating over a file that is there but refuses us.
        const auto how = mode == Mode::ReadWrite ? QIODevice::ReadWrite : QIODevice::ReadOnly;
        if (!m_file.open(how | unbuffered | QIODevice::ExistingOnly))
            return failOnFile();
        recoverAtOpen(mode);
        return true;
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
    if (m_appendLock)
        cancelAppend();
    if (m_file.isOpen())
        m_file.close();
}

qint64 RecordStore::count() const
{
    return m_recordSize > 0 && m_file.isOpen() ? size() / m_recordSize : 0;
}

qint64 RecordStore::trailingBytes() const
{
    return m_recordSize > 0 && m_file.isOpen() ? size() % m_recordSize : 0;
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
    bool undone = true;
    if (m_file.size() > oldSize)
        undone = m_file.resize(oldSize);
    if (!previous.isEmpty())
        undone = m_file.seek(at) && DiskFile::writeAll(m_file, previous.constData(), previous.size()) && undone;
    undone = DiskFile::syncToDisk(m_file) && undone;
    if (!undone) {
        m_undoFailed = true;
        m_error += kMayHaveChanged;
    }
    return false;
}

bool RecordStore::write(const QByteArray& buffer)
{
    return writeRecord(buffer, nullptr);
}

bool RecordStore::replace(const QByteArray& expected, const QByteArray& buffer)
{
    return writeRecord(buffer, &expected);
}

bool RecordStore::writeRecord(const QByteArray& buffer, const QByteArray* expected)
{
    m_changed = false;
    if (!m_file.isOpen() || !m_file.isWritable() || buffer.size() != m_recordSize)
        return false;
    if (m_appendLock)
        return false;
    std::unique_ptr<FileLock> lock;
    if (!lockCurrent(lock))
        return false;
    if (!recoverUnderLock())
        return false;
    const qint64 oldSize = m_file.size();
    if (m_index > oldSize / m_recordSize)
        return fail(QStringLiteral("la scheda non è più nell'archivio, che è stato sostituito"));
    const qint64 at = m_index * m_recordSize;
    // Keep the bytes we overwrite so that a failed write can put them back.
    QByteArray previous;
    if (at < oldSize) {
        previous.resize(std::min<qint64>(m_recordSize, oldSize - at));
        if (!m_file.seek(at) || m_file.read(previous.data(), previous.size()) != previous.size())
            return failOnFile();
    }
    if (expected && previous != *expected) {
        m_changed = true;
        return fail(kChanged);
    }
    if (m_underLock)
        m_underLock(m_file.handle(), false);
    const std::unique_ptr<WriteFollower::Write> follow = followed(m_file, m_recordSize);
    if (!writeAt(at, buffer, previous, oldSize))
        return false;
    if (follow)
        follow->done(m_file, m_index, 1);
    if (m_underLock)
        m_underLock(m_file.handle(), true);
    ++m_index;
    return true;
}

bool RecordStore::append(const QByteArray& records)
{
    if (!beginAppend())
        return false;
    if (!appendBatch(records) || !commitAppend()) {
        const QString reason = m_error;
        cancelAppend(); // adds its own failure to the reason when it fails
        if (!m_undoFailed)
            m_error = reason;
        else
            m_error = reason + kMayHaveChanged;
        return false;
    }
    return true;
}

bool RecordStore::beginAppend()
{
    m_undoFailed = false;
    if (!m_file.isOpen() || !m_file.isWritable() || m_recordSize <= 0 || m_appendLock)
        return false;
    std::unique_ptr<FileLock> lock;
    if (!lockCurrent(lock))
        return false;
    if (!recoverUnderLock())
        return false;
    // The end as it is now that no other writer can move it. A partial
    // record at the end (a writer that died before journals) is written
    // over, and the journal brings it back on a cut.
    AppendJournal::Before before;
    before.of = DiskFile::identityOf(m_file);
    before.length = m_file.size();
    const qint64 oldSize = before.length;
    before.tail.resize(oldSize % m_recordSize);
    if (!before.tail.isEmpty()
        && (!m_file.seek(oldSize - before.tail.size()) || m_file.read(before.tail.data(), before.tail.size()) != before.tail.size()))
        return failOnFile();
    QString reason;
    if (!AppendJournal::begin(m_file.fileName(), before, &reason))
        return fail(QStringLiteral("impossibile scrivere il giornale dell'aggiunta accanto all'archivio: ") + reason);
    if (std::unique_ptr<WriteFollower::Write> follow = followed(m_file, m_recordSize)) {
        const std::lock_guard turn(g_appendsTurn);
        g_appends[this] = std::move(follow);
    }
    m_appendLock = std::move(lock);
    m_appendStart = oldSize;
    m_index = oldSize / m_recordSize;
    m_appendTail = before.tail;
    AppendJournal::armSignals(m_file.handle(), before, m_file.fileName());
    return true;
}

bool RecordStore::appendBatch(const QByteArray& records)
{
    if (!m_appendLock || records.size() % m_recordSize != 0)
        return false;
    const qint64 at = m_index * m_recordSize;
    if (!m_file.seek(at) || !DiskFile::writeAll(m_file, records.constData(), records.size()))
        return failOnFile();
    m_index += records.size() / m_recordSize;
    return true;
}

qint64 RecordStore::appendedRecords() const
{
    return m_appendLock ? m_index - m_appendStart / m_recordSize : 0;
}

bool RecordStore::commitAppend()
{
    if (!m_appendLock)
        return false;
    if (!DiskFile::syncToDisk(m_file))
        return failOnFile();
#ifndef Q_OS_WIN
    // The journal's removal is the moment the cards count: a signal now
    // must not cut them back after they are kept.
    sigset_t block, old;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    sigaddset(&block, SIGINT);
    pthread_sigmask(SIG_BLOCK, &block, &old);
#endif
    const bool removed = AppendJournal::end(m_file.fileName());
    if (removed)
        AppendJournal::disarmSignals();
#ifndef Q_OS_WIN
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
#endif
    if (!removed)
        return fail(QStringLiteral("impossibile togliere il giornale dell'aggiunta accanto all'archivio"));
    // The cards count now; the lock is still held.
    if (const std::unique_ptr<WriteFollower::Write> follow = appendFollowed(this))
        follow->done(m_file, m_appendStart / m_recordSize, m_index - m_appendStart / m_recordSize);
    m_appendLock.reset();
    m_appendStart = -1;
    return true;
}

bool RecordStore::cancelAppend()
{
    if (!m_appendLock)
        return false;
    const qint64 oldSize = m_appendStart;
    bool cut = true;
    if (m_file.size() != oldSize)
        cut = m_file.resize(oldSize);
    if (cut && !m_appendTail.isEmpty())
        cut = m_file.seek(oldSize - m_appendTail.size()) && DiskFile::writeAll(m_file, m_appendTail.constData(), m_appendTail.size());
    cut = cut && DiskFile::syncToDisk(m_file);
    // With the archive cut back the journal has done its work; if the cut
    // failed it stays, and the next opener tries again.
    if (cut)
        cut = AppendJournal::end(m_file.fileName());
    AppendJournal::disarmSignals();
    appendFollowed(this);
    m_appendLock.reset();
    m_appendStart = -1;
    m_index = oldSize / m_recordSize;
    if (!cut) {
        m_undoFailed = true;
        return fail(m_error + kMayHaveChanged);
    }
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

bool RecordStore::readRecords(const qint64* indexes, qint64 count, const Visitor& visit) const
{
    if (!m_file.isOpen() || m_recordSize <= 0)
        return false;
    // A gap of a few records costs less to read than a call of its own.
    constexpr qint64 kJoinedGap = 4;
    const qint64 perBlock = std::max<qint64>(1, kScanBlockBytes / m_recordSize);
    std::unique_ptr<char[]> block;
    qint64 room = 0;
    for (qint64 i = 0; i < count;) {
        const qint64 first = indexes[i];
        qint64 end = i + 1;
        while (end < count && indexes[end] > indexes[end - 1] && indexes[end] - indexes[end - 1] <= kJoinedGap
            && indexes[end] - first < perBlock)
            ++end;
        if (first < 0 || indexes[end - 1] < first)
            return false;
        const qint64 records = indexes[end - 1] - first + 1;
        if (records > room) {
            block.reset(new char[static_cast<std::size_t>(records * m_recordSize)]);
            room = records;
        }
        if (!readAt(first * m_recordSize, block.get(), records * m_recordSize))
            return false;
        for (; i < end; ++i) {
            if (!visit(block.get() + (indexes[i] - first) * m_recordSize, indexes[i]))
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
