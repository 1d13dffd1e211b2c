#include "TfrmEtichette.h"

#include "core/collections/Collection.h"
#include "core/storage/ProgramFolder.h"
#include "core/text/Text.h"
#include "ui/shell/Controls.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"
#include "ui/report/ReportPrinter.h"
#include "ui/shell/TfrmGuida.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

constexpr QSize kClient{1000, 660};
constexpr QSize kPanel{971, 629};
constexpr QRect kPreview{560, 62, 400, 520};

// The choices of the range list, in the order of LabelChoice::Range.
const QString kRanges[] = {
    QStringLiteral("Tutte le schede"),
    QStringLiteral("Intervallo di posizioni"),
    QStringLiteral("Intervallo di codici"),
    QStringLiteral("Uno scaffale"),
    QStringLiteral("Schede aggiunte dalla posizione"),
};

QDoubleSpinBox* millimetres(QWidget* parent, const QString& name, double from, double to)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(from, to);
    box->setDecimals(2);
    box->setSingleStep(0.1);
    box->setSuffix(QStringLiteral(" mm"));
    // Millimetres with the decimal comma, as the sheets are named, whatever
    // the system's language.
    box->setLocale(QLocale(QLocale::Italian, QLocale::Italy));
    return box;
}

QSpinBox* count(QWidget* parent, const QString& name, int from, int to)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(from, to);
    return box;
}

// A position typed in a range field: a whole number from 1.
bool readPosition(const QString& text, qint64& into)
{
    bool ok = false;
    into = Text::trimmed(text).toLongLong(&ok);
    return ok && into >= 1;
}

} // namespace

