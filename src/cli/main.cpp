#include "cli/CommandLine.h"
#include "core/storage/AppendJournal.h"
#include "core/storage/DiskFile.h"

#include <QCoreApplication>
#include <QGuiApplication>
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
    // Labels and letters measure their texts with the system's fonts, which need a
    // graphical application; a PDF needs no display, so none is asked for.
    bool labels = false;
    for (int i = 1; i < argc; ++i)
        labels = labels || qstrcmp(argv[i], "labels") == 0 || qstrcmp(argv[i], "reminders") == 0;
    if (labels && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application;
    if (labels)
        application = std::make_unique<QGuiApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication& app = *application;
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
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
