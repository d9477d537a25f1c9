// CVideoView on a real X server: the order of wrapper and owner, the flow of messages, the
// stop picture, the action filter.
#include "playback/QuickTime.h"
#include "playback/RealEngine.h"
#include "playback/VideoView.h"
#include "tests/support/FakeEngine.h"

#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

#include "EngineTestUtil.h"
#include "EngineWait.h"
#include "RealView.h"

namespace {
struct Log {
    std::vector<std::string> entries;
};

// Records every message the view hands over, in order with the owner's updates.
class RecordingWrapper : public CQuickTime {
public:
    explicit RecordingWrapper(Log* log) : log_(log) {}
    void HandleWindowMessage(QWidget* window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) override
    {
        log_->entries.push_back("wrapper " + std::to_string(message));
        CQuickTime::HandleWindowMessage(window, message, wParam, lParam);
    }

private:
    Log* log_;
};

struct CountingOwner : VideoViewOwner {
    Log* log = nullptr;
    int updates = 0;
    void PeriodicUpdate() override
    {
        ++updates;
        if (log)
            log->entries.push_back("update");
    }
};

class VideoView : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto engine = std::make_unique<FakeEngine>();
        fake = engine.get();
        InstallEngine(std::move(engine));
    }
    void TearDown() override { InstallEngine(nullptr); }
    FakeEngine* fake = nullptr;
};
}  // namespace

TEST_F(VideoView, EveryMessageReachesTheWrapperBeforeTheOwnersUpdate)
{
    Log log;
    CountingOwner owner;
    owner.log = &log;
    QWidget dialog;
    auto* view = new CVideoView(&owner, &dialog);
    view->movieWrapper = std::make_unique<RecordingWrapper>(&log);
    // Before the view has its window, messages are the base class's alone.
    QEvent early(QEvent::Type(1025));
    QCoreApplication::sendEvent(view, &early);
    EXPECT_TRUE(log.entries.empty());
    EXPECT_EQ(owner.updates, 0);

    dialog.resize(800, 500);
    dialog.show();
    view->setGeometry(5, 45, 720, 405);
    RunEvents(200);
    QEvent custom(QEvent::Type(1029));
    QCoreApplication::sendEvent(view, &custom);
    ASSERT_GE(log.entries.size(), 2u);
    EXPECT_EQ(log.entries[log.entries.size() - 2], "wrapper 1029");
    EXPECT_EQ(log.entries.back(), "update");
    // Every update directly follows its message.
    int wrapperCount = 0;
    for (std::size_t i = 0; i < log.entries.size(); ++i) {
        if (log.entries[i] == "update") {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(log.entries[i - 1].rfind("wrapper ", 0), 0u) << "entry " << i;
        } else {
            ++wrapperCount;
        }
    }
    EXPECT_EQ(wrapperCount, owner.updates);
}

TEST_F(VideoView, MessagesKeepFlowingWithoutAMovie)
{
    CountingOwner owner;
    QWidget dialog;
    auto* view = new CVideoView(&owner, &dialog);
    view->movieWrapper->AttachWindow(view);
    dialog.show();
    RunEvents(100);
    const int before = owner.updates;
    RunEvents(1000);
    EXPECT_GE(owner.updates - before, 10);
}

TEST_F(VideoView, TimingWithoutATimeScaleIsZeroSeconds)
{
    CountingOwner owner;
    CVideoView view(&owner);
    view.SetMovieTiming(3725 * 600 + 599, 600);
    EXPECT_EQ(view.durationSeconds, 3725);
    EXPECT_EQ(view.timeScale, 600);
    view.SetMovieTiming(5000, 0);
    EXPECT_EQ(view.durationSeconds, 0);
    EXPECT_EQ(view.timeScale, 0);
    view.SetMovieTiming(0, 600);
    EXPECT_EQ(view.durationSeconds, 0);
}

TEST_F(VideoView, StopPictureAtTheRequestedSizeOrBlack)
{
    CountingOwner owner;
    QWidget dialog;
    auto* view = new CVideoView(&owner, &dialog);
    view->setGeometry(0, 0, 720, 405);
    dialog.resize(720, 405);
    dialog.show();
    view->ShowStopPicture(720, 405);
    RunEvents(100);
    const QPixmap shown = view->pixmap();
    if (shown.isNull()) {
        // The skin's pictures are not built in: black.
        const QImage grabbed = view->grab().toImage();
        EXPECT_EQ(grabbed.pixelColor(360, 200), QColor(Qt::black));
        EXPECT_EQ(grabbed.pixelColor(0, 0), QColor(Qt::black));
    } else {
        EXPECT_EQ(shown.size(), QSize(720, 405));
        view->ShowStopPicture(360, 200);
        EXPECT_EQ(view->pixmap().size(), QSize(360, 200));
    }
    EXPECT_EQ(view->alignment(), Qt::AlignCenter);
}

