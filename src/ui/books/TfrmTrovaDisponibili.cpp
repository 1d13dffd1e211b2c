#include "TfrmTrovaDisponibili.h"

#include "core/collections/BookSearch.h"
#include "ui/books/TfrmTrovaLibri.h"

TfrmTrovaDisponibili::TfrmTrovaDisponibili(QWidget* owner)
    : TfrmTrova(owner, BookSearch::available(), TfrmTrovaLibri::stripIcons())
{
    setObjectName(QStringLiteral("TfrmTrovaDisponibili"));
}
