#include "ui/ChromeLayout.h"

#include <algorithm>

int DefaultHitTest(const WinRect& window, int x, int y) { return window.Contains(x, y) ? HTCLIENT : HTNOWHERE; }

int ChromeHitTest(const HitTestInput& in)
{
    if (in.maximized || in.fullScreen) {
        return HTCLIENT;
    }
    const WinRect& w = in.window;
    const long long x = in.x;
    const long long y = in.y;
    const bool nearLeft = x <= static_cast<long long>(w.left) + kResizeCornerZone;
    const bool nearRight = x >= static_cast<long long>(w.right) - kResizeCornerZone;
    const bool nearTop = y <= static_cast<long long>(w.top) + kResizeCornerZone;
    const bool nearBottom = y >= static_cast<long long>(w.bottom) - kResizeCornerZone;
    if (nearLeft && nearTop)
        return HTTOPLEFT;
    if (nearRight && nearTop)
        return HTTOPRIGHT;
    if (nearLeft && nearBottom)
        return HTBOTTOMLEFT;
    if (nearRight && nearBottom)
        return HTBOTTOMRIGHT;
    if (x <= static_cast<long long>(w.left) + kResizeEdgeZone)
        return HTLEFT;
    if (x >= static_cast<long long>(w.right) - kResizeEdgeZone)
        return HTRIGHT;
    if (y <= static_cast<long long>(w.top) + kResizeEdgeZone)
        return HTTOP;
    if (y >= static_cast<long long>(w.bottom) - kResizeEdgeZone)
        return HTBOTTOM;

    if (in.hasVideoView && in.videoView.Contains(in.cursorX, in.cursorY)) {
        return in.defaultAnswer;
    }
    return in.defaultAnswer == HTCLIENT ? HTCAPTION : in.defaultAnswer;
}

ChromeCursor CursorForHit(int hitCode)
{
    switch (hitCode) {
    case HTLEFT:
    case HTRIGHT: return ChromeCursor::SizeHorizontal;
    case HTTOP:
    case HTBOTTOM: return ChromeCursor::SizeVertical;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: return ChromeCursor::SizeNwSe;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: return ChromeCursor::SizeNeSw;
    default: return ChromeCursor::Arrow;
    }
}

unsigned ResizeEdgesForHit(int hitCode)
{
    switch (hitCode) {
    case HTLEFT: return kEdgeLeft;
    case HTRIGHT: return kEdgeRight;
    case HTTOP: return kEdgeTop;
    case HTTOPLEFT: return kEdgeTop | kEdgeLeft;
    case HTTOPRIGHT: return kEdgeTop | kEdgeRight;
    case HTBOTTOM: return kEdgeBottom;
    case HTBOTTOMLEFT: return kEdgeBottom | kEdgeLeft;
    case HTBOTTOMRIGHT: return kEdgeBottom | kEdgeRight;
    default: return 0;
    }
}

int SizeCommandForHit(int hitCode)
{
    // The resize codes run HTLEFT (10) to HTBOTTOMRIGHT (17) in the order of the directions.
    if (hitCode < HTLEFT || hitCode > HTBOTTOMRIGHT) {
        return 0;
    }
    return SC_SIZE + (hitCode - HTLEFT + 1);
}

ButtonPictures MaximizeButtonPictures(bool maximized)
{
    return maximized ? ButtonPictures{kBmpRestore, kBmpRestoreSelected}
                     : ButtonPictures{kBmpMaximize, kBmpMaximizeSelected};
}

WinRect MaximizedVideoRect(int screenWidth, int screenHeight)
{
    const long long w = layout_detail::ClampSize(screenWidth);
    const long long h = layout_detail::ClampSize(screenHeight);
    return layout_detail::FitSixteenByNine(0, w - 430, h - 273, w - 430);
}

