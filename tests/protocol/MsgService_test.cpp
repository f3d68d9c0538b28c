// The message transport over real loopback HTTP against the service double.

#include "protocol/MsgService.h"

#include <atomic>
#include <condition_variable>

#include "platform/foundation/NSRunLoop.h"
#include "protocol/CrypHelper.h"
#include "protocol/Head.h"
#include "protocol/ParseXML.h"
#include "protocol/ServiceSOAP.h"
#include "tests/protocol/ServiceFixture.h"
#include "tools/testserver/TestServer.h"

using servicedouble::Fault;

namespace {

NSString homePageMessage()
{
    return Head::initWithSndr("1001", "SYS", "1", "2012-05-01 08:00:00", "RQHomePage")->toString().stringByAppendingString(
        "<BODY><UserID>PC-HOME-01</UserID></BODY></MSG>");
}

class MsgServiceTest : public ServiceFixture {};

TEST_F(MsgServiceTest, SendMessageRoundTripCarriesTheExactEnvelope)
{
    service.reply("RQHomePage", "<Code>0</Code><Desc>ok</Desc>");
    NSString msg = homePageMessage();

    NSString reply = MsgService::sendRequestOnMainThread(msg);

    auto e = onlyExchange();
    EXPECT_EQ(e.endpoint, "MsgService");
    EXPECT_EQ(e.message, msg.str());
    EXPECT_EQ(e.type, "RQHomePage");
    EXPECT_EQ(e.sender, "1001");
    EXPECT_EQ(e.headerUserName, "1001");
    EXPECT_EQ(e.headerPassword, "482915");
    ASSERT_FALSE(reply.isNil());
    EXPECT_EQ(reply.str(), e.reply);
    EXPECT_EQ(ParseXML::init()->parsecutQuick(reply)->code(), "0");

    std::string expected =
        "<?xml version='1.0' encoding='utf-8'?>"
        "<soap12:Envelope xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' "
        "xmlns:xsd='http://www.w3.org/2001/XMLSchema' xmlns:soap12='http://www.w3.org/2003/05/soap-envelope'>"
        "<soap12:Header><SecureSoapHeader xmlns='http://tempuri.org/'> <UserName>1001</UserName> "
        "<PassWord>482915</PassWord></SecureSoapHeader></soap12:Header><soap12:Body>"
        "<SendMessage xmlns='http://tempuri.org/'><p_strMsg>" +
        CrypHelper::encryptStr(msg).str() + "</p_strMsg></SendMessage></soap12:Body></soap12:Envelope>";
    EXPECT_EQ(e.request.body, expected);
    EXPECT_EQ(e.request.method, "POST");
    EXPECT_EQ(e.request.path, "/ZAZORE2.2/MsgService.asmx");
    EXPECT_EQ(e.request.headers.get("Content-Type"), "text/xml; charset=utf-8");
    EXPECT_FALSE(e.request.headers.has("SOAPAction"));
    EXPECT_TRUE(logged("sendMsg:\n " + msg.str()));
    EXPECT_TRUE(logged("receiveMsg:\n " + e.reply));
}

TEST_F(MsgServiceTest, ALongRunningDoubleKeepsOnlyItsLatestExchanges)
{
    testserver::Server::Options options;
    options.recordLimit = 2;
    servicedouble::ServiceDouble bounded(options);
    bounded.reply("RQHomePage", "<Code>0</Code>");
    pointAt(bounded.port());
    for (int i = 0; i < 5; ++i) {
        NSString msg = Head::initWithSndr(NSString(std::to_string(i)), "SYS", "1", "2012-05-01 08:00:00", "RQHomePage")
                           ->toString()
                           .stringByAppendingString("<BODY></BODY></MSG>");
        ASSERT_FALSE(MsgService::sendRequestOnMainThread(msg).isNil());
    }
    EXPECT_EQ(bounded.exchangeCount(), 5u);
    EXPECT_TRUE(bounded.waitForExchanges(5));
    auto kept = bounded.exchanges();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].sender, "3");
    EXPECT_EQ(kept[1].sender, "4");
}

