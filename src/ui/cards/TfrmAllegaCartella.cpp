#include "TfrmAllegaCartella.h"

#include "ui/shell/Controls.h"
#include "ui/shell/FileChooser.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"
#include "ui/shell/ScreenDirectory.h"
#include "ui/shell/TMisc.h"
#include "core/storage/AttachmentFolder.h"
#include "core/storage/Cp1252.h"
#include "core/text/Text.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr QSize kClient{634, 534};
constexpr QSize kPanel{609, 503};
constexpr int kSlotY[TfrmAllegaCartella::kSlots] = {80, 200, 320};

QString suffix(int slot)
{
    return QStringLiteral("0%1").arg(slot + 1);
}

QString quoted(const QString& path)
{
    return QLatin1Char('"') + path + QLatin1Char('"');
}

const QString kOverwrite = QStringLiteral("Attenzione: nella cartella dei documenti allegati è presente un file con lo stesso nome.")
    + Msg::kCrLfCrLf + QStringLiteral("Si vuole sovrascrivere il file esistente?");
const QString kCopyFailed = QStringLiteral(
                                "Attenzione: non è stato possibile copiare il file scelto nella cartella dei documenti allegati.")
    + Msg::kCrLfCrLf
    + QStringLiteral(
        "Accertarsi che il file sia leggibile e di possedere i privilegi di scrittura nella cartella di installazione del programma.");
const QString kNameTooLong = QStringLiteral("Attenzione: il nome del file scelto supera i 250 caratteri che la scheda può conservare.")
    + Msg::kCrLfCrLf + QStringLiteral("Rinominare il file con un nome più breve e sceglierlo di nuovo.");
const QString kNameNotKept = QStringLiteral("Attenzione: il nome del file scelto contiene caratteri che la scheda non può conservare.")
    + Msg::kCrLfCrLf + QStringLiteral("Rinominare il file e sceglierlo di nuovo.");
const QString kNotBare = QStringLiteral(
                             "Attenzione: il nome del file allegato contiene l'indicazione di una cartella e non può essere aperto.")
    + Msg::kCrLfCrLf + QStringLiteral("Allegare di nuovo il file con il pulsante Sfoglia...");

} // namespace

