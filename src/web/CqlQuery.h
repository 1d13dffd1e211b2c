#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// A CQL query as a library's SRU client sends it, read into a tree: search
// clauses (an index, a relation, a term; a bare term searches every index)
// joined by and, or and not, with parentheses. Relations: "=" and "all"
// (every word of the term), "any" (one of them), "adj" (the words as one
// piece), "==" and "exact" (the whole field, blanks trimmed and A-Z case
// ignored). What it cannot read is reported as an SRU diagnostic.
class CqlQuery {
public:
    enum class Relation { All, Any, Adjacent, Exact };
    enum class Join { And, Or, Not };

    struct Node {
        // A clause when `left` is null.
        QString index; // lower case, prefix kept ("dc.title"); empty: every index
        Relation relation = Relation::All;
        QString term;
        Join join = Join::And;
        std::unique_ptr<Node> left, right;
        bool isClause() const { return !left; }
    };

    // Reads `text`; false with `diagnostic` (an SRU diagnostic number) and
    // `detail` set when it is not CQL this service reads, or has more than
    // `mostNodes` clauses and joins.
    bool read(const QString& text, int mostNodes);

    const Node* root() const { return m_root.get(); }
    int diagnostic() const { return m_diagnostic; }
    QString detail() const { return m_detail; }

private:
    struct Token {
        enum Kind { Word, Quoted, Open, Close, Relation, End } kind;
        QString text;
    };
    bool tokenize(const QString& text);
    std::unique_ptr<Node> query();
    std::unique_ptr<Node> clause();
    bool fail(int diagnostic, const QString& detail);
    const Token& peek() const { return m_tokens[m_at]; }

    std::vector<Token> m_tokens;
    std::size_t m_at = 0;
    int m_nodes = 0;
    int m_mostNodes = 0;
    int m_depth = 0;
    std::unique_ptr<Node> m_root;
    int m_diagnostic = 0;
    QString m_detail;
};
