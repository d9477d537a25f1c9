// Normal layout of the player window. Every expected number below is typed from the window's
// start table or worked out by hand from the layout rules, never taken from the code.

#include "ui/ControlIds.h"
#include "ui/Layout.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace {

struct Expected {
    int id;
    LayoutRect rect;
};

void ExpectPlaces(const ControlLayout& layout, const std::vector<Expected>& table)
{
    for (const Expected& e : table) {
        const auto got = layout.RectFor(e.id);
        ASSERT_TRUE(got.has_value()) << "control " << e.id;
        EXPECT_EQ(got->x, e.rect.x) << "x of control " << e.id;
        EXPECT_EQ(got->y, e.rect.y) << "y of control " << e.id;
        EXPECT_EQ(got->width, e.rect.width) << "width of control " << e.id;
        EXPECT_EQ(got->height, e.rect.height) << "height of control " << e.id;
    }
}

}  // namespace

// The window's start table: the places given to the controls at 1160 x 678 when it opens.
TEST(Layout, StartSizeGivesTheStartTable)
{
    const ControlLayout l = ComputeLayout(1160, 678);
    ExpectPlaces(l, {
                        {kMinimizeButtonId, {1094, 2, 20, 20}},   {kLeftListId, {3, 518, 360, 154}},
                        {kMaximizeButtonId, {1116, 2, 20, 20}},   {kRightListId, {363, 518, 360, 154}},
                        {kCloseButtonId, {1138, 2, 20, 20}},      {kTimeTextId, {600, 453, 110, 26}},
                        {kScreenshotButtonId, {15, 478, 32, 32}}, {kProgressSliderId, {5, 458, 590, 15}},
                        {kFolderButtonId, {190, 478, 32, 32}},    {kGSensorPlusButtonId, {929, 523, 20, 18}},
                        {kPrevPageButtonId, {240, 478, 32, 32}},  {kGSensorMinusButtonId, {929, 543, 20, 18}},
                        {kPrevButtonId, {290, 478, 32, 32}},      {kSpeedMeterId, {724, 556, 189, 117}},
                        {kPlayButtonId, {343, 473, 40, 40}},      {kUnitComboId, {789, 521, 60, 40}},
                        {kPauseButtonId, {343, 473, 40, 40}},     {kGSensorGraphId, {945, 518, 205, 150}},
                        {kNextButtonId, {400, 478, 32, 32}},      {kTitleBarId, {0, 0, 1160, 45}},
                        {kNextPageButtonId, {450, 478, 32, 32}},  {kVideoViewId, {5, 45, 720, 405}},
                        {kDeleteButtonId, {500, 478, 32, 32}},    {kMapViewId, {725, 45, 430, 405}},
                        {kFileNameTextId, {50, 491, 130, 26}},    {kCoordCaptionId, {725, 450, 430, 38}},
                        {kVolumeSliderId, {623, 490, 85, 15}},    {kLongitudeTextId, {760, 492, 90, 20}},
                        {kVolumeIconId, {598, 485, 25, 25}},      {kLatitudeTextId, {985, 492, 90, 20}},
                    });
    EXPECT_EQ(l.videoRect, (WinRect{5, 0, 725, 405}));
    EXPECT_EQ(l.videoView, (LayoutRect{5, 45, kStartVideoWidth, kStartVideoHeight}));
    EXPECT_EQ(l.columnWidth, 119);
    EXPECT_EQ(l.progressSliderWidth, 590);
    EXPECT_EQ(l.titlePictureWidth, 1160);
    EXPECT_EQ(l.titlePictureHeight, 45);
}

TEST(Layout, MovesEveryControlOnceAndLeavesTheHiddenOnesAlone)
{
    const ControlLayout l = ComputeLayout(1160, 678);
    std::set<int> ids;
    for (const ControlPlace& p : l.controls) {
        EXPECT_TRUE(ids.insert(p.id).second) << "control " << p.id << " placed twice";
    }
    EXPECT_EQ(ids.size(), 29u);
    EXPECT_EQ(ids.count(kVideoViewId), 0u);  // placed on its own, through videoView
    for (int id : {kStopButtonId, kRewindButtonId, kFastForwardButtonId, kOpenButtonId}) {
        EXPECT_FALSE(l.RectFor(id).has_value()) << "control " << id;
    }
}

