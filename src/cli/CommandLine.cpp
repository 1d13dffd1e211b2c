#include "CommandLine.h"

#include "cli/BackupCommands.h"
#include "cli/DeskCommands.h"
#include "core/collections/ArchiveCheck.h"
#include "core/export/CardCsv.h"
#include "cli/LabelsCommand.h"
#include "cli/LookupCommand.h"
#include "cli/CatalogueCommand.h"
#include "cli/MarcCommands.h"
#include "cli/ServeCommand.h"
#include "cli/VerbPlugins.h"
#include "core/collections/Books.h"
#include "core/import/MarcHead.h"
#include "core/collections/CodeHints.h"
#include "core/labels/LabelCards.h"
#include "core/export/ExportModel.h"
#include "core/collections/ExportTable.h"
#include "core/export/Spreadsheet.h"
#include "core/search/Search.h"
#include "core/search/SearchTable.h"
#include "core/collections/Collection.h"
#include "core/export/ExportTarget.h"
#include "core/storage/AppendJournal.h"
#include "core/storage/DiskFile.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"
#include "core/storage/SideFile.h"
#include "core/collections/SampleCards.h"
#include "core/import/CardImport.h"
#include "core/import/CardRowSource.h"
#include "core/import/ImportSummary.h"
#include "core/loans/LoanList.h"
#include "core/loans/LoanSettings.h"
#include "core/loans/ValueWarnings.h"
#include "core/stats/CollectionStats.h"
#include "core/text/Text.h"
#include "core/text/Clock.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// What one command asked, read from its arguments.
struct Options {
    const Collection* collection = nullptr;
    QString year;
    QString out;
    QString to;
    QString date; // lend: the day of the loan
    bool available = false;
    QList<QPair<QString, QString>> filters; // search: field as written, text (empty for a field the table lacks)
    LabelsCommand::Given labels;
    LookupCommand::Given lookup;
    MarcCommands::Given marc;
    MarcCommands::ImportGiven marcImport;
    ServeCommand::Given serve;
    QStringList positional; // the words after the verb and its collection
    quint32 seed = 1;
    int days = 0; // 0: the program folder's setting
    bool dryRun = false;
    bool csv = false;      // export: the complete CSV instead of the spreadsheet
    bool complete = false; // export: every field, as .xlsx or .csv after --out's extension
    bool withCancelled = false;
    bool allowDuplicates = false;
    bool force = false; // --out may replace an existing file of another kind
    CardImport::Encoding encoding = CardImport::Encoding::Auto;
};

constexpr int kBadArguments = 2;

int fail(QTextStream& err, const QString& message)
{
    err << "tomaria-cli: " << message << "\n" << CommandLine::usage();
    err.flush();
    return kBadArguments;
}

