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
#include <cstring>
#include <new>
#include <vector>

#include "bouncetext_params.h"
#include "mirvo.h"
#include "mirvo_effect.h"

constexpr int BOUNCE_ENTRIES = 540; /* 360 slow entries (rise and fall), 180 quick ones (dip) */
constexpr int SLOW_ENTRIES = 360;
constexpr double DEGREE_STEP = 0.0174532; /* one degree, as the tables have always been built */
constexpr int LETTER_STEP = 3;            /* pixels a letter moves left per frame */
constexpr int BOUNCE_STEP = 8;            /* bounce table entries a letter moves on per frame */
constexpr int ENTRY_DUE = 20;             /* a letter may enter once the displacement passes this */
constexpr int DISPLACEMENT_STEP = 2;
constexpr int MAX_LETTERS = 255; /* the pool size is a byte */

/* Parameter indices, in the catalogue's order. */
enum {
    JUMP_TEXT,
    JUMP_FONT,
    JUMP_CHARACTERS,
    JUMP_CHARACTER_WIDTH,
    JUMP_CHARACTER_HEIGHT,
    JUMP_WIDTH,
    JUMP_HEIGHT
};

struct LETTER {
    short xpos;       /* left edge on the target; negative while leaving */
    Uint16 sin_index; /* position in the bounce table */
    Uint16 font_pos;  /* x of the glyph in the font image */
};

/* Where the letters are before a step: all the state a step moves on. */
struct jump_state {
    std::vector<LETTER> letters;
    Uint16 displacement = 0;
    long next_char = 0; /* of the text: the next letter takes it */
};

/* One instance: all of the effect's state. */
struct bouncetext_effect {
    SDL_Surface *_jump_surface; /* null: not usable */
    short _jump_aSin[BOUNCE_ENTRIES];
    LETTER *_jump_letters;
    Uint8 _jump_nletters;
    Uint16 _jump_displacement;
    Uint16 _jump_width;
    Uint16 _jump_height;
    SDL_Rect _jump_frect, _jump_srect;
    char _jump_scroll_id;
    mirvo_instance_restart_fn _jump_restart;
    void *_jump_host;          /* handed to _jump_restart */
    SDL_Surface *_jump_target; /* the surface it was started on, kept when a start fails */
    /* The parameters as given; the texts are the instance's own copies. */
    char *_jump_text, *_jump_font, *_jump_characters;
    Uint8 _jump_character_width, _jump_character_height;
    /* For the frame of any step: the state before steps 0, JUMP_KEEP_EVERY, 2 x ..., as
     * far as they have been worked out; and the effect's length in steps (0: not known,
     * -1: it never ends). Dropped whenever a parameter changes. */
    std::vector<jump_state> *_jump_kept;
    long _jump_length;
};

constexpr long JUMP_KEEP_EVERY = 64;

static void jump_forget_steps(bouncetext_effect *fx)
{
    delete fx->_jump_kept;
    fx->_jump_kept = nullptr;
    fx->_jump_length = 0;
}

/* Releases what a start made; the instance is then not usable until started again. */
static void jump_release(bouncetext_effect *fx)
{
    jump_forget_steps(fx);
    free(fx->_jump_letters);
    if (Uint8(fx->_jump_scroll_id) != 255)
        MIRVO_free_scroller(Uint8(fx->_jump_scroll_id));
    fx->_jump_letters = nullptr;
    fx->_jump_nletters = 0;
    fx->_jump_surface = nullptr;
    fx->_jump_scroll_id = char(255);
}

/* Bounce table: angles 0 to 179 each twice (slow), then 180 to 359 once (quick). */
static void jump_build_table(bouncetext_effect *fx)
{
    const int centery = fx->_jump_height / 2;
    for (int j = 0; j < BOUNCE_ENTRIES; j++) {
        const int angle = j < SLOW_ENTRIES ? j / 2 : j - 180;
        const float a = float(angle * DEGREE_STEP);
        fx->_jump_aSin[j] = short(centery - int(std::trunc(centery * std::sin(double(a)))));
    }
}

/* Sizes the letter pool for the area's width: letters already on the move keep their
 * places, new records are free. False when out of memory (the pool is then unchanged). */
