// DoExport and DoExportList: hand the object's stored export request (for a list, one request
// per DescriptorList entry) and its own connection to the export engine and return the
// engine's result; the engine's errors become the object's automation errors.
#include <new>
#include <string>
#include <vector>

#include "automation/lumbrook_object.h"
#include "export/export_peak_lists.h"
#include "export/file_error.h"
#include "export/output_format.h"
#include "global/descriptor_list.h"
#include "global/process_state.h"
#include "lumbrook/bstr.h"
#include "platform/com/error_info.h"
#include "platform/messages/do_events.h"

namespace lumbrook::automation {
namespace {

// Connects an export to the process and to the object's host: passes the engine's progress
// on as the Progress event, keeps what has been written for GetExportCounts, lets the host's
// pending calls run between spectra, and keeps the process-wide flags exportRunning and
// cancelRequested, through which Cancel and the data browser stop an export. With no sink
// advised a report costs a copy and a test.
class ExportRelay final : public exporting::ExportListener {
  public:
    ExportRelay(EventSource& events, exporting::WriterCounts& counts)
        : events_(events), counts_(counts) {}
    void BatchedExportStarting() override {
        Global().exportRunning = true;
        Global().cancelRequested = false;
    }
    // The MS export is not "running" for the browser (it never pauses, so nothing can ask it
    // to close), but an older cancel must not interrupt its queries.
    void MsExportStarting() override { Global().cancelRequested = false; }
    void SpectrumDone(long done, long total, const exporting::WriterCounts& written) override {
        counts_ = written;
        this->done = done;
        this->total = total;
        if (events_.HasSinks())
            events_.FireProgress(done, total);
    }
    void BatchSkipped() override { ++skippedBatches; }
    void Pause() override { platform::DoEvents(); }
    bool CancelRequested() override {
        const bool requested = Global().cancelRequested;
        cancelled = cancelled || requested;
        return requested;
    }
    void ExportEnded() override { Global().exportRunning = false; }

    long done = 0;
    long total = 0;
    long skippedBatches = 0;
    bool cancelled = false;  // a cancel was seen, also one that interrupted a query

  private:
    EventSource& events_;
    exporting::WriterCounts& counts_;
};

// Keeps the object alive while an export runs: a host may release its last reference from an
// event handler that DoEvents runs, and the export must not go on inside a deleted object.
class SelfReference {
  public:
    explicit SelfReference(IUnknown* object) : object_(object) { object_->AddRef(); }
    ~SelfReference() { object_->Release(); }
    SelfReference(const SelfReference&) = delete;
    SelfReference& operator=(const SelfReference&) = delete;

