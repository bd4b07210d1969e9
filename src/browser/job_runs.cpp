// The job-run list and the item grid of the browser window: the job runs of the clicked
// spot set, the completed items of the chosen job run, the grid's column widths, and its
// record selectors and Shift range selection.
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include "browser/cut_text_tooltip.h"
#include "browser/frm_main.h"
#include "browser/range_selection.h"
#include "browser/value_text.h"
#include "database/listing_queries.h"
#include "database/listing_text.h"
#include "platform/messages/do_events.h"
#include "platform/ui/busy_pointer.h"

namespace lumbrook::browser {

void frmMain::FillJobRuns(const QString& spotSetId) {
    platform::BusyPointer busy;
    const std::string query = database::JobRunsQuery(spotSetId.toStdString());
    database::Recordset rows;
    const bool ok = BrowserQuery(query, rows);
    {
        // Filling the list is no choice of the user's; the first entry is chosen below.
        const QSignalBlocker quiet(cboSpotSet_);
        cboSpotSet_->setEnabled(true);
        cboSpotSet_->clear();
        if (ok) {
            const int idColumn = rows.ColumnIndex("JOB_RUN_ID");
            // The position counter is a 16-bit integer on the platform: at most 32767.
            const long count = std::min<long>(rows.RecordCount(), 32767);
            for (long row = 1; row <= count; ++row) {
                const QString idText = ValueText(rows.At(row, idColumn));
                const auto column = [&](const char* name) {
                    return rows.At(row, rows.ColumnIndex(name));
                };
                const std::string entry = database::JobRunEntryText(
                    row, column("JOB_RUN_ID"), column("JOB_FINISH_TIME"), column("OPMODE_NAME"));
                cboSpotSet_->addItem(QString::fromStdString(entry), idText.toInt());
            }
        }
    }
    if (cboSpotSet_->count() > 0) {
        cboSpotSet_->setCurrentIndex(0);
        JobRunChosen();
        return;
    }
    ClearRightHandSide();  // a spot set without job runs: nothing to choose from
}

void frmMain::JobRunChosen() {
    ShowCutTextAsTooltip(cboSpotSet_);
    if (cboSpotSet_->currentIndex() >= 0)
        FillItems();
}

void frmMain::FillItems() {
    platform::BusyPointer busy;
    dataGrid1_->setEnabled(false);
    // Lets the grid be drawn disabled; a click already queued runs here, before the refill.
    platform::DoEvents();
    if (cboSpotSet_->currentIndex() < 0)
        return;
    const int jobRunId = cboSpotSet_->currentData().toInt();
    const std::string query = database::CompletedItemsQuery(jobRunId);
    database::Recordset rows;
    const bool ok = BrowserQuery(query, rows);
    if (!ok || rows.RecordCount() == 0) {
        // No completed item (or the query failed): nothing to select from, as in the other
        // empty cases.
        UnbindItems();
        cmdSave_->setEnabled(false);
        optSelect_[0]->setEnabled(false);
        optSelect_[1]->setEnabled(false);
        return;
    }
    UnbindItems();
    items_ = std::make_unique<ItemTableModel>(std::move(rows));
    dataGrid1_->setModel(items_.get());
    rowSelected_.assign(static_cast<std::size_t>(items_->rowCount()) + 1, false);
    connect(dataGrid1_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmMain::GridSelectionChanged);
    boundJobRun_ = jobRunId;
    SizeColumns();
    dataGrid1_->setEnabled(true);
    cmdSave_->setEnabled(true);
    optSelect_[0]->setEnabled(true);
    optSelect_[1]->setEnabled(true);
}

void frmMain::UnbindItems() {
    if (items_) {
        // The widths the grid had, in case the same job run is filled again.
        QHeaderView* header = dataGrid1_->horizontalHeader();
        columnWidths_.clear();
        for (int column = 0; column < header->count(); ++column)
            columnWidths_.push_back(header->sectionSize(column));
        widthsJobRun_ = boundJobRun_;
    }
    dataGrid1_->setModel(nullptr);
    items_.reset();
    boundJobRun_ = 0;
    selectedBookmarks_.clear();
    rowSelected_.clear();
    selectorAnchorRow_ = -1;
}

void frmMain::SizeColumns() {
    QHeaderView* header = dataGrid1_->horizontalHeader();
    if (boundJobRun_ == widthsJobRun_ &&
        columnWidths_.size() == static_cast<std::size_t>(header->count())) {
        // The same job run again: the widths the user left it with.
        for (int column = 0; column < header->count(); ++column)
            header->resizeSection(column, columnWidths_[column]);
        return;
    }
    // Every header and every value whole (the values of the first thousand rows about the
    // visible ones are measured, which is enough for columns of one format each).
    dataGrid1_->resizeColumnsToContents();
}

void frmMain::GridSelectionChanged(const QItemSelection& selected,
                                   const QItemSelection& deselected) {
    // Keep the bookmarks in the order the rows joined the selection. The selection arrives as
    // ranges of rows; every step here is linear in the rows that changed or were selected, so
    // a range of 20,000 rows costs no more than 20,000 small steps.
    if (!items_ || sender() != dataGrid1_->selectionModel())
        return;  // the selection of a list no longer shown
    bool removed = false;
    for (const QItemSelectionRange& range : deselected) {
        if (range.left() != 0)
            continue;
        for (int row = range.top(); row <= range.bottom(); ++row) {
            removed |= rowSelected_[row + 1];
            rowSelected_[row + 1] = false;
        }
    }
    if (removed) {
        std::erase_if(selectedBookmarks_,
                      [this](long bookmark) { return !rowSelected_[bookmark]; });
    }
    for (const QItemSelectionRange& range : selected) {
        if (range.left() != 0)
            continue;
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (!rowSelected_[row + 1]) {
                rowSelected_[row + 1] = true;
                selectedBookmarks_.push_back(row + 1);
            }
        }
    }
    if (adjustingSelection_)
        return;

