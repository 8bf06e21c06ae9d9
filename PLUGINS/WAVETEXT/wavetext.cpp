/*
 * wavetext - a line of bitmap-font text scrolls from right to left across the target
 * and rides a moving sine wave: the text strip is cut into vertical slices, each drawn
 * at the height the sine table gives for its x position plus a phase that moves on
 * every frame. The whole target is cleared to black every frame.
 *
 * Parameters: wavetext_params.h beside this file lists them, in the order init reads
 * them, with their types, ranges and defaults.
 */
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "mirvo.h"
#include "mirvo_effect.h"

MIRVO_EFFECT_ENTRY_POINTS(wavetext);

constexpr int SINE_ENTRIES = 360;
constexpr double DEGREE_STEP = 0.0174532; /* one degree, as the tables have always been built */
constexpr int SCROLL_STEP = 2;            /* pixels the strip moves per frame */
constexpr int GLYPH_DUE = 30;             /* a glyph is drawn once the displacement passes this */
constexpr int PHASE_STEP = 6;             /* wave positions the phase moves per frame */

static SDL_Surface *_sine_surface = nullptr; /* null: not usable */
static SDL_Surface *_sine_scroll_surface = nullptr;
static short _sine_aSin[SINE_ENTRIES];
static Uint16 _sine_sine_index = 0;
static Uint16 _sine_displacement = 0;
static Uint8 _sine_pixels = 1;
static char _sine_scroll_id = char(255);
static mirvo_restart_fn _sine_restart = nullptr;
static SDL_Rect _sine_srect, _sine_frect, _sine_srect2, _sine_drect;

/* Parameters as read by either init form. */
static const char *sine_text, *sine_font, *sine_characters;
static Uint8 sine_character_width, sine_character_height, sine_slice_width;
static Uint16 sine_amplitude;

static void sine_set_rect(SDL_Rect *r, int x, int y, int w, int h)
{
    r->x = Sint16(x);
    r->y = Sint16(y);
    r->w = Uint16(w);
    r->h = Uint16(h);
}

/* Gives up the scroller of a failed init and says so. */
static void sine_fail(void)
{
    if (Uint8(_sine_scroll_id) != 255)
        MIRVO_free_scroller(Uint8(_sine_scroll_id));
    _sine_scroll_id = char(255);
    puts("Error, initiating sine scroller");
}

/* The one body behind both init forms: the parameters are already read. */
static void sine_start(SDL_Surface *s, mirvo_restart_fn restart)
{
    /* A host may initialise again without freeing first: release what the last
     * init made, so no scroller id or surface is lost. */
    wavetext_LTX_free_effect();
    _sine_surface = nullptr;
    _sine_scroll_surface = nullptr;
    _sine_sine_index = 0;
    _sine_restart = restart;
    /* A slice width of 0 would never move the slice loop on. */
    _sine_pixels = sine_slice_width ? sine_slice_width : 1;

    _sine_scroll_id = char(MIRVO_add_scroller(sine_text, sine_font, sine_characters,
                                              sine_character_width, sine_character_height));
    /* char is signed here: compare the id as the unsigned byte it is. */
    if (Uint8(_sine_scroll_id) == 255 || !s) {
        sine_fail();
        return;
    }

    const int strip_width = s->w + sine_character_width;
    sine_set_rect(&_sine_srect, SCROLL_STEP, 0, strip_width, sine_character_height);
    sine_set_rect(&_sine_frect, s->w, 0, sine_character_width, sine_character_height);
    sine_set_rect(&_sine_srect2, 0, 0, _sine_pixels, sine_character_height);
    sine_set_rect(&_sine_drect, 0, 0, _sine_pixels, sine_character_height);

    const int centery = s->h / 2;
    for (int i = 0; i < SINE_ENTRIES; i++) {
        const float a = float(i * DEGREE_STEP);
        _sine_aSin[i] = short(centery + int(std::trunc(sine_amplitude * std::sin(double(a)))));
    }

    SDL_Surface *const temporary = SDL_CreateRGBSurface(
        s->flags, strip_width, sine_character_height, s->format->BitsPerPixel, s->format->Rmask,
        s->format->Gmask, s->format->Bmask, s->format->Amask);
    if (temporary) {
        _sine_scroll_surface = SDL_ConvertSurface(temporary, s->format, s->flags);
        SDL_FreeSurface(temporary);
    }
    if (!_sine_scroll_surface) {
        sine_fail();
        return;
    }
    _sine_surface = s;
    _sine_displacement = 0;
}

