// What the object tells command-line hosts beyond _Lumbrook: the browser's listings as text
// and why an export came out false, with what it wrote.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <functional>
#include <tuple>

#include "automation/lumbrook_object.h"
#include "database/connection.h"
#include "database/database_error.h"
#include "job_run_fixture.h"
#include "lumbrook/bstr.h"
#include "support/com_support.h"
#include "support/fixture_database.h"
#include "support/object_fixture.h"
#include "support/test_environment.h"

namespace lumbrook::automation {
namespace {

using lumbrook::testing::FixtureDatabase;
using lumbrook::testing::JobRunBlocks;
using lumbrook::testing::ReadFile;
using platform::Bstr;

class HostSupportTest : public testing::ObjectTest {
  protected:
    // Exports job run `jobRun` (or item `item`) into `out`; returns the result and the
    // object's message.
    std::pair<VARIANT_BOOL, std::string> Export(const std::string& out, LONG jobRun,
                                                LONG item = 0) {
        EXPECT_EQ(object_->put_JobRunID(jobRun), S_OK);
        EXPECT_EQ(object_->put_JobRunItemID(item), S_OK);
        EXPECT_EQ(object_->put_AllSpectra(item == 0 ? VARIANT_TRUE : VARIANT_FALSE), S_OK);
        VARIANT_BOOL result = VARIANT_FALSE;
        EXPECT_EQ(ObjectTest::Export(out, result), S_OK);
        return {result, LastExportMessage()};
    }
};

// The listings' text, on a connected object, is the host's: its listing tests compare it in
// every output format with the expected files (tests/host, host.list.*).
TEST_F(HostSupportTest, AListingNeedsAConnectionAndAKnownListing) {
    Bstr none;
    EXPECT_EQ(support_->QueryListing(LUMBROOK_LISTING_FOLDER, 2, none.out()), E_FAIL);
    EXPECT_EQ(support_->QueryListing(99, 2, none.out()), E_INVALIDARG);
}

TEST_F(HostSupportTest, AFalseExportSaysWhy) {
    FixtureDatabase db(lumbrook::testing::JobRunSpectra(450));
    const std::string out = db.File("messages.qpk");

    EXPECT_EQ(Export(out, 999).second, "not connected: call Connect first");
    Connect(db);
    EXPECT_EQ(Export(out, 12, 4545).second, "item 4545 has no spectra in this database");

    // A true export leaves no message; its counts are the host's (host.export.job_run).
    EXPECT_EQ(Export(out, 12), std::make_pair(VARIANT_TRUE, std::string()));
    LONG blocks = 0;
    double bytes = 0;
    EXPECT_EQ(support_->GetExportCounts(&blocks, nullptr, &bytes), E_POINTER);

    // The second of three batches cannot be read: it is skipped, the third is still read and
    // progress still reaches the end.
    lumbrook::testing::CommandLog log([](const std::string& sql) {
        if (sql.find("PEAK_LIST_ID >= 201 ") != std::string::npos)
            throw database::DatabaseError("disk I/O error");
    });
    const testing::ProgressRecorder progress(*object_);
    EXPECT_EQ(Export(out, 12),
              std::make_pair(VARIANT_FALSE,
                             std::string("1 of 3 batches could not be read; the file holds the "
                                         "others")));
    EXPECT_EQ(ReadFile(out),
              JobRunBlocks(200) + JobRunBlocks(450).substr(JobRunBlocks(400).size()));
    EXPECT_EQ(lumbrook::testing::PeakQueries(log.commands).size(), 3u);
    EXPECT_EQ(progress.events.back(), std::make_pair(450, 450));
    EXPECT_EQ(Counts(), std::make_tuple(250, 250, static_cast<double>(ReadFile(out).size())));
}

// An export that fails part way leaves the target as it was, and its counts say so: nothing of
// the discarded temporary file is counted.
TEST_F(HostSupportTest, AFailedExportCountsWhatTheTargetHolds) {
    FixtureDatabase db(lumbrook::testing::JobRunSpectra(450));
    ConnectJobRun(db);
    platform::ComPtr<ILumbrookHostSupport3> formats;
    ASSERT_EQ(object_->QueryInterface(IID_ILumbrookHostSupport3, formats.out_void()), S_OK);
    // An mzML file's spectra are written by a thread of their own, whose failure must end the
    // export as the peak list file's does.
    for (const char* format : {"QPK", "mzML"}) {
        SCOPED_TRACE(format);
        ASSERT_EQ(formats->put_OutputFormat(Bstr(format).get()), S_OK);
        const std::string out = db.File(std::string("limited.") + format);
        lumbrook::testing::WriteFile(out, "before\n");
        // Files of this process may grow to 20 kB: the export's writes fail with EFBIG part
        // way.
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        rlimit limited = before;
        limited.rlim_cur = 20000;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        VARIANT_BOOL result = VARIANT_TRUE;
        const HRESULT hr = ObjectTest::Export(out, result);
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, previous);

        EXPECT_TRUE(FAILED(hr));
        EXPECT_EQ(Counts(), std::make_tuple(0, 0, 0.0));
        EXPECT_EQ(ReadFile(out), "before\n");
    }
}

TEST_F(HostSupportTest, TheThirdInterfaceChoosesTheFormatByNameOrExtension) {
    platform::ComPtr<ILumbrookHostSupport3> formats;
    ASSERT_EQ(object_->QueryInterface(IID_ILumbrookHostSupport3, formats.out_void()), S_OK);
    const auto text = [](const std::function<HRESULT(BSTR*)>& call) {
        Bstr value;
        EXPECT_EQ(call(value.out()), S_OK);
        return value.Utf8();
    };
    EXPECT_EQ(text([&](BSTR* v) { return formats->get_OutputFormat(v); }), "QPK");
    const std::pair<const char*, const char*> names[] = {
        {"run.mzML", "mzML"}, {"/x/RUN.MZXML", "mzXML"}, {"run.qpk", "QPK"},
        {".mzML", "QPK"},     {"run.mzML.gz", "QPK"},    {"run", "QPK"}};
    for (const auto& name : names) {
        EXPECT_EQ(
            text([&](BSTR* v) { return formats->FormatOfFileName(Bstr(name.first).get(), v); }),
            name.second)
            << name.first;
    }
    EXPECT_EQ(text([&](BSTR* v) { return formats->GetFormatExtension(Bstr("MZxml").get(), v); }),
              ".mzXML");
    Bstr none;
    EXPECT_EQ(formats->GetFormatExtension(Bstr("csv").get(), none.out()), E_INVALIDARG);
    EXPECT_EQ(formats->put_OutputFormat(Bstr("mzml ").get()), E_INVALIDARG);
    EXPECT_EQ(lumbrook::testing::TakeErrorInfo().description,
              "OutputFormat must be QPK, mzML or mzXML");
    EXPECT_EQ(text([&](BSTR* v) { return formats->get_OutputFormat(v); }), "QPK");

    // The format is the object's, whatever the file is named; the name only chooses it in
    // hosts that ask FormatOfFileName. (An export's counts in every format:
    // MsDataWriter.TheEngineIndexesTheSameBlocksInEveryFormat.)
    FixtureDatabase db(lumbrook::testing::JobRunSpectra(3));
    ConnectJobRun(db);
    ASSERT_EQ(formats->put_OutputFormat(Bstr("mzml").get()), S_OK);
    VARIANT_BOOL result = VARIANT_FALSE;
    ASSERT_EQ(ObjectTest::Export(db.File("run.dat"), result), S_OK);
    EXPECT_TRUE(ReadFile(db.File("run.dat")).ends_with("</indexedmzML>\n"));
}

}  // namespace
}  // namespace lumbrook::automation
