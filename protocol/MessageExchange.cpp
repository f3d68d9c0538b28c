#include "protocol/MessageExchange.h"

#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSUserDefaults.h"
#include "protocol/Constant.h"
#include "protocol/CrypHelper.h"
#include "protocol/Head.h"
#include "protocol/MsgService.h"
#include "protocol/ServiceSOAP.h"

NSString MessageExchange::deviceId() { return NSUserDefaults::standardUserDefaults()->stringForKey("DeviceId"); }

NSString MessageExchange::message(const NSString& sndr, const NSString& type, const NSString& body)
{
    return Head::initWithSndr(sndr, "SYS", "1", Constant::currentTime(), type)->toString().stringByAppendingString(body);
}

bool MessageExchange::sendable(const NSString& sndr, const NSString& type, const NSString& body)
{
    if (!sndr.isNil() && !body.isNil()) return true;
    NX_LOG("%@ not sent: %@ is missing", type, sndr.isNil() ? NSString("the sender") : NSString("the body"));
    return false;
}

NSString MessageExchange::send(const NSString& sndr, const NSString& type, const NSString& body)
{
    if (!sendable(sndr, type, body)) return NSString();
    return MsgService::sendRequestOnMainThread(message(sndr, type, body));
}

NSString MessageExchange::sendEnciphered(const NSString& sndr, const NSString& type, const NSString& body)
{
    if (!sendable(sndr, type, body)) return NSString();
    NSString plain = message(sndr, type, body);
    NSString cipher = CrypHelper::encryptStr(plain);
    if (cipher.isNil()) return NSString();
    return MsgService::sendRequestOnMainThread(cipher, ServiceSOAP::redactedForLog(plain));
}
