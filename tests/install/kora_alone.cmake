# KORA configured on its own (cmake -S KORA): it must configure, and its kora.pc must carry
# the version of the whole tree's project().
#   cmake -DSOURCE=<KORA folder> -DBUILD=<folder> -DVERSION=<version> -P kora_alone.cmake
file(REMOVE_RECURSE ${BUILD})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BUILD} RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake -S KORA failed:\n${out}")
endif()
file(READ ${BUILD}/kora.pc pc)
string(FIND "${pc}" "\nVersion: ${VERSION}\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "KORA built alone is not at version ${VERSION}:\n${pc}")
endif()
file(REMOVE_RECURSE ${BUILD})
