#pragma once

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
};
