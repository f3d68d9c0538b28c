#pragma once
// The supervised device's positions and its location mode.

#include <memory>
#include <vector>

#include "platform/foundation/NSString.h"
#include "protocol/MessageInfo.h"
#include "protocol/Property.h"

// One recorded position.
class MapMessage : public NSObject {
    NX_PROPERTY(NSString, longitude, setLongitude);  // decimal degrees
    NX_PROPERTY(NSString, latitude, setLatitude);    // decimal degrees
    NX_PROPERTY(NSString, address, setAddress);
    NX_PROPERTY(NSString, updateTime, setUpdateTime);  // "yyyy-MM-dd HH:mm:ss"
};

class MapReturnMessage : public NSObject {
    NX_PROPERTY(std::vector<std::shared_ptr<MapMessage>>, list, setList);
};

// The location mode: type "4" on, any other value off.
class MapCmdMessage : public NSObject {
    NX_PROPERTY(NSString, sttm, setSttm);
    NX_PROPERTY(NSString, type, setType);
};

// Each request goes out from the stored user ID and blocks its thread for one
// exchange; nil when nothing came back or nothing could be sent.
class Map : public NSObject {
public:
    static std::shared_ptr<Map> init() { return std::make_shared<Map>(); }

    // "ADCmd" for the chosen device ("DeviceId") with this Type: "4" switches
    // the location mode on, "5" off.
    std::shared_ptr<MessageInfo> AdCmd(const NSString& type) const;
    // "RQLocation" with the caller's BODY text: the positions of a day.
    std::shared_ptr<MapReturnMessage> RQLocation(const NSString& body) const;
    // "ADLocation" with the caller's BODY text.
    std::shared_ptr<MessageInfo> ADLocation(const NSString& body) const;
    // "RQCmdLocation" with the caller's BODY text: the location mode.
    std::shared_ptr<MapCmdMessage> RQCmdLocation(const NSString& body) const;
};
