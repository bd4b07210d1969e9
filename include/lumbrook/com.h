/*
 * The platform's component binary interface, as liblumbrook-platform.so provides it: result
 * codes, GUIDs, BSTR, VARIANT, the base interfaces and the error-info calls. Usable from C
 * (vtable structs) and from C++ (abstract classes with the same vtable layout).
 *
 * The layouts follow the platform's own: HRESULT is a 32-bit signed integer, VARIANT_BOOL a
 * 16-bit one (-1 true, 0 false), a BSTR points at NUL-terminated UTF-16 text that is preceded
 * by its 32-bit length in bytes, and a VARIANT is a 16-bit type tag, three reserved words and
 * a value union (24 bytes on 64-bit machines).
 *
 * The interface of liblumbrook-platform.so is what these public headers declare. The library
 * also exports functions named Platform* (the event pump, the application title, the start
 * directory): they serve the three libraries among themselves and are no part of it.
 */
#ifndef LUMBROOK_COM_H
#define LUMBROOK_COM_H

#include <stddef.h>
#include <stdint.h>

/* Marks what liblumbrook-platform.so exports: the functions and data declared with it are
 * its whole interface, and everything else in the library is hidden. */
#if defined(__GNUC__)
#define LUMBROOK_PLATFORM_API __attribute__((visibility("default")))
#else
#define LUMBROOK_PLATFORM_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t HRESULT;
typedef int32_t SCODE;
typedef uint32_t ULONG;
typedef int32_t LONG;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t BOOL;
typedef int32_t INT;
typedef uint32_t UINT;
typedef uint8_t BYTE;
typedef float FLOAT;
typedef double DOUBLE;
typedef double DATE;
typedef int64_t LONGLONG;
typedef uint16_t VARTYPE;
typedef int16_t VARIANT_BOOL;
typedef LONG DISPID;
typedef DWORD LCID;
#ifdef __cplusplus
typedef char16_t OLECHAR;
#else
typedef uint_least16_t OLECHAR;
#endif
typedef OLECHAR* BSTR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

/* Result codes. */
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOTIMPL ((HRESULT)0x80004001L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_UNEXPECTED ((HRESULT)0x8000FFFFL)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110L)
#define CLASS_E_CLASSNOTAVAILABLE ((HRESULT)0x80040111L)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154L)
#define CO_E_CLASSSTRING ((HRESULT)0x800401F3L)
#define CONNECT_E_NOCONNECTION ((HRESULT)0x80040200L)
#define CONNECT_E_ADVISELIMIT ((HRESULT)0x80040201L)
#define CONNECT_E_CANNOTCONNECT ((HRESULT)0x80040202L)
#define DISP_E_UNKNOWNINTERFACE ((HRESULT)0x80020001L)
#define DISP_E_MEMBERNOTFOUND ((HRESULT)0x80020003L)
#define DISP_E_PARAMNOTFOUND ((HRESULT)0x80020004L)
#define DISP_E_TYPEMISMATCH ((HRESULT)0x80020005L)
#define DISP_E_UNKNOWNNAME ((HRESULT)0x80020006L)
#define DISP_E_NONAMEDARGS ((HRESULT)0x80020007L)
#define DISP_E_BADVARTYPE ((HRESULT)0x80020008L)
#define DISP_E_EXCEPTION ((HRESULT)0x80020009L)
#define DISP_E_OVERFLOW ((HRESULT)0x8002000AL)
#define DISP_E_BADINDEX ((HRESULT)0x8002000BL)
#define DISP_E_BADPARAMCOUNT ((HRESULT)0x8002000EL)
#define DISP_E_PARAMNOTOPTIONAL ((HRESULT)0x8002000FL)
#define TYPE_E_ELEMENTNOTFOUND ((HRESULT)0x8002802BL)
#define SELFREG_E_CLASS ((HRESULT)0x80040201L)

#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

/* The object-defined error range: 0x80040000 plus an offset. */
#define LUMBROOK_OBJECT_ERROR(offset) ((HRESULT)(0x80040000UL + (unsigned long)(offset)))

typedef struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID;
typedef GUID IID;
typedef GUID CLSID;
#ifdef __cplusplus
#define REFGUID const GUID&
#define REFIID const IID&
#define REFCLSID const CLSID&
#else
#define REFGUID const GUID*
#define REFIID const IID*
#define REFCLSID const CLSID*
#endif

/* Variant types. */
enum VARENUM {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_BYREF = 0x4000
};

typedef struct IUnknown IUnknown;
typedef struct IDispatch IDispatch;

