// lumbrook export: writes the peak lists of a job run, or of one job run item, into a peak
// list file through the object's Connect and DoExport, as any automation host would.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>

#include "command.h"
#include "options.h"
#include "platform/com/bstr.h"
#include "platform/com/guid.h"
#include "server.h"

namespace lumbrook::host {
namespace {

constexpr const char* kExportHelp =
    "Usage: lumbrook export [--connect STRING] --job-run N --out FILE [FILTERS]\n"
    "       lumbrook export [--connect STRING] [--job-run N] --item M [--ms-type MS|MS-MS]\n"
    "                       --out FILE [FILTERS]\n"
    "\n"
    "Exports all MS/MS spectra of job run N, or the spectrum of job run item M, into the peak\n"
    "list file FILE. With --item, --ms-type says how the item is written (MS-MS: one block per\n"
    "peak list, the default; MS: bare peak lines) and --job-run only feeds the block titles.\n"
    "\n"
    "Options:\n"
    "  --connect STRING     connection string (default: the object's ODBCString preference)\n"
    "  --min-mass X         lowest fragment mass written, in Da\n"
    "  --max-mass X         peaks from this far below the precursor mass up are dropped, in Da\n"
    "  --s2n X              a written peak's signal-to-noise ratio must exceed X\n"
    "  --monoisotopic 0|1   1: monoisotopic peaks only\n"
    "  --quiet              no progress line\n"
    "Without a filter option the value from the preferences stands (60, 20, 10 and 1 when\n"
    "none is stored). Ctrl-C cancels a running export; the file then ends on a complete block.\n"
    "\n"
    "Exit status: 0 exported; 1 the connection or the export failed, or it was cancelled;\n"
    "2 usage error; 3 the object raised an error.\n";

// Set by the SIGINT handler; the progress sink turns it into a Cancel on the export's thread,
// where the object expects its calls.
volatile std::sig_atomic_t interruptCount = 0;

extern "C" void OnInterrupt(int) {
    interruptCount = interruptCount + 1;
    if (interruptCount > 1) {
        // A second Ctrl-C while the first is not yet seen (a long query): stop at once.
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
    }
}

// Follows the file as the export writes it, counting blocks and peak lines. The engine hands
// its text on in large pieces, so reading what has arrived so far is cheap and exact at the
// end.
class FileFollower {
  public:
    explicit FileFollower(std::string path) : path_(std::move(path)) {}

    void Update() {
        if (!in_.is_open()) {
            in_.open(path_, std::ios::binary);
            if (!in_.is_open())
                return;  // not created yet
        }
        char chunk[1 << 16];
        for (;;) {
            in_.read(chunk, sizeof chunk);
            const std::streamsize got = in_.gcount();
            for (std::streamsize i = 0; i < got; ++i)
                Take(chunk[i]);
            if (got < static_cast<std::streamsize>(sizeof chunk))
                break;
        }
        in_.clear();  // at the end for now; more may come
    }
    long PeakLines() const { return peakLines_; }

  private:
    void Take(char c) {
        if (c != '\n') {
            if (line_.size() < 16)
                line_ += c;  // enough to tell the line's kind
            hasTab_ = hasTab_ || c == '\t';
            return;
        }
        if (hasTab_ && line_.rfind("TITLE=", 0) != 0)
            ++peakLines_;
        line_.clear();
        hasTab_ = false;
    }

    std::string path_;
    std::ifstream in_;
    std::string line_;
    bool hasTab_ = false;
    long peakLines_ = 0;
};

// The progress line on stderr: at most ten updates a second, and the last one when the export
// ends.
class ProgressLine {
  public:
    ProgressLine(bool enabled, std::string path) : enabled_(enabled), follower_(std::move(path)) {}

