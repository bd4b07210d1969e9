// The demo database generator, as the command-line host calls it: a deterministic SQLite
// file laid out like a real instrument's, whose job run 12 holds the MS/MS spectra of a
// tryptic digest of the demo's proteins. C++ only. The generator is linked into the program
// (the lumbrook_demo library), not into the libraries hosts link, so this header is not
// installed.
#ifndef LUMBROOK_DEMO_DATABASE_H
#define LUMBROOK_DEMO_DATABASE_H

#include <cstdint>
#include <string>

namespace lumbrook::database::demo {

struct DemoOptions {
    std::string path;
    // MS/MS spectra in job run 12; 0 gives one per peptide of the demo's proteins. Larger
    // counts repeat the peptides with fresh noise, for benchmarks.
    long spectra = 0;
    // Also create BASE_JOB_RUN_ITEM_VIEW and BASE_PEAK_VIEW.
    bool baseViews = false;
    std::uint64_t seed = 1;
};

struct DemoSummary {
    long folders = 0;   // OBJECT_TYPE 2
    long spotSets = 0;  // OBJECT_TYPE 6
    long jobRuns = 0;
    long items = 0;
    long peakLists = 0;
    long peaks = 0;
    long msmsSpectra = 0;  // of job run 12
};

// The job run whose export identifies the demo's proteins.
inline constexpr long kMsmsJobRun = 12;

// Writes the database to `options.path`, replacing a file that is there. The file is built
// beside it under a temporary name and renamed into place, so a failure leaves no half
// database. DatabaseError or std::runtime_error on failure.
DemoSummary CreateDemoDatabase(const DemoOptions& options);

}  // namespace lumbrook::database::demo

#endif /* LUMBROOK_DEMO_DATABASE_H */
