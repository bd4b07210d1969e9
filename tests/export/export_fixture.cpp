// export_fixture PATH SPECTRA PEAKS: writes a database for the host's export tests. Job run 12
// (MS/MS) has SPECTRA spectra (peak list and item ids 1..SPECTRA) of PEAKS peaks each; job
// run 13 (MS) has one item, id 1000000, with three peaks. The folders and job runs of the
// listing tests come along (FixtureDatabase::ListingTree).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "fixture_database.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: export_fixture PATH SPECTRA PEAKS\n");
        return 2;
    }
    try {
        const long spectra = std::atol(argv[2]);
        const long peaks = std::atol(argv[3]);
        lumbrook::exporting::testing::FixtureDatabase db(argv[1]);
        db.Begin();
        db.JobRun(12, "MS-MS 1 kV");
        for (long id = 1; id <= spectra; ++id) {
            db.Spectrum(id, 12, "P" + std::to_string(id), 1500.25 + id % 1000);
            for (long p = 0; p < peaks; ++p)
                db.Peak(id, 100 + p * 12.345678, 10 + p % 97 * 1.5);
        }
        db.JobRun(13, "MS Reflector Positive");
        db.Spectrum(1000000, 13, "M1", std::nullopt);
        db.Peak(1000000, 300.5, 1);
        db.Peak(1000000, 200.25, 2);
        db.Peak(1000000, 900.125, 3);
        db.ListingTree();
        db.Commit();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "export_fixture: %s\n", e.what());
        return 1;
    }
    return 0;
}
