#include "TfrmTrovaLibri.h"

#include "core/collections/Books.h"

TfrmTrovaLibri::TfrmTrovaLibri(QWidget* owner)
    : TfrmTrova(owner, Books::search(), stripIcons())
{
    setObjectName(QStringLiteral("TfrmTrovaLibri"));
}

QStringList TfrmTrovaLibri::stripIcons()
{
    return {QStringLiteral("sec_libro"), QStringLiteral("sec_editoria"), QStringLiteral("sec_testo"), QStringLiteral("sec_lingua"),
        QStringLiteral("sec_prestito")};
}
