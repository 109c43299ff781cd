#pragma once
// Free host memory, which is the CPU backend's "device" memory.

#include <cstddef>
#include <istream>
#include <optional>

namespace zt {

// MemAvailable of a /proc/meminfo listing, in bytes; nothing when the line is
// missing or malformed.
std::optional<std::size_t> parseMemAvailable(std::istream& meminfo);

// MemAvailable from /proc/meminfo, or the free physical pages the C library
// reports where that file cannot be read.
std::size_t hostAvailableMemory();

}  // namespace zt
