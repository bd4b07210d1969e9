// The list-then-export workflow as a user runs it without a display, through the real
// program: the same listings and exports from SQLite and PostgreSQL, names from the database
// that stay in --out-dir, file names that reach the file system byte for byte, and a server
// that stops answering.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "database/connection.h"
#include "postgres_server.h"
#include "support/fixture_database.h"
#include "support/test_environment.h"

namespace lumbrook::host {
namespace {

using database::testing::PostgresCluster;
using database::testing::PostgresDatabase;
using lumbrook::testing::FileExists;
using lumbrook::testing::FixtureDatabase;
using lumbrook::testing::ReadFile;
using lumbrook::testing::Rows;
using lumbrook::testing::TemporaryFolder;

struct HostRun {
    int status = -1;
    std::string out;
    std::string err;
    double seconds = 0;
};

// Starts `lumbrook ARGS` with its standard output and error in files of `folder`.
pid_t Start(const std::vector<std::string>& args, const std::string& folder) {
    const pid_t child = fork();
    if (child == 0) {
        const int out = open((folder + "/stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open((folder + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(LUMBROOK_HOST)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(LUMBROOK_HOST, argv.data());
        _exit(127);
    }
    return child;
}

HostRun Finish(pid_t child, const std::string& folder,
               std::chrono::steady_clock::time_point started) {
    HostRun run;
    int wait = 0;
    waitpid(child, &wait, 0);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    run.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait);
    run.out = ReadFile(folder + "/stdout");
    run.err = ReadFile(folder + "/stderr");
    return run;
}

HostRun Lumbrook(const std::vector<std::string>& args) {
    const TemporaryFolder folder;
    const auto started = std::chrono::steady_clock::now();
    return Finish(Start(args, folder.path()), folder.path(), started);
}

// Every file below `root`, by its path relative to it, byte for byte.
std::set<std::string> FilesBelow(const std::string& root) {
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_directory())
            files.insert(std::filesystem::relative(entry.path(), root).string());
    }
    return files;
}

// Job run 12 (MS/MS, 30 spectra) and 13 (MS) in spot set 3, and the listing folders.
Rows ListingRows() {
    Rows rows = lumbrook::testing::ProjectsWithSet1();
    rows.jobRuns = {{12, 3, "MS-MS 1 kV", {}, {}, "2026-03-02 10:03:45"},
                    {13, 3, "MS Reflector Positive"}};
    for (int id = 1; id <= 30; ++id) {
        rows.Spectrum(id, 12, "P" + std::to_string(id), 1500.25 + id)
            .Peaks(id, {{100 + id * 1.5, 10.0}, {400.125, id * 2.5}});
    }
    rows.Spectrum(1000, 13, "M1", std::nullopt).Peaks(1000, {{300.5, 1.0}});
    lumbrook::testing::AddListingTree(rows);
    return rows;
}

// A server reports the listing queries' names in its own case; the program lists and exports
// the same on every provider.
TEST(Workflow, SqliteAndPostgresListAndExportTheSame) {
    const Rows rows = ListingRows();
    const FixtureDatabase sqlite(rows);
    PostgresDatabase postgres(false);
    postgres.Run(lumbrook::testing::InsertStatements(rows));
    const std::string spotSetPath = "\xC3\x84rchiv\t2026/Inner/Plate \"B\"";
    const std::vector<std::vector<std::string>> listings = {{"spot-sets"},
                                                            {"job-runs", "--spot-set", "3"},
                                                            {"job-runs", "--spot-set", spotSetPath},
                                                            {"items", "--job-run", "40"},
                                                            {"items", "--job-run", "12"}};
    for (const auto& listing : listings) {
        for (const char* format : {"text", "tsv", "json"}) {
            std::vector<std::string> args = {"list"};
            args.insert(args.end(), listing.begin(), listing.end());
            args.insert(args.end(), {"--format", format, "-c"});
            auto onSqlite = args;
            onSqlite.push_back(sqlite.ConnectionString());
            args.push_back(postgres.ConnectionString());
            const HostRun fromSqlite = Lumbrook(onSqlite);
            const HostRun fromPostgres = Lumbrook(args);
            SCOPED_TRACE(listing.front() + " " + format + "\n" + fromPostgres.err);
            EXPECT_EQ(fromSqlite.status, 0);
            EXPECT_EQ(fromPostgres.status, 0);
            EXPECT_GT(fromSqlite.out.size(), 20u);
            EXPECT_EQ(fromSqlite.out, fromPostgres.out);
        }
    }

    // A spot set's job runs from the server, each into its file, the MS run skipped. (The
    // bytes of a job run from either provider: ExportFromPostgres; the index: NightlyBatch.)
    const TemporaryFolder out;
    const HostRun run = Lumbrook({"export", "--spot-set", "Set1", "--out-dir", out.path(), "-c",
                                  postgres.ConnectionString(), "-q"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(FilesBelow(out.path()), (std::set<std::string>{"job_run_12.qpk"}));
}

// The lines of a text, without their line ends (CR LF or LF).
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::istringstream in(text); std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// What an index line must say of a block: its number, then the PEAK_LIST_ID, SPOT_ID and
// label of its title, the job run, no item, and its PEPMASS.
std::vector<std::string> IndexLinesOfBlocks(const std::string& peakList) {
    std::vector<std::string> expected;
    std::string precursor;
    for (const std::string& line : Lines(peakList)) {
        if (line.starts_with("PEPMASS="))
            precursor = line.substr(8);
        if (!line.starts_with("TITLE=Label: "))
            continue;
        const std::size_t spot = line.find(" Spot_Id: ");
        const std::size_t id = line.find(", Peak_List_Id: ");
        const std::size_t jobRun = line.find(", MSMS Job_Run_Id: ");
        expected.push_back(
            std::to_string(expected.size() + 1) + "\t" + line.substr(id + 16, jobRun - id - 16) +
            "\t" + line.substr(spot + 10, id - spot - 10) + "\t" + line.substr(13, spot - 13) +
            "\t" + line.substr(jobRun + 19) + "\t\t" + precursor);
    }
    return expected;
}

// A batch as a lab runs it every night: an index that maps every block back to the database,
// a second run that leaves complete files alone and redoes a cut one, and a JSON line for
// every job run, the skipped and the failed ones included.
TEST(Workflow, NightlyBatchIndexesSkipsAndReportsEveryJobRun) {
    const FixtureDatabase db(ListingRows());
    const std::string out = db.File("out");
    const std::vector<std::string> batch = {
        "export", "--spot-set", "Set1", "--out-dir",          out, "--index", "{job_run}.tsv",
        "--json", "-q",         "-c",   db.ConnectionString()};
    const HostRun first = Lumbrook(batch);
    ASSERT_EQ(first.status, 0) << first.err;
    const std::string peakList = ReadFile(out + "/job_run_12.qpk");
    std::vector<std::string> index = Lines(ReadFile(out + "/12.tsv"));
    ASSERT_EQ(index.size(), 31u);
    EXPECT_EQ(index.front(),
              "block\tpeak_list_id\tspot_id\tlabel\tjob_run\tjob_run_item\tprecursor_mass");
    index.erase(index.begin());
    EXPECT_EQ(index, IndexLinesOfBlocks(peakList));
    const std::vector<std::string> firstLines = Lines(first.out);
    ASSERT_EQ(firstLines.size(), 2u) << first.out;
    EXPECT_NE(firstLines[0].find("\"result\":\"true\""), std::string::npos) << first.out;
    EXPECT_NE(firstLines[1].find("\"job_run\":13,"), std::string::npos) << first.out;
    EXPECT_NE(firstLines[1].find("\"result\":\"skipped\",\"spectra\":0"), std::string::npos)
        << first.out;

    // Again with --skip-existing: the complete file is left as it is, a cut one is redone.
    std::vector<std::string> again = batch;
    again.push_back("--skip-existing");
    const HostRun second = Lumbrook(again);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_NE(second.out.find("\"job_run\":12,\"item\":null,\"file\":\"" + out +
                              "/job_run_12.qpk\",\"result\":\"skipped\""),
              std::string::npos)
        << second.out;
    EXPECT_EQ(ReadFile(out + "/job_run_12.qpk"), peakList);
    const std::string indexText = ReadFile(out + "/12.tsv");
    std::filesystem::remove(out + "/12.tsv");  // a missing index is made again, with its file
    EXPECT_NE(Lumbrook(again).out.find("\"job_run\":12,\"item\":null,\"file\":\"" + out +
                                       "/job_run_12.qpk\",\"result\":\"true\""),
              std::string::npos);
    EXPECT_EQ(ReadFile(out + "/12.tsv"), indexText);
    std::filesystem::resize_file(out + "/job_run_12.qpk", peakList.size() / 2);
    const HostRun third = Lumbrook(again);
    EXPECT_EQ(third.status, 0) << third.err;
    EXPECT_NE(third.out.find("\"result\":\"true\""), std::string::npos) << third.out;
    EXPECT_EQ(ReadFile(out + "/job_run_12.qpk"), peakList);

    // The one file and its index: the same lines; the file itself is no index.
    const HostRun single =
        Lumbrook({"export", "--job-run", "12", "--out", db.File("one.qpk"), "--index",
                  db.File("one.tsv"), "-q", "-c", db.ConnectionString()});
    EXPECT_EQ(single.status, 0) << single.err;
    EXPECT_EQ(ReadFile(db.File("one.tsv")), ReadFile(out + "/12.tsv"));
    const HostRun onItself =
        Lumbrook({"export", "--job-run", "12", "--out", db.File("same"), "--index", db.File("same"),
                  "-q", "-c", db.ConnectionString()});
    EXPECT_EQ(onItself.status, 3);
    EXPECT_NE(onItself.err.find("is the peak list file itself"), std::string::npos) << onItself.err;
    EXPECT_FALSE(FileExists(db.File("same")));

    // A failed connection still gives every job run its line.
    const HostRun unconnected =
        Lumbrook({"export", "--job-run", "12", "--job-run", "40", "--out-dir", out, "--json", "-q",
                  "-c", "Provider=SQLite;Data Source=" + db.File("none/x.sqlite")});
    EXPECT_EQ(unconnected.status, 1);
    const std::vector<std::string> failed = Lines(unconnected.out);
    ASSERT_EQ(failed.size(), 2u) << unconnected.out;
    for (const std::string& line : failed)
        EXPECT_NE(line.find("\"result\":\"error\""), std::string::npos) << line;
    EXPECT_NE(failed[1].find("\"job_run\":40,"), std::string::npos) << failed[1];

    // A spot set field with job runs given by number would name nothing.
    const HostRun noSpotSet = Lumbrook({"export", "--job-run", "12", "--out-dir", out, "--name",
                                        "{spot_set}.qpk", "-c", db.ConnectionString()});
    EXPECT_EQ(noSpotSet.status, 2);
    EXPECT_NE(noSpotSet.err.find("need --spot-set"), std::string::npos) << noSpotSet.err;
}

// --format, in any case, chooses the format whatever --out is named; one it does not know is
// refused before anything is written. (The name choosing it, and --format naming the files
// of a folder: tests/export/data_formats_test.py.)
TEST(Workflow, TheFormatOptionWinsOverTheFileNameAndAnUnknownOneIsRefused) {
    const FixtureDatabase db(ListingRows());
    const auto exportAs = [&](const std::string& format) {
        return Lumbrook({"export", "--job-run", "12", "--out", db.File(format + ".mzML"),
                         "--format", format, "-q", "-c", db.ConnectionString()});
    };
    EXPECT_EQ(exportAs("QPK").status, 0);
    EXPECT_TRUE(ReadFile(db.File("QPK.mzML")).starts_with("BEGIN IONS\r\n"));
    EXPECT_EQ(exportAs("csv").status, 2);
    EXPECT_FALSE(FileExists(db.File("csv.mzML")));
}

// The preferences in Linux terms: what `config` stores is what a new object reads, a bad
// value changes nothing, and a password is never shown.
TEST(Workflow, ConfigStoresWhatANewObjectReads) {
    const std::string connection = "Provider=SQLite;Data Source=/data/lab.sqlite;Pwd=s3cret";
    EXPECT_EQ(Lumbrook({"config", "set", "connection", " " + connection + "\n"}).status, 0);
    EXPECT_EQ(Lumbrook({"config", "set", "filter", "50, 20.5,5,0"}).status, 0);
    for (const char* bad : {"50,20,5", "-1,20,5,1", "1e5,20,5,1", "50,20,5,2", "0x10,1,1,1"}) {
        const HostRun refused = Lumbrook({"config", "set", "filter", bad});
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_NE(refused.err.find("lumbrook config set: filter: "), std::string::npos)
            << refused.err;
    }
    const HostRun shown = Lumbrook({"config", "show"});
    EXPECT_EQ(shown.out,
              "connection  stored   Provider=SQLite;Data Source=/data/lab.sqlite;Pwd=***\n"
              "filter      stored   50, 20.5,5,0\n");
    const HostRun props = Lumbrook({"props", "--show-secrets"});
    EXPECT_NE(props.out.find("\nODBCString=" + connection +
                             "\nminMass=50\nmaxMass=20.5\nS2N=5\n"
                             "Monoisotopic=0\n"),
              std::string::npos)
        << props.out;

    EXPECT_EQ(Lumbrook({"config", "unset", "filter"}).status, 0);
    EXPECT_EQ(Lumbrook({"config", "unset", "filter"}).status, 0);  // none stored: no error
    EXPECT_EQ(Lumbrook({"config", "unset", "connection"}).status, 0);
    const HostRun defaults = Lumbrook({"config", "show"});
    EXPECT_NE(defaults.out.find("\nfilter      default  60,20,10,1\n"), std::string::npos)
        << defaults.out;
    EXPECT_EQ(defaults.out.find("password=qx"), std::string::npos) << defaults.out;
}

// The process ids of the server's backends that serve `database`, but this test's own.
std::vector<int> Backends(database::Connection& monitor, const std::string& database,
                          const std::string& queryPart) {
    const database::Recordset rows =
        monitor.Execute("SELECT pid FROM pg_stat_activity WHERE datname = '" + database +
                        "' AND pid <> pg_backend_pid() AND query LIKE '%" + queryPart + "%'");
    std::vector<int> pids;
    for (long row = 1; row <= rows.RecordCount(); ++row)
        pids.push_back(static_cast<int>(std::get<std::int64_t>(rows.At(row, 0))));
    return pids;
}

// A backend frozen in mid-query answers nothing, not even a cancel: --timeout ends the call.
TEST(Workflow, TimeoutEndsAnExportWhoseServerStoppedAnswering) {
    PostgresDatabase postgres(false);
    postgres.Run(lumbrook::testing::InsertStatements(ListingRows()));
    // A peak query that takes its time, so that the backend can be caught running it.
    postgres.Run(lumbrook::testing::PeakViewWhere("length(pg_sleep(20)::text) >= 0"));
    database::Connection monitor;
    monitor.Open(PostgresCluster::Get().MsdasqlString(postgres.Name()));

    const TemporaryFolder folder;
    const std::string target = folder.path() + "/run12.qpk";
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = Start({"export", "--job-run", "12", "--out", target, "--timeout", "3", "-c",
                               postgres.ConnectionString()},
                              folder.path());
    std::vector<int> frozen;
    for (int attempt = 0; attempt < 100 && frozen.empty(); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        frozen = Backends(monitor, postgres.Name(), "PEAK_VIEW");
    }
    for (const int pid : frozen)
        kill(pid, SIGSTOP);
    const HostRun run = Finish(child, folder.path(), started);
    for (const int pid : frozen)
        kill(pid, SIGCONT);
    ASSERT_FALSE(frozen.empty()) << "the export's peak query was never seen";
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "lumbrook: gave up after 3 s\n");
    EXPECT_LT(run.seconds, 3 + 2.0);
    EXPECT_FALSE(FileExists(target));  // as it was
}

// Names that come from the database: every spot set's export lands in a file of its own
// inside --out-dir, whatever its name holds. (Each rule of the names: FileNameFor.)
TEST(Workflow, NamesFromTheDatabaseStayInTheFolder) {
    Rows rows = lumbrook::testing::ProjectsWithSet1();
    const std::vector<std::string> names = {"..",
                                            "a/b",
                                            "ctl\x01x",
                                            "M\xFC"
                                            "ller",
                                            "Twin",
                                            "Twin",
                                            std::string(300, 'x')};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto spotSet = static_cast<std::int64_t>(100 + i);
        const auto jobRun = static_cast<std::int64_t>(200 + i);
        rows.folders.push_back({spotSet, 2, names[i], lumbrook::testing::kSpotSetType});
        rows.jobRuns.push_back({jobRun, spotSet, "MS-MS 1 kV"});
        rows.Spectrum(jobRun, jobRun, "S", 1500.5, spotSet).Peaks(jobRun, {{200.5, 3.0}});
    }
    // A folder and a spot set whose ids need more than 32 bits.
    rows.folders.push_back({4294967299, 2, "Wide"});
    rows.folders.push_back({4294967300, 4294967299, "Deep", lumbrook::testing::kSpotSetType});
    const FixtureDatabase db(rows);
    const std::string out = db.File("out");
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        if (names[i] == "Twin")
            continue;
        const HostRun run =
            Lumbrook({"export", "--spot-set", std::to_string(100 + i), "--out-dir", out, "--name",
                      "{spot_set_path}/{job_run}.qpk", "-c", db.ConnectionString(), "-q"});
        EXPECT_EQ(run.status, 0) << names[i] << ": " << run.err;
    }
    EXPECT_EQ(FilesBelow(out), (std::set<std::string>{"_/200.qpk", "a_b/201.qpk", "ctl_x/202.qpk",
                                                      "M\xFCller/203.qpk"}));
    EXPECT_EQ(FilesBelow(db.Folder()).size(), 5u);  // and nothing beside them but the database

