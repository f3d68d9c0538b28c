#pragma once
// The session heartbeat.

#include "platform/foundation/NSString.h"

class KeepAlive : public NSObject {
public:
    // Sends "keepAlive" for the stored login name; the reply's BODY/Desc, or
    // "null" when no reply came or it holds no Desc.
    static NSString keepAlive();
};
