#include "http/NXDownloadCache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "http/NXHTTPRequest.h"
#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/testing/TempFolder.h"
#include "tools/testserver/TestServer.h"

namespace fs = std::filesystem;
using testserver::Connection;
using testserver::Request;
using testserver::Server;

namespace {

struct TempDir {
    TempFolder folder;
    fs::path path = folder.path().str();
    NSString str(const std::string& sub = "") const { return NSString((path / sub).string()); }
};

std::string bodyOf(const NXHTTPRequest& r)
{
    auto d = r.responseData();
    return d ? std::string(d->begin(), d->end()) : std::string("<nil>");
}

const char* const kLastModified = "Wed, 09 Dec 2026 09:00:00 GMT";

// A server with one versioned resource that answers conditional requests
// with 304 and counts what it sends.
struct VersionedServer {
    std::atomic<int> fullResponses{0}, notModified{0};
    std::string etag = "\"v1\"";
    std::string body = "first version";
    testserver::Headers extra;
    Server server{[this](const Request& req, Connection& c) {
        auto match = req.headers.get("If-None-Match");
        auto since = req.headers.get("If-Modified-Since");
        if ((match && *match == etag) || (!match && since && *since == kLastModified)) {
            ++notModified;
            c.send(304, "", {{"Etag", etag}, {"Cache-Control", "max-age=300"}});
            return;
        }
        ++fullResponses;
        testserver::Headers h = extra;
        h.add("Etag", etag);
        h.add("Last-Modified", kLastModified);
        c.send(200, body, h);
    }};
};

class CacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cache->setStoragePath(dir.str("cache"));
        NXHTTPRequest::setDefaultCache(cache);
    }
    void TearDown() override
    {
        NXHTTPRequest::setDefaultCache(nullptr);
        NSClock::useRealClock();
    }
    std::shared_ptr<NXHTTPRequest> run(const std::string& url, int policy = 0,
                                       const std::function<void(NXHTTPRequest&)>& setup = nullptr)
    {
        auto r = NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(url)), cache, policy);
        if (setup) setup(*r);
        r->startSynchronous();
        return r;
    }
    TempDir dir;
    std::shared_ptr<NXDownloadCache> cache = NXDownloadCache::init();
    VersionedServer versioned;
};

}  // namespace

TEST_F(CacheTest, StoresTheResponseAndCacheFirstAnswersWithoutTheServer)
{
    auto first = run(versioned.server.url("/doc?page=1"));
    EXPECT_EQ(bodyOf(*first), "first version");
    EXPECT_FALSE(first->didUseCachedResponse());

    auto second = run(versioned.server.url("/doc?page=1"), NXCachePolicyCacheFirst);
    EXPECT_FALSE(second->error());
    EXPECT_TRUE(second->didUseCachedResponse());
    EXPECT_TRUE(second->isFinished());
    EXPECT_EQ(second->responseStatusCode(), 200);
    EXPECT_EQ(bodyOf(*second), "first version");
    EXPECT_EQ(second->contentLength(), 13u);
    EXPECT_EQ(versioned.server.requestsServed(), 1u);

    // The full URL is the key: another query is another entry.
    auto other = run(versioned.server.url("/doc?page=2"), NXCachePolicyCacheFirst);
    EXPECT_FALSE(other->didUseCachedResponse());
    EXPECT_EQ(versioned.server.requestsServed(), 2u);
    EXPECT_NE(NXDownloadCache::keyForRequest(*first), NXDownloadCache::keyForRequest(*other));
    EXPECT_EQ(NXDownloadCache::keyForRequest(*first).length(), 32u);
}

