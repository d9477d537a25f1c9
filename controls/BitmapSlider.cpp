#include "controls/BitmapSlider.h"

#include "controls/MemDCVindrel.h"
#include "controls/Skin.h"
#include "window/Messages.h"

#include <QCoreApplication>
#include <QPainter>

#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

namespace {
constexpr int kThumbBitmap = 206;
constexpr int kPressedThumbBitmap = 208;
constexpr int kChannelHeight = 15;
}  // namespace

CBitmapSlider::CBitmapSlider(QWidget* parent) : QWidget(parent)
{
    // Every paint covers the whole control, so nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

QSize CBitmapSlider::sizeHint() const { return {geometry_.width, geometry_.height}; }

bool CBitmapSlider::SetChannelBitmaps(int width, int normalBitmap, int activeBitmap)
{
    channelBitmap_ = LoadSkinImage(normalBitmap);
    if (channelBitmap_.isNull())
        return false;
    activeChannelBitmap_ = LoadSkinImage(activeBitmap);
    if (activeChannelBitmap_.isNull()) {
        channelBitmap_ = QImage();
        return false;
    }
    hasActiveChannel_ = true;
    geometry_.width = width;
    geometry_.height = kChannelHeight;
    resize(std::max(width, 0), kChannelHeight);
    transparentChannel_ = false;
    showChannel_ = true;
    update();
    return true;
}

bool CBitmapSlider::LoadThumbBitmaps()
{
    thumbBitmap_ = LoadSkinImage(kThumbBitmap);
    if (thumbBitmap_.isNull())
        return false;
    MakeMask(thumbMask_, thumbBitmap_);
    pressedThumbBitmap_ = LoadSkinImage(kPressedThumbBitmap);
    if (pressedThumbBitmap_.isNull()) {
        thumbBitmap_ = QImage();
        thumbMask_ = QImage();
        return false;
    }
    MakeMask(pressedThumbMask_, pressedThumbBitmap_);
    hasPressedThumb_ = true;
    geometry_.thumbWidth = thumbBitmap_.width();
    geometry_.thumbHeight = thumbBitmap_.height();
    if (!showChannel_) {
        geometry_.width = width();
        geometry_.height = height();
    }
    transparentThumb_ = true;
    showThumb_ = true;
    update();
    return true;
}

void CBitmapSlider::SetPosition(int value) { StorePosition(value); }

void CBitmapSlider::StorePosition(std::int64_t value)
{
    position_ = ClampPosition(geometry_, value);
    update();
}

void CBitmapSlider::Post(int message)
{
    if (QWidget* parent = parentWidget())
        QCoreApplication::postEvent(parent,
                                    new WindowMessage(message, static_cast<std::uintptr_t>(controlId_), position_));
}

int CBitmapSlider::TrackCoordinate(const QPointF& point) const
{
    return static_cast<int>(geometry_.vertical ? point.y() : point.x());
}

void CBitmapSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    // Qt holds the pointer for this control until the button is released.
    setFocus(Qt::MouseFocusReason);
    dragging_ = true;
    const int pointer = TrackCoordinate(event->position());
    grabOffset_ = GrabOffset(geometry_, pointer, position_);
    TrackTo(pointer);
    update();
    if (mainWindow_) {
        WindowMessage pressed(isProgressBar_ ? WM_PROGRESS_PRESSED : WM_VOLUME_PRESSED, 0, 0);
        QCoreApplication::sendEvent(mainWindow_, &pressed);
    }
    event->accept();
}

void CBitmapSlider::mouseMoveEvent(QMouseEvent* event)
{
    TrackTo(TrackCoordinate(event->position()));
    event->accept();
}

void CBitmapSlider::TrackTo(int pointer)
{
    if (!dragging_ || !isEnabled())
        return;
    const int x = ClampTrackCoordinate(geometry_, std::int64_t{pointer} - grabOffset_);
    if (x == PositionToPixel(geometry_, position_))
        return;
    position_ = ClampPosition(geometry_, PixelToPosition(geometry_, x));
    update();
    // Posted even when several pixels map to the same value.
    Post(WM_SLIDER_TRACK);
}

void CBitmapSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    update();
    Post(WM_SLIDER_CHANGED);
    event->accept();
}

