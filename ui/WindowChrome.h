#pragma once
// CWindowChrome: the main dialog's own chrome (it has no frame from the window system) and the
// placing of its controls. The dialog owns the controls and the window state (fullScreen,
// maximized, the saved rectangles, videoRect); its size, mouse, caption-button and system-menu
// messages come here.

#include "ui/ChromeLayout.h"
#include "ui/Layout.h"

#include <QPoint>
#include <QRect>

class CVindrelDlg;
class QMenu;
class QMouseEvent;

class CWindowChrome {
public:
    explicit CWindowChrome(CVindrelDlg& dialog);

    /// Where a move puts the video view, and what it does to a movie that is open.
    enum class VideoMove {
        HaltMovePlay,  ///< halt, move, new movie box, play (layout, restore, full screen)
        BoxThenMove,   ///< new movie box, then move; playback goes on as it was (maximise)
    };

    /// Places the controls for the client size; type is not looked at.
    void OnSize(int type, int cx, int cy);
    /// Moves the controls of a computed layout; with heightOnly the title strip and the caption
    /// buttons stay where they are.
    void MoveControls(const ControlLayout& layout, bool heightOnly);
    /// Moves the video view to rect and gives it its movie box, or the stop picture.
    void PlaceVideoView(const LayoutRect& rect, VideoMove how);
    /// Bitmap 140 at width x 45 on the title strip.
    void LoadTitlePicture(int width);

    /// A mouse message of the dialog: the hit test and the cursor over the window's own surface,
    /// a press that moves or resizes, a drag without the window system's help, and the double
    /// click that enters or leaves full screen. True when the message is taken.
    bool TakeMouseEvent(QMouseEvent* mouse);
    /// The hit test for a point of the screen; also takes the hover frames off the buttons.
    int OnNcHitTest(const QPoint& globalPos);
    /// A left press on the window's own surface: resizing from an edge, moving from the background.
    void OnNcLButtonDown(int hitCode, const QPoint& globalPos);
    /// A double click that reached the client area: enters or leaves full screen.
    void OnLButtonDblClk();
    /// Maximises, or restores when maximised.
    void OnMaximize();
    /// The screen the window is on (the whole screen, panels included).
    QRect ScreenRect() const;

    /// The system menu: minimise, close and the about item; Alt+Space opens it below the title.
    void BuildSystemMenu();
    void ShowSystemMenu(const QPoint& globalPos);
    QMenu* SystemMenu() const { return systemMenu_; }
    /// A command of the system menu: 16 to 31 open the about box; close and minimise as usual.
    void OnSysCommand(int id);

private:
    /// Column widths of both lists, columns 0 to columnCount - 1.
    void SetColumnWidths(int width, int columnCount);
    void SetMaximizeButtonPictures(bool restoreSign);
    void EnterFullScreen();
    void LeaveFullScreen();
    /// Moves the window; sets layoutSuspended only when the size changes, since an unchanged size
    /// brings no size change to clear it again.
    void MoveWindowSuspended(const QRect& rect);
    WinRect WindowRect() const;
    /// True when the pointer at pos (dialog coordinates) is over the window's own surface or a
    /// control that lets the pointer through to it.
    bool OnOwnSurface(const QPoint& pos) const;
    /// A move or resize the window does by itself where the window system offers none.
    void DragTo(const QPoint& globalPos);

    CVindrelDlg& d_;
    QMenu* systemMenu_ = nullptr;
    /// The transport button that was visible on entering full screen; on leaving, both are
    /// shown and this one lies on top.
    int transportOnTop_;
    // A move or resize in progress without the window system's help.
    struct Drag {
        bool active = false;
        unsigned edges = 0;  // 0: moving
        QPoint pressGlobal;
        QRect startGeometry;
    } drag_;
};
