#include "ImportNames.h"

#include "core/collections/Collection.h"
#include "core/collections/ExportTable.h"
#include "core/text/Text.h"

namespace {

QString withoutColon(const QString& caption)
{
    QString text = Text::trimmed(caption);
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return Text::trimmed(text);
}

} // namespace

ImportNames::ImportNames(const Collection& collection)
    : m_collection(collection)
{
}

QString ImportNames::normalized(const QString& header)
{
    QString out;
    out.reserve(header.size());
    for (const QChar ch : header) {
        if (!Text::isBlank(ch.unicode()) && ch != QChar(0x00A0))
            out += ch.toLower();
    }
    if (out.endsWith(QLatin1Char(':')))
        out.chop(1);
    return out;
}

bool ImportNames::multiLine(const Collection& c, std::string_view field)
{
    for (const FieldCaption& caption : c.captions) {
        if (caption.field == field)
            return caption.severalLines;
    }
    return false;
}

const FieldDef* ImportNames::field(const QString& header) const
{
    const QString wanted = normalized(header);
    if (wanted.isEmpty())
        return nullptr;
    for (const FieldDef& f : m_collection.layout->fields) {
        if (normalized(Text::latin1(f.name)) == wanted)
            return &f;
    }
    for (const FieldCaption& caption : m_collection.captions) {
        if (normalized(Text::utf8(caption.caption)) == wanted)
            return m_collection.layout->find(caption.field);
    }
    for (const ExportColumn& c : m_collection.exportTable->columns) {
        if (normalized(Text::utf8(c.fileCaption)) == wanted)
            return m_collection.layout->find(c.field);
    }
    return nullptr;
}

QString ImportNames::accepted() const
{
    QStringList fields;
    for (const FieldDef& f : m_collection.layout->fields) {
        QStringList names{Text::latin1(f.name)};
        auto add = [&](const QString& name) {
            if (!name.isEmpty() && !names.contains(name, Qt::CaseInsensitive))
                names << name;
        };
        add(withoutColon(m_collection.fieldCaption(f.name)));
        for (const ExportColumn& c : m_collection.exportTable->columns) {
            if (c.field == f.name)
                add(Text::utf8(c.fileCaption));
        }
        fields << (names.size() == 1 ? names.first()
                                     : names.first() + QStringLiteral(" (o ") + names.mid(1).join(QStringLiteral(", ")) + QLatin1Char(')'));
    }
    return QStringLiteral("colonne ammesse per %1: %2").arg(m_collection.pluralWithArticle(), fields.join(QStringLiteral("; ")));
}
