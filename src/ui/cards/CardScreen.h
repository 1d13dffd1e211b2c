#pragma once

#include "ui/shell/TForm.h"

#include <QString>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class Picture;
class Record;
class RecordStore;
struct RecordLayout;

// What the book, DVD and article card screens share: the card held in the
// controls, the position label, ClearCard, ShowRecord, Save with its required
// fields, and First, Previous, Next and Last over the archive. Each screen
// gives its layout, its archive path and its required fields.
class CardScreen : public TForm {
    Q_OBJECT
public:
    struct Required {
        QString control; // e.g. "txtTitolo"
        QString message; // the warning shown when it is empty
    };

    CardScreen(QWidget* owner, const QString& caption, const RecordLayout& layout, std::vector<Required> required);

    const RecordLayout& layout() const { return m_layout; }
    QLabel* lblPosizione() const { return m_lblPosizione; }
    QLabel* panInfo() const { return m_panInfo; }

    void ClearCard();
    void ShowRecord(const Record& record);

    void cmdSalvaClick();
    void cmdPrimoClick();
    void cmdIndietroClick();
    void cmdAvantiClick();
    void cmdUltimoClick();
    void cmdEsciClick() { close(); }

    // The archive file of the screen.
    virtual QString archivePath() const = 0;

protected:
    // Layout helpers: every control is placed at design coordinates on `parent`.
    QLabel* addCaption(QWidget* parent, const QString& text, QRect at);
    QLineEdit* addEdit(QWidget* parent, const QString& name, QRect at);
    QComboBox* addCombo(QWidget* parent, const QString& name, QRect at, const QStringList& items);
    QLabel* addHidden(const QString& name, const QString& designText);
    Picture* addCommand(QWidget* parent, const QString& name, const QString& svg, QRect at, const QString& hint,
        std::function<void()> handler);
    QFrame* addSection(const QString& name, QRect at, const QString& svg);
    QFrame* addGroup(QRect at);
    void createPositionLabel(QWidget* parent, QRect at);
    void createInfoLine(const QString& designText);

    void formShow() override;

private:
    // Opens the archive and runs `work`; any failure shows the access message.
    void withArchive(const std::function<bool(RecordStore&)>& work);
    bool showCard(RecordStore& store, qint64 index);

    const RecordLayout& m_layout;
    std::vector<Required> m_required;
    QLabel* m_lblPosizione = nullptr;
    QLabel* m_panInfo = nullptr;
};
