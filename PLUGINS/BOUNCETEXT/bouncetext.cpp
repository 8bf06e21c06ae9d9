/*
 * bouncetext - the letters of a text travel one by one from the right edge of an area
 * to the left, each bouncing on its own: a slow rise and fall through a half sine arc,
 * then a quick dip through the lower half arc. Letters enter at a fixed rhythm and
 * come from a small pool whose records are reused once a letter has left on the left.
 * The whole target is cleared to black every frame.
 *
 * Parameters: bouncetext_params.h beside this file lists them, in the order init reads
 * them, with their types, ranges and defaults.
 */
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "mirvo.h"
#include "mirvo_effect.h"

MIRVO_EFFECT_ENTRY_POINTS(bouncetext);

constexpr int BOUNCE_ENTRIES = 540;       /* 360 slow entries (rise and fall), 180 quick ones (dip) */
constexpr int SLOW_ENTRIES = 360;
constexpr double DEGREE_STEP = 0.0174532; /* one degree, as the tables have always been built */
constexpr int LETTER_STEP = 3;            /* pixels a letter moves left per frame */
constexpr int BOUNCE_STEP = 8;            /* bounce table entries a letter moves on per frame */
constexpr int ENTRY_DUE = 20;             /* a letter may enter once the displacement passes this */
constexpr int DISPLACEMENT_STEP = 2;
constexpr int MAX_LETTERS = 255;          /* the pool size is a byte */

struct LETTER {
    short xpos;        /* left edge on the target; negative while leaving */
    Uint16 sin_index;  /* position in the bounce table */
    Uint16 font_pos;   /* x of the glyph in the font image */
};

static SDL_Surface *_jump_surface = nullptr; /* null: not usable */
static short _jump_aSin[BOUNCE_ENTRIES];
static LETTER *_jump_letters = nullptr;
static Uint8 _jump_nletters = 0;
static Uint16 _jump_displacement = 0;
static Uint16 _jump_width = 0;
static Uint16 _jump_height = 0;
static SDL_Rect _jump_frect, _jump_srect;
static char _jump_scroll_id = char(255);
static mirvo_restart_fn _jump_restart = nullptr;

/* Parameters as read by either init form. */
static const char *jump_text, *jump_font, *jump_characters;
static Uint8 jump_character_width, jump_character_height;

/* Gives up the scroller of a failed init and says so, with the reason when there is one. */
static void jump_fail(const char *why)
{
    if (Uint8(_jump_scroll_id) != 255)
        MIRVO_free_scroller(Uint8(_jump_scroll_id));
    _jump_scroll_id = char(255);
    if (why)
        printf("Error, initiating jumping scroller: %s\n", why);
    else
        puts("Error, initiating jumping scroller");
}

/* The one body behind both init forms: the parameters are already read. */
static void jump_start(SDL_Surface *s, mirvo_restart_fn restart)
{
    /* A host may initialise again without freeing first: release what the last
     * init made, so no scroller id or surface is lost. */
    bouncetext_LTX_free_effect();
    _jump_surface = nullptr;
    _jump_letters = nullptr;
    _jump_nletters = 0;
    _jump_scroll_id = char(255);
    _jump_restart = restart;

    if (jump_character_width == 0) {
        jump_fail("the character width is 0");
        return;
    }
    if (!s) {
        jump_fail("no target surface");
        return;
    }
    _jump_scroll_id = char(MIRVO_add_scroller(jump_text, jump_font, jump_characters,
                                              jump_character_width, jump_character_height));
    /* char is signed here: compare the id as the unsigned byte it is. */
    if (Uint8(_jump_scroll_id) == 255) {
        jump_fail(nullptr);
        return;
    }

    /* Bounce table: angles 0 to 179 each twice (slow), then 180 to 359 once (quick). */
    const int centery = _jump_height / 2;
    for (int j = 0; j < BOUNCE_ENTRIES; j++) {
        const int angle = j < SLOW_ENTRIES ? j / 2 : j - 180;
        const float a = float(angle * DEGREE_STEP);
        _jump_aSin[j] = short(centery - int(std::trunc(centery * std::sin(double(a)))));
    }

    int pool = _jump_width / jump_character_width;
    if (pool > MAX_LETTERS)
        pool = MAX_LETTERS;
    if (pool > 0) {
        _jump_letters = static_cast<LETTER *>(malloc(size_t(pool) * sizeof(LETTER)));
        if (!_jump_letters) {
            jump_fail("out of memory");
            return;
        }
        for (int j = 0; j < pool; j++) {
            _jump_letters[j].xpos = short(-jump_character_width); /* free */
            _jump_letters[j].sin_index = 0;
            _jump_letters[j].font_pos = 0;
        }
    }
    _jump_nletters = Uint8(pool);

    _jump_displacement = 0;
    _jump_frect.x = 0;
    _jump_frect.y = 0;
    _jump_frect.w = 0;
    _jump_frect.h = MIRVO_get_character_height(Uint8(_jump_scroll_id));
    _jump_srect.x = 0;
    _jump_srect.y = 0;
    _jump_srect.w = MIRVO_get_character_width(Uint8(_jump_scroll_id));
    _jump_srect.h = _jump_frect.h;
    _jump_surface = s;
}

