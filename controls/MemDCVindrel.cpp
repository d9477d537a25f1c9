#include "controls/MemDCVindrel.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPixmap>

CMemDCVindrel::CMemDCVindrel(QPaintDevice* target, const QRect& area, bool copyBackground, const QColor& background)
    : targetDc_(target)
{
    if (!target)
        return;
    isOffscreen_ = target->devType() != QInternal::Printer;
    paintArea_ = area.isEmpty() ? QRect(0, 0, target->width(), target->height()) : area;
    if (!isOffscreen_) {
        begin(target);
        if (!copyBackground)
            fillRect(paintArea_, background);
        return;
    }
    const qreal ratio = target->devicePixelRatioF();
    offscreenImage_ = QImage(paintArea_.size() * ratio, QImage::Format_RGB32);
    offscreenImage_.setDevicePixelRatio(ratio);
    offscreenImage_.fill(background);
    if (copyBackground) {
        if (target->devType() == QInternal::Image) {
            const QImage* source = static_cast<const QImage*>(target);
            QPainter copy(&offscreenImage_);
            copy.drawImage(QPoint(0, 0), *source, paintArea_);
        } else if (target->devType() == QInternal::Pixmap) {
            const QPixmap* source = static_cast<const QPixmap*>(target);
            QPainter copy(&offscreenImage_);
            copy.drawPixmap(QPoint(0, 0), *source, paintArea_);
        }
    }
    begin(&offscreenImage_);
    // Same coordinates as on the target.
    translate(-paintArea_.topLeft());
}

CMemDCVindrel::~CMemDCVindrel()
{
    if (isActive())
        end();
    if (!targetDc_ || !isOffscreen_ || offscreenImage_.isNull())
        return;
    QPainter target(targetDc_);
    target.drawImage(paintArea_.topLeft(), offscreenImage_);
}

void MakeMask(QImage& mask, QImage& image)
{
    if (image.isNull()) {
        mask = QImage();
        return;
    }
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    const QRgb transparent = image.pixel(0, 0) & 0xFFFFFF;
    mask = QImage(image.size(), QImage::Format_Mono);
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const bool isTransparent = (line[x] & 0xFFFFFF) == transparent;
            mask.setPixel(x, y, isTransparent ? 1 : 0);
            if (isTransparent)
                line[x] = qRgb(0, 0, 0);
        }
    }
}

void DrawMasked(QPainter& destination, int x, int y, int w, int h, const QImage& image, int sx, int sy,
                const QImage& mask)
{
    if (image.isNull() || mask.isNull() || w <= 0 || h <= 0)
        return;
    const QRect target(x, y, w, h);
    const QRect source(sx, sy, w, h);
    const QPainter::CompositionMode mode = destination.compositionMode();
    const QPaintEngine* engine = destination.paintEngine();
    if (engine && engine->hasFeature(QPaintEngine::RasterOpModes)) {
        destination.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        destination.drawImage(target, mask.convertToFormat(QImage::Format_RGB32), source);
        destination.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        destination.drawImage(target, image, source);
    } else {
        // No raster operations on this device: the same result through an alpha channel.
        QImage withAlpha = image.copy(source).convertToFormat(QImage::Format_ARGB32);
        const QImage maskPart = mask.copy(source);
        for (int row = 0; row < withAlpha.height(); ++row)
            for (int col = 0; col < withAlpha.width(); ++col)
                if (maskPart.pixelIndex(col, row) == 1)
                    withAlpha.setPixel(col, row, qRgba(0, 0, 0, 0));
        destination.setCompositionMode(QPainter::CompositionMode_SourceOver);
        destination.drawImage(QPoint(x, y), withAlpha);
    }
    destination.setCompositionMode(mode);
}

void DrawFocusRectXor(QPainter& painter, const QRect& rect)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    painter.save();
    const QPaintEngine* engine = painter.paintEngine();
    const bool canXor = engine && engine->hasFeature(QPaintEngine::RasterOpModes);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(canXor ? QPainter::RasterOp_SourceXorDestination : QPainter::CompositionMode_SourceOver);
    painter.setPen(Qt::NoPen);
    const QColor ink = canXor ? QColor(255, 255, 255) : QColor(128, 128, 128);
    // Every other pixel along the border, starting at the top-left corner.
    const int left = rect.left(), top = rect.top(), right = rect.right(), bottom = rect.bottom();
    int i = 0;
    const auto dot = [&](int x, int y) {
        if (i++ % 2 == 0)
            painter.fillRect(QRect(x, y, 1, 1), ink);
    };
    for (int x = left; x <= right; ++x)
        dot(x, top);
    for (int y = top + 1; y <= bottom; ++y)
        dot(right, y);
    if (bottom > top)
        for (int x = right - 1; x >= left; --x)
            dot(x, bottom);
    if (right > left)
        for (int y = bottom - 1; y > top; --y)
            dot(left, y);
    painter.restore();
}
