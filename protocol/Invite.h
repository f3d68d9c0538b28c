#pragma once
// Invitations of friends to the service.

#include <memory>
#include <vector>

#include "platform/foundation/NSString.h"
#include "protocol/MessageInfo.h"
#include "protocol/Property.h"

class InviteMessage : public NSObject {
    NX_PROPERTY(NSString, fID, setFID);      // the invited phone number
    NX_PROPERTY(NSString, fName, setFName);  // the invited person's name
    NX_PROPERTY(NSString, addTime, setAddTime);
};

class InviteReturnMessage : public NSObject {
    NX_PROPERTY(NSString, totalRecord, setTotalRecord);
    NX_PROPERTY(std::vector<std::shared_ptr<InviteMessage>>, list, setList);
};

// Each request goes out from the stored user ID with the caller's BODY text
// and blocks its thread for one exchange; nil when nothing came back or
// nothing could be sent.
class Invite : public NSObject {
public:
    static std::shared_ptr<Invite> init() { return std::make_shared<Invite>(); }

    // "ADSHF": invite a friend.
    std::shared_ptr<MessageInfo> ADShareFriend(const NSString& body) const;
    // "RQSHF": one page of the invitations sent.
    std::shared_ptr<InviteReturnMessage> RQShareFriend(const NSString& body) const;
};
