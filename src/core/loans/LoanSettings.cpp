#include "LoanSettings.h"

#include "core/access/IniFile.h"
#include "core/access/SettingsFile.h"

namespace {
const QString kSection = QStringLiteral("Prestiti");
const QString kKey = QStringLiteral("Giorni");
} // namespace

namespace LoanSettings {

int days()
{
    const IniFile ini(SettingsFile::path());
    bool ok = false;
    const int n = ini.value(kSection, kKey).toInt(&ok);
    return ok && n >= 1 && n <= kMaxDays ? n : kDefaultDays;
}

bool setDays(int days)
{
    IniFile ini(SettingsFile::path());
    if (!ini.readable())
        return false;
    ini.setValue(kSection, kKey, QString::number(days));
    return ini.save();
}

} // namespace LoanSettings
