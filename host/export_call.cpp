#include "export_call.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <iterator>

#include "command.h"
#include "export_runs.h"
#include "lumbrook/bstr.h"
#include "lumbrook/com_ptr.h"
#include "lumbrook/progress_sink.h"
#include "server.h"

namespace lumbrook::host {
namespace {

// The object under export, for the signal handler, and how many stop signals arrived.
_Lumbrook* volatile exportingObject = nullptr;
volatile std::sig_atomic_t interruptCount = 0;

// The signals that stop an export: Ctrl-C, a scheduler's or service manager's SIGTERM, a
// closed terminal's SIGHUP.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
static_assert(std::size(kStopSignals) == StopSignals::kSignals);

// The first stop signal cancels the export through Cancel, which only sets a flag and is
// documented as safe here; the export then ends on a complete block. A second one, while the
// cancel is under way, ends the process at once by the signal's own default action: the
// target then holds what it held before the export.
extern "C" void OnStopSignal(int signalNumber) {
    interruptCount = interruptCount + 1;
    if (interruptCount > 1) {
        struct sigaction defaultAction {};
        defaultAction.sa_handler = SIG_DFL;
        sigemptyset(&defaultAction.sa_mask);
        sigaction(signalNumber, &defaultAction, nullptr);
        raise(signalNumber);
        return;
    }
    if (_Lumbrook* object = exportingObject)
        object->Cancel();
}

// The progress line on stderr: at most ten updates a second, and the last one when the export
// ends. Its counts come from the export itself (the Progress event and the object's export
// counts); the output is never read, so a pipe, a FIFO or a terminal as output behaves as a
// file does.
class ProgressLine {
  public:
    ProgressLine(bool enabled, _Lumbrook& object) : enabled_(enabled) {
        if (enabled_)
            object.QueryInterface(IID_ILumbrookHostSupport, support_.out_void());
    }

    void Show(long done, long total, bool final) {
        if (!enabled_)
            return;
        const auto now = Clock::now();
        if (!final && shown_ && now - lastShown_ < std::chrono::milliseconds(100))
            return;
        shown_ = true;
        lastShown_ = now;
        LONG blocks = 0;
        LONG peakLines = 0;
        double bytes = 0;
        if (support_)
            support_->GetExportCounts(&blocks, &peakLines, &bytes);
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate = seconds > 0 ? done / seconds : 0;
        std::fprintf(stderr,
                     "\r%ld of %ld spectra, %ld peak lines, %.1f MB, %.0f spectra/s, %.1f s\033[K",
                     done, total, static_cast<long>(peakLines), bytes / 1e6, rate, seconds);
        std::fflush(stderr);
    }
    void End() {
        if (enabled_ && shown_)
            std::fputc('\n', stderr);
    }
    long lastDone = 0;
    long lastTotal = 0;

  private:
    using Clock = std::chrono::steady_clock;
    bool enabled_;
    platform::ComPtr<ILumbrookHostSupport> support_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastShown_{};
    bool shown_ = false;
};

// The object's sentence on the last export and its counts, into `summary`.
void ReadExportReport(_Lumbrook& object, ExportSummary& summary) {
    const auto support = HostSupport(object);
    if (!support)
        return;
    BSTR message = nullptr;
    if (SUCCEEDED(support->GetLastExportMessage(&message)))
        summary.message = TakeText(message);
    LONG blocks = 0;
    LONG peakLines = 0;
    double bytes = 0;
    if (SUCCEEDED(support->GetExportCounts(&blocks, &peakLines, &bytes))) {
        summary.spectra = blocks;
        summary.peakLines = peakLines;
        summary.bytes = static_cast<long long>(bytes);
    }
}

}  // namespace

StopSignals::StopSignals(_Lumbrook& object) {
    interruptCount = 0;
    exportingObject = &object;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    action.sa_flags = SA_RESTART;  // the export's reads and writes go on after a Cancel
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : kStopSignals)
        sigaddset(&action.sa_mask, signalNumber);
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
        sigaction(kStopSignals[i], &action, &previous_[i]);
}

