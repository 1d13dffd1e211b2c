#include "SearchIndex.h"

#include "core/storage/ReadAt.h"
#include "core/search/Threads.h"
#include "core/storage/RecordStore.h"
#include "core/storage/SideFile.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>

#include <xxhash.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::atomic<std::int64_t> g_settleNs = std::chrono::nanoseconds(std::chrono::seconds(2)).count();

// How many zero bytes `data` holds: the values it ends. Sixteen bytes at a
// time where the processor can (each lane counts its zeros, summed before
// it can overflow), else eight: each zero byte becomes a 1 in its own byte
// of a running sum.
std::int64_t ends(const char* data, std::size_t size)
{
    std::int64_t n = 0;
    std::size_t i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= size) {
        __m128i lanes = zero;
        for (int round = 0; round < 255 && i + 16 <= size; ++round, i += 16) {
            const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(w, zero)); // a match is -1
        }
        const __m128i sums = _mm_sad_epu8(lanes, zero);
        n += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
    }
#else
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    while (i + 8 <= size) {
        std::uint64_t sums = 0;
        for (int round = 0; round < 255 && i + 8 <= size; ++round, i += 8) {
            std::uint64_t w;
            std::memcpy(&w, data + i, 8);
            // 0x80 exactly in the bytes that are zero.
            const std::uint64_t zeros = ~(((w & kLow7) + kLow7) | w | kLow7);
            sums += zeros >> 7;
        }
        n += static_cast<std::int64_t>((sums * kOnes) >> 56);
    }
#endif
    for (; i < size; ++i)
        n += data[i] == 0;
    return n;
}

// Where `needle` first lies in [from, end), or nullptr.
const char* plainFind(const char* from, const char* end, std::string_view needle)
{
#ifdef Q_OS_WIN
    const std::string_view hay(from, static_cast<std::size_t>(end - from));
    const std::size_t at = hay.find(needle);
    return at == std::string_view::npos ? nullptr : from + at;
#else
    return static_cast<const char*>(::memmem(from, static_cast<std::size_t>(end - from), needle.data(), needle.size()));
#endif
}

// The same, sixteen places at a time where the processor can: a place is
// looked at only when both the needle's first and last bytes stand where
// they would (few places in text), and the bytes between are compared
// there.
const char* findIn(const char* from, const char* end, std::string_view needle)
{
#ifdef __SSE2__
    const std::size_t n = needle.size();
    if (n < 2)
        return plainFind(from, end, needle);
    const __m128i first = _mm_set1_epi8(needle.front());
    const __m128i last = _mm_set1_epi8(needle.back());
    const char* p = from;
    for (; end - p >= static_cast<std::ptrdiff_t>(n - 1 + 16); p += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 1));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (mask) {
            const int bit = __builtin_ctz(mask);
            if (std::memcmp(p + bit + 1, needle.data() + 1, n - 2) == 0)
                return p + bit;
            mask &= mask - 1;
        }
    }
    return plainFind(p, end, needle);
#else
    return plainFind(from, end, needle);
#endif
}

} // namespace

QString SearchIndex::pathFor(const QString& archive)
{
    return archive + kSuffix;
}

bool SearchIndex::supported()
{
#ifdef Q_OS_WIN
    return false;
#else
    return true;
#endif
}

std::chrono::nanoseconds SearchIndex::settle()
{
    return std::chrono::nanoseconds(g_settleNs.load());
}

void SearchIndex::setSettle(std::chrono::nanoseconds settle)
{
    g_settleNs = settle.count();
}

std::uint64_t SearchIndex::checksum(const char* data, std::size_t size)
{
    return XXH3_64bits(data, size);
}

bool SearchIndex::stampOf(int fd, Stamp& stamp)
{
#ifdef Q_OS_WIN
    Q_UNUSED(fd);
    Q_UNUSED(stamp);
    return false;
#else
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    stamp.device = static_cast<std::int64_t>(st.st_dev);
    stamp.inode = static_cast<std::int64_t>(st.st_ino);
    stamp.size = static_cast<std::int64_t>(st.st_size);
#ifdef Q_OS_MACOS
    const timespec modified = st.st_mtimespec, changed = st.st_ctimespec;
#else
    const timespec modified = st.st_mtim, changed = st.st_ctim;
#endif
    stamp.modifiedNs = static_cast<std::int64_t>(modified.tv_sec) * 1000000000 + modified.tv_nsec;
    stamp.changedNs = static_cast<std::int64_t>(changed.tv_sec) * 1000000000 + changed.tv_nsec;
    // A file system without change times cannot show a rewrite.
    return stamp.changedNs != 0;
#endif
}

