#include "CardScreen.h"

#include "core/collections/Collection.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"
#include "core/storage/Text.h"
#include "core/text/HelpText.h"
#include "core/text/ResourceText.h"
#include "core/text/WebSearch.h"
#include "ui/cards/CardBinder.h"
#include "ui/cards/TfrmAllegaCartella.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"
#include "ui/shell/Screens.h"
#include "ui/shell/TMisc.h"
#include "ui/shell/TfrmGuida.h"
#include "ui/shell/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <memory>

namespace {

using F = CardForm;

constexpr int kBarTop = 6, kBarHeight = 51, kCommandHeight = 39;
constexpr int kSectionsTop = 66, kSectionGap = 10, kSectionX = 8, kSectionWidth = 979;
// Captions above fields: the caption's height and the gap under a field.
constexpr int kAboveCaption = 18, kAboveGap = 10;

const QString kEmptyArchive = QStringLiteral("L'archivio non contiene nessuna scheda.");
const QString kAttachmentSlots[] = {QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03")};

QString name(std::string_view text)
{
    return Controls::utf8(text);
}

// Row tops of the CaptionAbove placement: each row is as high as its
// tallest field, with its captions above.
std::vector<int> aboveRowTops(std::span<const F::Field> fields, int* sectionHeight)
{
    int rows = 0;
    for (const F::Field& f : fields)
        rows = std::max(rows, f.row);
    std::vector<int> heights(static_cast<std::size_t>(rows) + 1, F::kFieldHeight);
    for (const F::Field& f : fields)
        heights[static_cast<std::size_t>(f.row)] = std::max(heights[static_cast<std::size_t>(f.row)], f.height ? f.height : F::kFieldHeight);
    std::vector<int> tops(heights.size(), 0);
    int y = F::kFirstRow;
    for (int r = 1; r <= rows; ++r) {
        tops[static_cast<std::size_t>(r)] = y + kAboveCaption;
        y += kAboveCaption + heights[static_cast<std::size_t>(r)] + kAboveGap;
    }
    *sectionHeight = y + F::kFirstRow - kAboveGap;
    return tops;
}

} // namespace

CardScreen::CardScreen(const CardForm& form, QWidget* owner)
    : TForm(owner, Kind::FullScreen, name(form.caption))
    , m_form(form)
{
    setObjectName(name(form.objectName));
    setBackgroundGradient(QColor(0xEB, 0xE9, 0xE9), QColor(0xFF, 0xFF, 0xFF));
    setBlankArea(this);
    setBlankArea(panContainer());

    // Every field of the form is a field of the record: a misspelt name
    // would silently never be stored.
    for (const F::Field& f : form.fields) {
        if (!form.collection->layout->find(f.control.substr(3)))
            qFatal("%s: %s is no field of the record", form.objectName.data(), f.control.data());
    }
    buildCommandBar();
    buildSections();

    m_panInfo = new QLabel(QStringLiteral("Pronto per archiviare una nuova scheda..."), panContainer());
    m_panInfo->setObjectName(QStringLiteral("panInfo"));
    m_panInfo->setGeometry(8, 660, 979, 26);
    m_panInfo->setIndent(10);
    m_panInfo->setStyleSheet(QStringLiteral(
        "background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #2E74C9, stop:1 #1F4E8C);"
        " color: white; font-weight: bold; border-radius: 4px;"));
    setInfoLine(m_panInfo);

    buildHiddenControls();
    applyCapacities(layout());
    for (const F::Field& f : form.fields) {
        if (f.capacity > 0)
            applyCapacity(control(name(f.control)), f.capacity);
    }
    createFocusHighlights();
    buildEnterRing();
    for (const F::Hint& h : form.hints) {
        if (QWidget* w = control(name(h.control)))
            setHint(w, name(h.text));
    }
}

const RecordLayout& CardScreen::layout() const
{
    return *m_form.collection->layout;
}

QString CardScreen::cardTag() const
{
    return name(m_form.collection->callerTag);
}

QString CardScreen::archivePath() const
{
    return ProgramFolder::file(m_form.collection->archiveName());
}

void CardScreen::buildCommandBar()
{
    std::vector<QFrame*> groups;
    for (const F::Group& g : m_form.groups) {
        auto* f = new QFrame(panContainer());
        f->setGeometry(g.x, kBarTop, g.width, kBarHeight);
        f->setStyleSheet(QStringLiteral("QFrame { background: white; border: 1px solid #C9D7E6; border-radius: 6px; }"));
        f->setObjectName(QStringLiteral("shpControlli%1").arg(groups.size() + 1, 2, 10, QLatin1Char('0')));
        setBlankArea(f);
        groups.push_back(f);
    }
    for (const F::Command& c : m_form.commands) {
        QWidget* group = groups.at(static_cast<std::size_t>(c.group - 1));
        const QRect at(c.x, kBarTop, c.width, kCommandHeight);
        if (c.action == F::Action::Position) {
            m_lblPosizione = new QLabel(group);
            m_lblPosizione->setObjectName(QStringLiteral("lblPosizione"));
            m_lblPosizione->setGeometry(at);
            m_lblPosizione->setAlignment(Qt::AlignCenter);
            m_lblPosizione->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 11pt; color: #1F4E8C; border: none;"));
            continue;
        }
        auto* p = new Picture(name(c.control), name(c.picture), group, at, true);
        setHint(p, name(c.hint));
        connect(p, &Picture::clicked, this, [this, &c] { run(c); });
    }
}

void CardScreen::buildSections()
{
    int aboveHeight = 0;
    const std::vector<int> aboveTops = m_form.placement == F::Placement::CaptionAbove
        ? aboveRowTops(m_form.fields, &aboveHeight)
        : std::vector<int>();

    int top = kSectionsTop;
    for (const F::Section& s : m_form.sections) {
        const int height = m_form.placement == F::Placement::CaptionAbove ? aboveHeight : s.rows * F::kRowHeight + 20;
        auto* f = new QFrame(panContainer());
        f->setObjectName(name(s.name));
        f->setGeometry(kSectionX, top, kSectionWidth, height);
        f->setStyleSheet(QStringLiteral("#%1 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #DCEBF8, stop:1 #EEF5FC);"
                                        " border: 1px solid #A8CAE5; border-radius: 8px; }").arg(f->objectName()));
        setBlankArea(f);
        if (!s.picture.empty())
            setBlankArea(new Picture(QStringLiteral("ico") + f->objectName().mid(3), name(s.picture), f, {10, 10, 48, 48}, false));
        m_sections.push_back(f);
        top += height + kSectionGap;
    }

    for (const F::Field& field : m_form.fields) {
        QWidget* section = m_sections.at(static_cast<std::size_t>(field.section - 1));
        const int y = m_form.placement == F::Placement::CaptionAbove ? aboveTops.at(static_cast<std::size_t>(field.row))
                                                                    : F::rowY(field.row);
        addField(section, field, y);
    }
    for (const F::Button& b : m_form.buttons) {
        QWidget* section = m_sections.at(static_cast<std::size_t>(b.section - 1));
        const int y = F::rowY(b.row) + (F::kFieldHeight - b.size.height()) / 2;
        auto* p = new Picture(name(b.control), name(b.picture), section, QRect(QPoint(b.x, y), b.size), true);
        setHint(p, name(b.hint));
    }
    if (m_form.cancelled.section > 0)
        addCancelledPatch(m_sections.at(static_cast<std::size_t>(m_form.cancelled.section - 1)), F::rowY(m_form.cancelled.row));
    if (!m_form.webLookup.field.empty())
        onClick(QStringLiteral("btnGoogle"), [this] { btnGoogleClick(); });
}

QWidget* CardScreen::addField(QWidget* section, const CardForm::Field& field, int y)
{
    const int height = field.height ? field.height : F::kFieldHeight;
    QRect at;
    QRect captionAt;
    Qt::Alignment captionAlign = Qt::AlignRight | Qt::AlignVCenter;
    if (m_form.placement == F::Placement::CaptionAbove) {
        at = {field.x, y, field.width, height};
        captionAt = {field.x, y - kAboveCaption, field.width, kAboveCaption - 2};
        captionAlign = Qt::AlignLeft | Qt::AlignBottom;
    } else {
        switch (field.column) {
        case F::Left:
            at = {F::kLeftField, y, field.width ? field.width : F::kLeftWidth, height};
            captionAt = {F::kLeftCaption, y, F::kCaptionWidth, F::kFieldHeight};
            break;
        case F::Full:
            at = {F::kLeftField, y, field.width ? field.width : F::kFullWidth, height};
            captionAt = {F::kLeftCaption, y, F::kCaptionWidth, F::kFieldHeight};
            break;
        case F::Right:
            at = {F::kRightField, y, field.width ? field.width : F::kRightWidth, height};
            captionAt = {F::kRightCaption, y, F::kCaptionWidth, F::kFieldHeight};
            break;
        case F::At:
            // Inside a row, after another field: a short caption just before it.
            at = {field.x, y, field.width, height};
            captionAt = {field.x - 62, y, 58, F::kFieldHeight};
            break;
        }
    }
    auto* caption = new QLabel(name(field.caption), section);
    caption->setGeometry(captionAt);
    caption->setAlignment(captionAlign);
    caption->setStyleSheet(QStringLiteral("color: #23303F;"));

    QWidget* w = nullptr;
    switch (field.kind) {
    case F::Kind::Combo: {
        auto* c = new QComboBox(section);
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->addItems(ResourceText::lines(QStringLiteral(":/lists/%1.txt").arg(name(field.list))));
        c->setMaxVisibleItems(20);
        c->setCurrentIndex(-1);
        w = c;
        break;
    }
    case F::Kind::Memo: {
        auto* m = new QPlainTextEdit(section);
        m->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        m->setTabChangesFocus(true);
        w = m;
        break;
    }
    case F::Kind::Edit: {
        auto* e = new QLineEdit(section);
        if (field.centred)
            e->setAlignment(Qt::AlignCenter);
        w = e;
        break;
    }
    }
    w->setObjectName(name(field.control));
    w->setGeometry(at);
    if (field.crimson)
        w->setStyleSheet(QStringLiteral("color: #DC143C;"));
    return w;
}

void CardScreen::addCancelledPatch(QWidget* section, int y)
{
    auto* patch = new QFrame(section);
    patch->setGeometry(m_form.cancelled.x, y - 3, 134, 28);
    patch->setStyleSheet(QStringLiteral("background: white; border: 1px solid #C9D7E6; border-radius: 4px;"));
    setBlankArea(patch);
    new Picture(QStringLiteral("icoAnnullata"), QStringLiteral("ico_annullata"), patch, {6, 4, 20, 20}, false);
    auto* chk = new QCheckBox(QStringLiteral("Annullata"), patch);
    chk->setObjectName(QStringLiteral("chkAnnullata"));
    chk->setGeometry(32, 3, 98, 22);
    setHint(chk, name(m_form.cancelled.hint));
}

void CardScreen::buildHiddenControls()
{
    auto hidden = [this](const QString& objectName, const QString& designText) {
        auto* l = new QLabel(designText, panContainer());
        l->setObjectName(objectName);
        l->hide();
    };
    if (layout().find("Convalida")) {
        auto* convalida = new QLineEdit(QStringLiteral("No"), panContainer());
        convalida->setObjectName(QStringLiteral("txtConvalida"));
        convalida->setGeometry(0, 0, 40, 22);
        convalida->hide();
    }
    for (const QString& slot : kAttachmentSlots) {
        if (!layout().find(QStringLiteral("File%1").arg(slot).toStdString()))
            continue;
        hidden(QStringLiteral("lblFile") + slot, QStringLiteral("File") + slot);
        hidden(QStringLiteral("lblDesc") + slot, QStringLiteral("Desc") + slot);
    }
}

void CardScreen::buildEnterRing()
{
    // The ring follows the tab order; a memo keeps Enter for its new lines,
    // so the ring stops there.
    std::vector<QWidget*> order;
    for (const F::Field& f : m_form.fields)
        order.push_back(control(name(f.control)));
    std::vector<std::pair<QWidget*, QWidget*>> links;
    for (std::size_t i = 0; i < order.size(); ++i) {
        QWidget* w = order[i];
        setTabOrder(i == 0 ? w : order[i - 1], w);
        if (m_form.fields[i].kind != F::Kind::Memo)
            links.emplace_back(w, order[(i + 1) % order.size()]);
    }
    setEnterChain(links);
}

void CardScreen::onClick(const QString& button, std::function<void()> handler)
{
    if (auto* p = control<Picture>(button))
        connect(p, &Picture::clicked, this, std::move(handler));
}

void CardScreen::run(const CardForm::Command& command)
{
    switch (command.action) {
    case F::Action::New: cmdNuovoClick(); break;
    case F::Action::Duplicate: cmdDuplicaClick(); break;
    case F::Action::Save: cmdSalvaClick(); break;
    case F::Action::First: cmdPrimoClick(); break;
    case F::Action::Previous: cmdIndietroClick(); break;
    case F::Action::Next: cmdAvantiClick(); break;
    case F::Action::Last: cmdUltimoClick(); break;
    // The attachment screen writes the slots back into the hidden labels on
    // apply; they reach the archive only with the next Save.
    case F::Action::Attach: TfrmAllegaCartella::openFor(this, cardTag()); break;
    case F::Action::Dialog: openDialog(command); break;
    case F::Action::Help: cmdGuidaClick(); break;
    case F::Action::Exit: cmdEsciClick(); break;
    case F::Action::Position: break;
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
    TfrmGuida::showTopic(this, name(m_form.helpTitle), HelpText::topic(name(m_form.helpTopic)));
}

void CardScreen::formShow()
{
    ClearCard();
}

void CardScreen::formClose()
{
    handOver(Screens::get(Screens::Id::Avvio));
}

void CardScreen::ClearCard()
{
    for (const FieldDef& f : layout().fields) {
        const QString field = QString::fromLatin1(f.name.data(), static_cast<qsizetype>(f.name.size()));
        QWidget* w = findChild<QWidget*>(QStringLiteral("txt") + field);
        if (!w)
            w = findChild<QWidget*>(QStringLiteral("lbl") + field);
        if (w)
            CardBinder::setText(w, field == QLatin1String("Convalida") ? CardBinder::kNo : QString());
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
        QWidget* w = findChild<QWidget*>(QStringLiteral("txt") + name(r.field));
        if (w && Text::trimmed(CardBinder::text(w)).isEmpty()) {
            Msg::warning(this, name(r.message));
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    const QString label = Text::trimmed(m_lblPosizione->text());
    Record record(layout());
    CardBinder::fill(this, record);
    qint64 written = 0;
    bool saved = false;
    RecordStore store;
    if (store.open(archivePath(), layout().size)) {
        // A new card goes to the end as the store finds it under its lock:
        // another window may have added cards since this one last looked.
        saved = label.isEmpty() ? store.append(record.bytes())
                                : store.seek(label.toLongLong() - 1) && store.write(record.bytes());
        written = store.index();
    }
    store.close();
    if (!saved) {
        Msg::show(this, m_form.plainSaveFailure ? Msg::Kind::Plain : Msg::Kind::Error, Msg::accessMessage());
        return;
    }
    m_lblPosizione->setText(QString::number(written));
    if (label.isEmpty())
        Msg::information(this, QStringLiteral("La scheda corrente è stata inserita in archivio."));
    else
        Msg::information(this, QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio."));
}

void CardScreen::cmdDuplicaClick()
{
    if (Text::trimmed(m_lblPosizione->text()).isEmpty()) {
        Msg::warning(this, QStringLiteral("Attenzione: la duplicazione di una scheda può avvenire soltanto dopo che questa è stata inserita in archivio."));
        return;
    }
    // A new card copied from the one on display: what identifies the
    // original, its loan, cancelled flag and attachments stay with it.
    if (auto* convalida = control<QLineEdit>(QStringLiteral("txtConvalida")))
        convalida->setText(CardBinder::kNo);
    for (std::string_view field : m_form.duplicateClears)
        CardBinder::setText(control(name(field)), QString());
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
    if (QWidget* focus = control(name(m_form.duplicateFocus)))
        focus->setFocus(Qt::OtherFocusReason);
    store.close();
    Msg::information(this, QStringLiteral("E' ora possibile apportare le proprie modifiche alla scheda corrente.") + Msg::kLfCrLfCr
            + QStringLiteral("Al termine premere Salva per inserire la scheda in archivio."));
}

void CardScreen::btnGoogleClick()
{
    QWidget* field = control(name(m_form.webLookup.field));
    const QString value = Text::trimmed(CardBinder::text(field));
    if (value.isEmpty()) {
        Msg::warning(this, name(m_form.webLookup.emptyWarning));
        field->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The query is percent-encoded, so "&", "#", "+" and "%" in a title reach
    // the engine as typed.
    if (!TMisc::Open(QLatin1Char('"') + WebSearch::address(name(m_form.webLookup.prefix) + value) + QLatin1Char('"')))
        Msg::warning(this, QStringLiteral("Attenzione: il sistema non permette di collegarsi al motore di ricerca di Google.") + Msg::kLfCrLfCr
                + QStringLiteral("Accertarsi che la propria connessione a Internet funzioni correttamente."));
}
