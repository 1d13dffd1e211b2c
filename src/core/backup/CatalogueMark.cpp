#include "CatalogueMark.h"

#include "core/access/IniFile.h"

#include <QDir>
#include <QUuid>

namespace {

const QString kSection = QStringLiteral("Catalogo");
const QString kIdKey = QStringLiteral("Identita");
const QString kLastKey = QStringLiteral("UltimaCopia");
const QString kLastPathKey = QStringLiteral("UltimaCopiaFile");
const QString kStamp = QStringLiteral("yyyy-MM-dd-HHmmss");
const QString kCommentHead = QStringLiteral("Tomaria catalogo ");

} // namespace

namespace CatalogueMark {

QString identity(const QString& program, bool create)
{
    IniFile ini(program + kFileName);
    QString id = ini.value(kSection, kIdKey);
    if (!id.isEmpty() || !create || !ini.readable())
        return id;
    id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    ini.setValue(kSection, kIdKey, id);
    return ini.save() ? id : QString();
}

QString comment(const QString& identity, const QString& program)
{
    return kCommentHead + identity + QLatin1Char('\n') + QDir::toNativeSeparators(QDir::cleanPath(program));
}

Owner parse(const QString& text)
{
    if (!text.startsWith(kCommentHead))
        return {};
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    Owner owner;
    owner.identity = text.mid(kCommentHead.size(), end < 0 ? -1 : end - kCommentHead.size()).trimmed();
    if (end >= 0)
        owner.folder = text.mid(end + 1).trimmed();
    return owner;
}

LastCopy lastCopy(const QString& program)
{
    const IniFile ini(program + kFileName);
    return {QDateTime::fromString(ini.value(kSection, kLastKey), kStamp), ini.value(kSection, kLastPathKey)};
}

bool recordCopy(const QString& program, const QDateTime& when, const QString& path)
{
    IniFile ini(program + kFileName);
    if (!ini.readable())
        return false;
    ini.setValue(kSection, kLastKey, when.toString(kStamp));
    ini.setValue(kSection, kLastPathKey, QDir::toNativeSeparators(path));
    return ini.save();
}

} // namespace CatalogueMark
