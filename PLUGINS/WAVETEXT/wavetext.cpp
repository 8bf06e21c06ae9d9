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
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "mirvo.h"
#include "mirvo_effect.h"
#include "wavetext_params.h"

constexpr int SINE_ENTRIES = 360;
constexpr double DEGREE_STEP = 0.0174532; /* one degree, as the tables have always been built */
constexpr int SCROLL_STEP = 2;            /* pixels the strip moves per frame */
constexpr int GLYPH_DUE = 30;             /* a glyph is drawn once the displacement passes this */
constexpr int PHASE_STEP = 6;             /* wave positions the phase moves per frame */
constexpr int MAX_SURFACE_WIDTH = 16383;  /* SDL 1.2's widest surface (its pitch is 16 bits) */

/* Parameter indices, in the catalogue's order. */
enum {
    SINE_TEXT,
    SINE_FONT,
    SINE_CHARACTERS,
    SINE_CHARACTER_WIDTH,
    SINE_CHARACTER_HEIGHT,
    SINE_AMPLITUDE,
    SINE_SLICE_WIDTH
};

/* One instance: all of the effect's state. */
struct wavetext_effect {
    SDL_Surface *_sine_surface; /* null: not usable */
    SDL_Surface *_sine_scroll_surface;
    short _sine_aSin[SINE_ENTRIES];
    Uint16 _sine_sine_index;
    Uint16 _sine_displacement;
    Uint8 _sine_pixels;
    char _sine_scroll_id;
    mirvo_instance_restart_fn _sine_restart;
    void *_sine_host; /* handed to _sine_restart */
    SDL_Rect _sine_srect, _sine_frect, _sine_srect2, _sine_drect;
    SDL_Surface *_sine_target; /* the surface it was started on, kept when a start fails */
    /* The parameters as given; the texts are the instance's own copies. */
    char *_sine_text, *_sine_font, *_sine_characters;
    Uint8 _sine_character_width, _sine_character_height;
    Uint16 _sine_amplitude;
    Uint8 _sine_slice_width;
    /* For the frame of any step: entry g+1 is the strip's last two columns after glyph g,
     * repeated over STICKY_TILE columns (entry 0: black, before the first glyph). Made as
     * they are first needed, dropped with the scroller. */
    std::vector<SDL_Surface *> *_sine_sticky;
};

constexpr int STICKY_TILE = GLYPH_DUE + SCROLL_STEP; /* the columns a glyph's pair is drawn over */

static void sine_set_rect(SDL_Rect *r, int x, int y, int w, int h)
{
    r->x = Sint16(x);
    r->y = Sint16(y);
    r->w = Uint16(w);
    r->h = Uint16(h);
}

static void sine_drop_sticky(wavetext_effect *fx)
{
    if (!fx->_sine_sticky)
        return;
    for (SDL_Surface *tile : *fx->_sine_sticky)
        SDL_FreeSurface(tile);
    delete fx->_sine_sticky;
    fx->_sine_sticky = nullptr;
}

/* Releases what a start made; the instance is then not usable until started again. */
static void sine_release(wavetext_effect *fx)
{
    sine_drop_sticky(fx);
    if (fx->_sine_scroll_surface)
        SDL_FreeSurface(fx->_sine_scroll_surface);
    if (Uint8(fx->_sine_scroll_id) != 255)
        MIRVO_free_scroller(Uint8(fx->_sine_scroll_id));
    fx->_sine_scroll_surface = nullptr;
    fx->_sine_surface = nullptr;
    fx->_sine_scroll_id = char(255);
}

/* Entry i: the top edge of a slice at wave position i, swinging about the middle row. */
static void sine_build_table(wavetext_effect *fx, int target_height)
{
    const int centery = target_height / 2;
    for (int i = 0; i < SINE_ENTRIES; i++) {
        const float a = float(i * DEGREE_STEP);
        fx->_sine_aSin[i] =
            short(centery + int(std::trunc(fx->_sine_amplitude * std::sin(double(a)))));
    }
}

/* The slices' width: 0 would never move the slice loop on. */
static void sine_set_slices(wavetext_effect *fx)
{
    fx->_sine_pixels = fx->_sine_slice_width ? fx->_sine_slice_width : 1;
    fx->_sine_srect2.w = fx->_sine_pixels;
    fx->_sine_drect.w = fx->_sine_pixels;
}

