// The frameless window's own chrome: the hit test with the hover reset of the buttons, moving
// and resizing through the window system, minimise, maximise and restore by the window's own
// tables, full screen on a double click, and close.

#include "ui/VindrelDlg.h"

#include "playback/Engine.h"
#include "ui/ChromeLayout.h"
#include "ui/ControlIds.h"

#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {

WinRect ToWinRect(const QRect& r) { return WinRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

QRect ToQRect(const WinRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

}  // namespace

WinRect CVindrelDlg::WindowRect() const { return ToWinRect(geometry()); }

QRect CVindrelDlg::ScreenRect() const
{
    const QScreen* where = screen();
    return where ? where->geometry() : QRect(0, 0, kDialogWidth, kDialogHeight);
}

// ---- Hit test, moving and resizing ----------------------------------------------------------

int CVindrelDlg::OnNcHitTest(const QPoint& globalPos)
{
    // The pointer is over the window's own surface: no button is hovered any more.
    for (CMyButton* button : buttons_) {
        if (button && button->hovered()) {
            button->ResetHover();
        }
    }
    HitTestInput in;
    in.maximized = maximized;
    in.fullScreen = fullScreen;
    in.window = WindowRect();
    in.x = globalPos.x();
    in.y = globalPos.y();
    if (videoView) {
        in.hasVideoView = true;
        in.videoView = ToWinRect(QRect(videoView->mapToGlobal(QPoint(0, 0)), videoView->size()));
    }
    // The pointer's position when the event was made: events reach the window in order, so this
    // is where the pointer was for this press or move.
    in.cursorX = globalPos.x();
    in.cursorY = globalPos.y();
    in.defaultAnswer = DefaultHitTest(in.window, in.x, in.y);
    return ChromeHitTest(in);
}

void CVindrelDlg::OnNcLButtonDown(int hitCode, const QPoint& globalPos)
{
    const unsigned edges = ResizeEdgesForHit(hitCode);
    if (edges == 0 && hitCode != HTCAPTION) {
        return;
    }
    // The window system's own move or resize (it keeps the smallest size the window has set);
    // where it offers none, the window follows the pointer itself.
    QWindow* window = windowHandle();
    const bool bySystem = window && (edges != 0 ? window->startSystemResize(Qt::Edges(static_cast<int>(edges)))
                                                : window->startSystemMove());
    if (!bySystem) {
        drag_.active = true;
        drag_.edges = edges;
        drag_.pressGlobal = globalPos;
        drag_.startGeometry = geometry();
    }
}

void CVindrelDlg::DragTo(const QPoint& globalPos)
{
    const QPoint delta = globalPos - drag_.pressGlobal;
    const QRect start = drag_.startGeometry;
    if (drag_.edges == 0) {
        move(start.topLeft() + delta);
        return;
    }
    const QSize smallest = OnGetMinMaxInfo();
    int left = start.left();
    int top = start.top();
    int right = start.left() + start.width();
    int bottom = start.top() + start.height();
    if (drag_.edges & kEdgeLeft) {
        left = std::min(left + delta.x(), right - smallest.width());
    }
    if (drag_.edges & kEdgeRight) {
        right = std::max(right + delta.x(), left + smallest.width());
    }
    if (drag_.edges & kEdgeTop) {
        top = std::min(top + delta.y(), bottom - smallest.height());
    }
    if (drag_.edges & kEdgeBottom) {
        bottom = std::max(bottom + delta.y(), top + smallest.height());
    }
    setGeometry(left, top, right - left, bottom - top);
}

void CVindrelDlg::EndDrag() { drag_ = Drag{}; }

void CVindrelDlg::MoveWindowSuspended(const QRect& rect)
{
    // The next size change only clears the flag. When the size stays the same there is no size
    // change, and a flag left set would swallow the next real one.
    if (rect.size() != size()) {
        layoutSuspended = true;
    }
    setGeometry(rect);
    update();
}

// ---- Caption buttons ------------------------------------------------------------------------

void CVindrelDlg::OnMinimize() { showMinimized(); }

void CVindrelDlg::SetMaximizeButtonPictures(bool restoreSign)
{
    const ButtonPictures pictures = MaximizeButtonPictures(restoreSign);
    maximizeButton.LoadBitmaps(pictures.normal, pictures.selected);
}

void CVindrelDlg::OnMaximize()
{
    if (!maximized) {
        // Over the whole screen, laid out by the maximised table.
        maximized = true;
        restoreRect = WindowRect();
        const QRect screenRect = ScreenRect();
        setMinimumSize(0, 0);  // a screen smaller than the smallest window size still fits
        MoveWindowSuspended(screenRect);
        const ControlLayout layout = ComputeMaximizedLayout(screenRect.width(), screenRect.height());
        MoveControls(layout, false);
        SetMaximizeButtonPictures(true);
        videoRect = layout.videoRect;
        PlaceVideoView(layout.videoView, VideoMove::BoxThenMove);
        SetColumnWidths(layout.columnWidth, kListColumnCount + 1);
        LoadTitlePicture(layout.titlePictureWidth);
        return;
    }
    // Back to the saved place, laid out by the normal table.
    maximized = false;
    MoveWindowSuspended(ToQRect(restoreRect));
    setMinimumSize(OnGetMinMaxInfo());
    const ControlLayout layout = ComputeLayout(restoreRect.Width(), restoreRect.Height());
    videoRect = layout.videoRect;
    PlaceVideoView(layout.videoView, VideoMove::HaltMovePlay);
    MoveControls(layout, false);
    SetMaximizeButtonPictures(false);
    SetColumnWidths(layout.columnWidth, kListColumnCount);
    LoadTitlePicture(layout.titlePictureWidth);
}

void CVindrelDlg::OnClose()
{
    // The view deletes its movie wrapper; the engine is then left.
    controlsById_.erase(kVideoViewId);
    videoView.reset();
    EngineLeaveMovies();
    OnOK();
}

// ---- Full screen ----------------------------------------------------------------------------

void CVindrelDlg::OnLButtonDblClk()
{
    if (fullScreen) {
        LeaveFullScreen();
    } else {
        EnterFullScreen();
    }
}

void CVindrelDlg::EnterFullScreen()
{
    fullScreen = true;
    fullScreenRestoreRect = WindowRect();
    const QRect screenRect = ScreenRect();
    setMinimumSize(0, 0);
    MoveWindowSuspended(screenRect);

    const FullScreenLayout layout = ComputeFullScreenLayout(screenRect.width(), screenRect.height());
    videoRect = layout.videoRect;
    PlaceVideoView(layout.videoView, VideoMove::HaltMovePlay);

    transportOnTop_ = pauseButton.isVisible() && !playButton.isVisible() ? kPauseButtonId : kPlayButtonId;
    for (int id : kFullScreenHiddenControls) {
        if (QWidget* w = ControlById(id)) {
            w->hide();
        }
    }
    // The map view is shrunk to nothing, not hidden.
    mapRestoreRect = ToWinRect(mapView.geometry());
    mapView.setGeometry(layout.mapView.x, layout.mapView.y, layout.mapView.width, layout.mapView.height);
    for (int id : kFullScreenHiddenReadouts) {
        if (QWidget* w = ControlById(id)) {
            w->hide();
        }
    }
}

void CVindrelDlg::LeaveFullScreen()
{
    fullScreen = false;
    MoveWindowSuspended(ToQRect(fullScreenRestoreRect));
    if (!maximized) {
        setMinimumSize(OnGetMinMaxInfo());
    }
    videoRect = LeaveFullScreenVideoRect(fullScreenRestoreRect, maximized);
    PlaceVideoView(VideoViewRect(videoRect), VideoMove::HaltMovePlay);

    // Every hidden control comes back where it was, the play and the pause button both.
    for (int id : kFullScreenHiddenControls) {
        if (QWidget* w = ControlById(id)) {
            w->show();
        }
    }
    if (QWidget* onTop = ControlById(transportOnTop_)) {
        onTop->raise();
    }
    mapView.setGeometry(ToQRect(mapRestoreRect));
    for (int id : kFullScreenHiddenReadouts) {
        if (QWidget* w = ControlById(id)) {
            w->show();
        }
    }
}
