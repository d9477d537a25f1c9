#include "WidgetTestSupport.h"

#include "controls/BitmapSlider.h"
#include "controls/Skin.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class BitmapSliderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent = std::make_unique<MessageRecorder>();
        slider = new CBitmapSlider(parent.get());
        slider->setControlId(1042);
        slider->setMainWindow(&mainWindow);
        ASSERT_TRUE(slider->SetChannelBitmaps(85, 209, 210));
        ASSERT_TRUE(slider->LoadThumbBitmaps());
        slider->SetPosition(30);
        mainWindow.probe = [this] { return slider->position(); };
    }

    // Both receivers' messages, the main window's first (they are sent, not posted).
    std::vector<RecordedMessage> Sent() const { return mainWindow.messages; }
    std::vector<RecordedMessage> Posted()
    {
        DeliverPosted();
        return parent->messages;
    }

    MessageRecorder mainWindow;
    std::unique_ptr<MessageRecorder> parent;
    CBitmapSlider* slider = nullptr;  // owned by parent
};

TEST_F(BitmapSliderTest, ChannelAndThumbPicturesSizeTheControl)
{
    EXPECT_EQ(slider->size(), QSize(85, 15));
    EXPECT_EQ(slider->sliderGeometry().thumbWidth, 15);
    EXPECT_EQ(slider->sliderGeometry().thumbHeight, 15);
    EXPECT_TRUE(slider->showChannel());
    EXPECT_TRUE(slider->showThumb());
    EXPECT_FALSE(slider->SetChannelBitmaps(85, 9999, 210));
    EXPECT_TRUE(slider->showChannel());  // unchanged by the failure
}

TEST_F(BitmapSliderTest, PressDragAndReleaseReportInOrder)
{
    // Thumb centre at 28 for 30; a press at 50 is off the thumb, so the thumb jumps there:
    // trunc(43 / 70 x 100) = 61. The main window sees the new position during the press.
    Mouse(slider, QEvent::MouseButtonPress, {50, 7});
    EXPECT_TRUE(slider->dragging());
    EXPECT_EQ(slider->position(), 61);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0], (RecordedMessage{WM_VOLUME_PRESSED, 0, 0, 61}));
    EXPECT_TRUE(parent->messages.empty());  // posted, not yet delivered

    Mouse(slider, QEvent::MouseMove, {60, 7});  // trunc(53 / 70 x 100) = 75
    // The thumb centre of 75 is at trunc(0.75 x 70) + 7 = 59, so the pointer at 60 still differs
    // from it: reported again with the same value.
    Mouse(slider, QEvent::MouseMove, {60, 3});
    Mouse(slider, QEvent::MouseMove, {59, 7});  // on the thumb centre: nothing
    Mouse(slider, QEvent::MouseButtonRelease, {59, 7});
    EXPECT_FALSE(slider->dragging());
    EXPECT_EQ(Posted(), (std::vector<RecordedMessage>{{WM_SLIDER_TRACK, 1042, 61, 0},
                                                      {WM_SLIDER_TRACK, 1042, 75, 0},
                                                      {WM_SLIDER_TRACK, 1042, 75, 0},
                                                      {WM_SLIDER_CHANGED, 1042, 75, 0}}));
    EXPECT_EQ(Sent().size(), 1u);
}

TEST_F(BitmapSliderTest, PressOnTheThumbKeepsItsPlace)
{
    Mouse(slider, QEvent::MouseButtonPress, {35, 7});  // 7 pixels from the centre
    EXPECT_EQ(slider->grabOffset(), 7);
    EXPECT_EQ(slider->position(), 30);
    Mouse(slider, QEvent::MouseButtonRelease, {35, 7});
    EXPECT_EQ(Posted(), (std::vector<RecordedMessage>{{WM_SLIDER_CHANGED, 1042, 30, 0}}));

    parent->messages.clear();
    Mouse(slider, QEvent::MouseButtonPress, {36, 7});  // 8 pixels: the thumb centre jumps to 36
    EXPECT_EQ(slider->grabOffset(), 0);
    EXPECT_EQ(slider->position(), 41);  // trunc(29 / 70 x 100)
    Mouse(slider, QEvent::MouseButtonRelease, {36, 7});
}

TEST_F(BitmapSliderTest, DragKeepsTheGrabOffset)
{
    Mouse(slider, QEvent::MouseButtonPress, {33, 7});  // 5 right of the centre
    Mouse(slider, QEvent::MouseMove, {47, 7});         // centre to 42: trunc(35 / 70 x 100) = 50
    EXPECT_EQ(slider->position(), 50);
    Mouse(slider, QEvent::MouseMove, {400, 7});
    EXPECT_EQ(slider->position(), 100);
    Mouse(slider, QEvent::MouseMove, {-400, 7});
    EXPECT_EQ(slider->position(), 0);
    Mouse(slider, QEvent::MouseButtonRelease, {-400, 7});
    const std::vector<RecordedMessage> posted = Posted();
    ASSERT_EQ(posted.size(), 4u);
    EXPECT_EQ(posted.back(), (RecordedMessage{WM_SLIDER_CHANGED, 1042, 0, 0}));
}

TEST_F(BitmapSliderTest, ProgressBarReportsItsOwnPress)
{
    slider->setProgressBar(true);
    Mouse(slider, QEvent::MouseButtonPress, {77, 7});
    Mouse(slider, QEvent::MouseButtonRelease, {77, 7});
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].message, WM_PROGRESS_PRESSED);
    EXPECT_EQ(Sent()[0].extra, 100);
}