/*
 * Starts the instance on s with its parameters: a new scroller, strip and table. Returns
 * null, or why it cannot start (the instance is then not usable).
 */
static const char *sine_start(wavetext_effect *fx, SDL_Surface *s, char *why, size_t why_size)
{
    /* A host may initialise again without freeing first: release what the last start
     * made, so no scroller id or surface is lost. */
    sine_release(fx);
    fx->_sine_sine_index = 0;
    fx->_sine_displacement = 0;
    fx->_sine_target = s;

    if (!s)
        return "no target surface";
    const int strip_width = s->w + fx->_sine_character_width;
    if (strip_width > MAX_SURFACE_WIDTH) {
        snprintf(why, why_size,
                 "the text strip would be %d pixels wide (the frame's %d and a character's %d), "
                 "more than SDL's limit of 16,383",
                 strip_width, s->w, fx->_sine_character_width);
        return why;
    }
    fx->_sine_scroll_id =
        char(MIRVO_add_scroller(fx->_sine_text, fx->_sine_font, fx->_sine_characters,
                                fx->_sine_character_width, fx->_sine_character_height));
    /* char is signed here: compare the id as the unsigned byte it is. */
    if (Uint8(fx->_sine_scroll_id) == 255)
        return "the scroller could not be made (its font unreadable, or 255 scrollers in use)";

    sine_set_rect(&fx->_sine_srect, SCROLL_STEP, 0, strip_width, fx->_sine_character_height);
    sine_set_rect(&fx->_sine_frect, s->w, 0, fx->_sine_character_width, fx->_sine_character_height);
    sine_set_rect(&fx->_sine_srect2, 0, 0, 0, fx->_sine_character_height);
    sine_set_rect(&fx->_sine_drect, 0, 0, 0, fx->_sine_character_height);
    sine_set_slices(fx);
    sine_build_table(fx, s->h);

    SDL_Surface *const temporary = SDL_CreateRGBSurface(
        s->flags, strip_width, fx->_sine_character_height, s->format->BitsPerPixel,
        s->format->Rmask, s->format->Gmask, s->format->Bmask, s->format->Amask);
    if (temporary) {
        fx->_sine_scroll_surface = SDL_ConvertSurface(temporary, s->format, s->flags);
        SDL_FreeSurface(temporary);
    }
    if (!fx->_sine_scroll_surface) {
        sine_release(fx);
        return "out of memory for the text strip";
    }
    /* The strip starts black. A new surface's pixels are 0, but what colour 0 is in a new
     * palette differs between SDLs (classic SDL 1.2: black; sdl12-compat: white). */
    if (fx->_sine_scroll_surface->format->palette)
        SDL_FillRect(fx->_sine_scroll_surface, nullptr,
                     SDL_MapRGB(fx->_sine_scroll_surface->format, 0, 0, 0));
    fx->_sine_surface = s;
    return nullptr;
}

/* Clears the target and places the strip on it, one slice per step at the wave's height
 * for its x; the wave's phase moves on. */
static void sine_place(wavetext_effect *fx, SDL_Surface *s, SDL_Surface *strip)
{
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));
    const int step = fx->_sine_pixels;
    for (int x = 0; x < s->w; x += step) {
        fx->_sine_srect2.x = Sint16(x);
        fx->_sine_drect.x = Sint16(x);
        fx->_sine_drect.y = fx->_sine_aSin[(x + fx->_sine_sine_index) % SINE_ENTRIES];
        SDL_BlitSurface(strip, &fx->_sine_srect2, s, &fx->_sine_drect);
    }
    fx->_sine_sine_index = Uint16((fx->_sine_sine_index + PHASE_STEP) % SINE_ENTRIES);
}

