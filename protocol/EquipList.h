#pragma once
// The account's supervised devices: the list, binding, adding, removing,
// renaming and changing a device's identifier.

#include <memory>
#include <vector>

#include "platform/foundation/NSString.h"
#include "protocol/MessageInfo.h"
#include "protocol/Property.h"

// One device of the account.
class EquipTempVO : public NSObject {
    NX_PROPERTY(NSString, userID, setUserID);        // the account the device is supervised under
    NX_PROPERTY(NSString, typeName, setTypeName);    // the device identifier (BID)
    NX_PROPERTY(NSString, typeNick, setTypeNick);    // nickname
    NX_PROPERTY(NSString, isOnline, setIsOnline);    // "1" online
    NX_PROPERTY(NSString, taoCan, setTaoCan);        // package code; "A" a package in force
    NX_PROPERTY(NSString, equipType, setEquipType);  // "PC" or a phone kind
    NX_PROPERTY(NSString, managerType, setManagerType);  // "Home" or "School"
};

// The device list.
class EquipVO : public NSObject {
    NX_PROPERTY(std::vector<std::shared_ptr<EquipTempVO>>, list, setList);
};

class EquipList : public NSObject {
    // The user ID the device updates (remove, rename, new identifier) are
    // sent under; nil: the stored one. A device of another row is updated
    // under its own ID without touching the stored ID that every other
    // request is sent under.
    NX_PROPERTY(NSString, signingUserID, setSigningUserID);

public:
    static std::shared_ptr<EquipList> init() { return std::make_shared<EquipList>(); }

    // Each blocks its thread for one exchange and answers nil when nothing
    // came back (or nothing could be sent: no login name or user ID stored, or
    // a nil argument).

    // "RQManageUser" for the login name: the account's devices.
    std::shared_ptr<EquipVO> RQEquipList() const;
    // "ADCmd" Type 6 from the login name: bind the device with this BID.
    std::shared_ptr<MessageInfo> RQBindEquip(const NSString& bid) const;
    // "ADManageUser" from the login name with the caller's BODY text; the
    // message is enciphered here before the transport enciphers it again.
    std::shared_ptr<MessageInfo> RQAddEquip(const NSString& body) const;
    // "DLManageUser": remove the device with this BID.
    std::shared_ptr<MessageInfo> RQDELdevice(const NSString& bid) const;
    // "UDManageUser" with the caller's BODY text (a new nickname).
    std::shared_ptr<MessageInfo> RQEditEquipNick(const NSString& body) const;
    // "UDEquip" with the caller's BODY text (a new identifier).
    std::shared_ptr<MessageInfo> UDEquip(const NSString& body) const;

private:
    NSString sender() const;
};
