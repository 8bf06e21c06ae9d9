// KR_DataFile.h - where the library finds its data files (private to the library).
#ifndef KORA_KR_DATA_FILE_H
#define KORA_KR_DATA_FILE_H

#include <string>

#include "data_file.h"

namespace KORA {

// The file named by `path`, relative to the working directory ("../TEXTURES/sky_top.bmp"):
// the path itself when it can be read; otherwise the same file, less its leading "../",
// under $MIRVO_DATA_DIR, then under the installed data folder (share/mirvo) beside the
// library, then beside the running program. An empty result when none can be read;
// `looked` then lists every place tried, joined by ", ". The finder is the one libMIRVO
// uses for its font (datafile/ at the top of the tree).
inline std::string findDataFile(const std::string& path, std::string* looked) {
  return mirvo_data::findDataFile(path, looked);
}

}  // namespace KORA

#endif
