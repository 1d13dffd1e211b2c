#include "CommandLine.h"

#include "cli/BackupCommands.h"
#include "core/collections/ArchiveCheck.h"
#include "core/export/CardCsv.h"
#include "core/export/CardXlsx.h"
#include "cli/LabelsCommand.h"
#include "core/labels/CodeHints.h"
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
#include "core/collections/SampleCards.h"
#include "core/import/CardImport.h"
#include "core/loans/LoanList.h"
#include "core/loans/LoanSettings.h"
#include "core/loans/ValueWarnings.h"
#include "core/stats/CollectionStats.h"
#include "core/text/Text.h"
#include "core/text/Clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <utility>
#include <vector>

namespace {

struct Options {
    QString command;
    const Collection* collection = nullptr;
    QString year;
    QString out;
    QString to;
    bool available = false;
    QList<QPair<QString, QString>> filters; // field (lower case), text
    QStringList positional;
    quint32 seed = 1;
    int days = 0; // 0: the program folder's setting
    bool dryRun = false;
    bool csv = false;      // export: the complete CSV instead of the spreadsheet
    bool complete = false; // export: every field, as .xlsx or .csv after --out's extension
    bool withCancelled = false;
    bool allowDuplicates = false;
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

int sample(const Options& o, QTextStream& out, QTextStream& err)
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
                    << added << " schede aggiunte: " << store.errorString() << "\n";
                // (errorString() says when the undo failed too.)
                return kBadArguments;
            }
            added = i + 1;
            batch.clear();
        }
    }
    out << count << " schede aggiunte a " << archivePath(o) << " (ora " << store.index() << ")\n";
    return 0;
}

