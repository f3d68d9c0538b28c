// The binary property list ("bplist00"): a header, the objects one after the
// other, a table of their offsets and a 32-byte trailer that tells the widths
// of offsets and object references, the object count, the top object and
// where the table starts. All numbers are big-endian.

#include <cstring>
#include <string>

#include "platform/foundation/NSPropertyList.h"

namespace {

constexpr char kMagic[] = "bplist00";
constexpr size_t kMagicLength = 8;
constexpr size_t kTrailerLength = 32;

// Object markers: the high nibble is the kind, the low one a size or count
// (0xF: the count follows as an integer object).
constexpr uint8_t kFalse = 0x08, kTrue = 0x09, kInt = 0x10, kReal = 0x20, kDate = 0x33, kData = 0x40, kASCII = 0x50,
                  kUTF16 = 0x60, kArray = 0xA0, kDict = 0xD0;

void putBigEndian(NSData& out, uint64_t value, size_t width)
{
    for (size_t i = width; i-- > 0;) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint64_t getBigEndian(const uint8_t* p, size_t width)
{
    uint64_t v = 0;
    for (size_t i = 0; i < width; ++i) v = v << 8 | p[i];
    return v;
}

// The fewest bytes (1, 2, 4 or 8) that hold the value.
size_t widthFor(uint64_t value)
{
    return value <= 0xFF ? 1 : value <= 0xFFFF ? 2 : value <= 0xFFFFFFFF ? 4 : 8;
}

bool isUTF8(const std::string& s)
{
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        uint32_t c = n == 1 ? b : b & (0x7F >> n);
        for (size_t k = 1; k < n; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            c = c << 6 | (t & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF.
        static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kLeast[n] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return false;
        i += n;
    }
    return true;
}

size_t log2Width(size_t width) { return width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3; }

class Writer {
public:
    NSData write(const PlistValue& top)
    {
        // Objects are numbered in the order they are flattened: each
        // container before its elements, so the top object is 0.
        count(top);
        refWidth_ = widthFor(objects_);
        out_.assign(kMagic, kMagic + kMagicLength);
        writeObject(top);
        const uint64_t tableOffset = out_.size();
        const size_t offsetWidth = widthFor(tableOffset);
        for (uint64_t offset : offsets_) putBigEndian(out_, offset, offsetWidth);
        out_.insert(out_.end(), 6, 0);
        out_.push_back(static_cast<uint8_t>(offsetWidth));
        out_.push_back(static_cast<uint8_t>(refWidth_));
        putBigEndian(out_, objects_, 8);
        putBigEndian(out_, 0, 8);
        putBigEndian(out_, tableOffset, 8);
        if (refused_) return {};
        return std::move(out_);
    }

private:
    // Counts the objects of a value; nil elements are left out, as in XML.
    void count(const PlistValue& v)
    {
        ++objects_;
        if (const auto* a = v.array()) {
            for (const auto& e : *a)
                if (!e.isNil()) count(e);
        } else if (const auto* d = v.dictionary()) {
            for (const auto& [k, e] : *d)
                if (!e.isNil()) ++objects_, count(e);
        }
    }

    void marker(uint8_t kind, uint64_t length)
    {
        if (length < 0xF) {
            out_.push_back(static_cast<uint8_t>(kind | length));
            return;
        }
        out_.push_back(static_cast<uint8_t>(kind | 0xF));
        integer(static_cast<long long>(length));
    }

    // Non-negative numbers in the fewest bytes; negative ones in 8, signed.
    void integer(long long i)
    {
        const uint64_t bits = static_cast<uint64_t>(i);
        const size_t width = i < 0 ? 8 : widthFor(bits);
        out_.push_back(static_cast<uint8_t>(kInt | log2Width(width)));
        putBigEndian(out_, bits, width);
    }

    void real(uint8_t kind, double d)
    {
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        out_.push_back(kind);
        putBigEndian(out_, bits, 8);
    }

    void string(const NSString& s)
    {
        const std::string& bytes = s.str();
        // Text is kept as ASCII or UTF-16: bytes that are not UTF-8 have no
        // such form, and the list is refused rather than stored altered.
        if (!isUTF8(bytes)) refused_ = true;
        bool ascii = true;
        for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii) {
            marker(kASCII, bytes.size());
            out_.insert(out_.end(), bytes.begin(), bytes.end());
            return;
        }
        const std::u16string units = s.utf16();
        marker(kUTF16, units.size());
        for (char16_t u : units) putBigEndian(out_, u, 2);
    }

    // Writes the value and its elements; returns its object number.
    uint64_t writeObject(const PlistValue& v)
    {
        const uint64_t number = offsets_.size();
        offsets_.push_back(out_.size());
        if (const auto* s = v.string()) {
            string(*s);
        } else if (const auto* b = v.boolean()) {
            out_.push_back(*b ? kTrue : kFalse);
        } else if (const auto* i = v.integer()) {
            integer(*i);
        } else if (const auto* r = v.real()) {
            real(kReal | 3, *r);
        } else if (const auto* d = v.date()) {
            real(kDate, d->timeIntervalSinceReferenceDate());
        } else if (const auto* data = v.data()) {
            marker(kData, data->size());
            out_.insert(out_.end(), data->begin(), data->end());
        } else if (const auto* a = v.array()) {
            std::vector<const PlistValue*> elements;
            for (const auto& e : *a)
                if (!e.isNil()) elements.push_back(&e);
            references(kArray, {}, elements);
        } else if (const auto* dict = v.dictionary()) {
            std::vector<PlistValue> keys;
            std::vector<const PlistValue*> values;
            for (const auto& [k, e] : *dict)
                if (!e.isNil()) keys.emplace_back(k.isNil() ? NSString("") : k), values.push_back(&e);
            references(kDict, keys, values);
        }
        return number;
    }

    // A container: its marker, room for the references, then its objects,
    // whose numbers fill the room.
    void references(uint8_t kind, const std::vector<PlistValue>& keys, const std::vector<const PlistValue*>& values)
    {
        marker(kind, values.size());
        const size_t at = out_.size();
        out_.insert(out_.end(), (keys.size() + values.size()) * refWidth_, 0);
        size_t slot = at;
        auto fill = [&](uint64_t number) {
            for (size_t i = refWidth_; i-- > 0;) out_[slot++] = static_cast<uint8_t>(number >> (8 * i));
        };
        for (const auto& k : keys) fill(writeObject(k));
        for (const PlistValue* v : values) fill(writeObject(*v));
    }

    NSData out_;
    std::vector<uint64_t> offsets_;
    uint64_t objects_ = 0;
    size_t refWidth_ = 1;
    bool refused_ = false;
};

class Reader {
public:
    explicit Reader(const NSData& data) : d_(data) {}

    PlistValue document()
    {
        if (d_.size() < kMagicLength + kTrailerLength || std::memcmp(d_.data(), kMagic, kMagicLength) != 0) return {};
        const uint8_t* trailer = d_.data() + d_.size() - kTrailerLength;
        offsetWidth_ = trailer[6];
        refWidth_ = trailer[7];
        objects_ = getBigEndian(trailer + 8, 8);
        const uint64_t top = getBigEndian(trailer + 16, 8);
        tableOffset_ = getBigEndian(trailer + 24, 8);
        const uint64_t tableEnd = d_.size() - kTrailerLength;
        if (offsetWidth_ < 1 || offsetWidth_ > 8 || refWidth_ < 1 || refWidth_ > 8 || top >= objects_ ||
            tableOffset_ < kMagicLength || tableOffset_ > tableEnd || objects_ > (tableEnd - tableOffset_) / offsetWidth_)
            return {};
        // Every object is read once from each reference to it; more reads than
        // the file has bytes can only come from containers shared over and over.
        budget_ = d_.size();
        auto v = object(top, 0);
        return v ? std::move(*v) : PlistValue();
    }

private:
    static constexpr int kMaxDepth = 256;

    // The bytes [at, at + length) when they lie before the offset table.
    const uint8_t* bytes(uint64_t at, uint64_t length) const
    {
        return at <= tableOffset_ && length <= tableOffset_ - at ? d_.data() + at : nullptr;
    }

    // The count of a marker's low nibble, or of the integer that follows it.
    std::optional<uint64_t> length(uint8_t info, uint64_t& at) const
    {
        if (info != 0xF) return info;
        const uint8_t* m = bytes(at, 1);
        if (!m || (*m & 0xF0) != kInt || (*m & 0xF) > 3) return std::nullopt;
        const size_t width = size_t{1} << (*m & 0xF);
        const uint8_t* p = bytes(at + 1, width);
        if (!p) return std::nullopt;
        at += 1 + width;
        return getBigEndian(p, width);
    }

    std::optional<PlistValue> object(uint64_t number, int depth)
    {
        if (number >= objects_ || depth > kMaxDepth || budget_ == 0) return std::nullopt;
        --budget_;
        uint64_t at = getBigEndian(d_.data() + tableOffset_ + number * offsetWidth_, offsetWidth_);
        const uint8_t* m = at >= kMagicLength ? bytes(at, 1) : nullptr;
        if (!m) return std::nullopt;
        const uint8_t kind = *m & 0xF0, info = *m & 0x0F;
        ++at;
        if (*m == kFalse || *m == kTrue) return PlistValue(*m == kTrue);
        if (kind == kInt) {
            // 1, 2 and 4 bytes are unsigned, 8 signed; of 16 the low 8 are kept
            // when the high 8 only extend their sign.
            if (info > 4) return std::nullopt;
            const size_t width = size_t{1} << info;
            const uint8_t* p = bytes(at, width);
            if (!p) return std::nullopt;
            if (width == 16) {
                const uint64_t high = getBigEndian(p, 8), low = getBigEndian(p + 8, 8);
                if (high != (static_cast<int64_t>(low) < 0 ? ~uint64_t{0} : 0)) return std::nullopt;
                p += 8;
            }
            return PlistValue(static_cast<long long>(getBigEndian(p, width == 16 ? 8 : width)));
        }
        if (kind == kReal || *m == kDate) {
            if (kind == kReal && info != 2 && info != 3) return std::nullopt;
            const size_t width = *m == kDate ? 8 : size_t{1} << info;
            const uint8_t* p = bytes(at, width);
            if (!p) return std::nullopt;
            const uint64_t bits = getBigEndian(p, width);
            double d;
            if (width == 4) {
                float f;
                const auto b32 = static_cast<uint32_t>(bits);
                std::memcpy(&f, &b32, sizeof f);
                d = f;
            } else {
                std::memcpy(&d, &bits, sizeof d);
            }
            return *m == kDate ? PlistValue(NSDate(d)) : PlistValue(d);
        }
        auto n = length(info, at);
        if (!n) return std::nullopt;
        switch (kind) {
        case kData: {
            const uint8_t* p = bytes(at, *n);
            if (!p) return std::nullopt;
            return PlistValue(NSData(p, p + *n));
        }
        case kASCII: {
            const uint8_t* p = bytes(at, *n);
            if (!p) return std::nullopt;
            for (uint64_t i = 0; i < *n; ++i)
                if (p[i] > 0x7F) return std::nullopt;
            return PlistValue(NSString(std::string(reinterpret_cast<const char*>(p), *n)));
        }
        case kUTF16: {
            const uint8_t* p = *n <= UINT64_MAX / 2 ? bytes(at, *n * 2) : nullptr;
            if (!p) return std::nullopt;
            std::u16string units(*n, u'\0');
            for (uint64_t i = 0; i < *n; ++i) units[i] = static_cast<char16_t>(getBigEndian(p + 2 * i, 2));
            return PlistValue(NSString::stringWithUTF16(units));
        }
        case kArray:
        case kDict: {
            const uint64_t refs = kind == kDict ? *n * 2 : *n;
            const uint8_t* p = refs <= UINT64_MAX / 2 / refWidth_ ? bytes(at, refs * refWidth_) : nullptr;
            if (!p || refs > budget_) return std::nullopt;
            auto ref = [&](uint64_t i) { return getBigEndian(p + i * refWidth_, refWidth_); };
            if (kind == kArray) {
                PlistValue::Array a;
                for (uint64_t i = 0; i < *n; ++i) {
                    auto e = object(ref(i), depth + 1);
                    if (!e) return std::nullopt;
                    a.push_back(std::move(*e));
                }
                return PlistValue(std::move(a));
            }
            PlistValue::Dictionary dict;
            for (uint64_t i = 0; i < *n; ++i) {
                auto k = object(ref(i), depth + 1);
                auto v = k && k->string() ? object(ref(*n + i), depth + 1) : std::nullopt;
                if (!v) return std::nullopt;
                dict[*k->string()] = std::move(*v);
            }
            return PlistValue(std::move(dict));
        }
        default:
            return std::nullopt;
        }
    }

    const NSData& d_;
    size_t offsetWidth_ = 0, refWidth_ = 0;
    uint64_t objects_ = 0, tableOffset_ = 0, budget_ = 0;
};

}  // namespace

NSData PlistValue::binaryData() const
{
    if (isNil()) return {};
    return Writer().write(*this);
}

bool PlistValue::isBinaryPropertyList(const NSData& data)
{
    return data.size() >= kMagicLength && std::memcmp(data.data(), kMagic, kMagicLength) == 0;
}

PlistValue PlistValue::propertyListWithBinaryData(const NSData& data) { return Reader(data).document(); }
