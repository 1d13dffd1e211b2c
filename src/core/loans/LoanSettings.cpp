#include "LoanSettings.h"

#include "core/access/IniFile.h"
#include "core/storage/ProgramFolder.h"

namespace {
const QString kSection = QStringLiteral("Prestiti");
const QString kKey = QStringLiteral("Giorni");
} // namespace

namespace LoanSettings {

QString fileName()
{
    return QStringLiteral("Tomaria.ini");
}

int days()
{
    const IniFile ini(ProgramFolder::file(fileName()));
    bool ok = false;
    const int n = ini.value(kSection, kKey).toInt(&ok);
    return ok && n >= 1 && n <= kMaxDays ? n : kDefaultDays;
}

bool setDays(int days)
{
    IniFile ini(ProgramFolder::file(fileName()));
    if (!ini.readable())
        return false;
    ini.setValue(kSection, kKey, QString::number(days));
    return ini.save();
}

} // namespace LoanSettings
