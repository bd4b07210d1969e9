/*
 * The Lumbrook automation server, as hosts see it: the dual interface _Lumbrook in its fixed
 * slot order, its outgoing event interface, the identifiers, and the four exports of
 * liblumbrook.so. Usable from C and from C++.
 *
 * A host loads liblumbrook.so (or creates the class by its ProgID "LumbrookDLL.Lumbrook"
 * once it is registered), asks DllGetClassObject for the class factory, and creates the
 * object. Every member returns an HRESULT; a failing member has set the thread's error
 * info (source "Lumbrook" and the member's own description) before it returns.
 */
#ifndef LUMBROOK_LUMBROOK_H
#define LUMBROOK_LUMBROOK_H

#include "lumbrook/com.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The type library LumbrookDLL, the class Lumbrook and its interfaces. liblumbrook-platform.so
 * holds them, so that a host links with that library alone. */
extern LUMBROOK_PLATFORM_API const GUID LIBID_LumbrookDLL;
extern LUMBROOK_PLATFORM_API const CLSID CLSID_Lumbrook;
extern LUMBROOK_PLATFORM_API const IID IID__Lumbrook;
extern LUMBROOK_PLATFORM_API const IID DIID___Lumbrook; /* outgoing events: Progress(done, total) */
extern LUMBROOK_PLATFORM_API const IID
    IID_ILumbrookHostSupport; /* host-side diagnostics, not part of _Lumbrook */
extern LUMBROOK_PLATFORM_API const IID
    IID_ILumbrookHostSupport2; /* what later versions add for hosts */
extern LUMBROOK_PLATFORM_API const IID
    IID_ILumbrookHostSupport3; /* the output formats beside the peak list file */

#define LUMBROOK_PROGID "LumbrookDLL.Lumbrook"

/* Errors the object raises. */
#define LUMBROOK_E_MINMASS LUMBROOK_OBJECT_ERROR(1004)      /* 0x800403EC */
#define LUMBROOK_E_MAXMASS LUMBROOK_OBJECT_ERROR(1005)      /* 0x800403ED */
#define LUMBROOK_E_S2N LUMBROOK_OBJECT_ERROR(1006)          /* 0x800403EE */
#define LUMBROOK_E_MONOISOTOPIC LUMBROOK_OBJECT_ERROR(1007) /* 0x800403EF */
#define LUMBROOK_E_NOMSMS LUMBROOK_OBJECT_ERROR(1008)       /* 0x800403F0 */
#define LUMBROOK_E_MSTYPE LUMBROOK_OBJECT_ERROR(1009)       /* 0x800403F1 */

/* Dispatch identifier of the Progress event of DIID___Lumbrook: two VT_I4 arguments,
 * the spectra done so far and the total. */
#define LUMBROOK_DISPID_PROGRESS 1

/* What ILumbrookHostSupport::QueryListing and ILumbrookHostSupport2::QueryListingById list,
 * with the data browser's own queries. */
#define LUMBROOK_LISTING_FOLDER 1   /* the folders and spot sets directly inside folder id */
#define LUMBROOK_LISTING_JOB_RUNS 2 /* the job runs of spot set id */
#define LUMBROOK_LISTING_ITEMS 3    /* the completed items of job run id */

/* The four exports of liblumbrook.so. */
HRESULT DllRegisterServer(void);
HRESULT DllUnregisterServer(void);
HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
HRESULT DllCanUnloadNow(void);
typedef HRESULT (*LPFNGETCLASSOBJECT)(REFCLSID, REFIID, void**);
typedef HRESULT (*LPFNCANUNLOADNOW)(void);

#ifdef __cplusplus
} /* extern "C" */

