/*
 * The server as a C host sees it: loads liblumbrook.so (the path is the first argument),
 * creates the object through the class factory and calls it through the raw vtable.
 * Exits 0 when every check holds; each failed check prints its line.
 */
#define _POSIX_C_SOURCE 200809L /* unsetenv */

#include <dlfcn.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "lumbrook/lumbrook.h"

static int failures = 0;

#define CHECK(cond)                                                            \
    do {                                                                       \
        if (!(cond)) {                                                         \
            fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #cond); \
            ++failures;                                                        \
        }                                                                      \
    } while (0)

/* A BSTR from ASCII text. */
static BSTR Ascii(const char* text) {
    OLECHAR buffer[128];
    size_t i;
    for (i = 0; text[i] != '\0' && i < 127; ++i)
        buffer[i] = (OLECHAR)(unsigned char)text[i];
    return SysAllocStringLen(buffer, (UINT)i);
}

/* Compares a BSTR with ASCII text. */
static int Equals(BSTR value, const char* text) {
    size_t n = strlen(text);
    size_t i;
    if (SysStringLen(value) != n)
        return 0;
    for (i = 0; i < n; ++i) {
        if (value[i] != (OLECHAR)(unsigned char)text[i])
            return 0;
    }
    return 1;
}

static void CheckText(_Lumbrook* o, HRESULT (*get)(_Lumbrook*, BSTR*), const char* expected) {
    BSTR value = NULL;
    CHECK(get(o, &value) == S_OK);
    CHECK(Equals(value, expected));
    SysFreeString(value);
}

static void CheckDefaults(_Lumbrook* o) {
    const _LumbrookVtbl* v = o->lpVtbl;
    DOUBLE d = -1;
    SHORT s = -1;
    LONG l = -1;
    VARIANT_BOOL b = VARIANT_TRUE;
    CheckText(o, v->get_ODBCString,
              "Provider=OraOLEDB.Oracle.1;Persist Security Info=True;User ID=tsquared;"
              "password=qx;Data Source=TSQUARED;");
    CHECK(v->get_minMass(o, &d) == S_OK && d == 60);
    CHECK(v->get_maxMass(o, &d) == S_OK && d == 20);
    CHECK(v->get_S2N(o, &d) == S_OK && d == 10);
    CHECK(v->get_Monoisotopic(o, &s) == S_OK && s == 1);
    CheckText(o, v->get_Descriptor, "");
    CheckText(o, v->get_MSType, "");
    CheckText(o, v->get_DescriptorList, "");
    CHECK(v->get_JobRunID(o, &l) == S_OK && l == 0);
    l = -1;
    CHECK(v->get_JobRunItemID(o, &l) == S_OK && l == 0);
    CHECK(v->get_AllSpectra(o, &b) == S_OK && b == VARIANT_FALSE);
    CheckText(o, v->get_DllVersion, "1.0.0");
}

/* The setters in their slots, each by its error code; the error info reaches a C host (the
 * texts of the others, the ranges the setters accept and the values they keep are the C++
 * tests' business). */
static void CheckSetters(_Lumbrook* o) {
    const _LumbrookVtbl* v = o->lpVtbl;
    DOUBLE d = 0;
    BSTR text = Ascii("ms-ms");
    IErrorInfo* info = NULL;
    BSTR source = NULL;
    BSTR description = NULL;

    CHECK(v->put_minMass(o, -0.001) == (HRESULT)0x800403EC);
    CHECK(GetErrorInfo(0, &info) == S_OK && info != NULL);
    if (info != NULL) {
        CHECK(info->lpVtbl->GetSource(info, &source) == S_OK && Equals(source, "Lumbrook"));
        CHECK(info->lpVtbl->GetDescription(info, &description) == S_OK &&
              Equals(description, "Minimum mass cannot be negative"));
        SysFreeString(source);
        SysFreeString(description);
        info->lpVtbl->Release(info);
    }
    CHECK(v->put_minMass(o, 0) == S_OK);
    CHECK(v->get_minMass(o, &d) == S_OK && d == 0);
    CHECK(v->put_maxMass(o, NAN) == LUMBROOK_E_MAXMASS);
    CHECK(v->put_S2N(o, -1) == LUMBROOK_E_S2N);
    CHECK(v->put_Monoisotopic(o, -1) == (HRESULT)0x800403EF);
    CHECK(v->put_MSType(o, text) == (HRESULT)0x800403F1);
    SysFreeString(text);
}

