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

// Copies the program folder's catalogue into a new checked zip in
// `toFolder` (created when missing). Fails, leaving nothing behind, when
// the catalogue is empty, an archive's lock cannot be had, or anything
// cannot be written or read back.
Outcome make(const QString& toFolder);

struct Info {
    QString path;
    QDateTime when; // from the name
    qint64 size = 0;
    bool readable = false; // the zip's directory could be read
    QList<QPair<QString, qint64>> cards; // archive name, whole cards
};

// The copies in `folder`, newest first (names of the copies' own pattern
// only).
QList<Info> list(const QString& folder);
Info inspect(const QString& zipPath);
// The cards of each archive of a copy, as "Libri.pro: 12, DVD.pro: 3".
QString cardsText(const QList<QPair<QString, qint64>>& cards);
// Whether `fileName` is a copy's name, and its moment.
QDateTime momentOf(const QString& fileName);

// Removes the oldest copies of `folder` beyond the newest `keep`; returns
// the ones removed. Only names of the copies' own pattern are touched.
QStringList rotate(const QString& folder, int keep);

// Whether closing the program should take a copy: the catalogue has
// something, and the newest copy in `folder` is older than a day and a
// catalogue file changed since it began (or there is no copy yet).
bool due(const QString& folder);

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