void CBitmapSlider::keyPressEvent(QKeyEvent* event)
{
    if (!isEnabled()) {
        QWidget::keyPressEvent(event);
        return;
    }
    SliderKey key;
    switch (event->key()) {
    case Qt::Key_PageUp: key = SliderKey::PageUp; break;
    case Qt::Key_PageDown: key = SliderKey::PageDown; break;
    case Qt::Key_End: key = SliderKey::End; break;
    case Qt::Key_Home: key = SliderKey::Home; break;
    case Qt::Key_Left: key = SliderKey::Left; break;
    case Qt::Key_Up: key = SliderKey::Up; break;
    case Qt::Key_Right: key = SliderKey::Right; break;
    case Qt::Key_Down: key = SliderKey::Down; break;
    default: QWidget::keyPressEvent(event); return;
    }
    StorePosition(KeyTarget(geometry_, key, position_, pageStep_));
    Post(WM_SLIDER_CHANGED);
    event->accept();
}

void CBitmapSlider::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    hasFocus_ = true;
    update();
}

void CBitmapSlider::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    hasFocus_ = false;
    update();
}

void CBitmapSlider::paintEvent(QPaintEvent*)
{
    const QRect clientRect = rect();
    CMemDCVindrel dc(this, clientRect, transparentChannel_, palette().color(backgroundRole()));
    // The surface starts fresh at every paint, so a focus rectangle of an earlier paint is gone.
    if (focusRectShown_ && (transparentChannel_ || !showChannel_))
        focusRectShown_ = false;

    const int p = PositionToPixel(geometry_, position_);
    const int w = geometry_.width;
    const int h = geometry_.height;
    if (showChannel_) {
        if (hasActiveChannel_ && isEnabled()) {
            // Normal picture from the thumb centre on, active picture before it.
            if (geometry_.vertical) {
                dc.drawImage(QPoint(0, p), channelBitmap_, QRect(0, p, w, h - p));
                dc.drawImage(QPoint(0, 0), activeChannelBitmap_, QRect(0, 0, w, p));
            } else {
                dc.drawImage(QPoint(p, 0), channelBitmap_, QRect(p, 0, w - p, h));
                dc.drawImage(QPoint(0, 0), activeChannelBitmap_, QRect(0, 0, p, h));
            }
        } else {
            dc.drawImage(QPoint(0, 0), channelBitmap_, QRect(0, 0, w, h));
        }
    }

    PaintMarks(dc);

    if (showThumb_ && isEnabled()) {
        const bool pressed = hasPressedThumb_ && dragging_;
        const QImage& image = pressed ? pressedThumbBitmap_ : thumbBitmap_;
        const QImage& mask = pressed ? pressedThumbMask_ : thumbMask_;
        const int tw = geometry_.thumbWidth;
        const int th = geometry_.thumbHeight;
        const QPoint at = geometry_.vertical ? QPoint(geometry_.marginLeft, p - th / 2)
                                             : QPoint(p - tw / 2, geometry_.marginTop);
        if (transparentThumb_)
            DrawMasked(dc, at.x(), at.y(), tw, th, image, 0, 0, mask);
        else
            dc.drawImage(at, image);
    }

    if (drawFocusRect_ && hasFocus_ && isEnabled()) {
        DrawFocusRectXor(dc, clientRect);
        focusRectShown_ = true;
    }
}

void CBitmapSlider::SetMarks(std::vector<std::pair<int, int>> marks)
{
    marks_ = std::move(marks);
    update();
}

void CBitmapSlider::PaintMarks(QPainter& dc) const
{
    if (marks_.empty() || geometry_.vertical || geometry_.rangeMax <= geometry_.rangeMin)
        return;
    // A tick is at least 2 pixels wide and covers the middle of the channel's height.
    const int h = std::max(geometry_.height, 1);
    const int tickHeight = std::max(3, h / 2);
    const int top = (h - tickHeight) / 2;
    for (const auto& [first, last] : marks_) {
        if (last < geometry_.rangeMin || first > geometry_.rangeMax)
            continue;
        const int x0 = PositionToPixel(geometry_, std::clamp(first, geometry_.rangeMin, geometry_.rangeMax));
        const int x1 = PositionToPixel(geometry_, std::clamp(last, geometry_.rangeMin, geometry_.rangeMax));
        dc.fillRect(QRect(x0 - 1, top, std::max(2, x1 - x0 + 2), tickHeight), QColor::fromRgb(kSkinRed));
    }
}
