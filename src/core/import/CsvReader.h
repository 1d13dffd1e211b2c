#pragma once

#include <QByteArray>
#include <QList>

#include <vector>

// A CSV file cut into rows of raw fields by libcsv: quoted fields may hold
// the separator, doubled quotes and line breaks. Fields are bytes exactly
// as written between the separators (no blank is taken away); decoding is
// the caller's. Blank lines are no rows.
class CsvReader {
public:
    struct Row {
        int line; // the file line the row starts on, from 1
        QList<QByteArray> fields;
    };

    // ";" when the first line holds more semicolons than commas outside
    // quotes (Italian LibreOffice saves so), else ",".
    static char guessSeparator(const QByteArray& bytes);

    // False when the quoting is broken; `errorLine` then says where.
    static bool parse(const QByteArray& bytes, char separator, std::vector<Row>& rows, int* errorLine);
};
