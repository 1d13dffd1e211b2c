#pragma once

#include "core/backup/SafetyCopy.h"
#include "ui/shell/TForm.h"

class QLabel;
class QTreeWidget;

// The safety copies of the catalogue: the list of the copies in the
// copies' folder (newest first, with date, size and the cards of each
// archive), a copy made now, and a copy brought back. Opened from the
// "Strumenti" list, created afresh for each use.
class TfrmCopie : public TForm {
    Q_OBJECT
public:
    explicit TfrmCopie(QWidget* owner = nullptr);

    QTreeWidget* lstCopie() const { return m_lstCopie; }
    const QList<SafetyCopy::Info>& copies() const { return m_copies; }

    void btnCreaClick();
    void btnRipristinaClick();
    void btnChiudiClick() { close(); }

    static void open(QWidget* owner);

protected:
    void formShow() override;

private:
    void refill();
    void setStatus(const QString& text);

    QString m_folder;
    QList<SafetyCopy::Info> m_copies;
    QTreeWidget* m_lstCopie = nullptr;
    QLabel* m_lblStato = nullptr;
};