TEST_F(CacheTest, RevalidatesWithTheStoredValidatorsAndServesThe304FromTheCache)
{
    NSString url(versioned.server.url("/doc"));
    run(url.str());
    auto revalidated = run(url.str());  // the cache's default policy: revalidate
    auto sent = versioned.server.requests().back();
    EXPECT_EQ(sent.headers.get("If-None-Match"), "\"v1\"");
    EXPECT_EQ(sent.headers.get("If-Modified-Since"), kLastModified);
    EXPECT_EQ(versioned.notModified, 1);
    EXPECT_FALSE(revalidated->error());
    EXPECT_TRUE(revalidated->didUseCachedResponse());
    EXPECT_EQ(revalidated->responseStatusCode(), 200);
    EXPECT_EQ(bodyOf(*revalidated), "first version");

    // A new version replaces the entry.
    versioned.etag = "\"v2\"";
    versioned.body = "second version";
    auto changed = run(url.str());
    EXPECT_FALSE(changed->didUseCachedResponse());
    EXPECT_EQ(bodyOf(*changed), "second version");
    EXPECT_EQ(cache->cachedHeadersForRequest(*changed)->objectForKey("Etag"), "\"v2\"");
    auto data = cache->cachedResponseDataForRequest(*changed);
    EXPECT_EQ(std::string(data->begin(), data->end()), "second version");
}

TEST_F(CacheTest, RevalidatesWithLastModifiedAlone)
{
    Server dated([&](const Request& req, Connection& c) {
        if (req.headers.get("If-Modified-Since") == kLastModified) c.send(304, "", {});
        else c.send(200, "dated", {{"Last-Modified", kLastModified}});
    });
    run(dated.url("/d"));
    auto second = run(dated.url("/d"));
    EXPECT_FALSE(dated.requests().back().headers.has("If-None-Match"));
    EXPECT_TRUE(second->didUseCachedResponse());
    EXPECT_EQ(bodyOf(*second), "dated");
}

TEST_F(CacheTest, A304ForAnExpiredCopyServesItAndRefreshesItsDate)
{
    NSClock::useVirtualClock(1765270800.0);  // 2025-12-09 09:00 UTC
    NSString url(versioned.server.url("/doc"));
    auto first = run(url.str(), 0, [](NXHTTPRequest& r) { r.setSecondsToCache(60); });
    auto stored = *cache->cachedHeadersForRequest(*first);
    EXPECT_EQ(stored.objectForKey("Cache-Control"), "max-age=60");
    EXPECT_FALSE(stored.contains("Expires"));
    EXPECT_TRUE(cache->isCachedDataCurrentForRequest(*NXHTTPRequest::requestWithURL(NSURL::URLWithString(url))));

    NSClock::advance(120);  // past its age: no longer current on its own
    auto probe = NXHTTPRequest::requestWithURL(NSURL::URLWithString(url));
    EXPECT_FALSE(cache->isCachedDataCurrentForRequest(*probe));
    auto revalidated = run(url.str());
    EXPECT_EQ(versioned.notModified, 1);
    EXPECT_TRUE(revalidated->didUseCachedResponse());
    EXPECT_EQ(bodyOf(*revalidated), "first version");
    auto refreshed = *cache->cachedHeadersForRequest(*revalidated);
    EXPECT_EQ(refreshed.objectForKey(NXCacheFetchDateHeader), "Tue, 09 Dec 2025 09:02:00 GMT");
    EXPECT_EQ(refreshed.objectForKey("Cache-Control"), "max-age=300");  // the 304's freshness
    EXPECT_TRUE(cache->isCachedDataCurrentForRequest(*probe));
}

TEST_F(CacheTest, PoliciesDecideWhatIsStoredAndWhatAnswers)
{
    // Bypass neither stores nor answers.
    auto bypass = run(versioned.server.url("/b"), NXCachePolicyBypass);
    EXPECT_FALSE(cache->cachedHeadersForRequest(*bypass));

    // Fallback answers from the copy when the load fails.
    auto stored = run(versioned.server.url("/f"));
    ASSERT_TRUE(cache->cachedHeadersForRequest(*stored));
    NSString keyURL(versioned.server.url("/f"));
    versioned.server.stop();
    auto fallback = run(keyURL.str(), NXCachePolicyFallback);
    EXPECT_FALSE(fallback->error());
    EXPECT_TRUE(fallback->didUseCachedResponse());
    EXPECT_EQ(bodyOf(*fallback), "first version");

    // Without a copy the failure stands.
    auto nothing = run("http://127.0.0.1:" + std::to_string(Server::refusedPort()) + "/x", NXCachePolicyFallback);
    ASSERT_TRUE(nothing->error());
    EXPECT_EQ(nothing->error()->code(), NXConnectionFailureErrorType);

    cache->setDefaultCachePolicy(NXCachePolicyDefault);
    EXPECT_EQ(cache->defaultCachePolicy(), NXCachePolicyRevalidate);
}

