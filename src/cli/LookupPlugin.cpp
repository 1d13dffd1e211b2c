#include "VerbPlugins.h"

// The look-up plugin, tomaria-catalogo: the catalogues asked over Z39.50
// or SRU, with YAZ.
extern "C" Q_DECL_EXPORT int tomaria_lookup(const QString& isbn, const LookupCommand::Given& given, QTextStream& out, QTextStream& err)
{
    return LookupCommand::run(isbn, given, out, err);
}