TEST(Layout, WideWindowFitsTheVideoByHeight)
{
    // 1920 x 1040: H = 767, F = 740; 16 * 767 = 12272 <= 9 * 1920 - 3960 = 13320.
    const ControlLayout l = ComputeLayout(1920, 1040);
    EXPECT_EQ(l.videoRect, (WinRect{63, 0, 1426, 767}));
    EXPECT_EQ(l.videoView, (LayoutRect{63, 45, 1363, 767}));
    EXPECT_EQ(l.columnWidth, 245);
    EXPECT_EQ(l.progressSliderWidth, 1350);
    EXPECT_EQ(l.titlePictureWidth, 1920);
    ExpectPlaces(l, {
                        {kMapViewId, {1485, 45, 430, 767}},
                        {kCloseButtonId, {1898, 2, 20, 20}},
                        {kPlayButtonId, {723, 835, 40, 40}},
                        {kRightListId, {743, 880, 740, 154}},
                        {kGSensorGraphId, {1705, 880, 205, 150}},
                    });
}

TEST(Layout, TallWindowFitsTheVideoByWidth)
{
    // The height comes from cx - 435 while the width is cx - 440.
    EXPECT_EQ(FitVideoRect(1160, 900), (WinRect{5, 110, 725, 517}));
    EXPECT_EQ(ComputeLayout(1160, 900).videoView, (LayoutRect{5, 155, 720, 407}));
    EXPECT_EQ(FitVideoRect(1280, 1024), (WinRect{5, 138, 845, 613}));
}

TEST(Layout, FitDividesTruncatingTowardZero)
{
    // 1160 x 679: by width, h = 9 * 725 / 16 = 407, top = (679 - 407 - 273) / 2 = -1 / 2 = 0.
    EXPECT_EQ(FitVideoRect(1160, 679), (WinRect{5, 0, 725, 407}));
    // 1161 x 678: still by height (6480 <= 6489), left = (1161 - 720 - 440) / 2 + 5 = 5.
    EXPECT_EQ(FitVideoRect(1161, 678), (WinRect{5, 0, 725, 405}));
    // 1166 x 678: left = 6 / 2 + 5 = 8.
    EXPECT_EQ(FitVideoRect(1166, 678), (WinRect{8, 0, 728, 405}));
    // F = (cx - 440) / 2 truncates too: 1161 gives 360, so the folder button is at 190.
    EXPECT_EQ(ComputeLayout(1161, 678).RectFor(kFolderButtonId)->x, 190);
    EXPECT_EQ(ComputeLayout(1161, 678).RectFor(kRightListId)->x, 363);
}

TEST(Layout, ColumnWidths)
{
    EXPECT_EQ(ListColumnWidth(1160), 119);
    EXPECT_EQ(ListColumnWidth(1920), 245);
    EXPECT_EQ(ListColumnWidth(1280), 139);  // 840 / 6 - 1
    EXPECT_EQ(ListColumnWidth(1165), 119);  // 725 / 6 = 120
    EXPECT_EQ(ListColumnWidth(452), 1);
    // A width of -1 or -2 would make the list size the column itself; such windows get 0.
    EXPECT_EQ(ListColumnWidth(446), 0);
    EXPECT_EQ(ListColumnWidth(440), 0);
    EXPECT_EQ(ListColumnWidth(434), 0);
    EXPECT_EQ(ListColumnWidth(0), 0);
    // 16-bit: (300000 - 440) / 6 - 1 = 49925 saturates instead of turning negative.
    EXPECT_EQ(ListColumnWidth(300000), 32767);
}

TEST(Layout, HugeAreaSaturatesTheSixteenBitSizes)
{
    // 80000 x 40000: by height, 16 * 39727 / 9 = 70625 does not fit 16 bits; wrapping would
    // give 5089. Saturated: w = 32767, left = (79560 - 32767) / 2 + 5 = 23401.
    EXPECT_EQ(FitVideoRect(80000, 40000), (WinRect{23401, 0, 56168, 39727}));
    // 70000 x 60000: by width, 9 * 69565 / 16 = 39130 (wrapping would give -26406).
    // Saturated: h = 32767, top = (59727 - 32767) / 2 = 13480.
    EXPECT_EQ(FitVideoRect(70000, 60000), (WinRect{5, 13480, 69565, 46247}));
    EXPECT_EQ(Reduce16(70625), 32767);
    EXPECT_EQ(Reduce16(-40000), -32768);
    EXPECT_EQ(Reduce16(-7), -7);
}

