#include "tools/offlinepack/OfflinePack.h"

#include <iconv.h>
#include <minizip/zip.h>
#include <openssl/evp.h>

#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <sstream>

namespace offlinepack {

namespace {

constexpr int kBaseLevel = 11;
constexpr int kDigestBytes = 1024;

void putInt(std::string &out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

void appendInt(std::string &out, uint32_t value) {
    out.append(4, '\0');
    putInt(out, out.size() - 4, value);
}

std::string md5Hex(const std::string &bytes, size_t at, size_t count) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data() + at, count, digest, &length, EVP_md5(), nullptr);
    char hex[33];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(hex + 2 * i, 3, "%02x", digest[i]);
    }
    return hex;
}

bool parseGrid(const std::string &grid, int &x, int &y) { return std::sscanf(grid.c_str(), "%d_%d", &x, &y) == 2; }

std::string element(const City &city, char prefix, bool withCityVersion) {
    std::ostringstream e;
    auto key = [&](const char *name) -> std::ostringstream & {
        e << '"' << prefix << name << "\":";
        return e;
    };
    key("i") << '"' << city.id << "\",";
    key("n") << '"' << city.name << "\",";
    key("r") << 100 << ',';
    key("u") << city.size << ',';
    key("l") << 4 << ',';
    key("x") << city.x << ',';
    key("y") << city.y << ',';
    key("dv") << '"' << city.dataVersion << "\",";
    key("mv") << '"' << city.mapVersion << "\",";
    key("b") << '"' << kBaseLevel << "\",";
    key("s") << '"' << city.startLevel << "\",";
    key("e") << '"' << city.endLevel << "\",";
    if (withCityVersion) {
        key("cv") << '"' << city.cityVersion << "\",";
    }
    key("t") << '[';
    for (size_t i = 0; i < city.grids.size(); ++i) {
        e << (i ? "," : "") << "{\"d\":\"" << city.grids[i] << "\"}";
    }
    e << ']';
    return e.str();
}

} // namespace

