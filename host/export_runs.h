// What `lumbrook export` reports about each export: the summary line for people, the JSON
// line for scripts, and the file names of a many-job-run export.
#pragma once

#include <string>

namespace lumbrook::host {

struct ExportSummary {
    long jobRun = 0;
    long item = 0;  // 0 for a whole job run
    std::string file;
    std::string result = "error";  // "true", "false", "skipped" or "error"
    long spectra = 0;              // peak list blocks written
    long peakLines = 0;
    long long bytes = 0;
    double seconds = 0;
    std::string message;  // why not true; "" when it was
};

// "FILE: S spectra, P peak lines, B bytes, T s, true" and, when there is one, ": message";
// "job run N skipped: message" for a job run not exported.
std::string SummaryLine(const ExportSummary& summary);

// One JSON object on one line, with the fields of the summary.
std::string SummaryJson(const ExportSummary& summary);

// A file name relative to --out-dir from `pattern`, with {job_run}, {spot_set} (empty without
// a spot set) and {spot_set_path} replaced. A value, which may come from the database, stays
// inside its file name component: NUL, "/" and the control characters in it are written as
// "_", and a component that a value made empty, "." or ".." is written as "_". The pattern's
// own empty and "." components are dropped. UsageError for any other field, an unclosed
// brace, a pattern that leads out of the folder (absolute, or a ".." of its own) or names no
// file, and a component longer than a file name may be; its message names `option`, the
// option the pattern came from.
std::string FileNameFor(const std::string& pattern, long jobRun, long long spotSet,
                        const std::string& spotSetPath, const std::string& option = "--name");

}  // namespace lumbrook::host
