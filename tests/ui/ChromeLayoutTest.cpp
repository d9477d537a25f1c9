// Window chrome: hit test, cursors and resize directions, maximised layout, full screen.
// Expected numbers are typed from the worked cases or computed by hand.

#include "ui/ChromeLayout.h"
#include "ui/ControlIds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace {

// A 1160 x 678 window at (100, 100); its video view at client (5, 45), 720 x 405.
constexpr WinRect kWindow{100, 100, 1260, 778};
constexpr WinRect kVideo{105, 145, 825, 550};

int Hit(int x, int y, bool maximized = false, bool fullScreen = false)
{
    HitTestInput in;
    in.maximized = maximized;
    in.fullScreen = fullScreen;
    in.window = kWindow;
    in.x = x;
    in.y = y;
    in.hasVideoView = true;
    in.videoView = kVideo;
    in.cursorX = x;
    in.cursorY = y;
    in.defaultAnswer = DefaultHitTest(kWindow, x, y);
    return ChromeHitTest(in);
}

}  // namespace

TEST(HitTest, EdgesAndCorners)
{
    EXPECT_EQ(Hit(103, 130), HTLEFT);     // 3 inside the left edge, 30 below the top
    EXPECT_EQ(Hit(108, 108), HTTOPLEFT);  // 8 inside the corner both ways
    EXPECT_EQ(Hit(1252, 108), HTTOPRIGHT);
    EXPECT_EQ(Hit(108, 770), HTBOTTOMLEFT);
    EXPECT_EQ(Hit(1255, 775), HTBOTTOMRIGHT);
    EXPECT_EQ(Hit(1256, 400), HTRIGHT);
    EXPECT_EQ(Hit(900, 104), HTTOP);
    EXPECT_EQ(Hit(900, 774), HTBOTTOM);
}

TEST(HitTest, ZoneLimitsCountAsInside)
{
    EXPECT_EQ(Hit(110, 110), HTTOPLEFT);    // L + 10, T + 10
    EXPECT_EQ(Hit(1250, 110), HTTOPRIGHT);  // R - 10
    EXPECT_EQ(Hit(1250, 768), HTBOTTOMRIGHT);
    EXPECT_EQ(Hit(105, 400), HTLEFT);    // L + 5
    EXPECT_EQ(Hit(1255, 400), HTRIGHT);  // R - 5
    EXPECT_EQ(Hit(900, 105), HTTOP);
    EXPECT_EQ(Hit(900, 773), HTBOTTOM);
    // Just past them: the corner zone reaches 10 pixels, the edges only 5.
    EXPECT_EQ(Hit(111, 110), HTCAPTION);
    EXPECT_EQ(Hit(110, 111), HTCAPTION);
    EXPECT_EQ(Hit(1254, 400), HTCAPTION);
    EXPECT_EQ(Hit(900, 106), HTCAPTION);
    EXPECT_EQ(Hit(900, 772), HTCAPTION);
}

TEST(HitTest, BackgroundMovesVideoTakesClicks)
{
    EXPECT_EQ(Hit(1000, 300), HTCAPTION);  // the map column's background
    EXPECT_EQ(Hit(400, 300), HTCLIENT);    // over the video
    EXPECT_EQ(Hit(105, 300), HTLEFT);      // the video's first column is in the edge zone
    EXPECT_EQ(Hit(824, 549), HTCLIENT);    // the video's last pixel
    EXPECT_EQ(Hit(825, 549), HTCAPTION);   // just right of it

    // The video test uses the cursor position, not the hit point.
    HitTestInput in;
    in.window = kWindow;
    in.x = 1000;
    in.y = 300;
    in.hasVideoView = true;
    in.videoView = kVideo;
    in.cursorX = 400;
    in.cursorY = 300;
    EXPECT_EQ(ChromeHitTest(in), HTCLIENT);
    in.hasVideoView = false;
    EXPECT_EQ(ChromeHitTest(in), HTCAPTION);
    // Answers other than the client area pass unchanged.
    in.defaultAnswer = HTNOWHERE;
    EXPECT_EQ(ChromeHitTest(in), HTNOWHERE);
}

