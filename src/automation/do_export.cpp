// DoExport: hands the object's stored values and its own connection to the export engine and
// returns the engine's result; the engine's errors become the object's automation errors.
#include <new>

#include "automation/lumbrook_object.h"
#include "export/export_peak_lists.h"
#include "export/file_error.h"
#include "platform/com/bstr.h"
#include "platform/com/error_info.h"

namespace lumbrook::automation {
namespace {

// Passes the engine's progress on as the Progress event, and keeps what has been written for
// GetExportCounts. With no sink advised it does nothing but the copy and the test, so an
// export without listeners pays one call per spectrum.
class ProgressRelay final : public exporting::ExportListener {
  public:
    ProgressRelay(EventSource& events, exporting::WriterCounts& counts)
        : events_(events), counts_(counts) {}
    void SpectrumDone(long done, long total, const exporting::WriterCounts& written) override {
        counts_ = written;
        if (events_.HasSinks())
            events_.FireProgress(done, total);
    }

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

}  // namespace

HRESULT LumbrookObject::DoExport(BSTR* OutFile, VARIANT_BOOL* pRetVal) {
    if (OutFile == nullptr || pRetVal == nullptr)
        return E_POINTER;
    const SelfReference self(static_cast<_Lumbrook*>(this));
    const std::string outFile = platform::Utf8FromBstr(*OutFile);
    exportCounts_ = {};
    ProgressRelay relay(events_, exportCounts_);
    try {
        const bool exported = exporting::ExportPeakLists(
            jobRunId_, outFile, allSpectra_, jobRunItemId_, msType_, s2n_, monoisotopic_, minMass_,
            maxMass_, ownConnection_, &relay, &exportCounts_);
        *pRetVal = exported ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    } catch (const exporting::NoMsMsDataError& e) {
        return platform::RaiseError(LUMBROOK_E_NOMSMS, kErrorSource, e.what());
    } catch (const exporting::FileError& e) {
        return platform::RaiseError(e.Code(), kErrorSource, e.what());
    } catch (const std::bad_alloc&) {
        return platform::RaiseError(E_OUTOFMEMORY, kErrorSource, "Out of memory");
    } catch (const std::exception& e) {
        // Anything else (a failing call run by DoEvents, say) must not cross the binary
        // interface as a C++ exception; it reaches the host as a general failure with its text.
        return platform::RaiseError(E_FAIL, kErrorSource, e.what());
    }
}

}  // namespace lumbrook::automation
