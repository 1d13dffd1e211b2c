// Any INI text, with a section and a key taken from the input: setting a
// value and saving the file gives that value back after reading it again,
// and a second save changes nothing.
//   input: one byte N, N bytes of section name, one byte M, M bytes of key
//   name, then the file.

#include "FuzzSupport.h"

#include "core/access/IniFile.h"

#include <string_view>

namespace {

// A plain name made of the input's bytes: letters and digits only, so that
// it can neither open a section nor end a key by itself.
QString plainName(std::string_view bytes)
{
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString name;
    for (const char b : bytes)
        name += QLatin1Char(kAlphabet[static_cast<unsigned char>(b) % (sizeof kAlphabet - 1)]);
    return name.isEmpty() ? QStringLiteral("x") : name;
}

std::string_view take(std::string_view& rest)
{
    if (rest.empty())
        return {};
    const std::size_t n = std::min<std::size_t>(static_cast<unsigned char>(rest[0]), rest.size() - 1);
    const std::string_view piece = rest.substr(1, n);
    rest.remove_prefix(1 + n);
    return piece;
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const QString section = plainName(take(rest));
    const QString key = plainName(take(rest));
    const QString path = FuzzSupport::writeFile(FuzzSupport::scratch(QStringLiteral("prova.ini")), rest.data(), rest.size());

    IniFile ini(path);
    FUZZ_CHECK(ini.readable());
    (void)ini.value(section, key);
    ini.setValue(section, key, u"valore nuovo");
    FUZZ_CHECK(ini.value(section, key) == QLatin1String("valore nuovo"));
    FUZZ_CHECK(ini.save());

    const QByteArray saved = contents(path);
    const IniFile again(path);
    FUZZ_CHECK(again.value(section, key) == QLatin1String("valore nuovo"));
    FUZZ_CHECK(again.save());
    FUZZ_CHECK(contents(path) == saved);
    return 0;
}