static bool jump_size_pool(bouncetext_effect *fx)
{
    int pool = fx->_jump_width / fx->_jump_character_width;
    if (pool > MAX_LETTERS)
        pool = MAX_LETTERS;
    if (pool == fx->_jump_nletters)
        return true;
    LETTER *letters = nullptr;
    if (pool > 0) {
        letters = static_cast<LETTER *>(malloc(size_t(pool) * sizeof(LETTER)));
        if (!letters)
            return false;
        for (int j = 0; j < pool; j++) {
            if (j < fx->_jump_nletters) {
                letters[j] = fx->_jump_letters[j];
            } else {
                letters[j].xpos = short(-fx->_jump_character_width); /* free */
                letters[j].sin_index = 0;
                letters[j].font_pos = 0;
            }
        }
    }
    free(fx->_jump_letters);
    fx->_jump_letters = letters;
    fx->_jump_nletters = Uint8(pool);
    return true;
}

/*
 * Starts the instance on s with its parameters: a new scroller, table and pool. Returns
 * null, or why it cannot start (the instance is then not usable).
 */
static const char *jump_start(bouncetext_effect *fx, SDL_Surface *s)
{
    /* A host may initialise again without freeing first: release what the last start
     * made, so no scroller id or pool is lost. */
    jump_release(fx);
    fx->_jump_target = s;

    if (fx->_jump_character_width == 0)
        return "the character width is 0";
    if (!s)
        return "no target surface";
    fx->_jump_scroll_id =
        char(MIRVO_add_scroller(fx->_jump_text, fx->_jump_font, fx->_jump_characters,
                                fx->_jump_character_width, fx->_jump_character_height));
    /* char is signed here: compare the id as the unsigned byte it is. */
    if (Uint8(fx->_jump_scroll_id) == 255)
        return "";

    jump_build_table(fx);
    if (!jump_size_pool(fx)) {
        jump_release(fx);
        return "out of memory";
    }

    const Uint8 id = Uint8(fx->_jump_scroll_id);
    fx->_jump_displacement = 0;
    fx->_jump_frect.x = 0;
    fx->_jump_frect.y = 0;
    fx->_jump_frect.w = 0;
    fx->_jump_frect.h = MIRVO_get_character_height(id);
    fx->_jump_srect.x = 0;
    fx->_jump_srect.y = 0;
    fx->_jump_srect.w = MIRVO_get_character_width(id);
    fx->_jump_srect.h = fx->_jump_frect.h;
    fx->_jump_surface = s;
    return nullptr;
}

/* Every letter moves on: left, and along its bounce while it is on the area. */
static void jump_move(LETTER *letters, int nletters, int cw)
{
    for (int i = 0; i < nletters; i++) {
        LETTER *const l = &letters[i];
        /* A free letter drifts on but must not wrap round to the right-hand side. */
        if (l->xpos >= SHRT_MIN + LETTER_STEP)
            l->xpos = short(l->xpos - LETTER_STEP);
        if (l->xpos > -cw)
            l->sin_index = Uint16((l->sin_index + BOUNCE_STEP) % BOUNCE_ENTRIES);
    }
}

/* Clears the target and draws every letter on the area. */
static void jump_paint(bouncetext_effect *fx, SDL_Surface *s, const LETTER *letters, int nletters,
                       int cw)
{
    const Uint8 id = Uint8(fx->_jump_scroll_id);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));
    for (int i = 0; i < nletters; i++) {
        const LETTER *const l = &letters[i];
        if (l->xpos <= -cw)
            continue;
        if (l->xpos >= 0) {
            fx->_jump_frect.x = Sint16(l->font_pos - 1);
            fx->_jump_frect.w = Uint16(cw);
            fx->_jump_srect.x = l->xpos;
        } else { /* leaving on the left: cut off the glyph's left -xpos columns */
            fx->_jump_frect.x = Sint16(l->font_pos - 1 - l->xpos);
            fx->_jump_frect.w = Uint16(cw + l->xpos);
            fx->_jump_srect.x = 0;
        }
        fx->_jump_srect.y = fx->_jump_aSin[l->sin_index];
        MIRVO_draw_font_char(id, &fx->_jump_frect, s, &fx->_jump_srect);
    }
}

