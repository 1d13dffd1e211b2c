#include "CollectionStats.h"

#include "core/collections/Collection.h"
#include "core/loans/LoanList.h"
#include "core/search/ArchivePass.h"
#include "core/search/Search.h"
#include "core/storage/Cp1252.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/RecordStore.h"
#include "core/text/Text.h"
#include "core/storage/TextSlot.h"
#include "core/text/ResourceText.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <unordered_map>

namespace {

const QString kOthers = QStringLiteral("altri");

struct FoldedHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// The cards of one value, folded; each way it is written with its count.
struct Group {
    qint64 count = 0;
    std::vector<std::pair<std::string, qint64>> spellings;

    void add(std::string_view spelling, qint64 n)
    {
        count += n;
        for (auto& [s, c] : spellings) {
            if (s == spelling) {
                c += n;
                return;
            }
        }
        spellings.emplace_back(spelling, n);
    }
    // The most frequent spelling; of equals, the first in byte order, so
    // the result never depends on the order the threads finish in.
    std::string_view shown() const
    {
        const auto best = std::min_element(spellings.begin(), spellings.end(),
            [](const auto& a, const auto& b) { return a.second != b.second ? a.second > b.second : a.first < b.first; });
        return best->first;
    }
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool digitsOnly(std::string_view s, std::size_t n)
{
    return s.size() == n && std::all_of(s.begin(), s.end(), isDigit);
}

// Each hundred's name as the Dewey table gives it ("100 FILOSOFIA"): the
// first entry whose code is the hundred itself; the code alone where the
// table has no such entry.
const std::array<QString, 10>& deweyClassNames()
{
    static const std::array<QString, 10> names = [] {
        std::array<QString, 10> out;
        for (int i = 0; i < 10; ++i)
            out[static_cast<std::size_t>(i)] = QStringLiteral("%1").arg(i * 100, 3, 10, QLatin1Char('0'));
        // The Dewey table begins at 001: the class of the general works is
        // named here, in the table's own style.
        out[0] = QStringLiteral("000 INFORMATICA E OPERE GENERALI");
        std::array<bool, 10> found{};
        for (const QString& line : ResourceText::lines(QStringLiteral(":/dewey/codici.txt"))) {
            if (line.size() < 5 || line.at(3) != QLatin1Char(' ') || !line.at(0).isDigit() || line.mid(1, 2) != QLatin1String("00"))
                continue;
            const auto i = static_cast<std::size_t>(line.at(0).digitValue());
            if (i < 10 && !found[i]) {
                found[i] = true;
                out[i] = line.trimmed();
            }
        }
        return out;
    }();
    return names;
}

} // namespace

// One section's counts.
struct SectionTally {
    const FieldDef* field = nullptr;
    qint64 blank = 0;
    std::array<qint64, 10> classes{};
    std::unordered_map<std::string, Group, FoldedHash, std::equal_to<>> groups;
    std::map<int, qint64> decades;
    std::vector<std::pair<QString, qint64>> archives;
    qint64 total = 0, cancelled = 0, lent = 0, late = 0;
};

struct CollectionStats::Tally {
    std::vector<SectionTally> sections;

