# Runs HOST with ARGS; fails unless it exits with STATUS and says something on stderr only
# (matching STDERR_MATCH when that is given).
execute_process(COMMAND ${HOST} ${ARGS} OUTPUT_VARIABLE out ERROR_VARIABLE err
                RESULT_VARIABLE status)
if(NOT status EQUAL STATUS)
    message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\n${out}${err}")
endif()
if(err STREQUAL "" OR NOT out STREQUAL "")
    message(FATAL_ERROR "expected a message on stderr only; stdout: '${out}' stderr: '${err}'")
endif()
if(DEFINED STDERR_MATCH AND NOT err MATCHES "${STDERR_MATCH}")
    message(FATAL_ERROR "stderr does not say '${STDERR_MATCH}': ${err}")
endif()
