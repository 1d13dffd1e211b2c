#pragma once

#include <QString>

// Who makes the program and where to reach them: used by the main menu,
// the information and credits screens and the help texts.
namespace Maker {
inline const QString kName = QStringLiteral("Studio Tomaria");
inline const QString kSite = QStringLiteral("https://www.tomaria.example");
inline const QString kSiteWithoutScheme = QStringLiteral("www.tomaria.example");
inline const QString kEmail = QStringLiteral("assistenza@tomaria.example");
} // namespace Maker
