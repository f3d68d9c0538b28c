#pragma once
// The application's resources and its strings table.
//
// The main bundle's folder is NX_RESOURCE_DIR when set, else "resources" beside
// the executable when that exists, else the source tree's "resources" folder.
// Localised texts come from "Localizable.strings" there: lines of
// "key" = "value"; with /* */ and // comments and backslash escapes.

#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/foundation/NSPropertyList.h"

class NSBundle : public NSObject {
public:
    // Follows NX_RESOURCE_DIR as it is at each call.
    static std::shared_ptr<NSBundle> mainBundle();
    // nullptr unless path is a folder.
    static std::shared_ptr<NSBundle> bundleWithPath(const NSString& path);

    explicit NSBundle(NSString path) : path_(std::move(path)) {}

    const NSString& bundlePath() const { return path_; }
    const NSString& resourcePath() const { return path_; }
    // The file "name.type" of the bundle (name alone when type is nil or empty);
    // nil when it does not exist.
    NSString pathForResource(const NSString& name, const NSString& type) const;
    // The table's text for key (table nil: "Localizable"); when absent, value
    // unless it is nil or empty, else the key itself.
    NSString localizedStringForKey(const NSString& key, const NSString& value, const NSString& table) const;
    // The bundle's "Info.plist" dictionary; nil without one.
    PlistValue infoDictionary() const;

private:
    const NSString path_;
    mutable std::mutex mutex_;
    mutable std::map<NSString, std::map<NSString, NSString>> tables_;  // read on first use
    mutable std::optional<PlistValue> info_;                           // read on first use
};

// The main bundle's text for key in the default table; the key when absent.
NSString NSLocalizedString(const NSString& key, const NSString& comment);

namespace nxstrings {
// The entries of a strings table (UTF-8, or UTF-16 with a byte-order mark).
// Reading stops at the first syntax error, keeping the entries before it.
std::map<NSString, NSString> parseStringsTable(const NSData& data);
}  // namespace nxstrings
