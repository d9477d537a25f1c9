// Trips and events in the window, end to end: two recordings of one drive (the first with the
// drive's hard brake at drive seconds 40 to 43), the real engine and the built-in map.

#include "PlayingHarness.h"

#include "ui/TripView.h"

#include <QMimeData>
#include <QUrl>

namespace {

constexpr int kTimeoutMs = 15000;

bool Playing(const CVindrelDlg& dlg, const char* title)
{
    return dlg.recordingLoaded && dlg.fileNameText.text() == QLatin1String(title);
}

int Second(const CVindrelDlg& dlg)
{
    return dlg.timeText.text().left(8).split(QLatin1Char(':')).value(2).toInt() +
           60 * dlg.timeText.text().left(8).split(QLatin1Char(':')).value(1).toInt();
}

QVariant PageValue(CVindrelDlg& dlg, const QString& expression)
{
    QVariant value;
    bool done = false;
    dlg.mapView.page()->runJavaScript(expression, [&](const QVariant& v) {
        value = v;
        done = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return done; }));
    return value;
}

}  // namespace

TEST(Trips, EventTicksAndKeysAndAClickOnTheTripLineOpenTheOtherRecordingAtThatSecond)
{
    QTemporaryDir files;
    // Drive seconds 30 to 49 and 50 to 69: one after the other in time and place.
    const QString a = MakeRecording(files.path(), QStringLiteral("AMBA0001.MOV"), 20, true, 30);
    const QString b = MakeRecording(files.path(), QStringLiteral("AMBA0002.MOV"), 20, true, 50);
    SetAge(a, 3);
    {
        QFile f(b);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QFileInfo(a).lastModified().addSecs(20), QFileDevice::FileModificationTime));
    }
    const QStringList logB = LogLines(LogBeside(b));

    DialogHarness h({a, b});
    CVindrelDlg& dlg = StartRecorded(h);
    ASSERT_EQ(dlg.recordings.size(), 2u);
    ASSERT_TRUE(WaitUntil([&] { return dlg.tripView->Scanner().Result() != nullptr; }, kTimeoutMs));
    EXPECT_TRUE(dlg.leftList.rowMarked(0));
    EXPECT_FALSE(dlg.leftList.rowMarked(1));

    dlg.RecordingListModel().PlayIndex(0);
    ASSERT_TRUE(WaitUntil([&] { return Playing(dlg, "AMBA0001") && dlg.nextSecond > 0; }, kTimeoutMs));
    // The brake: one tick, within local seconds 9 to 14 (drive seconds 40 to 43, give or take
    // the second over which the change is spread).
    ASSERT_EQ(dlg.progressSlider.marks().size(), 1u);
    const auto [first, last] = dlg.progressSlider.marks()[0];
    EXPECT_GE(first, 9);
    EXPECT_LE(last, 14);
    // Both recordings' fixes make the trip line: 19 elements each (record c is read at second c + 1).
    ASSERT_TRUE(
        WaitUntil([&] { return PageValue(dlg, QStringLiteral("tripCoordinates.length")).toInt() == 38; }, kTimeoutMs));

    // A click on the route at second 5 (the first recording's log line 6) seeks there.
    const QStringList logA = LogLines(LogBeside(a));
    ASSERT_TRUE(WaitUntil([&] { return PageValue(dlg, QStringLiteral("transedCoordinates.length")).toInt() == 19; },
                          kTimeoutMs));
    // Paused, so that only the seek moves the time.
    QTest::mouseClick(&dlg.pauseButton, Qt::LeftButton);
    const ExpectedPosition onRoute = PositionFromLogLine(logA[6]);
    PageValue(dlg, QStringLiteral("map.setZoom(18); mapClicked(%1, %2); 1")
                       .arg(onRoute.longitude, 0, 'f', 6)
                       .arg(onRoute.latitude, 0, 'f', 6));
    // A seek to p shows p + 1 next (when playback gets there).
    ASSERT_TRUE(WaitUntil([&] { return dlg.nextSecond == 6; }));
    EXPECT_EQ(dlg.progressSlider.position(), 5);
    EXPECT_EQ(dlg.currentRecording, 0);

    // E: 3 s before the brake. Keys reach the window's shortcuts while it is the active one.
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    QTest::keyClick(&dlg, Qt::Key_E);
    EXPECT_EQ(dlg.progressSlider.position(), first - 3);
    EXPECT_EQ(dlg.nextSecond, first - 2);

    // A click on the trip line at the second recording's second 18 (its log's line 19).
    const ExpectedPosition at = PositionFromLogLine(logB[19]);
    PageValue(dlg, QStringLiteral("map.setZoom(18); mapClicked(%1, %2); 1")
                       .arg(at.longitude, 0, 'f', 6)
                       .arg(at.latitude, 0, 'f', 6));
    ASSERT_TRUE(WaitUntil([&] { return Playing(dlg, "AMBA0002") && Second(dlg) > 0; }, kTimeoutMs));
    EXPECT_EQ(dlg.currentRecording, 1);
    EXPECT_GE(Second(dlg), 18);
    EXPECT_LE(Second(dlg), 20);

    // Shift+E: no event before in this recording, so back to the first recording's brake.
    QTest::keyClick(&dlg, Qt::Key_E, Qt::ShiftModifier);
    ASSERT_TRUE(WaitUntil([&] { return Playing(dlg, "AMBA0001") && Second(dlg) > 0; }, kTimeoutMs));
    EXPECT_GE(Second(dlg), first - 3);
    EXPECT_LE(Second(dlg), first - 1);
}