/* Puts minMass through Invoke with the one argument given; the conversion's answer. */
static HRESULT PutMinMass(_Lumbrook* o, VARIANT* arg) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPID id = DISPID_UNKNOWN;
    OLECHAR name[] = u"minMass";
    LPOLESTR names[1];
    DISPPARAMS params;
    UINT argErr = 77;
    HRESULT hr;
    names[0] = name;
    CHECK(o->lpVtbl->GetIDsOfNames(o, &GUID_NULL, names, 1, 0, &id) == S_OK);
    params.rgvarg = arg;
    params.rgdispidNamedArgs = &named;
    params.cArgs = 1;
    params.cNamedArgs = 1;
    hr =
        o->lpVtbl->Invoke(o, id, &GUID_NULL, 0, DISPATCH_PROPERTYPUT, &params, NULL, NULL, &argErr);
    CHECK(hr == S_OK || argErr == 0);
    return hr;
}

/* A VT_VARIANT|VT_BYREF is followed one level, as on the platform: one that refers to itself,
 * or a chain of 200,000, is refused with an error code instead of being followed. */
static void CheckVariantReferences(_Lumbrook* o) {
    enum { kDepth = 200000 };
    VARIANT* chain = calloc(kDepth, sizeof(VARIANT));
    VARIANT self;
    VARIANT inner;
    VARIANT outer;
    VARIANT dest;
    DOUBLE d = 0;
    LONG number = 7;
    int i;

    self.vt = VT_VARIANT | VT_BYREF;
    self.u.pvarVal = &self;
    for (i = 0; i < kDepth - 1; ++i) {
        chain[i].vt = VT_VARIANT | VT_BYREF;
        chain[i].u.pvarVal = &chain[i + 1];
    }
    chain[kDepth - 1].vt = VT_R8;
    chain[kDepth - 1].u.dblVal = 5;

    /* The destination stays as it was after each refusal. */
    VariantInit(&dest);
    dest.vt = VT_I4;
    dest.u.lVal = 1234;
    CHECK(VariantChangeType(&dest, &self, 0, VT_BSTR) == DISP_E_BADVARTYPE);
    CHECK(VariantChangeType(&dest, &chain[0], 0, VT_R8) == DISP_E_BADVARTYPE);
    CHECK(VariantChangeType(&dest, &chain[kDepth - 3], 0, VT_R8) == DISP_E_BADVARTYPE);
    CHECK(dest.vt == VT_I4 && dest.u.lVal == 1234);
    CHECK(PutMinMass(o, &self) == DISP_E_BADVARTYPE);
    CHECK(PutMinMass(o, &chain[0]) == DISP_E_BADVARTYPE);
    CHECK(o->lpVtbl->get_minMass(o, &d) == S_OK && d == 0);

    /* One level is followed, to a value or to a reference of another type. */
    CHECK(PutMinMass(o, &chain[kDepth - 2]) == S_OK);
    CHECK(o->lpVtbl->get_minMass(o, &d) == S_OK && d == 5);
    inner.vt = VT_I4 | VT_BYREF;
    inner.u.plVal = &number;
    outer.vt = VT_VARIANT | VT_BYREF;
    outer.u.pvarVal = &inner;
    CHECK(PutMinMass(o, &outer) == S_OK);
    CHECK(o->lpVtbl->get_minMass(o, &d) == S_OK && d == 7);
    free(chain);
}

/* Presets `out` and checks that `call` answers `code` and clears it. */
#define CHECK_CLEARED(call, code)               \
    do {                                        \
        out = (void*)&out;                      \
        CHECK((call) == (code) && out == NULL); \
    } while (0)

/* NULL identifiers and out-pointers are answered with E_INVALIDARG or E_POINTER, and an
 * out-pointer that was given is cleared. */
