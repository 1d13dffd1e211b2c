#include "MarcMapping.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/storage/Record.h"
#include "core/text/Text.h"
#include "lookup/MarcRecord.h"

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

// A relator: MARC 21 code in $4 or term in $e; UNIMARC code in $4.
bool hasRelator(const Field& f, std::initializer_list<const char*> codes)
{
    for (const QString& v : f.all(u'4') + f.all(u'e')) {
        const QString t = MarcMapping::trimEnd(v).toLower();
        for (const char* c : codes)
            if (t == QLatin1String(c))
                return true;
    }
    return false;
}

bool isEditor(const Field& f)
{
    return hasRelator(f, {"edt", "editor", "curatore", "340"});
}
bool isTranslator(const Field& f)
{
    return hasRelator(f, {"trl", "translator", "traduttore", "730"});
}

// "Surname, Name": MARC 21 keeps it whole in $a; UNIMARC splits the entry
// element ($a) from the rest of the name ($b).
QString name(const Field& f, Syntax syntax)
{
    const QString a = MarcMapping::trimEnd(f.first(u'a'));
    if (syntax == Syntax::Unimarc) {
        const QString b = MarcMapping::trimEnd(f.first(u'b'));
        if (!a.isEmpty() && !b.isEmpty())
            return a + QStringLiteral(", ") + b;
    }
    return a;
}

