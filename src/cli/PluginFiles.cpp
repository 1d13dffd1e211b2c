#include "VerbPlugins.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <map>
#include <memory>

// The plugins as files beside the executable, found from the program's
// own folder (never from the search path or the current folder), loaded
// once and kept for the rest of the process.
VerbPlugins::Function VerbPlugins::find(QStringView plugin, const char* name, const QString& folder, QString* why)
{
    static std::map<QString, std::unique_ptr<QLibrary>> loaded;
    const QString base = QDir(folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder).filePath(plugin.toString());
    std::unique_ptr<QLibrary>& library = loaded[base];
    if (!library) {
        auto candidate = std::make_unique<QLibrary>(base);
        // Every symbol resolved at once: a plugin that does not match the
        // program fails here, with a reason, rather than at its first call.
        candidate->setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (!candidate->load()) {
            bool present = false;
            for (const char* suffix : {".so", ".dll", ".dylib"})
                present = present || QFileInfo::exists(base + QLatin1StringView(suffix));
            *why = present ? QStringLiteral("il modulo %1 non si carica (%2)").arg(QDir::toNativeSeparators(base), candidate->errorString())
                           : QStringLiteral("manca il modulo %1 accanto al programma, in %2")
                                 .arg(plugin.toString(), QDir::toNativeSeparators(QFileInfo(base).absolutePath()));
            return nullptr;
        }
        library = std::move(candidate);
    }
    const Function found = library->resolve(name);
    if (!found)
        *why = QStringLiteral("il modulo %1 non ha la funzione %2 (è di un'altra versione)")
                   .arg(QDir::toNativeSeparators(library->fileName()), QLatin1StringView(name));
    return found;
}
