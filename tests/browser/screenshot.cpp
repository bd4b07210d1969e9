// Draws the data browser as a person sees it after choosing a spot set and three spectra,
// under the offscreen platform, into a PNG file:
//   browser_screenshot FILE.png
// The README's picture is made with it; the test suite runs it once to keep it working.
#include <QApplication>
#include <QItemSelectionModel>
#include <QPixmap>
#include <QRadioButton>
#include <QTableView>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>

#include "browser/frm_main.h"
#include "fixture.h"
#include "platform/app/app.h"

int main(int argc, char** argv) {
    using namespace lumbrook;
    if (argc != 2) {
        std::fprintf(stderr, "usage: browser_screenshot FILE.png\n");
        return 2;
    }
    // The window makes the program's folder the current directory: resolve the name first.
    const QString output = QString::fromStdString(std::filesystem::absolute(argv[1]).string());
    const testing::ScopedConfigHome config;
    if (!testing::StartOffscreenSession("Lumbrook screenshot"))
        return 1;
    const testing::FixtureDatabase database(testing::BrowseRows());
    testing::StoreConnection(database.ConnectionString());

    int status = 1;
    {
        browser::frmMain form(platform::Version{1, 0, 0});
        if (form.Load()) {
            form.show();
            QTreeWidget* tree = form.TreeView1();
            tree->setCurrentItem(testing::ChildNamed(tree->topLevelItem(0), "Alpha set"));
            form.optSelect(1)->setChecked(true);
            for (int row : {1, 2, 3})
                form.DataGrid1()->selectionModel()->select(
                    form.DataGrid1()->model()->index(row, 0),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
            QApplication::processEvents();
            status = form.grab().save(output, "PNG") ? 0 : 1;
        }
    }
    return status;
}