static void sine_draw(wavetext_effect *fx)
{
    SDL_Surface *const s = fx->_sine_surface;
    if (!s)
        return; /* init failed or the effect was freed */
    const Uint8 id = Uint8(fx->_sine_scroll_id);
    SDL_Surface *const strip = fx->_sine_scroll_surface;

    /* Scroll: the strip moves SCROLL_STEP pixels left over itself. */
    SDL_Rect origin;
    sine_set_rect(&origin, 0, 0, 0, 0);
    SDL_BlitSurface(strip, &fx->_sine_srect, strip, &origin);

    fx->_sine_displacement = Uint16(fx->_sine_displacement + SCROLL_STEP);
    if (fx->_sine_displacement > GLYPH_DUE) {
        SDL_Rect *const glyph = MIRVO_get_font_char(id);
        if (glyph)
            MIRVO_draw_font_char(id, glyph, strip, &fx->_sine_frect);
        fx->_sine_displacement = 0;
    }

    if (MIRVO_scroller_ready(id) && fx->_sine_restart) {
        fx->_sine_restart(fx->_sine_host);
        return;
    }
    sine_place(fx, s, strip);
}

/*
 * The frame of any step, worked out without the steps before it.
 *
 * Every step the strip moves SCROLL_STEP columns left over itself, which leaves its last
 * two columns as they were, and every GLYPH_PERIOD steps a glyph is drawn (its black
 * transparent) over its last character_width columns. So a column of the strip at step n
 * holds the pair of last columns as they were j steps before (j: its distance from them
 * in steps), with the glyphs drawn over it since then on top. That pair changes only when
 * a glyph is drawn: after glyph g it is the one after glyph g - 1 with g's last columns
 * drawn over it (_sine_sticky keeps it, as a tile). The strip at step n is therefore its
 * pairs, tile by tile, and the glyphs of the last strip width of steps drawn over them in
 * order where they have moved to: a frame's work, whatever n is.
 */
constexpr int GLYPH_PERIOD = GLYPH_DUE / SCROLL_STEP + 1; /* steps from one glyph to the next */

/* A surface of the strip's format, black. */
static SDL_Surface *sine_new_like(SDL_Surface *strip, int w)
{
    SDL_Surface *const temporary = SDL_CreateRGBSurface(
        strip->flags, w, strip->h, strip->format->BitsPerPixel, strip->format->Rmask,
        strip->format->Gmask, strip->format->Bmask, strip->format->Amask);
    SDL_Surface *const out =
        temporary ? SDL_ConvertSurface(temporary, strip->format, strip->flags) : nullptr;
    if (temporary)
        SDL_FreeSurface(temporary);
    if (out)
        SDL_FillRect(out, nullptr, SDL_MapRGB(out->format, 0, 0, 0));
    return out;
}

/* Glyph g of the text as the scroller hands it out. */
static SDL_Rect sine_glyph(const wavetext_effect *fx, long g)
{
    const char *const found = strchr(fx->_sine_characters, fx->_sine_text[g]);
    const int k = found ? int(found - fx->_sine_characters) : 0;
    SDL_Rect r;
    sine_set_rect(&r, Sint16(k * fx->_sine_character_width), 0, fx->_sine_character_width,
                  fx->_sine_character_height);
    return r;
}

/* The tile of the strip's last two columns after glyph g (-1: before the first), or null
 * when out of memory. */
static SDL_Surface *sine_sticky(wavetext_effect *fx, long g)
{
    if (!fx->_sine_sticky)
        fx->_sine_sticky = new (std::nothrow) std::vector<SDL_Surface *>();
    if (!fx->_sine_sticky)
        return nullptr;
    std::vector<SDL_Surface *> &tiles = *fx->_sine_sticky;
    SDL_Surface *const strip = fx->_sine_scroll_surface;
    const int W = fx->_sine_surface->w, SW = strip->w, cw = fx->_sine_character_width;
    while (long(tiles.size()) <= g + 1) {
        SDL_Surface *const tile = sine_new_like(strip, STICKY_TILE);
        if (!tile)
            return nullptr;
        const long after = long(tiles.size()) - 1; /* the glyph this tile follows */
        if (after >= 0) {
            SDL_Rect at;
            sine_set_rect(&at, 0, 0, 0, 0);
            SDL_BlitSurface(tiles.back(), nullptr, tile, &at);
            const SDL_Rect glyph = sine_glyph(fx, after);
            for (int q = 0; q < 2; q++) {
                const int i = SW - 2 + q - W; /* the glyph's column over this one */
                if (i < 0 || i >= cw)
                    continue;
                SDL_Rect column = glyph, to;
                column.x = Sint16(glyph.x + i);
                column.w = 1;
                sine_set_rect(&to, q, 0, 0, 0);
                MIRVO_draw_font_char(Uint8(fx->_sine_scroll_id), &column, tile, &to);
            }
            for (int w = 2; w < STICKY_TILE; w *= 2) {
                SDL_Rect from, to;
                sine_set_rect(&from, 0, 0, w, strip->h);
                sine_set_rect(&to, w, 0, 0, 0);
                SDL_BlitSurface(tile, &from, tile, &to);
            }
        }
        try {
            tiles.push_back(tile);
        } catch (...) {
            SDL_FreeSurface(tile);
            return nullptr;
        }
    }
    return tiles[size_t(g + 1)];
}

