#include "export_runs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "command.h"
#include "json_text.h"

namespace lumbrook::host {

std::string SummaryLine(const ExportSummary& summary) {
    if (summary.result == "skipped")
        return "job run " + std::to_string(summary.jobRun) + " skipped: " + summary.message;
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
    Json line = {{"job_run", summary.jobRun}};
    line["item"] = summary.item != 0 ? Json(summary.item) : Json(nullptr);
    line["file"] = summary.file;
    line["result"] = summary.result;
    line["spectra"] = summary.spectra;
    line["peak_lines"] = summary.peakLines;
    line["bytes"] = summary.bytes;
    line["seconds"] = std::round(summary.seconds * 1000) / 1000;  // to the millisecond
    line["message"] = summary.message;
    return JsonText(line);
}

namespace {

// The longest file name component Linux file systems take, in bytes.
constexpr std::size_t kLongestComponent = 255;

// A substituted value as text that stays inside one file name component.
std::string ComponentText(std::string value) {
    for (char& c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || byte < 0x20 || byte == 0x7F)
            c = '_';
    }
    return value;
}

// One component of an expanded name, and whether a substituted value went into it.
struct Component {
    std::string text;
    bool substituted = false;
};

}  // namespace

std::string FileNameFor(const std::string& pattern, long jobRun, long long spotSet,
                        const std::string& spotSetPath, const std::string& option) {
    std::vector<Component> components(1);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '/') {
            components.emplace_back();
            continue;
        }
        if (pattern[i] != '{') {
            components.back().text += pattern[i];
            continue;
        }
        const std::size_t close = pattern.find('}', i);
        if (close == std::string::npos)
            throw UsageError(option + ": a '{' without its '}' in " + pattern);
        const std::string field = pattern.substr(i + 1, close - i - 1);
        std::string value;
        if (field == "job_run")
            value = std::to_string(jobRun);
        else if (field == "spot_set")
            value = spotSet != 0 ? std::to_string(spotSet) : std::string();
        else if (field == "spot_set_path")
            value = spotSetPath;
        else
            throw UsageError(option + ": unknown field {" + field +
                             "}; the fields are {job_run}, {spot_set} and {spot_set_path}");
        components.back().text += ComponentText(value);
        components.back().substituted = true;
        i = close;
    }
    if (pattern.starts_with('/'))
        throw UsageError(option + ": " + pattern + " is an absolute name, outside --out-dir");
    std::string relative;
    for (std::size_t at = 0; at < components.size(); ++at) {
        Component& component = components[at];
        const bool dots = component.text == "." || component.text == "..";
        if (component.substituted && (component.text.empty() || dots)) {
            component.text = "_";  // a value, empty or dots, cannot name the folder or above
        } else if (component.text == "..") {
            throw UsageError(option + ": " + pattern + " leads out of --out-dir");
        } else if (component.text.empty() || component.text == ".") {
            if (at + 1 == components.size())
                throw UsageError(option + ": " + pattern + " names a folder, not a file");
            continue;  // "a//b" and "./b" name what "a/b" and "b" name
        }
        if (component.text.size() > kLongestComponent)
            throw UsageError(option + ": " + pattern + " gives a file name component of " +
                             std::to_string(component.text.size()) + " bytes, more than " +
                             std::to_string(kLongestComponent));
        relative += (relative.empty() ? "" : "/") + component.text;
    }
    return relative;
}

}  // namespace lumbrook::host