QString archivePath(const Options& o)
{
    return ProgramFolder::file(o.collection->archiveName(o.year));
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

int cannotRead(QTextStream& err, const QString& path, const QString& reason)
{
    err << "tomaria-cli: impossibile leggere " << shown(path) << ": " << reason << "\n";
    return kBadArguments;
}

// Why an archive that the store could not read failed: the store's own
// reason when it opened nothing, else a read error.
QString readReason(const QString& path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return DiskFile::kMissing;
    if (!DiskFile::isRegular(path))
        return DiskFile::kNotRegular;
    if (!QFileInfo(path).isReadable())
        return QStringLiteral("permesso negato");
    return QStringLiteral("errore di lettura");
}

int addSamples(const Options& o, QTextStream& out, QTextStream& err)
{
    bool ok = false;
    const int count = o.positional.value(0).toInt(&ok);
    if (!ok || count < 0 || o.positional.size() != 1)
        return fail(err, QStringLiteral("sample vuole il numero di schede da aggiungere"));
    RecordStore store;
    if (!store.open(archivePath(o), o.collection->layout->size)) {
        err << "tomaria-cli: impossibile aprire " << shown(archivePath(o)) << " in scrittura: " << store.errorString() << "\n";
        return kBadArguments;
    }
    // Serial numbers only: append() finds the real end under its lock.
    const qint64 first = store.count();
    SampleCards cards(o.seed);
    Record record(*o.collection->layout);
    // Cards go to the disk a thousand at a time: one write and one flush each.
    constexpr int kBatch = 1000;
    QByteArray batch;
    int added = 0;
    for (int i = 0; i < count; ++i) {
        cards.fill(*o.collection, record, static_cast<int>(first) + i + 1);
        batch += record.bytes();
        if ((i + 1) % kBatch == 0 || i + 1 == count) {
            if (!store.append(batch)) {
                err << "tomaria-cli: scrittura delle schede in " << shown(archivePath(o)) << " non riuscita dopo "
                    << Text::counted(added, u"scheda aggiunta", u"schede aggiunte") << ": " << store.errorString() << "\n";
                // (errorString() says when the undo failed too.)
                return kBadArguments;
            }
            added = i + 1;
            batch.clear();
        }
    }
    out << Text::counted(count, u"scheda aggiunta", u"schede aggiunte") << " a " << archivePath(o) << " (ora " << store.index() << ")\n";
    return 0;
}

int search(const Options& o, QTextStream& out, QTextStream& err)
{
    if (!o.positional.isEmpty() || !o.out.isEmpty())
        return fail(err, QStringLiteral("search accetta soltanto filtri e --available"));
    const SearchTable* table = o.available ? o.collection->available : o.collection->search;
    if (!table)
        return fail(err, QStringLiteral("--available vale soltanto per ") + Text::listed(Collection::keys([](const Collection& c) {
            return c.available != nullptr;
        })));
    Search engine(*table);
    for (const auto& [field, text] : o.filters) {
        if (!engine.setFilter(field.toStdString(), text))
            return fail(err, QStringLiteral("campo sconosciuto --%1 per %2").arg(field, Text::latin1(o.collection->key)));
    }
    QStringList lines;
    if (!engine.run(archivePath(o), lines, RecordStore::Mode::ReadExisting))
        return cannotRead(err, archivePath(o), readReason(archivePath(o)));
    for (const QString& line : lines)
        out << line << "\n";
    err << "Il presente riepilogo contiene " << Text::counted(lines.size(), u"scheda", u"schede") << ".\n";
    return 0;
}

int exportFile(const Options& o, QTextStream& out, QTextStream& err)
{
    if (!o.positional.isEmpty())
        return fail(err, QStringLiteral("export non accetta altri argomenti"));
    const ExportTable& table = *o.collection->exportTable;
    // A missing archive is reported, never created by the export.
    if (!DiskFile::isRegular(archivePath(o)))
        return cannotRead(err, archivePath(o), readReason(archivePath(o)));
    const QString target = o.out.isEmpty() ? ProgramFolder::file(Text::utf8(table.fileName)) : o.out;
    if (const QString refusal = ExportTarget::refusal(target, ExportTarget::Kind::Spreadsheet, o.force); !refusal.isEmpty()) {
        err << "tomaria-cli: " << refusal << "\n";
        return kBadArguments;
    }
    ExportModel grid(table);
    if (!grid.load(archivePath(o)))
        return cannotRead(err, archivePath(o), readReason(archivePath(o)));
    QString reason;
    if (!Spreadsheet::save(grid, target, &reason)) {
        err << "tomaria-cli: impossibile scrivere " << shown(target) << ": " << reason
            << "; l'eventuale file precedente è rimasto com'era\n";
        return kBadArguments;
    }
    out << Text::counted(grid.rowCount(), u"scheda esportata", u"schede esportate") << " in " << target << "\n";
    return 0;
}

// Every field of every card, for the import of another program folder:
// a CSV (--csv, or --complete with a .csv file) or a spreadsheet file
// (--complete with a .xlsx file) whose cells are all text.
int exportComplete(const Options& o, QTextStream& out, QTextStream& err)
{
    if (!o.positional.isEmpty())
        return fail(err, QStringLiteral("export non accetta altri argomenti"));
    if (o.csv && o.complete)
        return fail(err, QStringLiteral("--csv e --complete non vanno insieme: --complete sceglie il formato dall'estensione di --out"));
    if (o.out.isEmpty())
        return fail(err,
            o.csv ? QStringLiteral("export --csv vuole --out FILE.csv")
                  : QStringLiteral("export --complete vuole --out FILE.xlsx o FILE.csv"));
    const QString suffix = QFileInfo(o.out).suffix().toLower();
    const bool xlsx = o.complete && suffix == QLatin1String("xlsx");
    if (o.complete && !xlsx && suffix != QLatin1String("csv"))
        return fail(err, QStringLiteral("export --complete vuole un file .xlsx o .csv"));
    if (!DiskFile::isRegular(archivePath(o)))
        return cannotRead(err, archivePath(o), readReason(archivePath(o)));
    if (const QString refusal = ExportTarget::refusal(
            o.out, xlsx ? ExportTarget::Kind::CompleteXlsx : ExportTarget::Kind::CompleteCsv, o.force);
        !refusal.isEmpty()) {
        err << "tomaria-cli: " << refusal << "\n";
        return kBadArguments;
    }
    CardCsv::Outcome outcome;
    if (xlsx && !VerbPlugins::load(VerbPlugins::kXlsx, QStringLiteral("export --complete .xlsx"), err))
        return kBadArguments;
    const bool saved = xlsx ? VerbPlugins::saveXlsx(*o.collection, archivePath(o), o.out, &outcome)
                            : CardCsv::save(*o.collection, archivePath(o), o.out, &outcome);
    if (!saved) {
        if (outcome.readFailed)
            err << "tomaria-cli: impossibile leggere " << shown(archivePath(o)) << ": " << outcome.reason;
        else
            err << "tomaria-cli: impossibile scrivere " << shown(o.out) << ": " << outcome.reason;
        err << "; l'eventuale file precedente è rimasto com'era\n";
        return kBadArguments;
    }
    out << Text::counted(outcome.cards, u"scheda esportata", u"schede esportate") << " in " << o.out << "\n";
    return 0;
}

int check(const Options& o, QTextStream& out, QTextStream& err)
{
    if (!o.positional.isEmpty())
        return fail(err, QStringLiteral("check non accetta altri argomenti"));
    const ArchiveCheck::Report report = ArchiveCheck::run(*o.collection, archivePath(o));
    if (!report.readable)
        return cannotRead(err, archivePath(o), readReason(archivePath(o)));
    QStringList lines = ArchiveCheck::describe(report);
    // Doubtful codes and ISBNs are warnings: they leave the exit status alone.
    CodeHints::Findings findings;
    QStringList warnings;
    if (CodeHints::scan(*o.collection, archivePath(o), findings))
        warnings << CodeHints::describe(findings);
    // So are the values a spreadsheet has likely changed.
    ValueWarnings::Findings values;
    if (ValueWarnings::scan(*o.collection, archivePath(o), values))
        warnings << ValueWarnings::describe(values);
    lines = lines.mid(0, 1) + warnings + lines.mid(1);
    for (const QString& line : lines)
        out << line << "\n";
    return report.clean() ? 0 : 1;
}

int loans(const Options& o, QTextStream& out, QTextStream& err)
{
    LoanList list;
    if (!list.load())
        return cannotRead(err, list.failedArchive(), readReason(list.failedArchive()));
    list.arrange(Clock::today(), o.days > 0 ? o.days : LoanSettings::days());
    for (const QString& line : list.lines())
        out << line << "\n";
    // The screen's own words for its total.
    err << list.totalLine() << "\n";
    return 0;
}

int stats(const Options& o, QTextStream& out, QTextStream& err)
{
    CollectionStats counts(*o.collection, Clock::today(), o.days > 0 ? o.days : LoanSettings::days());
    if (!counts.load())
        return cannotRead(err, counts.failedArchive(), readReason(counts.failedArchive()));
    for (const QString& line : counts.lines())
        out << line << "\n";
    return 0;
}

int importFile(const Options& o, QTextStream& out, QTextStream& err)
{
    if (o.positional.size() != 1)
        return fail(err, QStringLiteral("import vuole il file da importare (.xlsx, CSV o, per books, MARC)"));
    const QString source = o.positional.first();
    if (!DiskFile::isRegular(source))
        return cannotRead(err, source, readReason(source));
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        return cannotRead(err, source, file.errorString());

    CardImport cards(*o.collection);
    // A MARC file is read by the look-up plugin, loaded for it alone.
    std::unique_ptr<CardRowSource> marc;
    if (o.collection != &Books::collection()) {
        if (MarcCommands::asked(o.marcImport))
            return fail(err, MarcCommands::notForBooksOnly());
    } else if (MarcHead::recognised(file.peek(4096))) {
        QString refusal;
        marc = VerbPlugins::marcSource(*o.collection, archivePath(o), o.marcImport, &refusal, err);
        if (!marc)
            return refusal.isEmpty() ? kBadArguments : fail(err, refusal);
    }
    cards.setRowSource(marc.get());
    CardImport::Options options;
    options.encoding = o.encoding;
    options.allowDuplicates = o.allowDuplicates;
    options.archive = archivePath(o);
    options.checkOnly = o.dryRun;
    const CardImport::Outcome outcome = cards.run(file, options);
    ImportSummary::Voice voice;
    voice.archive = archivePath(o);
    voice.allowDuplicates = QStringLiteral("--allow-duplicates");
    voice.checkOnly = QStringLiteral("(--dry-run)");
    QString said = ImportSummary::sentence(cards, outcome, o.dryRun, voice);
    // The file's lines carry its name, so that one pass in the office
    // program mends them all; the notes speak of the cards.
    const auto list = [&](QTextStream& to) {
        for (const QString& line : cards.report() + cards.warningReport())
            to << shown(source) << ": " << line << "\n";
        for (const QString& note : cards.notes())
            to << note << "\n";
    };
    switch (outcome.status) {
    case CardImport::Outcome::Status::Refused:
    case CardImport::Outcome::Status::Cancelled:
        list(err);
        err << said << "\n";
        return 1;
    case CardImport::Outcome::Status::Failed:
        said[0] = said[0].toLower();
        err << "tomaria-cli: " << said << "\n";
        return kBadArguments;
    case CardImport::Outcome::Status::Imported:
        break;
    }
    // The count first, then what the cards will lack and what was let through.
    out << said << "\n";
    list(out);
    return 0;
}

int exportAny(const Options& o, QTextStream& out, QTextStream& err)
{
    if (MarcCommands::asked(o.marc)) {
        if (!o.positional.isEmpty())
            return fail(err, QStringLiteral("export non accetta altri argomenti"));
        if (o.csv || o.complete)
            return fail(err, QStringLiteral("--marc21 e --unimarc non vanno con --csv né con --complete"));
        return VerbPlugins::exportMarc(*o.collection, archivePath(o), o.out, o.marc, out, err);
    }
    return o.csv || o.complete ? exportComplete(o, out, err) : exportFile(o, out, err);
}

int labels(const Options& o, QTextStream& out, QTextStream& err)
{
    // An unknown option's value reads as a word: the option is named first.
    if (!o.positional.isEmpty() && o.labels.unknown.isEmpty())
        return fail(err, QStringLiteral("labels accetta soltanto le sue opzioni"));
    return VerbPlugins::labels(*o.collection, o.labels, out, err);
}

int backup(const Options& o, QTextStream& out, QTextStream& err)
{
    return BackupCommands::backup(o.to, out, err);
}

int backups(const Options&, QTextStream& out, QTextStream& err)
{
    return BackupCommands::list(out, err);
}

int restore(const Options& o, QTextStream& out, QTextStream& err)
{
    return BackupCommands::restore(o.positional.value(0), out, err);
}

int lend(const Options& o, QTextStream& out, QTextStream& err)
{
    return DeskCommands::lend(o.positional.value(0), o.to, o.date, out, err);
}

int giveBack(const Options& o, QTextStream& out, QTextStream& err)
{
    return DeskCommands::giveBack(o.positional.value(0), out, err);
}

int reminders(const Options& o, QTextStream& out, QTextStream& err)
{
    if (o.out.isEmpty()) {
        err << "tomaria-cli: reminders vuole --out FILE.pdf\n";
        return kBadArguments;
    }
    if (const QString refusal = ExportTarget::refusal(o.out, ExportTarget::Kind::Pdf, o.force); !refusal.isEmpty()) {
        err << "tomaria-cli: " << refusal << "\n";
        return kBadArguments;
    }
    return VerbPlugins::reminders(o.days, o.out, out, err);
}

int stocktake(const Options& o, QTextStream& out, QTextStream& err)
{
    if (o.positional.size() != 1)
        return fail(err, QStringLiteral("stocktake vuole la raccolta e il file dei codici letti"));
    QString shelf;
    for (const auto& [name, text] : o.filters) {
        if (name != QLatin1String("shelf"))
            return fail(err, QStringLiteral("--%1 non vale per stocktake").arg(name));
        shelf = text;
    }
    return DeskCommands::stocktake(*o.collection, shelf, o.positional[0], out, err);
}

int lookup(const Options& o, QTextStream& out, QTextStream& err)
{
    return VerbPlugins::lookup(o.positional.value(0), o.lookup, out, err);
}

int catalogue(const Options& o, QTextStream& out, QTextStream& err)
{
    CatalogueCommand::Given given;
    given.lookup = o.lookup;
    given.codePrefix = o.marcImport.codePrefix;
    given.dryRun = o.dryRun;
    for (const auto& [name, text] : o.filters)
        if (name == QLatin1String("shelf"))
            given.shelf = text;
    return VerbPlugins::catalogue(o.positional.value(0), given, out, err);
}

int serve(const Options& o, QTextStream& out, QTextStream& err)
{
    return ServeCommand::run(o.serve, out, err);
}

QString loansUsage();
QString yearUsage();

// The options, one row each: the name, the name of its value in the
// usage (none: a switch), the verbs that take it (none listed: every verb),
// its note in the usage (none: the verbs' notes speak of it) and what is
// said when its value is missing. Any other "--NAME" is a filter of the
// verb's collection (a search's fields, the labels' options).
struct OptionRow {
    QString name;
    QString value;
    QStringList verbs;
    QString (*help)();
    QString missing;
};

const std::vector<OptionRow>& optionTable()
{
    // clang-format off
    static const std::vector<OptionRow> table{
        {u"folder"_s, u"CARTELLA"_s, {},
            [] { return QStringLiteral("--folder indica la cartella del programma (in mancanza, quella di questo programma);\n"); },
            u"--folder vuole una cartella"_s},
        {u"year"_s, u"AAAA"_s, {u"sample"_s, u"search"_s, u"export"_s, u"import"_s, u"check"_s, u"labels"_s}, &yearUsage, u"--year vuole un anno"_s},
        {u"out"_s, u"FILE"_s, {u"export"_s, u"labels"_s, u"reminders"_s}, nullptr, u"--out vuole un file"_s},
        {u"force"_s, {}, {u"export"_s, u"labels"_s, u"reminders"_s},
            [] { return QStringLiteral("--out non indica mai un file del catalogo o del programma, una cartella o un file speciale;\n"
                                       "  un file esistente di altro tipo è sostituito soltanto con --force.\n"); },
            {}},
        {u"to"_s, u"CARTELLA"_s, {u"backup"_s, u"lend"_s}, nullptr, u"--to vuole una cartella"_s},
        {u"date"_s, u"gg/mm/aaaa"_s, {u"lend"_s}, nullptr, u"--date vuole una data gg/mm/aaaa"_s},
        {u"seed"_s, u"N"_s, {u"sample"_s}, nullptr, u"--seed vuole un numero"_s},
        {u"days"_s, u"N"_s, {u"loans"_s, u"stats"_s, u"reminders"_s}, nullptr,
            QStringLiteral("--days vuole un numero di giorni da 1 a %1").arg(LoanSettings::kMaxDays)},
        {u"csv"_s, {}, {u"export"_s}, nullptr, {}},
        {u"complete"_s, {}, {u"export"_s}, nullptr, {}},
        {u"marc21"_s, {}, {u"export"_s}, nullptr, {}},
        {u"unimarc"_s, {}, {u"export"_s}, nullptr, {}},
        {u"xml"_s, {}, {u"export"_s}, nullptr, {}},
        {u"dry-run"_s, {}, {u"import"_s, u"catalogue"_s}, nullptr, {}},
        {u"with-cancelled"_s, {}, {u"labels"_s}, nullptr, {}},
        {u"allow-duplicates"_s, {}, {u"import"_s}, nullptr, {}},
        {u"encoding"_s, u"utf-8|windows-1252"_s, {u"import"_s}, nullptr, u"--encoding vuole utf-8 o windows-1252"_s},
        {u"available"_s, {}, {u"search"_s}, nullptr, {}},
        {u"catalogue"_s, u"NOME"_s, {u"lookup"_s, u"catalogue"_s}, nullptr, u"--catalogue vuole il nome di un catalogo"_s},
        {u"server"_s, u"INDIRIZZO"_s, {u"lookup"_s, u"catalogue"_s}, nullptr, u"--server vuole un indirizzo"_s},
        {u"syntax"_s, u"marc21|unimarc"_s, {u"lookup"_s, u"import"_s, u"catalogue"_s}, nullptr, u"--syntax vuole marc21 o unimarc"_s},
        {u"code-tag"_s, u"TAG"_s, {u"import"_s}, nullptr, u"--code-tag vuole un campo MARC"_s},
        {u"code-prefix"_s, u"P"_s, {u"import"_s, u"catalogue"_s}, nullptr, u"--code-prefix vuole un prefisso"_s},
        {u"port"_s, u"N"_s, {u"serve"_s}, nullptr, u"--port vuole un numero"_s},
        {u"address"_s, u"A"_s, {u"serve"_s}, nullptr, u"--address vuole un indirizzo"_s},
        {u"log"_s, u"FILE"_s, {u"serve"_s}, nullptr, u"--log vuole un file"_s},
    };
    // clang-format on
    return table;
}

// The row of `table` named `name`; nullptr when there is none.
template <class Row> const Row* named(const std::vector<Row>& table, const QString& name)
{
    const auto found = std::find_if(table.begin(), table.end(), [&](const Row& row) { return row.name == name; });
    return found == table.end() ? nullptr : &*found;
}

const OptionRow* findOption(const QString& name)
{
    return named(optionTable(), name);
}

// What a verb works on after its name.
enum class Takes {
    Folder,     // the program folder only, and `words` words more
    Collection, // a collection (all of its archives), nothing more
    Archive,    // a collection's archive (--year for a yearly one), then the verb's own words
};

// What a verb's collection adds to the options.
enum class Filters { None, Search, Labels, Shelf };

// The verbs, one row each, in the usage's order: the name, what it works
// on, how many words it takes when that is fixed and what is said
// otherwise, its filters, its lines in the usage (after "tomaria-cli
// [--folder CARTELLA] "; %1 the collections, %2 those with labels, %3
// those that lend their items; a line
// that starts with a blank goes on the line before), its note, its work,
// and the plugin that does it (none: the program itself).
struct VerbRow {
    QString name;
    Takes takes;
    int words;
    QString wrongWords;
    Filters filters;
    QStringList synopsis;
    QString (*note)();
    int (*run)(const Options&, QTextStream&, QTextStream&);
    QStringView plugin = {};
};

const std::vector<VerbRow>& verbTable()
{
    // clang-format off
    static const std::vector<VerbRow> table{
        {u"search"_s, Takes::Archive, -1, {}, Filters::Search,
            {u"search %1 [--year AAAA] [--available] [--CAMPO TESTO]..."_s},
            [] { return QStringLiteral(
                "search: CAMPO è il campo della scheda su cui filtrare, in minuscolo (--titolo, --autore, --isbn,\n"
                "  --regia, --testo, --datapub, ...); i filtri funzionano come nelle schermate di ricerca.\n"); },
            &search},
        {u"export"_s, Takes::Archive, -1, {}, Filters::None,
            {u"export %1 [--year AAAA] [--out FILE [--force]]"_s, u"export %1 --complete [--year AAAA] --out FILE.xlsx|FILE.csv [--force]"_s,
                u"export %1 --csv [--year AAAA] --out FILE.csv [--force]"_s,
                u"export books --marc21|--unimarc [--xml] --out FILE [--force]"_s},
            []() -> QString { return QStringLiteral(
                "export: un file esistente che non sia un foglio di calcolo scritto da questo programma è sostituito\n"
                "  soltanto con --force.\n"
                "export --complete: tutti i campi di ogni scheda (prestiti e allegati compresi) in un foglio .xlsx, dove ogni\n"
                "  cella è testo (da correggere con un foglio di calcolo: \"074\" e \"03/03/2024\" restano come sono), o in un\n"
                "  file CSV, secondo l'estensione di --out; import li rilegge campo per campo. --csv è come --complete con un\n"
                "  file .csv. Il foglio di export senza --complete serve per la consultazione. Un file esistente\n"
                "  che non sia un'esportazione completa di questo programma dello stesso formato vuole --force.\n")
                + MarcCommands::exportUsage(); },
            &exportAny},
        {u"check"_s, Takes::Archive, -1, {}, Filters::None, {u"check  %1 [--year AAAA]"_s},
            [] { return QStringLiteral(
                "check: segnala anche, come avvisi che non cambiano l'esito, i codici ripetuti, gli ISBN errati, i codici\n"
                "  Dewey che non hanno tre cifre e le date di prestito che non si leggono come gg/mm/aaaa.\n"); },
            &check},
        {u"sample"_s, Takes::Archive, -1, {}, Filters::None, {u"sample %1 NUMERO [--year AAAA] [--seed N]"_s}, nullptr, &addSamples},
        {u"import"_s, Takes::Archive, -1, {}, Filters::None,
            {u"import %1 FILE.xlsx|FILE.csv [--year AAAA] [--dry-run]"_s, u"              [--allow-duplicates] [--encoding utf-8|windows-1252]"_s,
                u"import books FILE.mrc|FILE.xml [--syntax marc21|unimarc]"_s, u"              [--code-prefix P | --code-tag TAG] [--dry-run]"_s},
            []() -> QString { return QStringLiteral(
                "import: il primo foglio di un file .xlsx, o un file CSV; la prima riga nomina le colonne con i campi\n"
                "  della scheda, con le didascalie della scheda o con le intestazioni del foglio esportato; nel CSV\n"
                "  separatore virgola, punto e virgola o tabulazione, UTF-8 o Windows-1252 (--encoding la indica quando il\n"
                "  file le mescola). Ogni riga è controllata prima di scrivere: al primo problema l'archivio resta com'era;\n"
                "  un codice già in archivio o ripetuto nel file ferma l'importazione salvo --allow-duplicates. Ciò che un\n"
                "  foglio di calcolo cambia è segnalato: un codice Dewey di una o due cifre è completato con gli zeri\n"
                "  iniziali, una data con l'anno di due cifre è rifiutata. --dry-run controlla soltanto.\n")
                + MarcCommands::importUsage(); },
            &importFile},
        {u"loans"_s, Takes::Folder, 0, u"loans non vuole altri argomenti"_s, Filters::None, {u"loans [--days N]"_s}, &loansUsage, &loans},
        {u"backup"_s, Takes::Folder, 0, u"backup non vuole altri argomenti"_s, Filters::None, {u"backup [--to CARTELLA]"_s},
            [] { return QStringLiteral(
                "backup: una copia di sicurezza del catalogo, verificata, in --to o nella cartella delle copie\n"
                "  (dove restano le più recenti); l'ultima riga è il percorso dello zip. backups: le copie, una per riga.\n"); },
            &backup},
        {u"backups"_s, Takes::Folder, 0, u"backups non vuole altri argomenti"_s, Filters::None, {u"backups"_s}, nullptr, &backups},
        {u"restore"_s, Takes::Folder, 1, u"restore vuole un file zip"_s, Filters::None, {u"restore FILE.zip"_s},
            [] { return QStringLiteral(
                "restore: controlla lo zip, salva il catalogo attuale come copia a sé, poi lo sostituisce.\n"); },
            &restore},
        {u"labels"_s, Takes::Archive, -1, {}, Filters::Labels,
            {u"labels %2 --kind spine|barcode --sheet 3x7|3x8|4x10|2x8|65 [--start N]"_s,
                u"      [--from-code A --to-code B | --shelf S | --since-position P] [--with-cancelled] --out FILE.pdf [--force]"_s},
            [] { return QStringLiteral(
                "labels: etichette per il dorso (Dewey, autore, scaffale) o con il codice a barre, in ordine d'archivio;\n"
                "  --start è l'etichetta del primo foglio da cui cominciare; --since-position P sceglie le schede dalla\n"
                "  posizione P in poi; le schede annullate restano fuori senza --with-cancelled.\n"); },
            &labels, VerbPlugins::kPrint},
        {u"stats"_s, Takes::Collection, 1, u"stats vuole la raccolta e nient'altro"_s, Filters::None, {u"stats %1 [--days N]"_s},
            [] { return QStringLiteral(
                "stats: i numeri della schermata delle statistiche, una riga per barra separata da tabulazioni\n"
                "  (sezione, voce, schede); per %1 tutti gli archivi annuali della cartella; --days come per loans.\n")
                .arg(Text::listed(Collection::keys([](const Collection& c) { return c.yearly(); }))); },
            &stats},
        {u"lend"_s, Takes::Folder, 1, u"lend vuole un codice"_s, Filters::None, {u"lend CODICE --to NOME [--date gg/mm/aaaa]"_s},
            [] { return QStringLiteral(
                "lend, return: prestito e restituzione per codice, come al banco prestiti; esito 1 per un codice di nessuna\n"
                "  scheda o una scheda che non si può prestare o restituire, 2 per un codice di più schede (elencate).\n"); },
            &lend},
        {u"return"_s, Takes::Folder, 1, u"return vuole un codice"_s, Filters::None, {u"return CODICE"_s}, nullptr, &giveBack},
        {u"reminders"_s, Takes::Folder, 0, u"reminders non vuole altri argomenti"_s, Filters::None,
            {u"reminders [--days N] --out FILE.pdf [--force]"_s},
            [] { return QStringLiteral(
                "reminders: una lettera di sollecito per ogni lettore con prestiti in ritardo (--days come per loans).\n"); },
            &reminders, VerbPlugins::kPrint},
        {u"stocktake"_s, Takes::Archive, -1, {}, Filters::Shelf, {u"stocktake %3 [--shelf S] CODICI.txt"_s},
            [] { return QStringLiteral(
                "stocktake: l'inventario di uno scaffale (o di tutti) dal file dei codici letti, uno per riga.\n"); },
            &stocktake},
        {u"lookup"_s, Takes::Folder, 1, u"lookup vuole un ISBN e nient'altro"_s, Filters::None,
            {u"lookup ISBN [--catalogue NOME | --server INDIRIZZO] [--syntax marc21|unimarc]"_s}, &LookupCommand::usage,
            &lookup, VerbPlugins::kLookup},
        {u"catalogue"_s, Takes::Folder, 1, u"catalogue vuole il file degli ISBN"_s, Filters::Shelf,
            {u"catalogue ISBN.txt [--catalogue NOME | --server INDIRIZZO]"_s, u"          [--code-prefix P] [--shelf S] [--dry-run]"_s},
            &CatalogueCommand::usage, &catalogue, VerbPlugins::kLookup},
        {u"serve"_s, Takes::Folder, 0, u"serve non vuole altri argomenti"_s, Filters::None,
            {u"serve [--port N] [--address A] [--log FILE]"_s}, &ServeCommand::usage, &serve},
    };
    // clang-format on
    return table;
}

const VerbRow* findVerb(const QString& name)
{
    return named(verbTable(), name);
}

// A parser of the table's options that `verb` takes (all of them when
// `verb` is null, before the verb is known), --help and --version, and
// the verb's filters: options of its collection that take a text.
struct VerbParser {
    QCommandLineParser parser;
    QStringList names; // every option it knows, as registered
    QStringList filters;

    VerbParser(const VerbRow* verb, const QStringList& filterNames)
        : filters(filterNames)
    {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        for (const OptionRow& option : optionTable()) {
            if (verb && !option.verbs.isEmpty() && !option.verbs.contains(verb->name))
                continue;
            add(option.value.isEmpty() ? QCommandLineOption(option.name) : QCommandLineOption(option.name, QString(), option.value));
        }
        for (const QString& name : filters)
            add(QCommandLineOption(name, QString(), QStringLiteral("TESTO")));
        add(QCommandLineOption(QStringList{QStringLiteral("help"), QStringLiteral("h")}));
        add(QCommandLineOption(QStringLiteral("version")));
    }
    void add(const QCommandLineOption& option)
    {
        parser.addOption(option);
        names << option.names();
    }
    bool knows(const QString& name) const { return names.contains(name); }
    bool isSet(const QString& name) const { return knows(name) && parser.isSet(name); }
    QString value(const QString& name) const { return knows(name) ? parser.value(name) : QString(); }
};

// The option an argument names ("--year=2015" and "-year" name "year");
// empty for a word that is not an option.
QString optionName(const QString& arg)
{
    if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-") || arg == QLatin1String("--"))
        return QString();
    const QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    return name.section(QLatin1Char('='), 0, 0);
}

// Why the parser refused `args`, in the program's words: an option that
// is none of the verb's (or, for a verb that has filters, a field its
// collection lacks), a value missing after the last option, a value
// given to a switch. `verb` is null before the verb.
QString refusal(const VerbParser& p, const QStringList& args, const VerbRow* verb, const Collection* collection)
{
    for (const QString& name : p.parser.unknownOptionNames()) {
        if (!verb)
            return QStringLiteral("opzione sconosciuta --%1 prima del comando").arg(name);
        if (findOption(name))
            return QStringLiteral("--%1 non vale per %2").arg(name, verb->name);
        switch (verb->filters) {
        case Filters::None:
            return QStringLiteral("%1 non accetta filtri").arg(verb->name);
        case Filters::Search:
            if (collection)
                return QStringLiteral("campo sconosciuto --%1 per %2").arg(name, Text::latin1(collection->key));
            return QStringLiteral("opzione sconosciuta --%1").arg(name);
        case Filters::Shelf:
            return QStringLiteral("--%1 non vale per %2").arg(name, verb->name);
        case Filters::Labels:
            break; // the labels' own refusal names it
        }
    }
    // A switch given a value: "--csv=yes".
    for (const QString& arg : args) {
        const QString name = optionName(arg);
        const OptionRow* row = findOption(name);
        if (arg.contains(QLatin1Char('=')) && row && row->value.isEmpty() && p.knows(name))
            return QStringLiteral("--%1 non vuole un valore").arg(name);
    }
    // A value can be missing only after the last argument.
    const QString last = args.isEmpty() ? QString() : args.last();
    const QString name = optionName(last);
    if (!name.isEmpty() && !last.contains(QLatin1Char('='))) {
        if (const OptionRow* row = findOption(name); row && !row->value.isEmpty())
            return row->missing;
        if (p.filters.contains(name))
            return last + QStringLiteral(" vuole un testo");
    }
    return QString();
}

// Breaks a paragraph of the usage at blanks, lines of at most 104
// characters, the following ones indented by two.
QString wrapped(const QString& paragraph)
{
    constexpr qsizetype kWidth = 104;
    QString out;
    QString line;
    for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > kWidth) {
            out += line + QLatin1Char('\n');
            line = QStringLiteral("  ");
        }
        if (!line.isEmpty() && line != QLatin1String("  "))
            line += QLatin1Char(' ');
        line += word;
    }
    return out + line + QLatin1Char('\n');
}

