#pragma once

#include "ui/cards/CardScreen.h"
#include "ui/cards/CollectionScreens.h"

class QLabel;
class QPlainTextEdit;

// The article card: the card kit fed the article table, with captions above
// the fields and the article's text in a memo. It works on the yearly
// archive whose path the year selection writes into the hidden `lblFile`.
class TfrmBibliografie : public CardScreen {
    Q_OBJECT
public:
    explicit TfrmBibliografie(QWidget* owner = nullptr);

    static const CardForm& cardForm();
    // The collection with its screens, for the registry's list.
    static const CollectionScreens& screens();

    // What the archive keeps of the text: line breaks count as the
    // characters they are stored as (two for CR LF).
    static constexpr int kTextCapacity = 5000;

    // How many characters of the text on show the archive could not keep;
    // 0 when it fits.
    int textExcess() const;

    QLabel* lblFile() const { return m_lblFile; }
    QString archivePath() const override;

protected:
    bool confirmSave() override;

private:
    // The text is never cut while typed: while it is longer than the
    // archive holds, the info line says by how much.
    void txtTestoChange();

    QLabel* m_lblFile = nullptr;
    QPlainTextEdit* m_txtTesto = nullptr;
};
