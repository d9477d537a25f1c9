// The committed skin pictures: every number the player loads exists at its size, and the pictures
// whose pixels the controls rely on have them where they must be.

#include "controls/Skin.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    int number;
    int width;
    int height;
};

// Sizes the player shows the pictures at.
const Expected kPictures[] = {
    {131, 720, 405},
    {132, 189, 117},
    {140, 1160, 45},
    // 32 x 32 buttons: open and its focus picture, stop, rewind, fast forward, folder, pages,
    // screenshot, delete, next, previous
    {136, 32, 32},
    {157, 32, 32},
    {149, 32, 32},
    {168, 32, 32},
    {148, 32, 32},
    {166, 32, 32},
    {146, 32, 32},
    {162, 32, 32},
    {151, 32, 32},
    {163, 32, 32},
    {192, 32, 32},
    {193, 32, 32},
    {194, 32, 32},
    {195, 32, 32},
    {154, 32, 32},
    {158, 32, 32},
    {150, 32, 32},
    {160, 32, 32},
    {198, 32, 32},
    {199, 32, 32},
    {200, 32, 32},
    {203, 32, 32},
    // play and pause
    {142, 40, 40},
    {165, 40, 40},
    {147, 40, 40},
    {164, 40, 40},
    // caption buttons
    {155, 20, 20},
    {159, 20, 20},
    {211, 20, 20},
    {212, 20, 20},
    {213, 20, 20},
    {214, 20, 20},
    {215, 20, 20},
    {216, 20, 20},
    // "-" and "+"
    {188, 20, 18},
    {189, 20, 18},
    {190, 20, 18},
    {191, 20, 18},
    {184, 25, 25},
    {186, 205, 150},
    {187, 205, 150},
    {204, 2000, 15},
    {205, 2000, 15},
    {209, 85, 15},
    {210, 85, 15},
    {206, 15, 15},
    {208, 15, 15},
    {231, 430, 38},
    {232, 430, 38},
    {234, 430, 38},
};

TEST(SkinPictures, EveryPictureExistsAtItsSize)
{
    for (const Expected& e : kPictures) {
        const QImage image = LoadSkinImage(e.number);
        ASSERT_FALSE(image.isNull()) << e.number;
        EXPECT_EQ(image.size(), QSize(e.width, e.height)) << e.number;
    }
    EXPECT_FALSE(LoadSkinImage(128).isNull());
    EXPECT_TRUE(LoadSkinImage(129).isNull());
    EXPECT_EQ(LoadSkinImage(140, QSize(1920, 45)).size(), QSize(1920, 45));
    EXPECT_EQ(LoadSkinImage(131, QSize(1363, 767)).size(), QSize(1363, 767));
}

TEST(SkinPictures, PressedButtonsDifferFromNormalOnes)
{
    const int pairs[][2] = {{142, 165}, {147, 164}, {149, 168}, {148, 166}, {146, 162}, {151, 163},
                            {192, 193}, {194, 195}, {154, 158}, {150, 160}, {198, 199}, {200, 203},
                            {155, 159}, {211, 212}, {213, 214}, {215, 216}, {188, 189}, {190, 191}};
    for (const auto& pair : pairs) {
        const QImage normal = LoadSkinImage(pair[0]);
        const QImage pressed = LoadSkinImage(pair[1]);
        EXPECT_NE(normal, pressed) << pair[0];
        // The pressed picture is darker overall.
        qint64 a = 0, b = 0;
        for (int y = 0; y < normal.height(); ++y)
            for (int x = 0; x < normal.width(); ++x) {
                a += qGray(normal.pixel(x, y));
                b += qGray(pressed.pixel(x, y));
            }
        EXPECT_LT(b, a) << pair[0];
    }
    EXPECT_NE(LoadSkinImage(136), LoadSkinImage(157));
}

bool IsBlack(QRgb c) { return (c & 0xFFFFFF) == 0; }

