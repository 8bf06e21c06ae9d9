// libFuzzer target: the surface layer's picture reader (IMG_Load_Memory, the decoder behind
// IMG_Load) on arbitrary file images. A picture it returns must lie within the documented
// limits and be whole: every pixel is read (uninitialised memory would show under MSan, and
// out-of-bounds rows under ASan), then blitted onto a 32-bit surface as the scrollers do.
#include <SDL.h>
#include <SDL_image.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    SDL_Surface *s = IMG_Load_Memory(data, size);
    if (!s) {
        if (!SDL_GetError()[0])
            std::abort();  // a refusal always says why
        return 0;
    }
    if (s->w <= 0 || s->h <= 0 || s->w > IMG_MAX_SIDE || s->h > IMG_MAX_SIDE ||
        long(s->w) * s->h > IMG_MAX_PIXELS || !s->pixels)
        std::abort();
    unsigned sum = 0;
    const int row = s->w * s->format->BytesPerPixel;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < row; ++x)
            sum += static_cast<const std::uint8_t *>(s->pixels)[size_t(y) * s->pitch + x];
    volatile unsigned keep = sum;
    (void)keep;
    SDL_Surface *target =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 64, 64, 32, 0xff0000, 0xff00, 0xff, 0);
    SDL_SetColorKey(s, SDL_SRCCOLORKEY, SDL_MapRGB(s->format, 0, 0, 0));
    SDL_Rect at = {-3, -3, 0, 0};
    SDL_BlitSurface(s, nullptr, target, &at);
    SDL_FreeSurface(target);
    SDL_FreeSurface(s);
    return 0;
}
