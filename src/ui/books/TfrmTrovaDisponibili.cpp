#include "TfrmTrovaDisponibili.h"

#include "core/collections/BookTables.h"
#include "ui/books/TfrmTrovaLibri.h"

TfrmTrovaDisponibili::TfrmTrovaDisponibili(QWidget* owner)
    : TfrmTrova(owner, BookTables::available(), TfrmTrovaLibri::stripIcons())
{
    setObjectName(QStringLiteral("TfrmTrovaDisponibili"));
}
