#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "database/database_error.h"
#include "export/export_peak_lists.h"
#include "job_run_fixture.h"
#include "support/fixture_database.h"
#include "support/test_environment.h"

namespace lumbrook::exporting {
namespace {

using lumbrook::testing::CommandLog;
using lumbrook::testing::Export;
using lumbrook::testing::FileExists;
using lumbrook::testing::FixtureDatabase;
using lumbrook::testing::JobRunBlock;
using lumbrook::testing::JobRunBlocks;
using lumbrook::testing::JobRunSpectra;
using lumbrook::testing::PeakListIds;
using lumbrook::testing::PeakQueries;
using lumbrook::testing::ReadFile;
using lumbrook::testing::Rows;

// Keeps what the engine told it and stops the export, or fails in it, at a given spectrum.
class Recorder final : public ExportListener {
  public:
    explicit Recorder(long at = -1, std::function<void()> pauseAt = {})
        : at_(at), pauseAt_(std::move(pauseAt)) {}

    void BatchedExportStarting() override { running = true; }
    void SpectrumDone(long done, long total, const WriterCounts&) override {
        EXPECT_TRUE(running);
        reports.emplace_back(done, total);
        last_ = done;
    }
    void Pause() override {
        if (last_ == at_ && pauseAt_)
            pauseAt_();
    }
    bool CancelRequested() override { return at_ >= 0 && last_ >= at_ && !pauseAt_; }
    void ExportEnded() override { running = false; }

    bool running = false;
    std::vector<std::pair<long, long>> reports;

