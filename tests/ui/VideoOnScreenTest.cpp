// The movie on the screen: mpv's own output inside the player window, grabbed from the X server
// (what a user sees, mpv's windows included) and compared with ffmpeg's pictures of the frame;
// the pointer over the movie, driven through the X server, still reaches the dialog.

#include "DialogHarness.h"

#include "playback/QuickTime.h"
#include "playback/RealEngine.h"
#include "tests/playback/engine/EngineTestUtil.h"

#include <QDropEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

namespace {

/// What the X server shows in a rectangle of the dialog (placed by the server's own idea of
/// where the dialog is).
QImage OnScreen(QWidget& dlg, const QRect& rect)
{
    return dlg.screen()->grabWindow(dlg.winId(), rect.x(), rect.y(), rect.width(), rect.height()).toImage();
}

QImage FfmpegFrame(int number, const QSize& size)
{
    return QImage(FixturePath(("hd-" + std::to_string(number) + ".bmp").c_str()))
        .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

/// Where mpv's window stands, in the dialog's coordinates.
QRect MovieBox(CVindrelDlg& dlg, RealEngine& real)
{
    int x = 0, y = 0, w = 0, h = 0;
    if (!real.SurfaceGeometry(EngineWindowPort(dlg.videoView.get()), &x, &y, &w, &h)) {
        return {};
    }
    return QRect(x, y, w, h).translated(dlg.videoView->pos());
}

/// Holds the movie at frame 30 (its second 1) and gives the screen time to show it.
void HoldAtFrame30(CVindrelDlg& dlg)
{
    const Movie movie = dlg.videoView->movieWrapper->movie;
    EngineHaltMovie(movie);
    EngineSetMovieTime(movie, EngineMovieTimeScale(movie));
    QTest::qWait(800);
}

/// Clicks through the X server, as a user's mouse does (mpv's window is under the pointer).
bool XClick(const QPoint& global, int clicks, int button = 1)
{
    return QProcess::execute(QStringLiteral("xdotool"),
                             {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()),
                              QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(clicks),
                              QStringLiteral("--delay"), QStringLiteral("60"), QString::number(button)}) == 0;
}

bool XKey(const char* keys)
{
    return QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QString::fromLatin1(keys)}) == 0;
}

struct MouseCounter : QObject {
    int presses = 0;
    int doubleClicks = 0;
    int contextMenus = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        presses += e->type() == QEvent::MouseButtonPress;
        doubleClicks += e->type() == QEvent::MouseButtonDblClick;
        contextMenus += e->type() == QEvent::ContextMenu;
        return false;
    }
};

}  // namespace

TEST(VideoOnScreen, TheFrameFillsItsBoxInEveryLayoutThePointerReachesTheDialogAndStopShowsTheStopPicture)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !HaveHdMovie() ||
        QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        GTEST_SKIP() << "needs an X server, xdotool and ffmpeg's fixture movie";
    }
    DialogHarness h({HdMovie()});
    CVindrelDlg& dlg = h.Start();
    ASSERT_TRUE(WaitUntil([&] { return dlg.recordingLoaded; }, 15000));
    auto* real = dynamic_cast<RealEngine*>(&CurrentEngine());
    ASSERT_NE(real, nullptr);
    if (!real->VideoOutput().NativeWindow()) {
        GTEST_SKIP() << "mpv does not draw into a window here: " << real->VideoOutput().reason;
    }
    MouseCounter mouse;
    dlg.installEventFilter(&mouse);

    // The normal window, maximised, and full screen (entered by a double click on the movie).
    for (const char* layout : {"normal", "maximised", "full screen"}) {
        SCOPED_TRACE(layout);
        if (std::string(layout) == "maximised") {
            dlg.OnMaximize();
        } else if (std::string(layout) == "full screen") {
            const QRect box = MovieBox(dlg, *real);
            ASSERT_TRUE(XClick(dlg.mapToGlobal(box.center()), 2));
            ASSERT_TRUE(WaitUntil([&] { return dlg.fullScreen; }, 3000));
        }
        QTest::qWait(500);
        HoldAtFrame30(dlg);
        const QRect box = MovieBox(dlg, *real);
        EXPECT_EQ(box, dlg.videoView->geometry());
        ASSERT_FALSE(box.isEmpty());
        const QImage shown = OnScreen(dlg, box);
        const double toFrame30 = MeanDifference(shown, FfmpegFrame(30, box.size()));
        EXPECT_LT(toFrame30, 8.0);
        EXPECT_LT(toFrame30, MeanDifference(shown, FfmpegFrame(45, box.size())));
    }

    // A double click on the movie leaves full screen again; a single click reaches the dialog.
    const int pressesBefore = mouse.presses;
    ASSERT_TRUE(XClick(dlg.mapToGlobal(MovieBox(dlg, *real).center()), 2));
    EXPECT_TRUE(WaitUntil([&] { return !dlg.fullScreen; }, 3000));
    EXPECT_GE(mouse.doubleClicks, 2);
    QTest::qWait(300);
    ASSERT_TRUE(XClick(dlg.mapToGlobal(MovieBox(dlg, *real).center()), 1));
    EXPECT_TRUE(WaitUntil([&] { return mouse.presses >= pressesBefore + 2; }, 3000));
    // The right button asks the dialog for its context menu; the keyboard stays the dialog's.
    ASSERT_TRUE(XClick(dlg.mapToGlobal(MovieBox(dlg, *real).center()), 1, 3));
    EXPECT_TRUE(WaitUntil([&] { return mouse.contextMenus >= 1; }, 3000));
    ASSERT_TRUE(XKey("alt+space"));
    EXPECT_TRUE(WaitUntil([&] { return dlg.systemMenu() && dlg.systemMenu()->isVisible(); }, 3000));
    ASSERT_TRUE(XKey("Escape"));
    EXPECT_TRUE(WaitUntil([&] { return !dlg.systemMenu()->isVisible(); }, 3000));

    // Files dropped where the movie is go to the dialog, as the window system delivers a drop:
    // to the widget under the pointer, on to the first that takes drops.
    const QPoint centre = MovieBox(dlg, *real).center();
    QWidget* under = dlg.childAt(centre);
    ASSERT_NE(under, nullptr);
    EXPECT_NE(under, static_cast<QWidget*>(dlg.videoView.get())) << "the movie's own window is under the pointer";
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(HdMovie())});
    const QPointF at = under->mapFrom(&dlg, centre);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(under, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(under, &drop);
    EXPECT_TRUE(WaitUntil([&] { return dlg.recordingLoaded && dlg.recordings.size() == 1; }, 15000));

    // Stop: the stop picture where the movie was.
    dlg.StopPlayback();
    QTest::qWait(600);
    const QRect view = dlg.videoView->geometry();
    const QPixmap stopPicture = dlg.videoView->pixmap();
    ASSERT_FALSE(stopPicture.isNull());
    ASSERT_EQ(stopPicture.size(), view.size());
    EXPECT_LT(MeanDifference(OnScreen(dlg, view), stopPicture.toImage()), 3.0);
}
