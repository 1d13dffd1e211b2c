#include "TfrmTrovaDisponibili.h"

#include "core/collections/Books.h"
#include "ui/books/TfrmTrovaLibri.h"

TfrmTrovaDisponibili::TfrmTrovaDisponibili(QWidget* owner)
    : TfrmTrova(owner, Books::available(), TfrmTrovaLibri::stripIcons())
{
    setObjectName(QStringLiteral("TfrmTrovaDisponibili"));
}
