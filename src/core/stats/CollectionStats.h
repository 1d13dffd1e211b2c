#pragma once

#include "core/stats/StatsTable.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct Collection;
class RecordStore;

// One bar of a section: what the command line names it, what the chart
// and the printed table show, and how many cards it counts.
struct StatsBar {
    QString key;   // the command line's "voce"
    QString label; // the chart's and the printed table's
    qint64 count = 0;
};

struct StatsResult {
    StatsSection section;
    std::vector<StatsBar> bars;
};

// The statistics of one collection, counted in one pass over each of its
// archives with the block reader the searches use. The totals count every
// card; the other sections the cards that are not cancelled (the searches'
// rule). "On loan" and "overdue" follow the loans list: its rule, its days.
// Values are grouped with A-Z case folded, as the searches match them, and
// each group is shown as it is most often written.
class CollectionStats {
public:
    // `today` and `days` decide which loans are overdue (see LoanList).
    CollectionStats(const Collection& collection, const QDate& today, int days);
    ~CollectionStats();
    CollectionStats(const CollectionStats&) = delete;
    CollectionStats& operator=(const CollectionStats&) = delete;

    const Collection& collection() const { return m_collection; }
    const StatsTable& table() const { return m_table; }

    // Reads the collection's archives in the program folder: its archive,
    // or every yearly one there, by year. A missing archive counts nothing
    // and is not created. False, with failedArchive() naming it, when one
    // cannot be read; the counts are then those before it.
    bool load();
    const QString& failedArchive() const { return m_failed; }

    // How many threads read an archive; 0 (the default) lets the pass
    // choose. The counts are the same for any number.
    void setThreads(int threads) { m_threads = threads; }

    // Counts one archive; `name` is its bar in a section of archives.
    bool add(const QString& archivePath, const QString& name);

    // Every section with its bars, in table order.
    std::vector<StatsResult> results() const;

    // The same as tab-separated lines: the header, then one line per bar.
    QStringList lines() const;
    static QString header(); // "sezione\tvoce\tschede"

    // The file names of the yearly archives in the program folder, by year.
    static QStringList yearlyArchives(const Collection& collection);

    struct Tally; // the counts of a pass, merged from its threads

private:
    const Collection& m_collection;
    StatsTable m_table;
    QDate m_today;
    int m_days;
    int m_threads = 0;
    std::unique_ptr<Tally> m_tally;
    QString m_failed;
};
