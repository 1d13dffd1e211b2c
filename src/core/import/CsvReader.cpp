#include "CsvReader.h"

#include <QIODevice>

#include <csv.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct Sink {
    const std::function<bool(CsvReader::Row&)>* onRow;
    CsvReader::Row row;
    int line = 1;
    int nextRowLine = 1;      // at least: where the row after the last one begins
    qsizetype fieldCount = 0; // fields of the row so far
    bool inRow = false;
    bool stop = false;
};

void onField(void* data, std::size_t size, void* context)
{
    auto* sink = static_cast<Sink*>(context);
    if (sink->stop)
        return;
    // The row's fields are reused from row to row: their buffers stay, so
    // a file of a million cells does not make a million allocations.
    QList<QByteArray>& fields = sink->row.fields;
    if (!sink->inRow) {
        sink->fieldCount = 0;
        sink->inRow = true;
    }
    if (sink->fieldCount == fields.size())
        fields.emplace_back();
    QByteArray& field = fields[sink->fieldCount++];
    field.resize(static_cast<qsizetype>(size));
    if (size > 0)
        std::memcpy(field.data(), data, size);
    // A field is reported on the line where it ends: its own line breaks
    // lead back to where the row began.
    if (sink->fieldCount == 1)
        sink->row.line = sink->line - CsvReader::lineBreaks(field);
}

void onRowEnd(int, void* context)
{
    auto* sink = static_cast<Sink*>(context);
    if (sink->inRow)
        sink->row.fields.resize(sink->fieldCount);
    if (!sink->stop && sink->inRow && !(*sink->onRow)(sink->row))
        sink->stop = true;
    sink->inRow = false;
    sink->fieldCount = 0;
    sink->nextRowLine = sink->line + 1;
}

// Blanks around a field are part of it.
int noSpace(unsigned char)
{
    return 0;
}

// libcsv grows its field buffer through this; a field longer than any card
// could hold is refused here, before it takes the memory.
void* boundedRealloc(void* block, std::size_t size)
{
    if (size > CsvReader::kMaxFieldBytes + 1)
        return nullptr;
    return std::realloc(block, size);
}

} // namespace

char CsvReader::guessSeparator(const QByteArray& bytes)
{
    int commas = 0, semicolons = 0, tabs = 0;
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
        else if (!quoted && c == '\t')
            ++tabs;
    }
    if (semicolons > commas && semicolons >= tabs)
        return ';';
    return tabs > commas ? '\t' : ',';
}

int CsvReader::lineBreaks(const QByteArray& bytes)
{
    int n = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')))
            ++n;
    }
    return n;
}

CsvReader::Status CsvReader::read(QIODevice& device, char separator, const std::function<bool(Row&)>& onRow, int* errorLine)
{
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0)
        return Status::ReadError;
    const std::unique_ptr<csv_parser, void (*)(csv_parser*)> owner(&parser, csv_free);
    csv_set_delim(&parser, static_cast<unsigned char>(separator));
    csv_set_space_func(&parser, noSpace);
    // The default grows a field 128 bytes at a time: quadratic on long fields.
    csv_set_blk_size(&parser, 64 * 1024);
    csv_set_realloc_func(&parser, boundedRealloc);
    Sink sink{&onRow, {}};
    auto failed = [&]() {
        if (errorLine)
            *errorLine = sink.line;
        return csv_error(&parser) == CSV_EPARSE ? Status::BadQuotes : Status::FieldTooLong;
    };
    // Fed one line at a time, so that every field knows its line; a CR
    // ending a block may be the first half of a CR LF.
    bool pendingCr = false;
    QByteArray block(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 got = device.read(block.data(), block.size());
        if (got < 0)
            return Status::ReadError;
        if (got == 0)
            break;
        const char* data = block.constData();
        qint64 from = 0;
        if (pendingCr) {
            pendingCr = false;
            if (data[0] == '\n') {
                if (csv_parse(&parser, data, 1, onField, onRowEnd, &sink) != 1)
                    return failed();
                from = 1;
            }
            ++sink.line;
        }
        while (from < got) {
            qint64 end = from;
            while (end < got && data[end] != '\n' && data[end] != '\r')
                ++end;
            bool lineEnds = end < got;
            if (lineEnds && data[end] == '\r') {
                if (end + 1 < got && data[end + 1] == '\n')
                    ++end;
                else if (end + 1 == got) {
                    pendingCr = true;
                    lineEnds = false;
                }
            }
            if (end < got)
                ++end;
            const auto size = static_cast<std::size_t>(end - from);
            if (csv_parse(&parser, data + from, size, onField, onRowEnd, &sink) != size)
                return failed();
            if (sink.stop)
                return Status::Stopped;
            from = end;
            if (lineEnds)
                ++sink.line;
        }
    }
    if (csv_fini(&parser, onField, onRowEnd, &sink) != 0) {
        if (errorLine)
            *errorLine = sink.inRow ? sink.row.line : sink.nextRowLine;
        return csv_error(&parser) == CSV_EPARSE ? Status::BadQuotes : Status::FieldTooLong;
    }
    return sink.stop ? Status::Stopped : Status::Done;
}
