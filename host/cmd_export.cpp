// lumbrook export: writes the peak lists of a job run, or of one job run item, into a peak
// list file through the object's Connect and DoExport, as any automation host would.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>

#include "command.h"
#include "connect_options.h"
#include "deadline.h"
#include "export_call.h"
#include "export_runs.h"
#include "listing.h"
#include "lumbrook/bstr.h"
#include "number_options.h"
#include "server.h"

namespace lumbrook::host {
namespace {

constexpr const char* kDescription =
    "Exports all MS/MS spectra of job run N, or the spectrum of job run item M, into the peak\n"
    "list file FILE. With --item, --ms-type says how the item is written (MS-MS: one block per\n"
    "peak list, the default; MS: bare peak lines) and --job-run only feeds the block titles.\n"
    "Several --job-run, or --spot-set, write one file per job run into --out-dir DIR, each\n"
    "the same bytes as the single export of that job run; with --spot-set a job run that is\n"
    "not an MS/MS run is reported and skipped. Without a filter option the value from the\n"
    "preferences stands (60, 20, 10 and 1 when none is stored). --out - writes the export to\n"
    "standard output. After each export a line on stderr tells the file, spectra, peak lines,\n"
    "bytes, seconds and the result.\n"
    "\n"
    "A file is never written in place: the export goes into a hidden temporary file beside it,\n"
    "which replaces FILE once it is complete, so FILE keeps its old content until then and\n"
    "whenever the export fails or is killed. Ctrl-C, SIGTERM and SIGHUP cancel a running\n"
    "export: FILE then holds the complete blocks written so far, and the exports still to come\n"
    "are not started. A second one ends at once and FILE stays as it was.\n"
    "\n"
    "Examples:\n"
    "  lumbrook export -c 'Provider=SQLite;Data Source=lab.sqlite' --job-run 12 -o run12.qpk\n"
    "  lumbrook export --connect-file ~/.lab-db --spot-set 'Plates/Set1' --out-dir nightly \\\n"
    "      --index '{job_run}.tsv' --skip-existing --json\n"
    "  lumbrook export --item 40 --ms-type MS --s2n 5 -o item40.qpk\n"
    "\n"
    "Some readers choose their parser by the file name's extension: name the output with the\n"
    "extension your reader expects (--out, --name).";

struct ExportOptions {
    ConnectOptions connection;
    Deadline deadline;
    std::vector<long> jobRuns;
    long item = 0;
    std::string msType;
    std::string out;
    std::string outDir;
    std::string name = "job_run_{job_run}.qpk";
    std::string format;
    std::string spotSet;
    std::string index;
    bool skipExisting = false;
    double minMass = 0;
    double maxMass = 0;
    double s2n = 0;
    long monoisotopic = 0;
    bool quiet = false;
    bool json = false;
    // The options whose absence means "the object's value stands".
    CLI::Option* formatOption = nullptr;
    CLI::Option* nameOption = nullptr;
    CLI::Option* itemOption = nullptr;
    CLI::Option* msTypeOption = nullptr;
    CLI::Option* minMassOption = nullptr;
    CLI::Option* maxMassOption = nullptr;
    CLI::Option* s2nOption = nullptr;
    CLI::Option* monoisotopicOption = nullptr;
};

// The output format: --format, or else the one the library reads from the name of --out or
// the --name template. With --format and no --name, the names get the format's extension.
// Returns kExitOk or the status of the failure, which has been reported.
int SetFormat(_Lumbrook& o, ExportOptions& options) {
    if (options.formatOption->count() > 0 && options.nameOption->count() == 0) {
        const auto support = HostSupport3(o);
        if (!support)
            return kExitObjectError;
        platform::Bstr extension;
        if (const HRESULT hr =
                support->GetFormatExtension(platform::Bstr(options.format).get(), extension.out());
            FAILED(hr))
            return ReportObjectError("GetFormatExtension", hr);
        options.name = "job_run_{job_run}" + extension.Utf8();
    }
    const std::string format = options.formatOption->count() > 0 ? options.format : "";
    return SetOutputFormat(o, format, options.outDir.empty() ? options.out : options.name);
}

// Sets the object's values from the options. Returns kExitOk or the status of the failure,
// which has been reported.
int SetValues(_Lumbrook& o, const ExportOptions& options) {
    HRESULT hr = S_OK;
    const bool oneItem = options.itemOption->count() > 0;
    if (oneItem && FAILED(hr = o.put_JobRunItemID(static_cast<LONG>(options.item))))
        return ReportObjectError("setting JobRunItemID", hr);
    if (FAILED(hr = o.put_AllSpectra(oneItem ? VARIANT_FALSE : VARIANT_TRUE)))
        return ReportObjectError("setting AllSpectra", hr);
    const std::string msType = options.msTypeOption->count() > 0 ? options.msType : "MS-MS";
    if (FAILED(hr = PutText(o, &_Lumbrook::put_MSType, msType)))
        return ReportObjectError("setting MSType", hr);
    if (options.minMassOption->count() > 0 && FAILED(hr = o.put_minMass(options.minMass)))
        return ReportObjectError("setting minMass", hr);
    if (options.maxMassOption->count() > 0 && FAILED(hr = o.put_maxMass(options.maxMass)))
        return ReportObjectError("setting maxMass", hr);
    if (options.s2nOption->count() > 0 && FAILED(hr = o.put_S2N(options.s2n)))
        return ReportObjectError("setting S2N", hr);
    if (options.monoisotopicOption->count() > 0 &&
        FAILED(hr = o.put_Monoisotopic(static_cast<SHORT>(options.monoisotopic))))
        return ReportObjectError("setting Monoisotopic", hr);
    return kExitOk;
}

// One job run of a folder export, the file it goes to and its index ("" for none).
struct Planned {
    LONG jobRun;
    std::string file;
    std::string index;
};

// `jobRuns` without repeats, in their order.
std::vector<LONG> EachOnce(const std::vector<long>& jobRuns) {
    std::vector<LONG> once;
    for (const long jobRun : jobRuns) {
        if (std::find(once.begin(), once.end(), jobRun) == once.end())
            once.push_back(static_cast<LONG>(jobRun));
    }
    return once;
}

// The job runs of a folder export: those of the spot set, or those given, each once. Sets
// the spot set's id and path for the names; reports a failure and returns nothing.
std::optional<std::vector<LONG>> JobRunsOf(_Lumbrook& o, const ExportOptions& options,
                                           SpotSet& spotSet, int& status) {
    if (options.spotSet.empty())
        return EachOnce(options.jobRuns);
    const auto support = HostSupport2(o);
    if (!support) {
        status = kExitObjectError;
        return std::nullopt;
    }
    const auto found = FindSpotSet(*support, options.spotSet, "--spot-set", status);
    if (!found)
        return std::nullopt;
    spotSet = *found;
    const auto rows = QueryTable(*support, LUMBROOK_LISTING_JOB_RUNS, spotSet.id, status);
    if (!rows)
        return std::nullopt;
    std::vector<LONG> jobRuns = JobRunIds(*rows, spotSet, status);
    if (rows->rows.empty()) {
        std::cerr << "lumbrook export: spot set " << options.spotSet << " has no job runs\n";
        status = kExitFailed;
        return std::nullopt;
    }
    return jobRuns;
}

// The files of a folder export, named by --name and --index below --out-dir. Two outputs under
// one name would leave only the last one: UsageError before any export.
std::vector<Planned> PlanFiles(const ExportOptions& options, const std::vector<LONG>& jobRuns,
                               const SpotSet& spotSet) {
    std::vector<Planned> plan;
    std::map<std::string, LONG> named;
    const auto claim = [&](const std::string& pattern, LONG jobRun, const std::string& option) {
        const std::filesystem::path file =
            std::filesystem::path(options.outDir) /
            FileNameFor(pattern, jobRun, spotSet.id, spotSet.path, option);
        if (const auto [at, fresh] = named.emplace(file.string(), jobRun); !fresh) {
            throw UsageError(
                std::string(options.index.empty() ? "--name gives" : "--name and --index give") +
                " job runs " + std::to_string(at->second) + " and " + std::to_string(jobRun) +
                " the same file " + file.string());
        }
        return file.string();
    };
    for (const LONG jobRun : jobRuns) {
        Planned planned{jobRun, claim(options.name, jobRun, "--name"), {}};
        if (!options.index.empty())
            planned.index = claim(options.index, jobRun, "--index");
        plan.push_back(std::move(planned));
    }
    return plan;
}

// Creates the folder and the folders the names give below it. Reports a failure.
bool CreateFolders(const std::vector<Planned>& plan) {
    for (const Planned& planned : plan) {
        for (const std::string& file : {planned.file, planned.index}) {
            std::error_code error;
            const std::filesystem::path folder = std::filesystem::path(file).parent_path();
            if (file.empty() || folder.empty())
                continue;
            std::filesystem::create_directories(folder, error);
            if (error) {
                std::cerr << "lumbrook export: cannot create " << folder.string() << ": "
                          << error.message() << "\n";
                return false;
            }
        }
    }
    return true;
}

// Whether `file` is a peak list that ends on a complete block, as the library reads it.
bool IsComplete(_Lumbrook& o, const std::string& file) {
    const auto support = HostSupport2(o);
    VARIANT_BOOL complete = VARIANT_FALSE;
    return support &&
           SUCCEEDED(support->IsCompletePeakList(platform::Bstr(file).get(), &complete)) &&
           complete != VARIANT_FALSE;
}

// Makes the next export also write the index `file` ("" for none). Reports a failure.
bool SetIndex(_Lumbrook& o, const std::string& file) {
    const auto support = HostSupport2(o);
    if (!support)
        return false;
    if (const HRESULT hr = support->SetIndexFile(platform::Bstr(file).get()); FAILED(hr)) {
        ReportObjectError("SetIndexFile", hr);
        return false;
    }
    return true;
}

// One file per job run into --out-dir. The files are named and checked for clashes before the
// first export; a stop signal ends the whole call.
int ExportToFolder(_Lumbrook& o, const ExportOptions& options) {
    SpotSet spotSet;
    int status = kExitOk;
    const auto jobRuns = JobRunsOf(o, options, spotSet, status);
    if (!jobRuns)
        return status;
    const std::vector<Planned> plan = PlanFiles(options, *jobRuns, spotSet);
    if (!CreateFolders(plan))
        return kExitFailed;
    // One handler for the whole call: a stop signal between two exports starts no more.
    const StopSignals stopSignals(o);
    for (const Planned& planned : plan) {
        if (StopRequested()) {
            std::cerr << "lumbrook export: cancelled\n";
            return Worse(status, kExitFailed);
        }
        // A complete file is left alone, unless the index asked for is missing: the export then
        // writes both again.
        if (options.skipExisting && IsComplete(o, planned.file) &&
            (planned.index.empty() || std::filesystem::exists(planned.index))) {
            ExportSummary skipped;
            skipped.jobRun = planned.jobRun;
            skipped.file = planned.file;
            skipped.result = "skipped";
            skipped.message = planned.file + " exists and ends on a complete block";
            Report("export", skipped, options.quiet, options.json);
            continue;
        }
        HRESULT hr = S_OK;
        if (FAILED(hr = o.put_JobRunID(planned.jobRun)))
            return Worse(status, ReportObjectError("setting JobRunID", hr));
        if (!options.index.empty() && !SetIndex(o, planned.index))
            return Worse(status, kExitObjectError);
        Outcome outcome;
        ExportSummary summary = ExportOnce(o, ExportCall::DoExport, planned.file, planned.jobRun, 0,
                                           options.quiet, outcome);
        if (outcome.hr == LUMBROOK_E_NOMSMS && !options.spotSet.empty()) {
            // A spot set holds MS runs too; they are not what an MS/MS export is asked for.
            summary.result = "skipped";
            Report("export", summary, options.quiet, options.json);
            continue;
        }
        Report("export", summary, options.quiet, options.json);
        status = Worse(status, StatusOf(summary));
        if (outcome.cancelled)
            break;  // Ctrl-C stops the whole call, not just this export
    }
    return status;
}

// With --json, the line of every export a failed connection left undone: the job runs given,
// or, for a spot set whose job runs were not listed, one line without a job run.
void ReportUnconnected(const ExportOptions& options, const std::string& failure) {
    if (!options.json)
        return;
    const auto line = [&](long jobRun, const std::string& file) {
        ExportSummary summary;
        summary.jobRun = jobRun;
        summary.file = file;
        summary.item = options.itemOption->count() > 0 ? options.item : 0;
        summary.message = failure;
        std::cout << SummaryJson(summary) << std::endl;
    };
    if (options.outDir.empty()) {
        line(options.jobRuns.empty() ? 0 : options.jobRuns.front(), options.out);
    } else if (!options.spotSet.empty()) {
        line(0, options.outDir);
    } else {
        for (const Planned& planned : PlanFiles(options, EachOnce(options.jobRuns), SpotSet{}))
            line(planned.jobRun, planned.file);
    }
}

// Refuses option combinations that ask for no export or for two kinds at once.
void CheckUsage(const ExportOptions& options) {
    const bool oneItem = options.itemOption->count() > 0;
    const bool toFolder = !options.outDir.empty();
    if (oneItem && (toFolder || !options.spotSet.empty() || options.jobRuns.size() > 1))
        throw UsageError("--item exports one item into --out FILE");
    if (!oneItem && options.jobRuns.empty() && options.spotSet.empty())
        throw UsageError("give --job-run N, --spot-set ID|PATH, or --item M");
    if (!oneItem && options.msTypeOption->count() > 0)
        throw UsageError("--ms-type applies only with --item");
    if (!toFolder && (options.jobRuns.size() > 1 || !options.spotSet.empty()))
        throw UsageError("--out-dir DIR is required with several --job-run or with --spot-set");
    if (!toFolder && options.out.empty())
        throw UsageError("--out FILE is required");
    if (options.json && options.out == "-")
        throw UsageError("--json writes to standard output, which --out - already takes");
    if (options.skipExisting && !toFolder)
        throw UsageError("--skip-existing applies only with --out-dir");
    // Job runs given by number are exported without a spot set: a spot set field would
    // leave every name without its value.
    if (options.spotSet.empty() && toFolder) {
        for (const std::string* pattern : {&options.name, &options.index}) {
            if (pattern->find("{spot_set}") != std::string::npos ||
                pattern->find("{spot_set_path}") != std::string::npos)
                throw UsageError("{spot_set} and {spot_set_path} in " + *pattern +
                                 " need --spot-set; --job-run exports without a spot set");
        }
    }
}

// The one export into --out: a job run, or an item.
int ExportToFile(_Lumbrook& o, const ExportOptions& options) {
    const bool oneItem = options.itemOption->count() > 0;
    const long jobRun = options.jobRuns.empty() ? 0 : options.jobRuns.front();
    HRESULT hr = S_OK;
    if (!options.jobRuns.empty() && FAILED(hr = o.put_JobRunID(static_cast<LONG>(jobRun))))
        return ReportObjectError("setting JobRunID", hr);
    if (!options.index.empty() && !SetIndex(o, options.index))
        return kExitObjectError;
    const StopSignals stopSignals(o);
    Outcome outcome;
    const ExportSummary summary = ExportOnce(o, ExportCall::DoExport, options.out, jobRun,
                                             oneItem ? options.item : 0, options.quiet, outcome);
    if (FAILED(outcome.hr)) {
        // The object's error with its number, as every object error is told.
        std::cerr << "lumbrook: DoExport: " << outcome.error << "\n";
        if (options.json)
            std::cout << SummaryJson(summary) << std::endl;
        return kExitObjectError;
    }
    Report("export", summary, options.quiet, options.json);
    return StatusOf(summary);
}

// Checks the options, makes a connected object with their values and runs the export into a
// file or into a folder.
int RunExport(ExportOptions& options) {
    CheckUsage(options);
    options.deadline.Start();
    std::string error;
    LumbrookPtr object = CreateLumbrook(error);
    if (!object) {
        std::cerr << "lumbrook: " << error << "\n";
        return kExitFailed;
    }
    _Lumbrook& o = *object;
    if (const int status = options.connection.Apply(o); status != kExitOk)
        return status;
    if (const int status = SetValues(o, options); status != kExitOk)
        return status;
    if (const int status = SetFormat(o, options); status != kExitOk)
        return status;
    std::string failure;
    if (const int status = ConnectObject(o, "export", &failure); status != kExitOk) {
        ReportUnconnected(options, failure);
        return status;
    }
    return options.outDir.empty() ? ExportToFile(o, options) : ExportToFolder(o, options);
}

Runner DefineExport(CLI::App& app) {
    auto options = std::make_shared<ExportOptions>();
    options->connection.Declare(app);
    options->deadline.Declare(app);
    constexpr long kLongMin = -2147483648L;
    constexpr long kLongMax = 2147483647L;
    app.add_option("--job-run", options->jobRuns,
                   "the job run to export; give it several times for one file each in "
                   "--out-dir")
        ->type_name("N")
        ->transform(WholeNumber())
        ->check(CLI::Range(kLongMin, kLongMax));
    app.add_option("--spot-set", options->spotSet,
                   "export every job run of this spot set (its id, or its path as 'list "
                   "spot-sets' prints it) into --out-dir")
        ->type_name("ID|PATH");
    options->itemOption = app.add_option("--item", options->item, "the job run item to export")
                              ->type_name("M")
                              ->transform(WholeNumber())
                              ->check(CLI::Range(kLongMin, kLongMax));
    options->msTypeOption =
        app.add_option("--ms-type", options->msType,
                       "with --item: MS-MS, one block per peak list (the default); MS, bare "
                       "peak lines")
            ->type_name("MS|MS-MS");
    CLI::Option* out = app.add_option("-o,--out", options->out,
                                      "the peak list file to write; - for standard output")
                           ->type_name("FILE");
    options->formatOption =
        app.add_option("--format", options->format,
                       "qpk, the peak list file; mzml or mzxml, indexed (default: mzML for a "
                       "name ending in .mzML, mzXML for .mzXML, in any case, else qpk; the "
                       "default --name gets the format's extension)")
            ->type_name("qpk|mzml|mzxml")
            ->check(CLI::IsMember({"qpk", "mzml", "mzxml"}, CLI::ignore_case));
    app.add_option("--out-dir", options->outDir,
                   "the folder for one file per job run (created if missing)")
        ->type_name("DIR")
        ->excludes(out);
    options->nameOption =
        app.add_option("--name", options->name,
                       "file names below --out-dir, with the fields {job_run}, {spot_set} and "
                       "{spot_set_path}; in a value \"/\" and control characters become \"_\", "
                       "and a part of the name that a value leaves empty, \".\" or \"..\" is \"_\"")
            ->type_name("TEMPLATE")
            ->capture_default_str();
    app.add_option("--index", options->index,
                   "also write FILE.tsv, one line per block written (its number, PEAK_LIST_ID, "
                   "SPOT_ID, label, job run, item, precursor); with --out-dir a name template "
                   "as --name gives")
        ->type_name("FILE|TEMPLATE");
    app.add_flag("--skip-existing", options->skipExisting,
                 "with --out-dir: leave a file that exists and ends on a complete block (and "
                 "its --index, when one is asked for, exists) as it is, and report it as "
                 "skipped");
    options->minMassOption =
        app.add_option("--min-mass", options->minMass, "lowest fragment mass written, in Da")
            ->type_name("X")
            ->transform(DecimalNumber());
    options->maxMassOption =
        app.add_option("--max-mass", options->maxMass,
                       "peaks from this far below the precursor mass up are dropped, in Da")
            ->type_name("X")
            ->transform(DecimalNumber());
    options->s2nOption = app.add_option("--s2n", options->s2n,
                                        "a written peak's signal-to-noise ratio must exceed X")
                             ->type_name("X")
                             ->transform(DecimalNumber());
    options->monoisotopicOption =
        app.add_option("--monoisotopic", options->monoisotopic, "1: monoisotopic peaks only")
            ->type_name("0|1")
            ->transform(WholeNumber())
            ->check(CLI::Range(-32768L, 32767L));
    app.add_flag("-q,--quiet", options->quiet, "no progress line and no summary line");
    app.add_flag("--json", options->json,
                 "one JSON object per job run on stdout, exported, skipped or failed: job_run, "
                 "item, file, result (true, false, skipped or error), spectra, peak_lines, "
                 "bytes, seconds, message");
    app.footer(std::string(kDescription) + "\n\n" +
               ExitStatusHelp({{kExitOk, "every export ran to its end"},
                               {kExitFailed,
                                "the connection failed, an export returned false\n"
                                "(nothing to export, batches not read), or Ctrl-C"}}));
    return [options] { return RunExport(*options); };
}

const Registration kExport{{"export", "export peak lists into a peak list file", DefineExport}};

}  // namespace
}  // namespace lumbrook::host
