#include "CataloguePoster.h"

#include "core/labels/QrCode.h"
#include "print/report/ReportUnits.h"

#include <QFont>

#include <memory>

namespace {

using ReportUnits::mm;

PageItem text(const QString& name, const QString& line, QRectF rect, qreal points, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    font.setBold(bold);
    auto prepared = std::make_shared<PreparedText>();
    prepared->font = font;
    prepared->colour = Qt::black;
    prepared->alignment = Qt::AlignHCenter | Qt::AlignTop;
    prepared->pitch = points * ReportUnits::kPerPoint * 1.35;
    prepared->lines = QStringList{line};
    PageItem item;
    item.kind = PageItem::Kind::Text;
    item.name = name;
    item.rect = QRectF(rect.x(), rect.y(), rect.width(), prepared->pitch);
    item.text = prepared;
    item.lineCount = 1;
    item.linesTop = rect.y();
    return item;
}

} // namespace

namespace CataloguePoster {

PreparedReport make(const QString& url)
{
    PreparedReport report;
    report.name = QStringLiteral("Catalogo in rete");
    report.pageSize = QPageSize(QPageSize::A5);
    report.size = QSizeF(mm(148), mm(210));
    PreparedPage page;
    const qreal width = report.size.width();
    page.items << text(QStringLiteral("titolo"), QStringLiteral("Catalogo della biblioteca"), {0, mm(18), width, 0}, 20, true);
    page.items << text(
        QStringLiteral("invito"), QStringLiteral("Cerca i libri e guarda se sono disponibili"), {0, mm(32), width, 0}, 11, false);
    page.items << text(
        QStringLiteral("invito2"), QStringLiteral("dal telefono, collegato alla rete della biblioteca:"), {0, mm(38), width, 0}, 11, false);
    // The QR Code: one black square per dark module, so it prints sharp
    // on any printer.
    const QrCode code = QrCode::encode(url);
    if (code.valid()) {
        const qreal side = mm(80);
        const qreal module = side / code.size;
        const qreal left = (width - side) / 2;
        const qreal top = mm(50);
        for (int y = 0; y < code.size; ++y) {
            for (int x = 0; x < code.size; ++x) {
                if (!code.at(x, y))
                    continue;
                PageItem square;
                square.kind = PageItem::Kind::Rect;
                square.name = QStringLiteral("qr");
                square.rect = QRectF(left + x * module, top + y * module, module, module);
                square.fill = Qt::black;
                square.pen = Qt::black;
                square.penWidth = 0;
                page.items << square;
            }
        }
    }
    page.items << text(QStringLiteral("indirizzo"), url, {0, mm(140), width, 0}, 16, true);
    page.items << text(QStringLiteral("nota"), QStringLiteral("Il catalogo si consulta soltanto: nessun dato dei lettori è visibile."),
        {0, mm(156), width, 0}, 9, false);
    report.pages << page;
    return report;
}

} // namespace CataloguePoster
