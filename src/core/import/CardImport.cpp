#include "CardImport.h"

#include "core/import/CardRowSource.h"

#include "core/collections/Collection.h"
#include "core/export/CardCsv.h"
#include "core/import/CsvReader.h"
#include "core/import/ImportNames.h"
#include "core/storage/AppendJournal.h"
#include "core/storage/AttachmentFolder.h"
#include "core/storage/Cp1252.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"
#include "core/storage/TextSlot.h"
#include "core/storage/XlsxReader.h"
#include "core/text/Text.h"

#include <QBuffer>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>
#include <string>

#include <xxhash.h>

namespace {

const QString kYes = QStringLiteral("S\u00ec");
const QString kNo = QStringLiteral("No");

// A code as the searches compare it: trimmed, A-Z in lower case, hashed
// by xxHash.
std::uint64_t codeHash(std::string_view bytes)
{
    const std::string_view code = Text::trimmed(bytes);
    std::string folded(code);
    for (char& c : folded)
        c = Text::foldAZ(c);
    return XXH3_64bits(folded.data(), folded.size());
}

// xxHash's running state of a file's bytes, freed when it goes.
struct FileHash {
    XXH3_state_t* state = XXH3_createState();
    FileHash() { XXH3_64bits_reset(state); }
    ~FileHash() { XXH3_freeState(state); }
    FileHash(const FileHash&) = delete;
    FileHash& operator=(const FileHash&) = delete;
    void add(const char* data, qint64 size) { XXH3_64bits_update(state, data, std::size_t(size)); }
    std::uint64_t value() const { return XXH3_64bits_digest(state); }
};

// A cell's line breaks, whatever the office program wrote: CR LF as the
// card screens store them in a field of several lines, one blank each in
// any other field (whose control shows one line).
QString lineBreaks(QString value, bool multiLine)
{
    if (!value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
        return value;
    value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    value.replace(QLatin1Char('\n'), multiLine ? QStringLiteral("\r\n") : QStringLiteral(" "));
    return value;
}

// The first character of `text` that Windows-1252 cannot hold; empty when none.
QString unencodable(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size())
            return text.mid(i, 2);
        if (Cp1252::byteFor(ch.unicode()) == 0 && ch.unicode() != 0)
            return QString(ch);
    }
    return {};
}

// The first control character (below 32, other than tab, CR and LF) in
// `bytes`; -1 when none. Such a byte ends a text early in the article
// archive and shows as nothing on a card.
int controlByte(const QByteArray& bytes)
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 32 && b != '\t' && b != '\n' && b != '\r')
            return b;
    }
    return -1;
}

// A date as a spreadsheet rewrites it with its default settings: the year
// in two digits ("03/03/24").
bool twoDigitYear(const QString& value)
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{1,2}([/.-])[0-9]{1,2}\\1[0-9]{2}")));
    return pattern.match(value).hasMatch();
}

// A Dewey class as a spreadsheet rewrites it: a number without its
// leading zeros ("74" for "074", "0" for "000").
bool shortDewey(const QString& value)
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{1,2}")));
    return pattern.match(value).hasMatch();
}

// What a spreadsheet shows for a text it took for a formula and could not
// compute ("=SOMMA(1,2)" saved back as "#NAME?"), in English and Italian.
bool formulaError(const QString& value)
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("#(NAME\\?|NOME\\?|VALUE!|VALORE!|REF!|RIF!|DIV/0!|NUM!|N/A|N/D|NULL!|NULLO!)|Err:[0-9]{3}")));
    return pattern.match(value).hasMatch();
}

// A value as a spreadsheet writes a number or a date it took a text for:
// "123", "3.1", "1.00E+05", "01/02/26".
bool spreadsheetNumber(const QString& value)
{
    static const QRegularExpression number(QRegularExpression::anchoredPattern(QStringLiteral("-?[0-9]+([.,][0-9]+)?([Ee][+-]?[0-9]+)?")));
    return number.match(value).hasMatch() || twoDigitYear(value);
}

// A cell of printable ASCII alone: the same characters in UTF-8 and in
// Windows-1252, no line break, no control byte, nothing to re-encode.
bool plainAscii(const QByteArray& bytes)
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 32 || b >= 0x7F)
            return false;
    }
    return true;
}

// TextSlot::write and TextSlot::writeAsIs for a value already in its
// stored form (Windows-1252, trimmed where it must be, within the
// capacity): the same bytes, without the round trip through a string.
void storeBytes(char* record, const FieldDef& field, SlotKind kind, std::string_view bytes)
{
    char* slot = record + field.offset;
    std::memset(slot, 0, static_cast<std::size_t>(field.capacity) + 1);
    if (kind == SlotKind::LengthByte) {
        slot[0] = static_cast<char>(bytes.size());
        std::memcpy(slot + 1, bytes.data(), bytes.size());
    } else {
        std::memcpy(slot, bytes.data(), bytes.size());
    }
}

} // namespace

