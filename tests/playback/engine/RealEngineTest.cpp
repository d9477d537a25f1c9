// The real engine (box reader and libmpv) on an ffmpeg-made 1920 × 1080 movie of 3 s.
#include "playback/Bitmap.h"
#include "playback/RealEngine.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include "EngineTestUtil.h"
#include "EngineWait.h"

namespace {
class RealEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveHdMovie() || !HaveMpv())
            GTEST_SKIP() << "needs ffmpeg's fixture movie and libmpv";
        Install(std::nullopt);
    }
    void Install(std::optional<VideoOutputChoice> output)
    {
        MpvLibrary::Status status;
        auto engine = MakeRealEngine(MpvLibrary::Load(kMpvLibraryName, &status), std::move(output));
        real = static_cast<RealEngine*>(engine.get());
        InstallEngine(std::move(engine));
        ASSERT_EQ(InitializeQTML(0), noErr);
        ASSERT_EQ(EnterMovies(), noErr);
    }
    void TearDown() override { InstallEngine(nullptr); }

    Movie Open()
    {
        Movie movie = nullptr;
        EXPECT_EQ(EngineOpenMoviePath(HdMovie().toStdString(), &movie), noErr);
        return movie;
    }
    double Seconds(MovieController controller)
    {
        TimeScale scale = 0;
        const TimeValue t = ControllerCurrentTime(controller, &scale);
        return scale > 0 ? double(t) / scale : -1;
    }
    static QImage PictureImage(PicHandle picture)
    {
        const auto file = BitmapFileFromDib(EnginePictureToDib(picture));
        QImage image;
        image.loadFromData(file.data(), int(file.size()), "BMP");
        return image;
    }

    RealEngine* real = nullptr;
};
}  // namespace

TEST_F(RealEngineTest, OpensWithDurationTimeScaleAndItsOwnBox)
{
    Movie movie = Open();
    ASSERT_NE(movie, nullptr);
    const TimeScale scale = EngineMovieTimeScale(movie);
    ASSERT_GT(scale, 0);
    EXPECT_NEAR(double(EngineMovieDuration(movie)) / scale, 3.0, 0.05);
    EngineRect box;
    EngineGetMovieBox(movie, &box);
    EXPECT_EQ(box, (EngineRect{0, 0, 1080, 1920}));
    EXPECT_EQ(real->PlayerCount(), 1u);
    EngineDisposeMovie(movie);
    EXPECT_EQ(real->PlayerCount(), 0u);
    EXPECT_EQ(real->MovieCount(), 0u);
}

TEST_F(RealEngineTest, PlaysHaltsAndTellsTheTimeInTheMoviesUnits)
{
    Movie movie = Open();
    MovieController controller = EngineNewController(movie, EngineRect{0, 0, 405, 720}, 1);
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(Seconds(controller), 0.0);
    EnginePlayMovie(movie);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(RunEventsUntil([&] { return Seconds(controller) > 0.3; }, 4000));
    const double playing = Seconds(controller);
    // Never ahead of the clock.
    EXPECT_LT(playing, clock.elapsed() / 1000.0 + 0.1);
    EngineHaltMovie(movie);
    RunEvents(150);
    const double halted = Seconds(controller);
    RunEvents(400);
    EXPECT_EQ(Seconds(controller), halted);
    EXPECT_GE(halted, playing);
    EXPECT_TRUE(real->Stats(movie).paused);
}

TEST_F(RealEngineTest, SeeksExactlyAndGoesToTheEnd)
{
    Movie movie = Open();
    MovieController controller = EngineNewController(movie, EngineRect{0, 0, 405, 720}, 1);
    const TimeScale scale = EngineMovieTimeScale(movie);
    const TimeValue duration = EngineMovieDuration(movie);
    TimeScale s = 0;
    EngineSetMovieTime(movie, scale * 3 / 2);
    EXPECT_EQ(ControllerCurrentTime(controller, &s), scale * 3 / 2);  // at once, before mpv got there
    RunEvents(400);
    EXPECT_EQ(ControllerCurrentTime(controller, &s), scale * 3 / 2);
    EngineMovieToEnd(movie);
    EXPECT_EQ(ControllerCurrentTime(controller, &s), duration);
    RunEvents(400);
    EXPECT_EQ(ControllerCurrentTime(controller, &s), duration);
    EXPECT_TRUE(real->Stats(movie).paused);
    // Back from the end.
    EngineSetMovieTime(movie, scale / 2);
    RunEvents(300);
    EXPECT_EQ(ControllerCurrentTime(controller, &s), scale / 2);
}

