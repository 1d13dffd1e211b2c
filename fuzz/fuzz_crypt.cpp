// Cripta and Decripta on any text: every password comes back from its
// stored value, and any stored value that Decripta accepts is what Cripta
// makes of the password it gives, in capitals and cut to whole pairs.

#include "FuzzSupport.h"

#include "core/access/Crypt.h"
#include "core/storage/Cp1252.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const QString password = Cp1252::decode(bytes);
    const QString stored = Crypt::Cripta(password);
    FUZZ_CHECK(stored.size() == 2 * std::min<qsizetype>(password.size(), Crypt::kMaxLength));
    FUZZ_CHECK(Crypt::Decripta(stored) == std::optional<QString>(password.left(Crypt::kMaxLength)));

    const QString typed = QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    if (const std::optional<QString> plain = Crypt::Decripta(typed)) {
        const qsizetype pairs = std::min<qsizetype>(typed.size() / 2, Crypt::kMaxLength);
        FUZZ_CHECK(plain->size() == pairs);
        FUZZ_CHECK(Crypt::Cripta(*plain) == typed.left(2 * pairs).toUpper());
    }
    return 0;
}
