#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct Collection;
struct FieldDef;

// Cards read from a CSV sheet: the header row names the columns by record
// field ("Titolo") or by the caption of the collection's spreadsheet export
// ("Titolo libro"), so an exported sheet saved as CSV comes back. The file
// is UTF-8 (with or without byte-order mark) when its bytes are valid
// UTF-8, else Windows-1252; the separator is a comma or a semicolon. Every
// row is checked before any card is built; nothing here writes a file.
class CardImport {
public:
    struct Problem {
        int line;   // file line, from 1
        int column; // from 1; 0: the whole row
        QString text;
    };

    explicit CardImport(const Collection& collection);

    // Reads and checks the whole file. True when every row makes a card.
    bool read(const QByteArray& file);

    const QList<Problem>& problems() const { return m_problems; }
    // The problems as "riga N, colonna X ("Caption"): text", in file order.
    QStringList report() const;

    // The cards, one record after the other, ready for one append.
    const QByteArray& records() const { return m_records; }
    int count() const { return m_count; }
    bool isUtf8() const { return m_utf8; }

    // "A", "B", ..., "Z", "AA": a column as the spreadsheet names it.
    static QString columnName(int column);

private:
    const FieldDef* fieldFor(const QString& caption) const;
    QString captionOf(const FieldDef& field) const;
    QString decode(const QByteArray& bytes) const;
    void problem(int line, int column, const QString& text);

    const Collection& m_collection;
    QList<Problem> m_problems;
    QStringList m_header;
    QByteArray m_records;
    int m_count = 0;
    bool m_utf8 = true;
};
