#pragma once
// The structure of a MAT file checked before libmatio reads it.
// Internal to korvex/formats/mat*.cpp.

#include <string>

#include "korvex/formats/file_source.h"

namespace korvex::matfile {

// False, with fault saying what and where (the variable and its byte
// offset), when a size the file declares does not fit in its bytes.
bool CheckStructure(FileSource& file, std::string& fault);

}  // namespace korvex::matfile
