#include "web/SruService.h"

#include "core/collections/Collection.h"
#include "core/search/Fold.h"
#include "core/search/SearchTable.h"
#include "core/storage/TextSlot.h"
#include "core/text/Text.h"
#include "web/CatalogueSite.h"
#include "web/CqlQuery.h"
#include "web/PublicFields.h"
#include "web/PublicSearch.h"
#include "web/SruRecords.h"
#include "web/WebBudget.h"
#include "web/WebQuery.h"

#include <QRegularExpression>

#include <cstring>
#include <functional>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kDefaultRecords = 10;

struct Schema {
    QString name;
    QString identifier;
    QString title;
};

const Schema kMarc{u"marcxml"_s, u"info:srw/schema/1/marcxml-v1.1"_s, u"MARCXML"_s};
const Schema kDc{u"dc"_s, u"info:srw/schema/1/dc-v1.1"_s, u"Dublin Core"_s};

const Schema* schemaNamed(const QString& name)
{
    if (name.isEmpty() || name == kMarc.name || name == kMarc.identifier || name == u"marc21"
        || name == u"info:srw/schema/1/marcxml-v1.1-light")
        return &kMarc;
    if (name == kDc.name || name == kDc.identifier)
        return &kDc;
    return nullptr;
}

QString esc(const QString& text)
{
    return text.toHtmlEscaped();
}

// The response's namespace and prefix for each version.
struct Flavour {
    QString prefix;
    QString ns;
    QString diagNs;
    bool v2;
};

Flavour flavourOf(const QString& version)
{
    if (version == u"2.0")
        return {u"sruResponse"_s, u"http://docs.oasis-open.org/ns/search-ws/sruResponse"_s,
            u"http://docs.oasis-open.org/ns/search-ws/diagnostic"_s, true};
    return {u"srw"_s, u"http://www.loc.gov/zing/srw/"_s, u"http://www.loc.gov/zing/srw/diagnostic/"_s, false};
}

