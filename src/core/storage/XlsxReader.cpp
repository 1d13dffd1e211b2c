#include "XlsxReader.h"

#include <QDate>
#include <QDir>
#include <QHash>
#include <QIODevice>
#include <QXmlStreamReader>

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace {

// libzip reads the device through this source, so that neither a file
// name nor the whole file in memory is needed.
zip_int64_t deviceSource(void* user, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto* device = static_cast<QIODevice*>(user);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        return device->seek(0) ? 0 : -1;
    case ZIP_SOURCE_READ: {
        const qint64 got = device->read(static_cast<char*>(data), qint64(length));
        return got;
    }
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_STAT: {
        if (length < sizeof(zip_stat_t))
            return -1;
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->size = zip_uint64_t(device->size());
        st->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR: {
        zip_error_t error;
        zip_error_init_with_code(&error, ZIP_ER_READ);
        const zip_int64_t n = zip_error_to_data(&error, data, length);
        zip_error_fini(&error);
        return n;
    }
    case ZIP_SOURCE_SEEK: {
        const zip_int64_t to = zip_source_seek_compute_offset(
            zip_uint64_t(device->pos()), zip_uint64_t(device->size()), data, length, nullptr);
        if (to < 0 || !device->seek(to))
            return -1;
        return 0;
    }
    case ZIP_SOURCE_TELL:
        return device->pos();
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
            ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, -1);
    default:
        return -1;
    }
}

struct ZipCloser {
    void operator()(zip_t* zip) const { zip_discard(zip); }
};
using Zip = std::unique_ptr<zip_t, ZipCloser>;

Zip openZip(QIODevice& device)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_function_create(&deviceSource, &device, &error);
    zip_error_fini(&error);
    if (!source)
        return nullptr;
    zip_error_init(&error);
    zip_t* zip = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!zip) {
        zip_source_free(source);
        return nullptr;
    }
    return Zip(zip);
}

// One XML part of the package, parsed as it is inflated.
class Part {
public:
    Part(zip_t* zip, const QString& name, qint64 limit)
        : m_limit(limit)
    {
        m_file = zip_fopen(zip, name.toUtf8().constData(), 0);
    }
    ~Part()
    {
        if (m_file)
            zip_fclose(m_file);
    }
    Part(const Part&) = delete;
    Part& operator=(const Part&) = delete;

    bool exists() const { return m_file != nullptr; }
    bool tooLarge() const { return m_read > m_limit; }
    bool readFailed() const { return m_failed; }

    // The next token; Invalid at a fault (xml.error() says which, or
    // readFailed()/tooLarge()), EndDocument at the end.
    QXmlStreamReader::TokenType next()
    {
        for (;;) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token != QXmlStreamReader::Invalid || xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || m_ended)
                return token;
            if (!m_file || m_read > m_limit)
                return token;
            QByteArray block(64 * 1024, Qt::Uninitialized);
            const zip_int64_t got = zip_fread(m_file, block.data(), zip_uint64_t(block.size()));
            if (got < 0) {
                m_failed = true;
                return QXmlStreamReader::Invalid;
            }
            m_read += got;
            if (got == 0) {
                m_ended = true;
                return xml.readNext();
            }
            block.truncate(qsizetype(got));
            xml.addData(block);
        }
    }

    QXmlStreamReader xml;

private:
    zip_file_t* m_file = nullptr;
    qint64 m_limit;
    qint64 m_read = 0;
    bool m_ended = false;
    bool m_failed = false;
};

// "_x000D_" and the like: characters XML cannot carry, as the office
// programs escape them in a text.
QString unescaped(const QString& text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('_') && i + 6 < text.size() && text[i + 1] == QLatin1Char('x') && text[i + 6] == QLatin1Char('_')) {
            bool ok = false;
            const uint code = text.mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The 0-based column of a cell reference ("B3" -> 1); -1 when it has none.
int columnOf(QStringView ref)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref[i].isLetter() && ref[i].unicode() < 128; ++i) {
        column = column * 26 + (ref[i].toUpper().unicode() - u'A' + 1);
        if (column > XlsxReader::kMaxColumns)
            return -2;
    }
    return i == 0 ? -1 : column - 1;
}

// How a number format shows a number.
struct NumberFormat {
    bool date = false;
    bool percent = false;
    int integerDigits = 0; // "000": at least three
    int decimals = -1;     // -1: as many as needed (the General format)
};

