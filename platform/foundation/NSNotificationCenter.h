#pragma once
// Notifications: delivered synchronously, on the posting thread, to every
// observer whose name and object match.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

class NSNotification : public NSObject {
public:
    NSNotification(NSString name, id object, std::map<NSString, id> userInfo)
        : name_(std::move(name)), object_(std::move(object)), userInfo_(std::move(userInfo)) {}
    static std::shared_ptr<NSNotification> notificationWithName(NSString name, id object,
                                                                std::map<NSString, id> userInfo = {})
    {
        return std::make_shared<NSNotification>(std::move(name), std::move(object), std::move(userInfo));
    }

    const NSString& name() const { return name_; }
    const id& object() const { return object_; }
    const std::map<NSString, id>& userInfo() const { return userInfo_; }

private:
    NSString name_;
    id object_;
    std::map<NSString, id> userInfo_;
};

class NSNotificationCenter : public NSObject {
public:
    using Block = std::function<void(const std::shared_ptr<NSNotification>&)>;

    static std::shared_ptr<NSNotificationCenter> defaultCenter();

    // Registers an observer (held weakly; once it is destroyed it is skipped and
    // dropped). A nil name matches every name, a nil object every object; the
    // object is compared by identity and not retained. The selector receives
    // the notification as its argument. The observer must be owned by a
    // shared_ptr.
    void addObserver(NSObject* observer, SEL selector, const NSString& name, const id& object);
    // The callable form: returns the token that removeObserver takes; the
    // centre keeps the block until then.
    id addObserverForName(const NSString& name, const id& object, Block block);

    // Removes every registration of the observer, or those matching a name and
    // an object (nil matches all). A registration removed while a notification
    // is being delivered does not receive it any more.
    void removeObserver(NSObject* observer);
    void removeObserver(NSObject* observer, const NSString& name, const id& object);

    // Delivers to the observers registered when the post starts; observers may
    // add and remove registrations (also their own) meanwhile. Thread-safe.
    void postNotification(const std::shared_ptr<NSNotification>& notification);
    void postNotificationName(const NSString& name, const id& object, std::map<NSString, id> userInfo = {});

private:
    struct Registration;
    std::mutex m_;
    std::vector<std::shared_ptr<Registration>> registrations_;
};
