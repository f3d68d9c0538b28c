#include "protocol/UTF8Check.h"

#include <cstdint>
#include <cstring>

bool UTF8IsWellFormed(std::string_view bytes)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* const end = s + bytes.size();
    while (s < end) {
        // Eight ASCII bytes at a time.
        if (end - s >= 8) {
            uint64_t word;
            std::memcpy(&word, s, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                s += 8;
                continue;
            }
        }
        unsigned char c = *s;
        if (c < 0x80) {
            ++s;
            continue;
        }
        int extra;
        unsigned long cp;
        if ((c & 0xE0) == 0xC0) extra = 1, cp = c & 0x1F;
        else if ((c & 0xF0) == 0xE0) extra = 2, cp = c & 0x0F;
        else if ((c & 0xF8) == 0xF0) extra = 3, cp = c & 0x07;
        else return false;
        if (end - s <= extra) return false;
        ++s;
        for (int i = 0; i < extra; ++i, ++s) {
            if ((*s & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (*s & 0x3F);
        }
        static constexpr unsigned long minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    }
    return true;
}
