#include "Tools.h"

#include "core/labels/LabelCards.h"
#include "core/loans/LoanList.h"

#include "ui/backup/TfrmCopie.h"
#include "ui/desk/TfrmBancoPrestiti.h"
#include "ui/desk/TfrmInventario.h"
#include "ui/labels/TfrmEtichette.h"
#include "ui/loans/TfrmPrestiti.h"
#include "ui/stats/TfrmStatistiche.h"
#include "ui/tools/TfrmCatalogoInRete.h"
#include "ui/transfer/TfrmTrasferimento.h"

namespace {

// The loans screen hands a chosen card over from the main menu, so it
// takes the menu as a screen.
void openLoans(QWidget* owner)
{
    if (auto* menu = qobject_cast<TForm*>(owner))
        TfrmPrestiti::open(menu);
}

} // namespace

namespace Tools {

std::span<const Tool> all()
{
    // clang-format off
    static const Tool table[] = {
        {QStringLiteral("imgPrestiti"), QStringLiteral("Prestiti in corso"),
            QStringLiteral("Visualizza %1 in prestito.").arg(LoanList::collections()), QStringLiteral("ico_prestiti"), &openLoans},
        {QStringLiteral("imgBanco"), QStringLiteral("Banco prestiti"),
            QStringLiteral("Presta e riceve %1 leggendo l'etichetta (Ctrl+B).").arg(LoanList::collections()),
            QStringLiteral("ico_banco"), &TfrmBancoPrestiti::open},
        {QStringLiteral("imgInventario"), QStringLiteral("Inventario"),
            QStringLiteral("Controlla uno scaffale: che cosa manca, che cosa è fuori posto."),
            QStringLiteral("ico_inventario"), &TfrmInventario::open},
        {QStringLiteral("imgCopie"), QStringLiteral("Copie di sicurezza"),
            QStringLiteral("Crea, elenca e ripristina le copie di sicurezza del catalogo."), QStringLiteral("ico_copie"),
            &TfrmCopie::open},
        {QStringLiteral("imgEtichette"), QStringLiteral("Etichette"),
            QStringLiteral("Etichette per il dorso e con il codice a barre, per %1.").arg(LabelCards::collections()),
            QStringLiteral("ico_etichette"), &TfrmEtichette::open},
        {QStringLiteral("imgStatistiche"), QStringLiteral("Statistiche"),
            QStringLiteral("Quante schede, di quali classi, generi e anni, quante in prestito."),
            QStringLiteral("ico_statistiche"), &TfrmStatistiche::open},
        {QStringLiteral("imgTrasferimento"), QStringLiteral("Importa ed esporta"),
            QStringLiteral("Il catalogo in un foglio .xlsx o CSV, e schede da un file."),
            QStringLiteral("ico_trasferimento"), &TfrmTrasferimento::open},
        {QStringLiteral("imgCatalogoInRete"), QStringLiteral("Catalogo in rete"),
            QStringLiteral("I lettori cercano dal telefono, senza sapere chi ha un libro."),
            QStringLiteral("ico_rete"), &TfrmCatalogoInRete::open},
    };
    // clang-format on
    return table;
}

} // namespace Tools
