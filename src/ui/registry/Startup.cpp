#include "Startup.h"

#include "core/backup/SafetyCopy.h"
#include "core/storage/AppendJournal.h"
#include "core/storage/DiskFile.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Startup {

void beforeApplication()
{
    // A write past the file-size limit must fail and be undone, not end
    // the program halfway through a card.
    DiskFile::ignoreFileSizeSignal();
    // A logout or a kill while a card is being appended leaves the archive
    // as it was, with no journal for the next opener to mend.
    AppendJournal::cutBackOnSignals();
    QCoreApplication::setAttribute(Qt::AA_UseSoftwareOpenGL);
}

void configure(QApplication& app)
{
    // No display name: the window system would append it to every caption
    // and message box title that does not already end in it.
    app.setApplicationName(QStringLiteral("Tomaria"));
    app.setOrganizationName(QStringLiteral("Tomaria"));

    // The file and print dialogs speak Italian whatever the system language.
    auto* qtbase = new QTranslator(&app);
    if (qtbase->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qtbase);

    QFont::insertSubstitutions(QStringLiteral("Verdana"), {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Courier New"), {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
    QFont font(QStringLiteral("Verdana"));
    font.setPointSizeF(8.5);
    app.setFont(font);

    // A restore cut short is completed, and the leftovers of copies and
    // restores cut short go, before the first screen reads the catalogue.
    const QString unfinished = SafetyCopy::tidy(SafetyCopy::folder());
    if (!unfinished.isEmpty())
        qWarning("%s", qPrintable(unfinished));
}

} // namespace Startup
