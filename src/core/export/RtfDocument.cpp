#include "RtfDocument.h"

#include "core/storage/Cp1252.h"
#include "core/text/Text.h"

#include <QSaveFile>

#include <iterator>

namespace {

constexpr std::string_view kHead =
    R"({\rtf1\ansi\ansicpg1252\deff0\deflang1040{\fonttbl{\f0\fnil\fcharset0 Verdana;}{\f1\fnil Verdana;}})"
    R"({\colortbl ;\red0\green0\blue0;})"
    R"(\viewkind4\uc1\pard\qc\cf1\b\f0\fs24 SCHEDA ARTICOLO\f1\fs16)"
    R"(\par \fs24 )";
constexpr int kRuleLength = 48; // underscores under the heading
constexpr std::string_view kParagraph = R"(\par)";
constexpr std::string_view kTail = R"(\par })";

struct Field {
    std::string_view label; // ends with "\f0 ": the value follows directly
    std::string_view field;
};

// The first label also leaves the centred heading; the heading's bold is
// still on for it.
constexpr Field kFields[] = {
    {R"(\par \pard\f0\fs20 Titolo articolo:\b0\f1  \f0 )", "Titolo"},
    {R"(\par \b Data pubblicazione:\b0\f1  \f0 )", "DataPub"},
    {R"(\par \b Genere:\b0\f1  \f0 )", "Genere"},
    {R"(\par \b Nome autore:\b0\f1  \f0 )", "Autore"},
    {R"(\par \b Nome testata:\b0\f1  \f0 )", "Testata"},
    {R"(\par \b Numero testata:\b0\f1  \f0 )", "NumTestata"},
    {R"(\par \b Testo articolo:\b0\f1  \f0 )", "Testo"},
    {R"(\par \b Sintesi:\b0\f1  \f0 )", "Sintesi"},
    {R"(\par \b Valutazione:\b0\f1  \f0 )", "Valutazione"},
    {R"(\par \b Note:\b0\f1  \f0 )", "Note"},
};
constexpr std::string_view kAfterLastValue = R"(\b)";

void append(QByteArray& out, std::string_view piece)
{
    out.append(piece.data(), static_cast<qsizetype>(piece.size()));
}

// One value as the document holds it.
QByteArray value(QStringView text)
{
    const QString t = Text::trimmed(text);
    QByteArray out;
    out.reserve(t.size() + 16);
    for (qsizetype i = 0; i < t.size(); ++i) {
        const char16_t ch = t[i].unicode();
        switch (ch) {
        case u'\\': out.append("\\\\"); continue;
        case u'{': out.append("\\{"); continue;
        case u'}': out.append("\\}"); continue;
        case u'\r':
            if (i + 1 < t.size() && t[i + 1] == u'\n') {
                out.append("\\line\r\n");
                ++i;
                continue;
            }
            break;
        default: break;
        }
        if (const unsigned char b = Cp1252::byteFor(ch); b != 0) {
            out.append(static_cast<char>(b));
        } else {
            // RTF reads N as a signed 16-bit number; each half of a
            // surrogate pair is written on its own.
            const int n = ch > 0x7FFF ? int(ch) - 0x10000 : int(ch);
            out.append("\\u").append(QByteArray::number(n)).append('?');
        }
    }
    return out;
}

} // namespace

namespace RtfDocument {

QByteArray build(const Values& values)
{
    QByteArray out;
    out.reserve(1024);
    append(out, kHead);
    out.append(kRuleLength, '_');
    append(out, kParagraph);
    for (const Field& f : kFields) {
        append(out, f.label);
        out.append(value(values(f.field)));
        if (&f == std::end(kFields) - 1)
            append(out, kAfterLastValue);
        append(out, kParagraph);
    }
    append(out, kTail);
    return out;
}

bool save(const Values& values, const QString& path)
{
    const QByteArray document = build(values);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Flushed here: commit() would rename a file whose buffered bytes
    // failed to reach the disk without saying so.
    if (file.write(document) != document.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace RtfDocument
