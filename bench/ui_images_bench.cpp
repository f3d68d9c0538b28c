// Pictures as the capture screens load them, measured beside the plain way of
// getting the same pixels:
//   - a cache hit: the loader's key, the cache file's read and its decode,
//     against reading the same file and decoding it with libpng (goal <= 1.2x);
//   - a cold load: the loader's download over loopback, its caching and the
//     decode, against a libcurl GET of the same picture and a libpng decode
//     (goal <= 1.5x). The loader's 0.01 s start delay is a debounce, not work:
//     the virtual clock steps over it.
// Pictures are the service double's captures (320 x 200).

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <png.h>
#include <stdlib.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSRunLoop.h"
#include "tools/service-double/CaptureImages.h"
#include "tools/testserver/TestServer.h"
#include "ui/PixCache.h"
#include "ui/PixImageLoader.h"

namespace {

const char* const kPicture = "/captures/1-middle.png";

testserver::Server& pictureServer()
{
    static testserver::Server server([](const testserver::Request& r, testserver::Connection& c) {
        testserver::Request plain = r;
        plain.path = r.path.substr(0, r.path.find('?'));
        servicedouble::serveCaptureImage(plain, c);
    });
    return server;
}

// The plain decode: libpng's simplified API into a BGRA buffer.
bool decodePNG(const std::string& bytes, std::vector<uint8_t>& pixels)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
    image.format = PNG_FORMAT_BGRA;
    pixels.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
}

class Observer : public NSObject, public PixImageLoaderObserver {
public:
    void imageLoaderDidLoad(const id&) override { ++done; }
    void imageLoaderDidFailToLoad(const id&) override { ++done; failed = true; }
    int done = 0;
    bool failed = false;
};

void BM_LoaderCacheHit(benchmark::State& state)
{
    auto url = NSURL::URLWithString(NSString(pictureServer().url(kPicture)));
    const auto png = servicedouble::captureImage(kPicture);
    auto cache = PixCache::currentCache();
    cache->setData(NSData(png->begin(), png->end()), PixImageLoader::keyForURL(url), PixImageLoader::kCacheInterval);
    NSRunLoop::mainRunLoop()->runUntil([&] { return cache->diskOperationQueue()->operationCount() == 0; }, 10);
    auto loader = PixImageLoader::sharedImageLoader();
    for (auto _ : state) {
        auto image = loader->imageForURL_shouldLoadWithObserver(url, nullptr);
        if (!image) state.SkipWithError("no cached picture");
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_LoaderCacheHit)->Unit(benchmark::kMicrosecond);

void BM_RawReadAndDecode(benchmark::State& state)
{
    const auto png = servicedouble::captureImage(kPicture);
    const auto path = std::filesystem::temp_directory_path() / "bench-ui-picture.png";
    std::ofstream(path, std::ios::binary) << *png;
    std::vector<uint8_t> pixels;
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!decodePNG(bytes, pixels)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pixels.data());
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_RawReadAndDecode)->Unit(benchmark::kMicrosecond);

void BM_LoaderColdLoad(benchmark::State& state)
{
    NSClock::useVirtualClock();
    auto loader = PixImageLoader::sharedImageLoader();
    auto observer = std::make_shared<Observer>();
    static std::atomic<int> serial{0};
    for (auto _ : state) {
        // A URL nobody loaded before: no cache answers.
        auto url = NSURL::URLWithString(NSString(pictureServer().url(kPicture) + "?n=" + std::to_string(serial++)));
        const int before = observer->done;
        loader->loadImageForURL(url, observer.get());
        NSClock::advance(0.01);
        if (!NSRunLoop::mainRunLoop()->runUntil([&] { return observer->done > before; }, 10) || observer->failed)
            state.SkipWithError("load failed");
        loader->removeObserver(observer.get(), url);
    }
    NSClock::useRealClock();
}
BENCHMARK(BM_LoaderColdLoad)->Unit(benchmark::kMicrosecond);

size_t collect(char* data, size_t size, size_t n, void* p)
{
    static_cast<std::string*>(p)->append(data, size * n);
    return size * n;
}

void BM_CurlGetAndDecode(benchmark::State& state)
{
    const std::string url = pictureServer().url(kPicture);
    CURL* easy = curl_easy_init();
    std::string body;
    std::vector<uint8_t> pixels;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "gzip");
    for (auto _ : state) {
        body.clear();
        if (curl_easy_perform(easy) != CURLE_OK || !decodePNG(body, pixels)) state.SkipWithError("GET failed");
        benchmark::DoNotOptimize(pixels.data());
    }
    curl_easy_cleanup(easy);
}
BENCHMARK(BM_CurlGetAndDecode)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    // A home of its own, so the caches start empty and nothing stays behind.
    std::string home = (std::filesystem::temp_directory_path() / "bench-ui-XXXXXX").string();
    if (!::mkdtemp(home.data())) return 1;
    ::setenv("NX_APP_HOME", home.c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    auto cache = PixCache::currentCache();
    NSRunLoop::mainRunLoop()->runUntil([&] { return cache->diskOperationQueue()->operationCount() == 0; }, 30);
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return 0;
}
