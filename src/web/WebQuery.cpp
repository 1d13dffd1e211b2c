#include "web/WebQuery.h"

#include <QStringDecoder>
#include <QUrl>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool WebQuery::decode(QByteArrayView encoded, QString& out, bool plusIsBlank)
{
    QByteArray bytes;
    bytes.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c == '%') {
            if (i + 2 >= encoded.size())
                return false;
            const int high = hexValue(encoded[i + 1]);
            const int low = hexValue(encoded[i + 2]);
            if (high < 0 || low < 0)
                return false;
            bytes.append(static_cast<char>(high * 16 + low));
            i += 2;
        } else if (c == '+' && plusIsBlank) {
            bytes.append(' ');
        } else {
            bytes.append(c);
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    out = utf8(bytes);
    return !utf8.hasError() && !out.contains(QChar(u'\0'));
}

bool WebQuery::read(QByteArrayView encoded)
{
    m_items.clear();
    qsizetype from = 0;
    while (from <= encoded.size()) {
        qsizetype end = encoded.indexOf('&', from);
        if (end < 0)
            end = encoded.size();
        const QByteArrayView pair = encoded.sliced(from, end - from);
        if (!pair.isEmpty()) {
            const qsizetype eq = pair.indexOf('=');
            QString key, value;
            if (!decode(eq < 0 ? pair : pair.first(eq), key) || (eq >= 0 && !decode(pair.sliced(eq + 1), value)))
                return false;
            m_items.append({key, value});
        }
        from = end + 1;
    }
    return true;
}

QString WebQuery::value(QStringView key) const
{
    for (const auto& [k, v] : m_items) {
        if (k == key)
            return v;
    }
    return {};
}

bool WebQuery::has(QStringView key) const
{
    for (const auto& item : m_items) {
        if (item.first == key)
            return true;
    }
    return false;
}

QString WebQuery::encode(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}
