#pragma once

#include "core/storage/RecordLayout.h"

#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct SearchTable;

// The result lines of one search, kept as Windows-1252 bytes until they are
// sorted once and turned into text in one batch. The bytes lie in blocks of
// moderate size that never move, so batches join without copying and no
// allocation grows with the archive (a huge one would come fresh from the
// system, page by page, on every search).
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
    // Room for `lines` lines in all, made at once.
    void reserve(qsizetype lines) { m_spans.reserve(static_cast<std::size_t>(lines)); }
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
        const char* data;
        std::size_t size;
        std::uint64_t key; // the first sort bytes after the common prefix
    };

    char* write(const char* record, char* out) const;
    static std::string_view line(const Span& s) { return {s.data, s.size}; }

    std::vector<Piece> m_pieces;
    SlotKind m_kind;
    std::size_t m_longest = 0; // bytes of the longest line the pieces can make
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_free = nullptr; // where the next line goes in the last block
    std::size_t m_room = 0; // bytes left there
    std::vector<Span> m_spans;
};