TEST_F(RealEngineTest, PlayingToTheEndReachesTheWholeDuration)
{
    // The last frame starts before the duration; the time must still reach it, or the player
    // would never see the last second and move on.
    Movie movie = Open();
    MovieController controller = EngineNewController(movie, EngineRect{0, 0, 405, 720}, 1);
    const TimeScale scale = EngineMovieTimeScale(movie);
    const TimeValue duration = EngineMovieDuration(movie);
    EngineSetMovieTime(movie, duration - scale / 2);
    EnginePlayMovie(movie);
    TimeScale s = 0;
    EXPECT_TRUE(RunEventsUntil([&] { return ControllerCurrentTime(controller, &s) == duration; }, 4000));
    RunEvents(300);
    EXPECT_EQ(ControllerCurrentTime(controller, &s), duration);
}

TEST_F(RealEngineTest, VolumeZeroToAThousandIsMpvsZeroToAHundred)
{
    Movie movie = Open();
    EngineSetMovieVolume(movie, 300);
    EXPECT_DOUBLE_EQ(real->Stats(movie).volume, 30.0);
    EngineSetMovieVolume(movie, 1000);
    EXPECT_DOUBLE_EQ(real->Stats(movie).volume, 100.0);
    EngineSetMovieVolume(movie, 0);
    EXPECT_DOUBLE_EQ(real->Stats(movie).volume, 0.0);
    EngineSetMovieVolume(movie, 2000);
    EXPECT_DOUBLE_EQ(real->Stats(movie).volume, 100.0);
    EngineSetMovieVolume(movie, -256);
    EXPECT_DOUBLE_EQ(real->Stats(movie).volume, 0.0);
}

TEST_F(RealEngineTest, PictureIsOfTheFrameShownAtTheMoviesOwnSize)
{
    QWidget window;
    window.resize(720, 405);
    window.show();
    Port port = EngineAttachWindow(&window);
    EngineSetDrawPort(port);
    Movie movie = Open();
    MovieController controller = EngineNewController(movie, EngineRect{0, 0, 405, 720}, 1);
    ASSERT_NE(controller, nullptr);
    EngineSetMovieTime(movie, EngineMovieTimeScale(movie));  // 1.0 s: frame 30
    RunEvents(300);
    PicHandle picture = EngineMoviePicture(movie, EngineMovieTimeScale(movie));
    ASSERT_NE(picture, nullptr);
    const auto dib = EnginePictureToDib(picture);
    ASSERT_GE(dib.size(), 40u);
    EXPECT_EQ(ReadLe32(dib.data() + 4), 1920u);
    EXPECT_EQ(ReadLe32(dib.data() + 8), 1080u);
    EXPECT_EQ(dib[14], 24);
    EXPECT_TRUE(IsFfmpegFrame(PictureImage(picture), 30));
    EngineDisposePicture(picture);

    // A picture of another time leaves the movie where it was.
    TimeScale s = 0;
    const TimeValue before = ControllerCurrentTime(controller, &s);
    picture = EngineMoviePicture(movie, EngineMovieTimeScale(movie) * 3 / 2);  // 1.5 s: frame 45
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(IsFfmpegFrame(PictureImage(picture), 45));
    EXPECT_EQ(ControllerCurrentTime(controller, &s), before);
    EngineDisposePicture(picture);
}

