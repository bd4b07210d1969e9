#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/time.h>  // setitimer: a Cancel from a signal handler, as the host's Ctrl-C

#include <tuple>
#include <utility>
#include <vector>

#include "automation/lumbrook_object.h"
#include "database/database_errors.h"
#include "global/process_state.h"
#include "job_run_fixture.h"
#include "lumbrook/bstr.h"
#include "platform/messages/do_events.h"
#include "support/fixture_database.h"
#include "support/object_fixture.h"
#include "support/object_support.h"
#include "support/test_environment.h"

namespace lumbrook::automation {
namespace {

using database::testing::Clock;
using database::testing::SecondsSince;
using lumbrook::testing::FixtureDatabase;
using lumbrook::testing::JobRunBlock;
using lumbrook::testing::JobRunBlocks;
using lumbrook::testing::JobRunSpectra;
using lumbrook::testing::ReadFile;
using platform::Bstr;

using DoExportTest = testing::ObjectTest;
using testing::ProgressRecorder;

// A file name after a NUL, as a C host's BSTR may carry one, names no file: the export is
// refused before anything is opened, and the existing file the text before the NUL names
// is left alone. (Before, the export retried its temporary file forever.)
TEST_F(DoExportTest, AFileNameWithANulIsAFileError) {
    FixtureDatabase db(JobRunSpectra(3));
    ConnectJobRun(db);
    const std::string existing = db.File("EXISTING");
    lumbrook::testing::WriteFile(existing, "kept");
    for (const std::string& name :
         {existing + std::string(1, '\0') + "/x.qpk", existing + std::string(1, '\0'),
          db.File("new.qpk") + std::string(1, '\0') + "tail"}) {
        VARIANT_BOOL result = VARIANT_TRUE;
        EXPECT_EQ(Export(name, result), static_cast<HRESULT>(0x800A0034));
        EXPECT_EQ(result, 7);
        const testing::ErrorText error = testing::TakeErrorInfo();
        EXPECT_EQ(error.source, "Lumbrook");
        EXPECT_EQ(error.description,
                  "Bad file name or number: the file name holds a NUL character");
        EXPECT_EQ(LastExportMessage(), error.description);
    }
    EXPECT_EQ(ReadFile(existing), "kept");
    EXPECT_EQ(lumbrook::testing::NamesIn(db.Folder()),
              (std::vector<std::string>{"EXISTING", "test.sqlite"}));
}

// Calls Cancel on `object` from a SIGALRM handler a moment after construction, as the host's
// Ctrl-C handler does, whatever the export is doing then.
class CancelFromSignal {
  public:
    explicit CancelFromSignal(_Lumbrook& object, long microseconds = 300000) {
        target = &object;
        struct sigaction action {};
        action.sa_handler = OnAlarm;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGALRM, &action, &previous_);
        itimerval timer{};
        timer.it_value.tv_usec = microseconds;
        setitimer(ITIMER_REAL, &timer, nullptr);
    }
    ~CancelFromSignal() {
        const itimerval stop{};
        setitimer(ITIMER_REAL, &stop, nullptr);
        sigaction(SIGALRM, &previous_, nullptr);
        target = nullptr;
    }
    CancelFromSignal(const CancelFromSignal&) = delete;
    CancelFromSignal& operator=(const CancelFromSignal&) = delete;

