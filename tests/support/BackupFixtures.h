#pragma once

#include "CoreSupport.h"

#include "core/backup/Catalogue.h"
#include "core/collections/Collection.h"
#include "core/storage/Record.h"
#include "core/storage/RecordLayout.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>

#include <zip.h>

// A program folder holding a whole catalogue: every collection's archive
// (two yearly ones), attachments with accented names, the password file and
// the settings file, beside files that are not the catalogue's.
namespace BackupFixtures {

inline QByteArray cards(const Collection& c, int count, const QString& tag)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        Record r(*c.layout);
        r.setText("Titolo", QStringLiteral("%1 %2 è così").arg(tag).arg(i));
        bytes += r.bytes();
    }
    return bytes;
}

inline QByteArray noise(int bytes, quint32 seed)
{
    QByteArray b(bytes, Qt::Uninitialized);
    QRandomGenerator g(seed);
    for (char& c : b)
        c = char(g.generate() & 0xFF);
    return b;
}

inline void fill(const TestFolder& f)
{
    int n = 2;
    for (const Collection* c : Collection::all()) {
        if (c->yearly()) {
            f.write(c->archiveName(QStringLiteral("2024")), cards(*c, 1, QStringLiteral("primo")));
            f.write(c->archiveName(QStringLiteral("2025")), cards(*c, 2, QStringLiteral("secondo")));
        } else {
            f.write(c->archiveName(), cards(*c, n++, QString::fromLatin1(c->callerTag.data(), qsizetype(c->callerTag.size()))));
        }
    }
    QDir(f.path()).mkpath(QStringLiteral("Documenti_Allegati"));
    f.write(QStringLiteral("Documenti_Allegati/Perché così.pdf"), noise(3000, 1));
    f.write(QStringLiteral("Documenti_Allegati/città è ñ.txt"), QByteArray("righe\r\n"));
    f.write(QStringLiteral("unins000.dll"), QByteArray("[Accesso]\r\nValore=abc\r\n"));
    f.write(QStringLiteral("Tomaria.ini"), QByteArray("[Prestiti]\r\nGiorni=12\r\n"));
    // Not the catalogue: exports, another program's file, a subfolder.
    f.write(QStringLiteral("Libri.xls"), QByteArray("<html>"));
    f.write(QStringLiteral("appunti.art"), QByteArray("x"));
    f.write(QStringLiteral("tomaria"),
        QByteArray("\x7f"
                   "ELF"));
    QDir(f.path()).mkpath(QStringLiteral("Documenti_Allegati/vecchi"));
}

// Every file and folder under `folder` (hidden ones too) with its bytes,
// by relative name; folders end in "/". Names under `skip` are left out.
inline QMap<QString, QByteArray> tree(const QString& folder, const QString& skip = {})
{
    QMap<QString, QByteArray> all;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        const QString path = it.next();
        QString name = base.relativeFilePath(path);
        if (!skip.isEmpty() && name.startsWith(skip))
            continue;
        if (it.fileInfo().isDir() && !it.fileInfo().isSymLink()) {
            all.insert(name + QLatin1Char('/'), {});
            continue;
        }
        QFile file(path);
        all.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("?unreadable"));
    }
    return all;
}

// The entries of a zip with their bytes, read with libzip; empty when the
// zip cannot be opened or read.
inline QMap<QString, QByteArray> unzipAll(const QString& path)
{
    QMap<QString, QByteArray> entries;
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!z)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, zip_uint64_t(i), 0, &st);
        QByteArray data(qsizetype(st.size), Qt::Uninitialized);
        zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), 0);
        const bool ok = f && zip_fread(f, data.data(), st.size) == zip_int64_t(st.size);
        if (f)
            zip_fclose(f);
        if (!ok) {
            zip_discard(z);
            return {};
        }
        entries.insert(QString::fromUtf8(st.name), data);
    }
    zip_discard(z);
    return entries;
}

// The copies' folder in a program folder.
inline const QString kCopies = QStringLiteral("Copie_di_sicurezza");

// The catalogue part of a folder's tree: what a copy must hold.
inline QMap<QString, QByteArray> catalogueOf(const QString& folder)
{
    QMap<QString, QByteArray> out;
    const auto all = tree(folder, kCopies);
    for (auto it = all.begin(); it != all.end(); ++it) {
        if (Catalogue::kindOf(it.key()) != Catalogue::Kind::Unknown)
            out.insert(it.key(), it.value());
    }
    return out;
}

} // namespace BackupFixtures
