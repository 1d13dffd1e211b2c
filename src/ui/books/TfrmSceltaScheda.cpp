#include "TfrmSceltaScheda.h"

#include "ui/shell/Controls.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace {

constexpr QSize kClient{720, 300};

// The columns: a card field each, then the catalogue.
constexpr const char* kColumns[] = {"Titolo", "Autore", "Editore", "Anno"};

} // namespace

TfrmSceltaScheda::TfrmSceltaScheda(QWidget* owner, const QList<CatalogueRecord>& records)
    : CatalogueDialog(owner,
        {"TfrmSceltaScheda", QStringLiteral(" Scegli la scheda del catalogo"), kClient,
            QStringLiteral("Il catalogo ha inviato più schede per questo ISBN: scegliere quella che descrive il "
                           "libro e premere Usa la scheda."),
            "lblScelta", 34, "cmdUsa", QStringLiteral("Usa la scheda")})
{
    QWidget* pan = panContainer();
    m_lst = new QTreeWidget(pan);
    m_lst->setObjectName(QStringLiteral("lstSchede"));
    m_lst->setGeometry(12, 46, 696, 200);
    m_lst->setRootIsDecorated(false);
    m_lst->setFont(Controls::verdana(9));
    m_lst->setHeaderLabels({QStringLiteral("Titolo"), QStringLiteral("Autore"), QStringLiteral("Casa editrice"), QStringLiteral("Anno"),
        QStringLiteral("Catalogo")});
    for (const CatalogueRecord& r : records) {
        QStringList cells;
        for (const char* field : kColumns)
            cells << r.value(QString::fromLatin1(field));
        cells << r.catalogue;
        new QTreeWidgetItem(m_lst, cells);
    }
    m_lst->setColumnWidth(0, 250);
    m_lst->setColumnWidth(1, 150);
    m_lst->setColumnWidth(2, 130);
    m_lst->setColumnWidth(3, 50);
    m_lst->setCurrentItem(m_lst->topLevelItem(0));
    connect(m_lst, &QTreeWidget::itemDoubleClicked, this, [this] { cmdUsaClick(); });
    m_lst->setFocus();
}

void TfrmSceltaScheda::cmdUsaClick()
{
    const QModelIndex current = m_lst->currentIndex();
    if (!current.isValid())
        return;
    m_chosen = current.row();
    accept();
}

void TfrmSceltaScheda::cmdAnnullaClick()
{
    m_chosen = -1;
    reject();
}
