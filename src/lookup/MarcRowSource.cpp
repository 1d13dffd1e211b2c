#include "MarcRowSource.h"

#include "core/import/MarcHead.h"

#include "core/text/Text.h"
#include "core/text/InputBudget.h"
#include "lookup/MarcMapping.h"
#include "lookup/MarcRecord.h"

#include <QIODevice>
#include <QSet>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

using Syntax = Catalogue::Syntax;

constexpr char kFieldEnd = '\x1e';
constexpr char kRecordEnd = '\x1d';

bool digits(const QByteArray& bytes, qsizetype from, qsizetype count)
{
    for (qsizetype i = from; i < from + count; ++i)
        if (i >= bytes.size() || bytes.at(i) < '0' || bytes.at(i) > '9')
            return false;
    return true;
}

// Why an ISO 2709 record's structure is unsound, or empty: its length and
// base address, the directory's entries within the record, each field
// inside the data and ending where the directory says. `tags` gets the
// directory's tags.
QString unsound(const QByteArray& r, QStringList& tags)
{
    const qsizetype length = r.size();
    if (r.at(length - 1) != kRecordEnd)
        return QStringLiteral("non finisce dove dice la sua lunghezza (%1 byte)").arg(length);
    if (!digits(r, 12, 5) || r.at(10) != '2' || r.at(11) != '2' || r.mid(20, 3) != "450")
        return QStringLiteral("la guida (leader) non è quella di un record MARC");
    const qsizetype base = r.mid(12, 5).toLongLong();
    if (base < 25 || base >= length || (base - 25) % 12 != 0 || r.at(base - 1) != kFieldEnd)
        return QStringLiteral("l'indirizzo dei dati (%1) non chiude la directory").arg(base);
    const qsizetype entries = (base - 25) / 12;
    if (entries > InputBudget::kMarcFields)
        return QStringLiteral("più di %1 campi").arg(InputBudget::kMarcFields);
    const qsizetype data = length - base - 1;
    for (qsizetype e = 0; e < entries; ++e) {
        const qsizetype at = 24 + e * 12;
        if (!digits(r, at + 3, 9))
            return QStringLiteral("la voce %1 della directory non è leggibile").arg(e + 1);
        const qsizetype fieldLength = r.mid(at + 3, 4).toLongLong();
        const qsizetype start = r.mid(at + 7, 5).toLongLong();
        if (fieldLength < 1 || start + fieldLength > data)
            return QStringLiteral("il campo %1 va oltre la fine del record").arg(QString::fromLatin1(r.mid(at, 3)));
        if (r.at(base + start + fieldLength - 1) != kFieldEnd)
            return QStringLiteral("il campo %1 non finisce dove dice la directory").arg(QString::fromLatin1(r.mid(at, 3)));
        tags << QString::fromLatin1(r.mid(at, 3));
    }
    return {};
}

// The tags the mapping reads, in each format.
const QSet<QString>& mappedTags(Syntax syntax)
{
    static const QSet<QString> marc21{u"000"_s, u"001"_s, u"003"_s, u"005"_s, u"008"_s, u"020"_s, u"041"_s, u"082"_s, u"100"_s, u"240"_s,
        u"245"_s, u"260"_s, u"264"_s, u"300"_s, u"490"_s, u"500"_s, u"700"_s, u"830"_s, u"852"_s};
    static const QSet<QString> unimarc{u"000"_s, u"001"_s, u"005"_s, u"010"_s, u"100"_s, u"101"_s, u"200"_s, u"210"_s, u"214"_s, u"215"_s,
        u"225"_s, u"300"_s, u"454"_s, u"500"_s, u"676"_s, u"700"_s, u"701"_s, u"702"_s, u"852"_s};
    return syntax == Syntax::Marc21 ? marc21 : unimarc;
}

