#include "DeskSettings.h"

#include "core/access/IniFile.h"
#include "core/labels/LabelSheet.h"
#include "core/access/SettingsFile.h"
#include "core/storage/ProgramFolder.h"

namespace {
const QString kLoans = QStringLiteral("Prestiti");
const QString kPeriod = QStringLiteral("Durata");
const QString kLibrary = QStringLiteral("Biblioteca");
const QString kPlace = QStringLiteral("Luogo");

QString value(const QString& section, const QString& key)
{
    return IniFile(SettingsFile::path()).value(section, key).trimmed();
}
} // namespace

namespace DeskSettings {

int loanDays()
{
    bool ok = false;
    const int n = value(kLoans, kPeriod).toInt(&ok);
    return ok && loanDaysRefusal(n).isEmpty() ? n : kDefaultLoanDays;
}

QString loanDaysRefusal(int days)
{
    if (days < 1 || days > kMaxLoanDays)
        return QStringLiteral("la durata del prestito va da 1 a %1 giorni").arg(kMaxLoanDays);
    return {};
}

bool setLoanDays(int days)
{
    if (!loanDaysRefusal(days).isEmpty())
        return false;
    IniFile ini(SettingsFile::path());
    if (!ini.readable())
        return false;
    ini.setValue(kLoans, kPeriod, QString::number(days));
    return ini.save();
}

QString libraryName()
{
    return LabelSettings::libraryName().trimmed();
}

QString libraryPlace()
{
    return value(kLibrary, kPlace);
}

bool setLibraryPlace(const QString& place)
{
    IniFile ini(SettingsFile::path());
    if (!ini.readable())
        return false;
    ini.setValue(kLibrary, kPlace, place.trimmed());
    return ini.save();
}

} // namespace DeskSettings
