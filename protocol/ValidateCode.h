#pragma once
// Asks the service to send a validation code to a phone during sign-up.

#include <memory>

#include "platform/foundation/NSString.h"
#include "protocol/MessageInfo.h"

class ValidateCode : public NSObject {
public:
    static std::shared_ptr<ValidateCode> init() { return std::make_shared<ValidateCode>(); }

    // Sends "RQValidateCode" with the phone number as sender and the caller's
    // body ("<BODY>" to "</BODY></MSG>"); the reply's Code and Desc, or
    // nullptr when no reply came.
    std::shared_ptr<MessageInfo> RQValidateCode(const NSString& body, const NSString& sndr) const;
};
