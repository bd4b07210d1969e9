// "Select": the browser's choice goes into the hand-over record, and the window closes.
#include <QComboBox>
#include <QRadioButton>
#include <QTreeWidget>

#include "browser/frm_main.h"
#include "browser/selection_handback.h"
#include "browser/value_text.h"

namespace lumbrook::browser {

void frmMain::SaveSelection() {
    QTreeWidgetItem* node = treeView1_->currentItem();
    // The button is enabled only once a spot set's items are listed, so the node has a
    // parent and a job run is chosen; anything else is left alone.
    if (node == nullptr || node->parent() == nullptr || cboSpotSet_->currentIndex() < 0)
        return;
    const std::string descriptor = (node->parent()->text(0) + "/" + node->text(0)).toStdString();
    const std::int32_t jobRunId = cboSpotSet_->currentData().toInt();
    const bool allSpectra = optSelect_[0]->isChecked();

    std::vector<SelectedRow> rows;
    if (!allSpectra && items_) {
        database::Recordset& records = items_->Records();
        const int itemColumn = records.ColumnIndex("JOB_RUN_ITEM_ID");
        const int modeColumn = records.ColumnIndex("OPMODE_NAME");
        for (long bookmark : selectedBookmarks_) {
            records.SetAbsolutePosition(bookmark);  // the row becomes the current row
            rows.push_back({ValueText(records.Field(itemColumn)).toStdString(),
                            ValueText(records.Field(modeColumn)).toStdString()});
        }
    }
    BrowserHandoverRecord& handover = Global().BrowserHandover;
    FillHandover(handover, descriptor, jobRunId, allSpectra, rows);
    // Unload, then accept. A departure kept on purpose: where an export runs, the close is
    // refused (the export is asked to stop) and the choice stays unaccepted, with the window
    // open, rather than marked accepted for a window that has not closed.
    close();
    if (!isVisible())
        handover.Accepted = true;
}

}  // namespace lumbrook::browser
