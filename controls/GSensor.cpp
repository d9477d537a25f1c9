#include "controls/GSensor.h"

#include "controls/GSensorMath.h"
#include "controls/Skin.h"

#include <QPainter>
#include <QPixmap>

namespace {
constexpr int kZoomedBackground = 186;
constexpr int kNormalBackground = 187;
const QSize kChartSize(205, 150);
}  // namespace

CGSensor::CGSensor(QWidget* parent) : QLabel(parent) { setAlignment(Qt::AlignCenter); }

void CGSensor::setHasData(bool on)
{
    hasData_ = on;
    update();
}

void CGSensor::setCurrentIndex(int index)
{
    currentIndex_ = index;
    update();
}

void CGSensor::ShowScale(bool zoomedScale)
{
    zoomed_ = zoomedScale;
    const QImage picture = LoadSkinImage(zoomedScale ? kZoomedBackground : kNormalBackground, kChartSize);
    setPixmap(QPixmap::fromImage(picture));
    update();
}

void CGSensor::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasData_)
        return;
    const GSensorLines lines = GSensorSegments(gSensorSeries_, currentIndex_, zoomed_);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const auto draw = [&](const AxisSegments& segments, const QColor& colour) {
        painter.setPen(QPen(colour, 1));
        for (const GraphSegment& s : segments)
            painter.drawLine(s.x0, s.y0, s.x1, s.y1);
    };
    // Later axes cover earlier ones where they cross.
    draw(lines.x, QColor(255, 0, 0));
    draw(lines.y, QColor(255, 0, 255));
    draw(lines.z, QColor(255, 255, 0));
}
