#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include "browser/frm_main.h"
#include "browser/image_list.h"
#include "database/connection.h"
#include "database/listing_queries.h"
#include "fixture.h"
#include "global/process_state.h"
#include "platform/ui/busy_pointer.h"

namespace lumbrook::browser {
namespace {

using namespace std::string_literals;

class Browse : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::StoreConnection(db_.ConnectionString());
        database::Connection::SetCommandObserver(
            [this](const std::string& text) { queries_.push_back(text); });
        form_ = std::make_unique<frmMain>(platform::Version{1, 0, 0});
        ASSERT_TRUE(form_->Load());
        form_->show();
    }
    void TearDown() override {
        form_.reset();
        database::Connection::SetCommandObserver(nullptr);
    }

    QTreeWidgetItem* Root() { return form_->TreeView1()->topLevelItem(0); }
    QTreeWidgetItem* Child(QTreeWidgetItem* parent, const QString& text) {
        QTreeWidgetItem* child = testing::ChildNamed(parent, text);
        EXPECT_NE(child, nullptr) << "no node " << text.toStdString();
        return child;
    }
    // A point on the node's name, near its start: a long name may run past the tree's edge.
    QPoint OnName(QTreeWidgetItem* node) {
        const QRect rect = form_->TreeView1()->visualItemRect(node);
        return {rect.left() + 30, rect.center().y()};
    }
    void Click(QTreeWidgetItem* node) {
        QTreeWidget* tree = form_->TreeView1();
        tree->scrollToItem(node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, OnName(node));
    }
    // How many times the browser ran exactly `sql`.
    long Ran(const std::string& sql) const {
        return std::count(queries_.begin(), queries_.end(), sql);
    }
    // Clicks the record selector of 1-based `row`, as a person does: `at` pixels below its
    // top edge, or in its middle.
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int at = -1) {
        QHeaderView* selectors = form_->DataGrid1()->verticalHeader();
        const int y = selectors->sectionViewportPosition(row - 1) +
                      (at >= 0 ? at : selectors->sectionSize(row - 1) / 2);
        QTest::mouseClick(selectors->viewport(), Qt::LeftButton, modifiers, QPoint(5, y));
    }
    // Shift held in the grid while a record selector is clicked.
    void ShiftClickRow(int row) {
        QTest::keyPress(form_->DataGrid1(), Qt::Key_Shift);
        ClickRow(row, Qt::ShiftModifier);
        QTest::keyRelease(form_->DataGrid1(), Qt::Key_Shift);
    }
    void ChooseAlphaSet() { Click(Child(Root(), "Alpha set")); }

    const testing::ScopedConfigHome config_;
    testing::FixtureDatabase db_{testing::BrowseRows()};
    std::vector<std::string> queries_;
    std::unique_ptr<frmMain> form_;
};

// One root, folder 2 "Projects", opened on loading.
TEST_F(Browse, RootOpensWithItsFoldersAndSpotSetsSortedByName) {
    ASSERT_EQ(form_->TreeView1()->topLevelItemCount(), 1);
    QTreeWidgetItem* root = Root();
    EXPECT_EQ(root->text(0), "Projects");
    EXPECT_TRUE(root->isExpanded());
    QStringList names;
    for (int i = 0; i < root->childCount(); ++i)
        names << root->child(i)->text(0);
    EXPECT_EQ(names, QStringList({"Alpha set", "Empty set", "Middle", "Zeta folder"}));
    EXPECT_EQ(Ran(database::FolderChildrenQuery("2")), 1);
}

TEST_F(Browse, FoldersLoadOnceOnTheirFirstExpansion) {
    QTreeWidgetItem* empty = Child(Root(), "Zeta folder");
    ASSERT_EQ(empty->childCount(), 1);  // the placeholder makes it expandable
    empty->setExpanded(true);
    EXPECT_EQ(empty->childCount(), 0);  // expanding once removes the expander
    EXPECT_EQ(Ran(database::FolderChildrenQuery("30")), 1);

    QTreeWidgetItem* middle = Child(Root(), "Middle");
    middle->setExpanded(true);
    ASSERT_EQ(middle->childCount(), 1);
    EXPECT_EQ(middle->child(0)->text(0), "Inner set");
    middle->setExpanded(false);
    EXPECT_EQ(middle->icon(0).pixmap(16, 16).toImage(),
              TreePicture(kClosedFolderPicture).toImage());
    middle->setExpanded(true);
    // No second query.
    EXPECT_EQ(Ran(database::FolderChildrenQuery("32")), 1);
    EXPECT_EQ(middle->childCount(), 1);
}

