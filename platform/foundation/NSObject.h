#pragma once
// The root of every object class, the selector value and the small scalar types
// shared by the whole stand-in.

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

class NSString;
struct SEL;
class NSObject;
using id = std::shared_ptr<NSObject>;

using NSInteger = long;
using NSUInteger = unsigned long;
using NSTimeInterval = double;
using unichar = char16_t;
using NSData = std::vector<uint8_t>;

inline constexpr NSInteger NSNotFound = std::numeric_limits<NSInteger>::max();

struct NSRange {
    NSUInteger location = 0;
    NSUInteger length = 0;
    NSUInteger max() const { return location + length; }
    bool operator==(const NSRange&) const = default;
};

inline NSRange NSMakeRange(NSUInteger location, NSUInteger length) { return {location, length}; }

enum NSComparisonResult { NSOrderedAscending = -1, NSOrderedSame = 0, NSOrderedDescending = 1 };

class NSObject : public std::enable_shared_from_this<NSObject> {
public:
    virtual ~NSObject() = default;
    // What `%@` prints for this object.
    virtual NSString description() const;

    // Sends the selector to this object after a delay, from a timer of the
    // current thread's run loop in the default mode; the object and the argument
    // are kept alive until then. The object must be owned by a shared_ptr.
    void performSelector(const SEL& selector, const id& argument, NSTimeInterval delay);
    // Cancels the pending delayed performs of the current thread's run loop on
    // the target, or only those with this selector and (identical) argument.
    static void cancelPreviousPerformRequestsWithTarget(NSObject* target);
    static void cancelPreviousPerformRequestsWithTarget(NSObject* target, const SEL& selector, const id& argument);
    // Sends the selector on the main thread, as NSThread::performBlockOnMainThread
    // says; without waiting the object and argument are kept alive until it ran.
    void performSelectorOnMainThread(const SEL& selector, const id& argument, bool waitUntilDone);
};

// A selector: its name (for logs and tests) and what it does on a receiver.
// An empty selector is skipped by whoever would perform it.
struct SEL {
    std::string name;
    std::function<void(NSObject* receiver, const id& argument)> imp;

    explicit operator bool() const { return static_cast<bool>(imp); }
    void perform(NSObject* receiver, const id& argument = nullptr) const
    {
        if (imp && receiver) imp(receiver, argument);
    }
};

// SEL for a member `void method(const id&)` (or any one-argument member taking an id).
#define NX_SEL(Class, method) \
    SEL{#method ":", [](NSObject* r, const id& a) { static_cast<Class*>(r)->method(a); }}
// SEL for a member `void method()`.
#define NX_SEL0(Class, method) \
    SEL{#method, [](NSObject* r, const id&) { static_cast<Class*>(r)->method(); }}
