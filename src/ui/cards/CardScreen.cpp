#include "CardScreen.h"

#include "core/collections/Collection.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"
#include "core/text/Text.h"
#include "core/text/HelpText.h"
#include "core/text/WebSearch.h"
#include "ui/cards/CardBinder.h"
#include "ui/cards/CardLayout.h"
#include "ui/cards/TfrmAllegaCartella.h"
#include "ui/cards/CardHints.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"
#include "ui/shell/ScreenDirectory.h"
#include "ui/shell/TMisc.h"
#include "ui/shell/TfrmGuida.h"
#include "ui/shell/Controls.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <memory>
#include <utility>

namespace {

using F = CardForm;

const QString kEmptyArchive = QStringLiteral("L'archivio non contiene nessuna scheda.");
const QString kCharactersReplaced = QStringLiteral(
    "Alcuni caratteri non possono essere conservati in archivio e sono stati salvati come \"?\".");
const QString kAttachmentSlots[] = {QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03")};

} // namespace

CardScreen::CardScreen(const CardForm& form, QWidget* owner)
    : TForm(owner, Kind::FullScreen, Text::utf8(form.caption))
    , m_form(form)
{
    setObjectName(Text::utf8(form.objectName));
    setBackgroundGradient(QColor(0xEB, 0xE9, 0xE9), QColor(0xFF, 0xFF, 0xFF));
    setBlankArea(this);
    setBlankArea(panContainer());
    CardLayout parts(panContainer(), form);
    m_sections = std::move(parts.sections);
    m_lblPosizione = parts.position;
    m_panInfo = parts.info;
    for (QWidget* area : parts.blankAreas)
        setBlankArea(area);
    for (const auto& [control, hint] : parts.hints)
        setHint(control, hint);
    for (const auto& [picture, command] : parts.commands)
        connect(picture, &Picture::clicked, this, [this, command] { run(*command); });
    setInfoLine(m_panInfo);
    applyCapacities(layout());
    for (const auto& [field, capacity] : parts.capacities)
        applyCapacity(field, capacity);
    for (QWidget* field : parts.oneLine)
        Controls::keepOnOneLine(field);
    createFocusHighlights();
    setEnterChain(parts.enterChain);
    for (const auto& [control, hint] : parts.fieldHints)
        setHint(control, hint);
    if (!form.webLookup.field.empty())
        onClick(QStringLiteral("btnGoogle"), [this] { btnGoogleClick(); });
    CardHints::attach(this);
}

const RecordLayout& CardScreen::layout() const
{
    return *m_form.collection->layout;
}

QString CardScreen::cardTag() const
{
    return Text::utf8(m_form.collection->callerTag);
}

QString CardScreen::archivePath() const
{
    return ProgramFolder::file(m_form.collection->archiveName());
}

void CardScreen::onClick(const QString& button, std::function<void()> handler)
{
    if (auto* p = control<Picture>(button))
        connect(p, &Picture::clicked, this, std::move(handler));
}

void CardScreen::run(const CardForm::Command& command)
{
    switch (command.action) {
    case F::Action::New:
        cmdNuovoClick();
        break;
    case F::Action::Duplicate:
        cmdDuplicaClick();
        break;
    case F::Action::Save:
        cmdSalvaClick();
        break;
    case F::Action::First:
        cmdPrimoClick();
        break;
    case F::Action::Previous:
        cmdIndietroClick();
        break;
    case F::Action::Next:
        cmdAvantiClick();
        break;
    case F::Action::Last:
        cmdUltimoClick();
        break;
    // The attachment screen writes the slots back into the hidden labels on
    // apply; they reach the archive only with the next Save.
    case F::Action::Attach:
        TfrmAllegaCartella::openFor(this, cardTag());
        break;
    case F::Action::Dialog:
        openDialog(command);
        break;
    case F::Action::Help:
        cmdGuidaClick();
        break;
    case F::Action::Exit:
        cmdEsciClick();
        break;
    case F::Action::Position:
        break;
    }
}

void CardScreen::openDialog(const CardForm::Command& command)
{
    const std::unique_ptr<TForm> dialog(command.dialog(this));
    if (command.tagged)
        dialog->setCallerTag(cardTag());
    dialog->execModal(command.overOwner);
}

void CardScreen::cmdGuidaClick()
{
    TfrmGuida::showTopic(this, Text::utf8(collection().cardHelp.title), HelpText::topic(Text::utf8(collection().cardHelp.topic)));
}

void CardScreen::formShow()
{
    ClearCard();
}

void CardScreen::formClose()
{
    TForm* menu = Screens::role(Screens::Role::MainMenu);
    handOver(menu);
    // After the close has run its course, not inside it.
    if (auto then = std::exchange(m_onLeave, {}); then && menu)
        QTimer::singleShot(0, menu, std::move(then));
}

void CardScreen::ClearCard()
{
    for (const FieldDef& f : layout().fields) {
        const QString field = Text::latin1(f.name);
        QWidget* w = findChild<QWidget*>(QStringLiteral("txt") + field);
        if (!w)
            w = findChild<QWidget*>(QStringLiteral("lbl") + field);
        if (w)
            Controls::setText(w, field == QLatin1String("Convalida") ? Text::utf8(collection().no) : QString());
    }
    if (auto* chk = findChild<QCheckBox*>(QStringLiteral("chkAnnullata")))
        chk->setChecked(false);
    m_lblPosizione->clear();
    if (QWidget* first = findChild<QWidget*>(QStringLiteral("txtTitolo")))
        first->setFocus(Qt::OtherFocusReason);
}

void CardScreen::ShowRecord(const Record& record)
{
    CardBinder::show(this, record, collection());
}

void CardScreen::showStored(const Record& record, qint64 index)
{
    ShowRecord(record);
    m_lblPosizione->setText(QString::number(index + 1));
}

CardScreen* cardScreenFor(const QString& callerTag)
{
    return qobject_cast<CardScreen*>(Screens::cardFor(callerTag));
}

void CardScreen::withArchive(const std::function<bool(RecordStore&)>& work)
{
    RecordStore store;
    const bool ok = store.open(archivePath(), layout().size) && work(store);
    store.close();
    if (!ok)
        Msg::error(this, Msg::accessMessage());
}

bool CardScreen::showCard(RecordStore& store, qint64 index)
{
    Record record(layout());
    if (!store.seek(index) || !store.read(record.bytes()))
        return false;
    ShowRecord(record);
    m_lblPosizione->setText(QString::number(store.index()));
    return true;
}

void CardScreen::showEmptyArchive()
{
    Msg::information(this, kEmptyArchive);
}

void CardScreen::cmdPrimoClick()
{
    bool empty = false;
    withArchive([&](RecordStore& store) {
        empty = store.count() == 0;
        return empty || showCard(store, 0);
    });
    if (empty)
        showEmptyArchive();
}

void CardScreen::cmdUltimoClick()
{
    bool empty = false;
    withArchive([&](RecordStore& store) {
        empty = store.count() == 0;
        return empty || showCard(store, store.count() - 1);
    });
    if (empty)
        showEmptyArchive();
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
        showEmptyArchive();
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
        showEmptyArchive();
}

void CardScreen::cmdSalvaClick()
{
    for (const RequiredField& r : collection().required) {
        QWidget* w = findChild<QWidget*>(QStringLiteral("txt") + Text::utf8(r.field));
        if (w && Text::trimmed(Controls::text(w)).isEmpty()) {
            Msg::warning(this, Text::utf8(r.message));
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    if (!confirmSave())
        return;
    const QString label = Text::trimmed(m_lblPosizione->text());
    Record record(layout());
    const CardBinder::Losses losses = CardBinder::fill(this, record, collection());
    qint64 written = 0;
    bool saved = false;
    RecordStore store;
    if (store.open(archivePath(), layout().size)) {
        // A new card goes to the end as the store finds it under its lock:
        // another window may have added cards since this one last looked.
        saved = label.isEmpty() ? store.append(record.bytes()) : store.seek(label.toLongLong() - 1) && store.write(record.bytes());
        written = store.index();
    }
    store.close();
    if (!saved) {
        Msg::show(this, m_form.plainSaveFailure ? Msg::Kind::Plain : Msg::Kind::Error, Msg::accessMessage());
        return;
    }
    m_lblPosizione->setText(QString::number(written));
    // The screen and the archive must not disagree: what the archive could
    // not keep is shown as it was stored.
    if (losses.any())
        ShowRecord(record);
    if (losses.replaced)
        showNotice(kCharactersReplaced);
    if (label.isEmpty())
        Msg::information(this, QStringLiteral("La scheda corrente è stata inserita in archivio."));
    else
        Msg::information(this, QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio."));
    emit cardSaved();
}

void CardScreen::cmdDuplicaClick()
{
    if (Text::trimmed(m_lblPosizione->text()).isEmpty()) {
        Msg::warning(this,
            QStringLiteral(
                "Attenzione: la duplicazione di una scheda può avvenire soltanto dopo che questa è stata inserita in archivio."));
        return;
    }
    // A new card copied from the one on display: what identifies the
    // original, its loan, cancelled flag and attachments stay with it.
    if (auto* convalida = control<QLineEdit>(QStringLiteral("txtConvalida")))
        convalida->setText(Text::utf8(collection().no));
    for (std::string_view field : m_form.duplicateClears)
        Controls::setText(control(Text::utf8(field)), QString());
    if (auto* chk = control<QCheckBox>(QStringLiteral("chkAnnullata")))
        chk->setChecked(false);
    for (const QString& slot : kAttachmentSlots) {
        if (auto* l = control<QLabel>(QStringLiteral("lblFile") + slot))
            l->clear();
        if (auto* l = control<QLabel>(QStringLiteral("lblDesc") + slot))
            l->clear();
    }
    m_lblPosizione->clear();

    // The Save to come must find the archive: check it can be reached now.
    RecordStore store;
    if (!store.open(archivePath(), layout().size)) {
        Msg::warning(this, Msg::accessMessage());
        return;
    }
    if (QWidget* focus = control(Text::utf8(m_form.duplicateFocus)))
        focus->setFocus(Qt::OtherFocusReason);
    store.close();
    Msg::information(this,
        QStringLiteral("E' ora possibile apportare le proprie modifiche alla scheda corrente.") + Msg::kLfCrLfCr
            + QStringLiteral("Al termine premere Salva per inserire la scheda in archivio."));
}

void CardScreen::btnGoogleClick()
{
    QWidget* field = control(Text::utf8(m_form.webLookup.field));
    const QString value = Text::trimmed(Controls::text(field));
    if (value.isEmpty()) {
        Msg::warning(this, Text::utf8(m_form.webLookup.emptyWarning));
        field->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The query is percent-encoded, so "&", "#", "+" and "%" in a title reach
    // the engine as typed.
    if (!TMisc::Open(QLatin1Char('"') + WebSearch::address(Text::utf8(m_form.webLookup.prefix) + value) + QLatin1Char('"')))
        Msg::warning(this,
            QStringLiteral("Attenzione: il sistema non permette di collegarsi al motore di ricerca di Google.") + Msg::kLfCrLfCr
                + QStringLiteral("Accertarsi che la propria connessione a Internet funzioni correttamente."));
}
