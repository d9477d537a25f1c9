#pragma once
// Off-screen painting: CMemDCVindrel is a painter over an image of the area being painted; when it
// goes out of scope the finished picture reaches the target in one copy, so a control repainted
// many times a second never shows a half-drawn state. MakeMask and DrawMasked draw pictures whose
// top-left pixel gives the transparent colour.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>

class QPaintDevice;

class CMemDCVindrel : public QPainter {
public:
    /// Starts painting `area` of `target` (the whole target when `area` is empty). The surface
    /// uses the target's coordinates. With `copyBackground` it starts with the target's current
    /// pixels where the target can be read (an image or a pixmap), otherwise it starts filled with
    /// `background`. A printer target is drawn on directly.
    CMemDCVindrel(QPaintDevice* target, const QRect& area = {}, bool copyBackground = false,
                  const QColor& background = Qt::black);
    ~CMemDCVindrel();  // QPainter has no virtual destructor: use it by value only

    CMemDCVindrel(const CMemDCVindrel&) = delete;
    CMemDCVindrel& operator=(const CMemDCVindrel&) = delete;

    QRect paintArea() const { return paintArea_; }
    bool isOffscreen() const { return isOffscreen_; }

private:
    QImage offscreenImage_;
    QPaintDevice* targetDc_ = nullptr;  // not owned
    QRect paintArea_;
    bool isOffscreen_ = true;
};

/// Makes `mask` for `image`: a monochrome picture of the image's size, white (1) where the image
/// has the colour of its top-left pixel and black (0) elsewhere; those pixels of `image` become
/// black. An empty image gives an empty mask.
void MakeMask(QImage& mask, QImage& image);

/// Draws a dotted one-pixel rectangle just inside `rect` by inverting every other pixel, so
/// drawing it twice restores the picture (the classic focus rectangle).
void DrawFocusRectXor(QPainter& painter, const QRect& rect);

/// Draws `w` x `h` pixels of `image` from (sx, sy) at (x, y) through `mask` (from MakeMask):
/// where the mask is white the destination stays, where it is black the image shows.
void DrawMasked(QPainter& destination, int x, int y, int w, int h, const QImage& image, int sx, int sy,
                const QImage& mask);
