#include "ExportModel.h"

#include "core/storage/Cp1252.h"
#include "core/storage/RecordStore.h"
#include "core/text/Text.h"
#include "core/storage/TextSlot.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Rows are packed into blocks of this size; a row never spans two blocks,
// so at most one row's worth of bytes per block stays unused.
constexpr qsizetype kBlockSize = qsizetype(1) << 20;

// Each field of a row is a length byte followed by its trimmed bytes.
// Exported fields hold at most 250 characters; a longer one is cut.
constexpr std::size_t kMaxCell = 255;

const QString kPositionCaption = QStringLiteral("N.");

} // namespace

ExportModel::ExportModel(const ExportTable& table, QObject* parent)
    : QAbstractTableModel(parent)
    , m_table(table)
{
}

ExportModel::~ExportModel() = default;

void ExportModel::clearRows()
{
    m_rows = 0;
    m_row.clear();
    m_row.shrink_to_fit();
    m_blocks.clear();
    m_blockUsed = 0;
    m_textBytes = 0;
    m_edits.clear();
}

char* ExportModel::reserveRow(qsizetype bytes)
{
    if (m_blocks.empty() || m_blockUsed + bytes > kBlockSize) {
        // Left uninitialised: only the bytes of the rows are ever read.
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(std::max(kBlockSize, bytes))));
        m_blockUsed = 0;
    }
    char* at = m_blocks.back().get() + m_blockUsed;
    m_blockUsed += bytes;
    return at;
}

bool ExportModel::load(const QString& archivePath)
{
    beginResetModel();
    clearRows();
    RecordStore store;
    bool complete = store.open(archivePath, m_table.layout->size, RecordStore::Mode::Read);
    if (complete) {
        const qint64 count = std::min<qint64>(store.count(), INT_MAX);
        m_rows = static_cast<int>(count);
        m_row.assign(static_cast<std::size_t>(count), nullptr);

        std::vector<const FieldDef*> fields;
        for (const ExportColumn& c : m_table.columns)
            fields.push_back(m_table.layout->find(c.field));
        std::vector<std::string_view> cells(fields.size());

        complete = store.scan([&](const char* record, qint64 index) {
            if (index >= count)
                return false;
            qsizetype bytes = 0;
            for (std::size_t i = 0; i < fields.size(); ++i) {
                cells[i] = fields[i] ? Text::trimmed(TextSlot::raw(record, *fields[i], m_table.layout->kind)) : std::string_view();
                cells[i] = cells[i].substr(0, kMaxCell);
                bytes += 1 + static_cast<qsizetype>(cells[i].size());
            }
            char* out = reserveRow(bytes);
            m_row[static_cast<std::size_t>(index)] = out;
            for (const std::string_view cell : cells) {
                *out++ = static_cast<char>(cell.size());
                std::memcpy(out, cell.data(), cell.size());
                out += cell.size();
                m_textBytes += static_cast<qsizetype>(cell.size());
            }
            return true;
        });
        store.close();
    }
    endResetModel();
    return complete;
}

std::string_view ExportModel::stored(int row, int field) const
{
    const char* at = m_row[static_cast<std::size_t>(row)];
    if (!at)
        return {};
    for (int i = 0; i < field; ++i)
        at += 1 + static_cast<unsigned char>(*at);
    return {at + 1, static_cast<unsigned char>(*at)};
}

int ExportModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int ExportModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1 + static_cast<int>(m_table.columns.size());
}

QVariant ExportModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const int row = index.row();
    const int column = index.column();
    if (column == 0)
        return m_row[static_cast<std::size_t>(row)] ? QString::number(row + 1) : QString();
    if (!m_edits.isEmpty()) {
        if (auto it = m_edits.constFind(key(row, column)); it != m_edits.constEnd())
            return *it;
    }
    return Cp1252::decode(stored(row, column - 1));
}

QVariant ExportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == 0)
        return kPositionCaption;
    if (section > 0 && section <= static_cast<int>(m_table.columns.size()))
        return Text::utf8(m_table.columns[static_cast<std::size_t>(section - 1)].gridCaption);
    return {};
}

Qt::ItemFlags ExportModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() > 0 && m_table.columns[static_cast<std::size_t>(index.column() - 1)].editable)
        f |= Qt::ItemIsEditable;
    return f;
}

bool ExportModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    m_edits.insert(key(index.row(), index.column()), value.toString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

std::string_view ExportModel::fileCell(int row, int field, QByteArray& scratch) const
{
    if (!m_edits.isEmpty()) {
        if (auto it = m_edits.constFind(key(row, field + 1)); it != m_edits.constEnd()) {
            scratch = Cp1252::encode(*it);
            return {scratch.constData(), static_cast<std::size_t>(scratch.size())};
        }
    }
    return stored(row, field);
}

qsizetype ExportModel::heldBytes() const
{
    qsizetype edits = 0;
    for (const QString& e : m_edits)
        edits += static_cast<qsizetype>(sizeof(quint64)) + e.size() * 2;
    return static_cast<qsizetype>(m_blocks.size()) * kBlockSize + static_cast<qsizetype>(m_row.capacity() * sizeof(const char*)) + edits;
}
