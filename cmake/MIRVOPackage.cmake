# The MIRVO SDK: find_package(MIRVO) (MIRVO::MIRVO, the support library, and MIRVO::effect,
# the effect contract mirvo_effect.h) and mirvo.pc, generated as KORA's are.
include(CMakePackageConfigHelpers)
set(MIRVO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/MIRVO)

add_library(MIRVO_effect INTERFACE)
set_target_properties(MIRVO_effect PROPERTIES EXPORT_NAME effect)
target_include_directories(MIRVO_effect INTERFACE
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/PLUGINS> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/mirvo>)
target_link_libraries(MIRVO_effect INTERFACE MIRVO)
add_library(MIRVO::effect ALIAS MIRVO_effect)
install(TARGETS MIRVO_effect EXPORT MIRVOTargets COMPONENT MIRVO)

install(EXPORT MIRVOTargets NAMESPACE MIRVO:: DESTINATION ${MIRVO_CMAKE_DIR} COMPONENT MIRVO)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/MIRVOConfig.cmake.in
  ${CMAKE_BINARY_DIR}/MIRVOConfig.cmake INSTALL_DESTINATION ${MIRVO_CMAKE_DIR}
  PATH_VARS MIRVO_INSTALL_MODULE_DIR MIRVO_INSTALL_DATA_DIR CMAKE_INSTALL_INCLUDEDIR
            CMAKE_INSTALL_LIBDIR CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/MIRVOConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/MIRVOConfig.cmake ${CMAKE_BINARY_DIR}/MIRVOConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/MIRVOFrei0r.cmake DESTINATION ${MIRVO_CMAKE_DIR} COMPONENT MIRVO)
include(${PROJECT_SOURCE_DIR}/cmake/PkgConfigPrefix.cmake)
mirvo_pc_prefix(MIRVO_PC_PREFIX)
configure_file(${PROJECT_SOURCE_DIR}/cmake/mirvo.pc.in ${CMAKE_BINARY_DIR}/mirvo.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/mirvo.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT MIRVO)