typedef struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SHORT* piVal;
        LONG* plVal;
        DOUBLE* pdblVal;
        VARIANT_BOOL* pboolVal;
        BSTR* pbstrVal;
        struct VARIANT* pvarVal;
        void* byref;
        struct {
            void* pvRecord;
            void* pRecInfo;
        } brecVal;
    } u;
} VARIANT;
typedef VARIANT VARIANTARG;

/* Flags for IDispatch::Invoke. */
#define DISPATCH_METHOD 0x1
#define DISPATCH_PROPERTYGET 0x2
#define DISPATCH_PROPERTYPUT 0x4
#define DISPATCH_PROPERTYPUTREF 0x8
#define DISPID_UNKNOWN (-1)
#define DISPID_VALUE 0
#define DISPID_PROPERTYPUT (-3)

typedef struct DISPPARAMS {
    VARIANTARG* rgvarg; /* arguments in reverse order */
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
} DISPPARAMS;

typedef struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(struct EXCEPINFO*);
    SCODE scode;
} EXCEPINFO;

typedef struct ITypeInfo ITypeInfo;

/* Interface identifiers (the platform's own values). */
extern LUMBROOK_PLATFORM_API const IID IID_IUnknown;
extern LUMBROOK_PLATFORM_API const IID IID_IDispatch;
extern LUMBROOK_PLATFORM_API const IID IID_IClassFactory;
extern LUMBROOK_PLATFORM_API const IID IID_ISupportErrorInfo;
extern LUMBROOK_PLATFORM_API const IID IID_IErrorInfo;
extern LUMBROOK_PLATFORM_API const IID IID_ICreateErrorInfo;
extern LUMBROOK_PLATFORM_API const IID IID_IConnectionPointContainer;
extern LUMBROOK_PLATFORM_API const IID IID_IConnectionPoint;
extern LUMBROOK_PLATFORM_API const IID IID_IEnumConnectionPoints;
extern LUMBROOK_PLATFORM_API const IID IID_IEnumConnections;
extern LUMBROOK_PLATFORM_API const IID GUID_NULL;

#ifdef __cplusplus
} /* extern "C" */

/* C++: GUIDs compare by value, as the platform's own header lets them. */
inline bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i) {
        if (a.Data4[i] != b.Data4[i])
            return false;
    }
    return true;
}

/* C++: abstract classes whose vtables are the platform's, slot for slot. */
struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
};

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                  DISPID* rgDispId) = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                           DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                           UINT* puArgErr) = 0;
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    virtual HRESULT LockServer(BOOL fLock) = 0;
};

struct ISupportErrorInfo : IUnknown {
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;
};

struct IErrorInfo : IUnknown {
    virtual HRESULT GetGUID(GUID* pGUID) = 0;
    virtual HRESULT GetSource(BSTR* pBstrSource) = 0;
    virtual HRESULT GetDescription(BSTR* pBstrDescription) = 0;
    virtual HRESULT GetHelpFile(BSTR* pBstrHelpFile) = 0;
    virtual HRESULT GetHelpContext(DWORD* pdwHelpContext) = 0;
};

struct ICreateErrorInfo : IUnknown {
    virtual HRESULT SetGUID(REFGUID rguid) = 0;
    virtual HRESULT SetSource(LPOLESTR szSource) = 0;
    virtual HRESULT SetDescription(LPOLESTR szDescription) = 0;
    virtual HRESULT SetHelpFile(LPOLESTR szHelpFile) = 0;
    virtual HRESULT SetHelpContext(DWORD dwHelpContext) = 0;
};

struct IConnectionPoint;
struct IEnumConnectionPoints;

struct IConnectionPointContainer : IUnknown {
    virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) = 0;
    virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) = 0;
};

struct IEnumConnections;

struct IConnectionPoint : IUnknown {
    virtual HRESULT GetConnectionInterface(IID* pIID) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) = 0;
    virtual HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) = 0;
    virtual HRESULT Unadvise(DWORD dwCookie) = 0;
    virtual HRESULT EnumConnections(IEnumConnections** ppEnum) = 0;
};

