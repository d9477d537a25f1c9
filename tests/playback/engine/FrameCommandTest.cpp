// `--frame FILE SECONDS OUT.bmp`, run without a display (ctest runs this binary with DISPLAY
// empty) on an ffmpeg-made movie, compared with ffmpeg's own picture of the frame.
#include "playback/Bitmap.h"
#include "playback/EngineStartup.h"
#include "playback/FrameCommand.h"
#include "playback/RealEngine.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

#include <clocale>

#include "EngineTestUtil.h"

namespace {
class FrameCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveHdMovie() || !HaveMpv())
            GTEST_SKIP() << "needs ffmpeg's fixture movie and libmpv";
        ASSERT_TRUE(dir.isValid());
        // Another test of this process may have replaced the engine the command started.
        if (EngineStartCount() > 0 && !dynamic_cast<RealEngine*>(&CurrentEngine())) {
            MpvLibrary::Status status;
            InstallEngine(MakeRealEngine(MpvLibrary::Load(kMpvLibraryName, &status)));
        }
    }
    int Run(const QStringList& args)
    {
        outText.clear();
        errText.clear();
        QTextStream out(&outText), err(&errText);
        return RunFrameCommand(args, out, err);
    }
    QTemporaryDir dir;
    QString outText, errText;
};
}  // namespace

TEST_F(FrameCommand, WritesTheFrameAtThatTimeAtTheMoviesOwnSize)
{
    const QString out = dir.filePath("one-second.bmp");
    ASSERT_EQ(Run({"--frame", HdMovie(), "1.0", out}), 0) << errText.toStdString();
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // 1920 × 3 bytes a row needs no padding: 54 + 1920 × 1080 × 3.
    ASSERT_EQ(bytes.size(), 54 + 1920 * 1080 * 3);
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(ReadLe32(b + 2), 54u + 1920u * 1080u * 3u);
    EXPECT_EQ(ReadLe32(b + 10), 54u);
    EXPECT_EQ(ReadLe32(b + 14), 40u);
    EXPECT_EQ(ReadLe32(b + 18), 1920u);
    EXPECT_EQ(ReadLe32(b + 22), 1080u);
    EXPECT_EQ(b[28], 24);
    const QImage picture(out);
    // Frame 30 is the one shown from 1.000 s to 1.033 s.
    EXPECT_TRUE(IsFfmpegFrame(picture, 30));
}

TEST_F(FrameCommand, ReadsTheTimeInTheCLocaleWhateverTheProcessLocale)
{
    const char* current = std::setlocale(LC_ALL, nullptr);
    const std::string previous = current ? current : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale on this machine";
    QLocale::setDefault(QLocale(QLocale::German));
    const QString out = dir.filePath("decimal.bmp");
    const int status = Run({HdMovie(), "0.98", out});  // frame 29 shows from 0.967 s to 1.0 s
    const int comma = Run({HdMovie(), "0,98", dir.filePath("comma.bmp")});
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_ALL, previous.c_str());
    ASSERT_EQ(status, 0) << errText.toStdString();
    EXPECT_TRUE(IsFfmpegFrame(QImage(out), 29));
    EXPECT_EQ(comma, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("comma.bmp")));
}

TEST_F(FrameCommand, FailsWithoutWritingForBadInput)
{
    const QString out = dir.filePath("none.bmp");
    // Past the end of the 3-second movie.
    EXPECT_EQ(Run({HdMovie(), "3.5", out}), 1);
    EXPECT_TRUE(errText.contains("past the end")) << errText.toStdString();
    // Not a movie.
    const QString junk = dir.filePath("junk.mov");
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(5000, '\x17'));
    }
    EXPECT_EQ(Run({junk, "0", out}), 1);
    EXPECT_TRUE(errText.contains("cannot read")) << errText.toStdString();
    EXPECT_EQ(Run({dir.filePath("missing.mov"), "0", out}), 1);
    // Not a time, and the wrong number of words.
    EXPECT_EQ(Run({HdMovie(), "soon", out}), 1);
    EXPECT_EQ(Run({HdMovie(), "-1", out}), 1);
    EXPECT_EQ(Run({HdMovie(), "1"}), 1);
    EXPECT_FALSE(errText.isEmpty());
    EXPECT_FALSE(QFile::exists(out));
}
