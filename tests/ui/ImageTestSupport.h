#pragma once
// What the picture tests share: one home folder for the test program (the
// disk cache's folder is fixed at first use, as in the application), and a
// loopback server of pictures that counts what it was asked for.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <string>

#include "platform/testing/TempFolder.h"
#include "platform/uikit/UIImage.h"
#include "tools/service-double/CaptureImages.h"
#include "tools/testserver/TestServer.h"
#include "ui/PixCache.h"

namespace uitest {

// NX_APP_HOME for the whole program, removed at its end.
class ImageHome : public testing::Environment {
public:
    void SetUp() override
    {
        ::setenv("NX_APP_HOME", home_.c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("NX_APP_HOME");
    }

private:
    TempFolder folder_;
    std::string home_ = folder_.path().str();
};

// Every test starts with empty caches: nothing a test before it loaded answers.
inline void emptyCaches() { PixCache::currentCache()->clearCache(); }

// PNG bytes of a picture of the given pixel size, drawn here.
inline std::string pngOfSize(CGFloat width, CGFloat height)
{
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(width, height), true, 1);
    CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), 0.2, 0.5, 0.8, 1);
    CGContextFillRect(UIGraphicsGetCurrentContext(), CGRectMake(0, 0, width, height));
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    auto png = UIImagePNGRepresentation(image);
    return std::string(png->begin(), png->end());
}

// Paths: the double's "/captures/N-SIZE.png" pictures; "/notimage" (404,
// HTML); "/huge.png" (5000 x 2 pixels); "/silent" (never answers);
// "/endless" (a chunked body without end).
class ImageServer {
public:
    ImageServer()
        : huge_(pngOfSize(5000, 2)),
          server_([this](const testserver::Request& r, testserver::Connection& c) { serve(r, c); }, options())
    {
    }

    std::string url(const std::string& path) const { return server_.url(path); }
    int requestsFor(const std::string& path) const
    {
        std::lock_guard lock(m_);
        auto it = counts_.find(path);
        return it == counts_.end() ? 0 : it->second;
    }
    int requestCount() const { return static_cast<int>(server_.requestsServed()); }
    void stop() { server_.stop(); }

private:
    static testserver::Server::Options options()
    {
        testserver::Server::Options o;
        o.maxWait = testserver::Millis(20000);
        return o;
    }

    void serve(const testserver::Request& r, testserver::Connection& c)
    {
        {
            std::lock_guard lock(m_);
            ++counts_[r.path];
        }
        if (servicedouble::serveCaptureImage(r, c)) return;
        if (r.path == "/huge.png") {
            c.send(200, huge_, {{"Content-Type", "image/png"}});
        } else if (r.path == "/silent") {
            c.stall();
        } else if (r.path == "/endless") {
            testserver::Response head;
            head.status = 200;
            head.chunked = true;
            c.writeHead(head);
            const std::string chunk(65536, 'x');
            do c.writeChunk(chunk);
            while (c.flush());
        } else {
            c.send(404, "<html><body>Not found</body></html>", {{"Content-Type", "text/html"}});
        }
    }

    std::string huge_;
    mutable std::mutex m_;
    std::map<std::string, int> counts_;
    testserver::Server server_;
};

}  // namespace uitest
