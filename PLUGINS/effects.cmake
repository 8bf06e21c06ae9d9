# The effects of the tree, one per line: PLUGINS/NAME/ in capitals holds NAME.cpp and
# NAME_params.h. The modules, the player's built-in catalogue, the frei0r modules, the
# browser build and the packages all follow this list.
set(MIRVO_EFFECTS
  boxflood
  wavetext
  bouncetext
)

# Writes OUT (a header) with the effects' catalogue headers and MIRVO_EFFECT_LIST(X),
# which calls X(name, NAME) once per effect in the list's order.
function(mirvo_effect_list_header out)
  set(includes "")
  set(list "")
  foreach(fx ${MIRVO_EFFECTS})
    string(TOUPPER ${fx} upper)
    string(APPEND includes "#include \"${upper}/${fx}_params.h\"\n")
    string(APPEND list " X(${fx}, ${upper})")
  endforeach()
  file(CONFIGURE OUTPUT ${out} CONTENT
"/* The effects of the tree (PLUGINS/effects.cmake), generated. */
#ifndef MIRVO_EFFECT_LIST_H
#define MIRVO_EFFECT_LIST_H
${includes}
#define MIRVO_EFFECT_LIST(X)${list}

#endif
" @ONLY)
endfunction()