extern "C" {
#else /* C */

typedef struct IUnknownVtbl {
    HRESULT (*QueryInterface)(IUnknown* This, REFIID riid, void** ppvObject);
    ULONG (*AddRef)(IUnknown* This);
    ULONG (*Release)(IUnknown* This);
} IUnknownVtbl;
struct IUnknown {
    const IUnknownVtbl* lpVtbl;
};

typedef struct IDispatchVtbl {
    HRESULT (*QueryInterface)(IDispatch* This, REFIID riid, void** ppvObject);
    ULONG (*AddRef)(IDispatch* This);
    ULONG (*Release)(IDispatch* This);
    HRESULT (*GetTypeInfoCount)(IDispatch* This, UINT* pctinfo);
    HRESULT (*GetTypeInfo)(IDispatch* This, UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo);
    HRESULT(*GetIDsOfNames)
    (IDispatch* This, REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId);
    HRESULT(*Invoke)
    (IDispatch* This, DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
     DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr);
} IDispatchVtbl;
struct IDispatch {
    const IDispatchVtbl* lpVtbl;
};

typedef struct IClassFactory IClassFactory;
typedef struct IClassFactoryVtbl {
    HRESULT (*QueryInterface)(IClassFactory* This, REFIID riid, void** ppvObject);
    ULONG (*AddRef)(IClassFactory* This);
    ULONG (*Release)(IClassFactory* This);
    HRESULT(*CreateInstance)
    (IClassFactory* This, IUnknown* pUnkOuter, REFIID riid, void** ppvObject);
    HRESULT (*LockServer)(IClassFactory* This, BOOL fLock);
} IClassFactoryVtbl;
struct IClassFactory {
    const IClassFactoryVtbl* lpVtbl;
};

typedef struct IErrorInfo IErrorInfo;
typedef struct IErrorInfoVtbl {
    HRESULT (*QueryInterface)(IErrorInfo* This, REFIID riid, void** ppvObject);
    ULONG (*AddRef)(IErrorInfo* This);
    ULONG (*Release)(IErrorInfo* This);
    HRESULT (*GetGUID)(IErrorInfo* This, GUID* pGUID);
    HRESULT (*GetSource)(IErrorInfo* This, BSTR* pBstrSource);
    HRESULT (*GetDescription)(IErrorInfo* This, BSTR* pBstrDescription);
    HRESULT (*GetHelpFile)(IErrorInfo* This, BSTR* pBstrHelpFile);
    HRESULT (*GetHelpContext)(IErrorInfo* This, DWORD* pdwHelpContext);
} IErrorInfoVtbl;
struct IErrorInfo {
    const IErrorInfoVtbl* lpVtbl;
};

typedef struct ICreateErrorInfo ICreateErrorInfo;
typedef struct ICreateErrorInfoVtbl {
    HRESULT (*QueryInterface)(ICreateErrorInfo* This, REFIID riid, void** ppvObject);
    ULONG (*AddRef)(ICreateErrorInfo* This);
    ULONG (*Release)(ICreateErrorInfo* This);
    HRESULT (*SetGUID)(ICreateErrorInfo* This, REFGUID rguid);
    HRESULT (*SetSource)(ICreateErrorInfo* This, LPOLESTR szSource);
    HRESULT (*SetDescription)(ICreateErrorInfo* This, LPOLESTR szDescription);
    HRESULT (*SetHelpFile)(ICreateErrorInfo* This, LPOLESTR szHelpFile);
    HRESULT (*SetHelpContext)(ICreateErrorInfo* This, DWORD dwHelpContext);
} ICreateErrorInfoVtbl;
struct ICreateErrorInfo {
    const ICreateErrorInfoVtbl* lpVtbl;
};

#endif /* __cplusplus */

/* BSTR: allocated text with its byte length before it; NULL is the empty string. */
LUMBROOK_PLATFORM_API BSTR SysAllocString(const OLECHAR* psz);
LUMBROOK_PLATFORM_API BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui);
LUMBROOK_PLATFORM_API void SysFreeString(BSTR bstrString);
LUMBROOK_PLATFORM_API UINT SysStringLen(BSTR pbstr);
LUMBROOK_PLATFORM_API UINT SysStringByteLen(BSTR bstr);

/* VARIANT. */
LUMBROOK_PLATFORM_API void VariantInit(VARIANT* pvarg);
LUMBROOK_PLATFORM_API HRESULT VariantClear(VARIANT* pvarg);
LUMBROOK_PLATFORM_API HRESULT VariantCopy(VARIANT* pvargDest, const VARIANT* pvargSrc);
LUMBROOK_PLATFORM_API HRESULT VariantChangeType(VARIANT* pvargDest, const VARIANT* pvarSrc,
                                                USHORT wFlags, VARTYPE vt);

/* Per-thread error information. */
LUMBROOK_PLATFORM_API HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo);
LUMBROOK_PLATFORM_API HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo);
LUMBROOK_PLATFORM_API HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo);

/* Class creation by programmatic identifier, through the per-user registration. */
#define CLSCTX_INPROC_SERVER 0x1
LUMBROOK_PLATFORM_API HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, CLSID* lpclsid);
LUMBROOK_PLATFORM_API HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter,
                                               DWORD dwClsContext, REFIID riid, void** ppv);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LUMBROOK_COM_H */
