#pragma once

#include "cli/CatalogueCommand.h"
#include "cli/LabelsCommand.h"
#include "cli/LookupCommand.h"
#include "cli/MarcCommands.h"
#include "core/export/CardCsv.h"

#include <QString>

#include <memory>

class CardRowSource;
class QCoreApplication;
class QTextStream;
struct Collection;

// The verbs whose libraries cost the command line its start: printing
// (Qt Gui, zint), the catalogue look-up and the MARC files (YAZ) and the .xlsx writer
// (libxlsxwriter). tomaria-cli finds them in plugins beside its executable,
// loaded on a verb's first use; a program that links them (the tests, the
// benchmarks) finds them in itself. Each call below runs the plugin's
// function of the same name.
namespace VerbPlugins {

// The plugins, by the base name of their file.
inline constexpr QStringView kPrint = u"tomaria-stampa";
inline constexpr QStringView kLookup = u"tomaria-catalogo";
inline constexpr QStringView kXlsx = u"tomaria-xlsx";

// Makes `plugin` ready for `verb`; false, with the reason said on `err` in
// the program's words, when it cannot be loaded.
bool load(QStringView plugin, const QString& verb, QTextStream& err);

// A plugin's exported function, looked for in `folder` (the program's
// own when empty); nullptr, with `why` said, when the plugin or the
// function is missing. Implemented twice: from files beside the program
// (PluginFiles.cpp) and from the program itself (LinkedPlugins.cpp).
using Function = void (*)();
Function find(QStringView plugin, const char* name, const QString& folder, QString* why);

// The application the print plugin makes (a QGuiApplication, whose fonts
// measure the labels' and letters' texts) for `verb` of a program in
// `folder`; nullptr, with the reason said on `err`, when the plugin is
// missing.
QCoreApplication* application(const QString& folder, const QString& verb, int& argc, char** argv, QTextStream& err);

int labels(const Collection& collection, const LabelsCommand::Given& given, QTextStream& out, QTextStream& err);
int reminders(int days, const QString& pdf, QTextStream& out, QTextStream& err);
int lookup(const QString& isbn, const LookupCommand::Given& given, QTextStream& out, QTextStream& err);
bool saveXlsx(const Collection& collection, const QString& archivePath, const QString& path, CardCsv::Outcome* outcome);
int catalogue(const QString& path, const CatalogueCommand::Given& given, QTextStream& out, QTextStream& err);
int exportMarc(const Collection& collection, const QString& archivePath, const QString& path, const MarcCommands::Given& given,
    QTextStream& out, QTextStream& err);
// The look-up plugin's reader of a MARC file for the import; nullptr when
// the options are wrong (`refusal` says why) or the plugin is missing
// (said on `err`).
std::unique_ptr<CardRowSource> marcSource(
    const Collection& collection, const QString& archivePath, const MarcCommands::ImportGiven& given, QString* refusal, QTextStream& err);

} // namespace VerbPlugins

// The functions the plugins export, by these names, with these types.
extern "C" {
using TomariaApplication = QCoreApplication* (*)(int& argc, char** argv);
using TomariaLabels = int (*)(const Collection&, const LabelsCommand::Given&, QTextStream&, QTextStream&);
using TomariaReminders = int (*)(int, const QString&, QTextStream&, QTextStream&);
using TomariaLookup = int (*)(const QString&, const LookupCommand::Given&, QTextStream&, QTextStream&);
using TomariaSaveXlsx = bool (*)(const Collection&, const QString&, const QString&, CardCsv::Outcome*);
using TomariaCatalogue = int (*)(const QString&, const CatalogueCommand::Given&, QTextStream&, QTextStream&);
using TomariaExportMarc = int (*)(
    const Collection&, const QString&, const QString&, const MarcCommands::Given&, QTextStream&, QTextStream&);
// The reader is the caller's to delete (its destructor is virtual).
using TomariaMarcSource = CardRowSource* (*)(const Collection&, const QString&, const MarcCommands::ImportGiven&, QString*);
}
