// The window's own chrome on a real display: maximise and restore, full screen and back, the
// smallest size, moving and resizing by the mouse, the cursor over the edges, the hover reset
// of the buttons. Expected places are worked out by hand for a 1920 x 1080 screen.

#include "DialogHarness.h"

#include "ui/ControlIds.h"

#include <QMouseEvent>
#include <QScreen>

namespace {

struct Place {
    int id;
    int x, y, w, h;
};

std::vector<Place> Snapshot(const CVindrelDlg& dlg)
{
    std::vector<Place> places;
    for (int id :
         {kTitleBarId,       kMinimizeButtonId, kMaximizeButtonId,    kCloseButtonId,        kVideoViewId,
          kMapViewId,        kCoordCaptionId,   kLongitudeTextId,     kLatitudeTextId,       kTimeTextId,
          kProgressSliderId, kVolumeIconId,     kVolumeSliderId,      kScreenshotButtonId,   kFileNameTextId,
          kFolderButtonId,   kPrevPageButtonId, kPrevButtonId,        kPlayButtonId,         kPauseButtonId,
          kNextButtonId,     kNextPageButtonId, kDeleteButtonId,      kLeftListId,           kRightListId,
          kSpeedMeterId,     kUnitComboId,      kGSensorPlusButtonId, kGSensorMinusButtonId, kGSensorGraphId}) {
        const QRect g = dlg.ControlById(id)->geometry();
        places.push_back({id, g.x(), g.y(), g.width(), g.height()});
    }
    return places;
}

void ExpectSamePlaces(const std::vector<Place>& before, const CVindrelDlg& dlg)
{
    for (const Place& p : before) {
        EXPECT_EQ(Rect(dlg.ControlById(p.id)->geometry()), Rect(p.x, p.y, p.w, p.h)) << "control " << p.id;
    }
}

bool OnFullHdScreen(const CVindrelDlg& dlg) { return dlg.screen()->geometry() == QRect(0, 0, 1920, 1080); }

void DoubleClickVideo(CVindrelDlg& dlg)
{
    QWidget* video = dlg.ControlById(kVideoViewId);
    QTest::mouseDClick(video, Qt::LeftButton, {}, QPoint(video->width() / 2, video->height() / 2));
}

}  // namespace

TEST(Chrome, MaximiseUsesItsOwnTableAndRestoreReturnsEveryControl)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    if (!OnFullHdScreen(dlg)) {
        GTEST_SKIP() << "the expected places are worked out for a 1920 x 1080 screen";
    }
    const QRect startWindow = dlg.geometry();
    const auto startPlaces = Snapshot(dlg);

    QTest::mouseClick(&dlg.maximizeButton, Qt::LeftButton);
    EXPECT_TRUE(dlg.maximized);
    ASSERT_TRUE(WaitUntil([&] { return dlg.geometry() == QRect(0, 0, 1920, 1080); })) << Rect(dlg.geometry());
    ASSERT_TRUE(WaitUntil([&] { return !dlg.layoutSuspended; }));
    EXPECT_EQ(dlg.restoreRect,
              (WinRect{startWindow.x(), startWindow.y(), startWindow.x() + 1160, startWindow.y() + 678}));
    // W = 1920, H = 1080, G = (1920 - 440) / 2 = 740.
    EXPECT_EQ(dlg.videoRect, (WinRect{28, 0, 1462, 807}));
    EXPECT_EQ(Rect(dlg.ControlById(kVideoViewId)->geometry()), Rect(28, 45, 1434, 807));
    EXPECT_EQ(Rect(dlg.mapView.geometry()), Rect(1490, 45, 430, 810));
    EXPECT_EQ(Rect(dlg.playButton.geometry()), Rect(723, 880, 40, 40));
    EXPECT_EQ(Rect(dlg.rightList.geometry()), Rect(743, 925, 740, 154));
    EXPECT_EQ(Rect(dlg.progressSlider.geometry()), Rect(5, 862, 1350, 15));
    EXPECT_EQ(Rect(dlg.closeButton.geometry()), Rect(1898, 2, 20, 20));
    EXPECT_EQ(Rect(dlg.gSensorGraph.geometry()), Rect(1705, 920, 205, 150));
    EXPECT_EQ(dlg.titleBar.pixmap().size(), QSize(1920, 45));
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(dlg.leftList.columnWidth(column), 184) << column;  // (1920 - 440) / 8 - 1
    }
    // Nothing can be dragged while maximised.
    QTest::mousePress(&dlg.titleBar, Qt::LeftButton, {}, QPoint(600, 20));
    QTest::mouseMove(&dlg.titleBar, QPoint(700, 120));
    QTest::mouseRelease(&dlg.titleBar, Qt::LeftButton, {}, QPoint(700, 120));
    EXPECT_EQ(dlg.geometry(), QRect(0, 0, 1920, 1080));

    QTest::mouseClick(&dlg.maximizeButton, Qt::LeftButton);
    EXPECT_FALSE(dlg.maximized);
    ASSERT_TRUE(WaitUntil([&] { return dlg.geometry() == startWindow; })) << Rect(dlg.geometry());
    ASSERT_TRUE(WaitUntil([&] { return !dlg.layoutSuspended; }));
    ExpectSamePlaces(startPlaces, dlg);
    EXPECT_EQ(dlg.videoRect, (WinRect{5, 0, 725, 405}));
    EXPECT_EQ(dlg.titleBar.pixmap().size(), QSize(1160, 45));
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(dlg.rightList.columnWidth(column), 119) << column;  // (1160 - 440) / 6 - 1
    }
}

