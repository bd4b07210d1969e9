// Tooltips that give the whole of a text the browser shows cut off: in the item grid's cells
// and in the closed job-run list. Where a text is whole, there is no tooltip.
#pragma once

#include <QStyledItemDelegate>

class QComboBox;

namespace lumbrook::browser {

// The grid's cells as usual, and on a tooltip request the cell's whole text when its column
// is too narrow for it.
class CutTextTooltipDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};

// Gives `list` its current entry's text as tooltip when the closed list cannot show it whole,
// and no tooltip otherwise. Call it whenever the current entry changes.
void ShowCutTextAsTooltip(QComboBox* list);

}  // namespace lumbrook::browser
