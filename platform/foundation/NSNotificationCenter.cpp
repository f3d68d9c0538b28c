#include "platform/foundation/NSNotificationCenter.h"

#include <algorithm>
#include <atomic>

#include "platform/foundation/NSException.h"

struct NSNotificationCenter::Registration {
    std::weak_ptr<NSObject> observer;
    const NSObject* observerIdentity = nullptr;
    SEL selector;
    Block block;
    id token;  // the centre keeps a block's token until it is removed
    NSString name;
    std::weak_ptr<NSObject> object;
    const NSObject* objectIdentity = nullptr;
    std::atomic<bool> removed{false};

    bool alive() const
    {
        return !removed && !observer.expired() && (!objectIdentity || !object.expired());
    }
    bool matches(const NSNotification& n) const
    {
        return (name.isNil() || name == n.name()) && (!objectIdentity || objectIdentity == n.object().get());
    }
};

std::shared_ptr<NSNotificationCenter> NSNotificationCenter::defaultCenter()
{
    static auto* center = new std::shared_ptr<NSNotificationCenter>(std::make_shared<NSNotificationCenter>());
    return *center;
}

void NSNotificationCenter::addObserver(NSObject* observer, SEL selector, const NSString& name, const id& object)
{
    if (!observer) return;
    auto weak = observer->weak_from_this();
    if (weak.expired())
        throw NSException(NSInvalidArgumentException, "addObserver: the observer must be owned by a shared_ptr");
    auto r = std::make_shared<Registration>();
    r->observer = weak;
    r->observerIdentity = observer;
    r->selector = std::move(selector);
    r->name = name;
    r->object = object;
    r->objectIdentity = object.get();
    std::lock_guard lock(m_);
    registrations_.push_back(std::move(r));
}

id NSNotificationCenter::addObserverForName(const NSString& name, const id& object, Block block)
{
    auto token = std::make_shared<NSObject>();
    auto r = std::make_shared<Registration>();
    r->observer = token;
    r->observerIdentity = token.get();
    r->block = std::move(block);
    r->token = token;
    r->name = name;
    r->object = object;
    r->objectIdentity = object.get();
    std::lock_guard lock(m_);
    registrations_.push_back(std::move(r));
    return token;
}

void NSNotificationCenter::removeObserver(NSObject* observer)
{
    removeObserver(observer, NSString(), nullptr);
}

void NSNotificationCenter::removeObserver(NSObject* observer, const NSString& name, const id& object)
{
    // Dropped after the lock: a block's captures may post or remove again.
    std::vector<std::shared_ptr<Registration>> removed;
    std::lock_guard lock(m_);
    auto split = std::stable_partition(registrations_.begin(), registrations_.end(), [&](const auto& r) {
        return !(r->observerIdentity == observer && (name.isNil() || r->name == name) &&
                 (!object || r->objectIdentity == object.get()));
    });
    for (auto it = split; it != registrations_.end(); ++it) {
        (*it)->removed = true;
        removed.push_back(std::move(*it));
    }
    registrations_.erase(split, registrations_.end());
}

void NSNotificationCenter::postNotification(const std::shared_ptr<NSNotification>& notification)
{
    if (!notification) return;
    std::vector<std::shared_ptr<Registration>> targets, dead;
    {
        std::lock_guard lock(m_);
        auto split = std::stable_partition(registrations_.begin(), registrations_.end(),
                                           [](const auto& r) { return r->alive(); });
        std::move(split, registrations_.end(), std::back_inserter(dead));
        registrations_.erase(split, registrations_.end());
        for (auto& r : registrations_)
            if (r->matches(*notification)) targets.push_back(r);
    }
    for (auto& r : targets) {
        if (r->removed) continue;
        if (r->block) {
            r->block(notification);
        } else if (auto observer = r->observer.lock()) {
            r->selector.perform(observer.get(), notification);
        }
    }
}

void NSNotificationCenter::postNotificationName(const NSString& name, const id& object,
                                               std::map<NSString, id> userInfo)
{
    postNotification(NSNotification::notificationWithName(name, object, std::move(userInfo)));
}
