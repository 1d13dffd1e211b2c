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

    // What the archive keeps of the text: line breaks count as the two
    // characters they are stored as.
    static constexpr int kTextCapacity = 5000;

    QLabel* lblFile() const { return m_lblFile; }
    QString archivePath() const override;

protected:
    QString cutWarning() const override;

private:
    // Keeps the memo within what the archive holds, and says so when a
    // paste was cut.
    void txtTestoChange(int position, int added);

    QLabel* m_lblFile = nullptr;
    QPlainTextEdit* m_txtTesto = nullptr;
};