// What `loans` lists and marks, from the loan rules.
QString loansUsage()
{
    const auto note = [](LoanNote kind) {
        Loan loan;
        loan.note = kind;
        return LoanList::noteText(loan);
    };
    QStringList overdue;
    QString undated;
    for (const Collection* c : Collection::all()) {
        if (!LoanList::keepsLoans(*c))
            continue;
        overdue << c->pluralWithArticle() + QLatin1Char(' ') + LoanList::overdueWords(*c, QStringLiteral("N"));
        if (!c->loans->undated.empty())
            undated += QStringLiteral("; ") + Text::utf8(c->loans->undated) + QStringLiteral(" ed è segnato \"") + note(LoanNote::NoDueDate)
                + QLatin1Char('"');
    }
    return wrapped(QStringLiteral("loans: %1 in prestito, dal più vecchio; \"!\" segna %2 (N è --days o, in mancanza, "
                                  "il valore scelto nella schermata dei prestiti, 30 all'inizio); le date che non si "
                                  "leggono come g/m/aaaa sono in fondo con \"%3\"%4.")
                       .arg(LoanList::collections(), Text::listed(overdue), note(LoanNote::Unreadable), undated));
}

// "--year è obbligatorio per ..." for each yearly collection.
QString yearUsage()
{
    QString yearly;
    for (const Collection* c : Collection::all()) {
        if (c->yearly())
            yearly += QStringLiteral("--year è obbligatorio per %1 (archivio AAAA%2).\n")
                          .arg(Text::latin1(c->key), Text::latin1(c->yearlySuffix));
    }
    return yearly;
}

