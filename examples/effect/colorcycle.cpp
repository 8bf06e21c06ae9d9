// colorcycle - an effect written outside the Mirvo tree against the installed SDK: the whole
// frame in one colour that walks round the colour wheel, `step` degrees a frame, and
// finishes after `frames` frames. Built as a module for mirvo-play and as a frei0r module
// from this one source (examples/effect/CMakeLists.txt, docs/sdk.md).
#include <mirvo_effect.hpp>

#include <cmath>

namespace {

const mirvo_param colorcycle_params[] = {
    {"step", MIRVO_PARAM_U8, 1, 90, MIRVO_DEFAULT_FIXED, "3", "degrees of hue a frame", "Hue step",
     MIRVO_CONTROL_NUMBER, nullptr, 0, nullptr},
    {"frames", MIRVO_PARAM_U16, 1, 65535, MIRVO_DEFAULT_FIXED, "240",
     "frames until the effect has finished", "Length", MIRVO_CONTROL_NUMBER, nullptr, 0, nullptr},
};

class colorcycle : public mirvo::effect {
 public:
  colorcycle(SDL_Surface* s, const mirvo_value* values)
      : effect(s), step_(int(values[0].number)), frames_(long(values[1].number)) {}

  void draw() override {
    if (drawn_ >= frames_) {
      finished();
      return;
    }
    // Hue to RGB at full saturation and value, in whole degrees.
    const int hue = int((drawn_ * step_) % 360), sector = hue / 60, rise = (hue % 60) * 255 / 60;
    const Uint8 up = Uint8(rise), down = Uint8(255 - rise);
    const Uint8 rgb[6][3] = {{255, up, 0},   {down, 255, 0}, {0, 255, up},
                             {0, down, 255}, {up, 0, 255},   {255, 0, down}};
    SDL_FillRect(surface(), nullptr,
                 SDL_MapRGB(surface()->format, rgb[sector][0], rgb[sector][1], rgb[sector][2]));
    ++drawn_;
  }

  bool set(int index, mirvo_value value, std::string&) override {
    if (index == 0)
      step_ = int(value.number);
    else
      frames_ = long(value.number);
    return true;
  }

 private:
  int step_;
  long frames_;
  long drawn_ = 0;
};

}  // namespace

MIRVO_EFFECT_CLASS(colorcycle, colorcycle, "1.0",
                   "The whole frame in one colour walking round the colour wheel", 0,
                   colorcycle_params);