TEST_F(MsgServiceTest, EveryInjectedFaultIsJudgedOnItsOwn)
{
    shortTimeOut();
    struct Case {
        const char* name;
        Fault fault;
        bool replies;  // the call returns the inner reply
    } cases[] = {
        {"closed connection", Fault::CloseConnection, false},
        {"stall past the time-out", Fault::Stall, false},
        {"HTTP 500", Fault::Http500, false},
        {"no result element", Fault::NoResultElement, false},
        {"result escaped", Fault::EscapedResult, true},
        {"bad Base64", Fault::BadBase64, false},
        {"deciphers to non-UTF-8", Fault::NotUTF8, false},
        {"response not UTF-8", Fault::NotUTF8Response, false},
        {"reply without BODY", Fault::NoBody, true},
    };
    service.reply("RQHomePage", "<Code>0</Code><Desc>ok</Desc>");
    size_t n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clearLog();
        service.fault("RQHomePage", c.fault);
        NSString reply = MsgService::sendRequestOnMainThread(homePageMessage());
        ASSERT_TRUE(service.waitForExchanges(++n));
        auto e = service.exchanges().back();
        EXPECT_EQ(e.fault, c.fault);
        EXPECT_EQ(reply.isNil(), !c.replies);
        EXPECT_EQ(logged("receiveMsg"), c.replies);
        if (c.fault == Fault::EscapedResult) {
            EXPECT_EQ(reply.str(), e.reply);
        }
        if (c.fault == Fault::NoBody) {
            EXPECT_EQ(reply.str().find("<BODY>"), std::string::npos);
            EXPECT_TRUE(ParseXML::init()->parsecutQuick(reply)->code().isNil());
        }
    }

    // Nothing listening at all.
    clearLog();
    pointAt(testserver::Server::refusedPort());
    EXPECT_TRUE(MsgService::sendRequestOnMainThread(homePageMessage()).isNil());
    EXPECT_FALSE(logged("receiveMsg"));

    // And the next exchange, with the service back, succeeds.
    pointAt(service.port());
    service.fault("RQHomePage", Fault::None);
    EXPECT_FALSE(MsgService::sendRequestOnMainThread(homePageMessage()).isNil());
}

// Two exchanges in flight at once on two worker threads, one failing: each
// returns its own outcome.
TEST_F(MsgServiceTest, TwoWorkersAtOnceOneFailing)
{
    std::mutex m;
    std::condition_variable cv;
    int arrived = 0;
    // Neither exchange is answered before both have reached the double.
    auto bothInFlight = [&] {
        std::unique_lock lock(m);
        ++arrived;
        cv.notify_all();
        return cv.wait_for(lock, std::chrono::seconds(5), [&] { return arrived >= 2; });
    };
    service.on("RQHomePage", [&](const servicedouble::Exchange& e) {
        EXPECT_TRUE(bothInFlight());
        return servicedouble::Reply{servicedouble::ServiceDouble::innerReply(e, "<Code>0</Code><Desc>ok</Desc>")};
    });
    service.on("RQCurLimit", [&](const servicedouble::Exchange&) {
        EXPECT_TRUE(bothInFlight());
        return servicedouble::Reply{"", Fault::Http500};
    });

    std::atomic<int> finished{0};
    NSString good = "unset", bad = "unset";
    auto run = [&](NSString* out, const char* type) {
        NSString msg = Head::initWithSndr("1001", "SYS", "1", "2012-05-01 08:00:00", type)->toString().stringByAppendingString(
            "<BODY><UserID>PC-HOME-01</UserID></BODY></MSG>");
        NSThread::detachNewThreadWithBlock([out, msg, &finished] {
            *out = MsgService::sendRequestOnMainThread(msg);
            ++finished;
        });
    };
    run(&good, "RQHomePage");
    run(&bad, "RQCurLimit");
    ASSERT_TRUE(NSRunLoop::mainRunLoop()->runUntil([&] { return finished == 2; }, 30));
    EXPECT_EQ(ParseXML::init()->parsecutQuick(good)->code(), "0");
    EXPECT_TRUE(bad.isNil());
    // Whatever the failing exchange left queued for the main thread changes nothing.
    NSRunLoop::mainRunLoop()->runUntil([] { return false; }, 0.05);
    EXPECT_EQ(ParseXML::init()->parsecutQuick(good)->code(), "0");
}

TEST(ServiceSOAP, ResultElementIsCutOutOrNil)
{
    struct Case {
        const char* response;
        const char* expected;  // nullptr = nil
    } cases[] = {
        {"<a><R>abc</R></a>", "abc"},
        {"&lt;R&gt;abc&lt;/R&gt;", "abc"},
        {"<R>a&amp;b</R>", "a&amp;b"},
        {"<R></R>", ""},
        {"<a>abc</R>", nullptr},
        {"<R>abc", nullptr},
        {"</R><R>", nullptr},
        {"<html>Internal error</html>", nullptr},
        {nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.response ? c.response : "nil");
        EXPECT_EQ(ServiceSOAP::resultElement(NSString(c.response), "R"), NSString(c.expected));
    }
}

TEST(ServiceSOAP, SecretsAreMaskedForTheLog)
{
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"<BODY><UserID>u</UserID><Password>p&lt;1</Password></BODY>", "<BODY><UserID>u</UserID><Password>***</Password></BODY>"},
        {"<PassWord>x</PassWord><p_strUserPasswd>y</p_strUserPasswd>", "<PassWord>***</PassWord><p_strUserPasswd>***</p_strUserPasswd>"},
        {"<Password/><Other>z</Other>", "<Password/><Other>z</Other>"},
        {"<Password>unclosed", "<Password>unclosed"},
        {"plain text", "plain text"},
    };
    for (const auto& c : cases) EXPECT_EQ(ServiceSOAP::redactedForLog(c.text), c.expected) << c.text;
}

}  // namespace
