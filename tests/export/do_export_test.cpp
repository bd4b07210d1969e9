#include <gtest/gtest.h>

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
