// Playing recordings end to end on a real display: the real media engine, the browser with the
// built-in map provider and no network, recordings made for each test with the sample tool.
// The page is observed through a recorder of the calls it receives; the expected coordinates
// are worked out from the recordings' GPS logs.

#include "PlayingHarness.h"

#include "map/MapProvider.h"
#include "playback/QuickTime.h"
#include "playback/RealEngine.h"
#include "ui/ControlIds.h"
#include "window/Messages.h"

#include <QFileInfo>
#include <QMimeData>
#include <QtEndian>

#include <QUrl>
#include <QWebEngineProfile>
#include <functional>

namespace {

constexpr int kPlayTimeoutMs = 15000;

// The map page's tiles from a port that refuses at once: without a network the page's load then
// ends as soon as its own files are in, as it does on a machine that is online.
class OfflineTiles : public testing::Environment {
public:
    void SetUp() override
    {
        InstallMapProvider(QWebEngineProfile::defaultProfile(),
                           {QStringLiteral("http://127.0.0.1:9/{z}/{x}/{y}.png"), QStringLiteral("offline"),
                            QStringLiteral("http://127.0.0.1:9/{z}/{x}/{y}.png"), QStringLiteral("offline")});
    }
};
const testing::Environment* const kOfflineTiles = testing::AddGlobalTestEnvironment(new OfflineTiles);

void DoubleClickRow(CColorListCtrl& list, int row)
{
    const QRect r = list.visualItemRect(list.topLevelItem(row));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, r.center());
}

void ClickRow(CColorListCtrl& list, int row)
{
    const QRect r = list.visualItemRect(list.topLevelItem(row));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, r.center());
}

bool RowGrey(const CColorListCtrl& list, int row)
{
    const CMyLParam* colours = list.rowColours(row);
    return colours && colours->cellBackColours[0] == QColor(100, 100, 100);
}

void Drop(CVindrelDlg& dlg, const QStringList& paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& p : paths) {
        urls << QUrl::fromLocalFile(p);
    }
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(600, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&dlg, &enter);
    QDropEvent drop(QPointF(600, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&dlg, &drop);
}

/// Swallows message 1025 while the map page is the page asked for.
class WithholdMapPageLoads : public QObject {
public:
    explicit WithholdMapPageLoads(const CVindrelDlg& dlg) : dlg_(dlg) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        return e->type() == static_cast<QEvent::Type>(WM_MAP_DOCUMENT_COMPLETE) && PageIs(dlg_, "googlearth.html");
    }

private:
    const CVindrelDlg& dlg_;
};

bool Playing(const CVindrelDlg& dlg, const QString& title)
{
    return dlg.recordingLoaded && dlg.fileNameText.text() == title;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// A copy of the recording with the 32-bit value `offset` bytes into the n-th box of a type (the
/// tracks come in file order: video, sound, text) changed by `change`.
QString DamagedCopy(const QString& movie, const QString& name, const char* type, int nth, int offset,
                    const std::function<quint32(quint32)>& change)
{
    QByteArray bytes = ReadAll(movie);
    qsizetype at = -1;
    for (int i = 0; i < nth; ++i) {
        at = bytes.indexOf(type, at + 1);
    }
    EXPECT_GT(at, 4);
    char* field = bytes.data() + at - 4 + offset;
    qToBigEndian(change(qFromBigEndian<quint32>(field)), field);
    const QString copy = QFileInfo(movie).path() + QLatin1Char('/') + name;
    QFile out(copy);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    return copy;
}

}  // namespace

