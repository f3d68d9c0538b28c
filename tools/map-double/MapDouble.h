// The map-service double: answers the engine's relay requests on 127.0.0.1
// (tools/testserver/RelayServer) by dispatching each decoded URL to the
// services registered with it. Answers are made once per URL and kept by the
// relay, so the engine's parallel ranged requests see identical bytes.
//
// Each kind of service lives in a file of its own and registers itself with
// add<Kind>Service (tiles: TileService.cpp); search, routes, positioning,
// offline packages and real-data tiles join the same way.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tools/testserver/RelayServer.h"

namespace mapdouble {

using Resource = testserver::RelayServer::Resource;

// A request URL taken apart: the part before "?" and the query values
// (percent-decoded).
struct Query {
    std::string url;
    std::string base;
    std::map<std::string, std::string> values;

    static Query parse(const std::string &url);
    // The value, or "" when absent.
    std::string get(const std::string &name) const;
    bool has(const std::string &name) const { return values.count(name) != 0; }
};

// A scripted misbehaviour, applied to the next answer made.
struct Fault {
    enum class Kind {
        MissingTile,    // the tile's entry is marked missing
        EmptyTile,      // the tile's entry has size 0
        CorruptTile,    // the tile's bytes are not an image
        OversizedPack,  // the pack is longer than the engine's reply buffer
        CountTooLarge,  // the header claims 41 tiles
        HeaderTooShort, // the header length leaves no room for the table
        OffsetPastEnd,  // the tile's offset points past the pack
        PatchWord,      // the 32-bit word at byte `after` of the pack becomes `value`
        Delay,          // the answer waits millis first
        DropMidBody,    // the connection closes after `after` body bytes, `drops` times (-1: always)
        Gateway,        // a gateway page first, then the answer
        SlowLink,       // the body comes in pieces of `after` bytes, millis apart
        Refused,        // status 404
        // Search answers (SearchService.cpp):
        EmptyBody,      // 200 with no body (searches and tile packs)
        NotJson,        // a body that is not JSON
        TruncatedBody,  // the JSON cut in half
        OversizedBody,  // a body longer than the engine's search buffer
        Stall,          // the answer waits millis (longer than the engine waits)
        ReplaceBody     // the body becomes `text`
    };
    Kind kind;
    int tile = 0;
    int millis = 0;
    size_t after = 0;
    int drops = 1;
    int value = 0;
    std::string text = {};
};

// What the double was asked: one entry per answer made.
struct LoggedRequest {
    std::string service;  // "tile", ...
    std::string url;
    std::string type;     // the "type" (tiles) or "qt" value
    int level = -1;
    std::vector<std::string> keys;
};

class MapDouble {
public:
    // How many of the latest requests the log, and the relay's keys and
    // ranges, keep by default: a long run stays flat.
    static constexpr size_t kRecordLimit = 4096;

    // A service answers the queries it recognises and leaves the rest
    // (nullopt) to the next one.
    using Service = std::function<std::optional<Resource>(const Query &, MapDouble &)>;

    // Starts the relay with every built-in service. A run that must reach its
    // steady state early (a soak) keeps fewer records and made answers.
    explicit MapDouble(size_t recordLimit = kRecordLimit,
                       size_t answerLimit = testserver::RelayServer::kProvidedLimit);
    MapDouble(const MapDouble &) = delete;
    MapDouble &operator=(const MapDouble &) = delete;

    uint16_t port() const { return relay_.port(); }
    testserver::RelayServer &relay() { return relay_; }

    // The double goes down as a host does (clients are refused) and comes
    // back on the same port; what it was asked and its script stay.
    void stop() { relay_.stop(); }
    void restart() { relay_.restart(); }

    // The offline service publishes its data again: every version it
    // announces is one higher than before.
    void publishOfflineRelease();
    // Releases since the demo data's own (0).
    int offlineRelease() const { return offlineRelease_.load(); }

    // Tile packs are answered with the redirect status (301, 302, 307, ...)
    // pointing at the same pack under another of the double's URLs (the
    // query followed by "&moved=1"), which is answered as a pack; 0 answers
    // them in place again. Answers the relay keeps stay as they were made.
    void redirectTilePacks(int status) { tileRedirect_ = status; }
    int tileRedirect() const { return tileRedirect_.load(); }
    // Answers of the kind (the type they are logged with: "taskcity",
    // "taskcity-list", a search's "qt", a tile kind) made from now on wait
    // until release(kind), so a test decides when each arrives.
    void holdAnswers(const std::string &type);
    // The held answers of the kind go, and that kind is held no more.
    void release(const std::string &type);

    void addService(Service service);
    // A service asked before all the others (a mode that replaces answers).
    void addServiceFirst(Service service);
    void pushFault(Fault fault);
    // The next scripted fault, taken off the script.
    std::optional<Fault> takeFault();
    void record(LoggedRequest entry);
    // The latest recordLimit entries, oldest first.
    std::vector<LoggedRequest> log() const;

private:
    std::optional<Resource> answer(const std::string &url);

    const size_t recordLimit_;
    mutable std::mutex mutex_;
    std::vector<Service> services_;
    std::deque<Fault> faults_;
    std::deque<LoggedRequest> log_;
    std::atomic<int> offlineRelease_{0};
    std::atomic<int> tileRedirect_{0};
    std::map<std::string, std::shared_ptr<std::atomic<bool>>> held_;  // kind -> its gate
    testserver::RelayServer relay_;  // last: it stops before the rest goes
};

// Applies the answer-level faults (delay, drop, gateway, refusal) to a
// resource; the tile-level faults are the service's.
void applyTransportFault(const Fault &fault, Resource &resource);
// A search service's answer: the JavaScript body with the next queued fault
// applied (body faults, stall, transport), recorded as a search of its kind.
Resource searchReply(MapDouble &self, const Query &query, const std::string &body, const std::string &kind);

// Registers the tile service (TileService.cpp).
void addTileService(MapDouble &double_);
// Registers the POI background service (PoiBkgService.cpp).
void addPoiBkgService(MapDouble &double_);
// Switches map and satellite tiles to the real-data mode: drawn from real
// geography (RealTileService.cpp); other tiles keep their test patterns.
// False when the geography packages are not installed.
bool addRealDataTileService(MapDouble &double_);
// Registers the search and route service (SearchService.cpp).
void addSearchService(MapDouble &double_);
// Registers reverse geocoding anywhere in central Beijing, asked before the
// search service (StreetAddressService.cpp).
void addStreetAddressService(MapDouble &double_);
// Requests the relay received for a search kind (the "qt" value; "su" for
// suggestions), every range counted.
int searchRequests(MapDouble &double_, const std::string &qt);
// Registers the offline versions, task lists and data files (OfflineService.cpp).
void addOfflineService(MapDouble &double_);

} // namespace mapdouble