int search(const Options& o, QTextStream& out, QTextStream& err)
{
    if (!o.positional.isEmpty() || !o.out.isEmpty())
        return fail(err, QStringLiteral("search accetta soltanto filtri e --available"));
    const SearchTable* table = o.available ? o.collection->available : o.collection->search;
    if (!table)
        return fail(err, QStringLiteral("--available vale soltanto per ") + Text::listed(Collection::keys([](const Collection& c) { return c.available != nullptr; })));
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
    err << "Il presente riepilogo contiene " << lines.size() << " schede.\n";
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
    const QString target = o.out.isEmpty()
        ? ProgramFolder::file(Text::utf8(table.fileName))
        : o.out;
    if (const QString refusal = ExportTarget::refusal(target); !refusal.isEmpty()) {
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
    out << grid.rowCount() << " schede esportate in " << target << "\n";
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
        return fail(err, o.csv ? QStringLiteral("export --csv vuole --out FILE.csv") : QStringLiteral("export --complete vuole --out FILE.xlsx o FILE.csv"));
    const QString suffix = QFileInfo(o.out).suffix().toLower();
    const bool xlsx = o.complete && suffix == QLatin1String("xlsx");
    if (o.complete && !xlsx && suffix != QLatin1String("csv"))
        return fail(err, QStringLiteral("export --complete vuole un file .xlsx o .csv"));
    if (!DiskFile::isRegular(archivePath(o)))
        return cannotRead(err, archivePath(o), readReason(archivePath(o)));
    if (const QString refusal = xlsx ? ExportTarget::xlsxRefusal(o.out) : ExportTarget::csvRefusal(o.out); !refusal.isEmpty()) {
        err << "tomaria-cli: " << refusal << "\n";
        return kBadArguments;
    }
    CardCsv::Outcome outcome;
    const bool saved = xlsx ? CardXlsx::save(*o.collection, archivePath(o), o.out, &outcome)
                            : CardCsv::save(*o.collection, archivePath(o), o.out, &outcome);
    if (!saved) {
        if (outcome.readFailed)
            err << "tomaria-cli: impossibile leggere " << shown(archivePath(o)) << ": " << outcome.reason;
        else
            err << "tomaria-cli: impossibile scrivere " << shown(o.out) << ": " << outcome.reason;
        err << "; l'eventuale file precedente è rimasto com'era\n";
        return kBadArguments;
    }
    out << outcome.cards << " schede esportate in " << o.out << "\n";
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
    err << "Il presente elenco contiene " << list.loans().size() << " schede in prestito, " << list.markedCount()
        << " segnalate.\n";
    return 0;
}

int stats(const Collection& collection, const Options& o, QTextStream& out, QTextStream& err)
{
    CollectionStats counts(collection, Clock::today(), o.days > 0 ? o.days : LoanSettings::days());
    if (!counts.load())
        return cannotRead(err, counts.failedArchive(), readReason(counts.failedArchive()));
    for (const QString& line : counts.lines())
        out << line << "\n";
    return 0;
}

int importFile(const Options& o, QTextStream& out, QTextStream& err)
{
    if (o.positional.size() != 1)
        return fail(err, QStringLiteral("import vuole il file da importare (.xlsx o CSV)"));
    const QString source = o.positional.first();
    if (!DiskFile::isRegular(source))
        return cannotRead(err, source, readReason(source));
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        return cannotRead(err, source, file.errorString());

    // First pass: every row checked, nothing kept but the problems.
    CardImport cards(*o.collection);
    CardImport::Options options;
    options.encoding = o.encoding;
    options.allowDuplicates = o.allowDuplicates;
    options.archive = archivePath(o);
    const bool good = cards.check(file, options);
    const QStringList report = cards.report();
    if (!good) {
        // Every problem of every row, so that one pass in the office
        // program mends them all.
        for (const QString& line : report)
            err << shown(source) << ": " << line << "\n";
        for (const QString& line : cards.warningReport())
            err << shown(source) << ": " << line << "\n";
        const bool onlyDuplicates = cards.problems().isEmpty() && !cards.duplicates().isEmpty();
        if (onlyDuplicates)
            err << "Nessuna scheda importata: " << cards.duplicates().size() << " codici già presenti o ripetuti"
                << " (--allow-duplicates le importa comunque); l'archivio è rimasto com'era.\n";
        else
            err << "Nessuna scheda importata: " << report.size() << (report.size() == 1 ? " problema" : " problemi")
                << "; l'archivio è rimasto com'era.\n";
        return 1;
    }
    // Duplicates let through by --allow-duplicates are still listed, and
    // what the cards will lack is said after the count.
    auto listings = [&] {
        for (const QString& line : report)
            out << shown(source) << ": " << line << "\n";
        for (const QString& line : cards.warningReport())
            out << shown(source) << ": " << line << "\n";
        for (const QString& note : cards.notes())
            out << note << "\n";
    };
    if (o.dryRun) {
        out << cards.count() << " schede pronte da importare in " << archivePath(o) << " (file letto come "
            << (cards.isXlsx() ? QStringLiteral("foglio .xlsx") : cards.encodingName()) << "): nessun problema trovato";
        if (cards.paddedDewey() > 0)
            out << "; " << cards.paddedDewey() << (cards.paddedDewey() == 1 ? " codice Dewey completato" : " codici Dewey completati")
                << " con gli zeri iniziali";
        out << "; nessuna scheda scritta (--dry-run)\n";
        listings();
        return 0;
    }
    if (cards.count() == 0) {
        out << "0 schede importate: il file non contiene schede\n";
        listings();
        return 0;
    }
    RecordStore store;
    if (!store.open(archivePath(o), o.collection->layout->size)) {
        err << "tomaria-cli: impossibile aprire " << shown(archivePath(o)) << " in scrittura: " << store.errorString() << "\n";
        return kBadArguments;
    }
    // Second pass: the cards go to the archive in batches, under one lock
    // and one journal, so that every card or none is kept even if the
    // process is killed halfway.
    if (!store.beginAppend()) {
        err << "tomaria-cli: scrittura delle schede in " << shown(archivePath(o)) << " non riuscita: " << store.errorString()
            << (store.undoFailed() ? "\n" : "; nessuna scheda aggiunta\n");
        return kBadArguments;
    }
    int batches = 0;
    const bool written = cards.write(file, [&](const QByteArray& records, int) {
        if (!store.appendBatch(records))
            return false;
        AppendJournal::testPausePoint(++batches);
        return true;
    });
    if (!written || !store.commitAppend()) {
        QString reason = store.errorString();
        if (!written && cards.problems().size() > 0)
            reason = cards.report().value(0);
        if (store.cancelAppend() || !store.undoFailed())
            err << "tomaria-cli: scrittura delle schede in " << shown(archivePath(o)) << " non riuscita: " << reason
                << "; nessuna scheda aggiunta\n";
        else
            err << "tomaria-cli: scrittura delle schede in " << shown(archivePath(o)) << " non riuscita: " << reason
                << RecordStore::kMayHaveChanged << "\n";
        return kBadArguments;
    }
    out << cards.count() << " schede importate in " << archivePath(o) << " (ora " << store.index() << ")\n";
    listings();
    return 0;
}

// What each verb takes besides --folder: any other option is refused
// before the program folder is touched.
struct Verb {
    const char* name;
    QStringList options;
    bool filters = false; // --FIELD TEXT pairs (the searches' filters, the labels' choices)
};

const std::vector<Verb>& verbs()
{
    static const std::vector<Verb> table{
        {"sample", {"--year", "--seed"}},
        {"search", {"--year", "--available"}, true},
        {"export", {"--year", "--out", "--csv", "--complete"}},
        {"import", {"--year", "--dry-run", "--allow-duplicates", "--encoding"}},
        {"check", {"--year"}},
        {"labels", {"--year", "--out", "--with-cancelled"}, true},
        {"loans", {"--days"}},
        {"stats", {"--days"}},
        {"backup", {"--to"}},
        {"backups", {}},
        {"restore", {}},
    };
    return table;
}

const Verb* findVerb(const QString& name)
{
    for (const Verb& v : verbs()) {
        if (name == QLatin1String(v.name))
            return &v;
    }
    return nullptr;
}

// The options the parser knows by name; any other "--x" is a filter.
bool knownOption(const QString& a)
{
    static const QStringList known{"--folder", "--year", "--out", "--to", "--seed", "--days", "--csv", "--complete", "--dry-run",
        "--with-cancelled", "--allow-duplicates", "--encoding", "--available"};
    return known.contains(a);
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
            undated += QStringLiteral("; ") + Text::utf8(c->loans->undated) + QStringLiteral(" ed è segnato \"")
                + note(LoanNote::NoDueDate) + QLatin1Char('"');
    }
    return wrapped(QStringLiteral("loans: %1 in prestito, dal più vecchio; \"!\" segna %2 (N è --days o, in mancanza, "
                                  "il valore scelto nella schermata dei prestiti, 30 all'inizio); le date che non si "
                                  "leggono come g/m/aaaa sono in fondo con \"%3\"%4.")
                       .arg(LoanList::collections(), Text::listed(overdue),
                           note(LoanNote::Unreadable), undated));
}

} // namespace

