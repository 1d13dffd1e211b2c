#pragma once

#include "ui/shell/TForm.h"

#include <array>

class QLineEdit;
class QPushButton;

// The attachment screen: edits the three attachment slots (file name and
// description) of the card on display in a card screen, copies chosen files
// into the attachments folder at once, opens stored files, and on apply
// writes the six values back into the card screen named by its caller tag.
class TfrmAllegaCartella : public TForm {
    Q_OBJECT
public:
    static constexpr int kSlots = 3;

    explicit TfrmAllegaCartella(QWidget* owner = nullptr);

    // What a card screen's attachment command does: a fresh screen owned by
    // `card`, tagged, filled with the card's six trimmed values, shown
    // modally and destroyed when it closes.
    static void openFor(QWidget* card, const QString& tag);

    // Slot 0, 1 or 2 (the controls ending in 01, 02, 03); values trimmed.
    void setSlot(int slot, const QString& file, const QString& desc);

    void btnSfogliaClick(int slot);
    void btnApriClick(int slot);
    void imgCancellaClick(int slot);
    void txtFileChange(int slot);
    void btnApplicaClick();
    void btnAnnullaClick();

private:
    struct Slot {
        QLineEdit* txtFile = nullptr;
        QLineEdit* txtDesc = nullptr;
        QPushButton* btnSfoglia = nullptr;
        QPushButton* btnApri = nullptr;
    };
    void buildSlot(int slot, int y);
    // The card screen that the tag names; nullptr for any other tag.

    std::array<Slot, kSlots> m_slots;
};
