#pragma once

#include <QtGlobal>

#include <memory>

class QFile;

// A side file that the archive's writers keep true (the search's compact
// copy): told by RecordStore, under the archive's lock, of each write
// before and after it. The floor that owns the side file sets one
// follower for the whole program (set()); with none, or when the follower
// cannot keep its file, the side file is left as it was and stops matching
// the archive.
class WriteFollower {
public:
    virtual ~WriteFollower() = default;

    // One write, from before it to after it, the lock held throughout.
    class Write {
    public:
        virtual ~Write() = default;
        // The records [first, first + count) of `archive` (open, locked)
        // have been written and are on the disk.
        virtual void done(const QFile& archive, qint64 first, qint64 count) = 0;
    };
    // Before a write to `archive` (open, locked) of records of
    // `recordSize` bytes; nullptr when there is nothing to keep.
    virtual std::unique_ptr<Write> begin(const QFile& archive, int recordSize) = 0;

    static void set(WriteFollower* follower);
    static WriteFollower* get();
};
