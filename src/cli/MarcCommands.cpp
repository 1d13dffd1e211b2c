#include "MarcCommands.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/export/ExportTarget.h"
#include "core/storage/DiskFile.h"
#include "core/text/Text.h"
#include "lookup/MarcExport.h"

#include <QDir>
#include <QTextStream>

namespace {

constexpr int kBadArguments = 2;

int refuse(QTextStream& err, const QString& message)
{
    err << "tomaria-cli: " << message << "\n";
    return kBadArguments;
}

} // namespace

QString MarcCommands::exportUsage()
{
    return QStringLiteral("export --marc21|--unimarc: un record MARC 21 o UNIMARC per ogni scheda dei libri, ISO 2709 in UTF-8 o,\n"
                          "  con --xml, MARCXML; le schede annullate come record cancellati. --out non può indicare un file\n"
                          "  esistente che non sia un file MARC.\n");
}

int MarcCommands::exportBooks(const Collection& collection, const QString& archivePath, const QString& out, const Given& given,
    QTextStream& stdOut, QTextStream& err)
{
    if (&collection != &Books::collection())
        return refuse(err, QStringLiteral("--marc21 e --unimarc valgono soltanto per books"));
    if (given.marc21 == given.unimarc)
        return refuse(err, QStringLiteral("export MARC vuole --marc21 oppure --unimarc"));
    if (out.isEmpty())
        return refuse(err, QStringLiteral("export --marc21|--unimarc vuole --out FILE"));
    if (!DiskFile::isRegular(archivePath))
        return refuse(err, QStringLiteral("impossibile leggere %1: %2").arg(QDir::toNativeSeparators(archivePath), DiskFile::kMissing));
    if (const QString refusal = ExportTarget::marcRefusal(out); !refusal.isEmpty())
        return refuse(err, refusal);
    MarcExport::Options options;
    options.syntax = given.marc21 ? Catalogue::Syntax::Marc21 : Catalogue::Syntax::Unimarc;
    options.format = given.xml ? MarcWriter::Format::MarcXml : MarcWriter::Format::Iso2709;
    MarcExport::Outcome outcome;
    if (!MarcExport::save(archivePath, out, options, &outcome)) {
        err << "tomaria-cli: impossibile " << (outcome.readFailed ? "leggere " : "scrivere ")
            << QDir::toNativeSeparators(outcome.readFailed ? archivePath : out) << ": " << outcome.reason
            << "; l'eventuale file precedente è rimasto com'era\n";
        return kBadArguments;
    }
    stdOut << Text::counted(outcome.cards, u"scheda esportata", u"schede esportate") << " come "
           << Catalogue::syntaxName(options.syntax) << (given.xml ? " (MARCXML)" : " (ISO 2709, UTF-8)") << " in " << out << "\n";
    return 0;
}
