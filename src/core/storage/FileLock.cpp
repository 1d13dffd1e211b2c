#include "FileLock.h"

#include <QDeadlineTimer>
#include <QFileDevice>
#include <QThread>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
#include <cerrno>
#endif

namespace {

int& patienceMs()
{
    static int ms = 5000;
    return ms;
}

int& injectedError()
{
    static int error = 0;
    return error;
}

#ifdef Q_OS_WIN
OVERLAPPED farByte()
{
    OVERLAPPED at{};
    at.Offset = 0xFFFFFFFEu;
    at.OffsetHigh = 0x7FFFFFFFu;
    return at;
}

bool tryLock(int fd)
{
    OVERLAPPED at = farByte();
    return LockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}

void unlock(int fd)
{
    OVERLAPPED at = farByte();
    UnlockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), 0, 1, 0, &at);
}
#else
// flock belongs to the open file, not to the process as fcntl locks do, so
// closing another descriptor of the same archive never drops it.
bool tryLock(int fd)
{
    if (injectedError() != 0) {
        errno = injectedError();
        return false;
    }
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    return rc == 0;
}

void unlock(int fd)
{
    ::flock(fd, LOCK_UN);
}
#endif

} // namespace

FileLock::FileLock(QFileDevice& file)
    : FileLock(file, patienceMs())
{
}

FileLock::FileLock(QFileDevice& file, int milliseconds)
    : m_file(file)
{
    const int fd = file.handle();
    if (fd < 0)
        return;
    const QDeadlineTimer deadline(milliseconds);
    for (;;) {
        if ((m_locked = tryLock(fd)))
            return;
#ifndef Q_OS_WIN
        if (errno == ENOLCK) {
            m_unsupported = true;
            return;
        }
#endif
        if (deadline.hasExpired())
            return;
        QThread::msleep(5);
    }
}

FileLock::~FileLock()
{
    if (m_locked && m_file.handle() >= 0)
        unlock(m_file.handle());
}

int FileLock::patience()
{
    return patienceMs();
}

void FileLock::setPatience(int milliseconds)
{
    patienceMs() = milliseconds;
}

void FileLock::failForTests(int error)
{
    injectedError() = error;
}
