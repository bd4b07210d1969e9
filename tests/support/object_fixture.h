// A new Lumbrook object, and a fixture database to connect it to, for the tests that connect
// and export through the object. The suite's main gives the whole run a configuration folder of its
// own, so the object starts from the default preferences.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "lumbrook/progress_sink.h"
#include "support/fixture_database.h"
#include "support/object_support.h"

namespace lumbrook::automation::testing {

class ObjectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        object_ = NewObject();
        ASSERT_EQ(object_->QueryInterface(IID_ILumbrookHostSupport, support_.out_void()), S_OK);
    }

    // Points the object at `db` and connects it; the test stops when that fails.
    void Connect(const lumbrook::testing::FixtureDatabase& db) {
        platform::Bstr text(db.ConnectionString());
        ASSERT_EQ(object_->put_ODBCString(text.get()), S_OK);
        VARIANT_BOOL connected = VARIANT_FALSE;
        ASSERT_EQ(object_->Connect(&connected), S_OK);
        ASSERT_EQ(connected, VARIANT_TRUE);
    }
    // Connects to `db` and chooses all spectra of its job run 12.
    void ConnectJobRun(const lumbrook::testing::FixtureDatabase& db) {
        Connect(db);
        ASSERT_EQ(object_->put_JobRunID(12), S_OK);
        ASSERT_EQ(object_->put_AllSpectra(VARIANT_TRUE), S_OK);
    }

    // Calls DoExport into `path`; the result is preset to 7, neither true nor false, so that
    // the test sees whether the call set it.
    HRESULT Export(const std::string& path, VARIANT_BOOL& result) {
        platform::Bstr file(path);
        BSTR argument = file.get();
        result = 7;
        return object_->DoExport(&argument, &result);
    }

    // The last export's message and its counts of blocks, peak lines and bytes, as hosts
    // read them.
    std::string LastExportMessage() {
        platform::Bstr message;
        EXPECT_EQ(support_->GetLastExportMessage(message.out()), S_OK);
        return message.Utf8();
    }
    std::tuple<LONG, LONG, double> Counts() {
        LONG blocks = -1;
        LONG peakLines = -1;
        double bytes = -1;
        EXPECT_EQ(support_->GetExportCounts(&blocks, &peakLines, &bytes), S_OK);
        return {blocks, peakLines, bytes};
    }

    platform::ComPtr<_Lumbrook> object_;
    platform::ComPtr<ILumbrookHostSupport> support_;  // the same object, as hosts see it
};

// A sink of the Progress event that records each event and runs a test's reaction to it,
// connected to the object from construction on.
class ProgressRecorder {
  public:
    explicit ProgressRecorder(_Lumbrook& object, std::function<void(LONG, LONG)> onProgress = {})
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

}  // namespace lumbrook::automation::testing