WebReply xml(const QString& text)
{
    WebReply r;
    r.contentType = "text/xml; charset=utf-8";
    r.body = (u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"_s + text).toUtf8();
    return r;
}

// The index a client names, as the fields it reads.
enum class Index { Any, Title, Author, Isbn, Subject, Unknown };

Index indexNamed(const QString& name)
{
    static const QStringList any{u""_s, u"cql.anywhere"_s, u"cql.serverchoice"_s, u"serverchoice"_s, u"anywhere"_s, u"cql.keywords"_s,
        u"dc.anywhere"_s, u"bath.any"_s, u"keywords"_s, u"any"_s, u"rec.anywhere"_s, u"text"_s};
    static const QStringList title{u"title"_s, u"dc.title"_s, u"bath.title"_s, u"bib.title"_s, u"rec.title"_s, u"marc.245"_s};
    static const QStringList author{u"author"_s, u"creator"_s, u"dc.creator"_s, u"dc.author"_s, u"dc.contributor"_s, u"bath.author"_s,
        u"bath.name"_s, u"bath.personalname"_s, u"bib.name"_s, u"bib.namepersonal"_s, u"name"_s};
    static const QStringList isbn{u"isbn"_s, u"bath.isbn"_s, u"dc.identifier"_s, u"bib.identifier"_s, u"bib.isbn"_s, u"rec.identifier"_s};
    static const QStringList subject{
        u"subject"_s, u"dc.subject"_s, u"bath.subject"_s, u"bath.topicalsubject"_s, u"bib.subject"_s, u"genre"_s};
    if (any.contains(name))
        return Index::Any;
    if (title.contains(name))
        return Index::Title;
    if (author.contains(name))
        return Index::Author;
    if (isbn.contains(name))
        return Index::Isbn;
    if (subject.contains(name))
        return Index::Subject;
    return Index::Unknown;
}

// An ISBN as its digits and X alone, so "978-88-06..." and "97888..." meet.
std::string isbnDigits(std::string_view text)
{
    std::string out;
    for (char ch : text) {
        if ((ch >= '0' && ch <= '9') || ch == 'x')
            out += ch;
    }
    return out;
}

// One clause ready to match stored bytes.
struct Clause {
    CqlQuery::Relation relation;
    Index index;
    std::vector<const FieldDef*> fields;
    std::vector<std::string> words; // folded; for Adjacent and Exact a single piece
    bool impossible = false;
};

// The CQL tree with its clauses prepared.
struct Test {
    CqlQuery::Join join = CqlQuery::Join::And;
    std::unique_ptr<Clause> clause;
    std::unique_ptr<Test> left, right;
};

// The slot of `f` folded as the filters compare it.
std::string foldedSlot(const Collection& c, const char* record, const FieldDef& f)
{
    const std::string_view raw = TextSlot::raw(record, f, c.layout->kind);
    std::string out(raw.size(), '\0');
    Fold::into(raw, out.data());
    return out;
}

bool clauseMatches(const Collection& c, const char* record, const Clause& clause)
{
    if (clause.impossible)
        return false;
    auto has = [&](const std::string& word) {
        return std::any_of(clause.fields.begin(), clause.fields.end(), [&](const FieldDef* f) {
            if (clause.index == Index::Isbn)
                return isbnDigits(foldedSlot(c, record, *f)).find(word) != std::string::npos;
            return PublicSearch::contains(record, *f, c, word);
        });
    };
    switch (clause.relation) {
    case CqlQuery::Relation::All:
        return std::all_of(clause.words.begin(), clause.words.end(), has);
    case CqlQuery::Relation::Any:
        return std::any_of(clause.words.begin(), clause.words.end(), has);
    case CqlQuery::Relation::Adjacent:
        return has(clause.words.front());
    case CqlQuery::Relation::Exact:
        return std::any_of(clause.fields.begin(), clause.fields.end(), [&](const FieldDef* f) {
            const std::string v = foldedSlot(c, record, *f);
            const std::string_view trimmed = Text::trimmed(std::string_view(v.data(), std::strlen(v.c_str())));
            return clause.index == Index::Isbn ? isbnDigits(trimmed) == clause.words.front() : trimmed == clause.words.front();
        });
    }
    return false;
}

bool testMatches(const Collection& c, const char* record, const Test& t)
{
    if (t.clause)
        return clauseMatches(c, record, *t.clause);
    switch (t.join) {
    case CqlQuery::Join::And:
        return testMatches(c, record, *t.left) && testMatches(c, record, *t.right);
    case CqlQuery::Join::Or:
        return testMatches(c, record, *t.left) || testMatches(c, record, *t.right);
    case CqlQuery::Join::Not:
        return testMatches(c, record, *t.left) && !testMatches(c, record, *t.right);
    }
    return false;
}

// The candidate groups of `t`: what every matching card must have, read
// from the clauses joined by and (and the left side of not) whose fields
// the compact copy holds.
void groupsOf(const Collection& c, const Test& t, std::vector<std::vector<SearchIndex::Needle>>& groups)
{
    if (!t.clause) {
        if (t.join == CqlQuery::Join::Or)
            return;
        groupsOf(c, *t.left, groups);
        if (t.join == CqlQuery::Join::And)
            groupsOf(c, *t.right, groups);
        return;
    }
    const Clause& k = *t.clause;
    if (k.impossible || k.index == Index::Isbn || k.fields.empty())
        return;
    for (const FieldDef* f : k.fields) {
        if (!c.search->filterFor(f->name))
            return;
    }
    // The needles view the clause's own words, which outlive the search.
    auto groupFor = [&](std::size_t from, std::size_t to) {
        std::vector<SearchIndex::Needle> g;
        for (std::size_t i = from; i < to; ++i) {
            for (const FieldDef* f : k.fields)
                g.push_back({f, k.words[i]});
        }
        return g;
    };
    if (k.relation == CqlQuery::Relation::All) {
        for (std::size_t i = 0; i < k.words.size(); ++i)
            groups.push_back(groupFor(i, i + 1));
    } else {
        groups.push_back(groupFor(0, k.words.size()));
    }
}

} // namespace

SruService::SruService(CatalogueSite& site)
    : m_site(site)
{
}

void SruService::setAddress(const QString& host, quint16 port)
{
    m_host = host;
    m_port = port;
}

