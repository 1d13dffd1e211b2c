#pragma once

#include <QString>

#include <optional>

// The password file "unins000.dll": despite its name an INI text file whose
// key "Valore" of section "Accesso" holds the scrambled password. Nothing
// else in it is read or changed.
namespace PasswordFile {

inline const QString kFileName = QStringLiteral("unins000.dll");
inline const QString kSection = QStringLiteral("Accesso");
inline const QString kKey = QStringLiteral("Valore");

// The password file of the program folder.
QString path();

// The stored value; empty when the file, the section or the key is
// missing; nothing when the file is there but cannot be read (or is not a
// regular file).
std::optional<QString> readStored(const QString& file = path());

// Replaces the stored value (creating the file when missing). False when
// the file could not be written; the old value then stays in place.
bool writeStored(const QString& value, const QString& file = path());

} // namespace PasswordFile
