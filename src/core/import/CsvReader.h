#pragma once

#include <QByteArray>
#include <QList>

#include <functional>

class QIODevice;

// A CSV file cut into rows of raw fields by libcsv: quoted fields may hold
// the separator, doubled quotes and line breaks. Fields are bytes exactly
// as written between the separators (no blank is taken away); decoding is
// the caller's. Blank lines are no rows. The file is read in blocks, so a
// reader holds one row at a time whatever the file's size.
class CsvReader {
public:
    struct Row {
        int line; // the file line the row starts on, from 1
        QList<QByteArray> fields;
    };

    enum class Status {
        Done,
        Stopped,      // the row callback asked to stop
        BadQuotes,    // a quote left open or out of place
        FieldTooLong, // one field longer than kMaxFieldBytes
        ReadError,
    };

    // No slot of any card holds more than a few thousand characters: a
    // field beyond this is refused instead of being held in memory.
    static constexpr std::size_t kMaxFieldBytes = 1024 * 1024;

    // The separator that occurs most often outside quotes on the first
    // line: a semicolon (Italian LibreOffice), a tab, else a comma.
    static char guessSeparator(const QByteArray& firstBytes);

    // The line breaks in `bytes` as the reader counts them: LF, CR LF, and
    // CR alone (old Mac files) each end one line.
    static int lineBreaks(const QByteArray& bytes);

    // Reads `device` from its current position to its end, calling `onRow`
    // for every row in order; `onRow` returns false to stop. On BadQuotes
    // and FieldTooLong `errorLine` tells where.
    static Status read(QIODevice& device, char separator, const std::function<bool(Row&)>& onRow, int* errorLine);
};
