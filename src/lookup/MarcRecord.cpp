#include "MarcRecord.h"

#include "core/text/InputBudget.h"

#include <QXmlStreamReader>

#include <cctype>

#include <yaz/marcdisp.h>
#include <yaz/wrbuf.h>
#include <yaz/yaz-iconv.h>

QString MarcRecord::DataField::first(QChar code) const
{
    for (const Subfield& s : subfields)
        if (s.code == code)
            return s.value;
    return {};
}

QStringList MarcRecord::DataField::all(QChar code) const
{
    QStringList out;
    for (const Subfield& s : subfields)
        if (s.code == code)
            out << s.value;
    return out;
}

namespace {

// A value without the marks that only steer a catalogue's sorting.
QString withoutSortMarks(QString value)
{
    value.removeIf([](QChar c) { return c == QChar(0x88) || c == QChar(0x89) || c == QChar(0x98) || c == QChar(0x9C); });
    return value;
}

// Any control byte YAZ passes through would break the XML and becomes a blank.
QByteArray withoutControlBytes(QByteArray xml)
{
    for (char& c : xml)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
            c = ' ';
    return xml;
}

} // namespace

bool MarcRecord::readXml(const QByteArray& xml)
{
    QXmlStreamReader r(xml);
    return readNextXml(r);
}

bool MarcRecord::readNextXml(QXmlStreamReader& r, QString* error)
{
    *this = MarcRecord();
    const qint64 start = r.characterOffset();
    const auto refuse = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    bool inRecord = false;
    while (!r.atEnd()) {
        r.readNext();
        if (inRecord && r.characterOffset() - start > InputBudget::kMarcXmlRecordBytes)
            return refuse(QStringLiteral("record MARCXML più lungo di %1 caratteri").arg(InputBudget::kMarcXmlRecordBytes));
        if (r.isStartElement()) {
            const QStringView name = r.name();
            if (!inRecord) {
                // An SRU answer wraps the MARC record in its own <record>
                // elements; the MARC one is the one that holds a leader or fields.
                if (name == u"leader" || name == u"controlfield" || name == u"datafield")
                    inRecord = true;
                else
                    continue;
            }
            if (m_controls.size() + m_fields.size() >= InputBudget::kMarcFields)
                return refuse(QStringLiteral("record con più di %1 campi").arg(InputBudget::kMarcFields));
            if (name == u"leader") {
                m_leader = r.readElementText();
            } else if (name == u"controlfield") {
                const QString tag = r.attributes().value(QLatin1String("tag")).toString();
                m_controls.append({tag, withoutSortMarks(r.readElementText())});
            } else if (name == u"datafield") {
                DataField f;
                f.tag = r.attributes().value(QLatin1String("tag")).toString();
                const QString i1 = r.attributes().value(QLatin1String("ind1")).toString();
                const QString i2 = r.attributes().value(QLatin1String("ind2")).toString();
                if (!i1.isEmpty())
                    f.ind1 = i1.at(0);
                if (!i2.isEmpty())
                    f.ind2 = i2.at(0);
                while (r.readNextStartElement()) {
                    if (f.subfields.size() >= InputBudget::kMarcSubfields)
                        return refuse(QStringLiteral("campo %1 con più di %2 sottocampi").arg(f.tag).arg(InputBudget::kMarcSubfields));
                    if (r.name() == u"subfield") {
                        const QString code = r.attributes().value(QLatin1String("code")).toString();
                        const QString value = r.readElementText(QXmlStreamReader::IncludeChildElements);
                        if (!code.isEmpty())
                            f.subfields.append({code.at(0), withoutSortMarks(value)});
                    } else {
                        r.skipCurrentElement();
                    }
                }
                m_fields.append(std::move(f));
            }
        } else if (r.isEndElement() && inRecord && r.name() == u"record") {
            return true;
        }
    }
    if (r.hasError())
        return refuse(QStringLiteral("XML non valido (%1, riga %2)").arg(r.errorString()).arg(r.lineNumber()));
    return false;
}

// A UTF-8 record's fields read straight from its directory: no character
// set to convert, so YAZ's round trip through MARCXML is not needed. False
// when the structure does not hold (YAZ then has its say).
bool MarcRecord::readUtf8Iso2709(const QByteArray& r)
{
    const auto number = [&](qsizetype at, qsizetype count) {
        qsizetype n = 0;
        for (qsizetype i = at; i < at + count; ++i) {
            if (i >= r.size() || r.at(i) < '0' || r.at(i) > '9')
                return qsizetype(-1);
            n = n * 10 + (r.at(i) - '0');
        }
        return n;
    };
    const qsizetype base = number(12, 5);
    if (r.size() < 25 || base < 25 || base > r.size() || (base - 25) % 12 != 0)
        return false;
    m_leader = QString::fromLatin1(r.left(24));
    const qsizetype entries = (base - 25) / 12;
    for (qsizetype e = 0; e < entries; ++e) {
        const qsizetype at = 24 + e * 12;
        const qsizetype length = number(at + 3, 4);
        const qsizetype start = number(at + 7, 5);
        if (length < 1 || start < 0 || base + start + length > r.size())
            return false;
        // The field without its end mark; UNIMARC's ESC H/ESC I non-sorting
        // marks go with the others.
        QByteArray field = r.mid(base + start, length - 1);
        field.replace("\x1bH", "").replace("\x1bI", "");
        const QString tag = QString::fromLatin1(r.mid(at, 3));
        if (tag < QLatin1String("010")) {
            m_controls.append({tag, withoutSortMarks(QString::fromUtf8(field))});
            continue;
        }
        DataField f;
        f.tag = tag;
        f.ind1 = field.size() > 0 ? QLatin1Char(field.at(0)) : QLatin1Char(' ');
        f.ind2 = field.size() > 1 ? QLatin1Char(field.at(1)) : QLatin1Char(' ');
        const QList<QByteArray> parts = field.mid(2).split('\x1f');
        for (qsizetype i = 1; i < parts.size(); ++i) {
            if (parts[i].isEmpty())
                continue;
            f.subfields.append({QLatin1Char(parts[i].at(0)), withoutSortMarks(QString::fromUtf8(parts[i].mid(1)))});
        }
        m_fields.append(std::move(f));
    }
    return true;
}

