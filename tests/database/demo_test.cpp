// The demo database as the program reads it: its layout, and MS/MS spectra whose fragments
// belong to their precursors.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "database/connection.h"
#include "database/demo/demo_database.h"
#include "database/demo/fasta.h"
#include "database/demo/peptides.h"
#include "database/listing_queries.h"
#include "support/test_environment.h"

namespace lumbrook::database::demo {
namespace {

using lumbrook::testing::ReadFile;
using lumbrook::testing::TemporaryFolder;

long Count(Connection& connection, const std::string& sql) {
    return static_cast<long>(std::get<std::int64_t>(connection.Execute(sql).Field(0)));
}

// The demo database with the default options, built once for the suite, and its summary.
struct Demo {
    TemporaryFolder folder;
    DemoSummary summary = CreateDemoDatabase({.path = folder.File("demo.sqlite")});
};

class DemoDatabase : public ::testing::Test {
  protected:
    void SetUp() override {
        connection_.Open("Provider=SQLite;Data Source=" + demo_.folder.File("demo.sqlite"));
    }

    static const Demo& Built() {
        static const Demo demo;
        return demo;
    }
    const Demo& demo_ = Built();
    const DemoSummary& summary_ = demo_.summary;
    Connection connection_;
};

TEST_F(DemoDatabase, HasTheFoldersSpotSetsJobRunsAndItemsOfAnInstrument) {
    const long peptides = static_cast<long>(DemoPeptides().size());
    EXPECT_GE(peptides, 30);
    // What the database holds, what the summary says, and what it should be.
    const std::tuple<const char*, long, long> counts[] = {
        {"FOLDER_OBJECT WHERE OBJECT_TYPE = 2", summary_.folders, 5},
        {"FOLDER_OBJECT WHERE OBJECT_TYPE = 6", summary_.spotSets, 4},
        {"JOB_RUN", summary_.jobRuns, 5},
        {"JOB_RUN_ITEM_VIEW WHERE JOB_RUN_ID = 12", summary_.msmsSpectra, peptides},
        {"JOB_RUN_ITEM", summary_.items, summary_.items},
        {"PEAK_LIST", summary_.peakLists, summary_.peakLists},
        {"PEAK", summary_.peaks, summary_.peaks},
    };
    for (const auto& [from, summarised, expected] : counts) {
        EXPECT_EQ(Count(connection_, std::string("SELECT COUNT(*) FROM ") + from), expected)
            << from;
        EXPECT_EQ(summarised, expected) << from;
    }

    EXPECT_EQ(connection_.Execute(FolderChildrenQuery("2")).RecordCount(), 2);
    // The spot set of job run 12 has an MS run and two MS/MS runs (the first two, with their
    // times, are the host's listing test's, database.host_commands); one run is still partly
    // incomplete, and every shown column of its items is filled.
    EXPECT_EQ(connection_.Execute(JobRunsQuery("10")).RecordCount(), 3);
    EXPECT_GT(
        Count(connection_, "SELECT COUNT(*) FROM JOB_RUN_ITEM WHERE JOB_RUN_NUMERIC_STATUS <> 9"),
        0);
    EXPECT_EQ(Count(connection_,
                    "SELECT COUNT(*) FROM JOB_RUN_ITEM_VIEW WHERE JOB_RUN_ID = 12 AND "
                    "(JOB_RUN_NUMERIC_STATUS <> 9 OR SPOT_LABEL IS NULL OR "
                    "ACQ_STATUS IS NULL OR JOB_SUBMIT_TIME IS NULL)"),
              0);
    // Another job run's peak lists lie between the first and the last of job run 12.
    EXPECT_GT(Count(connection_,
                    "SELECT COUNT(*) FROM JOB_RUN_ITEM_VIEW WHERE JOB_RUN_ID <> 12 "
                    "AND PEAK_LIST_ID BETWEEN (SELECT MIN(PEAK_LIST_ID) FROM "
                    "JOB_RUN_ITEM_VIEW WHERE JOB_RUN_ID = 12) AND (SELECT "
                    "MAX(PEAK_LIST_ID) FROM JOB_RUN_ITEM_VIEW WHERE JOB_RUN_ID = 12)"),
              0);
}

TEST_F(DemoDatabase, EachMsmsSpectrumsFragmentsFitItsPrecursor) {
    // The peaks of job run 12 that the export keeps with its default filters (S/N above 10,
    // at least 60 Da, monoisotopic, at least 20 Da below the precursor), by peak list.
    Recordset peaks = connection_.Execute(
        "SELECT I.PEAK_LIST_ID AS LIST_ID, I.PRECURSOR_MASS AS MASS, P.CENTROID AS CENTROID "
        "FROM JOB_RUN_ITEM_VIEW I JOIN PEAK_VIEW P ON P.PEAK_LIST_ID = I.PEAK_LIST_ID WHERE "
        "I.JOB_RUN_ID = 12 AND P.SIGNAL_TO_NOISE > 10 AND P.CENTROID >= 60 AND "
        "P.ISOTOPIC_FLAG >= 1 AND P.CENTROID < I.PRECURSOR_MASS - 20");
    std::map<std::int64_t, std::pair<double, std::vector<double>>> kept;
    for (; !peaks.IsEOF(); peaks.MoveNext()) {
        auto& [precursor, centroids] = kept[std::get<std::int64_t>(peaks.Field("LIST_ID"))];
        precursor = std::get<double>(peaks.Field("MASS"));
        centroids.push_back(std::get<double>(peaks.Field("CENTROID")));
    }
    // Every spectrum keeps peaks (the test above counts the spectra of job run 12).
    ASSERT_EQ(static_cast<long>(kept.size()), summary_.msmsSpectra);
    for (const auto& [list, spectrum] : kept) {
        const auto& [precursor, centroids] = spectrum;
        // A b ion and its complementary y ion add up to [M+H]+ plus one proton.
        const double sum = precursor + kProtonMass;
        int paired = 0;
        for (double a : centroids) {
            for (double b : centroids) {
                if (std::fabs(a + b - sum) < 0.01) {
                    ++paired;
                    break;
                }
            }
        }
        EXPECT_GE(paired, 6) << "peak list " << list;
        EXPECT_GE(paired * 10, static_cast<int>(centroids.size()) * 6)
            << "peak list " << list << ": " << paired << " of " << centroids.size() << " paired";
    }
}

// Each MS/MS precursor once among the monoisotopic peaks of its spot's MS spectrum (job run 10).
TEST_F(DemoDatabase, TheMsSpectraHoldThePrecursorsOfTheirSpot) {
    EXPECT_EQ(Count(connection_,
                    "SELECT COUNT(*) FROM JOB_RUN_ITEM_VIEW I JOIN JOB_RUN_ITEM_VIEW M ON "
                    "M.JOB_RUN_ID = 10 AND M.SPOT_ID = I.SPOT_ID JOIN PEAK_VIEW P ON "
                    "P.PEAK_LIST_ID = M.PEAK_LIST_ID WHERE I.JOB_RUN_ID = 12 AND "
                    "P.ISOTOPIC_FLAG = 1 AND ABS(P.CENTROID - I.PRECURSOR_MASS) < 0.001"),
              summary_.msmsSpectra);
}

TEST(DemoOptions, TheSeedTheSpectraAndTheBaseViewsShapeTheFile) {
    TemporaryFolder folder;
    DemoOptions options;
    options.path = folder.File("a.sqlite");
    options.spectra = 120;
    options.baseViews = true;
    EXPECT_EQ(CreateDemoDatabase(options).msmsSpectra, 120);
    options.path = folder.File("b.sqlite");
    CreateDemoDatabase(options);
    EXPECT_EQ(ReadFile(folder.File("a.sqlite")), ReadFile(folder.File("b.sqlite")));
    options.seed = 2;
    CreateDemoDatabase(options);  // replaces b.sqlite
    EXPECT_NE(ReadFile(folder.File("a.sqlite")), ReadFile(folder.File("b.sqlite")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("b.sqlite.partial")));

    // The probe's view of --base-views is the host test's (database.host_commands).
    Connection connection;
    connection.Open("Provider=SQLite;Data Source=" + folder.File("a.sqlite"));
    EXPECT_EQ(
        Count(connection, "SELECT COUNT(*) FROM BASE_JOB_RUN_ITEM_VIEW WHERE JOB_RUN_ID = 12"),
        120);

    options.path = folder.File("missing-folder/c.sqlite");
    EXPECT_THROW(CreateDemoDatabase(options), std::exception);
    EXPECT_FALSE(std::filesystem::exists(folder.File("missing-folder")));
}

TEST(DemoPeptides, MassesAgreeWithPublishedDigestValues) {
    // [M+H]+ of well-known tryptic peptides of cytochrome c and myoglobin.
    EXPECT_NEAR(ProtonatedMass("TGPNLHGLFGR"), 1168.6221, 0.002);
    EXPECT_NEAR(ProtonatedMass("LFTGHPETLEK"), 1271.6630, 0.002);
    EXPECT_NEAR(ProtonatedMass("VEADIAGHGQEVLIR"), 1606.8552, 0.002);
    EXPECT_EQ(ProtonatedMass("PEPTIDEX"), 0);

    EXPECT_EQ(TrypticDigest("MKPLRAKRPG"), (std::vector<std::string>{"MKPLR", "AK", "RPG"}));
    const auto fragments = FragmentIons("PEPK");
    ASSERT_EQ(fragments.size(), 6u);
    EXPECT_NEAR(fragments[0].mz + fragments[5].mz, ProtonatedMass("PEPK") + kProtonMass, 1e-9);

    const auto proteins = ParseFasta(">A first\nMKV\n\n;comment\nLR*\n>B\nGG\n");
    ASSERT_EQ(proteins.size(), 2u);
    EXPECT_EQ(proteins[0].name, "A");
    EXPECT_EQ(proteins[0].description, "first");
    EXPECT_EQ(proteins[0].sequence, "MKVLR");
    EXPECT_THROW(ParseFasta("MKV\n"), std::invalid_argument);
    EXPECT_THROW(ParseFasta(">A\nMK1V\n"), std::invalid_argument);

    std::set<std::string> names;
    for (const DemoPeptide& peptide : DemoPeptides())
        names.insert(peptide.protein);
    EXPECT_EQ(names.size(), 5u);  // every protein contributes peptides
}

}  // namespace
}  // namespace lumbrook::database::demo
