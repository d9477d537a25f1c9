// CQuickTime over the fake engine: the calls it makes, the caption, and what it releases.
#include "playback/QuickTime.h"
#include "playback/VideoView.h"
#include "tests/support/FakeEngine.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <cstring>

namespace {
class Wrapper : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto engine = std::make_unique<FakeEngine>();
        fake = engine.get();
        InstallEngine(std::move(engine));
        fake->AddMovie("/media/card/DCIM/100MEDIA/AMBA0123.MOV", FakeEngine::Script(600, 36000, 1920, 1080));
        fake->AddMovie("/media/card/DCIM/100MEDIA/AMBA0124.MOV", FakeEngine::Script(600, 36000, 1920, 1080));
        video = new QWidget(&dialog);
        qt = std::make_unique<CQuickTime>();
        qt->AttachWindow(video);
        dialog.setWindowTitle("before");
        qt->pictureWidth = 720;
        qt->pictureHeight = 405;
        fake->calls.clear();
    }
    void TearDown() override
    {
        qt.reset();
        InstallEngine(nullptr);
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& c : fake->calls)
            names.push_back(c.substr(0, c.find(' ')));
        return names;
    }

    FakeEngine* fake = nullptr;
    QWidget dialog;
    QWidget* video = nullptr;
    std::unique_ptr<CQuickTime> qt;
};

// The vtable slot of a virtual member function under the Itanium C++ ABI (GCC, Clang): the
// pointer-to-member holds 1 + the slot's byte offset.
template <typename F>
long Slot(F function)
{
    struct Raw {
        std::uintptr_t ptr;
        std::ptrdiff_t adj;
    } raw;
    static_assert(sizeof(F) == sizeof(Raw));
    std::memcpy(&raw, &function, sizeof raw);
    return long((raw.ptr - 1) / sizeof(void*));
}
}  // namespace

TEST(WrapperLayout, VirtualOperationsInTheirSlotOrder)
{
#if defined(__GXX_ABI_VERSION)
    EXPECT_EQ(Slot(&CQuickTime::OpenMovie), 0);
    EXPECT_EQ(Slot(&CQuickTime::CloseMovie), 1);
    EXPECT_EQ(Slot(&CQuickTime::CreateEmptyMovie), 2);
    EXPECT_EQ(Slot(&CQuickTime::HandleWindowMessage), 4);
    EXPECT_EQ(Slot(&CQuickTime::AttachWindow), 5);
    EXPECT_EQ(Slot(&CQuickTime::DetachWindow), 6);
    EXPECT_EQ(Slot(&CQuickTime::SetUpController), 7);
    EXPECT_EQ(Slot(&CQuickTime::UpdateCaption), 14);
    EXPECT_EQ(Slot(&CQuickTime::FileNamePart), 15);
    EXPECT_EQ(Slot(&CQuickTime::CaptionPrefix), 16);
    EXPECT_EQ(Slot(&CQuickTime::ToLengthPrefixed), 17);
    EXPECT_EQ(Slot(&CQuickTime::FromLengthPrefixed), 18);
    EXPECT_EQ(Slot(&CQuickTime::BorderWidth), 19);
    EXPECT_EQ(Slot(&CQuickTime::BorderHeight), 20);
    EXPECT_EQ(Slot(&CQuickTime::CaptionHeight), 21);
    EXPECT_EQ(Slot(&CQuickTime::DesktopBounds), 22);
    EXPECT_EQ(Slot(&CQuickTime::GetMovie), 23);
#else
    GTEST_SKIP() << "slot numbers are read the Itanium ABI's way";
#endif
}

