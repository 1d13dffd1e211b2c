#pragma once

#include "core/import/CsvReader.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

class CardRowSource;
class QIODevice;
class Record;
class RecordStore;
struct Collection;
struct FieldDef;

// Cards read from a CSV sheet or from the first sheet of a spreadsheet
// file (.xlsx, see XlsxReader), every rule the same for both. The header row names the columns by record
// field ("Citta"), card caption ("Città:") or export heading ("Città
// pubblicazione"), see ImportNames. The file is read twice, in blocks, so
// memory stays bounded whatever its size: check() reads it all and finds
// every problem; write() reads it again and hands the cards over in
// batches. The encoding is decided on the whole file: UTF-8 when every
// byte is valid UTF-8, Windows-1252 when no byte sequence is UTF-8 beyond
// ASCII, and a file holding both is refused unless the caller says which.
// Only run() writes, and only to the archive, under its lock and journal.
class CardImport {
public:
    enum class Encoding { Auto, Utf8, Windows1252 };

    struct Options {
        Encoding encoding = Encoding::Auto;
        bool allowDuplicates = false;
        QString archive;        // whose codes a new card must not repeat; empty: none
        bool checkOnly = false; // run(): check every row and write nothing
    };

    // What run() has read so far: `done` of the file's `total` bytes, in
    // the first pass (every row checked) or the second (cards written).
    enum class Pass { Check, Write };
    using Progress = std::function<void(Pass pass, qint64 done, qint64 total)>;

    struct Outcome {
        enum class Status {
            Imported,  // every card written; checkOnly: every row checked, none written
            Refused,   // the file has problems or repeated codes: nothing written (report() lists them)
            Cancelled, // the cancel flag was raised: nothing written, the archive is as it was
            Failed,    // the archive could not be opened or written: `reason`
        };
        Status status = Status::Refused;
        // Failed: why, in words, ending with RecordStore::kMayHaveChanged
        // when the undo failed too; `nothingAdded` says the archive is as
        // it was (false only when the undo failed).
        QString reason;
        bool nothingAdded = true;
        bool openFailed = false; // Failed before anything was begun: the archive could not be opened
        qint64 archiveCards = 0; // Imported and written: the cards in the archive now
        // Imported and written: the position (from 1) of the first card
        // written, read under the archive's lock with the cards that follow
        // it up to archiveCards; the positions a screen or the command
        // line reports come from here, never from a size read outside it.
        qint64 firstWritten = 0;
    };

    struct Problem {
        int line;   // file line, from 1
        int column; // from 1; 0: the whole row or file
        QString text;
    };

    // At most this many problems are kept to be listed; the rest are counted.
    static constexpr int kKeptProblems = 1000;
    // Cards handed over by write() at a time.
    static constexpr int kBatchCards = 1000;

    explicit CardImport(const Collection& collection);

    // A reader for files of another kind (MARC records), asked first
    // whether it knows the file; it stays the caller's. Its rows go through
    // every check and the same two passes as a sheet's.
    void setRowSource(CardRowSource* source) { m_source = source; }
    // Whether the last check() read the file through the row source.
    bool fromRowSource() const { return m_fromSource; }
    // How the file was read, for the summary: the workbook, the CSV's
    // encoding or the row source's format.
    QString readAs() const;

    // Reads the whole device from its start and checks every row. True when
    // every row makes a card and no code repeats (unless allowed).
    bool check(QIODevice& file, const Options& options);

    // After a successful check(): reads the device again from its start and
    // calls `batch` with the records of at most kBatchCards cards at a time,
    // in file order; stops when it returns false. False when a batch was
    // refused or the file changed since check() (problems() then says so).
    bool write(QIODevice& file, const std::function<bool(const QByteArray& records, int cards)>& batch);

    // The whole import of `file` into the archive `options.archive`, as the
    // command line and the import screen run it: check() every row; then,
    // unless checkOnly or the file holds no card, write() the cards in
    // batches after one another under the store's lock and journal, so that
    // every card is kept or none, even if the process is killed halfway.
    // `progress` (may be empty) is called now and then from this thread;
    // `cancel` (may be null) is read between rows and batches: once raised,
    // the import stops and the journal cuts the archive back to what it was.
    // count(), report(), problems(), duplicates() and notes() then tell the
    // rest.
    Outcome run(QIODevice& file, const Options& options, const Progress& progress = {}, const std::atomic<bool>* cancel = nullptr);

    // check() and write() over bytes in memory, every card into records().
    bool read(const QByteArray& file, const Options& options);
    bool read(const QByteArray& file) { return read(file, Options()); }
    const QByteArray& records() const { return m_records; }

