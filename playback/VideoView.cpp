#include "playback/VideoView.h"

#include "controls/Skin.h"
#include "playback/QuickTime.h"

#include <QEvent>
#include <QPalette>
#include <QPixmap>
#include <QTimerEvent>

CVideoView::CVideoView(VideoViewOwner* viewOwner, QWidget* parent)
    : QLabel(parent), owner(viewOwner), movieWrapper(std::make_unique<CQuickTime>())
{
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    // The view's own clock: messages keep coming while a movie plays and while it is paused.
    messageTimer_.start(kMessageIntervalMs, Qt::PreciseTimer, this);
}

CVideoView::~CVideoView()
{
    closing_ = true;
    messageTimer_.stop();
    movieWrapper.reset();
}

void CVideoView::SetMovieTiming(TimeValue duration, TimeScale scale)
{
    timeScale = scale;
    durationSeconds = (duration != 0 && scale > 0) ? duration / scale : 0;
}

void CVideoView::ShowStopPicture(int width, int height)
{
    if (width <= 0 || height <= 0) {
        setPixmap(QPixmap());
        return;
    }
    const QImage picture = LoadSkinImage(kStopBitmap, QSize(width, height));
    // Without the picture the black background shows.
    setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
}

bool CVideoView::VideoActionFilter(MovieController controller, short action, void*, std::intptr_t refCon)
{
    if (action != kActionControllerSizeChanged)
        return false;
    EngineRect bounds;
    ControllerGetBounds(controller, &bounds);
    Port port = EngineWindowPort(reinterpret_cast<NativeWindow>(refCon));
    EngineSizeWindow(port, bounds.right, bounds.bottom, true);
    return false;
}

bool CVideoView::event(QEvent* e)
{
    // A message before the view has its window, or while it goes away, is only the base
    // class's. Every other one reaches the controller first, then the owner's update.
    if (!closing_ && movieWrapper && testAttribute(Qt::WA_WState_Created)) {
        movieWrapper->HandleWindowMessage(this, std::uint32_t(e->type()), 0, 0);
        if (owner && !closing_)
            owner->PeriodicUpdate();
    }
    if (e->type() == QEvent::Timer && static_cast<QTimerEvent*>(e)->timerId() == messageTimer_.timerId())
        return true;
    return QLabel::event(e);
}