TEST_F(Wrapper, OpenMovieRunsTheEngineInOrderAndCaptionsTheDialog)
{
    const char* path = "/media/card/DCIM/100MEDIA/AMBA0123.MOV";
    ASSERT_EQ(qt->OpenMovie(path), 1);
    const std::vector<std::string> expected = {
        "MakeFileSpec",
        "WindowPort",
        "SetDrawPort",
        "OpenMovieFile",
        "MovieFromFile",
        "CloseMovieFile",
        "GetMovieBox",
        "GetMovieBox",
        "NewController",
        "ControllerGetBounds",
        "ControllerAllowEditing",
        "ControllerAction",
        "ControllerAction",
        "ControllerAction",
        "ControllerSetActionFilter",
        "ControllerAction",
        "ControllerShowBar",
    };
    const auto names = Names();
    // Hiding the bar changes the controller's size: the filter resizes the video window.
    ASSERT_GE(names.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + long(expected.size())), expected);
    EXPECT_EQ(fake->calls[0], std::string("MakeFileSpec ") + path);
    EXPECT_EQ(fake->calls[3], std::string("OpenMovieFile ") + path + " 1");
    const std::string c = std::to_string(reinterpret_cast<std::uintptr_t>(qt->controller));
    EXPECT_EQ(fake->calls[8],
              "NewController " + std::to_string(reinterpret_cast<std::uintptr_t>(qt->movie)) + " 0 0 405 720 1");
    EXPECT_EQ(fake->calls[11].rfind("ControllerAction " + c + " 39 ", 0), 0u);
    EXPECT_EQ(fake->calls[12], "ControllerAction " + c + " 38 8");
    EXPECT_EQ(fake->calls[13], "ControllerAction " + c + " 32 1");
    EXPECT_EQ(fake->calls[14],
              "ControllerSetActionFilter " + c + " " + std::to_string(reinterpret_cast<std::intptr_t>(video)));
    EXPECT_EQ(fake->calls[16], "ControllerShowBar " + c + " 0");
    EXPECT_EQ(fake->WindowSize(video), (std::pair<int, int>{720, 405}));

    EXPECT_EQ(qt->naturalBox, (EngineRect{0, 0, 1080, 1920}));
    EXPECT_EQ(qt->controllerBox, (EngineRect{0, 0, 405, 720}));
    EXPECT_EQ(qt->isOpen, 1);
    EXPECT_STREQ(qt->path, path);
    EXPECT_EQ(dialog.windowTitle(), "AMBA0123.MOV");
}

TEST_F(Wrapper, EmptyPathChangesNothing)
{
    EXPECT_EQ(qt->OpenMovie(""), 0);
    EXPECT_EQ(qt->OpenMovie(nullptr), 0);
    EXPECT_TRUE(fake->calls.empty());
    EXPECT_EQ(dialog.windowTitle(), "before");
}

TEST_F(Wrapper, FailedOpenClearsThePathAndCaption)
{
    EXPECT_EQ(qt->OpenMovie("/media/card/none.mov"), 0);
    EXPECT_EQ(qt->path[0], '\0');
    EXPECT_EQ(dialog.windowTitle(), "");
    EXPECT_EQ(qt->controller, nullptr);
    EXPECT_EQ(qt->movie, nullptr);
    EXPECT_EQ(fake->CountCalls("NewController"), 0);
    // A path the engine's length byte cannot carry fails the same way, without overrunning.
    const std::string longPath = "/" + std::string(300, 'x') + ".mov";
    EXPECT_EQ(qt->OpenMovie(longPath.c_str()), 0);
    EXPECT_EQ(qt->path[0], '\0');
}

TEST_F(Wrapper, CaptionIsTheFileNamePartAfterTheLastSlash)
{
    std::strcpy(qt->path, "E:\\DCIM/AMBA0001.MOV");
    qt->UpdateCaption();
    EXPECT_EQ(dialog.windowTitle(), "AMBA0001.MOV");
    std::strcpy(qt->path, "/media/card/odd\\name.mov");  // a backslash is part of a name here
    EXPECT_EQ(qt->FileNamePart(), "odd\\name.mov");
    std::strcpy(qt->path, "plain.mov");
    EXPECT_EQ(qt->FileNamePart(), "plain.mov");
    std::strcpy(qt->captionPrefix, "Vindrel");
    qt->UpdateCaption();
    EXPECT_EQ(dialog.windowTitle(), "Vindrel - plain.mov");
    qt->path[0] = '\0';
    qt->UpdateCaption();
    EXPECT_EQ(dialog.windowTitle(), "Vindrel");
    // Names in the locale's narrow encoding (UTF-8 here).
    std::strcpy(qt->captionPrefix, "");
    std::strcpy(qt->path, "/rec/\xE8\xA1\x8C\xE8\xBD\xA6.mov");
    qt->UpdateCaption();
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("\u884C\u8F66.mov"));
}

TEST_F(Wrapper, LengthPrefixedRoundTrip)
{
    char text[256] = "abc";
    qt->ToLengthPrefixed(text);
    EXPECT_EQ(text[0], 3);
    EXPECT_EQ(std::string(text + 1, 3), "abc");
    qt->FromLengthPrefixed(text);
    EXPECT_STREQ(text, "abc");
}