// What the first reading of the raw bytes finds out.
struct CardImport::Scan {
    QByteArray head; // the first bytes, for the separator and the file's kind
    bool byteOrderMark = false;
    bool beyondAscii = false; // a valid UTF-8 sequence of two bytes or more
    bool invalid = false;     // a byte that is not UTF-8
    int invalidLine = 0, invalidColumn = 0, invalidByte = 0;
};

CardImport::CardImport(const Collection& collection)
    : m_collection(collection)
{
}

QString CardImport::columnName(int column)
{
    QString name;
    for (int n = column; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

QString CardImport::notCsv(const QByteArray& head)
{
    const QString howTo = QStringLiteral(
        "per importarlo, aprirlo con il programma per fogli di calcolo (LibreOffice Calc, Excel) e salvarlo "
        "con \"Salva con nome\" come \"Testo CSV\" (UTF-8, separatore punto e virgola)");
    QByteArray start = head.left(512);
    if (start.startsWith("\xEF\xBB\xBF"))
        start.remove(0, 3);
    const QByteArray lower = Text::foldAZ(QString::fromLatin1(start.trimmed())).toLatin1();
    if (lower.startsWith("<html") || lower.startsWith("<!doctype html") || lower.startsWith("<?xml"))
        return QStringLiteral("il file è una pagina HTML o XML, come il foglio di calcolo esportato da questo programma, non un file CSV; ")
            + howTo;
    if (head.startsWith("PK\x03\x04"))
        return QStringLiteral("il file è un documento compresso (foglio di calcolo .xlsx o .ods, documento .docx o .odt) ma non un "
                              "foglio .xlsx leggibile, né un file CSV; ")
            + howTo + QStringLiteral(", oppure come \"Excel 2007-365 (.xlsx)\"");
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return QStringLiteral("il file è un documento di Office nel vecchio formato (.xls o .doc), non un file CSV; ") + howTo;
    if (head.startsWith("%PDF"))
        return QStringLiteral("il file è un documento PDF, non un file CSV; ") + howTo;
    if (head.startsWith("{\\rtf"))
        return QStringLiteral("il file è un documento RTF, non un file CSV; ") + howTo;
    // Text holds a stray control byte at most; a binary file many.
    int controls = 0;
    for (const char c : head) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 32 && b != '\t' && b != '\n' && b != '\r' && b != '\f')
            ++controls;
    }
    if (head.size() >= 16 && controls >= 8 && controls * 10 >= head.size())
        return QStringLiteral("il file non è di testo (contiene molti byte di controllo), quindi non è un file CSV; ") + howTo;
    return {};
}

QString CardImport::decode(const QByteArray& bytes) const
{
    return m_utf8 ? QString::fromUtf8(bytes) : Cp1252::decode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void CardImport::warning(int line, int column, const QString& text)
{
    ++m_warningCount;
    if (m_warnings.size() < kKeptProblems)
        m_warnings.append({line, column, text});
}

void CardImport::problem(int line, int column, const QString& text)
{
    ++m_problemCount;
    if (m_problems.size() < kKeptProblems)
        m_problems.append({line, column, text});
}

bool CardImport::skipByteOrderMark(QIODevice& file)
{
    if (!file.seek(0))
        return false;
    char bom[3];
    if (file.peek(bom, 3) == 3 && QByteArray(bom, 3) == "\xEF\xBB\xBF")
        return file.read(bom, 3) == 3;
    return true;
}

bool CardImport::scanBytes(QIODevice& file, Scan& scan)
{
    if (!file.seek(0))
        return false;
    // A UTF-8 validator over the whole file, counting lines as the CSV
    // reader does, so that the first foreign byte is found where it is.
    int need = 0;                       // continuation bytes still due
    unsigned char lo = 0x80, hi = 0xBF; // the range of the next one
    int line = 1, column = 0, seqLine = 1, seqColumn = 0, seqByte = 0;
    bool lastCr = false;
    FileHash hash;
    QByteArray block(64 * 1024, Qt::Uninitialized);
    bool first = true;
    for (;;) {
        const qint64 got = file.read(block.data(), block.size());
        if (got < 0)
            return false;
        if (got == 0)
            break;
        hash.add(block.constData(), got);
        if (scan.head.size() < 8192)
            scan.head += block.left(std::min<qint64>(got, 8192 - scan.head.size()));
        qint64 i = 0;
        if (first) {
            first = false;
            if (got >= 3 && block.startsWith("\xEF\xBB\xBF")) {
                scan.byteOrderMark = true;
                i = 3;
            }
        }
        for (; i < got; ++i) {
            const auto b = static_cast<unsigned char>(block[i]);
            if (need > 0) {
                if (b >= lo && b <= hi) {
                    lo = 0x80, hi = 0xBF;
                    if (--need == 0)
                        scan.beyondAscii = true;
                    continue;
                }
                // The sequence broke off: its first byte is the foreign one.
                need = 0;
                lo = 0x80, hi = 0xBF;
                if (!scan.invalid) {
                    scan.invalid = true;
                    scan.invalidLine = seqLine, scan.invalidColumn = seqColumn, scan.invalidByte = seqByte;
                }
            }
            if (b == '\n') {
                if (!lastCr)
                    ++line;
                column = 0;
                lastCr = false;
                continue;
            }
            if (lastCr) {
                // A CR alone ended the line before this byte.
                lastCr = false;
            }
            if (b == '\r') {
                ++line;
                column = 0;
                lastCr = true;
                continue;
            }
            ++column;
            if (b < 0x80)
                continue;
            seqLine = line, seqColumn = column, seqByte = b;
            if (b >= 0xC2 && b <= 0xDF)
                need = 1;
            else if (b == 0xE0)
                need = 2, lo = 0xA0;
            else if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF)
                need = 2;
            else if (b == 0xED)
                need = 2, hi = 0x9F;
            else if (b == 0xF0)
                need = 3, lo = 0x90;
            else if (b >= 0xF1 && b <= 0xF3)
                need = 3;
            else if (b == 0xF4)
                need = 3, hi = 0x8F;
            else if (!scan.invalid) {
                scan.invalid = true;
                scan.invalidLine = line, scan.invalidColumn = column, scan.invalidByte = b;
            }
        }
    }
    if (need > 0 && !scan.invalid) {
        scan.invalid = true;
        scan.invalidLine = seqLine, scan.invalidColumn = seqColumn, scan.invalidByte = seqByte;
    }
    m_fileHash = hash.value();
    return true;
}