    void merge(const Tally& other)
    {
        for (std::size_t i = 0; i < sections.size(); ++i) {
            SectionTally& to = sections[i];
            const SectionTally& from = other.sections[i];
            to.blank += from.blank;
            for (std::size_t c = 0; c < to.classes.size(); ++c)
                to.classes[c] += from.classes[c];
            for (const auto& [key, group] : from.groups) {
                Group& g = to.groups[key];
                for (const auto& [spelling, n] : group.spellings)
                    g.add(spelling, n);
            }
            for (const auto& [decade, n] : from.decades)
                to.decades[decade] += n;
            to.total += from.total;
            to.cancelled += from.cancelled;
            to.lent += from.lent;
            to.late += from.late;
        }
    }
};

CollectionStats::CollectionStats(const Collection& collection, const QDate& today, int days)
    : m_collection(collection)
    , m_table(StatsTable::of(collection))
    , m_today(today)
    , m_days(days)
    , m_tally(std::make_unique<Tally>())
{
    for (const StatsSection& s : m_table.sections) {
        SectionTally t;
        if (!s.field.empty())
            t.field = collection.layout->find(s.field);
        m_tally->sections.push_back(std::move(t));
    }
}

CollectionStats::~CollectionStats() = default;

QStringList CollectionStats::yearlyArchives(const Collection& collection)
{
    if (!collection.yearly())
        return {};
    const QRegularExpression name(QRegularExpression::anchoredPattern(
        QStringLiteral("[0-9]{4}") + QRegularExpression::escape(Text::latin1(collection.yearlySuffix))));
    // Special files too, so that one named like an archive gives the read
    // error instead of being left out unseen.
    const QStringList all = QDir(ProgramFolder::path()).entryList(QDir::Files | QDir::System, QDir::Name);
    QStringList out;
    for (const QString& file : all) {
        if (name.match(file).hasMatch())
            out << file;
    }
    return out;
}

bool CollectionStats::load()
{
    m_failed.clear();
    QStringList files;
    if (m_collection.yearly())
        files = yearlyArchives(m_collection);
    else
        files << m_collection.archiveName();
    const QString suffix = Text::latin1(m_collection.yearlySuffix);
    for (const QString& file : files) {
        const QString path = ProgramFolder::file(file);
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            continue;
        QString name = file;
        if (!suffix.isEmpty() && name.endsWith(suffix))
            name.chop(suffix.size());
        if (!add(path, name)) {
            m_failed = path;
            return false;
        }
    }
    return true;
}

bool CollectionStats::add(const QString& archivePath, const QString& name)
{
    const RecordLayout& layout = *m_collection.layout;
    const SlotKind kind = layout.kind;
    RecordStore store;
    if (!store.open(archivePath, layout.size, RecordStore::Mode::ReadExisting))
        return false;
    const Search rule(*m_collection.search);
    const bool keepsLoans = LoanList::keepsLoans(m_collection);
    const FieldDef* due = layout.find(m_collection.roles.loanDate);
    const ArchivePass pass(store.count(), layout.size, m_threads);
    // Each thread counts on its own; the counts are merged once at the end.
    Tally empty;
    for (const SectionTally& s : m_tally->sections) {
        empty.sections.emplace_back();
        empty.sections.back().field = s.field;
    }
    std::vector<Tally> tallies(static_cast<std::size_t>(pass.threads()), empty);
    std::vector<qint64> listed(tallies.size(), 0);

    const bool read = pass.run(store, [&](int thread, qint64, const char* record) {
        Tally& tally = tallies[static_cast<std::size_t>(thread)];
        const bool listable = rule.listable(record);
        if (listable)
            ++listed[static_cast<std::size_t>(thread)];
        char folded[256];
        for (std::size_t i = 0; i < tally.sections.size(); ++i) {
            const StatsSection& section = m_table.sections[i];
            SectionTally& t = tally.sections[i];
            if (section.kind == StatsKind::Totals) {
                ++t.total;
                if (!listable) {
                    ++t.cancelled;
                } else if (keepsLoans && LoanList::lent(m_collection, record)) {
                    ++t.lent;
                    const QDate when = due ? LoanList::readDate(TextSlot::read(record, *due, kind)) : QDate();
                    if (LoanList::late(m_collection, when, m_today, m_days) != 0)
                        ++t.late;
                }
                continue;
            }
            if (!listable || section.kind == StatsKind::PerArchive)
                continue;
            const std::string_view value = t.field ? Text::trimmed(TextSlot::raw(record, *t.field, kind)) : std::string_view();
            switch (section.kind) {
            case StatsKind::DeweyClass:
                if (digitsOnly(value, 3))
                    ++t.classes[static_cast<std::size_t>(value[0] - '0')];
                else
                    ++t.blank;
                break;
            case StatsKind::Decade:
                if (digitsOnly(value, 4))
                    ++t.decades[(value[0] - '0') * 1000 + (value[1] - '0') * 100 + (value[2] - '0') * 10];
                else
                    ++t.blank;
                break;
            case StatsKind::Grouped: {
                if (value.empty()) {
                    ++t.blank;
                    break;
                }
                const std::size_t n = std::min(value.size(), sizeof folded);
                for (std::size_t c = 0; c < n; ++c)
                    folded[c] = Text::foldAZ(value[c]);
                const std::string_view key(folded, n);
                auto it = t.groups.find(key);
                if (it == t.groups.end())
                    it = t.groups.emplace(std::string(key), Group{}).first;
                it->second.add(value, 1);
                break;
            }
            case StatsKind::Totals:
            case StatsKind::PerArchive:
                break;
            }
        }
    });
    store.close();
    if (!read)
        return false;
    qint64 cards = 0;
    for (std::size_t t = 0; t < tallies.size(); ++t) {
        m_tally->merge(tallies[t]);
        cards += listed[t];
    }
    for (std::size_t i = 0; i < m_table.sections.size(); ++i) {
        if (m_table.sections[i].kind == StatsKind::PerArchive)
            m_tally->sections[i].archives.emplace_back(name, cards);
    }
    return true;
}

std::vector<StatsResult> CollectionStats::results() const
{
    std::vector<StatsResult> out;
    const bool keepsLoans = LoanList::keepsLoans(m_collection);
    for (std::size_t i = 0; i < m_table.sections.size(); ++i) {
        const StatsSection& section = m_table.sections[i];
        const SectionTally& t = m_tally->sections[i];
        StatsResult r{section, {}};
        auto bar = [&](const QString& key, qint64 n, const QString& label = {}) {
            r.bars.push_back({key, label.isEmpty() ? key : label, n});
        };
        const QString blank = Text::utf8(section.blank);
        switch (section.kind) {
        case StatsKind::Totals:
            bar(QStringLiteral("schede"), t.total);
            if (m_collection.hasCancelledFlag())
                bar(QStringLiteral("annullate"), t.cancelled);
            if (keepsLoans) {
                bar(QStringLiteral("in prestito"), t.lent);
                bar(QStringLiteral("scadute"), t.late);
            }
            break;
        case StatsKind::DeweyClass:
            // Every hundred, empty ones too: the same bars year after year.
            for (std::size_t c = 0; c < t.classes.size(); ++c)
                bar(QStringLiteral("%1").arg(c * 100, 3, 10, QLatin1Char('0')), t.classes[c], deweyClassNames()[c]);
            bar(blank, t.blank);
            break;
        case StatsKind::Decade:
            for (const auto& [decade, n] : t.decades)
                bar(QStringLiteral("%1-%2").arg(decade, 4, 10, QLatin1Char('0')).arg(decade + 9, 4, 10, QLatin1Char('0')), n);
            if (t.blank > 0)
                bar(blank, t.blank);
            break;
        case StatsKind::Grouped: {
            std::vector<std::pair<std::string_view, const Group*>> groups;
            groups.reserve(t.groups.size());
            for (const auto& [key, group] : t.groups)
                groups.emplace_back(key, &group);
            std::sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) {
                return a.second->count != b.second->count ? a.second->count > b.second->count : a.first < b.first;
            });
            // One value left over keeps its own name rather than "altri".
            const std::size_t top = static_cast<std::size_t>(section.top);
            const std::size_t named = groups.size() <= top + 1 ? groups.size() : top;
            qint64 others = 0;
            for (std::size_t g = 0; g < groups.size(); ++g) {
                if (g < named)
                    bar(Cp1252::decode(groups[g].second->shown()), groups[g].second->count);
                else
                    others += groups[g].second->count;
            }
            if (others > 0)
                bar(kOthers, others);
            if (t.blank > 0)
                bar(blank, t.blank);
            break;
        }
        case StatsKind::PerArchive:
            for (const auto& [name, n] : t.archives)
                bar(name, n);
            break;
        }
        out.push_back(std::move(r));
    }
    return out;
}

QString CollectionStats::header()
{
    return QStringLiteral("sezione\tvoce\tschede");
}

QStringList CollectionStats::lines() const
{
    // A value holding a tab or a line break would split its line in a
    // spreadsheet: such characters become spaces.
    const auto cell = [](QString text) {
        for (QChar& ch : text) {
            if (ch < QLatin1Char(' '))
                ch = QLatin1Char(' ');
        }
        return text;
    };
    QStringList out{header()};
    for (const StatsResult& r : results()) {
        for (const StatsBar& b : r.bars)
            out << Text::utf8(r.section.name) + QLatin1Char('\t') + cell(b.key) + QLatin1Char('\t') + QString::number(b.count);
    }
    return out;
}
