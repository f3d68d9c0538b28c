#include "protocol/WebService.h"

#include "platform/foundation/NSLog.h"
#include "protocol/Body.h"
#include "protocol/Constant.h"
#include "protocol/CrypHelper.h"
#include "protocol/Head.h"
#include "protocol/MsgService.h"
#include "protocol/ServiceConfig.h"
#include "protocol/ServiceSOAP.h"
#include "protocol/XMLTree.h"

NSString LoginReturnMessage::description() const
{
    return NSString::stringWithFormat("[RetNo:%@,RetMsg:%@]", returnNumber(), returnMessage());
}

std::shared_ptr<LoginReturnMessage> parseLogin(const ParseXML&, const NSString& reply)
{
    auto record = std::make_shared<LoginReturnMessage>();
    if (reply.isNil()) return record;
    auto tree = XMLTree::initWithXMLString(reply);
    const _XMLTreeElement* root = tree->rootXMLElement();
    if (!root || !XMLTree::childElementNamed("RetNo", root)) return record;
    const std::pair<const char*, void (LoginReturnMessage::*)(NSString)> fields[] = {
        {"RetNo", &LoginReturnMessage::setReturnNumber},
        {"RetMsg", &LoginReturnMessage::setReturnMessage},
        {"TaoCan", &LoginReturnMessage::setReturnTaocan},
        {"ImgDays", &LoginReturnMessage::setReturnImgDays},
        {"RecordDays", &LoginReturnMessage::setReturnRecordDays},
        {"TaoCanDays", &LoginReturnMessage::setReturnTaoCanDays},
        {"NowDate", &LoginReturnMessage::setReturnServerDate},
        {"MobileCount", &LoginReturnMessage::setReturnMobileCount},
    };
    for (const auto& [element, set] : fields) {
        if (const _XMLTreeElement* e = XMLTree::childElementNamed(element, root)) ((*record).*set)(XMLTree::textForElement(e));
    }
    return record;
}

NSString parseEditPassword(const ParseXML& parser, const NSString& reply) { return parser.parsecutQuick(reply)->code(); }

NSString WebService::loginEnvelope(const NSString& cipherUserName, const NSString& cipherPassword,
                                   const NSString& cipherProjectID)
{
    return ServiceSOAP::envelopeHead().stringByAppendingString(NSString::stringWithFormat(
        "<UserName>%@</UserName><PassWord>%@</PassWord></SecureSoapHeader></soap12:Header>"
        "<soap12:Body><Login xmlns='%@'><p_strProjectID>%@</p_strProjectID><p_strUserName>%@</p_strUserName>"
        "<p_strUserPasswd>%@</p_strUserPasswd></Login></soap12:Body></soap12:Envelope>",
        cipherUserName, cipherPassword, ServiceConfig::serviceNamespace(), cipherProjectID, cipherUserName,
        cipherPassword));
}

NSString WebService::requestSOAP(const NSString& url, const NSString& envelope)
{
    auto request = ServiceSOAP::requestWithEnvelope(url, envelope);
    request->setShouldAttemptPersistentConnection(false);
    request->setTimeOutSeconds(ServiceConfig::timeOutSeconds());
    return ServiceSOAP::responseTextOf(*request);
}

NSString WebService::loginByUserName(const NSString& userName, const NSString& password)
{
    NSString envelope = loginEnvelope(CrypHelper::encryptStr(userName), CrypHelper::encryptStr(password),
                                      CrypHelper::encryptStr(kProjectID));
    // The envelope carries the enciphered credentials: it is never logged.
    NX_LOG("WebService login at %@", ServiceConfig::authEndpoint());
    NSString response = requestSOAP(ServiceConfig::authEndpoint(), envelope);
    if (response.isNil()) return "-3";

    // A reply that does not decipher reads as an empty record: a failed login.
    NSString plain = CrypHelper::decryptStr(ServiceSOAP::resultElement(response, "LoginResult"));
    if (plain.isNil()) NX_LOG("webservice loginByUserName: the response holds no readable LoginResult");
    auto reply = parseLogin(*ParseXML::init(), plain);
    NX_LOG("%@", reply);
    if (!(reply->returnNumber() == "0")) return "-1";

    Constant::setImgDays(reply->returnImgDays());
    Constant::setRecordDays(reply->returnRecordDays());
    Constant::setTaocanDays(reply->returnTaoCanDays());
    Constant::setServerTime(reply->returnServerDate());
    Constant::setMobileCount(reply->returnMobileCount());
    Constant::setTaoCanType(reply->returnTaocan());
    return reply->returnTaocan() == "A" ? "0" : "-2";
}

NSString WebService::editPass(const NSString& newPassword)
{
    auto body = Body::init();
    body->setPassword(newPassword);
    body->setUserId(Constant::userName());
    return editPassByPhone(body->passwordToString());
}

NSString WebService::editPassByPhone(const NSString& body)
{
    auto head = Head::initWithSndr(Constant::userName(), "SYS", "1", Constant::currentTime(), "UDPassword");
    NSString reply = MsgService::sendRequestOnMainThread(head->toString().stringByAppendingString(body));
    if (reply.isNil()) return NSString();
    return parseEditPassword(*ParseXML::init(), reply);
}
