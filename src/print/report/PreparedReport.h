#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// The pages that Prepare lays out: descriptions of what goes where, not
// pictures. Positions are in report units from the paper's top-left corner.
// The lines of a text element are held once, shared by every page that
// prints some of them.

// A text element as it prints: its look and its lines, expressions done.
struct PreparedText {
    QFont font;
    QColor colour;
    QColor fill;
    Qt::Alignment alignment;
    bool wordWrap = false;
    qreal pitch = 0;
    qreal padding = 0;
    QStringList lines;
};

// One object, or the part of it that falls on one page.
struct PageItem {
    enum class Kind { Text, Rect, Line, Picture };
    Kind kind = Kind::Rect;
    QString name;
    QRectF rect; // a line runs from rect.topLeft() to rect.bottomRight()
    // Rectangles and lines.
    QColor pen;
    qreal penWidth = 0;
    QColor fill;
    // Text: lines [firstLine, firstLine + lineCount) of `text`, the first one at `linesTop`.
    std::shared_ptr<const PreparedText> text;
    int firstLine = 0;
    int lineCount = 0;
    qreal linesTop = 0;
    // Picture: drawn scaled into rect.
    std::shared_ptr<const QImage> picture;

    QStringList lines() const; // the lines printed here
    QString joined() const { return lines().join(QLatin1Char('\n')); }
};

struct PreparedPage {
    QList<PageItem> items; // in drawing order

    // The first item named `name`; nullptr when the page has none.
    const PageItem* find(const QString& name) const;
};

struct PreparedReport {
    QString name;
    QPageSize pageSize;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QSizeF size; // the paper in report units, oriented
    QList<PreparedPage> pages;
    // Pages too many to hold at once (the labels of a whole catalogue) are
    // made one at a time as they print: `madeCount` of them, page i by
    // made(i); `pages` is then empty.
    int madeCount = 0;
    std::function<PreparedPage(int)> made;

    int pageCount() const { return made ? madeCount : int(pages.size()); }
    PreparedPage page(int index) const { return made ? made(index) : pages.at(index); }
};
