#include "cli/CommandLine.h"
#include "core/storage/DiskFile.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <memory>

int main(int argc, char* argv[])
{
    // A write past the file-size limit must fail and be undone, not end the
    // process halfway through a batch of cards.
    DiskFile::ignoreFileSizeSignal();
    // Labels measure their texts with the system's fonts, which need a
    // graphical application; a PDF needs no display, so none is asked for.
    bool labels = false;
    for (int i = 1; i < argc; ++i)
        labels = labels || qstrcmp(argv[i], "labels") == 0;
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
    const int code = CommandLine::run(app.arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return code;
}
