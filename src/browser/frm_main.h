// frmMain: the data browser. A modal window in which the user picks a spot set, one of its
// job runs, and all or some of its spectra. It owns the browser's shared connection from
// load to unload.
#pragma once

#include <QDialog>
#include <QItemSelection>
#include <memory>
#include <string>
#include <vector>

#include "browser/item_model.h"
#include "database/recordset.h"
#include "platform/app/app.h"

class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

namespace lumbrook::platform {
class InstanceChannel;
}

namespace lumbrook::browser {

class frmMain : public QDialog {
    Q_OBJECT

  public:
    // `version` is the program's, shown in the caption.
    explicit frmMain(const platform::Version& version, QWidget* parent = nullptr);
    ~frmMain() override;

    // The load sequence. False when the window closed itself while loading (another instance
    // runs, the user gave up connecting, or the shared connection failed to open); it must
    // then not be shown.
    bool Load();
    // Why the last Load gave false, in words for the user ("no connection was made").
    const std::string& WhyNotShown() const { return whyNotShown_; }

    // The controls, for tests that drive the window as a person would.
    QGroupBox* Frame4() const { return frame4_; }
    QTreeWidget* TreeView1() const { return treeView1_; }
    QComboBox* cboSpotSet() const { return cboSpotSet_; }
    QRadioButton* optSelect(int index) const { return optSelect_[index]; }
    QTableView* DataGrid1() const { return dataGrid1_; }
    QPushButton* cmdSave() const { return cmdSave_; }
    QPushButton* cmdExit() const { return cmdExit_; }

    // The tree node's key ("folder_2", "spotset_17"); empty for the placeholder.
    static QString NodeKey(const QTreeWidgetItem* node);

    // The grid's selected bookmarks (1-based rows), in the order they were selected.
    const std::vector<long>& SelectedBookmarks() const { return selectedBookmarks_; }
    // Whether the grid has seen Shift go down and not yet up.
    bool ShiftHeld() const { return shiftHeld_; }

  protected:
    // While an export runs, every way of closing the window (the close box, Cancel, Esc,
    // Select) only asks the export to stop, and the window stays open.
    void closeEvent(QCloseEvent* event) override;
    // Leaves the window where the window system puts new windows: QDialog would centre it,
    // which gives it a position of its own.
    void showEvent(QShowEvent* event) override;
    // Esc presses Cancel; Enter presses the focused push button.
    void keyPressEvent(QKeyEvent* event) override;
    // Unloads, then closes, unless an export runs (see closeEvent).
    void done(int result) override;

  private:
    // The window (frm_main.cpp).
    // Makes the controls in their first layout, which Load then completes.
    void BuildControls();
    // Probes the connection string in use until a database answers: each failure offers the
    // connection dialog, and Cancel on that offer gives false.
    bool ConnectLoop();
    // Opens the process-wide shared connection the browser's queries run on; false, after
    // showing the database's text, when it cannot be opened.
    bool OpenSharedConnection();
    // Gives up the window's instance claim and closes the shared connection; only the
    // first call does anything.
    void Unload();
    // Raises whatever this process shows at the moment, at another instance's request.
    void BringForward();
    // Runs a browser query on the shared connection; on failure shows the database's text
    // and returns false.
    bool BrowserQuery(const std::string& text, database::Recordset& result);

    // The folder tree (folder_tree.cpp).
    // Adds the root, expanded with its children loaded, and clicks it.
    void InitialiseTree();
    // A folder's first expansion replaces its placeholder with its children; every expansion
    // or collapse shows the open or the closed folder picture.
    void NodeExpanded(QTreeWidgetItem* node);
    void NodeCollapsed(QTreeWidgetItem* node);
    // A spot set lists its job runs; any other node empties the right-hand side.
    void NodeClicked(QTreeWidgetItem* node);
    // Adds the folders and spot sets inside a folder, each folder with a placeholder child.
    void LoadFolderChildren(QTreeWidgetItem* node);
    // Empties and disables the job-run list, the grid, Select and the two options.
    void ClearRightHandSide();

    // The job runs and the item grid (job_runs.cpp).
    // Lists the spot set's job runs and chooses the first; without any, empties the
    // right-hand side.
    void FillJobRuns(const QString& spotSetId);
    // The chosen job run: its tooltip, and its completed items in the grid.
    void JobRunChosen();
    // Binds the grid to the chosen job run's completed items and enables the choice; with no
    // completed item, the grid stays empty and Select and the options disabled.
    void FillItems();
    // Takes the grid's rows and selection away, keeping its column widths for the job run
    // it showed.
    void UnbindItems();
    // Sizes the bound grid's columns to their contents, or back to the widths the user
    // left them at when the same job run was shown last.
    void SizeColumns();
    // Keeps the selected bookmarks in the order the rows joined the selection, and with
    // "Export selected spectra only" and Shift held extends the selection from the anchor
    // row to the current one (RangeRows).
    void GridSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    // Makes the selection exactly the consecutive rows `bookmarks`, in that order.
    void SelectRange(const std::vector<long>& bookmarks);
    // A record selector pressed or dragged over selects rows as the grid itself would: the
    // row alone, Ctrl toggling it, Shift or a drag extending from the selector last pressed.
    void RecordSelectorPressed(int row);
    void RecordSelectorDragged(int row);
    // Follows Shift going down and up while the grid has the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // "Select" (select.cpp).
    // Puts the choice into the hand-over record and closes; the record is marked accepted
    // only when the window did close.
    void SaveSelection();

    platform::Version version_;
    QGroupBox* frame4_ = nullptr;
    QTreeWidget* treeView1_ = nullptr;
    QComboBox* cboSpotSet_ = nullptr;
    QRadioButton* optSelect_[2] = {nullptr, nullptr};
    QTableView* dataGrid1_ = nullptr;
    QPushButton* cmdSave_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
    std::unique_ptr<platform::InstanceChannel> instance_;
    bool unloaded_ = false;
    std::string whyNotShown_;

    // The item recordset, as the grid's data source; null while the grid is unbound.
    std::unique_ptr<ItemTableModel> items_;
    // The job run the grid shows (0: none), and the one whose column widths were kept when
    // the grid was last unbound, with those widths.
    int boundJobRun_ = 0;
    int widthsJobRun_ = 0;
    std::vector<int> columnWidths_;
    // The grid's selection: bookmarks in the order the rows were added to it, and for each
    // bookmark whether it is in the selection (index 0 unused).
    std::vector<long> selectedBookmarks_;
    std::vector<bool> rowSelected_;
    // The 0-based row whose record selector was last pressed without Shift in this list,
    // where the grid's own Shift selection on the selectors starts; -1 for none.
    int selectorAnchorRow_ = -1;
    // The range selection state.
    bool shiftHeld_ = false;
    long rangeAnchor_ = 0;  // 0: no anchor
    // True while the window itself changes the grid's selection.
    bool adjustingSelection_ = false;
};

}  // namespace lumbrook::browser
