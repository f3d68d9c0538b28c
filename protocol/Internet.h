#pragma once
// The records of the supervised PC: web sites (Internet) and programs (Game)
// visited on one day page by page, their rankings and the allowance history.
// Internet also carries the two deletions of the black-list screen.

#include <memory>
#include <vector>

#include "platform/foundation/NSString.h"
#include "protocol/Body.h"
#include "protocol/Property.h"
#include "protocol/UserRule.h"

// One web record. Which fields a reply fills depends on its kind: a day's
// records fill url to path, the allowance history dataDate, allowed and limit.
class InternetMessage : public NSObject {
public:
    // Larger visit counts first.
    NSComparisonResult compareNum(const InternetMessage& other) const;

    NX_PROPERTY(NSString, url, setUrl);
    NX_PROPERTY(NSString, count, setCount);
    NX_PROPERTY(NSString, allowed, setAllowed);
    NX_PROPERTY(NSString, dataDate, setDataDate);
    NX_PROPERTY(NSString, limit, setLimit);
    NX_PROPERTY(NSString, visitedTime, setVisitedTime);
    NX_PROPERTY(NSString, type, setType);
    NX_PROPERTY(NSString, name, setName);
    NX_PROPERTY(NSString, path, setPath);
};

class InternetReturnMessage : public NSObject {
    NX_PROPERTY(NSString, totalRecord, setTotalRecord);
    NX_PROPERTY(std::vector<std::shared_ptr<InternetMessage>>, list, setList);
};

// One program record. The program's path arrives twice: "Path" (a picture of
// the record) into path and "Path1" (the file on the PC) into softPath.
class GameMessage : public NSObject {
public:
    // Larger use counts first.
    NSComparisonResult compareNum(const GameMessage& other) const;

    NX_PROPERTY(NSString, gameName, setGameName);
    NX_PROPERTY(NSString, allowed, setAllowed);
    NX_PROPERTY(NSString, number, setNumber);
    NX_PROPERTY(NSString, visitedTime, setVisitedTime);
    NX_PROPERTY(NSString, procName, setProcName);
    NX_PROPERTY(NSString, author, setAuthor);
    NX_PROPERTY(NSString, limit, setLimit);
    NX_PROPERTY(NSString, dataDate, setDataDate);
    NX_PROPERTY(NSString, type, setType);
    NX_PROPERTY(NSString, path, setPath);
    NX_PROPERTY(NSString, softPath, setSoftPath);
    NX_PROPERTY(NSString, SHA1, setSHA1);
};

class GameReturnMessage : public NSObject {
    NX_PROPERTY(NSString, totalRecord, setTotalRecord);
    NX_PROPERTY(std::vector<std::shared_ptr<GameMessage>>, list, setList);
};

// Each request blocks the calling (worker) thread for its exchange and returns
// nil when the exchange failed or no account or device is stored.
class Internet : public NSObject {
public:
    static std::shared_ptr<Internet> init() { return std::make_shared<Internet>(); }

    // A page of the day's records; sets the Body's allowed to "2" and its BID to
    // the stored device first (the Body carries dataDate, pageIndex, pageSize).
    std::shared_ptr<InternetReturnMessage> RQUrlAccess(const std::shared_ptr<Body>& body) const;
    // The ranking of the Body's day and page.
    std::shared_ptr<InternetReturnMessage> RQUrlBrowse(const std::shared_ptr<Body>& body) const;
    // The allowance history of the last 30 days.
    std::shared_ptr<InternetReturnMessage> RQUrlAllow() const;
    // The allowed records of the day, `page` of 20 (the list's load-more asks
    // for the following pages).
    std::shared_ptr<InternetReturnMessage> RQUrlBrowseByType(const NSString& day, long page = 1) const;

    // Black-list deletions of a complete body text ("<BODY>" to "</MSG>"):
    // code and desc of the reply.
    std::shared_ptr<UserUrlRuleReturnMessage> DLUrlByType(const NSString& body) const;
    std::shared_ptr<UserUrlRuleReturnMessage> DLGameByType(const NSString& body) const;
};

// The program twins of Internet's record requests.
class Game : public NSObject {
public:
    static std::shared_ptr<Game> init() { return std::make_shared<Game>(); }

    std::shared_ptr<GameReturnMessage> RQGameAccess(const std::shared_ptr<Body>& body) const;
    std::shared_ptr<GameReturnMessage> RQGameBrowse(const std::shared_ptr<Body>& body) const;
    std::shared_ptr<GameReturnMessage> RQGameAllow() const;
    std::shared_ptr<GameReturnMessage> RQGameBrowseByType(const NSString& day, long page = 1) const;
};