TEST_F(VideoView, ActionFilterResizesTheWindowOnlyForASizeChange)
{
    int window = 0;
    Port port = EngineAttachWindow(&window);
    fake->AddMovie("/rec/a.mov", FakeEngine::Script(600, 600));
    Movie movie = nullptr;
    ASSERT_EQ(EngineOpenMoviePath("/rec/a.mov", &movie), noErr);
    MovieController controller = EngineNewController(movie, EngineRect{0, 0, 405, 720}, 1);
    ControllerShowBar(controller, false);  // bounds 0, 0, 405, 720
    fake->calls.clear();
    const auto ref = reinterpret_cast<std::intptr_t>(&window);
    EXPECT_FALSE(CVideoView::VideoActionFilter(controller, kActionSetFlags, nullptr, ref));
    EXPECT_EQ(fake->CountCalls("SizeWindow"), 0);
    EXPECT_FALSE(CVideoView::VideoActionFilter(controller, kActionControllerSizeChanged, nullptr, ref));
    ASSERT_EQ(fake->CountCalls("SizeWindow"), 1);
    EXPECT_EQ(fake->calls.back(),
              "SizeWindow " + std::to_string(reinterpret_cast<std::uintptr_t>(port)) + " 720 405 1");
    EXPECT_EQ(fake->WindowSize(&window), (std::pair<int, int>{720, 405}));
}

// With the real engine: the view playing an ffmpeg-made movie.
TEST(VideoViewPlaying, UpdatesRunSeveralTimesASecondAndTheWindowTakesTheMoviesSize)
{
    if (!HaveHdMovie() || !HaveMpv())
        GTEST_SKIP() << "needs ffmpeg's fixture movie and libmpv";
    InstallRealEngine();
    {
        CountingOwner owner;
        AttachedView attached(&owner);
        CVideoView* view = attached.view;
        CQuickTime& qt = attached.qt;
        view->setGeometry(5, 45, 300, 100);  // the controller's size change will resize it
        view->ShowStopPicture(720, 405);
        ASSERT_EQ(qt.OpenMovie(HdMovie().toLocal8Bit().constData()), 1);
        EXPECT_EQ(view->size(), QSize(720, 405));
        view->SetMovieTiming(EngineMovieDuration(qt.movie), EngineMovieTimeScale(qt.movie));
        EXPECT_EQ(view->durationSeconds, 3);
        EnginePlayMovie(qt.movie);
        RunEvents(200);
        const int before = owner.updates;
        RunEvents(1000);
        EXPECT_GE(owner.updates - before, 10);
        TimeScale scale = 0;
        const TimeValue t = ControllerCurrentTime(qt.controller, &scale);
        EXPECT_GT(double(t) / scale, 0.5);
        // Paused, messages still come.
        EngineHaltMovie(qt.movie);
        const int paused = owner.updates;
        RunEvents(1000);
        EXPECT_GE(owner.updates - paused, 10);
    }
    InstallEngine(nullptr);
}

TEST(VideoViewPlaying, AfterStopTheMovieIsReleasedAndTheStopPictureShows)
{
    if (!HaveHdMovie() || !HaveMpv())
        GTEST_SKIP() << "needs ffmpeg's fixture movie and libmpv";
    RealEngine* real = InstallRealEngine();
    {
        CountingOwner owner;
        AttachedView attached(&owner);
        CVideoView* view = attached.view;
        CQuickTime& qt = attached.qt;
        ASSERT_EQ(qt.OpenMovie(HdMovie().toLocal8Bit().constData()), 1);
        EnginePlayMovie(qt.movie);
        RunEvents(500);
        Port port = EngineWindowPort(view);
        ASSERT_TRUE(real->SurfaceGeometry(port, nullptr, nullptr, nullptr, nullptr));
        // Stop: to the end, the stop picture, the movie forgotten.
        EngineMovieToEnd(qt.movie);
        view->ShowStopPicture(720, 405);
        qt.movie = nullptr;
        RunEvents(300);
        EXPECT_EQ(real->PlayerCount(), 0u);
        EXPECT_EQ(real->MovieCount(), 0u);
        EXPECT_FALSE(real->SurfaceGeometry(port, nullptr, nullptr, nullptr, nullptr));
        // Periodic updates go on and find no time.
        TimeScale scale = 1;
        EXPECT_EQ(ControllerCurrentTime(qt.controller, &scale), 0);
        EXPECT_EQ(scale, 0);
    }
    InstallEngine(nullptr);
}

// The next recording after a Stop (or after the previous one was released) is painted too: the
// surface hidden while nothing showed must come back with the new movie's first frame.
TEST(VideoViewPlaying, TheMovieOpenedAfterAStopIsPainted)
{
    if (!HaveHdMovie() || !HaveMpv())
        GTEST_SKIP() << "needs ffmpeg's fixture movie and libmpv";
    RealEngine* real = InstallRealEngine();
    {
        CountingOwner owner;
        AttachedView attached(&owner);
        CVideoView* view = attached.view;
        CQuickTime& qt = attached.qt;
        for (int round = 0; round < 2; ++round) {
            ASSERT_EQ(qt.OpenMovie(HdMovie().toLocal8Bit().constData()), 1) << "round " << round;
            EnginePlayMovie(qt.movie);
            const Movie playing = qt.movie;
            for (int i = 0; i < 40 && real->Stats(playing).framesPainted == 0; ++i)
                RunEvents(100);
            EXPECT_GT(real->Stats(playing).framesPainted, 0u) << "round " << round;
            // Stop: to the end, the stop picture, the movie forgotten until the next open.
            EngineMovieToEnd(qt.movie);
            view->ShowStopPicture(720, 405);
            qt.movie = nullptr;
            RunEvents(300);
        }
    }
    InstallEngine(nullptr);
}
