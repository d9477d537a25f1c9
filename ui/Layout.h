#pragma once
// Where the player window's controls go for a given client size, how the 16:9 video area is
// fitted, and what a size change has to do. Pure arithmetic without any window system: the
// dialog applies the results (moves, pictures, column widths) itself.
//
// All sizes are pixels. Sizes handed in are taken as non-negative (a negative one counts as 0)
// and are capped at 16777215, the largest size a widget can have, so no product overflows.

#include "ui/ControlIds.h"

#include <array>
#include <cstdint>
#include <optional>

/// A control's place in the client area: x, y, width, height.
struct LayoutRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const LayoutRect&, const LayoutRect&) = default;
};

/// A rectangle by its sides; right and bottom lie just outside it. Used for window rectangles
/// (screen coordinates) and for the video area (`videoRect`, relative to the area below the
/// title strip).
struct WinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    /// left <= x < right and top <= y < bottom.
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }

    friend bool operator==(const WinRect&, const WinRect&) = default;
};

struct LayoutPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const LayoutPoint&, const LayoutPoint&) = default;
};

/// The window's size at start, which is also the smallest size it can be dragged to.
inline constexpr int kDialogWidth = 1160;
inline constexpr int kDialogHeight = 678;
inline constexpr int kMinTrackWidth = 1160;
inline constexpr int kMinTrackHeight = 678;
/// Height of the title strip; the video view sits this far below `videoRect`.top.
inline constexpr int kTitleHeight = 45;
/// Size of the picture area at start (`videoWidth`, `videoHeight`).
inline constexpr int kStartVideoWidth = 720;
inline constexpr int kStartVideoHeight = 405;
/// Columns of each list view.
inline constexpr int kListColumnCount = 3;

/// v reduced to the signed 16-bit range. Out-of-range values saturate instead of wrapping, so
/// a huge area never turns into a small or negative one.
std::int16_t Reduce16(long long v);

/// The video area for client size cx x cy: a 16:9 box left of the map, below the title strip
/// and above the controls (about cx - 440 wide, cy - 273 high). When the area is at least as
/// wide as 16:9 the box takes the full height and is centred; otherwise it takes x = 5 to
/// cx - 435 and a height of 9 (cx - 435) / 16, centred. Divisions truncate toward zero. A
/// window too small for any video area gets an empty box (width and height never negative).
WinRect FitVideoRect(int cx, int cy);

/// Where the video view goes for a video area: 45 pixels lower (below the title strip).
LayoutRect VideoViewRect(const WinRect& videoRect);

/// Width of each list column: (cx - 440) / 6 - 1, as a 16-bit value, never below 0 (a column
/// width of -1 or -2 would ask the list to size the column itself).
int ListColumnWidth(int cx);

/// Width of the progress slider: cx - 570, never below 0.
int ProgressSliderWidth(int cx);

/// One control and its place.
struct ControlPlace {
    int id = 0;
    LayoutRect rect;
};

/// Number of controls a layout moves, not counting the video view.
inline constexpr int kLaidOutControlCount = 29;

/// Everything a layout decides for one client size.
struct ControlLayout {
    /// Every control the layout moves except the video view, in the order of the layout table:
    /// title strip, minimise, maximise, close, map, coordinate caption, ..., G-sensor graph.
    /// Stop, rewind, fast forward and open are not among them: they stay hidden where they are.
    std::array<ControlPlace, kLaidOutControlCount> controls{};
    WinRect videoRect;            ///< the new `videoRect`
    LayoutRect videoView;         ///< where the video view goes (its picture or movie box is
                                  ///< videoView.width x videoView.height)
    int progressSliderWidth = 0;  ///< width for the slider's channel pictures (204, 205)
    int columnWidth = 0;          ///< width of each of the three columns of both lists
    int titlePictureWidth = 0;    ///< bitmap 140 is loaded at this size for `titleBar`
    int titlePictureHeight = kTitleHeight;

    /// The place of a control by ID, the video view included; nothing for a control the
    /// layout does not move.
    std::optional<LayoutRect> RectFor(int id) const;
};

/// The normal layout for client size cx x cy (the window is frameless, so client and window
/// size are the same). Widths and heights that would come out negative in a tiny window are 0.
ControlLayout ComputeLayout(int cx, int cy);

/// True for the controls whose place depends on the client width alone (the title strip and
/// the three caption buttons): a change of height alone leaves them where they are.
bool DependsOnWidthOnly(int id);

/// What a size change covers.
enum class LayoutScope {
    Nothing,          ///< no control is moved
    HeightDependent,  ///< the height alone changed: every control except the title strip and
                      ///< the caption buttons, plus the video view; columns and title picture stay
    Everything,       ///< every control, the video view, the columns and the title picture
};

/// The state a size change is judged on.
struct SizeChange {
    bool layoutSuspended = false;  ///< a window-state change placed the controls itself
    bool titleBarExists = false;   ///< the controls exist (false during creation)
    bool fullScreen = false;       ///< the video fills the screen
    int lastWidth = 0;             ///< `lastClientWidth`
    int lastHeight = 0;            ///< `lastClientHeight`
    int width = 0;                 ///< new client width
    int height = 0;                ///< new client height
};

/// What the size handler does; it always clears `layoutSuspended` and repaints afterwards.
struct SizeDecision {
    LayoutScope scope = LayoutScope::Nothing;
    /// The width changed: the caption buttons first go to CaptionButtonPremoves(), before the
    /// other moves of the same pass give them their final places.
    bool premoveCaptionButtons = false;
    /// Store the new size in `lastClientWidth` and `lastClientHeight`.
    bool storeSize = false;
    bool clearLayoutSuspended = true;
    bool repaint = true;
};

/// Decides a size change:
/// - layout suspended, no controls yet, or full screen: nothing moved, size not stored (in full
///   screen the controls are placed by the full-screen geometry, and the window returns to the
///   same size, e.g. after being minimised);
/// - 0 x 0 (minimised) or the same size as last time: nothing moved, size stored;
/// - otherwise everything, or the height-dependent group when only the height changed; the size
///   is stored.
SizeDecision DecideOnSize(const SizeChange& change);

/// The first moves of a pass in which the width changed: minimise, maximise and close to
/// x = 66, 44 and 22, y = 2, size 0 x 0.
std::array<ControlPlace, 3> CaptionButtonPremoves();

/// Where the window goes at start: centred on the work area (screen coordinates) with size
/// 1160 x 678. A work area smaller than that gives a position left of or above it.
LayoutPoint StartWindowPosition(const WinRect& workArea);

/// Where the icon is drawn while the window is minimised: ((cw - iw + 1) / 2, (ch - ih + 1) / 2)
/// for client size cw x ch and icon size iw x ih, truncating.
LayoutPoint MinimizedIconPosition(int clientWidth, int clientHeight, int iconWidth, int iconHeight);

namespace layout_detail {
/// Clamps a size handed in to 0 .. 16777215.
int ClampSize(int v);
/// Fits a 16:9 box into an area areaWidth x areaHeight whose left edge is at areaLeft:
/// by height (centred across) when 16 * areaHeight <= 9 * areaWidth, otherwise by width with
/// the height computed from widthForHeight (centred down). Never a negative extent.
WinRect FitSixteenByNine(int areaLeft, long long areaWidth, long long areaHeight, long long widthForHeight);
}  // namespace layout_detail
