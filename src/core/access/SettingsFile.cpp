#include "SettingsFile.h"

#include "core/storage/ProgramFolder.h"

namespace SettingsFile {

QString name()
{
    return QStringLiteral("Tomaria.ini");
}

QString path()
{
    return ProgramFolder::file(name());
}

} // namespace SettingsFile
