# The host is built against the public headers alone: every header it includes with quotes is
# one of its own (in host/) or one under include/lumbrook/, never one of the program's
# internals under src/.
file(GLOB sources ${HOST_DIR}/*.cpp ${HOST_DIR}/*.h)
set(offending "")
foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${includes})
        string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*" "\\1" header "${line}")
        if(NOT header MATCHES "^lumbrook/" AND NOT EXISTS ${HOST_DIR}/${header})
            string(APPEND offending "${source}: ${header}\n")
        endif()
    endforeach()
endforeach()
if(offending)
    message(FATAL_ERROR "the host includes headers that are not public:\n${offending}")
endif()