MIRVO_EFFECT_API void bouncetext_LTX_init_effect(SDL_Surface *s, mirvo_restart_fn restart,
                                                 MIRVO_NODE *argument_list)
{
    jump_text = *static_cast<char *const *>(MIRVO_LIST_get_data_next(&argument_list));
    jump_font = *static_cast<char *const *>(MIRVO_LIST_get_data_next(&argument_list));
    jump_characters = *static_cast<char *const *>(MIRVO_LIST_get_data_next(&argument_list));
    jump_character_width = *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
    jump_character_height = *static_cast<const Uint8 *>(MIRVO_LIST_get_data_next(&argument_list));
    _jump_width = *static_cast<const Uint16 *>(MIRVO_LIST_get_data_next(&argument_list));
    _jump_height = *static_cast<const Uint16 *>(MIRVO_LIST_get_data_next(&argument_list));
    jump_start(s, restart);
}

MIRVO_EFFECT_API void bouncetext_LTX_init_effect_valist(SDL_Surface *s, mirvo_restart_fn restart,
                                                        va_list parameters)
{
    jump_text = va_arg(parameters, const char *);
    jump_font = va_arg(parameters, const char *);
    jump_characters = va_arg(parameters, const char *);
    jump_character_width = Uint8(va_arg(parameters, int));
    jump_character_height = Uint8(va_arg(parameters, int));
    _jump_width = Uint16(va_arg(parameters, int));
    _jump_height = Uint16(va_arg(parameters, int));
    jump_start(s, restart);
}

MIRVO_EFFECT_API void bouncetext_LTX_draw_effect(void)
{
    SDL_Surface *const s = _jump_surface;
    if (!s)
        return; /* init failed or the effect was freed */
    const Uint8 id = Uint8(_jump_scroll_id);
    const int cw = MIRVO_get_character_width(id);

    /* Entry: the first free letter takes the next character, one letter per check. */
    if (_jump_displacement > ENTRY_DUE) {
        for (int i = 0; i < _jump_nletters; i++) {
            LETTER *const l = &_jump_letters[i];
            if (l->xpos < -cw) {
                const SDL_Rect *const r = MIRVO_get_font_char(id);
                l->xpos = short(_jump_width);
                l->sin_index = 0;
                l->font_pos = r ? Uint16(r->x) : 0;
                break;
            }
        }
        _jump_displacement = 0;
    }

    if (MIRVO_scroller_ready(id) && _jump_restart) {
        _jump_restart();
        return;
    }

    _jump_displacement = Uint16(_jump_displacement + DISPLACEMENT_STEP);

    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));

    /* Move and draw every letter on the area. */
    for (int i = 0; i < _jump_nletters; i++) {
        LETTER *const l = &_jump_letters[i];
        /* A free letter drifts on but must not wrap round to the right-hand side. */
        if (l->xpos >= SHRT_MIN + LETTER_STEP)
            l->xpos = short(l->xpos - LETTER_STEP);
        if (l->xpos <= -cw)
            continue;
        l->sin_index = Uint16((l->sin_index + BOUNCE_STEP) % BOUNCE_ENTRIES);
        if (l->xpos >= 0) {
            _jump_frect.x = Sint16(l->font_pos - 1);
            _jump_frect.w = Uint16(cw);
            _jump_srect.x = l->xpos;
        } else { /* leaving on the left: cut off the glyph's left -xpos columns */
            _jump_frect.x = Sint16(l->font_pos - 1 - l->xpos);
            _jump_frect.w = Uint16(cw + l->xpos);
            _jump_srect.x = 0;
        }
        _jump_srect.y = _jump_aSin[l->sin_index];
        MIRVO_draw_font_char(id, &_jump_frect, s, &_jump_srect);
    }
}

MIRVO_EFFECT_API void bouncetext_LTX_free_effect(void)
{
    if (!_jump_surface)
        return;
    free(_jump_letters);
    MIRVO_free_scroller(Uint8(_jump_scroll_id));
    _jump_letters = nullptr;
    _jump_nletters = 0;
    _jump_surface = nullptr;
    _jump_scroll_id = char(255);
}

MIRVO_EFFECT_API Uint8 bouncetext_LTX_is_filter(void)
{
    return 0;
}