// The checks every verb of a collection's archive shares: the collection,
// the year of a yearly one.
int readArchive(const QStringList& words, Options& o, QTextStream& err)
{
    if (words.size() < 2)
        return fail(err, QStringLiteral("manca il comando o la raccolta"));
    o.collection = Collection::find(words[1].toStdString());
    if (!o.collection)
        return fail(err, QStringLiteral("raccolta sconosciuta \"%1\"").arg(words[1]));
    o.positional = words.mid(2);
    if (o.collection->yearly()) {
        // The whole text, ASCII digits only: "$" would let a final line
        // break through, and \\d any script's digits into the file name.
        static const QRegularExpression fourDigits(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{4}")));
        if (!fourDigits.match(o.year).hasMatch())
            return fail(err, QStringLiteral("per %1 serve --year AAAA").arg(Text::latin1(o.collection->key)));
    } else if (!o.year.isEmpty()) {
        return fail(err,
            QStringLiteral("--year vale soltanto per ") + Text::listed(Collection::keys([](const Collection& c) { return c.yearly(); })));
    }
    return 0;
}

// The options' values, checked; 0 or the exit code of a refusal.
int readValues(const VerbParser& parser, Options& o, QString& folder, QTextStream& err)
{
    const auto missing = [&](const char* name) { return fail(err, findOption(QLatin1String(name))->missing); };
    if (parser.isSet(QStringLiteral("folder"))) {
        // An empty or blank folder is no folder: taken as "none given" it
        // would write into the installed program's own catalogue.
        folder = parser.value(QStringLiteral("folder"));
        if (Text::trimmed(folder).isEmpty())
            return missing("folder");
    }
    o.year = parser.value(QStringLiteral("year"));
    o.out = parser.value(QStringLiteral("out"));
    o.to = parser.value(QStringLiteral("to"));
    o.date = parser.value(QStringLiteral("date"));
    if (parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        o.seed = parser.value(QStringLiteral("seed")).toUInt(&ok);
        if (!ok)
            return missing("seed");
    }
    if (parser.isSet(QStringLiteral("days"))) {
        bool ok = false;
        o.days = parser.value(QStringLiteral("days")).toInt(&ok);
        if (!ok || o.days < 1 || o.days > LoanSettings::kMaxDays)
            return missing("days");
    }
    if (parser.isSet(QStringLiteral("encoding"))) {
        const QString e = parser.value(QStringLiteral("encoding"));
        if (e.compare(QLatin1String("utf-8"), Qt::CaseInsensitive) == 0)
            o.encoding = CardImport::Encoding::Utf8;
        else if (e.compare(QLatin1String("windows-1252"), Qt::CaseInsensitive) == 0)
            o.encoding = CardImport::Encoding::Windows1252;
        else
            return missing("encoding");
    }
    o.csv = parser.isSet(QStringLiteral("csv"));
    o.complete = parser.isSet(QStringLiteral("complete"));
    o.marc.marc21 = parser.isSet(QStringLiteral("marc21"));
    o.marc.unimarc = parser.isSet(QStringLiteral("unimarc"));
    o.marc.xml = parser.isSet(QStringLiteral("xml"));
    o.marc.force = parser.isSet(QStringLiteral("force"));
    o.dryRun = parser.isSet(QStringLiteral("dry-run"));
    o.withCancelled = parser.isSet(QStringLiteral("with-cancelled"));
    o.allowDuplicates = parser.isSet(QStringLiteral("allow-duplicates"));
    o.force = parser.isSet(QStringLiteral("force"));
    o.available = parser.isSet(QStringLiteral("available"));
    o.lookup.catalogue = parser.value(QStringLiteral("catalogue"));
    o.lookup.server = parser.value(QStringLiteral("server"));
    o.lookup.syntax = parser.value(QStringLiteral("syntax"));
    o.marcImport.syntax = o.lookup.syntax;
    o.marcImport.codeTag = parser.value(QStringLiteral("code-tag"));
    o.marcImport.codePrefix = parser.value(QStringLiteral("code-prefix"));
    o.marcImport.codePrefixGiven = parser.isSet(QStringLiteral("code-prefix"));
    o.serve.port = parser.value(QStringLiteral("port"));
    o.serve.address = parser.value(QStringLiteral("address"));
    o.serve.log = parser.value(QStringLiteral("log"));
    return 0;
}

} // namespace

