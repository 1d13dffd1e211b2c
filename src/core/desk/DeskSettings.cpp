#include "DeskSettings.h"

#include "core/access/IniFile.h"
#include "core/labels/LabelSheet.h"
#include "core/access/SettingsFile.h"
#include "core/loans/LoanSettings.h"
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
    return ok && n >= 1 && n <= LoanSettings::kMaxDays ? n : kDefaultLoanDays;
}

bool setLoanDays(int days)
{
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
