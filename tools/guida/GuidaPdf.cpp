#include "GuidaPdf.h"

#include "core/collections/Collection.h"
#include "core/text/Maker.h"
#include "core/text/Text.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgRenderer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

constexpr int kDpi = 300;
const QColor kBlue(0x1F, 0x4E, 0x8C);
const QColor kGold(0xC9, 0xA2, 0x27);
const QColor kInk(0x23, 0x30, 0x3F);
const QColor kGrey(0x6B, 0x7B, 0x8E);
const QString kSerif = QStringLiteral("DejaVu Serif");
const QString kSans = QStringLiteral("DejaVu Sans");
const QString kGuide = QStringLiteral("Guida all'utilizzo del software");

// Millimetres in device pixels; the text document takes its block margins
// in pixels of 96 dpi and scales them to the device itself.
qreal mm(qreal millimetres)
{
    return millimetres * kDpi / 25.4;
}
qreal docMm(qreal millimetres)
{
    return millimetres * 96 / 25.4;
}

QFont font(const QString& family, qreal points, bool bold = false, bool italic = false)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

// The page geometry shared by every page, in device pixels.
struct Page {
    QRectF full;
    QRectF body;
};

void drawTitlePage(QPainter& p, const Page& page, const QString& version)
{
    const QRectF r = page.full;
    p.fillRect(QRectF(r.left(), r.top(), r.width(), mm(62)), QColor(0xEE, 0xF4, 0xFB));
    p.fillRect(QRectF(r.left(), r.top() + mm(62), r.width(), mm(1.2)), kGold);

    QSvgRenderer title(QStringLiteral(":/pictures/title.svg"));
    if (title.isValid()) {
        // Only the drawn part of the picture, so that it sits centred.
        title.setViewBox(QRectF(0, 0, 446, 96));
        const QSizeF size(mm(120), mm(120) * 96.0 / 446.0);
        title.render(&p, QRectF(r.center().x() - size.width() / 2, r.top() + mm(18), size.width(), size.height()));
    }

    p.setPen(kBlue);
    p.setFont(font(kSerif, 30, true));
    p.drawText(QRectF(r.left(), r.top() + mm(95), r.width(), mm(20)), Qt::AlignCenter, kGuide);
    p.setPen(kGrey);
    p.setFont(font(kSerif, 14, false, true));
    p.drawText(QRectF(r.left(), r.top() + mm(117), r.width(), mm(12)), Qt::AlignCenter,
        QStringLiteral("Il catalogo di libri, DVD e articoli giornalistici per lettori e biblioteche"));
    p.fillRect(QRectF(r.center().x() - mm(30), r.top() + mm(135), mm(60), mm(0.8)), kGold);

    p.setPen(kInk);
    p.setFont(font(kSans, 11));
    p.drawText(QRectF(r.left(), r.top() + mm(142), r.width(), mm(10)), Qt::AlignCenter, QStringLiteral("Versione ") + version);

    // The collections, as the main menu shows them.
    const auto collections = Collection::all();
    const qreal n = static_cast<qreal>(collections.size());
    const qreal gap = mm(10), tileW = std::min(mm(46), (r.width() - mm(40) - (n - 1) * gap) / n), tileH = tileW * 220.0 / 260.0;
    qreal x = r.center().x() - (n * tileW + (n - 1) * gap) / 2;
    for (const Collection* c : collections) {
        QSvgRenderer svg(QStringLiteral(":/pictures/tile_%1.svg").arg(Text::latin1(c->picture)));
        if (svg.isValid())
            svg.render(&p, QRectF(x, r.top() + mm(172), tileW, tileH));
        x += tileW + gap;
    }

    p.fillRect(QRectF(r.left(), r.bottom() - mm(40), r.width(), mm(40)), kBlue);
    p.fillRect(QRectF(r.left(), r.bottom() - mm(40), r.width(), mm(1.2)), kGold);
    p.setPen(Qt::white);
    p.setFont(font(kSerif, 16, true));
    p.drawText(QRectF(r.left(), r.bottom() - mm(33), r.width(), mm(12)), Qt::AlignCenter, Maker::kName);
    p.setFont(font(kSans, 11));
    p.drawText(QRectF(r.left(), r.bottom() - mm(21), r.width(), mm(8)), Qt::AlignCenter,
        Maker::kSiteWithoutScheme + QStringLiteral("   \u2022   ") + Maker::kEmail);
}

