#pragma once

#include <QList>
#include <QString>

// A library catalogue that answers ISBN queries: over Z39.50 at HOST:PORT
// with a database name, or over SRU at a base address (http or https),
// sending MARC 21 or UNIMARC records.
struct Catalogue {
    enum class Protocol { Z3950, Sru };
    enum class Syntax { Marc21, Unimarc };

    QString name;
    Protocol protocol = Protocol::Z3950;
    QString address;  // "HOST:PORT" for Z39.50, the base address for SRU
    QString database; // Z39.50 only; SRU carries it in the address
    Syntax syntax = Syntax::Marc21;

    // What YAZ connects to: "tcp:HOST:PORT/DATABASE" or the SRU address.
    QString zoomAddress() const;

    // Reads a command-line address: "z3950://HOST:PORT/DATABASE" or an SRU
    // base address "http://HOST:PORT/PATH" (or https). False when it is
    // neither.
    static bool fromAddress(const QString& address, Syntax syntax, Catalogue* out);

    static bool syntaxFromName(const QString& name, Syntax* out); // "marc21", "unimarc"
    static QString syntaxName(Syntax syntax);                     // "MARC 21", "UNIMARC"
};

// The catalogues asked, in order, and how long each may take to answer: the
// "Cataloghi" section of the program folder's "Tomaria.ini", or the public
// catalogues the program comes with when the section lists none.
//
//   [Cataloghi]
//   Attesa=8                      ; seconds each catalogue may take (all of
//                                 ; them together: 20, or Attesa if longer)
//   Nome1=OPAC SBN
//   Protocollo1=Z39.50            ; or SRU
//   Indirizzo1=opac.sbn.it:2100   ; SRU: http://HOST:PORT/PATH
//   Database1=nopac
//   Sintassi1=UNIMARC             ; or MARC 21
struct CatalogueSettings {
    QList<Catalogue> catalogues;
    int timeoutMs = 8000;
    QStringList faults; // entries that could not be read, in the INI's words

    static CatalogueSettings read(const QString& iniPath);
    static QList<Catalogue> defaults();
};
