#include "platform/foundation/NSBundle.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSLog.h"

namespace fs = std::filesystem;

namespace {

NSString mainResourcePath()
{
    if (const char* dir = std::getenv("NX_RESOURCE_DIR"); dir && *dir) return NSString(dir);
    // The program does not move while it runs: look beside it once.
    static const NSString found = [] {
        std::error_code ec;
        fs::path exe = fs::read_symlink("/proc/self/exe", ec);
        if (!ec) {
            fs::path beside = exe.parent_path() / "resources";
            if (fs::is_directory(beside, ec)) return NSString(beside.string());
        }
        // The build's resource folder holds the source tree's resources and the
        // generated pictures; the source tree's alone is the last resort.
        if (fs::is_directory(NX_BUILD_RESOURCE_DIR, ec)) return NSString(NX_BUILD_RESOURCE_DIR);
        return NSString(NX_SOURCE_DIR "/resources");
    }();
    return found;
}

// A reader of the strings-table syntax over UTF-8 text.
class StringsReader {
public:
    explicit StringsReader(std::string_view s) : s_(s) {}

    std::map<NSString, NSString> read()
    {
        std::map<NSString, NSString> out;
        for (;;) {
            if (!skipBlanks()) break;
            if (i_ >= s_.size()) return out;
            auto key = token();
            if (!key || !skipBlanks()) break;
            std::optional<std::string> value = key;  // "key"; stands for "key" = "key";
            if (peek() == '=') {
                ++i_;
                if (!skipBlanks() || !(value = token()) || !skipBlanks()) break;
            }
            if (peek() != ';') break;
            ++i_;
            out[NSString(*key)] = NSString(*value);
        }
        NX_LOG("strings table: syntax error on line %ld", line());
        return out;
    }

private:
    static bool isWordChar(char c)
    {
        return std::isalnum(static_cast<unsigned char>(c)) || (c && std::strchr("_.$:/-", c));
    }

    static int hexValue(char c) { return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10; }

    char peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }

    long line() const { return 1 + static_cast<long>(std::count(s_.begin(), s_.begin() + static_cast<long>(i_), '\n')); }

    // Skips blanks and comments; false on an unterminated comment.
    bool skipBlanks()
    {
        while (i_ < s_.size()) {
            char c = s_[i_];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
                ++i_;
            } else if (s_.substr(i_, 2) == "//") {
                size_t nl = s_.find('\n', i_);
                i_ = nl == std::string_view::npos ? s_.size() : nl + 1;
            } else if (s_.substr(i_, 2) == "/*") {
                size_t end = s_.find("*/", i_ + 2);
                if (end == std::string_view::npos) return false;
                i_ = end + 2;
            } else {
                break;
            }
        }
        return true;
    }

    // A quoted string with its escapes, or a bare word.
    std::optional<std::string> token()
    {
        if (peek() != '"') {
            size_t start = i_;
            while (i_ < s_.size() && isWordChar(s_[i_]))
                ++i_;
            if (i_ == start) return std::nullopt;
            return std::string(s_.substr(start, i_ - start));
        }
        ++i_;
        std::string out;
        std::u16string units;  // \U escapes gathered, so that surrogate pairs join
        auto flush = [&] {
            if (!units.empty()) out += NSString::stringWithUTF16(units).str();
            units.clear();
        };
        while (i_ < s_.size()) {
            char c = s_[i_++];
            if (c == '"') {
                flush();
                return out;
            }
            if (c != '\\') {
                flush();
                out += c;
                continue;
            }
            if (i_ >= s_.size()) return std::nullopt;
            char e = s_[i_++];
            if (e == 'U' || e == 'u') {
                size_t n = 0;
                char16_t unit = 0;
                for (; n < 4 && i_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[i_])); ++n, ++i_)
                    unit = static_cast<char16_t>(unit * 16 + hexValue(s_[i_]));
                if (n == 0) return std::nullopt;
                units += unit;
                continue;
            }
            flush();
            switch (e) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case '0': out += '\0'; break;
            default: out += e; break;  // \" \\ \' and any other character stand for themselves
            }
        }
        return std::nullopt;
    }

    std::string_view s_;
    size_t i_ = 0;
};

}  // namespace

namespace nxstrings {

std::map<NSString, NSString> parseStringsTable(const NSData& data)
{
    bool utf16 = data.size() >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF));
    NSString text = NSString::stringWithData(data, utf16 ? NSUTF16StringEncoding : NSUTF8StringEncoding);
    if (text.isNil()) {
        NX_LOG("strings table: not UTF-8 or UTF-16 text");
        return {};
    }
    std::string_view s = text.view();
    if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
    return StringsReader(s).read();
}

}  // namespace nxstrings

std::shared_ptr<NSBundle> NSBundle::mainBundle()
{
    static std::mutex m;
    static std::shared_ptr<NSBundle> bundle;
    NSString path = mainResourcePath();
    std::lock_guard lock(m);
    if (!bundle || bundle->bundlePath() != path) bundle = std::make_shared<NSBundle>(path);
    return bundle;
}

std::shared_ptr<NSBundle> NSBundle::bundleWithPath(const NSString& path)
{
    bool isDirectory = false;
    if (!NSFileManager::defaultManager()->fileExistsAtPath(path, &isDirectory) || !isDirectory) return nullptr;
    return std::make_shared<NSBundle>(path);
}

NSString NSBundle::pathForResource(const NSString& name, const NSString& type) const
{
    if (name.isNil() || name.str().empty()) return {};
    NSString file = type.isNil() || type.str().empty() ? name : NSString::stringWithFormat("%@.%@", name, type);
    NSString full = path_.stringByAppendingPathComponent(file);
    return NSFileManager::defaultManager()->fileExistsAtPath(full) ? full : NSString();
}

NSString NSBundle::localizedStringForKey(const NSString& key, const NSString& value, const NSString& table) const
{
    if (key.isNil()) return value.isNil() || value.str().empty() ? NSString("") : value;
    NSString name = table.isNil() || table.str().empty() ? NSString("Localizable") : table;
    std::lock_guard lock(mutex_);
    auto it = tables_.find(name);
    if (it == tables_.end()) {
        auto data = NSDataWithContentsOfFile(pathForResource(name, "strings"));
        it = tables_.emplace(name, data ? nxstrings::parseStringsTable(*data) : std::map<NSString, NSString>()).first;
    }
    auto entry = it->second.find(key);
    if (entry != it->second.end()) return entry->second;
    return value.isNil() || value.str().empty() ? key : value;
}

PlistValue NSBundle::infoDictionary() const
{
    std::lock_guard lock(mutex_);
    if (!info_) info_ = PlistValue::dictionaryWithContentsOfFile(pathForResource("Info", "plist"));
    return *info_;
}

NSString NSLocalizedString(const NSString& key, const NSString&)
{
    return NSBundle::mainBundle()->localizedStringForKey(key, "", NSString());
}
