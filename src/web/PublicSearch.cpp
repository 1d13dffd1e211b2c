#include "web/PublicSearch.h"

#include "core/collections/Collection.h"
#include "core/search/ArchivePass.h"
#include "core/search/Fold.h"
#include "core/search/ResultLines.h"
#include "core/search/Search.h"
#include "core/search/SearchTable.h"
#include "core/storage/Cp1252.h"
#include "core/storage/RecordStore.h"
#include "core/storage/TextSlot.h"
#include "core/text/Text.h"
#include "web/WebBudget.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <chrono>
#include <mutex>

namespace {

// Every card named by the groups of `wanted`: for each group the union of
// its needles' candidates, then the intersection of the groups. False when
// the copy turns out damaged.
bool candidatesOf(const SearchIndex& index, const PublicSearch::Wanted& wanted, std::vector<qint64>& out)
{
    bool first = true;
    for (const auto& group : wanted.groups) {
        std::vector<qint64> any;
        for (const SearchIndex::Needle& needle : group) {
            std::vector<qint64> one;
            if (!index.candidates({needle}, 1, one))
                return false;
            std::vector<qint64> joined;
            joined.reserve(any.size() + one.size());
            std::set_union(any.begin(), any.end(), one.begin(), one.end(), std::back_inserter(joined));
            any.swap(joined);
        }
        if (first) {
            out.swap(any);
            first = false;
        } else {
            std::vector<qint64> both;
            std::set_intersection(out.begin(), out.end(), any.begin(), any.end(), std::back_inserter(both));
            out.swap(both);
        }
        if (out.empty())
            break;
    }
    return true;
}

// The fields the copy holds for `table`: those its filters read.
std::vector<const FieldDef*> indexedFields(const SearchTable& table)
{
    std::vector<const FieldDef*> fields;
    for (const SearchFilter& f : table.filters) {
        if (const FieldDef* def = table.layout->find(f.field))
            fields.push_back(def);
    }
    return fields;
}

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

} // namespace

PublicSearch::PublicSearch(QString folder)
    : m_folder(QDir(folder).absolutePath() + u'/')
{
}

QStringList PublicSearch::archives(const Collection& collection, const QString& year) const
{
    QStringList found;
    if (!collection.yearly()) {
        const QString path = m_folder + collection.archiveName();
        if (QFileInfo(path).isFile())
            found << path;
        return found;
    }
    if (!year.isEmpty()) {
        static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
        const QString path = m_folder + collection.archiveName(year);
        if (fourDigits.match(year).hasMatch() && QFileInfo(path).isFile())
            found << path;
        return found;
    }
    const QString suffix = Text::latin1(collection.yearlySuffix);
    const QRegularExpression name(QStringLiteral("^[0-9]{4}") + QRegularExpression::escape(suffix) + u'$');
    const QStringList names = QDir(m_folder).entryList({u'*' + suffix}, QDir::Files, QDir::Name);
    for (const QString& n : names) {
        if (name.match(n).hasMatch())
            found << m_folder + n;
    }
    return found;
}

bool PublicSearch::folded(const QString& text, std::string& out)
{
    bool exact = true;
    const QByteArray bytes = Cp1252::encode(text, &exact);
    out.resize(static_cast<std::size_t>(bytes.size()));
    Fold::into(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), out.data());
    return exact && out.find('\0') == std::string::npos;
}

bool PublicSearch::contains(const char* record, const FieldDef& field, const Collection& collection, std::string_view folded)
{
    const std::string_view raw = TextSlot::raw(record, field, collection.layout->kind);
    if (folded.size() > raw.size())
        return false;
    // The slot's bytes folded on the stack: a slot holds at most 255.
    char buffer[512];
    const std::size_t n = std::min(raw.size(), sizeof buffer);
    Fold::into(raw.substr(0, n), buffer);
    return std::string_view(buffer, n).find(folded) != std::string_view::npos;
}

bool PublicSearch::readCard(const QString& archive, const Collection& collection, qint64 index, QByteArray& record)
{
    RecordStore store;
    if (!store.open(archive, collection.layout->size, RecordStore::Mode::ReadExisting))
        return false;
    const bool ok = index >= 0 && index < store.count() && store.seek(index) && store.read(record);
    store.close();
    return ok;
}

std::vector<QByteArray> PublicSearch::readCards(const QString& archive, const Collection& collection, const std::vector<qint64>& indexes)
{
    std::vector<QByteArray> cards(indexes.size());
    RecordStore store;
    if (!store.open(archive, collection.layout->size, RecordStore::Mode::ReadExisting))
        return cards;
    const qint64 count = store.count();
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        if (indexes[i] < 0 || indexes[i] >= count)
            continue;
        store.readRecords(&indexes[i], 1, [&](const char* record, qint64) {
            cards[i] = QByteArray(record, collection.layout->size);
            return true;
        });
    }
    store.close();
    return cards;
}

