#pragma once
// CBitmapSlider: a slider drawn from skin pictures: a channel whose part left of the thumb shows
// the active picture, and a round thumb with its own picture while dragged.
//
// Messages: while dragging it posts WM_SLIDER_TRACK (wParam control ID, lParam position) to its
// parent, on release and after a navigation key WM_SLIDER_CHANGED; a press sends
// WM_PROGRESS_PRESSED (progress bar) or WM_VOLUME_PRESSED to the main window, which the owner
// names with setMainWindow() (nothing is sent while none is set).

#include "controls/SliderMath.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <utility>
#include <vector>

class CBitmapSlider : public QWidget {
    Q_OBJECT

public:
    explicit CBitmapSlider(QWidget* parent = nullptr);

    /// Loads the channel pictures (normal and active) and sizes the control to width x 15. The
    /// channel is cut from the pictures' left edge. False when a picture cannot be loaded.
    bool SetChannelBitmaps(int width, int normalBitmap, int activeBitmap);
    /// Loads thumb pictures 206 and 208 and their masks. False when one cannot be loaded.
    bool LoadThumbBitmaps();
    /// Stores the value clamped to rangeMax, then rangeMin, and repaints. Sends nothing.
    void SetPosition(int value);
    int position() const { return position_; }

    int rangeMin() const { return geometry_.rangeMin; }
    int rangeMax() const { return geometry_.rangeMax; }
    /// Written directly by the owner; the position is not re-clamped until it is next stored.
    void setRangeMin(int value) { geometry_.rangeMin = value; }
    void setRangeMax(int value) { geometry_.rangeMax = value; }
    int pageStep() const { return pageStep_; }
    bool drawFocusRect() const { return drawFocusRect_; }
    void setDrawFocusRect(bool on) { drawFocusRect_ = on; }
    bool isProgressBar() const { return isProgressBar_; }
    void setProgressBar(bool on) { isProgressBar_ = on; }

    /// The control ID carried in wParam of the posted messages.
    int controlId() const { return controlId_; }
    void setControlId(int id) { controlId_ = id; }
    /// Receiver of WM_PROGRESS_PRESSED and WM_VOLUME_PRESSED.
    QObject* mainWindow() const { return mainWindow_; }
    void setMainWindow(QObject* window) { mainWindow_ = window; }

    const SliderGeometry& sliderGeometry() const { return geometry_; }
    bool dragging() const { return dragging_; }
    int grabOffset() const { return grabOffset_; }
    bool showChannel() const { return showChannel_; }
    bool showThumb() const { return showThumb_; }

    QSize sizeHint() const override;

    /// Spans of the value range marked with short ticks on the channel (the G-sensor events of a
    /// recording): first and last value of each, drawn in the skin's red under the thumb. An
    /// empty list takes the ticks away.
    void SetMarks(std::vector<std::pair<int, int>> marks);
    const std::vector<std::pair<int, int>>& marks() const { return marks_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int TrackCoordinate(const QPointF& point) const;
    void TrackTo(int pointer);
    void StorePosition(std::int64_t value);
    void Post(int message);
    void PaintMarks(QPainter& dc) const;

    SliderGeometry geometry_;
    int position_ = 0;
    int pageStep_ = 20;
    int grabOffset_ = 0;
    int controlId_ = 0;
    QPointer<QObject> mainWindow_;
    bool hasActiveChannel_ = false;
    bool hasPressedThumb_ = false;
    bool transparentChannel_ = false;
    bool transparentThumb_ = false;
    bool showThumb_ = false;
    bool showChannel_ = false;
    bool dragging_ = false;
    bool hasFocus_ = false;
    bool focusRectShown_ = false;
    bool drawFocusRect_ = true;
    bool isProgressBar_ = false;
    QImage channelBitmap_;
    QImage activeChannelBitmap_;
    QImage thumbBitmap_, thumbMask_;
    QImage pressedThumbBitmap_, pressedThumbMask_;
    std::vector<std::pair<int, int>> marks_;
};
