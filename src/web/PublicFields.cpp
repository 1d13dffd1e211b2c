#include "web/PublicFields.h"

#include "core/access/IniFile.h"
#include "core/collections/Collection.h"
#include "core/text/Text.h"

#include <algorithm>

namespace {

// Not shown unless Tomaria.ini names them.
constexpr std::string_view kPrivateByDefault[] = {"Prezzo", "Note", "Annullata", "Convalida"};

} // namespace

PublicFields::PublicFields(const Collection& collection, const QString& iniPath)
    : m_collection(collection)
{
    const QString listed = IniFile(iniPath).value(kSection, Text::utf8(collection.caption));
    if (!listed.trimmed().isEmpty()) {
        for (const QString& name : listed.split(u',')) {
            const QByteArray latin = Text::trimmed(name).toLatin1();
            const FieldDef* def = collection.layout->find(std::string_view(latin.constData(), static_cast<std::size_t>(latin.size())));
            if (def && !neverPublic(collection, def->name) && std::find(m_fields.begin(), m_fields.end(), def) == m_fields.end())
                m_fields.push_back(def);
        }
        return;
    }
    for (const FieldCaption& c : collection.captions) {
        const FieldDef* def = collection.layout->find(c.field);
        if (!def || neverPublic(collection, c.field))
            continue;
        if (std::find(std::begin(kPrivateByDefault), std::end(kPrivateByDefault), c.field) != std::end(kPrivateByDefault))
            continue;
        m_fields.push_back(def);
    }
}

bool PublicFields::neverPublic(const Collection& collection, std::string_view field)
{
    // The attachments are files of the program folder, which the catalogue
    // never serves.
    const bool attachment = field.starts_with("File") || field.starts_with("Desc");
    return attachment || (!collection.roles.borrower.empty() && field == collection.roles.borrower)
        || (!collection.roles.loanDate.empty() && field == collection.roles.loanDate);
}

bool PublicFields::isPublic(std::string_view field) const
{
    return std::any_of(m_fields.begin(), m_fields.end(), [&](const FieldDef* f) { return f->name == field; });
}

QString PublicFields::caption(const FieldDef& field) const
{
    QString text = m_collection.fieldCaption(field.name);
    if (text.isEmpty())
        return Text::latin1(field.name);
    text = Text::trimmed(text);
    if (text.endsWith(u':'))
        text.chop(1);
    return text;
}