  private:
    IUnknown* object_;
};

// Why an export returned false, from what was asked and what its events told: nothing to
// read, batches passed over, or a stop before the last spectrum.
std::string FalseResultMessage(const ExportRelay& relay, const exporting::ExportRequest& request,
                               bool connected) {
    const std::string what = request.allSpectra ? "job run " + std::to_string(request.jobRunId)
                                                : "item " + std::to_string(request.jobRunItemId);
    if (!connected)
        return "not connected: call Connect first";
    if (!request.allSpectra && request.msType == "MS") {  // one item's bare peaks: no events
        if (relay.cancelled)
            return "cancelled before the peaks of " + what + " were read";
        return what + " has no spectra in this database, or its peaks could not be read";
    }
    if (relay.total == 0) {
        if (relay.cancelled)
            return "cancelled before the spectra of " + what + " were read";
        return what + " has no spectra in this database";
    }
    if (relay.skippedBatches > 0) {
        const long batches = (relay.total + exporting::kBatchSize - 1) / exporting::kBatchSize;
        return std::to_string(relay.skippedBatches) + " of " + std::to_string(batches) +
               " batches could not be read; the file holds the others";
    }
    if (relay.done < relay.total) {
        return "cancelled after " + std::to_string(relay.done) + " of " +
               std::to_string(relay.total) + " spectra; the file ends on a complete block";
    }
    return "the peaks could not be read; the file holds what was read";
}

// Why a list export returned false, from what was asked, what the engine reported and what
// its events told.
std::string ListFalseMessage(const ExportRelay& relay, const exporting::ListReport& report,
                             std::size_t entries, bool connected) {
    const std::string of = " of " + std::to_string(entries) + " entries";
    if (!connected)
        return "not connected: call Connect first";
    if (entries == 0)
        return "DescriptorList holds no entry: nothing to export";
    if (relay.cancelled) {
        return "cancelled in entry " + std::to_string(report.started) + of +
               "; the file ends on a complete block";
    }
    if (report.empty == static_cast<long>(entries))
        return "no entry of DescriptorList has spectra in this database";
    if (report.empty > 0) {
        return std::to_string(report.empty) + of +
               " have no spectra in this database; the file holds the others";
    }
    if (relay.skippedBatches > 0) {
        return std::to_string(relay.skippedBatches) +
               " batches could not be read; the file holds the others";
    }
    return "the peaks could not be read; the file holds what was read";
}

// The export requests of DescriptorList's entries: the object's filter and views, each
// entry's job run, item, kind and MS type.
std::vector<exporting::ExportRequest> RequestsOf(const std::vector<DescriptorEntry>& entries,
                                                 const exporting::ExportRequest& stored) {
    std::vector<exporting::ExportRequest> requests;
    requests.reserve(entries.size());
    for (const DescriptorEntry& entry : entries) {
        exporting::ExportRequest request = stored;
        request.jobRunId = entry.jobRunId;
        request.jobRunItemId = entry.jobRunItemId;
        request.allSpectra = entry.allSpectra;
        request.msType = entry.allSpectra ? "MS-MS" : entry.msType;
        requests.push_back(std::move(request));
    }
    return requests;
}

}  // namespace

// Runs `exportCall` and turns the engine's errors into the object's automation errors, keeping
// each error's text as the last export message.
template <typename ExportCall>
HRESULT LumbrookObject::RaisingExportErrors(ExportCall exportCall) {
    try {
        return exportCall();
    } catch (const exporting::NoMsMsDataError& e) {
        lastExportMessage_ = e.what();
        return platform::RaiseError(LUMBROOK_E_NOMSMS, kErrorSource, e.what());
    } catch (const exporting::FileError& e) {
        lastExportMessage_ = e.what();
        return platform::RaiseError(e.Code(), kErrorSource, e.what());
    } catch (const std::bad_alloc&) {
        lastExportMessage_ = "Out of memory";
        return platform::RaiseError(E_OUTOFMEMORY, kErrorSource, "Out of memory");
    } catch (const std::exception& e) {
        // Anything else (a failing call run by DoEvents, say) must not cross the binary
        // interface as a C++ exception; it reaches the host as a general failure with its text.
        lastExportMessage_ = e.what();
        return platform::RaiseError(E_FAIL, kErrorSource, e.what());
    }
}

void LumbrookObject::BeginExport() {
    exportCounts_ = {};
    lastExportMessage_.clear();
    // The views are those the last probe of a connection found, as the export starts.
    export_.views = exporting::ViewsFor(Global().useBaseViews);
}

HRESULT LumbrookObject::DoExport(BSTR* OutFile, VARIANT_BOOL* pRetVal) {
    if (OutFile == nullptr || pRetVal == nullptr)
        return E_POINTER;
    const SelfReference self(static_cast<_Lumbrook*>(this));
    const std::string outFile = platform::Utf8FromBstr(*OutFile);
    BeginExport();
    ExportRelay relay(events_, exportCounts_);
    return RaisingExportErrors([&] {
        // A C host's BSTR may carry text after a NUL, which the system would cut off.
        exporting::RefuseNulInFileName(outFile);
        const bool exported = exporting::ExportPeakLists(export_, outFile, ownConnection_, relay,
                                                         &exportCounts_, output_);
        if (!exported)
            lastExportMessage_ = FalseResultMessage(relay, export_, ownConnection_ != nullptr);
        *pRetVal = exported ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

HRESULT LumbrookObject::DoExportList(BSTR* OutFile, VARIANT_BOOL* pRetVal) {
    if (OutFile == nullptr || pRetVal == nullptr)
        return E_POINTER;
    const SelfReference self(static_cast<_Lumbrook*>(this));
    const std::string outFile = platform::Utf8FromBstr(*OutFile);
    BeginExport();
    std::size_t badEntry = 0;
    const auto entries = ReadDescriptorList(descriptorList_, badEntry);
    if (!entries) {
        lastExportMessage_ = "entry " + std::to_string(badEntry) +
                             " of DescriptorList is not of the form "
                             "descriptor:job run:item:True or False:MS or MS-MS";
        return platform::RaiseError(E_INVALIDARG, kErrorSource, lastExportMessage_);
    }
    ExportRelay relay(events_, exportCounts_);
    return RaisingExportErrors([&] {
        exporting::RefuseNulInFileName(outFile);
        exporting::ListReport report;
        const bool exported =
            exporting::ExportPeakListsOfList(RequestsOf(*entries, export_), outFile, ownConnection_,
                                             relay, &exportCounts_, &report, output_);
        if (!exported) {
            lastExportMessage_ =
                ListFalseMessage(relay, report, entries->size(), ownConnection_ != nullptr);
        }
        *pRetVal = exported ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

HRESULT LumbrookObject::SetIndexFile(BSTR File) {
    const std::string indexFile = platform::Utf8FromBstr(File);
    try {
        exporting::RefuseNulInFileName(indexFile);
    } catch (const exporting::FileError& e) {
        return platform::RaiseError(e.Code(), kErrorSource, e.what());
    }
    output_.indexFile = indexFile;
    return S_OK;
}

HRESULT LumbrookObject::IsCompletePeakList(BSTR File, VARIANT_BOOL* pComplete) {
    if (pComplete == nullptr)
        return E_POINTER;
    const std::string file = platform::Utf8FromBstr(File);
    // A name cut at a NUL would be another file's: no such name holds a complete peak list.
    const bool complete = file.find('\0') == std::string::npos && exporting::IsCompleteOutput(file);
    *pComplete = complete ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT LumbrookObject::GetLastExportMessage(BSTR* pText) {
    if (pText == nullptr)
        return E_POINTER;
    *pText = platform::BstrFromUtf8(lastExportMessage_);
    return *pText == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace lumbrook::automation
