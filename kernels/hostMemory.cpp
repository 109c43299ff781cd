#include "kernels/hostMemory.h"

#include <unistd.h>

#include <fstream>
#include <limits>
#include <sstream>
#include <string>

namespace zt {

std::optional<std::size_t> parseMemAvailable(std::istream& meminfo) {
    std::string line;
    while (std::getline(meminfo, line)) {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key != "MemAvailable:") {
            continue;
        }
        unsigned long long amount = 0;
        std::string unit;
        if (!(fields >> amount)) {
            return std::nullopt;
        }
        fields >> unit;
        unsigned long long scale = 1;
        if (unit == "kB") {
            scale = 1024;
        } else if (!unit.empty()) {
            return std::nullopt;
        }
        if (amount > std::numeric_limits<std::size_t>::max() / scale) {
            return std::numeric_limits<std::size_t>::max();
        }
        return static_cast<std::size_t>(amount * scale);
    }
    return std::nullopt;
}

std::size_t hostAvailableMemory() {
    std::ifstream meminfo("/proc/meminfo");
    if (meminfo) {
        if (const std::optional<std::size_t> available = parseMemAvailable(meminfo)) {
            return *available;
        }
    }
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages < 0 || pageSize < 0) {
        // Nothing to go by: let allocations proceed and fail on their own.
        return std::numeric_limits<std::size_t>::max();
    }
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize);
}

}  // namespace zt