TEST_F(Browse, SpotSetListsItsJobRunsAndTheFirstRunsCompletedItems) {
    ChooseAlphaSet();
    QComboBox* list = form_->cboSpotSet();
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(list->itemText(0).startsWith("1: Job run 17; "));
    EXPECT_TRUE(list->itemText(0).endsWith("; MS-MS 1 kV positive"));
    EXPECT_EQ(list->itemText(1), "2: Job run 18; ; MS reflector positive");  // NULL time

    QAbstractItemModel* grid = form_->DataGrid1()->model();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->rowCount(), 9);  // item 105 is not complete
    // The listing query's columns, named in the headers; the host's listing pins the names.
    ASSERT_EQ(grid->columnCount(), 15);
    EXPECT_EQ(grid->headerData(14, Qt::Horizontal).toString(), "JOB_RUN_ITEM_ID");
    EXPECT_EQ(grid->index(0, 3).data().toString(), "1001.123");  // rounded to 3 places
    EXPECT_EQ(grid->index(4, 14).data().toString(), "106");      // 105 is left out
    EXPECT_EQ(grid->index(0, 7).data().toString(), "");          // NULL
    // Numbers are aligned right, text and times left.
    for (const auto& [column, side] :
         {std::pair{3, Qt::AlignRight}, std::pair{1, Qt::AlignLeft}, std::pair{10, Qt::AlignLeft}})
        EXPECT_EQ(grid->index(0, column).data(Qt::TextAlignmentRole), int(side | Qt::AlignVCenter));
    EXPECT_EQ(Ran(database::CompletedItemsQuery(17)), 1);

    list->setCurrentIndex(1);  // job run 18
    EXPECT_EQ(form_->DataGrid1()->model()->rowCount(), 2);
}

// The loaded window (the root folder chosen), a folder, a spot set without job runs, a job
// run without completed items and a browser query that fails (its text shown, the pointer
// put back) leave nothing to select: no grid, and Select and the options disabled.
TEST_F(Browse, NothingToSelectDisablesTheRightHandSide) {
    const auto expectNothingToSelect = [this](const char* after) {
        EXPECT_EQ(form_->DataGrid1()->model(), nullptr) << after;
        EXPECT_FALSE(form_->DataGrid1()->isEnabled()) << after;
        EXPECT_FALSE(form_->cmdSave()->isEnabled()) << after;
        EXPECT_FALSE(form_->optSelect(0)->isEnabled()) << after;
        EXPECT_FALSE(form_->optSelect(1)->isEnabled()) << after;
    };
    EXPECT_FALSE(form_->cboSpotSet()->isEnabled());
    expectNothingToSelect("loading");
    ChooseAlphaSet();
    Click(Child(Root(), "Middle"));
    EXPECT_EQ(form_->cboSpotSet()->count(), 0);
    EXPECT_FALSE(form_->cboSpotSet()->isEnabled());
    expectNothingToSelect("a folder");

    Click(Child(Root(), "Empty set"));
    EXPECT_FALSE(form_->cboSpotSet()->isEnabled());
    expectNothingToSelect("a spot set without job runs");

    QTreeWidgetItem* middle = Child(Root(), "Middle");
    middle->setExpanded(true);
    Click(middle->child(0));
    EXPECT_EQ(form_->cboSpotSet()->count(), 1);
    expectNothingToSelect("a job run without completed items");

    db_.Run("DROP VIEW JOB_RUN_ITEM_VIEW");
    testing::MessageBoxRecorder boxes([](const auto&) { return platform::MessageResult::OK; });
    ChooseAlphaSet();
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_NE(boxes.Seen()[0].text.find("JOB_RUN_ITEM_VIEW"), std::string::npos)
        << boxes.Seen()[0].text;
    EXPECT_FALSE(form_->cboSpotSet()->isEnabled());
    expectNothingToSelect("a failing query");
    EXPECT_FALSE(platform::BusyPointerShown());
}

