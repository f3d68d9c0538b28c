#pragma once
// The generic reply of a command or an update: a code ("0" = success) and the
// service's description.

#include "platform/foundation/NSString.h"
#include "protocol/Property.h"

class MessageInfo : public NSObject {
    NX_PROPERTY(NSString, code, setCode);
    NX_PROPERTY(NSString, desc, setDesc);
};
