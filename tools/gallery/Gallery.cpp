// Shows every skinned control painted from the skin, with made-up data, in a black window laid
// out like the player. The messages the sliders send and post are listed at the bottom.
//
// vindrel_gallery                        opens the window
// vindrel_gallery --screenshot out.png   paints it once, saves it to out.png and ends

#include "controls/BitmapSlider.h"
#include "controls/ColorListCtrl.h"
#include "controls/GSensor.h"
#include "controls/Meter.h"
#include "controls/MyButton.h"
#include "controls/Skin.h"
#include "window/Messages.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

// Catches the window messages the controls send or post to it and lists the last few.
class MessageLog : public QWidget {
public:
    explicit MessageLog(QWidget* parent) : QWidget(parent), text_(new QLabel(this))
    {
        text_->setStyleSheet(QStringLiteral("color: #c8d0da; font-family: monospace; font-size: 11px"));
        text_->setText(QStringLiteral("messages: (press, drag and release a slider)"));
        text_->resize(1100, 18);
    }
    bool eventFilter(QObject*, QEvent* e) override { return Record(e); }
    bool event(QEvent* e) override { return Record(e) || QWidget::event(e); }

private:
    bool Record(QEvent* e)
    {
        const int type = static_cast<int>(e->type());
        if (type == WM_PROGRESS_PRESSED || type == WM_VOLUME_PRESSED || type == WM_SLIDER_TRACK ||
            type == WM_SLIDER_CHANGED) {
            auto* m = static_cast<WindowMessage*>(e);
            lines_.append(QStringLiteral("%1(%2,%3)").arg(type).arg(m->wParam).arg(m->lParam));
            while (lines_.size() > 8)
                lines_.removeFirst();
            text_->setText(QStringLiteral("messages: ") + lines_.join(QStringLiteral("  ")));
            return true;
        }
        return false;
    }

    QLabel* text_;
    QStringList lines_;
};

QLabel* Picture(QWidget* parent, int number, QSize size, QPoint at)
{
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    label->setPixmap(QPixmap::fromImage(LoadSkinImage(number, size)));
    label->setGeometry(QRect(at, size));
    return label;
}

QLabel* Text(QWidget* parent, const QString& text, QRect rect, const QString& colour, int pixelSize)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(rect);
    label->setStyleSheet(QStringLiteral("color: %1; font-size: %2px").arg(colour).arg(pixelSize));
    return label;
}

CMyButton* Button(QWidget* parent, int normal, int selected, int focus, QRect rect, const QString& tip)
{
    auto* b = new CMyButton(parent);
    b->setGeometry(rect);
    b->setFrameWidth(rect.width());
    b->setFrameHeight(rect.height());
    b->LoadBitmaps(normal, selected, focus);
    b->SetTooltipText(tip);
    return b;
}

void FillSeries(CGSensor* chart, int count, double amplitude)
{
    auto& series = chart->gSensorSeries();
    for (int i = 0; i < count; ++i) {
        const double t = i * 0.45;
        series.push_back(
            {amplitude * std::sin(t), amplitude * 0.6 * std::cos(t * 1.3), amplitude * 0.3 + std::sin(t * 2.1)});
    }
}