TfrmEtichette::TfrmEtichette(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Etichette per ") + LabelCards::collections(), kClient)
{
    setObjectName(QStringLiteral("TfrmEtichette"));
    setBackgroundGradient(Qt::black, Qt::white);
    setPanelSize(kPanel);
    QWidget* pan = panContainer();
    Controls::styleListPanel(pan);
    QFrame* banner = Controls::listBanner(pan, 955);
    auto* heading = new QLabel(QStringLiteral("Etichette"), banner);
    heading->setObjectName(QStringLiteral("lblTitolo"));
    heading->setStyleSheet(QStringLiteral("color: #1F4E8C;"));
    heading->setFont(Controls::verdana(13, true));
    heading->move(430, 14);
    heading->adjustSize();
    new Picture(QStringLiteral("icoEtichette"), QStringLiteral("ico_etichette"), banner, {848, 4, 44, 44}, false);
    TfrmGuida::bannerButton(banner, QStringLiteral("Guida alle etichette."), QStringLiteral("Etichette."), QStringLiteral("etichette"));

    auto* form = new QWidget(pan);
    form->setObjectName(QStringLiteral("panScelte"));
    form->setGeometry(12, 62, 530, 520);
    auto* rows = new QFormLayout(form);
    rows->setContentsMargins(4, 4, 4, 4);
    rows->setVerticalSpacing(6);

    m_txtRaccolta = new QComboBox(form);
    m_txtRaccolta->setObjectName(QStringLiteral("txtRaccolta"));
    for (const Collection* c : Collection::all()) {
        if (Collection::labelled(*c))
            m_txtRaccolta->addItem(Text::utf8(c->caption), Text::latin1(c->key));
    }
    rows->addRow(QStringLiteral("Archivio:"), m_txtRaccolta);

    m_txtTipo = new QComboBox(form);
    m_txtTipo->setObjectName(QStringLiteral("txtTipo"));
    m_txtTipo->addItem(QString());
    m_txtTipo->addItem(QStringLiteral("Codice a barre (Code 128) con titolo"));
    rows->addRow(QStringLiteral("Etichetta:"), m_txtTipo);

    m_txtScelta = new QComboBox(form);
    m_txtScelta->setObjectName(QStringLiteral("txtScelta"));
    for (const QString& r : kRanges)
        m_txtScelta->addItem(r);
    rows->addRow(QStringLiteral("Schede:"), m_txtScelta);
    m_lblDa = new QLabel(QStringLiteral("Da:"), form);
    m_lblDa->setObjectName(QStringLiteral("lblDa"));
    m_txtDa = new QLineEdit(form);
    m_txtDa->setObjectName(QStringLiteral("txtDa"));
    rows->addRow(m_lblDa, m_txtDa);
    m_lblA = new QLabel(QStringLiteral("A:"), form);
    m_lblA->setObjectName(QStringLiteral("lblA"));
    m_txtA = new QLineEdit(form);
    m_txtA->setObjectName(QStringLiteral("txtA"));
    rows->addRow(m_lblA, m_txtA);
    m_chkAnnullate = new QCheckBox(QStringLiteral("Comprese le schede annullate"), form);
    m_chkAnnullate->setObjectName(QStringLiteral("chkAnnullate"));
    rows->addRow(QString(), m_chkAnnullate);

    m_txtFoglio = new QComboBox(form);
    m_txtFoglio->setObjectName(QStringLiteral("txtFoglio"));
    for (const LabelSheet& s : LabelSheet::presets())
        m_txtFoglio->addItem(s.name, s.key);
    m_txtFoglio->addItem(QStringLiteral("Personalizzato (misure qui sotto)"), LabelSheet::kCustomKey);
    rows->addRow(QStringLiteral("Foglio A4:"), m_txtFoglio);

    auto pair = [&](const QString& caption, QWidget* a, QWidget* b) {
        auto* line = new QWidget(form);
        auto* h = new QHBoxLayout(line);
        h->setContentsMargins(0, 0, 0, 0);
        h->addWidget(a);
        h->addWidget(b);
        rows->addRow(caption, line);
    };
    m_txtColonne = count(form, QStringLiteral("txtColonne"), 1, 20);
    m_txtRighe = count(form, QStringLiteral("txtRighe"), 1, 40);
    m_txtColonne->setPrefix(QStringLiteral("colonne "));
    m_txtRighe->setPrefix(QStringLiteral("righe "));
    pair(QStringLiteral("Griglia:"), m_txtColonne, m_txtRighe);
    m_txtSinistro = millimetres(form, QStringLiteral("txtSinistro"), 0, 200);
    m_txtAlto = millimetres(form, QStringLiteral("txtAlto"), 0, 290);
    pair(QStringLiteral("Margini (sinistro, superiore):"), m_txtSinistro, m_txtAlto);
    m_txtPassoX = millimetres(form, QStringLiteral("txtPassoX"), 1, 210);
    m_txtPassoY = millimetres(form, QStringLiteral("txtPassoY"), 1, 297);
    pair(QStringLiteral("Passo (orizzontale, verticale):"), m_txtPassoX, m_txtPassoY);
    m_txtLarghezza = millimetres(form, QStringLiteral("txtLarghezza"), 1, 210);
    m_txtAltezza = millimetres(form, QStringLiteral("txtAltezza"), 1, 297);
    pair(QStringLiteral("Etichetta (larghezza, altezza):"), m_txtLarghezza, m_txtAltezza);

    m_txtInizio = count(form, QStringLiteral("txtInizio"), 1, 65);
    rows->addRow(QStringLiteral("Inizia dall'etichetta n.:"), m_txtInizio);
    m_txtBiblioteca = new QLineEdit(form);
    m_txtBiblioteca->setObjectName(QStringLiteral("txtBiblioteca"));
    m_txtBiblioteca->setMaxLength(80);
    m_txtBiblioteca->setPlaceholderText(QStringLiteral("stampato sulle etichette con il codice a barre"));
    rows->addRow(QStringLiteral("Nome della biblioteca:"), m_txtBiblioteca);

    // The barcode labels that would not scan, shown only when there are any.
    m_lblNonLeggibili = new QLabel(form);
    m_lblNonLeggibili->setObjectName(QStringLiteral("lblNonLeggibili"));
    m_lblNonLeggibili->setStyleSheet(QStringLiteral("color: #B22222;"));
    m_lblNonLeggibili->setFont(Controls::verdana(8, true));
    m_lblNonLeggibili->setWordWrap(true);
    rows->addRow(m_lblNonLeggibili);
    m_lstNonLeggibili = new QPlainTextEdit(form);
    m_lstNonLeggibili->setObjectName(QStringLiteral("lstNonLeggibili"));
    m_lstNonLeggibili->setReadOnly(true);
    m_lstNonLeggibili->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_lstNonLeggibili->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lstNonLeggibili->setFont(Controls::verdana(8, false));
    rows->addRow(m_lstNonLeggibili);

    m_imgAnteprima = new QLabel(pan);
    m_imgAnteprima->setObjectName(QStringLiteral("imgAnteprima"));
    m_imgAnteprima->setGeometry(kPreview);
    m_imgAnteprima->setAlignment(Qt::AlignCenter);
    m_imgAnteprima->setStyleSheet(QStringLiteral("background: #808080;"));
    m_imgAnteprima->setToolTip(QStringLiteral("Il primo foglio come sarà stampato."));

    m_lblConta = new QLabel(pan);
    m_lblConta->setObjectName(QStringLiteral("lblConta"));
    m_lblConta->setGeometry(170, 592, 630, 24);
    m_lblConta->setAlignment(Qt::AlignCenter);
    m_lblConta->setStyleSheet(QStringLiteral("color: #008B8B;"));
    m_lblConta->setFont(Controls::verdana(9, true));

    auto* chiudi = Controls::button(
        pan, QStringLiteral("btnChiudi"), QStringLiteral("Chiudi"), {8, 589, 150, 30}, Controls::verdana(9, true));
    connect(chiudi, &QPushButton::clicked, this, [this] { btnChiudiClick(); });
    m_btnStampa = Controls::button(
        pan, QStringLiteral("btnStampa"), QStringLiteral("Stampa"), {813, 589, 150, 30}, Controls::verdana(9, true));
    connect(m_btnStampa, &QPushButton::clicked, this, [this] { btnStampaClick(); });

    // The stored choices, then the first preview.
    m_filling = true;
    m_custom = LabelSettings::customSheet();
    showGrid(m_custom);
    m_txtFoglio->setCurrentIndex(std::max(0, m_txtFoglio->findData(LabelSettings::sheetKey())));
    m_sheetKey = m_txtFoglio->currentData().toString();
    m_txtBiblioteca->setText(LabelSettings::libraryName());
    m_filling = false;
    nameSpine();
    sheetChanged();
    rangeChanged();

    const auto changed = [this] { refresh(); };
    connect(m_txtRaccolta, &QComboBox::currentIndexChanged, this, [this] {
        nameSpine();
        refresh();
    });
    connect(m_txtTipo, &QComboBox::currentIndexChanged, this, changed);
    connect(m_txtScelta, &QComboBox::currentIndexChanged, this, [this] { rangeChanged(); });
    connect(m_txtDa, &QLineEdit::editingFinished, this, changed);
    connect(m_txtA, &QLineEdit::editingFinished, this, changed);
    connect(m_chkAnnullate, &QCheckBox::toggled, this, changed);
    connect(m_txtFoglio, &QComboBox::currentIndexChanged, this, [this] { sheetPicked(); });
    for (QSpinBox* box : {m_txtColonne, m_txtRighe})
        connect(box, &QSpinBox::valueChanged, this, [this] {
            if (!m_filling)
                sheetChanged();
        });
    for (QDoubleSpinBox* box : {m_txtSinistro, m_txtAlto, m_txtPassoX, m_txtPassoY, m_txtLarghezza, m_txtAltezza})
        connect(box, &QDoubleSpinBox::valueChanged, this, changed);
    connect(m_txtInizio, &QSpinBox::valueChanged, this, changed);
    connect(m_txtBiblioteca, &QLineEdit::editingFinished, this, changed);
    refresh();
}

void TfrmEtichette::open(QWidget* owner)
{
    TfrmEtichette screen(owner);
    screen.execModal(true);
}

const Collection* TfrmEtichette::chosenCollection() const
{
    return Collection::find(m_txtRaccolta->currentData().toString().toStdString());
}

LabelSheet TfrmEtichette::chosenSheet() const
{
    const QString key = m_txtFoglio->currentData().toString();
    if (key != LabelSheet::kCustomKey) {
        if (const LabelSheet* preset = LabelSheet::find(key))
            return *preset;
    }
    return gridInBoxes();
}

LabelSheet TfrmEtichette::gridInBoxes() const
{
    LabelSheet sheet;
    sheet.key = LabelSheet::kCustomKey;
    sheet.name = m_txtFoglio->itemText(m_txtFoglio->findData(LabelSheet::kCustomKey));
    sheet.columns = m_txtColonne->value();
    sheet.rows = m_txtRighe->value();
    sheet.left = m_txtSinistro->value();
    sheet.top = m_txtAlto->value();
    sheet.pitchX = m_txtPassoX->value();
    sheet.pitchY = m_txtPassoY->value();
    sheet.width = m_txtLarghezza->value();
    sheet.height = m_txtAltezza->value();
    return sheet;
}

void TfrmEtichette::showGrid(const LabelSheet& sheet)
{
    const bool filling = m_filling;
    m_filling = true;
    m_txtColonne->setValue(sheet.columns);
    m_txtRighe->setValue(sheet.rows);
    m_txtSinistro->setValue(sheet.left);
    m_txtAlto->setValue(sheet.top);
    m_txtPassoX->setValue(sheet.pitchX);
    m_txtPassoY->setValue(sheet.pitchY);
    m_txtLarghezza->setValue(sheet.width);
    m_txtAltezza->setValue(sheet.height);
    m_filling = filling;
}

void TfrmEtichette::sheetPicked()
{
    // The boxes hold the custom grid only while it is chosen: kept when a
    // preset takes them, shown again when the custom grid comes back.
    const QString key = m_txtFoglio->currentData().toString();
    if (m_sheetKey == LabelSheet::kCustomKey && key != LabelSheet::kCustomKey)
        m_custom = gridInBoxes();
    else if (key == LabelSheet::kCustomKey && m_sheetKey != LabelSheet::kCustomKey)
        showGrid(m_custom);
    m_sheetKey = key;
    sheetChanged();
}

void TfrmEtichette::sheetChanged()
{
    const bool custom = m_txtFoglio->currentData().toString() == LabelSheet::kCustomKey;
    const LabelSheet shown = chosenSheet();
    m_filling = true;
    // A preset shows its measures; the custom grid is edited here.
    if (!custom)
        showGrid(shown);
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_txtColonne, m_txtRighe, m_txtSinistro, m_txtAlto, m_txtPassoX, m_txtPassoY, m_txtLarghezza, m_txtAltezza})
        w->setEnabled(custom);
    m_txtInizio->setMaximum(std::max(1, shown.columns * shown.rows));
    m_filling = false;
    refresh();
}

