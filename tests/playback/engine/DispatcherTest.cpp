// The dispatcher with the failure substitute and the fake engine.
#include "engine/Engine.h"
#include "tests/support/FakeEngine.h"

#include <gtest/gtest.h>

#include <string>

namespace {
// Installs an engine for one test and puts the substitute back afterwards.
template <typename E>
struct Installed {
    E* engine;
    explicit Installed(std::unique_ptr<E> e) : engine(e.get()) { InstallEngine(std::move(e)); }
    ~Installed() { InstallEngine(nullptr); }
};

// Every presentation operation answers like the substitute with that code.
void ExpectSubstituteAnswers(OSErr code)
{
    int dummy = 0;
    NativeWindow window = &dummy;
    EXPECT_EQ(InitializeQTML(0), code);
    EXPECT_EQ(EnterMovies(), code);
    EXPECT_EQ(EngineAttachWindow(window), nullptr);
    EXPECT_EQ(EngineWindowPort(window), nullptr);
    EXPECT_EQ(EngineNewMovie(1), nullptr);
    Movie movie = nullptr;
    EXPECT_EQ(EngineOpenMoviePath("/tmp/some.mov", &movie), code);
    EXPECT_EQ(movie, nullptr);
    EXPECT_EQ(EngineNewController(nullptr, EngineRect{0, 0, 405, 720}, 1), nullptr);
    EngineRect bounds{1, 2, 3, 4};
    EXPECT_EQ(ControllerGetBounds(nullptr, &bounds), code);
    EXPECT_EQ(bounds, EngineRect{});
    long flags = 7;
    EXPECT_EQ(ControllerAction(nullptr, kActionGetFlags, &flags), code);
    EXPECT_EQ(ControllerShowBar(nullptr, false), code);
    EXPECT_EQ(ControllerAllowEditing(nullptr, true), code);
    EXPECT_EQ(ControllerSetActionFilter(nullptr, nullptr, 0), code);
    EngineEvent event;
    event.what = 99;
    EXPECT_EQ(EngineTranslateMessage(EngineNativeMessage{}, &event), code);
    EXPECT_EQ(event.what, 0);
    EXPECT_FALSE(ControllerPassEvent(nullptr, event));
    TimeScale scale = 600;
    EXPECT_EQ(ControllerCurrentTime(nullptr, &scale), 0);
    EXPECT_EQ(scale, 0);
    EXPECT_EQ(EngineMoviePicture(nullptr, 0), nullptr);
    EXPECT_TRUE(EnginePictureToDib(nullptr).empty());
    EngineRect box{1, 1, 1, 1};
    EngineGetMovieBox(nullptr, &box);
    EXPECT_EQ(box, EngineRect{});
    // The operations without an answer must simply do nothing.
    EnginePlayMovie(nullptr);
    EngineHaltMovie(nullptr);
    EngineMovieToEnd(nullptr);
    EngineSetMovieTime(nullptr, 100);
    EngineSetMovieVolume(nullptr, 300);
    EngineSetMovieBox(nullptr, EngineRect{});
    EngineSizeWindow(nullptr, 320, 1, false);
    EngineDrawPicture(nullptr, EngineRect{});
    EngineDisposePicture(nullptr);
    EngineDisposeController(nullptr);
    EngineLeaveMovies();
}
}  // namespace

TEST(Substitute, EveryOperationAnswersTheFailureCode)
{
    InstallEngine(nullptr);
    EXPECT_EQ(CurrentEngine().FailureCode(), kEngineNotStarted);
    ExpectSubstituteAnswers(-2095);
    // The substitutes for a library that could not be loaded and a missing function.
    {
        Installed<EngineBackend> missing(std::make_unique<EngineBackend>(kEngineLibraryMissing));
        ExpectSubstituteAnswers(-2093);
    }
    {
        Installed<EngineBackend> function(std::make_unique<EngineBackend>(kEngineFunctionMissing));
        ExpectSubstituteAnswers(-2094);
    }
}

