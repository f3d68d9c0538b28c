// Decoding of PNG and JPEG images held in memory into the engine's 32-bit
// pixels (0xAARRGGBB, alpha 0xFF, rows of width x 4 bytes). Buffers come from
// the engine allocator; the caller frees them with CVMem::Deallocate.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/render/RasterObjects.h"

namespace mapengine {

// Largest width or height a decoder accepts; larger images are refused before
// any pixel memory is taken.
constexpr int kMaxDecodeSide = 4096;

// A PNG into pixel rows; for 8-bit RGBA images an alpha plane of width x
// height bytes follows the rows. The byte size of the buffer goes to *size
// (0 on failure); null for corrupt, truncated, oversized or unsupported
// images (16-bit colour, interlaced images other than 8-bit palette or grey).
uint8_t* DecodePngTile(const uint8_t* data, size_t length, size_t* size, int* width = nullptr,
                       int* height = nullptr);
// The same image as a bitmap (with its alpha plane when it has one).
tagBitmapObj* bitmap_create_from_png(const uint8_t* data, size_t length, size_t* size);
// A JFIF JPEG into pixel rows. *length carries the data length in and the
// byte size of the pixels out (0 on failure); width, height and 32 bits per
// pixel are reported. Null for data that is not a complete JFIF stream, for
// RGB- or four-component (CMYK) images and on any decoding error.
uint8_t* DecodeJpegTile(const uint8_t* data, size_t* length, int* width, int* height, int* bitsPerPixel);

}  // namespace mapengine