TEST_F(BitmapSliderTest, OtherButtonsAndDisabledSlidersDoNothing)
{
    Mouse(slider, QEvent::MouseButtonPress, {70, 7}, Qt::RightButton);
    EXPECT_FALSE(slider->dragging());
    slider->setEnabled(false);
    Key(slider, Qt::Key_End);
    EXPECT_EQ(slider->position(), 30);
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(Posted().empty());
}

TEST_F(BitmapSliderTest, KeysClampAndStillReport)
{
    slider->SetPosition(10);
    Key(slider, Qt::Key_PageUp);
    EXPECT_EQ(slider->position(), 0);
    Key(slider, Qt::Key_Left);
    Key(slider, Qt::Key_End);
    Key(slider, Qt::Key_Down);
    Key(slider, Qt::Key_PageUp);
    Key(slider, Qt::Key_Home);
    Key(slider, Qt::Key_Up);
    Key(slider, Qt::Key_PageDown);
    Key(slider, Qt::Key_Right);
    Key(slider, Qt::Key_A);  // not a slider key
    std::vector<RecordedMessage> expected;
    for (int p : {0, 0, 100, 100, 80, 0, 0, 20, 21})
        expected.push_back({WM_SLIDER_CHANGED, 1042, p, 0});
    EXPECT_EQ(Posted(), expected);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(BitmapSliderTest, EmptyRangeKeepsTheThumbAtTheLowEnd)
{
    slider->setRangeMin(0);
    slider->setRangeMax(0);
    slider->SetPosition(0);
    Mouse(slider, QEvent::MouseButtonPress, {60, 7});
    Mouse(slider, QEvent::MouseMove, {70, 7});
    Mouse(slider, QEvent::MouseButtonRelease, {70, 7});
    EXPECT_EQ(slider->position(), 0);
    for (const RecordedMessage& m : Posted())
        EXPECT_EQ(m.lParam, 0);
    // The thumb is drawn at the left end: its middle at x 7, and channel at x 40.
    const QImage img = slider->grab().toImage();
    const QImage thumb = LoadSkinImage(206);
    EXPECT_EQ(img.pixel(7, 7), thumb.pixel(7, 7));
    EXPECT_EQ(img.pixel(40, 7), LoadSkinImage(209).pixel(40, 7));
}

TEST_F(BitmapSliderTest, PaintsActiveChannelLeftOfTheThumbAndMaskedThumb)
{
    const QImage img = slider->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage normal = LoadSkinImage(209), active = LoadSkinImage(210), thumb = LoadSkinImage(206);
    ASSERT_EQ(img.size(), QSize(85, 15));
    // Thumb centre at 28: active picture left of it, normal from 28 on, thumb over 21..35.
    EXPECT_EQ(img.pixel(10, 7), active.pixel(10, 7));
    EXPECT_EQ(img.pixel(60, 7), normal.pixel(60, 7));
    EXPECT_EQ(img.pixel(28, 7), thumb.pixel(7, 7));
    // The thumb's black corners let the channel through: row 7 at x 21 is the active bar.
    EXPECT_EQ(img.pixel(21, 7), active.pixel(21, 7));
    EXPECT_EQ(img.pixel(35, 7), normal.pixel(35, 7));

    // While dragging the pressed thumb shows.
    Mouse(slider, QEvent::MouseButtonPress, {28, 7});
    EXPECT_EQ(slider->grab().toImage().pixel(28, 7), LoadSkinImage(208).pixel(7, 7));
    Mouse(slider, QEvent::MouseButtonRelease, {28, 7});
    EXPECT_EQ(slider->grab().toImage().pixel(28, 7), thumb.pixel(7, 7));
}

TEST_F(BitmapSliderTest, MarksAreRedTicksAtTheirValuesUnderTheThumb)
{
    // 0 to 100 over pixels 7 to 77 (the thumb centre's travel): 50 is at pixel 42, 95 at 73.
    slider->SetMarks({{50, 50}, {95, 120}, {-20, -5}});
    const QImage img = slider->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage normal = LoadSkinImage(209);
    EXPECT_EQ(img.pixel(42, 7), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(76, 7), qRgb(255, 0, 0));  // 95 to 120: up to the range's end
    EXPECT_EQ(img.pixel(60, 7), normal.pixel(60, 7));
    EXPECT_EQ(img.pixel(42, 0), normal.pixel(42, 0));            // short: not the channel's full height
    EXPECT_EQ(img.pixel(3, 7), LoadSkinImage(210).pixel(3, 7));  // before the range: none
    // The thumb stays on top of a tick at its place.
    slider->SetMarks({{30, 30}});
    EXPECT_EQ(slider->grab().toImage().pixel(28, 7), LoadSkinImage(206).pixel(7, 7));
    slider->SetMarks({});
    EXPECT_EQ(slider->grab().toImage().convertToFormat(QImage::Format_RGB32).pixel(42, 7), normal.pixel(42, 7));
}

TEST_F(BitmapSliderTest, ProgressSliderWiderThanItsPictureKeepsTheBackground)
{
    auto* wide = new CBitmapSlider(parent.get());
    QPalette p = wide->palette();
    p.setColor(wide->backgroundRole(), Qt::black);
    wide->setPalette(p);
    ASSERT_TRUE(wide->SetChannelBitmaps(2100, 204, 205));
    wide->LoadThumbBitmaps();
    const QImage img = wide->grab().toImage();
    EXPECT_EQ(img.width(), 2100);
    EXPECT_EQ(img.pixel(2050, 7) & 0xFFFFFF, 0u);
    EXPECT_NE(img.pixel(1500, 7) & 0xFFFFFF, 0u);
}

}  // namespace
