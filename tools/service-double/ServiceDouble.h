#pragma once
// A stand-in for the supervision service on 127.0.0.1: a SOAP 1.2 server with
// the message, authentication and file endpoints, speaking the client's
// cipher. It deciphers each inner message, dispatches on the header's TYPE
// ("Login" for the authentication endpoint, "FileUpLoad" for the file
// endpoint), answers with what the script for that TYPE returns, enciphered,
// and records every exchange. Tests script replies and inject faults per TYPE;
// the standalone program serves the demo account (DemoAccount.h).
// GETs of capture pictures are answered with generated images (CaptureImages.h),
// the chart server's pie queries with drawn charts (ChartImages.h), recorded
// as exchanges of the endpoint "PieServlet".

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "tools/testserver/TestServer.h"

namespace servicedouble {

enum class Fault {
    None,
    CloseConnection,  // the request is read, then the connection is closed without an answer
    Stall,            // the request is read, then nothing is sent until the double stops
    Http500,          // a SOAP fault with status 500
    NoResultElement,  // status 200, but the response element holds no result element
    EscapedResult,    // the result element written with "&lt;" and "&gt;" (still a good reply)
    BadBase64,        // the result is not Base64
    NotUTF8,          // the result deciphers to bytes that are not UTF-8
    NoBody,           // the inner reply has its HEAD but no BODY
    NotUTF8Response,  // the HTTP body, declared UTF-8, holds bytes that are not UTF-8
};

// One exchange as the double saw it. Empty strings stand for absent values.
struct Exchange {
    std::string endpoint;       // "MsgService", "AuthService", "FileService" or "PieServlet"
    std::string headerUserName; // SecureSoapHeader/UserName as sent
    std::string headerPassword; // SecureSoapHeader/PassWord as sent
    std::string type;           // the inner TYPE; "Login" on the authentication endpoint
    std::string sender;         // the inner SNDR
    std::string message;        // the inner message, deciphered (as carried on the file endpoint)
    bool encipheredTwice = false;  // the message came enciphered by its sender as well ("ADManageUser")
    std::string projectID, userName, password;  // Login only: the three values, deciphered
    std::string reply;          // the plain reply sent (before a fault altered it); empty when none
    Fault fault = Fault::None;  // the fault applied
    testserver::Request request;
};

// What a script answers: the plain inner reply (a login document on the
// authentication endpoint) and, optionally, a fault.
struct Reply {
    std::string inner;
    Fault fault = Fault::None;
};

class ServiceDouble {
public:
    using Script = std::function<Reply(const Exchange&)>;

    // The most exchanges (and server requests) kept, whatever the options ask.
    static constexpr size_t kRecordLimit = 4096;

    // Starts serving at once on an ephemeral loopback port. Options::recordLimit
    // (at most kRecordLimit) bounds both the server's and the double's record
    // of exchanges, so a long run stays flat.
    explicit ServiceDouble(testserver::Server::Options options = {});
    ~ServiceDouble();
    ServiceDouble(const ServiceDouble&) = delete;
    ServiceDouble& operator=(const ServiceDouble&) = delete;

    uint16_t port() const { return server_.port(); }
    // Stops serving; later connections are refused. Idempotent. Replies held
    // back are let go first.
    void stop();

    // The script for a TYPE, replacing any earlier one.
    void on(const std::string& type, Script script);
    // The script for a TYPE now; empty when there is none. A script that
    // answers some messages of a TYPE hands the others to the one it replaces.
    Script script(const std::string& type) const;
    // A fixed reply for a TYPE: the inner reply with that BODY content.
    void reply(const std::string& type, const std::string& bodyContent);
    // A fixed login document for the authentication endpoint.
    void replyLogin(const std::vector<std::pair<std::string, std::string>>& fields);
    // A fault for every exchange of the TYPE ("" for every exchange), over
    // what the script says; Fault::None removes it.
    void fault(const std::string& type, Fault fault);

    // Holds back the next reply of a TYPE: that exchange is answered by its
    // script and recorded as it comes (so the reply is the one of that moment),
    // then waits until release() of the TYPE, or stop(), before it is sent.
    // Later exchanges of the TYPE are answered at once.
    void hold(const std::string& type);
    void release(const std::string& type);
    // Waits until the held reply of the TYPE is waiting; false on time-out.
    bool waitForHeld(const std::string& type, testserver::Millis timeout = testserver::Millis{5000}) const;

    // The exchanges, oldest first (the latest recordLimit of them).
    std::vector<Exchange> exchanges() const;
    // Every exchange so far, also those no longer kept.
    size_t exchangeCount() const;
    // Waits until n exchanges are recorded or the time passes; false on time-out.
    bool waitForExchanges(size_t n, testserver::Millis timeout = testserver::Millis{5000}) const;

    // "<?xml ...?><MSG><HEAD>...</HEAD><BODY>content</BODY></MSG>", its HEAD
    // answering the request's sender and TYPE.
    static std::string innerReply(const Exchange& request, const std::string& bodyContent);
    // A login document: the fields as elements under one root, in order.
    static std::string loginDocument(const std::vector<std::pair<std::string, std::string>>& fields);
    // The local time as "yyyy-MM-dd HH:mm:ss", on the process's clock: the
    // virtual one of a test, so that the double's days are the client's.
    static std::string now();
    // That many days before now, as "yyyy-MM-dd".
    static std::string daysAgo(int days);

private:
    void handle(const testserver::Request& request, testserver::Connection& connection);
    void record(Exchange exchange);
    // Returns at once, or when the reply held back is released.
    void waitWhileHeld(const std::string& type);

    mutable std::mutex mutex_;
    mutable std::condition_variable recorded_;
    std::map<std::string, Script> scripts_;
    std::map<std::string, Fault> faults_;
    std::map<std::string, bool> held_;  // TYPEs whose next reply is held back: whether it waits
    bool letGo_ = false;                  // stopping: nothing is held any more
    mutable std::condition_variable released_;
    const size_t recordLimit_;
    size_t exchangeCount_ = 0;
    std::deque<Exchange> exchanges_;
    testserver::Server server_;  // last: stopped (and its threads joined) before the rest goes
};

}  // namespace servicedouble