  private:
    static inline _Lumbrook* volatile target = nullptr;
    static void OnAlarm(int) {
        if (_Lumbrook* object = target)
            object->Cancel();
    }
    struct sigaction previous_ {};
};

// The two waits that used to hold a Cancel off for the whole 15 s time-out: a database that
// another connection keeps locked, and the one peak query of an item's MS export.
TEST_F(DoExportTest, ACancelEndsAWaitForALockAndASlowItemPeakQuery) {
    FixtureDatabase db(JobRunSpectra(3));
    ConnectJobRun(db);
    const std::string out = db.File("cancel.qpk");
    lumbrook::testing::WriteFile(out, "old");

    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(db.Path().c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    VARIANT_BOOL result = VARIANT_TRUE;
    auto start = Clock::now();
    {
        const CancelFromSignal cancel(*object_);
        EXPECT_EQ(Export(out, result), S_OK);
    }
    EXPECT_LT(SecondsSince(start), 5.0) << "the lock was waited for until the time-out";
    EXPECT_EQ(result, VARIANT_FALSE);
    EXPECT_EQ(LastExportMessage(), "cancelled before the spectra of job run 12 were read");
    EXPECT_EQ(ReadFile(out), "old");  // nothing was read, so nothing replaced it
    EXPECT_FALSE(Global().exportRunning);
    sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(writer);

    // Item 2 as bare peak lines, through a peak view that counts without end. A Cancel made
    // before the export is forgotten, as in a batched export; the one made during its peak
    // query stops it, leaving an empty file as a failed query does.
    db.Run(lumbrook::testing::PeakViewWhere(lumbrook::testing::kEndlessInSqlite));
    ASSERT_EQ(object_->put_AllSpectra(VARIANT_FALSE), S_OK);
    ASSERT_EQ(object_->put_JobRunItemID(2), S_OK);
    Bstr ms("MS");
    ASSERT_EQ(object_->put_MSType(ms.get()), S_OK);
    ASSERT_EQ(object_->Cancel(), S_OK);
    start = Clock::now();
    {
        const CancelFromSignal cancel(*object_);
        EXPECT_EQ(Export(out, result), S_OK);
    }
    const double seconds = SecondsSince(start);
    EXPECT_GE(seconds, 0.25) << "an older Cancel stopped the export";
    EXPECT_LT(seconds, 5.0) << "the peak query ran until its time-out";
    EXPECT_EQ(result, VARIANT_FALSE);
    EXPECT_EQ(LastExportMessage(), "cancelled before the peaks of item 2 were read");
    EXPECT_EQ(ReadFile(out), "");
}

// The engine's error becomes the call's HRESULT, and the result is left alone; the host's
// test (host.export.ms_job_run) pins the text the error info carries. File errors take the
// same way (host.export.full_disk).
TEST_F(DoExportTest, EngineErrorsBecomeTheObjectsErrors) {
    FixtureDatabase db(JobRunSpectra(1, "MS Reflector Positive"));
    const std::string out = db.File("do_export_errors.qpk");
    VARIANT_BOOL result = VARIANT_TRUE;
    ConnectJobRun(db);
    EXPECT_EQ(Export(out, result), static_cast<HRESULT>(0x800403F0));
    EXPECT_EQ(result, 7);  // a failed call leaves the result alone

    VARIANT_BOOL ignored = VARIANT_FALSE;
    EXPECT_EQ(object_->DoExport(nullptr, &ignored), E_POINTER);
    Bstr file(out);
    BSTR argument = file.get();
    EXPECT_EQ(object_->DoExport(&argument, nullptr), E_POINTER);
}

TEST_F(DoExportTest, ProgressEventsChangesDuringTheExportAndACancelThroughTheMessageQueue) {
    FixtureDatabase db(JobRunSpectra(450));
    ConnectJobRun(db);
    const std::string out = db.File("do_export_cancel.qpk");
    VARIANT_BOOL result = VARIANT_FALSE;
    _Lumbrook* object = object_.get();

    // One event a spectrum and the closing one, while the export is known to be running. A
    // Cancel made before the export is forgotten when it starts.
    {
        ProgressRecorder counting(*object_,
                                  [](LONG, LONG) { EXPECT_TRUE(Global().exportRunning); });
        ASSERT_EQ(object_->Cancel(), S_OK);
        ASSERT_EQ(Export(out, result), S_OK);
        EXPECT_EQ(result, VARIANT_TRUE);
        EXPECT_FALSE(Global().exportRunning);
        EXPECT_EQ(counting.events.size(), 451u);
        EXPECT_EQ(ReadFile(out), JobRunBlocks(450));
    }

    // A value the host changes during the export is the one the next batch's query reads:
    // a minimum mass above every peak, set at spectrum 100, leaves the first batch alone.
    {
        ProgressRecorder narrowing(*object_, [object](LONG done, LONG) {
            if (done == 100)
                object->put_minMass(600);
        });
        ASSERT_EQ(Export(out, result), S_OK);
        EXPECT_EQ(result, VARIANT_TRUE);
        EXPECT_EQ(ReadFile(out), JobRunBlocks(200));
        ASSERT_EQ(object_->put_minMass(60), S_OK);
    }

    // The host posts its Cancel from the 300th event; it arrives at the next DoEvents.
    {
        ProgressRecorder cancelling(*object_, [object](LONG done, LONG) {
            if (done == 300)
                platform::PostCall([object] { object->Cancel(); });
        });
        ASSERT_EQ(Export(out, result), S_OK);
        EXPECT_EQ(result, VARIANT_FALSE);
        EXPECT_EQ(ReadFile(out), JobRunBlocks(300));
        EXPECT_EQ(cancelling.events.back(), std::make_pair(300, 450));
        EXPECT_FALSE(Global().exportRunning);
    }
}

class DoExportListTest : public DoExportTest {
  protected:
    void SetUp() override {
        DoExportTest::SetUp();
        ASSERT_EQ(object_->QueryInterface(IID_ILumbrookHostSupport2, support2_.out_void()), S_OK);
        Connect(db);
        lumbrook::testing::WriteFile(out, "old");
    }
    HRESULT ExportList(const std::string& list, const std::string& path, VARIANT_BOOL& result) {
        Bstr text(list);
        EXPECT_EQ(object_->put_DescriptorList(text.get()), S_OK);
        Bstr file(path);
        BSTR argument = file.get();
        result = 7;
        return support2_->DoExportList(&argument, &result);
    }
    platform::ComPtr<ILumbrookHostSupport2> support2_;
    // Three spectra, and the file the lists go into, which holds "old" before.
    FixtureDatabase db{JobRunSpectra(3)};
    const std::string out = db.File("list.qpk");
};

using namespace std::string_literals;

// Every entry in the list's order into one file, each as its own export would write it, with
// the entry's job run, item and MS type and the object's filter; the object's own properties
// stay as they were, and progress counts the spectra of the whole list.
TEST_F(DoExportListTest, EntriesGoIntoOneFileInTheListsOrder) {
    // 450 spectra, so that the whole job run takes more than one batch.
    const FixtureDatabase large(JobRunSpectra(450));
    Connect(large);
    ASSERT_EQ(object_->put_JobRunItemID(77), S_OK);
    const std::string file = large.File("list.qpk");
    VARIANT_BOOL result = VARIANT_FALSE;
    {
        ProgressRecorder progress(*object_);
        ASSERT_EQ(ExportList("a:b/c:12:3:False:MS-MS\0a:b/c:12:1:False:MS-MS\0a:b/c:12:2:False:MS"s,
                             file, result),
                  S_OK);
        EXPECT_EQ(result, VARIANT_TRUE);
        EXPECT_EQ(ReadFile(file), JobRunBlock(3) + JobRunBlock(1) + "102\t2.5\r\n");
        // Each MS/MS entry's event and its closing one, as DoExport has them; the MS entry's
        // end, its bare peak line in the file.
        EXPECT_EQ(progress.events,
                  (std::vector<std::pair<LONG, LONG>>{{1, 3}, {1, 3}, {2, 3}, {2, 3}, {3, 3}}));
    }
    LONG item = 0;
    ASSERT_EQ(object_->get_JobRunItemID(&item), S_OK);
    EXPECT_EQ(item, 77);
    EXPECT_EQ(Counts(), std::make_tuple(2, 3, static_cast<double>(ReadFile(file).size())));

    // A list of the whole job run is DoExport of it, its events included.
    ProgressRecorder whole(*object_);
    ASSERT_EQ(ExportList("a:b/c:12:0:True:MS-MS", file, result), S_OK);
    EXPECT_EQ(result, VARIANT_TRUE);
    EXPECT_EQ(ReadFile(file), JobRunBlocks(450));
    ASSERT_EQ(whole.events.size(), 451u);
    EXPECT_EQ(whole.events[0], std::make_pair(1, 450));
    EXPECT_EQ(whole.events.back(), std::make_pair(450, 450));
}

// What a false result leaves: the entries that had something, or the old file when none had;
// the message says which.
TEST_F(DoExportListTest, EntriesWithNothingToExportMakeTheResultFalse) {
    const struct {
        std::string list;
        std::string file;
        std::string message;
    } cases[] = {
        {"x:12:99:False:MS-MS\0x:12:2:False:MS-MS"s, JobRunBlock(2),
         "1 of 2 entries have no spectra in this database; the file holds the others"},
        {"x:12:98:False:MS-MS\0x:12:99:False:MS"s, JobRunBlock(2),
         "no entry of DescriptorList has spectra in this database"},
        {"", JobRunBlock(2), "DescriptorList holds no entry: nothing to export"},
    };
    for (const auto& c : cases) {
        VARIANT_BOOL result = VARIANT_TRUE;
        ASSERT_EQ(ExportList(c.list, out, result), S_OK);
        EXPECT_EQ(result, VARIANT_FALSE);
        EXPECT_EQ(ReadFile(out), c.file);
        EXPECT_EQ(LastExportMessage(), c.message);
    }
}

// An entry not of the browser's form is refused before anything is read or written, and an
// error of any entry's export leaves the file as it was: a job run that is not MS/MS after an
// entry that was written. (The database being read as the file: host.export.output_database,
// through the same opening of the output.)
TEST_F(DoExportListTest, ABadEntryOrAnErrorLeavesTheFileAsItWas) {
    const std::string form =
        " of DescriptorList is not of the form descriptor:job run:item:True or False:MS or MS-MS";
    for (const std::string& bad : {"x:12:1:False"s, "x:12:1:false:MS"s, "x:12:1x:False:MS"s,
                                   "x:12:1:False:ms"s, "x:2147483648:1:False:MS"s, ""s}) {
        VARIANT_BOOL result = VARIANT_TRUE;
        EXPECT_EQ(ExportList("x:12:1:False:MS\0"s + bad, out, result), E_INVALIDARG) << bad;
        EXPECT_EQ(result, 7);
        EXPECT_EQ(testing::TakeErrorInfo().description, "entry 2" + form);
    }
    EXPECT_EQ(ReadFile(out), "old");

    db.Run("UPDATE JOB_RUN SET OPMODE_NAME = 'MS Reflector Positive' WHERE JOB_RUN_ID = 12");
    VARIANT_BOOL result = VARIANT_TRUE;
    EXPECT_EQ(ExportList("x:12:1:False:MS-MS\0x:12:0:True:MS-MS"s, out, result),
              static_cast<HRESULT>(0x800403F0));
    EXPECT_EQ(ReadFile(out), "old");
}

// The file is replaced in one rename, a file of the user's named like a temporary one
// included, and a cancel between entries starts none after it.
TEST_F(DoExportListTest, TheFileIsReplacedWholeAndACancelEndsTheList) {
    lumbrook::testing::WriteFile(out + ".part", "the user's");
    struct stat before {};
    ASSERT_EQ(stat(out.c_str(), &before), 0);
    _Lumbrook* object = object_.get();
    ProgressRecorder cancelling(*object_, [object](LONG done, LONG) {
        if (done == 2)
            object->Cancel();
    });
    VARIANT_BOOL result = VARIANT_TRUE;
    ASSERT_EQ(
        ExportList("x:12:1:False:MS-MS\0x:12:2:False:MS-MS\0x:12:3:False:MS-MS"s, out, result),
        S_OK);
    EXPECT_EQ(result, VARIANT_FALSE);
    EXPECT_EQ(ReadFile(out), JobRunBlock(1) + JobRunBlock(2));
    EXPECT_EQ(LastExportMessage(),
              "cancelled in entry 2 of 3 entries; the file ends on a complete block");
    struct stat after {};
    ASSERT_EQ(stat(out.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);  // a new file renamed over the old one
    EXPECT_EQ(ReadFile(out + ".part"), "the user's");
    EXPECT_EQ(lumbrook::testing::NamesIn(db.Folder()),
              (std::vector<std::string>{"list.qpk", "list.qpk.part", "test.sqlite"}));
}

}  // namespace
}  // namespace lumbrook::automation
