#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>

// A plain file of fixed-size records without header. Every user operation
// opens the archive, works and closes it; an existing archive is never
// emptied or replaced, a missing one is created empty.
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

    // Writes the record at the current index (appending at the end) with
    // one write, flushed to the disk before it returns; on failure the file
    // is left as it was. Advances the index.
    bool write(const QByteArray& buffer);

    // Appends several whole records (buffer size a multiple of the record
    // size) with one write and one flush to the disk; on failure the file
    // keeps its old length. The index ends after the last record.
    bool append(const QByteArray& records);

    // Calls `visit` for every whole record from index 0, reading in large
    // blocks; stops early when `visit` returns false.
    bool scan(const std::function<bool(const char* record, qint64 index)>& visit);

    QString errorString() const { return m_file.errorString(); }

private:
    bool syncToDisk();

    QFile m_file;
    int m_recordSize = 0;
    qint64 m_index = 0;
};
