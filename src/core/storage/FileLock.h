#pragma once

class QFileDevice;

// An exclusive lock on an open file, held while this object lives. Only
// writers take it (an append or a save finds the end of the archive and
// writes there under it); readers need none. The system drops the lock
// when the file is closed or the process ends, even after a crash, so a
// lock is never left stale. On Windows the locked byte lies far beyond any
// archive's end, so the lock never stops a reader.
class FileLock {
public:
    // Waits at most patience() milliseconds for the lock.
    explicit FileLock(QFileDevice& file);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return m_locked; }

    static int patience();
    static void setPatience(int milliseconds); // tests shorten the wait

private:
    QFileDevice& m_file;
    bool m_locked = false;
};