bool CardImport::header(const QList<QByteArray>& cells, int line)
{
    const RecordLayout& layout = *m_collection.layout;
    const ImportNames names(m_collection);
    m_header.clear();
    m_fields.clear();
    for (const QByteArray& cell : cells)
        m_header << Text::trimmed(lineBreaks(decode(cell), false));
    m_complete = !m_xlsx && m_separator == ';' && m_header.join(QLatin1Char(';')) == CardCsv::header(m_collection);
    m_completeXlsx = m_xlsx && m_header.join(QLatin1Char(';')) == CardCsv::header(m_collection);
    // The complete CSV without the byte-order mark every export writes:
    // saved again by another program, most likely a spreadsheet.
    m_resaved = !m_xlsx && !m_byteOrderMark && m_header.join(QLatin1Char(';')) == CardCsv::header(m_collection);
    // Empty headings at the end: the sheet's unused columns, ignored as long
    // as their cells are empty too.
    m_namedColumns = m_header.size();
    while (m_namedColumns > 0 && m_header[m_namedColumns - 1].isEmpty())
        --m_namedColumns;
    for (qsizetype i = 0; i < m_header.size(); ++i) {
        const int column = static_cast<int>(i) + 1;
        if (i >= m_namedColumns) {
            m_fields.push_back(nullptr);
            continue;
        }
        if (const int c = controlByte(cells[i]); c >= 0)
            problem(line, column, QStringLiteral("il carattere di controllo 0x%1 non è ammesso").arg(c, 2, 16, QLatin1Char('0')));
        const FieldDef* f = names.field(m_header[i]);
        if (!f) {
            m_unknownColumn = true;
            problem(line, column,
                m_header[i].isEmpty() ? QStringLiteral("colonna senza nome: ogni colonna deve nominare un campo della scheda")
                                      : QStringLiteral("colonna sconosciuta per %1").arg(m_collection.pluralWithArticle()));
        } else if (std::find(m_fields.begin(), m_fields.end(), f) != m_fields.end()) {
            problem(line, column, QStringLiteral("colonna ripetuta: il campo %1 ha già una colonna").arg(Text::latin1(f->name)));
        }
        m_fields.push_back(f);
    }
    for (const RequiredField& r : m_collection.required) {
        const FieldDef* f = layout.find(r.field);
        if (std::find(m_fields.begin(), m_fields.end(), f) == m_fields.end()) {
            QString caption = m_collection.fieldCaption(f->name);
            if (caption.endsWith(QLatin1Char(':')))
                caption.chop(1);
            problem(
                line, 0, QStringLiteral("manca la colonna obbligatoria \"%1\"").arg(caption.isEmpty() ? Text::latin1(f->name) : caption));
        }
    }
    m_codeField = m_collection.roles.code.empty() ? nullptr : layout.find(m_collection.roles.code);
    if (m_codeField && std::find(m_fields.begin(), m_fields.end(), m_codeField) == m_fields.end())
        m_codeField = nullptr;
    return m_problemCount == 0;
}