TEST(Playing, OneRecordingOnTheCommandLinePlaysWithRoutePositionsReadoutsAndStopsAtItsEnd)
{
    QTemporaryDir files;
    const QString movie = MakeRecording(files.path(), QStringLiteral("AMBA0001.MOV"), 4, true);
    // The track's sample c is the record read at second c + 1 of the text track, so element k
    // of the route and the readouts of second k come from log line k + 1; three elements.
    const QStringList logLines = LogLines(LogBeside(movie));
    ASSERT_EQ(logLines.size(), 4);
    const QStringList log = logLines.mid(1);

    DialogHarness h({movie});
    CVindrelDlg& dlg = StartRecorded(h);
    ASSERT_TRUE(WaitUntil([&] { return dlg.recordingLoaded; }, kPlayTimeoutMs));
    EXPECT_TRUE(PageIs(dlg, "googlearth.html"));
    EXPECT_EQ(h.networkChecks, 1);
    EXPECT_TRUE(RowGrey(dlg.leftList, 0));
    EXPECT_EQ(dlg.fileNameText.text(), QStringLiteral("AMBA0001"));
    EXPECT_TRUE(dlg.pauseButton.isVisible());
    EXPECT_FALSE(dlg.playButton.isVisible());
    EXPECT_EQ(dlg.progressSlider.rangeMax(), 4);
    EXPECT_EQ(dlg.gpsTrack.size(), 3u);

    // Second 2: the readouts show element 2 of the log.
    ASSERT_TRUE(WaitUntil([&] { return AtSecond(dlg, 2); }, kPlayTimeoutMs));
    const ExpectedPosition p2 = PositionFromLogLine(log[2]);
    EXPECT_EQ(dlg.timeText.text(), QStringLiteral("00:00:02/00:00:04"));
    EXPECT_EQ(dlg.longitudeText.text(), p2.longitudeLabel);
    EXPECT_EQ(dlg.latitudeText.text(), p2.latitudeLabel);
    EXPECT_EQ(dlg.progressSlider.position(), 2);
    EXPECT_TRUE(dlg.gSensorGraph.hasData());
    EXPECT_EQ(dlg.gSensorGraph.currentIndex(), 2);
    EXPECT_GT(dlg.speedMeter.value(), 0);

    // The page got the route once, longitude first, then showPath, setstart and setposition at
    // second 0 and one setposition a second after that.
    const QStringList calls = PageCalls(dlg);
    ASSERT_GE(calls.size(), 1 + 3 + 3 + 2) << calls.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(calls.count(QStringLiteral("clearPath()")), 1);
    EXPECT_EQ(calls[0], QStringLiteral("clearPath()"));
    for (int k = 0; k < 3; ++k) {
        const PageCall c = ParseCall(calls[1 + k]);
        const ExpectedPosition p = PositionFromLogLine(log[k]);
        EXPECT_EQ(c.name, QStringLiteral("appendPathNode"));
        ASSERT_EQ(c.args.size(), 2u);
        EXPECT_NEAR(c.args[0], p.longitude, 1e-6);
        EXPECT_NEAR(c.args[1], p.latitude, 1e-6);
    }
    EXPECT_EQ(calls[4], QStringLiteral("showPath()"));
    const ExpectedPosition p0 = PositionFromLogLine(log[0]);
    for (int i : {5, 6}) {
        const PageCall c = ParseCall(calls[i]);
        EXPECT_EQ(c.name, i == 5 ? QStringLiteral("setstart") : QStringLiteral("setposition"));
        ASSERT_EQ(c.args.size(), 2u);
        EXPECT_NEAR(c.args[0], p0.latitude, 1e-6);
        EXPECT_NEAR(c.args[1], p0.longitude, 1e-6);
    }
    for (int k = 1; 6 + k < calls.size(); ++k) {
        const PageCall c = ParseCall(calls[6 + k]);
        EXPECT_EQ(c.name, QStringLiteral("setposition"));
        ASSERT_EQ(c.args.size(), 2u);
        EXPECT_NEAR(c.args[0], PositionFromLogLine(log[k]).latitude, 1e-6);
    }
    EXPECT_EQ(calls.count(QStringLiteral("showPath()")), 1);

    // The end of the only recording stops: start page, zeros, no file.
    ASSERT_TRUE(WaitUntil([&] { return dlg.stopped; }, kPlayTimeoutMs));
    EXPECT_TRUE(PageIs(dlg, "startup.html"));
    EXPECT_EQ(dlg.timeText.text(), QStringLiteral("00:00:00/00:00:00"));
    EXPECT_EQ(dlg.longitudeText.text(), QStringLiteral("000.000000"));
    EXPECT_EQ(dlg.latitudeText.text(), QStringLiteral("000.000000"));
    EXPECT_TRUE(dlg.fileNameText.text().isEmpty());
    EXPECT_EQ(dlg.currentRecording, -1);
    EXPECT_FALSE(dlg.recordingLoaded);
    // The start page's load after Stop opens nothing.
    QTest::qWait(500);
    EXPECT_FALSE(dlg.recordingLoaded);
}

