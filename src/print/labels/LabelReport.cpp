#include "LabelReport.h"

#include "core/labels/Code128.h"
#include "core/labels/LabelScan.h"
#include "core/text/Text.h"
#include "core/labels/TextFit.h"
#include "core/storage/DiskFile.h"
#include "print/report/ReportFonts.h"
#include "print/report/ReportPainter.h"
#include "print/report/ReportUnits.h"

#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace {

using ReportUnits::mm;

const QString kFamily = QStringLiteral("Arial");
constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kRoomForPrinters = 0.94;

QFont fontOf(double pointSize, bool bold)
{
    QFont font(kFamily);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

// One line of text fitted into `box`: shrunk from the size the box's
// height allows (at most `largest`) down to the smallest, then cut.
void addLine(PreparedPage& page, const QString& name, const QString& text, const QRectF& box, double largest, bool bold)
{
    if (text.isEmpty() || box.width() <= 0 || box.height() <= 0)
        return;
    // A line takes about 1.2 times its point size.
    const double fits = box.height() / ReportUnits::kPerPoint / 1.2;
    const double top = std::max(0.5, std::min(largest, std::floor(fits * 2) / 2));
    const double smallest = std::min(LabelReport::kSmallest, top);
    // Fitted with some room to spare: a printer's resolution hints and
    // rounds the letters otherwise than the screen's metrics measure them.
    const double room = box.width() * kRoomForPrinters;
    const TextFit::Fitted fitted = TextFit::fit(text, room, top, smallest,
        [bold](const QString& t, double size) { return ReportFonts::metrics(fontOf(size, bold)).horizontalAdvance(t); });
    if (fitted.text.isEmpty())
        return;
    auto prepared = std::make_shared<PreparedText>();
    prepared->font = fontOf(fitted.pointSize, bold);
    prepared->colour = Qt::black;
    prepared->alignment = Qt::AlignHCenter | Qt::AlignTop;
    prepared->pitch = box.height();
    prepared->padding = 0;
    prepared->lines = QStringList{fitted.text};
    PageItem item;
    item.kind = PageItem::Kind::Text;
    item.name = name;
    item.rect = box;
    item.text = prepared;
    item.firstLine = 0;
    item.lineCount = 1;
    item.linesTop = box.top();
    page.items.append(item);
}

void addSpine(PreparedPage& page, const LabelCard& card, const QRectF& inner)
{
    const double third = inner.height() / 3;
    const double largest = 20;
    addLine(page, QStringLiteral("dewey"), card.dewey, {inner.left(), inner.top(), inner.width(), third}, largest, true);
    addLine(
        page, QStringLiteral("autore"), card.surnameLetters(), {inner.left(), inner.top() + third, inner.width(), third}, largest, true);
    addLine(page, QStringLiteral("scaffale"), card.shelf, {inner.left(), inner.top() + 2 * third, inner.width(), third}, largest, false);
}

void addBarcode(PreparedPage& page, const LabelCard& card, const QRectF& inner, const QString& library)
{
    // From the top: the library, the title, the bars, the code in writing.
    const double h = inner.height();
    double y = inner.top();
    if (!library.isEmpty()) {
        addLine(page, QStringLiteral("biblioteca"), library, {inner.left(), y, inner.width(), h * 0.16}, 9, false);
        y += h * 0.16;
    }
    const double titleHeight = h * 0.2;
    addLine(page, QStringLiteral("titolo"), card.title, {inner.left(), y, inner.width(), titleHeight}, 10, true);
    y += titleHeight;
    const double codeHeight = h * 0.2;
    const QRectF bars(inner.left(), y, inner.width(), inner.bottom() - codeHeight - y);
    addLine(page, QStringLiteral("codice"), card.code, {inner.left(), bars.bottom(), inner.width(), codeHeight}, 10, false);

    const Code128 symbol = Code128::encode(card.code);
    if (!symbol.valid() || bars.height() <= 0)
        return;
    // Laid out by the measures the scan check uses.
    const double module = mm(LabelScan::moduleMm(symbol.modules, bars.width() / mm(1)));
    const double left = bars.left() + (bars.width() - module * symbol.modules) / 2;
    for (const Code128::Bar& bar : symbol.bars) {
        PageItem item;
        item.kind = PageItem::Kind::Rect;
        item.name = LabelReport::kBar;
        item.rect = QRectF(left + bar.start * module, bars.top(), bar.width * module, bars.height());
        item.fill = Qt::black;
        page.items.append(item);
    }
}

QRectF toUnits(const QRectF& millimetres)
{
    return {mm(millimetres.x()), mm(millimetres.y()), mm(millimetres.width()), mm(millimetres.height())};
}

} // namespace