void drawFolio(QPainter& p, const Page& page, int number, const QString& chapter)
{
    const QRectF b = page.body;
    p.setPen(kGrey);
    p.setFont(font(kSans, 8.5));
    const QRectF head(b.left(), b.top() - mm(14), b.width(), mm(8));
    p.drawText(head, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Tomaria \u2013 ") + kGuide);
    p.drawText(head, Qt::AlignRight | Qt::AlignBottom, chapter);
    p.fillRect(QRectF(b.left(), b.top() - mm(5), b.width(), mm(0.35)), kGold);
    p.setFont(font(kSans, 9));
    p.setPen(kInk);
    p.drawText(QRectF(b.left(), b.bottom() + mm(8), b.width(), mm(8)), Qt::AlignCenter, QString::number(number));
}

void drawContents(QPainter& p, const Page& page, const std::vector<GuidaPdf::Topic>& topics, const std::vector<int>& firstPages)
{
    const QRectF b = page.body;
    p.setPen(kBlue);
    p.setFont(font(kSerif, 24, true));
    p.drawText(QRectF(b.left(), b.top() + mm(10), b.width(), mm(14)), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Indice"));
    p.fillRect(QRectF(b.left(), b.top() + mm(27), mm(40), mm(0.8)), kGold);

    qreal y = b.top() + mm(40);
    const QFont entry = font(kSerif, 12);
    p.setFont(entry);
    const QFontMetricsF fm(entry, p.device());
    for (std::size_t i = 0; i < topics.size(); ++i) {
        const QString left = QStringLiteral("%1.  %2").arg(i + 1).arg(topics[i].title);
        const QString right = QString::number(firstPages[i]);
        const QRectF line(b.left(), y, b.width(), mm(9));
        p.setPen(kInk);
        p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, left);
        p.drawText(line, Qt::AlignRight | Qt::AlignVCenter, right);
        // Dot leaders between the title and its page.
        const qreal from = b.left() + fm.horizontalAdvance(left) + mm(3);
        const qreal to = b.right() - fm.horizontalAdvance(right) - mm(3);
        p.setPen(kGrey);
        QString dots;
        const qreal dot = fm.horizontalAdvance(QStringLiteral(" ."));
        for (qreal x = from; x + dot < to; x += dot)
            dots += QStringLiteral(" .");
        p.drawText(QRectF(to - fm.horizontalAdvance(dots), y, fm.horizontalAdvance(dots), mm(9)), Qt::AlignLeft | Qt::AlignVCenter, dots);
        y += mm(11);
    }
}

} // namespace

GuidaPdf::GuidaPdf(std::vector<Topic> topics)
    : m_topics(std::move(topics))
{
}

bool GuidaPdf::write(QIODevice* device, const QString& version) const
{
    QPdfWriter writer(device);
    writer.setResolution(kDpi);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(QStringLiteral("Tomaria \u2013 ") + kGuide);
    writer.setCreator(QStringLiteral("Tomaria"));

    Page page;
    page.full = QRectF(QPointF(0, 0), QSizeF(writer.width(), writer.height()));
    page.body = page.full.adjusted(mm(24), mm(30), -mm(24), -mm(28));

    // The chapters as one paginated document.
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&writer);
    doc.setPageSize(page.body.size());
    doc.setDocumentMargin(0);
    doc.setDefaultFont(font(kSerif, 11));
    QTextCursor c(&doc);
    std::vector<QTextBlock> starts;
    for (std::size_t i = 0; i < m_topics.size(); ++i) {
        QTextBlockFormat label;
        label.setPageBreakPolicy(i == 0 ? QTextFormat::PageBreak_Auto : QTextFormat::PageBreak_AlwaysBefore);
        label.setTopMargin(docMm(8));
        QTextCharFormat labelText;
        labelText.setFont(font(kSans, 10, true));
        labelText.setForeground(kGold);
        labelText.setFontLetterSpacing(115);
        if (i == 0)
            c.setBlockFormat(label);
        else
            c.insertBlock(label);
        starts.push_back(c.block());
        c.insertText(QStringLiteral("CAPITOLO %1").arg(i + 1), labelText);

        QTextBlockFormat heading;
        heading.setTopMargin(docMm(1));
        heading.setBottomMargin(docMm(8));
        heading.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth, QTextLength(QTextLength::PercentageLength, 100));
        QTextCharFormat headingText;
        headingText.setFont(font(kSerif, 22, true));
        headingText.setForeground(kBlue);
        c.insertBlock(heading);
        c.insertText(m_topics[i].title, headingText);

        QTextBlockFormat body;
        body.setAlignment(Qt::AlignJustify);
        body.setTopMargin(docMm(3));
        body.setBottomMargin(0);
        body.setLineHeight(140, QTextBlockFormat::ProportionalHeight);
        QTextCharFormat bodyText;
        bodyText.setFont(font(kSerif, 11));
        bodyText.setForeground(kInk);
        for (const QString& paragraph : m_topics[i].paragraphs) {
            c.insertBlock(body);
            c.insertText(paragraph, bodyText);
        }
    }

    // Page 1 is the title page, page 2 the contents, chapters follow.
    constexpr int kFirstChapterPage = 3;
    const qreal pageHeight = page.body.height();
    std::vector<int> firstPages;
    for (const QTextBlock& b : starts) {
        const qreal top = doc.documentLayout()->blockBoundingRect(b).top();
        firstPages.push_back(kFirstChapterPage + static_cast<int>(top / pageHeight + 0.01));
    }

    QPainter p;
    if (!p.begin(&writer))
        return false;
    p.setRenderHint(QPainter::Antialiasing);
    drawTitlePage(p, page, version);
    writer.newPage();
    drawContents(p, page, m_topics, firstPages);
    drawFolio(p, page, 2, QStringLiteral("Indice"));

    const int pages = doc.pageCount();
    for (int i = 0; i < pages; ++i) {
        writer.newPage();
        const int number = kFirstChapterPage + i;
        QString chapter;
        for (std::size_t t = 0; t < firstPages.size(); ++t) {
            if (firstPages[t] <= number)
                chapter = m_topics[t].title;
        }
        drawFolio(p, page, number, chapter);
        p.save();
        p.translate(page.body.left(), page.body.top() - i * pageHeight);
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = QRectF(0, i * pageHeight, page.body.width(), pageHeight);
        p.setClipRect(ctx.clip);
        doc.documentLayout()->draw(&p, ctx);
        p.restore();
    }
    return p.end();
}
