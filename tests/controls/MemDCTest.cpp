#include "controls/MemDCVindrel.h"
#include "controls/Skin.h"

#include <gtest/gtest.h>

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);

TEST(CMemDCVindrel, TheTargetChangesOnlyWhenTheSurfaceGoesAway)
{
    QImage target(40, 30, QImage::Format_RGB32);
    target.fill(kBlue);
    {
        CMemDCVindrel dc(&target, QRect(10, 5, 20, 10), false, QColor(kGreen));
        dc.fillRect(QRect(12, 7, 3, 3), QColor(kRed));  // target coordinates
        EXPECT_EQ(target.pixel(12, 7), kBlue);
        EXPECT_EQ(dc.paintArea(), QRect(10, 5, 20, 10));
        EXPECT_TRUE(dc.isOffscreen());
    }
    EXPECT_EQ(target.pixel(12, 7), kRed);
    EXPECT_EQ(target.pixel(14, 9), kRed);
    EXPECT_EQ(target.pixel(10, 5), kGreen);  // the rest of the area: the background colour
    EXPECT_EQ(target.pixel(29, 14), kGreen);
    EXPECT_EQ(target.pixel(9, 5), kBlue);  // outside the area nothing changes
    EXPECT_EQ(target.pixel(30, 14), kBlue);
    EXPECT_EQ(target.pixel(10, 15), kBlue);
}

TEST(CMemDCVindrel, CopyBackgroundKeepsTheTargetsPixels)
{
    QImage target(20, 20, QImage::Format_RGB32);
    target.fill(kBlue);
    target.setPixel(3, 4, kRed);
    {
        CMemDCVindrel dc(&target, QRect(), true, QColor(kGreen));
        EXPECT_EQ(dc.paintArea(), QRect(0, 0, 20, 20));
        dc.fillRect(QRect(10, 10, 1, 1), QColor(kGreen));
    }
    EXPECT_EQ(target.pixel(3, 4), kRed);
    EXPECT_EQ(target.pixel(0, 0), kBlue);
    EXPECT_EQ(target.pixel(10, 10), kGreen);
}

TEST(MakeMask, TopLeftColourBecomesTransparent)
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 255));  // magenta key
    image.setPixel(1, 1, kRed);
    image.setPixel(2, 1, qRgb(0, 0, 0));
    QImage mask;
    MakeMask(mask, image);
    ASSERT_EQ(mask.size(), image.size());
    EXPECT_EQ(mask.format(), QImage::Format_Mono);
    EXPECT_EQ(mask.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(mask.pixel(3, 2), qRgb(255, 255, 255));
    EXPECT_EQ(mask.pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(mask.pixel(2, 1), qRgb(0, 0, 0));  // black, but not the key colour: opaque
    // Key-coloured pixels of the image are now black, the others keep their colour.
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(1, 1), kRed);

    QImage empty, emptyMask(2, 2, QImage::Format_Mono);
    MakeMask(emptyMask, empty);
    EXPECT_TRUE(emptyMask.isNull());
}

TEST(DrawMasked, TheDestinationShowsThroughTransparentPixels)
{
    QImage thumb = LoadSkinImage(206);
    ASSERT_FALSE(thumb.isNull());
    const QImage original = thumb;
    QImage mask;
    MakeMask(mask, thumb);

    QImage dest(30, 30, QImage::Format_RGB32);
    dest.fill(kGreen);
    {
        QPainter p(&dest);
        DrawMasked(p, 5, 6, 15, 15, thumb, 0, 0, mask);
    }
    // Corners of the round thumb are transparent; its middle is the picture.
    EXPECT_EQ(dest.pixel(5, 6), kGreen);
    EXPECT_EQ(dest.pixel(19, 20), kGreen);
    EXPECT_EQ(dest.pixel(12, 13), original.pixel(7, 7));
    EXPECT_EQ(dest.pixel(4, 13), kGreen);  // left of the picture
    int shown = 0;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 15; ++x)
            if (mask.pixelIndex(x, y) == 0)
                shown += dest.pixel(x + 5, y + 6) == original.pixel(x, y) ? 1 : 0;
    EXPECT_GT(shown, 100);
}

TEST(DrawFocusRectXor, DrawingTwiceRestores)
{
    QImage image(10, 8, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    const QImage before = image;
    {
        QPainter p(&image);
        DrawFocusRectXor(p, QRect(0, 0, 10, 8));
    }
    EXPECT_EQ(image.pixel(0, 0), qRgb(245, 235, 225));
    EXPECT_EQ(image.pixel(1, 0), qRgb(10, 20, 30));  // dotted
    EXPECT_EQ(image.pixel(5, 4), qRgb(10, 20, 30));  // inside untouched
    {
        QPainter p(&image);
        DrawFocusRectXor(p, QRect(0, 0, 10, 8));
    }
    EXPECT_EQ(image, before);
}

}  // namespace
