#pragma once

#include "core/backup/SafetyCopy.h"

class TForm;

// The safety copy taken when the program closes, after the user's last
// screen: when one is due, the main menu (if shown) says so on one line
// while it runs, and a failure is told in an error box. The catalogue is
// never touched.
namespace CopyAtClose {

// The line's control on the main menu.
inline const QString kLineName = QStringLiteral("lblCopia");
inline const QString kDone = QStringLiteral("Copia di sicurezza del catalogo creata e verificata.");
inline const QString kFailed = QStringLiteral("Copia di sicurezza del catalogo non riuscita.");

// `ran` says whether a copy was due and tried.
SafetyCopy::Outcome run(TForm* menu, bool* ran = nullptr);

} // namespace CopyAtClose