StopSignals::~StopSignals() {
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
        sigaction(kStopSignals[i], &previous_[i], nullptr);
    exportingObject = nullptr;
}

bool StopRequested() {
    return interruptCount > 0;
}

ExportSummary ExportOnce(_Lumbrook& o, ExportCall call, const std::string& file, long jobRun,
                         long item, bool quiet, Outcome& outcome) {
    ExportSummary summary;
    summary.jobRun = jobRun;
    summary.item = item;
    summary.file = file;
    const auto start = std::chrono::steady_clock::now();
    const bool showProgress = !quiet && ::isatty(STDERR_FILENO) == 1;
    ProgressLine progress(showProgress, o);
    // Progress events feed the progress line, and a stop signal that came before the export
    // cleared its cancel flag becomes a Cancel again here.
    bool cancelledHere = false;
    ProgressSink sink([&](LONG done, LONG total) {
        progress.lastDone = done;
        progress.lastTotal = total;
        progress.Show(done, total, false);
        if (interruptCount > 0 && !cancelledHere) {
            cancelledHere = true;
            o.Cancel();
        }
        return S_OK;
    });
    const ProgressAdvice advice(o, sink);
    // "-" is standard output, written through the descriptor the host was given.
    platform::Bstr outFile(file == "-" ? std::string("/dev/stdout") : file);
    BSTR outFileArgument = outFile.get();  // in/out by reference; DoExport leaves it as it is
    VARIANT_BOOL exported = VARIANT_FALSE;
    if (call == ExportCall::DoExport) {
        outcome.hr = o.DoExport(&outFileArgument, &exported);
    } else if (const auto support = HostSupport2(o)) {
        outcome.hr = support->DoExportList(&outFileArgument, &exported);
    } else {
        outcome.hr = E_NOINTERFACE;
    }
    progress.Show(progress.lastDone, progress.lastTotal, true);
    progress.End();
    summary.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.cancelled = cancelledHere || interruptCount > 0;
    if (FAILED(outcome.hr)) {
        outcome.error = DescribeError(outcome.hr);  // before another call replaces the info
        summary.result = "error";
        ReadExportReport(o, summary);
        return summary;
    }
    ReadExportReport(o, summary);
    summary.result = exported != VARIANT_FALSE ? "true" : "false";
    if (exported == VARIANT_FALSE && outcome.cancelled)
        summary.message = "cancelled";
    return summary;
}

void Report(const std::string& command, const ExportSummary& summary, bool quiet, bool json) {
    if (!quiet || summary.result == "skipped")
        std::cerr << SummaryLine(summary) << "\n";
    else if (summary.result != "true" && summary.message != "cancelled")
        std::cerr << "lumbrook " << command << ": " << summary.file << ": " << summary.message
                  << "\n";
    if (summary.message == "cancelled")
        std::cerr << "lumbrook " << command << ": cancelled\n";
    if (json)
        std::cout << SummaryJson(summary) << std::endl;
}

int StatusOf(const ExportSummary& summary) {
    if (summary.result == "true" || summary.result == "skipped")
        return kExitOk;
    return summary.result == "false" ? kExitFailed : kExitObjectError;
}

int Worse(int a, int b) {
    return std::max(a, b);
}

int SetOutputFormat(_Lumbrook& object, const std::string& format, const std::string& file) {
    const auto support = HostSupport3(object);
    if (!support)
        return kExitObjectError;
    HRESULT hr = S_OK;
    platform::Bstr chosen(format);
    if (format.empty() &&
        FAILED(hr = support->FormatOfFileName(platform::Bstr(file).get(), chosen.out())))
        return ReportObjectError("FormatOfFileName", hr);
    if (FAILED(hr = support->put_OutputFormat(chosen.get())))
        return ReportObjectError("setting OutputFormat", hr);
    return kExitOk;
}

}  // namespace lumbrook::host