void TfrmEtichette::rangeChanged()
{
    using R = LabelChoice::Range;
    const auto range = R(m_txtScelta->currentIndex());
    m_lblDa->setText(range == R::Shelf ? QStringLiteral("Scaffale:") : QStringLiteral("Da:"));
    // A field that takes no part in the choice shows nothing.
    m_txtDa->setEnabled(range != R::All);
    m_txtA->setEnabled(range == R::Positions || range == R::Codes);
    for (QLineEdit* field : {m_txtDa, m_txtA}) {
        if (!field->isEnabled())
            field->clear();
    }
    refresh();
}

bool TfrmEtichette::readChoice(LabelChoice& choice)
{
    using R = LabelChoice::Range;
    choice.range = R(m_txtScelta->currentIndex());
    choice.withCancelled = m_chkAnnullate->isChecked();
    switch (choice.range) {
    case R::All:
        return true;
    case R::Positions:
        if (readPosition(m_txtDa->text(), choice.fromPosition) && readPosition(m_txtA->text(), choice.toPosition))
            return true;
        m_error = QStringLiteral("Indicare le due posizioni in cifre (1, 2, 3, ...).");
        return false;
    case R::Codes:
        choice.fromCode = m_txtDa->text();
        choice.toCode = m_txtA->text();
        return true;
    case R::Shelf:
        choice.shelf = m_txtDa->text();
        return true;
    case R::Since:
        if (readPosition(m_txtDa->text(), choice.sincePosition))
            return true;
        m_error = QStringLiteral("Indicare in cifre la posizione da cui partire.");
        return false;
    }
    return false;
}

