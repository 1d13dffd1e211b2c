#include "web/SruRecords.h"

#include "core/collections/Collection.h"
#include "web/CardFacts.h"
#include "web/PublicFields.h"

#include <QList>
#include <QPair>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

QString esc(const QString& text)
{
    // XML 1.0 has no place for most control characters: they are dropped.
    QString clean;
    clean.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r')
            clean += c;
    }
    return clean.toHtmlEscaped();
}

// The value of `field` when it is public; empty otherwise.
QString publicValue(const Collection& c, const char* record, const PublicFields& fields, std::string_view field)
{
    return !field.empty() && fields.isPublic(field) ? CardFacts::value(c, record, field) : QString();
}

QString dataField(const QString& tag, const QString& ind1, const QString& ind2, const QList<QPair<QChar, QString>>& subfields)
{
    QString out;
    for (const auto& [code, value] : subfields) {
        if (!value.isEmpty())
            out += u"<subfield code=\""_s + code + u"\">"_s + esc(value) + u"</subfield>"_s;
    }
    if (out.isEmpty())
        return {};
    return u"<datafield tag=\""_s + tag + u"\" ind1=\""_s + ind1 + u"\" ind2=\""_s + ind2 + u"\">"_s + out + u"</datafield>\n"_s;
}

} // namespace

QString SruRecords::marcXml(const Collection& c, const char* record, const PublicFields& fields)
{
    auto v = [&](std::string_view field) { return publicValue(c, record, fields, field); };
    QString out = u"<record xmlns=\"http://www.loc.gov/MARC21/slim\">\n<leader>00000nam a2200000 a 4500</leader>\n"_s;
    if (const QString code = v(c.roles.code); !code.isEmpty())
        out += u"<controlfield tag=\"001\">"_s + esc(code) + u"</controlfield>\n"_s;
    // A four-digit year of publication in the fixed data, where the card has one.
    static const QRegularExpression year(QStringLiteral("[0-9]{4}"));
    const QString published = v("Anno");
    const QString year4 = year.match(published).captured();
    out += u"<controlfield tag=\"008\">"_s + u"000000s"_s + (year4.isEmpty() ? u"    "_s : year4) + u"    xx            000 0 und d"_s
        + u"</controlfield>\n"_s;
    out += dataField(u"020"_s, u" "_s, u" "_s, {{u'a', v(c.roles.isbn)}});
    out += dataField(u"082"_s, u"0"_s, u"4"_s, {{u'a', v(c.roles.dewey)}});
    out += dataField(u"100"_s, u"1"_s, u" "_s, {{u'a', v(c.roles.person)}});
    out += dataField(u"240"_s, u"1"_s, u"0"_s, {{u'a', v("Originale")}});
    out += dataField(u"245"_s, v(c.roles.person).isEmpty() ? u"0"_s : u"1"_s, u"0"_s, {{u'a', v(c.roles.title)}});
    out += dataField(u"250"_s, u" "_s, u" "_s, {{u'a', v("Versione")}});
    out += dataField(u"260"_s, u" "_s, u" "_s, {{u'a', v("Citta")}, {u'b', v("Editore")}, {u'c', published}});
    out += dataField(u"300"_s, u" "_s, u" "_s, {{u'a', v("Pagine")}, {u'c', v("Formato")}});
    out += dataField(u"490"_s, u"0"_s, u" "_s, {{u'a', v("Collana")}});
    out += dataField(u"546"_s, u" "_s, u" "_s, {{u'a', v("Lingua")}});
    out += dataField(u"655"_s, u" "_s, u"4"_s, {{u'a', v("Genere")}});
    out += dataField(u"700"_s, u"1"_s, u" "_s, {{u'a', v("Curatore")}, {u'e', v("Curatore").isEmpty() ? QString() : u"curatore"_s}});
    out += dataField(u"700"_s, u"1"_s, u" "_s, {{u'a', v("Traduttore")}, {u'e', v("Traduttore").isEmpty() ? QString() : u"traduttore"_s}});
    out += dataField(u"852"_s, u" "_s, u" "_s, {{u'h', v(c.roles.shelf)}, {u'p', v(c.roles.code)}});
    out += u"</record>"_s;
    return out;
}

QString SruRecords::dublinCore(const Collection& c, const char* record, const PublicFields& fields)
{
    auto v = [&](std::string_view field) { return publicValue(c, record, fields, field); };
    QString out = u"<srw_dc:dc xmlns:srw_dc=\"info:srw/schema/1/dc-schema\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"_s;
    auto add = [&](const QString& element, const QString& value) {
        if (!value.isEmpty())
            out += u"<dc:"_s + element + u'>' + esc(value) + u"</dc:"_s + element + u">\n"_s;
    };
    add(u"title"_s, v(c.roles.title));
    add(u"creator"_s, v(c.roles.person));
    add(u"contributor"_s, v("Curatore"));
    add(u"contributor"_s, v("Traduttore"));
    add(u"subject"_s, v("Genere"));
    if (const QString dewey = v(c.roles.dewey); !dewey.isEmpty())
        add(u"subject"_s, u"Dewey "_s + dewey);
    add(u"publisher"_s, v("Editore"));
    add(u"date"_s, v("Anno"));
    add(u"type"_s, u"Text"_s);
    add(u"format"_s, v("Formato"));
    if (const QString isbn = v(c.roles.isbn); !isbn.isEmpty())
        add(u"identifier"_s, u"ISBN "_s + isbn);
    add(u"language"_s, v("Lingua"));
    add(u"relation"_s, v("Collana"));
    out += u"</srw_dc:dc>"_s;
    return out;
}
