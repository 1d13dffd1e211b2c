// Feeds every file of the folders named on the command line to a fuzz
// target's entry function, once each: the seed corpora replayed as a plain
// test, with any compiler. Fails when a folder holds no file.

#include "FuzzSupport.h"

#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char* argv[])
{
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const QDir dir(QString::fromLocal8Bit(argv[i]));
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
            QFile f(dir.filePath(name));
            if (!f.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(f.fileName()));
                return 1;
            }
            const QByteArray bytes = f.readAll();
            std::fprintf(stderr, "%s\n", qPrintable(f.fileName()));
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
            ++files;
        }
    }
    std::printf("%d inputs replayed\n", files);
    return files > 0 ? 0 : 1;
}
