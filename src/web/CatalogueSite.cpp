#include "web/CatalogueSite.h"

#include "core/access/SettingsFile.h"
#include "core/collections/Collection.h"
#include "core/search/Search.h"
#include "core/search/SearchTable.h"
#include "core/storage/RecordStore.h"
#include "core/text/Text.h"
#include "web/CardFacts.h"
#include "web/PublicFields.h"
#include "web/SruService.h"
#include "web/WebBudget.h"
#include "web/WebQuery.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <map>

using namespace Qt::StringLiterals;

namespace {

struct Named {
    QString name;
    std::string_view key;
};

const Named kCollections[] = {{u"libri"_s, "books"}, {u"dvd"_s, "dvd"}, {u"articoli"_s, "articles"}};

QString esc(const QString& text)
{
    return text.toHtmlEscaped();
}

// The page around `body`: readable on a phone and on a desktop, no script.
QByteArray page(const QString& title, const QString& body, const QString& head = {})
{
    const QString html = u"<!DOCTYPE html>\n<html lang=\"it\">\n<head>\n<meta charset=\"utf-8\">\n"
                         u"<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>"_s
        + esc(title) + u" - Catalogo della biblioteca</title>\n"_s + head
        + u"<style>\n"
          u"body{font-family:sans-serif;max-width:46em;margin:0 auto;padding:0.8em;line-height:1.4;color:#222}\n"
          u"h1{font-size:1.4em}h1 a{color:inherit;text-decoration:none}\n"
          u"label{display:block;margin:0.4em 0 0.1em}input,select,button{font-size:1em;padding:0.35em;box-sizing:border-box}\n"
          u"input,select{width:100%}button{margin-top:0.6em;padding:0.4em 1.4em}\n"
          u"ol.risultati{padding-left:1.6em}ol.risultati li{margin:0.6em 0}\n"
          u".stato{font-size:0.9em}.disponibile{color:#176117}.prestito{color:#8a2a0a}\n"
          u"table{border-collapse:collapse}th{text-align:left;padding-right:1em;vertical-align:top;font-weight:normal;color:#555}\n"
          u"nav a{margin-right:1.2em}\n"
          u"</style>\n</head>\n<body>\n<h1><a href=\"/\">Catalogo della biblioteca</a></h1>\n"_s
        + body + u"\n</body>\n</html>\n"_s;
    return html.toUtf8();
}

// The fields of the form, with the part each plays in a collection.
struct FormField {
    QString name;
    QString label;
};

const FormField kForm[] = {
    {u"titolo"_s, u"Titolo"_s},
    {u"autore"_s, u"Autore o regista"_s},
    {u"soggetto"_s, u"Soggetto o genere"_s},
    {u"anno"_s, u"Anno"_s},
    {u"dewey"_s, u"Classe Dewey"_s},
};

// The record field a form field searches in `collection`; empty when it has
// none ("anno" of the yearly articles chooses the archive instead).
std::string_view fieldFor(const Collection& c, const QString& form)
{
    if (form == u"titolo")
        return c.roles.title;
    if (form == u"autore")
        return c.roles.person;
    if (form == u"soggetto")
        return c.layout->find("Genere") ? std::string_view("Genere") : std::string_view();
    if (form == u"anno")
        return c.yearly() || !c.layout->find("Anno") ? std::string_view() : std::string_view("Anno");
    if (form == u"dewey")
        return c.roles.dewey;
    return {};
}

QString searchForm(const WebQuery& q, const QString& chosen)
{
    QString html
        = u"<form action=\"/\" method=\"get\" role=\"search\">\n<label for=\"c\">Cerca tra</label>\n<select id=\"c\" name=\"c\">\n"_s;
    for (const Named& n : kCollections) {
        const Collection* c = Collection::find(n.key);
        if (!c)
            continue;
        html += u"<option value=\""_s + n.name + u'"' + (n.name == chosen ? u" selected"_s : QString()) + u'>' + esc(Text::utf8(c->caption))
            + u"</option>\n"_s;
    }
    html += u"</select>\n<label for=\"q\">Tutte le parole</label>\n<input id=\"q\" name=\"q\" type=\"search\" maxlength=\""_s
        + QString::number(WebBudget::kSearchChars) + u"\" value=\""_s + esc(q.value(u"q")) + u"\">\n"_s;
    const bool open = std::any_of(
        std::begin(kForm), std::end(kForm), [&](const FormField& f) { return !q.value(f.name).trimmed().isEmpty(); });
    html += u"<details"_s + (open ? u" open"_s : QString()) + u"><summary>Ricerca per campi</summary>\n"_s;
    for (const FormField& f : kForm) {
        html += u"<label for=\""_s + f.name + u"\">"_s + f.label + u"</label>\n<input id=\""_s + f.name + u"\" name=\""_s + f.name
            + u"\" maxlength=\""_s + QString::number(WebBudget::kSearchChars) + u"\" value=\""_s + esc(q.value(f.name)) + u"\">\n"_s;
    }
    html += u"</details>\n<button type=\"submit\">Cerca</button>\n</form>\n"_s;
    return html;
}

QStringList wordsOf(const QString& text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return text.split(blanks, Qt::SkipEmptyParts);
}

} // namespace

