// Extraction of a zip package (offline data) into a sandbox folder: whatever
// the package holds, nothing may be written outside the sandbox.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/base/Unzip.h"
#include "fuzz/support/Engine.h"

namespace fs = std::filesystem;

namespace {

fs::path root;  // holds the package and the sandbox, nothing else

std::u16string Wide(const std::string& path) { return std::u16string(path.begin(), path.end()); }

const unsigned short* Units(const std::u16string& s) { return reinterpret_cast<const unsigned short*>(s.c_str()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    char pattern[] = "/tmp/fuzz-unzip-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    root = pattern;
    std::atexit([] { fs::remove_all(root); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fs::path package = root / "package.zip", sandbox = root / "sandbox";
    fs::create_directory(sandbox);
    {
        std::ofstream out(package, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    mapengine::tagUnzipLimits limits;
    limits.maxEntries = 64;
    limits.maxTotalBytes = 4 << 20;
    const std::u16string zipPath = Wide(package.string()), target = Wide(sandbox.string() + "/");
    (void)mapengine::UnzipAllFiles(Units(zipPath), Units(target), limits);
    (void)mapengine::UnzipConfigFiles(Units(zipPath), Units(target), Units(target), limits);
    for (const auto& entry : fs::directory_iterator(root)) {
        if (entry.path() != package && entry.path() != sandbox) std::abort();
    }
    fs::remove_all(sandbox);
    return 0;
}
