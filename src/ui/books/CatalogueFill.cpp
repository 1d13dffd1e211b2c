#include "CatalogueFill.h"

#include "core/collections/Collection.h"
#include "core/access/SettingsFile.h"
#include "core/storage/ProgramFolder.h"
#include "core/text/Text.h"
#include "lookup/CatalogueMerge.h"
#include "ui/books/TfrmDifferenze.h"
#include "ui/books/TfrmSceltaScheda.h"
#include "ui/cards/CardScreen.h"
#include "ui/shell/Controls.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QThread>

namespace {

const QString kUntouched = QStringLiteral("La scheda non è stata modificata.");

// The card's caption of a field ("Titolo libro:" -> "Titolo libro").
QString caption(const CardScreen* card, const QString& field)
{
    const QByteArray name = field.toLatin1();
    QString c = Text::trimmed(card->collection().fieldCaption(std::string_view(name.constData(), std::size_t(name.size()))));
    if (c.endsWith(QLatin1Char(':')))
        c.chop(1);
    return c.isEmpty() ? field : c;
}

} // namespace

CatalogueFill::CatalogueFill(CardScreen* card)
    : QObject(card)
    , m_card(card)
{
    // The line that says which catalogue is being asked, under the ISBN,
    // shown only while one is.
    QWidget* pan = card->panContainer();
    m_pan = Controls::panel(pan, QStringLiteral("panCatalogo"), {0, 0, 470, 36}, 6);
    m_pan->setStyleSheet(QStringLiteral("#panCatalogo { background: #FFFBE6; border: 1px solid #C9A94B; border-radius: 6px; }"));
    new Picture(QStringLiteral("icoCatalogo"), QStringLiteral("clessidra"), m_pan, {6, 6, 24, 24}, false);
    m_lbl = new QLabel(m_pan);
    m_lbl->setObjectName(QStringLiteral("lblCatalogo"));
    m_lbl->setFont(Controls::verdana(8, true));
    m_lbl->setGeometry(36, 2, 330, 32);
    m_lbl->setWordWrap(true);
    m_cmdAnnulla = Controls::button(
        m_pan, QStringLiteral("cmdAnnullaCatalogo"), QStringLiteral("Annulla"), {372, 4, 92, 28}, Controls::verdana(9, true));
    connect(m_cmdAnnulla, &QPushButton::clicked, this, &CatalogueFill::cancel);
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), card);
    m_escape->setEnabled(false);
    connect(m_escape, &QShortcut::activated, this, &CatalogueFill::cancel);
    m_pan->hide();
}

CatalogueFill::~CatalogueFill()
{
    if (m_thread) {
        m_cancel->store(true);
        m_thread->wait();
        delete m_thread;
    }
}

void CatalogueFill::showPanel(bool shown)
{
    if (shown) {
        const QWidget* isbn = m_card->control(QStringLiteral("txtIsbn"));
        const QPoint at = isbn->mapTo(m_card->panContainer(), QPoint(isbn->width(), isbn->height() + 4));
        m_pan->move(std::max(0, at.x() - m_pan->width()), at.y());
        m_pan->raise();
    }
    m_pan->setVisible(shown);
    m_escape->setEnabled(shown);
}

