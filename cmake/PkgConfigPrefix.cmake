# The prefix= line of the installed .pc files. A prefix install (make install, cmake --install)
# gets a relocatable one, found from the .pc file's own place, so the tree can be moved; a
# package sets MIRVO_RELOCATABLE_PC=OFF and gets the real prefix, which lets pkg-config see
# and drop the system's own include and library folders.
#   mirvo_pc_prefix(<variable>)   sets <variable> to what follows "prefix="
option(MIRVO_RELOCATABLE_PC "Installed .pc files find the prefix from their own place" ON)
function(mirvo_pc_prefix variable)
  if(MIRVO_RELOCATABLE_PC)
    file(RELATIVE_PATH to_prefix /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
    string(REGEX REPLACE "/$" "" to_prefix "${to_prefix}")
    set(${variable} "\${pcfiledir}/${to_prefix}" PARENT_SCOPE)
  else()
    set(${variable} "${CMAKE_INSTALL_PREFIX}" PARENT_SCOPE)
  endif()
endfunction()