TEST(HitTest, MaximisedAndFullScreenAreClientEverywhere)
{
    for (bool max : {false, true}) {
        for (bool full : {false, true}) {
            if (!max && !full)
                continue;
            EXPECT_EQ(Hit(103, 130, max, full), HTCLIENT);
            EXPECT_EQ(Hit(108, 108, max, full), HTCLIENT);
            EXPECT_EQ(Hit(1000, 300, max, full), HTCLIENT);
        }
    }
}

TEST(HitTest, DefaultAnswer)
{
    EXPECT_EQ(DefaultHitTest(kWindow, 100, 100), HTCLIENT);
    EXPECT_EQ(DefaultHitTest(kWindow, 1259, 777), HTCLIENT);
    EXPECT_EQ(DefaultHitTest(kWindow, 1260, 400), HTNOWHERE);
    EXPECT_EQ(DefaultHitTest(kWindow, 99, 400), HTNOWHERE);
}

TEST(HitTest, CodesCursorsAndResizeDirections)
{
    EXPECT_EQ(HTCLIENT, 1);
    EXPECT_EQ(HTCAPTION, 2);
    EXPECT_EQ(HTLEFT, 10);
    EXPECT_EQ(HTBOTTOMRIGHT, 17);

    struct Row {
        int hit;
        int command;
        unsigned edges;
        ChromeCursor cursor;
    };
    const Row rows[] = {
        {HTLEFT, 0xF001, kEdgeLeft, ChromeCursor::SizeHorizontal},
        {HTRIGHT, 0xF002, kEdgeRight, ChromeCursor::SizeHorizontal},
        {HTTOP, 0xF003, kEdgeTop, ChromeCursor::SizeVertical},
        {HTTOPLEFT, 0xF004, kEdgeTop | kEdgeLeft, ChromeCursor::SizeNwSe},
        {HTTOPRIGHT, 0xF005, kEdgeTop | kEdgeRight, ChromeCursor::SizeNeSw},
        {HTBOTTOM, 0xF006, kEdgeBottom, ChromeCursor::SizeVertical},
        {HTBOTTOMLEFT, 0xF007, kEdgeBottom | kEdgeLeft, ChromeCursor::SizeNeSw},
        {HTBOTTOMRIGHT, 0xF008, kEdgeBottom | kEdgeRight, ChromeCursor::SizeNwSe},
        {HTCAPTION, 0, 0, ChromeCursor::Arrow},
        {HTCLIENT, 0, 0, ChromeCursor::Arrow},
        {HTNOWHERE, 0, 0, ChromeCursor::Arrow},
        {HTTRANSPARENT, 0, 0, ChromeCursor::Arrow},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(SizeCommandForHit(r.hit), r.command) << r.hit;
        EXPECT_EQ(ResizeEdgesForHit(r.hit), r.edges) << r.hit;
        EXPECT_EQ(CursorForHit(r.hit), r.cursor) << r.hit;
    }
    // Qt::TopEdge 1, LeftEdge 2, RightEdge 4, BottomEdge 8.
    EXPECT_EQ(kEdgeTop, 1u);
    EXPECT_EQ(kEdgeLeft, 2u);
    EXPECT_EQ(kEdgeRight, 4u);
    EXPECT_EQ(kEdgeBottom, 8u);
}

