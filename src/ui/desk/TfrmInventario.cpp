#include "TfrmInventario.h"

#include "core/collections/Collection.h"
#include "core/loans/LoanList.h"
#include "core/text/Text.h"
#include "ui/report/ReportPrinter.h"
#include "print/desk/DeskReport.h"
#include "ui/shell/Controls.h"
#include "ui/shell/Msg.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

TfrmInventario::TfrmInventario(QWidget* owner)
    : DeskForm(owner,
        {QStringLiteral("TfrmInventario"), QStringLiteral("Inventario"), QStringLiteral("ico_inventario"),
            QStringLiteral("Guida all'inventario."), QStringLiteral("inventario")})
{
    QWidget* pan = panContainer();
    addLabel(pan, QStringLiteral("lblRaccolta"), QStringLiteral("Raccolta:"), {16, 70, 80, 22}, Controls::verdana(10, true));
    m_cmbRaccolta = new QComboBox(pan);
    m_cmbRaccolta->setObjectName(QStringLiteral("cmbRaccolta"));
    m_cmbRaccolta->setGeometry(100, 67, 150, 26);
    for (const Collection* c : Collection::all()) {
        if (LoanList::keepsLoans(*c)) {
            // Capitalised, as the other screens name the collections.
            QString name = Text::utf8(c->plural);
            if (!name.isEmpty())
                name[0] = name[0].toUpper();
            m_cmbRaccolta->addItem(name, Text::latin1(c->key));
        }
    }
    addLabel(pan, QStringLiteral("lblScaffale"), QStringLiteral("Scaffale:"), {270, 70, 80, 22}, Controls::verdana(10, true));
    m_txtScaffale = new QLineEdit(pan);
    m_txtScaffale->setObjectName(QStringLiteral("txtScaffale"));
    m_txtScaffale->setGeometry(350, 67, 150, 26);
    m_txtScaffale->setPlaceholderText(QStringLiteral("vuoto: tutti"));
    auto* inizia = Controls::button(
        pan, QStringLiteral("btnInizia"), QStringLiteral("Inizia"), {516, 66, 120, 28}, Controls::verdana(9, true));
    connect(inizia, &QPushButton::clicked, this, [this] { btnIniziaClick(); });
    m_btnRiprendi = Controls::button(
        pan, QStringLiteral("btnRiprendi"), QStringLiteral("Riprendi"), {646, 66, 120, 28}, Controls::verdana(9, true));
    connect(m_btnRiprendi, &QPushButton::clicked, this, [this] { btnRiprendiClick(); });

    addCodeField({100, 110, 300, 36}, [this] { txtCodiceEnter(); });
    txtCodice()->setEnabled(false);
    m_lblConteggio = addLabel(pan, QStringLiteral("lblConteggio"), QString(), {420, 110, 535, 36}, Controls::verdana(14, true));
    m_lblConteggio->setStyleSheet(QStringLiteral("color: #1F4E8C;"));
    addMessageLine({16, 152, 939, 22});

    m_lstLetture = new QListWidget(pan);
    m_lstLetture->setObjectName(QStringLiteral("lstLetture"));
    m_lstLetture->setGeometry(16, 178, 939, 150);
    m_lstLetture->setFocusPolicy(Qt::NoFocus);

    addLabel(pan, QStringLiteral("lblEsito"), QStringLiteral("Esito:"), {16, 336, 200, 20}, Controls::verdana(9, true));
    m_lstEsito = new QTreeWidget(pan);
    m_lstEsito->setObjectName(QStringLiteral("lstEsito"));
    m_lstEsito->setGeometry(16, 356, 939, 204);
    m_lstEsito->setRootIsDecorated(false);
    m_lstEsito->setHeaderLabels(
        {QStringLiteral("Voce"), QStringLiteral("Codice"), QStringLiteral("Titolo"), QStringLiteral("Scaffale o lettore")});
    m_lstEsito->setColumnWidth(0, 160);
    m_lstEsito->setColumnWidth(1, 140);
    m_lstEsito->setColumnWidth(2, 440);

    // Leaving the screen keeps the count to resume it: the button says so,
    // so that it is never taken for "Chiudi inventario", which ends it.
    auto* chiudi = Controls::button(
        pan, QStringLiteral("btnChiudi"), QStringLiteral("Chiudi"), {8, 570, 150, 30}, Controls::verdana(9, true));
    connect(chiudi, &QPushButton::clicked, this, [this] { btnChiudiClick(); });
    auto* termina = Controls::button(
        pan, QStringLiteral("btnTermina"), QStringLiteral("Chiudi inventario"), {170, 570, 170, 30}, Controls::verdana(9, true));
    connect(termina, &QPushButton::clicked, this, [this] { btnTerminaClick(); });
    auto* esito = Controls::button(
        pan, QStringLiteral("btnEsito"), QStringLiteral("Esito"), {645, 570, 150, 30}, Controls::verdana(9, true));
    connect(esito, &QPushButton::clicked, this, [this] { btnEsitoClick(); });
    auto* stampa = Controls::button(
        pan, QStringLiteral("btnStampa"), QStringLiteral("Stampa"), {805, 570, 150, 30}, Controls::verdana(9, true));
    connect(stampa, &QPushButton::clicked, this, [this] { btnStampaClick(); });
    for (QPushButton* b : {inizia, m_btnRiprendi, chiudi, termina, esito, stampa})
        b->setAutoDefault(false);
}

