#include "mapsdk/VIZShape.h"

NSString VIZShape::title() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return _title;
}

NSString VIZShape::subtitle() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return _subtitle;
}

void VIZShape::setTitle(const NSString& title)
{
    std::lock_guard<std::mutex> guard(lock_);
    _title = title;
}

void VIZShape::setSubtitle(const NSString& subtitle)
{
    std::lock_guard<std::mutex> guard(lock_);
    _subtitle = subtitle;
}
