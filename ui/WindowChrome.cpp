// The frameless window's own chrome and the placing of its controls: the layout on a size change,
// the hit test with the hover reset of the buttons, moving and resizing through the window system,
// maximise and restore by the window's own tables, full screen on a double click, and the
// system menu. It works on
// the main dialog's controls and window state, which the dialog owns.

#include "ui/WindowChrome.h"

#include "engine/Engine.h"
#include "playback/QuickTime.h"
#include "shell/AboutDlg.h"
#include "ui/ControlIds.h"
#include "ui/VindrelDlg.h"

#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

#include <algorithm>

namespace {

// System commands of the window's menu.
constexpr int SC_MINIMIZE = 0xF020;
constexpr int SC_CLOSE = 0xF060;

// String 101: the about item of the system menu.
const char* const kAboutMenuText = "关于 Vindrel(&A)...";

WinRect ToWinRect(const QRect& r) { return WinRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

QRect ToQRect(const WinRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

}  // namespace

CWindowChrome::CWindowChrome(CVindrelDlg& dialog) : d_(dialog), transportOnTop_(kPlayButtonId) {}

// ---- Size changes ---------------------------------------------------------------------------

void CWindowChrome::OnSize(int /*type*/, int cx, int cy)
{
    SizeChange change;
    change.layoutSuspended = d_.layoutSuspended;
    change.titleBarExists = d_.controlsBound_;
    change.fullScreen = d_.fullScreen;
    change.lastWidth = d_.lastClientWidth;
    change.lastHeight = d_.lastClientHeight;
    change.width = cx;
    change.height = cy;
    const SizeDecision decision = DecideOnSize(change);

    if (decision.scope != LayoutScope::Nothing) {
        const ControlLayout layout = ComputeLayout(cx, cy);
        const bool heightOnly = decision.scope == LayoutScope::HeightDependent;
        if (decision.premoveCaptionButtons) {
            for (const ControlPlace& place : CaptionButtonPremoves()) {
                if (QWidget* w = d_.ControlById(place.id)) {
                    w->setGeometry(place.rect.x, place.rect.y, place.rect.width, place.rect.height);
                }
            }
        }
        MoveControls(layout, heightOnly);
        d_.videoRect = layout.videoRect;
        PlaceVideoView(layout.videoView, VideoMove::HaltMovePlay);
        if (!heightOnly) {
            SetColumnWidths(layout.columnWidth, kListColumnCount);
            LoadTitlePicture(layout.titlePictureWidth);
        }
    }
    if (decision.storeSize) {
        d_.lastClientWidth = cx;
        d_.lastClientHeight = cy;
    }
    d_.layoutSuspended = false;
    d_.update();  // the paint handler
}

void CWindowChrome::MoveControls(const ControlLayout& layout, bool heightOnly)
{
    for (const ControlPlace& place : layout.controls) {
        if (heightOnly && DependsOnWidthOnly(place.id)) {
            continue;
        }
        QWidget* w = d_.ControlById(place.id);
        if (!w) {
            continue;
        }
        int height = place.rect.height;
        if (place.id == kUnitComboId) {
            // The combo box's place is given with its list dropped down; closed it is one line.
            height = std::min(height, d_.unitCombo.sizeHint().height());
        }
        w->setGeometry(place.rect.x, place.rect.y, place.rect.width, height);
        if (place.id == kProgressSliderId) {
            d_.progressSlider.SetChannelBitmaps(place.rect.width, kBmpProgressChannel, kBmpProgressActiveChannel);
        }
    }
}

void CWindowChrome::PlaceVideoView(const LayoutRect& rect, VideoMove how)
{
    d_.playback_.Notice().setGeometry(rect.x, rect.y, rect.width, rect.height);
    if (!d_.videoView) {
        return;
    }
    const Movie movie = d_.videoView->movieWrapper ? d_.videoView->movieWrapper->movie : nullptr;
    EngineRect box;
    box.top = 0;
    box.left = 0;
    box.bottom = Reduce16(rect.height);
    box.right = Reduce16(rect.width);
    if (!movie) {
        d_.videoView->setGeometry(rect.x, rect.y, rect.width, rect.height);
        d_.videoView->ShowStopPicture(rect.width, rect.height);
        return;
    }
    if (how == VideoMove::HaltMovePlay) {
        // A paused movie plays on after the move.
        EngineHaltMovie(movie);
        d_.videoView->setGeometry(rect.x, rect.y, rect.width, rect.height);
        EngineSetMovieBox(movie, box);
        EnginePlayMovie(movie);
    } else {
        EngineSetMovieBox(movie, box);
        d_.videoView->setGeometry(rect.x, rect.y, rect.width, rect.height);
    }
}

void CWindowChrome::SetColumnWidths(int width, int columnCount)
{
    for (CColorListCtrl* list : {&d_.leftList, &d_.rightList}) {
        // A column the list does not have is left alone, as the list control does.
        for (int column = 0; column < columnCount && column < list->QTreeWidget::columnCount(); ++column) {
            list->setColumnWidth(column, width);
        }
    }
}

void CWindowChrome::LoadTitlePicture(int width) { ShowPicture(d_.titleBar, kBmpTitleBar, width, kTitleHeight); }
WinRect CWindowChrome::WindowRect() const { return ToWinRect(d_.geometry()); }

QRect CWindowChrome::ScreenRect() const
{
    const QScreen* where = d_.screen();
    return where ? where->geometry() : QRect(0, 0, kDialogWidth, kDialogHeight);
}

// ---- Hit test, moving and resizing ----------------------------------------------------------

bool CWindowChrome::TakeMouseEvent(QMouseEvent* mouse)
{
    const QPoint global = mouse->globalPosition().toPoint();
    const bool own = OnOwnSurface(mouse->position().toPoint());
    const bool left = mouse->button() == Qt::LeftButton;
    switch (mouse->type()) {
    case QEvent::MouseMove:
        if (drag_.active) {
            DragTo(global);
            return true;
        }
        if (own) {  // otherwise a control's own move, passed on by it
            switch (CursorForHit(OnNcHitTest(global))) {
            case ChromeCursor::SizeHorizontal: d_.setCursor(Qt::SizeHorCursor); break;
            case ChromeCursor::SizeVertical: d_.setCursor(Qt::SizeVerCursor); break;
            case ChromeCursor::SizeNwSe: d_.setCursor(Qt::SizeFDiagCursor); break;
            case ChromeCursor::SizeNeSw: d_.setCursor(Qt::SizeBDiagCursor); break;
            case ChromeCursor::Arrow: d_.setCursor(Qt::ArrowCursor); break;
            }
        }
        return false;
    case QEvent::MouseButtonPress:
        if (left && own) {
            const int hit = OnNcHitTest(global);
            if (hit != HTCLIENT) {
                OnNcLButtonDown(hit, global);
            }
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (drag_.active && left) {
            drag_ = Drag{};
            return true;
        }
        return false;
    case QEvent::MouseButtonDblClick:
        // Only a double click in the client area counts: on the video, or anywhere on the
        // window's own surface while it is maximised or in full screen.
        if (left && own && OnNcHitTest(global) == HTCLIENT) {
            OnLButtonDblClk();
        }
        return true;
    default: return false;
    }
}

bool CWindowChrome::OnOwnSurface(const QPoint& pos) const
{
    // The window's background, and the controls that only show something (pictures, texts, the
    // meter, the video) let the pointer through to the window; buttons, lists, sliders, the
    // combo box and the map view keep it to themselves.
    const QWidget* child = d_.childAt(pos);
    if (!child) {
        return true;
    }
    // The window mpv draws the movie into is part of the video.
    if (d_.videoView && d_.videoView->isAncestorOf(child)) {
        return true;
    }
    return qobject_cast<const QLabel*>(child) != nullptr || child == &d_.speedMeter;
}

int CWindowChrome::OnNcHitTest(const QPoint& globalPos)
{
    // The pointer is over the window's own surface: no button is hovered any more.
    for (CMyButton* button : d_.buttons_) {
        if (button && button->hovered()) {
            button->ResetHover();
        }
    }
    HitTestInput in;
    in.maximized = d_.maximized;
    in.fullScreen = d_.fullScreen;
    in.window = WindowRect();
    in.x = globalPos.x();
    in.y = globalPos.y();
    if (d_.videoView) {
        in.hasVideoView = true;
        in.videoView = ToWinRect(QRect(d_.videoView->mapToGlobal(QPoint(0, 0)), d_.videoView->size()));
    }
    // The pointer's position when the event was made: events reach the window in order, so this
    // is where the pointer was for this press or move.
    in.cursorX = globalPos.x();
    in.cursorY = globalPos.y();
    in.defaultAnswer = DefaultHitTest(in.window, in.x, in.y);
    return ChromeHitTest(in);
}

void CWindowChrome::OnNcLButtonDown(int hitCode, const QPoint& globalPos)
{
    const unsigned edges = ResizeEdgesForHit(hitCode);
    if (edges == 0 && hitCode != HTCAPTION) {
        return;
    }
    // The window system's own move or resize (it keeps the smallest size the window has set);
    // where it offers none, the window follows the pointer itself.
    QWindow* window = d_.windowHandle();
    const bool bySystem = window && (edges != 0 ? window->startSystemResize(Qt::Edges(static_cast<int>(edges)))
                                                : window->startSystemMove());
    if (!bySystem) {
        drag_.active = true;
        drag_.edges = edges;
        drag_.pressGlobal = globalPos;
        drag_.startGeometry = d_.geometry();
    }
}

void CWindowChrome::DragTo(const QPoint& globalPos)
{
    const QPoint delta = globalPos - drag_.pressGlobal;
    const QRect start = drag_.startGeometry;
    if (drag_.edges == 0) {
        d_.move(start.topLeft() + delta);
        return;
    }
    const QSize smallest = d_.OnGetMinMaxInfo();
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
    d_.setGeometry(left, top, right - left, bottom - top);
}

void CWindowChrome::MoveWindowSuspended(const QRect& rect)
{
    // The next size change only clears the flag. When the size stays the same there is no size
    // change, and a flag left set would swallow the next real one.
    if (rect.size() != d_.size()) {
        d_.layoutSuspended = true;
    }
    d_.setGeometry(rect);
    d_.update();
}

// ---- Caption buttons ------------------------------------------------------------------------

void CWindowChrome::SetMaximizeButtonPictures(bool restoreSign)
{
    const ButtonPictures pictures = MaximizeButtonPictures(restoreSign);
    d_.maximizeButton.LoadBitmaps(pictures.normal, pictures.selected);
}

void CWindowChrome::OnMaximize()
{
    if (!d_.maximized) {
        // Over the whole screen, laid out by the maximised table.
        d_.maximized = true;
        d_.restoreRect = WindowRect();
        const QRect screenRect = ScreenRect();
        d_.setMinimumSize(0, 0);  // a screen smaller than the smallest window size still fits
        MoveWindowSuspended(screenRect);
        const ControlLayout layout = ComputeMaximizedLayout(screenRect.width(), screenRect.height());
        MoveControls(layout, false);
        SetMaximizeButtonPictures(true);
        d_.videoRect = layout.videoRect;
        PlaceVideoView(layout.videoView, VideoMove::BoxThenMove);
        SetColumnWidths(layout.columnWidth, kListColumnCount + 1);
        LoadTitlePicture(layout.titlePictureWidth);
        return;
    }
    // Back to the saved place, laid out by the normal table.
    d_.maximized = false;
    MoveWindowSuspended(ToQRect(d_.restoreRect));
    d_.setMinimumSize(d_.OnGetMinMaxInfo());
    const ControlLayout layout = ComputeLayout(d_.restoreRect.Width(), d_.restoreRect.Height());
    d_.videoRect = layout.videoRect;
    PlaceVideoView(layout.videoView, VideoMove::HaltMovePlay);
    MoveControls(layout, false);
    SetMaximizeButtonPictures(false);
    SetColumnWidths(layout.columnWidth, kListColumnCount);
    LoadTitlePicture(layout.titlePictureWidth);
}

// ---- Full screen ----------------------------------------------------------------------------

void CWindowChrome::OnLButtonDblClk()
{
    if (d_.fullScreen) {
        LeaveFullScreen();
    } else {
        EnterFullScreen();
    }
}

void CWindowChrome::EnterFullScreen()
{
    d_.fullScreen = true;
    d_.fullScreenRestoreRect = WindowRect();
    const QRect screenRect = ScreenRect();
    d_.setMinimumSize(0, 0);
    MoveWindowSuspended(screenRect);

    const FullScreenLayout layout = ComputeFullScreenLayout(screenRect.width(), screenRect.height());
    d_.videoRect = layout.videoRect;
    PlaceVideoView(layout.videoView, VideoMove::HaltMovePlay);

    transportOnTop_ = d_.pauseButton.isVisible() && !d_.playButton.isVisible() ? kPauseButtonId : kPlayButtonId;
    for (int id : kFullScreenHiddenControls) {
        if (QWidget* w = d_.ControlById(id)) {
            w->hide();
        }
    }
    // The map view is shrunk to nothing, not hidden.
    d_.mapRestoreRect = ToWinRect(d_.mapView.geometry());
    d_.mapView.setGeometry(layout.mapView.x, layout.mapView.y, layout.mapView.width, layout.mapView.height);
    for (int id : kFullScreenHiddenReadouts) {
        if (QWidget* w = d_.ControlById(id)) {
            w->hide();
        }
    }
}

void CWindowChrome::LeaveFullScreen()
{
    d_.fullScreen = false;
    MoveWindowSuspended(ToQRect(d_.fullScreenRestoreRect));
    if (!d_.maximized) {
        d_.setMinimumSize(d_.OnGetMinMaxInfo());
    }
    d_.videoRect = LeaveFullScreenVideoRect(d_.fullScreenRestoreRect, d_.maximized);
    PlaceVideoView(VideoViewRect(d_.videoRect), VideoMove::HaltMovePlay);

    // Every hidden control comes back where it was, the play and the pause button both.
    for (int id : kFullScreenHiddenControls) {
        if (QWidget* w = d_.ControlById(id)) {
            w->show();
        }
    }
    if (QWidget* onTop = d_.ControlById(transportOnTop_)) {
        onTop->raise();
    }
    d_.mapView.setGeometry(ToQRect(d_.mapRestoreRect));
    for (int id : kFullScreenHiddenReadouts) {
        if (QWidget* w = d_.ControlById(id)) {
            w->show();
        }
    }
}

// ---- System menu ----------------------------------------------------------------------------

void CWindowChrome::BuildSystemMenu()
{
    systemMenu_ = new QMenu(&d_);  // a child of the dialog
    systemMenu_->addAction(QStringLiteral("最小化(&N)"), &d_, [this] { OnSysCommand(SC_MINIMIZE); });
    systemMenu_->addAction(QStringLiteral("关闭(&C)\tAlt+F4"), &d_, [this] { OnSysCommand(SC_CLOSE); });
    const QString about = QString::fromUtf8(kAboutMenuText);
    if (!about.isEmpty()) {
        systemMenu_->addSeparator();
        systemMenu_->addAction(about, &d_, [this] { OnSysCommand(kAboutCommandId); });
    }
    // The keyboard's way to the menu.
    auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), &d_);
    QObject::connect(shortcut, &QShortcut::activated, &d_,
                     [this] { ShowSystemMenu(d_.mapToGlobal(QPoint(0, kTitleHeight))); });
}

void CWindowChrome::ShowSystemMenu(const QPoint& globalPos)
{
    if (systemMenu_) {
        systemMenu_->popup(globalPos);
    }
}

void CWindowChrome::OnSysCommand(int id)
{
    if (IsAboutCommand(id)) {
        CAboutDlg about(&d_);
        about.exec();
        return;
    }
    switch (id & kSystemCommandMask) {
    case SC_MINIMIZE: d_.showMinimized(); break;
    case SC_CLOSE: d_.OnCancel(); break;
    default: break;
    }
}
