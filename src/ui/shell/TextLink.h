#pragma once

#include <QColor>
#include <QLabel>

class Picture;

// An underlined text link: dark blue at rest, orange while the mouse button
// is held down on it (or on the picture bound to it), dark blue again when
// the button is released, wherever the pointer is by then.
class TextLink : public QLabel {
    Q_OBJECT
public:
    static inline const QColor kRest{0x00, 0x00, 0x8B};
    static inline const QColor kDown{0xFF, 0xA5, 0x00};

    TextLink(const QString& name, const QString& text, QWidget* parent, QRect geometry);

    QColor colour() const { return m_colour; }
    void setColour(const QColor& colour);

    // The picture beside the link acts as the link: same colours, same click.
    void bindPicture(Picture* picture);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor m_colour;
};