TEST(SkinPictures, SliderPicturesHaveABlackCornerAndTheirColour)
{
    for (int n : {204, 205, 206, 208, 209, 210})
        EXPECT_TRUE(IsBlack(LoadSkinImage(n).pixel(0, 0))) << n;
    // Bars: grey for the channel, blue for the active part, along the middle row.
    for (int n : {204, 209}) {
        const QImage img = LoadSkinImage(n);
        const QRgb c = img.pixel(img.width() / 2, 7);
        EXPECT_GT(qGray(c), 60) << n;
        EXPECT_LE(std::abs(qRed(c) - qBlue(c)), 8) << n;
        EXPECT_TRUE(IsBlack(img.pixel(img.width() / 2, 1))) << n;
        EXPECT_TRUE(IsBlack(img.pixel(img.width() / 2, 13))) << n;
    }
    for (int n : {205, 210}) {
        const QRgb c = LoadSkinImage(n).pixel(40, 7);
        EXPECT_GT(qBlue(c), qRed(c) + 80) << n;
    }
    // Thumbs: round, white-grey and blue.
    const QImage thumb = LoadSkinImage(206), pressed = LoadSkinImage(208);
    EXPECT_GT(qGray(thumb.pixel(7, 7)), 180);
    EXPECT_LE(std::abs(qRed(thumb.pixel(7, 7)) - qBlue(thumb.pixel(7, 7))), 10);
    EXPECT_GT(qBlue(pressed.pixel(7, 7)), qRed(pressed.pixel(7, 7)) + 40);
    for (const QImage& t : {thumb, pressed}) {
        EXPECT_TRUE(IsBlack(t.pixel(14, 0)));
        EXPECT_TRUE(IsBlack(t.pixel(0, 14)));
        EXPECT_TRUE(IsBlack(t.pixel(14, 14)));
    }
}

bool IsWhite(QRgb c) { return (c & 0xFFFFFF) == 0xFFFFFF; }

// Columns of `row` in [x0, x1] where `pick` holds.
int CountInRow(const QImage& img, int row, int x0, int x1, bool (*pick)(QRgb))
{
    int n = 0;
    for (int x = x0; x <= x1; ++x)
        n += pick(img.pixel(x, row)) ? 1 : 0;
    return n;
}

bool IsGrey(QRgb c) { return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) > 40 && qRed(c) < 255; }
bool IsRed(QRgb c) { return qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) < 80; }
bool IsMagenta(QRgb c) { return qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) > 150; }
bool IsYellow(QRgb c) { return qRed(c) > 150 && qGreen(c) > 150 && qBlue(c) < 80; }
bool IsLit(QRgb c) { return qGray(c) > 60; }

TEST(SkinPictures, GSensorBackgroundsHaveTheirGridAxisAndLegend)
{
    for (int n : {186, 187}) {
        SCOPED_TRACE(n);
        const QImage img = LoadSkinImage(n);
        EXPECT_TRUE(IsBlack(img.pixel(0, 0)));
        // The axis at x 24 from row 30 down, the zero line on row 89 from x 24 to 204.
        for (int y = 30; y < 150; ++y)
            EXPECT_TRUE(IsWhite(img.pixel(24, y))) << y;
        EXPECT_FALSE(IsWhite(img.pixel(24, 29)));
        EXPECT_EQ(CountInRow(img, 89, 24, 204, IsWhite), 181);
        // Dashed grey verticals every 9 pixels from 33 to 204, the one at 114 brighter.
        for (int x = 33; x <= 204; x += 9) {
            int dashes = 0;
            for (int y = 30; y < 150; ++y)
                dashes += (IsGrey(img.pixel(x, y)) && y != 89) ? 1 : 0;
            EXPECT_GT(dashes, 30) << x;
            EXPECT_LT(dashes, 100) << x;
        }
        EXPECT_GT(qGray(img.pixel(114, 31)), qGray(img.pixel(105, 31)) + 40);
        for (int x = 25; x < 33; ++x)
            EXPECT_TRUE(IsBlack(img.pixel(x, 100))) << x;  // nothing between the grid lines
        // Legend in rows 12..19.
        int red = 0, magenta = 0, yellow = 0;
        for (int y = 12; y <= 19; ++y) {
            red += CountInRow(img, y, 24, 32, IsRed);
            magenta += CountInRow(img, y, 90, 98, IsMagenta);
            yellow += CountInRow(img, y, 163, 171, IsYellow);
        }
        EXPECT_GT(red, 8);
        EXPECT_GT(magenta, 8);
        EXPECT_GT(yellow, 8);
        EXPECT_EQ(CountInRow(img, 15, 39, 64, IsRed), 26);
        EXPECT_EQ(CountInRow(img, 15, 105, 130, IsMagenta), 26);
        EXPECT_EQ(CountInRow(img, 15, 178, 203, IsYellow), 26);
        for (int y : {11, 20})
            EXPECT_EQ(CountInRow(img, y, 0, 204, IsLit), 0) << y;
        // Labels end at x 20: nothing lit in columns 21..23.
        for (int y = 0; y < 150; ++y)
            for (int x = 21; x <= 23; ++x)
                EXPECT_FALSE(IsLit(img.pixel(x, y))) << x << "," << y;
    }
}

