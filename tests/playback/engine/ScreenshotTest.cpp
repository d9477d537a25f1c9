// The screenshot command: file names, folder, the file itself, the order of engine calls on the
// fake, and a real screenshot of an ffmpeg-made movie shown small.
#include "playback/Bitmap.h"
#include "playback/QuickTime.h"
#include "playback/RealEngine.h"
#include "playback/Screenshot.h"
#include "playback/VideoView.h"
#include "tests/support/FakeEngine.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include "EngineTestUtil.h"
#include "EngineWait.h"
#include "RealView.h"

namespace {
const QDateTime kShotTime(QDate(2014, 5, 6), QTime(12, 30, 45));

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct NoOwner : VideoViewOwner {
    void PeriodicUpdate() override {}
};
}  // namespace

TEST(ScreenshotFile, NamedForTheLocalTime)
{
    EXPECT_EQ(ScreenshotFileName(kShotTime), "VideoShots-2014-05-06-12h30m45s.bmp");
    EXPECT_EQ(ScreenshotFileName(QDateTime(QDate(999, 1, 2), QTime(3, 4, 5))), "VideoShots-0999-01-02-03h04m05s.bmp");
}

TEST(ScreenshotFile, ASecondShotInTheSameSecondKeepsTheFirst)
{
    QTemporaryDir dir;
    const std::vector<std::uint8_t> first = {'B', 'M', 1};
    const std::vector<std::uint8_t> second = {'B', 'M', 2};
    const std::vector<std::uint8_t> third = {'B', 'M', 3};
    EXPECT_EQ(WriteScreenshotFile(dir.path(), kShotTime, first), dir.filePath("VideoShots-2014-05-06-12h30m45s.bmp"));
    EXPECT_EQ(WriteScreenshotFile(dir.path(), kShotTime, second),
              dir.filePath("VideoShots-2014-05-06-12h30m45s-2.bmp"));
    EXPECT_EQ(WriteScreenshotFile(dir.path(), kShotTime, third), dir.filePath("VideoShots-2014-05-06-12h30m45s-3.bmp"));
    EXPECT_EQ(ReadAll(dir.filePath("VideoShots-2014-05-06-12h30m45s.bmp")), QByteArray("BM\x01", 3));
    EXPECT_EQ(ReadAll(dir.filePath("VideoShots-2014-05-06-12h30m45s-2.bmp")), QByteArray("BM\x02", 3));
    // Nothing to write, or nowhere to write it: no file.
    EXPECT_TRUE(WriteScreenshotFile(dir.path(), kShotTime, {}).isEmpty());
    EXPECT_TRUE(WriteScreenshotFile(QString(), kShotTime, first).isEmpty());
}

TEST(ScreenshotFile, FolderBesideTheExecutableElseInPictures)
{
    QTemporaryDir dir;
    const QString exe = dir.filePath("bin");
    const QString pictures = dir.filePath("Pictures");
    QDir().mkpath(exe);
    EXPECT_EQ(ScreenshotFolder(exe, pictures), exe + "/VideoShots");
    EXPECT_TRUE(QFileInfo(exe + "/VideoShots").isDir());
    // A place where no folder can be made (a file stands in the way).
    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(ScreenshotFolder(dir.filePath("blocked"), pictures), pictures + "/VideoShots");
    EXPECT_TRUE(ScreenshotFolder(dir.filePath("blocked"), dir.filePath("blocked")).isEmpty());
}

class ScreenshotFake : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto engine = std::make_unique<FakeEngine>();
        fake = engine.get();
        InstallEngine(std::move(engine));
        fake->AddMovie("/rec/small.mov", FakeEngine::Script(600, 6000, 640, 360));
        FakeEngine::MovieScript blind = FakeEngine::Script(600, 6000, 640, 360);
        blind.hasPicture = false;
        fake->AddMovie("/rec/blind.mov", blind);
        view = std::make_unique<CVideoView>(&owner);
        view->movieWrapper->AttachWindow(view.get());
        view->movieWrapper->pictureWidth = 720;
        view->movieWrapper->pictureHeight = 405;
    }
    void TearDown() override
    {
        view.reset();
        InstallEngine(nullptr);
    }
    NoOwner owner;
    std::unique_ptr<CVideoView> view;
    FakeEngine* fake = nullptr;
    QTemporaryDir dir;
};

