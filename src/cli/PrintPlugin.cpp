#include "VerbPlugins.h"

#include "cli/DeskCommands.h"

#include <QGuiApplication>

// The print plugin, tomaria-stampa: label sheets and reminder letters as
// PDF files, over Qt Gui and zint; and the application they need.
extern "C" {

Q_DECL_EXPORT QCoreApplication* tomaria_application(int& argc, char** argv)
{
    return new QGuiApplication(argc, argv);
}

Q_DECL_EXPORT int tomaria_labels(const Collection& collection, const LabelsCommand::Given& given, QTextStream& out, QTextStream& err)
{
    return LabelsCommand::run(collection, given, out, err);
}

Q_DECL_EXPORT int tomaria_reminders(int days, const QString& pdf, QTextStream& out, QTextStream& err)
{
    return DeskCommands::reminders(days, pdf, out, err);
}
}
