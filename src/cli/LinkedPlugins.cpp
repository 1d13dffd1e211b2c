#include "VerbPlugins.h"

#include <cstring>

extern "C" {
QCoreApplication* tomaria_application(int& argc, char** argv);
int tomaria_labels(const Collection&, const LabelsCommand::Given&, QTextStream&, QTextStream&);
int tomaria_reminders(int, const QString&, QTextStream&, QTextStream&);
int tomaria_lookup(const QString&, const LookupCommand::Given&, QTextStream&, QTextStream&);
bool tomaria_save_xlsx(const Collection&, const QString&, const QString&, CardCsv::Outcome*);
int tomaria_catalogue(const QString&, const CatalogueCommand::Given&, QTextStream&, QTextStream&);
int tomaria_export_marc(const Collection&, const QString&, const QString&, const MarcCommands::Given&, QTextStream&, QTextStream&);
CardRowSource* tomaria_marc_source(const Collection&, const QString&, const MarcCommands::ImportGiven&, QString*);
}

// The plugins' functions linked into the program itself (the tests, the
// benchmarks), by the names the files export.
VerbPlugins::Function VerbPlugins::find(QStringView plugin, const char* name, const QString&, QString* why)
{
    struct Row {
        QStringView plugin;
        const char* name;
        Function function;
    };
    static const Row table[] = {
        {kPrint, "tomaria_application", reinterpret_cast<Function>(&tomaria_application)},
        {kPrint, "tomaria_labels", reinterpret_cast<Function>(&tomaria_labels)},
        {kPrint, "tomaria_reminders", reinterpret_cast<Function>(&tomaria_reminders)},
        {kLookup, "tomaria_lookup", reinterpret_cast<Function>(&tomaria_lookup)},
        {kLookup, "tomaria_catalogue", reinterpret_cast<Function>(&tomaria_catalogue)},
        {kLookup, "tomaria_export_marc", reinterpret_cast<Function>(&tomaria_export_marc)},
        {kLookup, "tomaria_marc_source", reinterpret_cast<Function>(&tomaria_marc_source)},
        {kXlsx, "tomaria_save_xlsx", reinterpret_cast<Function>(&tomaria_save_xlsx)},
    };
    for (const Row& row : table) {
        if (row.plugin == plugin && std::strcmp(row.name, name) == 0)
            return row.function;
    }
    *why = QStringLiteral("il modulo %1 non ha la funzione %2").arg(plugin.toString(), QLatin1StringView(name));
    return nullptr;
}
