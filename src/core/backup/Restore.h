#pragma once

#include <QString>

// Bringing a safety copy back into the program folder. The zip is checked
// whole before anything is touched: every entry read to its end and its
// CRC checked, every name one of the catalogue's own (so no "..", no
// absolute name, no folder the catalogue does not have), no link or
// special file, no name twice, no size beyond the free space, every
// archive made of whole cards. Then the catalogue as it is becomes a
// safety copy of its own, so the restore can itself be undone, and only
// then are the files replaced.
namespace Restore {

struct Outcome {
    bool ok = false;
    QString error; // in Italian, when !ok
    QString aside; // the copy of the catalogue as it was before; empty when it was empty
};

// Empty when `zipPath` could be restored, else why not. Reads the whole zip.
QString check(const QString& zipPath);

// Restores `zipPath` into the program folder; the catalogue as it was goes
// to a new copy in `asideFolder` first.
Outcome restore(const QString& zipPath, const QString& asideFolder);

} // namespace Restore
