#include "RtfDocument.h"

#include "core/storage/Cp1252.h"
#include "core/text/Text.h"

#include <QSaveFile>

namespace {

constexpr std::string_view kHead = R"({\rtf1\ansi\ansicpg1252\deff0\deflang1040{\fonttbl{\f0\fnil\fcharset0 Verdana;}{\f1\fnil Verdana;}})"
                                   R"({\colortbl ;\red0\green0\blue0;})"
                                   R"(\viewkind4\uc1\pard\qc\cf1\b\f0\fs24 )";
constexpr std::string_view kAfterTitle = R"(\f1\fs16\par \fs24 )";
constexpr int kRuleLength = 48; // underscores under the heading
constexpr std::string_view kParagraph = R"(\par)";
constexpr std::string_view kTail = R"(\par })";
// The first label also leaves the centred heading, whose bold is still on;
// every other label turns bold on. The value follows the label directly.
constexpr std::string_view kFirstLabel = R"(\par \pard\f0\fs20 )";
constexpr std::string_view kLabel = R"(\par \b )";
constexpr std::string_view kAfterLabel = R"(\b0\f1  \f0 )";
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
        case u'\\':
            out.append("\\\\");
            continue;
        case u'{':
            out.append("\\{");
            continue;
        case u'}':
            out.append("\\}");
            continue;
        case u'\r':
            if (i + 1 < t.size() && t[i + 1] == u'\n') {
                out.append("\\line\r\n");
                ++i;
                continue;
            }
            break;
        default:
            break;
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

QByteArray build(const Card& card, const Values& values)
{
    QByteArray out;
    out.reserve(1024);
    append(out, kHead);
    out.append(value(Text::utf8(card.title)));
    append(out, kAfterTitle);
    out.append(kRuleLength, '_');
    append(out, kParagraph);
    for (std::size_t i = 0; i < card.rows.size(); ++i) {
        const Row& row = card.rows[i];
        append(out, i == 0 ? kFirstLabel : kLabel);
        out.append(value(Text::utf8(row.caption)));
        append(out, kAfterLabel);
        out.append(value(values(row.field)));
        if (i + 1 == card.rows.size())
            append(out, kAfterLastValue);
        append(out, kParagraph);
    }
    append(out, kTail);
    return out;
}

bool save(const Card& card, const Values& values, const QString& path)
{
    const QByteArray document = build(card, values);
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
