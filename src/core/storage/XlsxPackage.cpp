#include "XlsxPackage.h"

#include "core/storage/XlsxPart.h"
#include "core/text/InputBudget.h"

#include <QDir>

namespace {

QString relationshipType(QStringView type)
{
    const qsizetype slash = type.lastIndexOf(u'/');
    return type.mid(slash + 1).toString();
}

// `target` of a relationship, from the folder of the part that names it.
QString resolved(const QString& folder, const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(target.mid(1));
    return QDir::cleanPath(folder.isEmpty() ? target : folder + QLatin1Char('/') + target);
}

QString folderOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash);
}

QString relsOf(const QString& part)
{
    const QString folder = folderOf(part);
    const QString name = part.mid(folder.isEmpty() ? 0 : folder.size() + 1);
    return (folder.isEmpty() ? QString() : folder + QLatin1Char('/')) + QStringLiteral("_rels/") + name + QStringLiteral(".rels");
}

XlsxReader::Status faultOf(const XlsxPart& part, QString* why)
{
    *why = part.faultText();
    return part.fault() == XlsxPart::Fault::TooLarge ? XlsxReader::Status::TooLarge : XlsxReader::Status::Damaged;
}

} // namespace

QString XlsxPackage::findWorkbook(zip_t* zip)
{
    QString target = QStringLiteral("xl/workbook.xml");
    {
        XlsxPart rels(zip, QStringLiteral("_rels/.rels"), InputBudget::kSmallPartBytes);
        while (rels.exists()) {
            const auto token = rels.next();
            if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument)
                break;
            if (token == QXmlStreamReader::StartElement && rels.xml.name() == QLatin1String("Relationship")
                && relationshipType(rels.attribute(QLatin1StringView("Type"))) == QLatin1String("officeDocument"))
                target = resolved(QString(), rels.attribute(QLatin1StringView("Target")));
        }
    }
    XlsxPart book(zip, target, InputBudget::kSmallPartBytes);
    while (book.exists()) {
        const auto token = book.next();
        if (token == QXmlStreamReader::StartElement)
            return book.xml.name() == QLatin1String("workbook") ? target : QString();
        if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument)
            break;
    }
    return {};
}

XlsxReader::Status XlsxPackage::read(zip_t* zip, QString* why)
{
    workbook = findWorkbook(zip);
    if (workbook.isEmpty()) {
        *why = QStringLiteral("il file non contiene una cartella di lavoro di foglio di calcolo (.xlsx)");
        return XlsxReader::Status::NotWorkbook;
    }

    // The workbook: its first sheet and its date system.
    QString firstSheetId;
    {
        XlsxPart book(zip, workbook, InputBudget::kSmallPartBytes);
        if (!book.exists()) {
            *why = QStringLiteral("il file non contiene una cartella di lavoro di foglio di calcolo (.xlsx)");
            return XlsxReader::Status::NotWorkbook;
        }
        for (;;) {
            const auto token = book.next();
            if (token == QXmlStreamReader::Invalid)
                return faultOf(book, why);
            if (token == QXmlStreamReader::EndDocument)
                break;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (book.xml.name() == QLatin1String("workbookPr")) {
                const QString v = book.attribute(QLatin1StringView("date1904"));
                date1904 = v == QLatin1String("1") || v == QLatin1String("true");
            } else if (book.xml.name() == QLatin1String("sheet") && firstSheetId.isEmpty()) {
                firstSheetId = book.attribute(QLatin1StringView("id"), true);
                if (firstSheetId.isEmpty())
                    firstSheetId = QStringLiteral("-");
            }
        }
    }
    if (firstSheetId.isEmpty()) {
        *why = QStringLiteral("la cartella di lavoro non contiene fogli");
        return XlsxReader::Status::Damaged;
    }

    // Its relationships: where the sheet, the shared strings and the styles are.
    XlsxPart rels(zip, relsOf(workbook), InputBudget::kSmallPartBytes);
    while (rels.exists()) {
        const auto token = rels.next();
        if (token == QXmlStreamReader::Invalid)
            return faultOf(rels, why);
        if (token == QXmlStreamReader::EndDocument)
            break;
        if (token != QXmlStreamReader::StartElement || rels.xml.name() != QLatin1String("Relationship"))
            continue;
        const QString type = relationshipType(rels.attribute(QLatin1StringView("Type")));
        const QString target = resolved(folderOf(workbook), rels.attribute(QLatin1StringView("Target")));
        if (rels.attribute(QLatin1StringView("Id")) == firstSheetId)
            sheet = target;
        else if (type == QLatin1String("sharedStrings"))
            sharedStrings = target;
        else if (type == QLatin1String("styles"))
            styles = target;
    }
    if (sheet.isEmpty()) {
        *why = QStringLiteral("la cartella di lavoro non dice dove si trova il primo foglio");
        return XlsxReader::Status::Damaged;
    }
    return XlsxReader::Status::Done;
}
