#include "Collection.h"

#include "core/collections/Articles.h"
#include "core/collections/Books.h"
#include "core/collections/Dvds.h"
#include "core/collections/ExportTable.h"
#include "core/search/SearchTable.h"
#include "core/text/Text.h"

#include <QFile>

#include <initializer_list>
#include <vector>

namespace {

// The collections in menu order; add() appends.
std::vector<const Collection*>& registered()
{
    static std::vector<const Collection*> list{&Books::collection(), &Dvds::collection(), &Articles::collection()};
    return list;
}

} // namespace

bool Collection::hasCancelledFlag() const
{
    return layout->find("Annullata") != nullptr;
}

QString Collection::fieldCaption(std::string_view field) const
{
    for (const FieldCaption& c : captions) {
        if (c.field == field)
            return Text::utf8(c.caption);
    }
    return {};
}

QString Collection::archiveName(const QString& year) const
{
    if (!yearly())
        return Text::latin1(archiveFile);
    return Text::trimmed(year) + Text::latin1(yearlySuffix);
}

std::span<const Collection* const> Collection::all()
{
    return registered();
}

bool Collection::add(const Collection& collection)
{
    if (find(collection.key) || !collection.tableFaults().isEmpty())
        return false;
    for (const Collection* c : all()) {
        if (c->callerTag == collection.callerTag)
            return false;
    }
    registered().push_back(&collection);
    return true;
}

QString Collection::pluralWithArticle() const
{
    return Text::utf8(article) + QLatin1Char(' ') + Text::utf8(plural);
}

QStringList Collection::keys(bool (*has)(const Collection&))
{
    QStringList names;
    for (const Collection* c : all()) {
        if (has(*c))
            names << Text::latin1(c->key);
    }
    return names;
}

QStringList Collection::plurals(bool (*has)(const Collection&), bool withArticle)
{
    QStringList names;
    for (const Collection* c : all()) {
        if (has(*c))
            names << (withArticle ? c->pluralWithArticle() : Text::utf8(c->plural));
    }
    return names;
}

const Collection* Collection::find(std::string_view key)
{
    for (const Collection* c : all()) {
        if (c->key == key)
            return c;
    }
    return nullptr;
}

namespace {

bool named(std::string_view field, std::initializer_list<std::string_view> roles, std::span<const std::string_view> more)
{
    if (field.empty())
        return false;
    for (std::string_view r : roles) {
        if (r == field)
            return true;
    }
    for (std::string_view f : more) {
        if (f == field)
            return true;
    }
    return false;
}

} // namespace

bool Collection::isDateField(std::string_view field) const
{
    return named(field, {roles.loanDate}, dateFields);
}

bool Collection::isTextNumber(std::string_view field) const
{
    return named(field, {roles.code, roles.shelf, roles.isbn}, textNumbers);
}

QStringList Collection::tableFaults() const
{
    QStringList faults;
    auto check = [&](const char* table, std::string_view field) {
        if (!field.empty() && !layout->find(field))
            faults << QStringLiteral("%1: %2").arg(QLatin1String(table), Text::latin1(field));
    };
    for (const RequiredField& r : required)
        check("required", r.field);
    for (const SearchTable* s : {search, available}) {
        if (!s)
            continue;
        if (s->layout != layout)
            faults << QStringLiteral("search: another layout");
        for (const SearchFilter& f : s->filters)
            check("filter", f.field);
        for (const LinePiece& p : s->line)
            check("line", p.field);
        check("skip", s->skip.flagField);
        for (std::string_view f : s->skip.mustBeEmpty)
            check("skip", f);
    }
    if (exportTable->layout != layout)
        faults << QStringLiteral("export: another layout");
    for (const ExportColumn& c : exportTable->columns)
        check("export", c.field);
    if (sheet) {
        for (const PrintSheet::Row& r : sheet->rows)
            check("sheet", r.field);
    }
    for (std::string_view f : {roles.code, roles.title, roles.person, roles.shelf, roles.dewey, roles.isbn, roles.borrower, roles.loanDate})
        check("roles", f);
    for (const FieldCaption& c : captions)
        check("captions", c.field);
    for (std::string_view f : dateFields)
        check("dateFields", f);
    for (std::string_view f : textNumbers)
        check("textNumbers", f);
    for (const StatsSection& s : stats) {
        if (s.readsField() && s.field.empty())
            faults << QStringLiteral("stats: %1 counts no field").arg(Text::utf8(s.name));
        check("stats", s.field);
    }
    if (!stats.empty() && stats.front().kind != StatsKind::Totals)
        faults << QStringLiteral("stats: the totals are not first");
    auto resource = [&](const QString& path) {
        if (!QFile::exists(path))
            faults << QStringLiteral("resources: %1").arg(path);
    };
    for (const char* prefix : {"tile_", "btn_"})
        resource(QStringLiteral(":/pictures/%1%2.svg").arg(QLatin1String(prefix), Text::latin1(picture)));
    for (const HelpTopic& h : {cardHelp, exportHelp})
        resource(QStringLiteral(":/help/%1.txt").arg(Text::latin1(h.topic)));
    if (loans) {
        if (roles.code.empty() || roles.title.empty() || roles.borrower.empty() || roles.loanDate.empty())
            faults << QStringLiteral("loans: no code, title, borrower or loan date role");
        if (!available)
            faults << QStringLiteral("loans: no available search");
        if (loans->dateWords.empty() || loans->lateWords.empty() || loans->overdue.empty())
            faults << QStringLiteral("loans: no words for the loans screen");
    }
    if (!sample)
        faults << QStringLiteral("sample: no filler");
    if (plural.empty() || article.empty())
        faults << QStringLiteral("words: no plural");
    return faults;
}
