#include "Search.h"

#include "core/search/ArchivePass.h"
#include "core/search/Fold.h"
#include "core/search/ResultLines.h"
#include "core/search/SearchIndex.h"
#include "core/search/SearchIndexWriter.h"
#include "core/search/Threads.h"
#include "core/storage/Cp1252.h"
#include "core/storage/TextSlot.h"
#include "core/text/Text.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

namespace {

const FieldDef& fieldOf(const RecordLayout& layout, std::string_view name)
{
    if (const FieldDef* f = layout.find(name))
        return *f;
    throw std::logic_error("search table names a field the layout lacks");
}

bool sameFieldName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Text::foldAZ(a[i]) != Text::foldAZ(b[i]))
            return false;
    }
    return true;
}

bool containsFolded(std::string_view field, const QByteArray& needle)
{
    const std::string_view n(needle.constData(), static_cast<std::size_t>(needle.size()));
    if (field.size() < n.size())
        return false;
    std::array<char, 8192> small;
    std::string large;
    char* buffer = small.data();
    if (field.size() > small.size()) {
        large.resize(field.size());
        buffer = large.data();
    }
    Fold::into(field, buffer);
    return std::string_view(buffer, field.size()).find(n) != std::string_view::npos;
}

std::function<void(Search::TestPoint)>& testHook()
{
    static std::function<void(Search::TestPoint)> hook;
    return hook;
}

void reach(Search::TestPoint point)
{
    if (testHook())
        testHook()(point);
}

// The fields the compact copy holds: every filter field of the table, so
// that any search of the table's screen finds its fields there.
std::vector<const FieldDef*> indexedFields(const SearchTable& table)
{
    std::vector<const FieldDef*> fields;
    for (const SearchFilter& f : table.filters)
        fields.push_back(&fieldOf(*table.layout, f.field));
    return fields;
}

// Candidates are read one by one only while they are few: past one card in
// sixteen, a pass over the whole archive costs less.
bool fewEnough(std::size_t candidates, qint64 records)
{
    constexpr qint64 kShare = 16;
    return static_cast<qint64>(candidates) <= records / kShare;
}

// Threads for `bytes` of work read from the copy or the archive: one per
// few megabytes, never more than the processors.
int threadsFor(qint64 bytes, int byHand)
{
    if (byHand > 0)
        return byHand;
    constexpr qint64 kBytesPerThread = 4 << 20;
    const qint64 cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<int>(std::clamp<qint64>(bytes / kBytesPerThread, 1, std::min<qint64>(cores, 8)));
}

// The records of the open store that `wanted` accepts, in archive order,
// each copied with its index: named by the compact copy through `needles`
// when the copy describes the archive as it is, else read from every
// record (and the copy made anew on the way).
bool collect(RecordStore& store, const SearchTable& table, const std::vector<SearchIndex::Needle>& needles,
    const std::function<bool(const char*)>& wanted, std::vector<std::pair<qint64, QByteArray>>& hits)
{
    hits.clear();
    const int size = table.layout->size;
    const std::vector<const FieldDef*> fields = indexedFields(table);
    SearchIndex index;
    const bool indexed = index.open(store, table.layout->kind, fields);
    if (indexed && !needles.empty()) {
        std::vector<qint64> candidates;
        if (index.candidates(needles, 1, candidates) && fewEnough(candidates.size(), store.count())) {
            reach(Search::TestPoint::CandidatesNamed);
            const bool read = store.readRecords(
                candidates.data(), static_cast<qint64>(candidates.size()), [&](const char* record, qint64 i) {
                    if (wanted(record))
                        hits.emplace_back(i, QByteArray(record, size));
                    return true;
                });
            if (read && index.current(store))
                return true;
            hits.clear();
        }
    }
    SearchIndexWriter writer;
    const bool making = !indexed && writer.begin(store, table.layout->kind, fields);
    const ArchivePass pass(store.count(), size);
    std::vector<std::vector<std::pair<qint64, QByteArray>>> found(static_cast<std::size_t>(pass.pieces()));
    std::vector<SearchIndexWriter::Buffers> buffers(static_cast<std::size_t>(pass.threads()), writer.buffers());
    const bool read = pass.run(
        store,
        [&](int thread, qint64 piece, const char* record, qint64 i) {
            if (making)
                writer.add(record, buffers[static_cast<std::size_t>(thread)]);
            if (wanted(record))
                found[static_cast<std::size_t>(piece)].emplace_back(i, QByteArray(record, size));
        },
        [&](int thread, qint64, qint64 first, qint64 last) {
            if (making)
                writer.addPiece(first, last, buffers[static_cast<std::size_t>(thread)]);
        });
    writer.finish(store, read);
    if (!read)
        return false;
    for (auto& piece : found)
        hits.insert(hits.end(), std::make_move_iterator(piece.begin()), std::make_move_iterator(piece.end()));
    return true;
}

} // namespace

