#include "platform/cfnetwork/NSURLCredentialStorage.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/testing/TempFolder.h"

TEST(NSURLCredentialStorage, PermanentCredentialsLiveInAPrivateFile)
{
    TempFolder dir;
    NSString path = dir / "credentials.plist";
    auto server = NSURLProtectionSpace::initWithHost("example.test", 8080, "https", "staff", NSURLAuthenticationMethodDefault);
    auto noRealm = NSURLProtectionSpace::initWithHost("example.test", 8080, "https", NSString(), NSURLAuthenticationMethodDefault);
    auto proxy = NSURLProtectionSpace::initWithProxyHost("example.test", 8080, NSURLProtectionSpaceHTTPProxy, "staff",
                                                         NSURLAuthenticationMethodDefault);
    {
        auto store = NSURLCredentialStorage::initWithPath(path);
        store->setDefaultCredential(NSURLCredential::credentialWithUser("ann", "pw1", NSURLCredentialPersistencePermanent), *server);
        store->setDefaultCredential(NSURLCredential::credentialWithUser("bo", "pw2", NSURLCredentialPersistenceForSession), *noRealm);
        store->setDefaultCredential(NSURLCredential::credentialWithUser("cy", "pw3", NSURLCredentialPersistenceNone), *proxy);
        EXPECT_EQ(store->defaultCredentialForProtectionSpace(*noRealm)->user(), "bo");
        EXPECT_EQ(store->defaultCredentialForProtectionSpace(*proxy), nullptr);
    }
    struct stat st {};
    ASSERT_EQ(stat(path.str().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    auto reopened = NSURLCredentialStorage::initWithPath(path);
    auto ann = reopened->defaultCredentialForProtectionSpace(*server);
    ASSERT_NE(ann, nullptr);
    EXPECT_EQ(ann->password(), "pw1");
    EXPECT_EQ(reopened->defaultCredentialForProtectionSpace(*noRealm), nullptr);  // session only
    reopened->removeCredential(NSURLCredential::credentialWithUser("someone else", "", NSURLCredentialPersistencePermanent), *server);
    EXPECT_NE(reopened->defaultCredentialForProtectionSpace(*server), nullptr);
    reopened->removeCredential(ann, *server);
    EXPECT_EQ(NSURLCredentialStorage::initWithPath(path)->defaultCredentialForProtectionSpace(*server), nullptr);
}
