#pragma once

#include "ui/cards/CardForm.h"
#include "ui/shell/TForm.h"

#include <QString>

#include <functional>

class QLabel;
class Record;
class RecordStore;
struct Collection;
struct RecordLayout;

// The card screen of every collection, built from its CardForm: the card is
// held in the controls, `lblPosizione` tells a new card (empty) from the
// stored card at position p. It runs ClearCard, ShowRecord, Save with the
// collection's required fields, First, Previous, Next and Last over the
// archive, New, Duplicate, the web look-up and the openers of the
// collection's dialogs. A collection's screen adds only what is its own.
class CardScreen : public TForm {
    Q_OBJECT
public:
    explicit CardScreen(const CardForm& form, QWidget* owner = nullptr);

    const CardForm& form() const { return m_form; }
    const Collection& collection() const { return *m_form.collection; }
    const RecordLayout& layout() const;
    QLabel* lblPosizione() const { return m_lblPosizione; }
    QLabel* panInfo() const { return m_panInfo; }

    void ClearCard();
    void ShowRecord(const Record& record);
    // Shows a card read from the archive elsewhere (a search's or the loans
    // list's hand-back) as the stored card at 0-based `index`.
    void showStored(const Record& record, qint64 index);

    void cmdNuovoClick() { ClearCard(); }
    void cmdDuplicaClick();
    void cmdSalvaClick();
    void cmdPrimoClick();
    void cmdIndietroClick();
    void cmdAvantiClick();
    void cmdUltimoClick();
    void cmdGuidaClick();
    void cmdEsciClick() { close(); }
    void btnGoogleClick();

    // The archive file of the screen: the collection's archive in the
    // program folder, unless the screen says otherwise.
    virtual QString archivePath() const;

    QString cardTag() const override;

    // Leaving the card this time runs `then` once the main menu is back
    // (the loans overview opens itself again, so that several returns need
    // no walk through the menu each time).
    void onNextLeave(std::function<void()> then) { m_onLeave = std::move(then); }

signals:
    // After a save has been reported, for advice that follows it.
    void cardSaved();

protected:
    // Asked before a Save writes: false leaves the card unsaved and the
    // screen as it is (a text the archive would cut asks the user first).
    virtual bool confirmSave() { return true; }

    // Connects a section button of the form to its handler.
    void onClick(const QString& button, std::function<void()> handler);

    void formShow() override;
    void formClose() override;

private:
    void run(const CardForm::Command& command);
    void openDialog(const CardForm::Command& command);

    // Opens the archive and runs `work`; any failure shows the access message.
    void withArchive(const std::function<bool(RecordStore&)>& work);
    bool showCard(RecordStore& store, qint64 index);
    void showEmptyArchive();

    const CardForm& m_form;
    std::vector<QWidget*> m_sections;
    QLabel* m_lblPosizione = nullptr;
    QLabel* m_panInfo = nullptr;
    std::function<void()> m_onLeave;
};

// The start-up card screen that answers to a caller tag (trimmed); nullptr
// for any other tag.
CardScreen* cardScreenFor(const QString& callerTag);
