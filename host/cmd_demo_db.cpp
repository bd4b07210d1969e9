// lumbrook demo-db: writes the demo database, an SQLite file laid out like an instrument's.
#include <sys/stat.h>  // stat: only a regular file is replaced

#include <cstdio>
#include <iostream>

#include "command.h"
#include "database/database_error.h"
#include "database/demo/demo_database.h"
#include "options.h"

namespace lumbrook::host {
namespace {

constexpr const char* kUsage =
    "Usage: lumbrook demo-db PATH [--spectra N] [--base-views] [--seed S]\n"
    "\n"
    "Writes a demo database to PATH (an SQLite file; a regular file that is there is\n"
    "replaced, anything else is refused). Job run 12 holds one MS/MS spectrum per tryptic\n"
    "peptide of the demo's proteins, so its export identifies them. Open it with the\n"
    "connection string Provider=SQLite;Data Source=PATH.\n"
    "\n"
    "  --spectra N    MS/MS spectra in job run 12 (the peptides repeat), for benchmarks\n"
    "  --base-views   also create BASE_JOB_RUN_ITEM_VIEW and BASE_PEAK_VIEW\n"
    "  --seed S       seed of the peak noise (default 1); the same seed gives the same file\n";

int RunDemoDb(const std::vector<std::string>& args) {
    const ParsedOptions options =
        ParseOptions(args, {{"spectra", true}, {"base-views", false}, {"seed", true}});
    if (options.Has("help")) {
        std::cout << kUsage;
        return kExitOk;
    }
    if (options.positional.size() != 1)
        throw UsageError("demo-db takes one PATH");

    database::demo::DemoOptions demo;
    demo.path = options.positional[0];
    if (auto spectra = options.Get("spectra"))
        demo.spectra = ParseInteger("spectra", *spectra, 1, 10'000'000);
    if (auto seed = options.Get("seed"))
        demo.seed = static_cast<std::uint64_t>(ParseInteger("seed", *seed, 0, 2147483647));
    demo.baseViews = options.Has("base-views");
    // The new file is renamed over PATH: a device, FIFO or folder there (or behind a link)
    // would be replaced by it, so anything but a regular file is refused.
    struct stat info {};
    if (stat(demo.path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        std::cerr << "lumbrook demo-db: " << demo.path
                  << " is not a regular file; only a regular file is replaced\n";
        return kExitFailed;
    }
    try {
        const database::demo::DemoSummary summary = database::demo::CreateDemoDatabase(demo);
        std::cout << "Wrote " << demo.path << ": " << summary.folders << " folders, "
                  << summary.spotSets << " spot sets, " << summary.jobRuns << " job runs, "
                  << summary.items << " items, " << summary.peakLists << " peak lists, "
                  << summary.peaks << " peaks; job run " << database::demo::kMsmsJobRun << " has "
                  << summary.msmsSpectra << " MS/MS spectra\n";
    } catch (const std::exception& e) {
        std::cerr << "lumbrook demo-db: " << e.what() << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

const Registration kDemoDb{{"demo-db", "write the demo database (SQLite)", kUsage, RunDemoDb}};

}  // namespace
}  // namespace lumbrook::host