// A Shift-click on a record selector selects from the current row to the anchor, in either
// direction; it follows that algorithm even as the first click on a fresh grid, and after a
// refill with the anchor of an earlier list. Shift held on another control does not count,
// and with all spectra the grid keeps its own range.
TEST_F(Browse, ShiftClickOnARecordSelectorRunsFromTheCurrentRowToTheAnchor) {
    ChooseAlphaSet();
    form_->optSelect(1)->click();
    ShiftClickRow(4);
    EXPECT_EQ(form_->SelectedBookmarks(), (std::vector<long>{4}));
    ShiftClickRow(6);
    EXPECT_EQ(form_->SelectedBookmarks(), (std::vector<long>{6, 5, 4}));
    EXPECT_FALSE(form_->ShiftHeld());
    ClickRow(7);
    ShiftClickRow(3);
    EXPECT_EQ(form_->SelectedBookmarks(), (std::vector<long>{3, 4, 5, 6, 7}));

    ClickRow(3);
    form_->cboSpotSet()->setCurrentIndex(1);  // job run 18: two rows
    form_->cboSpotSet()->setCurrentIndex(0);  // job run 17 again; the anchor is still 3
    ShiftClickRow(7);
    EXPECT_EQ(form_->SelectedBookmarks(), (std::vector<long>{7, 6, 5, 4, 3}));

    ClickRow(9);
    form_->cboSpotSet()->setCurrentIndex(1);
    ShiftClickRow(1);  // towards an anchor beyond the two rows: only the rows that exist
    EXPECT_EQ(form_->SelectedBookmarks(), (std::vector<long>{1, 2}));

    form_->cboSpotSet()->setCurrentIndex(0);
    ClickRow(2);
    QTest::keyPress(form_->TreeView1(), Qt::Key_Shift);
    EXPECT_FALSE(form_->ShiftHeld());
    ClickRow(4, Qt::ControlModifier);
    EXPECT_EQ(form_->SelectedBookmarks(), (std::vector<long>{2, 4}));

    form_->optSelect(0)->click();
    ClickRow(1);
    ShiftClickRow(3);  // the grid's own range, not rebuilt
    EXPECT_EQ(form_->SelectedBookmarks().size(), 3u);
    EXPECT_FALSE(form_->ShiftHeld());
}

// A record selector selects its row wherever it is pressed, next to its edges too, and the
// row keeps its height; the current row's selector carries the marker; selected rows leave
// the column headers as they were.
TEST_F(Browse, RecordSelectorsSelectAndMarkTheirRows) {
    ChooseAlphaSet();
    form_->optSelect(1)->click();
    QTableView* grid = form_->DataGrid1();
    QHeaderView* selectors = grid->verticalHeader();
    const QImage headers = grid->horizontalHeader()->grab().toImage();
    const int height = selectors->sectionSize(0);
    for (const auto& [row, at] : {std::pair{4, 1}, std::pair{6, height - 2}}) {
        ClickRow(row, Qt::NoModifier, at);
        EXPECT_EQ(form_->SelectedBookmarks(), (std::vector<long>{row})) << row;
        EXPECT_EQ(selectors->sectionSize(row - 1), height);
    }
    EXPECT_EQ(grid->horizontalHeader()->grab().toImage(), headers);

    const auto selector = [selectors](int row) {
        return selectors
            ->grab(QRect(0, selectors->sectionViewportPosition(row), selectors->width(),
                         selectors->sectionSize(row)))
            .toImage();
    };
    grid->clearSelection();
    for (const int current : {1, 6}) {
        grid->selectionModel()->setCurrentIndex(grid->model()->index(current, 0),
                                                QItemSelectionModel::NoUpdate);
        EXPECT_EQ(selector(1) == selector(2), current != 1) << current;
    }
}

