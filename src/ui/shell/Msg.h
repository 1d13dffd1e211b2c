#pragma once

#include <QString>

#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

// The five kinds of message box every screen uses. Warning, error and
// information boxes offer OK and Annulla and their answer is ignored; a
// confirmation offers Sì and No and its answer decides; a plain box has OK
// alone and no icon. Tests replace the boxes with a handler.
class Msg {
public:
    enum class Kind { Warning, Error, Information, Confirmation, Plain };

    // Returns true for Sì on a confirmation (and for OK elsewhere).
    static bool show(QWidget* parent, Kind kind, const QString& text);

    static void warning(QWidget* parent, const QString& text) { show(parent, Kind::Warning, text); }
    static void error(QWidget* parent, const QString& text) { show(parent, Kind::Error, text); }
    static void information(QWidget* parent, const QString& text) { show(parent, Kind::Information, text); }
    static bool confirm(QWidget* parent, const QString& text) { return show(parent, Kind::Confirmation, text); }
    // A confirmation whose default button is No: for what cannot be taken
    // back by a second thought, so that Enter does not do it.
    static bool confirmDefaultNo(QWidget* parent, const QString& text);
    static void plain(QWidget* parent, const QString& text) { show(parent, Kind::Plain, text); }

    using Handler = std::function<bool(Kind kind, const QString& text)>;
    static void setHandler(Handler handler); // empty: real message boxes

    // The real box that show() runs: title, icon, Italian buttons, and the
    // text with its line breaks as the screen shows them.
    static std::unique_ptr<QMessageBox> build(QWidget* parent, Kind kind, const QString& text);

    // The two separators that join the sentences of two-sentence messages.
    static inline const QString kLfCrLfCr = QStringLiteral("\n\r\n\r");
    static inline const QString kCrLfCrLf = QStringLiteral("\r\n\r\n");

    // The message shown when an archive cannot be opened, read or written.
    static QString accessMessage();
};