namespace CommandLine {

QString usage()
{
    const QString all = Collection::keys([](const Collection&) { return true; }).join(QLatin1Char('|'));
    const QString withLabels = Collection::keys(&Collection::labelled).join(QLatin1Char('|'));
    const QString lending = Collection::keys(&LoanList::keepsLoans).join(QLatin1Char('|'));
    QString text = QStringLiteral("Uso:\n");
    for (const VerbRow& verb : verbTable()) {
        for (const QString& line : verb.synopsis) {
            const QString filled = QString(line)
                                       .replace(QLatin1String("%1"), all)
                                       .replace(QLatin1String("%2"), withLabels)
                                       .replace(QLatin1String("%3"), lending);
            if (!line.startsWith(QLatin1Char(' ')))
                text += QStringLiteral("  tomaria-cli [--folder CARTELLA] ");
            text += filled + QLatin1Char('\n');
        }
    }
    text += QStringLiteral("  tomaria-cli --help | --version\n");
    for (const OptionRow& option : optionTable()) {
        if (option.help)
            text += option.help();
    }
    for (const VerbRow& verb : verbTable()) {
        if (verb.note)
            text += verb.note();
    }
    return text;
}

QString version()
{
    return QStringLiteral("tomaria-cli " TOMARIA_VERSION "\n");
}

int run(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() == 1 && (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h"))) {
        out << usage();
        return 0;
    }
    if (args.size() == 1 && args[0] == QLatin1String("--version")) {
        out << version();
        return 0;
    }
    const QStringList withProgram = QStringList{QStringLiteral("tomaria-cli")} + args;

    // The words before the verb are options of the table; the first other
    // word is the verb, whose own parser then reads every argument.
    VerbParser head(nullptr, {});
    head.parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!head.parser.parse(withProgram)) {
        const QString said = refusal(head, args, nullptr, nullptr);
        return fail(err, said.isEmpty() ? QStringLiteral("argomenti non validi") : said);
    }
    const QString verbName = head.parser.positionalArguments().value(0);
    if (head.isSet(QStringLiteral("help")) || head.isSet(QStringLiteral("version")))
        return fail(err, QStringLiteral("%1 va usato da solo").arg(head.isSet(QStringLiteral("help")) ? u"--help"_s : u"--version"_s));
    const VerbRow* verb = findVerb(verbName);
    if (!verb)
        return fail(
            err, verbName.isEmpty() ? QStringLiteral("manca il comando") : QStringLiteral("comando sconosciuto \"%1\"").arg(verbName));

