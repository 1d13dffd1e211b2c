#include "CommandLine.h"

#include "cli/ArchiveCheck.h"
#include "core/export/ExportModel.h"
#include "core/export/ExportTable.h"
#include "core/export/Spreadsheet.h"
#include "core/search/Search.h"
#include "core/search/SearchTable.h"
#include "core/collections/Collection.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"
#include "core/collections/SampleCards.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

namespace {

struct Options {
    QString command;
    const Collection* collection = nullptr;
    QString year;
    QString out;
    bool available = false;
    QList<QPair<QString, QString>> filters; // field (lower case), text
    QStringList positional;
    quint32 seed = 1;
};

constexpr int kBadArguments = 2;

int fail(QTextStream& err, const QString& message)
{
    err << "tomaria-cli: " << message << "\n" << CommandLine::usage();
    err.flush();
    return kBadArguments;
}

QString archivePath(const Options& o)
{
    return ProgramFolder::file(o.collection->archiveName(o.year));
}

int sample(const Options& o, QTextStream& out, QTextStream& err)
{
    bool ok = false;
    const int count = o.positional.value(0).toInt(&ok);
    if (!ok || count < 0 || o.positional.size() != 1)
        return fail(err, QStringLiteral("sample needs the number of cards to add"));
    RecordStore store;
    if (!store.open(archivePath(o), o.collection->layout->size)) {
        err << "tomaria-cli: cannot open " << archivePath(o) << " for writing\n";
        return kBadArguments;
    }
    const qint64 first = store.count();
    if (!store.seek(first))
        return kBadArguments;
    SampleCards cards(o.seed);
    Record record(*o.collection->layout);
    // Cards go to the disk a thousand at a time: one write and one flush each.
    constexpr int kBatch = 1000;
    QByteArray batch;
    for (int i = 0; i < count; ++i) {
        cards.fill(*o.collection, record, static_cast<int>(first) + i + 1);
        batch += record.bytes();
        if ((i + 1) % kBatch == 0 || i + 1 == count) {
            if (!store.append(batch)) {
                err << "tomaria-cli: writing cards after " << store.count() << " failed: " << store.errorString() << "\n";
                return kBadArguments;
            }
            batch.clear();
        }
    }
    out << count << " schede aggiunte a " << archivePath(o) << " (ora " << store.count() << ")\n";
    return 0;
}

int search(const Options& o, QTextStream& out, QTextStream& err)
{
    if (!o.positional.isEmpty() || !o.out.isEmpty())
        return fail(err, QStringLiteral("search takes only filters and --available"));
    const SearchTable* table = o.available ? o.collection->available : o.collection->search;
    if (!table)
        return fail(err, QStringLiteral("--available is only for books and dvd"));
    Search engine(*table);
    for (const auto& [field, text] : o.filters) {
        if (!engine.setFilter(field.toStdString(), text))
            return fail(err, QStringLiteral("unknown field --%1 for %2").arg(field, QString::fromLatin1(o.collection->key.data(), qsizetype(o.collection->key.size()))));
    }
    QStringList lines;
    if (!engine.run(archivePath(o), lines, RecordStore::Mode::ReadExisting)) {
        err << "tomaria-cli: cannot read " << archivePath(o) << "\n";
        return kBadArguments;
    }
    for (const QString& line : lines)
        out << line << "\n";
    err << "Il presente riepilogo contiene " << lines.size() << " schede.\n";
    return 0;
}

int exportFile(const Options& o, QTextStream& out, QTextStream& err)
{
    if (!o.positional.isEmpty())
        return fail(err, QStringLiteral("export takes no further arguments"));
    const ExportTable& table = *o.collection->exportTable;
    // A missing archive is reported, never created by the export.
    if (!QFileInfo(archivePath(o)).isFile()) {
        err << "tomaria-cli: cannot read " << archivePath(o) << "\n";
        return kBadArguments;
    }
    const QString target = o.out.isEmpty()
        ? ProgramFolder::file(QString::fromUtf8(table.fileName.data(), qsizetype(table.fileName.size())))
        : o.out;
    ExportModel grid(table);
    if (!grid.load(archivePath(o))) {
        err << "tomaria-cli: cannot read " << archivePath(o) << "\n";
        return kBadArguments;
    }
    if (!Spreadsheet::save(grid, target)) {
        err << "tomaria-cli: cannot write " << target << "; any previous file is unchanged\n";
        return kBadArguments;
    }
    out << grid.rowCount() << " schede esportate in " << target << "\n";
    return 0;
}

int check(const Options& o, QTextStream& out, QTextStream& err)
{
    if (!o.positional.isEmpty())
        return fail(err, QStringLiteral("check takes no further arguments"));
    const ArchiveCheck::Report report = ArchiveCheck::run(*o.collection, archivePath(o));
    if (!report.readable) {
        err << "tomaria-cli: cannot read " << archivePath(o) << "\n";
        return kBadArguments;
    }
    const QStringList lines = ArchiveCheck::describe(report);
    for (const QString& line : lines)
        out << line << "\n";
    return report.clean() ? 0 : 1;
}

} // namespace