bool CardImport::card(const QList<QByteArray>& cells, int line, Record& record)
{
    const RecordLayout& layout = *m_collection.layout;
    const int before = m_problemCount;
    if (m_xlsx && cells.size() > m_header.size()) {
        // The sheet's rows end at their last value: this one goes beyond the header.
        problem(line, static_cast<int>(cells.size()),
            QStringLiteral("valore in una colonna senza nome: dare un nome alla colonna o togliere il valore"));
        return false;
    }
    if (cells.size() != m_header.size() && cells.size() != m_namedColumns) {
        problem(line, 0, QStringLiteral("%1 campi invece dei %2 dell'intestazione").arg(cells.size()).arg(m_namedColumns));
        return false;
    }
    const FieldDef* cancelled = layout.find("Annullata");
    const FieldDef* validated = layout.find("Convalida");
    record.clear();
    // The flags as the card screens write them, unless a column says
    // otherwise; a complete export says it for every card, an empty flag
    // included (a card the searches never list stays so).
    const bool asStored = givesBackAsStored();
    if (validated && !asStored)
        record.setText(validated->name, kNo);
    if (cancelled && !asStored)
        record.setText(cancelled->name, kNo);
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const int column = static_cast<int>(i) + 1;
        const FieldDef* def = m_fields[static_cast<std::size_t>(i)];
        if (!def) {
            if (!Text::trimmed(std::string_view(cells[i].constData(), static_cast<std::size_t>(cells[i].size()))).empty())
                problem(line, column, QStringLiteral("valore in una colonna senza nome: dare un nome alla colonna o togliere il valore"));
            continue;
        }
        const FieldDef& f = *def;
        const bool untouched = takesValuesAsWritten();
        if (plainAscii(cells[i])) {
            // The common cell, checked on its bytes: the rules below that
            // could find something in it take the long way.
            const std::string_view bytes(cells[i].constData(), static_cast<std::size_t>(cells[i].size()));
            const std::string_view stored = layout.kind == SlotKind::LengthByte && !asStored ? Text::trimmed(bytes) : bytes;
            const std::string_view shown = Text::trimmed(stored);
            const bool spreadsheetRule = !untouched
                && (f.name == m_collection.roles.dewey || m_collection.isDateField(f.name)
                    || (!shown.empty() && (shown.front() == '#' || shown.front() == 'E')));
            const bool special = &f == cancelled || &f == validated || f.name.starts_with("File")
                || (m_resaved && m_collection.isTextNumber(f.name));
            if (!spreadsheetRule && !special && stored.size() <= static_cast<std::size_t>(f.capacity)) {
                storeBytes(record.bytes().data(), f, layout.kind, stored);
                continue;
            }
        }
        if (const int c = controlByte(cells[i]); c >= 0) {
            problem(line, column, QStringLiteral("il carattere di controllo 0x%1 non è ammesso").arg(c, 2, 16, QLatin1Char('0')));
            continue;
        }
        const QString value = m_complete ? decode(cells[i]) : lineBreaks(decode(cells[i]), ImportNames::multiLine(m_collection, f.name));
        QString stored = layout.kind == SlotKind::LengthByte && !asStored ? Text::trimmed(value) : value;
        if (const QString ch = unencodable(stored); !ch.isEmpty()) {
            const QString code = QString::number(ch.toUcs4().value(0), 16).toUpper().rightJustified(4, QLatin1Char('0'));
            problem(line, column, QStringLiteral("il carattere \"%1\" (U+%2) non si può scrivere in Windows-1252").arg(ch, code));
            continue;
        }
        // What a spreadsheet opened with its default settings does to a
        // value that looks like a number or a date; the complete export as
        // written holds the cards' own values, whatever they are.
        if (!untouched && f.name == m_collection.roles.dewey && shortDewey(Text::trimmed(stored))) {
            const QString padded = Text::trimmed(stored).rightJustified(3, QLatin1Char('0'));
            if (!m_checked) {
                ++m_paddedDewey;
                warning(line, column,
                    QStringLiteral("codice Dewey \"%1\" completato in \"%2\": le classi Dewey hanno tre cifre, "
                                   "e un foglio di calcolo toglie gli zeri iniziali")
                        .arg(Text::trimmed(stored), padded));
            }
            stored = padded;
        }
        if (!untouched && formulaError(Text::trimmed(stored))) {
            problem(line, column,
                QStringLiteral("\"%1\" è ciò che un foglio di calcolo mostra quando prende un testo per una formula: "
                               "il valore originale è perso; importare il file .xlsx dell'esportazione completa, "
                               "oppure correggere la cella")
                    .arg(Text::trimmed(stored)));
            continue;
        }
        if (m_resaved && !m_checked && m_collection.isTextNumber(f.name) && spreadsheetNumber(Text::trimmed(stored)))
            warning(line, column,
                QStringLiteral("\"%1\" è un numero o una data per un foglio di calcolo, che può averlo riscritto "
                               "(\"000123\" diventa \"123\", \"3.10\" diventa \"3.1\"): controllarlo")
                    .arg(Text::trimmed(stored)));
        if (!untouched && m_collection.isDateField(f.name) && twoDigitYear(Text::trimmed(stored))) {
            problem(line, column,
                QStringLiteral("la data \"%1\" ha l'anno di due cifre, come la riscrive un foglio di calcolo: "
                               "importare il file .xlsx dell'esportazione completa, oppure aprire il CSV nel "
                               "foglio di calcolo indicando le colonne come testo")
                    .arg(Text::trimmed(stored)));
            continue;
        }
        if (&f == cancelled && !asStored) {
            const QString flag = Text::trimmed(stored);
            if (flag.isEmpty())
                continue;
            if (flag != kYes && flag != kNo) {
                problem(line, column, QStringLiteral("\"%1\" non è un valore ammesso: scrivere \"Sì\" o \"No\"").arg(flag));
                continue;
            }
        }
        if (stored.size() > f.capacity) {
            problem(line, column, QStringLiteral("%1 caratteri, ma il campo ne contiene al massimo %2").arg(stored.size()).arg(f.capacity));
            continue;
        }
        if (f.name.starts_with("File")) {
            const QString name = Text::trimmed(stored);
            if (!name.isEmpty() && !AttachmentFolder::isBareName(name)) {
                problem(line, column,
                    QStringLiteral("\"%1\" non è un nome di allegato ammesso: solo il nome del file nella cartella "
                                   "Documenti_Allegati, senza cartelle, \":\" o nomi di dispositivo")
                        .arg(name));
                continue;
            }
        }
        if (asStored) {
            TextSlot::writeAsIs(record.bytes().data(), f, layout.kind, stored);
            continue;
        }
        if (&f == validated && Text::trimmed(stored).isEmpty())
            continue;
        TextSlot::write(record.bytes().data(), f, layout.kind, stored);
    }
    for (const RequiredField& req : m_collection.required) {
        const FieldDef* f = layout.find(req.field);
        const auto at = std::find(m_fields.begin(), m_fields.end(), f);
        const qsizetype i = at - m_fields.begin();
        // Blank as decoded is blank as bytes: every byte above 32 decodes
        // to a character above 32, in either encoding.
        if (i < cells.size() && Text::trimmed(std::string_view(cells[i].constData(), static_cast<std::size_t>(cells[i].size()))).empty())
            problem(line, static_cast<int>(i) + 1, QStringLiteral("campo obbligatorio vuoto"));
    }
    return m_problemCount == before;
}