    // The first pass finds the collection and the names that are none of
    // the verb's options; those the collection takes join the second.
    VerbParser first(verb, {});
    first.parser.parse(withProgram);
    const Collection* collection = verb->takes != Takes::Folder
        ? Collection::find(first.parser.positionalArguments().value(1).toStdString())
        : nullptr;
    QStringList filters;
    if (verb->filters == Filters::Labels) {
        for (const LabelsCommand::Option& option : LabelsCommand::options())
            filters << QLatin1String(option.name);
    } else if (verb->filters == Filters::Shelf) {
        filters << QStringLiteral("shelf");
    } else if (verb->filters == Filters::Search && collection) {
        const SearchTable* table = first.isSet(QStringLiteral("available")) ? collection->available : collection->search;
        for (const QString& name : first.parser.unknownOptionNames()) {
            if (table && !findOption(name) && table->filterFor(name.toStdString()) && !filters.contains(name))
                filters << name;
        }
    }
    VerbParser p(verb, filters);
    if (!p.parser.parse(withProgram)) {
        const QString said = refusal(p, args, verb, collection);
        if (!said.isEmpty())
            return fail(err, said);
    }
    if (p.isSet(QStringLiteral("help")) || p.isSet(QStringLiteral("version")))
        return fail(err, QStringLiteral("%1 va usato da solo").arg(p.isSet(QStringLiteral("help")) ? u"--help"_s : u"--version"_s));
    Options o;
    QString folder;
    if (const int refused = readValues(p, o, folder, err))
        return refused;

