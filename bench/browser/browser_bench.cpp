// Times the browser's largest operations under the offscreen platform:
//   a folder with 5,000 children expanded for the first time (one query, 5,000 nodes);
//   a spot set clicked whose job run has 5,000 completed items (job-run list and grid).
// Prints one line per measurement; exits 1 when one takes half a second or more.
#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "browser/frm_main.h"
#include "fixture.h"
#include "platform/app/app.h"
#include "settings/preferences.h"
#include "settings/settings_store.h"

namespace {

constexpr int kChildren = 5000;
constexpr int kItems = 5000;
constexpr double kTargetSeconds = 0.5;

std::string BenchSql() {
    std::string sql =
        "INSERT INTO FOLDER_OBJECT VALUES (2, NULL, 'Projects', 2, 1);\n"
        "INSERT INTO FOLDER_OBJECT VALUES (3, 2, 'Big folder', 2, 1);\n"
        "INSERT INTO FOLDER_OBJECT VALUES (4, 2, 'Big spot set', 6, 1);\n"
        "INSERT INTO JOB_RUN VALUES (12, 4, 'MS-MS 1 kV positive', "
        "'2026-03-01 09:00:00', '2026-03-01 09:05:00', '2026-03-01 10:30:00');\n";
    sql += "BEGIN;\n";
    for (int i = 0; i < kChildren; ++i) {
        sql += "INSERT INTO FOLDER_OBJECT VALUES (" + std::to_string(1000 + i) + ", 3, 'Child " +
               std::to_string(i) + "', " + (i % 2 == 0 ? "2" : "6") + ", 1);\n";
    }
    for (int i = 1; i <= kItems; ++i) {
        const std::string n = std::to_string(i);
        sql +=
            "INSERT INTO SPOT VALUES (" + n + ", 4, 'S" + n + "', 'spot " + n + "', 'sample');\n";
        sql += "INSERT INTO JOB_RUN_ITEM VALUES (" + n + ", 12, " + n + ", " +
               std::to_string(800 + i * 0.25) + ", 'done', 'done', NULL, 9);\n";
        sql += "INSERT INTO PEAK_LIST VALUES (" + n + ", " + n + ");\n";
    }
    return sql + "COMMIT;\n";
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

bool Report(const char* what, double seconds) {
    const bool met = seconds < kTargetSeconds;
    std::printf("%-44s %7.3f s  (target < %.1f s) %s\n", what, seconds, kTargetSeconds,
                met ? "ok" : "MISSED");
    return met;
}

}  // namespace

int main() {
    using namespace lumbrook;
    if (!testing::StartOffscreenSession("Lumbrook bench"))
        return 1;
    const std::string database = testing::ScratchFolder() + "/bench.sqlite";
    testing::MakeDatabase(database, BenchSql());
    settings::WriteSetting(settings::kAppName, settings::kSection, settings::kODBCConnect,
                           testing::SqliteConnection(database));

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
    }
    std::error_code ignored;  // a leftover scratch folder does not change the figures
    std::filesystem::remove_all(testing::ScratchFolder(), ignored);
    return met ? 0 : 1;
}
