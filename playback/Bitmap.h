#pragma once
// Device-independent bitmaps and the bitmap file format of screenshots. No Qt: the command line
// and the tests use these without a display.

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr std::size_t kBitmapInfoHeaderSize = 40;
constexpr std::size_t kBitmapFileHeaderSize = 14;

/// A device-independent bitmap from 32-bit pixels (memory order B, G, R, unused; rows top-down,
/// `stride` bytes apart): the 40-byte bitmap info header (24 bits per pixel, no compression, the
/// image size filled in) followed by the rows bottom-up, each padded to a multiple of 4 bytes.
/// Empty when the size is not positive or the pixels are missing.
std::vector<std::uint8_t> MakeDib24(const std::uint8_t* bgrx, int width, int height, std::size_t stride);

/// The bitmap file of a device-independent bitmap: the 14-byte file header ("BM", file size
/// 54 + image size, 0, pixel offset 54), the 40-byte info header exactly as the bitmap gives it,
/// then the image-size bytes of pixel data that follow it. The image size is the header's
/// image-size field, or width × height × 3 when that is 0. Empty when the bitmap is shorter than
/// its header says, or the sizes do not fit a bitmap file.
std::vector<std::uint8_t> BitmapFileFromDib(const std::vector<std::uint8_t>& dib);

/// Reads a little-endian value from a byte buffer.
inline std::uint32_t ReadLe32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