static void jump_draw(bouncetext_effect *fx)
{
    SDL_Surface *const s = fx->_jump_surface;
    if (!s)
        return; /* init failed or the effect was freed */
    const Uint8 id = Uint8(fx->_jump_scroll_id);
    const int cw = MIRVO_get_character_width(id);
    LETTER *const letters = fx->_jump_letters;
    const int nletters = fx->_jump_nletters;

    /* Entry: the first free letter takes the next character, one letter per check. */
    if (fx->_jump_displacement > ENTRY_DUE) {
        for (int i = 0; i < nletters; i++) {
            LETTER *const l = &letters[i];
            if (l->xpos < -cw) {
                const SDL_Rect *const r = MIRVO_get_font_char(id);
                l->xpos = short(fx->_jump_width);
                l->sin_index = 0;
                l->font_pos = r ? Uint16(r->x) : 0;
                break;
            }
        }
        fx->_jump_displacement = 0;
    }

    if (MIRVO_scroller_ready(id) && fx->_jump_restart) {
        fx->_jump_restart(fx->_jump_host);
        return;
    }

    fx->_jump_displacement = Uint16(fx->_jump_displacement + DISPLACEMENT_STEP);
    jump_move(letters, nletters, cw);
    jump_paint(fx, s, letters, nletters, cw);
}

/*
 * The frame of any step. The letters' places are worked out without drawing, from the
 * start or from the nearest state kept on the way (every JUMP_KEEP_EVERY steps), then
 * drawn once: seeking anywhere costs at most that many steps of moving a few numbers.
 */

/* One step of the letters without drawing: false when the effect finishes at it. */
static bool jump_advance(const bouncetext_effect *fx, jump_state &st, int cw)
{
    if (st.displacement > ENTRY_DUE) {
        for (LETTER &l : st.letters) {
            if (l.xpos < -cw) {
                if (fx->_jump_text[st.next_char] == '\0')
                    return false; /* the text is used up: the scroller is ready */
                const char *const found =
                    strchr(fx->_jump_characters, fx->_jump_text[st.next_char++]);
                const int k = found ? int(found - fx->_jump_characters) : 0;
                l.xpos = short(fx->_jump_width);
                l.sin_index = 0;
                l.font_pos = Uint16(Sint16(k * fx->_jump_character_width));
                break;
            }
        }
        st.displacement = 0;
    }
    st.displacement = Uint16(st.displacement + DISPLACEMENT_STEP);
    jump_move(st.letters.data(), int(st.letters.size()), cw);
    return true;
}

static long bouncetext_draw_step(mirvo_instance *instance, long step)
{
    bouncetext_effect *const fx = reinterpret_cast<bouncetext_effect *>(instance);
    SDL_Surface *const s = fx->_jump_surface;
    if (!s || step < 0)
        return 0;
    if (fx->_jump_length > 0 && step >= fx->_jump_length)
        return fx->_jump_length;
    const int cw = fx->_jump_character_width;
    try {
        if (!fx->_jump_kept) {
            fx->_jump_kept = new std::vector<jump_state>(1);
            fx->_jump_kept->front().letters.assign(fx->_jump_nletters, LETTER{short(-cw), 0, 0});
        }
        std::vector<jump_state> &kept = *fx->_jump_kept;
        size_t from = size_t(step / JUMP_KEEP_EVERY);
        if (from >= kept.size())
            from = kept.size() - 1;
        jump_state st = kept[from];
        for (long k = long(from) * JUMP_KEEP_EVERY;; k++) {
            if (k % JUMP_KEEP_EVERY == 0 && size_t(k / JUMP_KEEP_EVERY) == kept.size())
                kept.push_back(st);
            if (!jump_advance(fx, st, cw)) {
                fx->_jump_length = k > 0 ? k : 1;
                return fx->_jump_length;
            }
            if (k == step)
                break;
        }
        jump_paint(fx, s, st.letters.data(), int(st.letters.size()), cw);
    } catch (...) {
        /* out of memory: the frame is left as it is */
    }
    return 0;
}

static bouncetext_effect *bouncetext_of(mirvo_instance *fx)
{
    return reinterpret_cast<bouncetext_effect *>(fx);
}

/* Why a start failed when the scroller could not be made. */
static const char *const JUMP_NO_SCROLLER =
    "the scroller could not be made (its font unreadable, or 255 scrollers in use)";

static void bouncetext_free(mirvo_instance *instance)
{
    bouncetext_effect *const fx = bouncetext_of(instance);
    if (!fx)
        return;
    jump_release(fx);
    free(fx->_jump_text);
    free(fx->_jump_font);
    free(fx->_jump_characters);
    free(fx);
}

