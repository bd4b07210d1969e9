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
run(0 ${CLIENT})
# The host itself now creates the object through the registration.
run(0 ${HOST} props)
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
