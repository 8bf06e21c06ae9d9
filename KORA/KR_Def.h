// KR_Def.h - the library-wide scalar type, angle constants and matrix type codes.
#ifndef KORA_KR_DEF_H
#define KORA_KR_DEF_H

#include <GL/gl.h>

namespace KORA {

typedef GLfloat scalar;
typedef unsigned char byte;

const scalar Pi = 3.1415927f;         // 0x40490FDB
const scalar DOUBLE_PI = 6.2831855f;  // 0x40C90FDB
const scalar HALF_PI = 1.5707964f;    // 0x3FC90FDB
const scalar RADDEG = 57.29578f;      // degrees per radian, 0x42652EE1
const scalar DEGRAD = 0.017453292f;   // radians per degree, 0x3C8EFA35

// Matrix type codes for KR_Matrix3D's typed constructors.
const byte TRANSLATION_MATRIX = 1;
const byte SCALING_MATRIX = 2;
const byte X_ROTATION_MATRIX = 3;
const byte Y_ROTATION_MATRIX = 4;
const byte Z_ROTATION_MATRIX = 5;

}  // namespace KORA

#endif
