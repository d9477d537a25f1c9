#include "WidgetTestSupport.h"

#include "controls/MyButton.h"
#include "controls/Skin.h"

#include <QHelpEvent>
#include <QToolTip>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QRgb kFrame = qRgb(200, 200, 200);

std::unique_ptr<CMyButton> CaptionButton()
{
    auto b = std::make_unique<CMyButton>();
    b->resize(20, 20);
    b->setFrameWidth(20);
    b->setFrameHeight(20);
    EXPECT_TRUE(b->LoadBitmaps(211, 212));
    return b;
}

int CountColour(const QImage& img, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF) ? 1 : 0;
    return n;
}

TEST(CMyButton, HoveredButtonGetsASinglePixelFrame)
{
    auto b = CaptionButton();
    const QImage plain = b->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(CountColour(plain, kFrame), 0);

    Mouse(b.get(), QEvent::MouseMove, {10, 10}, Qt::NoButton);
    EXPECT_TRUE(b->hovered());
    const QImage framed = b->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // 20 + 20 + 18 + 18 pixels around the edge.
    EXPECT_EQ(CountColour(framed, kFrame), 76);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(framed.pixel(i, 0), kFrame);
        EXPECT_EQ(framed.pixel(i, 19), kFrame);
        EXPECT_EQ(framed.pixel(0, i), kFrame);
        EXPECT_EQ(framed.pixel(19, i), kFrame);
    }
    EXPECT_EQ(framed.copy(1, 1, 18, 18), plain.copy(1, 1, 18, 18));

    b->ResetHover();
    EXPECT_FALSE(b->hovered());
    EXPECT_EQ(b->grab().toImage().convertToFormat(QImage::Format_RGB32), plain);
}

TEST(CMyButton, FrameFollowsTheFrameSizeNotTheWindow)
{
    auto b = CaptionButton();
    b->setFrameWidth(12);
    b->setFrameHeight(8);
    Mouse(b.get(), QEvent::MouseMove, {3, 3}, Qt::NoButton);
    const QImage img = b->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(CountColour(img, kFrame), 2 * 12 + 2 * 6);
    EXPECT_EQ(img.pixel(11, 7), kFrame);
    EXPECT_NE(img.pixel(19, 19), kFrame);
}

TEST(CMyButton, PicturesByState)
{
    auto b = CaptionButton();
    const QImage normal = LoadSkinImage(211), selected = LoadSkinImage(212);
    EXPECT_EQ(b->grab().toImage().convertToFormat(QImage::Format_RGB32), normal);
    b->setDown(true);
    EXPECT_EQ(b->grab().toImage().convertToFormat(QImage::Format_RGB32), selected);
    b->setDown(false);

    // A failed picture is reported; the normal one is required.
    CMyButton other;
    EXPECT_FALSE(other.LoadBitmaps(9999, 212));
    EXPECT_FALSE(other.LoadBitmaps(211, 9999));
    EXPECT_TRUE(other.LoadBitmaps(142, 165, 165));
    EXPECT_EQ(other.sizeHint(), QSize(40, 40));
}

TEST(CMyButton, ClickReachesTheOwner)
{
    auto b = CaptionButton();
    int clicks = 0;
    QObject::connect(b.get(), &QAbstractButton::clicked, [&] { ++clicks; });
    Mouse(b.get(), QEvent::MouseButtonPress, {5, 5});
    Mouse(b.get(), QEvent::MouseButtonRelease, {5, 5});
    EXPECT_EQ(clicks, 1);
}

TEST(CMyButton, TooltipKeepsOneToolAndTheLatestText)
{
    auto b = CaptionButton();
    EXPECT_FALSE(b->tooltipActive());
    b->SetTooltipText(QString());
    EXPECT_EQ(b->tooltipToolCount(), 0);
    EXPECT_FALSE(b->tooltipActive());

    b->SetTooltipText(QStringLiteral("拍照"));
    b->resize(32, 32);
    b->SetTooltipText(QStringLiteral("Screenshot <1>"));
    EXPECT_EQ(b->tooltipToolCount(), 1);
    EXPECT_TRUE(b->tooltipActive());
    EXPECT_EQ(b->tooltipText(), QStringLiteral("Screenshot <1>"));
    EXPECT_EQ(b->tooltipToolRect(), QRect(0, 0, 20, 20));  // the size when the tool was added
    EXPECT_EQ(b->tooltipTextColour(), QColor(0, 255, 0));
    EXPECT_TRUE(b->tooltipHtml().contains(QStringLiteral("#00ff00")));
    EXPECT_TRUE(b->tooltipHtml().contains(QStringLiteral("Screenshot &lt;1&gt;")));
}

TEST(CMyButton, TooltipShowsOnlyOverTheToolAndOnlyWhenActive)
{
    auto b = CaptionButton();
    b->show();
    QHelpEvent inside(QEvent::ToolTip, QPoint(5, 5), b->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(b.get(), &inside);
    EXPECT_FALSE(QToolTip::isVisible());  // no text: the tooltip stays inactive

    b->SetTooltipText(QStringLiteral("Next"));
    QApplication::sendEvent(b.get(), &inside);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("Next")));
    QToolTip::hideText();
}

}  // namespace
