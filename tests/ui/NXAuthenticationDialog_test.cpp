// The authentication dialog: shown on the main thread for a challenge nothing
// else answers, one at a time, its credentials handed to every waiting
// request for the same place; cancel fails those only; headless there is none.

#include <gtest/gtest.h>

#include "http/NXHTTPRequest.h"
#include "platform/foundation/NSThread.h"
#include "platform/testing/NXUITestDriver.h"
#include "tests/http/ForgetCredentials.h"
#include "tools/snapshot/Snapshot.h"
#include "tools/testserver/AuthenticatingProxy.h"
#include "ui/NXAuthenticationDialog.h"

using testserver::AuthenticatingProxy;
using testserver::Connection;
using testserver::Request;
using testserver::Server;

namespace {

class NXAuthenticationDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        forgetCredentials();
        NXAuthenticationDialog::install();
    }
    void TearDown() override
    {
        // No dialog may outlive its test.
        while (auto d = NXAuthenticationDialog::currentDialog()) d->cancelAuthenticationFromDialog();
        driver.pumpUntil([] { return false; }, 0.05);
        EXPECT_TRUE(NSThread::joinDetachedThreads(10));
        forgetCredentials();
    }

    std::shared_ptr<NXHTTPRequest> through(AuthenticatingProxy& proxy, const std::string& url)
    {
        auto r = NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(url)));
        r->setProxyHost("127.0.0.1");
        r->setProxyPort(proxy.port());
        return r;
    }

    // Starts the request and waits until the dialog shows or holds it.
    void startAndAwaitDialog(const std::shared_ptr<NXHTTPRequest>& r, size_t waitingAfter = 0)
    {
        r->startAsynchronous();
        ASSERT_TRUE(driver.pumpUntil([&] {
            auto d = NXAuthenticationDialog::currentDialog();
            return d && (d->request() == r || NXAuthenticationDialog::waitingRequests().size() == waitingAfter);
        }));
    }

    bool finished(std::initializer_list<std::shared_ptr<NXHTTPRequest>> requests)
    {
        return driver.pumpUntil([&] {
            for (const auto& r : requests)
                if (!r->isFinished()) return false;
            return true;
        });
    }

    std::shared_ptr<NXAuthenticationDialog> dialog() const { return NXAuthenticationDialog::currentDialog(); }

    void typeCredentials(const char* user, const char* password)
    {
        auto d = dialog();
        ASSERT_NE(d, nullptr);
        ASSERT_NE(d->usernameField(), nullptr);
        EXPECT_TRUE(driver.type(d->usernameField(), user));
        EXPECT_TRUE(driver.type(d->passwordField(), password));
    }

    void press(bool login)
    {
        auto d = dialog();
        ASSERT_NE(d, nullptr);
        UINavigationItem* item = d->navigationBar()->topItem();
        driver.tapBarButtonItem(login ? item->rightBarButtonItem.get() : item->leftBarButtonItem.get());
    }

    NXUITestDriver driver;
};

}  // namespace

TEST_F(NXAuthenticationDialogTest, OneLoginRetriesEveryRequestToTheSameProxy)
{
    AuthenticatingProxy proxy;
    // Two sites behind one proxy: the proxy's credentials serve both.
    auto a = through(proxy, "http://site-a.test/one");
    auto b = through(proxy, "http://site-b.test/two");
    startAndAwaitDialog(a);
    startAndAwaitDialog(b, 1);
    auto d = dialog();
    EXPECT_EQ(d->request(), a);
    EXPECT_EQ(d->type(), NXAuthenticationDialog::Proxy);
    EXPECT_EQ(d->navigationBar()->topItem()->title, "127.0.0.1");
    EXPECT_EQ(d->navigationBar()->topItem()->prompt, "Login to this secure proxy server.");
    EXPECT_EQ(d->tableView()->numberOfSections(), 1);
    EXPECT_EQ(d->usernameField()->placeholder, "User");
    EXPECT_TRUE(d->passwordField()->secureTextEntry);
    EXPECT_EQ(d->usernameField()->autocapitalizationType, UITextAutocapitalizationTypeNone);
    EXPECT_EQ(d->usernameField()->autocorrectionType, UITextAutocorrectionTypeNo);
    EXPECT_EQ(d->requestsRequiringTheseCredentials(), (std::vector<std::shared_ptr<NXHTTPRequest>>{b, a}));

    typeCredentials("proxyuser", "pw");
    press(true);
    ASSERT_TRUE(finished({a, b}));
    EXPECT_EQ(a->responseString(), "proxied site-a.test/one");
    EXPECT_EQ(b->responseString(), "proxied site-b.test/two");
    EXPECT_EQ(a->proxyUsername(), "proxyuser");
    EXPECT_EQ(dialog(), nullptr);
    EXPECT_TRUE(NXAuthenticationDialog::waitingRequests().empty());
    EXPECT_EQ(driver.find<UITableView>(), nullptr);  // the form has left the window
}

