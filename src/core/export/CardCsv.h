#pragma once

#include <QString>

class QIODevice;
struct Collection;

// The complete CSV of an archive: every field of every card, for moving a
// catalogue whole into another program folder through the import. The
// header row names the columns by record field in the layout's order, so
// the import reads them back; UTF-8 with a byte-order mark, ";" between
// fields, CR LF after each row. A value is quoted when it holds the
// separator, a quote, a line break or any other control character, or
// begins or ends with a blank; its quotes are doubled and its line breaks
// (the article text's) kept. Values are those the card shows: length-byte
// slots trimmed, zero-terminated ones as stored. Cancelled cards are
// written too, with their flag.
namespace CardCsv {

// The header row, without its line end.
QString header(const Collection& collection);

// How a write went: the rows written, or what failed and why (in Italian).
struct Outcome {
    int cards = 0;
    bool readFailed = false; // the archive, not the file written, failed
    QString reason;
};

// Writes the header and one row per whole card of the archive into `out`.
// False when the archive cannot be read to its end or a write fails.
bool write(const Collection& collection, const QString& archivePath, QIODevice& out, Outcome* outcome = nullptr);

// Creates `path` anew: written beside it under a temporary name, flushed
// to the disk and renamed over it only when complete, so a failure leaves
// any previous file exactly as it was.
bool save(const Collection& collection, const QString& archivePath, const QString& path, Outcome* outcome = nullptr);

// Whether the file at `path` starts as every file written by write() does
// (the byte-order mark and the header row of one of the collections): a
// complete CSV of this program, which a later export may replace.
bool isOurs(const QString& path);

} // namespace CardCsv