void TfrmEtichette::refresh()
{
    if (m_filling)
        return;
    m_error.clear();
    m_cards.clear();
    m_problems.clear();
    m_pages = {};
    const LabelSheet sheet = chosenSheet();
    const Collection* collection = chosenCollection();
    LabelChoice choice;
    if (!collection) {
        m_error = QStringLiteral("Nessun archivio scelto.");
    } else if (const QString fault = sheet.fault(); !fault.isEmpty()) {
        m_error = fault;
    } else if (const QString path = ProgramFolder::file(collection->archiveName());
               readChoice(choice) && QFileInfo::exists(path) && !LabelCards::select(*collection, path, choice, m_cards)) {
        // A missing archive has no cards yet; one that is there must be read.
        m_error = QStringLiteral("L'archivio %1 non può essere letto.").arg(collection->archiveName());
    }
    if (m_error.isEmpty()) {
        LabelReport::Request request;
        request.kind = m_txtTipo->currentIndex() == 0 ? LabelReport::Kind::Spine : LabelReport::Kind::Barcode;
        request.sheet = sheet;
        request.start = m_txtInizio->value();
        request.libraryName = Text::trimmed(m_txtBiblioteca->text());
        m_pages = LabelReport::prepare(m_cards, request);
        const int sheets = LabelReport::sheetsFor(int(m_cards.size()), sheet, request.start);
        m_lblConta->setText(
            m_cards.isEmpty() ? LabelCards::kNothingChosen : LabelReport::counted(m_cards.size(), sheets) + QLatin1Char('.'));
        if (request.kind == LabelReport::Kind::Barcode)
            m_problems = LabelScan::check(m_cards, sheet);
    } else {
        m_lblConta->setText(m_error);
    }
    QStringList lines;
    for (const LabelScan::Problem& p : m_problems)
        lines << p.line();
    m_lblNonLeggibili->setText(m_problems.isEmpty() ? QString() : LabelScan::heading(m_problems.size()));
    m_lstNonLeggibili->setPlainText(lines.join(QLatin1Char('\n')));
    m_lblNonLeggibili->setVisible(!m_problems.isEmpty());
    m_lstNonLeggibili->setVisible(!m_problems.isEmpty());
    m_btnStampa->setEnabled(m_error.isEmpty() && !m_cards.isEmpty());
    // The first sheet, blank where nothing goes, at the preview's size.
    const PreparedReport shown = m_pages.pageCount() > 0 ? m_pages : LabelReport::prepare({}, {});
    const QImage page = LabelReport::render(shown, 0, kPreview.height() * 210 / 297);
    m_imgAnteprima->setPixmap(QPixmap::fromImage(page));
}

