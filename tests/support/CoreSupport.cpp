#include "CoreSupport.h"

#include "core/storage/ProgramFolder.h"
#include "core/storage/Record.h"

#include <QFile>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <ctime>
#include <unistd.h>

TestFolder::TestFolder()
{
    ProgramFolder::setPath(m_dir.path());
}

TestFolder::~TestFolder()
{
    ProgramFolder::setPath(QString());
}

QString TestFolder::path() const
{
    return m_dir.path() + QLatin1Char('/');
}

QByteArray TestFolder::read(const QString& name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestFolder::write(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

bool setModifiedFromNow(const QString& path, qint64 seconds)
{
    timespec now{};
    if (::clock_gettime(CLOCK_REALTIME, &now) != 0)
        return false;
    const timespec when{now.tv_sec + seconds, now.tv_nsec};
    // Access time left alone, modification time set.
    const timespec times[2] = {{0, UTIME_OMIT}, when};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit limit = m_old;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_handler);
}

FifoWatch::FifoWatch(const QString& path)
    : m_path(QFile::encodeName(path))
{
    m_created = ::mkfifo(m_path.constData(), 0600) == 0;
    if (!m_created)
        return;
    m_watcher = std::thread([this] {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_done.wait_for(lock, std::chrono::seconds(10), [this] { return m_stop; }))
            return;
        m_hung = true;
        // Non-blocking: succeeds only while a reader waits, and then frees it.
        const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
}

FifoWatch::~FifoWatch()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_done.notify_all();
    if (m_watcher.joinable())
        m_watcher.join();
}

qint64 FailingDevice::writeData(const char* data, qint64 size)
{
    const qint64 room = m_limit - written.size();
    if (room <= 0)
        return -1;
    const qint64 taken = std::min(room, size);
    written.append(data, taken);
    return taken;
}

QByteArray card(const RecordLayout& layout, const QList<QPair<const char*, QString>>& fields)
{
    Record r(layout);
    for (const auto& [name, value] : fields)
        r.setText(name, value);
    return r.bytes();
}