TEST(Layout, TinyWindowGetsNoNegativeSizes)
{
    const std::vector<std::pair<int, int>> sizes{{0, 0},      {300, 200}, {437, 900}, {1160, 100},
                                                 {100, 2000}, {-5, -5},   {440, 273}, {2147483647, 2147483647}};
    for (auto [cx, cy] : sizes) {
        const ControlLayout l = ComputeLayout(cx, cy);
        for (const ControlPlace& p : l.controls) {
            EXPECT_GE(p.rect.width, 0) << cx << "x" << cy << " control " << p.id;
            EXPECT_GE(p.rect.height, 0) << cx << "x" << cy << " control " << p.id;
        }
        EXPECT_GE(l.videoRect.Width(), 0) << cx << "x" << cy;
        EXPECT_GE(l.videoRect.Height(), 0) << cx << "x" << cy;
        EXPECT_GE(l.videoView.width, 0);
        EXPECT_GE(l.videoView.height, 0);
        EXPECT_GE(l.columnWidth, 0);
        EXPECT_GE(l.progressSliderWidth, 0);
        EXPECT_GE(l.titlePictureWidth, 0);
    }
    // 300 x 200: the list half F = -70 places the right list at -67, with no width.
    const ControlLayout small = ComputeLayout(300, 200);
    EXPECT_EQ(small.RectFor(kRightListId), (LayoutRect{-67, 40, 0, 154}));
    EXPECT_EQ(small.RectFor(kMapViewId), (LayoutRect{-135, 45, 430, 0}));
}

TEST(SizeChange, SameSizeMovesNothingButStoresAndRepaints)
{
    const SizeDecision d = DecideOnSize({.layoutSuspended = false,
                                         .titleBarExists = true,
                                         .lastWidth = 1160,
                                         .lastHeight = 678,
                                         .width = 1160,
                                         .height = 678});
    EXPECT_EQ(d.scope, LayoutScope::Nothing);
    EXPECT_FALSE(d.premoveCaptionButtons);
    EXPECT_TRUE(d.storeSize);
    EXPECT_TRUE(d.clearLayoutSuspended);
    EXPECT_TRUE(d.repaint);
}

TEST(SizeChange, SuspendedOrNotYetCreatedSkipsWithoutStoring)
{
    for (const SizeChange& c : {
             SizeChange{.layoutSuspended = true, .titleBarExists = true, .width = 1920, .height = 1080},
             SizeChange{.layoutSuspended = false, .titleBarExists = false, .width = 1160, .height = 678},
             SizeChange{.layoutSuspended = false,
             .titleBarExists = true,
             .fullScreen = true,
             .lastWidth = 1160,
             .lastHeight = 678,
             .width = 1920,
             .height = 1080},
         }) {
        const SizeDecision d = DecideOnSize(c);
        EXPECT_EQ(d.scope, LayoutScope::Nothing);
        EXPECT_FALSE(d.storeSize);
        EXPECT_FALSE(d.premoveCaptionButtons);
        EXPECT_TRUE(d.clearLayoutSuspended);
        EXPECT_TRUE(d.repaint);
    }
}

TEST(SizeChange, MinimisedStoresZeroSoRestoringLaysOutEverything)
{
    const SizeDecision min =
        DecideOnSize({.titleBarExists = true, .lastWidth = 1160, .lastHeight = 678, .width = 0, .height = 0});
    EXPECT_EQ(min.scope, LayoutScope::Nothing);
    EXPECT_TRUE(min.storeSize);
    const SizeDecision back =
        DecideOnSize({.titleBarExists = true, .lastWidth = 0, .lastHeight = 0, .width = 1160, .height = 678});
    EXPECT_EQ(back.scope, LayoutScope::Everything);
    EXPECT_TRUE(back.premoveCaptionButtons);
    EXPECT_TRUE(back.storeSize);
}

