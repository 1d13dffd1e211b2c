#pragma once

// The book cards behind the hand-written spreadsheet files of tests/data,
// shared by the export screen's tests and the command line's.

#include "core/collections/Books.h"
#include "core/storage/Record.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>

#include <cstring>
#include <string_view>

namespace {

using Fields = QList<QPair<QString, QString>>;

inline QByteArray fixture(const QString& name)
{
    QFile f(QStringLiteral(TOMARIA_TEST_DATA "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A slot written byte for byte, the way another program may have left it
// (blanks and line breaks included).
inline void setRaw(Record& r, std::string_view field, const QByteArray& bytes)
{
    const FieldDef* f = r.layout().find(field);
    char* slot = r.bytes().data() + f->offset;
    slot[0] = static_cast<char>(bytes.size());
    std::memcpy(slot + 1, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

inline QByteArray book(const Fields& fields, const QList<QPair<const char*, QByteArray>>& raw = {})
{
    Record r(TSchedaLibro);
    r.setText("Convalida", QStringLiteral("No"));
    r.setText("Annullata", QStringLiteral("No"));
    for (const auto& [field, value] : fields)
        r.setText(field.toStdString(), value);
    for (const auto& [field, bytes] : raw)
        setRaw(r, field, bytes);
    return r.bytes();
}

// The two cards of the hand-written file "export_due_schede.xls": reserved
// HTML characters, accented letters, the euro sign, double quotes, blanks
// around a value, a line break inside one, a cancelled card, and fields
// that are never exported (loan, attachment).
inline QByteArray twoCards()
{
    return book({{"Titolo", "Storia & geografia <vol. 1>"}, {"Codice", "L-001"}, {"Scaffale", "A-1"}, {"Autore", "Rossi Mario"},
                    {"Nazione", "Italia"}, {"Dewey", "910"}, {"Pagine", "320"}, {"Genere", "Saggistica"}, {"Giudizio", "Ottimo"},
                    {"Editore", "Edizioni \"Alfa\""}, {"Isbn", "978-88-0000-001"}, {"Citta", "Città di Castello"}, {"Anno", "1998"},
                    {"Volumi", "1"}, {"Prezzo", "18,50 €"}, {"Lingua", "Italiano"}, {"Prestato", "Bianchi Luca"},
                    {"File01", "copertina.jpg"}},
               {{"Note", QByteArray("\t a<b && c>d \x01")}})
        + book({{"Titolo", "Perché leggere i classici"}, {"Codice", "L-002"}, {"Autore", "Calvino Italo"}, {"Scadenza", "01/02/2024"},
                   {"Annullata", "Sì"}},
            {{"Note", QByteArray("prima riga\r\nseconda riga")}});
}

} // namespace
