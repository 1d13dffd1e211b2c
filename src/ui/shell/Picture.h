#pragma once

#include <QLabel>
#include <QString>

// A picture drawn from one of the program's SVG resources. A clickable
// picture shows the hand cursor and reports press, release and click, so a
// screen can show a wait label on the press before a long click handler.
class Picture : public QLabel {
    Q_OBJECT
public:
    Picture(const QString& name, const QString& svg, QWidget* parent, QRect geometry, bool clickable);

    void setSvg(const QString& svg);

    // Renders an SVG resource (":/pictures/<svg>.svg") at `size`.
    static QPixmap render(const QString& svg, QSize size, qreal dpr = 1.0);

signals:
    void pressed();
    void released();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void redraw();

    QString m_svg;
    bool m_clickable;
};