void SearchIndex::close()
{
#ifndef Q_OS_WIN
    if (m_fd >= 0)
        ::close(m_fd);
#endif
    m_fd = -1;
    m_columns.clear();
    m_chunks.clear();
}

bool SearchIndex::open(const RecordStore& store, SlotKind kind, const std::vector<const FieldDef*>& fields)
{
    close();
#ifdef Q_OS_WIN
    Q_UNUSED(store);
    Q_UNUSED(kind);
    Q_UNUSED(fields);
    return false;
#else
    Stamp archive;
    if (!store.isOpen() || !store.readsToEnd() || !stampOf(store.handle(), archive))
        return false;
    // Non-blocking: something not a regular file planted under the name
    // must not hang the search.
    // Nor is a link followed: a copy is only ever a regular file of its own.
    const QString path = pathFor(store.fileName());
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) {
        if (errno == ELOOP)
            SideFile::noticeForeign(path);
        return false;
    }
    m_fd = fd;
    struct stat st;
    Trailer t;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        SideFile::noticeForeign(path);
        close();
        return false;
    }
    if (st.st_size < static_cast<off_t>(sizeof t)
        || !readAt(fd, st.st_size - static_cast<off_t>(sizeof t), reinterpret_cast<char*>(&t), sizeof t)) {
        close();
        return false;
    }
    // Every field is bounded before any product of them is formed: the
    // chunks are at most the cards (each holds one at least), the cards
    // are the archive's, the columns few, the offsets inside the file.
    const qint64 records = store.count();
    const std::int64_t size = st.st_size;
    const bool bounded = t.magic == kMagic && t.version == kVersion
        && t.trailerSum == checksum(reinterpret_cast<const char*>(&t), offsetof(Trailer, trailerSum)) && t.archive == archive
        && t.recordSize == store.recordSize() && t.kind == static_cast<std::int64_t>(kind) && t.records == records && t.columns > 0
        && t.columns < 1024 && t.chunks >= 0 && t.chunks <= records && t.directoryAt >= 0 && t.directoryAt <= size && t.directoryBytes >= 0
        && t.directoryBytes <= size;
    const bool fits = bounded
        && t.directoryBytes == t.columns * std::int64_t(sizeof(Column)) + t.chunks * std::int64_t(sizeof(Chunk) + t.columns * sizeof(Part))
        && t.directoryAt + t.directoryBytes + std::int64_t(sizeof t) == size;
    if (!fits) {
        close();
        return false;
    }
    std::string directory(static_cast<std::size_t>(t.directoryBytes), '\0');
    if (!readAt(fd, t.directoryAt, directory.data(), t.directoryBytes) || checksum(directory.data(), directory.size()) != t.directorySum) {
        close();
        return false;
    }
    const char* at = directory.data();
    m_columns.resize(static_cast<std::size_t>(t.columns));
    std::memcpy(m_columns.data(), at, m_columns.size() * sizeof(Column));
    at += m_columns.size() * sizeof(Column);
    m_chunks.resize(static_cast<std::size_t>(t.chunks));
    std::int64_t next = 0;
    bool whole = true;
    for (ChunkParts& c : m_chunks) {
        std::memcpy(&c.chunk, at, sizeof(Chunk));
        at += sizeof(Chunk);
        c.parts.resize(m_columns.size());
        std::memcpy(c.parts.data(), at, c.parts.size() * sizeof(Part));
        at += c.parts.size() * sizeof(Part);
        // The chunks follow each other and cover every card once.
        whole = whole && c.chunk.first == next && c.chunk.count > 0;
        next += c.chunk.count;
        for (const Part& p : c.parts)
            whole = whole && p.at >= 0 && p.bytes >= c.chunk.count && p.at + p.bytes <= t.directoryAt;
    }
    if (!whole || next != records) {
        close();
        return false;
    }
    for (const FieldDef* f : fields) {
        if (columnOf(f) < 0) {
            close();
            return false;
        }
    }
    m_archive = archive;
    return true;
#endif
}

int SearchIndex::columnOf(const FieldDef* field) const
{
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].offset == field->offset && m_columns[i].capacity == field->capacity)
            return static_cast<int>(i);
    }
    return -1;
}

qint64 SearchIndex::columnBytes(const FieldDef* field) const
{
    const int column = columnOf(field);
    qint64 bytes = 0;
    for (const ChunkParts& c : m_chunks)
        bytes += column >= 0 ? c.parts[static_cast<std::size_t>(column)].bytes : 0;
    return bytes;
}