namespace LabelReport {

QString counted(qsizetype labels, int sheets)
{
    return Text::counted(labels, u"etichetta", u"etichette") + QStringLiteral(" su ") + Text::counted(sheets, u"foglio", u"fogli");
}

int sheetsFor(int count, const LabelSheet& sheet, int start)
{
    if (count <= 0)
        return 0;
    const int first = std::clamp(start, 1, sheet.perSheet()) - 1;
    return (first + count + sheet.perSheet() - 1) / sheet.perSheet();
}

// Sheet `page`: the labels of the cards that fall on it.
static PreparedPage sheetPage(const QList<LabelCard>& cards, const Request& request, int page)
{
    const LabelSheet& sheet = request.sheet;
    const int per = sheet.perSheet();
    const int first = std::clamp(request.start, 1, per) - 1;
    PreparedPage out;
    for (int slot = page == 0 ? first : 0; slot < per; ++slot) {
        // The card whose label this slot holds: the first sheet begins at `first`.
        const qsizetype index = qsizetype(page) * per + slot - first;
        if (index < 0 || index >= cards.size())
            break;
        const QRectF box = toUnits(sheet.labelRect(slot));
        PageItem frame;
        frame.kind = PageItem::Kind::Rect;
        frame.name = kLabel;
        frame.rect = box;
        out.items.append(frame);
        const double inset = mm(LabelScan::insetMm(box.width() / mm(1), box.height() / mm(1)));
        const QRectF inner = box.adjusted(inset, inset, -inset, -inset);
        if (request.kind == Kind::Spine)
            addSpine(out, cards.at(index), inner);
        else
            addBarcode(out, cards.at(index), inner, request.libraryName);
    }
    return out;
}

PreparedReport prepare(const QList<LabelCard>& cards, const Request& request)
{
    ReportFonts::ensureSubstitutes();
    PreparedReport report;
    report.name = QStringLiteral("Etichette");
    report.pageSize = QPageSize(QPageSize::A4);
    report.orientation = QPageLayout::Portrait;
    report.size = QSizeF(mm(LabelSheet::kPaperWidth), mm(LabelSheet::kPaperHeight));
    // A sheet is made when it prints (or shows), so that a whole
    // catalogue's labels never sit in memory at once.
    report.madeCount = sheetsFor(int(cards.size()), request.sheet, request.start);
    report.made = [cards, request](int page) { return sheetPage(cards, request, page); };
    return report;
}

bool writePdf(const PreparedReport& report, const QString& path, QString* error)
{
    return DiskFile::replaceWhole(
        path,
        [&](QSaveFile& file, QString* why) {
            QPdfWriter writer(&file);
            writer.setCreator(QStringLiteral("Tomaria"));
            writer.setTitle(report.name);
            writer.setResolution(1200);
            writer.setPageLayout(QPageLayout(report.pageSize, report.orientation, QMarginsF()));
            QPainter painter;
            if (!painter.begin(&writer)) {
                *why = QStringLiteral("impossibile preparare il PDF");
                return false;
            }
            painter.setRenderHint(QPainter::Antialiasing);
            const qreal scale = writer.resolution() / ReportUnits::kPerInch;
            for (int i = 0; i < report.pageCount(); ++i) {
                if (i > 0)
                    writer.newPage();
                ReportPainter::paintPage(painter, report.page(i), scale);
            }
            // A write that failed on the way leaves its error on the file.
            return painter.end() && file.error() == QFileDevice::NoError;
        },
        error);
}

QImage render(const PreparedReport& report, int page, int widthPixels)
{
    const qreal scale = widthPixels / report.size.width();
    QImage image(widthPixels, int(std::ceil(report.size.height() * scale)), QImage::Format_RGB32);
    image.fill(Qt::white);
    // Point sizes follow the picture's resolution, as on paper.
    const int dotsPerMetre = int(std::lround(scale * ReportUnits::kPerMm * 1000));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    if (page < 0 || page >= report.pageCount())
        return image;
    const PreparedPage shown = report.page(page);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // The labels' edges, which the paper has and the print leaves out.
    painter.setPen(QPen(QColor(0xB0, 0xB0, 0xB0), 1));
    for (const PageItem& item : shown.items) {
        if (item.name == kLabel)
            painter.drawRect(QRectF(item.rect.x() * scale, item.rect.y() * scale, item.rect.width() * scale, item.rect.height() * scale));
    }
    ReportPainter::paintPage(painter, shown, scale);
    return image;
}

} // namespace LabelReport
