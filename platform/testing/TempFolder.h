#pragma once
// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the object goes; and an environment variable
// set for one scope. Header only, so that any test may use them.

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "platform/foundation/NSString.h"

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "nxtest-XXXXXX").string();
        // A test without its folder would write wherever it runs.
        if (!::mkdtemp(pattern.data())) throw std::system_error(errno, std::generic_category(), "mkdtemp");
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    NSString path() const { return NSString(path_); }
    // A name inside the folder.
    NSString operator/(const NSString& name) const { return path().stringByAppendingPathComponent(name); }
    // The path ending in '/', as the map engine takes folders.
    std::string directory() const { return path_ + "/"; }

private:
    std::string path_;
};

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value, 1);
    }
    ~ScopedEnv()
    {
        if (old_) setenv(name_, old_->c_str(), 1);
        else unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};