TEST(Dispatcher, RoutesEveryOperationByNameToTheInstalledEngine)
{
    auto fake = std::make_unique<FakeEngine>();
    fake->AddMovie("/rec/a.mov", FakeEngine::Script(600, 6000));
    FakeEngine* engine = fake.get();
    std::unique_ptr<EngineBackend> previous = InstallEngine(std::move(fake));
    EXPECT_EQ(previous->FailureCode(), kEngineNotStarted);
    EXPECT_EQ(&CurrentEngine(), engine);

    int windowObject = 0;
    NativeWindow window = &windowObject;
    EXPECT_EQ(InitializeQTML(0), noErr);
    EXPECT_EQ(EnterMovies(), noErr);
    Port port = EngineAttachWindow(window);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(EngineWindowPort(window), port);
    EngineSetDrawPort(port);
    Movie movie = nullptr;
    ASSERT_EQ(EngineOpenMoviePath("/rec/a.mov", &movie), noErr);
    MovieController controller = EngineNewController(movie, EngineRect{0, 0, 405, 720}, 1);
    ASSERT_NE(controller, nullptr);
    EnginePlayMovie(movie);
    EngineHaltMovie(movie);
    EngineSetMovieTime(movie, 1200);
    EngineSetMovieVolume(movie, 300);
    EngineSetMovieBox(movie, EngineRect{0, 0, 100, 200});
    EngineSizeWindow(port, 720, 405, true);
    TimeScale scale = 0;
    EXPECT_EQ(ControllerCurrentTime(controller, &scale), 1200);
    EXPECT_EQ(scale, 600);
    PicHandle picture = EngineMoviePicture(movie, 1200);
    EngineDrawPicture(picture, EngineRect{0, 480, 135, 720});
    EXPECT_EQ(EnginePictureToDib(picture).size(), 40u + 1920u * 1080u * 3u);
    EngineDisposePicture(picture);
    EngineMovieToEnd(movie);
    EngineDisposeController(controller);
    EngineDisposeMovie(movie);
    EngineDetachWindow(window);
    EngineLeaveMovies();

    const std::vector<std::string> expectedNames = {
        "InitializeQTML",        "EnterMovies",    "AttachWindow",      "WindowPort",
        "SetDrawPort",           "MakeFileSpec",   "OpenMovieFile",     "MovieFromFile",
        "CloseMovieFile",        "NewController",  "PlayMovie",         "HaltMovie",
        "SetMovieTime",          "SetMovieVolume", "SetMovieBox",       "SizeWindow",
        "ControllerCurrentTime", "MoviePicture",   "DrawPicture",       "PictureToDib",
        "DisposePicture",        "MovieToEnd",     "DisposeController", "DisposeMovie",
        "DetachWindow",          "LeaveMovies"};
    ASSERT_EQ(engine->calls.size(), expectedNames.size());
    for (std::size_t i = 0; i < expectedNames.size(); ++i)
        EXPECT_EQ(engine->calls[i].substr(0, engine->calls[i].find(' ')), expectedNames[i]) << "call " << i;
    EXPECT_EQ(engine->calls[6], "OpenMovieFile /rec/a.mov 1");
    EXPECT_EQ(engine->calls[13].substr(engine->calls[13].rfind(' ')), " 300");
    InstallEngine(nullptr);
}

TEST(FakeEngine, ClockMovesOnlyPlayingMoviesAndStopsAtTheEnd)
{
    Installed<FakeEngine> fake(std::make_unique<FakeEngine>());
    fake.engine->AddMovie("/rec/b.mov", FakeEngine::Script(600, 1800));  // 3 s
    Movie movie = nullptr;
    ASSERT_EQ(EngineOpenMoviePath("/rec/b.mov", &movie), noErr);
    MovieController controller = EngineNewController(movie, EngineRect{0, 0, 405, 720}, 1);
    fake.engine->AdvanceClock(1000);
    TimeScale scale = 0;
    EXPECT_EQ(ControllerCurrentTime(controller, &scale), 0);  // not playing yet
    EnginePlayMovie(movie);
    fake.engine->AdvanceClock(1500);
    EXPECT_EQ(ControllerCurrentTime(controller, &scale), 900);
    EngineHaltMovie(movie);
    fake.engine->AdvanceClock(1000);
    EXPECT_EQ(ControllerCurrentTime(controller, &scale), 900);
    EnginePlayMovie(movie);
    fake.engine->AdvanceClock(60000);
    EXPECT_EQ(ControllerCurrentTime(controller, &scale), 1800);
    EXPECT_EQ(fake.engine->Info(movie).time, 1800);
}