TEST(Chrome, FullScreenHidesTheControlsAndLeavingShowsThemAgain)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    if (!OnFullHdScreen(dlg)) {
        GTEST_SKIP() << "the expected places are worked out for a 1920 x 1080 screen";
    }
    const QRect startWindow = dlg.geometry();
    const auto startPlaces = Snapshot(dlg);

    DoubleClickVideo(dlg);
    ASSERT_TRUE(dlg.fullScreen);
    ASSERT_TRUE(WaitUntil([&] { return dlg.geometry() == QRect(0, 0, 1920, 1080); })) << Rect(dlg.geometry());
    EXPECT_EQ(dlg.videoRect, (WinRect{0, 0, 1920, 1080}));
    EXPECT_EQ(Rect(dlg.ControlById(kVideoViewId)->geometry()), Rect(0, 0, 1920, 1080));
    for (int id : {kMinimizeButtonId,     kMaximizeButtonId, kCloseButtonId,  kScreenshotButtonId, kFolderButtonId,
                   kPrevPageButtonId,     kPrevButtonId,     kPlayButtonId,   kPauseButtonId,      kNextButtonId,
                   kNextPageButtonId,     kDeleteButtonId,   kFileNameTextId, kVolumeSliderId,     kVolumeIconId,
                   kLeftListId,           kRightListId,      kTimeTextId,     kProgressSliderId,   kGSensorPlusButtonId,
                   kGSensorMinusButtonId, kSpeedMeterId,     kUnitComboId,    kGSensorGraphId,     kTitleBarId,
                   kCoordCaptionId,       kLongitudeTextId,  kLatitudeTextId}) {
        EXPECT_FALSE(dlg.ControlById(id)->isVisible()) << id;
    }
    // The map is shrunk to nothing, not hidden.
    EXPECT_TRUE(dlg.mapView.isVisible());
    EXPECT_EQ(Rect(dlg.mapView.geometry()), Rect(0, 0, 0, 0));
    EXPECT_EQ(dlg.mapRestoreRect, (WinRect{725, 45, 1155, 450}));
    // Nothing can be dragged in full screen: the title strip's place is client area now.
    ASSERT_TRUE(WaitUntil([&] { return !dlg.layoutSuspended; }));

    DoubleClickVideo(dlg);
    ASSERT_FALSE(dlg.fullScreen);
    ASSERT_TRUE(WaitUntil([&] { return dlg.geometry() == startWindow; })) << Rect(dlg.geometry());
    ExpectSamePlaces(startPlaces, dlg);
    EXPECT_EQ(dlg.videoRect, (WinRect{5, 0, 725, 405}));
    for (int id :
         {kPlayButtonId, kPauseButtonId, kTitleBarId, kCoordCaptionId, kLeftListId, kGSensorGraphId, kCloseButtonId}) {
        EXPECT_TRUE(dlg.ControlById(id)->isVisible()) << id;
    }
    // The ones no window state ever shows stay hidden.
    for (int id : {kStopButtonId, kRewindButtonId, kFastForwardButtonId, kOpenButtonId}) {
        EXPECT_FALSE(dlg.ControlById(id)->isVisible()) << id;
    }
}

TEST(Chrome, ADoubleClickOnTheBackgroundOfANormalWindowIsNoFullScreen)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    QTest::mouseDClick(&dlg.titleBar, Qt::LeftButton, {}, QPoint(400, 25));
    QTest::mouseDClick(&dlg, Qt::LeftButton, {}, QPoint(730, 470));
    EXPECT_FALSE(dlg.fullScreen);
}

