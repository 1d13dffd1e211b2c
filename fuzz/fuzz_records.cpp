// Archives of any bytes, in the layout of each collection, through what
// reads them: the search with a filter and its result lines, the hand-back
// of a line to its card, the archive check and the export file.
//   input: one byte choosing collection, search and filter; one byte N and
//   N bytes of filter text (Windows-1252); then the archive.

#include "FuzzSupport.h"

#include "core/collections/ArchiveCheck.h"
#include "core/collections/Collection.h"
#include "core/export/ExportModel.h"
#include "core/collections/ExportTable.h"
#include "core/export/Spreadsheet.h"
#include "core/search/Search.h"
#include "core/search/SearchTable.h"
#include "core/storage/Cp1252.h"
#include "core/storage/RecordStore.h"

#include <QBuffer>

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::span<const Collection* const> all = Collection::all();
    const Collection& collection = *all[data[0] % all.size()];
    const bool available = (data[0] / 4) % 2 == 1 && collection.available;
    const SearchTable& table = available ? *collection.available : *collection.search;
    const std::size_t filterSize = std::min<std::size_t>(data[1], size - 2);
    const char* filter = reinterpret_cast<const char*>(data) + 2;
    const char* archive = filter + filterSize;
    const std::size_t archiveSize = size - 2 - filterSize;
    const QString path = FuzzSupport::writeFile(FuzzSupport::scratch(QStringLiteral("archivio")), archive, archiveSize);
    const qint64 recordSize = collection.layout->size;
    const qint64 records = qint64(archiveSize) / recordSize;

    Search engine(table);
    if (!table.filters.empty())
        engine.setFilter(int((data[0] / 8) % table.filters.size()), Cp1252::decode(std::string_view(filter, filterSize)));
    QStringList lines;
    FUZZ_CHECK(engine.run(path, lines, RecordStore::Mode::ReadExisting));
    FUZZ_CHECK(lines.size() <= records);

    // A listed line leads back to at least one card, as a double-click does.
    if (!lines.isEmpty()) {
        RecordStore store;
        FUZZ_CHECK(store.open(path, int(recordSize), RecordStore::Mode::ReadExisting));
        int found = 0;
        FUZZ_CHECK(Search::findLine(store, table, lines.last(), [&](const char*, qint64 index) {
            FUZZ_CHECK(index >= 0 && index < records);
            ++found;
        }));
        FUZZ_CHECK(found > 0);
    }

    const ArchiveCheck::Report report = ArchiveCheck::run(collection, path);
    FUZZ_CHECK(report.readable);
    FUZZ_CHECK(report.cards == records);
    FUZZ_CHECK(report.trailingBytes == qint64(archiveSize) % recordSize);
    FUZZ_CHECK(!ArchiveCheck::describe(report).isEmpty());

    ExportModel grid(*collection.exportTable);
    FUZZ_CHECK(grid.load(path));
    FUZZ_CHECK(grid.rowCount() == records);
    for (int column = 0; column < grid.columnCount() && records > 0; ++column)
        (void)grid.data(grid.index(int(records) - 1, column));
    QBuffer file;
    FUZZ_CHECK(file.open(QIODevice::WriteOnly));
    FUZZ_CHECK(Spreadsheet::write(grid, file));
    // One line of text whatever the cards hold.
    FUZZ_CHECK(!file.data().contains('\n') && !file.data().contains('\r'));
    return 0;
}
