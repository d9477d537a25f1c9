#include "ui/Layout.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kMaxSize = 16777215;

// The area left of the map: 440 pixels go to the map column and the margins, 273 to the title
// strip and the controls below the video.
constexpr int kSideColumns = 440;
constexpr int kBelowVideo = 273;

int NonNegative(long long v) { return static_cast<int>(std::clamp<long long>(v, 0, std::numeric_limits<int>::max())); }

}  // namespace

std::int16_t Reduce16(long long v)
{
    return static_cast<std::int16_t>(
        std::clamp<long long>(v, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

namespace layout_detail {

int ClampSize(int v) { return std::clamp(v, 0, kMaxSize); }

WinRect FitSixteenByNine(int areaLeft, long long areaWidth, long long areaHeight, long long widthForHeight)
{
    long long left = 0;
    long long top = 0;
    long long right = 0;
    long long bottom = 0;
    if (16 * areaHeight <= 9 * areaWidth) {
        // At least as wide as 16:9: full height, centred across.
        const long long w = std::max<long long>(0, Reduce16(16 * areaHeight / 9));
        left = (areaWidth - w) / 2 + areaLeft;
        right = left + w;
        top = 0;
        bottom = areaHeight;
    } else {
        // Narrower: full width, centred down.
        const long long h = std::max<long long>(0, Reduce16(9 * widthForHeight / 16));
        left = areaLeft;
        right = areaLeft + areaWidth;
        top = (areaHeight - h) / 2;
        bottom = top + h;
    }
    right = std::max(right, left);
    bottom = std::max(bottom, top);
    return WinRect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right), static_cast<int>(bottom)};
}

}  // namespace layout_detail

WinRect FitVideoRect(int cx, int cy)
{
    cx = layout_detail::ClampSize(cx);
    cy = layout_detail::ClampSize(cy);
    // The height of a box fitted by width comes from cx - 435, five pixels more than its width.
    return layout_detail::FitSixteenByNine(5, static_cast<long long>(cx) - kSideColumns,
                                           static_cast<long long>(cy) - kBelowVideo, static_cast<long long>(cx) - 435);
}

LayoutRect VideoViewRect(const WinRect& videoRect)
{
    return LayoutRect{videoRect.left, videoRect.top + kTitleHeight, videoRect.Width(), videoRect.Height()};
}

int ListColumnWidth(int cx)
{
    cx = layout_detail::ClampSize(cx);
    return std::max<int>(0, Reduce16((cx - kSideColumns) / 6 - 1));
}

int ProgressSliderWidth(int cx) { return std::max(0, layout_detail::ClampSize(cx) - 570); }

std::optional<LayoutRect> ControlLayout::RectFor(int id) const
{
    if (id == kVideoViewId) {
        return videoView;
    }
    for (const ControlPlace& place : controls) {
        if (place.id == id) {
            return place.rect;
        }
    }
    return std::nullopt;
}

ControlLayout ComputeLayout(int cx, int cy)
{
    cx = layout_detail::ClampSize(cx);
    cy = layout_detail::ClampSize(cy);
    const int h = NonNegative(cy - kBelowVideo);  // map height
    const int f = (cx - kSideColumns) / 2;        // half the list area, truncated toward zero
    const int half = std::max(0, f);

    ControlLayout out;
    out.controls = {{
        {kTitleBarId, {0, 0, cx, kTitleHeight}},
        {kMinimizeButtonId, {cx - 66, 2, 20, 20}},
        {kMaximizeButtonId, {cx - 44, 2, 20, 20}},
        {kCloseButtonId, {cx - 22, 2, 20, 20}},
        {kMapViewId, {cx - 435, kTitleHeight, 430, h}},
        {kCoordCaptionId, {cx - 435, cy - 228, 430, 38}},
        {kLongitudeTextId, {cx - 400, cy - 186, 90, 20}},
        {kLatitudeTextId, {cx - 175, cy - 186, 90, 20}},
        {kTimeTextId, {cx - 560, cy - 225, 110, 26}},
        {kProgressSliderId, {5, cy - 220, ProgressSliderWidth(cx), 15}},
        {kVolumeIconId, {cx - 562, cy - 193, 25, 25}},
        {kVolumeSliderId, {cx - 537, cy - 188, 85, 15}},
        {kScreenshotButtonId, {15, cy - 200, 32, 32}},
        {kFileNameTextId, {50, cy - 187, 130, 26}},
        {kFolderButtonId, {f - 170, cy - 200, 32, 32}},
        {kPrevPageButtonId, {f - 120, cy - 200, 32, 32}},
        {kPrevButtonId, {f - 70, cy - 200, 32, 32}},
        {kPlayButtonId, {f - 17, cy - 205, 40, 40}},
        {kPauseButtonId, {f - 17, cy - 205, 40, 40}},
        {kNextButtonId, {f + 40, cy - 200, 32, 32}},
        {kNextPageButtonId, {f + 90, cy - 200, 32, 32}},
        {kDeleteButtonId, {f + 140, cy - 200, 32, 32}},
        {kLeftListId, {3, cy - 160, half, 154}},
        {kRightListId, {f + 3, cy - 160, half, 154}},
        {kSpeedMeterId, {cx - 436, cy - 122, 189, 117}},
        {kUnitComboId, {cx - 371, cy - 157, 60, 40}},
        {kGSensorPlusButtonId, {cx - 231, cy - 155, 20, 18}},
        {kGSensorMinusButtonId, {cx - 231, cy - 135, 20, 18}},
        {kGSensorGraphId, {cx - 215, cy - 160, 205, 150}},
    }};
    out.videoRect = FitVideoRect(cx, cy);
    out.videoView = VideoViewRect(out.videoRect);
    out.progressSliderWidth = ProgressSliderWidth(cx);
    out.columnWidth = ListColumnWidth(cx);
    out.titlePictureWidth = cx;
    out.titlePictureHeight = kTitleHeight;
    return out;
}

bool DependsOnWidthOnly(int id)
{
    return id == kTitleBarId || id == kMinimizeButtonId || id == kMaximizeButtonId || id == kCloseButtonId;
}

SizeDecision DecideOnSize(const SizeChange& change)
{
    SizeDecision d;
    if (change.layoutSuspended || !change.titleBarExists || change.fullScreen) {
        return d;
    }
    d.storeSize = true;
    if (change.width == 0 && change.height == 0) {
        return d;  // minimised
    }
    const bool widthChanged = change.width != change.lastWidth;
    const bool heightChanged = change.height != change.lastHeight;
    if (widthChanged) {
        d.scope = LayoutScope::Everything;
        d.premoveCaptionButtons = true;
    } else if (heightChanged) {
        d.scope = LayoutScope::HeightDependent;
    }
    return d;
}

std::array<ControlPlace, 3> CaptionButtonPremoves()
{
    return {{
        {kMinimizeButtonId, {66, 2, 0, 0}},
        {kMaximizeButtonId, {44, 2, 0, 0}},
        {kCloseButtonId, {22, 2, 0, 0}},
    }};
}

LayoutPoint StartWindowPosition(const WinRect& workArea)
{
    // Centred within the work area itself, so a screen that does not start at the origin (a
    // second monitor, a panel on the left or top) still gets the window in its middle.
    return LayoutPoint{workArea.left + (workArea.Width() - kDialogWidth) / 2,
                       workArea.top + (workArea.Height() - kDialogHeight) / 2};
}

LayoutPoint MinimizedIconPosition(int clientWidth, int clientHeight, int iconWidth, int iconHeight)
{
    return LayoutPoint{(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}
