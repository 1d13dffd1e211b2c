#include "Catalogue.h"

#include "core/access/PasswordFile.h"
#include "core/collections/Collection.h"
#include "core/access/SettingsFile.h"
#include "core/desk/Stocktake.h"
#include "core/storage/AttachmentFolder.h"

#include <QDir>
#include <QFileInfo>
#include "core/text/Text.h"

namespace {

bool isYear(QStringView stem)
{
    if (stem.size() != 4)
        return false;
    for (QChar c : stem) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

QStringList settingsFiles()
{
    return {PasswordFile::kFileName, SettingsFile::name(), Stocktake::fileName()};
}

} // namespace

namespace Catalogue {

QStringList present(const QString& folder)
{
    QStringList names;
    const QDir dir(folder);
    for (const Collection* c : Collection::all()) {
        if (!c->yearly()) {
            const QString name = c->archiveName();
            if (QFileInfo(dir.filePath(name)).isFile())
                names << name;
            continue;
        }
        const QString suffix = Text::latin1(c->yearlySuffix);
        QStringList years = dir.entryList({QStringLiteral("*") + suffix}, QDir::Files, QDir::Name);
        for (const QString& name : years) {
            // entryList matches without regard to case on some systems.
            if (name.endsWith(suffix) && isYear(QStringView(name).chopped(suffix.size())))
                names << name;
        }
    }
    const QDir attachments(dir.filePath(kAttachments));
    if (QFileInfo(attachments.path()).isDir()) {
        names << kAttachments + QLatin1Char('/');
        for (const QString& name : attachments.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
            if (AttachmentFolder::isBareName(name))
                names << kAttachments + QLatin1Char('/') + name;
        }
    }
    for (const QString& name : settingsFiles()) {
        if (QFileInfo(dir.filePath(name)).isFile())
            names << name;
    }
    return names;
}

Kind kindOf(const QString& name, const Collection** collection)
{
    if (collection)
        *collection = nullptr;
    if (name == kAttachments + QLatin1Char('/'))
        return Kind::AttachmentsFolder;
    if (name.startsWith(kAttachments + QLatin1Char('/')))
        return AttachmentFolder::isBareName(QStringView(name).mid(kAttachments.size() + 1)) ? Kind::Attachment : Kind::Unknown;
    if (settingsFiles().contains(name))
        return Kind::Settings;
    for (const Collection* c : Collection::all()) {
        bool match = false;
        if (!c->yearly()) {
            match = name == c->archiveName();
        } else {
            const QString suffix = Text::latin1(c->yearlySuffix);
            match = name.endsWith(suffix) && isYear(QStringView(name).chopped(suffix.size()));
        }
        if (match) {
            if (collection)
                *collection = c;
            return Kind::Archive;
        }
    }
    return Kind::Unknown;
}

} // namespace Catalogue