void CardImport::checkCode(const Record& record, int line)
{
    if (!m_codeField)
        return;
    const std::string_view raw = record.raw(m_codeField->name);
    if (Text::trimmed(raw).empty())
        return;
    const std::uint64_t hash = codeHash(raw);
    const int column = static_cast<int>(std::find(m_fields.begin(), m_fields.end(), m_codeField) - m_fields.begin()) + 1;
    // The code as the messages show it, made only for a duplicate.
    const auto code = [&]() { return Text::trimmed(record.text(m_codeField->name)); };
    auto duplicate = [&](const QString& text) {
        ++m_duplicateCount;
        if (m_duplicates.size() < kKeptProblems)
            m_duplicates.append({line, column, text});
    };
    const auto inArchive = std::lower_bound(m_archiveCodes.begin(), m_archiveCodes.end(), std::make_pair(hash, qint64(0)));
    if (inArchive != m_archiveCodes.end() && inArchive->first == hash)
        duplicate(QStringLiteral("il codice \"%1\" è già nell'archivio (scheda %2)").arg(code()).arg(inArchive->second));
    const auto [at, fresh] = m_fileCodes.emplace(hash, line);
    if (!fresh)
        duplicate(QStringLiteral("il codice \"%1\" è ripetuto: è già alla riga %2").arg(code()).arg(at->second));
}

bool CardImport::loadArchiveCodes(const QString& archive)
{
    m_archiveCodes.clear();
    if (!m_codeField || archive.isEmpty())
        return true;
    RecordStore store;
    if (!store.open(archive, m_collection.layout->size, RecordStore::Mode::ReadExisting))
        return true; // no archive yet: no code in it
    return collectCodes(store, store.count());
}

bool CardImport::collectCodes(const RecordStore& store, qint64 records)
{
    m_archiveCodes.clear();
    if (!m_codeField)
        return true;
    const FieldDef& code = *m_codeField;
    const SlotKind kind = m_collection.layout->kind;
    const bool scanned = store.scanRange(0, records, [&](const char* rec, qint64 index) {
        const std::string_view raw = TextSlot::raw(rec, code, kind);
        if (!Text::trimmed(raw).empty())
            m_archiveCodes.emplace_back(codeHash(raw), index + 1);
        return true;
    });
    std::sort(m_archiveCodes.begin(), m_archiveCodes.end());
    return scanned;
}

bool CardImport::repeatsArchiveCode(const QByteArray& records)
{
    if (!m_codeField || m_archiveCodes.empty())
        return false;
    const RecordLayout& layout = *m_collection.layout;
    bool repeats = false;
    for (qsizetype at = 0; at + layout.size <= records.size(); at += layout.size) {
        const std::string_view raw = TextSlot::raw(records.constData() + at, *m_codeField, layout.kind);
        if (Text::trimmed(raw).empty())
            continue;
        const std::uint64_t hash = codeHash(raw);
        const auto found = std::lower_bound(m_archiveCodes.begin(), m_archiveCodes.end(), std::make_pair(hash, qint64(0)));
        if (found == m_archiveCodes.end() || found->first != hash)
            continue;
        repeats = true;
        ++m_duplicateCount;
        if (m_duplicates.size() < kKeptProblems)
            m_duplicates.append({0, 0,
                QStringLiteral("il codice \"%1\" è già nell'archivio (scheda %2): la scheda è stata aggiunta durante l'importazione")
                    .arg(Cp1252::decode(Text::trimmed(raw)))
                    .arg(found->second)});
    }
    return repeats;
}

