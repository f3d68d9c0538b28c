#pragma once
// The parent's account: its information, sign-up, password recovery and
// changed account information.

#include <memory>
#include <mutex>

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"
#include "protocol/Property.h"

// The account information, or the result of an account command (then only
// code and desc are set).
class UserInfoReturnMessage : public NSObject {
    NX_PROPERTY(NSString, userId, setUserId);
    NX_PROPERTY(NSString, userName, setUserName);
    NX_PROPERTY(NSString, email, setEmail);
    NX_PROPERTY(NSString, qq, setQq);
    NX_PROPERTY(NSString, taocan, setTaocan);          // package code
    NX_PROPERTY(NSString, taocanleft, setTaocanleft);  // days left in the package
    NX_PROPERTY(NSString, recordTime, setRecordTime);
    NX_PROPERTY(NSString, spaceTotal, setSpaceTotal);
    NX_PROPERTY(NSString, spaceUsed, setSpaceUsed);
    NX_PROPERTY(NSString, accountBalance, setAccountBalance);
    NX_PROPERTY(NSString, regTime, setRegTime);
    NX_PROPERTY(NSString, loginTime, setLoginTime);
    NX_PROPERTY(NSString, captureInterval, setCaptureInterval);
    NX_PROPERTY(NSString, phone, setPhone);
    NX_PROPERTY(NSString, verified, setVerified);
    NX_PROPERTY(NSString, heartTime, setHeartTime);
    NX_PROPERTY(NSString, remoteIp, setRemoteIp);
    NX_PROPERTY(NSString, ver, setVer);
    NX_PROPERTY(NSString, desc, setDesc);
    NX_PROPERTY(NSString, code, setCode);  // "0" success
};

class UserInfo : public NSObject {
public:
    static std::shared_ptr<UserInfo> init() { return std::make_shared<UserInfo>(); }

    // "RQUserInfo" for the stored user ID; nil when nothing came back or no
    // user ID is stored.
    std::shared_ptr<UserInfoReturnMessage> RQUserInfo() const;
    // The same exchange, meant as the body of a worker thread: the record (an
    // empty one when nothing came back) goes to callbackSEL of the delegate
    // on the main thread, without waiting. A delegate gone by then, or an
    // empty selector, is skipped.
    void RQUserInfoNewThread() const;
    // "ADUserInfo" (sign-up) with the caller's BODY text; code and desc, nil
    // when nothing came back. Sent also before any login.
    std::shared_ptr<UserInfoReturnMessage> ADUserInfo(const NSString& body) const;
    // "RQPassword": ask the service to send the account's password; code and
    // desc, nil when nothing came back. Sent also before any login.
    std::shared_ptr<UserInfoReturnMessage> RQPassword(const NSString& accountName) const;
    // "UDUserInfo" with the caller's BODY text; code and desc, or an empty
    // record when nothing came back or nothing could be sent.
    std::shared_ptr<UserInfoReturnMessage> UDUserInfo(const NSString& body) const;

    // Not retained.
    std::weak_ptr<NSObject> delegate() const;
    void setDelegate(std::weak_ptr<NSObject> delegate);
    SEL callbackSEL() const;
    void setCallbackSEL(SEL selector);

private:
    mutable std::mutex mutex_;
    std::weak_ptr<NSObject> delegate_;
    SEL callbackSEL_;
};