/* The last glyph drawn by step t, -1 before the first. */
static long sine_glyph_by(long t)
{
    return t < GLYPH_PERIOD - 1 ? -1 : (t + 1) / GLYPH_PERIOD - 1;
}

/* The strip as it is after step n; false when out of memory. */
static bool sine_strip_at(wavetext_effect *fx, long n)
{
    SDL_Surface *const strip = fx->_sine_scroll_surface;
    const int W = fx->_sine_surface->w, SW = strip->w, cw = fx->_sine_character_width;
    const Uint8 id = Uint8(fx->_sine_scroll_id);
    /* The pairs, from the right: pair j (columns SW-2-2j and SW-1-2j) as after step n-j. */
    for (long j = 0; SW - 2 * j > 0;) {
        const long g = sine_glyph_by(n - j);
        long last = j + STICKY_TILE / 2 - 1;
        if (g >= 0 && n - (GLYPH_PERIOD * g + GLYPH_PERIOD - 1) < last)
            last = n - (GLYPH_PERIOD * g + GLYPH_PERIOD - 1);
        SDL_Surface *const tile = sine_sticky(fx, g);
        if (!tile)
            return false;
        SDL_Rect from, to;
        sine_set_rect(&from, 0, 0, int(2 * (last - j + 1)), strip->h);
        sine_set_rect(&to, int(SW - 2 * (last + 1)), 0, 0, 0);
        SDL_BlitSurface(tile, &from, strip, &to);
        j = last + 1;
    }
    /* The glyphs still on the strip, oldest first, where they have moved to. */
    const long newest = sine_glyph_by(n);
    for (long g = newest - (SW / (2 * GLYPH_PERIOD) + 2); g <= newest; g++) {
        if (g < 0)
            continue;
        const long x = W - 2 * (n - (GLYPH_PERIOD * g + GLYPH_PERIOD - 1));
        if (x <= -cw)
            continue;
        SDL_Rect glyph = sine_glyph(fx, g), to;
        sine_set_rect(&to, int(x), 0, 0, 0);
        MIRVO_draw_font_char(id, &glyph, strip, &to);
    }
    return true;
}

/* The scroller finishes when it is asked for the glyph after the text's last. */
static long sine_length(const wavetext_effect *fx)
{
    return GLYPH_PERIOD * (long(strlen(fx->_sine_text)) + 1) - 1;
}

static long wavetext_draw_step(mirvo_instance *instance, long step)
{
    wavetext_effect *const fx = reinterpret_cast<wavetext_effect *>(instance);
    SDL_Surface *const s = fx->_sine_surface;
    if (!s || step < 0)
        return 0;
    const long length = sine_length(fx);
    if (step >= length)
        return length;
    if (!sine_strip_at(fx, step))
        return 0;
    fx->_sine_sine_index = Uint16(step * PHASE_STEP % SINE_ENTRIES);
    fx->_sine_displacement = Uint16((step + 1) % GLYPH_PERIOD * SCROLL_STEP);
    sine_place(fx, s, fx->_sine_scroll_surface);
    return 0;
}

static wavetext_effect *wavetext_of(mirvo_instance *fx)
{
    return reinterpret_cast<wavetext_effect *>(fx);
}

/* Replaces text *slot with a copy of text; false when out of memory (nothing changed). */
static bool sine_keep_text(char **slot, const char *text)
{
    char *const copy = strdup(text);
    if (!copy)
        return false;
    free(*slot);
    *slot = copy;
    return true;
}

static void wavetext_free(mirvo_instance *instance)
{
    wavetext_effect *const fx = wavetext_of(instance);
    if (!fx)
        return;
    sine_release(fx);
    free(fx->_sine_text);
    free(fx->_sine_font);
    free(fx->_sine_characters);
    free(fx);
}

