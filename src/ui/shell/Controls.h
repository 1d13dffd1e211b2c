#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

// Small helpers every screen builds with.
namespace Controls {

// The screens' Verdana; `points` 0 keeps the application's size.
QFont verdana(qreal points = 0, bool bold = false, bool italic = false);

// A push button with the hand cursor, named for the tests and for the
// screen's handlers.
QPushButton* button(QWidget* parent, const QString& name, const QString& text, QRect at, const QFont& font);

// A pale rounded panel (white fading to light blue) named `name`: behind the
// content of the menu-like full screens and the password and information
// screens.
QFrame* panel(QWidget* parent, const QString& name, QRect at, int radius);
// The panel behind the whole content of a menu-like full screen.
QFrame* menuPanel(QWidget* pan);

// The look of the list screens' panels (searches, Dewey table, loans):
// light blue fading down, a blue rounded border.
void styleListPanel(QWidget* panel);
// The banner at the top of a list screen, with the program's title picture.
QFrame* listBanner(QWidget* parent, int width);
// The blue strip under a menu-like screen's title, its text in white italics.
QLabel* menuStrip(QWidget* parent, const QString& name, const QString& text, QRect at);

// The text a control shows (edit, combo box, memo or label), and setting it.
// A memo's text comes back with the line break of the text last set into it
// (CR LF when it had none; a text written elsewhere with lone LF keeps lone
// LF when the user edits it), and a memo still showing the text last set
// gives that text back exactly as it was set.
// Setting a text never cuts it at the field's typing limit.
QString text(const QWidget* control);
void setText(QWidget* control, const QString& value);

// True while a memo shows exactly the text last set into it.
bool showsTextAsSet(const QWidget* memo);

// The most characters the user may type into a single-line field (an edit,
// or a combo box's edit part). A longer value set by the program is shown
// and given back whole, and the user may type up to its length.
void setTypingLimit(QWidget* control, int limit);

// A line break the user pastes or drops into a single-line field becomes a
// blank (CR LF, CR or LF alike); a value set by the program keeps its bytes.
void keepOnOneLine(QWidget* control);

// A text with each line break (CR LF, CR or LF) turned into one blank: how a
// stored value is printed on one line.
QString oneLine(const QString& text);

} // namespace Controls
