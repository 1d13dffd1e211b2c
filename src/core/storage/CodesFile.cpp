#include "CodesFile.h"

#include "core/text/InputBudget.h"
#include "core/text/Text.h"

#include <QFile>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QFileInfo>
#endif

namespace {

// Opens `path` for reading if it is a regular file. Non-blocking, so that
// a FIFO does not wait for a writer; the type is taken from the open file,
// so that nothing can be swapped in between the look and the read.
CodesFile::Status openRegular(const QString& path, QFile& file)
{
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT ? CodesFile::Status::NotFound : CodesFile::Status::ReadError;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return CodesFile::Status::NotRegular;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return CodesFile::Status::ReadError;
    }
#else
    const QFileInfo info(path);
    if (!info.exists())
        return CodesFile::Status::NotFound;
    if (!info.isFile())
        return CodesFile::Status::NotRegular;
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return CodesFile::Status::ReadError;
#endif
    return CodesFile::Status::Done;
}

} // namespace

CodesFile::Status CodesFile::read(const QString& path, const std::function<void(const QString&)>& onCode, QString* why)
{
    QFile file;
    const Status opened = openRegular(path, file);
    switch (opened) {
    case Status::Done:
        break;
    case Status::NotFound:
        *why = QStringLiteral("il file non esiste");
        return opened;
    case Status::NotRegular:
        *why = QStringLiteral("non è un file di testo ordinario (una cartella, una pipe o un dispositivo)");
        return opened;
    default:
        *why = QStringLiteral("impossibile aprire il file");
        return Status::ReadError;
    }
    // One line at a time, never more than the longest code allowed and its
    // line break: a longer line is refused as soon as it is seen.
    qsizetype codes = 0;
    qint64 line = 0;
    QByteArray buffer(InputBudget::kCodeLineBytes + 3, Qt::Uninitialized);
    while (!file.atEnd()) {
        ++line;
        const qint64 got = file.readLine(buffer.data(), buffer.size());
        if (got < 0) {
            *why = QStringLiteral("errore di lettura alla riga %1").arg(line);
            return Status::ReadError;
        }
        QByteArrayView text(buffer.constData(), got);
        const bool ended = text.endsWith('\n');
        if (ended)
            text.chop(text.endsWith("\r\n") ? 2 : 1);
        if (text.size() > InputBudget::kCodeLineBytes || (!ended && !file.atEnd())) {
            *why = QStringLiteral("la riga %1 supera %2 caratteri: non è un codice").arg(line).arg(InputBudget::kCodeLineBytes);
            return Status::LineTooLong;
        }
        const QString code = Text::trimmed(QString::fromUtf8(text));
        if (code.isEmpty())
            continue;
        if (++codes > InputBudget::kCodes) {
            *why = QStringLiteral("il file contiene più di %1 codici (riga %2)").arg(InputBudget::kCodes).arg(line);
            return Status::TooManyCodes;
        }
        onCode(code);
    }
    return Status::Done;
}
