#include "TfrmBibliografie.h"

#include "core/collections/Articles.h"
#include "core/collections/Collection.h"
#include "core/text/Text.h"
#include "ui/articles/TfrmCreaRTF.h"
#include "ui/articles/TfrmExpBibliografie.h"
#include "ui/articles/TfrmMenuServizi.h"
#include "ui/articles/TfrmTrovaBibliografie.h"
#include "ui/shell/Controls.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace {

using F = CardForm;
using A = F::Action;

constexpr F::Group kGroups[] = {
    {8, 133},
    {161, 124},
    {304, 142},
    {465, 229},
    {713, 160},
    {893, 92},
};

constexpr F::Section kSections[] = {
    {"shpSfondoCampi", 6, {}},
};

// Captions above the fields; x and widths inside the section, between the
// two decorative columns. In tab order.
constexpr int X = 110;
// clang-format off
constexpr F::Field kFields[] = {
    {1, 1, F::At, "txtTitolo", 614, X},
    {1, 1, F::At, "txtDataPub", 132, X + 628, F::Kind::Edit, {}, 0, 0, false, true},
    {1, 2, F::At, "txtGenere", 180, X},
    {1, 2, F::At, "txtAutore", 244, X + 194},
    {1, 2, F::At, "txtTestata", 194, X + 452},
    {1, 2, F::At, "txtNumTestata", 100, X + 660},
    {1, 3, F::At, "txtTesto", 760, X, F::Kind::Memo, {}, 0, 262},
    {1, 4, F::At, "txtSintesi", 760, X},
    {1, 5, F::At, "txtValutazione", 760, X},
    {1, 6, F::At, "txtNote", 760, X},
};
// clang-format on

// clang-format off
const CardForm kForm{
    .collection = &Articles::collection(),
    .objectName = "TfrmBibliografie",
    .caption = " Tomaria - Articoli giornalistici",
    .placement = F::Placement::CaptionAbove,
    .groups = kGroups,
    .commands = {
        {1, "cmdNuovo", "cmd_nuovo", 6, 37, "Predisponi la schermata per l'inserimento di una nuova scheda.", A::New},
        {1, "cmdSalva", "cmd_salva", 48, 37, "Salva la scheda corrente in archivio.", A::Save},
        {1, "cmdTrova", "cmd_trova", 90, 37, "Trova una scheda in archivio.", A::Dialog, &F::make<TfrmTrovaBibliografie>, true},
        {2, "cmdCartella", "cmd_allega", 6, 112, "Allega file alla scheda corrente.", A::Attach},
        {3, "cmdWord", "cmd_word", 6, 130, "Esporta la scheda corrente in formato RTF.", A::Dialog, &F::make<TfrmCreaRTF>, true, true},
        {4, "cmdPrimo", "cmd_primo", 6, 37, "Visualizza la prima scheda in archivio.", A::First},
        {4, "cmdIndietro", "cmd_indietro", 47, 37, "Visualizza la scheda precedente in archivio.", A::Previous},
        {4, "lblPosizione", {}, 90, 47, {}, A::Position},
        {4, "cmdAvanti", "cmd_avanti", 143, 37, "Visualizza la scheda successiva in archivio.", A::Next},
        {4, "cmdUltimo", "cmd_ultimo", 184, 37, "Visualizza l'ultima scheda in archivio.", A::Last},
        {5, "cmdExcel", "cmd_excel", 6, 148, "Esporta tutte le schede in archivio in un file di Microsoft Excel.", A::Dialog, &F::make<TfrmExpBibliografie>},
        {6, "cmdGuida", "cmd_guida", 6, 37, "Visualizza la pagina della guida sensibile al contesto.", A::Help},
        {6, "cmdEsci", "cmd_esci", 48, 37, "Esci da questa schermata di lavoro.", A::Exit},
    },
    .sections = kSections,
    .fields = kFields,
    .plainSaveFailure = true,
};
// clang-format on

// The tile opens the year selection, which opens the card.
constexpr CollectionScreens::Maker kScreens[] = {
    &CollectionScreens::make<TfrmMenuServizi>,
    &CollectionScreens::make<TfrmBibliografie>,
    &CollectionScreens::make<TfrmTrovaBibliografie>,
    &CollectionScreens::make<TfrmCreaRTF>,
    &CollectionScreens::make<TfrmExpBibliografie>,
};

const CollectionScreens kEntry{
    .collection = &Articles::collection(),
    .form = &kForm,
    .menuName = "Articoli",
    .menuScreen = "TfrmMenuServizi",
    .screens = kScreens,
};

} // namespace

const CardForm& TfrmBibliografie::cardForm()
{
    return kForm;
}

const CollectionScreens& TfrmBibliografie::screens()
{
    return kEntry;
}

TfrmBibliografie::TfrmBibliografie(QWidget* owner)
    : CardScreen(kForm, owner)
{
    m_lblFile = new QLabel(panContainer());
    m_lblFile->setObjectName(QStringLiteral("lblFile"));
    m_lblFile->hide();

    QWidget* section = control(QStringLiteral("shpSfondoCampi"));
    for (const auto& [name, x] : {std::pair{"icoAutori01", 10}, std::pair{"icoAutori02", section->width() - 74}}) {
        auto* picture = new Picture(
            QLatin1String(name), QStringLiteral("autori_sinistra"), section, {x, 14, 64, section->height() - 28}, false);
        setBlankArea(picture);
    }

    m_txtTesto = control<QPlainTextEdit>(QStringLiteral("txtTesto"));
    connect(m_txtTesto->document(), &QTextDocument::contentsChange, this, [this] { txtTestoChange(); });
}

QString TfrmBibliografie::archivePath() const
{
    return Text::trimmed(m_lblFile->text());
}

int TfrmBibliografie::textExcess() const
{
    // The text as the Save would store it: one character a byte, each line
    // break as the text already stores it.
    return std::max(0, static_cast<int>(Controls::text(m_txtTesto).size()) - kTextCapacity);
}

namespace {

QString overBy(int excess)
{
    return QStringLiteral("Il testo dell'articolo supera di %1 i %2 caratteri che l'archivio può contenere.")
        .arg(Text::counted(excess, u"carattere", u"caratteri"))
        .arg(TfrmBibliografie::kTextCapacity);
}

} // namespace

void TfrmBibliografie::txtTestoChange()
{
    // A text put on show is the archive's own: only the user's edits are told.
    const int excess = Controls::showsTextAsSet(m_txtTesto) ? 0 : textExcess();
    if (excess > 0) {
        showNotice(overBy(excess));
    } else if (const QString shown = panInfo()->text(); shown.startsWith(QLatin1String("Il testo dell'articolo supera"))) {
        clearNotice(shown);
    }
}

bool TfrmBibliografie::confirmSave()
{
    const int excess = textExcess();
    if (excess == 0)
        return true;
    return Msg::confirm(this,
        QStringLiteral("Attenzione: ") + overBy(excess) + QStringLiteral(" Ogni a capo conta come i caratteri con cui è conservato.")
            + Msg::kLfCrLfCr
            + QStringLiteral("Salvando, la scheda conserverà soltanto i primi %1 caratteri del testo. Si vuole salvare comunque?")
                  .arg(kTextCapacity));
}
