#pragma once

#include "core/export/ExportTarget.h"

#include <QString>

#include <functional>

class QWidget;

// The file-open dialog: asks the user for one existing file. Tests replace
// the dialog with a handler that names the file to choose or cancels.
class FileChooser {
public:
    // The chosen file's full path; empty when the user cancelled.
    // `filter` is one entry such as "Tutti i file (*.*)".
    static QString chooseFile(QWidget* parent, const QString& title, const QString& filter);

    using Handler = std::function<QString(const QString& title, const QString& filter)>;
    static void setHandler(Handler handler); // empty: the real dialog again

    // The save dialog: the full path of the file to write, starting from
    // `proposed` (a folder and a name); empty when the user cancelled.
    // Tests replace it with a handler given the proposed path.
    static QString chooseSaveFile(QWidget* parent, const QString& title, const QString& proposed, const QString& filter);
    using SaveHandler = std::function<QString(const QString& proposed, const QString& filter)>;
    static void setSaveHandler(SaveHandler handler); // empty: the real dialog again

    // Every file a screen writes where the user chose (a save dialog, the
    // print dialog's PDF file) passes here: the guard on users' files
    // refuses, with a message, what is never written; an existing file of
    // another kind is replaced only after a question, unless the dialog
    // has asked already (`asked`). True when `path` may be written.
    static bool mayWrite(QWidget* parent, const QString& path, ExportTarget::Kind kind, bool asked);
};