  private:
    long at_;
    std::function<void()> pauseAt_;
    long last_ = 0;
};

std::string Head(const std::string& precursor, const std::string& label, long id,
                 long jobRun = 12) {
    return "BEGIN IONS\r\nPEPMASS=" + precursor + "\r\nCHARGE=1+\r\nTITLE=Label: " + label +
           " Spot_Id: " + std::to_string(id) + ", Peak_List_Id: " + std::to_string(id) +
           ", MSMS Job_Run_Id: " + std::to_string(jobRun) + "\r\n";
}
const std::string kEnd = "END IONS\r\n\r\n";

TEST(ExportPeakLists, ReadsTheSpectraInBatchesOfTwoHundred) {
    FixtureDatabase db(JobRunSpectra(450));
    Export request(db);
    const std::string out = db.File("batches.qpk");
    CommandLog log;
    EXPECT_TRUE(request.Run(out));
    ASSERT_EQ(log.commands.size(), 4u);  // the spectra, then one peak query a batch
    const char* ranges[] = {">= 1 and PEAK_LIST_ID <= 200 ", ">= 201 and PEAK_LIST_ID <= 400 ",
                            ">= 401 and PEAK_LIST_ID <= 450 "};
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_NE(log.commands[i + 1].find(ranges[i]), std::string::npos) << log.commands[i + 1];
    EXPECT_EQ(ReadFile(out), JobRunBlocks(450));

    // Exactly 200 spectra make one batch; all spectra of type MS go through the same batches.
    FixtureDatabase exact(JobRunSpectra(200));
    Export all(exact);
    all.msType = "MS";
    log.commands.clear();
    EXPECT_TRUE(all.Run(out));
    ASSERT_EQ(log.commands.size(), 2u);
    EXPECT_NE(log.commands[1].find(">= 1 and PEAK_LIST_ID <= 200 "), std::string::npos)
        << log.commands[1];
    EXPECT_EQ(ReadFile(out), JobRunBlocks(200));
}

// PEAK_LIST_IDs stored as text come in text order (1, 10, 100, 101, ..., 2, 20, ...), the
// spectra and the peaks alike, and the batches' id ranges are compared as text. Every
// spectrum is still written, each block as with integer ids, in the order the database gives
// the spectra. (Before, a merge that compared the ids as numbers passed over most spectra and
// still answered true.)
TEST(ExportPeakLists, IdsStoredAsTextLoseNoSpectrum) {
    FixtureDatabase texts(JobRunSpectra(450), /*baseViews=*/false, PeakListIds::Text);
    Export request(texts);
    const std::string out = texts.File("texts.qpk");
    CommandLog log;
    EXPECT_TRUE(request.Run(out));
    const std::vector<std::string> peakQueries = PeakQueries(log.commands);
    ASSERT_EQ(peakQueries.size(), 3u);
    // The first batch runs from "1" to the 200th id in text order, "279": the ids are text.
    EXPECT_NE(peakQueries[0].find(" PEAK_LIST_ID >= 1 and PEAK_LIST_ID <= 279 "), std::string::npos)
        << peakQueries[0];

    std::vector<std::string> textOrder;
    for (long id = 1; id <= 450; ++id)
        textOrder.push_back(std::to_string(id));
    std::sort(textOrder.begin(), textOrder.end());
    std::string expected;
    for (const std::string& id : textOrder)
        expected += JobRunBlock(std::stol(id));
    EXPECT_EQ(ReadFile(out), expected);
}

TEST(ExportPeakLists, FiltersAtTheirBoundaries) {
    Rows rows = JobRunSpectra(0);
    rows.Spectrum(5, 12, "A1", 1000.00004);
    rows.peaks = {
        {5, 0, 59.9999, 1},       // below minMass: not read
        {5, 0, 60, 2},            // at minMass: written
        {5, 0, 500, 3, 10},       // S/N equal to S2N: not read
        {5, 0, 501, 4, 10.0001},  // written
        {5, 0, 502, 5, 100, 0},   // not monoisotopic: not read
        {5, 0, 503, 6, 100, 2},   // flag above 1 counts as monoisotopic
        {5, 0, 979.99},           // below the upper limit, no area
        {5, 0, 980.00004, 8},     // at the upper limit (precursor - 20): not written
        {5, 0, 990, 9},           // above it: not written
    };
    FixtureDatabase db(rows, /*baseViews=*/true);
    Export request(db);
    request.views = ViewsFor(true);
    const std::string out = db.File("filters.qpk");
    CommandLog log;
    EXPECT_TRUE(request.Run(out));
    EXPECT_EQ(ReadFile(out),
              Head("1000", "A1", 5) + "60\t2\r\n501\t4\r\n503\t6\r\n979.99\t\r\n" + kEnd);
    ASSERT_EQ(log.commands.size(), 2u);
    EXPECT_NE(log.commands[0].find(" from BASE_JOB_RUN_ITEM_VIEW "), std::string::npos);
    EXPECT_NE(log.commands[1].find(" from BASE_PEAK_VIEW "), std::string::npos);

    // With every filter at zero the same spectrum gives every peak below the limit.
    request.filter = {.s2n = 0, .monoisotopic = 0, .minMass = 0, .maxMass = 0.5};
    EXPECT_TRUE(request.Run(out));
    EXPECT_EQ(ReadFile(out), Head("1000", "A1", 5) +
                                 "59.9999\t1\r\n60\t2\r\n500\t3\r\n501\t4\r\n502\t5\r\n"
                                 "503\t6\r\n979.99\t\r\n980.00004\t8\r\n990\t9\r\n" +
                                 kEnd);
}

TEST(ExportPeakLists, OnlyTheJobRunsOwnSpectraLeaveBlocks) {
    Rows rows = JobRunSpectra(0);
    rows.jobRuns.push_back({13, 3, "MS-MS 2 kV"});
    rows.Spectrum(1, 12, "A1", 900).Peaks(1, {{100.5, 1}});
    rows.Spectrum(2, 13, "B1", 900).Peaks(2, {{200.5, 2}});  // in the batch, another job run
    rows.Spectrum(3, 12, "A2", 900).Peaks(3, {{300.5, 3}});  // found again after it
    rows.Spectrum(5, 12, "A6", 900);                         // every peak fails: no trace
    rows.peaks.push_back({5, 0, 500.5, 5, 1});
    rows.Peaks(5, {{890, 5}});
    rows.Spectrum(4, 12, "A3", std::nullopt).Peaks(4, {{400.5, 4}});  // no precursor: nothing
    // Infinite precursor masses: no number, no block.
    rows.Spectrum(7, 12, "A4", HUGE_VAL).Peaks(7, {{700.5, 7}});
    rows.Spectrum(8, 12, "A5", -HUGE_VAL).Peaks(8, {{800.5, 8}});
    FixtureDatabase db(rows);
    Export request(db);
    const std::string out = db.File("others.qpk");
    EXPECT_TRUE(request.Run(out));
    EXPECT_EQ(ReadFile(out), Head("900", "A1", 1) + "100.5\t1\r\n" + kEnd + Head("900", "A2", 3) +
                                 "300.5\t3\r\n" + kEnd);
}

TEST(ExportPeakLists, AnItemWithTwoPeakListsGivesTwoBlocksOrOneMergedList) {
    Rows rows = JobRunSpectra(0);
    rows.spots = {{7, 3, "C3"}};
    rows.items = {{40, 12, 7, 1500}};
    rows.peakLists = {{41, 40}, {42, 40}};
    rows.Peaks(41, {{300, 1}, {100, 2}}).Peaks(42, {{200, 3}});
    FixtureDatabase db(rows);
    Export request(db);
    request.allSpectra = false;
    request.jobRunItemId = 40;
    request.jobRunId = 0;  // only feeds the titles
    const std::string out = db.File("two_lists.qpk");
    EXPECT_TRUE(request.Run(out));
    const std::string title = "TITLE=Label: C3 Spot_Id: 7, Peak_List_Id: ";
    const std::string head = "BEGIN IONS\r\nPEPMASS=1500\r\nCHARGE=1+\r\n" + title;
    EXPECT_EQ(ReadFile(out), head + "41, MSMS Job_Run_Id: 0\r\n100\t2\r\n300\t1\r\n" + kEnd + head +
                                 "42, MSMS Job_Run_Id: 0\r\n200\t3\r\n" + kEnd);

    request.msType = "MS";
    request.filter.s2n = 2.5;
    request.filter.minMass = 250;  // not applied to an MS export
    CommandLog log;
    EXPECT_TRUE(request.Run(out));
    EXPECT_EQ(ReadFile(out), "100\t2\r\n200\t3\r\n300\t1\r\n");
    ASSERT_EQ(log.commands.size(), 2u);
    EXPECT_EQ(log.commands[1],
              "Select distinct CENTROID, AREA from PEAK_VIEW where JOB_RUN_ITEM_ID = 40 and "
              "SIGNAL_TO_NOISE > 2.5 and ISOTOPIC_FLAG >= 1 order by CENTROID");

    // A failing peak query leaves an empty file, and that is no success.
    CommandLog failing([](const std::string& sql) {
        if (sql.rfind("Select distinct CENTROID, AREA from", 0) == 0)
            throw database::DatabaseError("no such table: PEAK_VIEW");
    });
    EXPECT_FALSE(request.Run(out));
    EXPECT_TRUE(FileExists(out));
    EXPECT_EQ(ReadFile(out), "");
}

// A spectrum the item view gives twice (as a join that repeats rows would) and a peak stored
// twice are each exported once: in the blocks, the peak lines and the progress count.
TEST(ExportPeakLists, RowsGivenTwiceAreExportedOnce) {
    Rows rows = JobRunSpectra(2);
    rows.Peaks(1, {{101, 1.5}});  // spectrum 1's peak again, under another number
    FixtureDatabase db(rows);
    db.Run(
        "DROP VIEW JOB_RUN_ITEM_VIEW;\nCREATE VIEW JOB_RUN_ITEM_VIEW AS SELECT I.JOB_RUN_ID AS "
        "JOB_RUN_ID, I.JOB_RUN_ITEM_ID AS JOB_RUN_ITEM_ID, I.SPOT_ID AS SPOT_ID, L.PEAK_LIST_ID AS "
        "PEAK_LIST_ID, I.PRECURSOR_MASS AS PRECURSOR_MASS, S.SPOT_LABEL AS SPOT_LABEL, "
        "R.OPMODE_NAME AS OPMODE_NAME FROM JOB_RUN_ITEM I JOIN JOB_RUN R ON R.JOB_RUN_ID = "
        "I.JOB_RUN_ID JOIN SPOT S ON S.SPOT_ID = I.SPOT_ID JOIN PEAK_LIST L ON L.JOB_RUN_ITEM_ID "
        "= I.JOB_RUN_ITEM_ID CROSS JOIN (SELECT 1 UNION ALL SELECT 2);\n");
    Export request(db);
    const std::string out = db.File("twice.qpk");
    Recorder recorder;
    EXPECT_TRUE(request.Run(out, recorder));
    EXPECT_EQ(ReadFile(out), JobRunBlocks(2));
    EXPECT_EQ(recorder.reports, (std::vector<std::pair<long, long>>{{1, 2}, {2, 2}, {2, 2}}));

    request.allSpectra = false;
    request.jobRunItemId = 1;
    request.msType = "MS";
    EXPECT_TRUE(request.Run(out));
    EXPECT_EQ(ReadFile(out), "101\t1.5\r\n");
}

// A spectrum query that fails, or no connection at all: false, and no file.
TEST(ExportPeakLists, NothingToExportCreatesNoFile) {
    FixtureDatabase db(JobRunSpectra(1));
    Export request(db);
    const std::string out = db.File("nothing.qpk");
    request.views = ViewsFor(true);  // the database has no BASE_ views
    EXPECT_FALSE(request.Run(out));
    request.views = ViewsFor(false);
    request.connection.reset();
    Recorder recorder;
    EXPECT_FALSE(request.Run(out, recorder));
    EXPECT_FALSE(recorder.running);
    EXPECT_FALSE(std::filesystem::exists(out));
}

// Batches whose peak queries all fail (each after its time-out, say) take the cancel after the
// first of them, not after the whole job run.
TEST(ExportPeakLists, ACancelReachesBatchesWhosePeakQueriesFail) {
    FixtureDatabase db(JobRunSpectra(450));
    Export request(db);
    const std::string out = db.File("cancel.qpk");
    CommandLog log([](const std::string& sql) {
        if (sql.rfind("Select distinct CENTROID", 0) == 0)
            throw database::DatabaseError("Query timeout expired");
    });
    Recorder failing(200);
    EXPECT_FALSE(request.Run(out, failing));
    EXPECT_EQ(PeakQueries(log.commands).size(), 1u);
    EXPECT_EQ(failing.reports, (std::vector<std::pair<long, long>>{{200, 450}}));
    EXPECT_TRUE(FileExists(out));
    EXPECT_EQ(ReadFile(out), "");
}

TEST(ExportPeakLists, AnErrorInTheMiddleLeavesTheOldFile) {
    FixtureDatabase db(JobRunSpectra(450));
    Export request(db);
    const std::string out = db.File("error_midway.qpk");
    ASSERT_TRUE(request.Run(out));
    // A call run during a pause fails: the error reaches the caller, and the file written
    // before is the file still there.
    Recorder listener(250, [] { throw std::runtime_error("the host's handler failed"); });
    request.filter.minMass = 0;
    EXPECT_THROW(request.Run(out, listener), std::runtime_error);
    EXPECT_EQ(ReadFile(out), JobRunBlocks(450));
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(out).parent_path())) {
        EXPECT_EQ(entry.path().filename().string().find(".error_midway.qpk."), std::string::npos)
            << "left: " << entry.path();
    }
    EXPECT_FALSE(listener.running);
}

}  // namespace
}  // namespace lumbrook::exporting
