#pragma once
// The black-list screen's requests: both rule lists with their categories, and
// rule adds. The messages name the device in the body and are sent for the
// login name.

#include <memory>
#include <vector>

#include "platform/foundation/NSString.h"
#include "protocol/MessageInfo.h"
#include "protocol/Property.h"

// One black-list rule with its category. A web rule fills typeId (the site),
// type (its category) and typeName; a program rule fills the others. `type` and
// `Type` are distinct: the web category, and the program rule's type that a
// delete sends back (its setter is setRuleType, as setType belongs to `type`).
class CategoryTempVO : public NSObject {
    NX_PROPERTY(NSString, typeId, setTypeId);
    NX_PROPERTY(NSString, type, setType);
    NX_PROPERTY(NSString, typeName, setTypeName);
    NX_PROPERTY(NSString, gameType, setGameType);
    NX_PROPERTY(NSString, gameName, setGameName);
    NX_PROPERTY(NSString, procName, setProcName);
    NX_PROPERTY(NSString, author, setAuthor);
    NX_PROPERTY(NSString, updateTime, setUpdateTime);
    NX_PROPERTY(NSString, Path, setPath);
    NX_PROPERTY(NSString, SHA1, setSHA1);
    NX_PROPERTY(NSString, Type, setRuleType);
};

class CategoryVO : public NSObject {
    NX_PROPERTY(NSString, totalRecord, setTotalRecord);
    NX_PROPERTY(std::vector<std::shared_ptr<CategoryTempVO>>, list, setList);
};

class Category : public NSObject {
public:
    static std::shared_ptr<Category> init() { return std::make_shared<Category>(); }

    // The web black list. The service reads no page for it, so the page number
    // is not sent. nil when the exchange failed.
    std::shared_ptr<CategoryVO> RQUrlType(int page) const;
    // One page of 20 of the program black list; an empty record when the
    // exchange failed.
    std::shared_ptr<CategoryVO> RQGameType(int page) const;
    // Adds the rule of a complete body text ("<BODY>" to "</MSG>"). RQUrlType's
    // add gives nil when the exchange failed, the program add an empty record.
    std::shared_ptr<MessageInfo> ADUrlType(const NSString& body) const;
    std::shared_ptr<MessageInfo> ADGameType(const NSString& body) const;
};
