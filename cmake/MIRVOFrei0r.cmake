# mirvo_add_frei0r_module(TARGET [OUTPUT_NAME NAME] [EDITORS DIR] SOURCES FILE...)
#
# Builds an effect's sources (written against mirvo_effect.h, with MIRVO_EFFECT or the C++
# class of mirvo_effect.hpp) into a frei0r module NAME.so (default: TARGET): the SDK's
# frei0r adapter around the effect's descriptor, over the SDK's own small surface layer
# instead of SDL, exporting only the f0r_* functions. Used for the tree's effects and,
# installed with the SDK (find_package(MIRVO)), for effects outside it.
#
# With EDITORS DIR, the module's descriptions for video editors are written with it by
# mirvo-describe: DIR/kdenlive/effects/mirvo_NAME.xml (or generators/ for a source) and, for
# a filter, DIR/shotcut/qml/filters/mirvo_NAME/; installing DIR's contents into share/
# (install(DIRECTORY DIR/ DESTINATION share)) lists the effect in Kdenlive and Shotcut.
# mirvo-describe reads the descriptor from the same sources built as an effect module
# (TARGET_descriptor, not installed), so MIRVO_DESCRIBE (the program) and MIRVO_EFFECT_LIBRARY
# (the effect contract's target) must be set, as find_package(MIRVO) sets them.
#
# Expects MIRVO_FREI0R_ADAPTER (the adapter's source), MIRVO_FREI0R_EXPORTS (its version
# script), MIRVO_FREI0R_SUPPORT (the surface layer and scroller library, a target) and
# MIRVO_FREI0R_INCLUDE_DIRS (the surface layer's SDL.h first, then mirvo.h and
# mirvo_effect.h); frei0r.h is looked for on the system (Debian: frei0r-plugins-dev).
find_path(FREI0R_INCLUDE_DIR frei0r.h)

function(mirvo_add_frei0r_module target)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME;EDITORS" "SOURCES" ${ARGN})
  if(NOT ARG_SOURCES)
    message(FATAL_ERROR "mirvo_add_frei0r_module(${target}): no SOURCES")
  endif()
  if(NOT FREI0R_INCLUDE_DIR)
    message(FATAL_ERROR "mirvo_add_frei0r_module(${target}): frei0r.h not found (frei0r-plugins-dev)")
  endif()
  if(NOT ARG_OUTPUT_NAME)
    set(ARG_OUTPUT_NAME ${target})
  endif()
  add_library(${target} MODULE ${MIRVO_FREI0R_ADAPTER} ${ARG_SOURCES})
  # The surface layer's SDL.h, never the system's.
  target_include_directories(${target} BEFORE PRIVATE ${MIRVO_FREI0R_INCLUDE_DIRS} ${FREI0R_INCLUDE_DIR})
  # The effect's descriptor is mirvo_effect_describe, which the adapter wraps.
  target_compile_definitions(${target} PRIVATE MIRVO_EFFECT_MODULE)
  target_compile_features(${target} PRIVATE cxx_std_17)
  target_link_libraries(${target} PRIVATE ${MIRVO_FREI0R_SUPPORT} m ${CMAKE_DL_LIBS})
  # Only f0r_* leave the module: nothing in it can bind to, or be bound by, the host's
  # libraries. Every symbol resolves inside the module or the C and C++ libraries (under
  # the sanitizers their runtime comes from the program).
  target_link_options(${target} PRIVATE -Wl,--version-script=${MIRVO_FREI0R_EXPORTS}
                      $<$<NOT:$<BOOL:${MIRVO_SANITIZE}>>:-Wl,--no-undefined>)
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME ${ARG_OUTPUT_NAME} CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${MIRVO_FREI0R_EXPORTS})
  if(ARG_EDITORS)
    if(NOT MIRVO_DESCRIBE OR NOT MIRVO_EFFECT_LIBRARY)
      message(FATAL_ERROR "mirvo_add_frei0r_module(${target}): EDITORS needs mirvo-describe (MIRVO_DESCRIBE)")
    endif()
    add_library(${target}_descriptor MODULE ${ARG_SOURCES})
    target_link_libraries(${target}_descriptor PRIVATE ${MIRVO_EFFECT_LIBRARY} m)
    target_compile_definitions(${target}_descriptor PRIVATE MIRVO_EFFECT_MODULE)
    target_compile_features(${target}_descriptor PRIVATE cxx_std_17)
    set_target_properties(${target}_descriptor PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden
                          LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${target}_descriptor)
    add_dependencies(${target} ${target}_descriptor)
    if(TARGET mirvo-describe)  # in Mirvo's own tree
      add_dependencies(${target} mirvo-describe)
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${MIRVO_DESCRIBE_ENV} ${MIRVO_DESCRIBE} --frei0r $<TARGET_FILE:${target}> --kdenlive ${ARG_EDITORS}/kdenlive
              --shotcut ${ARG_EDITORS}/shotcut/qml/filters $<TARGET_FILE:${target}_descriptor>
      VERBATIM)
  endif()
endfunction()
