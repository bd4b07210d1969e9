// Tooltips that give the whole of a text the browser shows cut off: in the item grid's cells,
// in the folder tree and in the closed job-run list. Where a text is whole, there is no
// tooltip.
#pragma once

#include <QStyledItemDelegate>

class QComboBox;

namespace lumbrook::browser {

// Cells as usual, and on a tooltip request the cell's whole text when its column is too
// narrow for it or the view's edge cuts it.
class CutTextTooltipDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};

// The folder tree's nodes: cut names as above, and around the node that has the focus (while
// the tree has it) a dotted frame in the colour of the node's text. The style's own frame is
// too faint to find on the selection's colour.
class TreeNodeDelegate : public CutTextTooltipDelegate {
    Q_OBJECT

  public:
    using CutTextTooltipDelegate::CutTextTooltipDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// Gives `list` its current entry's text as tooltip when the closed list cannot show it whole,
// and no tooltip otherwise. Call it whenever the current entry changes.
void ShowCutTextAsTooltip(QComboBox* list);

}  // namespace lumbrook::browser
