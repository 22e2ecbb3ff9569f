#pragma once
// JobCellDelegate: paints the job table's cells as one left-aligned, elided line of plain text.
//
// The stock delegate lays every cell out as rich item text (several model roles, a text layout,
// wrapping checks); a screenful of cells then costs more than a frame. These cells are always a
// single line of text, so drawing that line directly is enough.

#include <QStyledItemDelegate>

class JobCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
