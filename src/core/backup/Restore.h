#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Bringing a safety copy back into the program folder. The zip is checked
// whole before anything is touched: every entry read to its end and its
// CRC checked, every name one of the catalogue's own (so no "..", no
// absolute name, no folder the catalogue does not have), no link or
// special file, no name twice, no size beyond the free space, every
// archive made of whole cards. Then the catalogue as it is becomes a
// safety copy of its own, so the restore can itself be undone, and only
// then are the files replaced, each with one rename, following a journal
// written before the first (see RestoreJournal): a restore that fails
// after it puts back what it replaced, and one cut short by a kill is
// completed by the next opener. The answer is "restored" or "nothing
// changed", never a mix.
namespace Restore {

struct Outcome {
    bool ok = false;
    QString error; // in Italian, when !ok
    QString aside; // the copy of the catalogue as it was before; empty when it was empty
    // The catalogue is as it was (always so on failure, unless even putting
    // it back failed: the next opener then completes the restore).
    bool unchanged = true;
};

// What a restore of a copy would change, for the question asked first.
struct ArchiveChange {
    QString name;
    qint64 now = -1;    // cards now; -1 when the archive is not there
    qint64 inCopy = -1; // cards in the copy; -1 when the copy lacks it (it goes)
};
struct Preview {
    QString error; // the copy's directory cannot be read
    QList<ArchiveChange> archives;
    QStringList attachmentsRemoved;
    QString otherCatalogue; // the program folder of another catalogue the copy belongs to
    bool ofAnotherCatalogue = false;
};
Preview preview(const QString& zipPath);
// The changes as lines for the question: each archive's cards now and in
// the copy, the archives and attachments that go.
QString describe(const Preview& preview);

// Empty when `zipPath` could be restored, else why not. Reads the whole zip.
QString check(const QString& zipPath);

// Restores `zipPath` into the program folder; the catalogue as it was goes
// to a new copy in `asideFolder` first.
Outcome restore(const QString& zipPath, const QString& asideFolder);

// For the tests: the restore fails at its `step`-th rename (1 the first,
// 0 never) as a full disk would, after the renames before it.
void failAtStepForTests(int step);

} // namespace Restore
