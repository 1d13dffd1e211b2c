#pragma once

#include "core/storage/SideFile.h"

#include <QDateTime>
#include <QString>

// Which catalogue a safety copy belongs to. Each program folder keeps an
// identity of its own, made at its first copy, in "Tomaria-catalogo.ini"
// (never part of a copy, so a restore leaves it alone), together with the
// moment and name of the last copy this catalogue made; each copy carries
// the identity and the program folder in the zip's comment. Two
// catalogues that share a copies folder then each see, rotate and restore
// only their own copies.
namespace CatalogueMark {

inline const QString kFileName = SideFile::kCatalogueMark;

// The identity of the catalogue in `program` (with its trailing
// separator); made and stored when `create` and there is none yet. Empty
// when there is none (or it cannot be stored).
QString identity(const QString& program, bool create);

// The zip comment of a copy of the catalogue in `program`.
QString comment(const QString& identity, const QString& program);
// What a zip comment says: the identity and the program folder; both
// empty for a copy made before copies carried them.
struct Owner {
    QString identity;
    QString folder;
};
Owner parse(const QString& comment);

// The last copy this catalogue made: the moment it began and its path.
struct LastCopy {
    QDateTime when;
    QString path;
};
LastCopy lastCopy(const QString& program);
bool recordCopy(const QString& program, const QDateTime& when, const QString& path);

} // namespace CatalogueMark
