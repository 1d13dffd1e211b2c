#include "TfrmDVD.h"

#include "core/collections/Dvds.h"
#include "core/collections/Collection.h"
#include "ui/dvd/TfrmExpDVD.h"
#include "ui/dvd/TfrmStampaDVD.h"
#include "ui/dvd/TfrmTrovaDVD.h"
#include "ui/dvd/TfrmTrovaDisponibiliDVD.h"

namespace {

using F = CardForm;
constexpr int R = F::kRightField;

// clang-format off
constexpr F::Section kSections[] = {
    {"shpSezione1", 5, "sec_dvd"},
    {"shpSezione2", 4, "sec_cast"},
    {"shpSezione3", 3, "sec_lingua"},
    {"shpSezione4", 2, "sec_prestito"},
};
// clang-format on

// In tab order, which is also the Enter ring.
// clang-format off
constexpr F::Field kFields[] = {
    {1, 1, F::Full, "txtTitolo", 632},
    {1, 2, F::Left, "txtCodice"},
    {1, 2, F::Right, "txtScaffale"},
    {1, 3, F::Left, "txtRegia"},
    {1, 3, F::Right, "txtNazione"},
    {1, 4, F::Left, "txtProtagonista"},
    {1, 4, F::Right, "txtAnno", 64},
    {1, 4, F::At, "txtDurata", 132, R + F::kRightWidth - 132},
    {1, 5, F::Left, "txtGenere", 0, 0, F::Kind::Combo, "generi_dvd"},
    {1, 5, F::Right, "txtGiudizio"},
    {2, 1, F::Left, "txtDistribuzione"},
    {2, 1, F::Right, "txtSceneggiatura"},
    {2, 2, F::Left, "txtCollana"},
    {2, 2, F::Right, "txtPrezzo"},
    {2, 3, F::Full, "txtCast"},
    {2, 4, F::Full, "txtContenuti"},
    {3, 1, F::Full, "txtOriginale"},
    {3, 2, F::Left, "txtLingua", 0, 0, F::Kind::Combo, "lingue"},
    {3, 2, F::Right, "txtAltreLingue"},
    {3, 3, F::Left, "txtSottotitoli"},
    // The slot holds 50 characters; the card takes 30.
    {3, 3, F::Right, "txtPremi", 0, 0, F::Kind::Edit, {}, 30},
    {4, 1, F::Full, "txtNote"},
    {4, 2, F::Left, "txtPrestato"},
    {4, 2, F::Right, "txtScadenza", 110, 0, F::Kind::Edit, {}, 0, 0, true},
};
// clang-format on

constexpr F::Button kButtons[] = {
    {1, 1, F::kLeftField + F::kFullWidth - 24, "btnGoogle", "btn_web", {24, 24},
        "Cerca sul Web, tramite Google, informazioni relative al DVD con il titolo indicato."},
};

// The loan fields are typed by hand, whatever their hint says.
constexpr F::Hint kHints[] = {
    {"txtPrestato", "Campo di testo di sola lettura che si autocompila in fase di emissione di una scheda prestito."},
    {"txtScadenza", "Campo di testo di sola lettura che si autocompila in fase di emissione di una scheda prestito."},
};

constexpr std::string_view kDuplicateClears[] = {"txtPrestato", "txtScadenza", "txtCodice"};

const CardForm kForm{
    .collection = &Dvds::collection(),
    .objectName = "TfrmDVD",
    .caption = " Tomaria - Archivio DVD",
    .placement = F::Placement::CaptionBeside,
    .groups = F::standardGroups(),
    .commands = F::standardBar({
        &F::make<TfrmTrovaDVD>,
        &F::make<TfrmTrovaDisponibiliDVD>,
        &F::make<TfrmStampaDVD>,
        &F::make<TfrmExpDVD>,
        "Predispone la schermata per l'inserimento di una nuova scheda.",
        "Esporta le schede in archivio in un file di Microsoft Excel.",
        "Trova un DVD in archivio fra quelli disponibili per il prestito.",
    }),
    .sections = kSections,
    .fields = kFields,
    .buttons = kButtons,
    .hints = kHints,
    .webLookup = {"txtTitolo", "",
        "Attenzione: per poter effettuare una ricerca sul Web è necessario compilare il campo relativo al titolo del DVD."},
    .cancelled = {4, 2, R + 142, "Contrassegna la scheda del DVD come annullata per escluderla dai risultati di ricerca."},
    .duplicateClears = kDuplicateClears,
    .duplicateFocus = "txtCodice",
};

constexpr CollectionScreens::Maker kScreens[] = {
    &CollectionScreens::make<TfrmDVD>,
    &CollectionScreens::make<TfrmExpDVD>,
    &CollectionScreens::make<TfrmStampaDVD>,
    &CollectionScreens::make<TfrmTrovaDVD>,
    &CollectionScreens::make<TfrmTrovaDisponibiliDVD>,
};

const CollectionScreens kEntry{
    .collection = &Dvds::collection(),
    .form = &kForm,
    .menuName = "DVD",
    .menuScreen = {},
    .screens = kScreens,
};

} // namespace

const CardForm& TfrmDVD::cardForm()
{
    return kForm;
}

const CollectionScreens& TfrmDVD::screens()
{
    return kEntry;
}

TfrmDVD::TfrmDVD(QWidget* owner)
    : CardScreen(kForm, owner)
{
}
