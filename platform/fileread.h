#pragma once
// Whole-file reads for every file the program takes in, with two guards no
// input may get past: only regular files are read (a device such as
// /dev/zero never ends) and only up to a size limit, so that a wrong or
// damaged path costs a message instead of all the memory there is.

#include <cstdint>
#include <string>

namespace plat {

// INI and exchange files: a real one is a few kilobytes.
inline constexpr uint64_t kMaxSettingsFileBytes = uint64_t{64} << 20;
// Data files (WAV, UFF, .quor) are read whole into memory.
inline constexpr uint64_t kMaxDataFileBytes = uint64_t{4} << 30;

enum class ReadFault { kNone, kMissing, kFolder, kNotAFile, kTooLarge, kUnreadable };

// The whole file into bytes. On failure false, fault says what kind and why
// the reason without the path ("it is a device or pipe, not a file").
bool ReadWholeFile(const std::string& path, uint64_t maxBytes, std::string& bytes, ReadFault& fault,
                   std::string& why);

}  // namespace plat
