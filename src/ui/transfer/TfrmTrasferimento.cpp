#include "TfrmTrasferimento.h"

#include "core/collections/Collection.h"
#include "core/export/CardCsv.h"
#include "core/export/CardXlsx.h"
#include "core/export/ExportTarget.h"
#include "core/import/CsvReader.h"
#include "core/import/ImportNames.h"
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
#include <QEventLoop>
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
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTableWidget>

#include <thread>

namespace {

constexpr QSize kClient{880, 640};
// The rows the preview shows under the header.
constexpr int kPreviewRows = 5;

QLabel* label(QWidget* parent, const QString& name, const QString& text, QRect at)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(at);
    return l;
}

// The first rows of a file as the import will read them: the first sheet
// of a workbook, else a CSV in UTF-8 or Windows-1252.
QList<QStringList> firstRows(const QString& path)
{
    QList<QStringList> rows;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    const QByteArray head = file.peek(8192);
    if (XlsxReader::looksZipped(head)) {
        XlsxReader reader(file);
        reader.read([&](XlsxReader::Row& row) {
            QStringList cells;
            for (const QByteArray& cell : row.fields)
                cells << QString::fromUtf8(cell);
            rows << cells;
            return rows.size() <= kPreviewRows;
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
            return rows.size() <= kPreviewRows;
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
    m_lblFile = label(pan, QStringLiteral("lblFile"), QStringLiteral("Nessun file scelto (.xlsx, .csv o .txt)."), {8, 200, width, 20});

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

    m_lstProblemi = new QListWidget(pan);
    m_lstProblemi->setObjectName(QStringLiteral("lstProblemi"));
    m_lstProblemi->setGeometry(8, 406, width, 126);
    m_lblStato = label(pan, QStringLiteral("lblStato"), QString(), {8, 536, width, 20});
    m_lblStato->setStyleSheet(QStringLiteral("color: #008B8B; font-weight: bold;"));

    const int y = kClient.height() - 31 - 42;
    auto* chiudi = Controls::button(pan, QStringLiteral("btnChiudi"), QStringLiteral("Chiudi"), {8, y, 150, 30}, bold);
    connect(chiudi, &QPushButton::clicked, this, [this] { btnChiudiClick(); });
    auto* controlla = Controls::button(pan, QStringLiteral("btnControlla"), QStringLiteral("Controlla"), {420, y, 130, 30}, bold);
    connect(controlla, &QPushButton::clicked, this, [this] { btnControllaClick(); });
    auto* btnImporta = Controls::button(pan, QStringLiteral("btnImporta"), QStringLiteral("Importa"), {560, y, 130, 30}, bold);
    connect(btnImporta, &QPushButton::clicked, this, [this] { btnImportaClick(); });
    m_btnInterrompi = Controls::button(pan, QStringLiteral("btnInterrompi"), QStringLiteral("Interrompi"), {700, y, 130, 30}, bold);
    m_btnInterrompi->setEnabled(false);
    connect(m_btnInterrompi, &QPushButton::clicked, this, [this] { btnInterrompiClick(); });
    m_busyButtons = {chiudi, controlla, btnImporta, btnEsporta, btnScegli};
    collectionChanged();
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
    const QString name = QStringLiteral("%1-%2.%3")
                             .arg(CardXlsx::sheetName(collection()), Clock::today().toString(QStringLiteral("yyyy-MM-dd")),
                                 m_cboFormato->currentData().toString());
    return QDir(documents.isEmpty() ? QDir::homePath() : documents).filePath(name);
}

void TfrmTrasferimento::collectionChanged()
{
    const bool yearly = collection().yearly();
    m_txtAnno->setEnabled(yearly);
    findChild<QLabel*>(QStringLiteral("lblAnno"))->setEnabled(yearly);
    if (!m_file.isEmpty())
        preview();
}

bool TfrmTrasferimento::yearGiven()
{
    static const QRegularExpression fourDigits(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{4}")));
    if (!collection().yearly() || fourDigits.match(m_txtAnno->text().trimmed()).hasMatch())
        return true;
    Msg::warning(this,
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
    m_cboRaccolta->setEnabled(!busy);
    m_btnInterrompi->setEnabled(busy);
}

void TfrmTrasferimento::btnEsportaClick()
{
    const Collection& c = collection();
    if (!yearGiven())
        return;
    if (!DiskFile::isRegular(archivePath())) {
        Msg::warning(this, QStringLiteral("Non c'è ancora un archivio di %1 da esportare.").arg(c.pluralWithArticle()));
        return;
    }
    const bool xlsx = m_cboFormato->currentData().toString() == QLatin1String("xlsx");
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
        Msg::error(
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

void TfrmTrasferimento::btnApriCartellaClick()
{
    if (!m_exported.isEmpty())
        TMisc::Open(QFileInfo(m_exported).absolutePath());
}

void TfrmTrasferimento::btnScegliClick()
{
    const QString chosen = FileChooser::chooseFile(
        this, QStringLiteral("Scegli il file da importare"), QStringLiteral("Fogli di calcolo e file CSV (*.xlsx *.csv *.txt)"));
    if (chosen.isEmpty())
        return;
    m_file = chosen;
    m_lblFile->setText(QDir::toNativeSeparators(chosen));
    m_lstProblemi->clear();
    m_prgAvanzamento->setValue(0);
    setStatus(QStringLiteral("Premere Controlla per controllare ogni riga, Importa per aggiungere le schede."));
    preview();
}

void TfrmTrasferimento::preview()
{
    const QList<QStringList> rows = firstRows(m_file);
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

void TfrmTrasferimento::listReport(const CardImport& cards)
{
    m_lstProblemi->clear();
    for (const QString& line : cards.report())
        m_lstProblemi->addItem(line);
    for (const QString& line : cards.warningReport())
        m_lstProblemi->addItem(line);
    for (const QString& line : cards.notes())
        m_lstProblemi->addItem(line);
}

bool TfrmTrasferimento::runImport(bool checkOnly)
{
    if (m_file.isEmpty()) {
        Msg::warning(this, QStringLiteral("Scegliere prima il file da importare."));
        return false;
    }
    const Collection& c = collection();
    if (!yearGiven())
        return false;
    QFile file(m_file);
    if (!DiskFile::isRegular(m_file) || !file.open(QIODevice::ReadOnly)) {
        Msg::error(this, QStringLiteral("Impossibile leggere %1.").arg(QDir::toNativeSeparators(m_file)));
        return false;
    }
    CardImport cards(c);
    CardImport::Options options;
    options.allowDuplicates = m_chkDuplicati->isChecked();
    options.archive = archivePath();
    options.checkOnly = checkOnly;
    m_cancel = false;
    m_lstProblemi->clear();
    m_prgAvanzamento->setValue(0);
    setBusy(true);
    setStatus(checkOnly ? QStringLiteral("Controllo in corso...") : QStringLiteral("Importazione in corso..."));

    // The import runs beside the screen, which stays live for Interrompi;
    // its progress comes back to the screen's thread.
    CardImport::Outcome outcome;
    QEventLoop loop;
    std::thread worker([&] {
        outcome = cards.run(
            file, options,
            [this, checkOnly](CardImport::Pass pass, qint64 done, qint64 total) {
                const int share = checkOnly ? 1000 : 500;
                const int base = pass == CardImport::Pass::Write ? 500 : 0;
                const int value = base + int(total > 0 ? done * share / total : share);
                QMetaObject::invokeMethod(
                    this,
                    [this, value] {
                        m_prgAvanzamento->setValue(value);
                        emit progressed(value, 1000);
                    },
                    Qt::QueuedConnection);
            },
            &m_cancel);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    QCoreApplication::sendPostedEvents(this); // the last progress
    setBusy(false);
    listReport(cards);

    using Status = CardImport::Outcome::Status;
    switch (outcome.status) {
    case Status::Cancelled:
        m_prgAvanzamento->setValue(0);
        setStatus(QStringLiteral("Interrotto: nessuna scheda aggiunta, l'archivio è rimasto com'era."));
        break;
    case Status::Refused:
        setStatus(cards.problems().isEmpty() && !cards.duplicates().isEmpty()
                ? QStringLiteral("Nessuna scheda importata: %1 (\"accetta codici ripetuti\" %2 importa comunque).")
                      .arg(Text::counted(cards.duplicates().size(), u"codice già presente o ripetuto", u"codici già presenti o ripetuti"),
                          cards.duplicates().size() == 1 ? QStringLiteral("lo") : QStringLiteral("li"))
                : QStringLiteral("Nessuna scheda importata: %1 da correggere nel file; l'archivio è rimasto com'era.")
                      .arg(Text::counted(cards.report().size(), u"problema", u"problemi")));
        break;
    case Status::Failed:
        setStatus(QString());
        Msg::error(this,
            QStringLiteral("Scrittura delle schede non riuscita: %1%2")
                .arg(outcome.reason, outcome.nothingAdded ? QStringLiteral("; nessuna scheda aggiunta.") : QStringLiteral(".")));
        break;
    case Status::Imported:
        if (checkOnly) {
            QString text = Text::counted(cards.count(), u"scheda pronta", u"schede pronte")
                + QStringLiteral(" da importare: nessun problema trovato");
            if (cards.paddedDewey() > 0)
                text += QStringLiteral("; %1 con gli zeri iniziali")
                            .arg(Text::counted(cards.paddedDewey(), u"codice Dewey completato", u"codici Dewey completati"));
            setStatus(text + QStringLiteral("; nessuna scheda scritta."));
        } else if (cards.count() == 0) {
            setStatus(QStringLiteral("Il file non contiene schede: nessuna scheda aggiunta."));
        } else {
            setStatus(cards.count() == 1 ? QStringLiteral("1 scheda aggiunta, nella posizione %1.").arg(outcome.archiveCards)
                                         : QStringLiteral("%1 schede aggiunte, nelle posizioni da %2 a %3.")
                                               .arg(cards.count())
                                               .arg(outcome.firstWritten)
                                               .arg(outcome.archiveCards));
        }
        break;
    }
    return true;
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
