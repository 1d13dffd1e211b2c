#include "LabelsCommand.h"

#include "core/collections/Collection.h"
#include "core/labels/LabelCards.h"
#include "core/labels/LabelSheet.h"
#include "core/storage/DiskFile.h"
#include "core/storage/ProgramFolder.h"
#include "core/text/Text.h"
#include "ui/labels/LabelReport.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

namespace {

constexpr int kBadArguments = 2;

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

int run(const Collection& collection, const QList<QPair<QString, QString>>& options, bool withCancelled,
    const QString& out, QTextStream& stdOut, QTextStream& err)
{
    if (!Collection::labelled(collection))
        return refuse(err, QStringLiteral("labels vale soltanto per ")
                + Text::listed(Collection::keys(&Collection::labelled)));
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return refuse(err, QStringLiteral("labels ha bisogno dei caratteri del sistema, non disponibili"));
    LabelReport::Request request;
    request.kind = LabelReport::Kind::Spine;
    QString kind;
    QString sheetKey;
    int start = 1;
    LabelChoice choice;
    choice.withCancelled = withCancelled;
    int ranges = 0;
    bool codes = false;
    for (const auto& [name, value] : options) {
        if (name == QLatin1String("kind")) {
            kind = value;
        } else if (name == QLatin1String("sheet")) {
            sheetKey = value;
        } else if (name == QLatin1String("start")) {
            bool ok = false;
            start = value.toInt(&ok);
            if (!ok || start < 1)
                return refuse(err, QStringLiteral("--start vuole la posizione dell'etichetta sul primo foglio, da 1"));
        } else if (name == QLatin1String("from-code")) {
            choice.fromCode = value;
            codes = true;
        } else if (name == QLatin1String("to-code")) {
            choice.toCode = value;
            codes = true;
        } else if (name == QLatin1String("shelf")) {
            choice.range = LabelChoice::Range::Shelf;
            choice.shelf = value;
            ++ranges;
        } else if (name == QLatin1String("since-position")) {
            choice.range = LabelChoice::Range::Since;
            if (!readPosition(value, choice.sincePosition))
                return refuse(err, QStringLiteral("--since-position vuole una posizione, da 1"));
            ++ranges;
        } else {
            return refuse(err, QStringLiteral("labels non conosce --%1").arg(name));
        }
    }
    if (codes) {
        choice.range = LabelChoice::Range::Codes;
        ++ranges;
    }
    if (ranges > 1)
        return refuse(err, QStringLiteral("scegliere un solo criterio: --from-code/--to-code, --shelf o --since-position"));
    if (kind == QLatin1String("spine"))
        request.kind = LabelReport::Kind::Spine;
    else if (kind == QLatin1String("barcode"))
        request.kind = LabelReport::Kind::Barcode;
    else
        return refuse(err, QStringLiteral("--kind vuole spine o barcode"));
    const LabelSheet* sheet = LabelSheet::find(sheetKey);
    if (!sheet) {
        QStringList keys;
        for (const LabelSheet& s : LabelSheet::presets())
            keys << s.key;
        return refuse(err, QStringLiteral("--sheet vuole uno di %1").arg(keys.join(QStringLiteral(", "))));
    }
    if (start > sheet->perSheet())
        return refuse(err, QStringLiteral("--start va da 1 a %1 per il foglio %2").arg(sheet->perSheet()).arg(sheet->key));
    if (out.isEmpty())
        return refuse(err, QStringLiteral("labels vuole --out FILE.pdf"));
    if (!out.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return refuse(err, QStringLiteral("--out deve indicare un file .pdf"));
    // Only a PDF is ever replaced: a link named .pdf that leads to an
    // archive or the password file is refused.
    if (const QFileInfo target(out); target.exists()
        && !target.canonicalFilePath().endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return refuse(err, QStringLiteral("%1 non è un file PDF: non viene sostituito").arg(QDir::toNativeSeparators(out)));

    const QString archive = ProgramFolder::file(collection.archiveName());
    if (!DiskFile::isRegular(archive))
        return refuse(err, QStringLiteral("impossibile leggere %1: %2").arg(QDir::toNativeSeparators(archive), DiskFile::kMissing));
    QList<LabelCard> cards;
    if (!LabelCards::select(collection, archive, choice, cards))
        return refuse(err, QStringLiteral("impossibile leggere %1: errore di lettura").arg(QDir::toNativeSeparators(archive)));
    request.sheet = *sheet;
    request.start = start;
    request.libraryName = LabelSettings::libraryName();
    const PreparedReport pages = LabelReport::prepare(cards, request);
    QString reason;
    if (!LabelReport::writePdf(pages, out, &reason))
        return refuse(err, QStringLiteral("impossibile scrivere %1: %2; l'eventuale file precedente è rimasto com'era")
                               .arg(QDir::toNativeSeparators(out), reason));
    stdOut << LabelReport::counted(cards.size(), pages.pageCount()) << (cards.size() == 1 ? " scritta in " : " scritte in ")
           << out << "\n";
    return 0;
}

} // namespace LabelsCommand
