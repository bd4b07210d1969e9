#include "export_runs.h"

#include <cstdio>

#include "command.h"
#include "table_output.h"

namespace lumbrook::host {

std::string SummaryLine(const ExportSummary& summary) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", summary.seconds);
    std::string line = summary.file + ": " + std::to_string(summary.spectra) + " spectra, " +
                       std::to_string(summary.peakLines) + " peak lines, " +
                       std::to_string(summary.bytes) + " bytes, " + seconds + " s, " +
                       summary.result;
    if (!summary.message.empty())
        line += ": " + summary.message;
    return line;
}

std::string SummaryJson(const ExportSummary& summary) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", summary.seconds);
    return "{\"job_run\": " + std::to_string(summary.jobRun) +
           ", \"item\": " + (summary.item != 0 ? std::to_string(summary.item) : "null") +
           ", \"file\": " + JsonString(summary.file) +
           ", \"result\": " + JsonString(summary.result) +
           ", \"spectra\": " + std::to_string(summary.spectra) +
           ", \"peak_lines\": " + std::to_string(summary.peakLines) +
           ", \"bytes\": " + std::to_string(summary.bytes) + ", \"seconds\": " + seconds +
           ", \"message\": " + JsonString(summary.message) + "}";
}

std::string FileNameFor(const std::string& pattern, long jobRun, long spotSet,
                        const std::string& spotSetPath) {
    std::string flatPath = spotSetPath;
    for (char& c : flatPath) {
        if (c == '/')
            c = '_';
    }
    std::string name;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '{') {
            name += pattern[i];
            continue;
        }
        const std::size_t close = pattern.find('}', i);
        if (close == std::string::npos)
            throw UsageError("--name: a '{' without its '}' in " + pattern);
        const std::string field = pattern.substr(i + 1, close - i - 1);
        if (field == "job_run")
            name += std::to_string(jobRun);
        else if (field == "spot_set")
            name += spotSet != 0 ? std::to_string(spotSet) : std::string();
        else if (field == "spot_set_path")
            name += flatPath;
        else
            throw UsageError("--name: unknown field {" + field +
                             "}; the fields are {job_run}, {spot_set} and {spot_set_path}");
        i = close;
    }
    return name;
}

}  // namespace lumbrook::host
