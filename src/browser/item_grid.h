// The item grid's view: a table of whole rows whose record selectors select (never resize)
// their rows and mark the current one, and whose Shift+Home and Shift+End, with or without
// Ctrl, extend the selection to the first or the last row.
#pragma once

#include <QHeaderView>
#include <QTableView>

namespace lumbrook::browser {

// The record selectors: one fixed-height section per row. The current row's selector shows
// the right-pointing marker.
class RecordSelectors : public QHeaderView {
    Q_OBJECT

  public:
    explicit RecordSelectors(QWidget* parent = nullptr);

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

class ItemGrid : public QTableView {
    Q_OBJECT

  public:
    explicit ItemGrid(QWidget* parent = nullptr);

  protected:
    // Home and End with Shift go to the first and the last row, as they do with Ctrl.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    // Qt leaves the selection alone for every movement key with Ctrl held; Home and End with
    // Shift extend it, with or without Ctrl.
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event = nullptr) const override;
};

}  // namespace lumbrook::browser
