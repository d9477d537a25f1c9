#pragma once
// The arithmetic of the frameless window's own chrome: which part of the window a point is
// over (edges and corners resize, the background moves the window), the cursor and resize
// direction for each, the maximised layout that fills the screen, the way back, and the
// full-screen video geometry. The widget side (system move and resize, showing and hiding,
// the engine calls) applies these results.

#include "ui/Layout.h"

#include <array>
#include <vector>

// Hit-test codes, with the window system's numbers.
inline constexpr int HTERROR = -2;
inline constexpr int HTTRANSPARENT = -1;
inline constexpr int HTNOWHERE = 0;
inline constexpr int HTCLIENT = 1;
inline constexpr int HTCAPTION = 2;
inline constexpr int HTLEFT = 10;
inline constexpr int HTRIGHT = 11;
inline constexpr int HTTOP = 12;
inline constexpr int HTTOPLEFT = 13;
inline constexpr int HTTOPRIGHT = 14;
inline constexpr int HTBOTTOM = 15;
inline constexpr int HTBOTTOMLEFT = 16;
inline constexpr int HTBOTTOMRIGHT = 17;

/// The size command; plus 1 to 8 it names the edge or corner dragged (left, right, top, top
/// left, top right, bottom, bottom left, bottom right).
inline constexpr int SC_SIZE = 0xF000;

/// Width of the resize zone along each edge and of the square corner zones.
inline constexpr int kResizeEdgeZone = 5;
inline constexpr int kResizeCornerZone = 10;

/// What the hit test looks at.
struct HitTestInput {
    bool maximized = false;
    bool fullScreen = false;
    WinRect window;  ///< the window rectangle, screen coordinates
    int x = 0;       ///< the hit point, screen coordinates
    int y = 0;
    bool hasVideoView = false;
    WinRect videoView;  ///< the video view's window rectangle, screen coordinates
    int cursorX = 0;    ///< the current cursor position, screen coordinates
    int cursorY = 0;
    /// What the default processing answers for the point: HTCLIENT over the window (see
    /// DefaultHitTest).
    int defaultAnswer = HTCLIENT;
};

/// HTCLIENT when (x, y) lies in the window rectangle, HTNOWHERE otherwise: the answer of the
/// default processing for a window without frame or caption.
int DefaultHitTest(const WinRect& window, int x, int y);

/// The hit test of the window:
/// - maximised or full screen: HTCLIENT (nothing can be dragged or resized);
/// - within 10 pixels of both a vertical and a horizontal edge: the corner (top left, top
///   right, bottom left, bottom right, tested in that order); within 5 pixels of an edge: that
///   edge (left, right, top, bottom in that order); the limits count as inside;
/// - cursor over the video view: the default answer, so clicks reach the window's client area;
/// - otherwise the default answer with HTCLIENT turned into HTCAPTION: the background moves
///   the window.
int ChromeHitTest(const HitTestInput& in);

/// Cursor shapes over the chrome. For Qt: Arrow is Qt::ArrowCursor, SizeHorizontal
/// Qt::SizeHorCursor, SizeVertical Qt::SizeVerCursor, SizeNwSe ("\", top left and bottom
/// right) Qt::SizeFDiagCursor, SizeNeSw ("/", top right and bottom left) Qt::SizeBDiagCursor.
enum class ChromeCursor { Arrow, SizeHorizontal, SizeVertical, SizeNwSe, SizeNeSw };

/// The cursor shown for a hit-test code; Arrow for everything that does not resize.
ChromeCursor CursorForHit(int hitCode);

/// Edge bits of a resize, with the values of Qt::Edge so that the widget can pass them on
/// unchanged to QWindow::startSystemResize.
inline constexpr unsigned kEdgeTop = 0x1;
inline constexpr unsigned kEdgeLeft = 0x2;
inline constexpr unsigned kEdgeRight = 0x4;
inline constexpr unsigned kEdgeBottom = 0x8;

/// The edges a press with this hit-test code resizes; 0 when it does not resize.
unsigned ResizeEdgesForHit(int hitCode);

/// SC_SIZE plus the direction for a resize hit-test code (0xF001 left ... 0xF008 bottom right);
/// 0 when the code does not resize.
int SizeCommandForHit(int hitCode);

/// The pictures of the maximise button: 211/212 normally, the restore sign 213/214 while the
/// window is maximised.
struct ButtonPictures {
    int normal = 0;
    int selected = 0;

    friend bool operator==(const ButtonPictures&, const ButtonPictures&) = default;
};
ButtonPictures MaximizeButtonPictures(bool maximized);

/// The video area of a window maximised over a W x H screen (the whole screen, panels
/// included): 16:9 in the area x = 0 to W - 430, below the title strip and above H - 273.
/// Truncating divisions, 16-bit sizes, never a negative extent.
WinRect MaximizedVideoRect(int screenWidth, int screenHeight);

/// Every control's place in a window maximised over a W x H screen. Against the normal layout
/// of the same size the map column sits 5 pixels further right, the map is 3 pixels taller,
/// the slider row 2 and the button row and lists 5 pixels lower; the list columns are
/// (W - 440) / 8 - 1 wide. The window itself goes to the screen's origin with size W x H.
/// (Restoring uses ComputeLayout for the size of the saved window rectangle.)
ControlLayout ComputeMaximizedLayout(int screenWidth, int screenHeight);

/// The full-screen video area for a W x H screen: the largest 16:9 box, centred.
WinRect FullScreenVideoRect(int screenWidth, int screenHeight);

/// Controls hidden on entering full screen, in the order they are hidden (and shown again).
inline constexpr std::array<int, 25> kFullScreenHiddenControls{
    kMinimizeButtonId,     kMaximizeButtonId, kCloseButtonId,  kScreenshotButtonId, kFolderButtonId,
    kPrevPageButtonId,     kPrevButtonId,     kPlayButtonId,   kPauseButtonId,      kNextButtonId,
    kNextPageButtonId,     kDeleteButtonId,   kFileNameTextId, kVolumeSliderId,     kVolumeIconId,
    kLeftListId,           kRightListId,      kTimeTextId,     kProgressSliderId,   kGSensorPlusButtonId,
    kGSensorMinusButtonId, kSpeedMeterId,     kUnitComboId,    kGSensorGraphId,     kTitleBarId,
};

/// Hidden after the map view has been shrunk, shown again after it is back in its place.
inline constexpr std::array<int, 3> kFullScreenHiddenReadouts{kCoordCaptionId, kLongitudeTextId, kLatitudeTextId};

/// The geometry of full screen on a W x H screen.
struct FullScreenLayout {
    WinRect videoRect;     ///< the new `videoRect` (no title strip offset in full screen)
    LayoutRect videoView;  ///< where the video view goes: the video area itself
    LayoutRect mapView;    ///< the map view is shrunk to nothing at (0, 0), not hidden
};
FullScreenLayout ComputeFullScreenLayout(int screenWidth, int screenHeight);

/// The video area on leaving full screen, for the window rectangle saved on entering it:
/// the maximised rule when the window is maximised, the normal fit otherwise. The video view
/// goes to VideoViewRect of it; the other controls keep their places.
WinRect LeaveFullScreenVideoRect(const WinRect& fullScreenRestoreRect, bool maximized);
