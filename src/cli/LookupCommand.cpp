#include "LookupCommand.h"

#include "core/access/SettingsFile.h"
#include "core/storage/ProgramFolder.h"
#include "core/text/Text.h"
#include "lookup/CatalogueLookup.h"

#include <QTextStream>

namespace {

constexpr int kNoRecord = 1;
constexpr int kNoAnswer = 2;

int refuse(QTextStream& err, const QString& message)
{
    err << "tomaria-cli: " << message << "\n";
    return kNoAnswer;
}

} // namespace

QString LookupCommand::choose(const Given& given, QList<Catalogue>* catalogues, int* timeoutMs, QStringList* faults)
{
    const QString& catalogueName = given.catalogue;
    const QString& server = given.server;
    const QString& syntaxName = given.syntax;
    if (!catalogueName.isEmpty() && !server.isEmpty())
        return QStringLiteral("--catalogue e --server non vanno insieme");
    Catalogue::Syntax syntax = Catalogue::Syntax::Marc21;
    if (!syntaxName.isEmpty() && !Catalogue::syntaxFromName(syntaxName, &syntax))
        return QStringLiteral("--syntax vuole marc21 o unimarc");

    const CatalogueSettings settings = CatalogueSettings::read(SettingsFile::path());
    *timeoutMs = settings.timeoutMs;
    *faults = settings.faults;
    catalogues->clear();
    if (!server.isEmpty()) {
        Catalogue c;
        if (!Catalogue::fromAddress(server, syntax, &c))
            return QStringLiteral("--server vuole z3950://HOST:PORTA/DATABASE o un indirizzo SRU http(s)://...");
        *catalogues << c;
    } else if (!catalogueName.isEmpty()) {
        QStringList names;
        for (const Catalogue& c : settings.catalogues) {
            names << c.name;
            if (c.name.compare(catalogueName.trimmed(), Qt::CaseInsensitive) == 0) {
                Catalogue chosen = c;
                if (!syntaxName.isEmpty())
                    chosen.syntax = syntax;
                *catalogues << chosen;
            }
        }
        if (catalogues->isEmpty())
            return QStringLiteral("catalogo sconosciuto \"%1\" (configurati: %2)").arg(catalogueName, names.join(QStringLiteral(", ")));
    } else {
        *catalogues = settings.catalogues;
        if (!syntaxName.isEmpty())
            return QStringLiteral("--syntax vale con --server o --catalogue");
    }
    return {};
}

int LookupCommand::run(const QString& isbn, const Given& given, QTextStream& out, QTextStream& err)
{
    QList<Catalogue> catalogues;
    int timeoutMs = 0;
    QStringList faults;
    if (const QString refusal = choose(given, &catalogues, &timeoutMs, &faults); !refusal.isEmpty())
        return refuse(err, refusal);
    for (const QString& fault : faults)
        err << "tomaria-cli: il catalogo \"" << fault << "\" di Tomaria.ini è incompleto e non viene interrogato\n";

    const CatalogueLookup l = CatalogueLookup::run(catalogues, isbn, timeoutMs);
    switch (l.result) {
    case CatalogueLookup::Result::Found:
        for (qsizetype i = 0; i < l.records.size(); ++i) {
            if (i > 0)
                out << "\n";
            for (const auto& [field, value] : l.records[i].fields)
                out << field << '\t' << value << '\n';
        }
        out << "Catalogo\t" << l.records.first().catalogue << '\n';
        // Only the first records are fetched: the rest are counted.
        if (const QString more = l.moreWords(); !more.isEmpty())
            err << "tomaria-cli: " << more << " (" << Text::counted(l.total, u"scheda", u"schede") << " con questo ISBN, mostrate le prime "
                << l.records.size() << ")\n";
        return 0;
    case CatalogueLookup::Result::NoRecord:
        err << "tomaria-cli: " << l.failureMessage(isbn) << "\n";
        return kNoRecord;
    case CatalogueLookup::Result::NotIsbn:
    case CatalogueLookup::Result::NoAnswer:
    case CatalogueLookup::Result::Cancelled:
        break;
    }
    err << "tomaria-cli: " << l.failureMessage(isbn) << "\n";
    for (const CatalogueLookup::Asked& a : l.asked)
        if (!a.detail.isEmpty())
            err << "  " << a.catalogue << ": " << a.detail << "\n";
    return kNoAnswer;
}
