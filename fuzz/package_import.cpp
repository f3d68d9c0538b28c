// The whole import of an offline package copied into the Documents folder:
// unpacking, reading its record file, the check pass and the clean-up of a
// refused city. The package is built from the input: entry names from pieces
// (parent folders, separators, GBK lead bytes, 0xFF, the package's own
// folders and files), entries stored as links, record and check files whose
// sizes and digests are right or wrong. Whatever it holds, nothing beside the
// SDK and Documents folders may be created, changed or removed, at any depth.
#include <minizip/zip.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "engine/base/MD5.h"
#include "engine/data/OLPackageMan.h"
#include "engine/data/OLRecordMan.h"
#include "fuzz/support/Engine.h"
#include "fuzz/support/Sandbox.h"

namespace fs = std::filesystem;

namespace {

fuzz::Sandbox* box;

// The SDK and Documents folders lie three levels down, so an escape of any
// depth up to the sandbox lands beside a file that must stay as it is.
const std::string kHome = "one/two/three/";

const char* const kPieces[] = {
    "..", ".", "/", "\\", "\x81", "\x81\x30", "\xff", "\xa1", "VurivMap/", "Mapdata/", "data/", "10_20/",
    "100_200.map", "150.cfg", "150.chk", "x", "x.cfg", "tmp.dat", "Documents/", "sdk/", "city.zip",
};
constexpr size_t kPieceCount = sizeof kPieces / sizeof kPieces[0];
// What a check file puts before the tile's name.
const char* const kListedFolders[] = {"", "../", "10_20/", ".\xff./"};

// Reads the input a byte at a time; zero once it is used up.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return at_ >= size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::string bytes(size_t count)
    {
        count = std::min(count, size_ - std::min(at_, size_));
        std::string out(reinterpret_cast<const char*>(data_ + at_), count);
        at_ += count;
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

std::string Tile(uint8_t seed) { return std::string(2048 + seed, static_cast<char>(seed)); }

std::string Digest(const std::string& bytes, size_t offset)
{
    char hex[33];
    mapengine::MD5::DigestString(hex, reinterpret_cast<const unsigned char*>(bytes.data()) + offset, 1024);
    return hex;
}

std::string RecordElement(char prefix, int version)
{
    std::ostringstream o;
    o << '"' << prefix << "i\":\"150\",\"" << prefix << "n\":\"x\",\"" << prefix << "r\":1,\"" << prefix
      << "u\":100,\"" << prefix << "l\":0,\"" << prefix << "x\":0,\"" << prefix << "y\":0,\"" << prefix << "dv\":\""
      << version << "\",\"" << prefix << "mv\":\"9\",\"" << prefix << "b\":\"11\",\"" << prefix << "s\":\"11\",\""
      << prefix << "e\":\"13\",\"" << prefix << "cv\":\"7\",\"" << prefix << "t\":[{\"d\":\"100_200\"}]";
    return o.str();
}

// An entry's content: raw bytes, a record file, a check file (sizes and
// digests right or off) or a tile.
std::string Content(Reader& in, uint8_t kind)
{
    const uint8_t seed = in.byte();
    switch (kind) {
        case 0:
            return in.bytes(in.byte());
        case 1:
            return "[{" + RecordElement('l', seed % 10) + "," + RecordElement('s', seed % 10) + "}]";
        case 2: {
            const std::string tile = Tile(seed);
            const bool wrongSize = in.byte() & 1, wrongDigest = in.byte() & 1;
            std::ostringstream o;
            o << "[{\"name\":\"" << kListedFolders[in.byte() % 4] << "100_200.map\",\"size\":"
              << tile.size() + (wrongSize ? 1 : 0) << ",\"smd5\":\"" << (wrongDigest ? std::string(32, '0') : Digest(tile, 0))
              << "\",\"emd5\":\"" << Digest(tile, tile.size() - 1024) << "\"}]";
            return o.str();
        }
        default:
            return Tile(seed);
    }
}

// Builds the package: each entry a header byte (pieces in its name, link
// mode, content kind), the name's pieces (a byte below 0x80 picks a piece,
// others stand for themselves) and its content.
bool WritePackage(Reader& in, const std::string& path)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip) return false;
    for (int entries = 0; entries < 16 && !in.done(); ++entries) {
        const uint8_t header = in.byte();
        std::string name;
        for (int i = 0; i <= (header & 7); ++i) {
            const uint8_t b = in.byte();
            name += b < 0x80 ? std::string(kPieces[b % kPieceCount]) : std::string(1, static_cast<char>(b));
        }
        const std::string content = Content(in, (header >> 4) & 3);
        zip_fileinfo info{};
        if (header & 8) info.external_fa = static_cast<uLong>(S_IFLNK | 0777) << 16;
        if (zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1, 0) != ZIP_OK) {
            break;
        }
        zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size()));
        zipCloseFileInZip(zip);
    }
    return zipClose(zip, nullptr) == ZIP_OK;
}

// Every file and folder of the sandbox outside the SDK and Documents
// folders, with the bytes of each file.
std::map<std::string, std::string> Outside()
{
    std::map<std::string, std::string> seen;
    const fs::path sdk = box->root() / kHome / "sdk", documents = box->root() / kHome / "Documents";
    for (auto it = fs::recursive_directory_iterator(box->root()); it != fs::recursive_directory_iterator(); ++it) {
        if (it->path() == sdk || it->path() == documents) {
            it.disable_recursion_pending();
            continue;
        }
        std::ifstream file(it->path(), std::ios::binary);
        std::ostringstream bytes;
        if (it->is_regular_file()) bytes << file.rdbuf();
        seen[it->path().string()] = bytes.str();
    }
    return seen;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    static fuzz::Sandbox sandbox("package-import");
    box = &sandbox;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace mapengine;
    box->Clear();
    for (const std::string& folder : {std::string(), std::string("one/"), std::string("one/two/"), kHome}) {
        box->Write(folder + "x", "keep");
        box->Write(folder + "x.cfg", "keep");
        box->Write(folder + "tmp.dat", "keep");
        box->Write(folder + "VurivMap/Mapdata/150.cfg", "keep");
    }
    fs::create_directories(box->root() / kHome / "sdk");
    fs::create_directories(box->root() / kHome / "Documents");
    Reader in(data, size);
    if (!WritePackage(in, (box->root() / kHome / "Documents" / "city.zip").string())) return 0;
    const auto before = Outside();
    {
        COLRecordMan store;
        store.LoadAll(box->Path(kHome + "sdk/"));
        COLPackageMan packages;
        packages.SetRecordMan(&store);
        packages.SetFolders(box->Path(kHome + "sdk/"), box->Path(kHome + "Documents/"));
        packages.SetDiskFreeProbe([](double* free) {
            *free = 1e9;
            return 1;
        });
        packages.OnMessage(kOLCodeImport, 1);
        packages.JoinImport();
    }
    if (Outside() != before) std::abort();
    return 0;
}
