# Man pages of the programs, made by help2man from their --help and --version
# (MIRVO_BUILD_MANPAGES; the Debian packages turn it on).
option(MIRVO_BUILD_MANPAGES "Make man pages of the programs with help2man" OFF)
add_feature_info(ManPages MIRVO_BUILD_MANPAGES "man pages from --help (help2man)")
if(NOT MIRVO_BUILD_MANPAGES)
  return()
endif()
find_program(HELP2MAN help2man REQUIRED)

set(manpages "")
function(mirvo_man_page target description)
  if(NOT TARGET ${target})
    return()
  endif()
  set(page ${CMAKE_BINARY_DIR}/man/${target}.1)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${HELP2MAN} --no-info --section=1 --name=${description} --output=${page}
            $<TARGET_FILE:${target}>
    DEPENDS ${target} VERBATIM)
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Programs)
  set(manpages ${manpages} ${page} PARENT_SCOPE)
endfunction()

mirvo_man_page(rasterwave "text scroller twisted round a raster bar")
mirvo_man_page(mirvo-play "play Mirvo effect modules one after another")
mirvo_man_page(mirvo-describe "write Kdenlive and Shotcut descriptions of a Mirvo effect")
mirvo_man_page(kora-demo "the KORA OpenGL class library at work")
add_custom_target(manpages ALL DEPENDS ${manpages})
