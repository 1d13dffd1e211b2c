#include "TfrmCatalogoInRete.h"

#include "ui/report/ReportPrinter.h"
#include "ui/shell/Controls.h"
#include "ui/shell/TfrmGuida.h"
#include "ui/tools/CataloguePoster.h"
#include "ui/tools/NetCatalogue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

namespace {

constexpr QSize kClient{560, 330};
constexpr quint16 kDefaultPort = 8080;

} // namespace

TfrmCatalogoInRete::TfrmCatalogoInRete(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Catalogo in rete"), kClient)
{
    setObjectName(QStringLiteral("TfrmCatalogoInRete"));
    setBackgroundGradient(QColor(0x1F, 0x4E, 0x8C), QColor(0xDC, 0xEB, 0xF8));
    setPanelSize(kClient - QSize(29, 31));
    QWidget* pan = panContainer();
    const int w = kClient.width() - 61;

    // The guide's picture, in a strip of its own at the top right.
    auto* banner = new QFrame(pan);
    banner->setGeometry(w - 40, 0, 56, 52);
    TfrmGuida::bannerButton(
        banner, QStringLiteral("Guida al catalogo in rete."), QStringLiteral("Catalogo in rete."), QStringLiteral("rete"));

    auto* rigo = new QLabel(QStringLiteral("I lettori cercano nel catalogo dal telefono o da un altro computer e vedono se un "
                                           "libro è disponibile, mai chi lo ha in prestito. Il catalogo si consulta soltanto."),
        pan);
    rigo->setObjectName(QStringLiteral("lblRigo01"));
    rigo->setWordWrap(true);
    rigo->setGeometry(16, 12, w - 60, 36);
    rigo->setStyleSheet(QStringLiteral("color: #FFFFFF;"));

    auto* dove = new QLabel(QStringLiteral("Raggiungibile da:"), pan);
    dove->setGeometry(16, 60, 130, 24);
    dove->setStyleSheet(QStringLiteral("color: #FFFFFF;"));
    m_cmbRete = new QComboBox(pan);
    m_cmbRete->setObjectName(QStringLiteral("cmbRete"));
    m_cmbRete->addItem(QStringLiteral("Soltanto questo computer"), QStringLiteral("127.0.0.1"));
    m_cmbRete->addItem(QStringLiteral("La rete della biblioteca"), QStringLiteral("0.0.0.0"));
    m_cmbRete->setGeometry(150, 60, 250, 24);
    auto* porta = new QLabel(QStringLiteral("Porta:"), pan);
    porta->setGeometry(412, 60, 44, 24);
    porta->setStyleSheet(QStringLiteral("color: #FFFFFF;"));
    m_spnPorta = new QSpinBox(pan);
    m_spnPorta->setObjectName(QStringLiteral("spnPorta"));
    m_spnPorta->setRange(1, 65535);
    m_spnPorta->setValue(kDefaultPort);
    m_spnPorta->setGeometry(456, 60, w - 440, 24);

    m_chkAttivo = new QCheckBox(QStringLiteral("Catalogo in rete attivo"), pan);
    m_chkAttivo->setObjectName(QStringLiteral("chkAttivo"));
    m_chkAttivo->setFont(Controls::verdana(10, true));
    m_chkAttivo->setGeometry(16, 100, w, 26);
    m_chkAttivo->setStyleSheet(QStringLiteral("color: #FFFFFF;"));
    connect(m_chkAttivo, &QCheckBox::toggled, this, [this](bool on) { chkAttivoToggled(on); });

    m_lblIndirizzo = new QLabel(pan);
    m_lblIndirizzo->setObjectName(QStringLiteral("lblIndirizzo"));
    m_lblIndirizzo->setFont(Controls::verdana(13, true));
    m_lblIndirizzo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lblIndirizzo->setGeometry(16, 136, w, 30);
    m_lblIndirizzo->setStyleSheet(QStringLiteral("color: #1F4E8C; background: #FFFFFF; padding-left: 6px;"));

    m_lblStato = new QLabel(pan);
    m_lblStato->setObjectName(QStringLiteral("lblStato"));
    m_lblStato->setWordWrap(true);
    m_lblStato->setGeometry(16, 172, w, 54);

    m_btnStampa = Controls::button(
        pan, QStringLiteral("btnStampa"), QStringLiteral("Stampa avviso"), {16, 246, 160, 28}, Controls::verdana(9, true));
    connect(m_btnStampa, &QPushButton::clicked, this, [this] { btnStampaClick(); });
    auto* chiudi = Controls::button(
        pan, QStringLiteral("btnChiudi"), QStringLiteral("Chiudi"), {w - 104, 246, 120, 28}, Controls::verdana(9, true));
    connect(chiudi, &QPushButton::clicked, this, [this] { btnChiudiClick(); });
    refresh();
}

void TfrmCatalogoInRete::refresh(const QString& error)
{
    const bool on = NetCatalogue::running();
    {
        const QSignalBlocker block(m_chkAttivo);
        m_chkAttivo->setChecked(on);
    }
    m_cmbRete->setEnabled(!on);
    m_spnPorta->setEnabled(!on);
    m_btnStampa->setEnabled(on);
    m_lblIndirizzo->setText(on ? NetCatalogue::url() : QStringLiteral("(spento)"));
    if (!error.isEmpty())
        m_lblStato->setText(QStringLiteral("Impossibile avviare il catalogo in rete: ") + error);
    else if (on)
        m_lblStato->setText(QStringLiteral("Registro delle richieste: ") + QDir::toNativeSeparators(NetCatalogue::logPath()));
    else
        m_lblStato->setText(QStringLiteral("Spento. Per la rete della biblioteca: soltanto una rete interna, mai un "
                                           "indirizzo raggiungibile da Internet."));
}

void TfrmCatalogoInRete::chkAttivoToggled(bool on)
{
    QString error;
    if (on)
        NetCatalogue::start(m_cmbRete->currentData().toString(), static_cast<quint16>(m_spnPorta->value()), error);
    else
        NetCatalogue::stop();
    refresh(error);
}

void TfrmCatalogoInRete::btnStampaClick()
{
    if (NetCatalogue::running())
        ReportPrinter::print(this, CataloguePoster::make(NetCatalogue::url()));
}

void TfrmCatalogoInRete::open(QWidget* owner)
{
    TfrmCatalogoInRete screen(owner);
    screen.execModal(true);
}
