// Spreadsheet files (.xlsx) of any bytes through the import of each
// collection, the workbook reader and the row check together. Nothing may
// crash; a refused file says why and gives no card; an accepted one gives
// one card per row holding a text, every slot well formed (the archive
// check finds nothing), and every cell read back from its card as the
// import promises, the cells taken from the reader on its own.
//   input: one byte choosing the collection and --allow-duplicates; then
//   the file.

#include "FuzzSupport.h"
#include "ImportPromise.h"

#include "core/collections/Collection.h"
#include "core/import/CardImport.h"
#include "core/import/ImportNames.h"
#include "core/storage/Record.h"
#include "core/storage/XlsxReader.h"
#include "core/text/Text.h"

#include <QBuffer>

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::span<const Collection* const> all = Collection::all();
    const Collection& collection = *all[data[0] % all.size()];
    CardImport::Options options;
    options.allowDuplicates = (data[0] / 4) % 2 == 1;
    const QByteArray file(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));

    // The reader alone: it ends, and a row it gives holds a text.
    QByteArray bytes = file;
    QBuffer device(&bytes);
    FUZZ_CHECK(device.open(QIODevice::ReadOnly));
    std::vector<XlsxReader::Row> rows;
    XlsxReader reader(device);
    const XlsxReader::Status status = reader.read([&](XlsxReader::Row& row) {
        FUZZ_CHECK(!row.fields.isEmpty() && !row.fields.back().isEmpty());
        FUZZ_CHECK(row.fields.size() <= XlsxReader::kMaxColumns);
        rows.push_back(row);
        return true;
    });
    FUZZ_CHECK((status == XlsxReader::Status::Done) == reader.error().isEmpty());

    CardImport cards(collection);
    const bool accepted = cards.read(file, options);
    if (!accepted) {
        FUZZ_CHECK(!cards.report().isEmpty());
        FUZZ_CHECK(cards.records().isEmpty());
        return 0;
    }
    if (!cards.isXlsx())
        return 0; // a CSV after all: the import target's part
    FUZZ_CHECK(status == XlsxReader::Status::Done);
    const RecordLayout& layout = *collection.layout;
    FUZZ_CHECK(cards.problems().isEmpty());
    FUZZ_CHECK(options.allowDuplicates || cards.duplicates().isEmpty());
    FUZZ_CHECK(cards.records().size() == qsizetype(cards.count()) * layout.size);
    FUZZ_CHECK(!rows.empty());

    const ImportNames names(collection);
    std::vector<const FieldDef*> fields;
    for (const QByteArray& heading : rows.front().fields)
        fields.push_back(names.field(QString::fromUtf8(heading)));
    int card = 0;
    Record record(layout);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const QList<QByteArray>& cells = rows[r].fields;
        FUZZ_CHECK(cells.size() <= qsizetype(fields.size()));
        const bool blank = std::all_of(cells.begin(), cells.end(),
            [](const QByteArray& cell) { return Text::trimmed(std::string_view(cell.constData(), std::size_t(cell.size()))).empty(); });
        if (blank)
            continue;
        FUZZ_CHECK(card < cards.count());
        record.bytes() = cards.records().mid(qsizetype(card) * layout.size, layout.size);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const QByteArray cell = qsizetype(i) < cells.size() ? cells[qsizetype(i)] : QByteArray();
            if (!fields[i]) {
                FUZZ_CHECK(Text::trimmed(std::string_view(cell.constData(), std::size_t(cell.size()))).empty());
                continue;
            }
            FUZZ_CHECK(record.text(fields[i]->name) == ImportPromise::expected(collection, *fields[i], cell, true, true));
        }
        ++card;
    }
    FUZZ_CHECK(card == cards.count());

    ImportPromise::archiveIsClean(collection, cards.records(), cards.count());
    return 0;
}
