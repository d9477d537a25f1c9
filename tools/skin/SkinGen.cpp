// Draws every picture of the player's skin and writes it as <resources>/bitmaps/N.png, the Qt
// resource file that lists them (<resources>/vindrel.qrc) and a contact sheet of all pictures
// with their numbers (<resources>/bitmaps/contact-sheet.png) for review.
//
// Usage: vindrel_skin_gen <resources folder>
//
// The output is committed; run this again after changing a picture. Everything is drawn with
// QPainter from fixed geometry, and text from the font files named below (loaded by path), so the
// same Qt build writes the same files.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

namespace {

constexpr double kPi = 3.14159265358979323846;

const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kDejaVuSansBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const kDejaVuCondensedBold = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";
const char* const kNotoCjk = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";

struct Fonts {
    QString sans;            // DejaVu Sans
    QString condensed;       // DejaVu Sans Condensed
    QString cjkSimplified;   // Noto Sans CJK SC
    QString cjkTraditional;  // Noto Sans CJK TC
};
Fonts g_fonts;  // filled once by LoadFonts() before anything is drawn

bool LoadFonts()
{
    bool ok = true;
    for (const char* path : {kDejaVuSans, kDejaVuSansBold, kDejaVuCondensedBold, kNotoCjk}) {
        if (QFontDatabase::addApplicationFont(QString::fromUtf8(path)) < 0) {
            std::fprintf(stderr, "cannot load font %s\n", path);
            ok = false;
        }
    }
    g_fonts = {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Sans Condensed"),
               QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans CJK TC")};
    return ok;
}

QFont MakeFont(const QString& family, bool bold)
{
    QFont font(family);
    font.setPixelSize(200);  // outlines are taken at a large size and scaled into place
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

QImage NewImage(int w, int h, QColor fill = Qt::black)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

void Smooth(QPainter& p)
{
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
}

enum class Align { Left, Centre, Right };

// Draws `text` so that its ink fills `box`: the height of the ink becomes box.height(), the width
// follows the glyphs' proportions times `squeeze`, placed left, centred or right in the box.
// With `stretch` the ink fills the box exactly in both directions.
void DrawTextInBox(QPainter& p, const QString& text, const QFont& font, const QRectF& box, const QColor& colour,
                   Align align = Align::Centre, bool stretch = false, double squeeze = 1.0)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF ink = path.boundingRect();
    if (ink.isEmpty())
        return;
    const double sy = box.height() / ink.height();
    const double sx = stretch ? box.width() / ink.width() : sy * squeeze;
    const double w = ink.width() * sx;
    double left = box.left();
    if (!stretch && align == Align::Centre)
        left = box.center().x() - w / 2;
    else if (!stretch && align == Align::Right)
        left = box.right() - w;
    QTransform t;
    t.translate(left, box.top());
    t.scale(sx, sy);
    t.translate(-ink.left(), -ink.top());
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(t.map(path));
    p.restore();
}

// Draws one line of text on `baseline`, scaled so that the ink of `reference` (a capital or a
// full-width character) is `height` pixels high, so texts of one size line up whatever their
// letters reach below the line.
void DrawTextLine(QPainter& p, const QString& text, const QFont& font, const QString& reference, double height,
                  double x, double baseline, const QColor& colour, Align align)
{
    QPainterPath ref;
    ref.addText(0, 0, font, reference);
    QPainterPath path;
    path.addText(0, 0, font, text);
    if (ref.boundingRect().isEmpty() || path.boundingRect().isEmpty())
        return;
    const double s = height / ref.boundingRect().height();
    const QRectF ink = path.boundingRect();
    double left = x - ink.left() * s;
    if (align == Align::Centre)
        left = x - (ink.left() + ink.width() / 2) * s;
    else if (align == Align::Right)
        left = x - ink.right() * s;
    QTransform t;
    t.translate(left, baseline);
    t.scale(s, s);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(t.map(path));
    p.restore();
}

// ---- buttons ---------------------------------------------------------------------------------

enum class Face { Square, Round, Caption };
enum class Look { Normal, Pressed, Focus };

// A symbol is drawn in a 100 x 100 design square that the caller maps onto the button.
using Symbol = std::function<void(QPainter&, const QColor&)>;

QColor SymbolColour(Look look) { return look == Look::Pressed ? QColor(196, 202, 210) : QColor(236, 240, 245); }

void DrawFace(QPainter& p, const QRectF& r, Face face, Look look)
{
    const bool pressed = look == Look::Pressed;
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    if (face == Face::Round) {
        fill.setColorAt(0.0, pressed ? QColor(40, 86, 150) : QColor(74, 140, 224));
        fill.setColorAt(0.5, pressed ? QColor(26, 62, 116) : QColor(40, 100, 190));
        fill.setColorAt(1.0, pressed ? QColor(14, 36, 74) : QColor(22, 60, 124));
    } else {
        fill.setColorAt(0.0, pressed ? QColor(46, 50, 57) : QColor(86, 92, 102));
        fill.setColorAt(0.5, pressed ? QColor(32, 35, 40) : QColor(54, 59, 67));
        fill.setColorAt(1.0, pressed ? QColor(20, 22, 26) : QColor(33, 36, 42));
    }
    QColor border = pressed ? QColor(70, 76, 86) : QColor(118, 126, 138);
    if (face == Face::Round)
        border = pressed ? QColor(60, 110, 180) : QColor(130, 185, 250);
    if (look == Look::Focus)
        border = QColor(120, 200, 255);
    p.setPen(QPen(border, look == Look::Focus ? 1.6 : 1.0));
    p.setBrush(fill);
    const QRectF body = r.adjusted(0.5, 0.5, -0.5, -0.5);
    if (face == Face::Round) {
        p.drawEllipse(body);
    } else {
        const double radius = face == Face::Caption ? 3.0 : 5.0;
        p.drawRoundedRect(body, radius, radius);
    }
    // A soft highlight on the upper half of an unpressed face.
    if (!pressed) {
        QLinearGradient gloss(r.topLeft(), QPointF(r.left(), r.center().y()));
        gloss.setColorAt(0.0, QColor(255, 255, 255, 60));
        gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(gloss);
        const QRectF top = body.adjusted(1.5, 1.5, -1.5, -body.height() / 2);
        if (face == Face::Round)
            p.drawEllipse(QRectF(top.left() + 3, top.top(), top.width() - 6, top.height() * 1.6));
        else
            p.drawRoundedRect(top, 3, 3);
    }
}

// A button picture: the face, then the symbol in the inner square. The pressed picture is the same
// drawn one pixel right and down, darker.
QImage ButtonPicture(int w, int h, Face face, Look look, const Symbol& symbol, double inset)
{
    QImage image = NewImage(w, h);
    QPainter p(&image);
    Smooth(p);
    const double shift = look == Look::Pressed ? 1.0 : 0.0;
    QRectF r(shift, shift, w - 1.0, h - 1.0);
    DrawFace(p, r, face, look);
    const double side = std::min(r.width(), r.height()) - 2 * inset;
    p.translate(r.center().x() - side / 2, r.center().y() - side / 2);
    p.scale(side / 100.0, side / 100.0);
    symbol(p, SymbolColour(look));
    return image;
}

void Fill(QPainter& p, const QColor& c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
}

QPainterPath Triangle(QPointF a, QPointF b, QPointF c)
{
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    return path;
}

void SymPlay(QPainter& p, const QColor& c)
{
    Fill(p, c);
    p.drawPath(Triangle({30, 16}, {30, 84}, {86, 50}));
}
void SymPause(QPainter& p, const QColor& c)
{
    Fill(p, c);
    p.drawRoundedRect(QRectF(24, 18, 18, 64), 3, 3);
    p.drawRoundedRect(QRectF(58, 18, 18, 64), 3, 3);
}
void SymStop(QPainter& p, const QColor& c)
{
    Fill(p, c);
    p.drawRoundedRect(QRectF(22, 22, 56, 56), 4, 4);
}
void SymRewind(QPainter& p, const QColor& c)
{
    Fill(p, c);
    p.drawPath(Triangle({50, 20}, {50, 80}, {8, 50}));
    p.drawPath(Triangle({92, 20}, {92, 80}, {50, 50}));
}
void SymFastForward(QPainter& p, const QColor& c)
{
    Fill(p, c);
    p.drawPath(Triangle({8, 20}, {8, 80}, {50, 50}));
    p.drawPath(Triangle({50, 20}, {50, 80}, {92, 50}));
}
void SymNext(QPainter& p, const QColor& c)
{
    Fill(p, c);
    p.drawPath(Triangle({16, 18}, {16, 82}, {68, 50}));
    p.drawRect(QRectF(70, 18, 13, 64));
}
void SymPrev(QPainter& p, const QColor& c)
{
    Fill(p, c);
    p.drawRect(QRectF(17, 18, 13, 64));
    p.drawPath(Triangle({84, 18}, {84, 82}, {32, 50}));
}
void SymEject(QPainter& p, const QColor& c)
{
    Fill(p, c);
    p.drawPath(Triangle({16, 58}, {84, 58}, {50, 16}));
    p.drawRect(QRectF(16, 68, 68, 14));
}
void SymFolder(QPainter& p, const QColor& c)
{
    const QColor back = QColor(214, 168, 52).darker(c.lightness() < 220 ? 125 : 100);
    const QColor front = QColor(250, 206, 92).darker(c.lightness() < 220 ? 125 : 100);
    Fill(p, back);
    QPainterPath tab;
    tab.moveTo(8, 24);
    tab.lineTo(38, 24);
    tab.lineTo(46, 32);
    tab.lineTo(90, 32);
    tab.lineTo(90, 80);
    tab.lineTo(8, 80);
    tab.closeSubpath();
    p.drawPath(tab);
    Fill(p, front);
    QPainterPath flap;
    flap.moveTo(8, 44);
    flap.lineTo(92, 44);
    flap.lineTo(90, 80);
    flap.lineTo(10, 80);
    flap.closeSubpath();
    p.drawPath(flap);
}
void SymCamera(QPainter& p, const QColor& c)
{
    Fill(p, c);
    QPainterPath body;
    body.addRoundedRect(QRectF(8, 30, 84, 54), 8, 8);
    body.addRect(QRectF(34, 20, 32, 14));
    body.setFillRule(Qt::WindingFill);
    QPainterPath lens;
    lens.addEllipse(QPointF(50, 57), 19, 19);
    p.drawPath(body.simplified().subtracted(lens));
    p.drawEllipse(QPointF(50, 57), 12, 12);
    Fill(p, QColor(40, 44, 50));
    p.drawEllipse(QPointF(78, 40), 4, 4);
}
void SymTrash(QPainter& p, const QColor& c)
{
    const QColor red = c.lightness() < 220 ? QColor(200, 70, 64) : QColor(240, 96, 86);
    Fill(p, c);
    p.drawRoundedRect(QRectF(14, 20, 72, 10), 3, 3);
    p.drawRect(QRectF(40, 12, 20, 10));
    QPainterPath bin;
    bin.moveTo(20, 34);
    bin.lineTo(80, 34);
    bin.lineTo(74, 90);
    bin.lineTo(26, 90);
    bin.closeSubpath();
    Fill(p, red);
    p.drawPath(bin);
    p.setPen(QPen(c, 5, Qt::SolidLine, Qt::RoundCap));
    for (double x : {38.0, 50.0, 62.0})
        p.drawLine(QPointF(x, 44), QPointF(x, 80));
}
// A list with a chevron: the chevron left of the list for the previous page, right for the next.
void SymListPage(QPainter& p, const QColor& c, bool forward)
{
    Fill(p, c);
    const double listLeft = forward ? 10 : 44;
    for (int i = 0; i < 4; ++i)
        p.drawRoundedRect(QRectF(listLeft, 18 + i * 18, 46, 9), 2, 2);
    p.setPen(QPen(QColor(120, 200, 255).darker(c.lightness() < 220 ? 125 : 100), 10, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath chevron;
    if (forward) {
        chevron.moveTo(68, 26);
        chevron.lineTo(88, 50);
        chevron.lineTo(68, 74);
    } else {
        chevron.moveTo(32, 26);
        chevron.lineTo(12, 50);
        chevron.lineTo(32, 74);
    }
    p.drawPath(chevron);
}
void SymMinimise(QPainter& p, const QColor& c)
{
    Fill(p, c);
    p.drawRect(QRectF(18, 64, 64, 12));
}
void SymMaximise(QPainter& p, const QColor& c)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawRect(QRectF(20, 22, 60, 56));
    Fill(p, c);
    p.drawRect(QRectF(16, 18, 68, 14));
}
void SymRestore(QPainter& p, const QColor& c)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawRect(QRectF(36, 16, 46, 42));  // the window behind
    Fill(p, QColor(40, 44, 50));
    p.drawRect(QRectF(14, 38, 50, 46));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawRect(QRectF(18, 42, 42, 38));  // the window in front
}
void SymClose(QPainter& p, const QColor& c)
{
    p.setPen(QPen(c, 12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 24), QPointF(76, 76));
    p.drawLine(QPointF(76, 24), QPointF(24, 76));
}

// The "+" and "-" beside the G-sensor chart: a white sign on black, grey and shifted when pressed.
QImage SignPicture(bool plus, bool pressed)
{
    QImage image = NewImage(20, 18);
    QPainter p(&image);
    Smooth(p);
    const QColor c = pressed ? QColor(128, 128, 128) : QColor(255, 255, 255);
    const double s = pressed ? 1.0 : 0.0;
    p.setPen(QPen(pressed ? QColor(70, 70, 70) : QColor(150, 150, 150), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5 + s, 0.5 + s, 18, 16), 2, 2);
    Fill(p, c);
    p.drawRect(QRectF(4 + s, 8 + s, 12, 2));
    if (plus)
        p.drawRect(QRectF(9 + s, 3 + s, 2, 12));
    return image;
}

// ---- other pictures ----------------------------------------------------------------------------

QImage StopPicture()
{
    QImage image = NewImage(720, 405);
    QPainter p(&image);
    Smooth(p);
    QRadialGradient bg(QPointF(360, 190), 430);
    bg.setColorAt(0.0, QColor(34, 40, 50));
    bg.setColorAt(1.0, QColor(4, 5, 7));
    p.fillRect(image.rect(), bg);
    // A large play sign in a ring.
    p.setPen(QPen(QColor(90, 104, 124), 6));
    p.setBrush(QColor(20, 24, 30));
    p.drawEllipse(QPointF(360, 170), 70, 70);
    Fill(p, QColor(110, 128, 152));
    p.drawPath(Triangle({336, 128}, {336, 212}, {408, 170}));
    DrawTextInBox(p, QStringLiteral("Vindrel"), MakeFont(g_fonts.sans, true), QRectF(260, 268, 200, 30),
                  QColor(96, 110, 130));
    return image;
}

// The program's icon, on a transparent background.
QImage AppIcon()
{
    const int s = 256;
    QImage image(s, s, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    Smooth(p);
    QLinearGradient bg(0, 0, 0, s);
    bg.setColorAt(0, QColor(52, 104, 186));
    bg.setColorAt(1, QColor(16, 36, 78));
    p.setPen(QPen(QColor(150, 200, 255), 4));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(6, 6, s - 12, s - 12), 40, 40);
    // A dial arc from green to red.
    const QPointF c(128, 150);
    for (int i = 0; i < 60; ++i) {
        const double a0 = 200 - i * 220.0 / 60;
        const double f = i / 59.0;
        const QColor col = QColor::fromHsvF(std::max(0.0, 0.33 * (1 - f)), 0.85, 1.0);
        p.setPen(QPen(col, 18, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(QRectF(c.x() - 88, c.y() - 88, 176, 176), int(a0 * 16), int(-(220.0 / 60 + 0.4) * 16));
    }
    // A play sign in the middle and a needle.
    Fill(p, QColor(240, 244, 250));
    p.drawPath(Triangle({108, 116}, {108, 184}, {166, 150}));
    p.setPen(QPen(QColor(250, 90, 30), 8, Qt::SolidLine, Qt::RoundCap));
    const double na = 35 * kPi / 180;
    p.drawLine(c, c + QPointF(std::cos(na) * 80, -std::sin(na) * 80));
    Fill(p, QColor(240, 244, 250));
    p.drawEllipse(c, 10, 10);
    return image;
}

QImage TitleStrip()
{
    QImage image = NewImage(1160, 45);
    QPainter p(&image);
    Smooth(p);
    QLinearGradient bg(0, 0, 0, 45);
    bg.setColorAt(0.0, QColor(58, 64, 74));
    bg.setColorAt(0.55, QColor(30, 34, 40));
    bg.setColorAt(1.0, QColor(14, 16, 19));
    p.fillRect(image.rect(), bg);
    p.fillRect(QRectF(0, 43, 1160, 2), QColor(42, 110, 200));
    // A small dial mark before the name.
    p.setPen(QPen(QColor(90, 170, 250), 3, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(14, 11, 24, 24), 200 * 16, -220 * 16);
    p.setPen(QPen(QColor(250, 110, 40), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(26, 23), QPointF(34, 15));
    DrawTextInBox(p, QStringLiteral("Vindrel"), MakeFont(g_fonts.sans, true), QRectF(46, 13, 200, 17),
                  QColor(236, 240, 245), Align::Left);
    return image;
}

QImage VolumeIcon()
{
    QImage image = NewImage(25, 25);
    QPainter p(&image);
    Smooth(p);
    const QColor c(220, 226, 234);
    Fill(p, c);
    QPainterPath speaker;
    speaker.moveTo(3, 9.5);
    speaker.lineTo(7.5, 9.5);
    speaker.lineTo(12.5, 4.5);
    speaker.lineTo(12.5, 20.5);
    speaker.lineTo(7.5, 15.5);
    speaker.lineTo(3, 15.5);
    speaker.closeSubpath();
    p.drawPath(speaker);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(10, 8.5, 8, 8), -50 * 16, 100 * 16);
    p.drawArc(QRectF(8, 5, 14, 15), -55 * 16, 110 * 16);
    return image;
}

// The speed dial: black, a half-circle scale 0..240 around the pivot (93.5, 91.5), marks from
// green through yellow and orange to red. Label value v lies at 188 - 0.815 v degrees, which is
// where the needle points at meter value v / 2.
QColor ScaleColour(double f)
{
    struct S {
        double t;
        QColor c;
    };
    const S stops[] = {{0.0, QColor(40, 200, 70)},
                       {0.45, QColor(120, 210, 50)},
                       {0.62, QColor(240, 220, 40)},
                       {0.78, QColor(250, 150, 30)},
                       {1.0, QColor(236, 44, 36)}};
    for (int i = 1; i < 5; ++i) {
        if (f <= stops[i].t) {
            const double u = (f - stops[i - 1].t) / (stops[i].t - stops[i - 1].t);
            const QColor a = stops[i - 1].c, b = stops[i].c;
            return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * u, a.greenF() + (b.greenF() - a.greenF()) * u,
                                    a.blueF() + (b.blueF() - a.blueF()) * u);
        }
    }
    return stops[4].c;
}

QImage Dial()
{
    QImage image = NewImage(189, 117);
    QPainter p(&image);
    Smooth(p);
    const QPointF pivot(93.5, 91.5);
    const auto at = [&](double degrees, double r) {
        const double a = degrees * kPi / 180;
        return pivot + QPointF(std::cos(a) * r, -std::sin(a) * r);
    };
    // A thin coloured band along the scale.
    for (int i = 0; i < 240; ++i) {
        const double a0 = 188 - 0.815 * i;
        p.setPen(QPen(ScaleColour(i / 240.0).darker(160), 2.2, Qt::SolidLine, Qt::FlatCap));
        QPainterPath arc;
        arc.moveTo(at(a0, 88));
        arc.lineTo(at(a0 - 0.815 - 0.05, 88));
        p.drawPath(arc);
    }
    // Marks every 10, long ones every 20 with a label.
    const QFont labelFont = MakeFont(g_fonts.condensed, true);
    for (int v = 0; v <= 240; v += 10) {
        const double a = 188 - 0.815 * v;
        const QColor c = ScaleColour(v / 240.0);
        const bool major = v % 20 == 0;
        p.setPen(QPen(c, major ? 2.2 : 1.3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(at(a, major ? 78.5 : 82.5), at(a, 86.5));
        if (major) {
            const QPointF centre = at(a, 68.5);
            const QString text = QString::number(v);
            const double w = text.size() * 4.6;
            DrawTextInBox(p, text, labelFont, QRectF(centre.x() - w / 2, centre.y() - 3.5, w, 7), c.lighter(110));
        }
    }
    // The hub the needle turns on.
    QRadialGradient hub(pivot - QPointF(1.5, 1.5), 7);
    hub.setColorAt(0, QColor(150, 156, 166));
    hub.setColorAt(1, QColor(40, 44, 50));
    p.setPen(QPen(QColor(90, 96, 106), 1));
    p.setBrush(hub);
    p.drawEllipse(pivot, 6, 6);
    return image;
}

// Channel bitmaps: a bar in rows 5..9 on black, rounded at its left end, plain to its right edge
// (the slider cuts its channel from the left, so the right end is never seen).
QImage Channel(int width, bool active)
{
    QImage image = NewImage(width, 15);
    QPainter p(&image);
    Smooth(p);
    QLinearGradient g(0, 5, 0, 10);
    if (active) {
        g.setColorAt(0.0, QColor(130, 196, 255));
        g.setColorAt(0.5, QColor(46, 130, 230));
        g.setColorAt(1.0, QColor(22, 78, 160));
    } else {
        g.setColorAt(0.0, QColor(168, 168, 168));
        g.setColorAt(0.5, QColor(112, 112, 112));
        g.setColorAt(1.0, QColor(70, 70, 70));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    const bool bothEnds = width < 200;
    p.drawRoundedRect(QRectF(1, 5, width - (bothEnds ? 2 : -10), 5), 2.5, 2.5);
    return image;
}

QImage Thumb(bool pressed)
{
    QImage image = NewImage(15, 15);
    QPainter p(&image);
    Smooth(p);
    QRadialGradient g(QPointF(6, 5.5), 8);
    if (pressed) {
        g.setColorAt(0.0, QColor(200, 232, 255));
        g.setColorAt(0.5, QColor(70, 150, 240));
        g.setColorAt(1.0, QColor(24, 80, 170));
    } else {
        g.setColorAt(0.0, QColor(255, 255, 255));
        g.setColorAt(0.55, QColor(210, 212, 216));
        g.setColorAt(1.0, QColor(128, 130, 136));
    }
    p.setPen(QPen(pressed ? QColor(20, 60, 130) : QColor(90, 92, 98), 1));
    p.setBrush(g);
    // Radius 6 and a one-pixel outline stay inside columns and rows 1..13, so the picture's
    // border is black all round and drawn transparent.
    p.drawEllipse(QPointF(7.5, 7.5), 6.0, 6.0);
    return image;
}

// Coordinate caption: the word for longitude over the longitude readout (x 35..125) and the word
// for latitude over the latitude readout (x 260..350).
QImage CoordCaption(const QString& longitude, const QString& latitude, const QString& family, bool bold)
{
    QImage image = NewImage(430, 38);
    QPainter p(&image);
    Smooth(p);
    QLinearGradient line(0, 0, 430, 0);
    line.setColorAt(0.0, QColor(42, 110, 200, 0));
    line.setColorAt(0.2, QColor(42, 110, 200));
    line.setColorAt(0.8, QColor(42, 110, 200));
    line.setColorAt(1.0, QColor(42, 110, 200, 0));
    p.fillRect(QRectF(0, 33, 430, 1), line);
    const QFont font = MakeFont(family, bold);
    const bool cjk = family != g_fonts.sans;
    const QString reference = cjk ? QStringLiteral("经") : QStringLiteral("L");
    const double height = cjk ? 16 : 12;
    const double baseline = cjk ? 26 : 25;
    const QColor c(210, 220, 232);
    DrawTextLine(p, longitude, font, reference, height, 80, baseline, c, Align::Centre);
    DrawTextLine(p, latitude, font, reference, height, 305, baseline, c, Align::Centre);
    return image;
}

// ---- G-sensor chart backgrounds -------------------------------------------------------------------

void DashedHLine(QImage& image, int y, int x0, int x1, QRgb colour)
{
    for (int x = x0; x <= x1; ++x)
        if ((x - x0) % 4 < 2)
            image.setPixel(x, y, colour);
}
void DashedVLine(QImage& image, int x, int y0, int y1, QRgb colour)
{
    for (int y = y0; y <= y1; ++y)
        if ((y - y0) % 4 < 2)
            image.setPixel(x, y, colour);
}

// The label's ink is 7 rows high, centred on `row`, and ends at x = 20.
void AxisLabel(QPainter& p, const QString& text, int row)
{
    const QFont font = MakeFont(g_fonts.condensed, true);
    DrawTextInBox(p, text, font, QRectF(0, row - 3, 21, 7), QColor(220, 220, 220), Align::Right, false, 0.95);
}

QImage GSensorBackground(bool zoomed)
{
    QImage image = NewImage(205, 150);
    const QRgb grid = qRgb(84, 84, 84);
    const QRgb brightGrid = qRgb(160, 160, 160);
    const QRgb white = qRgb(255, 255, 255);
    for (int x = 33; x <= 204; x += 9)
        DashedVLine(image, x, 30, 149, x == 114 ? brightGrid : grid);
    QList<int> rows;
    if (zoomed) {
        rows = {30, 59, 119, 149};
    } else {
        rows = {30, 149};
        for (int y = 41; y <= 137; y += 12)
            rows.append(y);
    }
    for (int y : rows)
        DashedHLine(image, y, 25, 204, grid);
    for (int y = 30; y <= 149; ++y)
        image.setPixel(24, y, white);
    for (int x = 24; x <= 204; ++x)
        image.setPixel(x, 89, white);

    QPainter p(&image);
    Smooth(p);
    if (zoomed) {
        AxisLabel(p, QStringLiteral("10"), 59);
        AxisLabel(p, QStringLiteral("0"), 89);
        AxisLabel(p, QStringLiteral("-10"), 119);
    } else {
        // The curves are drawn at 1.2 pixels per unit here, so the rows 48 pixels from the zero
        // line stand for 40 units.
        AxisLabel(p, QStringLiteral("40"), 41);
        AxisLabel(p, QStringLiteral("0"), 89);
        AxisLabel(p, QStringLiteral("-40"), 137);
    }
    // Legend in rows 12..19.
    const QFont font = MakeFont(g_fonts.condensed, true);
    const struct {
        const char* text;
        int textLeft;
        int lineLeft;
        QColor colour;
    } legend[] = {
        {"X:", 24, 39, QColor(255, 0, 0)}, {"Y:", 90, 105, QColor(255, 0, 255)}, {"Z:", 163, 178, QColor(255, 255, 0)}};
    for (const auto& item : legend)
        DrawTextInBox(p, QString::fromLatin1(item.text), font, QRectF(item.textLeft, 12, 9, 8), item.colour,
                      Align::Left, true);
    p.end();
    for (const auto& item : legend)
        for (int x = item.lineLeft; x <= item.lineLeft + 25; ++x)
            image.setPixel(x, 15, item.colour.rgb());
    return image;
}

// ---- the set ---------------------------------------------------------------------------------------

struct Picture {
    int number;
    QImage image;
};

QList<Picture> AllPictures()
{
    QList<Picture> all;
    const auto add = [&](int n, QImage image) { all.append({n, std::move(image)}); };
    const auto square = [](Symbol s, Look look, double inset = 6) {
        return ButtonPicture(32, 32, Face::Square, look, s, inset);
    };
    const auto round = [](Symbol s, Look look) { return ButtonPicture(40, 40, Face::Round, look, s, 9); };
    const auto caption = [](Symbol s, Look look) { return ButtonPicture(20, 20, Face::Caption, look, s, 4); };
    const auto listPage = [](bool forward) {
        return [forward](QPainter& p, const QColor& c) { SymListPage(p, c, forward); };
    };

    add(128, AppIcon());
    add(131, StopPicture());
    add(132, Dial());
    add(136, square(SymEject, Look::Normal));
    add(140, TitleStrip());
    add(142, round(SymPlay, Look::Normal));
    add(146, square(SymFastForward, Look::Normal));
    add(147, round(SymPause, Look::Normal));
    add(148, square(SymRewind, Look::Normal));
    add(149, square(SymStop, Look::Normal));
    add(150, square(SymTrash, Look::Normal, 5));
    add(151, square(SymFolder, Look::Normal, 5));
    add(154, square(SymCamera, Look::Normal, 5));
    add(155, caption(SymClose, Look::Normal));
    add(157, square(SymEject, Look::Focus));
    add(158, square(SymCamera, Look::Pressed, 5));
    add(159, caption(SymClose, Look::Pressed));
    add(160, square(SymTrash, Look::Pressed, 5));
    add(162, square(SymFastForward, Look::Pressed));
    add(163, square(SymFolder, Look::Pressed, 5));
    add(164, round(SymPause, Look::Pressed));
    add(165, round(SymPlay, Look::Pressed));
    add(166, square(SymRewind, Look::Pressed));
    add(168, square(SymStop, Look::Pressed));
    add(184, VolumeIcon());
    add(186, GSensorBackground(true));
    add(187, GSensorBackground(false));
    add(188, SignPicture(false, false));
    add(189, SignPicture(false, true));
    add(190, SignPicture(true, false));
    add(191, SignPicture(true, true));
    add(192, square(listPage(false), Look::Normal, 5));
    add(193, square(listPage(false), Look::Pressed, 5));
    add(194, square(listPage(true), Look::Normal, 5));
    add(195, square(listPage(true), Look::Pressed, 5));
    add(198, square(SymNext, Look::Normal));
    add(199, square(SymNext, Look::Pressed));
    add(200, square(SymPrev, Look::Normal));
    add(203, square(SymPrev, Look::Pressed));
    add(204, Channel(2000, false));
    add(205, Channel(2000, true));
    add(206, Thumb(false));
    add(208, Thumb(true));
    add(209, Channel(85, false));
    add(210, Channel(85, true));
    add(211, caption(SymMaximise, Look::Normal));
    add(212, caption(SymMaximise, Look::Pressed));
    add(213, caption(SymRestore, Look::Normal));
    add(214, caption(SymRestore, Look::Pressed));
    add(215, caption(SymMinimise, Look::Normal));
    add(216, caption(SymMinimise, Look::Pressed));
    add(231, CoordCaption(QStringLiteral("經度"), QStringLiteral("緯度"), g_fonts.cjkTraditional, false));
    add(232, CoordCaption(QStringLiteral("经度"), QStringLiteral("纬度"), g_fonts.cjkSimplified, false));
    add(234, CoordCaption(QStringLiteral("Longitude"), QStringLiteral("Latitude"), g_fonts.sans, true));
    return all;
}

// Every picture on one sheet with its number: wide pictures are scaled down to fit a cell row,
// small ones are shown enlarged three times so their pixels can be judged.
QImage ContactSheet(const QList<Picture>& all)
{
    const int sheetWidth = 1240;
    const int margin = 12;
    const int labelHeight = 16;
    struct Placed {
        const Picture* picture;
        QRect rect;
    };
    QList<Placed> placed;
    int x = margin, y = margin, rowHeight = 0;
    for (const Picture& pic : all) {
        QSize size = pic.image.size();
        if (size.width() > sheetWidth - 2 * margin)
            size = size.scaled(sheetWidth - 2 * margin, 1000, Qt::KeepAspectRatio);
        else if (size.width() <= 64 && size.height() <= 64)
            size *= 3;
        else if (size.width() <= 250 && size.height() <= 160)
            size *= 2;
        if (pic.number == 128)
            size = QSize(128, 128);
        if (pic.number == 131)
            size = QSize(360, 203);
        if (x + size.width() > sheetWidth - margin) {
            x = margin;
            y += rowHeight + labelHeight + margin;
            rowHeight = 0;
        }
        placed.append({&pic, QRect(QPoint(x, y), size)});
        x += std::max(size.width(), 30) + margin;
        rowHeight = std::max(rowHeight, size.height());
    }
    const int height = y + rowHeight + labelHeight + margin;
    QImage sheet = NewImage(sheetWidth, height, QColor(96, 100, 108));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    const QFont font = MakeFont(g_fonts.sans, true);
    for (const Placed& item : placed) {
        const bool enlarged = item.rect.width() > item.picture->image.width();
        p.setRenderHint(QPainter::SmoothPixmapTransform, !enlarged);
        p.drawImage(item.rect, item.picture->image);
        DrawTextInBox(p, QString::number(item.picture->number), font,
                      QRectF(item.rect.left(), item.rect.bottom() + 4, 40, 9), QColor(255, 255, 255), Align::Left);
    }
    return sheet;
}

bool WriteFile(const QString& path, const QByteArray& data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool SavePng(const QImage& image, const QString& path)
{
    // 24-bit colour; only a picture drawn with an alpha channel (the icon) keeps it.
    const QImage::Format format = image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB888;
    if (!image.convertToFormat(format).save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vindrel_skin_gen <resources folder>\n");
        return 2;
    }
    if (!LoadFonts())
        return 1;
    const QDir resources(QString::fromLocal8Bit(argv[1]));
    if (!resources.mkpath(QStringLiteral("bitmaps")))
        return 1;

    const QList<Picture> all = AllPictures();
    QString qrc;
    QTextStream qrcOut(&qrc);
    qrcOut << "<!-- Written by vindrel_skin_gen (tools/skin); the skin's pictures by number. -->\n"
           << "<RCC>\n    <qresource prefix=\"/\">\n";
    for (const Picture& pic : all) {
        const QString name = QStringLiteral("bitmaps/%1.png").arg(pic.number);
        if (!SavePng(pic.image, resources.filePath(name)))
            return 1;
        qrcOut << "        <file>" << name << "</file>\n";
    }
    qrcOut << "    </qresource>\n</RCC>\n";
    qrcOut.flush();
    if (!WriteFile(resources.filePath(QStringLiteral("vindrel.qrc")), qrc.toUtf8()))
        return 1;
    if (!SavePng(ContactSheet(all), resources.filePath(QStringLiteral("bitmaps/contact-sheet.png"))))
        return 1;
    std::printf("%lld pictures written to %s\n", static_cast<long long>(all.size()),
                qPrintable(resources.filePath(QStringLiteral("bitmaps"))));
    return 0;
}
