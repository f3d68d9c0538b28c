#include "protocol/CatalogueRequest.h"

#include <algorithm>

#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSUserDefaults.h"
#include "protocol/Constant.h"
#include "protocol/Head.h"
#include "protocol/MsgService.h"

NSString CatalogueRequest::deviceId() { return NSUserDefaults::standardUserDefaults()->stringForKey("DeviceId"); }

NSString CatalogueRequest::send(const NSString& sndr, const NSString& type, const NSString& body,
                                std::initializer_list<NSString> identifiers)
{
    if (sndr.isNil() || body.isNil() ||
        std::any_of(identifiers.begin(), identifiers.end(), [](const NSString& v) { return v.isNil(); })) {
        NX_LOG("%@ not sent: no account or device is stored", type);
        return NSString();
    }
    auto head = Head::initWithSndr(sndr, "SYS", "1", Constant::currentTime(), type);
    return MsgService::sendRequestOnMainThread(head->toString().stringByAppendingString(body));
}
