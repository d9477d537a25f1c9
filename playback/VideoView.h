#pragma once
// CVideoView: the child window the movie is drawn in. It owns the movie wrapper, hands every
// message it receives to the wrapper's controller and then runs its owner's update operation;
// with no movie shown it displays the stop picture.

#include "engine/Engine.h"

#include <QBasicTimer>
#include <QLabel>

#include <cstdint>
#include <memory>

class CQuickTime;

/// The operation the video view runs after each message it receives: for the main dialog, its
/// periodic update.
class VideoViewOwner {
public:
    virtual ~VideoViewOwner() = default;
    virtual void PeriodicUpdate() = 0;
};

class CVideoView : public QLabel {
public:
    /// Messages the view receives at least, movie or not: one every this many milliseconds.
    static constexpr int kMessageIntervalMs = 50;
    /// The stop picture.
    static constexpr int kStopBitmap = 131;

    explicit CVideoView(VideoViewOwner* owner, QWidget* parent = nullptr);
    ~CVideoView() override;

    /// Sets `timeScale` and `durationSeconds` from the engine's answers for the open movie. A
    /// time scale of 0 (or less) gives 0 seconds instead of a division by zero.
    void SetMovieTiming(TimeValue duration, TimeScale scale);

    /// Shows bitmap 131 scaled to width × height, centred; black while it is not available.
    void ShowStopPicture(int width, int height);

    /// The action filter every controller gets: a change of the controller's size resizes the
    /// window named by the reference value to the controller's bounds. Always lets the action
    /// go on (returns false).
    static bool VideoActionFilter(MovieController controller, short action, void* params, std::intptr_t refCon);

    VideoViewOwner* owner;
    std::unique_ptr<CQuickTime> movieWrapper;
    std::int32_t timeScale = 0;
    std::int32_t durationSeconds = 0;

protected:
    bool event(QEvent* event) override;

private:
    QBasicTimer messageTimer_;
    bool closing_ = false;
};