    // The filters in the order given; the labels' unknown options are
    // refused by the labels' own words.
    QHash<QString, int> seen;
    for (const QString& name : p.parser.optionNames()) {
        if (!filters.contains(name))
            continue;
        const QString text = p.parser.values(name).value(seen[name]++);
        if (verb->filters == Filters::Labels)
            o.labels.values.insert(name, text);
        else
            o.filters.append({name, text});
    }
    if (verb->filters == Filters::Labels)
        o.labels.unknown = p.parser.unknownOptionNames();
    o.labels.withCancelled = o.withCancelled;
    o.labels.out = o.out;
    o.labels.force = o.force;

    const QStringList words = p.parser.positionalArguments();
    switch (verb->takes) {
    case Takes::Folder:
        if (words.size() != 1 + verb->words)
            return fail(err, verb->wrongWords);
        o.positional = words.mid(1);
        break;
    case Takes::Collection:
        if (words.size() != 1 + verb->words)
            return fail(err, verb->wrongWords);
        o.collection = collection;
        if (!o.collection)
            return fail(err, QStringLiteral("raccolta sconosciuta \"%1\"").arg(words[1]));
        break;
    case Takes::Archive:
        if (const int refused = readArchive(words, o, err))
            return refused;
        break;
    }
    if (!verb->plugin.isEmpty() && !VerbPlugins::load(verb->plugin, verbName, err))
        return kBadArguments;
    ProgramFolder::setPath(folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder);
    const int code = verb->run(o, out, err);
    for (const QString& notice : SideFile::takeNotices())
        err << "tomaria-cli: " << notice << "\n";
    return code;
}

QStringList writingVerbs()
{
    return findOption(QStringLiteral("out"))->verbs;
}

} // namespace CommandLine
