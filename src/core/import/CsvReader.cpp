#include "CsvReader.h"

#include <csv.h>

#include <memory>

namespace {

struct Sink {
    std::vector<CsvReader::Row>* rows;
    int line = 1;
    int nextRowLine = 1; // at least: where the row after the last one begins
    bool inRow = false;
};

void onField(void* data, std::size_t size, void* context)
{
    auto* sink = static_cast<Sink*>(context);
    const QByteArray field = data ? QByteArray(static_cast<const char*>(data), static_cast<qsizetype>(size)) : QByteArray();
    if (!sink->inRow) {
        // A field is reported on the line where it ends: its own line
        // breaks lead back to where the row began.
        sink->rows->push_back({sink->line - static_cast<int>(field.count('\n')), {}});
        sink->inRow = true;
    }
    sink->rows->back().fields.append(field);
}

void onRowEnd(int, void* context)
{
    auto* sink = static_cast<Sink*>(context);
    sink->inRow = false;
    sink->nextRowLine = sink->line + 1;
}

// Blanks around a field are part of it.
int noSpace(unsigned char)
{
    return 0;
}

} // namespace

char CsvReader::guessSeparator(const QByteArray& bytes)
{
    int commas = 0, semicolons = 0;
    bool quoted = false;
    for (const char c : bytes) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == ';')
            ++semicolons;
    }
    return semicolons > commas ? ';' : ',';
}

bool CsvReader::parse(const QByteArray& bytes, char separator, std::vector<Row>& rows, int* errorLine)
{
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0)
        return false;
    const std::unique_ptr<csv_parser, void (*)(csv_parser*)> owner(&parser, csv_free);
    csv_set_delim(&parser, static_cast<unsigned char>(separator));
    csv_set_space_func(&parser, noSpace);
    Sink sink{&rows};
    // Fed one line at a time, so that every field knows its line.
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', from);
        end = end < 0 ? bytes.size() : end + 1;
        const auto size = static_cast<std::size_t>(end - from);
        if (csv_parse(&parser, bytes.constData() + from, size, onField, onRowEnd, &sink) != size) {
            if (errorLine)
                *errorLine = sink.line;
            return false;
        }
        from = end;
        if (bytes.at(end - 1) == '\n')
            ++sink.line;
    }
    if (csv_fini(&parser, onField, onRowEnd, &sink) != 0) {
        if (errorLine)
            *errorLine = sink.inRow ? sink.rows->back().line : sink.nextRowLine;
        return false;
    }
    return true;
}
