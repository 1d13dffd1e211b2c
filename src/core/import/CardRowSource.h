#pragma once

#include "core/import/CsvReader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

// Rows for the import from a file that is neither a CSV sheet nor a
// workbook: a library's MARC records, read by the look-up library, which
// the core does not link. The source gives a header row of the card's
// field names, then one row per card (UTF-8 values, each already as the
// card stores it), numbered from 1 in the file's order; the import then
// checks, previews and writes them as it does a sheet's rows, twice.
class CardRowSource {
public:
    virtual ~CardRowSource() = default;

    // Whether a file that begins with `head` is one this source reads.
    virtual bool recognises(const QByteArray& head) const = 0;

    // Reads `file` from its current position to its end, calling `onRow`
    // for the header and then every card in order; `onRow` returns false
    // to stop. A file the source cannot read gives ReadError (or
    // FieldTooLong for a value beyond every budget) with `errorLine` the
    // card it stopped at (0: the file) and `error` why, in Italian.
    virtual CsvReader::Status read(QIODevice& file, const std::function<bool(CsvReader::Row&)>& onRow, int* errorLine, QString* error) = 0;

    // What the source's last read could not carry onto the cards (values
    // cut to their field, records left out), for the report.
    virtual QStringList notes() const = 0;

    // What one row is called in the report ("record"); the file's name for
    // itself in the dry run's summary ("MARC 21 (ISO 2709, MARC-8)").
    virtual QString rowName() const = 0;
    virtual QString formatName() const = 0;
};
