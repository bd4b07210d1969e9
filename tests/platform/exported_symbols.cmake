# Checks the dynamic symbols that LIBRARY defines, read with NM: C names only (no C++
# mangled name, which would tie hosts to this compiler and to the library's internals), and
# among them the calls and identifiers hosts link against.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} cannot read ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]* _Z[^\n]*" mangled "${symbols}")
if(mangled)
    string(REPLACE ";" "\n" mangled "${mangled}")
    message(FATAL_ERROR "${LIBRARY} exports C++ symbols:\n${mangled}")
endif()
# With ONLY (names joined by "|"), exactly those names and nothing else.
if(DEFINED ONLY)
    string(REGEX MATCHALL "[^\n ]+\n" defined "${symbols}")
    string(REPLACE "\n" "" defined "${defined}")
    list(SORT defined)
    string(REPLACE "|" ";" expected "${ONLY}")
    list(SORT expected)
    if(NOT defined STREQUAL expected)
        message(FATAL_ERROR "${LIBRARY} exports ${defined}, not ${expected}")
    endif()
    return()
endif()
foreach(name SysAllocString VariantClear GetErrorInfo CoCreateInstance RegCreateKeyExA
        RegDeleteTreeA RegQueryHiveA RegExportKeyA RegImportFileA lstrcmpiA GetVersionExA
        IID_IUnknown CLSID_Lumbrook IID__Lumbrook)
    if(NOT symbols MATCHES " ${name}\n")
        message(FATAL_ERROR "${LIBRARY} does not export ${name}")
    endif()
endforeach()
