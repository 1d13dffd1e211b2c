#include "VerbPlugins.h"

#include "core/import/CardRowSource.h"

// The look-up plugin, tomaria-catalogo: the catalogues asked over Z39.50
// or SRU, and MARC files read and written, with YAZ.
extern "C" {

Q_DECL_EXPORT int tomaria_lookup(const QString& isbn, const LookupCommand::Given& given, QTextStream& out, QTextStream& err)
{
    return LookupCommand::run(isbn, given, out, err);
}

Q_DECL_EXPORT int tomaria_catalogue(const QString& path, const CatalogueCommand::Given& given, QTextStream& out, QTextStream& err)
{
    return CatalogueCommand::run(path, given, out, err);
}

Q_DECL_EXPORT int tomaria_export_marc(const Collection& collection, const QString& archivePath, const QString& path,
    const MarcCommands::Given& given, QTextStream& out, QTextStream& err)
{
    return MarcCommands::exportBooks(collection, archivePath, path, given, out, err);
}

Q_DECL_EXPORT CardRowSource* tomaria_marc_source(
    const Collection& collection, const QString& archivePath, const MarcCommands::ImportGiven& given, QString* refusal)
{
    return MarcCommands::importSource(collection, archivePath, given, refusal).release();
}
}
