#pragma once
// Exceptions (thrown and caught by reference) and errors (returned through an
// out-parameter), as the original distinguishes them.

#include <map>
#include <memory>
#include <stdexcept>

#include "platform/foundation/NSString.h"

extern const NSString NSRangeException;
extern const NSString NSInvalidArgumentException;
extern const NSString NSInternalInconsistencyException;
extern const NSString NSGenericException;

class NSException : public std::exception {
public:
    NSException(NSString name, NSString reason, std::map<NSString, NSString> userInfo = {})
        : name_(std::move(name)), reason_(std::move(reason)), userInfo_(std::move(userInfo))
    {
        what_ = name_.str() + ": " + reason_.str();
    }

    static NSException exceptionWithName(NSString name, NSString reason, std::map<NSString, NSString> userInfo = {})
    {
        return NSException(std::move(name), std::move(reason), std::move(userInfo));
    }

    const NSString& name() const { return name_; }
    const NSString& reason() const { return reason_; }
    const std::map<NSString, NSString>& userInfo() const { return userInfo_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    NSString name_;
    NSString reason_;
    std::map<NSString, NSString> userInfo_;
    std::string what_;
};

extern const NSString NSLocalizedDescriptionKey;
extern const NSString NSUnderlyingErrorKey;

class NSError : public NSObject {
public:
    NSError(NSString domain, NSInteger code, std::map<NSString, NSString> userInfo = {})
        : domain_(std::move(domain)), code_(code), userInfo_(std::move(userInfo)) {}

    static std::shared_ptr<NSError> errorWithDomain(NSString domain, NSInteger code,
                                                    std::map<NSString, NSString> userInfo = {})
    {
        return std::make_shared<NSError>(std::move(domain), code, std::move(userInfo));
    }

    const NSString& domain() const { return domain_; }
    NSInteger code() const { return code_; }
    const std::map<NSString, NSString>& userInfo() const { return userInfo_; }
    // The user info's description, else a text naming the domain and code.
    NSString localizedDescription() const;
    NSString description() const override;

    // An underlying error (NSUnderlyingErrorKey in the original's user info).
    std::shared_ptr<NSError> underlyingError;

private:
    NSString domain_;
    NSInteger code_;
    std::map<NSString, NSString> userInfo_;
};

// Stores an error through an out-parameter that may be null.
inline void NSSetError(std::shared_ptr<NSError>* out, std::shared_ptr<NSError> error)
{
    if (out) *out = std::move(error);
}