// Where mpv cannot draw into a window of its own, frames are rendered and painted by the view.
TEST_F(RealEngineTest, TheSoftwareRenderPathDrawsTheMovieIntoItsBoxOfTheWindow)
{
    Install(DecideVideoOutput("render", true, ""));
    QWidget window;
    window.resize(720, 405);
    window.show();
    int wakeUps = 0;
    struct Counter : QObject {
        int* count;
        explicit Counter(int* c) : count(c) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == EngineWakeUpEventType())
                ++*count;
            return false;
        }
    } counter(&wakeUps);
    window.installEventFilter(&counter);
    Port port = EngineAttachWindow(&window);
    EngineSetDrawPort(port);
    Movie movie = Open();
    MovieController controller = EngineNewController(movie, EngineRect{0, 0, 405, 720}, 1);
    ASSERT_NE(controller, nullptr);
    EnginePlayMovie(movie);
    RunEventsUntil([&] { return real->Stats(movie).framesPainted >= 10 && wakeUps >= 10; }, 4000);
    int x = -1, y = -1, w = 0, h = 0;
    ASSERT_TRUE(real->SurfaceGeometry(port, &x, &y, &w, &h));
    EXPECT_EQ(QRect(x, y, w, h), QRect(0, 0, 720, 405));
    // The window hears of the frames: at 30 frames a second, far more than ten a second.
    EXPECT_GE(wakeUps, 10);
    const auto stats = real->Stats(movie);
    EXPECT_GE(stats.framesPainted, 10u);
    // What the window shows is the movie scaled into the box, not black.
    EngineHaltMovie(movie);
    RunEvents(200);
    const QImage shown = window.grab().toImage();
    EXPECT_LT(MeanDifference(shown, QImage(shown.size(), QImage::Format_RGB32)), 255);
    long bright = 0;
    for (int i = 0; i < 720; i += 7)
        bright += qGray(shown.pixel(i, 200));
    EXPECT_GT(bright / (720 / 7 + 1), 20);

    // A new box re-renders at its size; the surface follows.
    EngineSetMovieBox(movie, EngineRect{0, 0, 180, 320});
    RunEvents(200);
    ASSERT_TRUE(real->SurfaceGeometry(port, &x, &y, &w, &h));
    EXPECT_EQ(QRect(x, y, w, h), QRect(0, 0, 320, 180));
    EngineDisposeMovie(movie);
    EXPECT_FALSE(real->SurfaceGeometry(port, &x, &y, &w, &h));
}

TEST_F(RealEngineTest, AFileThatIsNoMovieMakesNoMovieAndNoPlayer)
{
    QTemporaryDir dir;
    const QString junk = dir.filePath("junk.mov");
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(20000, '\x01'));
    f.close();
    Movie movie = nullptr;
    EXPECT_NE(EngineOpenMoviePath(junk.toStdString(), &movie), noErr);
    EXPECT_EQ(movie, nullptr);
    EXPECT_EQ(real->MovieCount(), 0u);
    EXPECT_EQ(real->PlayerCount(), 0u);
}

TEST_F(RealEngineTest, ControllerBarAndActionsKeepTheirMeaning)
{
    Movie movie = Open();
    MovieController controller = EngineNewController(movie, EngineRect{0, 0, 405, 720}, 1);
    static std::vector<short> seen;
    seen.clear();
    ControllerSetActionFilter(
        controller,
        [](MovieController, short action, void*, std::intptr_t refCon) {
            seen.push_back(action);
            EXPECT_EQ(refCon, 1011);
            return false;
        },
        1011);
    long flags = -1;
    ControllerAction(controller, kActionGetFlags, &flags);
    EXPECT_EQ(flags, 0);
    ControllerAction(controller, kActionSetFlags, reinterpret_cast<void*>(std::intptr_t(flags | 8)));
    ControllerAction(controller, kActionGetFlags, &flags);
    EXPECT_EQ(flags, 8);
    EngineRect bounds;
    ControllerGetBounds(controller, &bounds);
    EXPECT_EQ(bounds, (EngineRect{0, 0, 405 + 16, 720}));  // the bar below the movie
    ControllerShowBar(controller, false);
    ControllerGetBounds(controller, &bounds);
    EXPECT_EQ(bounds, (EngineRect{0, 0, 405, 720}));
    EXPECT_EQ(seen,
              (std::vector<short>{kActionGetFlags, kActionSetFlags, kActionGetFlags, kActionControllerSizeChanged}));
    // Disposing the movie leaves the controller harmless.
    EngineDisposeMovie(movie);
    TimeScale scale = 1;
    EXPECT_EQ(ControllerCurrentTime(controller, &scale), 0);
    EXPECT_EQ(scale, 0);
    EngineDisposeController(controller);
}
