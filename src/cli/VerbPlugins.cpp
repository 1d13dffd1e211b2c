#include "VerbPlugins.h"

#include "core/import/CardRowSource.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

// The function `name` of `plugin`, as type F; nullptr when missing, the
// reason said on `err`.
template <class F> F function(QStringView plugin, const char* name, const QString& verb, const QString& folder, QTextStream& err)
{
    QString why;
    const VerbPlugins::Function found = VerbPlugins::find(plugin, name, folder, &why);
    if (!found) {
        err << "tomaria-cli: " << verb << " non è disponibile: " << why << "; reinstallare il programma\n";
        err.flush();
        return nullptr;
    }
    return reinterpret_cast<F>(found);
}

// What a verb whose plugin is missing returns: bad arguments or a file
// that cannot be used, as the verbs say.
constexpr int kMissing = 2;

} // namespace

namespace VerbPlugins {

bool load(QStringView plugin, const QString& verb, QTextStream& err)
{
    // Every plugin exports its application maker or its verbs; asking for
    // one of them loads the file and checks that it is ours.
    const char* probe = plugin == kPrint ? "tomaria_application" : plugin == kLookup ? "tomaria_lookup" : "tomaria_save_xlsx";
    return function<Function>(plugin, probe, verb, QString(), err) != nullptr;
}

QCoreApplication* application(const QString& folder, const QString& verb, int& argc, char** argv, QTextStream& err)
{
    const auto make = function<TomariaApplication>(kPrint, "tomaria_application", verb, folder, err);
    return make ? make(argc, argv) : nullptr;
}

int labels(const Collection& collection, const LabelsCommand::Given& given, QTextStream& out, QTextStream& err)
{
    const auto run = function<TomariaLabels>(kPrint, "tomaria_labels", QStringLiteral("labels"), QString(), err);
    return run ? run(collection, given, out, err) : kMissing;
}

int reminders(int days, const QString& pdf, QTextStream& out, QTextStream& err)
{
    const auto run = function<TomariaReminders>(kPrint, "tomaria_reminders", QStringLiteral("reminders"), QString(), err);
    return run ? run(days, pdf, out, err) : kMissing;
}

int lookup(const QString& isbn, const LookupCommand::Given& given, QTextStream& out, QTextStream& err)
{
    const auto run = function<TomariaLookup>(kLookup, "tomaria_lookup", QStringLiteral("lookup"), QString(), err);
    return run ? run(isbn, given, out, err) : kMissing;
}

bool saveXlsx(const Collection& collection, const QString& archivePath, const QString& path, CardCsv::Outcome* outcome)
{
    QString why;
    const auto save = reinterpret_cast<TomariaSaveXlsx>(find(kXlsx, "tomaria_save_xlsx", QString(), &why));
    if (!save) {
        if (outcome)
            outcome->reason = why;
        return false;
    }
    return save(collection, archivePath, path, outcome);
}

int catalogue(const QString& path, const CatalogueCommand::Given& given, QTextStream& out, QTextStream& err)
{
    const auto run = function<TomariaCatalogue>(kLookup, "tomaria_catalogue", QStringLiteral("catalogue"), QString(), err);
    return run ? run(path, given, out, err) : kMissing;
}

int exportMarc(const Collection& collection, const QString& archivePath, const QString& path, const MarcCommands::Given& given,
    QTextStream& out, QTextStream& err)
{
    const auto run = function<TomariaExportMarc>(
        kLookup, "tomaria_export_marc", QStringLiteral("export --marc21|--unimarc"), QString(), err);
    return run ? run(collection, archivePath, path, given, out, err) : kMissing;
}

std::unique_ptr<CardRowSource> marcSource(
    const Collection& collection, const QString& archivePath, const MarcCommands::ImportGiven& given, QString* refusal, QTextStream& err)
{
    const auto make = function<TomariaMarcSource>(kLookup, "tomaria_marc_source", QStringLiteral("import MARC"), QString(), err);
    return std::unique_ptr<CardRowSource>(make ? make(collection, archivePath, given, refusal) : nullptr);
}

} // namespace VerbPlugins