CsvReader::Status CardImport::readRows(QIODevice& file, const std::function<bool(CsvReader::Row&)>& onRow)
{
    if (m_fromSource) {
        int errorLine = 0;
        QString error;
        const CsvReader::Status status = m_source->read(file, onRow, &errorLine, &error);
        if (status != CsvReader::Status::Done && status != CsvReader::Status::Stopped)
            problem(errorLine, 0, error);
        return status;
    }
    if (!m_xlsx) {
        int badLine = 0;
        const CsvReader::Status status = CsvReader::read(file, m_separator, onRow, &badLine);
        switch (status) {
        case CsvReader::Status::BadQuotes:
            problem(badLine, 0, QStringLiteral("virgolette non chiuse o fuori posto"));
            break;
        case CsvReader::Status::FieldTooLong:
            problem(badLine, 0, QStringLiteral("un campo supera %1 byte: nessuna scheda ne contiene tanti").arg(CsvReader::kMaxFieldBytes));
            break;
        case CsvReader::Status::ReadError:
            problem(0, 0, QStringLiteral("errore di lettura del file"));
            break;
        case CsvReader::Status::Done:
        case CsvReader::Status::Stopped:
            break;
        }
        return status;
    }
    XlsxReader reader(file);
    CsvReader::Row row;
    const XlsxReader::Status status = reader.read([&](XlsxReader::Row& cells) {
        row.line = cells.line;
        row.fields = std::move(cells.fields);
        // A sheet's row ends at its last value: the empty cells after it
        // are the header's columns all the same.
        while (!m_header.isEmpty() && row.fields.size() < m_header.size())
            row.fields.append(QByteArray());
        return onRow(row);
    });
    switch (status) {
    case XlsxReader::Status::Done:
        return CsvReader::Status::Done;
    case XlsxReader::Status::Stopped:
        return CsvReader::Status::Stopped;
    case XlsxReader::Status::FieldTooLong:
        problem(reader.errorLine(), 0, reader.error());
        return CsvReader::Status::FieldTooLong;
    default:
        problem(reader.errorLine(), 0, QStringLiteral("foglio di calcolo non leggibile: ") + reader.error());
        return CsvReader::Status::ReadError;
    }
}

bool CardImport::check(QIODevice& file, const Options& options)
{
    m_problems.clear();
    m_duplicates.clear();
    m_warnings.clear();
    m_problemCount = m_duplicateCount = m_warningCount = m_paddedDewey = 0;
    m_unknownColumn = false;
    m_header.clear();
    m_fields.clear();
    m_fileCodes.clear();
    m_records.clear();
    m_count = 0;
    m_checked = false;

    Scan scan;
    if (!scanBytes(file, scan)) {
        problem(0, 0, QStringLiteral("errore di lettura del file"));
        return false;
    }
    m_fromSource = m_source && m_source->recognises(scan.head);
    m_xlsx = !m_fromSource && XlsxReader::looksZipped(scan.head) && XlsxReader::isWorkbook(file);
    m_byteOrderMark = scan.byteOrderMark;
    if (m_fromSource) {
        m_utf8 = true; // the source's values are the cards' own, in Unicode
    } else if (!m_xlsx) {
        if (const QString what = notCsv(scan.head); !what.isEmpty()) {
            problem(1, 0, what);
            return false;
        }
        switch (options.encoding) {
        case Encoding::Utf8:
            m_utf8 = true;
            if (scan.invalid) {
                problem(scan.invalidLine, 0,
                    QStringLiteral("carattere %1: il byte 0x%2 non è UTF-8, ma --encoding dice utf-8")
                        .arg(scan.invalidColumn)
                        .arg(scan.invalidByte, 2, 16, QLatin1Char('0')));
                return false;
            }
            break;
        case Encoding::Windows1252:
            m_utf8 = false;
            break;
        case Encoding::Auto:
            m_utf8 = !scan.invalid;
            if (scan.invalid && (scan.beyondAscii || scan.byteOrderMark)) {
                problem(scan.invalidLine, 0,
                    QStringLiteral("carattere %1: il byte 0x%2 non è UTF-8, mentre altrove il file è scritto in UTF-8; "
                                   "salvare il file tutto in una codifica, oppure indicarla con --encoding utf-8 o --encoding windows-1252")
                        .arg(scan.invalidColumn)
                        .arg(scan.invalidByte, 2, 16, QLatin1Char('0')));
                return false;
            }
            break;
        }
        m_separator = CsvReader::guessSeparator(scan.head.startsWith("\xEF\xBB\xBF") ? scan.head.mid(3) : scan.head);
    } else {
        m_utf8 = true; // the workbook's texts are Unicode, whatever --encoding says
    }

    bool haveHeader = false;
    Record record(*m_collection.layout);
    if (!skipByteOrderMark(file)) {
        problem(0, 0, QStringLiteral("errore di lettura del file"));
        return false;
    }
    readRows(file, [&](CsvReader::Row& row) {
        if (!watchRow(file))
            return false;
        if (!haveHeader) {
            haveHeader = true;
            if (!header(row.fields, row.line))
                return false;
            if (!loadArchiveCodes(options.archive)) {
                problem(0, 0, QStringLiteral("impossibile leggere l'archivio per confrontarne i codici"));
                return false;
            }
            return true;
        }
        if (std::all_of(row.fields.begin(), row.fields.end(), [](const QByteArray& f) {
                return Text::trimmed(std::string_view(f.constData(), static_cast<std::size_t>(f.size()))).empty();
            }))
            return true; // an empty row of the sheet is no card
        if (card(row.fields, row.line, record)) {
            ++m_count;
            checkCode(record, row.line);
        }
        return true;
    });
    // A run interrupted before the heading was read found no fault in it.
    if (!haveHeader && m_problemCount == 0 && !(m_watch && m_watch->cancelled()))
        problem(1, 0, QStringLiteral("manca la riga di intestazione con i nomi delle colonne"));
    m_fileCodes.clear();
    m_archiveCodes.clear();
    if (m_problemCount > 0 || (m_duplicateCount > 0 && !options.allowDuplicates)) {
        if (m_problemCount > 0)
            m_count = 0;
        return false;
    }
    m_checked = true;
    return true;
}