void TfrmEtichette::nameSpine()
{
    // The spine's lines as the chosen collection fills them.
    const Collection* collection = chosenCollection();
    const FieldRoles* fields = collection && Collection::labelled(*collection) ? &collection->roles : nullptr;
    QStringList lines;
    if (fields && !fields->dewey.empty())
        lines << QStringLiteral("Dewey");
    // "autore" for the books, "regia" for the DVDs.
    lines << (fields ? Text::latin1(fields->person).toLower() : QStringLiteral("autore")) << QStringLiteral("scaffale");
    m_txtTipo->setItemText(0, QStringLiteral("Dorso: collocazione (%1)").arg(lines.join(QStringLiteral(", "))));
}

void TfrmEtichette::saveSettings()
{
    const LabelSheet custom = m_txtFoglio->currentData().toString() == LabelSheet::kCustomKey ? gridInBoxes() : m_custom;
    LabelSettings::save(custom, m_txtFoglio->currentData().toString(), Text::trimmed(m_txtBiblioteca->text()));
}

void TfrmEtichette::btnStampaClick()
{
    refresh();
    if (!m_error.isEmpty()) {
        Msg::warning(this, m_error);
        return;
    }
    if (m_cards.isEmpty()) {
        Msg::warning(this, QStringLiteral("Nessuna scheda corrisponde alla scelta: non c'è nulla da stampare."));
        return;
    }
    if (!m_problems.isEmpty()
        && !Msg::confirmDefaultNo(this,
            QStringLiteral("Attenzione: ") + LabelScan::heading(m_problems.size()).chopped(1)
                + QStringLiteral(", come elencato nella schermata.") + Msg::kLfCrLfCr
                + QStringLiteral("Si vogliono stampare comunque tutte le etichette?")))
        return;
    saveSettings();
    ReportPrinter::print(this, m_pages);
}

void TfrmEtichette::formClose()
{
    if (chosenSheet().fault().isEmpty())
        saveSettings();
}
