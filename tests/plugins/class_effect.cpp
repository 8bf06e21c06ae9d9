// An effect written as a class (mirvo_effect.hpp) that fails on request: its constructor
// throws when `fail` is 1, its draw throws from the second frame on, and its draw_step at
// step 2.
#include "mirvo_effect.hpp"

namespace {

const mirvo_param probe_params[] = {
    {"fail", MIRVO_PARAM_U8, 0, 1, MIRVO_DEFAULT_FIXED, "0", "1: the constructor throws", "Fail",
     MIRVO_CONTROL_NUMBER, nullptr, 0, nullptr},
};

class probe : public mirvo::effect {
public:
    probe(SDL_Surface *s, const mirvo_value *values) : effect(s)
    {
        if (values[0].number)
            throw std::runtime_error("asked to fail");
    }
    void draw() override
    {
        if (++frames_ > 1)
            throw std::logic_error("a frame that fails");
        SDL_FillRect(surface(), nullptr, SDL_MapRGB(surface()->format, 0, 255, 0));
        finished();
    }
    // Step n: green 100 + n; step 2 throws; the effect lasts 3 steps.
    long draw_step(long step)
    {
        if (step >= 3)
            return 3;
        if (step == 2)
            throw std::logic_error("a step that fails");
        SDL_FillRect(surface(), nullptr, SDL_MapRGB(surface()->format, 0, Uint8(100 + step), 0));
        return 0;
    }

private:
    int frames_ = 0;
};

}  // namespace

MIRVO_EFFECT_CLASS_STEPPED(classprobe, probe, "2.5", "a class that fails on request", 1,
                           probe_params);
