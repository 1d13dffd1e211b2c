#include "LookupCommand.h"

#include "lookup/CatalogueClient.h"

// The look-up's note in the usage, apart from its work: the usage is
// written without loading the look-up plugin.
QString LookupCommand::usage()
{
    return QStringLiteral("lookup: chiede l'ISBN (trattini e spazi tolti; ISBN-10 e ISBN-13) ai cataloghi della sezione [Cataloghi] di\n"
                          "  Tomaria.ini, nell'ordine, o a quello scelto con --catalogue; --server ne indica uno qualsiasi:\n"
                          "  z3950://HOST:PORTA/DATABASE oppure l'indirizzo SRU http(s)://HOST:PORTA/PERCORSO, con --syntax (marc21 in\n"
                          "  mancanza). Scrive i campi che compilerebbe nella scheda, \"Campo<TAB>valore\" uno per riga, poi\n"
                          "  \"Catalogo<TAB>nome\"; con più schede, una dopo l'altra separate da una riga vuota (al più %1;\n"
                          "  \"e altri N\" su stderr dice quante ne restano). Esce con 1 se nessun catalogo ha l'ISBN, con 2 se nessuno\n"
                          "  ha risposto.\n")
        .arg(CatalogueClient::kMaxRecords);
}
