#pragma once
// The family numbers of the supervised phone.

#include <memory>
#include <vector>

#include "platform/foundation/NSString.h"
#include "protocol/MessageInfo.h"
#include "protocol/Property.h"

class FamilyMessage : public NSObject {
    NX_PROPERTY(NSString, phoneNo, setPhoneNo);
    NX_PROPERTY(NSString, phoneName, setPhoneName);
    NX_PROPERTY(NSString, phoneType, setPhoneType);
    NX_PROPERTY(NSString, isDel, setIsDel);            // "0" not deleted
    NX_PROPERTY(NSString, updateTime, setUpdateTime);  // "yyyy-MM-dd HH:mm:ss"
    NX_PROPERTY(NSString, type, setType);              // "0" family number, other values school number
};

class FamilyReturnMessage : public NSObject {
    NX_PROPERTY(NSString, totalRecord, setTotalRecord);
    NX_PROPERTY(std::vector<std::shared_ptr<FamilyMessage>>, list, setList);
};

// Each request goes out from the stored user ID with the caller's BODY text
// and blocks its thread for one exchange; nil when nothing came back or
// nothing could be sent.
class Family : public NSObject {
public:
    static std::shared_ptr<Family> init() { return std::make_shared<Family>(); }

    std::shared_ptr<MessageInfo> ADFamilyPhone(const NSString& body) const;         // "ADFamilyPhone"
    std::shared_ptr<MessageInfo> DLFamilyPhone(const NSString& body) const;         // "DLFamilyPhone"
    std::shared_ptr<FamilyReturnMessage> RQFamilyPhone(const NSString& body) const;  // "RQFamilyPhone"
};