WebReply SruService::answer(const WebQuery& query)
{
    QString version = query.value(u"version");
    if (version.isEmpty())
        version = u"1.2"_s;
    const QString operation = query.value(u"operation").isEmpty() ? (query.has(u"query") ? u"searchRetrieve"_s : u"explain"_s)
                                                                  : query.value(u"operation");
    if (version != u"1.1" && version != u"1.2" && version != u"2.0")
        return diagnostic(u"1.2"_s, operation, 5, u"1.2"_s);
    if (operation == u"explain")
        return explain(version);
    if (operation == u"searchRetrieve")
        return searchRetrieve(query, version);
    return diagnostic(version, u"explain"_s, 4, operation);
}

WebReply SruService::diagnostic(const QString& version, const QString& operation, int number, const QString& detail)
{
    const Flavour f = flavourOf(version);
    const QString root = operation == u"searchRetrieve" ? u"searchRetrieveResponse"_s : u"explainResponse"_s;
    QString out = u'<' + f.prefix + u':' + root + u" xmlns:"_s + f.prefix + u"=\""_s + f.ns + u"\">\n<"_s + f.prefix + u":version>"_s
        + esc(version) + u"</"_s + f.prefix + u":version>\n"_s;
    if (operation == u"searchRetrieve")
        out += u'<' + f.prefix + u":numberOfRecords>0</"_s + f.prefix + u":numberOfRecords>\n"_s;
    out += u'<' + f.prefix + u":diagnostics>\n<diag:diagnostic xmlns:diag=\""_s + f.diagNs + u"\">\n<diag:uri>info:srw/diagnostic/1/"_s
        + QString::number(number) + u"</diag:uri>\n<diag:details>"_s + esc(detail.left(200)) + u"</diag:details>\n</diag:diagnostic>\n</"_s
        + f.prefix + u":diagnostics>\n</"_s + f.prefix + u':' + root + u">\n"_s;
    return xml(out);
}

WebReply SruService::explain(const QString& version)
{
    const Flavour f = flavourOf(version);
    auto index = [](const QString& title, const QString& set, const QString& name) -> QString {
        return u"<zr:index><zr:title lang=\"it\">"_s + title + u"</zr:title><zr:map><zr:name set=\""_s + set + u"\">"_s + name
            + u"</zr:name></zr:map></zr:index>\n"_s;
    };
    QString data = u"<zr:explain xmlns:zr=\"http://explain.z3950.org/dtd/2.0/\">\n<zr:serverInfo protocol=\"SRU\" version=\""_s
        + esc(version) + u"\">\n<zr:host>"_s + esc(m_host) + u"</zr:host>\n<zr:port>"_s + QString::number(m_port)
        + u"</zr:port>\n<zr:database>sru</zr:database>\n</zr:serverInfo>\n"_s
          u"<zr:databaseInfo><zr:title lang=\"it\" primary=\"true\">Catalogo della biblioteca</zr:title>"_s
          u"<zr:description lang=\"it\">I libri del catalogo, in sola lettura.</zr:description></zr:databaseInfo>\n"_s
          u"<zr:indexInfo>\n<zr:set name=\"cql\" identifier=\"info:srw/cql-context-set/1/cql-v1.2\"/>\n"_s
          u"<zr:set name=\"dc\" identifier=\"info:srw/cql-context-set/1/dc-v1.1\"/>\n"_s
          u"<zr:set name=\"bath\" identifier=\"http://zing.z3950.org/cql/bath/2.0/\"/>\n"_s
        + index(u"ogni parola"_s, u"cql"_s, u"anywhere"_s) + index(u"titolo"_s, u"dc"_s, u"title"_s)
        + index(u"autore"_s, u"dc"_s, u"creator"_s) + index(u"soggetto"_s, u"dc"_s, u"subject"_s) + index(u"ISBN"_s, u"bath"_s, u"isbn"_s)
        + index(u"titolo"_s, u"bath"_s, u"title"_s) + index(u"autore"_s, u"bath"_s, u"author"_s)
        + index(u"soggetto"_s, u"bath"_s, u"subject"_s) + u"</zr:indexInfo>\n<zr:schemaInfo>\n"_s;
    for (const Schema* s : {&kMarc, &kDc})
        data += u"<zr:schema identifier=\""_s + s->identifier + u"\" name=\""_s + s->name + u"\"><zr:title>"_s + s->title
            + u"</zr:title></zr:schema>\n"_s;
    data += u"</zr:schemaInfo>\n<zr:configInfo>\n<zr:default type=\"numberOfRecords\">"_s + QString::number(kDefaultRecords)
        + u"</zr:default>\n<zr:setting type=\"maximumRecords\">"_s + QString::number(WebBudget::kMostRecords)
        + u"</zr:setting>\n</zr:configInfo>\n</zr:explain>"_s;
    const QString p = f.prefix;
    QString out = u'<' + p + u":explainResponse xmlns:"_s + p + u"=\""_s + f.ns + u"\">\n<"_s + p + u":version>"_s + esc(version) + u"</"_s
        + p + u":version>\n<"_s + p + u":record>\n<"_s + p + u":recordSchema>http://explain.z3950.org/dtd/2.0/</"_s + p
        + u":recordSchema>\n"_s
        + (f.v2 ? u'<' + p + u":recordXMLEscaping>xml</"_s + p + u":recordXMLEscaping>\n"_s
                : u'<' + p + u":recordPacking>xml</"_s + p + u":recordPacking>\n"_s)
        + u'<' + p + u":recordData>"_s + data + u"</"_s + p + u":recordData>\n</"_s + p + u":record>\n</"_s + p + u":explainResponse>\n"_s;
    return xml(out);
}

