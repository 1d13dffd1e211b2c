// A codes file of any bytes: the reader ends, hands over only trimmed codes
// that are not blank and no longer than a line may be, and refuses a file
// exactly when one of its lines is too long.

#include "FuzzSupport.h"

#include "core/storage/CodesFile.h"
#include "core/text/InputBudget.h"
#include "core/text/Text.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = FuzzSupport::writeFile(FuzzSupport::scratch(QStringLiteral("codici.txt")), bytes.constData(), size);

    // What the file holds, line by line, read another way.
    QStringList expected;
    bool tooLong = false;
    const QList<QByteArray> pieces = bytes.split('\n');
    for (qsizetype i = 0; i < pieces.size() && !tooLong; ++i) {
        QByteArray line = pieces[i];
        const bool ended = i + 1 < pieces.size();
        if (!ended && line.isEmpty())
            break;
        if (ended && line.endsWith('\r'))
            line.chop(1);
        if (line.size() > InputBudget::kCodeLineBytes) {
            tooLong = true;
            break;
        }
        const QString code = Text::trimmed(QString::fromUtf8(line));
        if (!code.isEmpty())
            expected << code;
    }

    QStringList got;
    QString why;
    const CodesFile::Status status = CodesFile::read(
        path, [&got](const QString& code) { got << code; }, &why);
    for (const QString& code : got) {
        FUZZ_CHECK(!code.isEmpty() && code == Text::trimmed(code));
        FUZZ_CHECK(!code.contains(QLatin1Char('\n')));
    }
    if (tooLong) {
        FUZZ_CHECK(status == CodesFile::Status::LineTooLong && !why.isEmpty());
        FUZZ_CHECK(got == expected);
    } else {
        FUZZ_CHECK(status == CodesFile::Status::Done);
        FUZZ_CHECK(got == expected);
    }
    return 0;
}