bool SearchIndex::values(const FieldDef* field, const std::function<void(qint64 index, std::string_view folded)>& visit) const
{
    const int column = isOpen() ? columnOf(field) : -1;
    if (column < 0)
        return false;
    Buffer part;
    for (const ChunkParts& c : m_chunks) {
        if (!readPart(c.parts[static_cast<std::size_t>(column)], part))
            return false;
        const char* at = part.data.get();
        const char* end = at + part.size;
        std::int64_t card = 0;
        while (at < end && card < c.chunk.count) {
            const auto* stop = static_cast<const char*>(std::memchr(at, 0, static_cast<std::size_t>(end - at)));
            visit(c.chunk.first + card, std::string_view(at, static_cast<std::size_t>(stop - at)));
            at = stop + 1;
            ++card;
        }
        if (card != c.chunk.count || at != end)
            return false;
    }
    return true;
}

bool SearchIndex::current(const RecordStore& store) const
{
    Stamp now;
    return isOpen() && store.readsToEnd() && stampOf(store.handle(), now) && now == m_archive;
}

bool SearchIndex::readPart(const Part& part, Buffer& into) const
{
#ifdef Q_OS_WIN
    Q_UNUSED(part);
    Q_UNUSED(into);
    return false;
#else
    const auto bytes = static_cast<std::size_t>(part.bytes);
    if (into.room < bytes) {
        into.data.reset(new char[bytes]);
        into.room = bytes;
    }
    into.size = bytes;
    return readAt(m_fd, part.at, into.data.get(), part.bytes) && into.data[bytes - 1] == 0 && checksum(into.data.get(), bytes) == part.sum;
#endif
}

namespace {

// The cards of one part (numbered from 0 in its chunk) whose value holds
// `needle`, ascending. Each hit's card is the number of values ended before
// it; false when the part does not end exactly `records` values.
bool hitsIn(const char* from, std::size_t size, std::int64_t records, std::string_view needle, std::vector<qint64>& hits)
{
    hits.clear();
    const char* end = from + size;
    std::int64_t card = 0;
    while (from < end) {
        const char* hit = findIn(from, end, needle);
        if (!hit)
            break;
        card += ends(from, static_cast<std::size_t>(hit - from));
        // No needle holds a zero byte, so a hit lies within one value.
        const char* stop = static_cast<const char*>(std::memchr(hit, 0, static_cast<std::size_t>(end - hit)));
        if (!stop)
            return false;
        hits.push_back(card);
        from = stop + 1;
        ++card;
    }
    return card + ends(from, static_cast<std::size_t>(end - from)) == records;
}

} // namespace

bool SearchIndex::candidates(const std::vector<Needle>& needles, int threads, std::vector<qint64>& out) const
{
    out.clear();
    if (!isOpen() || needles.empty())
        return false;
    // The longest needle is likely the rarest: it is looked for first, and
    // the others only in chunks where it was found.
    std::size_t lead = 0;
    std::vector<int> columns;
    for (std::size_t i = 0; i < needles.size(); ++i) {
        columns.push_back(columnOf(needles[i].field));
        if (columns.back() < 0 || needles[i].folded.empty() || needles[i].folded.find('\0') != std::string_view::npos)
            return false;
        if (needles[i].folded.size() > needles[lead].folded.size())
            lead = i;
    }
    std::vector<std::vector<qint64>> found(m_chunks.size());
    std::atomic<std::size_t> next = 0;
    std::atomic<bool> damaged = false;
    Threads::run(std::max(1, threads), [&](int) {
        Buffer part;
        std::vector<qint64> more, both;
        for (std::size_t c = next++; c < m_chunks.size() && !damaged; c = next++) {
            const ChunkParts& chunk = m_chunks[c];
            std::vector<qint64>& hits = found[c];
            bool whole = readPart(chunk.parts[static_cast<std::size_t>(columns[lead])], part)
                && hitsIn(part.data.get(), part.size, chunk.chunk.count, needles[lead].folded, hits);
            for (std::size_t n = 0; whole && n < needles.size() && !hits.empty(); ++n) {
                if (n == lead)
                    continue;
                whole = readPart(chunk.parts[static_cast<std::size_t>(columns[n])], part)
                    && hitsIn(part.data.get(), part.size, chunk.chunk.count, needles[n].folded, more);
                both.clear();
                std::set_intersection(hits.begin(), hits.end(), more.begin(), more.end(), std::back_inserter(both));
                hits.swap(both);
            }
            if (!whole) {
                damaged = true;
                return;
            }
            for (qint64& h : hits)
                h += chunk.chunk.first;
        }
    });
    if (damaged)
        return false;
    std::size_t total = 0;
    for (const auto& f : found)
        total += f.size();
    out.reserve(total);
    for (const auto& f : found)
        out.insert(out.end(), f.begin(), f.end());
    return true;
}
