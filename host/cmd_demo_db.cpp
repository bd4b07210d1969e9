// lumbrook demo-db: writes the demo database, an SQLite file laid out like an instrument's.
#include <sys/stat.h>  // stat: only a regular file is replaced

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>

#include "command.h"
#include "lumbrook/demo_database.h"
#include "number_options.h"

namespace lumbrook::host {
namespace {

constexpr const char* kDescription =
    "Writes a demo database to PATH (an SQLite file; a regular file that is there is\n"
    "replaced, anything else is refused). Job run 12 holds one MS/MS spectrum per tryptic\n"
    "peptide of the demo's proteins, so its export identifies them. Open it with the\n"
    "connection string Provider=SQLite;Data Source=PATH.";

int RunDemoDb(const database::demo::DemoOptions& demo) {
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

Runner DefineDemoDb(CLI::App& app) {
    auto demo = std::make_shared<database::demo::DemoOptions>();
    app.add_option("PATH", demo->path, "the database file to write")->required()->type_name("FILE");
    app.add_option("--spectra", demo->spectra,
                   "MS/MS spectra in job run 12 (the peptides repeat), for benchmarks; by "
                   "default one per peptide")
        ->type_name("N")
        ->transform(WholeNumber())
        ->check(CLI::Range(1L, 10'000'000L));
    app.add_flag("--base-views", demo->baseViews,
                 "also create BASE_JOB_RUN_ITEM_VIEW and BASE_PEAK_VIEW");
    app.add_option("--seed", demo->seed,
                   "seed of the peak noise; the same seed gives the same file")
        ->type_name("S")
        ->transform(WholeNumber())
        ->check(CLI::Range(0L, 2147483647L))
        ->capture_default_str();
    app.footer(std::string(kDescription) + "\n\n" +
               ExitStatusHelp({{kExitOk, "written"}, {kExitFailed, "PATH cannot be written"}}));
    return [demo] { return RunDemoDb(*demo); };
}

const Registration kDemoDb{{"demo-db", "write the demo database (SQLite)", DefineDemoDb}};

}  // namespace
}  // namespace lumbrook::host
