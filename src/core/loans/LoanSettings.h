#pragma once

#include <QString>

// How many days a book may stay lent before the loans list marks it, kept
// in the settings file (section "Prestiti", key "Giorni").
namespace LoanSettings {

inline constexpr int kDefaultDays = 30;
inline constexpr int kMaxDays = 3650;

// The stored number, or the default when the file, the key or a sound
// number (1 to kMaxDays) is missing.
int days();
// False when the settings file could not be written.
bool setDays(int days);

} // namespace LoanSettings
