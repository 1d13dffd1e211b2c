#include "AttachmentFolder.h"

#include "core/storage/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString AttachmentFolder::path()
{
    return ProgramFolder::file(QStringLiteral("Documenti_Allegati/"));
}

bool AttachmentFolder::isBareName(QStringView name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && name != QLatin1String(".") && name != QLatin1String("..");
}

bool AttachmentFolder::create()
{
    return QDir().mkpath(path()) && QFileInfo(path()).isDir();
}

bool AttachmentFolder::contains(const QString& name)
{
    return QFileInfo::exists(file(name));
}

bool AttachmentFolder::isStored(const QString& source, const QString& name)
{
    const QString a = QFileInfo(source).canonicalFilePath();
    return !a.isEmpty() && a == QFileInfo(file(name)).canonicalFilePath();
}

bool AttachmentFolder::copyIn(const QString& source, const QString& name)
{
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(file(name));
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    constexpr qint64 kBlock = 1 << 20;
    QByteArray block(kBlock, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(block.data(), kBlock);
        if (got < 0) {
            out.cancelWriting();
            break;
        }
        if (got == 0)
            break;
        if (out.write(block.constData(), got) != got) {
            out.cancelWriting();
            break;
        }
    }
    return out.commit();
}
