#include "TfrmEsporta.h"

#include "core/collections/Collection.h"
#include "core/text/Text.h"
#include "ui/cards/CardScreen.h"
#include "ui/shell/Controls.h"
#include "core/text/HelpText.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"
#include "ui/shell/TMisc.h"
#include "ui/shell/TfrmGuida.h"
#include "core/export/ExportModel.h"
#include "core/export/Spreadsheet.h"
#include "core/storage/ProgramFolder.h"

#include <QAbstractItemDelegate>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>

namespace {

constexpr QSize kClient{862, 560};
constexpr QSize kPanel{837, 533};
constexpr int kRowHeight = 21;
constexpr int kPositionWidth = 60;

// Loading and writing block the screen; the pointer says so.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

TfrmEsporta::TfrmEsporta(QWidget* owner, const Collection& collection)
    : TForm(owner, Kind::Dialog, Text::utf8(collection.exportTable->caption), kClient)
    , m_collection(collection)
    , m_model(new ExportModel(*collection.exportTable, this))
{
    const QColor background(0xEE, 0xED, 0xED);
    setBackgroundGradient(background, background);
    setPanelSize(kPanel);
    QWidget* pan = panContainer();
    setBlankArea(this);
    setBlankArea(pan);

    auto* bar = new QFrame(pan);
    bar->setObjectName(QStringLiteral("shpSfondo"));
    bar->setGeometry(8, 8, 821, 65);
    bar->setStyleSheet(QStringLiteral("#shpSfondo { background: white; border: 1px solid #C9D7E6; border-radius: 6px; }"));
    setBlankArea(bar);

    new Picture(QStringLiteral("imgLogo"), QStringLiteral("esporta_testata"), pan, {13, 13, 505, 55}, false);
    new Picture(QStringLiteral("icoHand"), QStringLiteral("ico_mano"), pan, {528, 32, 31, 25}, false);

    struct Command {
        const char* name;
        const char* svg;
        QRect at;
        const char* hint;
        void (TfrmEsporta::*handler)();
    };
    // clang-format off
    const Command commands[] = {
        {"cmdEsporta", "cmd_esporta", {566, 15, 49, 50}, "Esporta l'archivio in formato Microsoft Excel.", &TfrmEsporta::cmdEsportaClick},
        {"cmdGuida", "cmd_guida", {670, 13, 50, 55}, "Visualizza la pagina della guida sensibile al contesto.", &TfrmEsporta::cmdGuidaClick},
        {"cmdEsci", "cmd_esci", {766, 15, 40, 50}, "Esci da questo ambiente di lavoro.", &TfrmEsporta::cmdEsciClick},
    };
    // clang-format on
    for (const Command& c : commands) {
        auto* p = new Picture(QLatin1String(c.name), QLatin1String(c.svg), pan, c.at, true);
        setHint(p, QString::fromUtf8(c.hint));
        connect(p, &Picture::clicked, this, [this, handler = c.handler] { (this->*handler)(); });
    }

    buildGrid();

    auto* shpInfo = new QFrame(pan);
    shpInfo->setObjectName(QStringLiteral("shpInfo"));
    shpInfo->setGeometry(8, 493, 821, 32);
    shpInfo->setStyleSheet(QStringLiteral("#shpInfo { background: #6A5ACD; border: none; }"));
    setBlankArea(shpInfo);

    m_panInfo = new QLabel(QStringLiteral("Esportazione archivio in Microsoft Excel."), pan);
    m_panInfo->setObjectName(QStringLiteral("panInfo"));
    m_panInfo->setGeometry(14, 499, 809, 20);
    QFont tahoma(QStringLiteral("Tahoma"), 12);
    m_panInfo->setFont(tahoma);
    m_panInfo->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    // The bar behind the text decides what a mouse move over it does.
    m_panInfo->setAttribute(Qt::WA_TransparentForMouseEvents);
    setInfoLine(m_panInfo);
}

void TfrmEsporta::buildGrid()
{
    m_grdRecords = new QTableView(panContainer());
    m_grdRecords->setObjectName(QStringLiteral("grdRecords"));
    m_grdRecords->setGeometry(8, 80, 821, 409);
    m_grdRecords->setModel(m_model);
    m_grdRecords->setAlternatingRowColors(true);
    m_grdRecords->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grdRecords->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grdRecords->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_grdRecords->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_grdRecords->setWordWrap(false);
    m_grdRecords->verticalHeader()->hide();
    // Every row has the same height: the view never measures a row.
    m_grdRecords->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grdRecords->verticalHeader()->setMinimumSectionSize(kRowHeight);
    m_grdRecords->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_grdRecords->horizontalHeader()->setFixedHeight(kRowHeight + 2);
    m_grdRecords->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_grdRecords->horizontalHeader()->setHighlightSections(false);
    m_grdRecords->setStyleSheet(
        QStringLiteral("QTableView { background: white; alternate-background-color: #F2F6FB; gridline-color: #D5DCE6;"
                       " selection-background-color: #2E74C9; selection-color: white; }"
                       "QHeaderView::section { background: #E4E8EE; color: #23303F; padding: 0px 4px;"
                       " border: none; border-right: 1px solid #C4CCD8; border-bottom: 1px solid #C4CCD8; }"));

    setBlankArea(m_grdRecords);
    const auto parts = m_grdRecords->findChildren<QWidget*>();
    for (QWidget* part : parts)
        setBlankArea(part);
}

const ExportTable& TfrmEsporta::table() const
{
    return *m_collection.exportTable;
}

QString TfrmEsporta::archivePath() const
{
    const CardScreen* card = cardScreenFor(Text::utf8(m_collection.callerTag));
    return card ? card->archivePath() : QString();
}

QString TfrmEsporta::filePath() const
{
    return ProgramFolder::file(Text::utf8(table().fileName));
}

void TfrmEsporta::formShow()
{
    {
        WaitCursor wait;
        // A failure is not reported: the grid keeps the rows read so far.
        m_model->load(archivePath());
    }
    QHeaderView* header = m_grdRecords->horizontalHeader();
    header->resizeSection(0, kPositionWidth);
    for (std::size_t i = 0; i < table().columns.size(); ++i)
        header->resizeSection(static_cast<int>(i) + 1, table().columns[i].gridWidth);
    if (m_model->rowCount() > 0)
        m_grdRecords->setCurrentIndex(m_model->index(0, 1));
    m_grdRecords->setFocus(Qt::OtherFocusReason);
}

void TfrmEsporta::commitOpenEditor()
{
    if (QWidget* editor = m_grdRecords->indexWidget(m_grdRecords->currentIndex()))
        emit m_grdRecords->itemDelegate()->commitData(editor);
}

void TfrmEsporta::cmdEsportaClick()
{
    if (!Msg::confirm(this,
            QStringLiteral(
                "L'esportazione dei dati in Excel può richiedere diversi minuti a seconda del numero di schede presenti in archivio.")
                + Msg::kCrLfCrLf + QStringLiteral("Si vuole esportare i dati adesso?")))
        return;
    commitOpenEditor();
    const QString path = filePath();
    bool written = false;
    {
        WaitCursor wait;
        written = Spreadsheet::save(*m_model, path);
    }
    if (!written) {
        Msg::plain(this,
            QStringLiteral("Attenzione: il sistema non permette di esportare i dati.") + Msg::kLfCrLfCr
                + QStringLiteral("Accertarsi che il file di Excel non sia già aperto."));
        return;
    }
    if (!Msg::confirm(this,
            QStringLiteral("Le schede in archivio sono state esportate con successo.") + Msg::kCrLfCrLf
                + QStringLiteral("Si vuole aprire il file di Excel?")))
        return;
    // Whether the desktop could open it goes unnoticed.
    TMisc::Open(QLatin1Char('"') + path + QLatin1Char('"'));
}

void TfrmEsporta::cmdGuidaClick()
{
    TfrmGuida::showTopic(this, Text::utf8(m_collection.exportHelp.title), HelpText::topic(Text::utf8(m_collection.exportHelp.topic)));
}
