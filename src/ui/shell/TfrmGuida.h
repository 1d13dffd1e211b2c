#pragma once

#include "ui/shell/TForm.h"

class Picture;
class QFrame;
class QLabel;
class QPlainTextEdit;
class TextLink;

// The help screen: one topic (a title and a long text) given by its caller,
// and the link to the complete help document.
class TfrmGuida : public TForm {
    Q_OBJECT
public:
    explicit TfrmGuida(QWidget* owner = nullptr);

    // Creates a fresh help screen owned by `owner`, fills it with the topic,
    // shows it modally and destroys it when it closes.
    static void showTopic(QWidget* owner, const QString& title, const QString& text);

    // The guide's picture "imgGuida" at the right end of a list screen's
    // banner; a click shows help topic `topic` (resources/help) under
    // `title`, owned by the banner's window.
    static Picture* bannerButton(QFrame* banner, const QString& tip, const QString& title, const QString& topic);

    // The window keeps its design size whatever happened to it before.
    static constexpr QSize kClientSize{670, 572};

    void lnkWebClick();
    void btnChiudiClick() { close(); }

protected:
    void formShow() override;

private:
    QLabel* m_lblTitolo = nullptr;
    QPlainTextEdit* m_txtGuida = nullptr;
    TextLink* m_lnkWeb = nullptr;
};
