#pragma once

#include "lookup/CatalogueLookup.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class CardScreen;
class QFrame;
class QLabel;
class QPushButton;
class QShortcut;
class QThread;

// "Compila dal catalogo" on the book card: asks the catalogues of
// Tomaria.ini for the ISBN typed, in a thread of its own so the card stays
// live; a line over the card says which catalogue is being asked and an
// Annulla button (or Esc) stops it. The record found fills the card's empty
// fields; a typed field the record contradicts is kept unless the user
// chooses the record's value. Nothing is saved: Salva does that, as always.
class CatalogueFill : public QObject {
    Q_OBJECT
public:
    explicit CatalogueFill(CardScreen* card);
    ~CatalogueFill() override;

    void start();
    void cancel();
    bool running() const { return m_thread != nullptr; }

    // Milliseconds from start() to the card filled (or the message shown).
    qint64 lastDuration() const { return m_lastDuration; }

signals:
    // The lookup has ended and the card shows its outcome.
    void finished();

private:
    void asking(const QString& catalogue, int number, int count);
    void lookupAnswered(const CatalogueLookup& lookup);
    void fill(const CatalogueRecord& record);
    void showPanel(bool shown);

    CardScreen* m_card;
    QFrame* m_pan = nullptr;
    QLabel* m_lbl = nullptr;
    QPushButton* m_cmdAnnulla = nullptr;
    QShortcut* m_escape = nullptr;
    QThread* m_thread = nullptr;
    std::shared_ptr<std::atomic_bool> m_cancel;
    QString m_isbn;
    qint64 m_started = 0;
    qint64 m_lastDuration = 0;
};
