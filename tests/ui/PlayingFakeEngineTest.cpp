// The periodic update and playback control on the scripted engine, whose clock moves only when
// the test moves it: the readouts of each second, the units, the time text, seeking, volume,
// the move on at the end of a movie, and a movie whose time scale is 0.

#include "PlayingHarness.h"

#include "playback/QuickTime.h"
#include "tests/support/FakeEngine.h"
#include "ui/ControlIds.h"
#include "window/Messages.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace {

// Records typed by hand: NE and SW positions with their expected texts worked out by hand
// (2235.0897 -> 22 + 35.0897 / 60 = 22.584828; 11355.3174 -> 113.921957). Field 7 is 186.0,
// which the meter shows as 186 / 1.852 = 100 km/h.
const char* const kNorthEast = "A,083000,140326,2235.0897,N,11355.3174,E,186.0,0.01,-0.02,0.98;";
const char* const kSouthWest = "A,083001,140326,3330.0000,S,07030.0000,W,186.0,0.02,-0.01,0.97;";

struct FakeDialog {
    QTemporaryDir files;
    FakeEngine* engine = nullptr;  // owned by the dispatcher while installed
    std::unique_ptr<EngineBackend> previous;
    DialogHarness h;

    FakeDialog()
    {
        h.services.startMediaEngine = [this] {
            auto fake = std::make_unique<FakeEngine>();
            engine = fake.get();
            previous = InstallEngine(std::move(fake));
            return true;
        };
    }
    ~FakeDialog()
    {
        h.dlg.reset();
        if (engine) {
            InstallEngine(std::move(previous));
        }
    }

    /// A file for the list (its time orders it) registered with the engine; with a log beside it
    /// the recording counts as having GPS data.
    QString AddMovie(const QString& name, FakeEngine::MovieScript script, bool withLog, int minutesAgo)
    {
        const QString path = files.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("movie");
        f.flush();
        f.setFileTime(QDateTime::currentDateTime().addSecs(-60 * minutesAgo), QFileDevice::FileModificationTime);
        if (withLog) {
            QFile log(LogBeside(path));
            EXPECT_TRUE(log.open(QIODevice::WriteOnly));
            log.write("A,1;\n");
        }
        pending.emplace_back(QFile::encodeName(path).toStdString(), std::move(script));
        return path;
    }

    CVindrelDlg& Start(const QStringList& commandLine)
    {
        h.services.commandLine = commandLine;
        h.dlg = std::make_unique<CVindrelDlg>(h.services);
        h.dlg->show();
        for (auto& [path, script] : pending) {
            engine->AddMovie(path, script);
        }
        EXPECT_TRUE(QTest::qWaitForWindowExposed(h.dlg.get()));
        return *h.dlg;
    }

    /// Moves the clock and lets the video view's messages run the update.
    void Advance(int milliseconds)
    {
        engine->AdvanceClock(milliseconds);
        h.dlg->PeriodicUpdate();
        QCoreApplication::processEvents();
    }

    std::vector<std::pair<std::string, FakeEngine::MovieScript>> pending;
};

/// A movie with a GPS text track. Sample c is read at the start of second c + 1, so element k
/// of the track comes from sample k + 1: a first sample is put in front that is never read.
FakeEngine::MovieScript WithTrack(TimeScale scale, TimeValue duration, const std::vector<std::string>& records)
{
    FakeEngine::MovieScript s = FakeEngine::Script(scale, duration);
    s.textSamples.push_back(FakeEngine::TextPayload("V,unread;"));
    for (const std::string& r : records) {
        s.textSamples.push_back(FakeEngine::TextPayload(r));
    }
    return s;
}

}  // namespace

