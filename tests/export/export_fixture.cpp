// export_fixture PATH SPECTRA PEAKS [slow]: writes a database for the host's export tests. Job
// run 12 (MS/MS) has SPECTRA spectra (peak list and item ids 1..SPECTRA) of PEAKS peaks each;
// job run 13 (MS) has one item, id 1000000, with three peaks. With "slow", every query of the
// peak view runs until its time-out.
// The folders and job runs of the host's listing tests come along (AddListingTree).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "support/fixture_database.h"

using namespace lumbrook::testing;

int main(int argc, char** argv) {
    if (argc != 4 && !(argc == 5 && std::string(argv[4]) == "slow")) {
        std::fprintf(stderr, "usage: export_fixture PATH SPECTRA PEAKS [slow]\n");
        return 2;
    }
    try {
        const long spectra = std::atol(argv[2]);
        const long peaks = std::atol(argv[3]);
        Rows rows = ProjectsWithSet1();
        rows.jobRuns = {{12, 3, "MS-MS 1 kV"}, {13, 3, "MS Reflector Positive"}};
        for (long id = 1; id <= spectra; ++id) {
            rows.Spectrum(id, 12, "P" + std::to_string(id), 1500.25 + id % 1000);
            for (long p = 0; p < peaks; ++p)
                rows.Peaks(id, {{100 + p * 12.345678, 10 + p % 97 * 1.5}});
        }
        rows.Spectrum(1000000, 13, "M1", std::nullopt)
            .Peaks(1000000, {{300.5, 1}, {200.25, 2}, {900.125, 3}});
        AddListingTree(rows);
        FixtureDatabase db(argv[1], rows);
        if (argc == 5) {
            db.Run(PeakViewWhere(kEndlessInSqlite));  // every peak query until its time-out
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "export_fixture: %s\n", e.what());
        return 1;
    }
    return 0;
}
