/*
 * effect_defaults.h - the parameter defaults shared by the player and the frei0r
 * modules, so that both draw the same picture when given nothing.
 */
#ifndef MIRVO_EFFECT_DEFAULTS_H
#define MIRVO_EFFECT_DEFAULTS_H

#define BOXFLOOD_DEFAULT_DIRECTION 1
#define BOXFLOOD_DEFAULT_RATE 4
#define BOXFLOOD_DEFAULT_RED 255
#define BOXFLOOD_DEFAULT_GREEN 160
#define BOXFLOOD_DEFAULT_BLUE 0

#define WAVETEXT_DEFAULT_TEXT                                                              \
    "    MIRVO  WAVETEXT  -  A SINE SCROLLER PLUG-IN  -  LOADED BY NAME, DRAWN AT 50 FRAMES" \
    " PER SECOND  -  "
#define WAVETEXT_DEFAULT_CHARACTER_WIDTH 16
#define WAVETEXT_DEFAULT_CHARACTER_HEIGHT 32
#define WAVETEXT_DEFAULT_AMPLITUDE 100
#define WAVETEXT_DEFAULT_SLICE_WIDTH 2

#define BOUNCETEXT_DEFAULT_TEXT "MIRVO BOUNCETEXT - JUMPING LETTERS - "
#define BOUNCETEXT_DEFAULT_CHARACTER_WIDTH 16
#define BOUNCETEXT_DEFAULT_CHARACTER_HEIGHT 32
/* The area's width defaults to the surface's, the bounce height to the surface's less
 * the character height. */

#endif
