#pragma once
// The user defaults: typed values by key, kept in an XML property list.
//
// Every change is written through at once (temporary file, flush, rename), so
// a crash loses nothing already set and never leaves a half-written store. A
// store file that cannot be read is set aside as "<file>.corrupt-<time>" and the
// store starts empty. All methods may be called from any thread.
//
// The shared store lives in the application's "Library/Preferences" folder as
// "ParentalControlClient.plist".

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/NSPropertyList.h"

class NSUserDefaults : public NSObject {
public:
    static std::shared_ptr<NSUserDefaults> standardUserDefaults();
    // Forgets the shared store; the next standardUserDefaults() reads the file
    // again (a restart, for tests, or after the home folder has changed).
    static void resetStandardUserDefaults();
    // A store over the given file, read at once.
    static std::shared_ptr<NSUserDefaults> initWithPath(const NSString& path);

    explicit NSUserDefaults(NSString path);

    const NSString& path() const { return path_; }

    // nil when absent.
    PlistValue objectForKey(const NSString& key) const;
    // A string as is, a number as its text; nil otherwise.
    NSString stringForKey(const NSString& key) const;
    // Booleans and numbers as truth values, strings as "YES", "true" or a
    // non-zero number; NO when absent.
    bool boolForKey(const NSString& key) const;
    // Numbers (reals truncated), booleans as 0/1, strings read as numbers; 0 otherwise.
    NSInteger integerForKey(const NSString& key) const;
    double doubleForKey(const NSString& key) const;
    std::optional<NSData> dataForKey(const NSString& key) const;
    // Arrays of strings only / dictionaries of strings only.
    std::optional<std::vector<NSString>> arrayForKey(const NSString& key) const;
    std::optional<std::map<NSString, NSString>> dictionaryForKey(const NSString& key) const;

    // A nil value (a nil string included) removes the key.
    void setObject(const PlistValue& value, const NSString& key);
    void setValue(const PlistValue& value, const NSString& key) { setObject(value, key); }
    void setBool(bool value, const NSString& key) { setObject(PlistValue(value), key); }
    void setInteger(NSInteger value, const NSString& key) { setObject(PlistValue(value), key); }
    void setDouble(double value, const NSString& key) { setObject(PlistValue(value), key); }
    void removeObjectForKey(const NSString& key) { setObject(PlistValue(), key); }
    // Writes what a failed write left unsaved; YES when the file is up to date.
    bool synchronize();

private:
    void load();
    bool save();  // with mutex_ held

    const NSString path_;
    mutable std::mutex mutex_;
    PlistValue::Dictionary values_;
    bool dirty_ = false;
};
