#include "MarcWriter.h"

#include "lookup/MarcRecord.h"

#include <yaz/marcdisp.h>
#include <yaz/wrbuf.h>

namespace {

// ISO 2709 gives a record's length five digits and a field's four; YAZ
// leaves out a field longer than that without a word, so it is checked here.
constexpr qsizetype kIso2709Max = 99999;
constexpr qsizetype kIso2709FieldMax = 9999;

const char kCollectionOpen[] = "<collection xmlns=\"http://www.loc.gov/MARC21/slim\">\n";
const char kCollectionClose[] = "</collection>\n";

} // namespace

struct MarcWriter::Yaz {
    yaz_marc_t mt = yaz_marc_create();
    WRBUF buffer = wrbuf_alloc();
    ~Yaz()
    {
        wrbuf_destroy(buffer);
        yaz_marc_destroy(mt);
    }
};

MarcWriter::MarcWriter(Format format)
    : m_yaz(new Yaz)
    , m_format(format)
{
    yaz_marc_xml(m_yaz->mt, format == Format::Iso2709 ? YAZ_MARC_ISO2709 : YAZ_MARC_MARCXML);
}

MarcWriter::~MarcWriter()
{
    delete m_yaz;
}

bool MarcWriter::write(const MarcRecord& record, QByteArray& out)
{
    yaz_marc_t mt = m_yaz->mt;
    yaz_marc_reset(mt);
    wrbuf_rewind(m_yaz->buffer);
    const QByteArray leader = record.leader().toLatin1();
    if (leader.size() != 24)
        return false;
    int indicatorLength = 0, identifierLength = 0, base = 0, entry = 0, starting = 0, implementation = 0;
    yaz_marc_set_leader(mt, leader.constData(), &indicatorLength, &identifierLength, &base, &entry, &starting, &implementation);
    const bool iso = m_format == Format::Iso2709;
    // Leader, directory's end, record's end; each field adds its directory
    // entry (tag, four-digit length, five-digit start) and its bytes.
    constexpr qsizetype kEntry = 3 + 4 + 5;
    qsizetype total = 24 + 1 + 1;
    for (const auto& [tag, value] : record.controls()) {
        const QByteArray t = tag.toLatin1();
        const QByteArray v = value.toUtf8();
        if (iso && v.size() + 1 > kIso2709FieldMax)
            return false;
        total += kEntry + v.size() + 1;
        yaz_marc_add_controlfield(mt, t.constData(), v.constData(), static_cast<size_t>(v.size()));
    }
    for (const MarcRecord::DataField& f : record.dataFields()) {
        const QByteArray t = f.tag.toLatin1();
        const QByteArray indicators = QString(f.ind1).append(f.ind2).toLatin1();
        yaz_marc_add_datafield(mt, t.constData(), indicators.constData(), static_cast<size_t>(indicators.size()));
        qsizetype length = indicators.size() + 1;
        for (const MarcRecord::Subfield& s : f.subfields) {
            const QByteArray codeData = QString(s.code).append(s.value).toUtf8();
            yaz_marc_add_subfield(mt, codeData.constData(), static_cast<size_t>(codeData.size()));
            length += 1 + codeData.size();
        }
        if (iso && length > kIso2709FieldMax)
            return false;
        total += kEntry + length;
    }
    if ((iso && total > kIso2709Max) || yaz_marc_write_mode(mt, m_yaz->buffer) != 0)
        return false;
    const qsizetype length = static_cast<qsizetype>(wrbuf_len(m_yaz->buffer));
    if (iso && length != total)
        return false; // YAZ left something out
    if (m_format == Format::MarcXml && !m_any)
        out += kCollectionOpen;
    out.append(wrbuf_buf(m_yaz->buffer), length);
    m_any = true;
    return true;
}

QByteArray MarcWriter::finish()
{
    if (m_format == Format::Iso2709)
        return {};
    QByteArray end = m_any ? QByteArray() : QByteArray(kCollectionOpen);
    m_any = false;
    return end + kCollectionClose;
}
