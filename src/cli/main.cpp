#include "cli/CommandLine.h"
#include "core/storage/DiskFile.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    // A write past the file-size limit must fail and be undone, not end the
    // process halfway through a batch of cards.
    DiskFile::ignoreFileSizeSignal();
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int code = CommandLine::run(app.arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return code;
}