QString counts(const QMap<QString, int>& byName)
{
    QStringList parts;
    for (auto it = byName.begin(); it != byName.end(); ++it)
        parts << QStringLiteral("%1 (%2)").arg(it.key()).arg(it.value());
    return parts.join(QStringLiteral(", "));
}

} // namespace

MarcRowSource::MarcRowSource(const Options& options)
    : m_options(options)
{
}

QStringList MarcRowSource::header()
{
    return MarcMapping::mappedFields() + QStringList{QStringLiteral("Annullata")};
}

bool MarcRowSource::recognises(const QByteArray& head) const
{
    return MarcHead::recognised(head);
}

QString MarcRowSource::formatName() const
{
    QStringList formats;
    if (m_marc21 > 0)
        formats << Catalogue::syntaxName(Syntax::Marc21);
    if (m_unimarc > 0)
        formats << Catalogue::syntaxName(Syntax::Unimarc);
    QString form = m_xml ? QStringLiteral("MARCXML")
                         : (m_marc8 > 0 ? QStringLiteral("ISO 2709, MARC-8") : QStringLiteral("ISO 2709, UTF-8"));
    return QStringLiteral("%1 (%2)").arg(formats.isEmpty() ? QStringLiteral("MARC") : formats.join(QStringLiteral(" e ")), form);
}

QStringList MarcRowSource::notes() const
{
    QStringList lines;
    if (!m_cut.isEmpty())
        lines << QStringLiteral("Valori tagliati alla lunghezza del campo della scheda, come li taglia Salva: %1.").arg(counts(m_cut));
    if (!m_unwritable.isEmpty())
        lines << QStringLiteral("Caratteri che l'archivio non può scrivere, resi con \"?\": %1.").arg(counts(m_unwritable));
    if (!m_unmapped.isEmpty())
        lines
            << QStringLiteral("Campi MARC che la scheda non contiene, con il numero dei record che li hanno: %1.").arg(counts(m_unmapped));
    if (m_deleted > 0)
        lines << QStringLiteral("%1 come cancellati: importati come schede annullate.")
                     .arg(Text::counted(m_deleted, u"record segnato", u"record segnati"));
    return lines;
}

bool MarcRowSource::addRow(const MarcRecord& record, Syntax syntax, int number, const std::function<bool(CsvReader::Row&)>& onRow)
{
    (syntax == Syntax::Marc21 ? m_marc21 : m_unimarc)++;
    QStringList cut, unwritable;
    MarcMapping::ReadOptions options;
    options.localFields = true;
    options.codeTag = m_options.codeTag;
    options.cut = &cut;
    options.unwritable = &unwritable;
    const CatalogueRecord card = MarcMapping::card(record, syntax, options);
    for (const QString& f : cut)
        ++m_cut[f];
    for (const QString& f : unwritable)
        ++m_unwritable[f];
    QSet<QString> unmapped;
    for (const auto& [tag, value] : record.controls())
        if (!mappedTags(syntax).contains(tag))
            unmapped << tag;
    for (const MarcRecord::DataField& f : record.dataFields())
        if (!mappedTags(syntax).contains(f.tag))
            unmapped << f.tag;
    for (const QString& tag : unmapped)
        ++m_unmapped[tag];
    const bool deleted = record.leader().size() > 5 && record.leader().at(5) == u'd';
    m_deleted += deleted ? 1 : 0;

    CsvReader::Row row;
    row.line = number;
    for (const QString& field : MarcMapping::mappedFields()) {
        QString value = card.value(field);
        if (field == QLatin1String("Codice") && m_options.codeTag.isEmpty())
            value = m_options.codePrefix
                + QString::number(m_options.firstCode + number - 1).rightJustified(m_options.codeWidth, QLatin1Char('0'));
        row.fields << value.toUtf8();
    }
    row.fields << (deleted ? QStringLiteral("Sì") : QStringLiteral("No")).toUtf8();
    return onRow(row);
}