TEST(SizeChange, WhichGroupMoves)
{
    const SizeDecision heightOnly =
        DecideOnSize({.titleBarExists = true, .lastWidth = 1160, .lastHeight = 678, .width = 1160, .height = 800});
    EXPECT_EQ(heightOnly.scope, LayoutScope::HeightDependent);
    EXPECT_FALSE(heightOnly.premoveCaptionButtons);
    EXPECT_TRUE(heightOnly.storeSize);

    const SizeDecision widthOnly =
        DecideOnSize({.titleBarExists = true, .lastWidth = 1160, .lastHeight = 678, .width = 1300, .height = 678});
    EXPECT_EQ(widthOnly.scope, LayoutScope::Everything);
    EXPECT_TRUE(widthOnly.premoveCaptionButtons);

    const SizeDecision shrink =
        DecideOnSize({.titleBarExists = true, .lastWidth = 1300, .lastHeight = 800, .width = 1200, .height = 700});
    EXPECT_EQ(shrink.scope, LayoutScope::Everything);
    EXPECT_TRUE(shrink.premoveCaptionButtons);

    for (int id : {kTitleBarId, kMinimizeButtonId, kMaximizeButtonId, kCloseButtonId}) {
        EXPECT_TRUE(DependsOnWidthOnly(id)) << id;
    }
    for (int id : {kMapViewId, kVideoViewId, kLeftListId, kPlayButtonId, kGSensorGraphId}) {
        EXPECT_FALSE(DependsOnWidthOnly(id)) << id;
    }
}

TEST(SizeChange, CaptionButtonPremoves)
{
    const auto pre = CaptionButtonPremoves();
    EXPECT_EQ(pre[0].id, kMinimizeButtonId);
    EXPECT_EQ(pre[0].rect, (LayoutRect{66, 2, 0, 0}));
    EXPECT_EQ(pre[1].id, kMaximizeButtonId);
    EXPECT_EQ(pre[1].rect, (LayoutRect{44, 2, 0, 0}));
    EXPECT_EQ(pre[2].id, kCloseButtonId);
    EXPECT_EQ(pre[2].rect, (LayoutRect{22, 2, 0, 0}));
}

TEST(WindowPlace, StartPositionIsCentredOnTheWorkArea)
{
    EXPECT_EQ(StartWindowPosition({0, 0, 1920, 1040}), (LayoutPoint{380, 181}));
    // A work area smaller than the window: it overhangs, centred.
    EXPECT_EQ(StartWindowPosition({0, 0, 1024, 600}), (LayoutPoint{-68, -39}));
    // A second screen to the right of the first.
    EXPECT_EQ(StartWindowPosition({1920, 0, 3840, 1050}), (LayoutPoint{2300, 186}));
    EXPECT_EQ(kMinTrackWidth, 1160);
    EXPECT_EQ(kMinTrackHeight, 678);
}

TEST(WindowPlace, MinimisedIconPosition)
{
    // (0 - 32 + 1) / 2 = -31 / 2 = -15, truncating toward zero.
    EXPECT_EQ(MinimizedIconPosition(0, 0, 32, 32), (LayoutPoint{-15, -15}));
    EXPECT_EQ(MinimizedIconPosition(1160, 678, 32, 32), (LayoutPoint{564, 323}));
    EXPECT_EQ(MinimizedIconPosition(160, 28, 48, 16), (LayoutPoint{56, 6}));
}

TEST(ControlIds, CommandsAndSkins)
{
    for (int id = 16; id <= 31; ++id) {
        EXPECT_TRUE(IsAboutCommand(id)) << id;
    }
    EXPECT_FALSE(IsAboutCommand(15));
    EXPECT_FALSE(IsAboutCommand(32));
    EXPECT_FALSE(IsAboutCommand(0xF060));  // close from the system menu
    EXPECT_EQ(CoordCaptionBitmap(0), 234);
    EXPECT_EQ(CoordCaptionBitmap(1), 232);
    EXPECT_EQ(CoordCaptionBitmap(2), 231);

    std::set<int> ids;
    std::set<int> hidden;
    for (const ButtonSkin& s : kButtonSkins) {
        EXPECT_TRUE(ids.insert(s.id).second) << s.id;
        if (s.hiddenAtStart) {
            hidden.insert(s.id);
        }
    }
    EXPECT_EQ(ids.size(), 18u);
    EXPECT_EQ(hidden, (std::set<int>{1000, 1002, 1003, 1004, 1005}));
}
