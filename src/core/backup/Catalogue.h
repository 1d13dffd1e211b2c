#pragma once

#include <QString>
#include <QStringList>

struct Collection;

// What a safety copy holds: the program folder's catalogue and nothing
// else. Every collection's archives (a yearly collection's by their
// four-digit names), the attached files, the password file and the
// program's settings file; never the executables or the exports. Names are
// relative to the program folder, with "/" between folder and file.
namespace Catalogue {

inline const QString kAttachments = QStringLiteral("Documenti_Allegati");

// The catalogue files that exist now in `folder` (with its trailing
// separator), archives first, in a stable order.
QStringList present(const QString& folder);

enum class Kind {
    Unknown,
    Archive,           // a collection's archive
    AttachmentsFolder, // "Documenti_Allegati/"
    Attachment,        // "Documenti_Allegati/NAME" with a bare NAME
    Settings,          // the password file or the settings file
};

// What a name found in a copy stands for; `collection` is set for archives.
Kind kindOf(const QString& name, const Collection** collection = nullptr);

} // namespace Catalogue