CsvReader::Status MarcRowSource::read(QIODevice& file, const std::function<bool(CsvReader::Row&)>& onRow, int* errorLine, QString* error)
{
    m_cut.clear();
    m_unwritable.clear();
    m_unmapped.clear();
    m_marc21 = m_unimarc = m_marc8 = m_deleted = 0;
    const auto fault = [&](int number, const QString& why) {
        *errorLine = number;
        *error = number > 0 ? why : QStringLiteral("file MARC non leggibile: ") + why;
        return CsvReader::Status::ReadError;
    };
    m_xml = !digits(file.peek(5), 0, 5);

    CsvReader::Row head;
    head.line = 0;
    for (const QString& f : header())
        head.fields << f.toUtf8();
    if (!onRow(head))
        return CsvReader::Status::Stopped;

    int number = 0;
    if (m_xml) {
        QXmlStreamReader xml(&file);
        for (;;) {
            MarcRecord record;
            QString why;
            if (!record.readNextXml(xml, &why)) {
                if (!why.isEmpty())
                    return fault(number + 1, why);
                break;
            }
            if (++number > InputBudget::kMarcRecords)
                return fault(number, QStringLiteral("più di %1 record in un file").arg(InputBudget::kMarcRecords));
            // MARCXML holds both formats; without --syntax the title's tag tells.
            const Syntax syntax = m_options.syntax.value_or(
                record.field(u"245") || !record.field(u"200") ? Syntax::Marc21 : Syntax::Unimarc);
            if (!addRow(record, syntax, number, onRow))
                return CsvReader::Status::Stopped;
        }
        return number == 0 ? fault(0, QStringLiteral("nessun record MARCXML")) : CsvReader::Status::Done;
    }

    for (;;) {
        QByteArray bytes = file.read(5);
        if (bytes.isEmpty())
            break;
        // Blanks and line ends between records, as some tools write them.
        while (!bytes.isEmpty() && (bytes.at(0) == '\n' || bytes.at(0) == '\r' || bytes.at(0) == ' ')) {
            bytes.remove(0, 1);
            bytes += file.read(1);
        }
        if (bytes.isEmpty())
            break;
        ++number;
        if (bytes.size() < 5 || !digits(bytes, 0, 5))
            return fault(number, QStringLiteral("non comincia con la lunghezza del record (cinque cifre)"));
        const qsizetype length = bytes.toLongLong();
        if (length < 26)
            return fault(number, QStringLiteral("dice di essere lungo %1 byte: troppo poco per un record").arg(length));
        bytes += file.read(length - 5);
        if (bytes.size() < length)
            return fault(
                number, QStringLiteral("dice di essere lungo %1 byte, ma il file ne ha soltanto altri %2").arg(length).arg(bytes.size()));
        if (number > InputBudget::kMarcRecords)
            return fault(number, QStringLiteral("più di %1 record in un file").arg(InputBudget::kMarcRecords));
        QStringList tags;
        if (const QString why = unsound(bytes, tags); !why.isEmpty())
            return fault(number, why);
        const Syntax syntax = m_options.syntax.value_or(
            tags.contains(QLatin1String("245")) || !tags.contains(QLatin1String("200")) ? Syntax::Marc21 : Syntax::Unimarc);
        // MARC 21 says UTF-8 in its leader, else it is MARC-8; UNIMARC
        // files as the catalogues write them today are UTF-8.
        const bool marc8 = syntax == Syntax::Marc21 && bytes.at(9) != 'a';
        m_marc8 += marc8 ? 1 : 0;
        MarcRecord record;
        if (!record.readIso2709(bytes, marc8 ? "marc-8" : "utf-8"))
            return fault(number, QStringLiteral("YAZ non riesce a leggerlo"));
        if (!addRow(record, syntax, number, onRow))
            return CsvReader::Status::Stopped;
    }
    return number == 0 ? fault(0, QStringLiteral("nessun record")) : CsvReader::Status::Done;
}
