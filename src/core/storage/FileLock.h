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
    // Waits at most `milliseconds` (0: one try).
    FileLock(QFileDevice& file, int milliseconds);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return m_locked; }
    // The file system refused to lock at all (ENOLCK: a network folder
    // mounted without locking); waiting would not help.
    bool unsupported() const { return m_unsupported; }

    static int patience();
    static void setPatience(int milliseconds); // tests shorten the wait
    // Tests make every lock fail with this system error (0: real locks).
    static void failForTests(int error);

private:
    QFileDevice& m_file;
    bool m_locked = false;
    bool m_unsupported = false;
};
