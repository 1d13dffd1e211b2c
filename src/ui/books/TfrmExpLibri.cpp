#include "TfrmExpLibri.h"

#include "core/collections/BookExport.h"
#include "core/storage/ProgramFolder.h"

TfrmExpLibri::TfrmExpLibri(QWidget* owner)
    : TfrmEsporta(owner, BookExport::table())
{
    setObjectName(QStringLiteral("TfrmExpLibri"));
}

QString TfrmExpLibri::archivePath() const
{
    return ProgramFolder::file(QStringLiteral("Libri.pro"));
}
