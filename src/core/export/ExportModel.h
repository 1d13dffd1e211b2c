#pragma once

#include "core/collections/ExportTable.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>
#include <string_view>
#include <vector>

// The rows of an export grid: column 0 the card's 1-based position, then the
// table's fields, trimmed. Each row is kept as its raw Windows-1252 field
// bytes in large shared blocks and decoded only when a cell is shown; the
// user's edits are kept apart, so the archive's text is never copied twice.
class ExportModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ExportModel(const ExportTable& table, QObject* parent = nullptr);
    ~ExportModel() override;

    const ExportTable& table() const { return m_table; }

    // Lists every card of the archive (a missing archive is created empty).
    // Returns false when the archive cannot be opened or read to its end; the
    // rows read before the failure stay, the others are left blank.
    bool load(const QString& archivePath);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Only cells of editable columns take a new text.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    bool isEdited(int row, int column) const { return m_edits.contains(key(row, column)); }

    // The text of the table's field `field` (0-based) in `row` as the file
    // receives it: Windows-1252 bytes, not yet trimmed. An edited cell is
    // encoded into `scratch`, which the result may point into.
    std::string_view fileCell(int row, int field, QByteArray& scratch) const;

    // What the rows occupy (blocks, row index, edits) and how many of those
    // bytes are card text.
    qsizetype heldBytes() const;
    qsizetype textBytes() const { return m_textBytes; }

private:
    quint64 key(int row, int column) const { return quint64(row) * quint64(columnCount()) + quint64(column); }
    std::string_view stored(int row, int field) const;
    char* reserveRow(qsizetype bytes);
    void clearRows();

    const ExportTable& m_table;
    int m_rows = 0;
    std::vector<const char*> m_row; // nullptr: a row the load did not reach
    std::vector<std::unique_ptr<char[]>> m_blocks;
    qsizetype m_blockUsed = 0;
    qsizetype m_textBytes = 0;
    QHash<quint64, QString> m_edits;
};