CatalogueSite::CatalogueSite(const QString& folder)
    : m_search(folder)
    , m_ini(QDir(folder).absoluteFilePath(SettingsFile::name()))
    , m_sru(std::make_unique<SruService>(*this))
{
}

CatalogueSite::~CatalogueSite() = default;

const Collection* CatalogueSite::collectionNamed(const QString& name)
{
    for (const Named& n : kCollections) {
        if (n.name == name)
            return Collection::find(n.key);
    }
    return nullptr;
}

QString CatalogueSite::nameOf(const Collection& collection)
{
    for (const Named& n : kCollections) {
        if (n.key == collection.key)
            return n.name;
    }
    return {};
}

const PublicFields& CatalogueSite::publicFields(const Collection& collection)
{
    auto it = std::find_if(m_fields.begin(), m_fields.end(), [&](const auto& f) { return &f->collection() == &collection; });
    if (it != m_fields.end())
        m_fields.erase(it);
    m_fields.push_back(std::make_unique<PublicFields>(collection, m_ini));
    return *m_fields.back();
}

WebReply CatalogueSite::errorPage(int status, const QString& message)
{
    QString title;
    switch (status) {
    case 400:
        title = u"Richiesta non valida"_s;
        break;
    case 404:
        title = u"Pagina non trovata"_s;
        break;
    case 405:
        title = u"Metodo non ammesso"_s;
        break;
    case 414:
        title = u"Indirizzo troppo lungo"_s;
        break;
    case 431:
        title = u"Richiesta troppo lunga"_s;
        break;
    case 503:
        title = u"Servizio occupato"_s;
        break;
    default:
        title = u"Errore"_s;
        break;
    }
    WebReply reply;
    reply.status = status;
    reply.body = page(
        title, u"<h2>"_s + esc(title) + u"</h2>\n<p>"_s + esc(message) + u"</p>\n<p><a href=\"/\">Torna alla ricerca</a></p>"_s);
    return reply;
}

WebReply CatalogueSite::answer(QByteArrayView method, QByteArrayView target, QByteArrayView form)
{
    // SRU clients may send their parameters as a form; nothing else is posted.
    const bool sruForm = method == "POST" && (target == "/sru" || target.startsWith("/sru?"));
    if (method != "GET" && method != "HEAD" && !sruForm)
        return errorPage(405, u"Il catalogo si consulta soltanto: nessuna richiesta può modificarlo."_s);
    if (target.size() > WebBudget::kRequestBytes)
        return errorPage(414, u"L'indirizzo richiesto è troppo lungo."_s);
    const qsizetype mark = target.indexOf('?');
    const QByteArrayView path = mark < 0 ? target : target.first(mark);
    WebQuery query;
    if (!query.read(sruForm ? form : mark < 0 ? QByteArrayView() : target.sliced(mark + 1)))
        return errorPage(400, u"L'indirizzo contiene caratteri codificati in modo errato."_s);
    // Only the catalogue's own addresses, compared as sent: no file of the
    // folder is ever reached by a path.
    if (path == "/")
        return searchPage(query);
    if (path == "/scheda")
        return cardPage(query);
    if (path == "/sru")
        return m_sru->answer(query);
    return errorPage(404, u"La pagina richiesta non fa parte del catalogo."_s);
}

