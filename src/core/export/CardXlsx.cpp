#include "CardXlsx.h"

#include "core/collections/Collection.h"
#include "core/storage/DiskFile.h"
#include "core/storage/XlsxReader.h"
#include "core/text/Text.h"

#include <QFile>

// What the core reads of a complete .xlsx export; the writer, over
// libxlsxwriter, is CardXlsxWriter.cpp, outside the core library.
namespace CardXlsx {

QString sheetName(const Collection& collection)
{
    const QString plural = Text::utf8(collection.plural);
    return plural.left(1).toUpper() + plural.mid(1);
}

bool isOurs(const QString& path)
{
    if (!DiskFile::isRegular(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString line = XlsxReader::firstRow(file).join(QLatin1Char(';'));
    for (const Collection* c : Collection::all()) {
        if (line == CardCsv::header(*c))
            return true;
    }
    return false;
}

} // namespace CardXlsx
