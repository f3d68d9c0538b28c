// The engine keeps class-wide state (session cookies and credentials, the
// shared cookie store, the bandwidth limit). Each test starts without what an
// earlier one in the same process left there.

#include <gtest/gtest.h>

#include "http/NXHTTPRequest.h"
#include "platform/cfnetwork/NSHTTPCookie.h"

namespace {

class ForgetSharedState : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        NXHTTPRequest::clearSession();
        auto store = NSHTTPCookieStorage::sharedHTTPCookieStorage();
        for (const auto& cookie : store->cookies()) store->deleteCookie(cookie);
        NXHTTPRequest::setMaxBandwidthPerSecond(0);
    }
};

const bool registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ForgetSharedState);
    return true;
}();

}  // namespace
