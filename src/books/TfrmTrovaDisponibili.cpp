#include "TfrmTrovaDisponibili.h"

#include "app/Screens.h"
#include "books/BookTables.h"
#include "books/TfrmLibri.h"
#include "books/TfrmTrovaLibri.h"
#include "storage/Collection.h"
#include "storage/ProgramFolder.h"

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
