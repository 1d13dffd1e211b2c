#pragma once

#include <QString>

// The program folder's own settings file of the additions, "Tomaria.ini":
// the loans keep their days in section "Prestiti", the safety copies their
// folder and number in section "Copie". The password file is never touched.
namespace SettingsFile {

QString name(); // "Tomaria.ini"
QString path(); // in the program folder

} // namespace SettingsFile
