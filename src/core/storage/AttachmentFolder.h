#pragma once

#include <QString>
#include <QStringView>

// The one flat folder "Documenti_Allegati" in the program folder that holds
// the attached files of every card of every collection. A card names a
// stored file by its bare name only.
class AttachmentFolder {
public:
    // The capacity of a card's file-name slot.
    static constexpr int kNameCapacity = 250;

    // With its trailing separator.
    static QString path();
    static QString file(const QString& name) { return path() + name; }

    // A name that stays inside the folder on every system: not empty, no
    // folder separator ("/" or "\"), no ":" (a drive-relative path such as
    // "C:x" or a stream such as "a:b" on Windows), not "." or "..", and not
    // a Windows device name ("con", "nul.txt", "COM1", ...). Names read from
    // an archive written by another program are not trusted to be bare.
    static bool isBareName(QStringView name);

    // Creates the folder with any missing parent folder; true when it exists.
    static bool create();
    static bool contains(const QString& name);
    // Whether `source` is the very file stored under `name`.
    static bool isStored(const QString& source, const QString& name);

    // Copies `source` into the folder under `name`, replacing a stored file
    // of that name. The copy goes to a temporary file in the folder that
    // replaces the stored one only when complete, so a failed copy leaves
    // the stored file as it was. False when anything failed or `name` is not
    // a bare name.
    static bool copyIn(const QString& source, const QString& name);
};
