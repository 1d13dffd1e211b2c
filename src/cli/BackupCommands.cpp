#include "BackupCommands.h"

#include "core/backup/Restore.h"
#include "core/backup/SafetyCopy.h"
#include "core/storage/ProgramFolder.h"
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
        for (const QString& gone : SafetyCopy::rotate(folder, SafetyCopy::keep(), made.path))
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
    QTextStream in(stdin);
    return restore(zip, out, err, in);
}

int restore(const QString& zip, QTextStream& out, QTextStream& err, QTextStream& in)
{
    const QString path = QFileInfo(zip).absoluteFilePath();
    const Restore::Preview preview = Restore::preview(path);
    if (preview.error.isEmpty() && preview.ofAnotherCatalogue) {
        // Two catalogues may share a copies folder: bringing in the other's
        // catalogue is never done without a yes.
        err << "tomaria-cli: " << shown(zip) << " è una copia di un altro catalogo"
            << (preview.otherCatalogue.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(preview.otherCatalogue)) << ", non di quello in "
            << shown(QDir::cleanPath(ProgramFolder::path())) << ".\n"
            << Restore::describe(preview) << "\n"
            << "Ripristinarla al posto di questo catalogo? [s/N] ";
        err.flush();
        const QString answer = in.readLine().trimmed().toLower();
        if (answer != QLatin1String("s") && answer != QLatin1String("si") && answer != QStringLiteral("sì")) {
            err << "\ntomaria-cli: ripristino di " << shown(zip) << " non eseguito: il catalogo non è cambiato\n";
            return kRefused;
        }
    }
    const Restore::Outcome done = Restore::restore(path, SafetyCopy::folder());
    if (!done.ok) {
        err << "tomaria-cli: ripristino di " << shown(zip) << (done.unchanged ? " rifiutato: " : " non completato: ") << done.error << "\n";
        if (!done.aside.isEmpty())
            err << "tomaria-cli: il catalogo di prima è anche nella copia " << shown(done.aside) << "\n";
        return done.unchanged ? kRefused : kFailed;
    }
    if (!done.aside.isEmpty())
        out << "catalogo di prima salvato in " << shown(done.aside) << "\n";
    out << "ripristinato " << shown(zip) << "\n";
    return 0;
}

} // namespace BackupCommands
