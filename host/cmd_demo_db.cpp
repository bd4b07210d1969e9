// lumbrook demo-db: writes the demo database, an SQLite file laid out like an instrument's.
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
    "Writes a demo database to PATH (an SQLite file; one that is there is replaced). Job run\n"
    "12 holds one MS/MS spectrum per tryptic peptide of the demo's proteins, so its export\n"
    "identifies them. Open it with the connection string Provider=SQLite;Data Source=PATH.\n"
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
        demo.spectra = ParseInteger("--spectra", *spectra, 1, 10'000'000);
    if (auto seed = options.Get("seed"))
        demo.seed = static_cast<std::uint64_t>(ParseInteger("--seed", *seed, 0, 2147483647));
    demo.baseViews = options.Has("base-views");
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