void TfrmInventario::formShow()
{
    m_btnRiprendi->setEnabled(Stocktake::pending());
    if (Stocktake::pending()) {
        const QString what = Stocktake::pendingWhat();
        say(what.isEmpty()
                ? QStringLiteral("C'è un inventario in sospeso: Riprendi lo continua, Inizia ne comincia uno nuovo.")
                : QStringLiteral("C'è un inventario in sospeso (%1): Riprendi lo continua, Inizia ne comincia uno nuovo.").arg(what),
            false);
    }
}

void TfrmInventario::count()
{
    if (!m_stocktake)
        return;
    m_lblConteggio->setText(QStringLiteral("Contate %1 schede su %2").arg(m_stocktake->counted()).arg(m_stocktake->expected()));
}

void TfrmInventario::listScan(const Stocktake::Scan& scan)
{
    QString text = scan.code + QStringLiteral("  ") + Stocktake::verdictText(scan.verdict);
    if (scan.card)
        text += QStringLiteral(": ") + scan.card->title;
    if (scan.verdict == Stocktake::Verdict::OtherShelf)
        text += QStringLiteral(" (scaffale %1)").arg(scan.card->shelf.isEmpty() ? QStringLiteral("-") : scan.card->shelf);
    auto* item = new QListWidgetItem(text);
    if (scan.verdict != Stocktake::Verdict::Counted)
        item->setForeground(QColor(0xDC, 0x14, 0x3C));
    m_lstLetture->insertItem(0, item);
}

void TfrmInventario::started()
{
    m_lstLetture->clear();
    m_lstEsito->clear();
    for (const Stocktake::Scan& s : m_stocktake->scans())
        listScan(s);
    const int index = m_cmbRaccolta->findData(Text::latin1(m_stocktake->collection()->key));
    if (index >= 0)
        m_cmbRaccolta->setCurrentIndex(index);
    m_txtScaffale->setText(m_stocktake->shelf());
    txtCodice()->setEnabled(true);
    txtCodice()->clear();
    txtCodice()->setFocus(Qt::OtherFocusReason);
    m_btnRiprendi->setEnabled(false);
    if (auto* chiudi = findChild<QPushButton*>(QStringLiteral("btnChiudi")))
        chiudi->setText(QStringLiteral("Sospendi ed esci"));
    count();
}

void TfrmInventario::btnIniziaClick()
{
    const Collection* c = Collection::find(m_cmbRaccolta->currentData().toString().toStdString());
    if (!c)
        return;
    if (Stocktake::pending()
        && !Msg::confirmDefaultNo(this, QStringLiteral("Un inventario in sospeso sarà sostituito da quello nuovo. Continuare?")))
        return;
    auto fresh = std::make_unique<Stocktake>();
    if (!fresh->begin(*c, m_txtScaffale->text())) {
        Msg::warning(this, QStringLiteral("Impossibile leggere l'archivio: %1.").arg(fresh->errorString()));
        return;
    }
    if (!fresh->save()) {
        Msg::warning(this, QStringLiteral("Impossibile scrivere %1 nella cartella del programma.").arg(Stocktake::fileName()));
        return;
    }
    m_stocktake = std::move(fresh);
    started();
    say(QStringLiteral("Leggere le etichette di %1.").arg(m_stocktake->title().section(QLatin1Char(':'), 1).trimmed()), false);
}

void TfrmInventario::btnRiprendiClick()
{
    auto resumed = std::make_unique<Stocktake>();
    if (!resumed->load()) {
        Msg::warning(this, QStringLiteral("Impossibile riprendere l'inventario: %1.").arg(resumed->errorString()));
        return;
    }
    m_stocktake = std::move(resumed);
    started();
    say(QStringLiteral("Inventario ripreso: %1 codici già letti.").arg(m_stocktake->scans().size()), false);
}

void TfrmInventario::txtCodiceEnter()
{
    const QString code = Text::trimmed(txtCodice()->text());
    txtCodice()->clear();
    if (!m_stocktake || code.isEmpty())
        return;
    if (!m_stocktake->record(code))
        say(QStringLiteral("Attenzione: impossibile annotare la lettura in %1.").arg(Stocktake::fileName()), true);
    const Stocktake::Scan scan = m_stocktake->scan(code);
    listScan(scan);
    count();
    if (scan.verdict == Stocktake::Verdict::Counted)
        say(QString(), false);
    else
        say(QStringLiteral("%1: %2.").arg(code, Stocktake::verdictText(scan.verdict)), true);
}

void TfrmInventario::btnEsitoClick()
{
    m_lstEsito->clear();
    if (!m_stocktake)
        return;
    for (const QString& row : m_stocktake->report())
        m_lstEsito->addTopLevelItem(new QTreeWidgetItem(row.split(QLatin1Char('\t'))));
    if (m_lstEsito->topLevelItemCount() == 0)
        m_lstEsito->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("Nessuna scheda manca e nessun codice è fuori posto.")}));
    txtCodice()->setFocus(Qt::OtherFocusReason);
}

void TfrmInventario::btnStampaClick()
{
    if (!m_stocktake)
        return;
    btnEsitoClick();
    ReportPrinter::print(this, DeskReport::stocktake(*m_stocktake));
}

void TfrmInventario::btnTerminaClick()
{
    if (Stocktake::pending()
        && !Msg::confirmDefaultNo(this, QStringLiteral("L'inventario in corso sarà chiuso e non si potrà più riprendere. Continuare?")))
        return;
    if (!Stocktake::discard()) {
        Msg::warning(this, QStringLiteral("Impossibile cancellare %1.").arg(Stocktake::fileName()));
        return;
    }
    close();
}

void TfrmInventario::open(QWidget* owner)
{
    TfrmInventario screen(owner);
    screen.execModal();
}
