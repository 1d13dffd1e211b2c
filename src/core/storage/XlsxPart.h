#pragma once

#include "core/storage/ZipArchive.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

// One XML part of a workbook's package, parsed as it is inflated. Before
// the parser sees them the bytes go through a guard that keeps every token
// within InputBudget::kXmlTokenBytes (a run of text) or kXmlTagBytes (a
// tag with its attributes), drops comments (so that a long one costs only
// the time to pass over it) and refuses a document type declaration (a
// workbook has none; it is where entities would be declared). The part as
// inflated is bounded too (`limit`). Any fault ends the reading; fault()
// then says what it was, in Italian.
class XlsxPart {
public:
    enum class Fault { None, Damaged, TooLarge };

    XlsxPart(zip_t* zip, const QString& name, qint64 limit);

    bool exists() const { return m_file != nullptr; }
    const QString& name() const { return m_name; }

    // The next token; Invalid at a fault, EndDocument at the end.
    QXmlStreamReader::TokenType next();

    // After Invalid: what was wrong.
    Fault fault() const;
    QString faultText() const;

    // An attribute of the current element by its local name, whatever its
    // prefix (`namespaced`: only one with a namespace).
    QString attribute(QLatin1StringView name, bool namespaced = false) const;

    // "_x000D_" and the like decoded: characters XML cannot carry, as the
    // office programs escape them in a text.
    static QString unescaped(const QString& text);

    QXmlStreamReader xml;

private:
    // The bytes of `block` the parser may see; false when a token is over
    // its budget or a declaration is met (m_guardFault says which).
    bool guard(const char* data, qsizetype size, QByteArray& out);

    enum class State { Text, Open, Tag, Comment, CData, Instruction };

    ZipArchive::File m_file;
    QString m_name;
    qint64 m_limit;
    qint64 m_read = 0;
    bool m_ended = false;
    bool m_readFailed = false;
    QString m_guardFault;
    bool m_guardTooLarge = false;

    State m_state = State::Text;
    QByteArray m_opening;  // "<" and what follows, until it says what it opens
    qsizetype m_token = 0; // bytes of the token being passed
    int m_run = 0;         // '-' before a comment's '>', ']' before CDATA's '>'
    char m_quote = 0;      // the quote a tag's attribute is in
};
