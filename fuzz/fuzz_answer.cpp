// A catalogue's answer of any bytes, as its record would come: read as
// MARCXML (an SRU answer) and as ISO 2709 in both character sets (a Z39.50
// answer), then mapped to the book card in both syntaxes. Nothing may
// crash or hang, and a card holds each of its fields once, named.

#include "FuzzSupport.h"

#include "lookup/MarcMapping.h"
#include "lookup/MarcRecord.h"

#include <QSet>

namespace {

void map(const MarcRecord& record)
{
    for (const Catalogue::Syntax syntax : {Catalogue::Syntax::Marc21, Catalogue::Syntax::Unimarc}) {
        const CatalogueRecord card = MarcMapping::card(record, syntax);
        QSet<QString> names;
        for (const auto& [field, value] : card.fields) {
            FUZZ_CHECK(!field.isEmpty());
            FUZZ_CHECK(!names.contains(field));
            names.insert(field);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    MarcRecord xml;
    if (xml.readXml(bytes))
        map(xml);
    for (const char* charset : {"marc-8", "utf-8"}) {
        MarcRecord iso;
        if (iso.readIso2709(bytes, charset))
            map(iso);
    }
    return 0;
}
