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

namespace {

using namespace lumbrook::testing;

// Beside Set1, in folder 2: an empty folder "Empty" and a folder "Ärchiv<TAB>2026" holding the
// spot set 31 "No runs" (no job run) and a folder "Inner" with the spot set 30 `Plate "B"`.
// Spot set 30 has job run 40 (MS/MS, finished 2026-01-02 03:04:05) with item 900001 completed
// and item 900002 not, and job run 41 (MS) without times.
void AddListingTree(Rows& rows) {
    rows.folders.insert(rows.folders.end(), {{20, 2, "\xC3\x84rchiv\t2026"},
                                             {21, 2, "Empty"},
                                             {22, 20, "Inner"},
                                             {30, 22, "Plate \"B\"", kSpotSetType},
                                             {31, 20, "No runs", kSpotSetType}});
    rows.jobRuns.insert(rows.jobRuns.end(), {{40, 30, "MS-MS 1 kV", "2026-01-02 01:00:00",
                                              "2026-01-02 02:00:00", "2026-01-02 03:04:05"},
                                             {41, 30, "MS Reflector Positive"}});
    rows.spots.insert(rows.spots.end(),
                      {{900001, 30, "A1", "Sample A1", "Sample"}, {900002, 30, "A2"}});
    rows.items.insert(rows.items.end(),
                      {{900001, 40, 900001, 1234.56789, "Acquired", "Processed", {}, 9},
                       {900002, 40, 900002, 999.5, {}, {}, {}, 5},
                       {900003, 41, 900002, {}, {}, {}, {}, 9}});
    rows.peakLists.insert(rows.peakLists.end(),
                          {{900001, 900001}, {900002, 900002}, {900003, 900003}});
    rows.peaks.push_back({900001, 0, 300.25, 12.5});
}

}  // namespace

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
            // A peak view that counts an endless sequence before it yields a row.
            db.Run(
                "DROP VIEW PEAK_VIEW; CREATE VIEW PEAK_VIEW AS WITH RECURSIVE spin(n) AS "
                "(SELECT 0 UNION ALL SELECT n + 1 FROM spin) SELECT P.PEAK_LIST_ID AS "
                "PEAK_LIST_ID, L.JOB_RUN_ITEM_ID AS JOB_RUN_ITEM_ID, P.CENTROID AS CENTROID, "
                "P.AREA AS AREA, P.SIGNAL_TO_NOISE AS SIGNAL_TO_NOISE, P.ISOTOPIC_FLAG AS "
                "ISOTOPIC_FLAG FROM PEAK P JOIN PEAK_LIST L ON L.PEAK_LIST_ID = P.PEAK_LIST_ID "
                "WHERE (SELECT count(*) FROM spin) < 0");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "export_fixture: %s\n", e.what());
        return 1;
    }
    return 0;
}
