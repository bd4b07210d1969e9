# lumbrook reg as a user runs it, in a fresh XDG_CONFIG_HOME (WORK): each step's exit status
# and exact output.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(ENV{XDG_CONFIG_HOME} ${WORK})
set(key "HKCU\\Software\\Velmora\\Lumbrook\\Preferences")
set(full "HKEY_CURRENT_USER\\Software\\Velmora\\Lumbrook\\Preferences")
set(done "The operation completed successfully.\n")
set(notfound "ERROR: The system was unable to find the specified registry key or value.\n")

# step(STATUS STDOUT STDERR-REGEX args...): stdin is empty, so every question is answered no.
function(step expected_status expected_out expected_err)
    execute_process(COMMAND ${HOST} ${ARGN} INPUT_FILE /dev/null OUTPUT_VARIABLE out
                    ERROR_VARIABLE err RESULT_VARIABLE status)
    if(NOT status EQUAL expected_status OR NOT out STREQUAL expected_out
       OR NOT err MATCHES "${expected_err}")
        message(FATAL_ERROR "lumbrook ${ARGN}\nexit status ${status}, expected "
                "${expected_status}\nstdout:\n[${out}]\nexpected:\n[${expected_out}]\n"
                "stderr:\n[${err}]\nexpected to match: ${expected_err}")
    endif()
endfunction()

step(0 "${done}" "^$" reg add ${key} /v Filter /d 100,15,3,0 /f)
execute_process(COMMAND ${HOST} props OUTPUT_VARIABLE props)
if(NOT props MATCHES "\nminMass=100\nmaxMass=15\nS2N=3\nMonoisotopic=0\n")
    message(FATAL_ERROR "props does not show the stored filter:\n${props}")
endif()
step(0 "\n${full}\n    Filter    REG_SZ    100,15,3,0\n\n" "^$" reg query ${key} /v filter)
step(0 "${done}" "^$" reg add ${key} -V Count -T reg_dword -D 0x1A -F)
step(0 "${done}" "^$" reg add ${key} /v Parts /t REG_MULTI_SZ /d "a\\0b" /f)
step(0 "\n${full}\n    Filter    REG_SZ    100,15,3,0\n    Count    REG_DWORD    0x1a\n    Parts    REG_MULTI_SZ    a\\0b\n\n"
     "^$" reg query HKEY_CURRENT_USER\\software\\velmora\\lumbrook\\preferences)
step(0 "\n${full}\n    (Default)    REG_SZ    (value not set)\n\n" "^$" reg query ${key} /ve)
step(0 "\nHKEY_CURRENT_USER\\Software\\Velmora\n\nHKEY_CURRENT_USER\\Software\\Velmora\\Lumbrook\n\n"
     "^$" reg query HKCU\\Software\\Velmora)
step(0 "\n${full}\n    Count    REG_DWORD    0x1a\n\nEnd of search: 1 match(es) found.\n" "^$"
     reg query HKCU /v COUNT /s)
# Without /f an existing value is only replaced when the user says yes.
step(1 "Value Filter exists, overwrite (Yes/No)? " "canceled by the user" reg add ${key} /v Filter /d 1,2,3,4)
step(1 "" "^${notfound}$" reg query ${key} /v Missing)

step(0 "${done}" "^$" reg export HKCU\\Software\\Velmora ${WORK}/export.reg)
file(READ ${WORK}/export.reg exported)
set(expected_export "REGEDIT4\n\n[${full}]\n\"Filter\"=\"100,15,3,0\"\n\"Count\"=dword:0000001a\n\"Parts\"=hex(7):61,00,62,00,00\n")
if(NOT exported STREQUAL expected_export)
    message(FATAL_ERROR "export:\n${exported}\nexpected:\n${expected_export}")
endif()
step(1 "File ${WORK}/export.reg already exists. Overwrite (Yes/No)? " "canceled"
     reg export ${key} ${WORK}/export.reg)
step(0 "${done}" "^$" reg delete ${key} /v Parts /f)
step(0 "${done}" "^$" reg delete HKCU\\Software\\Velmora /f)
step(1 "" "^${notfound}$" reg query ${key})
step(0 "${done}" "^$" reg import ${WORK}/export.reg)
step(0 "\n${full}\n    Parts    REG_MULTI_SZ    a\\0b\n\n" "^$" reg query ${key} /v parts)
# A file that does not parse imports nothing.
file(WRITE ${WORK}/bad.reg "REGEDIT4\n[HKCU\\Software\\Velmora\\New]\n\"x\"=oops\n")
step(1 "" "bad.reg: line 3: expected \"text\", dword:" reg import ${WORK}/bad.reg)
step(1 "" "^${notfound}$" reg query HKCU\\Software\\Velmora\\New)
step(0 "${done}" "^$" reg delete ${key} /va /f)
step(0 "\n${full}\n\n" "^$" reg query ${key})

# Usage errors: exit status 2 and a message.
step(2 "" "only HKCU" reg add HKLM\\Software\\X /f)
step(2 "" "REG_DWORD data" reg add ${key} /v N /t REG_DWORD /d 12x /f)
step(2 "" "unsupported type" reg add ${key} /v N /t REG_QWORD /d 1 /f)
step(2 "" "exclude one another" reg delete ${key} /v a /va /f)
step(2 "" "invalid switch" reg query ${key} /z)
step(2 "" "unknown verb" reg copy ${key} ${key})

# A hive that cannot be parsed: reads say where, changes fail and leave it as it was.
file(WRITE ${WORK}/lumbrook/HKEY_CURRENT_USER.reg "not a hive\n")
step(1 "" "HKEY_CURRENT_USER.reg: line 1: expected the header REGEDIT4: not a hive" reg query HKCU)
step(1 "" "cannot be changed: .*line 1: expected the header REGEDIT4" reg add ${key} /v X /d y /f)
file(READ ${WORK}/lumbrook/HKEY_CURRENT_USER.reg after)
if(NOT after STREQUAL "not a hive\n")
    message(FATAL_ERROR "the unparsable hive was changed:\n${after}")
endif()
file(REMOVE_RECURSE ${WORK})
