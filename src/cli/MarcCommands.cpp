#include "MarcCommands.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/export/ExportTarget.h"
#include "core/storage/DiskFile.h"
#include "core/text/Text.h"
#include "core/import/NextCodes.h"
#include "lookup/MarcExport.h"
#include "lookup/MarcRowSource.h"

#include <QDir>
#include <QRegularExpression>
#include <QTextStream>

namespace {

constexpr int kBadArguments = 2;

int refuse(QTextStream& err, const QString& message)
{
    err << "tomaria-cli: " << message << "\n";
    return kBadArguments;
}

} // namespace

int MarcCommands::exportBooks(
    const Collection& collection, const QString& archivePath, const QString& out, const Given& given, QTextStream& stdOut, QTextStream& err)
{
    if (&collection != &Books::collection())
        return refuse(err, QStringLiteral("--marc21 e --unimarc valgono soltanto per books"));
    if (given.marc21 == given.unimarc)
        return refuse(err, QStringLiteral("export MARC vuole --marc21 oppure --unimarc"));
    if (out.isEmpty())
        return refuse(err, QStringLiteral("export --marc21|--unimarc vuole --out FILE"));
    if (!DiskFile::isRegular(archivePath))
        return refuse(err, QStringLiteral("impossibile leggere %1: %2").arg(QDir::toNativeSeparators(archivePath), DiskFile::kMissing));
    if (const QString refusal = ExportTarget::refusal(out, ExportTarget::Kind::Marc, given.force); !refusal.isEmpty())
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
    stdOut << Text::counted(outcome.cards, u"scheda esportata", u"schede esportate") << " come " << Catalogue::syntaxName(options.syntax)
           << (given.xml ? " (MARCXML)" : " (ISO 2709, UTF-8)") << " in " << out << "\n";
    return 0;
}

std::unique_ptr<CardRowSource> MarcCommands::importSource(
    const Collection& collection, const QString& archivePath, const ImportGiven& given, QString* refusal)
{
    if (&collection != &Books::collection()) {
        *refusal = notForBooksOnly();
        return nullptr;
    }
    MarcRowSource::Options options;
    if (!given.syntax.isEmpty()) {
        Catalogue::Syntax syntax = Catalogue::Syntax::Marc21;
        if (!Catalogue::syntaxFromName(given.syntax, &syntax)) {
            *refusal = QStringLiteral("--syntax vuole marc21 o unimarc");
            return nullptr;
        }
        options.syntax = syntax;
    }
    if (!given.codeTag.isEmpty() && given.codePrefixGiven) {
        *refusal = QStringLiteral("--code-tag e --code-prefix non vanno insieme");
        return nullptr;
    }
    if (!given.codeTag.isEmpty()) {
        static const QRegularExpression tag(
            QRegularExpression::anchoredPattern(QStringLiteral("00[1-9]|0[1-9][0-9][a-z0-9]|[1-9][0-9]{2}[a-z0-9]")));
        if (!tag.match(given.codeTag).hasMatch()) {
            *refusal = QStringLiteral("--code-tag vuole un campo di controllo (001) o un'etichetta e un sottocampo (852p)");
            return nullptr;
        }
        options.codeTag = given.codeTag;
    } else {
        // The archive is read for its highest code only for a MARC file.
        NextCodes codes;
        if (!codes.load(collection, archivePath, given.codePrefix)) {
            *refusal = QStringLiteral("impossibile leggere %1 per trovarne l'ultimo codice").arg(QDir::toNativeSeparators(archivePath));
            return nullptr;
        }
        options.codePrefix = given.codePrefix;
        options.firstCode = codes.next();
        const QString sample = codes.take();
        options.codeWidth = static_cast<int>(sample.size() - given.codePrefix.size());
    }
    return std::make_unique<MarcRowSource>(options);
}