namespace {

// A number of `width` decimal digits at `at`; -1 when any is not a digit.
int digits(const QByteArray& bytes, qsizetype at, int width)
{
    int n = 0;
    for (qsizetype i = at; i < at + width; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9')
            return -1;
        n = n * 10 + (bytes[i] - '0');
    }
    return n;
}

// Whether `bytes` is one ISO 2709 record whose every part lies where its
// leader and directory say: YAZ's decoder trusts them (and reads its
// copies as C strings), so a record from a server is checked first.
bool wellFormedIso2709(const QByteArray& bytes)
{
    constexpr char kFieldEnd = 0x1E, kRecordEnd = 0x1D;
    const qsizetype size = bytes.size();
    if (size < 26 || size > InputBudget::kMarcRecordBytes || bytes.contains('\0') || digits(bytes, 0, 5) != size
        || bytes[size - 1] != kRecordEnd || bytes[20] != '4' || bytes[21] != '5')
        return false;
    // Two indicators and a one-letter subfield code, as MARC 21 and UNIMARC
    // both have: YAZ sizes what it reads of every field from these two.
    if (bytes[10] != '2' || bytes[11] != '2')
        return false;
    const int base = digits(bytes, 12, 5);
    if (base < 25 || base >= size || (base - 25) % 12 != 0 || bytes[base - 1] != kFieldEnd)
        return false;
    for (qsizetype entry = 24; entry < base - 1; entry += 12) {
        const int length = digits(bytes, entry + 3, 4);
        const int start = digits(bytes, entry + 7, 5);
        for (qsizetype t = entry; t < entry + 3; ++t)
            if (!std::isalnum(static_cast<unsigned char>(bytes[t])))
                return false;
        if (length < 1 || start < 0 || qsizetype(base) + start + length > size - 1
            || bytes[qsizetype(base) + start + length - 1] != kFieldEnd)
            return false;
    }
    return true;
}

} // namespace

bool MarcRecord::readIso2709(const QByteArray& bytes, const char* charset)
{
    *this = MarcRecord();
    if (!wellFormedIso2709(bytes))
        return false;
    const bool utf8 = yaz_marc_check_marc21_coding(charset, bytes.constData(), static_cast<int>(bytes.size())) != 0
        || qstrcmp(charset, "utf-8") == 0;
    if (utf8) {
        if (readUtf8Iso2709(bytes))
            return true;
        *this = MarcRecord();
    }
    yaz_marc_t mt = yaz_marc_create();
    yaz_marc_xml(mt, YAZ_MARC_MARCXML);
    // UNIMARC writes the non-sorting marks as ESC H and ESC I, which YAZ
    // drops without their letter; in UTF-8 they become the same marks as
    // two bytes each (U+0088, U+0089), so no length in the record changes.
    QByteArray source = bytes;
    if (utf8)
        source.replace("\x1bH", "\xc2\x88").replace("\x1bI", "\xc2\x89");
    yaz_iconv_t cd = yaz_iconv_open("utf-8", utf8 ? "utf-8" : charset);
    if (cd)
        yaz_marc_iconv(mt, cd);
    WRBUF out = wrbuf_alloc();
    const int r = yaz_marc_decode_wrbuf(mt, source.constData(), static_cast<int>(source.size()), out);
    const QByteArray xml(wrbuf_buf(out), static_cast<qsizetype>(wrbuf_len(out)));
    wrbuf_destroy(out);
    if (cd)
        yaz_iconv_close(cd);
    yaz_marc_destroy(mt);
    return r > 0 && readXml(withoutControlBytes(xml));
}

QString MarcRecord::control(QStringView tag) const
{
    for (const auto& [t, value] : m_controls)
        if (t == tag)
            return value;
    return {};
}

QList<const MarcRecord::DataField*> MarcRecord::fields(QStringView tag) const
{
    QList<const DataField*> out;
    for (const DataField& f : m_fields)
        if (f.tag == tag)
            out << &f;
    return out;
}

const MarcRecord::DataField* MarcRecord::field(QStringView tag) const
{
    for (const DataField& f : m_fields)
        if (f.tag == tag)
            return &f;
    return nullptr;
}
