#pragma once

#include <QString>

#include <optional>

class QFileDevice;

// The journal of an append: a small file beside the archive ("Libri.pro"
// has "Libri.pro-journal") that holds the archive's length before the
// append. It is on the disk before the first appended byte and removed
// once the appended bytes are, so an append cut short by a kill, a crash
// or a power cut leaves it behind, and whoever opens the archive next cuts
// the archive back to that length before anything else: an append gives
// every card or none.
namespace AppendJournal {

inline const QString kSuffix = QStringLiteral("-journal");

QString pathFor(const QString& archive);

// What an append may change: the old length, and the bytes of a partial
// record at the end (left by a writer from before journals), which the
// append writes over.
struct Before {
    qint64 length = -1; // -1: a journal that cannot be read
    QByteArray tail;
};

// Writes the journal of `archive` and flushes it (and the folder's entry)
// to the disk. False, with `reason`, when it cannot.
bool begin(const QString& archive, const Before& before, QString* reason);

// What the journal of `archive` holds: nullopt when there is no journal,
// length -1 when it is there but unreadable (the process ended while
// writing it, so the archive was not yet touched).
std::optional<Before> pending(const QString& archive);

// Removes the journal and flushes the folder's entry; true when gone.
bool end(const QString& archive);

// Under the archive's write lock: when a journal is there, cuts `file`
// (the archive, open for writing) back to the journal's length, flushes it
// and removes the journal. False when a cut was due and failed.
bool recover(QFileDevice& file, const QString& archive);

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
