#include "CardImport.h"

#include "core/collections/Collection.h"
#include "core/collections/ExportTable.h"
#include "core/import/CsvReader.h"
#include "core/storage/Cp1252.h"
#include "core/storage/Record.h"
#include "core/text/Text.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

const QString kYes = QStringLiteral("S\u00ec");
const QString kNo = QStringLiteral("No");

// A cell's line breaks, whatever the office program wrote, become CR LF as
// the card screens store them.
QString cardLineBreaks(QString value)
{
    if (!value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
        return value;
    value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    value.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return value;
}

// The first character of `text` that Windows-1252 cannot hold; empty when none.
QString unencodable(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size())
            return text.mid(i, 2);
        if (Cp1252::byteFor(ch.unicode()) == 0 && ch.unicode() != 0)
            return QString(ch);
    }
    return {};
}

} // namespace

CardImport::CardImport(const Collection& collection)
    : m_collection(collection)
{
}

QString CardImport::columnName(int column)
{
    QString name;
    for (int n = column; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

const FieldDef* CardImport::fieldFor(const QString& caption) const
{
    const QString folded = Text::foldAZ(caption);
    for (const ExportColumn& c : m_collection.exportTable->columns) {
        if (Text::foldAZ(Text::utf8(c.fileCaption)) == folded)
            return m_collection.layout->find(c.field);
    }
    for (const FieldDef& f : m_collection.layout->fields) {
        if (Text::foldAZ(Text::latin1(f.name)) == folded)
            return &f;
    }
    return nullptr;
}

QString CardImport::captionOf(const FieldDef& field) const
{
    for (const ExportColumn& c : m_collection.exportTable->columns) {
        if (c.field == field.name)
            return Text::utf8(c.fileCaption);
    }
    return Text::latin1(field.name);
}

QString CardImport::decode(const QByteArray& bytes) const
{
    return m_utf8 ? QString::fromUtf8(bytes) : Cp1252::decode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void CardImport::problem(int line, int column, const QString& text)
{
    m_problems.append({line, column, text});
}

bool CardImport::read(const QByteArray& file)
{
    m_problems.clear();
    m_header.clear();
    m_records.clear();
    m_count = 0;

    QByteArray bytes = file;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    {
        QStringDecoder probe(QStringDecoder::Utf8);
        const QString ignored = probe(bytes);
        m_utf8 = !probe.hasError();
    }

    std::vector<CsvReader::Row> rows;
    int badLine = 0;
    if (!CsvReader::parse(bytes, CsvReader::guessSeparator(bytes), rows, &badLine)) {
        problem(badLine, 0, QStringLiteral("virgolette non chiuse o fuori posto"));
        return false;
    }
    if (rows.empty()) {
        problem(1, 0, QStringLiteral("manca la riga di intestazione con i nomi delle colonne"));
        return false;
    }

    // The header: every column must name a field, once.
    const RecordLayout& layout = *m_collection.layout;
    std::vector<const FieldDef*> fields;
    const CsvReader::Row& head = rows.front();
    for (qsizetype i = 0; i < head.fields.size(); ++i) {
        const QString caption = Text::trimmed(decode(head.fields[i]));
        m_header << caption;
        const FieldDef* f = fieldFor(caption);
        const int column = static_cast<int>(i) + 1;
        if (!f)
            problem(head.line, column, QStringLiteral("colonna sconosciuta per %1").arg(Text::utf8(m_collection.key)));
        else if (std::find(fields.begin(), fields.end(), f) != fields.end())
            problem(head.line, column, QStringLiteral("colonna ripetuta: il campo %1 ha già una colonna").arg(Text::latin1(f->name)));
        fields.push_back(f);
    }
    for (const RequiredField& r : m_collection.required) {
        const FieldDef* f = layout.find(r.field);
        if (std::find(fields.begin(), fields.end(), f) == fields.end())
            problem(head.line, 0, QStringLiteral("manca la colonna obbligatoria \"%1\"").arg(captionOf(*f)));
    }
    if (!m_problems.isEmpty())
        return false;

    const FieldDef* cancelled = layout.find("Annullata");
    const FieldDef* validated = layout.find("Convalida");
    Record record(layout);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const CsvReader::Row& row = rows[r];
        if (std::all_of(row.fields.begin(), row.fields.end(), [](const QByteArray& f) { return Text::trimmed(std::string_view(f.constData(), static_cast<std::size_t>(f.size()))).empty(); }))
            continue; // an empty row of the sheet is no card
        if (row.fields.size() != head.fields.size()) {
            problem(row.line, 0, QStringLiteral("%1 campi invece dei %2 dell'intestazione").arg(row.fields.size()).arg(head.fields.size()));
            continue;
        }
        const int before = static_cast<int>(m_problems.size());
        record.clear();
        // The flags as the card screens write them, unless a column says otherwise.
        if (validated)
            record.setText(validated->name, kNo);
        if (cancelled)
            record.setText(cancelled->name, kNo);
        for (qsizetype i = 0; i < row.fields.size(); ++i) {
            const FieldDef& f = *fields[static_cast<std::size_t>(i)];
            const int column = static_cast<int>(i) + 1;
            const QString value = cardLineBreaks(decode(row.fields[i]));
            const QString stored = layout.kind == SlotKind::LengthByte ? Text::trimmed(value) : value;
            if (const QString ch = unencodable(stored); !ch.isEmpty()) {
                const QString code = QString::number(ch.toUcs4().value(0), 16).toUpper().rightJustified(4, QLatin1Char('0'));
                problem(row.line, column, QStringLiteral("il carattere \"%1\" (U+%2) non si può scrivere in Windows-1252").arg(ch, code));
                continue;
            }
            if (&f == cancelled) {
                const QString flag = Text::trimmed(stored);
                if (flag.isEmpty())
                    continue;
                if (flag != kYes && flag != kNo) {
                    problem(row.line, column, QStringLiteral("\"%1\" non è un valore ammesso: scrivere \"Sì\" o \"No\"").arg(flag));
                    continue;
                }
            }
            if (stored.size() > f.capacity) {
                problem(row.line, column, QStringLiteral("%1 caratteri, ma il campo ne contiene al massimo %2").arg(stored.size()).arg(f.capacity));
                continue;
            }
            if (&f == validated && Text::trimmed(stored).isEmpty())
                continue;
            record.setText(f.name, stored);
        }
        for (const RequiredField& req : m_collection.required) {
            const FieldDef* f = layout.find(req.field);
            const auto at = std::find(fields.begin(), fields.end(), f);
            const qsizetype i = at - fields.begin();
            if (Text::trimmed(decode(row.fields[i])).isEmpty())
                problem(row.line, static_cast<int>(i) + 1, QStringLiteral("campo obbligatorio vuoto"));
        }
        if (static_cast<int>(m_problems.size()) == before) {
            m_records += record.bytes();
            ++m_count;
        }
    }
    if (!m_problems.isEmpty()) {
        m_records.clear();
        m_count = 0;
        return false;
    }
    return true;
}

QStringList CardImport::report() const
{
    QList<Problem> sorted = m_problems;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Problem& a, const Problem& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    QStringList lines;
    for (const Problem& p : sorted) {
        QString where = QStringLiteral("riga %1").arg(p.line);
        if (p.column > 0) {
            where += QStringLiteral(", colonna %1").arg(columnName(p.column));
            const QString caption = m_header.value(p.column - 1);
            if (!caption.isEmpty())
                where += QStringLiteral(" (\"%1\")").arg(caption);
        }
        lines << where + QStringLiteral(": ") + p.text;
    }
    return lines;
}
