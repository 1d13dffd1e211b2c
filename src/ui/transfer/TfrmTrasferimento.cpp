#include "TfrmTrasferimento.h"

#include "core/collections/Books.h"
#include "core/import/CardRowSource.h"
#include "core/import/NextCodes.h"
#include "lookup/MarcExport.h"
#include "lookup/MarcRowSource.h"

#include "core/collections/Collection.h"
#include "core/export/CardCsv.h"
#include "core/export/CardXlsx.h"
#include "core/export/ExportTarget.h"
#include "core/import/CsvReader.h"
#include "core/import/ImportNames.h"
#include "core/import/ImportSummary.h"
#include "core/storage/Cp1252.h"
#include "core/storage/DiskFile.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/XlsxReader.h"
#include "core/text/Clock.h"
#include "core/text/Text.h"
#include "ui/shell/Controls.h"
#include "ui/shell/FileChooser.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"
#include "ui/shell/TMisc.h"
#include "ui/shell/TfrmGuida.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTableWidget>

#include <QCloseEvent>
#include <QThread>

namespace {

constexpr QSize kClient{880, 640};

QLabel* label(QWidget* parent, const QString& name, const QString& text, QRect at)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(at);
    return l;
}

// The first rows of a file as the import will read them, the heading and
// `wanted` more: a MARC file's records as `source` turns them into rows,
// else the first sheet of a workbook, else a CSV in UTF-8 or Windows-1252.
QList<QStringList> firstRows(const QString& path, CardRowSource* source, int wanted)
{
    QList<QStringList> rows;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    const QByteArray head = file.peek(8192);
    if (source && source->recognises(head)) {
        int line = 0;
        QString error;
        source->read(
            file,
            [&](CsvReader::Row& row) {
                QStringList cells;
                for (const QByteArray& cell : row.fields)
                    cells << QString::fromUtf8(cell);
                rows << cells;
                return rows.size() <= wanted;
            },
            &line, &error);
        return rows;
    }
    if (XlsxReader::looksZipped(head)) {
        XlsxReader reader(file);
        reader.read([&](XlsxReader::Row& row) {
            QStringList cells;
            for (const QByteArray& cell : row.fields)
                cells << QString::fromUtf8(cell);
            rows << cells;
            return rows.size() <= wanted;
        });
        return rows;
    }
    QByteArray start = file.read(256 * 1024);
    if (start.startsWith("\xEF\xBB\xBF"))
        start.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)QString(utf8(start));
    const bool isUtf8 = !utf8.hasError();
    QBuffer device(&start);
    device.open(QIODevice::ReadOnly);
    CsvReader::read(
        device, CsvReader::guessSeparator(start),
        [&](CsvReader::Row& row) {
            QStringList cells;
            for (const QByteArray& cell : row.fields)
                cells << (isUtf8 ? QString::fromUtf8(cell) : Cp1252::decode(std::string_view(cell.constData(), std::size_t(cell.size()))));
            rows << cells;
            return rows.size() <= wanted;
        },
        nullptr);
    return rows;
}

} // namespace

