#include "XlsxPart.h"

#include "core/text/InputBudget.h"

#include <cstring>

namespace {

constexpr qsizetype kBlock = 64 * 1024;
constexpr QByteArrayView kComment("<!--");
constexpr QByteArrayView kCData("<![CDATA[");

} // namespace

XlsxPart::XlsxPart(zip_t* zip, const QString& name, qint64 limit)
    : m_file(zip_fopen(zip, name.toUtf8().constData(), 0))
    , m_name(name)
    , m_limit(limit)
{
}

QXmlStreamReader::TokenType XlsxPart::next()
{
    for (;;) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token != QXmlStreamReader::Invalid || xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || m_ended)
            return token;
        if (!m_file || m_readFailed || !m_guardFault.isEmpty())
            return QXmlStreamReader::Invalid;
        if (m_read > m_limit) {
            m_guardTooLarge = true;
            m_guardFault = QStringLiteral("supera %1 MB").arg(m_limit / (1024 * 1024));
            return QXmlStreamReader::Invalid;
        }
        QByteArray block(kBlock, Qt::Uninitialized);
        const zip_int64_t got = zip_fread(m_file.get(), block.data(), zip_uint64_t(block.size()));
        if (got < 0) {
            m_readFailed = true;
            return QXmlStreamReader::Invalid;
        }
        m_read += got;
        if (got == 0) {
            m_ended = true;
            return xml.readNext();
        }
        QByteArray passed;
        if (!guard(block.constData(), qsizetype(got), passed))
            return QXmlStreamReader::Invalid;
        xml.addData(passed);
    }
}

bool XlsxPart::guard(const char* data, qsizetype size, QByteArray& out)
{
    out.reserve(size);
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        switch (m_state) {
        case State::Text: {
            if (c == '<') {
                m_state = State::Open;
                m_opening = "<";
                continue;
            }
            // The run of text up to the next tag, at once.
            const char* lt = static_cast<const char*>(std::memchr(data + i, '<', std::size_t(size - i)));
            const qsizetype run = (lt ? lt - data : size) - i;
            m_token += run;
            if (m_token > InputBudget::kXmlTokenBytes) {
                m_guardTooLarge = true;
                m_guardFault = QStringLiteral("ha un testo di oltre %1 MB").arg(InputBudget::kXmlTokenBytes / (1024 * 1024));
                return false;
            }
            out.append(data + i, run);
            i += run - 1;
            continue;
        }
        case State::Open: {
            m_opening += c;
            const QByteArrayView seen(m_opening);
            if (seen == kComment) {
                m_state = State::Comment;
                m_run = 0;
                continue;
            }
            if (seen == kCData) {
                m_state = State::CData;
                m_run = 0;
                m_token = 0;
                out += m_opening;
                continue;
            }
            if (m_opening.size() == 2 && c == '?') {
                m_state = State::Instruction;
                m_run = 0;
                m_token = 0;
                out += m_opening;
                continue;
            }
            if (m_opening.size() == 2 && c != '!') {
                // An element's tag: this character is its first.
                m_state = State::Tag;
                m_quote = 0;
                m_token = 0;
                out += '<';
                --i;
                continue;
            }
            if (kComment.startsWith(seen) || kCData.startsWith(seen))
                continue;
            m_guardFault = QStringLiteral("contiene una dichiarazione <!...> che un foglio di calcolo non usa");
            return false;
        }
        case State::Tag: {
            // Up to the '>' that closes the tag (one inside quotes does not),
            // handed over at once.
            qsizetype end = i;
            for (; end < size; ++end) {
                const char d = data[end];
                if (m_quote != 0) {
                    if (d == m_quote)
                        m_quote = 0;
                } else if (d == '"' || d == '\'') {
                    m_quote = d;
                } else if (d == '>') {
                    break;
                }
            }
            m_token += end - i;
            if (m_token > InputBudget::kXmlTagBytes) {
                m_guardTooLarge = true;
                m_guardFault = QStringLiteral("ha un elemento con attributi di oltre %1 byte").arg(InputBudget::kXmlTagBytes);
                return false;
            }
            out.append(data + i, end - i);
            if (end < size) {
                out += '>';
                m_state = State::Text;
                m_token = 0;
            }
            i = end;
            continue;
        }
        case State::Comment:
            // Passed over, never handed to the parser.
            if (c == '>' && m_run >= 2) {
                m_state = State::Text;
                m_token = 0;
            }
            m_run = c == '-' ? m_run + 1 : 0;
            continue;
        case State::CData:
        case State::Instruction: {
            const char closer = m_state == State::CData ? ']' : '?';
            const int needed = m_state == State::CData ? 2 : 1;
            out += c;
            if (c == '>' && m_run >= needed) {
                m_state = State::Text;
                m_token = 0;
                continue;
            }
            m_run = c == closer ? m_run + 1 : 0;
            if (++m_token > InputBudget::kXmlTokenBytes) {
                m_guardTooLarge = true;
                m_guardFault = QStringLiteral("ha un testo di oltre %1 MB").arg(InputBudget::kXmlTokenBytes / (1024 * 1024));
                return false;
            }
            continue;
        }
        }
    }
    return true;
}

XlsxPart::Fault XlsxPart::fault() const
{
    if (m_guardTooLarge)
        return Fault::TooLarge;
    return m_readFailed || !m_guardFault.isEmpty() || xml.hasError() ? Fault::Damaged : Fault::None;
}

QString XlsxPart::faultText() const
{
    if (m_readFailed)
        return QStringLiteral("la parte %1 del file è danneggiata").arg(m_name);
    if (!m_guardFault.isEmpty())
        return QStringLiteral("la parte %1 del file %2").arg(m_name, m_guardFault);
    return QStringLiteral("la parte %1 del file non è XML valido (riga %2: %3)").arg(m_name).arg(xml.lineNumber()).arg(xml.errorString());
}

QString XlsxPart::attribute(QLatin1StringView name, bool namespaced) const
{
    for (const QXmlStreamAttribute& a : xml.attributes()) {
        if (a.name() == name && (!namespaced || !a.namespaceUri().isEmpty()))
            return a.value().toString();
    }
    return {};
}

QString XlsxPart::unescaped(const QString& text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('_') && i + 6 < text.size() && text[i + 1] == QLatin1Char('x') && text[i + 6] == QLatin1Char('_')) {
            bool ok = false;
            const uint code = text.mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}