void CatalogueFill::start()
{
    if (m_thread)
        return;
    QWidget* field = m_card->control(QStringLiteral("txtIsbn"));
    const QString isbn = Text::trimmed(Controls::text(field));
    if (isbn.isEmpty()) {
        Msg::warning(m_card,
            QStringLiteral("Attenzione: per poter compilare la scheda dai cataloghi delle biblioteche "
                           "è necessario compilare il campo relativo all'ISBN del libro."));
        field->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_started = QDateTime::currentMSecsSinceEpoch();
    const CatalogueSettings settings = CatalogueSettings::read(SettingsFile::path());
    m_isbn = isbn;
    m_cancel = std::make_shared<std::atomic_bool>(false);
    const auto cancel = m_cancel;
    const int count = static_cast<int>(settings.catalogues.size());
    m_lbl->setText(QStringLiteral("Richiesta ai cataloghi in corso..."));
    showPanel(true);
    m_thread = QThread::create([this, settings, isbn, cancel, count] {
        int number = 0;
        const CatalogueLookup l = CatalogueLookup::run(
            settings.catalogues, isbn, settings.timeoutMs, cancel.get(), [this, &number, count](const Catalogue& c) {
                const QString name = c.name;
                const int n = ++number;
                QMetaObject::invokeMethod(
                    this, [this, name, n, count] { asking(name, n, count); }, Qt::QueuedConnection);
            });
        QMetaObject::invokeMethod(
            this, [this, l] { lookupAnswered(l); }, Qt::QueuedConnection);
    });
    m_thread->start();
}

void CatalogueFill::cancel()
{
    if (m_cancel)
        m_cancel->store(true);
    m_lbl->setText(QStringLiteral("Annullamento della richiesta..."));
}

void CatalogueFill::asking(const QString& catalogue, int number, int count)
{
    if (!m_thread || m_cancel->load())
        return;
    m_lbl->setText(count > 1
            ? QStringLiteral("Richiesta al catalogo \"%1\" (%2 di %3)... Esc per annullare.").arg(catalogue).arg(number).arg(count)
            : QStringLiteral("Richiesta al catalogo \"%1\"... Esc per annullare.").arg(catalogue));
}

void CatalogueFill::lookupAnswered(const CatalogueLookup& lookup)
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    showPanel(false);
    switch (lookup.result) {
    case CatalogueLookup::Result::Cancelled:
        m_card->panInfo()->setText(QStringLiteral("Richiesta ai cataloghi annullata. ") + kUntouched);
        break;
    case CatalogueLookup::Result::Found: {
        int chosen = 0;
        if (lookup.records.size() > 1) {
            TfrmSceltaScheda list(m_card, lookup.records);
            list.execModal(true);
            chosen = list.chosen();
        }
        if (chosen < 0)
            m_card->panInfo()->setText(QStringLiteral("Nessuna scheda del catalogo scelta. ") + kUntouched);
        else
            fill(lookup.records[chosen]);
        break;
    }
    case CatalogueLookup::Result::NotIsbn:
    case CatalogueLookup::Result::NoRecord:
    case CatalogueLookup::Result::NoAnswer:
        Msg::warning(m_card, lookup.failureMessage(m_isbn) + QLatin1Char(' ') + kUntouched);
        break;
    }
    m_lastDuration = QDateTime::currentMSecsSinceEpoch() - m_started;
    emit finished();
}

void CatalogueFill::fill(const CatalogueRecord& record)
{
    const CatalogueMerge merge(m_card->collection(), record, [this](const QString& field) -> std::optional<QString> {
        const QWidget* w = m_card->control(QStringLiteral("txt") + field);
        if (!w)
            return std::nullopt;
        return Controls::text(w);
    });
    QList<bool> replace;
    if (!merge.offers().isEmpty()) {
        QList<TfrmDifferenze::Difference> differences;
        for (const CatalogueMerge::Change& c : merge.offers())
            differences << TfrmDifferenze::Difference{caption(m_card, c.field), c.typed, c.found};
        TfrmDifferenze dialog(m_card, record.catalogue, differences);
        if (dialog.execModal(true) != QDialog::Accepted) {
            m_card->panInfo()->setText(kUntouched);
            return;
        }
        replace = dialog.replaced();
    }
    QStringList filled;
    // In the card's order, as the record lists them.
    for (const CatalogueMerge::Change& c : merge.chosen(replace)) {
        Controls::setText(m_card->control(QStringLiteral("txt") + c.field), c.found);
        filled << caption(m_card, c.field);
    }
    QLabel* info = m_card->panInfo();
    if (filled.isEmpty()) {
        info->setText(QStringLiteral("Il catalogo \"%1\" non aggiunge nulla a quanto già scritto nella scheda.").arg(record.catalogue));
        return;
    }
    // The whole list when the line holds it; the advice to save goes first
    // when it does not, and the list is cut with "…" (whole in the tooltip).
    const QString list = QStringLiteral("Compilati dal catalogo \"%1\": %2.").arg(record.catalogue, Text::listed(filled));
    const QString full = list + QStringLiteral(" Premere Salva per conservare la scheda.");
    const QFontMetrics metrics(info->font());
    const int room = info->contentsRect().width() - 2 * info->margin() - 24;
    info->setToolTip(list);
    if (metrics.horizontalAdvance(full) <= room)
        info->setText(full);
    else
        info->setText(metrics.elidedText(list, Qt::ElideRight, room));
}
