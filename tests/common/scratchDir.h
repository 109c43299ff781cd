#pragma once
// A directory of its own for the files a test writes, under the system's
// temporary folder, removed with everything in it when the object goes.

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace zt::testing {

class ScratchDir {
public:
    explicit ScratchDir(const std::string& tag = "scratch") {
        const std::string pattern =
            (std::filesystem::temp_directory_path() / ("zt_" + tag + "_XXXXXX")).string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data()) == nullptr)
            throw std::runtime_error("cannot create a scratch directory from " + pattern);
        path_ = name.data();
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace zt::testing