TEST_F(ScreenshotFake, SavesTheFrameAtItsOwnSizeFlashesACopyAndPlaysOn)
{
    CQuickTime& qt = *view->movieWrapper;
    ASSERT_EQ(qt.OpenMovie("/rec/small.mov"), 1);
    EngineSetMovieTime(qt.movie, 1200);  // paused at 2 s
    fake->calls.clear();
    const QString path = TakeScreenshot(*view, dir.path());
    ASSERT_FALSE(path.isEmpty());
    const std::string m = std::to_string(reinterpret_cast<std::uintptr_t>(qt.movie));
    const std::vector<std::string> names = {"GetMovieBox",  "SetMovieBox",   "ControllerCurrentTime", "HaltMovie",
                                            "MoviePicture", "DrawPicture",   "SetMovieBox",           "PlayMovie",
                                            "PictureToDib", "DisposePicture"};
    ASSERT_EQ(fake->calls.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(fake->calls[i].substr(0, fake->calls[i].find(' ')), names[i]);
    EXPECT_EQ(fake->calls[1], "SetMovieBox " + m + " 0 0 360 640");
    EXPECT_EQ(fake->calls[4], "MoviePicture " + m + " 1200");
    // The upper right third of the 720 × 405 picture: x 480 to 720, y 0 to 135.
    EXPECT_EQ(fake->calls[5].substr(fake->calls[5].find(' ', 12) + 1, 12), "0 480 135 72");
    EXPECT_EQ(fake->calls[6], "SetMovieBox " + m + " 0 0 405 720");
    EXPECT_TRUE(fake->Info(qt.movie).playing);
    EXPECT_EQ(fake->LivePictures(), 0u);

    const QByteArray bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 54 + 640 * 360 * 3);
    EXPECT_EQ(ReadLe32(reinterpret_cast<const std::uint8_t*>(bytes.constData()) + 2), 54u + 640u * 360u * 3u);
    const QImage image(path);
    ASSERT_EQ(image.size(), QSize(640, 360));
    // The fake's picture of time 1200: blue 1200 & 255, green 1200 >> 8, red 0x80.
    EXPECT_EQ(image.pixel(10, 10), qRgb(0x80, 1200 >> 8, 1200 & 0xFF));
    EXPECT_TRUE(QFileInfo(path).fileName().startsWith("VideoShots-"));
}

TEST_F(ScreenshotFake, NothingWithoutAMovie)
{
    EXPECT_TRUE(TakeScreenshot(*view, dir.path()).isEmpty());
    CQuickTime& qt = *view->movieWrapper;
    ASSERT_EQ(qt.OpenMovie("/rec/small.mov"), 1);
    qt.movie = nullptr;  // after Stop
    fake->calls.clear();
    EXPECT_TRUE(TakeScreenshot(*view, dir.path()).isEmpty());
    EXPECT_TRUE(fake->calls.empty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(ScreenshotFake, WithoutAPictureTheMoviePlaysOnInItsBox)
{
    CQuickTime& qt = *view->movieWrapper;
    ASSERT_EQ(qt.OpenMovie("/rec/blind.mov"), 1);
    EXPECT_TRUE(TakeScreenshot(*view, dir.path()).isEmpty());
    EXPECT_TRUE(fake->Info(qt.movie).playing);
    EXPECT_EQ(fake->Info(qt.movie).box, (EngineRect{0, 0, 405, 720}));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(ScreenshotReal, AMovieShownAt720By405IsSavedAt1920By1080)
{
    if (!HaveHdMovie() || !HaveMpv())
        GTEST_SKIP() << "needs ffmpeg's fixture movie and libmpv";
    RealEngine* real = InstallRealEngine();
    {
        QTemporaryDir dir;
        NoOwner owner;
        AttachedView attached(&owner);
        CVideoView* view = attached.view;
        CQuickTime& qt = attached.qt;
        ASSERT_EQ(qt.OpenMovie(HdMovie().toLocal8Bit().constData()), 1);
        EngineSetMovieTime(qt.movie, EngineMovieTimeScale(qt.movie));  // 1.0 s, paused
        RunEvents(300);
        const QString path = TakeScreenshot(*view, dir.path());
        ASSERT_FALSE(path.isEmpty());
        const QImage saved(path);
        EXPECT_EQ(saved.size(), QSize(1920, 1080));
        EXPECT_TRUE(IsFfmpegFrame(saved, 30));
        EXPECT_FALSE(real->Stats(qt.movie).paused);  // playback resumed
        EngineRect box;
        EngineGetMovieBox(qt.movie, &box);
        EXPECT_EQ(box, (EngineRect{0, 0, 405, 720}));
        // The flashed copy stands in the upper right third for a moment, then goes.
        RunEvents(100);
        int x, y, w, h;
        ASSERT_TRUE(real->SurfaceGeometry(EngineWindowPort(view), &x, &y, &w, &h));
        EXPECT_EQ(QRect(x, y, w, h), QRect(0, 0, 720, 405));
        // Two shots within one second both stay.
        const QString again = TakeScreenshot(*view, dir.path());
        EXPECT_FALSE(again.isEmpty());
        EXPECT_NE(again, path);
        EXPECT_TRUE(QFile::exists(path));
    }
    InstallEngine(nullptr);
}