TEST_F(CacheTest, ServerCacheControlDecidesWhetherToStore)
{
    struct Case {
        const char* name;
        const char* value;
        bool respect;
        bool stored;
    };
    const Case cases[] = {
        {"Cache-Control", "no-store", true, false},     {"Cache-Control", "No-Cache", true, false},
        {"Pragma", "no-cache", true, false},            {"Cache-Control", "max-age=5, no-store", true, true},
        {"Cache-Control", "no-store", false, true},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.value);
        versioned.extra = {{c.name, c.value}};
        cache->setShouldRespectCacheControlHeaders(c.respect);
        auto r = run(versioned.server.url("/cc" + std::to_string(n++)));
        EXPECT_EQ(cache->cachedHeadersForRequest(*r).has_value(), c.stored);
    }
}

TEST_F(CacheTest, ExpiresInThePastIsNotCurrentUnlessHeadersAreIgnored)
{
    versioned.extra = {{"Expires", "Sun, 06 Nov 1994 08:49:37 GMT"}};
    auto r = run(versioned.server.url("/old"));
    EXPECT_FALSE(cache->isCachedDataCurrentForRequest(*NXHTTPRequest::requestWithURL(r->url())));
    cache->setShouldRespectCacheControlHeaders(false);
    EXPECT_TRUE(cache->isCachedDataCurrentForRequest(*NXHTTPRequest::requestWithURL(r->url())));
}

TEST_F(CacheTest, StoresTheDecodedBodyWithItsOwnLength)
{
    std::string text(5000, 'z');
    auto gz = *nxhttp::compressData(NSData(text.begin(), text.end()));
    Server server([&](const Request&, Connection& c) {
        c.send(200, std::string(gz.begin(), gz.end()), {{"Content-Encoding", "gzip"}, {"Etag", "\"g\""}});
    });
    auto first = run(server.url("/gz"));
    EXPECT_EQ(bodyOf(*first), text);
    auto stored = *cache->cachedHeadersForRequest(*first);
    EXPECT_FALSE(stored.contains("Content-Encoding"));
    EXPECT_EQ(stored.objectForKey("Content-Length"), "5000");
    auto hit = run(server.url("/gz"), NXCachePolicyCacheFirst);
    EXPECT_EQ(bodyOf(*hit), text);
    EXPECT_EQ(hit->contentLength(), 5000u);

    // A download to a file gets its own copy of the cached body.
    auto dest = dir.str("out.txt");
    auto toFile = run(server.url("/gz"), NXCachePolicyCacheFirst, [&](NXHTTPRequest& r) { r.setDownloadDestinationPath(dest); });
    EXPECT_TRUE(toFile->didUseCachedResponse());
    std::ifstream in(dest.str(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
    EXPECT_NE(cache->pathToCachedResponseDataForRequest(*toFile), dest);
}

TEST_F(CacheTest, HeaderValuesOfAnyBytesReadBackAndTheEntryIsServed)
{
    // Latin-1 and stray bytes, as servers send them, beside UTF-8.
    const std::pair<std::string, std::string> fields[] = {
        {"X-Title", "caf\xe9 \x80\xff"},
        {"Content-Disposition", "attachment; filename=\"\xc3\xa9t\xe9.jpg\""},
        {"X-Utf8", "caf\xc3\xa9"},
    };
    for (const auto& [name, value] : fields) versioned.extra.add(name, value);
    auto first = run(versioned.server.url("/latin1"));
    ASSERT_EQ(bodyOf(*first), "first version");

    auto hit = run(versioned.server.url("/latin1"), NXCachePolicyCacheFirst);
    EXPECT_TRUE(hit->didUseCachedResponse());
    EXPECT_EQ(versioned.server.requestsServed(), 1u);
    EXPECT_EQ(bodyOf(*hit), "first version");
    auto stored = cache->cachedHeadersForRequest(*hit);
    ASSERT_TRUE(stored);
    for (const auto& [name, value] : fields) {
        EXPECT_EQ(stored->objectForKey(NSString(name)).str(), value) << name;
        EXPECT_EQ(hit->responseHeaders()->objectForKey(NSString(name)).str(), value) << name;
    }
    // A UTF-8 value is kept as the string it always was, as headers files
    // already on disk hold them.
    std::string headersFile = cache->pathToCachedResponseDataForRequest(*hit).str();
    headersFile.replace(headersFile.rfind(".cacheddata"), std::string::npos, ".cachedheaders");
    std::ifstream in(headersFile);
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(in), {}).find("<string>caf\xc3\xa9</string>"), std::string::npos);
}

