#include "TfrmLibri.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/text/Text.h"
#include "core/text/Clock.h"
#include "ui/books/CatalogueFill.h"
#include "ui/books/TfrmCodici_Dewey.h"
#include "ui/books/TfrmExpLibri.h"
#include "ui/books/TfrmStampaLibro.h"
#include "ui/books/TfrmTrovaDisponibili.h"
#include "ui/books/TfrmTrovaLibri.h"

#include <QEvent>
#include <QLineEdit>
#include <QShortcut>

#include <algorithm>

namespace {

using F = CardForm;
constexpr int R = F::kRightField;

// clang-format off
constexpr F::Section kSections[] = {
    {"shpSezione1", 5, "sec_libro"},
    {"shpSezione2", 4, "sec_editoria"},
    {"shpSezione3", 3, "sec_lingua"},
    {"shpSezione4", 2, "sec_prestito"},
};
// clang-format on

// In tab order, which is also the Enter ring.
// clang-format off
constexpr F::Field kFields[] = {
    {1, 1, F::Full, "txtTitolo"},
    {1, 2, F::Left, "txtCodice"},
    {1, 2, F::Right, "txtScaffale"},
    {1, 3, F::Left, "txtAutore"},
    {1, 3, F::Right, "txtNazione"},
    {1, 4, F::Left, "txtCuratore"},
    {1, 4, F::Right, "txtDewey", 54},
    {1, 4, F::At, "txtPagine", F::kRightWidth - 146, R + 146},
    {1, 5, F::Left, "txtGenere", 0, 0, F::Kind::Combo, "generi_libri"},
    {1, 5, F::Right, "txtGiudizio"},
    {2, 1, F::Left, "txtEditore"},
    {2, 1, F::Right, "txtIsbn", F::kRightWidth - 56},
    {2, 2, F::Left, "txtCitta"},
    {2, 2, F::Right, "txtAnno"},
    {2, 3, F::Left, "txtVolumi"},
    {2, 3, F::Right, "txtPrezzo"},
    {2, 4, F::Left, "txtCollana"},
    {2, 4, F::Right, "txtFormato"},
    {3, 1, F::Full, "txtOriginale"},
    {3, 2, F::Left, "txtLingua", 0, 0, F::Kind::Combo, "lingue"},
    {3, 2, F::Right, "txtPrima"},
    {3, 3, F::Left, "txtTraduttore"},
    {3, 3, F::Right, "txtVersione"},
    {4, 1, F::Full, "txtNote"},
    {4, 2, F::Left, "txtPrestato"},
    {4, 2, F::Right, "txtScadenza", 110, 0, F::Kind::Edit, {}, 0, 0, true},
};
// clang-format on

// clang-format off
constexpr F::Button kButtons[] = {
    {1, 4, R + 58, "btnDewey", "btn_freccia", {20, 20}, "Visualizza la Tabella dei Codici Dewey."},
    {2, 1, R + F::kRightWidth - 52, "btnCatalogo", "btn_catalogo", {24, 24},
        "Compila dal catalogo: riempie i campi vuoti della scheda con i dati che i cataloghi delle biblioteche "
        "riportano per l'ISBN indicato (Ctrl+K)."},
    {2, 1, R + F::kRightWidth - 24, "btnGoogle", "btn_web", {24, 24},
        "Cerca sul Web, tramite Google, informazioni relative al libro con l'ISBN indicato."},
    {4, 2, R + 114, "btnScadenza", "btn_freccia", {20, 20}, "Inserisci la data corrente."},
};
// clang-format on

constexpr std::string_view kDuplicateClears[] = {"txtPrestato", "txtScadenza", "txtCodice"};

const CardForm kForm{
    .collection = &Books::collection(),
    .objectName = "TfrmLibri",
    .caption = " Tomaria - Archivio Libri",
    .placement = F::Placement::CaptionBeside,
    .groups = F::standardGroups(),
    .commands = F::standardBar({
        &F::make<TfrmTrovaLibri>,
        &F::make<TfrmTrovaDisponibili>,
        &F::make<TfrmStampaLibro>,
        &F::make<TfrmExpLibri>,
        "Predisponi la schermata per l'inserimento di una nuova scheda.",
        "Esporta tutte le schede in archivio in un file di Microsoft Excel.",
        "Trova un libro in archivio fra quelli disponibili per il prestito.",
    }),
    .sections = kSections,
    .fields = kFields,
    .buttons = kButtons,
    .webLookup = {"txtIsbn",
        "ISBN:", "Attenzione: per poter effettuare una ricerca sul Web è necessario compilare il campo relativo all'ISBN del libro."},
    .cancelled = {4, 2, R + 142, "Contrassegna la scheda del libro come annullata per escluderla dai risultati di ricerca."},
    .duplicateClears = kDuplicateClears,
    .duplicateFocus = "txtCodice",
};

constexpr CollectionScreens::Maker kScreens[] = {
    &CollectionScreens::make<TfrmLibri>,
    &CollectionScreens::make<TfrmCodici_Dewey>,
    &CollectionScreens::make<TfrmTrovaLibri>,
    &CollectionScreens::make<TfrmExpLibri>,
    &CollectionScreens::make<TfrmTrovaDisponibili>,
    &CollectionScreens::make<TfrmStampaLibro>,
};

const CollectionScreens kEntry{
    .collection = &Books::collection(),
    .form = &kForm,
    .menuName = "Libri",
    .menuScreen = {},
    .screens = kScreens,
};

} // namespace