    void Show(long done, long total, bool final) {
        if (!enabled_)
            return;
        const auto now = Clock::now();
        if (!final && shown_ && now - lastShown_ < std::chrono::milliseconds(100))
            return;
        shown_ = true;
        lastShown_ = now;
        follower_.Update();
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate = seconds > 0 ? done / seconds : 0;
        std::fprintf(stderr, "\r%ld of %ld spectra, %ld peak lines, %.0f spectra/s, %.1f s\033[K",
                     done, total, follower_.PeakLines(), rate, seconds);
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
    FileFollower follower_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastShown_{};
    bool shown_ = false;
};

// The host's event sink: Progress events feed the progress line, and a pending Ctrl-C becomes
// a Cancel, called from this handler as a host's own Cancel would arrive.
class ProgressSink final : public IDispatch {
  public:
    ProgressSink(_Lumbrook& object, ProgressLine& line) : object_(object), line_(line) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDispatch)
            return E_NOINTERFACE;
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    // Lives on the stack of the command; the count only keeps the protocol.
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override { return --refs_; }
    HRESULT GetTypeInfoCount(UINT* count) override {
        if (count != nullptr)
            *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                   UINT*) override {
        if (id != LUMBROOK_DISPID_PROGRESS || params == nullptr || params->cArgs != 2)
            return DISP_E_MEMBERNOTFOUND;
        // Arguments arrive last first: rgvarg[1] is done, rgvarg[0] the total.
        line_.lastDone = params->rgvarg[1].u.lVal;
        line_.lastTotal = params->rgvarg[0].u.lVal;
        line_.Show(line_.lastDone, line_.lastTotal, false);
        if (interruptCount > 0 && !cancelled_) {
            cancelled_ = true;
            object_.Cancel();
        }
        return S_OK;
    }
    bool Cancelled() const { return cancelled_ || interruptCount > 0; }

  private:
    _Lumbrook& object_;
    ProgressLine& line_;
    ULONG refs_ = 1;
    bool cancelled_ = false;
};

// Advises a sink for the life of the export and unadvises it afterwards.
class Advice {
  public:
    Advice(_Lumbrook& object, IDispatch* sink) {
        platform::ComPtr<IConnectionPointContainer> container;
        if (FAILED(object.QueryInterface(IID_IConnectionPointContainer, container.out_void())))
            return;
        if (FAILED(container->FindConnectionPoint(DIID___Lumbrook, point_.out())))
            return;
        if (FAILED(point_->Advise(sink, &cookie_)))
            point_.reset();
    }
    ~Advice() {
        if (point_)
            point_->Unadvise(cookie_);
    }
    Advice(const Advice&) = delete;
    Advice& operator=(const Advice&) = delete;
    bool Active() const { return static_cast<bool>(point_); }

  private:
    platform::ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

// Restores the previous SIGINT disposition when the export is over.
class InterruptHandler {
  public:
    InterruptHandler() {
        interruptCount = 0;
        previous_ = std::signal(SIGINT, OnInterrupt);
    }
    ~InterruptHandler() { std::signal(SIGINT, previous_); }
    InterruptHandler(const InterruptHandler&) = delete;
    InterruptHandler& operator=(const InterruptHandler&) = delete;

