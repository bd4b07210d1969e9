# `lumbrook export --json` into the folder DIR: one JSON line per export on stdout, whose
# spectra, peak lines and bytes are those of the file it names.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${DIR})
execute_process(COMMAND ${HOST} export --connect "Provider=SQLite;Data Source=${DB}" --json
                        --quiet --job-run 12 --job-run 40 --job-run 99 --out-dir ${DIR}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 1)
    message(FATAL_ERROR "exit status ${status}, expected 1\n${out}${err}")
endif()
string(REGEX REPLACE "\n$" "" out "${out}")
string(REPLACE "\n" ";" lines "${out}")
list(LENGTH lines count)
if(NOT count EQUAL 3)
    message(FATAL_ERROR "expected three JSON lines:\n${out}")
endif()
foreach(line IN LISTS lines)
    foreach(key job_run file result spectra peak_lines bytes)
        string(JSON ${key} GET "${line}" ${key})
    endforeach()
    string(JSON message GET "${line}" message)
    if(job_run EQUAL 99)
        if(NOT result STREQUAL "false" OR NOT message STREQUAL
           "job run 99 has no spectra in this database" OR EXISTS ${file})
            message(FATAL_ERROR "job run 99: ${line}")
        endif()
        continue()
    endif()
    file(SIZE ${file} size)
    file(STRINGS ${file} blocks REGEX "^BEGIN IONS")
    file(STRINGS ${file} peaks REGEX "\t")
    list(LENGTH blocks block_count)
    list(LENGTH peaks peak_count)
    if(NOT result STREQUAL "true" OR NOT bytes EQUAL size OR NOT spectra EQUAL block_count
       OR NOT peak_lines EQUAL peak_count)
        message(FATAL_ERROR "${line}\ndoes not match ${file}: ${size} bytes, "
                            "${block_count} blocks, ${peak_count} peak lines")
    endif()
endforeach()
