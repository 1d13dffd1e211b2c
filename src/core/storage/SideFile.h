#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QFile;
class QFileDevice;

// The program's own files beside the archives: journals, compact copies,
// the settings, password and identity files, the stocktake. Each is
// written as a new file beside it and renamed over it, opened without
// following links, so that a link or a special file standing where one
// goes (a FIFO, a device, a folder) is never written through or replaced:
// it is left alone and the side file is treated as absent, which is said
// once, in Italian.
namespace SideFile {

// The names of the side files that the floors above keep (the stocktake,
// the catalogue identity), here so that the guard on users' files knows
// them too.
inline const QString kStocktake = QStringLiteral("Inventario.txt");
inline const QString kCatalogueMark = QStringLiteral("Tomaria-catalogo.ini");
inline const QString kSearchSuffix = QStringLiteral("-search");

// One kind of side file: a fixed name in the program folder, or a suffix
// after an archive's name.
struct Row {
    QString name;
    bool afterArchive = false;
};
// Every side file the program writes beside its archives (the guard on
// users' files adds the settings and password files of the floors above).
const std::vector<Row>& rows();

enum class Standing {
    Absent,  // nothing has the name
    Regular, // a regular file, reached without a link
    Foreign, // a link, FIFO, device, folder or socket: never touched
};
// What stands at `path`, links not followed.
Standing standing(const QString& path);

// Writes `path` whole or not at all: `write` fills a new file beside it
// (created afresh, never through a link), which is flushed to the disk and
// renamed over `path`. A foreign thing at `path` is left alone and the
// write refused (said once). `reason` holds why, in Italian.
bool replace(const QString& path, const std::function<bool(QFileDevice& file, QString* why)>& write, QString* reason = nullptr);

// The bytes of the side file at `path`, read without following a link and
// without waiting on a FIFO; at most `limit` bytes (a longer file is
// Unreadable). Foreign: something foreign stands there, left alone and
// said once; most callers take it as Absent.
enum class Got { Absent, Foreign, Read, Unreadable };
Got read(const QString& path, QByteArray* bytes, qint64 limit = qint64(64) << 20);

// Opens `file` on the side file at `path` without following a link and
// without waiting on a FIFO: ReadOnly, ReadWrite or WriteOnly | Append,
// creating a missing file unless ReadOnly or ExistingOnly. False when
// something foreign stands there (said once) or it cannot be opened.
bool open(QFile& file, const QString& path, QIODevice::OpenMode mode);

// The first word on each foreign thing found where a side file goes, once
// per path and process: "Tomaria.ini non è un file regolare (...)".
// Taking them empties the list; the command line prints them to its
// error stream, the screens show them once.
QStringList takeNotices();
// Records the notice for `path` unless it was said already.
void noticeForeign(const QString& path);

} // namespace SideFile