    // A name longer than a file name may be is refused before anything is written.
    const HostRun tooLong =
        Lumbrook({"export", "--spot-set", "106", "--out-dir", db.File("long"), "--name",
                  "{spot_set_path}.qpk", "-c", db.ConnectionString()});
    EXPECT_EQ(tooLong.status, 2);
    EXPECT_NE(tooLong.err.find("component of 304 bytes"), std::string::npos) << tooLong.err;
    EXPECT_FALSE(FileExists(db.File("long")));

    // Two spot sets of one path: neither is taken for the other.
    const HostRun twin =
        Lumbrook({"list", "job-runs", "--spot-set", "Twin", "-c", db.ConnectionString()});
    EXPECT_EQ(twin.status, 1);
    EXPECT_NE(twin.err.find("2 spot sets have the path Twin (ids 104 105)"), std::string::npos)
        << twin.err;

    // Ids beyond 32 bits are listed whole; as an option they are refused.
    const HostRun spotSets =
        Lumbrook({"list", "spot-sets", "--format", "tsv", "-c", db.ConnectionString()});
    EXPECT_NE(spotSets.out.find("\n4294967300\tWide/Deep\n"), std::string::npos) << spotSets.out;
    const HostRun wide =
        Lumbrook({"list", "job-runs", "--spot-set", "4294967300", "-c", db.ConnectionString()});
    EXPECT_EQ(wide.status, 2);
    EXPECT_NE(wide.err.find("--spot-set"), std::string::npos) << wide.err;
    const HostRun deep = Lumbrook(
        {"export", "--spot-set", "Wide/Deep", "--out-dir", out, "-c", db.ConnectionString()});
    EXPECT_EQ(deep.status, 1);
    EXPECT_NE(deep.err.find("has no job runs"), std::string::npos) << deep.err;
}

// A file name that is not UTF-8 reaches the file system as it is: two names that differ only
// there are two files, and the JSON report stays UTF-8.
TEST(Workflow, FileNamesThatAreNotUtf8ArriveByteForByte) {
    const FixtureDatabase db(ListingRows());
    for (const std::string name : {"M\xFCller.qpk", "M\xE4ller.qpk"}) {
        const HostRun run = Lumbrook({"export", "--job-run", "12", "--out", db.File(name), "--json",
                                      "-q", "-c", db.ConnectionString()});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("M\xEF\xBF\xBDller.qpk\""), std::string::npos) << run.out;
    }
    EXPECT_EQ(FilesBelow(db.Folder()),
              (std::set<std::string>{"test.sqlite", "M\xFCller.qpk", "M\xE4ller.qpk"}));
}

}  // namespace
}  // namespace lumbrook::host
