#pragma once
// The home page of the supervised device: its state and today's use, the
// one-key commands (lock or unlock the screen, cut or restore the network) and
// the detail list behind each alert count.

#include <memory>

#include "platform/foundation/NSString.h"
#include "protocol/AnalysisReturnMessage.h"
#include "protocol/MessageInfo.h"
#include "protocol/Property.h"

class HomeInfoReturnMessage : public NSObject {
    NX_PROPERTY(NSString, bootTime, setBootTime);
    NX_PROPERTY(NSString, closeTime, setCloseTime);
    NX_PROPERTY(NSString, flow, setFlow);
    NX_PROPERTY(NSString, usedTime, setUsedTime);
    NX_PROPERTY(NSString, usingUrl, setUsingUrl);
    NX_PROPERTY(NSString, urlTime, setUrlTime);
    NX_PROPERTY(NSString, usingGame, setUsingGame);
    NX_PROPERTY(NSString, gameTime, setGameTime);
    NX_PROPERTY(NSString, badUrls, setBadUrls);
    NX_PROPERTY(NSString, limitUrls, setLimitUrls);
    NX_PROPERTY(NSString, limitGames, setLimitGames);
    NX_PROPERTY(NSString, isOnline, setIsOnline);
    NX_PROPERTY(NSString, networkStatus, setNetworkStatus);
    NX_PROPERTY(NSString, screenStatus, setScreenStatus);
    NX_PROPERTY(NSString, unlimited, setUnlimited);
    NX_PROPERTY(NSString, rank, setRank);
    NX_PROPERTY(NSString, info, setInfo);
    NX_PROPERTY(NSString, service, setService);
    NX_PROPERTY(NSString, picPath, setPicPath);
    NX_PROPERTY(NSString, picThumb, setPicThumb);
    NX_PROPERTY(NSString, picMiddle, setPicMiddle);
};

// One row of the detail list behind an alert count.
class HomeCurLimit : public NSObject {
    NX_PROPERTY(NSString, type, setType);
    NX_PROPERTY(NSString, name, setName);
    NX_PROPERTY(NSString, num, setNum);
};

// Each request blocks the calling (worker) thread for its exchange and returns
// nil when the exchange failed or no account or device is stored.
class HomeInfo : public NSObject {
public:
    static std::shared_ptr<HomeInfo> init() { return std::make_shared<HomeInfo>(); }

    std::shared_ptr<HomeInfoReturnMessage> homeInfo() const;
    std::shared_ptr<MessageInfo> lockQuick() const;        // "ADCmd" Type 0
    std::shared_ptr<MessageInfo> cutQuick() const;         // "ADCmd" Type 1
    std::shared_ptr<MessageInfo> cancelLockQuick() const;  // "ADCmd" Type 2
    std::shared_ptr<MessageInfo> cancelCutQuick() const;   // "ADCmd" Type 3
    // The alert kind: "0" harmful sites, "1" black-listed sites, "2" black-listed
    // programs. The rows are HomeCurLimit items.
    std::shared_ptr<AnalysisReturnMessage> homeCurlimit(const NSString& type) const;
};
