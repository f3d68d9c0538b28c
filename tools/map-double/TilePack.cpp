#include "tools/map-double/TilePack.h"

namespace mapdouble {

void putInt(std::string &pack, size_t at, int value) {
    auto v = static_cast<unsigned>(value);
    for (int i = 0; i < 4; ++i) {
        pack[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

std::string encodePack(const std::vector<PackEntry> &tiles) {
    const size_t header = 8 + 8 * tiles.size();
    std::string pack(header, '\0');
    putInt(pack, 0, static_cast<int>(header));
    putInt(pack, 4, static_cast<int>(tiles.size()));
    size_t offset = 0;
    for (size_t i = 0; i < tiles.size(); ++i) {
        const std::optional<std::string> &bytes = tiles[i].bytes;
        putInt(pack, 8 + 8 * i, bytes ? static_cast<int>(offset) : -1);
        putInt(pack, 12 + 8 * i, bytes ? static_cast<int>(bytes->size()) : 0);
        if (bytes) {
            pack += *bytes;
            offset += bytes->size();
        }
    }
    return pack;
}

} // namespace mapdouble
