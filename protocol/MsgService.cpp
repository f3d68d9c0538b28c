#include "protocol/MsgService.h"

#include "platform/foundation/NSLog.h"
#include "protocol/Constant.h"
#include "protocol/CrypHelper.h"
#include "protocol/ServiceConfig.h"
#include "protocol/ServiceSOAP.h"
#include "protocol/XMLEscape.h"

NSString MsgService::envelope(const NSString& userID, const NSString& cipherMessage)
{
    NSString ns = ServiceConfig::serviceNamespace();
    return ServiceSOAP::envelopeHead().stringByAppendingString(NSString::stringWithFormat(
        " <UserName>%@</UserName> <PassWord>%@</PassWord></SecureSoapHeader></soap12:Header>"
        "<soap12:Body><SendMessage xmlns='%@'><p_strMsg>%@</p_strMsg></SendMessage></soap12:Body></soap12:Envelope>",
        XMLEscapedString(userID), kHeaderPassword, ns, cipherMessage));
}

NSString MsgService::sendRequestOnMainThread(const NSString& msg)
{
    return sendRequestOnMainThread(msg, ServiceSOAP::redactedForLog(msg));
}

NSString MsgService::sendRequestOnMainThread(const NSString& msg, const NSString& logText)
{
    NX_LOG("sendMsg:\n %@", logText);
    NSString cipher = CrypHelper::encryptStr(msg);
    if (cipher.isNil()) {
        NX_LOG("the message cannot be enciphered");
        return NSString();
    }

    auto request = ServiceSOAP::requestWithEnvelope(ServiceConfig::messageEndpoint(), envelope(Constant::userID(), cipher));
    request->setShouldAttemptPersistentConnection(false);
    request->setTimeOutSeconds(ServiceConfig::timeOutSeconds());
    NSString response = ServiceSOAP::responseTextOf(*request);
    if (response.isNil()) return NSString();
    NSString result = ServiceSOAP::resultElement(response, "SendMessageResult");
    if (result.isNil()) {
        NX_LOG("the response holds no SendMessageResult");
        return NSString();
    }
    NSString reply = CrypHelper::decryptStr(result);
    if (reply.isNil()) {
        NX_LOG("the reply does not decipher");
        return NSString();
    }
    NX_LOG("receiveMsg:\n %@", ServiceSOAP::redactedForLog(reply));
    return reply;
}
