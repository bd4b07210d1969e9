# lumbrook reg as a user runs it, in a fresh XDG_CONFIG_HOME (WORK): each step's exit status
# and exact output.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(ENV{XDG_CONFIG_HOME} ${WORK})
set(key "HKCU\\Software\\Velmora\\Lumbrook\\Preferences")
set(full "HKEY_CURRENT_USER\\Software\\Velmora\\Lumbrook\\Preferences")
set(done "The operation completed successfully.\n")
set(notfound "ERROR: The system was unable to find the specified registry key or value.\n")

# mode_of(PATH VAR): the permission bits of PATH in octal, as stat prints them.
function(mode_of path var)
    execute_process(COMMAND stat -c %a ${path} OUTPUT_VARIABLE mode
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(${var} "${mode}" PARENT_SCOPE)
endfunction()

# step(STATUS STDOUT STDERR-REGEX args...): stdin is empty, so every question is answered no.
# A step that hangs (on a FIFO, say) fails after a generous bound.
function(step expected_status expected_out expected_err)
    execute_process(COMMAND ${HOST} ${ARGN} INPUT_FILE /dev/null OUTPUT_VARIABLE out
                    ERROR_VARIABLE err RESULT_VARIABLE status TIMEOUT 60)
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
# An export that replaces a file others could read makes it private: it may hold passwords.
file(CHMOD ${WORK}/export.reg PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
step(0 "${done}" "^$" reg export HKCU\\Software\\Velmora ${WORK}/export.reg /y)
mode_of(${WORK}/export.reg mode)
if(NOT mode STREQUAL "600")
    message(FATAL_ERROR "the replaced export has mode ${mode}, not 600")
endif()
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

# What cannot be read as a file to import is a message and exit status 1, never a crash or
# a wait for a writer.
file(MAKE_DIRECTORY ${WORK}/folder.reg)
execute_process(COMMAND mkfifo ${WORK}/fifo.reg)
step(1 "" "^ERROR: .*folder.reg: not a regular file\n$" reg import ${WORK}/folder.reg)
step(1 "" "^ERROR: .*fifo.reg: not a regular file\n$" reg import ${WORK}/fifo.reg)
step(1 "" "^ERROR: .*missing.reg: cannot open: No such file or directory\n$"
     reg import ${WORK}/missing.reg)
step(1 "" "^ERROR: Cannot write .*folder.reg.\n$" reg export ${key} ${WORK}/folder.reg /y)

# Usage errors: exit status 2 and a message.
step(2 "" "only HKCU" reg add HKLM\\Software\\X /f)
# REG_DWORD data: decimal, or hex after one 0x; no sign, space, second prefix or 33rd bit.
foreach(data 12x 0x0x10 0x+5 "\t16" " 16" +16 -1 0x 4294967296 0x100000000)
    step(2 "" "REG_DWORD data must be 0 to 4294967295" reg add ${key} /v N /t REG_DWORD
         /d "${data}" /f)
endforeach()
step(2 "" "unsupported type" reg add ${key} /v N /t REG_QWORD /d 1 /f)
step(2 "" "exclude one another" reg delete ${key} /v a /va /f)
step(2 "" "invalid switch" reg query ${key} /z)
step(2 "" "unknown verb" reg copy ${key} ${key})

# props(NAME=VALUE-REGEX): a new object's properties, within a generous bound even when the
# hive path is a FIFO that no one writes.
function(props expected)
    execute_process(COMMAND ${HOST} props OUTPUT_VARIABLE out RESULT_VARIABLE status
                    TIMEOUT 20)
    if(NOT status EQUAL 0 OR NOT out MATCHES "${expected}")
        message(FATAL_ERROR "props: status ${status}, expected to match ${expected}:\n${out}")
    endif()
endfunction()
set(hive ${WORK}/lumbrook/HKEY_CURRENT_USER.reg)
set(defaults "\nODBCString=Provider=OraOLEDB[^\n]*\nminMass=60\nmaxMass=20\nS2N=10\n")

# A hive that cannot be parsed: reads say where, changes (an import too) fail and leave it as
# it was, and a new object starts with the defaults.
file(WRITE ${hive} "not a hive\n")
step(1 "" "HKEY_CURRENT_USER.reg: line 1: expected the header REGEDIT4: not a hive" reg query HKCU)
step(1 "" "cannot be changed: .*line 1: expected the header REGEDIT4" reg add ${key} /v X /d y /f)
step(1 "" "^ERROR: The registry cannot be changed: .*line 1: expected the header REGEDIT4: not a hive\n$"
     reg import ${WORK}/export.reg)
props("${defaults}")
file(READ ${hive} after)
if(NOT after STREQUAL "not a hive\n")
    message(FATAL_ERROR "the unparsable hive was changed:\n${after}")
endif()

# A FIFO, a folder or a device at the hive path reads as an empty hive, at once, and takes no
# change; it stays what it was.
file(REMOVE ${hive})
foreach(kind fifo folder device)
    if(kind STREQUAL "fifo")
        execute_process(COMMAND mkfifo ${hive})
        set(test_kind -p)
    elseif(kind STREQUAL "folder")
        file(MAKE_DIRECTORY ${hive})
        set(test_kind -d)
    else()
        file(CREATE_LINK /dev/null ${hive} SYMBOLIC)
        set(test_kind -c)
    endif()
    props("${defaults}")
    step(1 "" "not a regular file" reg add ${key} /v Filter /d 1,2,3,4 /f)
    execute_process(COMMAND test ${test_kind} ${hive} RESULT_VARIABLE replaced)
    if(NOT replaced EQUAL 0)
        message(FATAL_ERROR "the ${kind} at the hive path was replaced")
    endif()
    if(kind STREQUAL "folder")
        file(REMOVE_RECURSE ${hive})
    else()
        file(REMOVE ${hive})  # the link only, never what it points to
    endif()
endforeach()

# A hive its owner cannot write is read-only, whoever runs the command.
step(0 "${done}" "^$" reg add ${key} /v Filter /d 100,15,3,0 /f)
file(CHMOD ${hive} PERMISSIONS OWNER_READ)
step(1 "" "^ERROR: Access is denied.\n$" reg add ${key} /v Filter /d 1,2,3,4 /f)
step(1 "" "^ERROR: Access is denied.\n$" reg delete ${key} /f)
props("\nminMass=100\n")
file(CHMOD ${hive} PERMISSIONS OWNER_READ OWNER_WRITE)

# A change that would make the hive larger than its reader takes is refused whole: an import
# whose value would push the file past 64 MiB, and one of a file that is larger already. The
# stored preferences stay, and the hive takes further changes.
# Made with the shell's tools: cmake's own strings take many seconds at this size.
function(text_file path bytes)
    execute_process(COMMAND head -c ${bytes} /dev/zero COMMAND tr "\\000" x OUTPUT_FILE ${path})
endfunction()
file(WRITE ${WORK}/head.part "REGEDIT4\n[${key}]\n\"Larger\"=\"")
file(WRITE ${WORK}/tail.part "\"\n")
text_file(${WORK}/almost.part 67108784)  # 64 MiB less 80 bytes
text_file(${WORK}/six.part 6291456)
execute_process(COMMAND cat ${WORK}/head.part ${WORK}/almost.part ${WORK}/tail.part
                OUTPUT_FILE ${WORK}/almost.reg)
execute_process(COMMAND cat ${WORK}/head.part ${WORK}/almost.part ${WORK}/six.part
                        ${WORK}/tail.part OUTPUT_FILE ${WORK}/seventy.reg)
step(1 "" "^ERROR: The change would make .*HKEY_CURRENT_USER.reg larger than 64 MiB, the most a registry file may hold; nothing was changed.\n$"
     reg import ${WORK}/almost.reg)
step(1 "" "^ERROR: .*seventy.reg: larger than 64 MiB, the most a registry file may hold\n$"
     reg import ${WORK}/seventy.reg)
props("\nminMass=100\nmaxMass=15\n")
step(0 "${done}" "^$" reg add ${key} /v Small /d value /f)
step(0 "\n${full}\n    Filter    REG_SZ    100,15,3,0\n    Small    REG_SZ    value\n\n" "^$"
     reg query ${key})
file(REMOVE_RECURSE ${WORK})
