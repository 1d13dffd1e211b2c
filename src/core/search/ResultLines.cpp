#include "ResultLines.h"

#include "core/search/SearchTable.h"
#include "core/search/Threads.h"
#include "core/storage/Cp1252.h"
#include "core/text/Text.h"
#include "core/storage/TextSlot.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

namespace {

// a-z read as A-Z, every other byte as its own code.
constexpr std::array<unsigned char, 256> kOrder = [] {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 256; ++b)
        t[b] = static_cast<unsigned char>(Text::upperAZ(static_cast<char>(b)));
    return t;
}();

// True when no byte falls in 0x80-0x9F; written so that it vectorises.
bool isLatin1(std::string_view bytes)
{
    unsigned char windowsOnly = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        windowsOnly |= static_cast<unsigned char>(static_cast<unsigned char>(bytes[i]) - 0x80) < 0x20;
    return windowsOnly == 0;
}

constexpr std::size_t kAhead = 8;

void prefetch(std::string_view bytes)
{
#if defined(__GNUC__) || defined(__clang__)
    for (std::size_t at = 0; at < bytes.size(); at += 64)
        __builtin_prefetch(bytes.data() + at);
#else
    (void)bytes;
#endif
}

bool hasBreak(std::string_view bytes)
{
    return !bytes.empty() && (std::memchr(bytes.data(), '\n', bytes.size()) || std::memchr(bytes.data(), '\r', bytes.size()));
}

// Copies at most `room` characters of a value onto one line: a stored line
// break (CR LF, CR or LF, as an import may write) becomes one blank. Returns
// the end of what was written.
char* copyOneLine(std::string_view value, std::size_t room, char* out)
{
    if (!hasBreak(value))
        return std::copy_n(value.begin(), std::min(value.size(), room), out);
    char* const end = out + room;
    for (std::size_t i = 0; i < value.size() && out != end; ++i) {
        const char c = value[i];
        if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n')
            ++i;
        *out++ = (c == '\r' || c == '\n') ? ' ' : c;
    }
    return out;
}

} // namespace

ResultLines::ResultLines(const SearchTable& table)
    : m_kind(table.layout->kind)
{
    for (const LinePiece& p : table.line) {
        const FieldDef* f = table.layout->find(p.field);
        if (!f)
            throw std::logic_error("result line names a field the layout lacks");
        m_pieces.push_back({p.before, f, p.width});
        m_longest += p.before.size() + static_cast<std::size_t>(p.width == LinePiece::kUnfitted ? f->capacity + 1 : p.width);
    }
}

char* ResultLines::write(const char* record, char* out) const
{
    for (const Piece& p : m_pieces) {
        out = std::copy(p.before.begin(), p.before.end(), out);
        const std::string_view value = Text::trimmed(TextSlot::raw(record, *p.field, m_kind));
        if (p.width == LinePiece::kUnfitted) {
            out = copyOneLine(value, value.size(), out);
            continue;
        }
        // One byte is one character in Windows-1252, so fitting counts bytes.
        const std::size_t width = static_cast<std::size_t>(p.width);
        char* const start = out;
        out = copyOneLine(value, width, out);
        out = std::fill_n(out, width - static_cast<std::size_t>(out - start), ' ');
    }
    return out;
}

void ResultLines::build(const char* record, std::string& out) const
{
    // Room for the longest line first, then one pass that writes it.
    const std::size_t start = out.size();
    out.resize(start + m_longest);
    out.resize(static_cast<std::size_t>(write(record, out.data() + start) - out.data()));
}

void ResultLines::add(const char* record)
{
    if (m_room < m_longest) {
        // Under the size the allocator hands out from memory it keeps.
        const std::size_t size = std::max<std::size_t>(m_longest, 64 * 1024);
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(size));
        m_free = m_blocks.back().get();
        m_room = size;
    }
    char* end = write(record, m_free);
    const auto size = static_cast<std::size_t>(end - m_free);
    m_spans.push_back({m_free, size, 0});
    m_free = end;
    m_room -= size;
}