NumberFormat parseFormat(const QString& code)
{
    NumberFormat f;
    // The first section only (the one for positive numbers), without its
    // quoted texts, escaped characters and [colour] or [$-410] parts.
    QString plain;
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (quoted) {
            quoted = c != QLatin1Char('"');
            continue;
        }
        if (c == QLatin1Char('"'))
            quoted = true;
        else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*'))
            ++i;
        else if (c == QLatin1Char('['))
            ++bracket;
        else if (c == QLatin1Char(']'))
            bracket = std::max(0, bracket - 1);
        else if (c == QLatin1Char(';') && bracket == 0)
            break;
        else if (bracket == 0)
            plain += c;
    }
    const QString lower = plain.toLower();
    if (lower == QLatin1String("general") || lower == QLatin1String("@") || lower.isEmpty())
        return f;
    if (lower.contains(QLatin1Char('d')) || lower.contains(QLatin1Char('y')) || lower.contains(QLatin1Char('a'))
        || lower.contains(QLatin1Char('g'))) {
        f.date = lower.contains(QLatin1Char('d')) || lower.contains(QLatin1Char('y'));
        if (f.date)
            return f;
    }
    f.percent = plain.contains(QLatin1Char('%'));
    const qsizetype point = plain.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? plain : plain.left(point);
    f.integerDigits = int(whole.count(QLatin1Char('0')));
    if (point >= 0) {
        f.decimals = 0;
        for (qsizetype i = point + 1; i < plain.size() && (plain[i] == QLatin1Char('0') || plain[i] == QLatin1Char('#')); ++i)
            ++f.decimals;
    } else if (whole.contains(QLatin1Char('0')) || whole.contains(QLatin1Char('#'))) {
        f.decimals = 0;
    }
    return f;
}

// The built-in formats that show a date (day, month and year).
bool builtInDate(int id)
{
    return (id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58);
}

NumberFormat builtInFormat(int id)
{
    NumberFormat f;
    switch (id) {
    case 1:
        f.integerDigits = 1, f.decimals = 0;
        break; // 0
    case 2:
        f.integerDigits = 1, f.decimals = 2;
        break; // 0.00
    case 3:
        f.integerDigits = 1, f.decimals = 0;
        break; // #,##0
    case 4:
        f.integerDigits = 1, f.decimals = 2;
        break; // #,##0.00
    case 9:
        f.integerDigits = 1, f.decimals = 0, f.percent = true;
        break; // 0%
    case 10:
        f.integerDigits = 1, f.decimals = 2, f.percent = true;
        break; // 0.00%
    default:
        f.date = builtInDate(id);
        break;
    }
    return f;
}

QString shortest(double value)
{
    if (std::fabs(value) < 1e15 && value == std::floor(value))
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

QString formatNumber(double value, const NumberFormat& f, bool date1904)
{
    if (f.date && value >= 0 && value < 2958466) {
        const qint64 days = qint64(std::floor(value));
        QDate date;
        if (date1904)
            date = QDate(1904, 1, 1).addDays(days);
        else if (days >= 61)
            date = QDate(1899, 12, 30).addDays(days);
        else
            date = QDate(1899, 12, 31).addDays(days); // before the false 29/02/1900
        if (date.isValid())
            return date.toString(QStringLiteral("dd/MM/yyyy"));
    }
    if (f.percent)
        value *= 100;
    QString text;
    if (f.decimals < 0) {
        text = shortest(value);
    } else {
        text = QString::number(std::fabs(value), 'f', std::min(f.decimals, 30));
        const qsizetype point = text.indexOf(QLatin1Char('.'));
        const qsizetype digits = point < 0 ? text.size() : point;
        if (digits < f.integerDigits)
            text.prepend(QString(f.integerDigits - digits, QLatin1Char('0')));
        if (f.integerDigits == 0 && text.startsWith(QLatin1String("0.")))
            text.remove(0, 1);
        if (value < 0 && std::any_of(text.begin(), text.end(), [](QChar c) { return c >= u'1' && c <= u'9'; }))
            text.prepend(QLatin1Char('-'));
    }
    if (f.percent)
        text += QLatin1Char('%');
    return text;
}

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

// An attribute by its local name, whatever its prefix.
QString attribute(const QXmlStreamReader& xml, QLatin1StringView name, bool namespaced = false)
{
    for (const QXmlStreamAttribute& a : xml.attributes()) {
        if (a.name() == name && (!namespaced || !a.namespaceUri().isEmpty()))
            return a.value().toString();
    }
    return {};
}

constexpr qint64 kMaxPartBytes = qint64(16) * 1024 * 1024; // workbook, relationships, styles

// The workbook part the package's relationships name (xl/workbook.xml as
// the office programs write it); empty when the package holds none, as an
// .ods or a .docx.
QString findWorkbook(zip_t* zip)
{
    QString target = QStringLiteral("xl/workbook.xml");
    {
        Part rels(zip, QStringLiteral("_rels/.rels"), kMaxPartBytes);
        while (rels.exists()) {
            const auto token = rels.next();
            if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument)
                break;
            if (token == QXmlStreamReader::StartElement && rels.xml.name() == QLatin1String("Relationship")
                && relationshipType(attribute(rels.xml, QLatin1StringView("Type"))) == QLatin1String("officeDocument"))
                target = resolved(QString(), attribute(rels.xml, QLatin1StringView("Target")));
        }
    }
    Part book(zip, target, kMaxPartBytes);
    while (book.exists()) {
        const auto token = book.next();
        if (token == QXmlStreamReader::StartElement)
            return book.xml.name() == QLatin1String("workbook") ? target : QString();
        if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument)
            break;
    }
    return {};
}

} // namespace

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
    if (Zip zip = openZip(device))
        workbook = !findWorkbook(zip.get()).isEmpty();
    device.seek(at);
    return workbook;
}

