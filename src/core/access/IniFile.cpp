#include "IniFile.h"

#include "core/storage/Cp1252.h"
#include "core/storage/DiskFile.h"
#include "core/storage/SideFile.h"
#include "core/text/Text.h"

#include <QFile>

#include <string_view>
#include <utility>

namespace {

// The name of a section line ("[name]"), or a null string for other lines.
QString sectionName(QStringView line)
{
    const QString t = Text::trimmed(line);
    if (!t.startsWith(QLatin1Char('[')))
        return QString();
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return QString();
    QString name = Text::trimmed(QStringView(t).sliced(1, close - 1));
    if (name.isNull())
        name = QLatin1String("");
    return name;
}

bool isComment(QStringView line)
{
    const QString t = Text::trimmed(line);
    return t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#'));
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
    // Never through a link, and never a FIFO or a device, which could block
    // or never end: such a thing is left alone, and read as a file that
    // cannot be read (so a password file is never taken for an empty one).
    QByteArray bytes;
    switch (SideFile::read(m_path, &bytes)) {
    case SideFile::Got::Absent:
        return;
    case SideFile::Got::Foreign:
    case SideFile::Got::Unreadable:
        m_readable = false;
        return;
    case SideFile::Got::Read:
        break;
    }
    // Editors that mark their text with a UTF-8 byte-order mark write UTF-8.
    static constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    QString text = bytes.startsWith(QByteArray::fromRawData(kUtf8Mark.data(), kUtf8Mark.size()))
        ? QString::fromUtf8(bytes.constData() + kUtf8Mark.size(), bytes.size() - qsizetype(kUtf8Mark.size()))
        : Cp1252::decode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    // Lines end in CR LF, LF or a lone CR, whichever the editor wrote.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_lines = text.split(QLatin1Char('\n'));
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast(); // the end of the last line, not a line
}

qsizetype IniFile::findSection(QStringView section, qsizetype* end) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QString name = sectionName(m_lines[i]);
        if (name.isNull() || !sameName(name, section))
            continue;
        qsizetype j = i + 1;
        while (j < m_lines.size() && sectionName(m_lines[j]).isNull())
            ++j;
        *end = j;
        return i;
    }
    return -1;
}

qsizetype IniFile::findKey(qsizetype from, qsizetype to, QStringView key) const
{
    for (qsizetype i = from; i < to; ++i) {
        const QString& line = m_lines[i];
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0 && !isComment(line) && sameName(Text::trimmed(QStringView(line).left(eq)), key))
            return i;
    }
    return -1;
}

QString IniFile::value(QStringView section, QStringView key) const
{
    qsizetype end = 0;
    const qsizetype at = findSection(section, &end);
    if (at < 0)
        return QString();
    const qsizetype line = findKey(at + 1, end, key);
    if (line < 0)
        return QString();
    const QString& text = m_lines[line];
    QString v = Text::trimmed(QStringView(text).sliced(text.indexOf(QLatin1Char('=')) + 1));
    // A value written in double quotes is read without them.
    if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
        v = v.mid(1, v.size() - 2);
    return v;
}

void IniFile::setValue(QStringView section, QStringView key, QStringView value)
{
    const QString entry = key.toString() + QLatin1Char('=') + value.toString();
    qsizetype end = 0;
    const qsizetype at = findSection(section, &end);
    if (at < 0) {
        m_lines << QLatin1Char('[') + section.toString() + QLatin1Char(']') << entry;
        return;
    }
    if (const qsizetype line = findKey(at + 1, end, key); line >= 0) {
        const QString& old = m_lines[line];
        m_lines[line] = Text::trimmed(QStringView(old).left(old.indexOf(QLatin1Char('=')))) + QLatin1Char('=') + value.toString();
        return;
    }
    // After the last line of the section that is not blank, so the blank
    // lines that part it from the next section stay where they are.
    qsizetype insertAt = end;
    while (insertAt > at + 1 && Text::trimmed(m_lines[insertAt - 1]).isEmpty())
        --insertAt;
    m_lines.insert(insertAt, entry);
}

bool IniFile::save() const
{
    if (!m_readable)
        return false;
    QByteArray bytes;
    for (const QString& line : m_lines) {
        bytes += Cp1252::encode(line);
        bytes += "\r\n";
    }
    // A new file beside it, renamed over it; never written through a link.
    return SideFile::replace(
        m_path, [&](QFileDevice& file, QString*) { return DiskFile::writeAll(file, bytes.constData(), bytes.size()); });
}
