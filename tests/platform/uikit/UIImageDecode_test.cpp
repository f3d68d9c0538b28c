// Decoding untrusted image bytes: a header may declare any size, and the
// decoder must refuse it before its library takes memory for it.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <functional>

#include "platform/uikit/UIImage.h"
#include "tools/imagefixtures/ImageFixtures.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's allocator hooks (its header is not installed with GCC).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                                         void (*free_hook)(const volatile void*));
#endif

namespace {

constexpr size_t kAllowance = 16u << 20;  // new memory a refusal may take

#if defined(__SANITIZE_ADDRESS__)
std::atomic<size_t> g_allocated{0};

// Every allocation counts, frees do not: an upper bound of what was taken.
void countAllocation(const volatile void*, size_t size)
{
    if ((g_allocated += size) > kAllowance) _exit(3);
}
void ignoreFree(const volatile void*) {}
#else
// The process's virtual size in bytes.
size_t virtualSize()
{
    unsigned long pages = 0;
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (f) {
        if (std::fscanf(f, "%lu", &pages) != 1) pages = 0;
        std::fclose(f);
    }
    return pages * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}
#endif

// Runs the decode in a child process that may take at most kAllowance bytes
// more. Its exit code: 0 refused within the allowance, 1 decoded within it, 3
// it asked for more memory than allowed. Under AddressSanitizer (whose shadow memory
// rules out an address-space limit) the allocator's hooks end the child at the
// first allocation over the allowance; otherwise an address-space limit
// refuses it and the failed allocation's ENOMEM shows it.
int decodeWithinAllowance(const std::function<bool()>& decodes)
{
    const pid_t child = fork();
    if (child == 0) {
#if defined(__SANITIZE_ADDRESS__)
        if (!__sanitizer_install_malloc_and_free_hooks(countAllocation, ignoreFree)) _exit(4);
#else
        const rlimit limit{virtualSize() + kAllowance, RLIM_INFINITY};
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(4);
#endif
        errno = 0;
        const bool decoded = decodes();
        _exit(errno == ENOMEM ? 3 : decoded ? 1 : 0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// A small progressive JPEG whose frame header is made to declare width x height.
NSData progressiveDeclaring(unsigned width, unsigned height)
{
    imagefixtures::JpegLayout layout;
    layout.progressive = true;
    NSData bytes = imagefixtures::uniformJpeg(layout, {10, 20, 30});
    for (size_t i = 2; i + 9 < bytes.size(); ++i) {
        if (bytes[i] != 0xFF || bytes[i + 1] != 0xC2) continue;  // SOF2: length, precision, height, width
        bytes[i + 5] = static_cast<unsigned char>(height >> 8), bytes[i + 6] = static_cast<unsigned char>(height);
        bytes[i + 7] = static_cast<unsigned char>(width >> 8), bytes[i + 8] = static_cast<unsigned char>(width);
        return bytes;
    }
    ADD_FAILURE() << "no progressive frame header";
    return bytes;
}

// A PNG chunk of the type and payload, with its length and CRC.
std::string pngChunk(const char* type, const std::string& payload)
{
    std::string chunk;
    for (int shift : {24, 16, 8, 0}) chunk += static_cast<char>(payload.size() >> shift & 0xFF);
    chunk += type;
    chunk += payload;
    const uLong crc = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(chunk.data() + 4), static_cast<uInt>(chunk.size() - 4));
    for (int shift : {24, 16, 8, 0}) chunk += static_cast<char>(crc >> shift & 0xFF);
    return chunk;
}

// A 4 x 3 PNG with many compressed text chunks before its pixels, each
// inflating to almost 8 MB, as much as libpng inflates for one.
NSData pngWithTextBombs(int count)
{
    const std::string zeros(7'900'000, '\0');
    std::string packed(compressBound(zeros.size()), '\0');
    uLongf packedSize = packed.size();
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(zeros.data()), zeros.size(), 9);
    packed.resize(packedSize);
    const NSData plain = imagefixtures::makePng(imagefixtures::PngLayout{}, std::vector<uint8_t>(4 * 3 * 3, 128));
    const std::string bytes(plain.begin(), plain.end());
    const size_t afterHeader = 8 + 25;  // signature, IHDR
    std::string bombs;
    for (int i = 0; i < count; ++i) {
        bombs += pngChunk("zTXt", std::string("Comment\0\0", 9) + packed);
        bombs += pngChunk("iTXt", std::string("Comment\0\1\0\0\0", 12) + packed);
    }
    const std::string out = bytes.substr(0, afterHeader) + bombs + bytes.substr(afterHeader);
    return NSData(out.begin(), out.end());
}

}  // namespace

TEST(UIImageDecode, CompressedTextInAPNGTakesNoMemory)
{
    const NSData png = pngWithTextBombs(20);  // some 300 KB inflating to 300 MB
    ASSERT_LT(png.size(), size_t{1} << 20);
    EXPECT_EQ(decodeWithinAllowance([&] {
        auto image = UIImage::imageWithData(png, 4096);
        return image && image->size() == CGSizeMake(4, 3);
    }), 1);
}

TEST(UIImageDecode, AProgressiveHeaderDeclaringAHugeImageIsRefusedBeforeItsMemoryIsTaken)
{
    struct Case {
        const char* what;
        NSData data;
        unsigned maxSide;
    };
    const Case cases[] = {
        {"over the loader's side limit", progressiveDeclaring(61184, 25600), 4096},
        {"over the default side limit", progressiveDeclaring(61184, 25600), 32767},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decodeWithinAllowance([&] { return UIImage::imageWithData(c.data, c.maxSide) != nullptr; }), 0) << c.what;
}

TEST(UIImageDecode, ProgressiveImagesUpToTheSideLimitStillDecode)
{
    // Three full-resolution components: the most coefficient memory an image
    // of its size can rightly ask for; the smallest image has only the fixed part.
    for (int side : {4096, 1}) {
        imagefixtures::JpegLayout layout;
        layout.width = layout.height = side;
        layout.progressive = true;
        layout.fileColourSpace = 2;  // JCS_RGB: no subsampling
        auto image = UIImage::imageWithData(imagefixtures::uniformJpeg(layout, {200, 100, 50}), 4096);
        ASSERT_TRUE(image) << side;
        EXPECT_EQ(image->size(), CGSizeMake(side, side));
    }
}
