// KR_Math.h - the maths singleton: whole-degree sine and cosine tables and angle conversions.
#ifndef KORA_KR_MATH_H
#define KORA_KR_MATH_H

#include "KR_Def.h"

namespace KORA {

class KR_Math {
 public:
  // The one instance, created with new on first use and never destroyed.
  static KR_Math* getInstance();

  scalar degreeToRad(int degrees) const { return static_cast<scalar>(degrees) * DEGRAD; }
  scalar fDegreeToRad(scalar degrees) const { return degrees * DEGRAD; }
  // Radians to whole degrees, rounded to the nearest.
  int radToDegree(scalar radians) const;
  scalar fRadToDegree(scalar radians) const { return radians * RADDEG; }
  // Nearest whole number, halves away from zero.
  scalar round(scalar value) const;
  // Sine and cosine of a whole number of degrees, any integer (taken modulo 360).
  scalar getSin(int degrees) const { return aSin[tableIndex(degrees)]; }
  scalar getCos(int degrees) const { return aCos[tableIndex(degrees)]; }

 private:
  KR_Math();
  KR_Math(const KR_Math&) = delete;
  KR_Math& operator=(const KR_Math&) = delete;
  static int tableIndex(int degrees) {
    int i = degrees % 360;
    return i < 0 ? i + 360 : i;
  }

  scalar aSin[360];  // aSin[d] = sin(d degrees)
  scalar aCos[360];  // aCos[d] = cos(d degrees)
  static KR_Math* _instance;
};

}  // namespace KORA

#endif
