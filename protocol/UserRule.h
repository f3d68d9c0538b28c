#pragma once
// Black-list rules added from a plain list (the add-site and add-program
// screens and the add-to-black-list actions of the record lists), with their
// reads and deletes, and the rule replies shared with the black-list screen.

#include <memory>
#include <vector>

#include "platform/foundation/NSString.h"
#include "protocol/Body.h"
#include "protocol/Property.h"
#include "protocol/UserGameRuleMessage.h"
#include "protocol/WeakDelegateHolder.h"

// A web rule read (the account's sites) or the result of a rule change.
class UserUrlRuleReturnMessage : public NSObject {
    NX_PROPERTY(NSString, userID, setUserID);
    NX_PROPERTY(NSString, updateTime, setUpdateTime);
    NX_PROPERTY(std::vector<NSString>, urlList, setUrlList);
    NX_PROPERTY(NSString, code, setCode);
    NX_PROPERTY(NSString, desc, setDesc);
};

// A program rule read or the result of a rule change.
class UserGameRuleReturnMessage : public NSObject {
    NX_PROPERTY(std::vector<std::shared_ptr<UserGameRuleMessage>>, list, setList);
    NX_PROPERTY(NSString, totalRecord, setTotalRecord);
    NX_PROPERTY(NSString, code, setCode);
    NX_PROPERTY(NSString, desc, setDesc);
};

class UserUrlRuleDelegate {
public:
    virtual ~UserUrlRuleDelegate() = default;
    // The web rule read, on the main thread; nil when the exchange failed.
    virtual void downloadFinished(std::shared_ptr<UserUrlRuleReturnMessage> result) = 0;
};

class UserGameRuleDelegate {
public:
    virtual ~UserGameRuleDelegate() = default;
    // The program rule read, on the main thread; nil when the exchange failed.
    virtual void downloadFinished(std::shared_ptr<UserGameRuleReturnMessage> result) = 0;
};

class UserUrlRule : public NSObject, public WeakDelegateHolder<UserUrlRuleDelegate> {
public:
    static std::shared_ptr<UserUrlRule> init() { return std::make_shared<UserUrlRule>(); }

    // Reads the account's web rules of the type and hands them to the delegate
    // on the main thread, waiting until it has run.
    void RQUrlRuleSelf(const NSString& urlType) const;
    // Adds or deletes the sites; an empty record (code nil) when the exchange failed.
    std::shared_ptr<UserUrlRuleReturnMessage> ADUrlRuleSelf(const std::vector<NSString>& sites) const;
    std::shared_ptr<UserUrlRuleReturnMessage> DLUrlRuleSelf(const std::vector<NSString>& sites) const;
};

class UserGameRule : public NSObject, public WeakDelegateHolder<UserGameRuleDelegate> {
public:
    static std::shared_ptr<UserGameRule> init() { return std::make_shared<UserGameRule>(); }

    // Reads the program rules of the Body's gameType, pageIndex and pageSize and
    // hands them to the delegate on the main thread without waiting.
    void RQGameRuleSelf(const std::shared_ptr<Body>& body) const;
    // Adds or deletes the programs; an empty record (code nil) when the exchange failed.
    std::shared_ptr<UserGameRuleReturnMessage> ADGameRuleSelf(
        const std::vector<std::shared_ptr<UserGameRuleMessage>>& rules) const;
    std::shared_ptr<UserGameRuleReturnMessage> DLGameRuleSelf(
        const std::vector<std::shared_ptr<UserGameRuleMessage>>& rules) const;
};