TfrmAllegaCartella::TfrmAllegaCartella(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Allega file"), kClient)
{
    setObjectName(QStringLiteral("TfrmAllegaCartella"));
    setBackgroundGradient(QColor(0xEB, 0xE9, 0xE9), Qt::white);
    setPanelSize(kPanel);
    QWidget* pan = panContainer();

    auto* sfondo = new QFrame(pan);
    sfondo->setObjectName(QStringLiteral("shpSfondo"));
    sfondo->setGeometry(8, 8, 593, 433);
    sfondo->setStyleSheet(QStringLiteral("#shpSfondo { background: white; border: 1px solid #C8C6C6; }"));
    new Picture(QStringLiteral("imgLogo"), QStringLiteral("graffetta_istruzioni"), pan, {20, 20, 543, 49}, false);

    setCallerTag(QString());
    for (int slot = 0; slot < kSlots; ++slot)
        buildSlot(slot, kSlotY[slot]);

    QPushButton* annulla = Controls::button(
        pan, QStringLiteral("btnAnnulla"), QStringLiteral("Annulla"), {312, 456, 126, 32}, Controls::verdana());
    QPushButton* applica = Controls::button(
        pan, QStringLiteral("btnApplica"), QStringLiteral("Applica e chiudi"), {447, 456, 154, 32}, Controls::verdana());
    connect(annulla, &QPushButton::clicked, this, &TfrmAllegaCartella::btnAnnullaClick);
    connect(applica, &QPushButton::clicked, this, &TfrmAllegaCartella::btnApplicaClick);

    // Tab order: name, Sfoglia, Apri, description of each slot, then the two
    // closing buttons.
    QWidget* previous = nullptr;
    for (int slot = 0; slot < kSlots; ++slot) {
        const Slot& s = m_slots[slot];
        for (QWidget* w : std::array<QWidget*, 4>{s.txtFile, s.btnSfoglia, s.btnApri, s.txtDesc}) {
            if (previous)
                setTabOrder(previous, w);
            previous = w;
        }
    }
    setTabOrder(previous, applica);
    setTabOrder(applica, annulla);
}

void TfrmAllegaCartella::buildSlot(int slot, int y)
{
    QWidget* pan = panContainer();
    const QString n = suffix(slot);
    const QString ordinal = QString::number(slot + 1) + QStringLiteral("°");

    auto* shape = new QFrame(pan);
    shape->setObjectName(QStringLiteral("shpFile") + n);
    shape->setGeometry(16, y, 577, 113);
    shape->setStyleSheet(QStringLiteral("#shpFile%1 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
                                        " stop:0 #A8CAE5, stop:1 #FFFFFF); border: 1px solid #A8CAE5; }")
                             .arg(n));

    auto caption = [pan](const QString& text, QPoint at) {
        auto* l = new QLabel(text, pan);
        l->setGeometry(at.x(), at.y(), 400, 17);
        l->setFont(Controls::verdana(0, true));
        l->setStyleSheet(QStringLiteral("color: #1F3A5F; background: transparent;"));
    };
    caption(QStringLiteral("Nome %1 file allegato:").arg(ordinal), {28, y + 10});
    caption(QStringLiteral("Descrizione %1 file allegato:").arg(ordinal), {28, y + 60});

    Slot& s = m_slots[slot];
    s.txtFile = new QLineEdit(pan);
    s.txtFile->setObjectName(QStringLiteral("txtFile") + n);
    s.txtFile->setGeometry(28, y + 28, 338, 22);
    s.txtFile->setReadOnly(true);
    s.txtFile->setFont(Controls::verdana(0, true));
    s.txtFile->setStyleSheet(QStringLiteral("QLineEdit { color: #808080; }"));
    connect(s.txtFile, &QLineEdit::textChanged, this, [this, slot] { txtFileChange(slot); });

    auto* cancella = new Picture(QStringLiteral("imgCancella") + n, QStringLiteral("cancella"), pan, {370, y + 28, 22, 22}, true);
    connect(cancella, &Picture::clicked, this, [this, slot] { imgCancellaClick(slot); });

    s.btnSfoglia = Controls::button(
        pan, QStringLiteral("btnSfoglia") + n, QStringLiteral("Sfoglia..."), {400, y + 24, 86, 28}, Controls::verdana());
    connect(s.btnSfoglia, &QPushButton::clicked, this, [this, slot] { btnSfogliaClick(slot); });
    s.btnApri = Controls::button(pan, QStringLiteral("btnApri") + n, QStringLiteral("Apri"), {494, y + 24, 86, 28}, Controls::verdana());
    s.btnApri->setEnabled(false);
    connect(s.btnApri, &QPushButton::clicked, this, [this, slot] { btnApriClick(slot); });

    s.txtDesc = new QLineEdit(pan);
    s.txtDesc->setObjectName(QStringLiteral("txtDesc") + n);
    // Four pixels taller than the name field: the large bold font needs its
    // whole line, descenders included.
    s.txtDesc->setGeometry(28, y + 78, 552, 26);
    s.txtDesc->setFont(Controls::verdana(12, true));
}

void TfrmAllegaCartella::openFor(QWidget* card, const QString& tag)
{
    TfrmAllegaCartella screen(card);
    screen.setCallerTag(tag);
    auto label = [card](const QString& name) {
        const auto* l = card->findChild<const QLabel*>(name);
        return l ? l->text() : QString();
    };
    for (int slot = 0; slot < kSlots; ++slot)
        screen.setSlot(slot, label(QStringLiteral("lblFile") + suffix(slot)), label(QStringLiteral("lblDesc") + suffix(slot)));
    screen.execModal();
}

void TfrmAllegaCartella::setSlot(int slot, const QString& file, const QString& desc)
{
    m_slots[slot].txtFile->setText(Text::trimmed(file));
    m_slots[slot].txtDesc->setText(Text::trimmed(desc));
}

void TfrmAllegaCartella::txtFileChange(int slot)
{
    m_slots[slot].btnApri->setEnabled(!Text::trimmed(m_slots[slot].txtFile->text()).isEmpty());
}

void TfrmAllegaCartella::imgCancellaClick(int slot)
{
    // The stored file stays: other cards may name it too.
    m_slots[slot].txtFile->clear();
}

void TfrmAllegaCartella::btnSfogliaClick(int slot)
{
    const QString chosen = FileChooser::chooseFile(
        this, QStringLiteral("Selezionare il file da allegare:"), QStringLiteral("Tutti i file (*.*)"));
    if (chosen.isEmpty())
        return;
    const QString name = Text::trimmed(QFileInfo(chosen).fileName());

    // The card keeps at most 250 characters of Windows-1252: a name that
    // does not fit would be stored cut or altered and name no file.
    if (name.size() > AttachmentFolder::kNameCapacity) {
        Msg::warning(this, kNameTooLong);
        return;
    }
    if (!AttachmentFolder::isBareName(name) || !Cp1252::canEncode(name)) {
        Msg::warning(this, kNameNotKept);
        return;
    }
    if (!AttachmentFolder::create()) {
        Msg::warning(this, kCopyFailed);
        return;
    }
    if (AttachmentFolder::contains(name)) {
        // On No, or when the chosen file is the stored one, the slot names
        // the file already stored, which stays as it is.
        if (!Msg::confirm(this, kOverwrite) || AttachmentFolder::isStored(chosen, name)) {
            m_slots[slot].txtFile->setText(name);
            return;
        }
    }
    if (!AttachmentFolder::copyIn(chosen, name)) {
        Msg::warning(this, kCopyFailed);
        return;
    }
    m_slots[slot].txtFile->setText(name);
}

void TfrmAllegaCartella::btnApriClick(int slot)
{
    const QString name = Text::trimmed(m_slots[slot].txtFile->text());
    if (name.isEmpty())
        return;
    // A name written by another program may try to leave the folder.
    if (!AttachmentFolder::isBareName(name)) {
        Msg::warning(this, kNotBare);
        return;
    }
    // Whether the document opens is the desktop's business: no message.
    TMisc::Open(quoted(AttachmentFolder::file(name)));
}

void TfrmAllegaCartella::btnApplicaClick()
{
    QWidget* card = Screens::cardFor(callerTag());
    if (!card)
        return;
    auto write = [card](const QString& name, const QLineEdit* from) {
        if (auto* l = card->findChild<QLabel*>(name))
            l->setText(Text::trimmed(from->text()));
    };
    for (int slot = 0; slot < kSlots; ++slot) {
        write(QStringLiteral("lblFile") + suffix(slot), m_slots[slot].txtFile);
        write(QStringLiteral("lblDesc") + suffix(slot), m_slots[slot].txtDesc);
    }
    accept();
}

void TfrmAllegaCartella::btnAnnullaClick()
{
    // Files already copied stay in the folder.
    reject();
}