void Search::setTestHook(std::function<void(TestPoint)> hook)
{
    testHook() = std::move(hook);
}

const SearchFilter* SearchTable::filterFor(std::string_view field) const
{
    for (const SearchFilter& f : filters) {
        if (sameFieldName(f.field, field))
            return &f;
    }
    return nullptr;
}

Search::Search(const SearchTable& table)
    : m_table(table)
    , m_typed(table.filters.size())
{
    if (!table.skip.flagField.empty())
        m_flag = &fieldOf(*table.layout, table.skip.flagField);
    for (std::string_view name : table.skip.mustBeEmpty)
        m_mustBeEmpty.push_back(&fieldOf(*table.layout, name));
    for (const SearchFilter& f : table.filters)
        fieldOf(*table.layout, f.field);
}

void Search::setFilter(int index, const QString& typed)
{
    if (index < 0 || index >= static_cast<int>(m_typed.size()))
        return;
    m_typed[static_cast<std::size_t>(index)] = typed;
    rebuild();
}

bool Search::setFilter(std::string_view field, const QString& typed)
{
    const SearchFilter* f = m_table.filterFor(field);
    if (!f)
        return false;
    setFilter(static_cast<int>(f - m_table.filters.data()), typed);
    return true;
}

void Search::rebuild()
{
    m_inUse.clear();
    for (std::size_t i = 0; i < m_typed.size(); ++i) {
        const QString& typed = m_typed[i];
        if (Text::trimmed(typed).isEmpty())
            continue;
        // The filter as typed, blanks included; folded once here.
        bool exact = true;
        QByteArray bytes = Cp1252::encode(typed, &exact);
        Fold::into(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), bytes.data());
        m_inUse.push_back({&fieldOf(*m_table.layout, m_table.filters[i].field), bytes, exact});
    }
}

bool Search::cancelled(const char* record) const
{
    return m_flag && Text::trimmed(TextSlot::raw(record, *m_flag, m_table.layout->kind)) != m_table.skip.flagValue;
}

bool Search::listable(const char* record) const
{
    const SlotKind kind = m_table.layout->kind;
    if (cancelled(record))
        return false;
    for (const FieldDef* f : m_mustBeEmpty) {
        if (!Text::trimmed(TextSlot::raw(record, *f, kind)).empty())
            return false;
    }
    return true;
}

bool Search::matches(const char* record) const
{
    if (!listable(record))
        return false;
    const SlotKind kind = m_table.layout->kind;
    for (const Filter& f : m_inUse) {
        if (!f.representable || !containsFolded(TextSlot::raw(record, *f.field, kind), f.folded))
            return false;
    }
    return true;
}

bool Search::run(RecordStore& store, QStringList& lines) const
{
    lines.clear();
    m_usedIndex = false;
    bool stale = true;
    if (runIndexed(store, lines, stale)) {
        m_usedIndex = true;
        return true;
    }
    return runPass(store, lines, stale);
}

