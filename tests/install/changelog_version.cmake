# debian/changelog's upstream version must be the one of the top-level project().
#   cmake -DCHANGELOG=<debian/changelog> -DVERSION=<version> -P changelog_version.cmake
execute_process(COMMAND dpkg-parsechangelog -l ${CHANGELOG} -S Version RESULT_VARIABLE status
                OUTPUT_VARIABLE changelog ERROR_VARIABLE error OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-parsechangelog failed: ${error}")
endif()
string(FIND "${changelog}" "-" dash)
if(NOT dash EQUAL -1)
  string(SUBSTRING "${changelog}" 0 ${dash} changelog)
endif()
if(NOT changelog STREQUAL VERSION)
  message(FATAL_ERROR "debian/changelog is at ${changelog}, project() at ${VERSION}")
endif()