MIRVO_EFFECT_API void wavetext_LTX_init_effect(SDL_Surface *s, mirvo_restart_fn restart,
                                               MIRVO_NODE *argument_list)
{
    sine_text = *static_cast<char *const *>(MIRVO_LIST_get_data_next(&argument_list));
    sine_font = *static_cast<char *const *>(MIRVO_LIST_get_data_next(&argument_list));
    sine_characters = *static_cast<char *const *>(MIRVO_LIST_get_data_next(&argument_list));
    sine_character_width = *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
    sine_character_height = *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
    sine_amplitude = *static_cast<const Uint16 *>(MIRVO_LIST_get_data_next(&argument_list));
    sine_slice_width = *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
    sine_start(s, restart);
}

MIRVO_EFFECT_API void wavetext_LTX_init_effect_valist(SDL_Surface *s, mirvo_restart_fn restart,
                                                      va_list parameters)
{
    sine_text = va_arg(parameters, const char *);
    sine_font = va_arg(parameters, const char *);
    sine_characters = va_arg(parameters, const char *);
    sine_character_width = Uint8(va_arg(parameters, int));
    sine_character_height = Uint8(va_arg(parameters, int));
    sine_amplitude = Uint16(va_arg(parameters, int));
    sine_slice_width = Uint8(va_arg(parameters, int));
    sine_start(s, restart);
}

MIRVO_EFFECT_API void wavetext_LTX_draw_effect(void)
{
    SDL_Surface *const s = _sine_surface;
    if (!s)
        return; /* init failed or the effect was freed */
    const Uint8 id = Uint8(_sine_scroll_id);

    /* Scroll: the strip moves SCROLL_STEP pixels left over itself. */
    SDL_Rect origin;
    sine_set_rect(&origin, 0, 0, 0, 0);
    SDL_BlitSurface(_sine_scroll_surface, &_sine_srect, _sine_scroll_surface, &origin);

    _sine_displacement = Uint16(_sine_displacement + SCROLL_STEP);
    if (_sine_displacement > GLYPH_DUE) {
        SDL_Rect *const glyph = MIRVO_get_font_char(id);
        if (glyph)
            MIRVO_draw_font_char(id, glyph, _sine_scroll_surface, &_sine_frect);
        _sine_displacement = 0;
    }

    if (MIRVO_scroller_ready(id) && _sine_restart) {
        _sine_restart();
        return;
    }

    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));

    /* Place: one slice of the strip per step, at the wave's height for its x. */
    for (int x = 0; x < s->w; x += _sine_pixels) {
        _sine_srect2.x = Sint16(x);
        _sine_drect.x = Sint16(x);
        _sine_drect.y = _sine_aSin[(x + _sine_sine_index) % SINE_ENTRIES];
        SDL_BlitSurface(_sine_scroll_surface, &_sine_srect2, s, &_sine_drect);
    }

    _sine_sine_index = Uint16((_sine_sine_index + PHASE_STEP) % SINE_ENTRIES);
}

MIRVO_EFFECT_API void wavetext_LTX_free_effect(void)
{
    if (!_sine_surface)
        return;
    SDL_FreeSurface(_sine_scroll_surface);
    MIRVO_free_scroller(Uint8(_sine_scroll_id));
    _sine_scroll_surface = nullptr;
    _sine_surface = nullptr;
    _sine_scroll_id = char(255);
}

MIRVO_EFFECT_API Uint8 wavetext_LTX_is_filter(void)
{
    return 0;
}