TEST(Playing, ARecordingWithoutLogShowsItsStatusPageAndStillFollowsTheTrack)
{
    QTemporaryDir files;
    const QString movie = MakeRecording(files.path(), QStringLiteral("AMBA0007.MOV"), 4, false);
    DialogHarness h({movie});
    CVindrelDlg& dlg = StartRecorded(h);
    ASSERT_TRUE(WaitUntil([&] { return dlg.recordingLoaded; }, kPlayTimeoutMs));
    EXPECT_TRUE(PageIs(dlg, "no_gps_file.html"));
    EXPECT_EQ(h.networkChecks, 0);
    // The track was readable: the entry now counts as having GPS data.
    EXPECT_EQ(dlg.recordings[0].gpsStatus, GpsPresent);
    ASSERT_TRUE(WaitUntil([&] { return AtSecond(dlg, 1); }, kPlayTimeoutMs));
    EXPECT_TRUE(dlg.longitudeText.text().startsWith(QStringLiteral("E:113.9")));
    EXPECT_TRUE(dlg.latitudeText.text().startsWith(QStringLiteral("N:22.5")));
    EXPECT_TRUE(dlg.gSensorGraph.hasData());
    EXPECT_TRUE(PageCalls(dlg).isEmpty());  // a status page has no map functions
}

// Recordings without a log whose GPS is kept as another camera family does (the sample tool's
// --gps, plus its options): rated by their fixes, so the map page comes at once, with the route,
// the position and the speed.
namespace {

void PlaysCameraFamilies(const std::vector<QStringList>& families)
{
    for (const QStringList& family : families) {
        SCOPED_TRACE(family.join(QLatin1Char(' ')).toStdString());
        QTemporaryDir files;
        const QString movie = files.path() + QStringLiteral("/FILE0001.MOV");
        const QStringList args = QStringList{QStringLiteral("movie"),     movie,
                                             QStringLiteral("--seconds"), QStringLiteral("4"),
                                             QStringLiteral("--offset"),  QStringLiteral("100"),
                                             QStringLiteral("--size"),    QStringLiteral("160x90"),
                                             QStringLiteral("--fps"),     QStringLiteral("5"),
                                             QStringLiteral("--gps")} +
                                 family;
        QProcess tool;
        tool.start(QStringLiteral(VINDREL_SAMPLE_TOOL), args);
        ASSERT_TRUE(tool.waitForFinished(30000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

        DialogHarness h({movie});
        CVindrelDlg& dlg = StartRecorded(h);
        ASSERT_TRUE(WaitUntil([&] { return dlg.recordingLoaded; }, kPlayTimeoutMs));
        EXPECT_TRUE(PageIs(dlg, "googlearth.html"));
        EXPECT_EQ(dlg.gpsTrack.size(), 4u);
        ASSERT_TRUE(WaitUntil([&] { return AtSecond(dlg, 2); }, kPlayTimeoutMs));
        EXPECT_TRUE(dlg.longitudeText.text().startsWith(QStringLiteral("E:113.9")))
            << dlg.longitudeText.text().toStdString();
        EXPECT_TRUE(dlg.latitudeText.text().startsWith(QStringLiteral("N:22.5")))
            << dlg.latitudeText.text().toStdString();
        EXPECT_GT(dlg.speedMeter.value(), 80);  // 90 km/h at this part of the drive
        const QStringList calls = PageCalls(dlg);
        EXPECT_EQ(calls.count(QStringLiteral("clearPath()")), 1);
        EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                                [](const QString& c) { return c.startsWith(QLatin1String("appendPathNode(")); }),
                  4);
    }
}

}  // namespace

TEST(Playing, NmeaTrackAndNmeaLogRecordingsPlayWithRouteReadoutsAndMeterFromTheFirstOpening)
{
    PlaysCameraFamilies({{QStringLiteral("nmea")}, {QStringLiteral("none"), QStringLiteral("--nmea-log")}});
}

TEST(Playing, NovatekBlackVueAndGpmfRecordingsPlayWithRouteReadoutsAndMeterFromTheFirstOpening)
{
    PlaysCameraFamilies({{QStringLiteral("novatek")}, {QStringLiteral("blackvue")}, {QStringLiteral("gpmf")}});
}

