#include "platform/uikit/UIImage.h"

#include <png.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

// jpeglib.h wants the standard types first.
#include <jpeglib.h>

#include "platform/foundation/NSBundle.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIColor.h"

namespace {

// The PNG without its compressed text chunks. They carry no pixels, and
// libpng's simplified reader, which offers no limits of its own, inflates
// each one to megabytes: a small file of many could take hundreds.
NSData withoutCompressedText(const NSData& data)
{
    NSData out(data.begin(), data.begin() + 8);
    size_t at = 8;
    while (at + 12 <= data.size()) {
        const size_t length = size_t{data[at]} << 24 | size_t{data[at + 1]} << 16 | size_t{data[at + 2]} << 8 | data[at + 3];
        const size_t end = length > data.size() - at - 12 ? data.size() : at + 12 + length;
        const bool text = std::memcmp(&data[at + 4], "zTXt", 4) == 0 || std::memcmp(&data[at + 4], "iTXt", 4) == 0;
        if (!text) out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(at), data.begin() + static_cast<ptrdiff_t>(end));
        at = end;
    }
    out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(at), data.end());
    return out;
}

cairo_surface_t* decodePNG(const NSData& original, unsigned maxSide)
{
    const NSData data = withoutCompressedText(original);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) return nullptr;
    image.format = PNG_FORMAT_BGRA;
    if (image.width == 0 || image.height == 0 || image.width > maxSide || image.height > maxSide) {
        png_image_free(&image);
        return nullptr;
    }
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(image.width), static_cast<int>(image.height));
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        png_image_free(&image);
        cairo_surface_destroy(s);
        return nullptr;
    }
    cairo_surface_flush(s);
    unsigned char* px = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    if (!png_image_finish_read(&image, nullptr, px, stride, nullptr)) {
        png_image_free(&image);
        cairo_surface_destroy(s);
        return nullptr;
    }
    // Cairo keeps colours premultiplied by alpha.
    for (png_uint_32 y = 0; y < image.height; ++y) {
        unsigned char* row = px + static_cast<ptrdiff_t>(y) * stride;
        for (png_uint_32 x = 0; x < image.width; ++x) {
            unsigned char* p = row + x * 4;
            const unsigned a = p[3];
            if (a == 255) continue;  // opaque: nothing to scale
            for (int k = 0; k < 3; ++k) p[k] = static_cast<unsigned char>((p[k] * a + 127) / 255);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

struct JPEGError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

// What libjpeg may take for an image of the size: the coefficients of three
// full-resolution components (a progressive image keeps them all; 6 bytes a
// pixel, sides rounded up to the largest MCU), the row buffers, and the
// tables. An image whose header asks for more (more components, odder
// sampling) is refused instead of allocated.
long jpegMemoryBudget(JDIMENSION width, JDIMENSION height)
{
    const long w = (static_cast<long>(width) + 31) / 32 * 32, h = (static_cast<long>(height) + 31) / 32 * 32;
    return w * h * 3 * 2 + w * 256 + (1L << 20);
}

cairo_surface_t* decodeJPEG(const NSData& data, unsigned maxSide)
{
    jpeg_decompress_struct info;
    JPEGError error;
    info.err = jpeg_std_error(&error.mgr);
    error.mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JPEGError*>(c->err)->jump, 1); };
    error.mgr.output_message = [](j_common_ptr) {};
    cairo_surface_t* volatile s = nullptr;
    jpeg_create_decompress(&info);
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        if (s) cairo_surface_destroy(s);
        return nullptr;
    }
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    // The size is refused from the header: starting the decompression of a
    // progressive image already allocates its coefficients.
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > maxSide || info.image_height > maxSide)
        std::longjmp(error.jump, 1);
    info.mem->max_memory_to_use = jpegMemoryBudget(info.image_width, info.image_height);
    info.out_color_space = JCS_EXT_BGRX;  // cairo's RGB24 layout
    jpeg_start_decompress(&info);
    s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    cairo_surface_flush(s);
    unsigned char* px = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = px + static_cast<ptrdiff_t>(info.output_scanline) * stride;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    cairo_surface_mark_dirty(s);
    return s;
}

