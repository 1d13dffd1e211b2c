#pragma once

#include <QByteArray>
#include <QFile>
#include <QMutex>
#include <QString>

#include <functional>

// A plain file of fixed-size records without header. Every user operation
// opens the archive, works and closes it; an existing archive is never
// emptied or replaced, a missing one is created empty. Only regular files
// are opened. Writes and appends hold an exclusive lock on the archive (see
// FileLock) while they find their position and write, so two programs
// adding cards to one archive never write over each other; readers take no
// lock.
class RecordStore {
public:
    enum class Mode {
        ReadWrite,    // card screens: create when missing
        Read,         // searches and exports: create when missing, only read
        ReadExisting, // never create (command-line reports)
    };

    RecordStore() = default;
    ~RecordStore() { close(); }
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // False, with errorString() saying why, when the archive is not a
    // regular file or cannot be opened (or is missing for ReadExisting).
    bool open(const QString& path, int recordSize, Mode mode = Mode::ReadWrite);
    bool isOpen() const { return m_file.isOpen(); }
    void close();

    qint64 count() const;                  // whole records only
    qint64 trailingBytes() const;          // bytes of a partial record at the end
    bool seek(qint64 index);               // 0 <= index <= count()
    qint64 index() const { return m_index; }
    bool atEnd() const { return m_index >= count(); }

    // Reads the record at the current index into `buffer` (resized to the
    // record size) and advances the index.
    bool read(QByteArray& buffer);

    // Replaces the record at the current index with one write, flushed to
    // the disk before it returns; on failure the file is left as it was.
    // Advances the index. An index at the end appends, but only append()
    // finds the end under the lock: use it for new cards.
    bool write(const QByteArray& buffer);

    // Appends whole records (buffer size a multiple of the record size) at
    // the end as it is under the lock, with one write and one flush to the
    // disk; on failure the file keeps its old bytes and length. The index
    // ends after the last record written, so index() - records is where the
    // first one really went. Fails when the lock cannot be had in time.
    bool append(const QByteArray& records);

    using Visitor = std::function<bool(const char* record, qint64 index)>;

    // Calls `visit` for every whole record from index 0, in archive order;
    // stops early when `visit` returns false, leaving the index after the
    // last record visited. The records are read in blocks into a buffer of
    // the scan's own, so memory stays the same whatever the archive's size.
    // False when the archive cannot be read up to the length it had when
    // the scan began (a file that shrinks meanwhile gives false, never a
    // crash).
    bool scan(const Visitor& visit);

    // The same over records [first, last), without moving the index.
    // Several threads may scan ranges of one open store at once.
    bool scanRange(qint64 first, qint64 last, const Visitor& visit) const;

    // Bytes read at a time by a scan: enough to make system calls rare,
    // little enough for the block to stay in the processor's cache while
    // its records are visited.
    static constexpr qint64 kScanBlockBytes = 256 * 1024;

    // Why the last open, write or append failed, in Italian.
    QString errorString() const { return m_error; }

    // Why a write or append could not start: another program held the
    // archive's lock for longer than FileLock::patience().
    static inline const QString kLocked = QStringLiteral("l'archivio è in uso da un altro programma");

private:
    bool fail(const QString& reason);
    bool failOnFile();
    // Writes `bytes` at `at` and flushes them to the disk; on failure puts
    // back `previous` (the bytes that were there) and the old length.
    bool writeAt(qint64 at, const QByteArray& bytes, const QByteArray& previous, qint64 oldSize);
    bool readAt(qint64 offset, char* into, qint64 bytes) const;

    mutable QFile m_file;
#ifdef Q_OS_WIN
    // QFile keeps one position, so there reads of several threads take
    // turns; elsewhere positional reads need no position at all.
    mutable QMutex m_readTurn;
#endif
    int m_recordSize = 0;
    qint64 m_index = 0;
    QString m_error;
};
