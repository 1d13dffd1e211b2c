#include "AttachmentFolder.h"

#include "core/storage/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

QString AttachmentFolder::path()
{
    return ProgramFolder::file(QStringLiteral("Documenti_Allegati/"));
}

namespace {

// Names Windows gives to devices, with any extension and in any case:
// "nul.txt" is the null device there, not a file.
bool isWindowsDevice(QStringView name)
{
    static const QRegularExpression device(
        QRegularExpression::anchoredPattern(QStringLiteral("(con|prn|aux|nul|com[0-9¹²³]|lpt[0-9¹²³]|conin\\$|conout\\$)([ .].*)?")),
        QRegularExpression::CaseInsensitiveOption);
    return device.match(name.toString()).hasMatch();
}

} // namespace

bool AttachmentFolder::isBareName(QStringView name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QLatin1Char(':'))
        && !name.contains(QChar(0)) && name != QLatin1String(".") && name != QLatin1String("..") && !isWindowsDevice(name);
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
    // Checked here too, whatever the caller did: the name is joined to the
    // folder's path as it stands.
    if (!isBareName(name))
        return false;
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