// The first field of `tags` (in that order of preference) that has subfield `code`.
QString firstOf(const MarcRecord& r, std::initializer_list<const char16_t*> tags, QChar code)
{
    for (const char16_t* tag : tags)
        for (const Field* f : r.fields(QStringView(tag))) {
            const QString v = MarcMapping::trimEnd(f->first(code));
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

QString isbn(const QString& text)
{
    // "88-04-12345-6 (broché)": the number without its qualifier.
    QString s;
    for (QChar c : Text::trimmed(text)) {
        if ((c.isDigit() && c.unicode() < 128) || c == u'-' || c == u'X' || c == u'x')
            s += c == u'x' ? QChar(u'X') : c;
        else
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

struct Mapped {
    QString titolo, autore, curatore, editore, citta, anno, pagine, collana, lingua, originale, traduttore, dewey, isbn;
};

// Editors and translators by their relator; the others join `authors`
// when it is given.
void contributors(const QList<const Field*>& fields, Syntax syntax, Mapped& m, QStringList* authors)
{
    QStringList editors, translators;
    for (const Field* f : fields) {
        if (isEditor(*f))
            editors << name(*f, syntax);
        else if (isTranslator(*f))
            translators << name(*f, syntax);
        else if (authors && f->first(u't').isEmpty())
            *authors << name(*f, syntax);
    }
    m.curatore = join(editors, QStringLiteral("; "));
    m.traduttore = join(translators, QStringLiteral("; "));
}

Mapped marc21(const MarcRecord& r)
{
    Mapped m;
    if (const Field* f = r.field(u"245"))
        m.titolo = join({MarcMapping::trimEnd(f->first(u'a')), MarcMapping::trimEnd(f->first(u'b'))}, QStringLiteral(" : "));
    QStringList authors;
    if (const Field* f = r.field(u"100"))
        authors << name(*f, Syntax::Marc21);
    // A 700 without relator (nor a title: a work's entry) is another author.
    contributors(r.fields(u"700"), Syntax::Marc21, m, &authors);
    m.autore = join(authors, QStringLiteral("; "));
    if (const Field* p = publication(r)) {
        m.citta = MarcMapping::trimEnd(p->first(u'a'));
        m.editore = MarcMapping::trimEnd(p->first(u'b'));
        m.anno = digitsOfYear(p->first(u'c'));
    }
    m.pagine = firstOf(r, {u"300"}, u'a');
    m.collana = firstOf(r, {u"490", u"830"}, u'a');
    m.lingua = MarcMapping::language(r.control(u"008").mid(35, 3));
    if (m.lingua.isEmpty())
        m.lingua = MarcMapping::language(firstOf(r, {u"041"}, u'a').left(3));
    m.originale = firstOf(r, {u"240"}, u'a');
    m.dewey = dewey(firstOf(r, {u"082"}, u'a'));
    m.isbn = isbn(firstOf(r, {u"020"}, u'a'));
    return m;
}

Mapped unimarc(const MarcRecord& r)
{
    Mapped m;
    if (const Field* f = r.field(u"200")) {
        m.titolo = join({MarcMapping::trimEnd(f->first(u'a')), MarcMapping::trimEnd(f->first(u'e'))}, QStringLiteral(" : "));
        m.autore = MarcMapping::trimEnd(f->first(u'f'));
    }
    QStringList authors;
    for (const char16_t* tag : {u"700", u"701"})
        for (const Field* f : r.fields(QStringView(tag)))
            authors << name(*f, Syntax::Unimarc);
    if (!authors.isEmpty())
        m.autore = join(authors, QStringLiteral("; "));
    contributors(r.fields(u"702"), Syntax::Unimarc, m, nullptr);
    const MarcRecord::DataField* p = r.field(u"210");
    if (!p)
        p = r.field(u"214");
    if (p) {
        m.citta = MarcMapping::trimEnd(p->first(u'a'));
        m.editore = MarcMapping::trimEnd(p->first(u'c'));
        m.anno = digitsOfYear(p->first(u'd'));
    }
    m.pagine = firstOf(r, {u"215"}, u'a');
    m.collana = firstOf(r, {u"225"}, u'a');
    m.lingua = MarcMapping::language(firstOf(r, {u"101"}, u'a'));
    m.originale = firstOf(r, {u"500"}, u'a');
    if (m.originale.isEmpty())
        m.originale = firstOf(r, {u"454"}, u't');
    if (m.originale.isEmpty())
        m.originale = firstOf(r, {u"454"}, u'a');
    m.dewey = dewey(firstOf(r, {u"676"}, u'a'));
    m.isbn = isbn(firstOf(r, {u"010"}, u'a'));
    return m;
}

} // namespace

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

QString MarcMapping::language(QStringView code)
{
    const QString c = Text::trimmed(code).toLower();
    for (const LanguageName& l : kLanguages)
        if (QStringView(l.code) == c)
            return Text::utf8(l.name);
    return {};
}

CatalogueRecord MarcMapping::card(const MarcRecord& record, Catalogue::Syntax syntax)
{
    const Mapped m = syntax == Syntax::Marc21 ? marc21(record) : unimarc(record);
    // In the card's order; each value goes through the book record's own
    // slot, so it is cut and stored exactly as a Save would store it.
    // clang-format off
    const std::pair<std::string_view, const QString*> order[] = {
        {"Titolo", &m.titolo}, {"Autore", &m.autore}, {"Curatore", &m.curatore}, {"Dewey", &m.dewey},
        {"Pagine", &m.pagine}, {"Editore", &m.editore}, {"Isbn", &m.isbn}, {"Citta", &m.citta},
        {"Anno", &m.anno}, {"Collana", &m.collana}, {"Originale", &m.originale}, {"Lingua", &m.lingua},
        {"Traduttore", &m.traduttore},
    };
    // clang-format on
    CatalogueRecord out;
    Record slot(*Books::collection().layout);
    for (const auto& [field, value] : order) {
        // MARC-8 and many UTF-8 records write accents as combining marks
        // after the letter; the archive's code page knows only the composed letters.
        const QString composed = value->normalized(QString::NormalizationForm_C);
        if (Text::trimmed(composed).isEmpty())
            continue;
        slot.setText(field, composed);
        const QString stored = slot.text(field);
        if (!stored.isEmpty())
            out.fields.append({Text::latin1(field), stored});
    }
    return out;
}
