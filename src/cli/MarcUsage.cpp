#include "MarcCommands.h"

// The MARC verbs' notes in the usage, apart from their work: the usage is
// written without loading the look-up plugin.
QString MarcCommands::exportUsage()
{
    return QStringLiteral("export --marc21|--unimarc: un record MARC 21 o UNIMARC per ogni scheda dei libri, ISO 2709 in UTF-8 o,\n"
                          "  con --xml, MARCXML; le schede annullate come record cancellati. Un file esistente che\n"
                          "  non sia un file MARC vuole --force.\n");
}

QString MarcCommands::importUsage()
{
    return QStringLiteral("import books FILE.mrc|FILE.xml: record MARC 21 o UNIMARC, ISO 2709 (MARC-8 o UTF-8) o MARCXML, riconosciuti\n"
                          "  dal contenuto (--syntax indica il formato di tutti); i campi come nella ricerca per ISBN. I codici sono i\n"
                          "  numeri successivi al più alto di quelli con il prefisso --code-prefix (nessuno in mancanza), oppure, con\n"
                          "  --code-tag, quelli dei record: 001 o un'etichetta e un sottocampo (852p). Il resoconto dice ciò che le\n"
                          "  schede non possono contenere.\n");
}

QString MarcCommands::notForBooksOnly()
{
    return QStringLiteral("--syntax, --code-tag e --code-prefix valgono soltanto per books");
}