/* The dual interface, slot for slot after IDispatch. */
struct _Lumbrook : IDispatch {
    virtual HRESULT Connect(VARIANT_BOOL* pRetVal) = 0;
    virtual HRESULT DoExport(BSTR* OutFile, VARIANT_BOOL* pRetVal) = 0;
    /* Cancel only sets a flag: besides its ordinary use from an event handler, a host may call
     * it from a signal handler of the thread that runs DoExport. A query of the export that
     * is under way is then interrupted where the database allows it (SQLite). */
    virtual HRESULT Cancel() = 0;
    virtual HRESULT get_DllVersion(BSTR* pRetVal) = 0;
    virtual HRESULT get_ODBCString(BSTR* pRetVal) = 0;
    virtual HRESULT put_ODBCString(BSTR value) = 0;
    virtual HRESULT get_minMass(DOUBLE* pRetVal) = 0;
    virtual HRESULT put_minMass(DOUBLE value) = 0;
    virtual HRESULT get_maxMass(DOUBLE* pRetVal) = 0;
    virtual HRESULT put_maxMass(DOUBLE value) = 0;
    virtual HRESULT get_S2N(DOUBLE* pRetVal) = 0;
    virtual HRESULT put_S2N(DOUBLE value) = 0;
    virtual HRESULT get_Monoisotopic(SHORT* pRetVal) = 0;
    virtual HRESULT put_Monoisotopic(SHORT value) = 0;
    virtual HRESULT ShowDataBrowser(VARIANT_BOOL* pRetVal) = 0;
    virtual HRESULT get_Descriptor(BSTR* pRetVal) = 0;
    virtual HRESULT put_Descriptor(BSTR value) = 0;
    virtual HRESULT get_MSType(BSTR* pRetVal) = 0;
    virtual HRESULT put_MSType(BSTR value) = 0;
    virtual HRESULT get_JobRunID(LONG* pRetVal) = 0;
    virtual HRESULT put_JobRunID(LONG value) = 0;
    virtual HRESULT get_JobRunItemID(LONG* pRetVal) = 0;
    virtual HRESULT put_JobRunItemID(LONG value) = 0;
    virtual HRESULT get_DescriptorList(BSTR* pRetVal) = 0;
    virtual HRESULT put_DescriptorList(BSTR value) = 0;
    virtual HRESULT get_AllSpectra(VARIANT_BOOL* pRetVal) = 0;
    virtual HRESULT put_AllSpectra(VARIANT_BOOL value) = 0;
};

/* What a command-line host needs beyond _Lumbrook: the type library as IDL text, and why the
 * last Connect failed. Reached by QueryInterface on the object. */
struct ILumbrookHostSupport : IUnknown {
    /* The type library as IDL text. */
    virtual HRESULT GetTypeLibraryText(BSTR* pText) = 0;
    /* The database's error text of the last failed Connect of this object ("" if none). */
    virtual HRESULT GetLastConnectError(BSTR* pText) = 0;
    /* VARIANT_TRUE when the last successful probe chose the BASE_ views. */
    virtual HRESULT get_UsesBaseViews(VARIANT_BOOL* pRetVal) = 0;
    /* Why the last ShowDataBrowser of this object could not show the window, for example
     * "no display available: ..." ("" when it could). */
    virtual HRESULT GetLastBrowserError(BSTR* pText) = 0;
    /* What the running (or the last) DoExport of this object has written so far: spectrum
     * blocks, peak lines and bytes handed to the file. Read from a Progress event's handler
     * it gives a progress line that never has to look at the output itself. */
    virtual HRESULT GetExportCounts(LONG* pBlocks, LONG* pPeakLines, double* pBytes) = 0;
    /* Runs a listing query (LUMBROOK_LISTING_*) on the connection of the last successful
     * Connect and returns its rows as text: lines ended by a line feed, cells separated by a
     * tab. The first line holds the column names; every later line one row, each cell a
     * letter for its kind followed by its value: N a NULL (no value), I an integer, R a real
     * number (printf "%.15g"), T text, D a date and time as YYYY-MM-DDTHH:MM:SS. In names
     * and values a backslash, tab, line feed and carriage return are written as the two
     * characters \\, \t, \n and \r. A failing query raises an error with the database's
     * text; without a connection the error is "Connect first". */
    virtual HRESULT QueryListing(LONG listing, LONG id, BSTR* pRows) = 0;
    /* Why the last DoExport of this object returned false or raised an error, as a
     * sentence for people ("" after a true result). */
    virtual HRESULT GetLastExportMessage(BSTR* pText) = 0;
};