void ResultLines::append(ResultLines&& later)
{
    // The blocks change hands, their bytes stay where they are.
    for (auto& block : later.m_blocks)
        m_blocks.push_back(std::move(block));
    m_spans.insert(m_spans.end(), later.m_spans.begin(), later.m_spans.end());
    later.clear();
    m_room = 0; // the next line starts a block of its own
}

void ResultLines::clear()
{
    m_blocks.clear();
    m_spans.clear();
    m_free = nullptr;
    m_room = 0;
}

bool ResultLines::lessThan(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = kOrder[static_cast<unsigned char>(a[i])];
        const unsigned char y = kOrder[static_cast<unsigned char>(b[i])];
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

void ResultLines::sort(int threads)
{
    if (m_spans.empty())
        return;
    const std::size_t n = m_spans.size();
    const std::size_t chunks = std::clamp<std::size_t>(static_cast<std::size_t>(threads), 1, n);
    const auto from = [&](std::size_t c) { return n * c / chunks; };
    // Lines share long beginnings ("Cod. L0..."): skip what all of them
    // share and compare eight sort bytes packed in one number first, so
    // most comparisons never walk the lines.
    const std::string_view first = line(m_spans.front());
    std::vector<std::size_t> shared(chunks, first.size());
    Threads::run(static_cast<int>(chunks), [&](int c) {
        std::size_t common = first.size();
        for (std::size_t k = from(std::size_t(c)); k < from(std::size_t(c) + 1); ++k) {
            const std::string_view l = line(m_spans[k]);
            std::size_t i = 0;
            const std::size_t end = std::min(common, l.size());
            while (i < end && kOrder[static_cast<unsigned char>(l[i])] == kOrder[static_cast<unsigned char>(first[i])])
                ++i;
            common = i;
        }
        shared[std::size_t(c)] = common;
    });
    const std::size_t common = *std::min_element(shared.begin(), shared.end());
    const auto before = [this, common](const Span& a, const Span& b) {
        if (a.key != b.key)
            return a.key < b.key;
        return lessThan(line(a).substr(common), line(b).substr(common));
    };
    // Each thread keys and sorts a run of its own; stable sorts and merges
    // that take the earlier run's line first keep equal lines in order.
    Threads::run(static_cast<int>(chunks), [&](int c) {
        const auto begin = m_spans.begin() + std::ptrdiff_t(from(std::size_t(c)));
        const auto end = m_spans.begin() + std::ptrdiff_t(from(std::size_t(c) + 1));
        for (auto s = begin; s != end; ++s) {
            const std::string_view l = line(*s);
            std::uint64_t key = 0;
            for (std::size_t i = 0; i < 8; ++i) {
                const std::size_t at = common + i;
                key = (key << 8) | (at < l.size() ? kOrder[static_cast<unsigned char>(l[at])] : 0u);
            }
            s->key = key;
        }
        std::stable_sort(begin, end, before);
    });
    for (std::size_t c = 1; c < chunks; ++c) {
        std::inplace_merge(
            m_spans.begin(), m_spans.begin() + std::ptrdiff_t(from(c)), m_spans.begin() + std::ptrdiff_t(from(c + 1)), before);
    }
}

QStringList ResultLines::toStrings(int threads) const
{
    const std::size_t n = m_spans.size();
    const std::size_t chunks = std::clamp<std::size_t>(static_cast<std::size_t>(threads), 1, std::max<std::size_t>(n, 1));
    QStringList out(static_cast<qsizetype>(n));
    QString* to = out.data();
    Threads::run(static_cast<int>(chunks), [&](int c) {
        const std::size_t end = n * (std::size_t(c) + 1) / chunks;
        for (std::size_t k = n * std::size_t(c) / chunks; k < end; ++k) {
            // Sorted lines lie scattered over the bytes: ask for a line a
            // few steps ahead, so that a large batch does not wait on memory
            // line by line.
            if (k + kAhead < end)
                prefetch(line(m_spans[k + kAhead]));
            const std::string_view l = line(m_spans[k]);
            // Most lines hold no byte of 0x80-0x9F, where Windows-1252 differs
            // from Latin-1: those take Qt's fast Latin-1 conversion.
            to[k] = isLatin1(l) ? Text::latin1(l) : Cp1252::decode(l);
        }
    });
    return out;
}
