#pragma once
// A client world for the service tests: a home folder of its own (so the
// settings store starts empty), the service double on a loopback port that
// the configuration points at, a stored account, and the log captured.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/TempFolder.h"
#include "protocol/Constant.h"
#include "tools/service-double/ServiceDouble.h"

class ServiceFixture : public testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("NX_APP_HOME", home_.c_str(), 1);
        for (const char* v : {"NX_SERVICE_HOST", "NX_SERVICE_NAMESPACE", "NX_SERVICE_TIMEOUT"}) ::unsetenv(v);
        NSUserDefaults::resetStandardUserDefaults();
        pointAt(service.port());
        Constant::setUserName("13800138000");
        Constant::setUserID("1001");
        Constant::setPassword("parent-secret");
        previousSink_ = nxlog::setSink([this](const std::string& line) {
            std::lock_guard lock(logMutex_);
            log_.push_back(line);
        });
    }

    void TearDown() override
    {
        EXPECT_TRUE(NSThread::joinDetachedThreads(30));
        nxlog::setSink(previousSink_);
        service.stop();
        for (const char* v : {"NX_SERVICE_PORT", "NX_SERVICE_TIMEOUT", "NX_APP_HOME"}) ::unsetenv(v);
        NSUserDefaults::resetStandardUserDefaults();
    }

    static void pointAt(unsigned port) { ::setenv("NX_SERVICE_PORT", std::to_string(port).c_str(), 1); }
    static void shortTimeOut() { ::setenv("NX_SERVICE_TIMEOUT", "0.5", 1); }

    std::vector<std::string> log() const
    {
        std::lock_guard lock(logMutex_);
        return log_;
    }
    bool logged(const std::string& text) const
    {
        auto lines = log();
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
    }
    void clearLog()
    {
        std::lock_guard lock(logMutex_);
        log_.clear();
    }

    // The one exchange the double recorded since the test began.
    servicedouble::Exchange onlyExchange() const
    {
        auto all = service.exchanges();
        EXPECT_EQ(all.size(), 1u);
        return all.empty() ? servicedouble::Exchange{} : all.back();
    }

    servicedouble::ServiceDouble service;

private:
    TempFolder folder_;
    std::string home_ = folder_.path().str();
    mutable std::mutex logMutex_;
    std::vector<std::string> log_;
    nxlog::Sink previousSink_;
};
