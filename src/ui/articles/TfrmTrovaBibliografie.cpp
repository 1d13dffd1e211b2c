#include "TfrmTrovaBibliografie.h"

#include "core/collections/Articles.h"

TfrmTrovaBibliografie::TfrmTrovaBibliografie(QWidget* owner)
    : TfrmTrova(owner, Articles::search(),
        {QStringLiteral("sec_articolo"), QStringLiteral("sec_testo"), QStringLiteral("sec_editoria"), QStringLiteral("sec_testo"),
            QStringLiteral("sec_articolo")})
{
    setObjectName(QStringLiteral("TfrmTrovaBibliografie"));
}