bool CardImport::write(QIODevice& file, const std::function<bool(const QByteArray& records, int cards)>& batch)
{
    if (!m_checked)
        return false;
    const int expected = m_count;
    const std::uint64_t checkedHash = m_fileHash;
    {
        // The file must be the one checked: a change since would bring
        // unchecked rows in.
        Scan again;
        if (!scanBytes(file, again) || m_fileHash != checkedHash) {
            problem(0, 0, QStringLiteral("il file è cambiato dopo il controllo"));
            return false;
        }
    }
    if (!skipByteOrderMark(file))
        return false;
    bool haveHeader = false;
    bool refused = false;
    int written = 0;
    Record record(*m_collection.layout);
    QByteArray pending;
    int pendingCards = 0;
    const CsvReader::Status status = readRows(file, [&](CsvReader::Row& row) {
        if (!watchRow(file))
            return false;
        if (!haveHeader) {
            haveHeader = true;
            return true; // checked, and the same bytes
        }
        if (std::all_of(row.fields.begin(), row.fields.end(), [](const QByteArray& f) {
                return Text::trimmed(std::string_view(f.constData(), static_cast<std::size_t>(f.size()))).empty();
            }))
            return true;
        if (!card(row.fields, row.line, record))
            return false;
        pending += record.bytes();
        ++written;
        if (++pendingCards == kBatchCards) {
            if (!batch(pending, pendingCards)) {
                refused = true;
                return false;
            }
            pending.clear();
            pendingCards = 0;
        }
        return true;
    });
    if (refused || status != CsvReader::Status::Done || m_problemCount > 0)
        return false;
    if (pendingCards > 0 && !batch(pending, pendingCards))
        return false;
    return written == expected;
}

bool CardImport::watchRow(const QIODevice& file)
{
    if (!m_watch)
        return true;
    if (m_watch->progress && ++m_watch->rows % kBatchCards == 0)
        (*m_watch->progress)(m_watch->pass, file.pos(), file.size());
    return !m_watch->cancelled();
}

CardImport::Outcome CardImport::run(QIODevice& file, const Options& options, const Progress& progress, const std::atomic<bool>* cancel)
{
    Watch watch{progress ? &progress : nullptr, cancel};
    m_watch = &watch;
    struct Unwatch {
        Watch*& watching;
        ~Unwatch() { watching = nullptr; }
    } unwatch{m_watch};
    Outcome outcome;
    const auto finished = [&](Pass pass) {
        if (progress)
            progress(pass, file.size(), file.size());
    };

    // First pass: every row checked, nothing kept but the problems.
    const bool good = check(file, options);
    if (watch.cancelled()) {
        outcome.status = Outcome::Status::Cancelled;
        return outcome;
    }
    if (!good)
        return outcome; // Refused
    finished(Pass::Check);
    if (options.checkOnly || m_count == 0) {
        outcome.status = Outcome::Status::Imported;
        return outcome;
    }

    RecordStore store;
    if (!store.open(options.archive, m_collection.layout->size)) {
        outcome.status = Outcome::Status::Failed;
        outcome.openFailed = true;
        outcome.reason = store.errorString();
        return outcome;
    }
    // Second pass: the cards go to the archive in batches, under one lock
    // and one journal.
    if (!store.beginAppend()) {
        outcome.status = Outcome::Status::Failed;
        outcome.reason = store.errorString(); // says so when the undo failed too
        outcome.nothingAdded = !store.undoFailed();
        return outcome;
    }
    // Under the lock now: where the cards go, and the codes checked again,
    // since a card with one of the file's codes may have been saved
    // between the check and the lock.
    const qint64 start = store.count();
    const bool recheck = !options.allowDuplicates && m_codeField;
    if (recheck && !collectCodes(store, start)) {
        store.cancelAppend();
        outcome.status = Outcome::Status::Failed;
        outcome.reason = store.errorString();
        outcome.nothingAdded = !store.undoFailed();
        return outcome;
    }
    bool raced = false;
    watch.pass = Pass::Write;
    watch.rows = 0;
    int batches = 0;
    const bool written = write(file, [&](const QByteArray& records, int) {
        if (recheck && repeatsArchiveCode(records)) {
            raced = true;
            return false;
        }
        if (watch.cancelled() || !store.appendBatch(records))
            return false;
        AppendJournal::testPausePoint(++batches);
        return true;
    });
    if (written && !watch.cancelled() && store.commitAppend()) {
        finished(Pass::Write);
        outcome.status = Outcome::Status::Imported;
        outcome.archiveCards = store.index();
        outcome.firstWritten = start + 1;
        m_archiveCodes.clear();
        return outcome;
    }
    m_archiveCodes.clear();
    if (raced && store.cancelAppend())
        return outcome; // Refused: duplicates() names the code
    const bool cancelled = watch.cancelled();
    QString reason = store.errorString();
    if (!written && !m_problems.isEmpty())
        reason = report().value(0);
    if (store.cancelAppend() || !store.undoFailed()) {
        outcome.status = cancelled ? Outcome::Status::Cancelled : Outcome::Status::Failed;
        outcome.reason = cancelled ? QString() : reason;
    } else {
        outcome.status = Outcome::Status::Failed;
        outcome.reason = (cancelled ? store.errorString() : reason) + RecordStore::kMayHaveChanged;
        outcome.nothingAdded = false;
    }
    return outcome;
}