TEST(PlayingFake, EachSecondShowsItsLabelsMeterGraphSliderAndTime)
{
    FakeDialog f;
    const QString movie =
        f.AddMovie(QStringLiteral("A.MOV"), WithTrack(600, 3 * 600, {kNorthEast, kSouthWest, kNorthEast}), true, 1);
    CVindrelDlg& dlg = f.Start({movie});
    ASSERT_TRUE(WaitUntil([&] { return dlg.recordingLoaded; }, 10000));
    EXPECT_EQ(dlg.timeText.text(), QStringLiteral("00:00:00/00:00:03"));

    // Second 0, shown while the clock stands at 0.
    ASSERT_TRUE(WaitUntil([&] { return dlg.nextSecond == 1; }));
    EXPECT_EQ(dlg.longitudeText.text(), QStringLiteral("E:113.921957"));
    EXPECT_EQ(dlg.latitudeText.text(), QStringLiteral("N:22.584828"));
    EXPECT_EQ(dlg.speedMeter.value(), 100);
    EXPECT_TRUE(dlg.gSensorGraph.hasData());
    EXPECT_EQ(dlg.gSensorGraph.currentIndex(), 0);

    // Second 1 in miles an hour: the minus signs give way to the letters; 100 km/h is 62 m/h.
    dlg.unitCombo.setCurrentIndex(1);
    f.Advance(1000);
    EXPECT_EQ(dlg.timeText.text(), QStringLiteral("00:00:01/00:00:03"));
    EXPECT_EQ(dlg.longitudeText.text(), QStringLiteral("W:70.500000"));
    EXPECT_EQ(dlg.latitudeText.text(), QStringLiteral("S:33.500000"));
    EXPECT_EQ(dlg.speedMeter.value(), 62);
    EXPECT_EQ(dlg.gSensorGraph.currentIndex(), 1);
    EXPECT_EQ(dlg.progressSlider.position(), 1);

    // Within the same second nothing changes; the next second follows.
    dlg.longitudeText.setText(QStringLiteral("marker"));
    f.Advance(400);
    EXPECT_EQ(dlg.longitudeText.text(), QStringLiteral("marker"));
    f.Advance(600);
    EXPECT_EQ(dlg.longitudeText.text(), QStringLiteral("E:113.921957"));

    // Second 3 lies past the track: slider and time only. Then the only recording stops.
    f.Advance(1000);
    f.Advance(10);
    EXPECT_EQ(dlg.timeText.text(), QStringLiteral("00:00:00/00:00:00"));
    EXPECT_TRUE(dlg.stopped);
    EXPECT_EQ(dlg.currentRecording, -1);
    EXPECT_EQ(f.engine->CountCalls("MovieToEnd"), 1);
}

TEST(PlayingFake, LongDurationTimeTextSeekAndVolume)
{
    FakeDialog f;
    const QString movie = f.AddMovie(QStringLiteral("A.MOV"), FakeEngine::Script(600, 3725 * 600), false, 1);
    CVindrelDlg& dlg = f.Start({movie});
    ASSERT_TRUE(WaitUntil([&] { return dlg.recordingLoaded; }, 10000));
    EXPECT_EQ(dlg.timeText.text(), QStringLiteral("00:00:00/01:02:05"));
    EXPECT_EQ(dlg.progressSlider.rangeMax(), 3725);
    for (int k = 1; k <= 59; ++k) {
        f.Advance(1000);
    }
    EXPECT_EQ(dlg.timeText.text(), QStringLiteral("00:00:59/01:02:05"));
    EXPECT_EQ(dlg.longitudeText.text(), QStringLiteral("000.000000"));  // no track, no labels

    // A press on the progress slider seeks to its position in the movie's units.
    const Movie m = dlg.videoView->movieWrapper->movie;
    dlg.progressSlider.SetPosition(3600);
    WindowMessage press(WM_PROGRESS_PRESSED, 0, 0);
    QCoreApplication::sendEvent(&dlg, &press);
    EXPECT_EQ(press.result, 1);
    EXPECT_EQ(f.engine->Info(m).time, 3600 * 600);
    EXPECT_EQ(dlg.nextSecond, 3601);

    // Volume: a press gives the slider's position times ten; dragging the volume slider too,
    // dragging the progress slider does nothing.
    WindowMessage volume(WM_VOLUME_PRESSED, 0, 0);
    QCoreApplication::sendEvent(&dlg, &volume);
    EXPECT_EQ(f.engine->Info(m).volume, 300);
    WindowMessage drag(WM_SLIDER_TRACK, kVolumeSliderId, 55);
    QCoreApplication::sendEvent(&dlg, &drag);
    EXPECT_EQ(f.engine->Info(m).volume, 550);
    WindowMessage dragProgress(WM_SLIDER_TRACK, kProgressSliderId, 10);
    QCoreApplication::sendEvent(&dlg, &dragProgress);
    EXPECT_EQ(f.engine->Info(m).volume, 550);
    EXPECT_EQ(f.engine->Info(m).time, 3600 * 600);
}

