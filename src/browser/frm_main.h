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
    // The item recordset's model, or null while the grid is unbound.
    ItemTableModel* Items() const { return items_.get(); }
    // Whether the grid has seen Shift go down and not yet up.
    bool ShiftHeld() const { return shiftHeld_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

  private:
    // The window (frm_main.cpp).
    void BuildControls();
    bool ConnectLoop();
    bool OpenSharedConnection();
    void Unload();
    void BringForward();
    // Runs a browser query on the shared connection; on failure shows the database's text
    // and returns false.
    bool BrowserQuery(const std::string& text, database::Recordset& result);

    // The folder tree (folder_tree.cpp).
    void InitialiseTree();
    void NodeExpanded(QTreeWidgetItem* node);
    void NodeCollapsed(QTreeWidgetItem* node);
    void NodeClicked(QTreeWidgetItem* node);
    void LoadFolderChildren(QTreeWidgetItem* node);
    void ClearRightHandSide();

    // The job runs and the item grid (job_runs.cpp).
    void FillJobRuns(const QString& spotSetId);
    void JobRunChosen();
    void FillItems();
    void UnbindItems();
    // Sizes the bound grid's columns to their contents, or back to the widths the user
    // left them at when the same job run was shown last.
    void SizeColumns();
    void GridSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    // Makes the selection exactly the consecutive rows `bookmarks`, in that order.
    void SelectRange(const std::vector<long>& bookmarks);
    void RecordSelectorPressed(int row);
    void RecordSelectorDragged(int row);
    bool eventFilter(QObject* watched, QEvent* event) override;

    // "Select" (select.cpp).
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
