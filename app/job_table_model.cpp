#include "app/job_table_model.h"

#include <algorithm>
#include <string>

#include "app/gbk_qstring.h"

namespace {

constexpr Qt::Alignment kCellAlignment = Qt::AlignLeft | Qt::AlignVCenter;

}  // namespace

JobTableModel::JobTableModel(JobTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), shownRows_(table.rowCount())
{
    for (int c = 0; c < JobTable::kColumnCount; ++c) titles_.push_back(gbkToQString(JobTable::columnTitle(c)));
    table_.setListener(this);
}

JobTableModel::~JobTableModel()
{
    table_.setListener(nullptr);
}

int JobTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shownRows_;
}

int JobTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : JobTable::kColumnCount;
}

int JobTableModel::storeRow(int viewRow) const
{
    if (removingCount_ == 0 || viewRow < removingFirst_) return viewRow;
    if (viewRow < removingFirst_ + removingCount_) return -1;
    return viewRow - removingCount_;
}

QVariant JobTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= shownRows_ || index.column() >= JobTable::kColumnCount) return {};
    switch (role) {
    case Qt::DisplayRole: {
        const int row = storeRow(index.row());
        // A row the store no longer has (missing rows read as "" from cellView).
        return gbkToQString(table_.cellView(row, index.column()));
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(kCellAlignment);
    default:
        return {};
    }
}

QVariant JobTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
    if (section < 0 || section >= JobTable::kColumnCount) return {};
    switch (role) {
    case Qt::DisplayRole:
        return titles_[section];
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(kCellAlignment);
    default:
        return {};
    }
}

void JobTableModel::rowsAppended(int first, int count)
{
    if (count <= 0) return;
    // The store only ever appends at its end; anything else means the view is out of step.
    if (first != shownRows_ || first + count != table_.rowCount()) {
        tableReset();
        return;
    }
    beginInsertRows(QModelIndex(), first, first + count - 1);
    shownRows_ += count;
    endInsertRows();
}

void JobTableModel::rowsRemoved(int first, int count)
{
    if (count <= 0) return;
    if (first < 0 || first + count > shownRows_ || shownRows_ - count != table_.rowCount()) {
        tableReset();
        return;
    }
    removingFirst_ = first;
    removingCount_ = count;
    beginRemoveRows(QModelIndex(), first, first + count - 1);
    shownRows_ -= count;
    removingFirst_ = -1;
    removingCount_ = 0;
    endRemoveRows();
}

void JobTableModel::cellsChanged(int firstRow, int lastRow)
{
    if (shownRows_ != table_.rowCount()) {
        tableReset();
        return;
    }
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, shownRows_ - 1);
    if (firstRow > lastRow) return;
    emit dataChanged(index(firstRow, 0), index(lastRow, JobTable::kColumnCount - 1), {Qt::DisplayRole});
}

void JobTableModel::tableReset()
{
    beginResetModel();
    shownRows_ = table_.rowCount();
    endResetModel();
}
