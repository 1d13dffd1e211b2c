#pragma once

#include "ui/shell/TForm.h"

class ExportModel;
class QLabel;
class QTableView;
struct Collection;
struct ExportTable;

// The export screen of every collection: the grid of every card of the
// archive, loaded when the screen is shown, with the table's editable
// columns, and the spreadsheet file written from the grid's current texts.
// A collection's screen only passes its table and its archive.
class TfrmEsporta : public TForm {
    Q_OBJECT
public:
    const ExportTable& table() const;
    QTableView* grdRecords() const { return m_grdRecords; }
    ExportModel* model() const { return m_model; }

    // The archive the grid lists: the one of the collection's card screen.
    QString archivePath() const;
    // The spreadsheet file, in the program folder.
    QString filePath() const;

    void cmdEsportaClick();
    void cmdGuidaClick();
    void cmdEsciClick() { close(); }

protected:
    TfrmEsporta(QWidget* owner, const Collection& collection);

    void formShow() override;

private:
    void buildGrid();
    // What is being typed into a cell belongs to the grid's current texts.
    void commitOpenEditor();

    const Collection& m_collection;
    ExportModel* m_model = nullptr;
    QTableView* m_grdRecords = nullptr;
    QLabel* m_panInfo = nullptr;
};