bool CardImport::read(const QByteArray& file, const Options& options)
{
    QByteArray copy = file;
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    m_records.clear();
    if (!check(device, options))
        return false;
    QByteArray all;
    const bool ok = write(device, [&](const QByteArray& records, int) {
        all += records;
        return true;
    });
    m_records = ok ? all : QByteArray();
    return ok;
}

QString CardImport::readAs() const
{
    if (m_fromSource)
        return m_source->formatName();
    return m_xlsx ? QStringLiteral("foglio .xlsx") : encodingName();
}

QStringList CardImport::notes() const
{
    if (m_fromSource)
        return m_source->notes();
    QStringList lines;
    auto hasColumn = [&](std::string_view field) {
        return std::any_of(m_fields.begin(), m_fields.end(), [&](const FieldDef* f) { return f && f->name == field; });
    };
    const FieldRoles& roles = m_collection.roles;
    const bool loans = !roles.borrower.empty();
    const bool noLoans = loans && !hasColumn(roles.borrower) && !hasColumn(roles.loanDate);
    const bool noFiles = !hasColumn("File01") && !hasColumn("File02") && !hasColumn("File03");
    if (noLoans && noFiles)
        lines << QStringLiteral("Il file non ha le colonne dei prestiti (Prestato, Scadenza) né quelle degli allegati (File01...Desc03): "
                                "le schede importate non avranno prestiti né allegati.");
    else if (noLoans)
        lines << QStringLiteral("Il file non ha le colonne dei prestiti (Prestato, Scadenza): le schede importate non avranno prestiti.");
    else if (noFiles)
        lines << QStringLiteral("Il file non ha le colonne degli allegati (File01...Desc03): le schede importate non avranno allegati.");
    return lines;
}

QStringList CardImport::describe(QList<Problem> sorted) const
{
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const Problem& a, const Problem& b) { return a.line != b.line ? a.line < b.line : a.column < b.column; });
    QStringList lines;
    for (const Problem& p : sorted) {
        const QString row = m_fromSource ? m_source->rowName() : QStringLiteral("riga");
        QString where = p.line > 0 ? QStringLiteral("%1 %2").arg(row).arg(p.line) : QStringLiteral("file");
        if (p.column > 0 && m_fromSource) {
            where += QStringLiteral(", campo %1").arg(m_header.value(p.column - 1));
        } else if (p.column > 0) {
            where += QStringLiteral(", colonna %1").arg(columnName(p.column));
            const QString caption = m_header.value(p.column - 1);
            if (!caption.isEmpty())
                where += QStringLiteral(" (\"%1\")").arg(caption);
        }
        lines << where + QStringLiteral(": ") + p.text;
    }
    return lines;
}

QStringList CardImport::report() const
{
    QStringList lines = describe(m_problems + m_duplicates);
    const int unlisted = m_problemCount + m_duplicateCount - static_cast<int>(lines.size());
    if (unlisted > 0)
        lines << (unlisted == 1 ? QStringLiteral("... e un altro problema non elencato")
                                : QStringLiteral("... e altri %1 non elencati").arg(Text::counted(unlisted, u"problema", u"problemi")));
    if (m_unknownColumn)
        lines << ImportNames(m_collection).accepted();
    return lines;
}

QStringList CardImport::warningReport() const
{
    QStringList lines = describe(m_warnings);
    for (QString& line : lines)
        line = QStringLiteral("avviso, ") + line;
    const int unlisted = m_warningCount - static_cast<int>(m_warnings.size());
    if (unlisted > 0)
        lines << QStringLiteral("... e altri %1 avvisi non elencati").arg(unlisted);
    return lines;
}
