#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Safety copies of the catalogue: one zip file "Tomaria-AAAA-MM-GG-hhmmss.zip"
// per copy, named after the moment the copy began. Each archive is copied
// under the same lock that saves and appends take, so a copy never holds
// half a card; the zip is written under a temporary name, read back and
// compared with what was copied, and only then given its name. Nothing
// here ever writes into the catalogue.
namespace SafetyCopy {

// Where the copies go and how many are kept: section "Copie" of the
// program's settings file, keys "Cartella" (absolute, or relative to the
// program folder) and "Numero".
inline const QString kDefaultFolder = QStringLiteral("Copie_di_sicurezza");
inline constexpr int kDefaultKeep = 10;
inline constexpr int kMaxKeep = 1000;
QString folder(); // absolute, without trailing separator
int keep();

struct Outcome {
    bool ok = false;
    QString path;  // the checked zip
    QString error; // in Italian, when !ok
};

// Why `toFolder` cannot hold copies (it lies inside the catalogue's
// attachments, so every copy would hold the earlier ones and a restore
// would remove them); empty when it can.
QString folderRefused(const QString& toFolder);

// What a copy must hold: at least one archive (a copy the user asks for),
// or anything of the catalogue (the copy a restore takes of the catalogue
// it replaces, which may be the password file alone).
enum class Content { Archives, Anything };

// Copies the program folder's catalogue into a new checked zip in
// `toFolder` (created when missing), marked with the catalogue's identity.
// Fails, leaving nothing behind (not even the folder it created), when the
// catalogue has nothing to copy, an archive's lock cannot be had, or
// anything cannot be written or read back. An append cut short is cut back
// first, as every opener does, so a copy never holds half an import.
Outcome make(const QString& toFolder, Content content = Content::Archives);

struct Info {
    QString path;
    QDateTime when; // from the name
    qint64 size = 0;
    bool readable = false;               // the zip's directory could be read
    QList<QPair<QString, qint64>> cards; // archive name, whole cards
    QString owner;                       // the identity of the catalogue it belongs to; empty for a copy of an earlier version
    QString ownerFolder;                 // that catalogue's program folder, as it was written
};

// The identity of this program folder's catalogue; empty before its first copy.
QString identity();
// Whether `copy` was made by another catalogue than this program folder's.
bool ofAnotherCatalogue(const Info& copy);

// This catalogue's copies in `folder`, newest first (names of the copies'
// own pattern only): those marked with its identity, and the unmarked
// copies of earlier versions, which may be anyone's.
QList<Info> list(const QString& folder);
Info inspect(const QString& zipPath);
// The cards of each archive of a copy, as "Libri.pro: 12, DVD.pro: 3".
QString cardsText(const QList<QPair<QString, qint64>>& cards);
// Whether `fileName` is a copy's name, and its moment.
QDateTime momentOf(const QString& fileName);

// Removes the oldest of this catalogue's copies in `folder` beyond the
// newest `keep`, never `justMade`; returns the ones removed. Only copies
// marked with this catalogue's identity are touched: never another
// catalogue's, never an unmarked one, never a file of another pattern.
QStringList rotate(const QString& folder, int keep, const QString& justMade = {});

// Whether closing the program should take a copy: the catalogue has
// something, and the last copy this catalogue made (as recorded; else its
// newest copy in `folder` not dated in the future) is older than a day and
// a catalogue file changed since it began (or there is no copy yet).
bool due(const QString& folder);

// What the next copy, restore or start does first: completes a restore
// cut short, and removes the leftovers of copies and restores cut short
// (in the program folder and in `copiesFolder`). Empty, or why a restore
// cut short could not be completed.
QString tidy(const QString& copiesFolder);

// The copy taken when the program closes: when due(), make() into
// folder(), then rotate() to keep(). `ran` says whether a copy was tried.
Outcome automatic(bool* ran = nullptr);

// The line the main menu shows while the automatic copy runs, and the
// message when it fails.
inline const QString kRunning = QStringLiteral("Copia di sicurezza del catalogo in corso...");
QString failureMessage(const QString& reason);

// Tests make the free space of a folder look smaller than it is; a
// negative value gives the real figure back.
void setFreeSpaceForTests(qint64 bytes);
qint64 freeSpace(const QString& folder);

} // namespace SafetyCopy
