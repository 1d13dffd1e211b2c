#pragma once

#include "core/storage/RecordLayout.h"

#include <QStringList>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SearchTable;

// The result lines of one search, kept as Windows-1252 bytes in one block
// until they are sorted once and turned into text in one batch.
class ResultLines {
public:
    explicit ResultLines(const SearchTable& table);

    // Appends the line of `record` to `out` (bytes, not trimmed): every field
    // trimmed, fitted columns cut or filled with spaces, literals between.
    void build(const char* record, std::string& out) const;

    // Adds the line of `record` to the batch.
    void add(const char* record);
    // Adds the lines of `later` after this batch's own, as if its records
    // had been added here.
    void append(ResultLines&& later);
    qsizetype size() const { return static_cast<qsizetype>(m_spans.size()); }
    void clear();

    // List order, applied once to the whole batch; equal lines keep the
    // order in which they were added. `threads` share the work.
    void sort(int threads = 1);
    QStringList toStrings(int threads = 1) const;

    // List order: characters compared one by one after reading a-z as A-Z,
    // all others by their Windows-1252 code; a line that begins another
    // comes first.
    static bool lessThan(std::string_view a, std::string_view b);

private:
    struct Piece {
        std::string_view before;
        const FieldDef* field;
        int width;
    };
    struct Span {
        std::uint32_t offset;
        std::uint32_t size;
        std::uint64_t key; // the first sort bytes after the common prefix
    };

    char* write(const char* record, char* out) const;
    std::string_view line(const Span& s) const { return std::string_view(m_arena).substr(s.offset, s.size); }

    std::vector<Piece> m_pieces;
    SlotKind m_kind;
    std::size_t m_longest = 0; // bytes of the longest line the pieces can make
    std::string m_arena;
    std::vector<Span> m_spans;
};
