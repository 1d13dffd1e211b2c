#include "cli/CommandLine.h"
#include "cli/VerbPlugins.h"
#include "core/search/SearchIndexKeeper.h"
#include "core/storage/AppendJournal.h"
#include "core/storage/DiskFile.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <new>

int main(int argc, char* argv[])
{
    // A write past the file-size limit must fail and be undone, not end the
    // process halfway through a batch of cards.
    DiskFile::ignoreFileSizeSignal();
    // A kill or Ctrl-C in the middle of an append leaves the archive as it was.
    AppendJournal::cutBackOnSignals();
    // Lends, returns and appends keep the archive's compact search copy
    // true, so the next search need not read the whole archive.
    SearchIndexKeeper::install();
    // Labels and letters measure their texts with the system's fonts, which need a
    // graphical application; a PDF needs no display, so none is asked for.
    // That application comes from the print plugin: every other verb starts
    // without Qt Gui.
    const char* printing = nullptr;
    for (int i = 1; i < argc && !printing; ++i) {
        if (qstrcmp(argv[i], "labels") == 0 || qstrcmp(argv[i], "reminders") == 0)
            printing = argv[i];
    }
    if (printing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    std::unique_ptr<QCoreApplication> application;
    if (printing) {
        // The plugin is found beside the program, whose folder a first,
        // short-lived application says.
        QString folder;
        {
            QCoreApplication probe(argc, argv);
            folder = QCoreApplication::applicationDirPath();
        }
        application.reset(VerbPlugins::application(folder, QString::fromLatin1(printing), argc, argv, err));
        if (!application)
            return 2;
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication& app = *application;
    int code = 0;
    try {
        code = CommandLine::run(app.arguments().mid(1), out, err);
    } catch (const std::bad_alloc&) {
        // Whatever was being appended has been cut back by the store's
        // destructor on the way out.
        out.flush();
        std::fputs("tomaria-cli: memoria esaurita: operazione interrotta (un'aggiunta in corso è stata annullata)\n", stderr);
        return 2;
    }
    out.flush();
    err.flush();
    return code;
}
