#include "playback/Bitmap.h"

#include <cstring>
#include <limits>

namespace {
void PutLe32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}
void PutLe16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
// Pictures larger than this are not written as bitmaps (the sizes must fit 32-bit fields).
constexpr std::uint64_t kMaxImageBytes = 1u << 30;
}  // namespace

std::vector<std::uint8_t> MakeDib24(const std::uint8_t* bgrx, int width, int height, std::size_t stride)
{
    if (!bgrx || width <= 0 || height <= 0 || stride < std::size_t(width) * 4)
        return {};
    const std::uint64_t rowBytes = (std::uint64_t(width) * 3 + 3) / 4 * 4;
    const std::uint64_t imageBytes = rowBytes * std::uint64_t(height);
    if (imageBytes > kMaxImageBytes)
        return {};
    std::vector<std::uint8_t> dib(kBitmapInfoHeaderSize + imageBytes, 0);
    std::uint8_t* h = dib.data();
    PutLe32(h + 0, std::uint32_t(kBitmapInfoHeaderSize));  // header size
    PutLe32(h + 4, std::uint32_t(width));
    PutLe32(h + 8, std::uint32_t(height));  // positive: rows bottom-up
    PutLe16(h + 12, 1);                     // planes
    PutLe16(h + 14, 24);                    // bits per pixel
    PutLe32(h + 16, 0);                     // no compression
    PutLe32(h + 20, std::uint32_t(imageBytes));
    PutLe32(h + 24, 2835);  // 72 dots per inch, in dots per metre
    PutLe32(h + 28, 2835);
    PutLe32(h + 32, 0);  // no colour table
    PutLe32(h + 36, 0);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = bgrx + std::size_t(height - 1 - y) * stride;
        std::uint8_t* dst = h + kBitmapInfoHeaderSize + std::size_t(y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            dst[x * 3 + 0] = src[x * 4 + 0];
            dst[x * 3 + 1] = src[x * 4 + 1];
            dst[x * 3 + 2] = src[x * 4 + 2];
        }
    }
    return dib;
}

std::vector<std::uint8_t> BitmapFileFromDib(const std::vector<std::uint8_t>& dib)
{
    if (dib.size() < kBitmapInfoHeaderSize)
        return {};
    const std::uint8_t* h = dib.data();
    std::uint64_t imageBytes = ReadLe32(h + 20);
    if (imageBytes == 0) {
        // Width and height are signed; a negative height marks top-down rows.
        const std::int64_t width = std::int32_t(ReadLe32(h + 4));
        const std::int64_t height = std::int32_t(ReadLe32(h + 8));
        imageBytes = std::uint64_t(width < 0 ? -width : width) * std::uint64_t(height < 0 ? -height : height) * 3;
    }
    if (imageBytes > kMaxImageBytes || imageBytes > dib.size() - kBitmapInfoHeaderSize)
        return {};
    const std::uint64_t fileBytes = kBitmapFileHeaderSize + kBitmapInfoHeaderSize + imageBytes;
    std::vector<std::uint8_t> file(std::size_t(fileBytes), 0);
    file[0] = 'B';
    file[1] = 'M';
    PutLe32(file.data() + 2, std::uint32_t(fileBytes));
    PutLe32(file.data() + 6, 0);
    PutLe32(file.data() + 10, std::uint32_t(kBitmapFileHeaderSize + kBitmapInfoHeaderSize));
    std::memcpy(file.data() + kBitmapFileHeaderSize, h, kBitmapInfoHeaderSize + std::size_t(imageBytes));
    return file;
}
