# What the test suite needs from the system, checked before any test folder is read: a missing
# piece stops the configuration with one line naming the Debian package (tools/packages/test.txt
# lists the same packages; tools/deps.sh test installs them).
set(_mirvo_missing "")
macro(_mirvo_need found package)
  if(NOT ${found})
    list(APPEND _mirvo_missing ${package})
  endif()
endmacro()

find_package(GTest QUIET)
_mirvo_need(GTest_FOUND libgtest-dev)
find_path(MIRVO_GMOCK_INCLUDE_DIR gmock/gmock.h)
_mirvo_need(MIRVO_GMOCK_INCLUDE_DIR libgmock-dev)

if(MIRVO_BUILD_EFFECTS OR MIRVO_BUILD_KORA)
  # The KORA image readers are cross-checked against SDL_image, also without the effects.
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND)
    pkg_check_modules(MIRVO_TEST_SDL QUIET sdl)
    pkg_check_modules(MIRVO_TEST_SDL_IMAGE QUIET SDL_image)
  endif()
  _mirvo_need(PkgConfig_FOUND pkgconf)
  _mirvo_need(MIRVO_TEST_SDL_FOUND libsdl1.2-dev)
  _mirvo_need(MIRVO_TEST_SDL_IMAGE_FOUND libsdl-image1.2-dev)
endif()
if(MIRVO_BUILD_FREI0R)
  find_program(MIRVO_FFMPEG ffmpeg)
  find_program(MIRVO_MELT melt)
  _mirvo_need(MIRVO_FFMPEG ffmpeg)
  _mirvo_need(MIRVO_MELT melt)
endif()
if(MIRVO_BUILD_KORA)
  find_path(MIRVO_GLM_INCLUDE_DIR glm/glm.hpp)
  _mirvo_need(MIRVO_GLM_INCLUDE_DIR libglm-dev)
  find_package(OpenGL QUIET COMPONENTS OpenGL EGL)
  _mirvo_need(OpenGL_EGL_FOUND libegl-dev)
  find_program(XVFB_RUN xvfb-run)
  _mirvo_need(XVFB_RUN xvfb)
  find_program(MIRVO_XAUTH xauth)
  _mirvo_need(MIRVO_XAUTH xauth)
  find_program(KORA_IMAGEMAGICK_CONVERT NAMES convert-im6.q16 convert)
  _mirvo_need(KORA_IMAGEMAGICK_CONVERT imagemagick)
endif()

# The layout check (tests/style) runs Debian's clang-format.
find_program(MIRVO_CLANG_FORMAT clang-format)
_mirvo_need(MIRVO_CLANG_FORMAT clang-format)

if(_mirvo_missing)
  list(REMOVE_DUPLICATES _mirvo_missing)
  list(JOIN _mirvo_missing " " _mirvo_missing)
  # NOTICE prints the line as it is; FATAL_ERROR's text is re-wrapped, so it stays short.
  message(NOTICE "The tests need the Debian package(s) ${_mirvo_missing}: install them "
                 "(tools/deps.sh test) or configure with -DBUILD_TESTING=OFF.")
  message(FATAL_ERROR "missing for the tests: ${_mirvo_missing}")
endif()