static void CheckNullArguments(LPFNGETCLASSOBJECT getClassObject, _Lumbrook* o) {
    IClassFactory* factory = NULL;
    void* out = NULL;
    CLSID clsid;
    const OLECHAR progId[] = u"" LUMBROOK_PROGID;

    CHECK_CLEARED(getClassObject(&IID__Lumbrook, &IID_IClassFactory, &out),
                  CLASS_E_CLASSNOTAVAILABLE);
    CHECK_CLEARED(getClassObject(NULL, &IID_IClassFactory, &out), E_INVALIDARG);
    CHECK_CLEARED(getClassObject(&CLSID_Lumbrook, NULL, &out), E_INVALIDARG);
    CHECK(getClassObject(&CLSID_Lumbrook, &IID_IClassFactory, NULL) == E_POINTER);
    CHECK(getClassObject(NULL, NULL, NULL) == E_POINTER);

    CHECK(getClassObject(&CLSID_Lumbrook, &IID_IClassFactory, (void**)&factory) == S_OK);
    if (factory != NULL) {
        CHECK_CLEARED(factory->lpVtbl->QueryInterface(factory, NULL, &out), E_INVALIDARG);
        CHECK(factory->lpVtbl->QueryInterface(factory, &IID_IUnknown, NULL) == E_POINTER);
        CHECK_CLEARED(factory->lpVtbl->CreateInstance(factory, NULL, NULL, &out), E_INVALIDARG);
        CHECK(factory->lpVtbl->CreateInstance(factory, NULL, &IID_IUnknown, NULL) == E_POINTER);
        factory->lpVtbl->Release(factory);
    }

    CHECK_CLEARED(o->lpVtbl->QueryInterface(o, NULL, &out), E_INVALIDARG);
    CHECK(o->lpVtbl->QueryInterface(o, &IID_IDispatch, NULL) == E_POINTER);

    CHECK_CLEARED(CoCreateInstance(NULL, NULL, CLSCTX_INPROC_SERVER, &IID_IUnknown, &out),
                  E_INVALIDARG);
    CHECK_CLEARED(CoCreateInstance(&CLSID_Lumbrook, NULL, CLSCTX_INPROC_SERVER, NULL, &out),
                  E_INVALIDARG);
    CHECK(CoCreateInstance(&CLSID_Lumbrook, NULL, CLSCTX_INPROC_SERVER, &IID_IUnknown, NULL) ==
          E_POINTER);
    CHECK(CLSIDFromProgID(NULL, &clsid) == E_INVALIDARG);
    CHECK(CLSIDFromProgID(progId, NULL) == E_INVALIDARG);
}

int main(int argc, char** argv) {
    void* library;
    LPFNGETCLASSOBJECT getClassObject;
    LPFNCANUNLOADNOW canUnloadNow;
    IClassFactory* factory = NULL;
    IDispatch* dispatch = NULL;
    _Lumbrook* object = NULL;
    VARIANT_BOOL flag = 0x5A5A;
    ULONG left;

    /* The browser must find no display, whatever the machine running the test has. */
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    if (argc != 2) {
        fprintf(stderr, "usage: abi_test_c PATH-TO-liblumbrook.so\n");
        return 2;
    }
    /* The code stays mapped after dlclose, as hosts keep in-process servers: what the
     * library's statics hold then stays reachable instead of reading as a leak. */
    library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (library == NULL) {
        fprintf(stderr, "dlopen: %s\n", dlerror());
        return 1;
    }
    *(void**)&getClassObject = dlsym(library, "DllGetClassObject");
    *(void**)&canUnloadNow = dlsym(library, "DllCanUnloadNow");
    CHECK(getClassObject != NULL && canUnloadNow != NULL);
    if (getClassObject == NULL || canUnloadNow == NULL)
        return 1;

    CHECK(getClassObject(&CLSID_Lumbrook, &IID_IClassFactory, (void**)&factory) == S_OK);
    if (factory == NULL)
        return 1;
    CHECK(factory->lpVtbl->CreateInstance(factory, NULL, &IID__Lumbrook, (void**)&object) == S_OK);
    factory->lpVtbl->Release(factory);
    if (object == NULL)
        return 1;
    CHECK(canUnloadNow() == S_FALSE);

    /* IDispatch is the dual interface itself. */
    CHECK(object->lpVtbl->QueryInterface(object, &IID_IDispatch, (void**)&dispatch) == S_OK);
    CHECK((void*)dispatch == (void*)object);
    if (dispatch != NULL)
        dispatch->lpVtbl->Release(dispatch);

    CheckDefaults(object);
    CheckSetters(object);
    /* Without a display the browser cannot open: no error, the answer is false. */
    CHECK(object->lpVtbl->ShowDataBrowser(object, &flag) == S_OK && flag == VARIANT_FALSE);
    CheckVariantReferences(object);
    CheckNullArguments(getClassObject, object);
    CHECK(object->lpVtbl->Cancel(object) == S_OK);

    left = object->lpVtbl->Release(object);
    CHECK(left == 0);
    CHECK(canUnloadNow() == S_OK);
    dlclose(library);

    if (failures != 0) {
        fprintf(stderr, "%d checks failed\n", failures);
        return 1;
    }
    printf("all checks passed\n");
    return 0;
}