XlsxReader::Status XlsxReader::read(const std::function<bool(Row&)>& onRow)
{
    m_error.clear();
    m_errorLine = 0;
    Zip zip = openZip(m_device);
    if (!zip) {
        m_error = QStringLiteral("il file non è un archivio zip leggibile");
        return Status::NotWorkbook;
    }
    auto damaged = [&](const QString& part, const Part& p) {
        if (p.readFailed()) {
            m_error = QStringLiteral("la parte %1 del file è danneggiata").arg(part);
            return Status::Damaged;
        }
        if (p.tooLarge()) {
            m_error = QStringLiteral("la parte %1 del file è troppo grande").arg(part);
            return Status::TooLarge;
        }
        m_error = QStringLiteral("la parte %1 del file non è XML valido (riga %2: %3)")
                      .arg(part)
                      .arg(p.xml.lineNumber())
                      .arg(p.xml.errorString());
        return Status::Damaged;
    };

    const QString workbookPart = findWorkbook(zip.get());
    if (workbookPart.isEmpty()) {
        m_error = QStringLiteral("il file non contiene una cartella di lavoro di foglio di calcolo (.xlsx)");
        return Status::NotWorkbook;
    }

    // The workbook: its first sheet and its date system.
    QString firstSheetId;
    bool date1904 = false;
    {
        Part book(zip.get(), workbookPart, kMaxPartBytes);
        if (!book.exists()) {
            m_error = QStringLiteral("il file non contiene una cartella di lavoro di foglio di calcolo (.xlsx)");
            return Status::NotWorkbook;
        }
        for (;;) {
            const auto token = book.next();
            if (token == QXmlStreamReader::Invalid)
                return damaged(workbookPart, book);
            if (token == QXmlStreamReader::EndDocument)
                break;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (book.xml.name() == QLatin1String("workbookPr")) {
                const QString v = attribute(book.xml, QLatin1StringView("date1904"));
                date1904 = v == QLatin1String("1") || v == QLatin1String("true");
            } else if (book.xml.name() == QLatin1String("sheet") && firstSheetId.isEmpty()) {
                firstSheetId = attribute(book.xml, QLatin1StringView("id"), true);
                if (firstSheetId.isEmpty())
                    firstSheetId = QStringLiteral("-");
            }
        }
    }
    if (firstSheetId.isEmpty()) {
        m_error = QStringLiteral("la cartella di lavoro non contiene fogli");
        return Status::Damaged;
    }

    // Its relationships: where the sheet, the shared strings and the styles are.
    QString sheetPart, stringsPart, stylesPart;
    {
        const QString name = relsOf(workbookPart);
        Part rels(zip.get(), name, kMaxPartBytes);
        while (rels.exists()) {
            const auto token = rels.next();
            if (token == QXmlStreamReader::Invalid)
                return damaged(name, rels);
            if (token == QXmlStreamReader::EndDocument)
                break;
            if (token != QXmlStreamReader::StartElement || rels.xml.name() != QLatin1String("Relationship"))
                continue;
            const QString type = relationshipType(attribute(rels.xml, QLatin1StringView("Type")));
            const QString target = resolved(folderOf(workbookPart), attribute(rels.xml, QLatin1StringView("Target")));
            if (attribute(rels.xml, QLatin1StringView("Id")) == firstSheetId)
                sheetPart = target;
            else if (type == QLatin1String("sharedStrings"))
                stringsPart = target;
            else if (type == QLatin1String("styles"))
                stylesPart = target;
        }
    }
    if (sheetPart.isEmpty()) {
        m_error = QStringLiteral("la cartella di lavoro non dice dove si trova il primo foglio");
        return Status::Damaged;
    }

    // The styles: the number format of each cell style.
    std::vector<NumberFormat> styles;
    if (!stylesPart.isEmpty()) {
        Part part(zip.get(), stylesPart, kMaxPartBytes);
        QHash<int, NumberFormat> custom;
        bool inCellXfs = false;
        while (part.exists()) {
            const auto token = part.next();
            if (token == QXmlStreamReader::Invalid)
                return damaged(stylesPart, part);
            if (token == QXmlStreamReader::EndDocument)
                break;
            if (token == QXmlStreamReader::EndElement && part.xml.name() == QLatin1String("cellXfs"))
                inCellXfs = false;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (part.xml.name() == QLatin1String("numFmt")) {
                custom.insert(attribute(part.xml, QLatin1StringView("numFmtId")).toInt(),
                    parseFormat(attribute(part.xml, QLatin1StringView("formatCode"))));
            } else if (part.xml.name() == QLatin1String("cellXfs")) {
                inCellXfs = true;
            } else if (inCellXfs && part.xml.name() == QLatin1String("xf")) {
                const int id = attribute(part.xml, QLatin1StringView("numFmtId")).toInt();
                styles.push_back(custom.contains(id) ? custom.value(id) : builtInFormat(id));
            }
        }
    }

    // The shared strings, held whole.
    std::vector<QString> strings;
    if (!stringsPart.isEmpty()) {
        Part part(zip.get(), stringsPart, kMaxSharedBytes);
        QString text;
        int phonetic = 0;
        bool inText = false;
        while (part.exists()) {
            const auto token = part.next();
            if (token == QXmlStreamReader::Invalid)
                return damaged(stringsPart, part);
            if (token == QXmlStreamReader::EndDocument)
                break;
            const QStringView name = part.xml.name();
            if (token == QXmlStreamReader::StartElement) {
                if (name == QLatin1String("si"))
                    text.clear();
                else if (name == QLatin1String("rPh"))
                    ++phonetic;
                else if (name == QLatin1String("t"))
                    inText = phonetic == 0;
            } else if (token == QXmlStreamReader::EndElement) {
                if (name == QLatin1String("si"))
                    strings.push_back(unescaped(text));
                else if (name == QLatin1String("rPh"))
                    --phonetic;
                else if (name == QLatin1String("t"))
                    inText = false;
            } else if (token == QXmlStreamReader::Characters && inText) {
                text += part.xml.text();
                if (text.size() > kMaxFieldBytes) {
                    m_error = QStringLiteral("un testo del file supera %1 caratteri").arg(kMaxFieldBytes);
                    return Status::FieldTooLong;
                }
            }
        }
    }

    // The sheet, a row at a time.
    Part sheet(zip.get(), sheetPart, std::numeric_limits<qint64>::max());
    if (!sheet.exists()) {
        m_error = QStringLiteral("manca il primo foglio (%1)").arg(sheetPart);
        return Status::Damaged;
    }
    Row row;
    int lastRow = 0;
    int column = -1; // of the cell being read
    QString type;    // its t attribute
    int style = 0;   // its s attribute
    QString value;   // its <v>, or its inline string
    bool inValue = false, inInline = false, inCell = false, inRow = false;
    int phonetic = 0;
    for (;;) {
        const auto token = sheet.next();
        if (token == QXmlStreamReader::Invalid)
            return damaged(sheetPart, sheet);
        if (token == QXmlStreamReader::EndDocument)
            break;
        const QStringView name = sheet.xml.name();
        if (token == QXmlStreamReader::StartElement) {
            if (name == QLatin1String("row")) {
                bool ok = false;
                const int r = attribute(sheet.xml, QLatin1StringView("r")).toInt(&ok);
                row.line = ok && r > 0 ? r : lastRow + 1;
                row.fields.clear();
                inRow = true;
            } else if (name == QLatin1String("c") && inRow) {
                const QString ref = attribute(sheet.xml, QLatin1StringView("r"));
                column = ref.isEmpty() ? -1 : columnOf(ref);
                if (column == -1)
                    column = static_cast<int>(row.fields.size());
                if (column < 0 || column >= kMaxColumns) {
                    m_error = QStringLiteral("la cella %1 è oltre l'ultima colonna di un foglio").arg(ref);
                    m_errorLine = row.line;
                    return Status::Damaged;
                }
                type = attribute(sheet.xml, QLatin1StringView("t"));
                style = attribute(sheet.xml, QLatin1StringView("s")).toInt();
                value.clear();
                inCell = true;
            } else if (inCell && name == QLatin1String("v")) {
                inValue = true;
            } else if (inCell && name == QLatin1String("is")) {
                inInline = true;
            } else if (inInline && name == QLatin1String("rPh")) {
                ++phonetic;
            } else if (inInline && name == QLatin1String("t")) {
                inValue = phonetic == 0;
            }
        } else if (token == QXmlStreamReader::Characters) {
            if (inValue) {
                value += sheet.xml.text();
                if (value.size() > kMaxFieldBytes) {
                    m_error = QStringLiteral("una cella supera %1 caratteri").arg(kMaxFieldBytes);
                    m_errorLine = row.line;
                    return Status::FieldTooLong;
                }
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (name == QLatin1String("v") || name == QLatin1String("t")) {
                inValue = false;
            } else if (name == QLatin1String("rPh")) {
                phonetic = std::max(0, phonetic - 1);
            } else if (name == QLatin1String("is")) {
                inInline = false;
            } else if (name == QLatin1String("c") && inCell) {
                inCell = false;
                QString shown;
                if (type == QLatin1String("s")) {
                    bool ok = false;
                    const qint64 index = value.trimmed().toLongLong(&ok);
                    if (!value.trimmed().isEmpty()) {
                        if (!ok || index < 0 || index >= qint64(strings.size())) {
                            m_error = QStringLiteral("una cella rimanda a un testo che il file non contiene");
                            m_errorLine = row.line;
                            return Status::Damaged;
                        }
                        shown = strings[std::size_t(index)];
                    }
                } else if (type == QLatin1String("inlineStr") || type == QLatin1String("str")) {
                    shown = unescaped(value);
                } else if (type == QLatin1String("b")) {
                    if (!value.trimmed().isEmpty())
                        shown = value.trimmed() == QLatin1String("1") ? QStringLiteral("VERO") : QStringLiteral("FALSO");
                } else if (type == QLatin1String("e")) {
                    shown = value;
                } else if (type == QLatin1String("d")) {
                    const QDate date = QDate::fromString(value.trimmed().left(10), Qt::ISODate);
                    shown = date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : value;
                } else if (!value.trimmed().isEmpty()) {
                    bool ok = false;
                    const double number = value.trimmed().toDouble(&ok);
                    if (!ok || !std::isfinite(number)) {
                        m_error = QStringLiteral("la cella non contiene un numero valido");
                        m_errorLine = row.line;
                        return Status::Damaged;
                    }
                    const NumberFormat format = style >= 0 && std::size_t(style) < styles.size() ? styles[std::size_t(style)]
                                                                                                 : NumberFormat();
                    shown = formatNumber(number, format, date1904);
                }
                if (!shown.isEmpty()) {
                    while (row.fields.size() <= column)
                        row.fields.append(QByteArray());
                    row.fields[column] = shown.toUtf8();
                    if (row.fields[column].size() > kMaxFieldBytes) {
                        m_error = QStringLiteral("una cella supera %1 byte").arg(kMaxFieldBytes);
                        m_errorLine = row.line;
                        return Status::FieldTooLong;
                    }
                }
            } else if (name == QLatin1String("row") && inRow) {
                inRow = false;
                lastRow = row.line;
                if (!row.fields.isEmpty() && !onRow(row))
                    return Status::Stopped;
            }
        }
    }
    return Status::Done;
}
