// KR_Math.cpp - the maths singleton.
#include "KR_Math.h"

#include <cmath>

namespace KORA {

KR_Math* KR_Math::_instance = nullptr;

KR_Math* KR_Math::getInstance() {
  if (_instance == nullptr) _instance = new KR_Math();
  return _instance;
}

KR_Math::KR_Math() {
  for (int d = 0; d < 360; ++d) {
    // Computed in double from the exact degree so that 90, 180 and 270 give exact zeros.
    const double r = d * (3.14159265358979323846 / 180.0);
    aSin[d] = (d % 180 == 0) ? 0.0f : static_cast<scalar>(std::sin(r));
    aCos[d] = ((d + 90) % 180 == 0) ? 0.0f : static_cast<scalar>(std::cos(r));
  }
}

int KR_Math::radToDegree(scalar radians) const {
  return static_cast<int>(std::lround(radians * RADDEG));
}

scalar KR_Math::round(scalar value) const { return std::round(value); }

}  // namespace KORA
