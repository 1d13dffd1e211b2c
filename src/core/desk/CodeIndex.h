#pragma once

#include "core/search/SearchIndex.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

struct Collection;
class RecordStore;

// Where each code of one archive lies, so that a scan at the desk reads the
// few cards that hold the code instead of the whole archive. The index is
// trusted as the searches' compact copy is: only while the archive, read
// from the open file, has the device, inode, size, modification and change
// time it had when the index was made. It is made from the compact copy's
// codes when the copy describes the archive as it is, else by reading every
// card. A write of the desk re-stamps it under the archive's lock, and only
// when the file was, just before that write, the state the index describes;
// so a change anyone else made, even one of the same size within the same
// second, is seen at the next lookup.
class CodeIndex {
public:
    explicit CodeIndex(const Collection& collection);

    const Collection& collection() const { return *m_collection; }
    QString path() const;

    // The 0-based positions whose code has `key` (DeskCard::key), made
    // again first when the archive changed. False when the archive cannot
    // be read; a missing archive holds no code.
    bool lookup(const QByteArray& key, QList<qint64>& positions);
    // Made again at the next lookup.
    void invalidate() { m_built = false; }
    // Makes the index now if it does not describe the archive as it is:
    // before a write of the desk, while the compact copy still describes
    // the archive (the write changes the archive, not the copy). False
    // when the archive cannot be read.
    bool prepare();

    // For a write of the desk that keeps every code as it was: called under
    // the archive's lock before (written false) and after the write, with
    // the open file. The index stays good when it described the file just
    // before the write.
    void underLock(int handle, bool written);

    // Whether the last lookup or index came from the compact copy.
    bool fromCopy() const { return m_fromCopy; }

private:
    // The state of the open archive; `exact` false where the system gives
    // no change time (the index then trusts size and modification time).
    struct Stamp {
        SearchIndex::Stamp file;
        bool exact = false;
        bool operator==(const Stamp&) const = default;
    };
    static bool stampOf(const RecordStore& store, Stamp& stamp);
    bool open(RecordStore& store, Stamp& now) const;
    // The cards of `key` named by the compact copy and read again; false
    // when there is no copy of the archive as it is, or it names many.
    bool fromCopy(RecordStore& store, const QByteArray& key, QList<qint64>& positions);
    bool build(RecordStore& store, const Stamp& stamp);

    const Collection* m_collection;
    QHash<QByteArray, QList<qint64>> m_positions;
    Stamp m_stamp;
    bool m_built = false;
    bool m_fromCopy = false;
    bool m_keep = false; // between the two calls of underLock
};
