#include "FileChooser.h"

#include "Msg.h"

#include <QFileDialog>
#include <QFileSystemModel>

namespace {
FileChooser::Handler& handler()
{
    static FileChooser::Handler h;
    return h;
}
FileChooser::SaveHandler& saveHandler()
{
    static FileChooser::SaveHandler h;
    return h;
}
} // namespace

void FileChooser::setSaveHandler(SaveHandler h)
{
    saveHandler() = std::move(h);
}

QString FileChooser::chooseSaveFile(QWidget* parent, const QString& title, const QString& proposed, const QString& filter)
{
    if (saveHandler())
        return saveHandler()(proposed, filter);
    // The guard asks about an existing file, once and about the name
    // finally written (an extension may still be added to it).
    return QFileDialog::getSaveFileName(parent, title, proposed, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

bool FileChooser::mayWrite(QWidget* parent, const QString& path, ExportTarget::Kind kind, bool asked)
{
    const ExportTarget::Check check = ExportTarget::check(path, kind);
    switch (check.verdict) {
    case ExportTarget::Verdict::Refuse:
        Msg::error(parent, check.message + QLatin1Char('.'));
        return false;
    case ExportTarget::Verdict::Ask:
        return asked || Msg::confirmDefaultNo(parent, ExportTarget::question(path));
    case ExportTarget::Verdict::Write:
        break;
    }
    return true;
}

void FileChooser::setHandler(Handler h)
{
    handler() = std::move(h);
}

QString FileChooser::chooseFile(QWidget* parent, const QString& title, const QString& filter)
{
    if (handler())
        return handler()(title, filter);

    QFileDialog dialog(parent, title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
#ifndef Q_OS_WIN
    // "*.*" means every file on Windows; elsewhere it would hide the files
    // without an extension. Qt's own dialog lets the listing show them all
    // while the filter keeps its label.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
#endif
    dialog.setNameFilter(filter);
#ifndef Q_OS_WIN
    if (filter.endsWith(QLatin1String("(*.*)")))
        if (auto* model = dialog.findChild<QFileSystemModel*>())
            model->setNameFilters({QStringLiteral("*")});
#endif
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