// Keys as on the platform. Tab leaves the grid for the next control of the window's order,
// arrows move within it; the tree frames the node that has the focus; Shift+Home and
// Shift+End, with Ctrl or without, extend the range from the anchor to the first or the last
// row; Enter presses the push button that has the focus and nothing elsewhere.
TEST_F(Browse, KeysAsOnThePlatform) {
    ChooseAlphaSet();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    QTableView* grid = form_->DataGrid1();
    QTreeWidget* tree = form_->TreeView1();
    const auto currentNode = [tree] {
        return tree->viewport()->grab(tree->visualItemRect(tree->currentItem())).toImage();
    };
    grid->setFocus();
    const QImage unfocused = currentNode();
    grid->setCurrentIndex(grid->model()->index(1, 2));
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(grid->currentIndex(), grid->model()->index(2, 3));
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form_->optSelect(0));
    EXPECT_EQ(grid->currentIndex(), grid->model()->index(2, 3));  // the row did not change
    // The rest of the cycle; the two options are one stop, entered at the chosen one.
    QWidget* const cycle[] = {tree, form_->cboSpotSet(), form_->cmdSave(), form_->cmdExit(), grid};
    for (QWidget* next : cycle) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
        if (next == tree) {  // the frame: at least a side's worth of pixels plainly changed
            const QImage focused = currentNode();
            int changed = 0;
            for (int y = 0; y < focused.height(); ++y)
                for (int x = 0; x < focused.width(); ++x)
                    changed +=
                        std::abs(qGray(focused.pixel(x, y)) - qGray(unfocused.pixel(x, y))) > 64;
            EXPECT_GT(changed, focused.height()) << "the focused node looks as without the focus";
        }
    }
    QTest::keyClick(grid, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), form_->cmdExit());

    form_->optSelect(1)->click();
    for (const auto& [key, modifiers, rows] :
         {std::tuple{Qt::Key_End, Qt::KeyboardModifiers(Qt::ShiftModifier),
                     std::vector<long>{9, 8, 7, 6, 5}},
          std::tuple{Qt::Key_Home, Qt::KeyboardModifiers(Qt::ShiftModifier),
                     std::vector<long>{1, 2, 3, 4, 5}},
          std::tuple{Qt::Key_End, Qt::ShiftModifier | Qt::ControlModifier,
                     std::vector<long>{9, 8, 7, 6, 5}},
          std::tuple{Qt::Key_Home, Qt::ShiftModifier | Qt::ControlModifier,
                     std::vector<long>{1, 2, 3, 4, 5}}}) {
        ClickRow(5);
        QTest::keyClick(grid, key, modifiers);
        EXPECT_EQ(form_->SelectedBookmarks(), rows) << key << " " << modifiers;
    }
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(form_->isVisible());  // Enter on a focused button: Select's test
}

// A spot set and the open root show their pictures, unchanged also when selected.
TEST_F(Browse, SelectedNodeShowsItsOwnPictureUnchanged) {
    ChooseAlphaSet();
    QTreeWidgetItem* node = form_->TreeView1()->currentItem();
    ASSERT_EQ(node, Child(Root(), "Alpha set"));
    ASSERT_TRUE(node->isSelected());
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Selected}) {
        for (const QIcon::State state : {QIcon::Off, QIcon::On}) {
            EXPECT_EQ(node->icon(0).pixmap(QSize(16, 16), mode, state).toImage(),
                      TreePicture(kSpotSetPicture).toImage());
            EXPECT_EQ(Root()->icon(0).pixmap(QSize(16, 16), mode, state).toImage(),
                      TreePicture(kOpenFolderPicture).toImage());
        }
    }
}

// Every fill sizes the columns to their headers and contents; widths the user set stay
// while the job run stays the same.
TEST_F(Browse, ColumnsFitHeadersAndContentsAndKeepTheUsersWidthsForTheSameJobRun) {
    ChooseAlphaSet();
    QTableView* grid = form_->DataGrid1();
    QHeaderView* header = grid->horizontalHeader();
    for (int column = 0; column < grid->model()->columnCount(); ++column) {
        const std::string name =
            grid->model()->headerData(column, Qt::Horizontal).toString().toStdString();
        EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << name;
        const QAbstractItemView* view = grid;  // the widest cell of the column
        EXPECT_GE(header->sectionSize(column), view->sizeHintForColumn(column)) << name;
    }

    const int fitted = header->sectionSize(0);
    header->resizeSection(0, fitted + 77);
    Click(Child(Root(), "Alpha set"));  // the same job run filled again
    EXPECT_EQ(header->sectionSize(0), fitted + 77);
    form_->cboSpotSet()->setCurrentIndex(1);  // another job run: fitted afresh
    form_->cboSpotSet()->setCurrentIndex(0);
    EXPECT_EQ(header->sectionSize(0), fitted);
}

