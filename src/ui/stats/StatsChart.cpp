#include "StatsChart.h"

#include "core/text/Text.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QGraphicsScene>
#include <QHorizontalBarSeries>
#include <QPainter>
#include <QValueAxis>

#include <algorithm>

namespace StatsChart {

namespace {

// The longest value a category axis shows whole; longer ones end in "…",
// as in the printed table beside the chart.
constexpr int kLabelChars = 40;

const QColor kBar(0x1F, 0x4E, 0x8C);

} // namespace

QString title(const StatsTable& table, const StatsResult& result)
{
    if (result.section.kind == StatsKind::Totals)
        return QStringLiteral("%1: %2").arg(Text::utf8(result.section.title), Text::utf8(table.caption));
    return Text::utf8(result.section.title);
}

QChart* create(const StatsResult& result, const QString& title)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    QFont titleFont = chart->titleFont();
    titleFont.setPointSizeF(11);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);

    auto* set = new QBarSet(title);
    set->setColor(kBar);
    set->setLabelColor(Qt::black);
    QStringList categories;
    qint64 most = 0;
    // A horizontal series draws its first category at the bottom: the bars
    // go in from the last, so the chart reads from the top as the table does.
    for (auto bar = result.bars.rbegin(); bar != result.bars.rend(); ++bar) {
        QString label = bar->label;
        if (label.size() > kLabelChars)
            label = label.left(kLabelChars - 1) + QChar(0x2026);
        // Categories must differ: a value written like one of the bars of
        // their own ("altri") gets an invisible mark.
        while (categories.contains(label))
            label += QChar(0x200B);
        categories.append(label);
        *set << static_cast<qreal>(bar->count);
        most = std::max(most, bar->count);
    }

    auto* series = new QHorizontalBarSeries;
    series->append(set);
    series->setBarWidth(0.7);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    series->setLabelsFormat(QStringLiteral("@value"));
    series->setLabelsPrecision(15);
    chart->addSeries(series);

    auto* values = new QValueAxis;
    // Room past the longest bar for its count; whole numbers only.
    const qint64 top = std::max<qint64>(4, most + most / 6 + 1);
    values->setRange(0, static_cast<qreal>(top));
    values->setLabelFormat(QStringLiteral("%d"));
    values->setTickCount(5);
    values->applyNiceNumbers();
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);

    auto* names = new QBarCategoryAxis;
    names->append(categories);
    chart->addAxis(names, Qt::AlignLeft);
    series->attachAxis(names);
    return chart;
}

QImage render(const StatsResult& result, const QString& title, QSize size, QSize pixels)
{
    QChart* chart = create(result, title);
    QGraphicsScene scene;
    scene.addItem(chart); // the scene owns the chart from here
    chart->setGeometry(QRectF(QPointF(0, 0), QSizeF(size)));
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(image.size())), QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image;
}

} // namespace StatsChart
