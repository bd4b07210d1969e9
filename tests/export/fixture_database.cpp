#include "fixture_database.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace lumbrook::exporting::testing {
namespace {

std::string ReadSchema(const char* name) {
    const auto text = ReadFile(std::string(LUMBROOK_SCHEMA_DIR) + "/" + name);
    if (!text)
        throw std::runtime_error(std::string("no schema file ") + name);
    return *text;
}

}  // namespace

FixtureDatabase::FixtureDatabase(const std::string& path, bool baseViews) : path_(path) {
    std::filesystem::remove(path);
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK)
        throw std::runtime_error("cannot create " + path);
    Run(ReadSchema("sqlite.sql"));
    if (baseViews)
        Run(ReadSchema("sqlite_base_views.sql"));
    Run("INSERT INTO FOLDER_OBJECT VALUES (2, NULL, 'Projects', 2, 1)");
    Run("INSERT INTO FOLDER_OBJECT VALUES (3, 2, 'Set1', 6, 1)");
    if (sqlite3_prepare_v2(db_,
                           "INSERT INTO PEAK (PEAK_LIST_ID, PEAK_NUMBER, CENTROID, AREA, "
                           "SIGNAL_TO_NOISE, ISOTOPIC_FLAG, APEX) VALUES (?, ?, ?, ?, ?, ?, 0)",
                           -1, &peak_, nullptr) != SQLITE_OK) {
        throw std::runtime_error(sqlite3_errmsg(db_));
    }
}

FixtureDatabase::~FixtureDatabase() {
    sqlite3_finalize(peak_);
    sqlite3_close(db_);
}

void FixtureDatabase::Run(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error != nullptr ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error(message + " in: " + sql);
    }
}

void FixtureDatabase::ListingTree() {
    Run("INSERT INTO FOLDER_OBJECT VALUES (20, 2, '\xC3\x84rchiv	2026', 2, 1)");
    Run("INSERT INTO FOLDER_OBJECT VALUES (21, 2, 'Empty', 2, 1)");
    Run("INSERT INTO FOLDER_OBJECT VALUES (22, 20, 'Inner', 2, 0)");
    Run("INSERT INTO FOLDER_OBJECT VALUES (30, 22, 'Plate \"B\"', 6, 1)");
    Run("INSERT INTO FOLDER_OBJECT VALUES (31, 20, 'No runs', 6, 1)");
    Run("INSERT INTO JOB_RUN VALUES (40, 30, 'MS-MS 1 kV', '2026-01-02 01:00:00', "
        "'2026-01-02 02:00:00', '2026-01-02 03:04:05')");
    Run("INSERT INTO JOB_RUN VALUES (41, 30, 'MS Reflector Positive', NULL, NULL, NULL)");
    Run("INSERT INTO SPOT VALUES (900001, 30, 'A1', 'Sample A1', 'Sample')");
    Run("INSERT INTO SPOT VALUES (900002, 30, 'A2', NULL, NULL)");
    Run("INSERT INTO JOB_RUN_ITEM VALUES (900001, 40, 900001, 1234.56789, 'Acquired', "
        "'Processed', NULL, 9)");
    Run("INSERT INTO JOB_RUN_ITEM VALUES (900002, 40, 900002, 999.5, NULL, NULL, NULL, 5)");
    Run("INSERT INTO JOB_RUN_ITEM VALUES (900003, 41, 900002, NULL, NULL, NULL, NULL, 9)");
    for (const int id : {900001, 900002, 900003})
        PeakList(id, id);
    Peak(900001, 300.25, 12.5);
}

void FixtureDatabase::Begin() {
    Run("BEGIN");
}

void FixtureDatabase::Commit() {
    Run("COMMIT");
}

void FixtureDatabase::JobRun(std::int64_t jobRunId, const std::string& opmode) {
    Run("INSERT INTO JOB_RUN (JOB_RUN_ID, SPOT_SET_ID, OPMODE_NAME) VALUES (" +
        std::to_string(jobRunId) + ", 3, '" + opmode + "')");
}

void FixtureDatabase::Item(std::int64_t itemId, std::int64_t jobRunId, std::int64_t spotId,
                           const std::string& label, std::optional<double> precursorMass) {
    sqlite3_stmt* spot = nullptr;
    sqlite3_prepare_v2(db_,
                       "INSERT OR IGNORE INTO SPOT (SPOT_ID, SPOT_SET_ID, SPOT_LABEL) "
                       "VALUES (?, 3, ?)",
                       -1, &spot, nullptr);
    sqlite3_bind_int64(spot, 1, spotId);
    sqlite3_bind_text(spot, 2, label.c_str(), static_cast<int>(label.size()), SQLITE_TRANSIENT);
    const int spotResult = sqlite3_step(spot);
    sqlite3_finalize(spot);
    if (spotResult != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(db_));

    sqlite3_stmt* item = nullptr;
    sqlite3_prepare_v2(db_,
                       "INSERT INTO JOB_RUN_ITEM (JOB_RUN_ITEM_ID, JOB_RUN_ID, SPOT_ID, "
                       "PRECURSOR_MASS, JOB_RUN_NUMERIC_STATUS) VALUES (?, ?, ?, ?, 9)",
                       -1, &item, nullptr);
    sqlite3_bind_int64(item, 1, itemId);
    sqlite3_bind_int64(item, 2, jobRunId);
    sqlite3_bind_int64(item, 3, spotId);
    if (precursorMass)
        sqlite3_bind_double(item, 4, *precursorMass);
    else
        sqlite3_bind_null(item, 4);
    const int itemResult = sqlite3_step(item);
    sqlite3_finalize(item);
    if (itemResult != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(db_));
}

void FixtureDatabase::PeakList(std::int64_t peakListId, std::int64_t itemId) {
    Run("INSERT INTO PEAK_LIST (PEAK_LIST_ID, JOB_RUN_ITEM_ID) VALUES (" +
        std::to_string(peakListId) + ", " + std::to_string(itemId) + ")");
}

void FixtureDatabase::Peak(std::int64_t peakListId, double centroid, std::optional<double> area,
                           double signalToNoise, int isotopicFlag) {
    sqlite3_reset(peak_);
    sqlite3_bind_int64(peak_, 1, peakListId);
    sqlite3_bind_int(peak_, 2, nextPeakNumber_++);
    sqlite3_bind_double(peak_, 3, centroid);
    if (area)
        sqlite3_bind_double(peak_, 4, *area);
    else
        sqlite3_bind_null(peak_, 4);
    sqlite3_bind_double(peak_, 5, signalToNoise);
    sqlite3_bind_int(peak_, 6, isotopicFlag);
    if (sqlite3_step(peak_) != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(db_));
}

void FixtureDatabase::Spectrum(std::int64_t id, std::int64_t jobRunId, const std::string& label,
                               std::optional<double> precursorMass) {
    Item(id, jobRunId, id, label, precursorMass);
    PeakList(id, id);
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string TempPath(const std::string& name) {
    // Beside the test program, so that two build trees testing at once never share files.
    const auto folder =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "export-test-files";
    std::filesystem::create_directories(folder);
    const auto path = folder / name;
    std::filesystem::remove(path);
    return path.string();
}

}  // namespace lumbrook::exporting::testing
