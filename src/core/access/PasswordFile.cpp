#include "PasswordFile.h"

#include "core/access/IniFile.h"
#include "core/storage/ProgramFolder.h"

namespace PasswordFile {

QString path()
{
    return ProgramFolder::file(kFileName);
}

std::optional<QString> readStored(const QString& file)
{
    const IniFile ini(file);
    if (!ini.readable())
        return std::nullopt;
    return ini.value(kSection, kKey);
}

bool writeStored(const QString& value, const QString& file)
{
    IniFile ini(file);
    ini.setValue(kSection, kKey, value);
    return ini.save();
}

} // namespace PasswordFile
