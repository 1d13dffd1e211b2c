#include "Search.h"

#include "core/search/ResultLines.h"
#include "core/search/ArchivePass.h"
#include "core/storage/Cp1252.h"
#include "core/text/Text.h"
#include "core/storage/TextSlot.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

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

// Copies `bytes` with A-Z read as a-z; written without branches so the
// compiler can vectorise it.
void foldInto(std::string_view bytes, char* out)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        out[i] = static_cast<char>(c + (static_cast<unsigned char>(c - 'A') < 26 ? 32 : 0));
    }
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
    foldInto(field, buffer);
    return std::string_view(buffer, field.size()).find(n) != std::string_view::npos;
}

} // namespace

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
        foldInto(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), bytes.data());
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
    const ArchivePass pass(store.count(), m_table.layout->size, m_threads);
    const int threads = pass.threads();
    // Each piece keeps lines of its own; joined in piece order they are the
    // lines of one pass in archive order.
    std::vector<ResultLines> found;
    found.reserve(static_cast<std::size_t>(pass.pieces()));
    for (qint64 piece = 0; piece < pass.pieces(); ++piece)
        found.emplace_back(m_table);
    const bool read = pass.run(store, [&](int, qint64 piece, const char* record) {
        if (matches(record))
            found[static_cast<std::size_t>(piece)].add(record);
    });
    if (!read)
        return false;
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
    return true;
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

bool Search::findLine(RecordStore& store, const SearchTable& table, const QString& line,
    const std::function<void(const char* record, qint64 index)>& found)
{
    // The list holds decoded lines, so encoding gives back the stored bytes.
    const QByteArray wantedBytes = Cp1252::encode(line);
    const std::string_view wanted = Text::trimmed(std::string_view(wantedBytes.constData(), static_cast<std::size_t>(wantedBytes.size())));
    const ResultLines builder(table);
    std::string built;
    return store.scan([&](const char* record, qint64 index) {
        built.clear();
        builder.build(record, built);
        if (Text::trimmed(std::string_view(built)) == wanted)
            found(record, index);
        return true;
    });
}