bool Search::runIndexed(RecordStore& store, QStringList& lines, bool& indexStale) const
{
    SearchIndex index;
    indexStale = !index.open(store, m_table.layout->kind, indexedFields(m_table));
    if (indexStale || m_inUse.empty())
        return false;
    std::vector<SearchIndex::Needle> needles;
    for (const Filter& f : m_inUse) {
        // A character the code page lacks matches no card.
        if (!f.representable)
            return index.current(store);
        needles.push_back({f.field, std::string_view(f.folded.constData(), static_cast<std::size_t>(f.folded.size()))});
    }
    qint64 bytes = 0;
    for (const SearchIndex::Needle& n : needles)
        bytes = std::max(bytes, index.columnBytes(n.field));
    std::vector<qint64> candidates;
    if (!index.candidates(needles, threadsFor(bytes, m_threads), candidates) || !fewEnough(candidates.size(), store.count()))
        return false;
    reach(TestPoint::CandidatesNamed);
    // Every candidate is read from the archive and matched there: the copy
    // only spares reading the others.
    const int threads = threadsFor(static_cast<qint64>(candidates.size()) * m_table.layout->size, m_threads);
    const qint64 per = (static_cast<qint64>(candidates.size()) + threads - 1) / threads;
    std::vector<ResultLines> found;
    for (int t = 0; t < threads; ++t)
        found.emplace_back(m_table);
    std::vector<char> read(static_cast<std::size_t>(threads), 0);
    Threads::run(threads, [&](int t) {
        const qint64 first = std::min<qint64>(t * per, static_cast<qint64>(candidates.size()));
        const qint64 last = std::min<qint64>(first + per, static_cast<qint64>(candidates.size()));
        read[static_cast<std::size_t>(t)] = store.readRecords(candidates.data() + first, last - first, [&](const char* record, qint64) {
            if (matches(record))
                found[static_cast<std::size_t>(t)].add(record);
            return true;
        });
    });
    // A record that could not be read, or an archive that changed while the
    // candidates were read: the pass over every record decides.
    if (std::find(read.begin(), read.end(), 0) != read.end() || !index.current(store))
        return false;
    finish(found, threads, lines);
    return true;
}

bool Search::runPass(RecordStore& store, QStringList& lines, bool makeIndex) const
{
    const ArchivePass pass(store.count(), m_table.layout->size, m_threads);
    const int threads = pass.threads();
    SearchIndexWriter writer;
    const bool making = makeIndex && writer.begin(store, m_table.layout->kind, indexedFields(m_table));
    std::vector<SearchIndexWriter::Buffers> buffers(static_cast<std::size_t>(threads), writer.buffers());
    // Each piece keeps lines of its own; joined in piece order they are the
    // lines of one pass in archive order.
    std::vector<ResultLines> found;
    found.reserve(static_cast<std::size_t>(pass.pieces()));
    for (qint64 piece = 0; piece < pass.pieces(); ++piece)
        found.emplace_back(m_table);
    std::atomic<bool> first = true;
    const bool read = pass.run(
        store,
        [&](int thread, qint64 piece, const char* record) {
            if (making)
                writer.add(record, buffers[static_cast<std::size_t>(thread)]);
            if (matches(record))
                found[static_cast<std::size_t>(piece)].add(record);
        },
        [&](int thread, qint64, qint64 from, qint64 to) {
            if (making)
                writer.addPiece(from, to, buffers[static_cast<std::size_t>(thread)]);
            if (first.exchange(false))
                reach(TestPoint::FirstPieceRead);
        });
    writer.finish(store, read);
    if (!read)
        return false;
    finish(found, threads, lines);
    return true;
}

void Search::finish(std::vector<ResultLines>& found, int threads, QStringList& lines) const
{
    ResultLines all(m_table);
    qsizetype total = 0;
    for (const ResultLines& piece : found)
        total += piece.size();
    all.reserve(total);
    for (ResultLines& piece : found)
        all.append(std::move(piece));
    // Sorting and decoding pay for threads only over many lines, unless
    // the threads were set by hand.
    constexpr qsizetype kLinesPerThread = 16384;
    const int share = m_threads > 0 ? threads : static_cast<int>(std::clamp<qsizetype>(all.size() / kLinesPerThread, 1, threads));
    all.sort(share);
    lines = all.toStrings(share);
}

