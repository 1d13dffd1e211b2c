#include "TfrmTrovaLibri.h"

#include "core/collections/BookSearch.h"

TfrmTrovaLibri::TfrmTrovaLibri(QWidget* owner)
    : TfrmTrova(owner, BookSearch::search(), stripIcons())
{
    setObjectName(QStringLiteral("TfrmTrovaLibri"));
}

QStringList TfrmTrovaLibri::stripIcons()
{
    return {QStringLiteral("sec_libro"), QStringLiteral("sec_editoria"), QStringLiteral("sec_testo"),
        QStringLiteral("sec_lingua"), QStringLiteral("sec_prestito")};
}