TfrmTrasferimento::TfrmTrasferimento(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Importa ed esporta il catalogo"), kClient)
{
    setObjectName(QStringLiteral("TfrmTrasferimento"));
    setBackgroundGradient(Qt::black, Qt::white);
    setPanelSize(kClient - QSize(29, 31));
    QWidget* pan = panContainer();
    Controls::styleListPanel(pan);
    const int width = kClient.width() - 45;
    QFrame* banner = Controls::listBanner(pan, width);
    auto* heading = new QLabel(QStringLiteral("Importa ed esporta"), banner);
    heading->setObjectName(QStringLiteral("lblTitolo"));
    heading->setFont(Controls::verdana(13, true));
    heading->setStyleSheet(QStringLiteral("color: #1F4E8C;"));
    heading->move(290, 14);
    heading->adjustSize();
    new Picture(QStringLiteral("icoTrasferimento"), QStringLiteral("ico_trasferimento"), banner, {banner->width() - 107, 4, 44, 44}, false);
    TfrmGuida::bannerButton(
        banner, QStringLiteral("Guida a Importa ed esporta."), QStringLiteral("Importa ed esporta."), QStringLiteral("trasferimento"));
    const QFont bold = Controls::verdana(9, true);

    label(pan, QStringLiteral("lblRaccolta"), QStringLiteral("Raccolta:"), {8, 66, 80, 22});
    m_cboRaccolta = new QComboBox(pan);
    m_cboRaccolta->setObjectName(QStringLiteral("cboRaccolta"));
    m_cboRaccolta->setGeometry(90, 64, 200, 24);
    for (const Collection* c : Collection::all())
        m_cboRaccolta->addItem(CardXlsx::sheetName(*c), Text::latin1(c->key));
    label(pan, QStringLiteral("lblAnno"), QStringLiteral("Anno:"), {310, 66, 50, 22});
    m_txtAnno = new QLineEdit(QString::number(Clock::today().year()), pan);
    m_txtAnno->setObjectName(QStringLiteral("txtAnno"));
    m_txtAnno->setGeometry(360, 64, 70, 24);
    m_txtAnno->setMaxLength(4);
    connect(m_cboRaccolta, &QComboBox::currentIndexChanged, this, [this] { collectionChanged(); });

    auto* esporta = label(pan, QStringLiteral("lblEsporta"), QStringLiteral("Esporta il catalogo completo come"), {8, 104, 250, 22});
    esporta->setFont(bold);
    m_cboFormato = new QComboBox(pan);
    m_cboFormato->setObjectName(QStringLiteral("cboFormato"));
    m_cboFormato->setGeometry(260, 102, 330, 24);
    m_cboFormato->addItem(QStringLiteral("foglio .xlsx (da correggere con un foglio di calcolo)"), QStringLiteral("xlsx"));
    m_cboFormato->addItem(QStringLiteral("file .csv (per altri programmi)"), QStringLiteral("csv"));
    // The book catalogue also as MARC records, for a library's system.
    m_cboFormato->addItem(QStringLiteral("record MARC 21 (ISO 2709, .mrc)"), QStringLiteral("marc21"));
    m_cboFormato->addItem(QStringLiteral("record MARC 21 (MARCXML, .xml)"), QStringLiteral("marc21xml"));
    m_cboFormato->addItem(QStringLiteral("record UNIMARC (ISO 2709, .mrc)"), QStringLiteral("unimarc"));
    m_cboFormato->addItem(QStringLiteral("record UNIMARC (MARCXML, .xml)"), QStringLiteral("unimarcxml"));
    auto* btnEsporta = Controls::button(pan, QStringLiteral("btnEsporta"), QStringLiteral("Esporta..."), {600, 100, 140, 28}, bold);
    connect(btnEsporta, &QPushButton::clicked, this, [this] { btnEsportaClick(); });
    m_lblEsportato = label(pan, QStringLiteral("lblEsportato"), QString(), {8, 134, 640, 22});
    m_lblEsportato->setStyleSheet(QStringLiteral("color: #1F4E8C; font-weight: bold;"));
    m_btnApriCartella = Controls::button(
        pan, QStringLiteral("btnApriCartella"), QStringLiteral("Apri la cartella"), {660, 132, 140, 26}, bold);
    m_btnApriCartella->setVisible(false);
    connect(m_btnApriCartella, &QPushButton::clicked, this, [this] { btnApriCartellaClick(); });

    auto* importa = label(pan, QStringLiteral("lblImporta"), QStringLiteral("Importa schede da un file"), {8, 172, 250, 22});
    importa->setFont(bold);
    auto* btnScegli = Controls::button(pan, QStringLiteral("btnScegli"), QStringLiteral("Scegli il file..."), {260, 168, 150, 28}, bold);
    connect(btnScegli, &QPushButton::clicked, this, [this] { btnScegliClick(); });
    m_chkDuplicati = new QCheckBox(QStringLiteral("accetta codici ripetuti"), pan);
    m_chkDuplicati->setObjectName(QStringLiteral("chkDuplicati"));
    m_chkDuplicati->setGeometry(600, 170, 220, 24);
    m_lblFile = label(pan, QStringLiteral("lblFile"), QStringLiteral("Nessun file scelto (.xlsx, .csv, .txt; per i libri .mrc, .xml)."),
        {8, 200, 470, 20});
    m_cboCodici = new QComboBox(pan);
    m_cboCodici->setObjectName(QStringLiteral("cboCodici"));
    m_cboCodici->setGeometry(490, 197, 250, 22);
    m_cboCodici->addItem(QStringLiteral("MARC: codici numerati, prefisso"), QString());
    m_cboCodici->addItem(QStringLiteral("MARC: codici dal campo 001"), QStringLiteral("001"));
    m_cboCodici->addItem(QStringLiteral("MARC: codici dal campo 852 $p"), QStringLiteral("852p"));
    m_cboCodici->setToolTip(QStringLiteral("Da dove vengono i codici delle schede importate da un file MARC: i numeri successivi al più "
                                           "alto con il prefisso scritto a destra, oppure un campo dei record."));
    m_txtPrefisso = new QLineEdit(pan);
    m_txtPrefisso->setObjectName(QStringLiteral("txtPrefisso"));
    m_txtPrefisso->setGeometry(750, 197, width - 742, 22);
    m_txtPrefisso->setMaxLength(10);
    m_txtPrefisso->setPlaceholderText(QStringLiteral("prefisso"));
    m_txtPrefisso->setToolTip(QStringLiteral("Il prefisso dei codici numerati (\"L\" dà L000124 dopo L000123)."));
    connect(m_cboCodici, &QComboBox::currentIndexChanged, this, [this] {
        m_txtPrefisso->setEnabled(m_cboCodici->currentData().toString().isEmpty());
        if (!m_file.isEmpty())
            preview();
    });

    m_grdAnteprima = new QTableWidget(pan);
    m_grdAnteprima->setObjectName(QStringLiteral("grdAnteprima"));
    m_grdAnteprima->setGeometry(8, 222, width, 150);
    m_grdAnteprima->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grdAnteprima->verticalHeader()->setVisible(false);

    m_prgAvanzamento = new QProgressBar(pan);
    m_prgAvanzamento->setObjectName(QStringLiteral("prgAvanzamento"));
    m_prgAvanzamento->setGeometry(8, 380, width, 20);
    m_prgAvanzamento->setRange(0, 1000);
    m_prgAvanzamento->setValue(0);
    // Shown while a run goes on only: a bar at rest says nothing.
    m_prgAvanzamento->setVisible(false);

    m_lstProblemi = new QListWidget(pan);
    m_lstProblemi->setObjectName(QStringLiteral("lstProblemi"));
    m_lstProblemi->setGeometry(8, 406, width, 108);
    // Two lines: an outcome names the archive's path and may run long.
    m_lblStato = label(pan, QStringLiteral("lblStato"), QString(), {8, 518, width, 40});
    m_lblStato->setStyleSheet(QStringLiteral("color: #008B8B; font-weight: bold;"));
    m_lblStato->setWordWrap(true);
    m_lblStato->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    const int y = kClient.height() - 31 - 42;
    auto* chiudi = Controls::button(pan, QStringLiteral("btnChiudi"), QStringLiteral("Chiudi"), {8, y, 150, 30}, bold);
    connect(chiudi, &QPushButton::clicked, this, [this] { btnChiudiClick(); });
    m_btnControlla = Controls::button(pan, QStringLiteral("btnControlla"), QStringLiteral("Controlla"), {420, y, 130, 30}, bold);
    connect(m_btnControlla, &QPushButton::clicked, this, [this] { btnControllaClick(); });
    m_btnImporta = Controls::button(pan, QStringLiteral("btnImporta"), QStringLiteral("Importa"), {560, y, 130, 30}, bold);
    connect(m_btnImporta, &QPushButton::clicked, this, [this] { btnImportaClick(); });
    m_btnInterrompi = Controls::button(pan, QStringLiteral("btnInterrompi"), QStringLiteral("Interrompi"), {700, y, 130, 30}, bold);
    connect(m_btnInterrompi, &QPushButton::clicked, this, [this] { btnInterrompiClick(); });
    m_busyButtons = {chiudi, btnEsporta, btnScegli};
    m_busyOptions = {m_cboRaccolta, m_txtAnno, m_cboFormato, m_chkDuplicati, m_cboCodici};
    setBusy(false);
    collectionChanged();
}

TfrmTrasferimento::~TfrmTrasferimento()
{
    // Never left running on a screen that is gone: interrupted, and waited
    // for, so that nothing is written out of sight.
    if (m_worker) {
        m_cancel = true;
        m_abandoned = true;
        m_worker->wait();
        delete m_worker;
    }
}

const Collection& TfrmTrasferimento::collection() const
{
    return *Collection::find(m_cboRaccolta->currentData().toString().toStdString());
}

QString TfrmTrasferimento::archivePath() const
{
    return ProgramFolder::file(collection().archiveName(m_txtAnno->text()));
}

QString TfrmTrasferimento::proposedExport() const
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString format = m_cboFormato->currentData().toString();
    const QString suffix = !format.contains(QLatin1String("marc")) ? format
        : format.endsWith(QLatin1String("xml"))                    ? QStringLiteral("xml")
                                                                   : QStringLiteral("mrc");
    const QString name
        = QStringLiteral("%1-%2.%3").arg(CardXlsx::sheetName(collection()), Clock::today().toString(QStringLiteral("yyyy-MM-dd")), suffix);
    return QDir(documents.isEmpty() ? QDir::homePath() : documents).filePath(name);
}

