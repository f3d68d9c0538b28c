// A temporary folder for the harnesses whose reader takes files from disk:
// made once per process, emptied between inputs, removed when the process
// ends.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "engine/base/VString.h"

namespace fuzz {

class Sandbox {
public:
    explicit Sandbox(const std::string& name)
    {
        std::string pattern = "/tmp/fuzz-" + name + "-XXXXXX";
        if (!::mkdtemp(pattern.data())) std::abort();
        root_ = pattern;
    }
    ~Sandbox() { std::filesystem::remove_all(root_); }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::filesystem::path& root() const { return root_; }
    // A path inside the sandbox, as the engine takes it (a folder ends in '/').
    mapengine::CVString Path(const std::string& relative = "") const
    {
        return mapengine::CVString((root_.string() + "/" + relative).c_str());
    }

    // Writes the bytes to the file, making its folders.
    void Write(const std::string& relative, std::string_view bytes) const
    {
        const std::filesystem::path path = root_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) std::abort();
    }

    // Removes everything inside.
    void Clear() const
    {
        for (const auto& entry : std::filesystem::directory_iterator(root_)) std::filesystem::remove_all(entry.path());
    }

private:
    std::filesystem::path root_;
};

}  // namespace fuzz