const CardForm& TfrmLibri::cardForm()
{
    return kForm;
}

const CollectionScreens& TfrmLibri::screens()
{
    return kEntry;
}

TfrmLibri::TfrmLibri(QWidget* owner)
    : CardScreen(kForm, owner)
{
    onClick(QStringLiteral("btnDewey"), [this] { btnDeweyClick(); });
    onClick(QStringLiteral("btnScadenza"), [this] { btnScadenzaClick(); });
    m_catalogue = new CatalogueFill(this);
    onClick(QStringLiteral("btnCatalogo"), [this] { btnCatalogoClick(); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), this), &QShortcut::activated, this, [this] { btnCatalogoClick(); });
    auto* isbn = control<QLineEdit>(QStringLiteral("txtIsbn"));
    isbn->installEventFilter(this);
    connect(isbn, &QLineEdit::textEdited, this, [this] { m_isbnEdited = true; });
}

void TfrmLibri::btnDeweyClick()
{
    TfrmCodici_Dewey table(this);
    table.setCallerTag(cardTag());
    table.execModal();
}

void TfrmLibri::btnCatalogoClick()
{
    m_catalogue->start();
}

void TfrmLibri::btnScadenzaClick()
{
    control<QLineEdit>(QStringLiteral("txtScadenza"))->setText(Clock::shortDate(Clock::today()));
}

void TfrmLibri::txtIsbnKeyUp()
{
    // Trimmed and A-Z upper-cased; accented letters stay as typed.
    auto* isbn = control<QLineEdit>(QStringLiteral("txtIsbn"));
    const QString before = isbn->text();
    const QString after = Text::upperAZ(Text::trimmed(before));
    if (after == before)
        return;
    int leading = 0;
    while (leading < before.size() && Text::isBlank(before.at(leading).unicode()))
        ++leading;
    const int cursor = isbn->cursorPosition() - leading;
    isbn->setText(after);
    isbn->setCursorPosition(std::clamp(cursor, 0, static_cast<int>(after.size())));
}

bool TfrmLibri::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease && watched == control(QStringLiteral("txtIsbn")) && m_isbnEdited) {
        m_isbnEdited = false;
        txtIsbnKeyUp();
    }
    return CardScreen::eventFilter(watched, event);
}
