#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QPair>
#include <QString>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// What tests of the core need: no widget, no screen.

struct RecordLayout;

// The bytes of one card of `layout` with `fields` set, the others empty.
QByteArray card(const RecordLayout& layout, const QList<QPair<const char*, QString>>& fields);

// A fresh, empty program folder for one test; removed afterwards.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    QString path() const; // with the trailing separator
    QString file(const QString& name) const { return path() + name; }
    QByteArray read(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
};

// Sets the modification time of `path` to `seconds` from now (negative: in
// the past), to the nanosecond: a test that needs a file older or newer
// than another says so instead of waiting for the clock.
bool setModifiedFromNow(const QString& path, qint64 seconds);

// A device that takes `limit` bytes and then fails every write, as a disk
// that fills up in the middle of a file.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(qint64 limit)
        : m_limit(limit)
    {
        open(QIODevice::WriteOnly);
    }
    QByteArray written;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    qint64 m_limit;
};

// Files written from here on fail beyond `bytes` bytes, as on a full disk or
// under a quota: the limit is set with SIGXFSZ ignored, so the write
// returns an error instead of ending the test. Both are restored after.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();

private:
    rlimit m_old{};
    void (*m_handler)(int) = nullptr;
};

// A FIFO at `path`. Opening it for reading blocks until a writer comes, so
// code that wrongly opens it would hang the test: after a few seconds a
// watcher opens and closes the write end, which lets the reader go on, and
// hung() says so. The watcher ends with this object.
class FifoWatch {
public:
    explicit FifoWatch(const QString& path);
    ~FifoWatch();
    bool created() const { return m_created; }
    bool hung() const { return m_hung; }

private:
    QByteArray m_path;
    bool m_created = false;
    std::atomic<bool> m_hung{false};
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_stop = false;
    std::thread m_watcher;
};
