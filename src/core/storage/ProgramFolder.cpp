#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString& overridden()
{
    static QString folder;
    return folder;
}
} // namespace

QString ProgramFolder::path()
{
    QString folder = overridden().isEmpty() ? QCoreApplication::applicationDirPath() : overridden();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

void ProgramFolder::setPath(const QString& folder)
{
    overridden() = folder.isEmpty() ? QString() : QDir::fromNativeSeparators(QDir(folder).absolutePath());
}
