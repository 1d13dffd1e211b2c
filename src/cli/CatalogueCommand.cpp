#include "CatalogueCommand.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/import/NextCodes.h"
#include "core/storage/DiskFile.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"
#include "core/text/InputBudget.h"
#include "core/text/Text.h"
#include "lookup/CatalogueLookup.h"
#include "lookup/Isbn.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTextStream>

namespace {

constexpr int kNoRecord = 1;
constexpr int kBadArguments = 2;
constexpr int kMaxIsbns = InputBudget::kIsbnLines;

int refuse(QTextStream& err, const QString& message)
{
    err << "tomaria-cli: " << message << "\n";
    return kBadArguments;
}

} // namespace

int CatalogueCommand::run(const QString& path, const Given& given, QTextStream& out, QTextStream& err)
{
    QList<Catalogue> catalogues;
    int timeoutMs = 0;
    QStringList faults;
    if (const QString refusal = LookupCommand::choose(given.lookup, &catalogues, &timeoutMs, &faults); !refusal.isEmpty())
        return refuse(err, refusal);
    for (const QString& fault : faults)
        err << "tomaria-cli: il catalogo \"" << fault << "\" di Tomaria.ini è incompleto e non viene interrogato\n";
    QFile file(path);
    if (!DiskFile::isRegular(path) || !file.open(QIODevice::ReadOnly))
        return refuse(err, QStringLiteral("impossibile leggere %1").arg(QDir::toNativeSeparators(path)));
    QStringList lines;
    while (!file.atEnd()) {
        const QString line = Text::trimmed(QString::fromUtf8(file.readLine(256)));
        if (line.isEmpty())
            continue;
        if (lines.size() == kMaxIsbns)
            return refuse(err, QStringLiteral("%1 ha più di %2 righe").arg(QDir::toNativeSeparators(path)).arg(kMaxIsbns));
        lines << line;
    }

    const Collection& books = Books::collection();
    const QString archive = ProgramFolder::file(books.archiveName());
    NextCodes codes;
    if (!codes.load(books, archive, given.codePrefix))
        return refuse(err, QStringLiteral("impossibile leggere %1 per trovarne l'ultimo codice").arg(QDir::toNativeSeparators(archive)));

    QByteArray cards;
    int found = 0, missing = 0;
    QSet<QString> seen;
    Record card(*books.layout);
    for (const QString& typed : lines) {
        // One book, whichever form was scanned or typed: its ISBN-13.
        const QStringList forms = Isbn::forms(typed);
        const QString book = forms.isEmpty() ? QString() : forms.first().size() == 13 ? forms.first() : forms.value(1);
        if (!book.isEmpty() && seen.contains(book)) {
            out << typed << "\tripetuto\n";
            continue;
        }
        if (!book.isEmpty())
            seen << book;
        const CatalogueLookup l = CatalogueLookup::run(catalogues, typed, timeoutMs);
        if (l.result != CatalogueLookup::Result::Found) {
            ++missing;
            const QString why = l.result == CatalogueLookup::Result::NotIsbn ? QStringLiteral("non è un ISBN")
                : l.result == CatalogueLookup::Result::NoRecord              ? QStringLiteral("nessuna scheda")
                                                                             : QStringLiteral("nessuna risposta");
            out << typed << '\t' << why << '\n';
            continue;
        }
        ++found;
        const CatalogueRecord& r = l.records.first();
        card.clear();
        for (const auto& [field, value] : r.fields)
            card.setText(field.toStdString(), value);
        const QString code = codes.take();
        card.setText("Codice", code);
        if (!given.shelf.isEmpty())
            card.setText("Scaffale", given.shelf);
        card.setText("Convalida", QStringLiteral("No"));
        card.setText("Annullata", QStringLiteral("No"));
        cards += card.bytes();
        out << typed << "\ttrovato\t" << code << '\t' << QStringList{r.value(u"Titolo"), r.value(u"Autore"), r.value(u"Anno")}.join(u", ")
            << '\t' << r.catalogue << '\n';
    }
    if (found > 0 && !given.dryRun) {
        RecordStore store;
        if (!store.open(archive, books.layout->size) || !store.append(cards)) {
            err << "tomaria-cli: scrittura delle schede in " << QDir::toNativeSeparators(archive)
                << " non riuscita: " << store.errorString() << "; nessuna scheda aggiunta\n";
            return kBadArguments;
        }
    }
    out << Text::counted(found, u"libro trovato", u"libri trovati") << ", " << Text::counted(missing, u"senza scheda", u"senza scheda")
        << (given.dryRun ? QStringLiteral("; nessuna scheda scritta (--dry-run)") : QStringLiteral("; schede aggiunte: %1").arg(found))
        << "\n";
    return missing > 0 ? kNoRecord : 0;
}
