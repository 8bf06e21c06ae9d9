// data_file.h - where libMIRVO and libKORA find their data files (the font, the textures).
// Compiled into each library, so "the library's place" is the place of the library that
// asks. Not installed; not part of either library's interface.
#ifndef MIRVO_DATA_FILE_H
#define MIRVO_DATA_FILE_H

#include <string>

namespace mirvo_data {

// The file named by `path`, relative to the working directory ("../GFX/font.pcx"):
//   1. the path itself when it can be read;
//   otherwise, for a relative path, the same file less its leading "../" and "./" parts:
//   2. under $MIRVO_DATA_DIR (when set and not empty),
//   3. under the installed data folder beside the library (DATA_FROM_LIBDIR, relative to
//      the folder the library was loaded from),
//   4. under the installed data folder beside the running program (DATA_FROM_BINDIR,
//      relative to the program's folder), which is the only one when the library is
//      linked into the program.
// The installed folders are written without "folder/.." steps, and a place already tried
// is not tried (or listed) again. Returns the path found, or "" when none can be read;
// `looked` (when not null) then lists every place tried, in order, joined by ", ".
std::string findDataFile(const std::string &path, std::string *looked);

// "/usr/lib/x86_64-linux-gnu/../../share/mirvo" -> "/usr/share/mirvo": "name/.." steps
// and "." steps taken out of an absolute path (whose folders are real, not links).
std::string withoutDotSteps(const std::string &absolute);

}  // namespace mirvo_data

#endif
