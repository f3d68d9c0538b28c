// The location service of the map-service double: form POSTs to "/loc" on
// its own loopback port (the engine posts to the service's own host, not
// through the relay). A "bloc" field is a location query: its signature is
// checked, and a good one is answered with the position of 天安门 (map units,
// or WGS-84 degrees when the query asks for a "coor"). "cldc[i]" fields are
// uploaded cell records, each signed, acknowledged with error "0".
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tools/testserver/TestServer.h"

namespace mapdouble {

// The text a signed field carries: Base64 of the text, then characters 5 to
// 14 of the text's MD5 digest (hex). nullopt when the signature is wrong.
std::optional<std::string> verifySignedText(const std::string &field);

class LocationService {
public:
    LocationService();
    uint16_t port() const { return server_.port(); }

    // The location type answered to good queries ("161": found).
    void setResult(const std::string &code);

    // What was asked: the signed texts of the queries and uploads, and the
    // fields whose signature was wrong.
    std::vector<std::string> queries() const;
    std::vector<std::string> uploads() const;
    int badSignatures() const;

private:
    void handle(const testserver::Request &request, testserver::Connection &connection);

    mutable std::mutex mutex_;
    std::string result_ = "161";
    std::vector<std::string> queries_;
    std::vector<std::string> uploads_;
    int badSignatures_ = 0;
    testserver::Server server_;  // last: it stops before the rest goes
};

} // namespace mapdouble
