// The two-filter book search against SQLite on the same cards, in one run:
// the 100,000 generated cards of the book benchmarks loaded into an SQLite
// table without index, the same query (the same filters, skip rule, lines
// and order) asked of both, turn by turn, on the archive written card by
// card and on the one written in bulk. Reports the median time of each and
// the median of the turn-by-turn ratios (ours / SQLite's).
//
//   bench_vs_sqlite --prepare   writes the archives and the database and
//                               prints where they are and the query, for
//                               bench/vs_sqlite.sh
#include "BenchSupport.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/search/Search.h"
#include "core/storage/RecordStore.h"
#include "core/storage/TextSlot.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using BenchSupport::Growth;

constexpr int kCards = 100000;
constexpr const char* kAuthor = "calvino";
constexpr const char* kTitle = "notte";

// The book search's line, skip rule and order in SQL. SQLite's lower()
// folds A-Z only, like the search; "%!-50.50s" fits by characters, as the
// line fits Windows-1252 characters; upper() then rowid is the list order
// (a-z read as A-Z, then by code, equal lines in archive order).
QByteArray query()
{
    return QByteArrayLiteral("SELECT printf('Cod. %!-24.24s  %!-50.50s  %!-30.30s  %s %s %s',"
                             " Codice, Titolo, Autore, Citta, Editore, Anno) AS line FROM libri"
                             " WHERE Annullata = 'No' AND instr(lower(Autore), '")
        + kAuthor + "') > 0 AND instr(lower(Titolo), '" + kTitle + "') > 0 ORDER BY upper(line), rowid;";
}

void check(int rc, sqlite3* db, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        qFatal("%s: %s", what, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

QString databasePath()
{
    return BenchSupport::sampleFolder(Books::collection(), kCards, Growth::Bulk) + QStringLiteral("/libri.db");
}

// Every field of every card, trimmed and decoded, as the card shows it.
void writeDatabase(const QString& archive, const QString& path)
{
    if (QFile::exists(path))
        return;
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    sqlite3* db = nullptr;
    check(sqlite3_open(part.toUtf8().constData(), &db), db, "open");
    QByteArray create = "CREATE TABLE libri(";
    QByteArray insert = "INSERT INTO libri VALUES(";
    for (std::size_t i = 0; i < TSchedaLibro.fields.size(); ++i) {
        create += (i ? ", " : "") + QByteArray(TSchedaLibro.fields[i].name.data(), qsizetype(TSchedaLibro.fields[i].name.size())) + " TEXT";
        insert += i ? ", ?" : "?";
    }
    check(sqlite3_exec(db, (create + ")").constData(), nullptr, nullptr, nullptr), db, "create");
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt* row = nullptr;
    check(sqlite3_prepare_v2(db, (insert + ")").constData(), -1, &row, nullptr), db, "prepare");
    RecordStore store;
    if (!store.open(archive, TSchedaLibro.size, RecordStore::Mode::ReadExisting))
        qFatal("cannot read %s", qPrintable(archive));
    store.scan([&](const char* record, qint64) {
        for (std::size_t i = 0; i < TSchedaLibro.fields.size(); ++i) {
            const QByteArray text = TextSlot::read(record, TSchedaLibro.fields[i], TSchedaLibro.kind).toUtf8();
            sqlite3_bind_text(row, int(i) + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        check(sqlite3_step(row), db, "insert");
        sqlite3_reset(row);
        return true;
    });
    sqlite3_finalize(row);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
    QFile::rename(part, path);
}

// One query as a program would ask it: open the database, run, close.
QStringList sqliteLines(const QString& path)
{
    QStringList lines;
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), db, "open");
    sqlite3_stmt* statement = nullptr;
    check(sqlite3_prepare_v2(db, query().constData(), -1, &statement, nullptr), db, "prepare");
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        lines.append(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), sqlite3_column_bytes(statement, 0)));
    check(rc, db, "step");
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return lines;
}