TEST_F(CacheTest, EntriesLiveInPrivateFoldersAndClearByStore)
{
    struct stat st{};
    for (const char* sub : {"cache", "cache/SessionStore", "cache/PermanentStore"}) {
        ASSERT_EQ(stat(dir.str(sub).str().c_str(), &st), 0) << sub;
        EXPECT_EQ(st.st_mode & 0777, 0700u) << sub;
    }
    auto session = run(versioned.server.url("/s"));
    auto permanent = run(versioned.server.url("/p"), 0, [](NXHTTPRequest& r) { r.setCacheStoragePolicy(NXCacheStoragePermanent); });
    ASSERT_TRUE(cache->cachedHeadersForRequest(*permanent));  // a look-up waits for the write
    EXPECT_TRUE(fs::exists(dir.path / "cache/PermanentStore" / (NXDownloadCache::keyForRequest(*permanent).str() + ".cacheddata")));
    std::ofstream(dir.path / "cache/SessionStore/keep.txt") << "mine";

    NXHTTPRequest::clearSession();  // wipes the default cache's session store
    EXPECT_FALSE(cache->cachedHeadersForRequest(*session));
    EXPECT_TRUE(cache->cachedHeadersForRequest(*permanent));
    EXPECT_TRUE(fs::exists(dir.path / "cache/SessionStore/keep.txt"));

    cache->removeCachedDataForRequest(*permanent);
    EXPECT_FALSE(cache->cachedHeadersForRequest(*permanent));
    EXPECT_TRUE(cache->pathToCachedResponseDataForRequest(*permanent).isNil());

    // An entry without its headers (a store cut short) is no entry.
    auto again = run(versioned.server.url("/s"));
    ASSERT_TRUE(cache->cachedHeadersForRequest(*again));
    fs::remove(dir.path / "cache/SessionStore" / (NXDownloadCache::keyForRequest(*again).str() + ".cachedheaders"));
    auto reload = run(versioned.server.url("/s"), NXCachePolicyCacheFirst);
    EXPECT_FALSE(reload->didUseCachedResponse());
    EXPECT_EQ(bodyOf(*reload), "first version");
}

// Stores are written off the request's thread; these hold whatever the writer
// is still doing when the next call comes.

