// export_bench_db PATH SPECTRA PEAKS: a job run 12 of SPECTRA MS/MS spectra with PEAKS peaks
// each, for the export benchmark. Values are drawn from a fixed seed, so every run builds the
// same database: precursors from 800 to 3500 Da, centroids spread below the precursor, nine in
// ten peaks monoisotopic and nineteen in twenty above the default signal-to-noise threshold.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <random>
#include <string>
#include <vector>

#include "support/fixture_database.h"

namespace {

// Values are kept to a few decimal places: masses to five, as the PostgreSQL schema's
// NUMERIC(12, 5) holds them, the rest to fewer than the 15 digits in which the sqlite3 shell
// hands them to PostgreSQL, so that the same rows exported from either database give the
// same bytes.
double Decimals(double value, int places) {
    const double scale = std::pow(10.0, places);
    return std::nearbyint(value * scale) / scale;
}

// Spectra go in by the thousand: the rows of a whole job run would not fit in memory.
constexpr long kSpectraPerInsert = 1000;

}  // namespace

int main(int argc, char** argv) {
    using namespace lumbrook::testing;
    if (argc != 4) {
        std::fprintf(stderr, "usage: export_bench_db PATH SPECTRA PEAKS\n");
        return 2;
    }
    const long spectra = std::atol(argv[2]);
    const long peaks = std::atol(argv[3]);
    try {
        Rows start;
        start.folders = {{2, {}, "Projects"}, {3, 2, "Bench", kSpotSetType}};
        start.jobRuns = {{12, 3, "MS-MS 1 kV"}};
        FixtureDatabase db(argv[1], start);

        std::mt19937_64 random(12);
        std::uniform_real_distribution<double> precursorMass(800, 3500);
        std::uniform_real_distribution<double> unit(0, 1);
        std::vector<double> centroids(static_cast<std::size_t>(peaks));
        Rows rows;
        for (long id = 1; id <= spectra; ++id) {
            const std::string label =
                "B" + std::to_string((id - 1) / 384 + 1) + "_" + std::to_string((id - 1) % 384 + 1);
            const double precursor = Decimals(precursorMass(random), 5);
            rows.Spectrum(id, 12, label, precursor);
            for (double& c : centroids)
                c = Decimals(60 + unit(random) * (precursor - 60), 5);
            std::sort(centroids.begin(), centroids.end());
            // No two peaks of a list share a centroid: the export's query orders by centroid
            // alone, so the order of equal ones would be the database's choice and the files
            // of two databases could differ in it.
            for (std::size_t i = 1; i < centroids.size(); ++i)
                centroids[i] = std::max(centroids[i], Decimals(centroids[i - 1] + 1e-5, 5));
            for (long p = 0; p < peaks; ++p) {
                const double area = Decimals(50 + unit(random) * 20000, 2);
                const double s2n = Decimals(5 + unit(random) * 100, 3);  // 95 % above 10
                const int flag = unit(random) < 0.9 ? 1 : 0;
                rows.peaks.push_back({id, static_cast<int>(p + 1),
                                      centroids[static_cast<std::size_t>(p)], area, s2n, flag,
                                      0.0});
            }
            if (id % kSpectraPerInsert == 0 || id == spectra) {
                db.Add(rows);
                rows = Rows();
            }
        }
        db.Run("ANALYZE");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "export_bench_db: %s\n", e.what());
        return 1;
    }
    return 0;
}