TEST(Maximise, FullHdScreen)
{
    const ControlLayout l = ComputeMaximizedLayout(1920, 1080);
    EXPECT_EQ(l.videoRect, (WinRect{28, 0, 1462, 807}));
    EXPECT_EQ(l.videoView, (LayoutRect{28, 45, 1434, 807}));
    EXPECT_EQ(l.columnWidth, 184);
    EXPECT_EQ(l.progressSliderWidth, 1350);
    EXPECT_EQ(l.titlePictureWidth, 1920);
    EXPECT_EQ(l.titlePictureHeight, 45);
    // G = 740, H = 1080; the other rows follow from the normal table (see below).
    EXPECT_EQ(l.RectFor(kMapViewId), (LayoutRect{1490, 45, 430, 810}));
    EXPECT_EQ(l.RectFor(kCoordCaptionId), (LayoutRect{1490, 855, 430, 38}));
    EXPECT_EQ(l.RectFor(kPlayButtonId), (LayoutRect{723, 880, 40, 40}));
    EXPECT_EQ(l.RectFor(kLeftListId), (LayoutRect{3, 925, 740, 154}));
    EXPECT_EQ(l.RectFor(kRightListId), (LayoutRect{743, 925, 740, 154}));
    EXPECT_EQ(l.RectFor(kGSensorGraphId), (LayoutRect{1705, 920, 205, 150}));
}

TEST(Maximise, FitByWidthOnAFourByThreeScreen)
{
    const ControlLayout l = ComputeMaximizedLayout(1280, 1024);
    EXPECT_EQ(l.videoRect, (WinRect{0, 136, 850, 614}));
    EXPECT_EQ(l.videoView, (LayoutRect{0, 181, 850, 478}));
    EXPECT_EQ(l.columnWidth, 104);  // 840 / 8 - 1
    EXPECT_EQ(l.RectFor(kLeftListId), (LayoutRect{3, 869, 420, 154}));
}

// The maximised table against the normal one at the same size, by the differences stated for
// the two: map column 5 further right, map 3 taller, caption 3 lower, slider row 2 lower,
// button row and lists 5 lower, everything else in the same place.
TEST(Maximise, DiffersFromTheNormalLayoutAsStated)
{
    struct Delta {
        int dx, dy, dw, dh;
    };
    std::map<int, Delta> deltas{
        {kMapViewId, {5, 0, 0, 3}},      {kCoordCaptionId, {5, 3, 0, 0}}, {kLongitudeTextId, {5, 0, 0, 0}},
        {kLatitudeTextId, {5, 0, 0, 0}}, {kTimeTextId, {0, 2, 0, 0}},     {kProgressSliderId, {0, 2, 0, 0}},
        {kVolumeIconId, {0, 2, 0, 0}},   {kVolumeSliderId, {0, 2, 0, 0}},
    };
    for (int id : {kScreenshotButtonId, kFolderButtonId, kPrevPageButtonId, kPrevButtonId, kPlayButtonId,
                   kPauseButtonId, kNextButtonId, kNextPageButtonId, kDeleteButtonId, kLeftListId, kRightListId}) {
        deltas[id] = {0, 5, 0, 0};
    }
    for (auto [w, h] : {std::pair{1600, 900}, std::pair{1366, 768}, std::pair{2560, 1440}}) {
        const ControlLayout normal = ComputeLayout(w, h);
        const ControlLayout max = ComputeMaximizedLayout(w, h);
        for (const ControlPlace& p : normal.controls) {
            const Delta d = deltas.count(p.id) ? deltas[p.id] : Delta{0, 0, 0, 0};
            const LayoutRect m = *max.RectFor(p.id);
            EXPECT_EQ(m.x - p.rect.x, d.dx) << w << "x" << h << " control " << p.id;
            EXPECT_EQ(m.y - p.rect.y, d.dy) << w << "x" << h << " control " << p.id;
            EXPECT_EQ(m.width - p.rect.width, d.dw) << w << "x" << h << " control " << p.id;
            EXPECT_EQ(m.height - p.rect.height, d.dh) << w << "x" << h << " control " << p.id;
        }
        // Video area spans 0 .. W - 430 instead of 5 .. W - 435 when it is fitted by width.
    }
    EXPECT_EQ(MaximizedVideoRect(1280, 1024).left, 0);
    EXPECT_EQ(MaximizedVideoRect(1280, 1024).right, 1280 - 430);
    EXPECT_EQ(FitVideoRect(1280, 1024).left, 5);
    EXPECT_EQ(FitVideoRect(1280, 1024).right, 1280 - 435);
}

