#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/time.h>  // setitimer: a Cancel from a signal handler, as the host's Ctrl-C

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

#include "automation/lumbrook_object.h"
#include "global/process_state.h"
#include "job_run_fixture.h"
#include "lumbrook/bstr.h"
#include "lumbrook/progress_sink.h"
#include "platform/messages/do_events.h"
#include "support/fixture_database.h"
#include "support/object_fixture.h"
#include "support/object_support.h"
#include "support/test_environment.h"

namespace lumbrook::automation {
namespace {

using lumbrook::ProgressAdvice;
using lumbrook::ProgressSink;
using lumbrook::testing::FixtureDatabase;
using lumbrook::testing::JobRunBlocks;
using lumbrook::testing::JobRunSpectra;
using lumbrook::testing::ReadFile;
using platform::Bstr;

using DoExportTest = testing::ObjectTest;

// The export's last message, as hosts read it.
std::string LastExportMessage(ILumbrookHostSupport& support) {
    Bstr message;
    EXPECT_EQ(support.GetLastExportMessage(message.out()), S_OK);
    return message.Utf8();
}

// A file name after a NUL, as a C host's BSTR may carry one, names no file: the export is
// refused before anything is opened, and the existing file the text before the NUL names
// is left alone. (Before, the export retried its temporary file forever.)
TEST_F(DoExportTest, AFileNameWithANulIsAFileError) {
    FixtureDatabase db(JobRunSpectra(3));
    Connect(db);
    ASSERT_EQ(object_->put_JobRunID(12), S_OK);
    ASSERT_EQ(object_->put_AllSpectra(VARIANT_TRUE), S_OK);
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
        EXPECT_EQ(LastExportMessage(*support_), error.description);
    }
    EXPECT_EQ(ReadFile(existing), "kept");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(db.Folder()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"EXISTING", "test.sqlite"}));
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

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The two waits that used to hold a Cancel off for the whole 15 s time-out: a database that
// another connection keeps locked, and the one peak query of an item's MS export.
TEST_F(DoExportTest, ACancelEndsAWaitForALockAndASlowItemPeakQuery) {
    FixtureDatabase db(JobRunSpectra(3));
    Connect(db);
    ASSERT_EQ(object_->put_JobRunID(12), S_OK);
    ASSERT_EQ(object_->put_AllSpectra(VARIANT_TRUE), S_OK);
    const std::string out = db.File("cancel.qpk");
    lumbrook::testing::WriteFile(out, "old");

    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(db.Path().c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    VARIANT_BOOL result = VARIANT_TRUE;
    auto start = std::chrono::steady_clock::now();
    {
        const CancelFromSignal cancel(*object_);
        EXPECT_EQ(Export(out, result), S_OK);
    }
    EXPECT_LT(SecondsSince(start), 5.0) << "the lock was waited for until the time-out";
    EXPECT_EQ(result, VARIANT_FALSE);
    EXPECT_EQ(LastExportMessage(*support_), "cancelled before the spectra of job run 12 were read");
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
    start = std::chrono::steady_clock::now();
    {
        const CancelFromSignal cancel(*object_);
        EXPECT_EQ(Export(out, result), S_OK);
    }
    const double seconds = SecondsSince(start);
    EXPECT_GE(seconds, 0.25) << "an older Cancel stopped the export";
    EXPECT_LT(seconds, 5.0) << "the peak query ran until its time-out";
    EXPECT_EQ(result, VARIANT_FALSE);
    EXPECT_EQ(LastExportMessage(*support_), "cancelled before the peaks of item 2 were read");
    EXPECT_EQ(ReadFile(out), "");
}

// The engine's error becomes the call's HRESULT, and the result is left alone; the host's
// test (host.export.ms_job_run) pins the text the error info carries. File errors take the
// same way (host.export.full_disk).
TEST_F(DoExportTest, EngineErrorsBecomeTheObjectsErrors) {
    FixtureDatabase db(JobRunSpectra(1, "MS Reflector Positive"));
    const std::string out = db.File("do_export_errors.qpk");
    VARIANT_BOOL result = VARIANT_TRUE;
    ASSERT_EQ(object_->put_JobRunID(12), S_OK);
    ASSERT_EQ(object_->put_AllSpectra(VARIANT_TRUE), S_OK);
    Connect(db);
    EXPECT_EQ(Export(out, result), static_cast<HRESULT>(0x800403F0));
    EXPECT_EQ(result, 7);  // a failed call leaves the result alone

    VARIANT_BOOL ignored = VARIANT_FALSE;
    EXPECT_EQ(object_->DoExport(nullptr, &ignored), E_POINTER);
    Bstr file(out);
    BSTR argument = file.get();
    EXPECT_EQ(object_->DoExport(&argument, nullptr), E_POINTER);
}

// A sink of the Progress event that records each event and runs a test's reaction to it,
// connected to the object from construction on.
class ProgressRecorder {
  public:
    ProgressRecorder(_Lumbrook& object, std::function<void(LONG, LONG)> onProgress = {})
        : onProgress_(std::move(onProgress)), advice_(object, sink_) {
        EXPECT_TRUE(advice_.Active());
    }
    std::vector<std::pair<LONG, LONG>> events;

  private:
    std::function<void(LONG, LONG)> onProgress_;
    ProgressSink sink_{[this](LONG done, LONG total) {
        events.emplace_back(done, total);
        if (onProgress_)
            onProgress_(done, total);
        return S_OK;
    }};
    ProgressAdvice advice_;
};

TEST_F(DoExportTest, ProgressEventsChangesDuringTheExportAndACancelThroughTheMessageQueue) {
    FixtureDatabase db(JobRunSpectra(450));
    Connect(db);
    ASSERT_EQ(object_->put_JobRunID(12), S_OK);
    ASSERT_EQ(object_->put_AllSpectra(VARIANT_TRUE), S_OK);
    const std::string out = db.File("do_export_cancel.qpk");
    VARIANT_BOOL result = VARIANT_FALSE;
    _Lumbrook* object = object_.get();

    // One event a spectrum, each with the total, ending at the total, while the export is
    // known to be running. A Cancel made before the export is forgotten when it starts.
    {
        ProgressRecorder counting(*object_,
                                  [](LONG, LONG) { EXPECT_TRUE(Global().exportRunning); });
        ASSERT_EQ(object_->Cancel(), S_OK);
        ASSERT_EQ(Export(out, result), S_OK);
        EXPECT_EQ(result, VARIANT_TRUE);
        EXPECT_FALSE(Global().exportRunning);
        ASSERT_EQ(counting.events.size(), 451u);  // 450 spectra and the closing event
        EXPECT_EQ(counting.events[0], std::make_pair(1, 450));
        EXPECT_EQ(counting.events[449], std::make_pair(450, 450));
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

}  // namespace
}  // namespace lumbrook::automation
