#pragma once
// A cookie as the request engine sends it: a name and a value.

#include <memory>

#include "platform/foundation/NSString.h"

class NSHTTPCookie : public NSObject {
public:
    NSHTTPCookie(NSString name, NSString value) : name_(std::move(name)), value_(std::move(value)) {}
    static std::shared_ptr<NSHTTPCookie> cookieWithName(NSString name, NSString value)
    {
        return std::make_shared<NSHTTPCookie>(std::move(name), std::move(value));
    }
    const NSString& name() const { return name_; }
    const NSString& value() const { return value_; }

private:
    NSString name_, value_;
};