WebReply CatalogueSite::searchPage(const WebQuery& q)
{
    const QString cname = q.value(u"c").isEmpty() ? u"libri"_s : q.value(u"c");
    const Collection* collection = collectionNamed(cname);
    if (!collection)
        return errorPage(404, u"Il catalogo non ha questa raccolta."_s);
    const PublicFields& fields = publicFields(*collection);

    // What was asked, within its budget.
    qsizetype chars = 0;
    const QStringList words = wordsOf(q.value(u"q"));
    chars += q.value(u"q").size();
    int terms = static_cast<int>(words.size());
    for (const FormField& f : kForm) {
        chars += q.value(f.name).size();
        terms += static_cast<int>(wordsOf(q.value(f.name)).size());
    }
    if (chars > WebBudget::kSearchChars || terms > WebBudget::kSearchWords)
        return errorPage(400,
            QStringLiteral("La ricerca è troppo lunga: al più %1 parole e %2 caratteri in tutto.")
                .arg(WebBudget::kSearchWords)
                .arg(WebBudget::kSearchChars));
    bool pageRead = true;
    const int pageNo = q.has(u"p") ? q.value(u"p").toInt(&pageRead) : 1;
    if (!pageRead || pageNo < 1 || pageNo > WebBudget::kMostPages)
        return errorPage(400, QStringLiteral("La pagina dei risultati va da 1 a %1.").arg(WebBudget::kMostPages));

    const QString form = searchForm(q, cname);
    // The words and the filters, folded as the search compares them.
    auto folded = std::make_shared<std::vector<std::string>>();
    folded->reserve(static_cast<std::size_t>(WebBudget::kSearchWords) + 8);
    struct Term {
        const FieldDef* field; // nullptr: any searched public field
        std::size_t text;      // in `folded`
    };
    std::vector<Term> wanted;
    bool impossible = false;
    for (const QString& w : words) {
        std::string f;
        impossible |= !PublicSearch::folded(w, f);
        folded->push_back(std::move(f));
        wanted.push_back({nullptr, folded->size() - 1});
    }
    QString year;
    for (const FormField& ff : kForm) {
        const QString text = Text::trimmed(q.value(ff.name));
        if (text.isEmpty())
            continue;
        if (ff.name == u"anno" && collection->yearly()) {
            year = text;
            continue;
        }
        const std::string_view name = fieldFor(*collection, ff.name);
        const FieldDef* def = name.empty() ? nullptr : collection->layout->find(name);
        // A field the collection lacks, or keeps private, finds nothing.
        if (!def || !fields.isPublic(name)) {
            impossible = true;
            continue;
        }
        std::string f;
        impossible |= !PublicSearch::folded(text, f);
        folded->push_back(std::move(f));
        wanted.push_back({def, folded->size() - 1});
    }
    if (wanted.empty() && year.isEmpty())
        return {200, "text/html; charset=utf-8", page(u"Ricerca"_s, form)};

    // Words are looked for in the public fields that the search screen
    // filters on, which the compact copy holds.
    std::vector<const FieldDef*> wordFields;
    for (const SearchFilter& sf : collection->search->filters) {
        const FieldDef* def = collection->layout->find(sf.field);
        if (def && fields.isPublic(sf.field))
            wordFields.push_back(def);
    }
    PublicSearch::Wanted w;
    for (const Term& t : wanted) {
        const std::string_view text((*folded)[t.text]);
        std::vector<SearchIndex::Needle> group;
        if (t.field) {
            if (std::find(wordFields.begin(), wordFields.end(), t.field) != wordFields.end()
                || collection->search->filterFor(t.field->name))
                group.push_back({t.field, text});
        } else {
            for (const FieldDef* f : wordFields)
                group.push_back({f, text});
        }
        // A group the copy cannot answer in full names no candidates: it is
        // left to the records.
        if (!group.empty() && (!t.field || collection->search->filterFor(t.field->name)))
            w.groups.push_back(std::move(group));
    }
    const Collection& c = *collection;
    w.matches = [folded, wanted, wordFields, &c](const char* record) {
        for (const Term& t : wanted) {
            const std::string_view text((*folded)[t.text]);
            if (t.field) {
                if (!PublicSearch::contains(record, *t.field, c, text))
                    return false;
            } else if (std::none_of(wordFields.begin(), wordFields.end(),
                           [&](const FieldDef* f) { return PublicSearch::contains(record, *f, c, text); })) {
                return false;
            }
        }
        return true;
    };
    QString key = cname + u'\x1f' + year;
    for (const Term& t : wanted)
        key += u'\x1f' + (t.field ? Text::latin1(t.field->name) : QString()) + u'=' + Text::latin1((*folded)[t.text]);
    for (const FieldDef* f : wordFields)
        key += u'\x1e' + Text::latin1(f->name);
    w.key = key;

    std::vector<PublicSearch::Hit> hits;
    QString error;
    if (!impossible) {
        const QStringList archives = m_search.archives(c, year);
        if (!m_search.run(c, archives, w, hits, error))
            return errorPage(503, u"Il catalogo non si può leggere in questo momento; riprovare tra poco."_s);
    }

    // This page of the results.
    const qsizetype total = static_cast<qsizetype>(hits.size());
    const qsizetype first = static_cast<qsizetype>(pageNo - 1) * WebBudget::kPageLines;
    const qsizetype last = std::min<qsizetype>(total, first + WebBudget::kPageLines);
    QString self = u"/?c="_s + cname;
    for (const auto& item : q.items()) {
        const QString& k = item.first;
        const QString& v = item.second;
        if (k != u"c" && k != u"p" && !v.isEmpty()
            && (k == u"q" || std::any_of(std::begin(kForm), std::end(kForm), [&](const FormField& f) { return f.name == k; })))
            self += u'&' + k + u'=' + WebQuery::encode(v);
    }
    const QString next = self + u"&p="_s + QString::number(pageNo + 1);
    const QString prev = self + u"&p="_s + QString::number(pageNo - 1);
    const bool hasNext = last < total && pageNo < WebBudget::kMostPages;
    const bool hasPrev = pageNo > 1;

    QString body = form;
    if (total == 0)
        body += u"<p id=\"conteggio\">Nessuna scheda trovata.</p>\n"_s;
    else if (first >= total)
        body += QStringLiteral("<p id=\"conteggio\">%1: questa pagina è oltre l'ultima.</p>\n")
                    .arg(esc(Text::counted(total, u"scheda trovata", u"schede trovate")));
    else
        body += QStringLiteral("<p id=\"conteggio\">%1; dalla %2 alla %3.</p>\n")
                    .arg(esc(Text::counted(total, u"scheda trovata", u"schede trovate")))
                    .arg(first + 1)
                    .arg(last);
    if (first < last) {
        body += QStringLiteral("<ol class=\"risultati\" start=\"%1\">\n").arg(first + 1);
        const std::string_view person = c.roles.person;
        // The page's cards, read with one opening of each archive.
        std::map<QString, std::vector<qint64>> wantedCards;
        for (qsizetype i = first; i < last; ++i)
            wantedCards[hits[static_cast<std::size_t>(i)].archive].push_back(hits[static_cast<std::size_t>(i)].index);
        std::map<std::pair<QString, qint64>, QByteArray> cards;
        for (const auto& [archive, indexes] : wantedCards) {
            const std::vector<QByteArray> read = PublicSearch::readCards(archive, c, indexes);
            for (std::size_t k = 0; k < indexes.size(); ++k)
                cards[{archive, indexes[k]}] = read[k];
        }
        for (qsizetype i = first; i < last; ++i) {
            const PublicSearch::Hit& h = hits[static_cast<std::size_t>(i)];
            const QByteArray& record = cards[{h.archive, h.index}];
            const bool read = !record.isEmpty();
            QString href = u"/scheda?c="_s + cname + u"&n="_s + QString::number(h.index);
            if (c.yearly())
                href += u"&a="_s + QFileInfo(h.archive).fileName().left(4);
            const QString title = read && fields.isPublic(c.roles.title) ? CardFacts::value(c, record.constData(), c.roles.title)
                                                                         : h.line.trimmed();
            body += u"<li data-riga=\""_s + esc(h.line) + u"\"><a href=\""_s + esc(href) + u"\">"_s
                + esc(title.isEmpty() ? u"(senza titolo)"_s : title) + u"</a>"_s;
            if (read) {
                QStringList more;
                if (!person.empty() && fields.isPublic(person))
                    more << CardFacts::value(c, record.constData(), person);
                for (std::string_view extra :
                    {std::string_view("Editore"), std::string_view("Anno"), std::string_view("DataPub"), std::string_view("Testata")}) {
                    if (fields.isPublic(extra))
                        more << CardFacts::value(c, record.constData(), extra);
                }
                more.removeAll(QString());
                if (!more.isEmpty())
                    body += u"<br>"_s + esc(more.join(u" · "_s));
                const QString state = CardFacts::availability(c, record.constData());
                if (!state.isEmpty())
                    body += u"<br><span class=\"stato "_s + (state == u"disponibile" ? u"disponibile"_s : u"prestito"_s) + u"\">"_s
                        + esc(state) + u"</span>"_s;
            }
            body += u"</li>\n"_s;
        }
        body += u"</ol>\n"_s;
    }
    QString head;
    if (hasPrev || hasNext) {
        body += u"<nav>"_s;
        if (hasPrev) {
            body += u"<a rel=\"prev\" href=\""_s + esc(prev) + u"\">Pagina precedente</a>"_s;
            head += u"<link rel=\"prev\" href=\""_s + esc(prev) + u"\">\n"_s;
        }
        if (hasNext) {
            body += u"<a rel=\"next\" href=\""_s + esc(next) + u"\">Pagina successiva</a>"_s;
            head += u"<link rel=\"next\" href=\""_s + esc(next) + u"\">\n"_s;
        }
        body += u"</nav>\n"_s;
    }
    return {200, "text/html; charset=utf-8", page(u"Risultati"_s, body, head)};
}

