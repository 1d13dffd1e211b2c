// Writes the password file that the installation delivers, holding the
// initial password "benvenutolibro" scrambled by the program's own routine.
//   tomaria-password OUTPUT_FILE

#include "core/access/Crypt.h"
#include "core/access/PasswordFile.h"

#include <QFile>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tomaria-password OUTPUT_FILE\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    // A fresh file: nothing from an earlier build is carried over.
    QFile::remove(file);
    // Stored as the login screen compares it: in capitals.
    if (!PasswordFile::writeStored(Crypt::Cripta(u"BENVENUTOLIBRO"), file)) {
        std::fprintf(stderr, "tomaria-password: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