TEST(FakeEngine, TextTrackSamplesAreReadByMediaTime)
{
    Installed<FakeEngine> fake(std::make_unique<FakeEngine>());
    FakeEngine::MovieScript script = FakeEngine::Script(600, 1800);
    script.textSamples = {FakeEngine::TextPayload("A,first;"), FakeEngine::TextPayload("V,second;")};
    fake.engine->AddMovie("/rec/gps.mov", script);
    Movie movie = nullptr;
    ASSERT_EQ(EngineOpenMoviePath("/rec/gps.mov", &movie), noErr);
    ASSERT_EQ(EngineTrackCount(movie), 3);
    Media media = EngineTrackMedia(EngineTrackAt(movie, 3));
    ASSERT_NE(media, nullptr);
    OSType kind = 0;
    EXPECT_EQ(EngineMediaDataRefKind(media, 1, &kind), noErr);
    EXPECT_EQ(kind, 0x616C6973u);
    EXPECT_EQ(EngineMediaTimeScale(media), 1000);
    EXPECT_EQ(EngineMediaSampleCount(media), 2);
    std::uint8_t buffer[512] = {};
    long count = 0;
    ASSERT_EQ(EngineReadMediaSample(media, buffer, 512, &count, 1000), noErr);
    EXPECT_EQ(count, 11);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 9);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer + 2), 9), "V,second;");
    EXPECT_EQ(EngineReadMediaSample(media, buffer, 512, &count, 2000), kEngineNoSampleAtTime);
    EXPECT_EQ(EngineReadMediaSample(media, buffer, 4, &count, 0), kEngineSampleTooLarge);
    EXPECT_EQ(EngineTrackAt(movie, 4), nullptr);
}

TEST(FakeEngine, HidingTheBarReportsTheSizeChangeToTheFilter)
{
    Installed<FakeEngine> fake(std::make_unique<FakeEngine>());
    fake.engine->AddMovie("/rec/c.mov", FakeEngine::Script(600, 600));
    Movie movie = nullptr;
    ASSERT_EQ(EngineOpenMoviePath("/rec/c.mov", &movie), noErr);
    MovieController controller = EngineNewController(movie, EngineRect{0, 0, 405, 720}, 1);
    static std::vector<short> actions;
    actions.clear();
    ControllerSetActionFilter(
        controller,
        [](MovieController, short action, void*, std::intptr_t refCon) {
            actions.push_back(action);
            return refCon == 1;  // the filter of reference 1 takes every action over
        },
        0);
    EXPECT_EQ(ControllerShowBar(controller, false), noErr);
    EngineRect bounds;
    ControllerGetBounds(controller, &bounds);
    EXPECT_EQ(bounds, (EngineRect{0, 0, 405, 720}));
    ASSERT_EQ(actions, std::vector<short>{kActionControllerSizeChanged});
    // A filter that takes an action over keeps the controller from doing it.
    ControllerSetActionFilter(
        controller, [](MovieController, short, void*, std::intptr_t) { return true; }, 1);
    ControllerAction(controller, kActionSetFlags, reinterpret_cast<void*>(std::intptr_t(8)));
    long flags = -1;
    ControllerSetActionFilter(controller, nullptr, 0);
    ControllerAction(controller, kActionGetFlags, &flags);
    EXPECT_EQ(flags, 0);
}
