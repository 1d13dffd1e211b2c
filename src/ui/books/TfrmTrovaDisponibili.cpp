#include "TfrmTrovaDisponibili.h"

#include "ui/shell/Screens.h"
#include "core/collections/BookTables.h"
#include "ui/books/TfrmLibri.h"
#include "ui/books/TfrmTrovaLibri.h"
#include "core/collections/Collection.h"
#include "core/storage/ProgramFolder.h"

namespace {
// One last quick-find text for the screen class, whatever the instance.
QString lastQuickFind;
} // namespace

TfrmTrovaDisponibili::TfrmTrovaDisponibili(QWidget* owner)
    : TfrmTrova(owner, BookTables::available(), lastQuickFind, TfrmTrovaLibri::stripIcons())
{
    setObjectName(QStringLiteral("TfrmTrovaDisponibili"));
}

QString TfrmTrovaDisponibili::archivePath() const
{
    return ProgramFolder::file(Collection::books().archiveName());
}

QWidget* TfrmTrovaDisponibili::cardScreen() const
{
    return Screens::frmLibri;
}
