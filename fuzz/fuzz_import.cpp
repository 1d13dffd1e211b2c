// CSV sheets of any bytes through the import of each collection, reader and
// row check together. An accepted sheet must give one card per data row,
// every slot well formed (the archive check finds nothing), required fields
// not empty, flags valid, and every cell read back from its card as the
// import promises to store it; a refused one must say why.
//   input: one byte choosing collection, encoding and --allow-duplicates;
//   then the file.

#include "FuzzSupport.h"
#include "ImportPromise.h"

#include "core/collections/Collection.h"
#include "core/import/CardImport.h"
#include "core/import/CsvReader.h"
#include "core/import/ImportNames.h"
#include "core/storage/Cp1252.h"
#include "core/storage/Record.h"
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
    options.encoding = static_cast<CardImport::Encoding>((data[0] / 4) % 3);
    options.allowDuplicates = (data[0] / 16) % 2 == 1;
    const QByteArray file(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));

    CardImport cards(collection);
    const bool accepted = cards.read(file, options);
    if (!accepted) {
        FUZZ_CHECK(!cards.report().isEmpty());
        FUZZ_CHECK(cards.records().isEmpty());
        return 0;
    }
    const RecordLayout& layout = *collection.layout;
    FUZZ_CHECK(cards.problems().isEmpty());
    FUZZ_CHECK(options.allowDuplicates || cards.duplicates().isEmpty());
    FUZZ_CHECK(cards.records().size() == qsizetype(cards.count()) * layout.size);

    // The rows again, straight from the reader.
    QByteArray bytes = file;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QBuffer device(&bytes);
    FUZZ_CHECK(device.open(QIODevice::ReadOnly));
    std::vector<CsvReader::Row> rows;
    FUZZ_CHECK(CsvReader::read(
                   device, CsvReader::guessSeparator(bytes),
                   [&](CsvReader::Row& row) {
                       rows.push_back(row);
                       return true;
                   },
                   nullptr)
        == CsvReader::Status::Done);
    FUZZ_CHECK(!rows.empty());
    const ImportNames names(collection);
    std::vector<const FieldDef*> fields;
    for (const QByteArray& heading : rows.front().fields)
        fields.push_back(names.field(cards.isUtf8() ? QString::fromUtf8(heading)
                                                    : Cp1252::decode(std::string_view(heading.constData(), std::size_t(heading.size())))));

    int card = 0;
    Record record(layout);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const QList<QByteArray>& cells = rows[r].fields;
        const bool blank = std::all_of(cells.begin(), cells.end(),
            [](const QByteArray& cell) { return Text::trimmed(std::string_view(cell.constData(), std::size_t(cell.size()))).empty(); });
        if (blank)
            continue;
        FUZZ_CHECK(card < cards.count());
        record.bytes() = cards.records().mid(qsizetype(card) * layout.size, layout.size);
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const FieldDef* f = std::size_t(i) < fields.size() ? fields[std::size_t(i)] : nullptr;
            if (!f) {
                // Only an unnamed trailing column, and it is empty.
                FUZZ_CHECK(Text::trimmed(std::string_view(cells[i].constData(), std::size_t(cells[i].size()))).empty());
                continue;
            }
            FUZZ_CHECK(
                record.text(f->name) == ImportPromise::expected(collection, *f, cells[i], cards.isUtf8(), !cards.takesValuesAsWritten()));
        }
        ++card;
    }
    FUZZ_CHECK(card == cards.count());

    ImportPromise::archiveIsClean(collection, cards.records(), cards.count());
    return 0;
}