std::optional<NSData> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return NSData(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::shared_ptr<UIImage> imageFromFile(const std::string& path, CGFloat scale, const NSString& name)
{
    const auto data = readFile(path);
    if (!data) return nullptr;
    auto decoded = UIImage::imageWithData(*data);
    if (!decoded) return nullptr;
    return std::make_shared<UIImage>(decoded->CGImage(), scale, name);
}

}  // namespace

UIImage::UIImage(CGImageRef image, CGFloat scale, NSString name) : image_(std::move(image)), scale_(scale > 0 ? scale : 1), name_(std::move(name)) {}

std::shared_ptr<UIImage> UIImage::imageWithData(const NSData& data, unsigned maxSide)
{
    static const unsigned char pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    cairo_surface_t* s = nullptr;
    if (data.size() >= 8 && std::memcmp(data.data(), pngSignature, 8) == 0) s = decodePNG(data, maxSide);
    else if (data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) s = decodeJPEG(data, maxSide);
    if (!s) return nullptr;
    return std::make_shared<UIImage>(std::make_shared<::CGImage>(s), 1);
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(const NSString& path)
{
    if (path.isNil()) return nullptr;
    const std::string& p = path.str();
    const auto dot = p.rfind('.');
    const bool twice = dot != std::string::npos && dot >= 3 && p.compare(dot - 3, 3, "@2x") == 0;
    return imageFromFile(p, twice ? 2 : 1, NSString());
}

std::shared_ptr<UIImage> UIImage::imageNamed(const NSString& name)
{
    if (name.isNil() || name.str().empty()) return nullptr;
    const std::string& n = name.str();
    const auto slash = n.rfind('/');
    const auto dot = n.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string base = hasExtension ? n.substr(0, dot) : n;
    const std::string extension = hasExtension ? n.substr(dot) : ".png";
    const std::string folder = NSBundle::mainBundle()->resourcePath().str() + "/";
    const std::string one = folder + base + extension, two = folder + base + "@2x" + extension;
    const bool preferTwo = UIScreen::mainScreen().scale() >= 2;
    for (const auto& [path, scale] : preferTwo ? std::vector<std::pair<std::string, CGFloat>>{{two, 2}, {one, 1}}
                                               : std::vector<std::pair<std::string, CGFloat>>{{one, 1}, {two, 2}}) {
        if (::access(path.c_str(), R_OK) != 0) continue;
        if (auto image = imageFromFile(path, scale, name)) return image;
    }
    return nullptr;
}

CGSize UIImage::size() const
{
    if (!image_) return CGSizeZero;
    return CGSizeMake(static_cast<CGFloat>(image_->width()) / scale_, static_cast<CGFloat>(image_->height()) / scale_);
}

std::shared_ptr<UIImage> UIImage::stretchableImageWithLeftCapWidth(NSInteger leftCapWidth, NSInteger topCapHeight) const
{
    auto image = std::make_shared<UIImage>(image_, scale_, name_);
    image->leftCap_ = std::max<NSInteger>(leftCapWidth, 0);
    image->topCap_ = std::max<NSInteger>(topCapHeight, 0);
    return image;
}

void UIImage::drawInRect(CGRect rect) const { drawInRect(rect, kCGBlendModeNormal, 1); }

void UIImage::drawInRect(CGRect rect, CGBlendMode mode, CGFloat alpha) const
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    if (!c || !image_ || rect.size.width <= 0 || rect.size.height <= 0) return;
    cairo_t* cr = c->cairo();
    const CGSize sz = size();
    // Slices along one axis: caps keep their size, the one-point middle
    // stretches; without a cap (or with one that leaves no middle point) the
    // whole length stretches. The far cap is what follows the middle point,
    // however long the near one is. A length shorter than the two caps
    // shrinks both alike, so both ends still show.
    struct Slice {
        double src, srcLen, dst, dstLen;
    };
    auto slices = [](double cap, double length, double dst, double dstLen) {
        if (cap <= 0 || cap + 1 > length + 1e-9) return std::vector<Slice>{{0, length, dst, dstLen}};
        const double far = length - cap - 1;
        if (dstLen < cap + far) {
            const double shrink = dstLen / (cap + far);
            return std::vector<Slice>{{0, cap, dst, cap * shrink}, {cap + 1, far, dst + cap * shrink, far * shrink}};
        }
        const double middle = dstLen - cap - far;
        return std::vector<Slice>{{0, cap, dst, cap}, {cap, 1, dst + cap, middle}, {cap + 1, far, dst + cap + middle, far}};
    };
    const auto xs = slices(static_cast<double>(leftCap_), sz.width, rect.origin.x, rect.size.width);
    const auto ys = slices(static_cast<double>(topCap_), sz.height, rect.origin.y, rect.size.height);
    cairo_surface_mark_dirty(image_->surface());
    for (const auto& y : ys)
        for (const auto& x : xs) {
            if (x.dstLen <= 0 || y.dstLen <= 0 || x.srcLen <= 0 || y.srcLen <= 0) continue;
            cairo_save(cr);
            cairo_new_path(cr);
            cairo_rectangle(cr, x.dst, y.dst, x.dstLen, y.dstLen);
            cairo_clip(cr);
            cairo_translate(cr, x.dst, y.dst);
            cairo_scale(cr, x.dstLen / (x.srcLen * scale_), y.dstLen / (y.srcLen * scale_));
            // Each slice on its own, so that its edges do not sample its neighbours.
            cairo_surface_t* slice = cairo_surface_create_for_rectangle(image_->surface(), x.src * scale_, y.src * scale_,
                                                                        x.srcLen * scale_, y.srcLen * scale_);
            cairo_set_source_surface(cr, slice, 0, 0);
            cairo_surface_destroy(slice);
            cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
            if (mode == kCGBlendModeCopy) cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            else if (mode == kCGBlendModeClear) cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
            cairo_paint_with_alpha(cr, alpha * c->state().alpha);
            cairo_restore(cr);
        }
}