/* The reason of a failed start as one line in why. */
static void jump_why(const char *failed, char *why, size_t why_size)
{
    snprintf(why, why_size, "%s", *failed ? failed : JUMP_NO_SCROLLER);
}

static mirvo_instance *bouncetext_make(SDL_Surface *s, mirvo_instance_restart_fn restart,
                                       void *host_data, const mirvo_value *values, char *why,
                                       size_t why_size)
{
    bouncetext_effect *const fx =
        static_cast<bouncetext_effect *>(calloc(1, sizeof(bouncetext_effect)));
    if (!fx) {
        snprintf(why, why_size, "out of memory");
        return nullptr;
    }
    fx->_jump_scroll_id = char(255);
    fx->_jump_restart = restart;
    fx->_jump_host = host_data;
    fx->_jump_text = strdup(values[JUMP_TEXT].text);
    fx->_jump_font = strdup(values[JUMP_FONT].text);
    fx->_jump_characters = strdup(values[JUMP_CHARACTERS].text);
    fx->_jump_character_width = Uint8(values[JUMP_CHARACTER_WIDTH].number);
    fx->_jump_character_height = Uint8(values[JUMP_CHARACTER_HEIGHT].number);
    fx->_jump_width = Uint16(values[JUMP_WIDTH].number);
    fx->_jump_height = Uint16(values[JUMP_HEIGHT].number);
    const char *const failed = fx->_jump_text && fx->_jump_font && fx->_jump_characters
                                   ? jump_start(fx, s)
                                   : "out of memory";
    if (failed) {
        jump_why(failed, why, why_size);
        bouncetext_free(reinterpret_cast<mirvo_instance *>(fx));
        return nullptr;
    }
    return reinterpret_cast<mirvo_instance *>(fx);
}

static void bouncetext_draw(mirvo_instance *fx)
{
    jump_draw(bouncetext_of(fx));
}

/* The area's width resizes the letter pool (letters on the move go on) and the height
 * rebuilds the bounce table; the text, font and glyph size start the scroller again. */
static int bouncetext_set(mirvo_instance *instance, int index, mirvo_value value, char *why,
                          size_t why_size)
{
    bouncetext_effect *const fx = bouncetext_of(instance);
    char *old = nullptr; /* a replaced text, freed once the scroller has moved on */
    switch (index) {
    case JUMP_WIDTH:
        jump_forget_steps(fx);
        fx->_jump_width = Uint16(value.number);
        if (fx->_jump_surface && !jump_size_pool(fx)) {
            snprintf(why, why_size, "out of memory for %d letters",
                     fx->_jump_width / fx->_jump_character_width);
            return 0;
        }
        return 1;
    case JUMP_HEIGHT:
        fx->_jump_height = Uint16(value.number);
        jump_build_table(fx);
        return 1;
    case JUMP_TEXT:
    case JUMP_FONT:
    case JUMP_CHARACTERS: {
        char **const slot = index == JUMP_TEXT   ? &fx->_jump_text
                            : index == JUMP_FONT ? &fx->_jump_font
                                                 : &fx->_jump_characters;
        char *const copy = strdup(value.text);
        if (!copy) {
            snprintf(why, why_size, "out of memory");
            return 0;
        }
        old = *slot;
        *slot = copy;
        break;
    }
    case JUMP_CHARACTER_WIDTH:
        fx->_jump_character_width = Uint8(value.number);
        break;
    case JUMP_CHARACTER_HEIGHT:
        fx->_jump_character_height = Uint8(value.number);
        break;
    default:
        snprintf(why, why_size, "no parameter %d", index);
        return 0;
    }
    const char *const failed = jump_start(fx, fx->_jump_target);
    free(old);
    if (failed)
        jump_why(failed, why, why_size);
    return failed ? 0 : 1;
}

/* The five entry points' instance could not start: the effect's message, with the reason
 * when it is more than the scroller's. */
static void bouncetext_init_failed(const char *why)
{
    if (*why && strcmp(why, JUMP_NO_SCROLLER) != 0)
        printf("Error, initiating jumping scroller: %s\n", why);
    else
        puts("Error, initiating jumping scroller");
}

MIRVO_EFFECT_STEPPED(bouncetext, "1.0",
                     "The letters of a text jumping one by one from right to left on sine curves",
                     0, bouncetext_params, bouncetext_make, bouncetext_draw, bouncetext_set,
                     bouncetext_free, bouncetext_init_failed, 0, bouncetext_draw_step);
