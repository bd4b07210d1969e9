# Runs HOST typelib and fails unless its output equals the file EXPECTED byte for byte.
execute_process(COMMAND ${HOST} typelib OUTPUT_VARIABLE output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lumbrook typelib exited with ${status}")
endif()
file(READ ${EXPECTED} expected)
if(NOT output STREQUAL expected)
    message(FATAL_ERROR "lumbrook typelib differs from ${EXPECTED}; regenerate with: "
                        "build/bin/lumbrook typelib > include/lumbrook/lumbrook.idl")
endif()