// Lit pixels left of the axis in the 7 rows around `row`.
int LabelInk(const QImage& img, int row)
{
    int n = 0;
    for (int y = row - 3; y <= row + 3; ++y)
        n += CountInRow(img, y, 0, 20, IsLit);
    return n;
}

TEST(SkinPictures, GSensorLabelsAndHorizontalGridOfEachScale)
{
    const QImage zoomed = LoadSkinImage(186);
    for (int row : {59, 89, 119})
        EXPECT_GT(LabelInk(zoomed, row), 4) << row;
    EXPECT_EQ(LabelInk(zoomed, 41), 0);
    for (int row : {30, 59, 119, 149})
        EXPECT_GT(CountInRow(zoomed, row, 25, 204, IsGrey), 60) << row;
    EXPECT_LT(CountInRow(zoomed, 41, 25, 204, IsGrey), 25);  // only the vertical lines cross it

    const QImage normal = LoadSkinImage(187);
    for (int row : {41, 89, 137})
        EXPECT_GT(LabelInk(normal, row), 4) << row;
    EXPECT_EQ(LabelInk(normal, 59), 0);
    for (int row : {30, 41, 53, 65, 77, 101, 113, 125, 137, 149})
        EXPECT_GT(CountInRow(normal, row, 25, 204, IsGrey), 60) << row;
    // "-40" is wider than "40".
    EXPECT_GT(LabelInk(normal, 137), LabelInk(normal, 41));
}

TEST(SkinPictures, DialScaleTurnsFromGreenToRed)
{
    const QImage dial = LoadSkinImage(132);
    EXPECT_TRUE(IsBlack(dial.pixel(0, 0)));
    EXPECT_TRUE(IsBlack(dial.pixel(188, 0)));
    EXPECT_TRUE(IsBlack(dial.pixel(94, 114)));
    // The mark of label v lies at 188 - 0.815 v degrees around (93.5, 91.5); sample the
    // brightest pixel near radius 84.
    const auto mark = [&](int v) {
        const double a = (188 - 0.815 * v) * 3.14159265358979 / 180;
        QRgb best = 0;
        for (double r = 80; r <= 86; r += 0.5) {
            const int x = int(93.5 + r * std::cos(a)), y = int(91.5 - r * std::sin(a));
            if (qGray(dial.pixel(x, y)) > qGray(best))
                best = dial.pixel(x, y);
        }
        return best;
    };
    EXPECT_GT(qGreen(mark(0)), qRed(mark(0)) + 60);
    EXPECT_GT(qGreen(mark(60)), qRed(mark(60)));
    EXPECT_GT(qRed(mark(160)), 180);  // yellow
    EXPECT_GT(qGreen(mark(160)), 150);
    EXPECT_GT(qRed(mark(240)), qGreen(mark(240)) + 100);
}

TEST(SkinPictures, CaptionsCarryTheirWordsOverTheReadouts)
{
    for (int n : {231, 232, 234}) {
        const QImage img = LoadSkinImage(n);
        int left = 0, right = 0, middle = 0;
        for (int y = 0; y < 32; ++y) {
            left += CountInRow(img, y, 20, 140, IsLit);
            right += CountInRow(img, y, 245, 365, IsLit);
            middle += CountInRow(img, y, 160, 225, IsLit);
        }
        EXPECT_GT(left, 40) << n;
        EXPECT_GT(right, 40) << n;
        EXPECT_EQ(middle, 0) << n;
    }
    EXPECT_NE(LoadSkinImage(231), LoadSkinImage(232));
}

}  // namespace
