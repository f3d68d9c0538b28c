#include "http/NXFormDataRequest.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tools/testserver/TestServer.h"

namespace fs = std::filesystem;
using testserver::Connection;
using testserver::Request;
using testserver::Server;

namespace {

// Echoes what arrived so the test can compare the body byte for byte.
struct EchoServer {
    Request last;
    std::mutex lock;
    Server server{[this](const Request& r, Connection& c) {
        {
            std::lock_guard g(lock);
            last = r;
        }
        c.send(200, "ok");
    }};
    std::shared_ptr<NXFormDataRequest> form() { return NXFormDataRequest::requestWithURL(NSURL::URLWithString(NSString(server.url("/form")))); }
    Request received()
    {
        std::lock_guard g(lock);
        return last;
    }
};

NSData bytes(const std::string& s) { return NSData(s.begin(), s.end()); }

}  // namespace

TEST(NXFormDataRequest, URLEncodedValuesAreEscapedAndJoined)
{
    EchoServer echo;
    auto r = echo.form();
    r->addPostValue(NSString("1"), "a");
    r->addPostValue(NSString("x y:/?#[]@!$&'()*+,;=\"<>%{}|\\^~`-_."), "b");
    r->addPostValue(std::make_shared<NSBox<NSString>>(NSString("5")), "n");
    r->startSynchronous();
    ASSERT_FALSE(r->error());
    auto req = echo.received();
    EXPECT_EQ(req.method, "POST");
    EXPECT_EQ(req.headers.get("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
    EXPECT_EQ(req.body,
              "a=1&b=x%20y%3A%2F%3F%23%5B%5D%40%21%24%26%27%28%29%2A%2B%2C%3B%3D%22%3C%3E%25%7B%7D%7C%5C%5E%7E%60-_.&n=5");
}

TEST(NXFormDataRequest, SetPostValueReplacesEveryEntryOfTheKeyAndGoesLast)
{
    auto r = NXFormDataRequest::requestWithURL(NSURL::URLWithString("http://127.0.0.1/"));
    r->addPostValue(NSString("1"), "k");
    r->addPostValue(NSString("2"), "other");
    r->addPostValue(NSString("3"), "k");
    r->setPostValue(NSString("4"), "k");
    ASSERT_EQ(r->postData().size(), 2u);
    EXPECT_EQ(r->postData()[1].key, "k");
    EXPECT_EQ(r->postData()[1].value, "4");
    auto c = r->copy();
    c->addPostValue(NSString("5"), "z");
    EXPECT_EQ(r->postData().size(), 2u);
    EXPECT_EQ(c->postData().size(), 3u);
}

TEST(NXFormDataRequest, MultipartBodiesArriveByteForByte)
{
    const std::string B = "0xKhTmLbOuNdArY";
    fs::path file = fs::temp_directory_path() / ("nxform-" + std::to_string(getpid()) + ".txt");
    std::ofstream(file) << "file contents\n";
    struct Case {
        const char* name;
        std::function<void(NXFormDataRequest&)> fill;
        std::string body;
    };
    const Case cases[] = {
        {"one value", [](NXFormDataRequest& r) { r.setPostFormat(0); r.addPostValue(NSString("1"), "a"); },
         "--" + B + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--" + B + "--\r\n"},
        {"bytes only switch to multipart", [](NXFormDataRequest& r) { r.addData(bytes("xyz"), "up"); },
         "--" + B + "\r\nContent-Disposition: form-data; name=\"up\"; filename=\"file\"\r\nContent-Type: application/octet-stream\r\n\r\nxyz\r\n--" + B + "--\r\n"},
        {"value then file",
         [&](NXFormDataRequest& r) { r.addPostValue(NSString("v"), "a"); r.addFile(NSString(file.string()), "f"); },
         "--" + B + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nv\r\n--" + B +
             "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"" + file.filename().string() +
             "\"\r\nContent-Type: text/plain\r\n\r\nfile contents\n\r\n--" + B + "--\r\n"},
        {"names with CR, LF and quotes are escaped",
         [](NXFormDataRequest& r) { r.addData(bytes("d"), "x\"\r\ny.bin", "image/png", "k\"\r\n"); },
         "--" + B + "\r\nContent-Disposition: form-data; name=\"k%22%0D%0A\"; filename=\"x%22%0D%0Ay.bin\"\r\nContent-Type: image/png\r\n\r\nd\r\n--" + B + "--\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EchoServer echo;
        auto r = echo.form();
        c.fill(*r);
        r->startSynchronous();
        ASSERT_FALSE(r->error()) << r->error()->localizedDescription().str();
        auto req = echo.received();
        EXPECT_EQ(req.headers.get("Content-Type"), "multipart/form-data; charset=utf-8; boundary=" + B);
        EXPECT_EQ(req.body, c.body);
        EXPECT_EQ(r->postFormat(), 0);
    }
    fs::remove(file);
}

TEST(NXFormDataRequest, RefusesBodiesThatCannotBeSentIntact)
{
    EchoServer echo;
    auto boundary = echo.form();
    boundary->addData(bytes("evil\r\n--0xKhTmLbOuNdArY--\r\n"), "f");
    boundary->startSynchronous();
    ASSERT_TRUE(boundary->error());
    EXPECT_EQ(boundary->error()->code(), NXInternalErrorWhileBuildingRequestType);

    auto missing = echo.form();
    missing->addFile(NSString("/nonexistent/nothing.txt"), "f");
    ASSERT_TRUE(missing->error());
    EXPECT_EQ(missing->error()->localizedDescription(), "No file exists at /nonexistent/nothing.txt");
    missing->startSynchronous();
    EXPECT_EQ(echo.server.requestsServed(), 0u);
}

TEST(NXFormDataRequest, BuildingTwiceWritesTheBodyOnce)
{
    auto r = NXFormDataRequest::requestWithURL(NSURL::URLWithString("http://127.0.0.1/"));
    r->addPostValue(NSString("1"), "a");
    r->buildPostBody();
    r->buildPostBody();
    ASSERT_TRUE(r->postBody());
    EXPECT_EQ(std::string(r->postBody()->begin(), r->postBody()->end()), "a=1");
    EXPECT_EQ(r->postLength(), 3u);
}
