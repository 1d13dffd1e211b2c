#include "LabelsCommand.h"

#include "core/collections/Collection.h"
#include "core/export/ExportTarget.h"
#include "core/labels/LabelCards.h"
#include "core/labels/LabelScan.h"
#include "core/labels/LabelSheet.h"
#include "core/storage/DiskFile.h"
#include "core/storage/ProgramFolder.h"
#include "core/text/Text.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

namespace {

constexpr int kNothingChosen = 1;
constexpr int kBadArguments = 2;
// The PDF is written, but some of its labels will not scan.
constexpr int kSomeWillNotScan = 3;

int refuse(QTextStream& err, const QString& message)
{
    err << "tomaria-cli: " << message << "\n";
    return kBadArguments;
}

bool readPosition(const QString& text, qint64& into)
{
    bool ok = false;
    into = text.toLongLong(&ok);
    return ok && into >= 1;
}

} // namespace

namespace LabelsCommand {

QString read(const Given& given, Request& request)
{
    const auto has = [&](const char* name) { return given.values.contains(QLatin1String(name)); };
    const auto value = [&](const char* name) { return given.values.value(QLatin1String(name)); };
    request.choice.withCancelled = given.withCancelled;
    if (has("start")) {
        bool ok = false;
        request.start = value("start").toInt(&ok);
        if (!ok || request.start < 1)
            return QStringLiteral("--start vuole la posizione dell'etichetta sul primo foglio, da 1");
    }
    int ranges = 0;
    if (has("since-position")) {
        request.choice.range = LabelChoice::Range::Since;
        if (!readPosition(value("since-position"), request.choice.sincePosition))
            return QStringLiteral("--since-position vuole una posizione, da 1");
        ++ranges;
    }
    if (has("shelf")) {
        request.choice.range = LabelChoice::Range::Shelf;
        request.choice.shelf = value("shelf");
        ++ranges;
    }
    if (has("from-code") || has("to-code")) {
        request.choice.range = LabelChoice::Range::Codes;
        request.choice.fromCode = value("from-code");
        request.choice.toCode = value("to-code");
        ++ranges;
    }
    if (ranges > 1)
        return QStringLiteral("scegliere un solo criterio: --from-code/--to-code, --shelf o --since-position");
    if (value("kind") == QLatin1String("spine"))
        request.kind = LabelReport::Kind::Spine;
    else if (value("kind") == QLatin1String("barcode"))
        request.kind = LabelReport::Kind::Barcode;
    else
        return QStringLiteral("--kind vuole spine o barcode");
    request.sheet = LabelSheet::find(value("sheet"));
    if (!request.sheet) {
        QStringList keys;
        for (const LabelSheet& s : LabelSheet::presets())
            keys << s.key;
        return QStringLiteral("--sheet vuole uno di %1").arg(keys.join(QStringLiteral(", ")));
    }
    if (request.start > request.sheet->perSheet())
        return QStringLiteral("--start va da 1 a %1 per il foglio %2").arg(request.sheet->perSheet()).arg(request.sheet->key);
    if (given.out.isEmpty())
        return QStringLiteral("labels vuole --out FILE.pdf");
    if (!given.out.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return QStringLiteral("--out deve indicare un file .pdf");
    if (const QString refusal = ExportTarget::refusal(given.out, ExportTarget::Kind::Pdf, given.force); !refusal.isEmpty())
        return refusal;
    request.out = given.out;
    return QString();
}

int run(const Collection& collection, const Given& given, QTextStream& stdOut, QTextStream& err)
{
    if (!Collection::labelled(collection))
        return refuse(err, QStringLiteral("labels vale soltanto per ") + Text::listed(Collection::keys(&Collection::labelled)));
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return refuse(err, QStringLiteral("labels ha bisogno dei caratteri del sistema, non disponibili"));
    if (!given.unknown.isEmpty())
        return refuse(err, QStringLiteral("labels non conosce --%1").arg(given.unknown.first()));
    Request request;
    if (const QString refusal = read(given, request); !refusal.isEmpty())
        return refuse(err, refusal);

    const QString archive = ProgramFolder::file(collection.archiveName());
    if (!DiskFile::isRegular(archive))
        return refuse(err, QStringLiteral("impossibile leggere %1: %2").arg(QDir::toNativeSeparators(archive), DiskFile::kMissing));
    QList<LabelCard> cards;
    if (!LabelCards::select(collection, archive, request.choice, cards))
        return refuse(err, QStringLiteral("impossibile leggere %1: errore di lettura").arg(QDir::toNativeSeparators(archive)));
    if (cards.isEmpty()) {
        err << "tomaria-cli: " << LabelCards::kNothingChosen << "\n";
        return kNothingChosen;
    }
    LabelReport::Request sheets;
    sheets.kind = request.kind;
    sheets.sheet = *request.sheet;
    sheets.start = request.start;
    sheets.libraryName = LabelSettings::libraryName();
    const PreparedReport pages = LabelReport::prepare(cards, sheets);
    QString reason;
    if (!LabelReport::writePdf(pages, request.out, &reason))
        return refuse(err,
            QStringLiteral("impossibile scrivere %1: %2; l'eventuale file precedente è rimasto com'era")
                .arg(QDir::toNativeSeparators(request.out), reason));
    stdOut << LabelReport::counted(cards.size(), pages.pageCount()) << (cards.size() == 1 ? " scritta in " : " scritte in ") << request.out
           << "\n";
    if (request.kind == LabelReport::Kind::Barcode) {
        if (const QList<LabelScan::Problem> problems = LabelScan::check(cards, *request.sheet); !problems.isEmpty()) {
            err << "tomaria-cli: " << LabelScan::heading(problems.size()) << "\n";
            for (const LabelScan::Problem& p : problems)
                err << "  " << p.line() << "\n";
            return kSomeWillNotScan;
        }
    }
    return 0;
}

} // namespace LabelsCommand