bool Search::run(const QString& archivePath, QStringList& lines, RecordStore::Mode mode) const
{
    lines.clear();
    RecordStore store;
    if (!store.open(archivePath, m_table.layout->size, mode))
        return false;
    const bool ok = run(store, lines);
    store.close();
    return ok;
}

bool Search::findLine(
    RecordStore& store, const SearchTable& table, const QString& line, const std::function<void(const char* record, qint64 index)>& found)
{
    // The list holds decoded lines, so encoding gives back the stored bytes.
    const QByteArray wantedBytes = Cp1252::encode(line);
    const std::string_view wanted = Text::trimmed(std::string_view(wantedBytes.constData(), static_cast<std::size_t>(wantedBytes.size())));
    // The fitted fields before the first unfitted one stand at known places
    // in the line, when it begins with a literal that trimming leaves whole:
    // each shows the start of its trimmed value, and the longest of those
    // names the candidates.
    std::string needle;
    const FieldDef* needleField = nullptr;
    if (!table.line.empty() && !table.line.front().before.empty() && table.line.front().before.front() != ' ') {
        std::size_t at = 0;
        for (const LinePiece& piece : table.line) {
            if (piece.width == LinePiece::kUnfitted)
                break;
            at += piece.before.size();
            const std::string_view shown = at < wanted.size() ? Text::trimmed(wanted.substr(at, static_cast<std::size_t>(piece.width)))
                                                              : std::string_view();
            at += static_cast<std::size_t>(piece.width);
            if (shown.size() > needle.size() && table.filterFor(piece.field) && shown.find('\0') == std::string_view::npos) {
                needle.resize(shown.size());
                Fold::into(shown, needle.data());
                needleField = &fieldOf(*table.layout, piece.field);
            }
        }
    }
    std::vector<SearchIndex::Needle> needles;
    if (needleField)
        needles.push_back({needleField, needle});
    const ResultLines builder(table);
    std::vector<std::pair<qint64, QByteArray>> hits;
    const bool read = collect(
        store, table, needles,
        [&](const char* record) {
            thread_local std::string built; // the pass calls on several threads
            built.clear();
            builder.build(record, built);
            return Text::trimmed(std::string_view(built)) == wanted;
        },
        hits);
    for (const auto& [index, record] : hits)
        found(record.constData(), index);
    return read;
}

bool Search::findEqual(RecordStore& store, const SearchTable& table, std::string_view field, const QString& value,
    const std::function<void(const char* record, qint64 index)>& found)
{
    const SearchFilter* filter = table.filterFor(field);
    if (!filter)
        return false;
    const FieldDef& def = fieldOf(*table.layout, filter->field);
    bool exact = true;
    QByteArray bytes = Cp1252::encode(Text::trimmed(value), &exact);
    Fold::into(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), bytes.data());
    const std::string_view folded(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    std::vector<SearchIndex::Needle> needles;
    if (!folded.empty() && folded.find('\0') == std::string_view::npos)
        needles.push_back({&def, folded});
    const SlotKind kind = table.layout->kind;
    std::vector<std::pair<qint64, QByteArray>> hits;
    const bool read = collect(
        store, table, needles,
        [&](const char* record) {
            if (!exact)
                return false;
            const std::string_view stored = Text::trimmed(TextSlot::raw(record, def, kind));
            if (stored.size() != folded.size())
                return false;
            thread_local std::string own; // the pass calls on several threads
            own.resize(stored.size());
            Fold::into(stored, own.data());
            return own == folded;
        },
        hits);
    for (const auto& [index, record] : hits)
        found(record.constData(), index);
    return read;
}
