#pragma once

#include <QByteArray>
#include <QFile>
#include <QMutex>
#include <QString>

#include <functional>
#include <memory>

class FileLock;

// A plain file of fixed-size records without header. Every user operation
// opens the archive, works and closes it; an existing archive is never
// emptied or replaced, a missing one is created empty. Only regular files
// are opened. Writes and appends hold an exclusive lock on the archive (see
// FileLock) while they find their position and write, so two programs
// adding cards to one archive never write over each other; readers take no
// lock. Every append is journaled (see AppendJournal): a kill in the middle
// leaves the archive as it was for the next opener, which cuts it back. A
// writer that gets the lock on a file that no longer bears the archive's
// name (a restore replaced it meanwhile) writes into the new one instead.
class RecordStore {
public:
    enum class Mode {
        ReadWrite,    // card screens: create when missing
        Read,         // searches and exports: create when missing, only read
        ReadExisting, // never create (command-line reports)
    };

    RecordStore();
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // False, with errorString() saying why, when the archive is not a
    // regular file or cannot be opened (or is missing for ReadExisting).
    bool open(const QString& path, int recordSize, Mode mode = Mode::ReadWrite);
    bool isOpen() const { return m_file.isOpen(); }
    void close();

    int recordSize() const { return m_recordSize; }
    qint64 count() const;         // whole records only
    qint64 trailingBytes() const; // bytes of a partial record at the end
    bool seek(qint64 index);      // 0 <= index <= count()
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

    // The same, but only when the record still holds `expected`, compared
    // under the lock; otherwise nothing is written, changedMeanwhile() is
    // true and errorString() is kChanged. A card read earlier is thus never
    // written over a change another program made since.
    bool replace(const QByteArray& expected, const QByteArray& buffer);
    bool changedMeanwhile() const { return m_changed; }

    // Called under the lock of write() and replace() with the open file's
    // handle: before the bytes are written (written false) and once they
    // are on the disk (true). What keeps its own picture of the archive
    // sees the file then as no other writer can change it.
    using UnderLock = std::function<void(int handle, bool written)>;
    void setUnderLock(UnderLock step) { m_underLock = std::move(step); }

    // Appends whole records (buffer size a multiple of the record size) at
    // the end as it is under the lock, with one write and one flush to the
    // disk; on failure the file keeps its old bytes and length. The index
    // ends after the last record written, so index() - records is where the
    // first one really went. Fails when the lock cannot be had in time.
    bool append(const QByteArray& records);

    // An append in several batches that gives every card or none: begin
    // takes the lock (held until commit or cancel) and writes the journal;
    // each batch is written at the end; commit flushes and removes the
    // journal; cancel, or closing the store uncommitted, cuts the archive
    // back to its old length. False, with errorString(), on any failure
    // (cancel: the archive could not be cut back and may have changed).
    bool beginAppend();
    bool appendBatch(const QByteArray& records);
    bool commitAppend();
    bool cancelAppend();
    qint64 appendedRecords() const;

    // The last failure's undo failed too: the archive may have changed.
    bool undoFailed() const { return m_undoFailed; }

    // What the last open or write found and set right on its way, in
    // Italian (a journal that was not this archive's); empty when nothing.
    QString notice() const { return m_notice; }

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

    // Calls `visit` for the records at `indexes` (ascending, each below
    // count()), in that order; records close to each other are read in one
    // go. False when one cannot be read (the file has shrunk meanwhile).
    // Several threads may read one open store at once.
    bool readRecords(const qint64* indexes, qint64 count, const Visitor& visit) const;

    // The open archive's path and system handle (-1 when closed), for what
    // must know which file is open.
    QString fileName() const { return m_file.fileName(); }
    int handle() const { return m_file.handle(); }
    // False while an append of another program is under way: reads stop at
    // the length the archive had before it, not at the file's end.
    bool readsToEnd() const { return m_limit < 0; }

    // Bytes read at a time by a scan: enough to make system calls rare,
    // little enough for the block to stay in the processor's cache while
    // its records are visited.
    static constexpr qint64 kScanBlockBytes = 256 * 1024;

    // Why the last open, write or append failed, in Italian.
    QString errorString() const { return m_error; }

    // Why a write or append could not start: another program held the
    // archive's lock for longer than FileLock::patience().
    static inline const QString kLocked = QStringLiteral("l'archivio è in uso da un altro programma");
    // Why a write could not start on a file system that refuses locks.
    static inline const QString kNoLocking = QStringLiteral(
        "la cartella dell'archivio non permette di bloccare i file, e senza blocco due programmi potrebbero "
        "scrivere l'uno sulle schede dell'altro; se è una cartella di rete, chiedere di montarla con il supporto "
        "dei blocchi (per esempio NFS senza l'opzione \"nolock\", Samba con i blocchi attivi) oppure copiare il "
        "programma su un disco locale");
    // Why replace() wrote nothing.
    static inline const QString kChanged = QStringLiteral("la scheda è stata modificata nel frattempo da un altro programma");
    // Added to the reason when the undo of a failed write failed too.
    static inline const QString kMayHaveChanged = QStringLiteral(
        "; anche l'annullamento della scrittura non è riuscito: l'archivio potrebbe essere cambiato "
        "(tomaria-cli check dice come)");

private:
    bool fail(const QString& reason);
    bool lockFailure(const FileLock& lock);
    // Takes the write lock on the file that bears the archive's name now:
    // when the open file was replaced while waiting (a restore renames a
    // new archive into place), the name is opened again and locked anew.
    bool lockCurrent(std::unique_ptr<FileLock>& lock);
    bool reopen();
    // Under the lock: cuts back what a dead append left.
    bool recoverUnderLock();
    // At open: a journal found is recovered now if no live writer holds the
    // lock; else reads stop at the length it holds.
    void recoverAtOpen(Mode mode);
    qint64 size() const;
    bool failOnFile();
    // Writes `bytes` at `at` and flushes them to the disk; on failure puts
    // back `previous` (the bytes that were there) and the old length.
    bool writeAt(qint64 at, const QByteArray& bytes, const QByteArray& previous, qint64 oldSize);
    bool readAt(qint64 offset, char* into, qint64 bytes) const;
    bool writeRecord(const QByteArray& buffer, const QByteArray* expected);

    mutable QFile m_file;
#ifdef Q_OS_WIN
    // QFile keeps one position, so there reads of several threads take
    // turns; elsewhere positional reads need no position at all.
    mutable QMutex m_readTurn;
#endif
    int m_recordSize = 0;
    qint64 m_index = 0;
    qint64 m_limit = -1; // -1: none
    QString m_error;
    QString m_notice;
    bool m_undoFailed = false;
    bool m_changed = false;
    std::unique_ptr<FileLock> m_appendLock; // held from beginAppend to commit or cancel
    qint64 m_appendStart = -1;
    QByteArray m_appendTail;
    UnderLock m_underLock;
};
