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

/* Checks that the thread's error info names the object and holds `description`. */
static void CheckErrorInfo(const char* description) {
    IErrorInfo* info = NULL;
    BSTR source = NULL;
    BSTR text = NULL;
    CHECK(GetErrorInfo(0, &info) == S_OK && info != NULL);
    if (info == NULL)
        return;
    CHECK(info->lpVtbl->GetSource(info, &source) == S_OK);
    CHECK(info->lpVtbl->GetDescription(info, &text) == S_OK);
    CHECK(Equals(source, "Lumbrook"));
    CHECK(Equals(text, description));
    SysFreeString(source);
    SysFreeString(text);
    info->lpVtbl->Release(info);
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

static void CheckSetters(_Lumbrook* o) {
    const _LumbrookVtbl* v = o->lpVtbl;
    DOUBLE d = 0;
    SHORT s = 0;
    BSTR text;

    CHECK(v->put_minMass(o, -0.001) == (HRESULT)0x800403EC);
    CheckErrorInfo("Minimum mass cannot be negative");
    CHECK(v->get_minMass(o, &d) == S_OK && d == 60);
    CHECK(v->put_minMass(o, INFINITY) == LUMBROOK_E_MINMASS);
    CheckErrorInfo("Minimum mass cannot be negative");
    CHECK(v->put_minMass(o, 0) == S_OK);
    CHECK(v->get_minMass(o, &d) == S_OK && d == 0);

    CHECK(v->put_maxMass(o, NAN) == LUMBROOK_E_MAXMASS);
    CheckErrorInfo("Maximum mass cannot be negative");
    CHECK(v->put_S2N(o, -1) == LUMBROOK_E_S2N);
    CheckErrorInfo("Signal to noise ratio cannot be negative");

    CHECK(v->put_Monoisotopic(o, -1) == (HRESULT)0x800403EF);
    CheckErrorInfo("Monoisotopic must be 0 (false) or 1 (true)");
    CHECK(v->put_Monoisotopic(o, 2) == (HRESULT)0x800403EF);
    CheckErrorInfo("Monoisotopic must be 0 (false) or 1 (true)");
    CHECK(v->get_Monoisotopic(o, &s) == S_OK && s == 1);

    text = Ascii("MS");
    CHECK(v->put_MSType(o, text) == S_OK);
    SysFreeString(text);
    text = Ascii("ms-ms");
    CHECK(v->put_MSType(o, text) == (HRESULT)0x800403F1);
    SysFreeString(text);
    CheckErrorInfo("MSType must be MS or MS-MS");
    CheckText(o, v->get_MSType, "MS");
}

/* Failing calls leave the caller's out-parameters as they were. */
static void CheckSentinels(_Lumbrook* o) {
    const _LumbrookVtbl* v = o->lpVtbl;
    VARIANT_BOOL sentinel = 0x5A5A;
    BSTR file = Ascii("out.qpk");
    BSTR before = file;
    /* DoExport without a connection is no failure: it answers false, the file untouched. */
    CHECK(v->DoExport(o, &file, &sentinel) == S_OK && sentinel == VARIANT_FALSE);
    CHECK(file == before);
    sentinel = 0x5A5A;
    /* Without a display the browser cannot open: no error, the answer is false. */
    CHECK(v->ShowDataBrowser(o, &sentinel) == S_OK && sentinel == VARIANT_FALSE);
    SysFreeString(file);
}

int main(int argc, char** argv) {
    void* library;
    LPFNGETCLASSOBJECT getClassObject;
    LPFNCANUNLOADNOW canUnloadNow;
    IClassFactory* factory = NULL;
    IClassFactory* wrong = NULL;
    IUnknown* unknown = NULL;
    IDispatch* dispatch = NULL;
    _Lumbrook* object = NULL;
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
    CHECK(dlsym(library, "DllRegisterServer") != NULL);
    CHECK(dlsym(library, "DllUnregisterServer") != NULL);
    if (getClassObject == NULL || canUnloadNow == NULL)
        return 1;

    CHECK(getClassObject(&IID__Lumbrook, &IID_IClassFactory, (void**)&wrong) ==
          CLASS_E_CLASSNOTAVAILABLE);
    CHECK(wrong == NULL);
    CHECK(getClassObject(&CLSID_Lumbrook, &IID_IClassFactory, (void**)&factory) == S_OK);
    if (factory == NULL)
        return 1;
    CHECK(factory->lpVtbl->CreateInstance(factory, NULL, &IID_IUnknown, (void**)&unknown) == S_OK);
    factory->lpVtbl->Release(factory);
    if (unknown == NULL)
        return 1;
    CHECK(canUnloadNow() == S_FALSE);

    /* IDispatch is the dual interface itself. */
    CHECK(unknown->lpVtbl->QueryInterface(unknown, &IID_IDispatch, (void**)&dispatch) == S_OK);
    CHECK(unknown->lpVtbl->QueryInterface(unknown, &IID__Lumbrook, (void**)&object) == S_OK);
    CHECK((void*)dispatch == (void*)object);
    unknown->lpVtbl->Release(unknown);
    dispatch->lpVtbl->Release((IDispatch*)dispatch);

    CheckDefaults(object);
    CheckSetters(object);
    CheckSentinels(object);
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
