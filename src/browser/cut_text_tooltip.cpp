#include "browser/cut_text_tooltip.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolTip>

namespace lumbrook::browser {

bool CutTextTooltipDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                       const QStyleOptionViewItem& option,
                                       const QModelIndex& index) {
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QStyle* style = view->style();
    // The room the style leaves the text, and the width the text needs, as the cell draws it.
    // A text is cut as much by the view's edge as by its cell's: only what the viewport
    // shows of the text's room counts.
    const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, view)
                           .intersected(view->viewport()->rect());
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const int needed = cell.fontMetrics.horizontalAdvance(cell.text) + 2 * margin;
    if (!cell.text.isEmpty() && needed > room.width()) {
        QToolTip::showText(event->globalPos(), cell.text, view->viewport(), option.rect);
    } else {
        QToolTip::hideText();
    }
    return true;
}

void TreeNodeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem node = option;
    node.state &= ~QStyle::State_HasFocus;
    CutTextTooltipDelegate::paint(painter, node, index);
    if (!(option.state & QStyle::State_HasFocus))
        return;
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setPen(
        QPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text), 1,
             Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

void ShowCutTextAsTooltip(QComboBox* list) {
    QStyleOptionComboBox closed;
    closed.initFrom(list);
    closed.editable = list->isEditable();
    closed.currentText = list->currentText();
    const QRect room = list->style()->subControlRect(QStyle::CC_ComboBox, &closed,
                                                     QStyle::SC_ComboBoxEditField, list);
    const bool cut = list->fontMetrics().horizontalAdvance(closed.currentText) > room.width();
    list->setToolTip(cut ? closed.currentText : QString());
}

}  // namespace lumbrook::browser