WebReply CatalogueSite::cardPage(const WebQuery& q)
{
    const Collection* collection = collectionNamed(q.value(u"c"));
    bool numberRead = false;
    const qint64 index = q.value(u"n").toLongLong(&numberRead);
    if (!collection || !numberRead || index < 0)
        return errorPage(404, u"La scheda richiesta non è nel catalogo."_s);
    const Collection& c = *collection;
    QString year;
    if (c.yearly()) {
        static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
        year = q.value(u"a");
        if (!fourDigits.match(year).hasMatch())
            return errorPage(404, u"La scheda richiesta non è nel catalogo."_s);
    }
    const QStringList archives = m_search.archives(c, year);
    QByteArray record;
    if (archives.size() != 1 || !PublicSearch::readCard(archives.front(), c, index, record)
        || !Search(*c.search).listable(record.constData()))
        return errorPage(404, u"La scheda richiesta non è nel catalogo (forse è stata annullata)."_s);
    const PublicFields& fields = publicFields(c);
    const QString title = CardFacts::value(c, record.constData(), c.roles.title);
    QString body = u"<h2>"_s + esc(fields.isPublic(c.roles.title) && !title.isEmpty() ? title : u"Scheda"_s) + u"</h2>\n"_s;
    const QString state = CardFacts::availability(c, record.constData());
    if (!state.isEmpty())
        body += u"<p class=\"stato "_s + (state == u"disponibile" ? u"disponibile"_s : u"prestito"_s) + u"\">"_s
            + esc(state.left(1).toUpper() + state.mid(1)) + u"</p>\n"_s;
    body += u"<table>\n"_s;
    for (const FieldDef* f : fields.fields()) {
        const QString v = CardFacts::value(c, record.constData(), f->name);
        if (!v.isEmpty())
            body += u"<tr><th>"_s + esc(fields.caption(*f)) + u"</th><td>"_s + esc(v).replace(u"\n"_s, u"<br>"_s) + u"</td></tr>\n"_s;
    }
    body += u"</table>\n<p><a href=\"/?c="_s + nameOf(c) + u"\">Nuova ricerca</a></p>\n"_s;
    return {200, "text/html; charset=utf-8", page(title.isEmpty() ? u"Scheda"_s : title, body)};
}
