#include "CardForm.h"

namespace {

constexpr CardForm::Group kStandardGroups[] = {
    {8, 176},
    {209, 124},
    {358, 112},
    {495, 256},
    {776, 92},
    {893, 92},
};

} // namespace

std::span<const CardForm::Group> CardForm::standardGroups()
{
    return kStandardGroups;
}

std::vector<CardForm::Command> CardForm::standardBar(const StandardDialogs& d)
{
    using A = Action;
    return {
        {1, "cmdNuovo", "cmd_nuovo", 6, 37, d.newHint, A::New},
        {1, "cmdDuplica", "cmd_duplica", 48, 37,
            "Prepara la schermata per la registrazione di una nuova scheda duplicando i dati correnti.", A::Duplicate},
        {1, "cmdSalva", "cmd_salva", 90, 37, "Salva la scheda corrente in archivio.", A::Save},
        {1, "cmdTrova", "cmd_trova", 132, 37, "Trova una scheda in archivio.", A::Dialog, d.search, true},
        {2, "cmdFile", "cmd_allega", 6, 112, "Allega file alla scheda corrente.", A::Attach},
        {3, "cmdStampa", "cmd_stampa", 6, 100, "Stampa la scheda corrente.", A::Dialog, d.print, false, true},
        {4, "cmdPrimo", "cmd_primo", 6, 37, "Visualizza la prima scheda in archivio.", A::First},
        {4, "cmdIndietro", "cmd_indietro", 47, 37, "Visualizza la scheda precedente in archivio.", A::Previous},
        {4, "lblPosizione", {}, 90, 74, {}, A::Position},
        {4, "cmdAvanti", "cmd_avanti", 170, 37, "Visualizza la scheda successiva in archivio.", A::Next},
        {4, "cmdUltimo", "cmd_ultimo", 211, 37, "Visualizza l'ultima scheda in archivio.", A::Last},
        {5, "cmdEsporta", "cmd_esporta", 6, 37, d.exportHint, A::Dialog, d.exportScreen},
        {5, "cmdDisponibili", "cmd_disponibili", 48, 37, d.availableHint, A::Dialog, d.available, true},
        {6, "cmdGuida", "cmd_guida", 6, 37, "Visualizza la pagina della guida sensibile al contesto.", A::Help},
        {6, "cmdEsci", "cmd_esci", 48, 37, "Esci da questa schermata di lavoro.", A::Exit},
    };
}