WebReply SruService::searchRetrieve(const WebQuery& query, const QString& version)
{
    const QString op = u"searchRetrieve"_s;
    const QString cql = query.value(u"query");
    if (cql.trimmed().isEmpty())
        return diagnostic(version, op, 7, u"query"_s);
    if (cql.size() > WebBudget::kSearchChars)
        return diagnostic(version, op, 10, u"query troppo lunga"_s);
    bool read = true;
    const int start = query.has(u"startRecord") ? query.value(u"startRecord").toInt(&read) : 1;
    if (!read || start < 1)
        return diagnostic(version, op, 6, u"startRecord"_s);
    const int most = query.has(u"maximumRecords") ? query.value(u"maximumRecords").toInt(&read) : kDefaultRecords;
    if (!read || most < 0)
        return diagnostic(version, op, 6, u"maximumRecords"_s);
    const Schema* schema = schemaNamed(query.value(u"recordSchema"));
    if (!schema)
        return diagnostic(version, op, 66, query.value(u"recordSchema"));
    const QString packing = query.value(version == u"2.0" ? u"recordXMLEscaping"_s : u"recordPacking"_s);
    CqlQuery parsed;
    if (!parsed.read(cql, WebBudget::kCqlNodes))
        return diagnostic(version, op, parsed.diagnostic(), parsed.detail());

    const Collection* books = Collection::find("books");
    const PublicFields& fields = m_site.publicFields(*books);
    std::vector<const FieldDef*> anyFields;
    for (const SearchFilter& sf : books->search->filters) {
        if (fields.isPublic(sf.field))
            anyFields.push_back(books->layout->find(sf.field));
    }
    // Prepares the tree; false with a diagnostic for an index it cannot read.
    int words = 0;
    QString unknown;
    std::function<std::unique_ptr<Test>(const CqlQuery::Node&)> prepare = [&](const CqlQuery::Node& n) -> std::unique_ptr<Test> {
        auto t = std::make_unique<Test>();
        if (!n.isClause()) {
            t->join = n.join;
            t->left = prepare(*n.left);
            t->right = prepare(*n.right);
            return t->left && t->right ? std::move(t) : nullptr;
        }
        auto k = std::make_unique<Clause>();
        k->relation = n.relation;
        k->index = indexNamed(n.index);
        auto add = [&](std::string_view field) {
            if (!field.empty() && fields.isPublic(field))
                k->fields.push_back(books->layout->find(field));
        };
        switch (k->index) {
        case Index::Any:
            k->fields = anyFields;
            break;
        case Index::Title:
            add(books->roles.title);
            break;
        case Index::Author:
            add(books->roles.person);
            break;
        case Index::Isbn:
            add(books->roles.isbn);
            break;
        case Index::Subject:
            add("Genere");
            add(books->roles.dewey);
            break;
        case Index::Unknown:
            unknown = n.index;
            return nullptr;
        }
        // Truncation marks ask for a piece of a word, which is what every
        // match here does anyway.
        QString term = n.term;
        term.remove(u'*').remove(u'?').remove(u'^');
        const QStringList pieces = (k->relation == CqlQuery::Relation::All || k->relation == CqlQuery::Relation::Any)
            ? term.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)
            : QStringList{Text::trimmed(term)};
        for (const QString& piece : pieces) {
            std::string f;
            k->impossible |= !PublicSearch::folded(piece, f);
            if (k->index == Index::Isbn)
                f = isbnDigits(f);
            k->words.push_back(std::move(f));
            ++words;
        }
        if (k->words.empty())
            k->words.emplace_back();
        k->impossible |= k->fields.empty();
        t->clause = std::move(k);
        return t;
    };
    const std::unique_ptr<Test> test = prepare(*parsed.root());
    if (!unknown.isEmpty())
        return diagnostic(version, op, 16, unknown);
    if (!test || words > WebBudget::kSearchWords)
        return diagnostic(version, op, 10, u"troppi termini"_s);

    PublicSearch::Wanted wanted;
    groupsOf(*books, *test, wanted.groups);
    const Test* root = test.get();
    wanted.matches = [books, root](const char* record) { return testMatches(*books, record, *root); };
    std::vector<PublicSearch::Hit> hits;
    QString error;
    PublicSearch& search = m_site.search();
    if (!search.run(*books, search.archives(*books), wanted, hits, error))
        return diagnostic(version, op, 1, u"archivio non leggibile"_s);

    const Flavour f = flavourOf(version);
    const QString p = f.prefix;
    const qsizetype total = static_cast<qsizetype>(hits.size());
    QString out = u'<' + p + u":searchRetrieveResponse xmlns:"_s + p + u"=\""_s + f.ns + u"\">\n<"_s + p + u":version>"_s + esc(version)
        + u"</"_s + p + u":version>\n<"_s + p + u":numberOfRecords>"_s + QString::number(total) + u"</"_s + p + u":numberOfRecords>\n"_s;
    const qsizetype first = start - 1;
    const qsizetype last = std::min<qsizetype>(total, first + std::min(most, WebBudget::kMostRecords));
    const bool asString = packing == u"string";
    if (first < last) {
        out += u'<' + p + u":records>\n"_s;
        for (qsizetype i = first; i < last; ++i) {
            const PublicSearch::Hit& h = hits[static_cast<std::size_t>(i)];
            QByteArray record;
            if (!PublicSearch::readCard(h.archive, *books, h.index, record))
                continue;
            const QString data = schema == &kMarc ? SruRecords::marcXml(*books, record.constData(), fields)
                                                  : SruRecords::dublinCore(*books, record.constData(), fields);
            out += u'<' + p + u":record>\n<"_s + p + u":recordSchema>"_s + schema->identifier + u"</"_s + p + u":recordSchema>\n"_s
                + (f.v2 ? u'<' + p + u":recordXMLEscaping>"_s + (asString ? u"string"_s : u"xml"_s) + u"</"_s + p
                            + u":recordXMLEscaping>\n"_s
                        : u'<' + p + u":recordPacking>"_s + (asString ? u"string"_s : u"xml"_s) + u"</"_s + p + u":recordPacking>\n"_s)
                + u'<' + p + u":recordData>"_s + (asString ? esc(data) : data) + u"</"_s + p + u":recordData>\n<"_s + p
                + u":recordPosition>"_s + QString::number(i + 1) + u"</"_s + p + u":recordPosition>\n</"_s + p + u":record>\n"_s;
        }
        out += u"</"_s + p + u":records>\n"_s;
    }
    if (last < total && last > first)
        out += u'<' + p + u":nextRecordPosition>"_s + QString::number(last + 1) + u"</"_s + p + u":nextRecordPosition>\n"_s;
    if (first >= total && total > 0 && most > 0)
        out += u'<' + p + u":diagnostics>\n<diag:diagnostic xmlns:diag=\""_s + f.diagNs
            + u"\">\n<diag:uri>info:srw/diagnostic/1/61</diag:uri>\n<diag:details>"_s + QString::number(start)
            + u"</diag:details>\n</diag:diagnostic>\n</"_s + p + u":diagnostics>\n"_s;
    out += u"</"_s + p + u":searchRetrieveResponse>\n"_s;
    return xml(out);
}