static mirvo_instance *wavetext_make(SDL_Surface *s, mirvo_instance_restart_fn restart,
                                     void *host_data, const mirvo_value *values, char *why,
                                     size_t why_size)
{
    wavetext_effect *const fx = static_cast<wavetext_effect *>(calloc(1, sizeof(wavetext_effect)));
    if (!fx) {
        snprintf(why, why_size, "out of memory");
        return nullptr;
    }
    fx->_sine_scroll_id = char(255);
    fx->_sine_restart = restart;
    fx->_sine_host = host_data;
    const bool kept = sine_keep_text(&fx->_sine_text, values[SINE_TEXT].text) &&
                      sine_keep_text(&fx->_sine_font, values[SINE_FONT].text) &&
                      sine_keep_text(&fx->_sine_characters, values[SINE_CHARACTERS].text);
    fx->_sine_character_width = Uint8(values[SINE_CHARACTER_WIDTH].number);
    fx->_sine_character_height = Uint8(values[SINE_CHARACTER_HEIGHT].number);
    fx->_sine_amplitude = Uint16(values[SINE_AMPLITUDE].number);
    fx->_sine_slice_width = Uint8(values[SINE_SLICE_WIDTH].number);
    const char *const failed = kept ? sine_start(fx, s, why, why_size) : "out of memory";
    if (failed) {
        if (failed != why)
            snprintf(why, why_size, "%s", failed);
        wavetext_free(reinterpret_cast<mirvo_instance *>(fx));
        return nullptr;
    }
    return reinterpret_cast<mirvo_instance *>(fx);
}

static void wavetext_draw(mirvo_instance *fx)
{
    sine_draw(wavetext_of(fx));
}

/* The amplitude rebuilds the wave's table and the slice width cuts the next frame's
 * slices; the text, font and glyph size start the scroller (and its strip) again. */
static int wavetext_set(mirvo_instance *instance, int index, mirvo_value value, char *why,
                        size_t why_size)
{
    wavetext_effect *const fx = wavetext_of(instance);
    bool kept = true;
    switch (index) {
    case SINE_AMPLITUDE:
        fx->_sine_amplitude = Uint16(value.number);
        if (fx->_sine_surface)
            sine_build_table(fx, fx->_sine_surface->h);
        return 1;
    case SINE_SLICE_WIDTH:
        fx->_sine_slice_width = Uint8(value.number);
        sine_set_slices(fx);
        return 1;
    case SINE_TEXT:
    case SINE_FONT:
    case SINE_CHARACTERS: {
        /* The scroller holds the old text until it is made again: swap after the start. */
        char **const slot = index == SINE_TEXT   ? &fx->_sine_text
                            : index == SINE_FONT ? &fx->_sine_font
                                                 : &fx->_sine_characters;
        char *const old = *slot;
        *slot = strdup(value.text);
        kept = *slot != nullptr;
        if (!kept) {
            *slot = old;
            snprintf(why, why_size, "out of memory");
            return 0;
        }
        const char *const failed = sine_start(fx, fx->_sine_target, why, why_size);
        free(old);
        if (failed && failed != why)
            snprintf(why, why_size, "%s", failed);
        return failed ? 0 : 1;
    }
    case SINE_CHARACTER_WIDTH:
        fx->_sine_character_width = Uint8(value.number);
        break;
    case SINE_CHARACTER_HEIGHT:
        fx->_sine_character_height = Uint8(value.number);
        break;
    default:
        snprintf(why, why_size, "no parameter %d", index);
        return 0;
    }
    const char *const failed = sine_start(fx, fx->_sine_target, why, why_size);
    if (failed && failed != why)
        snprintf(why, why_size, "%s", failed);
    return failed ? 0 : 1;
}

/* The five entry points' instance could not start: the effect's message. */
static void wavetext_init_failed(const char *)
{
    puts("Error, initiating sine scroller");
}

MIRVO_EFFECT_STEPPED(wavetext, "1.0",
                     "A line of bitmap-font text scrolling right to left on a moving sine wave", 0,
                     wavetext_params, wavetext_make, wavetext_draw, wavetext_set, wavetext_free,
                     wavetext_init_failed, 0, wavetext_draw_step);