TEST(Playing, WithoutNetworkEveryLaterRecordingShowsNoConnectionWithoutAnotherCheck)
{
    QTemporaryDir files;
    const QString a = MakeRecording(files.path(), QStringLiteral("AMBA0001.MOV"), 5, true);
    const QString b = MakeRecording(files.path(), QStringLiteral("AMBA0002.MOV"), 5, true);
    SetAge(a, 2);
    SetAge(b, 1);
    DialogHarness h({a, b});
    h.networkAnswer = false;
    CVindrelDlg& dlg = StartRecorded(h);
    ASSERT_EQ(dlg.recordings.size(), 2u);
    EXPECT_FALSE(dlg.recordingLoaded);  // two recordings: listed, not opened

    DoubleClickRow(dlg.leftList, 0);
    EXPECT_EQ(h.networkChecks, 3);
    EXPECT_EQ(h.waits, (std::vector<int>{800, 800, 800}));
    EXPECT_FALSE(dlg.networkOk);
    EXPECT_TRUE(PageIs(dlg, "no_connection.html"));
    ASSERT_TRUE(WaitUntil([&] { return Playing(dlg, QStringLiteral("AMBA0001")); }, kPlayTimeoutMs));

    // The next recording: the page is shown already, so it opens at once, with no check.
    h.networkAnswer = true;
    QTest::mouseClick(&dlg.nextButton, Qt::LeftButton);
    EXPECT_EQ(h.networkChecks, 3);
    EXPECT_TRUE(PageIs(dlg, "no_connection.html"));
    EXPECT_TRUE(Playing(dlg, QStringLiteral("AMBA0002")))
        << dlg.recordingLoaded << " " << dlg.fileNameText.text().toStdString();
    EXPECT_EQ(dlg.currentRecording, 1);
    EXPECT_TRUE(RowGrey(dlg.leftList, 1));
    EXPECT_FALSE(RowGrey(dlg.leftList, 0));
    ASSERT_TRUE(WaitUntil([&] { return AtSecond(dlg, 1); }, kPlayTimeoutMs));
    EXPECT_TRUE(dlg.longitudeText.text().startsWith(QStringLiteral("E:")));
}

TEST(Playing, AMapPageThatDoesNotLoadWithinThreeSecondsGivesWayToNoConnection)
{
    QTemporaryDir files;
    const QString movie = MakeRecording(files.path(), QStringLiteral("AMBA0001.MOV"), 5, true);
    DialogHarness h;
    CVindrelDlg& dlg = StartRecorded(h, CVindrelDlg::kMapLoadTimeoutMs);
    ASSERT_TRUE(WaitUntil([&] { return dlg.pageLoaded; }, kPlayTimeoutMs));  // the start page
    // The map page's load reports are withheld, as if the page never finished loading.
    WithholdMapPageLoads withhold(dlg);
    dlg.installEventFilter(&withhold);

    Drop(dlg, {movie});
    EXPECT_TRUE(PageIs(dlg, "googlearth.html"));
    EXPECT_TRUE(dlg.mapLoadTimer.isActive());
    ASSERT_TRUE(WaitUntil([&] { return !dlg.mapLoadOk; }, 4500));
    EXPECT_TRUE(PageIs(dlg, "no_connection.html"));
    EXPECT_FALSE(dlg.recordingLoaded);
    ASSERT_TRUE(WaitUntil([&] { return dlg.recordingLoaded; }, kPlayTimeoutMs));
    EXPECT_FALSE(dlg.mapLoadTimer.isActive());
    EXPECT_TRUE(dlg.networkOk);
    ASSERT_TRUE(WaitUntil([&] { return AtSecond(dlg, 1); }, kPlayTimeoutMs));
    EXPECT_TRUE(dlg.latitudeText.text().startsWith(QStringLiteral("N:")));
}

