#include "CardScreen.h"

#include "ui/cards/CardBinder.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"
#include "core/storage/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

CardScreen::CardScreen(QWidget* owner, const QString& caption, const RecordLayout& layout, std::vector<Required> required)
    : TForm(owner, Kind::FullScreen, caption)
    , m_layout(layout)
    , m_required(std::move(required))
{
    setBackgroundGradient(QColor(0xEB, 0xE9, 0xE9), QColor(0xFF, 0xFF, 0xFF));
    setBlankArea(this);
    setBlankArea(panContainer());
}

QLabel* CardScreen::addCaption(QWidget* parent, const QString& text, QRect at)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(at);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setStyleSheet(QStringLiteral("color: #23303F;"));
    return l;
}

QLineEdit* CardScreen::addEdit(QWidget* parent, const QString& name, QRect at)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(at);
    return e;
}

QComboBox* CardScreen::addCombo(QWidget* parent, const QString& name, QRect at, const QStringList& items)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setGeometry(at);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    c->setMaxVisibleItems(20);
    c->setCurrentIndex(-1);
    return c;
}

QLabel* CardScreen::addHidden(const QString& name, const QString& designText)
{
    auto* l = new QLabel(designText, panContainer());
    l->setObjectName(name);
    l->hide();
    return l;
}

Picture* CardScreen::addCommand(QWidget* parent, const QString& name, const QString& svg, QRect at, const QString& hint,
    std::function<void()> handler)
{
    auto* p = new Picture(name, svg, parent, at, true);
    setHint(p, hint);
    connect(p, &Picture::clicked, this, std::move(handler));
    return p;
}

QFrame* CardScreen::addSection(const QString& name, QRect at, const QString& svg)
{
    auto* f = new QFrame(panContainer());
    f->setObjectName(name);
    f->setGeometry(at);
    f->setStyleSheet(QStringLiteral("#%1 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #DCEBF8, stop:1 #EEF5FC);"
                                    " border: 1px solid #A8CAE5; border-radius: 8px; }").arg(name));
    setBlankArea(f);
    auto* ico = new Picture(QStringLiteral("ico") + name.mid(3), svg, f, {10, 10, 48, 48}, false);
    setBlankArea(ico);
    return f;
}

QFrame* CardScreen::addGroup(QRect at)
{
    auto* f = new QFrame(panContainer());
    f->setGeometry(at);
    f->setStyleSheet(QStringLiteral("QFrame { background: white; border: 1px solid #C9D7E6; border-radius: 6px; }"));
    setBlankArea(f);
    return f;
}

void CardScreen::createPositionLabel(QWidget* parent, QRect at)
{
    m_lblPosizione = new QLabel(parent);
    m_lblPosizione->setObjectName(QStringLiteral("lblPosizione"));
    m_lblPosizione->setGeometry(at);
    m_lblPosizione->setAlignment(Qt::AlignCenter);
    m_lblPosizione->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 11pt; color: #1F4E8C; border: none;"));
}

void CardScreen::createInfoLine(const QString& designText)
{
    m_panInfo = new QLabel(designText, panContainer());
    m_panInfo->setObjectName(QStringLiteral("panInfo"));
    m_panInfo->setGeometry(8, 660, 979, 26);
    m_panInfo->setIndent(10);
    m_panInfo->setStyleSheet(QStringLiteral(
        "background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #2E74C9, stop:1 #1F4E8C);"
        " color: white; font-weight: bold; border-radius: 4px;"));
    setInfoLine(m_panInfo);
}

void CardScreen::formShow()
{
    ClearCard();
}

