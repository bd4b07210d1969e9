// The folder tree of the browser window: the root, lazy loading of a folder's children on
// its first expansion, the pictures that follow expansion, and node clicks.
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QTreeWidget>

#include "browser/frm_main.h"
#include "browser/image_list.h"
#include "browser/tree_nodes.h"
#include "browser/value_text.h"
#include "database/listing_queries.h"
#include "platform/ui/busy_pointer.h"

namespace lumbrook::browser {
namespace {

// A new child of `parent` with its text and picture, and its key unless that is empty.
QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& key, const QString& text,
                         const char* picture) {
    auto* node = new QTreeWidgetItem(parent, QStringList(text));
    if (!key.isEmpty())
        node->setData(0, kNodeKeyRole, key);
    node->setIcon(0, TreeIcon(picture));
    return node;
}

// Gives an unloaded folder the keyless child that makes it expandable.
void AddPlaceholder(QTreeWidgetItem* parent) {
    AddNode(parent, QString(), kPlaceholderText, kClosedFolderPicture);
}

}  // namespace

void frmMain::InitialiseTree() {
    auto* root = new QTreeWidgetItem(treeView1_, QStringList(kRootText));
    root->setData(0, kNodeKeyRole, QString(kRootKey));
    root->setIcon(0, TreeIcon(kClosedFolderPicture));
    AddPlaceholder(root);
    root->setExpanded(true);  // runs the expand handling, which loads the root's children
    {
        // Selecting the root is no click of its own; the click is handled just below.
        const QSignalBlocker quiet(treeView1_);
        treeView1_->setCurrentItem(root);
    }
    NodeClicked(root);
}

void frmMain::NodeExpanded(QTreeWidgetItem* node) {
    const QString key = NodeKey(node);
    if (!IsFolderKey(key))
        return;
    // A folder is queried once, on its first expansion: its placeholder goes, its children
    // come. Later expansions show what was loaded then.
    if (node->childCount() > 0 && node->child(0)->text(0) == kPlaceholderText) {
        delete node->takeChild(0);
        LoadFolderChildren(node);
    }
    node->setIcon(0, TreeIcon(kOpenFolderPicture));
}

void frmMain::NodeCollapsed(QTreeWidgetItem* node) {
    if (IsFolderKey(NodeKey(node)))
        node->setIcon(0, TreeIcon(kClosedFolderPicture));
}

void frmMain::LoadFolderChildren(QTreeWidgetItem* node) {
    platform::BusyPointer busy;
    const QString folderId = KeyId(NodeKey(node));
    const std::string query = database::FolderChildrenQuery(folderId.toStdString());
    database::Recordset rows;
    // A failed load leaves the folder without children until the window opens again; the
    // user has seen the database's text.
    if (!BrowserQuery(query, rows))
        return;
    const int idColumn = rows.ColumnIndex("FOLDER_OBJECT_ID");
    const int nameColumn = rows.ColumnIndex("NAME");
    const int typeColumn = rows.ColumnIndex("OBJECT_TYPE");
    for (long row = 1; row <= rows.RecordCount(); ++row) {
        const QString id = ValueText(rows.At(row, idColumn));
        const QString name = ValueText(rows.At(row, nameColumn));
        if (ValueText(rows.At(row, typeColumn)) == "2") {
            AddPlaceholder(AddNode(node, "folder_" + id, name, kClosedFolderPicture));
        } else {
            AddNode(node, "spotset_" + id, name, kSpotSetPicture);
        }
    }
}

void frmMain::NodeClicked(QTreeWidgetItem* node) {
    const QString key = NodeKey(node);
    if (IsSpotSetKey(key)) {
        FillJobRuns(KeyId(key));
        return;
    }
    ClearRightHandSide();
}

void frmMain::ClearRightHandSide() {
    cboSpotSet_->clear();
    cboSpotSet_->setEnabled(false);
    UnbindItems();
    dataGrid1_->setEnabled(false);
    cmdSave_->setEnabled(false);
    optSelect_[0]->setEnabled(false);
    optSelect_[1]->setEnabled(false);
}

}  // namespace lumbrook::browser
