#include "Cp1252.h"

namespace {

// 0x80-0x9F; the five positions Windows leaves undefined map to the C1
// control of the same value, so every byte round-trips.
constexpr char16_t kHigh[32] = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

} // namespace

namespace Cp1252 {

unsigned char byteFor(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<unsigned char>(ch);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == ch)
            return static_cast<unsigned char>(0x80 + i);
    }
    return 0;
}

QByteArray encode(QStringView text, bool* exact)
{
    QByteArray out;
    out.reserve(text.size());
    bool ok = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        const unsigned char b = byteFor(ch);
        if (b == 0 && ch != 0) {
            ok = false;
            out.append('?');
            // A surrogate pair is one character: one "?" for both halves.
            if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
        } else {
            out.append(static_cast<char>(b));
        }
    }
    if (exact)
        *exact = ok;
    return out;
}

QString decode(std::string_view bytes)
{
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* dst = out.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *dst++ = QChar(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b));
    }
    return out;
}

} // namespace Cp1252