namespace CommandLine {

QString usage()
{
    const QString all = Collection::keys([](const Collection&) { return true; }).join(QLatin1Char('|'));
    QString yearly;
    for (const Collection* c : Collection::all()) {
        if (c->yearly())
            yearly += QStringLiteral("--year è obbligatorio per %1 (archivio AAAA%2).\n")
                          .arg(Text::latin1(c->key), Text::latin1(c->yearlySuffix));
    }
    return QStringLiteral(
        "Uso:\n"
        "  tomaria-cli [--folder CARTELLA] search %1 [--year AAAA] [--available] [--CAMPO TESTO]...\n"
        "  tomaria-cli [--folder CARTELLA] export %1 [--year AAAA] [--out FILE]\n"
        "  tomaria-cli [--folder CARTELLA] export %1 --complete [--year AAAA] --out FILE.xlsx|FILE.csv\n"
        "  tomaria-cli [--folder CARTELLA] export %1 --csv [--year AAAA] --out FILE.csv\n"
        "  tomaria-cli [--folder CARTELLA] check  %1 [--year AAAA]\n"
        "  tomaria-cli [--folder CARTELLA] sample %1 NUMERO [--year AAAA] [--seed N]\n"
        "  tomaria-cli [--folder CARTELLA] import %1 FILE.xlsx|FILE.csv [--year AAAA] [--dry-run]\n"
        "              [--allow-duplicates] [--encoding utf-8|windows-1252]\n"
        "  tomaria-cli [--folder CARTELLA] loans [--days N]\n"
        "  tomaria-cli [--folder CARTELLA] backup [--to CARTELLA]\n"
        "  tomaria-cli [--folder CARTELLA] backups\n"
        "  tomaria-cli [--folder CARTELLA] restore FILE.zip\n"
        "  tomaria-cli [--folder CARTELLA] labels %2 --kind spine|barcode --sheet 3x7|3x8|4x10|2x8|65 [--start N]\n"
        "      [--from-code A --to-code B | --shelf S | --since-position P] [--with-cancelled] --out FILE.pdf\n"
        "  tomaria-cli [--folder CARTELLA] stats %1 [--days N]\n"
        "  tomaria-cli --help | --version\n"
        "--folder indica la cartella del programma (in mancanza, quella di questo programma);\n")
               .arg(all, Collection::keys(&LabelFields::has).join(QLatin1Char('|')))
        + yearly
        + QStringLiteral(
            "search: CAMPO è il campo della scheda su cui filtrare, in minuscolo (--titolo, --autore, --isbn,\n"
            "  --regia, --testo, --datapub, ...); i filtri funzionano come nelle schermate di ricerca.\n"
            "export: --out non può indicare un archivio del programma, il file delle password\n"
            "  né un file esistente che non sia un foglio di calcolo scritto da questo programma.\n"
            "export --complete: tutti i campi di ogni scheda (prestiti e allegati compresi) in un foglio .xlsx, dove ogni\n"
            "  cella è testo (da correggere con un foglio di calcolo: \"074\" e \"03/03/2024\" restano come sono), o in un\n"
            "  file CSV, secondo l'estensione di --out; import li rilegge campo per campo. --csv è come --complete con un\n"
            "  file .csv. Il foglio di export senza --complete serve per la consultazione. --out non può indicare un file\n"
            "  esistente che non sia un'esportazione completa di questo programma dello stesso formato.\n"
            "import: il primo foglio di un file .xlsx, o un file CSV; la prima riga nomina le colonne con i campi\n"
            "  della scheda, con le didascalie della scheda o con le intestazioni del foglio esportato; nel CSV\n"
            "  separatore virgola, punto e virgola o tabulazione, UTF-8 o Windows-1252 (--encoding la indica quando il\n"
            "  file le mescola). Ogni riga è controllata prima di scrivere: al primo problema l'archivio resta com'era;\n"
            "  un codice già in archivio o ripetuto nel file ferma l'importazione salvo --allow-duplicates. Ciò che un\n"
            "  foglio di calcolo cambia è segnalato: un codice Dewey di una o due cifre è completato con gli zeri\n"
            "  iniziali, una data con l'anno di due cifre è rifiutata. --dry-run controlla soltanto.\n"
            "%1"
            "backup: una copia di sicurezza del catalogo, verificata, in --to o nella cartella delle copie\n"
            "  (dove restano le più recenti); l'ultima riga è il percorso dello zip. backups: le copie, una per riga.\n"
            "restore: controlla lo zip, salva il catalogo attuale come copia a sé, poi lo sostituisce.\n"
            "labels: etichette per il dorso (Dewey, autore, scaffale) o con il codice a barre, in ordine d'archivio;\n"
            "  --start è l'etichetta del primo foglio da cui cominciare; --since-position P sceglie le schede dalla\n"
            "  posizione P in poi; le schede annullate restano fuori senza --with-cancelled.\n"
            "check: segnala anche, come avvisi che non cambiano l'esito, i codici ripetuti, gli ISBN errati, i codici\n"
            "  Dewey che non hanno tre cifre e le date di prestito che non si leggono come gg/mm/aaaa.\n"
            "stats: i numeri della schermata delle statistiche, una riga per barra separata da tabulazioni\n"
            "  (sezione, voce, schede); per %2 tutti gli archivi annuali della cartella; --days come per loans.\n")
              .arg(loansUsage(), Text::listed(Collection::keys([](const Collection& c) { return c.yearly(); })));
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
    Options o;
    QString folder;
    QStringList given; // the verbs' own options, as written
    QStringList rest;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a != QLatin1String("--folder") && knownOption(a))
            given << a;
        auto value = [&](QString& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        if (a == QLatin1String("--folder")) {
            // An empty or blank folder is no folder: taken as "none given" it
            // would write into the installed program's own catalogue.
            if (!value(folder) || Text::trimmed(folder).isEmpty())
                return fail(err, QStringLiteral("--folder vuole una cartella"));
        } else if (a == QLatin1String("--year")) {
            if (!value(o.year))
                return fail(err, QStringLiteral("--year vuole un anno"));
        } else if (a == QLatin1String("--out")) {
            if (!value(o.out))
                return fail(err, QStringLiteral("--out vuole un file"));
        } else if (a == QLatin1String("--to")) {
            if (!value(o.to))
                return fail(err, QStringLiteral("--to vuole una cartella"));
        } else if (a == QLatin1String("--seed")) {
            QString s;
            bool ok = false;
            if (!value(s) || (o.seed = s.toUInt(&ok), !ok))
                return fail(err, QStringLiteral("--seed vuole un numero"));
        } else if (a == QLatin1String("--help") || a == QLatin1String("--version")) {
            return fail(err, QStringLiteral("%1 va usato da solo").arg(a));
        } else if (a == QLatin1String("--days")) {
            QString s;
            bool ok = false;
            if (!value(s) || (o.days = s.toInt(&ok), !ok) || o.days < 1 || o.days > LoanSettings::kMaxDays)
                return fail(err, QStringLiteral("--days vuole un numero di giorni da 1 a %1").arg(LoanSettings::kMaxDays));
        } else if (a == QLatin1String("--csv")) {
            o.csv = true;
        } else if (a == QLatin1String("--complete")) {
            o.complete = true;
        } else if (a == QLatin1String("--dry-run")) {
            o.dryRun = true;
        } else if (a == QLatin1String("--with-cancelled")) {
            o.withCancelled = true;
        } else if (a == QLatin1String("--allow-duplicates")) {
            o.allowDuplicates = true;
        } else if (a == QLatin1String("--encoding")) {
            QString s;
            if (!value(s))
                return fail(err, QStringLiteral("--encoding vuole utf-8 o windows-1252"));
            if (s.compare(QLatin1String("utf-8"), Qt::CaseInsensitive) == 0)
                o.encoding = CardImport::Encoding::Utf8;
            else if (s.compare(QLatin1String("windows-1252"), Qt::CaseInsensitive) == 0)
                o.encoding = CardImport::Encoding::Windows1252;
            else
                return fail(err, QStringLiteral("--encoding vuole utf-8 o windows-1252"));
        } else if (a == QLatin1String("--available")) {
            o.available = true;
        } else if (a.startsWith(QLatin1String("--")) && a.size() > 2) {
            QString text;
            if (!value(text))
                return fail(err, a + QStringLiteral(" vuole un testo"));
            o.filters.append({a.mid(2), text});
        } else {
            rest << a;
        }
    }
    const QString verb = rest.value(0);
    const Verb* v = findVerb(verb);
    if (!v)
        return fail(err, verb.isEmpty() ? QStringLiteral("manca il comando") : QStringLiteral("comando sconosciuto \"%1\"").arg(verb));
    for (const QString& option : std::as_const(given)) {
        if (!v->options.contains(option))
            return fail(err, QStringLiteral("%1 non vale per %2").arg(option, verb));
    }
    if (!o.filters.isEmpty() && !v->filters)
        return fail(err, QStringLiteral("%1 non accetta filtri").arg(verb));
    if (verb == QLatin1String("backup") || verb == QLatin1String("backups") || verb == QLatin1String("restore")) {
        if (rest.size() != (verb == QLatin1String("restore") ? 2 : 1))
            return fail(err, verb == QLatin1String("restore") ? QStringLiteral("restore vuole un file zip")
                                                               : QStringLiteral("%1 non vuole altri argomenti").arg(verb));
        ProgramFolder::setPath(folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder);
        if (verb == QLatin1String("backup"))
            return BackupCommands::backup(o.to, out, err);
        if (verb == QLatin1String("backups"))
            return BackupCommands::list(out, err);
        return BackupCommands::restore(rest[1], out, err);
    }
    if (verb == QLatin1String("loans")) {
        if (rest.size() != 1)
            return fail(err, QStringLiteral("loans non vuole altri argomenti"));
        ProgramFolder::setPath(folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder);
        return loans(o, out, err);
    }
    if (verb == QLatin1String("stats")) {
        if (rest.size() != 2)
            return fail(err, QStringLiteral("stats vuole la raccolta e nient'altro"));
        const Collection* collection = Collection::find(rest[1].toStdString());
        if (!collection)
            return fail(err, QStringLiteral("raccolta sconosciuta \"%1\"").arg(rest[1]));
        ProgramFolder::setPath(folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder);
        return stats(*collection, o, out, err);
    }
    if (rest.size() < 2)
        return fail(err, QStringLiteral("manca il comando o la raccolta"));
    o.command = rest.takeFirst();
    const QString key = rest.takeFirst();
    o.collection = Collection::find(key.toStdString());
    if (!o.collection)
        return fail(err, QStringLiteral("raccolta sconosciuta \"%1\"").arg(key));
    o.positional = rest;
    if (o.collection->yearly()) {
        // The whole text, ASCII digits only: "$" would let a final line
        // break through, and \\d any script's digits into the file name.
        static const QRegularExpression fourDigits(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{4}")));
        if (!fourDigits.match(o.year).hasMatch())
            return fail(err, QStringLiteral("per %1 serve --year AAAA").arg(Text::latin1(o.collection->key)));
    } else if (!o.year.isEmpty()) {
        return fail(err, QStringLiteral("--year vale soltanto per ") + Text::listed(Collection::keys([](const Collection& c) { return c.yearly(); })));
    }
    ProgramFolder::setPath(folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder);

    if (o.command == QLatin1String("sample"))
        return sample(o, out, err);
    if (o.command == QLatin1String("search"))
        return search(o, out, err);
    if (o.command == QLatin1String("export"))
        return o.csv || o.complete ? exportComplete(o, out, err) : exportFile(o, out, err);
    if (o.command == QLatin1String("import"))
        return importFile(o, out, err);
    if (o.command == QLatin1String("labels")) {
        if (!o.positional.isEmpty())
            return fail(err, QStringLiteral("labels accetta soltanto le sue opzioni"));
        return LabelsCommand::run(*o.collection, o.filters, o.withCancelled, o.out, out, err);
    }
    return check(o, out, err);
}

} // namespace CommandLine
