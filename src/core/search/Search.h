#pragma once

#include "core/search/SearchTable.h"
#include "core/storage/RecordStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <string_view>
#include <vector>

class ResultLines;

// One search over an archive, as the search screens and the command line run
// it. Filters are kept as typed; a filter is in use when its trimmed text is
// not empty, and it matches a field that contains it as one contiguous piece,
// reading A-Z as a-z and nothing else. Matching works on the stored
// Windows-1252 bytes, so no record field is ever turned into text.
class Search {
public:
    explicit Search(const SearchTable& table);

    const SearchTable& table() const { return m_table; }

    // The text typed into filter `index` (table order), unchanged.
    void setFilter(int index, const QString& typed);
    // The same by record field name, A-Z case ignored; false when the table
    // has no filter on that field.
    bool setFilter(std::string_view field, const QString& typed);
    int filtersInUse() const { return static_cast<int>(m_inUse.size()); }

    // The skip rule alone: the record may be listed.
    bool listable(const char* record) const;
    // The flag test of the skip rule alone: the card is cancelled unless its
    // flag reads the table's value ("No") once trimmed. The one rule for
    // cancelled cards: searches, labels, statistics and loans ask it here.
    bool cancelled(const char* record) const;
    // The skip rule and every filter in use.
    bool matches(const char* record) const;

    // How many threads a run reads the archive with; 0 (the default) lets
    // the run choose from the archive's size and the processors. The lines
    // are the same for any number.
    void setThreads(int threads) { m_threads = threads; }

    // Returns the lines of the records of the open store that match,
    // sorted in list order. With a filter in use, the archive's compact
    // copy (SearchIndex) names the candidates when it describes the archive
    // as it is, and only those records are read and matched; otherwise
    // every record is read, and the copy is made anew on the way. False
    // when the archive cannot be read to its end (also when it shrinks
    // during a pass over every record).
    bool run(RecordStore& store, QStringList& lines) const;
    // Opens the archive (a missing one is created empty unless `mode` says
    // otherwise), runs the search and closes it.
    bool run(const QString& archivePath, QStringList& lines, RecordStore::Mode mode = RecordStore::Mode::Read) const;

    // Calls `found` for every record, listed or not, whose line equals `line`
    // (both trimmed, exact), in archive order, with its 0-based index.
    static bool findLine(RecordStore& store, const SearchTable& table, const QString& line,
        const std::function<void(const char* record, qint64 index)>& found);

    // Calls `found` for every record, listed or not, whose `field`, trimmed,
    // equals `value` trimmed, compared as the filters compare (Windows-1252
    // bytes, A-Z read as a-z), in archive order: the lending desk's look-up
    // by code. False when the table has no filter on `field` or the archive
    // cannot be read.
    static bool findEqual(RecordStore& store, const SearchTable& table, std::string_view field, const QString& value,
        const std::function<void(const char* record, qint64 index)>& found);

    // Whether the last run of this search read only the candidates its
    // compact copy named.
    bool usedIndex() const { return m_usedIndex; }

    // Where a test may act in the middle of a search (for instance cut the
    // archive): after the compact copy named its candidates and before they
    // are read, and after the first piece of a pass over every record.
    enum class TestPoint { CandidatesNamed, FirstPieceRead };
    static void setTestHook(std::function<void(TestPoint)> hook);

private:
    struct Filter {
        const FieldDef* field;
        QByteArray folded;  // Windows-1252, A-Z folded
        bool representable; // false: a character the code page lacks, so no match
    };

    void rebuild();
    bool runIndexed(RecordStore& store, QStringList& lines, bool& indexStale) const;
    bool runPass(RecordStore& store, QStringList& lines, bool makeIndex) const;
    // Sorts the lines of `found` (joined in order) into `lines`.
    void finish(std::vector<ResultLines>& found, int threads, QStringList& lines) const;

    const SearchTable& m_table;
    std::vector<QString> m_typed;
    std::vector<Filter> m_inUse;
    const FieldDef* m_flag = nullptr;
    std::vector<const FieldDef*> m_mustBeEmpty;
    int m_threads = 0;
    mutable bool m_usedIndex = false;
};