TEST_F(Wrapper, OpeningAnotherMovieReleasesTheOneBefore)
{
    ASSERT_EQ(qt->OpenMovie("/media/card/DCIM/100MEDIA/AMBA0123.MOV"), 1);
    Movie first = qt->movie;
    MovieController firstController = qt->controller;
    ASSERT_EQ(qt->OpenMovie("/media/card/DCIM/100MEDIA/AMBA0124.MOV"), 1);
    EXPECT_FALSE(fake->Info(first).exists);
    EXPECT_EQ(fake->LiveMovies(), 1u);
    EXPECT_EQ(fake->LiveControllers(), 1u);
    EXPECT_NE(fake->FindCall("DisposeController " + std::to_string(reinterpret_cast<std::uintptr_t>(firstController))),
              -1);
    EXPECT_EQ(dialog.windowTitle(), "AMBA0124.MOV");
}

TEST_F(Wrapper, AMovieForgottenByStopIsReleasedAtTheNextMessage)
{
    ASSERT_EQ(qt->OpenMovie("/media/card/DCIM/100MEDIA/AMBA0123.MOV"), 1);
    qt->movie = nullptr;  // what Stop does
    EXPECT_EQ(fake->LiveMovies(), 1u);
    qt->HandleWindowMessage(video, 1025, 0, 0);
    EXPECT_EQ(fake->LiveMovies(), 0u);
    EXPECT_EQ(fake->LiveControllers(), 0u);
    EXPECT_EQ(qt->controller, nullptr);
    // Opening the next one afterwards leaves exactly one.
    ASSERT_EQ(qt->OpenMovie("/media/card/DCIM/100MEDIA/AMBA0124.MOV"), 1);
    EXPECT_EQ(fake->LiveMovies(), 1u);
    // ... and deleting the wrapper releases it too.
    qt.reset();
    EXPECT_EQ(fake->LiveMovies(), 0u);
    EXPECT_EQ(fake->LiveControllers(), 0u);
}

TEST_F(Wrapper, HandleWindowMessageTranslatesAndPassesToTheController)
{
    ASSERT_EQ(qt->OpenMovie("/media/card/DCIM/100MEDIA/AMBA0123.MOV"), 1);
    fake->calls.clear();
    qt->HandleWindowMessage(video, 1029, 7, 9);
    ASSERT_EQ(fake->calls.size(), 2u);
    EXPECT_EQ(fake->calls[0].substr(0, 16), "TranslateMessage");
    EXPECT_EQ(fake->calls[0].substr(fake->calls[0].rfind(' ')), " 1029");
    EXPECT_EQ(fake->calls[1],
              "ControllerPassEvent " + std::to_string(reinterpret_cast<std::uintptr_t>(qt->controller)) + " 1029");
}

TEST_F(Wrapper, CloseMovieReleasesAndShrinksTheWindow)
{
    ASSERT_EQ(qt->OpenMovie("/media/card/DCIM/100MEDIA/AMBA0123.MOV"), 1);
    qt->CloseMovie();
    EXPECT_EQ(qt->isOpen, 0);
    EXPECT_EQ(qt->movie, nullptr);
    EXPECT_EQ(qt->controller, nullptr);
    EXPECT_EQ(fake->LiveMovies(), 0u);
    EXPECT_EQ(fake->WindowSize(video), (std::pair<int, int>{320, 1}));
    EXPECT_NE(fake->FindCall("SizeWindow"), -1);
    EXPECT_EQ(dialog.windowTitle(), "");

    qt->CreateEmptyMovie();
    EXPECT_EQ(qt->isOpen, 1);
    EXPECT_NE(qt->movie, nullptr);
    EXPECT_NE(qt->controller, nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Untitled");
    qt->DetachWindow();
    EXPECT_EQ(fake->LiveMovies(), 0u);
    EXPECT_EQ(fake->CountCalls("DetachWindow"), 1);
}

TEST_F(Wrapper, OnlyAWindowWithATitleBarHasACaptionHeight)
{
    EXPECT_GT(qt->CaptionHeight(), 0);
    dialog.setWindowFlags(Qt::FramelessWindowHint);
    EXPECT_EQ(qt->CaptionHeight(), 0);
    const EngineRect desk = qt->DesktopBounds();
    EXPECT_EQ(desk.top, 0);
    EXPECT_EQ(desk.left, 0);
    EXPECT_GT(desk.right, 0);
    EXPECT_GT(desk.bottom, 0);
}
