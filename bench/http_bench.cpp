// Sequential synchronous 2 KB POSTs with 2 KB replies over a loopback
// keep-alive connection, through NXHTTPRequest and through a plain libcurl
// easy loop, against a server answering from a prepared buffer (so the client
// is what is measured); and the peak memory of a 50 MB download to a file.

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>

#include "bench/PreparedReplyServer.h"
#include "http/NXHTTPRequest.h"
#include "tools/testserver/TestServer.h"

namespace {

constexpr int kPosts = 2000;
const std::string kBody(2048, 'q');
const std::string kReply(2048, 'r');

// Where the POSTs go: the prepared-reply server, or NX_BENCH_HTTP_URL when it
// names another server answering every POST with 2,048 bytes (nginx, say).
std::string postURL()
{
    if (const char* url = std::getenv("NX_BENCH_HTTP_URL")) return url;
    static PreparedReplyServer server(kReply);
    return server.url("/post");
}

void BM_NXHTTPRequestPosts(benchmark::State& state)
{
    auto url = NSURL::URLWithString(NSString(postURL()));
    NSData body(kBody.begin(), kBody.end());
    for (auto _ : state) {
        for (int i = 0; i < kPosts; ++i) {
            auto r = NXHTTPRequest::requestWithURL(url);
            r->setRequestMethod("POST");
            r->setPostBody(body);
            r->startSynchronous();
            if (r->error() || r->rawResponseData()->size() != kReply.size()) state.SkipWithError("request failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * kPosts);
}
BENCHMARK(BM_NXHTTPRequestPosts)->Unit(benchmark::kMillisecond);

size_t sink(char*, size_t size, size_t n, void* p)
{
    static_cast<std::string*>(p)->append(size * n, 'x');
    return size * n;
}

void BM_PlainCurlPosts(benchmark::State& state)
{
    std::string url = postURL();
    CURL* easy = curl_easy_init();
    std::string reply;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, kBody.c_str());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(kBody.size()));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &sink);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &reply);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    for (auto _ : state) {
        for (int i = 0; i < kPosts; ++i) {
            reply.clear();
            if (curl_easy_perform(easy) != CURLE_OK || reply.size() != kReply.size()) state.SkipWithError("curl failed");
        }
    }
    curl_easy_cleanup(easy);
    state.SetItemsProcessed(state.iterations() * kPosts);
}
BENCHMARK(BM_PlainCurlPosts)->Unit(benchmark::kMillisecond);

long peakRSSKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Reports the growth of the peak resident set over the download; the goal is
// under 30 MB for 50 MB written to a file.
void BM_DownloadToFilePeakMemory(benchmark::State& state)
{
    static const std::string block(1 << 20, 'd');
    testserver::Server server([](const testserver::Request&, testserver::Connection& c) {
        c.write("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(50 * block.size()) + "\r\n\r\n");
        for (int i = 0; i < 50; ++i) {
            c.write(block);
            if (!c.flush()) return;
        }
    });
    auto path = std::filesystem::temp_directory_path() / "bench_http_download.bin";
    for (auto _ : state) {
        long before = peakRSSKiB();
        auto r = NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(server.url("/big"))));
        r->setDownloadDestinationPath(NSString(path.string()));
        r->startSynchronous();
        if (r->error()) state.SkipWithError("download failed");
        state.counters["peak_growth_MiB"] = static_cast<double>(peakRSSKiB() - before) / 1024.0;
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_DownloadToFilePeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
