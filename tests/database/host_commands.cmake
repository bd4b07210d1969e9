# `lumbrook demo-db` and `lumbrook probe` as a user runs them.
#   cmake -DHOST=path/to/lumbrook -DWORK=scratch-folder -P host_commands.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/config)
set(ENV{XDG_CONFIG_HOME} ${WORK}/config)  # no stored preferences
# No ODBC data sources at all, so the default string's TSQUARED is surely missing.
file(WRITE ${WORK}/odbc.ini "")
file(WRITE ${WORK}/odbcinst.ini "")
set(ENV{ODBCINI} ${WORK}/odbc.ini)
set(ENV{ODBCSYSINI} ${WORK})

# Checks the status and the output (stdout and stderr together) of `lumbrook ARGS`.
function(check args expected_status expected_output status out err)
    if(NOT status EQUAL expected_status)
        message(FATAL_ERROR "lumbrook ${args}: status ${status}, expected ${expected_status}\n"
                            "stdout: ${out}\nstderr: ${err}")
    endif()
    if(NOT "${out}${err}" MATCHES "${expected_output}")
        message(FATAL_ERROR "lumbrook ${args}: output does not match '${expected_output}':\n"
                            "${out}${err}")
    endif()
endfunction()

function(run expected_status expected_output)
    execute_process(COMMAND ${HOST} ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out
                    ERROR_VARIABLE err)
    check("${ARGN}" ${expected_status} "${expected_output}" "${status}" "${out}" "${err}")
endfunction()

# `lumbrook probe --connect STRING`: the string holds ";", so it is passed quoted.
function(probe expected_status expected_output connection)
    execute_process(COMMAND ${HOST} probe --connect "${connection}" RESULT_VARIABLE status
                    OUTPUT_VARIABLE out ERROR_VARIABLE err)
    check("probe --connect ${connection}" ${expected_status} "${expected_output}" "${status}"
          "${out}" "${err}")
endfunction()

run(0 "Wrote .*: 5 folders, 4 spot sets, 5 job runs, .* job run 12 has [0-9]+ MS/MS spectra\n"
    demo-db ${WORK}/demo.sqlite --base-views --seed 7)
probe(0 "^Probe: succeeded\nViews: BASE_JOB_RUN_ITEM_VIEW, BASE_PEAK_VIEW\n$"
      "Provider=SQLite;Data Source=${WORK}/demo.sqlite")
run(0 "job run 12 has 40 MS/MS spectra" demo-db ${WORK}/plain.sqlite --spectra 40)
probe(0 "^Probe: succeeded\nViews: JOB_RUN_ITEM_VIEW, PEAK_VIEW\n$"
      "Provider=SQLite;Data Source=${WORK}/plain.sqlite")
probe(1 "Probe: failed\nViews: JOB_RUN_ITEM_VIEW, PEAK_VIEW\nError: unable to open database file: "
      "Provider=SQLite;Data Source=${WORK}/missing.sqlite")
if(EXISTS ${WORK}/missing.sqlite)
    message(FATAL_ERROR "the probe created ${WORK}/missing.sqlite")
endif()
probe(1 "Error: Provider cannot be found: \"Foo\"" "Provider=Foo")
# Without --connect the object's own string: the default, whose data source is not here.
run(1 "Probe: failed\n.*Error: .+" probe)
# Option errors name the option once.
run(2 "demo-db: --spectra: Value 0 not in range 1 to" demo-db ${WORK}/x.sqlite --spectra 0)
run(2 "demo-db: --seed: 'x' is not a whole number in decimal" demo-db ${WORK}/x.sqlite --seed x)
# Only a regular file is replaced: a folder, a FIFO, a device or a link to one is refused and
# stays what it was.
file(MAKE_DIRECTORY ${WORK}/folder.sqlite)
execute_process(COMMAND mkfifo ${WORK}/fifo.sqlite)
file(CREATE_LINK ${WORK}/fifo.sqlite ${WORK}/link.sqlite SYMBOLIC)
set(refused folder fifo link)
execute_process(COMMAND mknod ${WORK}/device.sqlite c 1 3 RESULT_VARIABLE mknod_status
                ERROR_QUIET)
if(mknod_status EQUAL 0)  # only root may make a device node
    list(APPEND refused device)
endif()
foreach(name ${refused})
    run(1 "demo-db: .*${name}.sqlite is not a regular file" demo-db ${WORK}/${name}.sqlite
        --spectra 1)
endforeach()
execute_process(COMMAND test -d ${WORK}/folder.sqlite -a -p ${WORK}/fifo.sqlite -a -h
                        ${WORK}/link.sqlite RESULT_VARIABLE replaced)
if(mknod_status EQUAL 0)
    execute_process(COMMAND test -c ${WORK}/device.sqlite RESULT_VARIABLE device_replaced)
    math(EXPR replaced "${replaced} + ${device_replaced}")
endif()
if(NOT replaced EQUAL 0 OR EXISTS ${WORK}/fifo.sqlite.partial)
    message(FATAL_ERROR "demo-db replaced what is not a regular file")
endif()
# The listings on the demo database, through the connection string in a file of the user's
# own; a file others may read is refused, since it may hold a password.
file(WRITE ${WORK}/connection "Provider=SQLite;Data Source=${WORK}/plain.sqlite\n")
file(CHMOD ${WORK}/connection PERMISSIONS OWNER_READ OWNER_WRITE)
run(0 "^SPOT_SET_ID  PATH\n12           Calibration/Calibration mix\n10           Proteomics/Digest standards\n"
    list spot-sets --connect-file ${WORK}/connection)
run(0 "^1: Job run 10; [-0-9: ]+; MS Reflector Positive\n2: Job run 12; [-0-9: ]+; MS-MS 1 kV Positive\n"
    list job-runs --spot-set "Proteomics/Digest standards" --connect-file ${WORK}/connection)
run(0 "^SPOT_LABEL\tSPOT_NAME\t.*\nA1\tDigest A1\tSample\t[0-9.]+\tMS-MS 1 kV Positive\t.*\t1009\n"
    list items --job-run 12 --format tsv --connect-file ${WORK}/connection)
file(CHMOD ${WORK}/connection PERMISSIONS OWNER_READ OWNER_WRITE WORLD_READ)
run(1 "connection is readable by others" list spot-sets --connect-file ${WORK}/connection)
run(2 "--connect excludes --connect-file" list spot-sets --connect-file ${WORK}/connection -c x)
# props shows a stored password as *** unless asked.
execute_process(COMMAND ${HOST} reg add "HKCU\\Software\\Velmora\\Lumbrook\\Preferences"
                        /v ODBCConnect /f /d "Provider=SQLite;Data Source=x;PWD={a;b};User=u"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "storing ODBCConnect failed: ${status}")
endif()
run(0 "\nODBCString=Provider=SQLite;Data Source=x;PWD=\\*\\*\\*;User=u\n" props)
run(0 "\nODBCString=Provider=SQLite;Data Source=x;PWD={a;b};User=u\n" props --show-secrets)
run(2 "PATH is required" demo-db)
run(2 "probe: The following argument was not expected: extra" probe extra)
file(REMOVE_RECURSE ${WORK})
