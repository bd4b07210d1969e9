// One export through the object, as `lumbrook export` and `lumbrook browse --export` run it:
// the stop signals that cancel it, the progress line on a terminal, what the object reports
// of it, and the lines and exit statuses that tell it.
#pragma once

#include <csignal>
#include <string>

#include "export_runs.h"
#include "lumbrook/lumbrook.h"

namespace lumbrook::host {

// Installs the handler of the stop signals (Ctrl-C's SIGINT, SIGTERM, SIGHUP) for its life and
// restores the previous dispositions afterwards. The first stop signal cancels the export of
// `object` through Cancel, which ends it on a complete block; a second one ends the process
// at once by the signal's default action, the target then as it was before the export.
class StopSignals {
  public:
    static constexpr std::size_t kSignals = 3;
    explicit StopSignals(_Lumbrook& object);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    struct sigaction previous_[kSignals] {};
};

// Whether a stop signal came since the StopSignals in force were installed.
bool StopRequested();

// The call that makes the export: DoExport of the object's values, or DoExportList of the
// object's DescriptorList.
enum class ExportCall { DoExport, DoExportList };

// What one export call came to, beyond its summary.
struct Outcome {
    HRESULT hr = S_OK;
    bool cancelled = false;
    std::string error;  // a failed call's error info with its number
};

// One export into `file` ("-": standard output) by `call`, with the progress line on a
// terminal unless `quiet`. `jobRun` and `item` only label the summary. The caller holds the
// stop signals for the whole call.
ExportSummary ExportOnce(_Lumbrook& object, ExportCall call, const std::string& file, long jobRun,
                         long item, bool quiet, Outcome& outcome);

// Sets the object's output format: `format` (qpk, mzml or mzxml in any case) or, when it is
// empty, the one the library reads from the name `file`. Returns kExitOk or the status of the
// failure, which has been reported.
int SetOutputFormat(_Lumbrook& object, const std::string& format, const std::string& file);

// The summary line on stderr (with `quiet` only for an export that did not come out true, as
// "lumbrook COMMAND: FILE: message", and for a skipped job run), "lumbrook COMMAND: cancelled"
// after a cancel, and with `json` the JSON line on stdout.
void Report(const std::string& command, const ExportSummary& summary, bool quiet, bool json);

// The exit status of one export's result, and the worse of two statuses.
int StatusOf(const ExportSummary& summary);
int Worse(int a, int b);

}  // namespace lumbrook::host