/* What the object offers hosts beyond ILumbrookHostSupport, which stays as it shipped.
 * Reached by QueryInterface on the object. */
struct ILumbrookHostSupport2 : IUnknown {
    /* QueryListing for an id of 64 bits, so that a folder or spot set of any id in the
     * database can be listed. The rows come in QueryListing's text, with two differences:
     * the column names are the query's own, in upper case whatever case the database reports
     * them in; and the job-run listing has a last column ENTRY, the text of the row's entry
     * in the data browser's job-run list (its position counted from 1, the finish time in the
     * locale's date and time form). */
    virtual HRESULT QueryListingById(LONG listing, LONGLONG id, BSTR* pRows) = 0;
    /* `text`, a connection string, for showing on a screen: the value of every Password or
     * Pwd key, read as the providers read them, and every value that holds such a key (a
     * driver's option string, say) written as ***. */
    virtual HRESULT MaskConnectionString(BSTR text, BSTR* pMasked) = 0;
    /* DoExport of every entry of DescriptorList, one after the other into the one file
     * OutFile, in the list's order: an entry with AllSpectra True as its whole job run, any
     * other as its job run item with its own MS type; the filter is the object's. The file
     * is written as DoExport writes it (replaced only when complete, the database being read
     * refused), Progress counts the spectra of the whole list and Cancel stops the whole list.
     * *pRetVal is VARIANT_TRUE when every entry was exported completely; VARIANT_FALSE when
     * the list is empty, when an entry had nothing to export (the file holds the others) or
     * on a cancel, with GetLastExportMessage saying which. E_INVALIDARG, before anything is
     * written, for an entry not of the data browser's form. The object's own properties stay
     * as they are. */
    virtual HRESULT DoExportList(BSTR* OutFile, VARIANT_BOOL* pRetVal) = 0;
    /* Makes DoExport and DoExportList also write File, the index of the blocks they write:
     * a header line, then one tab-separated line a block in the file's order (the block's
     * number from 1, PEAK_LIST_ID, SPOT_ID, the label, the job run, the job run item for an
     * item's blocks, the precursor as PEPMASS writes it). The index is created and replaced
     * along with the peak list file, after it; it may be neither that file nor the database.
     * "" (the default) writes none. */
    virtual HRESULT SetIndexFile(BSTR File) = 0;
    /* *pComplete is VARIANT_TRUE when File is a regular file that ends on a complete block,
     * as an export of a job run leaves it that ran to its end or was cancelled; VARIANT_FALSE
     * for anything else, a file that is not there or cannot be read included. */
    virtual HRESULT IsCompletePeakList(BSTR File, VARIANT_BOOL* pComplete) = 0;
    /* The two preferences a new object reads: "ODBCConnect", the connection string, and
     * "Filter", minMass,maxMass,S2N,Monoisotopic (a name in any letter case; E_INVALIDARG
     * for any other). GetPreference gives the stored text, or "" with *pStored VARIANT_FALSE
     * when none is stored and the default applies. SavePreference stores Value as the
     * connection dialog's Save does: a connection string without the blanks and line breaks
     * at its ends; a filter only as four plain decimal numbers, the last 0 or 1
     * (E_INVALIDARG with the reason otherwise). DeletePreference removes the stored value,
     * so that the default applies again; none stored is no error. E_FAIL when the store
     * cannot be written. */
    virtual HRESULT GetPreference(BSTR Name, BSTR* pValue, VARIANT_BOOL* pStored) = 0;
    virtual HRESULT SavePreference(BSTR Name, BSTR Value) = 0;
    virtual HRESULT DeletePreference(BSTR Name) = 0;
};

/* The formats DoExport and DoExportList can write: "QPK", the peak list file (the default of
 * every new object), "mzML" and "mzXML", indexed, one spectrum a block the peak list file
 * would hold. Reached by QueryInterface on the object. */