TEST_F(NXAuthenticationDialogTest, AnotherProxyGetsItsOwnDialogAfterTheFirstAndCancelFailsOnlyItsRequests)
{
    AuthenticatingProxy first, second;
    auto a = through(first, "http://site.test/a");
    auto b = through(first, "http://site.test/b");
    auto c = through(second, "http://site.test/c");
    startAndAwaitDialog(a);
    startAndAwaitDialog(b, 1);
    startAndAwaitDialog(c, 2);
    auto d = dialog();
    EXPECT_EQ(d->request(), a);
    // Same site, but another proxy: not c.
    EXPECT_EQ(d->requestsRequiringTheseCredentials(), (std::vector<std::shared_ptr<NXHTTPRequest>>{b, a}));

    press(false);
    ASSERT_TRUE(finished({a, b}));
    for (const auto& r : {a, b}) {
        ASSERT_NE(r->error(), nullptr);
        EXPECT_EQ(r->error()->code(), NXAuthenticationErrorType);
    }
    EXPECT_FALSE(c->isFinished());
    auto next = dialog();
    ASSERT_NE(next, nullptr);
    EXPECT_NE(next, d);
    EXPECT_EQ(next->request(), c);

    typeCredentials("proxyuser", "pw");
    press(true);
    ASSERT_TRUE(finished({c}));
    EXPECT_EQ(c->responseStatusCode(), 200);
}

// A request that ends while it waits for its turn gets no dialog: nobody
// could answer it. The one behind it gets the next.
TEST_F(NXAuthenticationDialogTest, ARequestThatEndedWhileWaitingIsSkipped)
{
    AuthenticatingProxy first, second, third;
    auto a = through(first, "http://site.test/a");
    auto c = through(second, "http://site.test/c");
    auto e = through(third, "http://site.test/e");
    startAndAwaitDialog(a);
    startAndAwaitDialog(c, 1);
    startAndAwaitDialog(e, 2);
    c->cancel();
    ASSERT_TRUE(finished({c}));

    press(false);
    ASSERT_TRUE(finished({a}));
    auto next = dialog();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->request(), e);
    EXPECT_TRUE(NXAuthenticationDialog::waitingRequests().empty());

    typeCredentials("proxyuser", "pw");
    press(true);
    ASSERT_TRUE(finished({e}));
    EXPECT_EQ(e->responseStatusCode(), 200);
}

TEST_F(NXAuthenticationDialogTest, NTLMAsksForADomainAndHandsItToEverySharingRequest)
{
    AuthenticatingProxy proxy({.scheme = "NTLM"});
    auto a = through(proxy, "http://site.test/a");
    auto b = through(proxy, "http://site.test/b");
    startAndAwaitDialog(a);
    startAndAwaitDialog(b, 1);
    auto d = dialog();
    ASSERT_EQ(d->tableView()->numberOfSections(), 2);
    ASSERT_NE(d->domainField(), nullptr);
    EXPECT_EQ(d->domainField()->placeholder, "Domain");
    EXPECT_EQ(d->tableView()->numberOfRowsInSection(1), 1);
    EXPECT_EQ(d->tableView_titleForFooterInSection(d->tableView(), 0), NSString());
    EXPECT_EQ(d->tableView_titleForFooterInSection(d->tableView(), 1), "Password will be sent securely.");

    typeCredentials("proxyuser", "pw");
    EXPECT_TRUE(driver.type(d->domainField(), "CORP"));
    press(true);
    // Both retry at once to one site: each keeps to its own connection.
    ASSERT_TRUE(finished({a, b}));
    for (const auto& r : {a, b}) {
        EXPECT_EQ(r->proxyDomain(), "CORP");
        EXPECT_EQ(r->responseStatusCode(), 200);
    }
}