TEST(Playing, SeekAtTheEndMovesOnAndPreviousNextAndDeleteChooseWhatPlays)
{
    QTemporaryDir files;
    const QString a = MakeRecording(files.path(), QStringLiteral("AMBA0001.MOV"), 6, false);
    const QString b = MakeRecording(files.path(), QStringLiteral("AMBA0002.MOV"), 6, false);
    const QString c = MakeRecording(files.path(), QStringLiteral("AMBA0003.MOV"), 6, false);
    SetAge(a, 3);
    SetAge(b, 2);
    SetAge(c, 1);
    // Dropping two lists them, sorted, without playing.
    DialogHarness h;
    CVindrelDlg& dlg = StartRecorded(h);
    Drop(dlg, {c, a, b});
    ASSERT_EQ(dlg.recordings.size(), 3u);
    EXPECT_FALSE(dlg.recordingLoaded);
    EXPECT_EQ(dlg.currentRecording, -1);

    DoubleClickRow(dlg.leftList, 0);
    ASSERT_TRUE(WaitUntil([&] { return Playing(dlg, QStringLiteral("AMBA0001")); }, kPlayTimeoutMs));
    ASSERT_TRUE(WaitUntil([&] { return AtSecond(dlg, 1); }, kPlayTimeoutMs));

    // A press in the middle seeks there; a press at the right end moves on to the next one.
    const int y = dlg.progressSlider.height() / 2;
    QTest::mouseClick(&dlg.progressSlider, Qt::LeftButton, {}, QPoint(dlg.progressSlider.width() / 2, y));
    const int middle = dlg.progressSlider.position();
    EXPECT_GE(middle, 2);
    EXPECT_LE(middle, 4);
    EXPECT_EQ(dlg.nextSecond, middle + 1);
    QTest::mouseClick(&dlg.progressSlider, Qt::LeftButton, {}, QPoint(dlg.progressSlider.width() - 1, y));
    EXPECT_EQ(dlg.progressSlider.position(), 6);
    ASSERT_TRUE(WaitUntil([&] { return Playing(dlg, QStringLiteral("AMBA0002")); }, kPlayTimeoutMs));
    EXPECT_EQ(dlg.currentRecording, 1);
    EXPECT_EQ(dlg.highlightIndex, 1);
    EXPECT_TRUE(RowGrey(dlg.leftList, 1));
    EXPECT_FALSE(RowGrey(dlg.leftList, 0));

    // Previous, then next.
    QTest::mouseClick(&dlg.prevButton, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return Playing(dlg, QStringLiteral("AMBA0001")); }, kPlayTimeoutMs));
    QTest::mouseClick(&dlg.prevButton, Qt::LeftButton);  // nothing before the first
    EXPECT_EQ(dlg.currentRecording, 0);
    QTest::mouseClick(&dlg.nextButton, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return Playing(dlg, QStringLiteral("AMBA0002")); }, kPlayTimeoutMs));

    // Deleting the playing entry plays the one that moves into its place; the file stays.
    ClickRow(dlg.leftList, 1);
    QTest::mouseClick(&dlg.deleteButton, Qt::LeftButton);
    ASSERT_EQ(dlg.recordings.size(), 2u);
    ASSERT_TRUE(WaitUntil([&] { return Playing(dlg, QStringLiteral("AMBA0003")); }, kPlayTimeoutMs));
    EXPECT_TRUE(QFile::exists(b));

    // Pause and Play.
    QTest::mouseClick(&dlg.pauseButton, Qt::LeftButton);
    EXPECT_TRUE(dlg.playButton.isVisible());
    QTest::mouseClick(&dlg.playButton, Qt::LeftButton);
    EXPECT_TRUE(dlg.pauseButton.isVisible());
}

TEST(Playing, APathWithABlankOnTheCommandLinePlaysAndOneDroppedFilePlays)
{
    QTemporaryDir files;
    QDir(files.path()).mkpath(QStringLiteral("my drive"));
    const QString movie =
        MakeRecording(files.path() + QStringLiteral("/my drive"), QStringLiteral("AMBA0001.MOV"), 4, true);
    DialogHarness h({QStringLiteral("--unused"), movie});
    CVindrelDlg& dlg = StartRecorded(h);
    ASSERT_EQ(dlg.recordings.size(), 1u);
    ASSERT_TRUE(WaitUntil([&] { return Playing(dlg, QStringLiteral("AMBA0001")); }, kPlayTimeoutMs));
    EXPECT_TRUE(PageIs(dlg, "googlearth.html"));

    const QString other = MakeRecording(files.path(), QStringLiteral("AMBA0009.MOV"), 4, false);
    Drop(dlg, {other});
    ASSERT_TRUE(WaitUntil([&] { return Playing(dlg, QStringLiteral("AMBA0009")); }, kPlayTimeoutMs));
    EXPECT_TRUE(PageIs(dlg, "googlearth.html"));  // a dropped file is taken to have GPS data
    EXPECT_TRUE(RowGrey(dlg.leftList, 0));
}