std::unique_ptr<QWidget> BuildGallery()
{
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("Vindrel controls"));
    window->setFixedSize(1160, 700);
    QPalette black = window->palette();
    black.setColor(QPalette::Window, Qt::black);
    window->setPalette(black);
    window->setAutoFillBackground(true);
    QWidget* w = window.get();

    auto* log = new MessageLog(w);
    log->setGeometry(10, 676, 1140, 20);

    // Title strip and caption buttons.
    Picture(w, 140, {1160, 45}, {0, 0});
    Button(w, 215, 216, 0, {1094, 2, 20, 20}, {});
    Button(w, 211, 212, 0, {1116, 2, 20, 20}, {});
    Button(w, 155, 159, 0, {1138, 2, 20, 20}, {});
    Button(w, 213, 214, 0, {1060, 2, 20, 20}, {});  // the restore pictures, shown while maximised

    // Video area with the stop picture.
    Picture(w, 131, {528, 297}, {5, 50});

    // Speed meters at 0, 60 and 120.
    const int values[] = {0, 60, 120};
    for (int i = 0; i < 3; ++i) {
        auto* meter = new CMeter(w);
        meter->move(540 + (i % 2) * 191, 50 + (i / 2) * 125);
        meter->LoadDial(132);
        meter->setRangeMin(0);
        meter->setRangeMax(120);
        meter->SetValue(values[i]);
    }
    auto* speed = new CMeter(w);
    speed->move(731, 175);
    speed->LoadDial(132);
    speed->setRangeMax(120);
    speed->SetValue(150);  // clamped to 120

    // G-sensor charts, zoomed and not, with "+" and "-".
    auto* zoomedChart = new CGSensor(w);
    zoomedChart->setGeometry(945, 50, 205, 150);
    zoomedChart->ShowScale(true);
    FillSeries(zoomedChart, 40, 9.0);
    zoomedChart->setCurrentIndex(12);
    zoomedChart->setHasData(true);
    auto* normalChart = new CGSensor(w);
    normalChart->setGeometry(945, 210, 205, 150);
    normalChart->ShowScale(false);
    FillSeries(normalChart, 15, 50.0);
    normalChart->setCurrentIndex(10);
    normalChart->setHasData(true);
    auto* plus = Button(w, 190, 191, 0, {923, 55, 20, 18}, {});
    auto* minus = Button(w, 188, 189, 0, {923, 75, 20, 18}, {});
    QObject::connect(plus, &QAbstractButton::clicked, zoomedChart, [zoomedChart] { zoomedChart->ShowScale(true); });
    QObject::connect(minus, &QAbstractButton::clicked, zoomedChart, [zoomedChart] { zoomedChart->ShowScale(false); });

    // Coordinate caption and readouts.
    Picture(w, 232, {430, 38}, {725, 372});
    Text(w, QStringLiteral("113.942188"), {760, 412, 90, 20}, QStringLiteral("white"), 13);
    Text(w, QStringLiteral("022.531074"), {985, 412, 90, 20}, QStringLiteral("white"), 13);
    Picture(w, 234, {430, 38}, {725, 440});
    Picture(w, 231, {430, 38}, {725, 480});

    // Progress and volume sliders; their messages go to the log.
    auto* progress = new CBitmapSlider(w);
    progress->move(5, 380);
    progress->setControlId(1041);
    progress->SetChannelBitmaps(590, 204, 205);
    progress->LoadThumbBitmaps();
    progress->setRangeMin(0);
    progress->setRangeMax(300);
    progress->SetPosition(120);
    progress->setDrawFocusRect(false);
    progress->setProgressBar(true);
    progress->setMainWindow(log);
    auto* volumeIcon = Picture(w, 184, {25, 25}, {598, 375});
    (void)volumeIcon;
    auto* volume = new CBitmapSlider(w);
    volume->move(623, 380);
    volume->setControlId(1042);
    volume->SetChannelBitmaps(85, 209, 210);
    volume->LoadThumbBitmaps();
    volume->SetPosition(30);
    volume->setDrawFocusRect(false);
    volume->setMainWindow(log);
    Text(w, QStringLiteral("00:02:00/00:05:00"), {600, 400, 110, 20}, QStringLiteral("white"), 12);
    // The sliders post to their parent, the window: the log listens there too.
    w->installEventFilter(log);

    // Transport and list buttons, as the player lays them out at 1160 x 678.
    const int y = 420;
    Button(w, 154, 158, 0, {15, y, 32, 32}, QStringLiteral("拍照"));
    Text(w, QStringLiteral("FILE0003"), {50, y + 13, 130, 20}, QStringLiteral("yellow"), 12);
    Button(w, 151, 163, 0, {190, y, 32, 32}, QStringLiteral("打开文件夹"));
    Button(w, 192, 193, 0, {240, y, 32, 32}, QStringLiteral("上一页列表"));
    Button(w, 200, 203, 0, {290, y, 32, 32}, QStringLiteral("上一集"));
    Button(w, 142, 165, 165, {343, y - 5, 40, 40}, QStringLiteral("播放"));
    Button(w, 198, 199, 0, {400, y, 32, 32}, QStringLiteral("下一集"));
    Button(w, 194, 195, 0, {450, y, 32, 32}, QStringLiteral("下一页列表"));
    auto* del = Button(w, 150, 160, 0, {500, y, 32, 32}, QStringLiteral("删除文件"));
    // The buttons the player keeps hidden, and the pause button that shares the play button's
    // place, shown here in a second row.
    Button(w, 147, 164, 0, {343, y + 40, 40, 40}, QStringLiteral("暂停"));
    Button(w, 136, 136, 157, {190, y + 44, 32, 32}, {});
    Button(w, 149, 168, 0, {240, y + 44, 32, 32}, {});
    Button(w, 148, 166, 0, {290, y + 44, 32, 32}, QStringLiteral("倒放"));
    Button(w, 146, 162, 0, {400, y + 44, 32, 32}, QStringLiteral("快进"));
    // Every selected picture, shown pressed-looking beside its button for review.
    const int pressedPictures[] = {158, 163, 193, 203, 199, 195, 160};
    for (int i = 0; i < 7; ++i)
        Picture(w, pressedPictures[i], {32, 32}, {450 + i * 36, y + 44});
    Picture(w, 165, {40, 40}, {550, y - 5});
    Picture(w, 164, {40, 40}, {594, y - 5});
    // One button hovered, to show its frame.
    QMouseEvent hover(QEvent::MouseMove, QPointF(10, 10), QPointF(10, 10), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(del, &hover);

    // Speed unit selector.
    auto* unit = new QComboBox(w);
    unit->addItems({QStringLiteral("km/h"), QStringLiteral("m/h")});
    unit->setGeometry(740, 530, 60, 24);

    // The two halves of the recording list: six rows each, row 2 of the left list playing.
    const QStringList titles = {QStringLiteral("文件名称"), QStringLiteral("日期"), QStringLiteral("时间")};
    CColorListCtrl* lists[2];
    for (int half = 0; half < 2; ++half) {
        auto* list = new CColorListCtrl(w);
        lists[half] = list;
        list->setGeometry(3 + half * 360, 508, 360, 154);
        list->SetColumnTitles(titles);
        list->SetColumnWidths({50, 35, 20});
        list->CreateColumns();
        for (int row = 0; row < 6; ++row) {
            const int n = half * 6 + row + 1;
            list->AddRecordingRow(
                QStringLiteral("/media/card/DCIM/100MEDIA/FILE%1.MOV").arg(n, 4, 10, QLatin1Char('0')),
                QStringLiteral("2014-05-06-12:%1").arg(n * 3, 2, 10, QLatin1Char('0')), half == 0 && row == 2, row);
        }
    }
    lists[0]->setCurrentItem(lists[0]->topLevelItem(4));  // selected, list without focus: look 4
    lists[1]->setCurrentItem(lists[1]->topLevelItem(1));  // focus row of the focused list: look 1
    lists[1]->setFocus();
    return window;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QString screenshot;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf(QStringLiteral("--screenshot")); i >= 0 && i + 1 < args.size())
        screenshot = args[i + 1];

    std::unique_ptr<QWidget> window = BuildGallery();
    window->show();
    if (screenshot.isEmpty())
        return app.exec();

    // Let the window be shown and focused, then take its picture.
    QTimer::singleShot(300, [&] {
        window->activateWindow();
        QTimer::singleShot(300, [&] {
            const bool ok = window->grab().save(screenshot, "PNG");
            std::fprintf(stderr, "%s %s\n", ok ? "saved" : "could not save", qPrintable(screenshot));
            app.exit(ok ? 0 : 1);
        });
    });
    return app.exec();
}
