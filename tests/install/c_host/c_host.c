/*
 * A host as a lab would write one against the installed files alone: it creates the object
 * by its ProgID (after `lumbrook register`), exports all MS/MS spectra of a job run and then
 * checks that the export loaded no Qt library.
 *   c_host CONNECTION-STRING JOB-RUN OUT-FILE
 * Exits 0 when the export returned true and no Qt library is mapped, 1 otherwise.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "lumbrook/lumbrook.h"

/* A BSTR from UTF-8 text that is ASCII (connection strings and paths of the test). */
static BSTR Ascii(const char* text) {
    size_t i;
    size_t n = strlen(text);
    BSTR result = SysAllocStringLen(NULL, (UINT)n);
    for (i = 0; result != NULL && i < n; ++i)
        result[i] = (OLECHAR)(unsigned char)text[i];
    return result;
}

/* 1 when a Qt library is mapped into this process. */
static int QtLoaded(void) {
    char line[4096];
    int found = 0;
    FILE* maps = fopen("/proc/self/maps", "r");
    if (maps == NULL)
        return 0;
    while (fgets(line, sizeof line, maps) != NULL) {
        if (strstr(line, "libQt") != NULL) {
            fprintf(stderr, "c_host: a Qt library is loaded: %s", line);
            found = 1;
            break;
        }
    }
    fclose(maps);
    return found;
}

int main(int argc, char** argv) {
    static const OLECHAR progId[] = u"" LUMBROOK_PROGID;
    CLSID clsid;
    _Lumbrook* object = NULL;
    VARIANT_BOOL ok = VARIANT_FALSE;
    BSTR text;
    BSTR out;
    HRESULT hr;
    int status = 0;
    if (argc != 4) {
        fprintf(stderr, "usage: c_host CONNECTION-STRING JOB-RUN OUT-FILE\n");
        return 2;
    }
    hr = CLSIDFromProgID(progId, &clsid);
    if (hr != S_OK) {
        fprintf(stderr, "c_host: " LUMBROOK_PROGID " is not registered (0x%08X)\n", (unsigned)hr);
        return 1;
    }
    hr = CoCreateInstance(&clsid, NULL, CLSCTX_INPROC_SERVER, &IID__Lumbrook, (void**)&object);
    if (FAILED(hr) || object == NULL) {
        fprintf(stderr, "c_host: CoCreateInstance failed (0x%08X)\n", (unsigned)hr);
        return 1;
    }
    text = Ascii(argv[1]);
    object->lpVtbl->put_ODBCString(object, text);
    SysFreeString(text);
    object->lpVtbl->put_JobRunID(object, atol(argv[2]));
    object->lpVtbl->put_AllSpectra(object, VARIANT_TRUE);
    text = Ascii("MS-MS");
    object->lpVtbl->put_MSType(object, text);
    SysFreeString(text);
    if (object->lpVtbl->Connect(object, &ok) != S_OK || ok != VARIANT_TRUE) {
        fprintf(stderr, "c_host: Connect failed\n");
        status = 1;
    } else {
        out = Ascii(argv[3]);
        hr = object->lpVtbl->DoExport(object, &out, &ok);
        SysFreeString(out);
        if (hr != S_OK || ok != VARIANT_TRUE) {
            fprintf(stderr, "c_host: DoExport failed (0x%08X)\n", (unsigned)hr);
            status = 1;
        }
    }
    if (QtLoaded())
        status = 1;
    object->lpVtbl->Release(object);
    return status;
}