TEST(Playing, ARecordingCutOffBeforeItsIndexIsSaidAndStopsTheListAfterThreeSeconds)
{
    QTemporaryDir files;
    const QString whole = MakeRecording(files.path(), QStringLiteral("AMBA0001.MOV"), 4, true);
    // The state a power loss leaves: the movie box (written last) never there, the file ending
    // inside 'mdat'.
    const QByteArray bytes = ReadAll(whole);
    const QString cut = files.filePath(QStringLiteral("AMBA0002.MOV"));
    {
        QFile out(cut);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes.left(bytes.size() / 2));
    }
    QFile::copy(LogBeside(whole), LogBeside(cut));
    SetAge(whole, 2);
    SetAge(cut, 1);
    const QByteArray cutBefore = ReadAll(cut);

    DialogHarness h({whole, cut});
    CVindrelDlg& dlg = StartRecorded(h);
    DoubleClickRow(dlg.leftList, 0);
    ASSERT_TRUE(WaitUntil([&] { return Playing(dlg, QStringLiteral("AMBA0001")); }, kPlayTimeoutMs));
    // A movie opens at the volume the slider shows (30 of 100).
    auto* engine = dynamic_cast<RealEngine*>(&CurrentEngine());
    ASSERT_NE(engine, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return engine->Stats(dlg.videoView->movieWrapper->movie).volume == 30; }, 5000))
        << engine->Stats(dlg.videoView->movieWrapper->movie).volume;

    QTest::mouseClick(&dlg.nextButton, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return dlg.unplayableNotice.isVisible(); }, kPlayTimeoutMs));
    EXPECT_EQ(dlg.unplayableNotice.text(),
              QStringLiteral("无法播放此录像。\n\n文件在索引之前就结束了，这通常是摄像机在录像时断电造成的。"));
    EXPECT_TRUE(PageIs(dlg, "no_gps_file.html"));
    EXPECT_EQ(dlg.longitudeText.text(), QStringLiteral("000.000000"));
    EXPECT_FALSE(dlg.gSensorGraph.hasData());
    EXPECT_EQ(dlg.fileNameText.text(), QStringLiteral("AMBA0002"));

    // The last recording: after the notice the list stops, as at the end of the last movie.
    ASSERT_TRUE(WaitUntil([&] { return dlg.stopped; }, 6000));
    EXPECT_FALSE(dlg.unplayableNotice.isVisible());
    EXPECT_EQ(dlg.currentRecording, -1);
    EXPECT_TRUE(PageIs(dlg, "startup.html"));
    EXPECT_EQ(dlg.timeText.text(), QStringLiteral("00:00:00/00:00:00"));
    EXPECT_EQ(ReadAll(cut), cutBefore);  // nothing on disk changed
    EXPECT_EQ(dlg.recordings.size(), 2u);
}

TEST(Playing, ADamagedGpsOrSoundTrackIsLeftOutAndTheVideoPlays)
{
    QTemporaryDir files;
    const QString movie = MakeRecording(files.path(), QStringLiteral("AMBA0001.MOV"), 3, false);
    // The GPS track's media time scale 0; the sound track's chunk offset box declared four bytes
    // short, so that the reader meets the rest of it as a box of nonsense size (damage that mpv
    // reads past, so the movie itself still plays).
    const QString noGps = DamagedCopy(movie, QStringLiteral("AMBA0002.MOV"), "mdhd", 3, 20, [](quint32) { return 0u; });
    const QString noSound =
        DamagedCopy(movie, QStringLiteral("AMBA0003.MOV"), "stco", 2, 0, [](quint32 size) { return size - 4; });
    struct Case {
        QString path;
        bool gps;
    };
    for (const Case& c : {Case{noGps, false}, Case{noSound, true}}) {
        SCOPED_TRACE(c.path.toStdString());
        DialogHarness h({c.path});
        CVindrelDlg& dlg = StartRecorded(h);
        ASSERT_TRUE(WaitUntil([&] { return dlg.recordingLoaded; }, kPlayTimeoutMs));
        EXPECT_FALSE(dlg.unplayableNotice.isVisible());
        ASSERT_NE(dlg.videoView->movieWrapper->movie, nullptr);
        EXPECT_EQ(dlg.textTrackData.valid, c.gps);
        EXPECT_EQ(dlg.gpsTrack.empty(), !c.gps);
        ASSERT_TRUE(WaitUntil([&] { return AtSecond(dlg, 1); }, kPlayTimeoutMs));
        EXPECT_EQ(dlg.longitudeText.text().startsWith(QStringLiteral("E:")), c.gps);
    }
}
