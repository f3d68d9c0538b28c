#pragma once
// One program rule: an item of a rule-list read and the input of an add or a delete.

#include <memory>

#include "platform/foundation/NSString.h"
#include "protocol/Property.h"

class UserGameRuleMessage : public NSObject {
    NX_PROPERTY(NSString, gameName, setGameName);
    NX_PROPERTY(NSString, procName, setProcName);
    NX_PROPERTY(NSString, author, setAuthor);
    NX_PROPERTY(NSString, updateTime, setUpdateTime);
    NX_PROPERTY(NSString, Path, setPath);
    NX_PROPERTY(NSString, SHA1, setSHA1);
    NX_PROPERTY(NSString, Type, setType);
};
