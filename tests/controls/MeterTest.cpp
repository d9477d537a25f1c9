#include "controls/Meter.h"
#include "controls/NeedleTable.h"
#include "controls/Skin.h"

#include <gtest/gtest.h>

namespace {

QImage Render(CMeter& meter) { return meter.grab().toImage().convertToFormat(QImage::Format_RGB32); }

void PrepareMeter(CMeter& meter)
{
    meter.LoadDial(132);
    meter.setRangeMin(0);
    meter.setRangeMax(120);
    meter.SetValue(0);
}

TEST(CMeter, DialSizesTheControl)
{
    CMeter meter;
    PrepareMeter(meter);
    EXPECT_TRUE(meter.hasDial());
    EXPECT_EQ(meter.size(), QSize(189, 117));
}

TEST(CMeter, ValuesAreClampedToTheRange)
{
    CMeter meter;
    PrepareMeter(meter);
    meter.SetValue(150);
    EXPECT_EQ(meter.value(), 120);
    meter.SetValue(-5);
    EXPECT_EQ(meter.value(), 0);
    meter.SetValue(62);
    EXPECT_EQ(meter.value(), 62);
}

TEST(CMeter, DrawsTheDialAndTheNeedleOfItsValue)
{
    CMeter meter;
    PrepareMeter(meter);
    const QImage dial = LoadSkinImage(132);
    for (int value : {0, 60, 120}) {
        SCOPED_TRACE(value);
        meter.SetValue(value);
        const QImage img = Render(meter);
        QImage expected = dial;
        for (const NeedlePixel& p : NeedlePixels(value))
            expected.setPixel(p.x, p.y, p.colour.rgb());
        EXPECT_EQ(img, expected);
        EXPECT_EQ(Render(meter), img);  // repainting draws the same picture
    }
    // Values beyond the table's 120 are never drawn from outside it.
    meter.setRangeMax(300);
    meter.SetValue(250);
    EXPECT_EQ(meter.value(), 250);
    EXPECT_EQ(Render(meter), dial);
}

TEST(CMeter, WithoutADialOnlyTheNeedleShows)
{
    CMeter meter;
    meter.resize(189, 117);
    QPalette p = meter.palette();
    p.setColor(meter.backgroundRole(), Qt::black);
    meter.setPalette(p);
    meter.LoadDial(9999);
    EXPECT_FALSE(meter.hasDial());
    meter.SetValue(60);
    const QImage img = Render(meter);
    int lit = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            lit += (img.pixel(x, y) & 0xFFFFFF) != 0 ? 1 : 0;
    EXPECT_EQ(lit, static_cast<int>(NeedlePixels(60).size()));
}

}  // namespace
