#include "app/job_cell_delegate.h"

#include <QPainter>

namespace {

// Space between a cell's left edge and its text, as the stock look has it.
constexpr int kTextMargin = 4;

}  // namespace

void JobCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active) ? QPalette::Active
                                                                               : QPalette::Inactive;
    if (selected) painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));

    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty()) return;
    const QRect textRect = option.rect.adjusted(kTextMargin, 0, -kTextMargin, 0);
    if (textRect.width() <= 0) return;
    const QFontMetrics& metrics = option.fontMetrics;
    // Line breaks inside a cell show as blanks, as on a one-line row.
    QString line = text;
    for (QChar& c : line) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t')) c = QLatin1Char(' ');
    }
    // Returns the line itself when it fits.
    const QString shown = metrics.elidedText(line, Qt::ElideRight, textRect.width());
    painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

QSize JobCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    return QSize(option.fontMetrics.horizontalAdvance(text) + 2 * kTextMargin, option.fontMetrics.height() + 6);
}