TEST(Maximise, SmallScreenGetsNoNegativeSizes)
{
    for (auto [w, h] : {std::pair{800, 480}, std::pair{400, 200}, std::pair{0, 0}}) {
        const ControlLayout l = ComputeMaximizedLayout(w, h);
        for (const ControlPlace& p : l.controls) {
            EXPECT_GE(p.rect.width, 0) << w << "x" << h << " control " << p.id;
            EXPECT_GE(p.rect.height, 0) << w << "x" << h << " control " << p.id;
        }
        EXPECT_GE(l.videoRect.Width(), 0);
        EXPECT_GE(l.videoRect.Height(), 0);
        EXPECT_GE(l.columnWidth, 0);
    }
    // 800 x 480: d = 370, h0 = 207; 16 * 207 = 3312 <= 3330, so by height: w = 368, left = 1.
    EXPECT_EQ(MaximizedVideoRect(800, 480), (WinRect{1, 0, 369, 207}));
}

TEST(Maximise, ButtonPictures)
{
    EXPECT_EQ(MaximizeButtonPictures(false), (ButtonPictures{211, 212}));
    EXPECT_EQ(MaximizeButtonPictures(true), (ButtonPictures{213, 214}));
}

TEST(FullScreen, VideoAreas)
{
    EXPECT_EQ(FullScreenVideoRect(1920, 1080), (WinRect{0, 0, 1920, 1080}));
    EXPECT_EQ(FullScreenVideoRect(1280, 1024), (WinRect{0, 152, 1280, 872}));
    // One column of pixels stays uncovered.
    EXPECT_EQ(FullScreenVideoRect(1366, 768), (WinRect{0, 0, 1365, 768}));

    const FullScreenLayout l = ComputeFullScreenLayout(1280, 1024);
    EXPECT_EQ(l.videoRect, (WinRect{0, 152, 1280, 872}));
    EXPECT_EQ(l.videoView, (LayoutRect{0, 152, 1280, 720}));  // no title strip offset
    EXPECT_EQ(l.mapView, (LayoutRect{0, 0, 0, 0}));
}

TEST(FullScreen, HiddenAndShownAgain)
{
    const std::vector<int> hidden{1044, 1043, 1032, 1013, 1007, 1010, 1023, 1001, 1002, 1022, 1012, 1015, 1039,
                                  1042, 1033, 1034, 1035, 1021, 1041, 1037, 1036, 1018, 1048, 1038, 1020};
    EXPECT_EQ(std::vector<int>(kFullScreenHiddenControls.begin(), kFullScreenHiddenControls.end()), hidden);
    EXPECT_EQ(std::vector<int>(kFullScreenHiddenReadouts.begin(), kFullScreenHiddenReadouts.end()),
              (std::vector<int>{1019, 1016, 1017}));
    // The map view is shrunk, not hidden.
    EXPECT_EQ(std::count(hidden.begin(), hidden.end(), kMapViewId), 0);
}

TEST(FullScreen, LeavingRefitsTheVideoForTheRestoredWindow)
{
    EXPECT_EQ(LeaveFullScreenVideoRect({0, 0, 1920, 1080}, true), (WinRect{28, 0, 1462, 807}));
    EXPECT_EQ(LeaveFullScreenVideoRect({380, 181, 1540, 859}, false), (WinRect{5, 0, 725, 405}));
    EXPECT_EQ(LeaveFullScreenVideoRect({0, 0, 1280, 1024}, false), (WinRect{5, 138, 845, 613}));
    EXPECT_EQ(VideoViewRect({5, 138, 845, 613}), (LayoutRect{5, 183, 840, 475}));
}
