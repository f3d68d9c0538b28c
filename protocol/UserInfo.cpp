#include "protocol/UserInfo.h"

#include "platform/foundation/NSThread.h"
#include "protocol/Constant.h"
#include "protocol/MessageExchange.h"

namespace {

// The body naming one account.
NSString userIdBody(const NSString& userId) { return MessageExchange::body("<BODY><UserID>%@</UserID></BODY></MSG>", userId); }

// Sign-up and password recovery come before any login, when no user ID may
// be stored yet: they go out with an empty sender rather than "(null)".
NSString senderBeforeLogin()
{
    NSString userID = Constant::userID();
    return userID.isNil() ? NSString("") : userID;
}

}  // namespace

std::shared_ptr<UserInfoReturnMessage> UserInfo::RQUserInfo() const
{
    NSString userID = Constant::userID();
    return MessageExchange::request(userID, "RQUserInfo", userIdBody(userID), &ParseXML::parseRQUserInfo);
}

void UserInfo::RQUserInfoNewThread() const
{
    NSString userID = Constant::userID();
    NSString reply = MessageExchange::send(userID, "RQUserInfo", userIdBody(userID));
    std::shared_ptr<UserInfoReturnMessage> record = ParseXML::init()->parseRQUserInfo(reply);
    NSThread::performBlockOnMainThread(
        [target = delegate(), selector = callbackSEL(), record] {
            if (auto receiver = target.lock()) selector.perform(receiver.get(), record);
        },
        false);
}

std::shared_ptr<UserInfoReturnMessage> UserInfo::ADUserInfo(const NSString& body) const
{
    return MessageExchange::request(senderBeforeLogin(), "ADUserInfo", body, &ParseXML::parseADUserInfo);
}

std::shared_ptr<UserInfoReturnMessage> UserInfo::RQPassword(const NSString& accountName) const
{
    return MessageExchange::request(senderBeforeLogin(), "RQPassword", userIdBody(accountName),
                                    &ParseXML::parseADUserInfo);
}

std::shared_ptr<UserInfoReturnMessage> UserInfo::UDUserInfo(const NSString& body) const
{
    return ParseXML::init()->parseUDUserInfo(MessageExchange::send(Constant::userID(), "UDUserInfo", body));
}

std::weak_ptr<NSObject> UserInfo::delegate() const
{
    std::lock_guard lock(mutex_);
    return delegate_;
}

void UserInfo::setDelegate(std::weak_ptr<NSObject> delegate)
{
    std::lock_guard lock(mutex_);
    delegate_ = std::move(delegate);
}

SEL UserInfo::callbackSEL() const
{
    std::lock_guard lock(mutex_);
    return callbackSEL_;
}

void UserInfo::setCallbackSEL(SEL selector)
{
    std::lock_guard lock(mutex_);
    callbackSEL_ = std::move(selector);
}