    const QModelIndex current = dataGrid1_->selectionModel()->currentIndex();
    if (optSelect_[1]->isChecked() && !selectedBookmarks_.empty() && current.isValid()) {
        const long currentBookmark = current.row() + 1;
        if (shiftHeld_ && rangeAnchor_ > 0) {
            platform::BusyPointer busy;
            SelectRange(RangeRows(currentBookmark, rangeAnchor_, items_->rowCount()));
        } else {
            rangeAnchor_ = currentBookmark;
        }
    }
    shiftHeld_ = false;
}

void frmMain::SelectRange(const std::vector<long>& bookmarks) {
    // The rows of a range are consecutive: the grid is given them as one block, in a single
    // change, and the order comes from `bookmarks`.
    adjustingSelection_ = true;
    QItemSelectionModel* selection = dataGrid1_->selectionModel();
    selection->clearSelection();
    if (!bookmarks.empty()) {
        const auto [first, last] = std::minmax_element(bookmarks.begin(), bookmarks.end());
        const int lastColumn = items_->columnCount() - 1;
        selection->select(QItemSelection(items_->index(static_cast<int>(*first - 1), 0),
                                         items_->index(static_cast<int>(*last - 1), lastColumn)),
                          QItemSelectionModel::Select);
    }
    selectedBookmarks_ = bookmarks;
    adjustingSelection_ = false;
}

void frmMain::RecordSelectorPressed(int row) {
    // A record selector selects its row as the grid's own behaviour has it: alone, added or
    // taken away with Ctrl, and with Shift the rows from the selector last pressed without
    // it (the row alone when there is none in this list). The selection change then runs
    // the range selection like any other.
    if (!items_)
        return;
    QItemSelectionModel* selection = dataGrid1_->selectionModel();
    const Qt::KeyboardModifiers modifiers = QApplication::keyboardModifiers();
    const int column = std::max(0, selection->currentIndex().column());
    // The current row changes first, so that the selection change sees it.
    selection->setCurrentIndex(items_->index(row, column), QItemSelectionModel::NoUpdate);
    const int lastColumn = items_->columnCount() - 1;
    if (modifiers & Qt::ControlModifier) {
        selectorAnchorRow_ = row;
        selection->select(QItemSelection(items_->index(row, 0), items_->index(row, lastColumn)),
                          QItemSelectionModel::Toggle);
        return;
    }
    const int from =
        (modifiers & Qt::ShiftModifier) && selectorAnchorRow_ >= 0 ? selectorAnchorRow_ : row;
    if (!(modifiers & Qt::ShiftModifier))
        selectorAnchorRow_ = row;
    selection->select(QItemSelection(items_->index(std::min(from, row), 0),
                                     items_->index(std::max(from, row), lastColumn)),
                      QItemSelectionModel::ClearAndSelect);
}

void frmMain::RecordSelectorDragged(int row) {
    // Dragging over the record selectors with the button held extends from the one pressed.
    if (!items_ || selectorAnchorRow_ < 0 || !(QApplication::mouseButtons() & Qt::LeftButton))
        return;
    QItemSelectionModel* selection = dataGrid1_->selectionModel();
    selection->setCurrentIndex(items_->index(row, std::max(0, selection->currentIndex().column())),
                               QItemSelectionModel::NoUpdate);
    selection->select(
        QItemSelection(items_->index(std::min(selectorAnchorRow_, row), 0),
                       items_->index(std::max(selectorAnchorRow_, row), items_->columnCount() - 1)),
        QItemSelectionModel::ClearAndSelect);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    // Shift tracking sees only the grid's own key events: Shift pressed while another
    // control has the focus does not count.
    if (watched == dataGrid1_ &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Shift)
            shiftHeld_ = event->type() == QEvent::KeyPress;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace lumbrook::browser
