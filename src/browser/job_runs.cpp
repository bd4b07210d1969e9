// The job-run list and the item grid of the browser window: the job runs of the clicked
// spot set, the completed items of the chosen job run, and the grid's Shift range
// selection.
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include "browser/frm_main.h"
#include "browser/range_selection.h"
#include "browser/value_text.h"
#include "platform/messages/do_events.h"
#include "platform/ui/busy_pointer.h"

namespace lumbrook::browser {
namespace {

// One entry of the job-run list: position, ": Job run ", id, "; ", finish time, "; ", mode.
// A NULL adds nothing; its separators stay.
QString JobRunEntryText(int position, const database::Recordset& rows, long row) {
    const auto text = [&](const char* column) {
        return ValueText(rows.At(row, rows.ColumnIndex(column)));
    };
    return QString::number(position) + ": Job run " + text("JOB_RUN_ID") + "; " +
           text("JOB_FINISH_TIME") + "; " + text("OPMODE_NAME");
}

}  // namespace

void frmMain::FillJobRuns(const QString& spotSetId) {
    platform::BusyPointer busy;
    const std::string query =
        "SELECT DISTINCT SPOT_SET_ID, OPMODE_NAME, JOB_RUN_ID, JOB_FINISH_TIME "
        "FROM JOB_RUN_ITEM_VIEW WHERE SPOT_SET_ID = " +
        spotSetId.toStdString() + " ORDER BY JOB_RUN_ID";
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
                cboSpotSet_->addItem(JobRunEntryText(static_cast<int>(row), rows, row),
                                     idText.toInt());
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
    const std::string query =
        "SELECT DISTINCT SPOT_LABEL, SPOT_NAME, SPOT_TYPE, "
        "ROUND(PRECURSOR_MASS,3) AS PRECURSOR_MASS, OPMODE_NAME, ACQ_STATUS, PROC_STATUS, "
        "INTERP_STATUS, JOB_SUBMIT_TIME, JOB_START_TIME, JOB_FINISH_TIME, SPOT_SET_ID, "
        "SPOT_ID, JOB_RUN_ID, JOB_RUN_ITEM_ID FROM JOB_RUN_ITEM_VIEW WHERE JOB_RUN_ID = " +
        std::to_string(jobRunId) + " AND JOB_RUN_NUMERIC_STATUS = 9 ORDER BY JOB_RUN_ITEM_ID";
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
    connect(dataGrid1_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmMain::GridSelectionChanged);
    dataGrid1_->setEnabled(true);
    cmdSave_->setEnabled(true);
    optSelect_[0]->setEnabled(true);
    optSelect_[1]->setEnabled(true);
}

void frmMain::UnbindItems() {
    dataGrid1_->setModel(nullptr);
    items_.reset();
    selectedBookmarks_.clear();
}

void frmMain::GridSelectionChanged(const QItemSelection& selected,
                                   const QItemSelection& deselected) {
    // Keep the bookmarks in the order the rows joined the selection.
    for (const QModelIndex& index : deselected.indexes()) {
        if (index.column() != 0)
            continue;
        std::erase(selectedBookmarks_, static_cast<long>(index.row() + 1));
    }
    for (const QModelIndex& index : selected.indexes()) {
        const long bookmark = index.row() + 1;
        if (index.column() == 0 && std::find(selectedBookmarks_.begin(), selectedBookmarks_.end(),
                                             bookmark) == selectedBookmarks_.end()) {
            selectedBookmarks_.push_back(bookmark);
        }
    }
    if (adjustingSelection_)
        return;

    const QModelIndex current = dataGrid1_->selectionModel()->currentIndex();
    if (optSelect_[1]->isChecked() && !selectedBookmarks_.empty() && current.isValid()) {
        const long currentBookmark = current.row() + 1;
        if (shiftHeld_ && rangeAnchor_ > 0) {
            SelectRows(RangeRows(currentBookmark, rangeAnchor_, items_->rowCount()));
        } else {
            rangeAnchor_ = currentBookmark;
        }
    }
    shiftHeld_ = false;
}

void frmMain::SelectRows(const std::vector<long>& bookmarks) {
    adjustingSelection_ = true;
    QItemSelectionModel* selection = dataGrid1_->selectionModel();
    selection->clearSelection();
    for (long bookmark : bookmarks) {
        selection->select(items_->index(static_cast<int>(bookmark - 1), 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    adjustingSelection_ = false;
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
