// font_dump.cpp - writes GLUT's bitmap fonts, as the system's freeglut carries them, as C++
// tables for the web build (glut_fonts.inc), which has no GLUT fonts of its own:
//   webgl_font_dump > webgl/glut_fonts.inc
// freeglut exports each font's record (fgFont...): its name, the number of characters, the
// line height, one bitmap per character (its advance width, then its rows, bottom row first,
// each row padded to whole bytes) and the origin glBitmap is given.
#include <cstdio>

struct GlutFont {
  const char* name;
  int quantity;
  int height;
  const unsigned char** characters;
  float xorig, yorig;
};

extern "C" GlutFont fgFontFixed9x15, fgFontFixed8x13, fgFontHelvetica10, fgFontHelvetica12,
    fgFontHelvetica18;

namespace {

// The fonts kora-demo and KR_Draw_2D's users reach for, in the order of GLUT_BITMAP_9_BY_15,
// 8_BY_13, HELVETICA_10, 12 and 18; the Times fonts are left out.
const struct {
  const char* id;
  const GlutFont* font;
} FONTS[] = {{"9_BY_15", &fgFontFixed9x15},
             {"8_BY_13", &fgFontFixed8x13},
             {"HELVETICA_10", &fgFontHelvetica10},
             {"HELVETICA_12", &fgFontHelvetica12},
             {"HELVETICA_18", &fgFontHelvetica18}};

// Printable ASCII: the characters a KORA overlay writes.
const int FIRST = 32, LAST = 126;

}  // namespace

int main() {
  std::printf(
      "// glut_fonts.inc - GLUT's bitmap fonts for the web build, written by font_dump.cpp\n"
      "// from the system's freeglut; do not edit. Per character: the advance width, then\n"
      "// the rows, bottom row first, each padded to whole bytes.\n");
  for (const auto& f : FONTS) {
    const GlutFont* font = f.font;
    std::printf("static const unsigned char FONT_%s[] = {\n", f.id);
    for (int c = FIRST; c <= LAST; ++c) {
      const unsigned char* glyph = font->characters[c];
      const int bytes = 1 + font->height * ((glyph[0] + 7) / 8);
      std::printf(" ");
      for (int i = 0; i < bytes; ++i) std::printf(" %d,", glyph[i]);
      std::printf("\n");
    }
    std::printf("};\n");
  }
  std::printf("static const FontRecord FONT_RECORDS[] = {\n");
  for (const auto& f : FONTS)
    std::printf("    {FONT_%s, %d, %.1ff, %.1ff},\n", f.id, f.font->height, double(f.font->xorig),
                double(f.font->yorig));
  std::printf("};\nstatic const int FONT_FIRST = %d, FONT_LAST = %d;\n", FIRST, LAST);
  return 0;
}
