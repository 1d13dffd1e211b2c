#include "BackupCommands.h"

#include "core/backup/Restore.h"
#include "core/backup/SafetyCopy.h"
#include "core/text/Clock.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

constexpr int kRefused = 1;
constexpr int kFailed = 2;

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

namespace BackupCommands {

int backup(const QString& to, QTextStream& out, QTextStream& err)
{
    const QString folder = to.isEmpty() ? SafetyCopy::folder() : QDir(to).absolutePath();
    const SafetyCopy::Outcome made = SafetyCopy::make(folder);
    if (!made.ok) {
        err << "tomaria-cli: copia di sicurezza in " << shown(folder) << " non riuscita: " << made.error << "\n";
        return kFailed;
    }
    if (to.isEmpty()) {
        for (const QString& gone : SafetyCopy::rotate(folder, SafetyCopy::keep()))
            err << "tomaria-cli: rimossa la copia più vecchia " << shown(gone) << "\n";
    }
    out << shown(made.path) << "\n";
    return 0;
}

int list(QTextStream& out, QTextStream& err)
{
    const QList<SafetyCopy::Info> copies = SafetyCopy::list(SafetyCopy::folder());
    for (const SafetyCopy::Info& c : copies) {
        out << QFileInfo(c.path).fileName() << "  " << Clock::shortDate(c.when.date()) << ' '
            << c.when.time().toString(QStringLiteral("HH:mm:ss")) << "  " << c.size << " byte  "
            << (c.readable ? SafetyCopy::cardsText(c.cards) : QStringLiteral("zip illeggibile")) << "\n";
    }
    err << "copie in " << shown(SafetyCopy::folder()) << ": " << copies.size() << "\n";
    return 0;
}

int restore(const QString& zip, QTextStream& out, QTextStream& err)
{
    const Restore::Outcome done = Restore::restore(QFileInfo(zip).absoluteFilePath(), SafetyCopy::folder());
    if (!done.ok) {
        err << "tomaria-cli: ripristino di " << shown(zip) << " rifiutato: " << done.error << "\n";
        if (!done.aside.isEmpty())
            err << "tomaria-cli: il catalogo di prima è in " << shown(done.aside) << "\n";
        return done.aside.isEmpty() ? kRefused : kFailed;
    }
    if (!done.aside.isEmpty())
        out << "catalogo di prima salvato in " << shown(done.aside) << "\n";
    out << "ripristinato " << shown(zip) << "\n";
    return 0;
}

} // namespace BackupCommands