// A tooltip gives the whole text of a cell, or of the closed job-run list, that is cut off;
// none where the text is whole.
TEST_F(Browse, CutOffTextsShowWholeInATooltip) {
    ChooseAlphaSet();
    QTableView* grid = form_->DataGrid1();
    const auto tipAt = [grid](int row, int column) {
        QToolTip::hideText();
        const QRect cell = grid->visualRect(grid->model()->index(row, column));
        QHelpEvent help(QEvent::ToolTip, cell.center(),
                        grid->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(grid->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAt(0, 1), "");  // "spot 1", whole
    grid->horizontalHeader()->resizeSection(1, 12);
    EXPECT_EQ(tipAt(0, 1), "spot 1");

    // A tree node whose name runs past the tree's edge: the tree scrolls sideways to it.
    QTreeWidget* tree = form_->TreeView1();
    const auto nodeTip = [this, tree](QTreeWidgetItem* node) {
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
        const QPoint at = OnName(node);
        QHelpEvent help(QEvent::ToolTip, at, tree->viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    const QString longName = "Inner set of the spring 2026 calibration series, second plate";
    db_.Run("UPDATE FOLDER_OBJECT SET NAME = '" + longName.toStdString() +
            "' WHERE NAME = 'Inner set'");
    EXPECT_EQ(tree->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(nodeTip(Child(Root(), "Middle")), "");
    Child(Root(), "Middle")->setExpanded(true);
    QTreeWidgetItem* inner = Child(Child(Root(), "Middle"), longName);
    EXPECT_EQ(nodeTip(inner), longName);
    EXPECT_GT(tree->horizontalScrollBar()->maximum(), 0);

    form_->cboSpotSet()->setCurrentIndex(1);  // "2: Job run 18; ; MS reflector positive"
    EXPECT_EQ(form_->cboSpotSet()->toolTip(), "");
    db_.Run(
        "UPDATE JOB_RUN SET OPMODE_NAME = 'MS-MS 1 kV positive, collision gas air, high "
        "resolution, reflector' WHERE JOB_RUN_ID = 17");
    ChooseAlphaSet();  // the job runs are read again
    EXPECT_EQ(form_->cboSpotSet()->toolTip(), form_->cboSpotSet()->currentText());
    form_->cboSpotSet()->setCurrentIndex(1);
    EXPECT_EQ(form_->cboSpotSet()->toolTip(), "");
}

// The rows in their order of selection; the rest of the choice: ShowDataBrowser's export.
TEST_F(Browse, SelectWithSelectedSpectraGivesEntriesInSelectionOrder) {
    ChooseAlphaSet();
    form_->optSelect(1)->click();
    ClickRow(5);
    ClickRow(2, Qt::ControlModifier);
    ClickRow(9, Qt::ControlModifier);
    form_->cmdSave()->setFocus();
    QTest::keyClick(form_->cmdSave(), Qt::Key_Return);
    const BrowserHandoverRecord& h = Global().BrowserHandover;
    EXPECT_TRUE(h.Accepted);  // only once the window has closed
    EXPECT_EQ(h.Descriptor, "Projects/Alpha set");
    // Row 5 is item 106 (105 is not complete), row 2 item 102, row 9 item 110.
    EXPECT_EQ(h.DescriptorList,
              "Projects/Alpha set:17:106:False:MS-MS\0"
              "Projects/Alpha set:17:102:False:MS-MS\0"
              "Projects/Alpha set:17:110:False:MS-MS"s);
    EXPECT_EQ(h.JobRunItemID, 110);
}

}  // namespace
}  // namespace lumbrook::browser
