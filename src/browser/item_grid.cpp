#include "browser/item_grid.h"

#include <QKeyEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

namespace lumbrook::browser {
namespace {

// Whether `event` is Home or End pressed with Shift (Ctrl may be held too).
bool IsShiftHomeOrEnd(const QEvent* event) {
    if (event == nullptr || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return (key->key() == Qt::Key_Home || key->key() == Qt::Key_End) &&
           (key->modifiers() & Qt::ShiftModifier);
}

// The application's style, except that a header section has no grip at its edges: the
// header takes a press there for the grip even of a section that cannot be resized, and
// then selects nothing.
class NoGripStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_HeaderGripMargin)
            return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

}  // namespace

RecordSelectors::RecordSelectors(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
    // A press anywhere on a selector selects its row; the rows keep one height.
    setSectionResizeMode(QHeaderView::Fixed);
    auto* style = new NoGripStyle;
    style->setParent(this);
    setStyle(style);
    setSectionsClickable(true);
    setHighlightSections(true);
}

void RecordSelectors::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    const QItemSelectionModel* selection = selectionModel();
    if (selection == nullptr || selection->currentIndex().row() != logicalIndex)
        return;
    // The marker: a square as high as the text, centred in the selector. The header repaints
    // the old and the new current row's sections when the current row changes.
    const int side = std::min(rect.width(), fontMetrics().height()) - 4;
    QStyleOption marker;
    marker.initFrom(this);
    marker.rect = QRect(0, 0, side, side);
    marker.rect.moveCenter(rect.center());
    painter->save();
    // The style leaves the painter clipped to nothing once it has drawn the section.
    painter->setClipRect(rect);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowRight, &marker, painter, this);
    painter->restore();
}

ItemGrid::ItemGrid(QWidget* parent) : QTableView(parent) {
    setVerticalHeader(new RecordSelectors(this));
    // Whole rows are selected: every column header would turn bold.
    horizontalHeader()->setHighlightSections(false);
}

QModelIndex ItemGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if ((action == MoveHome || action == MoveEnd) && (modifiers & Qt::ShiftModifier))
        modifiers |= Qt::ControlModifier;
    return QTableView::moveCursor(action, modifiers);
}

QItemSelectionModel::SelectionFlags ItemGrid::selectionCommand(const QModelIndex& index,
                                                               const QEvent* event) const {
    if (IsShiftHomeOrEnd(event) && selectionMode() == ExtendedSelection)
        return QItemSelectionModel::SelectCurrent | QItemSelectionModel::Rows;
    return QTableView::selectionCommand(index, event);
}

}  // namespace lumbrook::browser