std::optional<NSData> UIImagePNGRepresentation(const std::shared_ptr<UIImage>& image)
{
    if (!image || !image->CGImage()) return std::nullopt;
    cairo_surface_t* s = image->CGImage()->surface();
    cairo_surface_flush(s);
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const bool hasAlpha = cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32;
    const unsigned char* src = cairo_image_surface_get_data(s);
    // Straight (not premultiplied) BGRA rows for libpng.
    std::vector<unsigned char> px(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = src + static_cast<ptrdiff_t>(y) * stride + x * 4;
            unsigned char* q = px.data() + (static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4;
            const unsigned a = hasAlpha ? p[3] : 255;
            for (int k = 0; k < 3; ++k) q[k] = a ? static_cast<unsigned char>(std::min(255u, (p[k] * 255 + a / 2) / a)) : 0;
            q[3] = static_cast<unsigned char>(a);
        }
    png_image out;
    std::memset(&out, 0, sizeof out);
    out.version = PNG_IMAGE_VERSION;
    out.width = static_cast<png_uint_32>(w);
    out.height = static_cast<png_uint_32>(h);
    out.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&out, nullptr, &size, 0, px.data(), 0, nullptr)) return std::nullopt;
    NSData data(size);
    if (!png_image_write_to_memory(&out, data.data(), &size, 0, px.data(), 0, nullptr)) return std::nullopt;
    data.resize(size);
    return data;
}

// ---- Colours ----------------------------------------------------------------------

std::shared_ptr<UIColor> UIColor::colorWithPatternImage(const std::shared_ptr<UIImage>& image)
{
    if (!image) return nullptr;
    auto c = std::make_shared<UIColor>(0, 0, 0, 1);
    c->patternImage_ = image;
    return c;
}

std::shared_ptr<UIColor> UIColor::colorWithAlphaComponent(CGFloat a) const
{
    auto c = std::make_shared<UIColor>(red, green, blue, a);
    c->patternImage_ = patternImage_;
    return c;
}

void UIColor::set()
{
    setFill();
    setStroke();
}

void UIColor::setFill() { CGContextSetFillColorWithColor(UIGraphicsGetCurrentContext(), CGColor()); }
void UIColor::setStroke() { CGContextSetStrokeColorWithColor(UIGraphicsGetCurrentContext(), CGColor()); }
