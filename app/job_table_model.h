#pragma once
// JobTableModel: the table view's window onto JobTable. It holds no rows of its own; each painted
// cell is read from the store and converted from GBK at that moment.
//
// The store tells its listener after a change has happened. The model keeps the row count the
// view last heard of (shownRows_) and turns each notification into the matching begin/end pair,
// so the view's idea of the rows only changes inside those pairs. While the view may still show
// more rows than the store holds (a batch that deleted rows has not ended yet), the missing rows
// read as empty.

#include <QAbstractTableModel>
#include <QString>
#include <QVector>

#include "data/job_table.h"

class JobTableModel : public QAbstractTableModel, public JobTableListener {
    Q_OBJECT

public:
    // Becomes the table's listener; stops listening when destroyed.
    explicit JobTableModel(JobTable& table, QObject* parent = nullptr);
    ~JobTableModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // JobTableListener
    void rowsAppended(int first, int count) override;
    void rowsRemoved(int first, int count) override;
    void cellsChanged(int firstRow, int lastRow) override;
    void tableReset() override;

private:
    // The store row behind a view row while a removal is being announced; -1 for none.
    int storeRow(int viewRow) const;

    JobTable& table_;
    int shownRows_ = 0;
    QVector<QString> titles_;
    // Rows already gone from the store while the view hears of their removal.
    int removingFirst_ = -1;
    int removingCount_ = 0;
};