std::string toGbk(const std::string &utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    std::string out(utf8.size() * 2 + 1, '\0');
    char *in = const_cast<char *>(utf8.data());
    size_t inLeft = utf8.size();
    char *to = out.data();
    size_t outLeft = out.size();
    iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::string tileBytes(int level, int column, int row) {
    std::ostringstream tile;
    tile << "tile " << level << '/' << column << '/' << row << ' ';
    std::string bytes = tile.str();
    // A little body of its own per tile, so digests of neighbours differ.
    for (int i = 0; i < 48; ++i) {
        bytes.push_back(static_cast<char>((level * 31 + column * 7 + row * 13 + i) & 0xFF));
    }
    return bytes;
}

std::string gridFile(int gridX, int gridY, int firstLevel, int lastLevel) {
    std::string file(36, '\0');
    putInt(file, 0, 0xFFFFFFFFu);
    const int levels = lastLevel - firstLevel + 1;
    const bool multi = levels > 1;
    std::vector<std::pair<int, int>> tiles;  // (column, row) per level block in order
    std::vector<int> blockCounts;
    for (int level = firstLevel; level <= lastLevel; ++level) {
        blockCounts.push_back(1 << (2 * (level - kBaseLevel)));
    }
    std::vector<size_t> entryAt;  // file offset of each tile's entry, in global order
    if (multi) {
        appendInt(file, static_cast<uint32_t>(firstLevel));
        appendInt(file, static_cast<uint32_t>(levels));
        size_t table = file.size();
        file.append(static_cast<size_t>(8 * levels), '\0');
        for (int i = 0; i < levels; ++i) {
            size_t block = file.size();
            putInt(file, table + 8 * i, static_cast<uint32_t>(block));
            putInt(file, table + 8 * i + 4, static_cast<uint32_t>(4 + 8 * blockCounts[i]));
            appendInt(file, static_cast<uint32_t>(blockCounts[i]));
            for (int t = 0; t < blockCounts[i]; ++t) {
                entryAt.push_back(file.size());
                file.append(8, '\xFF');
            }
        }
    } else {
        appendInt(file, static_cast<uint32_t>(blockCounts[0]));
        for (int t = 0; t < blockCounts[0]; ++t) {
            entryAt.push_back(file.size());
            file.append(8, '\xFF');
        }
    }
    size_t n = 0;
    for (int i = 0; i < levels; ++i) {
        const int level = firstLevel + i;
        const int s = 1 << (level - kBaseLevel);
        for (int index = 0; index < blockCounts[i]; ++index, ++n) {
            // The index of a tile is (x mod s) * s + (y mod s).
            std::string bytes = tileBytes(level, gridX * s + index / s, gridY * s + index % s);
            putInt(file, entryAt[n], static_cast<uint32_t>(file.size()));
            putInt(file, entryAt[n] + 4, static_cast<uint32_t>(bytes.size()));
            file += bytes;
        }
    }
    putInt(file, 4, multi ? 1 : 0);
    putInt(file, 8, 10000001);
    putInt(file, 20, static_cast<uint32_t>(n));
    return file;
}

std::string recordFileName(const City &city) { return std::to_string(city.id) + ".cfg"; }

std::vector<Entry> packageEntries(const City &city, Variant variant) {
    const std::string folder = "VurivMap/Mapdata/";
    std::vector<Entry> entries;
    std::ostringstream check;
    check << '[';
    City described = city;
    if (variant == Variant::OversizedCity) {
        described.size = 0x7FFFFFFF;
    }
    for (size_t g = 0; g < city.grids.size(); ++g) {
        int x = 0;
        int y = 0;
        parseGrid(city.grids[g], x, y);
        std::vector<std::pair<std::string, std::string>> files;
        files.emplace_back(city.grids[g] + ".map", gridFile(x, y, city.startLevel, std::min(city.endLevel, 17)));
        if (city.endLevel == 18) {
            files.emplace_back(city.grids[g] + "_18.map", gridFile(x, y, 18, 18));
        }
        for (auto &[name, bytes] : files) {
            if (g == 0 && variant == Variant::ShortFile && name == files.front().first) {
                bytes.resize(kDigestBytes - 1);
            }
            std::string start = bytes.size() >= kDigestBytes ? md5Hex(bytes, 0, kDigestBytes) : md5Hex(bytes, 0, bytes.size());
            std::string end = bytes.size() >= kDigestBytes ? md5Hex(bytes, bytes.size() - kDigestBytes, kDigestBytes)
                                                           : start;
            if (g == 0 && variant == Variant::WrongDigest && name == files.front().first) {
                start[0] = start[0] == '0' ? '1' : '0';
            }
            std::string listed = variant == Variant::TraversalName ? "../../" + name : name;
            char sub[32];
            std::snprintf(sub, sizeof sub, "%d_%d/", x / 10, y / 10);
            check << (check.tellp() > 1 ? "," : "") << "{\"name\":\"" << listed << "\",\"size\":" << bytes.size()
                  << ",\"smd5\":\"" << start << "\",\"emd5\":\"" << end << "\"}";
            entries.push_back({folder + sub + name, std::move(bytes)});
        }
    }
    check << ']';
    bool cityVersion = variant != Variant::MissingKey;
    std::string record = "{" + element(described, 'l', cityVersion) + "," + element(described, 's', cityVersion) + "}";
    std::string records = "[" + record + (variant == Variant::TwoObjects ? "," + record : "") + "]";
    entries.push_back({folder + recordFileName(city), toGbk(records)});
    entries.push_back({folder + std::to_string(city.id) + ".chk", check.str()});
    return entries;
}

bool writeZip(const std::string &path, const std::vector<Entry> &entries) {
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip) {
        return false;
    }
    bool ok = true;
    for (const Entry &entry : entries) {
        zip_fileinfo info{};
        ok = ok && zipOpenNewFileInZip64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                         Z_DEFAULT_COMPRESSION, 0) == ZIP_OK &&
             zipWriteInFileInZip(zip, entry.bytes.data(), static_cast<unsigned>(entry.bytes.size())) == ZIP_OK &&
             zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

} // namespace offlinepack