std::set<std::string> filesIn(const fs::path& dir)
{
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

TEST_F(CacheTest, ARemoveOrAClearRightAfterAStoreIsNotUndoneByTheWrite)
{
    const std::string big(256 * 1024, 'x');
    Server server([&](const Request&, Connection& c) { c.send(200, big, {{"Etag", "\"x\""}}); });
    for (int i = 0; i < 8; ++i) {
        auto r = run(server.url("/removed" + std::to_string(i)));
        cache->removeCachedDataForRequest(*r);
        EXPECT_FALSE(cache->cachedHeadersForRequest(*r));
        EXPECT_TRUE(cache->pathToCachedResponseDataForRequest(*r).isNil());
    }
    for (int i = 0; i < 8; ++i) run(server.url("/cleared" + std::to_string(i)));
    NXHTTPRequest::clearSession();
    auto kept = run(server.url("/kept"), 0, [](NXHTTPRequest& r) { r.setCacheStoragePolicy(NXCacheStoragePermanent); });

    // Gone, the cache has finished writing: only the permanent entry is there,
    // and no temporary file is left.
    NXHTTPRequest::setDefaultCache(nullptr);
    cache.reset();
    EXPECT_TRUE(filesIn(dir.path / "cache/SessionStore").empty());
    const std::string key = NXDownloadCache::keyForRequest(*kept).str();
    EXPECT_EQ(filesIn(dir.path / "cache/PermanentStore"), (std::set<std::string>{key + ".cacheddata", key + ".cachedheaders"}));
}

TEST_F(CacheTest, DestroyingTheCacheWritesWhatIsQueued)
{
    std::vector<std::shared_ptr<NXHTTPRequest>> stored;
    for (int i = 0; i < 12; ++i)
        stored.push_back(run(versioned.server.url("/q" + std::to_string(i)), 0,
                             [](NXHTTPRequest& r) { r.setCacheStoragePolicy(NXCacheStoragePermanent); }));
    NXHTTPRequest::setDefaultCache(nullptr);
    cache.reset();

    auto reopened = NXDownloadCache::init();
    reopened->setStoragePath(dir.str("cache"));
    for (const auto& r : stored) {
        auto body = reopened->cachedResponseDataForRequest(*r);
        ASSERT_TRUE(body) << r->url()->absoluteString();
        EXPECT_EQ(std::string(body->begin(), body->end()), "first version");
        EXPECT_EQ(reopened->cachedHeadersForRequest(*r)->objectForKey("Content-Length"), "13");
    }
    EXPECT_EQ(filesIn(dir.path / "cache/PermanentStore").size(), 2 * stored.size());
}

// A second cache set up on the folder again and again while the first
// writes: the first cache's temporary files are its writer's, so every entry
// lands whole and nothing temporary is left.
TEST_F(CacheTest, ASecondCacheOnTheFolderLeavesTheFirstsWritesAlone)
{
    const std::string big(256 * 1024, 'w');
    Server server([&](const Request&, Connection& c) { c.send(200, big, {{"Etag", "\"w\""}}); });
    std::atomic<bool> writing{true};
    std::thread second([&] {
        auto other = NXDownloadCache::init();
        while (writing) other->setStoragePath(dir.str("cache"));
    });
    std::vector<std::shared_ptr<NXHTTPRequest>> stored;
    for (int i = 0; i < 16; ++i)
        stored.push_back(run(server.url("/w" + std::to_string(i)), 0,
                             [](NXHTTPRequest& r) { r.setCacheStoragePolicy(NXCacheStoragePermanent); }));
    NXHTTPRequest::setDefaultCache(nullptr);
    cache.reset();  // everything queued is written
    writing = false;
    second.join();
    auto reopened = NXDownloadCache::init();
    reopened->setStoragePath(dir.str("cache"));
    for (const auto& r : stored) {
        auto body = reopened->cachedResponseDataForRequest(*r);
        ASSERT_TRUE(body) << r->url()->absoluteString();
        EXPECT_EQ(body->size(), big.size());
    }
    EXPECT_EQ(filesIn(dir.path / "cache/PermanentStore").size(), 2 * stored.size());
}

TEST_F(CacheTest, AReaderSeesAWholeEntryOrNoneWhileItIsReplaced)
{
    const std::string versions[] = {std::string(512 * 1024, 'a'), std::string(64 * 1024, 'b')};
    std::atomic<int> served{0};
    Server server([&](const Request&, Connection& c) {
        int n = served++ % 2;
        c.send(200, versions[n], {{"Etag", n ? "\"b\"" : "\"a\""}});
    });
    auto probe = NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(server.url("/v"))));
    std::atomic<bool> done{false};
    std::atomic<int> torn{0}, whole{0};
    std::thread reader([&] {
        while (!done) {
            if (auto headers = cache->cachedHeadersForRequest(*probe)) {
                NSString length = headers->objectForKey("Content-Length");
                if (length != "524288" && length != "65536") ++torn;
            }
            if (auto body = cache->cachedResponseDataForRequest(*probe)) {
                std::string text(body->begin(), body->end());
                if (text == versions[0] || text == versions[1]) ++whole;
                else ++torn;
            }
        }
    });
    for (int i = 0; i < 10; ++i) run(server.url("/v"));
    done = true;
    reader.join();
    EXPECT_EQ(torn, 0);
    EXPECT_GT(whole, 0);
    // At rest the headers and the body are the last response's.
    auto body = cache->cachedResponseDataForRequest(*probe);
    ASSERT_TRUE(body);
    EXPECT_EQ(std::string(body->begin(), body->end()), versions[1]);
    EXPECT_EQ(cache->cachedHeadersForRequest(*probe)->objectForKey("Etag"), "\"b\"");
}