struct ILumbrookHostSupport3 : IUnknown {
    /* The format of the object's next exports, named as above. */
    virtual HRESULT get_OutputFormat(BSTR* pFormat) = 0;
    /* Format: one of the three names in any letter case; E_INVALIDARG for any other, and the
     * format stays as it was. */
    virtual HRESULT put_OutputFormat(BSTR Format) = 0;
    /* The format a file's name asks for: "mzML" for a name ending in ".mzML", "mzXML" for
     * ".mzXML" (the extension in any letter case), "QPK" for any other name. */
    virtual HRESULT FormatOfFileName(BSTR File, BSTR* pFormat) = 0;
    /* The extension files of Format are given by default: ".qpk", ".mzML" or ".mzXML";
     * E_INVALIDARG for a name that is no format's. */
    virtual HRESULT GetFormatExtension(BSTR Format, BSTR* pExtension) = 0;
};

#else /* C */

typedef struct _Lumbrook _Lumbrook;
typedef struct _LumbrookVtbl {
    HRESULT (*QueryInterface)(_Lumbrook* This, REFIID riid, void** ppvObject);
    ULONG (*AddRef)(_Lumbrook* This);
    ULONG (*Release)(_Lumbrook* This);
    HRESULT (*GetTypeInfoCount)(_Lumbrook* This, UINT* pctinfo);
    HRESULT (*GetTypeInfo)(_Lumbrook* This, UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo);
    HRESULT(*GetIDsOfNames)
    (_Lumbrook* This, REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId);
    HRESULT(*Invoke)
    (_Lumbrook* This, DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
     DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr);
    HRESULT (*Connect)(_Lumbrook* This, VARIANT_BOOL* pRetVal);
    HRESULT (*DoExport)(_Lumbrook* This, BSTR* OutFile, VARIANT_BOOL* pRetVal);
    HRESULT (*Cancel)(_Lumbrook* This);
    HRESULT (*get_DllVersion)(_Lumbrook* This, BSTR* pRetVal);
    HRESULT (*get_ODBCString)(_Lumbrook* This, BSTR* pRetVal);
    HRESULT (*put_ODBCString)(_Lumbrook* This, BSTR value);
    HRESULT (*get_minMass)(_Lumbrook* This, DOUBLE* pRetVal);
    HRESULT (*put_minMass)(_Lumbrook* This, DOUBLE value);
    HRESULT (*get_maxMass)(_Lumbrook* This, DOUBLE* pRetVal);
    HRESULT (*put_maxMass)(_Lumbrook* This, DOUBLE value);
    HRESULT (*get_S2N)(_Lumbrook* This, DOUBLE* pRetVal);
    HRESULT (*put_S2N)(_Lumbrook* This, DOUBLE value);
    HRESULT (*get_Monoisotopic)(_Lumbrook* This, SHORT* pRetVal);
    HRESULT (*put_Monoisotopic)(_Lumbrook* This, SHORT value);
    HRESULT (*ShowDataBrowser)(_Lumbrook* This, VARIANT_BOOL* pRetVal);
    HRESULT (*get_Descriptor)(_Lumbrook* This, BSTR* pRetVal);
    HRESULT (*put_Descriptor)(_Lumbrook* This, BSTR value);
    HRESULT (*get_MSType)(_Lumbrook* This, BSTR* pRetVal);
    HRESULT (*put_MSType)(_Lumbrook* This, BSTR value);
    HRESULT (*get_JobRunID)(_Lumbrook* This, LONG* pRetVal);
    HRESULT (*put_JobRunID)(_Lumbrook* This, LONG value);
    HRESULT (*get_JobRunItemID)(_Lumbrook* This, LONG* pRetVal);
    HRESULT (*put_JobRunItemID)(_Lumbrook* This, LONG value);
    HRESULT (*get_DescriptorList)(_Lumbrook* This, BSTR* pRetVal);
    HRESULT (*put_DescriptorList)(_Lumbrook* This, BSTR value);
    HRESULT (*get_AllSpectra)(_Lumbrook* This, VARIANT_BOOL* pRetVal);
    HRESULT (*put_AllSpectra)(_Lumbrook* This, VARIANT_BOOL value);
} _LumbrookVtbl;
struct _Lumbrook {
    const _LumbrookVtbl* lpVtbl;
};

