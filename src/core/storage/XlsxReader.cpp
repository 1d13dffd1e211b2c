#include "XlsxReader.h"

#include "core/storage/XlsxPackage.h"
#include "core/storage/XlsxPart.h"
#include "core/storage/XlsxSharedStrings.h"
#include "core/storage/XlsxSheet.h"
#include "core/storage/XlsxStyles.h"
#include "core/storage/ZipArchive.h"

#include <QIODevice>

XlsxReader::XlsxReader(QIODevice& device)
    : m_device(device)
{
}

bool XlsxReader::looksZipped(const QByteArray& head)
{
    return head.startsWith("PK\x03\x04");
}

QStringList XlsxReader::firstRow(QIODevice& device)
{
    QStringList first;
    XlsxReader reader(device);
    reader.read([&](Row& row) {
        for (const QByteArray& cell : row.fields)
            first << QString::fromUtf8(cell);
        return false;
    });
    while (!first.isEmpty() && first.back().isEmpty())
        first.removeLast();
    return first;
}

bool XlsxReader::isWorkbook(QIODevice& device)
{
    const qint64 at = device.pos();
    bool workbook = false;
    if (ZipArchive::Handle zip = ZipArchive::read(device))
        workbook = !XlsxPackage::findWorkbook(zip.get()).isEmpty();
    device.seek(at);
    return workbook;
}

XlsxReader::Status XlsxReader::read(const std::function<bool(Row&)>& onRow)
{
    m_error.clear();
    m_errorLine = 0;
    const ZipArchive::Handle zip = ZipArchive::read(m_device);
    if (!zip) {
        m_error = QStringLiteral("il file non è un archivio zip leggibile");
        return Status::NotWorkbook;
    }
    XlsxPackage package;
    Status status = package.read(zip.get(), &m_error);
    if (status != Status::Done)
        return status;

    XlsxStyles styles;
    styles.setDate1904(package.date1904);
    if (!package.styles.isEmpty()) {
        XlsxPart part(zip.get(), package.styles, InputBudget::kSmallPartBytes);
        if ((status = styles.read(part, &m_error)) != Status::Done)
            return status;
    }
    XlsxSharedStrings strings;
    if (!package.sharedStrings.isEmpty()) {
        XlsxPart part(zip.get(), package.sharedStrings, InputBudget::kLargePartBytes);
        if ((status = strings.read(part, &m_error)) != Status::Done)
            return status;
    }
    XlsxPart part(zip.get(), package.sheet, InputBudget::kLargePartBytes);
    if (!part.exists()) {
        m_error = QStringLiteral("manca il primo foglio (%1)").arg(package.sheet);
        return Status::Damaged;
    }
    return XlsxSheet(strings, styles).read(part, onRow, &m_error, &m_errorLine);
}
