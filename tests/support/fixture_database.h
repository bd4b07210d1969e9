// Instrument databases for the tests and benchmarks: SQLite files with the schema the program
// embeds, filled from a declarative list of rows. Each row type holds its table's columns in
// the table's order, so a row reads like the INSERT it becomes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/test_environment.h"

namespace lumbrook::testing {

// A column that may hold NULL.
using Text = std::optional<std::string>;
using Number = std::optional<double>;

// FOLDER_OBJECT's OBJECT_TYPE of the two kinds the browser shows.
constexpr int kFolderType = 2;
constexpr int kSpotSetType = 6;

struct Folder {
    std::int64_t id;
    std::optional<std::int64_t> parent = {};
    std::string name;
    int type = kFolderType;
};

struct Spot {
    std::int64_t id;
    std::int64_t spotSet;
    std::string label;
    Text name = {};
    Text type = {};
};

struct JobRun {
    std::int64_t id;
    std::int64_t spotSet;
    std::string opmode;
    Text submitted = {};
    Text started = {};
    Text finished = {};
};

// JOB_RUN_ITEM; status 9 marks a completed item.
struct Item {
    std::int64_t id;
    std::int64_t jobRun;
    std::int64_t spot;
    Number precursor = {};
    Text acquired = {};
    Text processed = {};
    Text interpreted = {};
    int status = 9;
};

struct PeakList {
    std::int64_t id;
    std::int64_t item;
};

// PEAK; a number of 0 takes the one after the previous peak of the same Rows.
struct Peak {
    std::int64_t list;
    int number;
    double centroid;
    Number area = {};
    Number signalToNoise = 100.0;
    int isotopicFlag = 1;
    Number apex = {};
};

// What a test puts into a database, inserted table by table in this order.
struct Rows {
    std::vector<Folder> folders;
    std::vector<Spot> spots;
    std::vector<JobRun> jobRuns;
    std::vector<Item> items;
    std::vector<PeakList> peakLists;
    std::vector<Peak> peaks;

    // One completed spectrum: item, spot and peak list all numbered `id`, in spot set
    // `spotSet`; the peaks are added with Peaks.
    Rows& Spectrum(std::int64_t id, std::int64_t jobRun, const std::string& label, Number precursor,
                   std::int64_t spotSet = 3);
    // Peaks of peak list `list` with the next free numbers, each with the given centroid and
    // area and the default signal-to-noise and flag.
    Rows& Peaks(std::int64_t list, const std::vector<std::pair<double, Number>>& peaks);
};

// The rows as INSERT statements, one a line, each ending with ";", in a form both SQLite
// and PostgreSQL take; numbers are written in the shortest text that reads back exactly.
std::string InsertStatements(const Rows& rows);

// The rows the database tests share: folders 1 "Root" > 2 "Projects" > 3 "Proj" > spot set 4
// "Set1" with spots 40 and 41; job run 12 (MS/MS, with times) with item 345 (complete,
// precursor 1234.56789, peak list 1001 of two peaks) and item 346 (status 3, nothing but
// NULLs, peak list 1003); job run 13 (MS, no times) with item 350 (peak list 1002, one peak
// with NULL area, S/N and apex).
Rows SampleRows();

// Folder 2 "Projects" and in it the spot set 3 "Set1", where Rows::Spectrum puts its spots.
Rows ProjectsWithSet1();

// The folders and job runs of the listing tests, beside Set1 in folder 2: an empty folder
// "Empty" and a folder "Ärchiv<TAB>2026" holding the spot set 31 "No runs" and a folder
// "Inner" with the spot set 30 `Plate "B"`, whose job run 40 (MS/MS, with times) has item
// 900001 completed and 900002 not, and job run 41 (MS) has none.
void AddListingTree(Rows& rows);

// Statements that replace PEAK_VIEW by the same view with `condition` added, in a form SQLite
// and PostgreSQL both take: a condition that takes its time makes every peak query slow.
std::string PeakViewWhere(const std::string& condition);

// A condition for PeakViewWhere on SQLite that counts without end: the peak query runs until
// its time-out or a cancel.
inline constexpr const char* kEndlessInSqlite =
    "(WITH RECURSIVE spin(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM spin) "
    "SELECT count(*) FROM spin) < 0";

// How PEAK_LIST_ID is stored: as the schema has it (integers), or as text ('10'), which the
// database then orders as text ('10' before '9').
enum class PeakListIds { Integer, Text };

// An SQLite database built from the schema, with the BASE_ views when `baseViews` is set.
// The object keeps no connection open between calls, so that a test that counts the
// program's handles on the file sees only the program's.
class FixtureDatabase {
  public:
    // A new database "test.sqlite" in a temporary folder of its own, which goes with the
    // object, along with every file a test put there.
    explicit FixtureDatabase(const Rows& rows = {}, bool baseViews = false,
                             PeakListIds ids = PeakListIds::Integer);
    // A new database at `path`, replacing a file there, and kept.
    FixtureDatabase(const std::string& path, const Rows& rows, bool baseViews = false);
    FixtureDatabase(const FixtureDatabase&) = delete;
    FixtureDatabase& operator=(const FixtureDatabase&) = delete;

    // Inserts the rows in one transaction; throws std::runtime_error with SQLite's message.
    void Add(const Rows& rows);
    // Runs SQL statements as they are, in one transaction.
    void Run(const std::string& sql);

    const std::string& Path() const { return path_; }
    // The folder of the database, for the test's other files.
    const std::string& Folder() const { return folder_; }
    std::string File(const std::string& name) const { return folder_ + "/" + name; }
    std::string ConnectionString() const { return "Provider=SQLite;Data Source=" + path_; }

  private:
    void Create(const Rows& rows, bool baseViews, PeakListIds ids = PeakListIds::Integer);

    std::optional<TemporaryFolder> owned_;  // the folder of the first constructor
    std::string folder_;
    std::string path_;
};

}  // namespace lumbrook::testing
