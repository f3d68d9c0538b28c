#include "tools/map-double/MapProjection.h"
#include "tools/map-double/TilePattern.h"

namespace mapdouble {

std::vector<uint32_t> stitchPattern(TileKind kind, int level, long long left, long long top, int width, int height) {
    const long long scale = 1LL << (18 - level);
    const long long span = tileSpan(level);
    std::vector<uint32_t> screen(static_cast<size_t>(width) * height);
    for (int sy = 0; sy < height; ++sy) {
        for (int sx = 0; sx < width; ++sx) {
            long long mx = left + sx * scale;
            long long my = top - sy * scale;
            long long tx = tileIndex(mx, level);
            long long ty = tileIndex(my - 1, level);
            int px = static_cast<int>((mx - tx * span) / scale);
            int py = static_cast<int>(((ty + 1) * span - my) / scale);
            screen[static_cast<size_t>(sy) * width + sx] = patternPixel(kind, level, tx, ty, px, py);
        }
    }
    return screen;
}

} // namespace mapdouble
