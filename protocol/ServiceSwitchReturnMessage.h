#pragma once
// The service switches of a supervised PC: read from the service, edited by the
// screens and written back.

#include "platform/foundation/NSString.h"
#include "protocol/Property.h"

class ServiceSwitchReturnMessage : public NSObject {
    NX_PROPERTY(NSString, protection, setProtection);
    NX_PROPERTY(NSString, urlLimit, setUrlLimit);
    NX_PROPERTY(NSString, gameLimit, setGameLimit);
    NX_PROPERTY(NSString, cares, setCares);
    NX_PROPERTY(NSString, screenShot, setScreenShot);
    NX_PROPERTY(NSString, code, setCode);
    NX_PROPERTY(NSString, desc, setDesc);
    NX_PROPERTY(NSString, caressEnabled, setCaressEnabled);
};
