// Start-up of the engine through the seam for message boxes, the installer and the exit.
// Every case runs as its own process under ctest; a case that needs a fresh process skips when
// the engine was already started in this one.
#include "playback/EngineStartup.h"
#include "playback/RealEngine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "EngineTestUtil.h"

namespace {
struct RecordingUi : EngineStartupUi {
    Answer answer = Answer::No;
    std::vector<std::pair<QString, bool>> messages;  // text, with Yes and No
    std::vector<QString> opened;
    std::vector<int> exits;
    Answer ShowMessage(const QString& text, bool yesNo) override
    {
        messages.emplace_back(text, yesNo);
        return yesNo ? answer : Answer::Ok;
    }
    void OpenFile(const QString& path) override { opened.push_back(path); }
    void EndProcess(int status) override { exits.push_back(status); }
};

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (EngineStartCount() > 0)
            GTEST_SKIP() << "the engine was started earlier in this process";
        previous = QDir::currentPath();
        ASSERT_TRUE(dir.isValid());
        QDir::setCurrent(dir.path());
    }
    void TearDown() override
    {
        if (!previous.isEmpty())
            QDir::setCurrent(previous);
    }
    QTemporaryDir dir;
    QString previous;
    RecordingUi ui;
};

const QString kInstallQuestion = "Please Install Quicktime First!\nInstall now!";
}  // namespace

TEST_F(Startup, MissingLibraryAsksToInstallAndEndsWithOne)
{
    ui.answer = EngineStartupUi::Answer::No;
    EXPECT_FALSE(StartMediaEngine(ui, "libmpv-not-here.so.9"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, kInstallQuestion);
    EXPECT_TRUE(ui.messages[0].second);
    EXPECT_TRUE(ui.opened.empty());
    EXPECT_EQ(ui.exits, std::vector<int>{1});
    EXPECT_EQ(EngineStartCount(), 0);
    EXPECT_EQ(EnterMovies(), kEngineNotStarted);
}

TEST_F(Startup, YesOpensTheInstallerOnlyWhenItIsThere)
{
    ui.answer = EngineStartupUi::Answer::Yes;
    EXPECT_FALSE(StartMediaEngine(ui, "libmpv-not-here.so.9"));
    EXPECT_TRUE(ui.opened.empty());
    EXPECT_EQ(ui.exits, std::vector<int>{1});

    QFile installer(dir.filePath("QuickTimeInstaller7.75.exe"));
    ASSERT_TRUE(installer.open(QIODevice::WriteOnly));
    installer.close();
    ui.exits.clear();
    EXPECT_FALSE(StartMediaEngine(ui, "libmpv-not-here.so.9"));
    ASSERT_EQ(ui.opened.size(), 1u);
    EXPECT_EQ(QFileInfo(ui.opened[0]).canonicalFilePath(), QFileInfo(installer).canonicalFilePath());
    EXPECT_EQ(ui.exits, std::vector<int>{1});
    // Nothing was copied into or deleted from the current directory.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"QuickTimeInstaller7.75.exe"});
}

TEST_F(Startup, FailingInitialisationSaysInitializeQTMLFalse)
{
    EXPECT_FALSE(StartMediaEngine(ui, FAKE_MPV_NOCREATE));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, "InitializeQTML False!");
    EXPECT_FALSE(ui.messages[0].second);
    EXPECT_EQ(ui.exits, std::vector<int>{1});
    // Every operation now goes to the substitute.
    EXPECT_EQ(EngineStartCount(), 0);
    EXPECT_EQ(ControllerAction(nullptr, kActionGetFlags, nullptr), kEngineNotStarted);
}

TEST_F(Startup, FailingEnterMoviesSaysSo)
{
    EXPECT_FALSE(StartMediaEngine(ui, FAKE_MPV_NOINIT));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, "EnterMovies False!");
    EXPECT_EQ(ui.exits, std::vector<int>{1});
}

TEST_F(Startup, StartResultsTellWhyTheLibraryDidNotStart)
{
    EXPECT_EQ(StartEngineLibrary(0, "libmpv-not-here.so.9"), -2093);
    EXPECT_EQ(EnterMovies(), -2095);
    EXPECT_EQ(StartEngineLibrary(0, FAKE_MPV_PARTIAL), -2094);
    EXPECT_EQ(EnterMovies(), -2095);
    EXPECT_EQ(StartEngineLibrary(0, FAKE_MPV_NOCREATE), -2095);
    EXPECT_EQ(EngineStartCount(), 0);
    // A library lacking a function is found, and then fails to start.
    EXPECT_FALSE(StartMediaEngine(ui, FAKE_MPV_PARTIAL));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, "InitializeQTML False!");
}

TEST_F(Startup, RealLibraryStartsOnceAndLaterStartsOnlyCount)
{
    if (!HaveMpv())
        GTEST_SKIP() << "libmpv is not installed";
    EXPECT_TRUE(StartMediaEngine(ui));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.exits.empty());
    EXPECT_EQ(EngineStartCount(), 1);
    EngineBackend* engine = &CurrentEngine();
    EXPECT_NE(dynamic_cast<RealEngine*>(engine), nullptr);
    // A second start loads nothing again: not even a library that does not exist.
    EXPECT_EQ(StartEngineLibrary(0, "libmpv-not-here.so.9"), noErr);
    EXPECT_EQ(EngineStartCount(), 2);
    EXPECT_EQ(&CurrentEngine(), engine);
    EXPECT_TRUE(StartMediaEngine(ui));
    EXPECT_EQ(EngineStartCount(), 3);
    EXPECT_TRUE(ui.messages.empty());
    EngineLeaveMovies();
}
