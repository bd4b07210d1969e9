// The class Lumbrook: the export parameters, the object's own database connection, and the
// members of _Lumbrook with their checks. One instance per CreateInstance; it lives in the
// host's single-threaded apartment.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "automation/event_source.h"
#include "database/connection.h"
#include "export/export_peak_lists.h"
#include "export/export_request.h"
#include "lumbrook/lumbrook.h"

namespace lumbrook::automation {

// The error texts the object raises, with their numbers.
inline constexpr const char* kErrorSource = "Lumbrook";
inline constexpr const char* kMinMassError = "Minimum mass cannot be negative";
inline constexpr const char* kMaxMassError = "Maximum mass cannot be negative";
inline constexpr const char* kS2NError = "Signal to noise ratio cannot be negative";
inline constexpr const char* kMonoisotopicError = "Monoisotopic must be 0 (false) or 1 (true)";
inline constexpr const char* kMSTypeError = "MSType must be MS or MS-MS";

class LumbrookObject final : public _Lumbrook,
                             public ISupportErrorInfo,
                             public IConnectionPointContainer,
                             public ILumbrookHostSupport,
                             public ILumbrookHostSupport2,
                             public ILumbrookHostSupport3 {
  public:
    // Creates an instance with one reference, initialised from the preferences.
    static LumbrookObject* Create();

    // IUnknown (shared by every interface of the object).
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IDispatch.
    HRESULT GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                          DISPID* rgDispId) override;
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                   DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                   UINT* puArgErr) override;

    // _Lumbrook, in slot order.
    HRESULT Connect(VARIANT_BOOL* pRetVal) override;
    HRESULT DoExport(BSTR* OutFile, VARIANT_BOOL* pRetVal) override;
    HRESULT Cancel() override;
    HRESULT get_DllVersion(BSTR* pRetVal) override;
    HRESULT get_ODBCString(BSTR* pRetVal) override;
    HRESULT put_ODBCString(BSTR value) override;
    HRESULT get_minMass(DOUBLE* pRetVal) override;
    HRESULT put_minMass(DOUBLE value) override;
    HRESULT get_maxMass(DOUBLE* pRetVal) override;
    HRESULT put_maxMass(DOUBLE value) override;
    HRESULT get_S2N(DOUBLE* pRetVal) override;
    HRESULT put_S2N(DOUBLE value) override;
    HRESULT get_Monoisotopic(SHORT* pRetVal) override;
    HRESULT put_Monoisotopic(SHORT value) override;
    HRESULT ShowDataBrowser(VARIANT_BOOL* pRetVal) override;
    HRESULT get_Descriptor(BSTR* pRetVal) override;
    HRESULT put_Descriptor(BSTR value) override;
    HRESULT get_MSType(BSTR* pRetVal) override;
    HRESULT put_MSType(BSTR value) override;
    HRESULT get_JobRunID(LONG* pRetVal) override;
    HRESULT put_JobRunID(LONG value) override;
    HRESULT get_JobRunItemID(LONG* pRetVal) override;
    HRESULT put_JobRunItemID(LONG value) override;
    HRESULT get_DescriptorList(BSTR* pRetVal) override;
    HRESULT put_DescriptorList(BSTR value) override;
    HRESULT get_AllSpectra(VARIANT_BOOL* pRetVal) override;
    HRESULT put_AllSpectra(VARIANT_BOOL value) override;

    // ISupportErrorInfo.
    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override;

    // IConnectionPointContainer.
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

    // ILumbrookHostSupport.
    HRESULT GetTypeLibraryText(BSTR* pText) override;
    HRESULT GetLastConnectError(BSTR* pText) override;
    HRESULT get_UsesBaseViews(VARIANT_BOOL* pRetVal) override;
    HRESULT GetLastBrowserError(BSTR* pText) override;
    HRESULT GetExportCounts(LONG* pBlocks, LONG* pPeakLines, double* pBytes) override;
    HRESULT QueryListing(LONG listing, LONG id, BSTR* pRows) override;
    HRESULT GetLastExportMessage(BSTR* pText) override;

    // ILumbrookHostSupport2.
    HRESULT QueryListingById(LONG listing, LONGLONG id, BSTR* pRows) override;
    HRESULT MaskConnectionString(BSTR text, BSTR* pMasked) override;
    HRESULT DoExportList(BSTR* OutFile, VARIANT_BOOL* pRetVal) override;
    HRESULT SetIndexFile(BSTR File) override;
    HRESULT IsCompletePeakList(BSTR File, VARIANT_BOOL* pComplete) override;
    HRESULT GetPreference(BSTR Name, BSTR* pValue, VARIANT_BOOL* pStored) override;
    HRESULT SavePreference(BSTR Name, BSTR Value) override;
    HRESULT DeletePreference(BSTR Name) override;

    // ILumbrookHostSupport3.
    HRESULT get_OutputFormat(BSTR* pFormat) override;
    HRESULT put_OutputFormat(BSTR Format) override;
    HRESULT FormatOfFileName(BSTR File, BSTR* pFormat) override;
    HRESULT GetFormatExtension(BSTR Format, BSTR* pExtension) override;

  private:
    // Clears the last export's counts and message and sets the views an export reads.
    void BeginExport();
    // Runs an export call, turning the engine's errors into the object's automation errors.
    template <typename ExportCall>
    HRESULT RaisingExportErrors(ExportCall exportCall);

    // The rows of a listing query on the object's own connection, for QueryListing and
    // QueryListingById; raises the database's error.
    HRESULT RunListing(LONG listing, LONGLONG id, bool asTheQueryNamesThem, BSTR* pRows);

    LumbrookObject();
    ~LumbrookObject();

    std::atomic<ULONG> refs_{1};
    EventSource events_{this};

    std::string odbcString_;
    // The export's parameters, stored where the engine reads them: DoExport passes this very
    // value, so a property put during an export reaches the export's next query. Its views
    // are set by DoExport from the connection probe.
    exporting::ExportRequest export_;
    // The object's own connection: set by Connect, used by DoExport, closed at release.
    std::unique_ptr<database::Connection> ownConnection_;
    std::string descriptor_;
    std::string descriptorList_;
    // The format DoExport and DoExportList write, and where they write the index of their
    // blocks ("" for none).
    exporting::OutputOptions output_;

    // The database's text of the last failed Connect, for hosts that explain failures.
    std::string lastConnectError_;
    // Why the last ShowDataBrowser could not show the window ("" when it could).
    std::string lastBrowserError_;
    // What the running or the last DoExport has written, for GetExportCounts.
    exporting::WriterCounts exportCounts_;
    // Why the last DoExport returned false or raised ("" after true).
    std::string lastExportMessage_;
};

}  // namespace lumbrook::automation
