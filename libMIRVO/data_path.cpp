// Finding the data files (the font) from wherever a program runs, through the finder
// libKORA uses too: the path as given, then $MIRVO_DATA_DIR, then the installed data
// folder beside this library, then beside the program.
#include "internal.h"

#include <string>

#include "data_file.h"

namespace {

// What the last call returned; valid until the next call on the same thread.
thread_local std::string found_path;
thread_local std::string looked_places;

}  // namespace

MIRVO_API const char *MIRVO_find_data(const char *path, const char **looked)
{
    if (looked)
        *looked = "";
    if (!path) {
        mirvo_set_failure("cannot find a data file: no file name");
        return NULL;
    }
    found_path = mirvo_data::findDataFile(path, &looked_places);
    if (looked)
        *looked = looked_places.c_str();
    if (found_path.empty()) {
        mirvo_set_failure("cannot find %s: not found (looked in %s)", path, looked_places.c_str());
        return NULL;
    }
    return found_path.c_str();
}
