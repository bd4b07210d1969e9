// Times the browser's largest operations under the offscreen platform:
//   a folder with 5,000 children expanded for the first time (one query, 5,000 nodes);
//   a spot set clicked whose job run has 5,000 completed items (job-run list and grid);
//   Shift ranges of 200, 2,000 and 20,000 rows made on the record selectors of a job run of
//   20,000 items, each from a plain click on row 1 (the three figures show how the cost grows).
// Prints one line per measurement; exits 1 when one misses its target.
#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "browser/frm_main.h"
#include "fixture.h"
#include "platform/app/app.h"
#include "settings/preferences.h"
#include "settings/settings_store.h"
#include "support/fixture_database.h"
#include "support/test_environment.h"

namespace {

constexpr int kChildren = 5000;
constexpr int kItems = 5000;
constexpr int kRangeItems = 20000;
constexpr double kTargetSeconds = 0.5;
// A Shift range must feel immediate, whatever its length.
constexpr double kRangeTargetSeconds = 0.2;

// A folder of kChildren children, a spot set whose job run has kItems completed items and
// one whose job run has kRangeItems. Masses go in as the decimal text of std::to_string.
lumbrook::testing::Rows BenchRows() {
    using namespace lumbrook::testing;
    Rows rows;
    rows.folders = {{2, {}, "Projects"},
                    {3, 2, "Big folder"},
                    {4, 2, "Big spot set", kSpotSetType},
                    {5, 2, "Huge spot set", kSpotSetType}};
    rows.jobRuns = {{12, 4, "MS-MS 1 kV positive", "2026-03-01 09:00:00", "2026-03-01 09:05:00",
                     "2026-03-01 10:30:00"},
                    {13, 5, "MS-MS 1 kV positive", "2026-03-02 09:00:00", "2026-03-02 09:05:00",
                     "2026-03-02 10:30:00"}};
    for (int i = 0; i < kChildren; ++i) {
        rows.folders.push_back(
            {1000 + i, 3, "Child " + std::to_string(i), i % 2 == 0 ? kFolderType : kSpotSetType});
    }
    for (int i = 1; i <= kItems; ++i) {
        const std::string n = std::to_string(i);
        rows.spots.push_back({i, 4, "S" + n, "spot " + n, "sample"});
        rows.items.push_back({i, 12, i, std::stod(std::to_string(800 + i * 0.25)), "done", "done"});
        rows.peakLists.push_back({i, i});
    }
    for (int i = 1; i <= kRangeItems; ++i) {
        const int id = 100000 + i;
        rows.spots.push_back({id, 5, "H" + std::to_string(id), {}, "sample"});
        rows.items.push_back(
            {id, 13, id, std::stod(std::to_string(900 + i * 0.01)), "done", "done"});
        rows.peakLists.push_back({id, id});
    }
    return rows;
}

QTreeWidgetItem* Child(QTreeWidgetItem* parent, const char* text) {
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    }
    return nullptr;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

bool Report(const std::string& what, double seconds, double target = kTargetSeconds) {
    const bool met = seconds < target;
    std::printf("%-44s %7.3f s  (target < %.1f s) %s\n", what.c_str(), seconds, target,
                met ? "ok" : "MISSED");
    return met;
}

// Clicks the record selector of 1-based `row`, scrolled into view first, as a person does.
void ClickSelector(QTableView* grid, int row, Qt::KeyboardModifiers modifiers) {
    grid->scrollTo(grid->model()->index(row - 1, 0));
    QHeaderView* selectors = grid->verticalHeader();
    const int y = selectors->sectionViewportPosition(row - 1) + selectors->sectionSize(row - 1) / 2;
    QTest::mouseClick(selectors->viewport(), Qt::LeftButton, modifiers, QPoint(5, y));
}

// Shift held down in the grid while a record selector is clicked.
void ShiftClickSelector(QTableView* grid, int row) {
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    QApplication::sendEvent(grid, &down);
    ClickSelector(grid, row, Qt::ShiftModifier);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier);
    QApplication::sendEvent(grid, &up);
}

}  // namespace

int main() {
    using namespace lumbrook;
    const testing::ScopedConfigHome config;
    if (!testing::StartOffscreenSession("Lumbrook bench"))
        return 1;
    const testing::FixtureDatabase database(BenchRows());
    settings::WriteSetting(settings::kAppName, settings::kSection, settings::kODBCConnect,
                           database.ConnectionString());

    bool met = true;
    {
        browser::frmMain form(platform::Version{1, 0, 0});
        if (!form.Load()) {
            std::fprintf(stderr, "the browser did not open\n");
            return 1;
        }
        form.show();
        QApplication::processEvents();
        QTreeWidgetItem* root = form.TreeView1()->topLevelItem(0);

        auto start = std::chrono::steady_clock::now();
        QTreeWidgetItem* folder = Child(root, "Big folder");
        folder->setExpanded(true);
        QApplication::processEvents();  // the nodes drawn, as the user sees them
        met &= Report("expand a folder of 5,000 children", Seconds(start));
        if (folder->childCount() != kChildren)
            std::fprintf(stderr, "expected %d children, got %d\n", kChildren, folder->childCount());

        start = std::chrono::steady_clock::now();
        form.TreeView1()->setCurrentItem(Child(root, "Big spot set"));
        QApplication::processEvents();
        met &= Report("fill the grid with a job run of 5,000 items", Seconds(start));
        const QAbstractItemModel* grid = form.DataGrid1()->model();
        if (grid == nullptr || grid->rowCount() != kItems)
            std::fprintf(stderr, "expected %d grid rows\n", kItems);

        form.TreeView1()->setCurrentItem(Child(root, "Huge spot set"));
        form.optSelect(1)->click();
        QTableView* table = form.DataGrid1();
        for (const int rows : {200, 2000, kRangeItems}) {
            ClickSelector(table, 1, Qt::NoModifier);  // the anchor
            QApplication::processEvents();
            start = std::chrono::steady_clock::now();
            ShiftClickSelector(table, rows);
            QApplication::processEvents();  // the selection drawn
            met &= Report("Shift range of " + std::to_string(rows) + " rows", Seconds(start),
                          kRangeTargetSeconds);
            if (form.SelectedBookmarks().size() != static_cast<std::size_t>(rows))
                std::fprintf(stderr, "expected %d selected rows, got %zu\n", rows,
                             form.SelectedBookmarks().size());
        }
    }
    return met ? 0 : 1;
}
