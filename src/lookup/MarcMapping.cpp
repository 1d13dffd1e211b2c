#include "MarcMapping.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/storage/Record.h"
#include "core/text/Clock.h"
#include "core/text/Text.h"
#include "lookup/Isbn.h"
#include "lookup/MarcRecord.h"

#include <algorithm>
#include <map>
#include <string_view>

namespace {

using Syntax = Catalogue::Syntax;
using Field = MarcRecord::DataField;

// MARC language codes (the bibliographic and the terminology form where
// they differ) and the card's list names.
struct LanguageName {
    std::u16string_view code;
    std::string_view name;
};
// clang-format off
constexpr LanguageName kLanguages[] = {
    {u"ita", "Italiano"}, {u"eng", "Inglese"}, {u"fre", "Francese"}, {u"fra", "Francese"},
    {u"ger", "Tedesco"}, {u"deu", "Tedesco"}, {u"spa", "Spagnolo"}, {u"por", "Portoghese"},
    {u"lat", "Latino"}, {u"grc", "Greco antico"}, {u"gre", "Greco"}, {u"ell", "Greco"},
    {u"rus", "Russo"}, {u"jpn", "Giapponese"}, {u"chi", "Cinese"}, {u"zho", "Cinese"},
    {u"ara", "Arabo"}, {u"dut", "Olandese"}, {u"nld", "Olandese"}, {u"swe", "Svedese"},
    {u"dan", "Danese"}, {u"nor", "Norvegese"}, {u"fin", "Finnico"}, {u"pol", "Polacco"},
    {u"cze", "Ceco"}, {u"ces", "Ceco"}, {u"hun", "Ungherese"}, {u"rum", "Rumeno"},
    {u"ron", "Rumeno"}, {u"tur", "Turco"}, {u"heb", "Ebraico"}, {u"hin", "Hindi"},
    {u"kor", "Coreano"}, {u"cat", "Catalano"}, {u"gle", "Irlandese"}, {u"wel", "Gallese"},
    {u"cym", "Gallese"}, {u"alb", "Albanese"}, {u"sqi", "Albanese"}, {u"hrv", "Croato"},
    {u"srp", "Serbo"}, {u"slv", "Sloveno"}, {u"slo", "Slovacco"}, {u"slk", "Slovacco"},
    {u"bul", "Bulgaro"}, {u"ukr", "Ucraino"}, {u"per", "Persiano"}, {u"fas", "Persiano"},
    {u"arm", "Armeno"}, {u"hye", "Armeno"}, {u"baq", "Basco"}, {u"eus", "Basco"},
    {u"ice", "Islandese"}, {u"isl", "Islandese"}, {u"est", "Estone"}, {u"lav", "Lettone"},
    {u"lit", "Lituano"}, {u"glg", "Galiziano"}, {u"srd", "Sardo"}, {u"fur", "Friulano"},
    {u"lad", "Ladino"}, {u"epo", "Esperanto"}, {u"yid", "Yiddish"},
};
// clang-format on

// A subfield's value without the punctuation MARC puts around it: at its
// end in both formats, at its start in UNIMARC ("$b , Isaac").
QString clean(QStringView value)
{
    return MarcMapping::trimEnd(MarcMapping::trimStart(value));
}

// The roles a name's field gives: MARC 21 codes in $4 or terms in $e
// ("ill.", "introd."), UNIMARC codes in $4; lower case, trimmed.
QStringList relators(const Field& f)
{
    QStringList out;
    for (const QString& v : f.all(u'4') + f.all(u'e')) {
        const QString t = clean(v).toLower();
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

bool hasRelator(const Field& f, std::initializer_list<const char*> codes)
{
    for (const QString& t : relators(f))
        for (const char* c : codes)
            if (t == QLatin1String(c))
                return true;
    return false;
}

bool isEditor(const Field& f)
{
    return hasRelator(f, {"edt", "editor", "ed", "curatore", "a cura di", "cur", "340"});
}
bool isTranslator(const Field& f)
{
    return hasRelator(f, {"trl", "translator", "tr", "traduttore", "trad", "730"});
}
// A name is an author when no role is given or one of the roles is the
// author's: an illustrator or a preface writer is not.
bool isAuthor(const Field& f)
{
    const QStringList roles = relators(f);
    if (roles.isEmpty())
        return true;
    for (const QString& t : roles)
        if (t == QLatin1String("aut") || t == QLatin1String("author") || t == QLatin1String("autore") || t == QLatin1String("070")
            || t == QLatin1String("cre") || t == QLatin1String("creator"))
            return true;
    return false;
}

// "Surname, Name": MARC 21 keeps it whole in $a; UNIMARC splits the entry
// element ($a) from the rest of the name ($b).
QString name(const Field& f, Syntax syntax)
{
    const QString a = clean(f.first(u'a'));
    if (syntax == Syntax::Unimarc) {
        const QString b = clean(f.first(u'b'));
        if (!a.isEmpty() && !b.isEmpty())
            return a + QStringLiteral(", ") + b;
    }
    return a;
}

// The first field of `tags` (in that order of preference) that has subfield `code`.
QString firstOf(const MarcRecord& r, std::initializer_list<std::u16string_view> tags, QChar code)
{
    for (std::u16string_view tag : tags)
        for (const Field* f : r.fields(QStringView(tag))) {
            const QString v = clean(f->first(code));
            if (!v.isEmpty())
                return v;
        }
    return {};
}

// The publication field: 264 with second indicator 1 (publication) before
// any other 264, then 260.
const Field* publication(const MarcRecord& r)
{
    const auto f264 = r.fields(u"264");
    for (const Field* f : f264)
        if (f->ind2 == u'1')
            return f;
    if (!f264.isEmpty())
        return f264.first();
    return r.field(u"260");
}

QString digitsOfYear(const QString& text)
{
    // The first run of four digits ("c2001.", "[1998?]", "©2019"); failing
    // that, the digits it has.
    QString run, digits;
    for (QChar c : text) {
        if (c.isDigit() && c.unicode() < 128) {
            run += c;
            digits += c;
            if (run.size() == 4)
                return run;
        } else {
            run.clear();
        }
    }
    return digits;
}

QString dewey(const QString& text)
{
    QString d;
    for (QChar c : text) {
        if (!(c.isDigit() && c.unicode() < 128))
            break;
        d += c;
        if (d.size() == 3)
            return d;
    }
    return d.size() == 3 ? d : QString();
}

// "88-04-12345-6 (broché)": the number without its qualifier, hyphens and
// blanks, so that every ISBN has one form whichever format sent it.
QString isbn(const QString& text)
{
    QString s;
    for (QChar c : Text::trimmed(text)) {
        if ((c.isDigit() && c.unicode() < 128) || c == u'X' || c == u'x')
            s += c == u'x' ? QChar(u'X') : c;
        else if (c != u'-' && c != u' ')
            break;
    }
    return s;
}

QString join(const QStringList& parts, const QString& separator)
{
    QStringList kept;
    for (const QString& p : parts)
        if (!p.isEmpty() && !kept.contains(p))
            kept << p;
    return kept.join(separator);
}

// The fields that one subfield of one tag holds in each format: the table
// both directions read. Fields with the same tag go into one MARC field,
// their subfields in the table's order. Title, names, language and code
// have their own rules below.
// A note is a sentence: its final full stop is its own, not ISBD's.
enum class Kind { Text, Year, Dewey, Isbn, Note };
struct Place {
    std::u16string_view tag;
    char16_t code;
};
struct MappedField {
    std::string_view field;
    Kind kind;
    Place marc21;
    Place unimarc;
    bool local = false; // the library's own: read only when importing
};
// clang-format off
constexpr MappedField kTable[] = {
    {"Dewey",     Kind::Dewey, {u"082", u'a'}, {u"676", u'a'}},
    {"Pagine",    Kind::Text,  {u"300", u'a'}, {u"215", u'a'}},
    {"Editore",   Kind::Text,  {u"260", u'b'}, {u"210", u'c'}},
    {"Isbn",      Kind::Isbn,  {u"020", u'a'}, {u"010", u'a'}},
    {"Citta",     Kind::Text,  {u"260", u'a'}, {u"210", u'a'}},
    {"Anno",      Kind::Year,  {u"260", u'c'}, {u"210", u'd'}},
    {"Collana",   Kind::Text,  {u"490", u'a'}, {u"225", u'a'}},
    {"Originale", Kind::Text,  {u"240", u'a'}, {u"500", u'a'}},
    {"Scaffale",  Kind::Text,  {u"852", u'h'}, {u"852", u'j'}, true},
    {"Note",      Kind::Note,  {u"500", u'a'}, {u"300", u'a'}, true},
};
// clang-format on

Place placeOf(const MappedField& m, Syntax syntax)
{
    return syntax == Syntax::Marc21 ? m.marc21 : m.unimarc;
}

// The fields a table row is read from, in order of preference: the
// publication statement from 264 or 260 (MARC 21) and 210 or 214
// (UNIMARC), a series from 490 or 830.
QList<const Field*> sources(const MarcRecord& r, std::u16string_view tag)
{
    if (tag == u"260") {
        const Field* p = publication(r);
        return p ? QList<const Field*>{p} : QList<const Field*>{};
    }
    if (tag == u"210")
        return r.fields(u"210") + r.fields(u"214");
    if (tag == u"490")
        return r.fields(u"490") + r.fields(u"830");
    return r.fields(QStringView(tag));
}

// The ISBN the record gives that matches one asked for, else its first.
QString chosenIsbn(const QList<const Field*>& fields, QChar code, const QStringList& asked)
{
    QStringList given;
    for (const Field* f : fields)
        for (const QString& v : f->all(code))
            if (const QString i = isbn(v); !i.isEmpty())
                given << i;
    for (const QString& i : given)
        for (const QString& form : Isbn::forms(i))
            if (asked.contains(form))
                return i;
    return given.value(0);
}

using Values = std::map<std::string_view, QString>;

// Editors and translators by their relator; the names that are authors
// (no role, or the author's) join `authors` when it is given.
void contributors(const QList<const Field*>& fields, Syntax syntax, QStringList& editors, QStringList& translators, QStringList* authors)
{
    for (const Field* f : fields) {
        if (isEditor(*f))
            editors << name(*f, syntax);
        else if (isTranslator(*f))
            translators << name(*f, syntax);
        else if (authors && f->first(u't').isEmpty() && isAuthor(*f))
            *authors << name(*f, syntax);
    }
}

void names(const MarcRecord& r, Syntax syntax, Values& v)
{
    QStringList authors, editors, translators;
    if (syntax == Syntax::Marc21) {
        if (const Field* f = r.field(u"100"))
            authors << name(*f, syntax);
        // A 700 without relator (nor a title: a work's entry) is another author.
        contributors(r.fields(u"700"), syntax, editors, translators, &authors);
    } else {
        // 700 and 701 are the authors, unless a role says otherwise; 702
        // the other names; 200 $f the statement when no name has its field.
        contributors(r.fields(u"700") + r.fields(u"701"), syntax, editors, translators, &authors);
        contributors(r.fields(u"702"), syntax, editors, translators, nullptr);
        if (authors.isEmpty())
            if (const Field* f = r.field(u"200"))
                authors << clean(f->first(u'f'));
    }
    v["Autore"] = join(authors, QStringLiteral("; "));
    v["Curatore"] = join(editors, QStringLiteral("; "));
    v["Traduttore"] = join(translators, QStringLiteral("; "));
}

Values read(const MarcRecord& r, Syntax syntax, const MarcMapping::ReadOptions& options)
{
    Values v;
    const bool marc21 = syntax == Syntax::Marc21;
    if (const Field* f = r.field(marc21 ? u"245" : u"200"))
        v["Titolo"] = join({clean(f->first(u'a')), clean(f->first(marc21 ? u'b' : u'e'))}, QStringLiteral(" : "));
    names(r, syntax, v);
    for (const MappedField& m : kTable) {
        if (m.local && !options.localFields)
            continue;
        const Place p = placeOf(m, syntax);
        const QList<const Field*> from = sources(r, p.tag);
        QString value;
        switch (m.kind) {
        case Kind::Isbn:
            value = chosenIsbn(from, QChar(p.code), options.isbns);
            break;
        case Kind::Note:
            if (!from.isEmpty())
                value = Text::trimmed(from.first()->first(QChar(p.code)));
            break;
        case Kind::Text:
        case Kind::Year:
        case Kind::Dewey:
            for (const Field* f : from) {
                value = clean(f->first(QChar(p.code)));
                if (!value.isEmpty())
                    break;
            }
            if (m.kind == Kind::Year)
                value = digitsOfYear(value);
            else if (m.kind == Kind::Dewey)
                value = dewey(value);
            break;
        }
        v[m.field] = value;
    }
    if (!marc21 && v["Originale"].isEmpty())
        v["Originale"] = firstOf(r, {u"454"}, u't');
    if (!marc21 && v["Originale"].isEmpty())
        v["Originale"] = firstOf(r, {u"454"}, u'a');
    if (marc21) {
        v["Lingua"] = MarcMapping::language(r.control(u"008").mid(35, 3));
        if (v["Lingua"].isEmpty())
            v["Lingua"] = MarcMapping::language(firstOf(r, {u"041"}, u'a').left(3));
    } else {
        v["Lingua"] = MarcMapping::language(firstOf(r, {u"101"}, u'a'));
    }
    if (options.localFields && options.codeTag.size() >= 3) {
        const QString tag = options.codeTag.left(3);
        if (tag < QLatin1String("010"))
            v["Codice"] = Text::trimmed(r.control(tag));
        else if (options.codeTag.size() == 4)
            v["Codice"] = firstOf(r, {std::u16string_view(reinterpret_cast<const char16_t*>(tag.utf16()), 3)}, options.codeTag.at(3));
    }
    return v;
}

// The card's fields in its own order, as card() gives them.
// clang-format off
constexpr std::string_view kCardOrder[] = {
    "Titolo", "Codice", "Scaffale", "Autore", "Curatore", "Dewey", "Pagine", "Editore", "Isbn", "Citta", "Anno",
    "Collana", "Originale", "Lingua", "Traduttore", "Note",
};
// clang-format on

} // namespace

QString MarcMapping::trimStart(QStringView value)
{
    QString s = Text::trimmed(value);
    // ", Isaac", ": romanzo", "; 3", "= Title", "/ Name": a mark and a blank.
    while (s.size() >= 2 && QStringView(u",:;=/").contains(s.at(0)) && s.at(1).isSpace())
        s = Text::trimmed(QStringView(s).mid(2));
    if (s.size() == 1 && QStringView(u",:;=/").contains(s.at(0)))
        s.clear();
    return s;
}

QString MarcMapping::trimEnd(QStringView value)
{
    QString s = Text::trimmed(value);
    for (;;) {
        const qsizetype before = s.size();
        for (QStringView tail : {u" /", u" :", u" ;", u" =", u","}) {
            if (s.endsWith(tail))
                s = Text::trimmed(QStringView(s).chopped(tail.size()));
        }
        // A final full stop goes, unless it closes an initial ("Tolkien, J. R. R.")
        // or an abbreviation of one letter ("345 p.").
        if (s.endsWith(u'.') && !s.endsWith(QLatin1String("..."))) {
            const qsizetype n = s.size();
            const bool initial = n >= 2 && s.at(n - 2).isLetter() && (n == 2 || !s.at(n - 3).isLetter());
            if (!initial)
                s = Text::trimmed(QStringView(s).chopped(1));
        }
        if (s.size() == before)
            return s;
    }
}

QString MarcMapping::languageCode(QStringView name)
{
    const QString n = Text::trimmed(name);
    for (const LanguageName& l : kLanguages)
        if (n.compare(Text::utf8(l.name), Qt::CaseInsensitive) == 0)
            return QString::fromUtf16(l.code.data(), static_cast<qsizetype>(l.code.size()));
    return {};
}

QString MarcMapping::language(QStringView code)
{
    const QString c = Text::trimmed(code).toLower();
    for (const LanguageName& l : kLanguages)
        if (QStringView(l.code) == c)
            return Text::utf8(l.name);
    return {};
}

CatalogueRecord MarcMapping::card(const MarcRecord& record, Catalogue::Syntax syntax, const ReadOptions& options)
{
    Values v = read(record, syntax, options);
    // In the card's order; each value goes through the book record's own
    // slot, so it is cut and stored exactly as a Save would store it.
    CatalogueRecord out;
    Record slot(*Books::collection().layout);
    for (std::string_view field : kCardOrder) {
        // MARC-8 and many UTF-8 records write accents as combining marks
        // after the letter; the archive's code page knows only the composed letters.
        const QString composed = v[field].normalized(QString::NormalizationForm_C);
        if (Text::trimmed(composed).isEmpty())
            continue;
        slot.setText(field, composed);
        const QString stored = slot.text(field);
        const QString whole = Text::trimmed(composed);
        if (options.cut && stored.size() < whole.size())
            options.cut->append(Text::latin1(field));
        else if (options.unwritable && stored != whole)
            options.unwritable->append(Text::latin1(field));
        if (!stored.isEmpty())
            out.fields.append({Text::latin1(field), stored});
    }
    return out;
}

const QStringList& MarcMapping::mappedFields()
{
    static const QStringList fields = [] {
        QStringList out;
        for (std::string_view f : kCardOrder)
            out << Text::latin1(f);
        return out;
    }();
    return fields;
}

namespace {

// `indicators`: the two indicator characters.
Field dataField(std::u16string_view tag, const char* indicators)
{
    Field f;
    f.tag = QString::fromUtf16(tag.data(), static_cast<qsizetype>(tag.size()));
    f.ind1 = QLatin1Char(indicators[0]);
    f.ind2 = QLatin1Char(indicators[1]);
    return f;
}

// "Surname, Name; Other, Name": each name of a card's field.
QStringList splitNames(const QString& text)
{
    QStringList out;
    for (const QString& n : text.split(QLatin1Char(';')))
        if (const QString t = Text::trimmed(n); !t.isEmpty())
            out << t;
    return out;
}

// A name's field: MARC 21 keeps "Surname, Name" in $a; UNIMARC splits the
// entry element ($a) from the rest ($b).
Field nameField(std::u16string_view tag, const QString& name, Syntax syntax, const char* relator)
{
    const qsizetype comma = name.indexOf(QLatin1String(", "));
    Field f = dataField(tag, syntax == Syntax::Marc21 ? (comma > 0 ? "1 " : "0 ") : (comma > 0 ? " 1" : " 0"));
    if (syntax == Syntax::Unimarc && comma > 0) {
        f.subfields.append({u'a', name.left(comma)});
        f.subfields.append({u'b', name.mid(comma + 2)});
    } else {
        f.subfields.append({u'a', name});
    }
    if (relator)
        f.subfields.append({u'4', QLatin1String(relator)});
    return f;
}

QString fourDigitYear(const QString& anno)
{
    const QString y = digitsOfYear(anno);
    return y.size() == 4 ? y : QString();
}

} // namespace

MarcRecord MarcMapping::record(const Record& book, Catalogue::Syntax syntax)
{
    const bool marc21 = syntax == Syntax::Marc21;
    const auto text = [&](std::string_view field) { return Text::trimmed(book.text(field)); };
    MarcRecord r;
    // Record length and base address are YAZ's to fill in when it writes.
    r.setLeader(marc21 ? QStringLiteral("00000nam a2200000 i 4500") : QStringLiteral("00000nam0 2200000   450 "));
    if (const QString code = text("Codice"); !code.isEmpty())
        r.addControl(QStringLiteral("001"), code);
    const QString year = fourDigitYear(text("Anno"));
    const QString lang = languageCode(text("Lingua"));
    QList<Field> fields;
    if (marc21) {
        const QDate today = Clock::today();
        // Fixed-length data: entered, dates, place unknown, language, source "d".
        const QString f008 = today.toString(QStringLiteral("yyMMdd")) + (year.isEmpty() ? QStringLiteral("nuuuu") : u's' + year)
            + QStringLiteral("    xx ") + QString(17, u' ') + (lang.isEmpty() ? QStringLiteral("und") : lang) + QStringLiteral(" d");
        r.addControl(QStringLiteral("008"), f008);
        if (!lang.isEmpty()) {
            Field f = dataField(u"041", "0 ");
            f.subfields.append({u'a', lang});
            fields << f;
        }
    } else {
        // General processing data: entered, publication date, Italian
        // cataloguing, UTF-8 ("50"), Latin script.
        Field f = dataField(u"100", "  ");
        f.subfields.append({u'a',
            Clock::today().toString(QStringLiteral("yyyyMMdd")) + (year.isEmpty() ? QStringLiteral("u    ") : u'd' + year)
                + QStringLiteral("        y0itay50      ba")});
        fields << f;
        if (!lang.isEmpty()) {
            Field l = dataField(u"101", "0 ");
            l.subfields.append({u'a', lang});
            fields << l;
        }
    }
    // The title: before the first " : " the title proper, after it the rest.
    if (const QString title = text("Titolo"); !title.isEmpty()) {
        const qsizetype colon = title.indexOf(QLatin1String(" : "));
        Field f = dataField(marc21 ? u"245" : u"200", marc21 ? (text("Autore").isEmpty() ? "00" : "10") : "1 ");
        if (colon > 0) {
            f.subfields.append({u'a', marc21 ? title.left(colon) + QStringLiteral(" :") : title.left(colon)});
            f.subfields.append({marc21 ? u'b' : u'e', title.mid(colon + 3)});
        } else {
            f.subfields.append({u'a', title});
        }
        fields << f;
    }
    const QStringList authors = splitNames(text("Autore"));
    for (qsizetype i = 0; i < authors.size(); ++i)
        fields << nameField(marc21 ? (i == 0 ? u"100" : u"700") : (i == 0 ? u"700" : u"701"), authors[i], syntax, nullptr);
    for (const QString& n : splitNames(text("Curatore")))
        fields << nameField(marc21 ? u"700" : u"702", n, syntax, marc21 ? "edt" : "340");
    for (const QString& n : splitNames(text("Traduttore")))
        fields << nameField(marc21 ? u"700" : u"702", n, syntax, marc21 ? "trl" : "730");
    for (const MappedField& m : kTable) {
        QString value = text(m.field);
        if (value.isEmpty())
            continue;
        // One form for ISBNs: "88-04-33948-9" goes out as "8804339489".
        if (m.kind == Kind::Isbn && !isbn(value).isEmpty())
            value = isbn(value);
        const Place p = placeOf(m, syntax);
        const QString tag = QString::fromUtf16(p.tag.data(), 3);
        auto same = std::find_if(fields.begin(), fields.end(), [&](const Field& f) { return f.tag == tag; });
        if (same == fields.end()) {
            fields << dataField(p.tag, p.tag == u"082" ? "04" : p.tag == u"240" ? "10" : p.tag == u"490" ? "0 " : "  ");
            same = fields.end() - 1;
        }
        same->subfields.append({QChar(p.code), value});
    }
    // MARC keeps its fields in the order of their tags; the subfields of a
    // publication statement in their own (place, publisher, date).
    std::stable_sort(fields.begin(), fields.end(), [](const Field& a, const Field& b) { return a.tag < b.tag; });
    for (Field& f : fields) {
        if (f.tag == QLatin1String("260") || f.tag == QLatin1String("210"))
            std::stable_sort(f.subfields.begin(), f.subfields.end(),
                [](const MarcRecord::Subfield& a, const MarcRecord::Subfield& b) { return a.code < b.code; });
        r.addField(std::move(f));
    }
    return r;
}
