// What `lumbrook export` reports about each export: the summary line for people, the JSON
// line for scripts, and the file names of a many-job-run export.
#pragma once

#include <string>

namespace lumbrook::host {

struct ExportSummary {
    long jobRun = 0;
    long item = 0;  // 0 for a whole job run
    std::string file;
    std::string result = "error";  // "true", "false" or "error"
    long spectra = 0;              // peak list blocks written
    long peakLines = 0;
    long long bytes = 0;
    double seconds = 0;
    std::string message;  // why not true; "" when it was
};

// "FILE: S spectra, P peak lines, B bytes, T s, true" and, when there is one, ": message".
std::string SummaryLine(const ExportSummary& summary);

// One JSON object on one line, with the fields of the summary.
std::string SummaryJson(const ExportSummary& summary);

// A file name from `pattern`: {job_run}, {spot_set} and {spot_set_path} (with "/" written
// as "_") replaced. UsageError for any other field or an unclosed brace.
std::string FileNameFor(const std::string& pattern, long jobRun, long spotSet,
                        const std::string& spotSetPath);

}  // namespace lumbrook::host