bool PublicSearch::run(
    const Collection& collection, const QStringList& archives, const Wanted& wanted, std::vector<Hit>& hits, QString& error)
{
    hits.clear();
    m_lastKept = false;
    // A kept result answers while every archive it read is the same file in
    // the same state.
    std::vector<SearchIndex::Stamp> now;
    bool stampsKnown = !wanted.key.isEmpty();
    for (const QString& archive : archives) {
        if (!stampsKnown)
            break;
        RecordStore store;
        SearchIndex::Stamp stamp;
        stampsKnown = store.open(archive, collection.layout->size, RecordStore::Mode::ReadExisting)
            && SearchIndex::stampOf(store.handle(), stamp);
        now.push_back(stamp);
    }
    if (stampsKnown) {
        for (auto it = m_kept.begin(); it != m_kept.end(); ++it) {
            if (it->key == wanted.key && it->archives == archives && it->stamps == now) {
                hits = it->hits;
                m_lastKept = true;
                // The most recently used comes first.
                std::rotate(m_kept.begin(), it, it + 1);
                return true;
            }
        }
    }

    std::vector<std::string> bytes;
    std::vector<SearchIndex::Stamp> stamps;
    bool keepable = stampsKnown;
    for (const QString& archive : archives) {
        if (!runArchive(collection, archive, wanted, hits, bytes, error, stamps, keepable))
            return false;
    }
    // List order over all archives; equal lines keep archive order.
    std::vector<std::size_t> order(hits.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return ResultLines::lessThan(bytes[a], bytes[b]); });
    std::vector<Hit> sorted;
    sorted.reserve(hits.size());
    for (std::size_t i : order) {
        Hit& h = hits[i];
        h.line = Cp1252::decode(bytes[i]);
        sorted.push_back(std::move(h));
    }
    hits.swap(sorted);
    if (keepable && stamps == now) {
        m_kept.push_front({wanted.key, archives, stamps, hits});
        if (m_kept.size() > static_cast<std::size_t>(WebBudget::kCachedSearches))
            m_kept.pop_back();
    }
    return true;
}

bool PublicSearch::runArchive(const Collection& collection, const QString& archive, const Wanted& wanted, std::vector<Hit>& hits,
    std::vector<std::string>& bytes, QString& error, std::vector<SearchIndex::Stamp>& stamps, bool& keepable)
{
    const SearchTable& table = *collection.search;
    RecordStore store;
    if (!store.open(archive, table.layout->size, RecordStore::Mode::ReadExisting)) {
        error = store.errorString();
        return false;
    }
    SearchIndex::Stamp stamp;
    if (!SearchIndex::stampOf(store.handle(), stamp))
        keepable = false;
    // A result is kept only of an archive that had settled, as the copy is
    // made only of one: a write in the same tick of the clock would
    // otherwise leave the stamp as it was.
    if (stamp.changedNs + SearchIndex::settle().count() >= nowNs())
        keepable = false;
    stamps.push_back(stamp);

    const Search skip(table);
    ResultLines lines(table);
    std::mutex guard;
    auto take = [&](const char* record, qint64 index) {
        if (!skip.listable(record) || !wanted.matches(record))
            return;
        std::string line;
        lines.build(record, line);
        const std::lock_guard<std::mutex> lock(guard);
        hits.push_back({archive, index, {}});
        bytes.push_back(std::move(line));
    };

    const std::size_t before = hits.size();
    SearchIndex index;
    if (!wanted.groups.empty() && index.open(store, table.layout->kind, indexedFields(table))) {
        std::vector<qint64> candidates;
        if (candidatesOf(index, wanted, candidates)) {
            const bool read = store.readRecords(
                candidates.data(), static_cast<qint64>(candidates.size()), [&](const char* record, qint64 at) {
                    take(record, at);
                    return true;
                });
            // The archive changed while it was read: the pass decides.
            if (read && index.current(store))
                return true;
            hits.resize(before);
            bytes.resize(before);
        }
    }
    const ArchivePass pass(store.count(), table.layout->size);
    if (!pass.run(store, [&](int, qint64, const char* record, qint64 at) { take(record, at); })) {
        error = store.errorString();
        return false;
    }
    // The pass's threads add in any order: archive order again.
    std::vector<std::size_t> order(hits.size() - before);
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = before + i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return hits[a].index < hits[b].index; });
    std::vector<Hit> h;
    std::vector<std::string> b;
    for (std::size_t i : order) {
        h.push_back(std::move(hits[i]));
        b.push_back(std::move(bytes[i]));
    }
    std::move(h.begin(), h.end(), hits.begin() + static_cast<std::ptrdiff_t>(before));
    std::move(b.begin(), b.end(), bytes.begin() + static_cast<std::ptrdiff_t>(before));
    return true;
}