typedef struct ILumbrookHostSupport ILumbrookHostSupport;
typedef struct ILumbrookHostSupportVtbl {
    HRESULT (*QueryInterface)(ILumbrookHostSupport* This, REFIID riid, void** ppvObject);
    ULONG (*AddRef)(ILumbrookHostSupport* This);
    ULONG (*Release)(ILumbrookHostSupport* This);
    HRESULT (*GetTypeLibraryText)(ILumbrookHostSupport* This, BSTR* pText);
    HRESULT (*GetLastConnectError)(ILumbrookHostSupport* This, BSTR* pText);
    HRESULT (*get_UsesBaseViews)(ILumbrookHostSupport* This, VARIANT_BOOL* pRetVal);
    HRESULT (*GetLastBrowserError)(ILumbrookHostSupport* This, BSTR* pText);
    HRESULT(*GetExportCounts)
    (ILumbrookHostSupport* This, LONG* pBlocks, LONG* pPeakLines, double* pBytes);
    HRESULT (*QueryListing)(ILumbrookHostSupport* This, LONG listing, LONG id, BSTR* pRows);
    HRESULT (*GetLastExportMessage)(ILumbrookHostSupport* This, BSTR* pText);
} ILumbrookHostSupportVtbl;
struct ILumbrookHostSupport {
    const ILumbrookHostSupportVtbl* lpVtbl;
};

typedef struct ILumbrookHostSupport2 ILumbrookHostSupport2;
typedef struct ILumbrookHostSupport2Vtbl {
    HRESULT (*QueryInterface)(ILumbrookHostSupport2* This, REFIID riid, void** ppvObject);
    ULONG (*AddRef)(ILumbrookHostSupport2* This);
    ULONG (*Release)(ILumbrookHostSupport2* This);
    HRESULT(*QueryListingById)
    (ILumbrookHostSupport2* This, LONG listing, LONGLONG id, BSTR* pRows);
    HRESULT (*MaskConnectionString)(ILumbrookHostSupport2* This, BSTR text, BSTR* pMasked);
    HRESULT (*DoExportList)(ILumbrookHostSupport2* This, BSTR* OutFile, VARIANT_BOOL* pRetVal);
    HRESULT (*SetIndexFile)(ILumbrookHostSupport2* This, BSTR File);
    HRESULT (*IsCompletePeakList)(ILumbrookHostSupport2* This, BSTR File, VARIANT_BOOL* pComplete);
    HRESULT(*GetPreference)
    (ILumbrookHostSupport2* This, BSTR Name, BSTR* pValue, VARIANT_BOOL* pStored);
    HRESULT (*SavePreference)(ILumbrookHostSupport2* This, BSTR Name, BSTR Value);
    HRESULT (*DeletePreference)(ILumbrookHostSupport2* This, BSTR Name);
} ILumbrookHostSupport2Vtbl;
struct ILumbrookHostSupport2 {
    const ILumbrookHostSupport2Vtbl* lpVtbl;
};

typedef struct ILumbrookHostSupport3 ILumbrookHostSupport3;
typedef struct ILumbrookHostSupport3Vtbl {
    HRESULT (*QueryInterface)(ILumbrookHostSupport3* This, REFIID riid, void** ppvObject);
    ULONG (*AddRef)(ILumbrookHostSupport3* This);
    ULONG (*Release)(ILumbrookHostSupport3* This);
    HRESULT (*get_OutputFormat)(ILumbrookHostSupport3* This, BSTR* pFormat);
    HRESULT (*put_OutputFormat)(ILumbrookHostSupport3* This, BSTR Format);
    HRESULT (*FormatOfFileName)(ILumbrookHostSupport3* This, BSTR File, BSTR* pFormat);
    HRESULT (*GetFormatExtension)(ILumbrookHostSupport3* This, BSTR Format, BSTR* pExtension);
} ILumbrookHostSupport3Vtbl;
struct ILumbrookHostSupport3 {
    const ILumbrookHostSupport3Vtbl* lpVtbl;
};

#endif /* __cplusplus */

#endif /* LUMBROOK_LUMBROOK_H */
