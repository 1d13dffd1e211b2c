#pragma once

#include <QString>

// How many days a book may stay lent before the loans list marks it, kept
// in the program folder's own settings file "Tomaria.ini" (section
// "Prestiti", key "Giorni"), beside the other settings of the additions
// (the safety copies keep their folder and number in section "Copie");
// the password file is never touched.
namespace LoanSettings {

inline constexpr int kDefaultDays = 30;
inline constexpr int kMaxDays = 3650;

QString fileName(); // "Tomaria.ini"

// The stored number, or the default when the file, the key or a sound
// number (1 to kMaxDays) is missing.
int days();
// False when the settings file could not be written.
bool setDays(int days);

} // namespace LoanSettings