std::unique_ptr<CardRowSource> TfrmTrasferimento::marcSource() const
{
    if (&collection() != &Books::collection())
        return nullptr;
    MarcRowSource::Options options;
    options.codeTag = m_cboCodici->currentData().toString();
    if (options.codeTag.isEmpty()) {
        NextCodes codes;
        options.codePrefix = m_txtPrefisso->text().trimmed();
        if (codes.load(collection(), archivePath(), options.codePrefix)) {
            options.firstCode = codes.next();
            options.codeWidth = static_cast<int>(codes.take().size() - options.codePrefix.size());
        }
    }
    return std::make_unique<MarcRowSource>(options);
}

void TfrmTrasferimento::collectionChanged()
{
    const bool books = &collection() == &Books::collection();
    m_cboCodici->setVisible(books);
    m_txtPrefisso->setVisible(books);
    // MARC is for the book catalogue only.
    for (int i = 0; i < m_cboFormato->count(); ++i) {
        const bool marc = m_cboFormato->itemData(i).toString().contains(QLatin1String("marc"));
        qobject_cast<QStandardItemModel*>(m_cboFormato->model())->item(i)->setEnabled(!marc || books);
    }
    if (!books && m_cboFormato->currentData().toString().contains(QLatin1String("marc")))
        m_cboFormato->setCurrentIndex(0);
    const bool yearly = collection().yearly();
    findChild<QLabel*>(QStringLiteral("lblAnno"))->setEnabled(yearly);
    // The file may go into another collection's archive.
    m_imported = false;
    setBusy(running());
    if (!m_file.isEmpty())
        preview();
}