void CardScreen::ClearCard()
{
    for (const FieldDef& f : m_layout.fields) {
        const QString name = QString::fromLatin1(f.name.data(), static_cast<qsizetype>(f.name.size()));
        QWidget* w = findChild<QWidget*>(QStringLiteral("txt") + name);
        if (!w)
            w = findChild<QWidget*>(QStringLiteral("lbl") + name);
        if (w)
            CardBinder::setText(w, name == QLatin1String("Convalida") ? CardBinder::kNo : QString());
    }
    if (auto* chk = findChild<QCheckBox*>(QStringLiteral("chkAnnullata")))
        chk->setChecked(false);
    m_lblPosizione->clear();
    if (QWidget* first = findChild<QWidget*>(QStringLiteral("txtTitolo")))
        first->setFocus(Qt::OtherFocusReason);
}

void CardScreen::ShowRecord(const Record& record)
{
    CardBinder::show(this, record);
}

void CardScreen::withArchive(const std::function<bool(RecordStore&)>& work)
{
    RecordStore store;
    const bool ok = store.open(archivePath(), m_layout.size) && work(store);
    store.close();
    if (!ok)
        Msg::error(this, Msg::accessMessage());
}

bool CardScreen::showCard(RecordStore& store, qint64 index)
{
    Record record(m_layout);
    if (!store.seek(index) || !store.read(record.bytes()))
        return false;
    ShowRecord(record);
    m_lblPosizione->setText(QString::number(store.index()));
    return true;
}

namespace {
const QString kEmptyArchive = QStringLiteral("L'archivio non contiene nessuna scheda.");
}

void CardScreen::cmdPrimoClick()
{
    bool empty = false;
    withArchive([&](RecordStore& store) {
        empty = store.count() == 0;
        return empty || showCard(store, 0);
    });
    if (empty)
        Msg::information(this, kEmptyArchive);
}

void CardScreen::cmdUltimoClick()
{
    bool empty = false;
    withArchive([&](RecordStore& store) {
        empty = store.count() == 0;
        return empty || showCard(store, store.count() - 1);
    });
    if (empty)
        Msg::information(this, kEmptyArchive);
}

void CardScreen::cmdAvantiClick()
{
    // A new card counts as position 0.
    const QString label = Text::trimmed(m_lblPosizione->text());
    const qint64 p = label.isEmpty() ? 0 : label.toLongLong();
    bool empty = false;
    withArchive([&](RecordStore& store) {
        const qint64 n = store.count();
        if (n == 0) {
            empty = true;
            return true;
        }
        return p >= n || showCard(store, p);
    });
    if (empty) {
        m_lblPosizione->clear();
        Msg::information(this, kEmptyArchive);
    }
}

void CardScreen::cmdIndietroClick()
{
    const QString label = Text::trimmed(m_lblPosizione->text());
    if (label == QLatin1String("1"))
        return;
    bool empty = false;
    withArchive([&](RecordStore& store) {
        if (store.count() == 0) {
            empty = true;
            return true;
        }
        return showCard(store, label.isEmpty() ? 0 : label.toLongLong() - 2);
    });
    if (empty)
        Msg::information(this, kEmptyArchive);
}

void CardScreen::cmdSalvaClick()
{
    for (const Required& r : m_required) {
        QWidget* w = findChild<QWidget*>(r.control);
        if (w && Text::trimmed(CardBinder::text(w)).isEmpty()) {
            Msg::warning(this, r.message);
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    const QString label = Text::trimmed(m_lblPosizione->text());
    Record record(m_layout);
    CardBinder::fill(this, record);
    qint64 written = 0;
    bool saved = false;
    RecordStore store;
    if (store.open(archivePath(), m_layout.size)) {
        // A new card goes to the end as the store finds it under its lock:
        // another window may have added cards since this one last looked.
        saved = label.isEmpty() ? store.append(record.bytes())
                                : store.seek(label.toLongLong() - 1) && store.write(record.bytes());
        written = store.index();
    }
    store.close();
    if (!saved) {
        Msg::error(this, Msg::accessMessage());
        return;
    }
    m_lblPosizione->setText(QString::number(written));
    if (label.isEmpty())
        Msg::information(this, QStringLiteral("La scheda corrente è stata inserita in archivio."));
    else
        Msg::information(this, QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio."));
}
