#include "ImportNames.h"

#include "core/collections/Collection.h"
#include "core/collections/ExportTable.h"
#include "core/text/Text.h"

#include <span>

namespace {

struct Caption {
    std::string_view field;
    std::string_view caption; // UTF-8, as the card screen shows it
};

// The captions of the card screens (the core holds no screen, so they are
// kept here; the card tests check that each screen's caption is accepted).
constexpr Caption kBookCaptions[] = {
    {"Titolo", "Titolo libro:"}, {"Codice", "Codice:"}, {"Scaffale", "Scaffale:"}, {"Autore", "Autore:"},
    {"Nazione", "Nazione:"}, {"Curatore", "Curatore:"}, {"Dewey", "Dewey:"}, {"Pagine", "Pagine:"},
    {"Genere", "Genere:"}, {"Giudizio", "Giudizio:"}, {"Editore", "Casa editrice:"}, {"Isbn", "ISBN:"},
    {"Citta", "Città:"}, {"Anno", "Anno:"}, {"Volumi", "Volumi:"}, {"Prezzo", "Prezzo:"},
    {"Collana", "Collana:"}, {"Formato", "Formato:"}, {"Originale", "Titolo originale:"}, {"Lingua", "Lingua:"},
    {"Prima", "1^ pubbl."}, {"Traduttore", "Traduttore:"}, {"Versione", "Versione:"}, {"Note", "Note:"},
    {"Prestato", "Prestato a:"}, {"Scadenza", "Data prestito:"},
};

constexpr Caption kDvdCaptions[] = {
    {"Titolo", "Titolo DVD:"}, {"Codice", "Codice:"}, {"Scaffale", "Scaffale:"}, {"Regia", "Regia:"},
    {"Nazione", "Nazione:"}, {"Protagonista", "Protagonista:"}, {"Anno", "Anno:"}, {"Durata", "Durata:"},
    {"Genere", "Genere:"}, {"Giudizio", "Giudizio:"}, {"Distribuzione", "Distribuzione:"},
    {"Sceneggiatura", "Sceneggiatura:"}, {"Collana", "Collana:"}, {"Prezzo", "Prezzo:"}, {"Cast", "Cast:"},
    {"Contenuti", "Contenuti:"}, {"Originale", "Titolo originale:"}, {"Lingua", "Lingua originale:"},
    {"AltreLingue", "Altre lingue:"}, {"Sottotitoli", "Sottotitoli:"}, {"Premi", "Premi:"}, {"Note", "Note:"},
    {"Prestato", "Prestato a:"}, {"Scadenza", "Scadenza:"},
};

constexpr Caption kArticleCaptions[] = {
    {"Titolo", "Titolo articolo:"}, {"DataPub", "Data pubblicazione:"}, {"Genere", "Genere:"},
    {"Autore", "Nome autore:"}, {"Testata", "Nome testata:"}, {"NumTestata", "Numero:"},
    {"Testo", "Testo articolo:"}, {"Sintesi", "Sintesi:"}, {"Valutazione", "Valutazione:"}, {"Note", "Note:"},
};

std::span<const Caption> captionsOf(const Collection& c)
{
    if (c.key == "books")
        return kBookCaptions;
    if (c.key == "dvd")
        return kDvdCaptions;
    if (c.key == "articles")
        return kArticleCaptions;
    return {};
}

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

QString ImportNames::cardCaption(const Collection& c, std::string_view field)
{
    for (const Caption& caption : captionsOf(c)) {
        if (caption.field == field)
            return Text::utf8(caption.caption);
    }
    return {};
}

bool ImportNames::multiLine(const Collection& c, std::string_view field)
{
    return c.layout->kind == SlotKind::ZeroTerminated && field == "Testo";
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
    for (const Caption& caption : captionsOf(m_collection)) {
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
        add(withoutColon(cardCaption(m_collection, f.name)));
        for (const ExportColumn& c : m_collection.exportTable->columns) {
            if (c.field == f.name)
                add(Text::utf8(c.fileCaption));
        }
        fields << (names.size() == 1 ? names.first() : names.first() + QStringLiteral(" (o ") + names.mid(1).join(QStringLiteral(", ")) + QLatin1Char(')'));
    }
    return QStringLiteral("colonne ammesse per %1: %2").arg(m_collection.pluralWithArticle(), fields.join(QStringLiteral("; ")));
}