  private:
    void (*previous_)(int) = SIG_DFL;
};

std::string ConnectError(_Lumbrook& object) {
    platform::ComPtr<ILumbrookHostSupport> support;
    if (FAILED(object.QueryInterface(IID_ILumbrookHostSupport, support.out_void())))
        return {};
    platform::Bstr text;
    if (FAILED(support->GetLastConnectError(text.out())))
        return {};
    return text.Utf8();
}

int RunExport(const std::vector<std::string>& args) {
    const ParsedOptions options = ParseOptions(args, {{"connect"},
                                                      {"job-run"},
                                                      {"item"},
                                                      {"ms-type"},
                                                      {"out"},
                                                      {"min-mass"},
                                                      {"max-mass"},
                                                      {"s2n"},
                                                      {"monoisotopic"},
                                                      {"quiet", false}});
    if (options.Has("help")) {
        std::cout << kExportHelp;
        return kExitOk;
    }
    if (!options.positional.empty())
        throw UsageError("unexpected argument '" + options.positional.front() + "'");
    const std::optional<std::string> out = options.Get("out");
    if (!out || out->empty())
        throw UsageError("--out FILE is required");
    const bool oneItem = options.Has("item");
    if (!oneItem && !options.Has("job-run"))
        throw UsageError("give --job-run N, or --item M");
    if (!oneItem && options.Has("ms-type"))
        throw UsageError("--ms-type applies only with --item");
    constexpr long kLongMin = -2147483648L;
    constexpr long kLongMax = 2147483647L;
    std::optional<long> jobRun;
    if (const auto text = options.Get("job-run"))
        jobRun = ParseInteger("job-run", *text, kLongMin, kLongMax);
    std::optional<long> item;
    if (const auto text = options.Get("item"))
        item = ParseInteger("item", *text, kLongMin, kLongMax);
    std::optional<double> minMass;
    std::optional<double> maxMass;
    std::optional<double> s2n;
    std::optional<long> monoisotopic;
    if (const auto text = options.Get("min-mass"))
        minMass = ParseDouble("min-mass", *text);
    if (const auto text = options.Get("max-mass"))
        maxMass = ParseDouble("max-mass", *text);
    if (const auto text = options.Get("s2n"))
        s2n = ParseDouble("s2n", *text);
    if (const auto text = options.Get("monoisotopic"))
        monoisotopic = ParseInteger("monoisotopic", *text, -32768, 32767);

    std::string error;
    LumbrookPtr object = CreateLumbrook(error);
    if (!object) {
        std::cerr << "lumbrook: " << error << "\n";
        return kExitFailed;
    }
    _Lumbrook& o = *object;
    HRESULT hr = S_OK;
    if (const auto text = options.Get("connect")) {
        if (FAILED(hr = PutText(o, &_Lumbrook::put_ODBCString, *text)))
            return ReportObjectError("setting ODBCString", hr);
    }
    if (jobRun && FAILED(hr = o.put_JobRunID(static_cast<LONG>(*jobRun))))
        return ReportObjectError("setting JobRunID", hr);
    if (item && FAILED(hr = o.put_JobRunItemID(static_cast<LONG>(*item))))
        return ReportObjectError("setting JobRunItemID", hr);
    if (FAILED(hr = o.put_AllSpectra(oneItem ? VARIANT_FALSE : VARIANT_TRUE)))
        return ReportObjectError("setting AllSpectra", hr);
    const std::string msType = options.Get("ms-type").value_or("MS-MS");
    if (FAILED(hr = PutText(o, &_Lumbrook::put_MSType, msType)))
        return ReportObjectError("setting MSType", hr);
    if (minMass && FAILED(hr = o.put_minMass(*minMass)))
        return ReportObjectError("setting minMass", hr);
    if (maxMass && FAILED(hr = o.put_maxMass(*maxMass)))
        return ReportObjectError("setting maxMass", hr);
    if (s2n && FAILED(hr = o.put_S2N(*s2n)))
        return ReportObjectError("setting S2N", hr);
    if (monoisotopic && FAILED(hr = o.put_Monoisotopic(static_cast<SHORT>(*monoisotopic))))
        return ReportObjectError("setting Monoisotopic", hr);

    VARIANT_BOOL connected = VARIANT_FALSE;
    if (FAILED(hr = o.Connect(&connected)))
        return ReportObjectError("Connect", hr);
    if (connected == VARIANT_FALSE) {
        const std::string why = ConnectError(o);
        std::cerr << "lumbrook export: Connect returned false: the database cannot be used"
                  << (why.empty() ? std::string() : ": " + why) << "\n";
        return kExitFailed;
    }

    const bool showProgress = !options.Has("quiet") && ::isatty(STDERR_FILENO) == 1;
    ProgressLine progress(showProgress, *out);
    ProgressSink sink(o, progress);
    const Advice advice(o, &sink);
    const InterruptHandler interrupts;
    platform::Bstr outFile(*out);
    BSTR outFileArgument = outFile.get();  // in/out by reference; DoExport leaves it as it is
    VARIANT_BOOL exported = VARIANT_FALSE;
    hr = o.DoExport(&outFileArgument, &exported);
    progress.Show(progress.lastDone, progress.lastTotal, true);
    progress.End();
    if (FAILED(hr))
        return ReportObjectError("DoExport", hr);
    if (exported == VARIANT_FALSE) {
        if (sink.Cancelled()) {
            std::cerr << "lumbrook export: cancelled\n";
        } else {
            std::cerr << "lumbrook export: DoExport returned false: no spectra to export, or "
                         "not every spectrum could be read\n";
        }
        return kExitFailed;
    }
    return kExitOk;
}

const Registration kExport{{"export", "export peak lists into a peak list file", RunExport}};

}  // namespace
}  // namespace lumbrook::host