namespace CommandLine {

QString usage()
{
    return QStringLiteral(
        "Usage:\n"
        "  tomaria-cli [--folder DIR] search books|dvd|articles [--year YYYY] [--available] [--FIELD TEXT]...\n"
        "  tomaria-cli [--folder DIR] export books|dvd|articles [--year YYYY] [--out FILE]\n"
        "  tomaria-cli [--folder DIR] check  books|dvd|articles [--year YYYY]\n"
        "  tomaria-cli [--folder DIR] sample books|dvd|articles COUNT [--year YYYY] [--seed N]\n"
        "--folder names the program folder (default: the folder of this program);\n"
        "--year is required for articles (archive YYYY.art).\n"
        "search: FIELD is the record field of a filter in lower case (--titolo, --autore, --isbn,\n"
        "  --regia, --testo, --datapub, ...); filters behave as on the search screens.\n");
}

int run(const QStringList& args, QTextStream& out, QTextStream& err)
{
    Options o;
    QString folder;
    QStringList rest;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        if (a == QLatin1String("--folder")) {
            if (!value(folder))
                return fail(err, QStringLiteral("--folder needs a folder"));
        } else if (a == QLatin1String("--year")) {
            if (!value(o.year))
                return fail(err, QStringLiteral("--year needs a year"));
        } else if (a == QLatin1String("--out")) {
            if (!value(o.out))
                return fail(err, QStringLiteral("--out needs a file"));
        } else if (a == QLatin1String("--seed")) {
            QString s;
            bool ok = false;
            if (!value(s) || (o.seed = s.toUInt(&ok), !ok))
                return fail(err, QStringLiteral("--seed needs a number"));
        } else if (a == QLatin1String("--available")) {
            o.available = true;
        } else if (a.startsWith(QLatin1String("--")) && a.size() > 2) {
            QString text;
            if (!value(text))
                return fail(err, a + QStringLiteral(" needs a text"));
            o.filters.append({a.mid(2), text});
        } else {
            rest << a;
        }
    }
    if (rest.size() < 2)
        return fail(err, QStringLiteral("missing command or collection"));
    o.command = rest.takeFirst();
    const QString key = rest.takeFirst();
    o.collection = Collection::find(key.toStdString());
    if (!o.collection)
        return fail(err, QStringLiteral("unknown collection \"%1\"").arg(key));
    o.positional = rest;
    if (o.collection->yearly()) {
        static const QRegularExpression fourDigits(QStringLiteral("^\\d{4}$"));
        if (!fourDigits.match(o.year).hasMatch())
            return fail(err, QStringLiteral("articles need --year YYYY"));
    } else if (!o.year.isEmpty()) {
        return fail(err, QStringLiteral("--year is only for articles"));
    }
    ProgramFolder::setPath(folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder);

    if (o.command == QLatin1String("sample"))
        return o.filters.isEmpty() && !o.available ? sample(o, out, err) : fail(err, QStringLiteral("sample takes no filters"));
    if (o.command == QLatin1String("search"))
        return search(o, out, err);
    if (o.command == QLatin1String("export"))
        return o.filters.isEmpty() && !o.available ? exportFile(o, out, err) : fail(err, QStringLiteral("export takes no filters"));
    if (o.command == QLatin1String("check"))
        return o.filters.isEmpty() && !o.available ? check(o, out, err) : fail(err, QStringLiteral("check takes no filters"));
    return fail(err, QStringLiteral("unknown command \"%1\"").arg(o.command));
}

} // namespace CommandLine
