// export_bench_db PATH SPECTRA PEAKS: a job run 12 of SPECTRA MS/MS spectra with PEAKS peaks
// each, for the export benchmark. Values are drawn from a fixed seed, so every run builds the
// same database: precursors from 800 to 3500 Da, centroids spread below the precursor, nine in
// ten peaks monoisotopic and nineteen in twenty above the default signal-to-noise threshold.
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool Exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "export_bench_db: %s\n", error != nullptr ? error : "error");
        sqlite3_free(error);
        return false;
    }
    return true;
}

// Values are kept to a few decimal places: masses to five, as the PostgreSQL schema's
// NUMERIC(12, 5) holds them, the rest to fewer than the 15 digits in which the sqlite3 shell
// hands them to PostgreSQL, so that the same rows exported from either database give the
// same bytes.
double Decimals(double value, int places) {
    const double scale = std::pow(10.0, places);
    return std::nearbyint(value * scale) / scale;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: export_bench_db PATH SPECTRA PEAKS\n");
        return 2;
    }
    const std::string path = argv[1];
    const long spectra = std::atol(argv[2]);
    const long peaks = std::atol(argv[3]);
    std::remove(path.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        return 1;
    const std::string schema = ReadText(std::string(LUMBROOK_SCHEMA_DIR) + "/sqlite.sql");
    if (schema.empty() || !Exec(db, schema) || !Exec(db, "PRAGMA synchronous=OFF") ||
        !Exec(db, "BEGIN") ||
        !Exec(db,
              "INSERT INTO FOLDER_OBJECT VALUES (2, NULL, 'Projects', 2, 1), "
              "(3, 2, 'Bench', 6, 1)") ||
        !Exec(db,
              "INSERT INTO JOB_RUN (JOB_RUN_ID, SPOT_SET_ID, OPMODE_NAME) "
              "VALUES (12, 3, 'MS-MS 1 kV')")) {
        return 1;
    }
    sqlite3_stmt* spot = nullptr;
    sqlite3_stmt* item = nullptr;
    sqlite3_stmt* list = nullptr;
    sqlite3_stmt* peak = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO SPOT VALUES (?, 3, ?, NULL, NULL)", -1, &spot, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO JOB_RUN_ITEM VALUES (?, 12, ?, ?, NULL, NULL, NULL, 9)", -1,
                       &item, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO PEAK_LIST VALUES (?, ?)", -1, &list, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO PEAK VALUES (?, ?, ?, ?, ?, ?, 0)", -1, &peak, nullptr);

    std::mt19937_64 random(12);
    std::uniform_real_distribution<double> precursorMass(800, 3500);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<double> centroids(static_cast<std::size_t>(peaks));
    for (long id = 1; id <= spectra; ++id) {
        const std::string label =
            "B" + std::to_string((id - 1) / 384 + 1) + "_" + std::to_string((id - 1) % 384 + 1);
        const double precursor = Decimals(precursorMass(random), 5);
        sqlite3_reset(spot);
        sqlite3_bind_int64(spot, 1, id);
        sqlite3_bind_text(spot, 2, label.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(spot);
        sqlite3_reset(item);
        sqlite3_bind_int64(item, 1, id);
        sqlite3_bind_int64(item, 2, id);
        sqlite3_bind_double(item, 3, precursor);
        sqlite3_step(item);
        sqlite3_reset(list);
        sqlite3_bind_int64(list, 1, id);
        sqlite3_bind_int64(list, 2, id);
        sqlite3_step(list);
        for (double& c : centroids)
            c = Decimals(60 + unit(random) * (precursor - 60), 5);
        std::sort(centroids.begin(), centroids.end());
        // No two peaks of a list share a centroid: the export's query orders by centroid
        // alone, so the order of equal ones would be the database's choice and the files of
        // two databases could differ in it.
        for (std::size_t i = 1; i < centroids.size(); ++i)
            centroids[i] = std::max(centroids[i], Decimals(centroids[i - 1] + 1e-5, 5));
        for (long p = 0; p < peaks; ++p) {
            sqlite3_reset(peak);
            sqlite3_bind_int64(peak, 1, id);
            sqlite3_bind_int64(peak, 2, p + 1);
            sqlite3_bind_double(peak, 3, centroids[static_cast<std::size_t>(p)]);
            sqlite3_bind_double(peak, 4, Decimals(50 + unit(random) * 20000, 2));
            sqlite3_bind_double(peak, 5, Decimals(5 + unit(random) * 100, 3));  // 95 % above 10
            sqlite3_bind_int(peak, 6, unit(random) < 0.9 ? 1 : 0);
            if (sqlite3_step(peak) != SQLITE_DONE) {
                std::fprintf(stderr, "export_bench_db: %s\n", sqlite3_errmsg(db));
                return 1;
            }
        }
    }
    sqlite3_finalize(spot);
    sqlite3_finalize(item);
    sqlite3_finalize(list);
    sqlite3_finalize(peak);
    const bool ok = Exec(db, "COMMIT") && Exec(db, "ANALYZE");
    sqlite3_close(db);
    return ok ? 0 : 1;
}
