#pragma once

#include "ui/shell/Msg.h"

#include "ui/report/PreparedReport.h"

#include <QApplication>
#include <QIODevice>
#include <QPointer>
#include <QStringList>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <sys/resource.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

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

// Replaces the message boxes while it lives: records each one and answers
// confirmations from a script (No when the script is empty).
class MessageLog {
public:
    struct Entry {
        Msg::Kind kind;
        QString text;
    };
    MessageLog();
    ~MessageLog();
    QList<Entry> entries;
    std::deque<bool> answers;

    void clear() { entries.clear(); }
    QString lastText() const { return entries.isEmpty() ? QString() : entries.last().text; }
};

// Records what the document opener was asked to open.
class OpenLog {
public:
    explicit OpenLog(bool succeed = true);
    ~OpenLog();
    QList<QUrl> urls;
};

// Replaces the file-open dialog while it lives: each call takes the next
// answer (a path, or empty for Cancel) and records the title and filter.
class FileChoice {
public:
    FileChoice();
    ~FileChoice();
    std::deque<QString> answers;
    QStringList titles, filters;
};

// Replaces the print dialog while it lives: keeps what it was offered and
// accepts (printing into `pdf` when one is named) or cancels.
class PrintLog {
public:
    explicit PrintLog(bool accept, const QString& pdf = {});
    ~PrintLog();
    QList<PreparedReport> offered;
};

// A device that takes `limit` bytes and then fails every write, as a disk
// that fills up in the middle of a file.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(qint64 limit) : m_limit(limit) { open(QIODevice::WriteOnly); }
    QByteArray written;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    qint64 m_limit;
};

// Runs `drive` on the next modal window of class T as soon as it is shown,
// so a test can open a dialog and read top to bottom. A dialog the driver
// leaves open (a failed check returns early) is closed, so the test goes
// on to report the failure instead of waiting for ever.
template <class T>
void onNextModal(std::function<void(T*)> drive, int attempts = 200)
{
    QTimer::singleShot(0, [drive, attempts] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            QPointer<T> guard(w);
            drive(w);
            if (guard && guard->isVisible() && QApplication::activeModalWidget() == guard)
                guard->close();
            return;
        }
        if (attempts > 0)
            onNextModal<T>(drive, attempts - 1);
    });
}

class TfrmLibri;

// The 23 start-up screens over a fresh program folder, with the message
// boxes recorded and the book card shown; destroyed in reverse order.
struct BookCardSession {
    BookCardSession();
    ~BookCardSession();
    TestFolder folder;
    MessageLog log;
    TfrmLibri* card = nullptr;
};

// Sends Enter-key presses and mouse moves the way the window system would.
void pressEnter(QWidget* w);
void hover(QWidget* w);

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
