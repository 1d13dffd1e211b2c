#pragma once

#include <QString>

// The lending desk's settings, in the program folder's "Tomaria.ini" beside
// the loans list's days: how many days a DVD is lent for (section
// "Prestiti", key "Durata") and the library's name and place that head the
// reminder letters: the name the barcode labels print (section
// "Etichette") and the place (section "Biblioteca", key "Luogo").
namespace DeskSettings {

inline constexpr int kDefaultLoanDays = 14;
inline constexpr int kMaxLoanDays = 365;

// The stored period, or the default when it is missing or not a number
// from 1 to kMaxLoanDays.
int loanDays();
// Why `days` cannot be the period, empty when it can.
QString loanDaysRefusal(int days);
// False when `days` is refused or the settings file could not be written.
bool setLoanDays(int days);

QString libraryName();
QString libraryPlace();
bool setLibraryPlace(const QString& place);

} // namespace DeskSettings
