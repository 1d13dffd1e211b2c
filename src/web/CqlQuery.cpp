#include "web/CqlQuery.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kSyntax = 10;   // query syntax error
constexpr int kRelation = 19; // unsupported relation
constexpr int kModifier = 20; // unsupported relation modifier
constexpr int kBoolean = 37;  // unsupported boolean operator
constexpr int kTooComplex = 10;

bool isSpecial(QChar c)
{
    return c == u'(' || c == u')' || c == u'=' || c == u'<' || c == u'>' || c == u'/' || c == u'"';
}

} // namespace

bool CqlQuery::fail(int diagnostic, const QString& detail)
{
    if (m_diagnostic == 0) {
        m_diagnostic = diagnostic;
        m_detail = detail;
    }
    return false;
}

bool CqlQuery::tokenize(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'(') {
            m_tokens.push_back({Token::Open, u"("_s});
            ++i;
        } else if (c == u')') {
            m_tokens.push_back({Token::Close, u")"_s});
            ++i;
        } else if (c == u'/') {
            return fail(kModifier, u"/"_s);
        } else if (c == u'=' || c == u'<' || c == u'>') {
            QString r(c);
            ++i;
            while (i < text.size() && (text[i] == u'=' || text[i] == u'>'))
                r += text[i++];
            m_tokens.push_back({Token::Relation, r});
        } else if (c == u'"') {
            QString t;
            ++i;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == u'\\' && i + 1 < text.size()) {
                    t += text[i + 1];
                    i += 2;
                } else if (text[i] == u'"') {
                    closed = true;
                    ++i;
                    break;
                } else {
                    t += text[i++];
                }
            }
            if (!closed)
                return fail(kSyntax, u"virgolette non chiuse"_s);
            m_tokens.push_back({Token::Quoted, t});
        } else {
            QString t;
            while (i < text.size() && !text[i].isSpace() && !isSpecial(text[i]))
                t += text[i++];
            m_tokens.push_back({Token::Word, t});
        }
    }
    m_tokens.push_back({Token::End, {}});
    return true;
}

bool CqlQuery::read(const QString& text, int mostNodes)
{
    m_tokens.clear();
    m_at = 0;
    m_nodes = 0;
    m_depth = 0;
    m_mostNodes = mostNodes;
    m_root.reset();
    m_diagnostic = 0;
    m_detail.clear();
    if (!tokenize(text))
        return false;
    if (peek().kind == Token::End)
        return fail(27, u"query vuota"_s);
    m_root = query();
    if (m_root && peek().kind != Token::End) {
        m_root.reset();
        return fail(kSyntax, peek().text);
    }
    return m_root != nullptr;
}

std::unique_ptr<CqlQuery::Node> CqlQuery::query()
{
    std::unique_ptr<Node> left = clause();
    while (left && peek().kind == Token::Word) {
        const QString op = peek().text.toLower();
        Join join;
        if (op == u"and")
            join = Join::And;
        else if (op == u"or")
            join = Join::Or;
        else if (op == u"not")
            join = Join::Not;
        else if (op == u"prox")
            return fail(kBoolean, op), nullptr;
        else
            return fail(kSyntax, peek().text), nullptr;
        ++m_at;
        if (++m_nodes > m_mostNodes)
            return fail(kTooComplex, u"troppi termini"_s), nullptr;
        std::unique_ptr<Node> right = clause();
        if (!right)
            return nullptr;
        auto joined = std::make_unique<Node>();
        joined->join = join;
        joined->left = std::move(left);
        joined->right = std::move(right);
        left = std::move(joined);
    }
    return left;
}

std::unique_ptr<CqlQuery::Node> CqlQuery::clause()
{
    if (++m_nodes > m_mostNodes)
        return fail(kTooComplex, u"troppi termini"_s), nullptr;
    if (peek().kind == Token::Open) {
        if (++m_depth > m_mostNodes)
            return fail(kTooComplex, u"troppi termini"_s), nullptr;
        ++m_at;
        std::unique_ptr<Node> inner = query();
        if (!inner)
            return nullptr;
        if (peek().kind != Token::Close)
            return fail(kSyntax, u"parentesi non chiusa"_s), nullptr;
        ++m_at;
        --m_depth;
        return inner;
    }
    if (peek().kind != Token::Word && peek().kind != Token::Quoted)
        return fail(kSyntax, peek().text), nullptr;
    auto node = std::make_unique<Node>();
    const Token first = peek();
    ++m_at;
    // index relation term, or a bare term.
    const Token& next = peek();
    const QString rel = next.text.toLower();
    const bool namedRelation = next.kind == Token::Word
        && (rel == u"all" || rel == u"any" || rel == u"adj" || rel == u"exact" || rel == u"within" || rel == u"encloses");
    if (first.kind == Token::Word && (next.kind == Token::Relation || namedRelation)) {
        node->index = first.text.toLower();
        ++m_at;
        if (rel == u"=" || rel == u"all")
            node->relation = Relation::All;
        else if (rel == u"any")
            node->relation = Relation::Any;
        else if (rel == u"adj")
            node->relation = Relation::Adjacent;
        else if (rel == u"==" || rel == u"exact")
            node->relation = Relation::Exact;
        else
            return fail(kRelation, next.text), nullptr;
        if (peek().kind != Token::Word && peek().kind != Token::Quoted)
            return fail(kSyntax, u"termine mancante"_s), nullptr;
        node->term = peek().text;
        ++m_at;
    } else {
        node->term = first.text;
    }
    return node;
}
