# lumbrook register, then a separate program creating the object by its ProgID, then
# lumbrook unregister leaving nothing behind. All in a fresh XDG_CONFIG_HOME (WORK).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(ENV{XDG_CONFIG_HOME} ${WORK})

function(run expected_status)
    execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
    if(NOT status EQUAL expected_status)
        message(FATAL_ERROR "${ARGN}: exit status ${status}, expected ${expected_status}\n${out}${err}")
    endif()
    set(output "${out}" PARENT_SCOPE)
    set(errors "${err}" PARENT_SCOPE)
endfunction()

run(0 ${HOST} register)
if(NOT output MATCHES "^Registered /.*/liblumbrook\\.so\\.1\n$")
    message(FATAL_ERROR "unexpected output of register: ${output}")
endif()
file(READ ${WORK}/lumbrook/HKEY_CURRENT_USER.reg hive)
foreach(expected "[HKEY_CURRENT_USER\\Software\\Classes\\LumbrookDLL.Lumbrook\\CLSID]"
                 "\"ThreadingModel\"=\"Apartment\"" "\\TypeLib\\{")
    string(FIND "${hive}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the registration lacks ${expected}:\n${hive}")
    endif()
endforeach()
string(REGEX MATCH "LumbrookDLL\\.Lumbrook\\\\CLSID\\]\n@=\"(\\{[-0-9A-F]+\\})\"" progid "${hive}")
set(clsid "${CMAKE_MATCH_1}")
if(NOT clsid)
    message(FATAL_ERROR "the ProgID names no class:\n${hive}")
endif()
# The class names the library by its SONAME link, which a version upgrade keeps.
if(NOT hive MATCHES "InprocServer32\\]\n@=\"/[^\"]*/liblumbrook\\.so\\.1\"\n")
    message(FATAL_ERROR "the registration does not name the SONAME link:\n${hive}")
endif()
run(0 ${CLIENT})
# The host itself now creates the object through the registration.
run(0 ${HOST} props)
# A registration of a file an upgrade removed: the library found without one serves, and the
# host says so once; unregister still removes it.
set(inproc "HKCU\\Software\\Classes\\CLSID\\${clsid}\\InprocServer32")
run(0 ${HOST} reg add ${inproc} /ve /d ${WORK}/liblumbrook.so.0.9.0 /f)
run(0 ${HOST} props)
string(REGEX MATCHALL "is gone" gone "${errors}")
list(LENGTH gone times)
if(NOT times EQUAL 1 OR NOT errors MATCHES "registered server library [^ ]*/liblumbrook\\.so\\.0\\.9\\.0 is gone")
    message(FATAL_ERROR "a registration of a removed file was not told once:\n${errors}")
endif()
run(0 ${HOST} unregister)
# Unregistering twice is no error.
run(0 ${HOST} unregister)
# A ProgID left without its class, as a registration removed by hand halfway leaves it: the
# host creates the object from the library it finds itself.
run(0 ${HOST} reg add HKCU\\Software\\Classes\\LumbrookDLL.Lumbrook\\CLSID /ve /d "${clsid}" /f)
run(0 ${HOST} props)
run(0 ${HOST} reg delete HKCU\\Software\\Classes /f)
# Only the preferences key that creating the object made is left: no ProgID, no class, and
# reading the preferences made their key.
file(READ ${WORK}/lumbrook/HKEY_CURRENT_USER.reg hive)
if(NOT hive STREQUAL "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\Lumbrook\\Preferences]\n")
    message(FATAL_ERROR "keys left behind:\n${hive}")
endif()
file(REMOVE_RECURSE ${WORK})
