#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include <string_view>

class QLabel;
class QPushButton;
class QWidget;

// Small helpers every screen builds with.
namespace Controls {

// A table's UTF-8 text as shown on screen.
inline QString utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The screens' Verdana; `points` 0 keeps the application's size.
QFont verdana(qreal points = 0, bool bold = false, bool italic = false);

// A push button with the hand cursor, named for the tests and for the
// screen's handlers.
QPushButton* button(QWidget* parent, const QString& name, const QString& text, QRect at, const QFont& font);

// The white rounded panel behind the content of the menu-like full screens
// (main menu, year selection).
QWidget* menuPanel(QWidget* pan);
// The blue strip under a menu-like screen's title, its text in white italics.
QLabel* menuStrip(QWidget* parent, const QString& name, const QString& text, QRect at);

// The text a control shows (edit, combo box, memo or label), and setting it.
// A memo's line breaks are CR LF both ways.
QString text(const QWidget* control);
void setText(QWidget* control, const QString& value);

} // namespace Controls
