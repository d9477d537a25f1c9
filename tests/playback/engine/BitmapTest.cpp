// Device-independent bitmaps and the bitmap file format, checked byte by byte against hand
// computation and read back by Qt's own bitmap reader.
#include "playback/Bitmap.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {
std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) { return ReadLe32(b.data() + at); }
std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) { return std::uint16_t(b[at] | b[at + 1] << 8); }

// A 3 × 2 picture: top row red, green, blue; bottom row white, black, grey (B, G, R, x).
const std::uint8_t kPixels[2][16] = {
    {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, /*stride padding*/ 1, 2, 3, 4},
    {255, 255, 255, 0, 0, 0, 0, 0, 128, 128, 128, 0, 9, 9, 9, 9},
};
}  // namespace

TEST(Dib, HeaderAndBottomUpRowsPaddedToFourBytes)
{
    const auto dib = MakeDib24(&kPixels[0][0], 3, 2, 16);
    // 3 pixels × 3 bytes = 9, padded to 12 per row; two rows.
    ASSERT_EQ(dib.size(), 40u + 24u);
    EXPECT_EQ(Le32(dib, 0), 40u);
    EXPECT_EQ(Le32(dib, 4), 3u);
    EXPECT_EQ(Le32(dib, 8), 2u);  // positive height: bottom-up
    EXPECT_EQ(Le16(dib, 12), 1);
    EXPECT_EQ(Le16(dib, 14), 24);
    EXPECT_EQ(Le32(dib, 16), 0u);
    EXPECT_EQ(Le32(dib, 20), 24u);
    EXPECT_EQ(Le32(dib, 32), 0u);
    const std::vector<std::uint8_t> rows(dib.begin() + 40, dib.end());
    const std::vector<std::uint8_t> expected = {
        255, 255, 255, 0, 0,   0, 128, 128, 128, 0, 0, 0,  // bottom row first
        0,   0,   255, 0, 255, 0, 255, 0,   0,   0, 0, 0,  // then the top row
    };
    EXPECT_EQ(rows, expected);
}

TEST(Dib, NothingForAnEmptyOrMissingPicture)
{
    EXPECT_TRUE(MakeDib24(nullptr, 3, 2, 12).empty());
    EXPECT_TRUE(MakeDib24(&kPixels[0][0], 0, 2, 16).empty());
    EXPECT_TRUE(MakeDib24(&kPixels[0][0], 3, -2, 16).empty());
    EXPECT_TRUE(MakeDib24(&kPixels[0][0], 5, 2, 16).empty());  // stride too short for the width
}

TEST(BitmapFile, FileHeaderThenTheDibAsItIs)
{
    const auto dib = MakeDib24(&kPixels[0][0], 3, 2, 16);
    const auto file = BitmapFileFromDib(dib);
    ASSERT_EQ(file.size(), 14u + 40u + 24u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Le32(file, 2), 78u);
    EXPECT_EQ(Le32(file, 6), 0u);
    EXPECT_EQ(Le32(file, 10), 54u);
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), file.begin() + 14));

    // Read back by an independent reader.
    QImage image;
    ASSERT_TRUE(image.loadFromData(file.data(), int(file.size()), "BMP"));
    ASSERT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(2, 0), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(0, 1), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(2, 1), qRgb(128, 128, 128));
}

TEST(BitmapFile, ImageSizeZeroMeansWidthTimesHeightTimesThree)
{
    // A 640 × 360 bitmap whose header leaves the image size at 0.
    std::vector<std::uint8_t> dib(40 + 640 * 360 * 3 + 100, 0x5A);
    std::fill(dib.begin(), dib.begin() + 40, 0);
    dib[0] = 40;
    dib[4] = 640 & 0xFF;
    dib[5] = 640 >> 8;
    dib[8] = 360 & 0xFF;
    dib[9] = 360 >> 8;
    dib[12] = 1;
    dib[14] = 24;
    const auto file = BitmapFileFromDib(dib);
    ASSERT_EQ(file.size(), 54u + 691200u);
    EXPECT_EQ(Le32(file, 2), 54u + 691200u);
    EXPECT_EQ(file.back(), 0x5A);
}

TEST(BitmapFile, NothingWhenTheDibIsShorterThanItSays)
{
    EXPECT_TRUE(BitmapFileFromDib({}).empty());
    EXPECT_TRUE(BitmapFileFromDib(std::vector<std::uint8_t>(39, 0)).empty());
    auto dib = MakeDib24(&kPixels[0][0], 3, 2, 16);
    dib.pop_back();
    EXPECT_TRUE(BitmapFileFromDib(dib).empty());
    // A header claiming an enormous picture is refused, not followed.
    std::vector<std::uint8_t> huge(40, 0);
    huge[4] = huge[5] = huge[6] = 0xFF;
    huge[8] = huge[9] = huge[10] = 0xFF;
    EXPECT_TRUE(BitmapFileFromDib(huge).empty());
}
