#pragma once

#include "ReportObject.h"

#include <QColor>
#include <QDate>
#include <QFont>
#include <QStringList>

// A text element: its text is a list of lines printed from the top of the
// element, one per line pitch, clipped to the element. With word wrap on,
// long lines continue on the next line inside the element; with
// expressions on, "[DATE]" prints as the date of printing.
class ReportText : public ReportObject {
public:
    ReportText(const QString& name, const QRectF& geometry);

    // Look. A font family of the template (Arial, Verdana, Courier New) is
    // printed with its installed stand-in where it is missing.
    QFont font() const { return m_font; }
    void setFont(const QString& family, qreal pointSize, bool bold = false);
    QColor colour() const { return m_colour; }
    void setColour(const QColor& colour) { m_colour = colour; }
    QColor fill() const { return m_fill; } // invalid: transparent
    void setFill(const QColor& colour) { m_fill = colour; }
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment) { m_alignment = alignment; }
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on) { m_wordWrap = on; }
    bool expressions() const { return m_expressions; }
    void setExpressions(bool on) { m_expressions = on; }
    // Blank space kept inside the left and right edges.
    qreal padding() const { return m_padding; }
    void setPadding(qreal units) { m_padding = units; }

    // The distance from one line to the next: the one set, or else the
    // font's own line spacing.
    qreal linePitch() const;
    void setLinePitch(qreal units) { m_linePitch = units; }

    // Content.
    QString text() const { return m_lines.join(QLatin1Char('\n')); }
    void setText(const QString& text); // replaces the whole text; line breaks start new lines
    const QStringList& lines() const { return m_lines; }
    void setLines(const QStringList& lines) { m_lines = lines; } // shared, not copied
    void clearLines() { m_lines.clear(); }
    void addLine(const QString& line) { m_lines.append(line); }
    int lineCount() const { return int(m_lines.size()); }

    // `line` with every "[DATE]" replaced by `date` as dd/mm/yyyy.
    static QString expand(const QString& line, const QDate& date);
    static bool hasExpression(const QString& line);

private:
    QFont m_font;
    QColor m_colour = Qt::black;
    QColor m_fill;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignTop;
    bool m_wordWrap = false;
    bool m_expressions = true;
    qreal m_padding = 2.0;
    qreal m_linePitch = 0.0;
    QStringList m_lines;
};
