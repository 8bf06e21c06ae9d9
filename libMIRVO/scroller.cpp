// Bitmap-font scrollers: a text walked one character at a time, glyphs cut from a font
// image that holds them side by side.
#include "internal.h"

#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace {

const int SCROLLER_SLOTS = 255;  // ids 0 .. 254; 255 reports a failure

struct scroller {
    bool live;
    const char *text;        // the caller's text (not copied)
    const char *next;        // next character to hand out
    const char *characters;  // glyph order of the font
    SDL_Surface *font;
    Uint8 width, height;
    bool ready;
    SDL_Rect glyph;  // handed out by MIRVO_get_font_char
};

scroller scrollers[SCROLLER_SLOTS];
// Guards which slots are live, so that scrollers can be made and freed on several threads
// (the frei0r modules' instances). It is never held while a font is read; a slot in use is
// touched only by its owner.
std::mutex slots_lock;

scroller *live_scroller(Uint8 id)
{
    if (id >= SCROLLER_SLOTS || !scrollers[id].live)
        return NULL;
    return &scrollers[id];
}

}  // namespace

std::string mirvo_printable(const char *text, size_t max_bytes)
{
    std::string out;
    if (!text)
        return "(none)";
    for (const char *p = text; *p; ++p) {
        if (out.size() >= max_bytes) {
            out += "...";
            break;
        }
        const unsigned char c = (unsigned char)*p;
        if (c < 0x20 || c == 0x7f) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        } else {
            out += (char)c;
        }
    }
    return out;
}

MIRVO_API Uint8 MIRVO_add_scroller(const char *text, const char *font, const char *characters,
                                   Uint8 character_width, Uint8 character_height)
{
    if (!text || !font || !characters)
        return 255;
    const char *looked = NULL;
    const char *file = MIRVO_find_data(font, &looked);
    if (!file) {
        fprintf(stderr, "MIRVO: cannot find font %s (looked in %s)\n",
                mirvo_printable(font, MESSAGE_TEXT_BYTES).c_str(),
                mirvo_printable(looked, 3 * MESSAGE_TEXT_BYTES).c_str());
        return 255;
    }
    SDL_Surface *image = IMG_Load(file);
    if (!image) {
        fprintf(stderr, "MIRVO: cannot load font %s: %s\n",
                mirvo_printable(font, MESSAGE_TEXT_BYTES).c_str(),
                mirvo_printable(IMG_GetError(), MESSAGE_TEXT_BYTES).c_str());
        return 255;
    }
    SDL_SetColorKey(image, SDL_SRCCOLORKEY, SDL_MapRGB(image->format, 0, 0, 0));
    int id = 0;
    {
        std::lock_guard<std::mutex> hold(slots_lock);
        while (id < SCROLLER_SLOTS && scrollers[id].live)
            ++id;
        if (id < SCROLLER_SLOTS)
            scrollers[id].live = true;
    }
    if (id == SCROLLER_SLOTS) {
        SDL_FreeSurface(image);
        return 255;
    }
    scroller &s = scrollers[id];
    s.text = s.next = text;
    s.characters = characters;
    s.font = image;
    s.width = character_width;
    s.height = character_height;
    s.ready = false;
    s.glyph.x = s.glyph.y = 0;
    s.glyph.w = character_width;
    s.glyph.h = character_height;
    return (Uint8)id;
}

MIRVO_API SDL_Rect *MIRVO_get_font_char(Uint8 id)
{
    scroller *s = live_scroller(id);
    if (!s)
        return NULL;
    int k = 0;
    if (*s->next == '\0') {
        s->ready = true;
    } else {
        const char *found = strchr(s->characters, *s->next++);
        if (found)
            k = (int)(found - s->characters);
    }
    s->glyph.x = (Sint16)(k * s->width);
    s->glyph.y = 0;
    s->glyph.w = s->width;
    s->glyph.h = s->height;
    return &s->glyph;
}

MIRVO_API void MIRVO_draw_font_char(Uint8 id, SDL_Rect *glyph, SDL_Surface *dst, SDL_Rect *dstrect)
{
    scroller *s = live_scroller(id);
    if (s && dst)
        SDL_BlitSurface(s->font, glyph, dst, dstrect);
}

MIRVO_API int MIRVO_scroller_ready(Uint8 id)
{
    scroller *s = live_scroller(id);
    return s ? s->ready : 1;
}

MIRVO_API Uint8 MIRVO_get_character_width(Uint8 id)
{
    scroller *s = live_scroller(id);
    return s ? s->width : 0;
}

MIRVO_API Uint8 MIRVO_get_character_height(Uint8 id)
{
    scroller *s = live_scroller(id);
    return s ? s->height : 0;
}

MIRVO_API void MIRVO_free_scroller(Uint8 id)
{
    scroller *s = live_scroller(id);
    if (!s)
        return;
    SDL_FreeSurface(s->font);
    std::lock_guard<std::mutex> hold(slots_lock);
    memset(s, 0, sizeof *s);
}
