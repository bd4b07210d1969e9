#include "automation/lumbrook_object.h"

#include <cmath>

#include "automation/server_module.h"
#include "automation/type_library.h"
#include "automation/version.h"
#include "database/connection_string.h"
#include "database/database_error.h"
#include "global/process_state.h"
#include "lumbrook/bstr.h"
#include "platform/com/error_info.h"
#include "platform/com/guid.h"
#include "settings/filter_fields.h"
#include "settings/preferences.h"
#include "settings/settings_store.h"

namespace lumbrook::automation {
namespace {

using platform::BstrFromUtf8;
using platform::Utf8FromBstr;

// Raises the object's error `hr` with its text, source "Lumbrook", and returns it.
HRESULT Fail(HRESULT hr, const char* description) {
    return platform::RaiseError(hr, kErrorSource, description);
}

// The getters' answers: E_POINTER for a missing out-pointer, else the value (a text as a new
// BSTR that the caller frees).
HRESULT ReturnText(const std::string& text, BSTR* out) {
    if (out == nullptr)
        return E_POINTER;
    *out = BstrFromUtf8(text);
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

template <typename T>
HRESULT ReturnValue(T value, T* out) {
    if (out == nullptr)
        return E_POINTER;
    *out = value;
    return S_OK;
}

// A mass or ratio filter value must be a finite number of at least zero. Infinity is
// refused along with NaN and negatives: the export writes these values into its SQL as
// plain decimal text, which infinity does not have.
bool IsValidFilterValue(double value) {
    return std::isfinite(value) && value >= 0;
}

// Stores a mass or ratio filter value, or raises the property's error and keeps the old one.
HRESULT PutFilterValue(double& slot, double value, HRESULT error, const char* description) {
    if (!IsValidFilterValue(value))
        return Fail(error, description);
    slot = value;
    return S_OK;
}

}  // namespace

LumbrookObject* LumbrookObject::Create() {
    return new LumbrookObject();
}

LumbrookObject::LumbrookObject() {
    // The connection string and the filter values come from the preferences; an absent
    // value gives its default, and a stored empty connection string is used as it is.
    const settings::TaggedValue connect =
        settings::ReadSetting(settings::kAppName, settings::kSection, settings::kODBCConnect);
    odbcString_ =
        settings::IsEmpty(connect) ? settings::kDefaultConnectionString : settings::ToText(connect);
    const settings::TaggedValue filter =
        settings::ReadSetting(settings::kAppName, settings::kSection, settings::kFilter);
    const settings::FilterValues values =
        settings::IsEmpty(filter) ? settings::FilterValues{}
                                  : settings::ReadFilterFields(settings::ToText(filter));
    export_.filter.minMass = values.minMass;
    export_.filter.maxMass = values.maxMass;
    export_.filter.s2n = values.s2n;
    export_.filter.monoisotopic = values.monoisotopic;
    ObjectCreated();
}

LumbrookObject::~LumbrookObject() {
    // Termination closes the own connection and ignores every error, that of a connection
    // that never opened included.
    if (ownConnection_) {
        try {
            ownConnection_->Close();
        } catch (const database::DatabaseError&) {
            // Nothing is left to report to: the host has released the object.
        }
    }
    events_.Clear();
    ObjectDestroyed();
}

// --- IUnknown ---------------------------------------------------------------------------

HRESULT LumbrookObject::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (platform::IsNullGuid(&riid))
        return E_INVALIDARG;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__Lumbrook) {
        *ppv = static_cast<_Lumbrook*>(this);
    } else if (riid == IID_ISupportErrorInfo) {
        *ppv = static_cast<ISupportErrorInfo*>(this);
    } else if (riid == IID_IConnectionPointContainer) {
        *ppv = static_cast<IConnectionPointContainer*>(this);
    } else if (riid == IID_ILumbrookHostSupport) {
        *ppv = static_cast<ILumbrookHostSupport*>(this);
    } else if (riid == IID_ILumbrookHostSupport2) {
        *ppv = static_cast<ILumbrookHostSupport2*>(this);
    } else if (riid == IID_ILumbrookHostSupport3) {
        *ppv = static_cast<ILumbrookHostSupport3*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG LumbrookObject::AddRef() {
    return ++refs_;
}

ULONG LumbrookObject::Release() {
    const ULONG left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

// --- _Lumbrook --------------------------------------------------------------------------

// Connect is in connect.cpp.

// DoExport is in do_export.cpp.

HRESULT LumbrookObject::Cancel() {
    Global().cancelRequested = true;
    return S_OK;
}

HRESULT LumbrookObject::get_DllVersion(BSTR* pRetVal) {
    return ReturnText(platform::FormatVersion(kLibraryVersion), pRetVal);
}

HRESULT LumbrookObject::get_ODBCString(BSTR* pRetVal) {
    return ReturnText(odbcString_, pRetVal);
}

HRESULT LumbrookObject::put_ODBCString(BSTR value) {
    odbcString_ = Utf8FromBstr(value);
    return S_OK;
}

HRESULT LumbrookObject::get_minMass(DOUBLE* pRetVal) {
    return ReturnValue(export_.filter.minMass, pRetVal);
}

HRESULT LumbrookObject::put_minMass(DOUBLE value) {
    return PutFilterValue(export_.filter.minMass, value, LUMBROOK_E_MINMASS, kMinMassError);
}

HRESULT LumbrookObject::get_maxMass(DOUBLE* pRetVal) {
    return ReturnValue(export_.filter.maxMass, pRetVal);
}

HRESULT LumbrookObject::put_maxMass(DOUBLE value) {
    return PutFilterValue(export_.filter.maxMass, value, LUMBROOK_E_MAXMASS, kMaxMassError);
}

HRESULT LumbrookObject::get_S2N(DOUBLE* pRetVal) {
    return ReturnValue(export_.filter.s2n, pRetVal);
}

HRESULT LumbrookObject::put_S2N(DOUBLE value) {
    return PutFilterValue(export_.filter.s2n, value, LUMBROOK_E_S2N, kS2NError);
}

HRESULT LumbrookObject::get_Monoisotopic(SHORT* pRetVal) {
    return ReturnValue<SHORT>(export_.filter.monoisotopic, pRetVal);
}

HRESULT LumbrookObject::put_Monoisotopic(SHORT value) {
    // -1, the automation true value, is refused like every other value but 0 and 1.
    if (value != 0 && value != 1)
        return Fail(LUMBROOK_E_MONOISOTOPIC, kMonoisotopicError);
    export_.filter.monoisotopic = value;
    return S_OK;
}

// ShowDataBrowser is in show_data_browser.cpp.

HRESULT LumbrookObject::get_Descriptor(BSTR* pRetVal) {
    return ReturnText(descriptor_, pRetVal);
}

HRESULT LumbrookObject::put_Descriptor(BSTR value) {
    descriptor_ = Utf8FromBstr(value);
    return S_OK;
}

HRESULT LumbrookObject::get_MSType(BSTR* pRetVal) {
    return ReturnText(export_.msType, pRetVal);
}

HRESULT LumbrookObject::put_MSType(BSTR value) {
    // Exact, case-sensitive: "ms-ms" is refused.
    std::string text = Utf8FromBstr(value);
    if (text != "MS" && text != "MS-MS")
        return Fail(LUMBROOK_E_MSTYPE, kMSTypeError);
    export_.msType = std::move(text);
    return S_OK;
}

HRESULT LumbrookObject::get_JobRunID(LONG* pRetVal) {
    return ReturnValue<LONG>(export_.jobRunId, pRetVal);
}

HRESULT LumbrookObject::put_JobRunID(LONG value) {
    export_.jobRunId = value;
    return S_OK;
}

HRESULT LumbrookObject::get_JobRunItemID(LONG* pRetVal) {
    return ReturnValue<LONG>(export_.jobRunItemId, pRetVal);
}

HRESULT LumbrookObject::put_JobRunItemID(LONG value) {
    export_.jobRunItemId = value;
    return S_OK;
}

HRESULT LumbrookObject::get_DescriptorList(BSTR* pRetVal) {
    return ReturnText(descriptorList_, pRetVal);
}

HRESULT LumbrookObject::put_DescriptorList(BSTR value) {
    descriptorList_ = Utf8FromBstr(value);
    return S_OK;
}

HRESULT LumbrookObject::get_AllSpectra(VARIANT_BOOL* pRetVal) {
    return ReturnValue(export_.allSpectra ? VARIANT_TRUE : VARIANT_FALSE, pRetVal);
}

HRESULT LumbrookObject::put_AllSpectra(VARIANT_BOOL value) {
    // Any non-zero value is true, as automation hosts pass it.
    export_.allSpectra = value != VARIANT_FALSE;
    return S_OK;
}

// --- ISupportErrorInfo, IConnectionPointContainer, ILumbrookHostSupport ----------------

HRESULT LumbrookObject::InterfaceSupportsErrorInfo(REFIID riid) {
    if (platform::IsNullGuid(&riid))
        return E_INVALIDARG;
    return riid == IID__Lumbrook || riid == IID_IDispatch ? S_OK : S_FALSE;
}

HRESULT LumbrookObject::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) {
    if (ppEnum != nullptr)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}

HRESULT LumbrookObject::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
    if (ppCP == nullptr)
        return E_POINTER;
    *ppCP = nullptr;
    if (platform::IsNullGuid(&riid))
        return E_INVALIDARG;
    if (riid != DIID___Lumbrook)
        return CONNECT_E_NOCONNECTION;
    events_.AddRef();
    *ppCP = &events_;
    return S_OK;
}

HRESULT LumbrookObject::GetTypeLibraryText(BSTR* pText) {
    return ReturnText(TypeLibraryIdl(), pText);
}

HRESULT LumbrookObject::GetLastConnectError(BSTR* pText) {
    return ReturnText(lastConnectError_, pText);
}

HRESULT LumbrookObject::get_UsesBaseViews(VARIANT_BOOL* pRetVal) {
    return ReturnValue(Global().useBaseViews ? VARIANT_TRUE : VARIANT_FALSE, pRetVal);
}

HRESULT LumbrookObject::GetLastBrowserError(BSTR* pText) {
    return ReturnText(lastBrowserError_, pText);
}

HRESULT LumbrookObject::MaskConnectionString(BSTR text, BSTR* pMasked) {
    return ReturnText(database::MaskedText(platform::Utf8FromBstr(text)), pMasked);
}

HRESULT LumbrookObject::GetExportCounts(LONG* pBlocks, LONG* pPeakLines, double* pBytes) {
    if (pBlocks == nullptr || pPeakLines == nullptr || pBytes == nullptr)
        return E_POINTER;
    *pBlocks = static_cast<LONG>(exportCounts_.blocks);
    *pPeakLines = static_cast<LONG>(exportCounts_.peakLines);
    *pBytes = static_cast<double>(exportCounts_.bytes);
    return S_OK;
}

}  // namespace lumbrook::automation
