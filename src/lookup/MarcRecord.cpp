#include "MarcRecord.h"

#include <QXmlStreamReader>

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

bool MarcRecord::readXml(const QByteArray& xml)
{
    *this = MarcRecord();
    QXmlStreamReader r(xml);
    bool inRecord = false;
    while (!r.atEnd()) {
        r.readNext();
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
            if (name == u"leader") {
                m_leader = r.readElementText();
            } else if (name == u"controlfield") {
                const QString tag = r.attributes().value(QLatin1String("tag")).toString();
                m_controls.append({tag, r.readElementText()});
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
                    if (r.name() == u"subfield") {
                        const QString code = r.attributes().value(QLatin1String("code")).toString();
                        const QString value = r.readElementText(QXmlStreamReader::IncludeChildElements);
                        if (!code.isEmpty())
                            f.subfields.append({code.at(0), value});
                    } else {
                        r.skipCurrentElement();
                    }
                }
                m_fields.append(std::move(f));
            }
        } else if (r.isEndElement() && inRecord && r.name() == u"record") {
            break;
        }
    }
    if (r.hasError() && r.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        return false;
    return inRecord && !r.hasError();
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
    if (size < 26 || size > 99999 || bytes.contains('\0') || digits(bytes, 0, 5) != size || bytes[size - 1] != kRecordEnd
        || bytes[20] != '4' || bytes[21] != '5')
        return false;
    const int base = digits(bytes, 12, 5);
    if (base < 25 || base >= size || (base - 25) % 12 != 0 || bytes[base - 1] != kFieldEnd)
        return false;
    for (qsizetype entry = 24; entry < base - 1; entry += 12) {
        const int length = digits(bytes, entry + 3, 4);
        const int start = digits(bytes, entry + 7, 5);
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
    yaz_marc_t mt = yaz_marc_create();
    yaz_marc_xml(mt, YAZ_MARC_MARCXML);
    const bool utf8 = yaz_marc_check_marc21_coding(charset, bytes.constData(), static_cast<int>(bytes.size())) != 0;
    yaz_iconv_t cd = yaz_iconv_open("utf-8", utf8 ? "utf-8" : charset);
    if (cd)
        yaz_marc_iconv(mt, cd);
    WRBUF out = wrbuf_alloc();
    const int r = yaz_marc_decode_wrbuf(mt, bytes.constData(), static_cast<int>(bytes.size()), out);
    const QByteArray xml(wrbuf_buf(out), static_cast<qsizetype>(wrbuf_len(out)));
    wrbuf_destroy(out);
    if (cd)
        yaz_iconv_close(cd);
    yaz_marc_destroy(mt);
    return r > 0 && readXml(xml);
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