    const QList<Problem>& problems() const { return m_problems; }
    const QList<Problem>& duplicates() const { return m_duplicates; }
    // The problems (and the duplicate codes) as "riga N, colonna X
    // ("Caption"): text", in file order, and what was left unlisted.
    QStringList report() const;
    // What check() changed or doubts without refusing the file: codes a
    // spreadsheet has likely changed and that were mended (a Dewey class
    // padded to three digits), as "avviso, riga N, colonna X ("Caption"): text".
    const QList<Problem>& warnings() const { return m_warnings; }
    QStringList warningReport() const;
    int paddedDewey() const { return m_paddedDewey; }
    // Whether the file is the complete CSV as an export wrote it (its
    // byte-order mark, ";" and header), whose values are taken as written:
    // no spreadsheet has mended or changed them.
    bool takesValuesAsWritten() const { return m_complete && m_byteOrderMark; }
    // Whether the file is a complete export of this collection (the CSV as
    // written, or the .xlsx): every stored value is then given back as it
    // was, blanks and odd flags included, and nothing is filled in.
    bool givesBackAsStored() const { return takesValuesAsWritten() || m_completeXlsx; }
    // Whether the file was read as a spreadsheet file (.xlsx).
    bool isXlsx() const { return m_xlsx; }

    // What the cards will lack because the header has no column for it.
    QStringList notes() const;

    int count() const { return m_count; }
    bool isUtf8() const { return m_utf8; }
    QString encodingName() const { return m_utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1252"); }

    // "A", "B", ..., "Z", "AA": a column as the spreadsheet names it.
    static QString columnName(int column);

    // What a file that begins with `head` is when it cannot be a CSV sheet
    // (the program's own spreadsheet, an office document, a binary file),
    // and how to make a CSV of it; empty when it may be one.
    static QString notCsv(const QByteArray& head);

private:
    struct Scan;
    // What run() watches: the progress callback and the cancel flag.
    struct Watch {
        const Progress* progress = nullptr;
        const std::atomic<bool>* cancel = nullptr;
        Pass pass = Pass::Check;
        qint64 rows = 0;
        bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
    };
    // Called for every row read by check() and write(): reports progress
    // now and then; false when the import is to stop.
    bool watchRow(const QIODevice& file);
    bool scanBytes(QIODevice& file, Scan& scan);
    bool header(const QList<QByteArray>& cells, int line);
    bool card(const QList<QByteArray>& cells, int line, Record& record);
    void checkCode(const Record& record, int line);
    bool loadArchiveCodes(const QString& archive);
    bool collectCodes(const RecordStore& store, qint64 records);
    // Whether a card of `records` repeats a code of m_archiveCodes; says so
    // among the duplicates.
    bool repeatsArchiveCode(const QByteArray& records);
    QString decode(const QByteArray& bytes) const;
    void problem(int line, int column, const QString& text);
    void warning(int line, int column, const QString& text);
    QStringList describe(QList<Problem> sorted) const;
    // Every row of the file, from a CSV or the first sheet of a workbook;
    // a fault of the file becomes a problem.
    CsvReader::Status readRows(QIODevice& file, const std::function<bool(CsvReader::Row&)>& onRow);
    bool skipByteOrderMark(QIODevice& file);

    const Collection& m_collection;
    QList<Problem> m_problems;
    QList<Problem> m_duplicates;
    QList<Problem> m_warnings;
    int m_warningCount = 0;
    int m_paddedDewey = 0;
    bool m_xlsx = false;
    CardRowSource* m_source = nullptr;
    bool m_fromSource = false;
    bool m_byteOrderMark = false;
    bool m_resaved = false; // the complete CSV saved again by a spreadsheet
    int m_problemCount = 0;
    int m_duplicateCount = 0;
    bool m_unknownColumn = false;
    // The file is a complete CSV of this program (its header, ";"): its
    // values are the cards' own and come back as they are, line breaks too.
    bool m_complete = false;
    bool m_completeXlsx = false; // a .xlsx whose header is the complete export's
    QStringList m_header;
    std::vector<const FieldDef*> m_fields; // one per header column; nullptr: an empty trailing column
    qsizetype m_namedColumns = 0;
    const FieldDef* m_codeField = nullptr;
    std::vector<std::pair<std::uint64_t, qint64>> m_archiveCodes; // sorted: code hash, position
    std::unordered_map<std::uint64_t, int> m_fileCodes;           // code hash, first line
    QByteArray m_records;
    int m_count = 0;
    bool m_utf8 = true;
    char m_separator = ',';
    std::uint64_t m_fileHash = 0;
    bool m_checked = false;
    Watch* m_watch = nullptr; // during run() only
};
