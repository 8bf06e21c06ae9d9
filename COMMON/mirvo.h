/*
 * mirvo.h - the support library libMIRVO (libMIRVO.so.0) that rasterwave and the
 * effect plug-ins are written against: video set-up, frame pacing, surface copy,
 * mirroring and column scaling, bitmap-font scrollers and parameter lists.
 *
 * Every behaviour below is relied on pixel for pixel by the effects and their tests.
 */
#ifndef MIRVO_H
#define MIRVO_H

#include <SDL.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The bundled font: 94 glyphs of 16 x 32 pixels side by side, read relative to the
 * working directory, and its characters in glyph order (space to tilde, less '"'). */
#define MIRVO_FONT1 "../GFX/font.pcx"
#define MIRVO_FONT1_CHARACTERS                                                                     \
    " !#$%&'()*+,-./"                                                                              \
    "0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"

/* Finds a data file named relative to the working directory, such as MIRVO_FONT1: the
 * path itself when it can be read; otherwise the same file, less its leading "../",
 * under $MIRVO_DATA_DIR, then under the installed data folder (share/mirvo) beside the
 * lib/ folder libMIRVO was loaded from, then beside the bin/ folder of the running
 * program (a place already tried is not tried again). Returns the path found, or NULL;
 * *looked (when not NULL) then lists every place tried, separated by ", ". Both stay
 * valid until the thread's next call. The scrollers look their font up this way. */
const char *MIRVO_find_data(const char *path, const char **looked);

/* Directions of the rectangle fill effect. */
static const Uint8 MIRVO_INNER_OUTER_FILL = 1; /* grow from the centre */
static const Uint8 MIRVO_OUTER_INNER_FILL = 0; /* shrink to the centre */

/* One node of a parameter list: data points at a variable of the parameter's type
 * (Uint8, Uint16, or a char pointer for a string). */
typedef struct mirvo_node {
    const void *data;
    struct mirvo_node *next_node;
    struct mirvo_node *previous_node;
} mirvo_node;
typedef mirvo_node MIRVO_NODE;

/* The display surface, set by MIRVO_set_video. */
extern SDL_Surface *screen;

/* ---- errors -----------------------------------------------------------------------
 * A call that fails says so through its result (0, NULL or 255) and records why:
 * MIRVO_failure_reason() returns that text, such as "cannot write /tmp/f.png: No
 * space left on device", for the last call that failed on the calling thread ("" when
 * none has). A call that succeeds leaves it as it was; the text stays valid until the
 * thread's next failing call. Recorded by MIRVO_set_video, MIRVO_find_data and
 * MIRVO_write_png. libMIRVO never ends the program it runs in. */
const char *MIRVO_failure_reason(void);

/* ---- video ---------------------------------------------------------------------- */

/* Initialises SDL's video subsystem, sets the mode and points `screen` at it.
 * Returns 0 on failure, after printing SDL's error on stderr. */
int MIRVO_set_video(int width, int height, int bpp, Uint32 flags);

/* ---- pacing ----------------------------------------------------------------------
 * MIRVO_set_fps(n) sets a frame period of 1000 / n ms (n = 0 turns pacing off).
 * MIRVO_new_time() marks a frame's start. MIRVO_fps_ok() sleeps until the frame is
 * due and returns 1; when the loop has fallen more than one period behind it returns
 * 0 without sleeping (that frame is not shown) and the schedule catches up.
 * MIRVO_print_fps() prints one line on stdout: frames run, frames shown, seconds,
 * average rate. It is safe to call after SDL_Quit.
 * The library reads no environment variable for any of this: the programs' switches
 * MIRVO_FRAMES, MIRVO_CAPTURE and MIRVO_NOWAIT belong to the programs. */
void MIRVO_init_timer(void);
void MIRVO_set_fps(int fps);
void MIRVO_new_time(void);
int MIRVO_fps_ok(void);
void MIRVO_print_fps(void);

/* ---- surfaces --------------------------------------------------------------------- */

/* A new surface of the same size and pixel format (palette included) holding the
 * same pixels; the caller frees it. NULL on failure or for a NULL argument. */
SDL_Surface *MIRVO_copy_surface(SDL_Surface *s);

/* Mirrors every row left to right in place; 8, 16, 24 and 32 bits per pixel. */
void MIRVO_flipx_image(SDL_Surface *s);

/* Scales column `col` of src vertically by amount / 100 into the same column of dst.
 * With H = src->h, h = (H * amount) / 100 and top = (dst->h - h) / 2 (integers):
 * for i = 0 .. h - 1, dst(col, top + i) = src(col, (i * H) / h). Rows of that column
 * outside top .. top + h - 1 keep their pixels; amount 0 writes nothing; rows that
 * fall outside dst and a column outside either surface are skipped. Both surfaces
 * must have the same bytes per pixel (otherwise nothing is written). */
void MIRVO_scale_copy_vscanline(SDL_Surface *src, SDL_Surface *dst, Uint16 col, Uint8 amount);

/* Writes the surface (any depth; 8-bit surfaces through their palette) to `path` as an
 * RGB PNG. Returns 1, or 0 when it cannot be written (see MIRVO_failure_reason). */
int MIRVO_write_png(SDL_Surface *s, const char *path);

/* ---- parameter lists -------------------------------------------------------------- */

/* Returns the cursor node's data and moves the cursor to the node's next_node. */
const void *MIRVO_LIST_get_data_next(MIRVO_NODE **cursor);

/* ---- bitmap-font scrollers ---------------------------------------------------------
 * Up to 255 live scrollers, ids 0 .. 254. A font image holds its glyphs side by side:
 * glyph k (position k in `characters`) is the rectangle (k * cw, 0, cw, ch). The
 * scroller keeps the text pointer it was given (no copy); the text must outlive it. */

/* Loads the font with IMG_Load and makes black its colour key. Returns the id, or
 * 255 on any failure (NULL text or table, font not loadable, no free id). */
Uint8 MIRVO_add_scroller(const char *text, const char *font, const char *characters,
                         Uint8 character_width, Uint8 character_height);

/* The glyph rectangle of the next text character, and advances. A character missing
 * from the table gives glyph 0; once the text is used up it returns glyph 0 and the
 * scroller is ready. NULL for an id that is not live. */
SDL_Rect *MIRVO_get_font_char(Uint8 id);

/* Blits glyph rectangle `glyph` of the font onto dst at dstrect, with SDL's clipping
 * and the black colour key. */
void MIRVO_draw_font_char(Uint8 id, SDL_Rect *glyph, SDL_Surface *dst, SDL_Rect *dstrect);

/* Nonzero once MIRVO_get_font_char has been called with the text used up, i.e.
 * from the call after the one that returned the text's last character (and for an
 * id that is not live). */
int MIRVO_scroller_ready(Uint8 id);

Uint8 MIRVO_get_character_width(Uint8 id);
Uint8 MIRVO_get_character_height(Uint8 id);

/* Releases the font surface and the id. */
void MIRVO_free_scroller(Uint8 id);

#ifdef __cplusplus
}
#endif

#endif /* MIRVO_H */