TEST_F(NXAuthenticationDialogTest, FooterSaysWhetherThePasswordTravelsInTheClear)
{
    struct Case {
        const char* name;
        const char* challenge;
        bool proxy;
        const char* footer;
    };
    const Case cases[] = {
        {"server Basic over http", "Basic realm=\"files\"", false, "Password will be sent in the clear."},
        {"server Digest", "Digest realm=\"files\", nonce=\"abc\", qop=\"auth\"", false, "Password will be sent securely."},
        {"proxy Basic", nullptr, true, "Password will be sent in the clear."},
    };
    AuthenticatingProxy proxy;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string challenge = c.challenge ? c.challenge : "";
        Server origin([&](const Request&, Connection& conn) { conn.send(401, "", {{"WWW-Authenticate", challenge}}); });
        auto r = c.proxy ? through(proxy, "http://site.test/") : NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(origin.url("/files"))));
        r->setShouldPresentAuthenticationDialog(true);
        startAndAwaitDialog(r);
        auto d = dialog();
        EXPECT_EQ(d->tableView_titleForFooterInSection(d->tableView(), 0), c.footer);
        EXPECT_EQ(d->tableView_heightForFooterInSection(d->tableView(), 0), 30);
        press(false);
        ASSERT_TRUE(finished({r}));
    }
}

TEST_F(NXAuthenticationDialogTest, ServerDialogOnScreen)
{
    Server origin([](const Request& r, Connection& c) {
        if (r.headers.get("Authorization") == "Basic " + testserver::base64("ann:secret")) return void(c.send(200, "files"));
        c.send(401, "", {{"WWW-Authenticate", "Basic realm=\"Family files\""}});
    });
    auto r = NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(origin.url("/files"))));
    r->setShouldPresentAuthenticationDialog(true);
    startAndAwaitDialog(r);
    auto d = dialog();
    EXPECT_EQ(d->type(), NXAuthenticationDialog::Server);
    EXPECT_EQ(d->navigationBar()->topItem()->title, "127.0.0.1");
    EXPECT_EQ(d->navigationBar()->topItem()->prompt, "Login to this secure server.");
    EXPECT_EQ(d->navigationBar()->frame().size.height, 74);
    EXPECT_EQ(d->tableView()->frame().origin.y, 74);
    EXPECT_TRUE(d->usernameField()->isFirstResponder());
    // The keyboard's height is kept clear below the form.
    EXPECT_EQ(d->tableView()->contentInset, UIEdgeInsetsMake(0, 0, 216, 0));
    typeCredentials("ann", "secret");
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver.window(), "tests/ui/snapshots/authentication-dialog-basic-http"));

    // Turned to landscape, the prompt goes.
    UIDevice::currentDevice().setOrientation(UIDeviceOrientationLandscapeLeft);
    EXPECT_EQ(d->navigationBar()->topItem()->prompt, NSString());
    EXPECT_EQ(d->navigationBar()->frame().size.height, 44);

    press(true);
    ASSERT_TRUE(finished({r}));
    EXPECT_EQ(r->responseString(), "files");
    EXPECT_EQ(r->username(), "ann");
}

TEST_F(NXAuthenticationDialogTest, WithoutAKeyWindowTheChallengeFailsAtOnce)
{
    AuthenticatingProxy proxy;
    UIApplication::sharedApplication().setKeyWindow(nullptr);
    auto r = through(proxy, "http://site.test/");
    r->startSynchronous();
    ASSERT_NE(r->error(), nullptr);
    EXPECT_EQ(r->error()->code(), NXAuthenticationErrorType);
    EXPECT_EQ(dialog(), nullptr);
    // Switched off, it is not shown even with a window.
    driver.window()->makeKeyWindow();
    auto off = through(proxy, "http://site.test/");
    off->setShouldPresentProxyAuthenticationDialog(false);
    off->startAsynchronous();
    ASSERT_TRUE(finished({off}));
    EXPECT_EQ(off->error()->code(), NXAuthenticationErrorType);
    EXPECT_EQ(dialog(), nullptr);
}

TEST_F(NXAuthenticationDialogTest, RefusedCredentialsAskAgainUntilCancelled)
{
    AuthenticatingProxy proxy;
    auto r = through(proxy, "http://site.test/");
    startAndAwaitDialog(r);
    auto first = dialog();
    typeCredentials("proxyuser", "wrong");
    press(true);
    ASSERT_TRUE(driver.pumpUntil([&] { return dialog() && dialog() != first; }));
    EXPECT_EQ(dialog()->request(), r);
    EXPECT_FALSE(r->isFinished());
    press(false);
    ASSERT_TRUE(finished({r}));
    ASSERT_NE(r->error(), nullptr);
    EXPECT_EQ(r->error()->code(), NXAuthenticationErrorType);
}