TEST(Chrome, TheWindowCannotBeMadeSmallerThanItsStartSize)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    EXPECT_EQ(dlg.minimumSize(), QSize(1160, 678));
    dlg.resize(800, 500);
    QTest::qWait(100);
    EXPECT_GE(dlg.width(), 1160);
    EXPECT_GE(dlg.height(), 678);

    // Dragging the bottom right corner up and left stops at the smallest size; down and right
    // grows the window. Edges are 5 and corners 10 pixels wide.
    const QPoint corner(dlg.width() - 3, dlg.height() - 3);
    QTest::mousePress(&dlg, Qt::LeftButton, {}, corner);
    QTest::mouseMove(&dlg, corner - QPoint(200, 100));
    QTest::mouseRelease(&dlg, Qt::LeftButton, {}, corner - QPoint(200, 100));
    QTest::qWait(100);
    EXPECT_EQ(dlg.size(), QSize(1160, 678));

    const QPoint bottom(500, dlg.height() - 2);
    QTest::mousePress(&dlg, Qt::LeftButton, {}, bottom);
    QTest::mouseMove(&dlg, bottom + QPoint(0, 60));
    QTest::mouseRelease(&dlg, Qt::LeftButton, {}, bottom + QPoint(0, 60));
    ASSERT_TRUE(WaitUntil([&] { return dlg.height() == 738 && dlg.lastClientHeight == 738; }));
    EXPECT_EQ(dlg.width(), 1160);
    // A change of the height alone: the title strip stays, the lower controls move down 60.
    EXPECT_EQ(Rect(dlg.titleBar.geometry()), Rect(0, 0, 1160, 45));
    EXPECT_EQ(Rect(dlg.playButton.geometry()), Rect(343, 533, 40, 40));
    EXPECT_EQ(Rect(dlg.mapView.geometry()), Rect(725, 45, 430, 465));
    // Fit by width: h = 9 x 725 / 16 = 407, top = (738 - 407 - 273) / 2 = 29.
    EXPECT_EQ(dlg.videoRect, (WinRect{5, 29, 725, 436}));
}

TEST(Chrome, DraggingTheBackgroundMovesTheWindowButNotFromTheVideo)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    const QRect before = dlg.geometry();
    QTest::mousePress(&dlg.titleBar, Qt::LeftButton, {}, QPoint(400, 20));
    QTest::mouseMove(&dlg.titleBar, QPoint(440, 50));
    QTest::mouseRelease(&dlg.titleBar, Qt::LeftButton, {}, QPoint(440, 50));
    if (!QTest::qWaitFor([&] { return dlg.pos() != before.topLeft(); }, 1000)) {
        GTEST_SKIP() << "the window manager moves the window itself";
    }
    EXPECT_EQ(dlg.pos(), before.topLeft() + QPoint(40, 30));
    EXPECT_EQ(dlg.size(), before.size());

    const QPoint moved = dlg.pos();
    QWidget* video = dlg.ControlById(kVideoViewId);
    QTest::mousePress(video, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseMove(video, QPoint(350, 250));
    QTest::mouseRelease(video, Qt::LeftButton, {}, QPoint(350, 250));
    QTest::qWait(100);
    EXPECT_EQ(dlg.pos(), moved);
}

TEST(Chrome, CursorFollowsTheEdgesAndTheBackgroundTakesTheHoverFrameOff)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    const auto moveTo = [&](QWidget* w, QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &move);
    };
    moveTo(&dlg, QPoint(2, 300));
    EXPECT_EQ(dlg.cursor().shape(), Qt::SizeHorCursor);
    moveTo(&dlg, QPoint(600, dlg.height() - 2));
    EXPECT_EQ(dlg.cursor().shape(), Qt::SizeVerCursor);
    moveTo(&dlg, QPoint(dlg.width() - 4, dlg.height() - 4));
    EXPECT_EQ(dlg.cursor().shape(), Qt::SizeFDiagCursor);
    moveTo(&dlg.titleBar, QPoint(dlg.width() - 1, 8));  // beside the close button
    EXPECT_EQ(dlg.cursor().shape(), Qt::SizeBDiagCursor);
    moveTo(&dlg.titleBar, QPoint(600, 3));  // the top edge lies on the title strip
    EXPECT_EQ(dlg.cursor().shape(), Qt::SizeVerCursor);
    moveTo(&dlg, QPoint(730, 470));
    EXPECT_EQ(dlg.cursor().shape(), Qt::ArrowCursor);

    moveTo(&dlg.folderButton, QPoint(10, 10));
    ASSERT_TRUE(dlg.folderButton.hovered());
    moveTo(&dlg.titleBar, QPoint(300, 20));  // a static lets the pointer through to the window
    EXPECT_FALSE(dlg.folderButton.hovered());
}

TEST(Chrome, SameSizeMovesNothingButClearsTheSuspension)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    dlg.titleBar.move(100, 100);  // out of place: a layout would put it back
    dlg.layoutSuspended = true;
    dlg.OnSize(0, 1300, 700);
    EXPECT_FALSE(dlg.layoutSuspended);
    EXPECT_EQ(dlg.lastClientWidth, 1160);  // not stored while suspended
    EXPECT_EQ(dlg.titleBar.pos(), QPoint(100, 100));
    dlg.OnSize(0, 1160, 678);
    EXPECT_EQ(dlg.titleBar.pos(), QPoint(100, 100));
    // Minimised stores 0 x 0, so the next size lays out everything again.
    dlg.OnSize(1, 0, 0);
    EXPECT_EQ(dlg.lastClientWidth, 0);
    dlg.OnSize(0, 1160, 678);
    EXPECT_EQ(dlg.titleBar.pos(), QPoint(0, 0));
}
