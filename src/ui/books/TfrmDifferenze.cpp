#include "TfrmDifferenze.h"

#include "ui/shell/Controls.h"

#include <QHeaderView>
#include <QTableWidget>

namespace {

constexpr QSize kClient{720, 320};

} // namespace

TfrmDifferenze::TfrmDifferenze(QWidget* owner, const QString& catalogue, const QList<Difference>& differences)
    : CatalogueDialog(owner,
        {"TfrmDifferenze", QStringLiteral(" Differenze con il catalogo"), kClient,
            QStringLiteral("La scheda del catalogo \"%1\" riporta per questi campi valori diversi da quelli già "
                           "scritti. Restano quelli della scheda, salvo i campi spuntati: premere Applica per "
                           "compilare la scheda.")
                .arg(catalogue),
            "lblDifferenze", 48, "cmdApplica", QStringLiteral("Applica")})
{
    QWidget* pan = panContainer();
    m_grd = new QTableWidget(static_cast<int>(differences.size()), 3, pan);
    m_grd->setObjectName(QStringLiteral("grdDifferenze"));
    m_grd->setGeometry(12, 60, 696, 206);
    m_grd->setFont(Controls::verdana(9));
    m_grd->setHorizontalHeaderLabels(
        {QStringLiteral("Campo"), QStringLiteral("Nella scheda"), QStringLiteral("Nel catalogo (spuntare per usarlo)")});
    m_grd->verticalHeader()->hide();
    m_grd->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grd->setSelectionMode(QAbstractItemView::NoSelection);
    for (int row = 0; row < differences.size(); ++row) {
        const Difference& d = differences[row];
        m_grd->setItem(row, 0, new QTableWidgetItem(d.caption));
        m_grd->setItem(row, 1, new QTableWidgetItem(d.typed));
        auto* found = new QTableWidgetItem(d.found);
        found->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        found->setCheckState(Qt::Unchecked);
        m_grd->setItem(row, 2, found);
    }
    m_grd->setColumnWidth(0, 130);
    m_grd->setColumnWidth(1, 270);
    m_grd->horizontalHeader()->setStretchLastSection(true);
}

QList<bool> TfrmDifferenze::replaced() const
{
    QList<bool> out;
    for (int row = 0; row < m_grd->rowCount(); ++row)
        out << (m_grd->item(row, 2)->checkState() == Qt::Checked);
    return out;
}

void TfrmDifferenze::setReplaced(int row, bool replace)
{
    m_grd->item(row, 2)->setCheckState(replace ? Qt::Checked : Qt::Unchecked);
}
