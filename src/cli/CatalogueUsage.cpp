#include "CatalogueCommand.h"

// The catalogue verb's note in the usage, apart from its work: the usage
// is written without loading the look-up plugin.
QString CatalogueCommand::usage()
{
    return QStringLiteral("catalogue: un libro per ogni ISBN del file (uno per riga, come li scrive un lettore di codici a barre),\n"
                          "  cercato nei cataloghi come fa lookup; una riga di resoconto per ISBN (\"ISBN<TAB>esito<TAB>titolo,\n"
                          "  autore, anno\"). Le schede trovate sono aggiunte tutte insieme, con i codici successivi al più alto con il\n"
                          "  prefisso --code-prefix e lo scaffale --shelf; --dry-run le mostra soltanto. Esce con 1 se qualche ISBN\n"
                          "  non ha scheda.\n");
}
