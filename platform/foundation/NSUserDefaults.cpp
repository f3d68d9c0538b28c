#include "platform/foundation/NSUserDefaults.h"

#include <cmath>
#include <limits>

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSLog.h"

namespace {

std::mutex& sharedMutex()
{
    static std::mutex m;
    return m;
}

std::shared_ptr<NSUserDefaults>& sharedStore()
{
    static std::shared_ptr<NSUserDefaults> store;
    return store;
}

// Reals saturate rather than overflow when read as integers.
NSInteger truncated(double d)
{
    if (std::isnan(d)) return 0;
    if (d >= static_cast<double>(std::numeric_limits<NSInteger>::max())) return std::numeric_limits<NSInteger>::max();
    if (d <= static_cast<double>(std::numeric_limits<NSInteger>::min())) return std::numeric_limits<NSInteger>::min();
    return static_cast<NSInteger>(d);
}

}  // namespace

std::shared_ptr<NSUserDefaults> NSUserDefaults::standardUserDefaults()
{
    std::lock_guard lock(sharedMutex());
    auto& store = sharedStore();
    if (!store) {
        NSString folder = NSSearchPathForDirectoriesInDomains(NSLibraryDirectory, NSUserDomainMask, true).front();
        folder = folder.stringByAppendingPathComponent("Preferences");
        NSFileManager::defaultManager()->createDirectoryAtPath(folder, true);
        store = initWithPath(folder.stringByAppendingPathComponent("ParentalControlClient.plist"));
    }
    return store;
}

void NSUserDefaults::resetStandardUserDefaults()
{
    std::lock_guard lock(sharedMutex());
    sharedStore().reset();
}

std::shared_ptr<NSUserDefaults> NSUserDefaults::initWithPath(const NSString& path)
{
    return std::make_shared<NSUserDefaults>(path);
}

NSUserDefaults::NSUserDefaults(NSString path) : path_(std::move(path)) { load(); }

void NSUserDefaults::load()
{
    auto fm = NSFileManager::defaultManager();
    if (!fm->fileExistsAtPath(path_)) return;
    PlistValue stored = PlistValue::propertyListWithContentsOfFile(path_);
    if (const auto* d = stored.dictionary()) {
        values_ = *d;
        return;
    }
    // Keep the unreadable file for inspection instead of overwriting it.
    NSString aside = NSString::stringWithFormat("%@.corrupt-%.0f", path_, NSDate::date().timeIntervalSince1970());
    bool moved = fm->moveItemAtPath(path_, aside);
    NX_LOG("user defaults %@ unreadable, %s %@", path_, moved ? "set aside as" : "could not be moved to", aside);
}

bool NSUserDefaults::save()
{
    dirty_ = !PlistValue(values_).writeToFile(path_, true);
    if (dirty_) NX_LOG("user defaults could not be written to %@", path_);
    return !dirty_;
}

PlistValue NSUserDefaults::objectForKey(const NSString& key) const
{
    std::lock_guard lock(mutex_);
    auto it = values_.find(key);
    return it == values_.end() ? PlistValue() : it->second;
}

NSString NSUserDefaults::stringForKey(const NSString& key) const
{
    PlistValue v = objectForKey(key);
    if (const auto* s = v.string()) return *s;
    if (const auto* i = v.integer()) return NSString(std::to_string(*i));
    if (const auto* r = v.real()) return NSString::stringWithFormat("%g", *r);
    return {};
}

bool NSUserDefaults::boolForKey(const NSString& key) const
{
    PlistValue v = objectForKey(key);
    if (const auto* b = v.boolean()) return *b;
    if (const auto* i = v.integer()) return *i != 0;
    if (const auto* r = v.real()) return *r != 0;
    if (const auto* s = v.string()) return s->boolValue();
    return false;
}

NSInteger NSUserDefaults::integerForKey(const NSString& key) const
{
    PlistValue v = objectForKey(key);
    if (const auto* i = v.integer()) return static_cast<NSInteger>(*i);
    if (const auto* r = v.real()) return truncated(*r);
    if (const auto* b = v.boolean()) return *b ? 1 : 0;
    if (const auto* s = v.string()) return s->integerValue();
    return 0;
}

double NSUserDefaults::doubleForKey(const NSString& key) const
{
    PlistValue v = objectForKey(key);
    if (const auto* r = v.real()) return *r;
    if (const auto* i = v.integer()) return static_cast<double>(*i);
    if (const auto* b = v.boolean()) return *b ? 1 : 0;
    if (const auto* s = v.string()) return s->doubleValue();
    return 0;
}

std::optional<NSData> NSUserDefaults::dataForKey(const NSString& key) const
{
    PlistValue v = objectForKey(key);
    if (const auto* d = v.data()) return *d;
    return std::nullopt;
}

std::optional<std::vector<NSString>> NSUserDefaults::arrayForKey(const NSString& key) const
{
    return objectForKey(key).stringArray();
}

std::optional<std::map<NSString, NSString>> NSUserDefaults::dictionaryForKey(const NSString& key) const
{
    return objectForKey(key).stringDictionary();
}

void NSUserDefaults::setObject(const PlistValue& value, const NSString& key)
{
    if (key.isNil()) return;
    std::lock_guard lock(mutex_);
    if (value.isNil()) {
        if (values_.erase(key) == 0 && !dirty_) return;
    } else {
        values_[key] = value;
    }
    save();
}

bool NSUserDefaults::synchronize()
{
    std::lock_guard lock(mutex_);
    return !dirty_ || save();
}
