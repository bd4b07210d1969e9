// Small SQLite databases for the export tests, built from the committed schema with the
// rows a test needs. Each test names its rows; nothing is generated at random.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>

namespace lumbrook::exporting::testing {

class FixtureDatabase {
  public:
    // Creates a fresh database file at `path` (an old one is removed) with the schema and,
    // with `baseViews`, the BASE_ views.
    explicit FixtureDatabase(const std::string& path, bool baseViews = false);
    ~FixtureDatabase();
    FixtureDatabase(const FixtureDatabase&) = delete;
    FixtureDatabase& operator=(const FixtureDatabase&) = delete;

    // A job run in the given operating mode ("MS-MS 1 kV", "MS Reflector Positive").
    void JobRun(std::int64_t jobRunId, const std::string& opmode);
    // A job run item of that job run on a spot of its own, with one peak list per call of
    // PeakList. A null precursor is stored as NULL.
    void Item(std::int64_t itemId, std::int64_t jobRunId, std::int64_t spotId,
              const std::string& label, std::optional<double> precursorMass);
    void PeakList(std::int64_t peakListId, std::int64_t itemId);
    void Peak(std::int64_t peakListId, double centroid, std::optional<double> area,
              double signalToNoise = 100, int isotopicFlag = 1);

    // Shortcut: job run item `id` with spot `id` and peak list `id`.
    void Spectrum(std::int64_t id, std::int64_t jobRunId, const std::string& label,
                  std::optional<double> precursorMass);

    // Folders and spot sets for the listings, around the fixture's spot set 3 ("Set1", job
    // runs without times): an empty folder "Empty"; a folder "Ärchiv<TAB>2026" holding the
    // spot set 31 "No runs" (no job run) and a folder "Inner" with the spot set 30
    // `Plate "B"`. Spot set 30 has job run 40 (MS/MS, finished 2026-01-02 03:04:05) with
    // item 900001 completed and item 900002 not, and job run 41 (MS) without times.
    void ListingTree();

    void Begin();
    void Commit();
    // Runs SQL statements as they are.
    void Run(const std::string& sql);

    std::string ConnectionString() const { return "Provider=SQLite;Data Source=" + path_; }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* peak_ = nullptr;
    int nextPeakNumber_ = 1;
};

// The whole content of a file, or nullopt when it does not exist.
std::optional<std::string> ReadFile(const std::string& path);

// A fresh path in the test's temporary folder.
std::string TempPath(const std::string& name);

}  // namespace lumbrook::exporting::testing
