#include "TfrmTrovaBibliografie.h"

#include "core/collections/ArticleSearch.h"

TfrmTrovaBibliografie::TfrmTrovaBibliografie(QWidget* owner)
    : TfrmTrova(owner, ArticleSearch::search(),
        {QStringLiteral("sec_articolo"), QStringLiteral("sec_testo"), QStringLiteral("sec_editoria"),
            QStringLiteral("sec_testo"), QStringLiteral("sec_articolo")})
{
    setObjectName(QStringLiteral("TfrmTrovaBibliografie"));
}
