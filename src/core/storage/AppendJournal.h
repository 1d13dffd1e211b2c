#pragma once

#include "core/storage/DiskFile.h"

#include <QString>

#include <optional>

class QFileDevice;

// The journal of an append: a small file beside the archive ("Libri.pro"
// has "Libri.pro-journal") that holds the archive's length before the
// append and which file it guards (device, inode, birth). It is on the disk before the first appended byte and removed
// once the appended bytes are, so an append cut short by a kill, a crash
// or a power cut leaves it behind, and whoever opens the archive next cuts
// the archive back to that length before anything else: an append gives
// every card or none. A journal is applied only to the file it was written
// for, and never makes it longer: one left beside an archive that a
// restore or the user has since replaced is set aside, not applied.
namespace AppendJournal {

inline const QString kSuffix = QStringLiteral("-journal");
// Where a journal that does not guard the archive beside it is set aside.
inline const QString kSetAsideSuffix = QStringLiteral("-journal-scartato");

QString pathFor(const QString& archive);

// What an append may change: the old length, and the bytes of a partial
// record at the end (left by a writer from before journals), which the
// append writes over.
struct Before {
    qint64 length = -1; // -1: a journal that cannot be read
    QByteArray tail;
    DiskFile::Identity of; // the archive's file; not valid in a journal of the first format
    qint64 writtenMs = -1; // when the journal was written (its file's time), as read back
};

// Writes the journal of `archive` (the file `before.of`, else the one at
// that name now) and flushes it (and the folder's entry)
// to the disk. False, with `reason`, when it cannot.
bool begin(const QString& archive, const Before& before, QString* reason);

// What the journal of `archive` holds: nullopt when there is no journal,
// length -1 when it is there but unreadable (the process ended while
// writing it, so the archive was not yet touched).
std::optional<Before> pending(const QString& archive);

// Removes the journal and flushes the folder's entry; true when gone.
bool end(const QString& archive);

// Whether `before` guards `file`, open at the name `archive`: the same
// file (a journal of the first format, which names none, only when the
// file was plainly born before the journal was written), at least as long
// as the length the journal would cut it to.
bool guards(const Before& before, const QFileDevice& file, const QString& archive);

// Under the archive's write lock: when a journal of `file` is there, cuts
// `file` (the archive, open for writing) back to the journal's length,
// flushes it and removes the journal. A journal that does not guard `file`
// is set aside (renamed with kSetAsideSuffix) and `notice` says so. False
// when a cut was due and failed.
bool recover(QFileDevice& file, const QString& archive, QString* notice = nullptr);

// While an append is under way its archive is cut back and the journal
// removed if SIGTERM or SIGINT ends the process (what a kill or Ctrl-C
// sends), so that those leave no journal at all. Installed once by each
// executable; the signal then ends the process as it would have.
void cutBackOnSignals();
void armSignals(int fd, const Before& before, const QString& archive);
void disarmSignals();

// For the kill tests: when the environment names a number N in
// TOMARIA_TEST_PAUSE_AFTER_BATCHES, the import stops after its N-th
// appended batch, says so on standard error and waits for a signal.
void testPausePoint(int batchesWritten);

} // namespace AppendJournal
