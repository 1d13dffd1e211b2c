#include "TfrmTrovaLibri.h"

#include "ui/shell/Screens.h"
#include "core/collections/BookTables.h"
#include "ui/books/TfrmLibri.h"
#include "core/collections/Collection.h"
#include "core/storage/ProgramFolder.h"

namespace {
// One last quick-find text for the screen class, whatever the instance.
QString lastQuickFind;
} // namespace

TfrmTrovaLibri::TfrmTrovaLibri(QWidget* owner)
    : TfrmTrova(owner, BookTables::search(), lastQuickFind, stripIcons())
{
    setObjectName(QStringLiteral("TfrmTrovaLibri"));
}

QString TfrmTrovaLibri::archivePath() const
{
    return ProgramFolder::file(Collection::books().archiveName());
}

QWidget* TfrmTrovaLibri::cardScreen() const
{
    return Screens::frmLibri;
}

QStringList TfrmTrovaLibri::stripIcons()
{
    return {QStringLiteral("sec_libro"), QStringLiteral("sec_editoria"), QStringLiteral("sec_testo"),
        QStringLiteral("sec_lingua"), QStringLiteral("sec_prestito")};
}
