#pragma once
// Helpers shared by the cache tests: a scratch directory per test and
// byte-level access to files.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/scratchDir.h"

namespace zt::cache::test {

using ScratchDir = zt::testing::ScratchDir;

inline std::string readBytes(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::in | std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& fileName, const std::string& bytes) {
    std::ofstream out(fileName, std::ios::out | std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::uint64_t doubleBits(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline double doubleFromBits(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace zt::cache::test
