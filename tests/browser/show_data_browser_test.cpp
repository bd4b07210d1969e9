#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include "browser/frm_main.h"
#include "fixture.h"
#include "support/object_fixture.h"

namespace lumbrook::browser {
namespace {

using platform::Bstr;

void ExpectResetValues(_Lumbrook& o) {
    for (auto get :
         {&_Lumbrook::get_Descriptor, &_Lumbrook::get_MSType, &_Lumbrook::get_DescriptorList}) {
        Bstr text;
        (o.*get)(text.out());
        EXPECT_EQ(text.Utf8(), "");
    }
    for (auto get : {&_Lumbrook::get_JobRunID, &_Lumbrook::get_JobRunItemID}) {
        LONG id = -1;
        (o.*get)(&id);
        EXPECT_EQ(id, 0);
    }
    VARIANT_BOOL all = VARIANT_TRUE;
    o.get_AllSpectra(&all);
    EXPECT_EQ(all, VARIANT_FALSE);
}

class ShowDataBrowser : public automation::testing::ObjectTest {
  protected:
    void SetUp() override {
        testing::StoreConnection(db_.ConnectionString());
        ObjectTest::SetUp();
    }

    const testing::ScopedConfigHome config_;
    const testing::FixtureDatabase db_{testing::BrowseRows()};
};

// The number of spectra in a peak list file.
qsizetype Blocks(const std::string& file) {
    return QString::fromStdString(testing::ReadFile(file)).count("BEGIN IONS");
}

// The window's first close request cancels the export and is refused; the second closes it
// without a choice, which gives false and every property the browser hands back reset.
TEST_F(ShowDataBrowser, CloseDuringAnExportCancelsItAndTheNextClosesWithEverythingReset) {
    Connect(db_);
    // Every property the browser hands back holds a value it would not choose; the export
    // reads all spectra of job run 17 as MS/MS.
    object_->put_Descriptor(Bstr("Old/Choice").get());
    object_->put_DescriptorList(Bstr("Old/Choice:5:6:False:MS").get());
    object_->put_JobRunItemID(6);
    object_->put_JobRunID(17);
    object_->put_AllSpectra(VARIANT_TRUE);
    object_->put_MSType(Bstr("MS-MS").get());
    const std::string file = db_.File("cancelled.qpk");

    bool stayedOpen = false;
    HRESULT exportResult = E_FAIL;
    VARIANT_BOOL exported = VARIANT_TRUE;
    testing::WhenModal<frmMain>([&](frmMain& form) {
        // The host's timer starts an export while the window is open; the close request
        // arrives while it runs, from the event processing after a spectrum.
        QTimer::singleShot(0, &form, [&form] { form.close(); });
        exportResult = Export(file, exported);
        stayedOpen = form.isVisible();
        form.close();
    });
    VARIANT_BOOL accepted = VARIANT_TRUE;
    ASSERT_EQ(object_->ShowDataBrowser(&accepted), S_OK);
    EXPECT_EQ(accepted, VARIANT_FALSE);
    ExpectResetValues(*object_);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(exportResult, S_OK);
    const qsizetype written = Blocks(file);
    EXPECT_GE(written, 1);
    EXPECT_LT(written, 9) << "the export ran on to the end";
}

// What the browser hands back exports to the same bytes as the host's export of the same
// choice: the fourth row alone (item 104), then the whole job run, which a selected row
// does not change.
TEST_F(ShowDataBrowser, TheHandedBackChoiceExportsAsTheHostExportsIt) {
    for (const bool selected : {true, false}) {
        testing::WhenModal<frmMain>([selected](frmMain& form) {
            form.TreeView1()->setCurrentItem(
                testing::ChildNamed(form.TreeView1()->topLevelItem(0), "Alpha set"));
            if (selected)
                form.optSelect(1)->click();
            form.DataGrid1()->selectionModel()->setCurrentIndex(
                form.DataGrid1()->model()->index(3, 0),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            form.cmdSave()->click();
        });
        VARIANT_BOOL accepted = VARIANT_FALSE;
        ASSERT_EQ(object_->ShowDataBrowser(&accepted), S_OK);
        ASSERT_EQ(accepted, VARIANT_TRUE);
        Bstr list;
        object_->get_DescriptorList(list.out());
        EXPECT_EQ(list.Utf8(), selected ? "Projects/Alpha set:17:104:False:MS-MS"
                                        : "Projects/Alpha set:17:0:True:MS-MS");

        Connect(db_);
        VARIANT_BOOL exported = VARIANT_FALSE;
        ASSERT_EQ(Export(db_.File("browsed.qpk"), exported), S_OK);
        EXPECT_EQ(exported, VARIANT_TRUE);
        EXPECT_EQ(Blocks(db_.File("browsed.qpk")), selected ? 1 : 10);  // all: the whole job run

        // What `lumbrook export` writes for the same choice.
        QStringList arguments = {"export",    "--quiet",
                                 "--out",     QString::fromStdString(db_.File("host.qpk")),
                                 "--connect", QString::fromStdString(db_.ConnectionString()),
                                 "--job-run", "17"};
        if (selected)
            arguments << QStringList{"--item", "104", "--ms-type", "MS-MS"};
        QProcess host;
        host.start(LUMBROOK_HOST, arguments);
        ASSERT_TRUE(host.waitForFinished(60000));
        EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().toStdString();
        EXPECT_EQ(testing::ReadFile(db_.File("browsed.qpk")),
                  testing::ReadFile(db_.File("host.qpk")));
    }
}

// A browse that ends without a window says why: the user left at the connection prompt, or
// the data browser module is nowhere the server looked, each place named by its real path
// (the program is started through a link to its folder).
TEST_F(ShowDataBrowser, ABrowseThatShowsNoWindowSaysWhy) {
    testing::StoreConnection("Provider=SQLite;Data Source=" + db_.File("missing.sqlite"));
    testing::MessageBoxRecorder cancel([](const auto&) { return platform::MessageResult::Cancel; });
    VARIANT_BOOL accepted = VARIANT_TRUE;
    ASSERT_EQ(object_->ShowDataBrowser(&accepted), S_OK);
    EXPECT_EQ(accepted, VARIANT_FALSE);
    Bstr why;
    ASSERT_EQ(support_->GetLastBrowserError(why.out()), S_OK);
    EXPECT_EQ(why.Utf8(), "no connection was made");

    namespace fs = std::filesystem;
    const fs::path real = fs::canonical(testing::ScratchFolder()) / "without-browser";
    fs::create_directories(real);
    for (const fs::path file : {LUMBROOK_HOST, LUMBROOK_SERVER, LUMBROOK_PLATFORM})
        fs::copy_file(file, real / file.filename(), fs::copy_options::overwrite_existing);
    const fs::path link = real.parent_path() / "link-to-without-browser";
    fs::remove(link);
    fs::create_directory_symlink(real, link);
    QProcess host;
    host.start(QString::fromStdString((link / "lumbrook").string()), {"browse"});
    ASSERT_TRUE(host.waitForFinished(60000));
    EXPECT_EQ(host.exitCode(), 1);
    const std::string module = "liblumbrook-browser.so";
    EXPECT_EQ(host.readAllStandardError().toStdString(),
              "lumbrook: the data browser is not installed: " + (real / "lumbrook").string() + "/" +
                  module + " and " + real.string() + "/" + module + " do not exist\n");
}

}  // namespace
}  // namespace lumbrook::browser
