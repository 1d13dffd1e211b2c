#include "TfrmStatistiche.h"

#include "StatsChart.h"
#include "StatsReport.h"
#include "core/collections/Collection.h"
#include "core/loans/LoanSettings.h"
#include "core/text/Text.h"
#include "core/text/Clock.h"
#include "ui/report/ReportPrinter.h"
#include "ui/shell/Controls.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"
#include "ui/shell/TfrmGuida.h"

#include <QChart>
#include <QChartView>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr QSize kClient{1220, 800};
constexpr QSize kPanel{1200, 780};
// One chart under the other, as wide as the tab, so that long labels
// (Dewey class names) show whole; as tall as its bars need.
constexpr int kChartWidth = 1130;
int chartHeight(const StatsResult& result)
{
    return std::clamp(110 + 26 * static_cast<int>(result.bars.size()), 230, 560);
}

QString chartName(const Collection& c, int section)
{
    return QStringLiteral("cht_%1_%2").arg(Text::latin1(c.key)).arg(section);
}

} // namespace

TfrmStatistiche::TfrmStatistiche(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Statistiche"), kClient)
    , m_days(LoanSettings::days())
{
    setObjectName(QStringLiteral("TfrmStatistiche"));
    setBackgroundGradient(Qt::black, Qt::white);
    setPanelSize(kPanel);
    QWidget* pan = panContainer();
    Controls::styleListPanel(pan);
    QFrame* banner = Controls::listBanner(pan, kPanel.width() - 16);
    auto* heading = new QLabel(QStringLiteral("Statistiche del catalogo"), banner);
    heading->setObjectName(QStringLiteral("lblTitolo"));
    heading->setStyleSheet(QStringLiteral("color: #1F4E8C;"));
    heading->setFont(Controls::verdana(13, true));
    heading->adjustSize();
    heading->move((banner->width() - heading->width()) / 2, 14);
    new Picture(QStringLiteral("icoStatistiche"), QStringLiteral("ico_statistiche"), banner, {banner->width() - 107, 4, 44, 44}, false);
    TfrmGuida::bannerButton(
        banner, QStringLiteral("Guida alle statistiche."), QStringLiteral("Statistiche del catalogo."), QStringLiteral("statistiche"));

    m_lblLettura = new QLabel(pan);
    m_lblLettura->setObjectName(QStringLiteral("lblLettura"));
    m_lblLettura->setGeometry(8, 62, kPanel.width() - 16, 18);

    m_tabs = new QTabWidget(pan);
    m_tabs->setObjectName(QStringLiteral("tabRaccolte"));
    m_tabs->setGeometry(8, 84, kPanel.width() - 16, kPanel.height() - 84 - 50);

    auto* chiudi = Controls::button(
        pan, QStringLiteral("btnChiudi"), QStringLiteral("Chiudi"), {8, kPanel.height() - 40, 150, 30}, Controls::verdana(9, true));
    connect(chiudi, &QPushButton::clicked, this, [this] { btnChiudiClick(); });
    auto* tutto = Controls::button(pan, QStringLiteral("btnStampaTutto"), QStringLiteral("Stampa tutto"),
        {kPanel.width() - 158, kPanel.height() - 40, 150, 30}, Controls::verdana(9, true));
    tutto->setToolTip(QStringLiteral("Stampa tutti i grafici, ciascuno con la sua tabella, in un solo documento."));
    connect(tutto, &QPushButton::clicked, this, [this] { btnStampaTuttoClick(); });
}

TfrmStatistiche::~TfrmStatistiche() = default;

void TfrmStatistiche::formShow()
{
    m_stats.clear();
    QString failed;
    for (const Collection* c : Collection::all()) {
        auto stats = std::make_unique<CollectionStats>(*c, Clock::today(), m_days);
        // A collection that cannot be read shows what was counted before
        // the failure; the others are counted all the same.
        if (!stats->load() && failed.isEmpty())
            failed = stats->failedArchive();
        m_stats.push_back(std::move(stats));
    }
    fill();
    if (!failed.isEmpty())
        Msg::plain(this, Msg::accessMessage());
}

void TfrmStatistiche::fill()
{
    while (m_tabs->count() > 0) {
        QWidget* page = m_tabs->widget(0);
        m_tabs->removeTab(0);
        delete page;
    }
    m_lblLettura->setText(
        QStringLiteral("Letti gli archivi il %1. Oltre al totale delle schede, i grafici contano quelle non annullate; scadute: ")
            .arg(Clock::shortDate(Clock::today()))
        + StatsReport::overdue(m_days).join(QLatin1Char(' ')));
    for (std::size_t t = 0; t < m_stats.size(); ++t) {
        const CollectionStats& stats = *m_stats[t];
        auto* scroll = new QScrollArea;
        scroll->setObjectName(QStringLiteral("scr_%1").arg(Text::latin1(stats.collection().key)));
        scroll->setWidgetResizable(true);
        auto* sheet = new QWidget;
        auto* column = new QVBoxLayout(sheet);
        const std::vector<StatsResult> results = stats.results();
        for (std::size_t s = 0; s < results.size(); ++s) {
            const QSize size(kChartWidth, chartHeight(results[s]));
            auto* cell = new QWidget(sheet);
            cell->setFixedWidth(size.width());
            auto* stack = new QVBoxLayout(cell);
            stack->setContentsMargins(0, 0, 0, 0);
            auto* view = new QChartView(StatsChart::create(results[s], StatsChart::title(stats.table(), results[s])), cell);
            view->setObjectName(chartName(stats.collection(), static_cast<int>(s)));
            view->setRenderHint(QPainter::Antialiasing);
            view->setFixedSize(size);
            stack->addWidget(view);
            auto* stampa = new QPushButton(QStringLiteral("Stampa il grafico"), cell);
            stampa->setObjectName(QStringLiteral("btnStampa_%1_%2").arg(Text::latin1(stats.collection().key)).arg(s));
            stampa->setFont(Controls::verdana(8, true));
            stampa->setCursor(Qt::PointingHandCursor);
            stampa->setToolTip(QStringLiteral("Stampa il grafico con la tabella dei suoi numeri (anche in PDF)."));
            connect(stampa, &QPushButton::clicked, this, [this, t, s] { btnStampaClick(static_cast<int>(t), static_cast<int>(s)); });
            stack->addWidget(stampa, 0, Qt::AlignRight);
            column->addWidget(cell);
        }
        column->addStretch(1);
        scroll->setWidget(sheet);
        m_tabs->addTab(scroll, Text::utf8(stats.table().caption));
    }
}

std::vector<QChartView*> TfrmStatistiche::charts(int tab) const
{
    std::vector<QChartView*> out;
    if (tab < 0 || tab >= static_cast<int>(m_stats.size()))
        return out;
    const Collection& c = m_stats[static_cast<std::size_t>(tab)]->collection();
    for (int s = 0;; ++s) {
        auto* view = findChild<QChartView*>(chartName(c, s));
        if (!view)
            break;
        out.push_back(view);
    }
    return out;
}

void TfrmStatistiche::btnStampaClick(int tab, int section)
{
    if (tab < 0 || tab >= static_cast<int>(m_stats.size()))
        return;
    const CollectionStats& stats = *m_stats[static_cast<std::size_t>(tab)];
    const std::vector<StatsResult> results = stats.results();
    if (section < 0 || section >= static_cast<int>(results.size()))
        return;
    ReportPrinter::print(this, StatsReport::page(stats, results[static_cast<std::size_t>(section)], m_days));
}

void TfrmStatistiche::btnStampaTuttoClick()
{
    std::vector<const CollectionStats*> all;
    for (const auto& s : m_stats)
        all.push_back(s.get());
    ReportPrinter::print(this, StatsReport::all(all, m_days));
}

void TfrmStatistiche::open(QWidget* owner)
{
    TfrmStatistiche screen(owner);
    screen.execModal();
}
