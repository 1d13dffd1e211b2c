#pragma once

#ifndef Q_OS_WIN
#include <QtGlobal>

#include <cerrno>
#include <unistd.h>

// Reads exactly `bytes` at `at` of an open file without moving its offset,
// so readers sharing the descriptor never disturb each other; false when
// the file ends first or the system fails.
inline bool readAt(int fd, qint64 at, char* into, qint64 bytes)
{
    while (bytes > 0) {
        const ssize_t got = ::pread(fd, into, static_cast<std::size_t>(bytes), static_cast<off_t>(at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        into += got;
        at += got;
        bytes -= got;
    }
    return true;
}
#endif
