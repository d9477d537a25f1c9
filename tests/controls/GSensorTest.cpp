#include "controls/GSensor.h"
#include "controls/Skin.h"

#include <gtest/gtest.h>

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kMagenta = qRgb(255, 0, 255);
const QRgb kYellow = qRgb(255, 255, 0);

QImage Render(CGSensor& chart) { return chart.grab().toImage().convertToFormat(QImage::Format_RGB32); }

TEST(CGSensor, ScalesSwapTheBackground)
{
    CGSensor chart;
    chart.resize(205, 150);
    EXPECT_TRUE(chart.zoomed());
    chart.ShowScale(false);
    EXPECT_FALSE(chart.zoomed());
    EXPECT_EQ(Render(chart), LoadSkinImage(187));
    chart.ShowScale(true);
    EXPECT_TRUE(chart.zoomed());
    EXPECT_EQ(Render(chart), LoadSkinImage(186));
    chart.ShowScale(true);  // "+" again: the same picture
    EXPECT_EQ(Render(chart), LoadSkinImage(186));
}

TEST(CGSensor, CurvesOverTheBackground)
{
    CGSensor chart;
    chart.resize(205, 150);
    chart.ShowScale(false);
    chart.gSensorSeries() = {{10.9, -20.0, -0.5}, {10.9, -20.0, -0.5}};
    const QImage background = Render(chart);
    EXPECT_EQ(background, LoadSkinImage(187));  // no data: nothing drawn

    chart.setHasData(true);
    chart.setCurrentIndex(0);
    const QImage img = Render(chart);
    // Sample 0 at x 106: X 13 pixels above the zero line, Y 24 below, Z (-0.6) on it.
    EXPECT_EQ(img.pixel(106, 76), kRed);
    EXPECT_EQ(img.pixel(110, 76), kRed);  // to sample 1 at x 115
    EXPECT_EQ(img.pixel(106, 113), kMagenta);
    EXPECT_EQ(img.pixel(106, 89), kYellow);
    // Left of sample 0 all three lie on the zero line; Z is drawn last.
    EXPECT_EQ(img.pixel(50, 89), kYellow);
    // After sample 1 (x 115) they fall back to the zero line by x 124.
    EXPECT_EQ(img.pixel(150, 89), kYellow);
    EXPECT_EQ(img.pixel(150, 76), background.pixel(150, 76));

    chart.setHasData(false);
    EXPECT_EQ(Render(chart), background);
}

TEST(CGSensor, EmptySeriesWithDataDrawsTheZeroLine)
{
    CGSensor chart;
    chart.resize(205, 150);
    chart.ShowScale(true);
    chart.setHasData(true);
    const QImage img = Render(chart);
    for (int x = 25; x <= 204; ++x)
        EXPECT_EQ(img.pixel(x, 89), kYellow) << x;
}

}  // namespace