bool TfrmTrasferimento::yearGiven()
{
    static const QRegularExpression fourDigits(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{4}")));
    if (!collection().yearly() || fourDigits.match(m_txtAnno->text().trimmed()).hasMatch())
        return true;
    Msg::plain(this,
        QStringLiteral("Scrivere l'anno in quattro cifre: %1 hanno un archivio per ogni anno.").arg(collection().pluralWithArticle()));
    return false;
}

void TfrmTrasferimento::setStatus(const QString& text)
{
    m_lblStato->setText(text);
}

void TfrmTrasferimento::setBusy(bool busy)
{
    for (QPushButton* b : std::as_const(m_busyButtons))
        b->setEnabled(!busy);
    for (QWidget* w : std::as_const(m_busyOptions))
        w->setEnabled(!busy);
    m_txtAnno->setEnabled(!busy && collection().yearly());
    // A MARC file's codes: the prefix only for numbered codes.
    m_txtPrefisso->setEnabled(!busy && m_cboCodici->currentData().toString().isEmpty());
    // Nothing to check or import before a file is chosen; a file whose
    // cards went in is not imported twice by a second press.
    m_btnControlla->setEnabled(!busy && !m_file.isEmpty());
    m_btnImporta->setEnabled(!busy && !m_file.isEmpty() && !m_imported);
    m_btnInterrompi->setEnabled(busy);
    m_prgAvanzamento->setVisible(busy);
}

void TfrmTrasferimento::btnEsportaClick()
{
    const Collection& c = collection();
    if (!yearGiven())
        return;
    if (!DiskFile::isRegular(archivePath())) {
        Msg::plain(this, QStringLiteral("Non c'è ancora un archivio di %1 da esportare.").arg(c.pluralWithArticle()));
        return;
    }
    const QString format = m_cboFormato->currentData().toString();
    if (format.contains(QLatin1String("marc"))) {
        exportMarc(format);
        return;
    }
    const bool xlsx = format == QLatin1String("xlsx");
    QString target = FileChooser::chooseSaveFile(this, QStringLiteral("Esporta il catalogo completo"), proposedExport(),
        xlsx ? QStringLiteral("Foglio di calcolo (*.xlsx)") : QStringLiteral("File CSV (*.csv)"));
    if (target.isEmpty())
        return;
    const QString suffix = xlsx ? QStringLiteral(".xlsx") : QStringLiteral(".csv");
    if (!target.endsWith(suffix, Qt::CaseInsensitive))
        target += suffix;
    if (!FileChooser::mayWrite(this, target, xlsx ? ExportTarget::Kind::CompleteXlsx : ExportTarget::Kind::CompleteCsv, false))
        return;
    setStatus(QStringLiteral("Esportazione in corso..."));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CardCsv::Outcome outcome;
    const bool saved = xlsx ? CardXlsx::save(c, archivePath(), target, &outcome) : CardCsv::save(c, archivePath(), target, &outcome);
    QApplication::restoreOverrideCursor();
    if (!saved) {
        setStatus(QString());
        Msg::plain(
            this, QStringLiteral("Esportazione non riuscita: %1; l'eventuale file precedente è rimasto com'era.").arg(outcome.reason));
        return;
    }
    m_exported = target;
    m_lblEsportato->setText(
        QStringLiteral("%1 in %2")
            .arg(Text::counted(outcome.cards, u"scheda esportata", u"schede esportate"), QDir::toNativeSeparators(target)));
    m_lblEsportato->setToolTip(QDir::toNativeSeparators(target));
    m_btnApriCartella->setVisible(true);
    setStatus(QStringLiteral("Esportazione completata."));
}

void TfrmTrasferimento::exportMarc(const QString& format)
{
    const bool xml = format.endsWith(QLatin1String("xml"));
    QString target = FileChooser::chooseSaveFile(this, QStringLiteral("Esporta il catalogo come record MARC"), proposedExport(),
        xml ? QStringLiteral("MARCXML (*.xml)") : QStringLiteral("Record MARC ISO 2709 (*.mrc)"));
    if (target.isEmpty())
        return;
    const QString suffix = xml ? QStringLiteral(".xml") : QStringLiteral(".mrc");
    if (!target.endsWith(suffix, Qt::CaseInsensitive))
        target += suffix;
    if (!FileChooser::mayWrite(this, target, ExportTarget::Kind::Marc, false))
        return;
    MarcExport::Options options;
    options.syntax = format.startsWith(QLatin1String("marc21")) ? Catalogue::Syntax::Marc21 : Catalogue::Syntax::Unimarc;
    options.format = xml ? MarcWriter::Format::MarcXml : MarcWriter::Format::Iso2709;
    setStatus(QStringLiteral("Esportazione in corso..."));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    MarcExport::Outcome outcome;
    const bool saved = MarcExport::save(archivePath(), target, options, &outcome);
    QApplication::restoreOverrideCursor();
    if (!saved) {
        setStatus(QString());
        Msg::plain(
            this, QStringLiteral("Esportazione non riuscita: %1; l'eventuale file precedente è rimasto com'era.").arg(outcome.reason));
        return;
    }
    m_exported = target;
    m_lblEsportato->setText(QStringLiteral("%1 come %2 in %3")
                                .arg(Text::counted(outcome.cards, u"scheda esportata", u"schede esportate"),
                                    Catalogue::syntaxName(options.syntax), QDir::toNativeSeparators(target)));
    m_lblEsportato->setToolTip(QDir::toNativeSeparators(target));
    m_btnApriCartella->setVisible(true);
    setStatus(QStringLiteral("Esportazione completata."));
}

void TfrmTrasferimento::btnApriCartellaClick()
{
    if (!m_exported.isEmpty())
        TMisc::Open(QFileInfo(m_exported).absolutePath());
}

void TfrmTrasferimento::btnScegliClick()
{
    const QString chosen = FileChooser::chooseFile(this, QStringLiteral("Scegli il file da importare"),
        QStringLiteral("Fogli di calcolo, file CSV e record MARC (*.xlsx *.csv *.txt *.mrc *.iso *.marc *.xml)"));
    if (chosen.isEmpty())
        return;
    m_file = chosen;
    m_imported = false;
    m_lblFile->setText(QDir::toNativeSeparators(chosen));
    m_lstProblemi->clear();
    m_prgAvanzamento->setValue(0);
    setBusy(false);
    setStatus(QStringLiteral("Premere Controlla per controllare ogni riga, Importa per aggiungere le schede."));
    preview();
}

void TfrmTrasferimento::preview()
{
    const std::unique_ptr<CardRowSource> source = marcSource();
    const QList<QStringList> rows = firstRows(m_file, source.get(), previewRows());
    m_grdAnteprima->clear();
    m_grdAnteprima->setRowCount(0);
    if (rows.isEmpty()) {
        m_grdAnteprima->setColumnCount(0);
        return;
    }
    const QStringList& header = rows.first();
    qsizetype columns = header.size();
    for (const QStringList& row : rows)
        columns = std::max(columns, row.size());
    m_grdAnteprima->setColumnCount(int(columns));
    m_grdAnteprima->setRowCount(int(rows.size() - 1));
    const ImportNames names(collection());
    for (qsizetype i = 0; i < columns; ++i) {
        const QString heading = header.value(i).trimmed();
        const FieldDef* field = heading.isEmpty() ? nullptr : names.field(heading);
        auto* item = new QTableWidgetItem;
        if (field) {
            item->setText(heading + QStringLiteral("\n\u2192 ") + Text::latin1(field->name));
            item->setToolTip(QStringLiteral("La colonna riempie il campo %1.").arg(Text::latin1(field->name)));
        } else {
            item->setText((heading.isEmpty() ? QStringLiteral("(senza nome)") : heading) + QStringLiteral("\n\u2192 sconosciuta"));
            item->setForeground(QColor(0xB0, 0x00, 0x00));
            item->setToolTip(names.accepted());
        }
        m_grdAnteprima->setHorizontalHeaderItem(int(i), item);
    }
    for (qsizetype r = 1; r < rows.size(); ++r) {
        for (qsizetype i = 0; i < rows[r].size(); ++i)
            m_grdAnteprima->setItem(int(r - 1), int(i), new QTableWidgetItem(Controls::oneLine(rows[r][i])));
    }
    m_grdAnteprima->horizontalHeader()->setMinimumHeight(40);
    m_grdAnteprima->resizeColumnsToContents();
}

int TfrmTrasferimento::previewRows() const
{
    const int header = std::max(40, m_grdAnteprima->horizontalHeader()->minimumHeight());
    const int room = m_grdAnteprima->height() - header - 2 * m_grdAnteprima->frameWidth();
    return std::max(1, room / m_grdAnteprima->verticalHeader()->defaultSectionSize());
}

bool TfrmTrasferimento::runImport(bool checkOnly)
{
    if (running())
        return false;
    if (m_file.isEmpty()) {
        Msg::plain(this, QStringLiteral("Scegliere prima il file da importare."));
        return false;
    }
    const Collection& c = collection();
    if (!yearGiven())
        return false;
    m_source.close();
    m_source.setFileName(m_file);
    if (!DiskFile::isRegular(m_file) || !m_source.open(QIODevice::ReadOnly)) {
        Msg::plain(this, QStringLiteral("Impossibile leggere %1.").arg(QDir::toNativeSeparators(m_file)));
        return false;
    }
    if (!checkOnly
        && !Msg::confirm(this,
            QStringLiteral("Aggiungere all'archivio di %1 (%2) le schede del file %3?")
                .arg(c.pluralWithArticle(), QDir::toNativeSeparators(archivePath()), QFileInfo(m_file).fileName()))) {
        m_source.close();
        return false;
    }
    m_cards = std::make_unique<CardImport>(c);
    // A MARC file is read by its row source, which the run keeps.
    m_marc = marcSource();
    m_cards->setRowSource(m_marc.get());
    m_options = {};
    m_options.allowDuplicates = m_chkDuplicati->isChecked();
    m_options.archive = archivePath();
    m_options.checkOnly = checkOnly;
    m_checkOnly = checkOnly;
    m_outcome = {};
    m_cancel = false;
    m_abandoned = false;
    m_progressShown.tryAcquire(m_progressShown.available());
    m_lstProblemi->clear();
    m_prgAvanzamento->setValue(0);
    setStatus(checkOnly ? QStringLiteral("Controllo in corso...") : QStringLiteral("Importazione in corso..."));

    // The run goes on beside the screen, which stays live for Interrompi;
    // its progress comes back to the screen's thread, and so does its end.
    m_worker = QThread::create([this, checkOnly] {
        m_outcome = m_cards->run(
            m_source, m_options,
            [this, checkOnly](CardImport::Pass pass, qint64 done, qint64 total) {
                const int share = checkOnly ? 1000 : 500;
                const int base = pass == CardImport::Pass::Write ? 500 : 0;
                const int value = base + int(total > 0 ? done * share / total : share);
                QMetaObject::invokeMethod(
                    this,
                    [this, value] {
                        if (running()) {
                            m_prgAvanzamento->setValue(value);
                            emit progressed(value, 1000);
                        }
                        m_progressShown.release();
                    },
                    Qt::QueuedConnection);
                // The run keeps pace with the screen: the next rows wait
                // until it has shown this step (and asked what closing
                // asks), so Interrompi and a close take effect right here.
                while (!m_progressShown.tryAcquire(1, 50)) {
                    if (m_abandoned)
                        return;
                }
            },
            &m_cancel);
    });
    connect(m_worker, &QThread::finished, this, &TfrmTrasferimento::finishRun, Qt::QueuedConnection);
    setBusy(true);
    m_worker->start();
    return true;
}

void TfrmTrasferimento::finishRun()
{
    if (!m_worker)
        return;
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    m_source.close();
    const CardImport& cards = *m_cards;
    using Status = CardImport::Outcome::Status;
    if (m_outcome.status == Status::Imported && !m_checkOnly && cards.count() > 0)
        m_imported = true;
    if (m_outcome.status == Status::Imported)
        m_prgAvanzamento->setValue(1000);
    setBusy(false);
    m_lstProblemi->clear();
    m_lstProblemi->addItems(ImportSummary::lines(cards));
    ImportSummary::Voice voice;
    voice.archive = QDir::toNativeSeparators(m_options.archive);
    voice.allowDuplicates = QStringLiteral("\"accetta codici ripetuti\"");
    const QString said = ImportSummary::sentence(cards, m_outcome, m_checkOnly, voice);
    if (m_outcome.status == Status::Failed) {
        setStatus(QString());
        Msg::plain(this, said);
    } else {
        setStatus(said);
    }
    emit runFinished();
    if (m_closeWhenDone) {
        // Closing was asked during the run: how it ended is said first.
        m_closeWhenDone = false;
        if (m_outcome.status != Status::Failed)
            Msg::plain(this, said);
        close();
    }
}

void TfrmTrasferimento::closeEvent(QCloseEvent* event)
{
    if (!running()) {
        TForm::closeEvent(event);
        return;
    }
    // The window's button or Alt+F4 during a run: asked, then the run is
    // interrupted and the screen closes when it has ended.
    event->ignore();
    if (m_closeWhenDone)
        return;
    if (!Msg::confirm(this,
            m_checkOnly ? QStringLiteral("Il controllo del file è in corso. Interromperlo e chiudere?")
                        : QStringLiteral("L'importazione è in corso. Interromperla e chiudere? Nessuna scheda sarà aggiunta.")))
        return;
    m_closeWhenDone = true;
    m_cancel = true;
    setStatus(QStringLiteral("Interruzione in corso..."));
}

void TfrmTrasferimento::btnControllaClick()
{
    runImport(true);
}

void TfrmTrasferimento::btnImportaClick()
{
    runImport(false);
}

void TfrmTrasferimento::btnInterrompiClick()
{
    m_cancel = true;
}

void TfrmTrasferimento::open(QWidget* owner)
{
    TfrmTrasferimento screen(owner);
    screen.execModal(true);
}
