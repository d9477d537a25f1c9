// Draws the 470 x 483 background picture of the start and status pages: a dim globe with a route,
// a position pin and a satellite, kept dark so that white and red text stay readable over it.
//
//   vindrel_gpsimage <output.jpg>
//
// Runs without a display (QT_QPA_PLATFORM=offscreen is set when none is given).

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace {

constexpr int kWidth = 470;
constexpr int kHeight = 483;

void DrawGlobe(QPainter& p, QPointF centre, double r)
{
    QRadialGradient shade(centre - QPointF(r * 0.35, r * 0.35), r * 1.4);
    shade.setColorAt(0.0, QColor(0x24, 0x31, 0x3d));
    shade.setColorAt(1.0, QColor(0x17, 0x1b, 0x20));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawEllipse(centre, r, r);

    QPen grid(QColor(0x33, 0x44, 0x52), 1.2);
    p.setPen(grid);
    p.setBrush(Qt::NoBrush);
    // Parallels: horizontal chords; meridians: ellipses narrowing towards the rim.
    for (int i = -3; i <= 3; ++i) {
        const double y = centre.y() + r * i / 4.0;
        const double half = std::sqrt(r * r - (y - centre.y()) * (y - centre.y()));
        p.drawLine(QPointF(centre.x() - half, y), QPointF(centre.x() + half, y));
    }
    for (int i = 0; i <= 3; ++i) {
        const double w = r * std::cos(i * std::numbers::pi / 8.0);
        p.drawEllipse(centre, w, r);
    }
    p.setPen(QPen(QColor(0x3d, 0x52, 0x63), 2.0));
    p.drawEllipse(centre, r, r);
}

void DrawRoute(QPainter& p)
{
    QPainterPath route;
    route.moveTo(118, 338);
    route.cubicTo(160, 300, 150, 250, 205, 240);
    route.cubicTo(255, 231, 262, 292, 305, 280);
    route.cubicTo(340, 270, 330, 220, 350, 196);
    QPen pen(QColor(0x2f, 0x7d, 0x86), 5.0, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(route);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2f, 0x7d, 0x86));
    p.drawEllipse(QPointF(118, 338), 7, 7);
}

void DrawPin(QPainter& p, QPointF tip)
{
    const double r = 26;
    const QPointF head(tip.x(), tip.y() - 58);
    QPainterPath pin;
    pin.moveTo(tip);
    pin.cubicTo(tip.x() - 8, tip.y() - 22, head.x() - r, head.y() + 18, head.x() - r, head.y());
    pin.arcTo(QRectF(head.x() - r, head.y() - r, 2 * r, 2 * r), 180, -180);
    pin.cubicTo(head.x() + r, head.y() + 18, tip.x() + 8, tip.y() - 22, tip.x(), tip.y());
    QLinearGradient fill(head - QPointF(r, r), tip);
    fill.setColorAt(0.0, QColor(0x8a, 0x3a, 0x32));
    fill.setColorAt(1.0, QColor(0x5a, 0x22, 0x1e));
    p.setPen(QPen(QColor(0x2a, 0x10, 0x0e), 2.0));
    p.setBrush(fill);
    p.drawPath(pin);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1a, 0x1d, 0x21));
    p.drawEllipse(head, r * 0.42, r * 0.42);
    // Shadow under the tip.
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawEllipse(QPointF(tip.x(), tip.y() + 3), 16, 4);
}

void DrawSatellite(QPainter& p, QPointF c)
{
    p.save();
    p.translate(c);
    p.rotate(-35);
    p.setPen(QPen(QColor(0x4a, 0x55, 0x60), 1.5));
    p.setBrush(QColor(0x2c, 0x3a, 0x4a));
    p.drawRect(QRectF(-46, -9, 32, 18));
    p.drawRect(QRectF(14, -9, 32, 18));
    p.setPen(QPen(QColor(0x39, 0x4b, 0x5c), 1.0));
    for (double x : {-38.0, -30.0, -22.0, 22.0, 30.0, 38.0}) {
        p.drawLine(QPointF(x, -9), QPointF(x, 9));
    }
    p.setPen(QPen(QColor(0x5c, 0x66, 0x70), 1.5));
    p.setBrush(QColor(0x44, 0x4c, 0x55));
    p.drawRect(QRectF(-12, -12, 24, 24));
    p.drawLine(QPointF(-14, 0), QPointF(-12, 0));
    p.drawLine(QPointF(12, 0), QPointF(14, 0));
    p.restore();

    // Signal arcs towards the globe (down and to the left).
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i) {
        const double r = 18.0 + i * 14.0;
        p.setPen(QPen(QColor(0x3b, 0x6e, 0x78, 200 - i * 45), 3.0, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 200 * 16, 50 * 16);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.jpg>\n", argv[0]);
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);

    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(QColor(0x15, 0x15, 0x15));
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        DrawGlobe(p, QPointF(235, 262), 168);
        DrawRoute(p);
        DrawPin(p, QPointF(350, 196));
        DrawSatellite(p, QPointF(392, 66));
        // Fade the edges into the page colour so the picture has no visible border.
        QRadialGradient vignette(QPointF(kWidth / 2.0, kHeight / 2.0), kHeight * 0.62);
        vignette.setColorAt(0.78, QColor(0x15, 0x15, 0x15, 0));
        vignette.setColorAt(1.0, QColor(0x15, 0x15, 0x15, 255));
        p.fillRect(image.rect(), vignette);
    }
    if (!image.save(QString::fromLocal8Bit(argv[1]), "JPEG", 88)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