TEST(NXDownloadCache, RefusesUnusableFoldersWithNamedExceptions)
{
    TempDir dir;
    std::ofstream(dir.path / "file") << "x";
    auto cache = NXDownloadCache::init();
    try {
        cache->setStoragePath(dir.str("file"));
        FAIL() << "no exception";
    } catch (const NSException& e) {
        EXPECT_EQ(e.name(), "FileExistsAtCachePath");
        EXPECT_EQ(e.reason(), NSString::stringWithFormat(
                                  "Cannot create a directory for the cache at '%@', because a file already exists", dir.str("file")));
    }
    try {
        cache->setStoragePath(dir.str("missing/deeper"));
        FAIL() << "no exception";
    } catch (const NSException& e) {
        EXPECT_EQ(e.name(), "FailedToCreateCacheDirectory");
    }
    // A folder open to others is closed on use.
    fs::create_directories(dir.path / "open");
    fs::permissions(dir.path / "open", fs::perms::all);
    cache->setStoragePath(dir.str("open"));
    EXPECT_EQ(fs::status(dir.path / "open").permissions() & fs::perms::all, fs::perms::owner_all);
}

// A crash between a write and its rename leaves the writer's "*.partial"
// files beside the entries. Setting a cache up on the folder removes those
// whose writer is gone: names of this process that no writer holds (left by
// an earlier process with the same pid) and names of processes that no
// longer run. What a live writer may still be writing, in this process (a
// second cache on the folder) or in another, stays, and so does anything
// not named like the writer's files or outside the cache's stores.
TEST(NXDownloadCache, SettingUpSweepsWhatGoneWritersLeft)
{
    TempDir dir;
    auto first = NXDownloadCache::init();
    first->setStoragePath(dir.str("cache"));
    const pid_t gone = fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) _exit(0);
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
    const std::string key = "0123456789ABCDEF0123456789ABCDEF";
    auto partial = [&](const char* extension, long pid, int n) {
        return key + "." + extension + "." + std::to_string(pid) + "-" + std::to_string(n) + ".partial";
    };
    const fs::path root = dir.path / "cache";
    const fs::path session = root / "SessionStore";
    const fs::path permanent = root / "PermanentStore";
    // Held by a writer of the first cache, half written.
    const NSString held = NXDownloadCacheWriter::temporaryPathFor(NSString((permanent / (key + ".cacheddata")).string()));
    const std::vector<fs::path> left = {
        session / partial("cacheddata", gone, 0),
        permanent / partial("cachedheaders", gone, 7),
        permanent / partial("cacheddata", getpid(), 999999),
    };
    const std::vector<fs::path> kept = {
        fs::path(held.str()),
        permanent / partial("cacheddata", getppid(), 1),  // a running process
        permanent / "notes.partial",
        permanent / (key + ".cacheddata.partial"),
        permanent / ("readme." + std::to_string(gone) + "-1.partial"),
        session / (partial("cacheddata", gone, 2) + ".keep"),
        root / partial("cacheddata", gone, 3),
    };
    for (const auto& files : {left, kept})
        for (const fs::path& file : files) std::ofstream(file) << "x";

    auto second = NXDownloadCache::init();
    second->setStoragePath(dir.str("cache"));
    for (const fs::path& file : left) EXPECT_FALSE(fs::exists(file)) << file;
    for (const fs::path& file : kept) EXPECT_TRUE(fs::exists(file)) << file;

    // Once its writer is done with it, the name is any sweep's.
    NXDownloadCacheWriter::removeTemporary(held);
    std::ofstream(held.str()) << "x";
    second->setStoragePath(dir.str("cache"));
    EXPECT_FALSE(fs::exists(held.str()));
}

TEST(NXDownloadCache, SharedCacheLivesInTheUsersTemporaryFolder)
{
    TempDir home;
    setenv("NX_APP_HOME", home.str().UTF8String(), 1);
    auto shared = NXDownloadCache::sharedCache();
    EXPECT_EQ(shared, NXDownloadCache::sharedCache());
    EXPECT_EQ(shared->storagePath(), NSTemporaryDirectory().stringByAppendingPathComponent("NXHTTPRequestCache"));
    EXPECT_TRUE(fs::is_directory(shared->storagePath().str() + "/PermanentStore"));
    EXPECT_EQ(fs::status(shared->storagePath().str()).permissions() & fs::perms::all, fs::perms::owner_all);
    unsetenv("NX_APP_HOME");
}