ControlLayout ComputeMaximizedLayout(int screenWidth, int screenHeight)
{
    const int w = layout_detail::ClampSize(screenWidth);
    const int h = layout_detail::ClampSize(screenHeight);
    const int g = (w - 440) / 2;
    const int half = std::max(0, g);

    ControlLayout out;
    out.controls = {{
        {kTitleBarId, {0, 0, w, kTitleHeight}},
        {kMinimizeButtonId, {w - 66, 2, 20, 20}},
        {kMaximizeButtonId, {w - 44, 2, 20, 20}},
        {kCloseButtonId, {w - 22, 2, 20, 20}},
        {kMapViewId, {w - 430, kTitleHeight, 430, std::max(0, h - 270)}},
        {kCoordCaptionId, {w - 430, h - 225, 430, 38}},
        {kLongitudeTextId, {w - 395, h - 186, 90, 20}},
        {kLatitudeTextId, {w - 170, h - 186, 90, 20}},
        {kTimeTextId, {w - 560, h - 223, 110, 26}},
        {kProgressSliderId, {5, h - 218, ProgressSliderWidth(w), 15}},
        {kVolumeIconId, {w - 562, h - 191, 25, 25}},
        {kVolumeSliderId, {w - 537, h - 186, 85, 15}},
        {kScreenshotButtonId, {15, h - 195, 32, 32}},
        {kFileNameTextId, {50, h - 187, 130, 26}},
        {kFolderButtonId, {g - 170, h - 195, 32, 32}},
        {kPrevPageButtonId, {g - 120, h - 195, 32, 32}},
        {kPrevButtonId, {g - 70, h - 195, 32, 32}},
        {kPlayButtonId, {g - 17, h - 200, 40, 40}},
        {kPauseButtonId, {g - 17, h - 200, 40, 40}},
        {kNextButtonId, {g + 40, h - 195, 32, 32}},
        {kNextPageButtonId, {g + 90, h - 195, 32, 32}},
        {kDeleteButtonId, {g + 140, h - 195, 32, 32}},
        {kLeftListId, {3, h - 155, half, 154}},
        {kRightListId, {g + 3, h - 155, half, 154}},
        {kSpeedMeterId, {w - 436, h - 122, 189, 117}},
        {kUnitComboId, {w - 371, h - 157, 60, 40}},
        {kGSensorPlusButtonId, {w - 231, h - 155, 20, 18}},
        {kGSensorMinusButtonId, {w - 231, h - 135, 20, 18}},
        {kGSensorGraphId, {w - 215, h - 160, 205, 150}},
    }};
    out.videoRect = MaximizedVideoRect(w, h);
    out.videoView = VideoViewRect(out.videoRect);
    out.progressSliderWidth = ProgressSliderWidth(w);
    out.columnWidth = std::max<int>(0, Reduce16((w - 440) / 8 - 1));
    out.titlePictureWidth = w;
    out.titlePictureHeight = kTitleHeight;
    return out;
}

WinRect FullScreenVideoRect(int screenWidth, int screenHeight)
{
    const long long w = layout_detail::ClampSize(screenWidth);
    const long long h = layout_detail::ClampSize(screenHeight);
    return layout_detail::FitSixteenByNine(0, w, h, w);
}

FullScreenLayout ComputeFullScreenLayout(int screenWidth, int screenHeight)
{
    FullScreenLayout out;
    out.videoRect = FullScreenVideoRect(screenWidth, screenHeight);
    out.videoView = LayoutRect{out.videoRect.left, out.videoRect.top, out.videoRect.Width(), out.videoRect.Height()};
    out.mapView = LayoutRect{0, 0, 0, 0};
    return out;
}

WinRect LeaveFullScreenVideoRect(const WinRect& fullScreenRestoreRect, bool maximized)
{
    const int w = fullScreenRestoreRect.Width();
    const int h = fullScreenRestoreRect.Height();
    return maximized ? MaximizedVideoRect(w, h) : FitVideoRect(w, h);
}