QStringList ourLines(const QString& archive)
{
    Search search(Books::search());
    search.setFilter("Autore", QString::fromLatin1(kAuthor));
    search.setFilter("Titolo", QString::fromLatin1(kTitle));
    QStringList lines;
    if (!search.run(archive, lines, RecordStore::Mode::ReadExisting))
        qFatal("search failed");
    return lines;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void BM_TwoFilters_VsSqlite(benchmark::State& state)
{
    const Growth growth = Growth(state.range(0));
    const bool viaCopy = state.range(1) != 0;
    const QString archive = BenchSupport::sampleArchive(Books::collection(), kCards, growth);
    const QString database = databasePath();
    if (BenchSupport::compactCopy(archive, Books::search(), viaCopy) != viaCopy) {
        state.SkipWithError("the compact copy could not be made");
        return;
    }
    const QStringList ours = ourLines(archive);
    if (ours != sqliteLines(database)) {
        state.SkipWithError("SQLite's lines differ from the search's");
        return;
    }
    std::vector<double> oursMs, sqliteMs, ratios;
    for (auto _ : state) {
        using Clock = std::chrono::steady_clock;
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(ourLines(archive));
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(sqliteLines(database));
        const auto t2 = Clock::now();
        const double a = std::chrono::duration<double, std::milli>(t1 - t0).count();
        const double b = std::chrono::duration<double, std::milli>(t2 - t1).count();
        state.SetIterationTime(a / 1000);
        oursMs.push_back(a);
        sqliteMs.push_back(b);
        ratios.push_back(a / b);
    }
    state.counters["lines"] = static_cast<double>(ours.size());
    state.counters["ours_ms"] = median(oursMs);
    state.counters["sqlite_ms"] = median(sqliteMs);
    state.counters["ratio"] = median(ratios);
    state.SetLabel(QByteArray(BenchSupport::name(growth)).append(viaCopy ? ", via the copy" : ", every record").toStdString());
}
BENCHMARK(BM_TwoFilters_VsSqlite)
    ->ArgNames({"growth", "copy"})
    ->ArgsProduct({{int(Growth::CardByCard), int(Growth::Bulk)}, {1, 0}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(40);

// The lending desk's look-up by code among 100,000 books: the store opened,
// the cards whose code equals the one read found, the store closed.
void BM_CodeLookUp(benchmark::State& state)
{
    const Growth growth = Growth(state.range(0));
    const bool viaCopy = state.range(1) != 0;
    const QString archive = BenchSupport::sampleArchive(Books::collection(), kCards, growth);
    if (BenchSupport::compactCopy(archive, Books::search(), viaCopy) != viaCopy) {
        state.SkipWithError("the compact copy could not be made");
        return;
    }
    // Codes of the generated books ("L" and seven digits), typed in
    // small letters, taken across the archive.
    qint64 n = 0;
    qint64 found = 0;
    for (auto _ : state) {
        const qint64 card = (++n * 7919) % kCards + 1;
        const QString code = QStringLiteral("l%1").arg((card * 7919) % 1000003, 7, 10, QLatin1Char('0'));
        RecordStore store;
        if (!store.open(archive, TSchedaLibro.size, RecordStore::Mode::ReadExisting)
            || !Search::findEqual(store, Books::search(), "Codice", code, [&](const char*, qint64) { ++found; }))
            state.SkipWithError("look-up failed");
    }
    state.counters["found"] = static_cast<double>(found);
    state.SetLabel(QByteArray(BenchSupport::name(growth)).append(viaCopy ? ", via the copy" : ", every record").toStdString());
}
BENCHMARK(BM_CodeLookUp)
    ->ArgNames({"growth", "copy"})
    ->ArgsProduct({{int(Growth::CardByCard), int(Growth::Bulk)}, {1, 0}})
    ->Unit(benchmark::kMillisecond);

void prepare()
{
    for (Growth g : BenchSupport::kGrowths)
        BenchSupport::sampleFolder(Books::collection(), kCards, g);
    writeDatabase(BenchSupport::sampleArchive(Books::collection(), kCards, Growth::Bulk), databasePath());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--prepare") == 0) {
        QCoreApplication app(argc, argv);
        prepare();
        for (Growth g : BenchSupport::kGrowths)
            std::printf("folder_%s=%s\n", BenchSupport::name(g), qPrintable(BenchSupport::sampleFolder(Books::collection(), kCards, g)));
        std::printf("database=%s\nauthor=%s\ntitle=%s\nquery=%s\n", qPrintable(databasePath()), kAuthor, kTitle, query().constData());
        return 0;
    }
    return BenchSupport::run(argc, argv, false, prepare);
}