TEST(PlayingFake, TheEndOfAMovieOpensTheNextAndPlayPauseDoNothingAfterStop)
{
    FakeDialog f;
    const QString a = f.AddMovie(QStringLiteral("A.MOV"), WithTrack(1000, 2000, {kNorthEast, kNorthEast}), false, 2);
    const QString b = f.AddMovie(QStringLiteral("B.MOV"), WithTrack(1000, 2000, {kSouthWest, kSouthWest}), false, 1);
    CVindrelDlg& dlg = f.Start({b, a});
    ASSERT_EQ(dlg.recordings.size(), 2u);
    dlg.OnListDoubleClick(ListSide::Left, 0);
    ASSERT_TRUE(WaitUntil([&] { return dlg.recordingLoaded; }, 10000));
    EXPECT_TRUE(PageIs(dlg, "no_gps_file.html"));
    EXPECT_EQ(dlg.fileNameText.text(), QStringLiteral("A"));

    f.Advance(1000);
    f.Advance(1000);  // second 2, the last one
    f.Advance(100);
    // The status page is shown already: the next recording opened at once.
    EXPECT_EQ(dlg.currentRecording, 1);
    EXPECT_EQ(dlg.highlightIndex, 1);
    EXPECT_EQ(dlg.fileNameText.text(), QStringLiteral("B"));
    EXPECT_FALSE(dlg.advancing);
    ASSERT_TRUE(WaitUntil([&] { return dlg.nextSecond == 1; }));
    EXPECT_EQ(dlg.longitudeText.text(), QStringLiteral("W:70.500000"));

    f.Advance(1000);
    f.Advance(1000);
    f.Advance(100);
    EXPECT_TRUE(dlg.stopped);
    EXPECT_TRUE(PageIs(dlg, "startup.html"));
    const std::size_t before = f.engine->calls.size();
    dlg.Play();
    dlg.Pause();
    EXPECT_EQ(f.engine->calls.size(), before);
    EXPECT_TRUE(dlg.pauseButton.isHidden() != dlg.playButton.isHidden());
}

TEST(PlayingFake, AMovieWithTimeScaleZeroShowsNoSecondsAndNeverDividesByZero)
{
    FakeDialog f;
    const QString movie = f.AddMovie(QStringLiteral("A.MOV"), FakeEngine::Script(0, 5000), false, 1);
    CVindrelDlg& dlg = f.Start({movie});
    ASSERT_TRUE(WaitUntil([&] { return dlg.recordingLoaded; }, 10000));
    EXPECT_EQ(dlg.videoView->durationSeconds, 0);
    EXPECT_EQ(dlg.timeText.text(), QStringLiteral("00:00:00/00:00:00"));
    f.Advance(2000);
    EXPECT_EQ(dlg.nextSecond, 0);
    EXPECT_TRUE(dlg.recordingLoaded);
}

TEST(PlayingFake, AMovieTheEngineCannotPlayIsSaidAndTheListGoesOnAfterThreeSeconds)
{
    FakeDialog f;
    FakeEngine::MovieScript broken = WithTrack(600, 3 * 600, {kNorthEast});
    broken.openError = -2010;
    broken.openErrorText = "Failed to recognize file format.";
    const QString a = f.AddMovie(QStringLiteral("A.MOV"), broken, true, 2);
    const QString b = f.AddMovie(QStringLiteral("B.MOV"), WithTrack(600, 3 * 600, {kNorthEast, kNorthEast}), true, 1);
    CVindrelDlg& dlg = f.Start({a, b});
    dlg.OnListDoubleClick(ListSide::Left, 0);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(WaitUntil([&] { return dlg.unplayableNotice.isVisible(); }, 10000));
    const qint64 shownAt = clock.elapsed();

    // Said in the UI language (Simplified Chinese) with the engine's own reason, over the video;
    // the map side as for a recording without GPS.
    EXPECT_EQ(dlg.unplayableNotice.text(), QStringLiteral("无法播放此录像。\n\nFailed to recognize file format."));
    EXPECT_EQ(dlg.unplayableNotice.geometry(), dlg.videoView->geometry());
    EXPECT_TRUE(PageIs(dlg, "no_gps_file.html"));
    EXPECT_TRUE(dlg.playButton.isVisible());

    // The status page's own load opens nothing; then the next recording, as at a movie's end.
    ASSERT_TRUE(WaitUntil(
        [&] {
            return dlg.currentRecording == 1 && dlg.recordingLoaded && dlg.fileNameText.text() == QStringLiteral("B");
        },
        10000));
    EXPECT_GE(clock.elapsed() - shownAt, 2900);
    EXPECT_FALSE(dlg.unplayableNotice.isVisible());
    // The next recording opens at the volume the slider shows.
    EXPECT_EQ(f.engine->Info(dlg.videoView->movieWrapper->movie).volume, 300);
}
