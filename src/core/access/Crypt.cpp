#include "Crypt.h"

#include "core/storage/Cp1252.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

constexpr std::uint16_t kStart = 0x5B3E;
constexpr std::uint16_t kMultiplier = 0xD2B7;
constexpr std::uint16_t kAddend = 0x91F6;

constexpr std::uint8_t highByte(std::uint16_t key)
{
    return static_cast<std::uint8_t>(key >> 8);
}

// The key moves on with the scrambled byte, modulo 65536. Computed in
// unsigned 32 bits: two 16-bit values would be promoted to int, whose
// product overflows for most keys.
constexpr std::uint16_t nextKey(std::uint16_t key, std::uint8_t scrambled)
{
    const std::uint32_t sum = (std::uint32_t{scrambled} + key) & 0xFFFFu;
    return static_cast<std::uint16_t>(sum * std::uint32_t{kMultiplier} + kAddend);
}
// A constant evaluation refuses overflow: this stops the build if the
// product is ever made in int again.
static_assert(nextKey(0xFFFF, 0) == 0xBF3F);

int hexValue(char16_t ch)
{
    if (ch >= u'0' && ch <= u'9')
        return ch - u'0';
    if (ch >= u'A' && ch <= u'F')
        return ch - u'A' + 10;
    if (ch >= u'a' && ch <= u'f')
        return ch - u'a' + 10;
    return -1;
}

} // namespace

namespace Crypt {

QString Cripta(QStringView password)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const QByteArray bytes = Cp1252::encode(password.left(kMaxLength));
    QString out;
    out.reserve(bytes.size() * 2);
    std::uint16_t key = kStart;
    for (const char c : bytes) {
        const auto b = static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) ^ highByte(key));
        out.append(QLatin1Char(kDigits[b >> 4]));
        out.append(QLatin1Char(kDigits[b & 0x0F]));
        key = nextKey(key, b);
    }
    return out;
}

std::optional<QString> Decripta(QStringView stored)
{
    const qsizetype n = std::min<qsizetype>(stored.size() / 2, kMaxLength);
    // Every pair is read before any character is made.
    std::string scrambled(static_cast<std::size_t>(n), '\0');
    for (qsizetype i = 0; i < n; ++i) {
        const int hi = hexValue(stored[2 * i].unicode());
        const int lo = hexValue(stored[2 * i + 1].unicode());
        if (hi < 0 || lo < 0)
            return std::nullopt;
        scrambled[static_cast<std::size_t>(i)] = static_cast<char>(hi * 16 + lo);
    }
    std::string plain(scrambled.size(), '\0');
    std::uint16_t key = kStart;
    for (std::size_t i = 0; i < scrambled.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(scrambled[i]);
        plain[i] = static_cast<char>(b ^ highByte(key));
        key = nextKey(key, b);
    }
    return Cp1252::decode(plain);
}

} // namespace Crypt
