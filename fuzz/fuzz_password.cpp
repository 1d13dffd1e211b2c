// The password file as any editor may have left it: reading never fails on
// a regular file, a stored value either unscrambles or is refused, and
// writing a new value keeps it readable and leaves only that value changed
// for the login to find.

#include "FuzzSupport.h"

#include "core/access/Crypt.h"
#include "core/access/PasswordFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString file = FuzzSupport::writeFile(FuzzSupport::scratch(PasswordFile::kFileName), reinterpret_cast<const char*>(data), size);
    const std::optional<QString> stored = PasswordFile::readStored(file);
    FUZZ_CHECK(stored.has_value());
    (void)Crypt::Decripta(*stored);

    const QString fresh = Crypt::Cripta(u"NUOVA PASSWORD");
    FUZZ_CHECK(PasswordFile::writeStored(fresh, file));
    FUZZ_CHECK(PasswordFile::readStored(file) == std::optional<QString>(fresh));
    FUZZ_CHECK(Crypt::Decripta(fresh) == std::optional<QString>(QStringLiteral("NUOVA PASSWORD")));
    return 0;
}
