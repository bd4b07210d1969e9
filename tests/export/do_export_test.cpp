#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

#include "automation/lumbrook_object.h"
#include "automation/object_support.h"
#include "global/process_state.h"
#include "lumbrook/bstr.h"
#include "lumbrook/progress_sink.h"
#include "object_fixture.h"
#include "platform/messages/do_events.h"
#include "support/fixture_database.h"
#include "support/test_environment.h"

namespace lumbrook::automation {
namespace {

using lumbrook::ProgressAdvice;
using lumbrook::ProgressSink;
using lumbrook::testing::FixtureDatabase;
using lumbrook::testing::ReadFile;
using lumbrook::testing::Rows;
using platform::Bstr;

class DoExportTest : public testing::ObjectTest {
  protected:
    HRESULT Export(const std::string& path, VARIANT_BOOL& result) {
        Bstr file(path);
        BSTR argument = file.get();
        result = 7;  // neither true nor false: the call must set it
        return object_->DoExport(&argument, &result);
    }
};

// Job run 12 of `count` spectra S1.., each of precursor 1000 with one peak (500, 1).
Rows JobRun(long count, const std::string& opmode = "MS-MS 1 kV") {
    Rows rows = lumbrook::testing::ProjectsWithSet1();
    rows.jobRuns = {{12, 3, opmode}};
    for (long id = 1; id <= count; ++id)
        rows.Spectrum(id, 12, "S" + std::to_string(id), 1000).Peaks(id, {{500, 1}});
    return rows;
}

// The file of spectra `first` to `last` of JobRun().
std::string Blocks(long first, long last) {
    std::string text;
    for (long id = first; id <= last; ++id) {
        text += "BEGIN IONS\r\nPEPMASS=1000\r\nCHARGE=1+\r\nTITLE=Label: S" + std::to_string(id) +
                " Spot_Id: " + std::to_string(id) + ", Peak_List_Id: " + std::to_string(id) +
                ", MSMS Job_Run_Id: 12\r\n500\t1\r\nEND IONS\r\n\r\n";
    }
    return text;
}

// The source and description of the thread's error info, which is taken.
std::string TakeDescription() {
    const testing::ErrorText error = testing::TakeErrorInfo();
    return error.source + ": " + error.description;
}

TEST_F(DoExportTest, EngineErrorsBecomeTheObjectsErrors) {
    FixtureDatabase db(JobRun(1, "MS Reflector Positive"));
    const std::string out = db.File("do_export_errors.qpk");
    VARIANT_BOOL result = VARIANT_TRUE;
    ASSERT_EQ(object_->put_JobRunID(12), S_OK);
    ASSERT_EQ(object_->put_AllSpectra(VARIANT_TRUE), S_OK);
    Connect(db);
    EXPECT_EQ(Export(out, result), static_cast<HRESULT>(0x800403F0));
    EXPECT_EQ(result, 7);  // a failed call leaves the result alone
    EXPECT_EQ(TakeDescription(), "Lumbrook: No MS/MS data in this job run");
    EXPECT_FALSE(std::filesystem::exists(out));

    ASSERT_EQ(object_->put_AllSpectra(VARIANT_FALSE), S_OK);
    ASSERT_EQ(object_->put_JobRunItemID(1), S_OK);
    EXPECT_EQ(Export("/dev/full", result), static_cast<HRESULT>(0x800A003D));
    EXPECT_EQ(TakeDescription(), "Lumbrook: Disk full: /dev/full");
    EXPECT_EQ(Export("/nonexistent-folder/x.qpk", result), static_cast<HRESULT>(0x800A004C));
    EXPECT_EQ(TakeDescription(), "Lumbrook: Path not found: /nonexistent-folder/x.qpk");

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
    FixtureDatabase db(JobRun(450));
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
        EXPECT_EQ(ReadFile(out), Blocks(1, 450));
    }

    // A value the host changes during the export is the one the next batch's query reads:
    // a minimum mass above every peak from spectrum 100 on leaves the first batch alone.
    {
        ProgressRecorder narrowing(*object_, [object](LONG done, LONG) {
            if (done == 100)
                object->put_minMass(600);
        });
        ASSERT_EQ(Export(out, result), S_OK);
        EXPECT_EQ(result, VARIANT_TRUE);
        EXPECT_EQ(ReadFile(out), Blocks(1, 200));
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
        EXPECT_EQ(ReadFile(out), Blocks(1, 300));
        EXPECT_EQ(cancelling.events.back(), std::make_pair(300, 450));
        EXPECT_FALSE(Global().exportRunning);
    }
}

}  // namespace
}  // namespace lumbrook::automation
