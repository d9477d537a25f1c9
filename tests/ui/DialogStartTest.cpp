// The player window as it opens: its place and size, every control in its start place, what is
// hidden, the start page, the list columns, texts, pictures, fonts and colours, the order of the
// start-up, the command line, and the ways the window ends. Expected values are typed from the
// window's start table or worked out by hand.

#include "DialogHarness.h"

#include "controls/Skin.h"
#include "shell/AboutDlg.h"
#include "ui/ControlIds.h"
#include "window/Messages.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QUrl>

namespace {

struct Place {
    int id;
    int x, y, w, h;
};

// Step 11 of the initialisation, typed from its table.
const std::vector<Place> kStartPlaces{
    {kMinimizeButtonId, 1094, 2, 20, 20},   {kLeftListId, 3, 518, 360, 154},
    {kMaximizeButtonId, 1116, 2, 20, 20},   {kRightListId, 363, 518, 360, 154},
    {kCloseButtonId, 1138, 2, 20, 20},      {kTimeTextId, 600, 453, 110, 26},
    {kScreenshotButtonId, 15, 478, 32, 32}, {kProgressSliderId, 5, 458, 590, 15},
    {kFolderButtonId, 190, 478, 32, 32},    {kGSensorPlusButtonId, 929, 523, 20, 18},
    {kPrevPageButtonId, 240, 478, 32, 32},  {kGSensorMinusButtonId, 929, 543, 20, 18},
    {kPrevButtonId, 290, 478, 32, 32},      {kSpeedMeterId, 724, 556, 189, 117},
    {kPlayButtonId, 343, 473, 40, 40},      {kUnitComboId, 789, 521, 60, 40},
    {kPauseButtonId, 343, 473, 40, 40},     {kGSensorGraphId, 945, 518, 205, 150},
    {kNextButtonId, 400, 478, 32, 32},      {kTitleBarId, 0, 0, 1160, 45},
    {kNextPageButtonId, 450, 478, 32, 32},  {kVideoViewId, 5, 45, 720, 405},
    {kDeleteButtonId, 500, 478, 32, 32},    {kMapViewId, 725, 45, 430, 405},
    {kFileNameTextId, 50, 491, 130, 26},    {kCoordCaptionId, 725, 450, 430, 38},
    {kVolumeSliderId, 623, 490, 85, 15},    {kLongitudeTextId, 760, 492, 90, 20},
    {kVolumeIconId, 598, 485, 25, 25},      {kLatitudeTextId, 985, 492, 90, 20},
    {kOpenButtonId, 10, 486, 32, 32},
};

void ExpectPlaces(const CVindrelDlg& dlg, const std::vector<Place>& places)
{
    for (const Place& p : places) {
        const QWidget* w = dlg.ControlById(p.id);
        ASSERT_NE(w, nullptr) << "control " << p.id;
        if (p.id == kUnitComboId) {
            // Its height is given with the list dropped down; closed it is one line high.
            EXPECT_EQ(Rect(w->geometry()), Rect(p.x, p.y, p.w, w->height()));
            EXPECT_GT(w->height(), 15);
            EXPECT_LE(w->height(), p.h);
            continue;
        }
        EXPECT_EQ(Rect(w->geometry()), Rect(p.x, p.y, p.w, p.h)) << "control " << p.id;
    }
}

QString TempFile(const QTemporaryDir& dir, const QString& name, const QDateTime& time)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a movie");
    f.flush();  // written before the time is set, so closing does not change it
    EXPECT_TRUE(f.setFileTime(time, QFileDevice::FileModificationTime));
    return path;
}

}  // namespace

TEST(DialogStart, WindowIsCentredFramelessAndEveryControlInItsStartPlace)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    ASSERT_TRUE(dlg.Initialized());

    EXPECT_TRUE(dlg.windowFlags() & Qt::FramelessWindowHint);
    const QRect work = dlg.screen()->availableGeometry();
    EXPECT_EQ(Rect(dlg.geometry()),
              Rect(work.x() + (work.width() - 1160) / 2, work.y() + (work.height() - 678) / 2, 1160, 678));
    ExpectPlaces(dlg, kStartPlaces);
    EXPECT_EQ(dlg.videoRect, (WinRect{5, 0, 725, 405}));
    EXPECT_EQ(dlg.videoWidth, 720);
    EXPECT_EQ(dlg.videoHeight, 405);
    EXPECT_EQ(dlg.lastClientWidth, 1160);
    EXPECT_EQ(dlg.lastClientHeight, 678);
    EXPECT_FALSE(dlg.layoutSuspended);

    // Controls are found by ID and by their object name.
    for (const Place& p : kStartPlaces) {
        EXPECT_EQ(dlg.findChild<QWidget*>(QString::number(p.id)), dlg.ControlById(p.id)) << p.id;
    }
}

TEST(DialogStart, OnlyThePlayButtonOfTheTransportIsVisible)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    for (int id : {kPauseButtonId, kStopButtonId, kRewindButtonId, kFastForwardButtonId, kOpenButtonId}) {
        EXPECT_FALSE(dlg.ControlById(id)->isVisible()) << id;
    }
    for (int id : {kPlayButtonId, kPrevButtonId, kNextButtonId, kFolderButtonId, kScreenshotButtonId, kPrevPageButtonId,
                   kNextPageButtonId, kDeleteButtonId, kMinimizeButtonId, kMaximizeButtonId, kCloseButtonId,
                   kGSensorPlusButtonId, kGSensorMinusButtonId, kVideoViewId, kMapViewId}) {
        EXPECT_TRUE(dlg.ControlById(id)->isVisible()) << id;
    }
}

TEST(DialogStart, MapViewLoadsTheStartPageAndItsMessagesReachTheDialog)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    const QString startPage = QDir(h.dir.path()).filePath(QStringLiteral("URL/startup.html"));
    EXPECT_EQ(dlg.currentPageUrl, startPage);
    EXPECT_EQ(h.pageWrites, 1);
    for (const char* file :
         {"startup.html", "no_gps_info.html", "no_gps_file.html", "no_connection.html", "googlearth.html", "gps.jpg"}) {
        EXPECT_TRUE(QFile::exists(QDir(h.dir.path()).filePath(QStringLiteral("URL/") + QLatin1String(file)))) << file;
    }
    // The page-loaded message silences the browser.
    EXPECT_TRUE(WaitUntil([&] { return dlg.mapView.IsSilent(); }, 20000));
    EXPECT_EQ(dlg.mapView.url(), QUrl::fromLocalFile(startPage));

    // The other map messages are answered with 1; a message the dialog does not handle with 0.
    for (int message : {WM_MAP_NAVIGATE_COMPLETE, WM_MAP_BEFORE_NAVIGATE, WM_MAP_DOWNLOAD_DONE, WM_PROGRESS_PRESSED,
                        WM_VOLUME_PRESSED}) {
        WindowMessage m(message);
        QCoreApplication::sendEvent(&dlg, &m);
        EXPECT_EQ(m.result, 1) << message;
    }
    WindowMessage changed(WM_SLIDER_CHANGED, kVolumeSliderId, 50);
    QCoreApplication::sendEvent(&dlg, &changed);
    EXPECT_EQ(changed.result, 0);
}

TEST(DialogStart, ListColumnsStartAtTheirPercentagesAndBecomeEqualWhenTheWidthChanges)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    // (360 - 20) x 50, 35 and 20 per cent.
    for (CColorListCtrl* list : {&dlg.leftList, &dlg.rightList}) {
        ASSERT_EQ(list->QTreeWidget::columnCount(), 3);
        EXPECT_EQ(list->columnWidth(0), 170);
        EXPECT_EQ(list->columnWidth(1), 119);
        EXPECT_EQ(list->columnWidth(2), 68);
        EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("文件名称"));
        EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("日期"));
        EXPECT_EQ(list->headerItem()->text(2), QStringLiteral("时间"));
    }
    EXPECT_EQ(dlg.leftList.selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(dlg.rightList.selectionMode(), QAbstractItemView::SingleSelection);

    // A size change of the height alone keeps them; one of the width makes them (cx - 440) / 6 - 1.
    dlg.resize(1160, 700);
    ASSERT_TRUE(WaitUntil([&] { return dlg.lastClientHeight == 700; }));
    EXPECT_EQ(dlg.leftList.columnWidth(0), 170);
    dlg.resize(1280, 700);
    ASSERT_TRUE(WaitUntil([&] { return dlg.lastClientWidth == 1280; }));
    for (CColorListCtrl* list : {&dlg.leftList, &dlg.rightList}) {
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(list->columnWidth(column), 139) << column;
        }
    }
}

TEST(DialogStart, TextsPicturesFontsAndColours)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    EXPECT_EQ(dlg.language, 1);

    // Tooltips in Simplified Chinese.
    const std::vector<std::pair<int, QString>> tooltips{
        {kScreenshotButtonId, QStringLiteral("拍照")},     {kFolderButtonId, QStringLiteral("打开文件夹")},
        {kPrevPageButtonId, QStringLiteral("上一页列表")}, {kPrevButtonId, QStringLiteral("上一集")},
        {kRewindButtonId, QStringLiteral("倒放")},         {kPlayButtonId, QStringLiteral("播放")},
        {kPauseButtonId, QStringLiteral("暂停")},          {kFastForwardButtonId, QStringLiteral("快进")},
        {kNextButtonId, QStringLiteral("下一集")},         {kNextPageButtonId, QStringLiteral("下一页列表")},
        {kDeleteButtonId, QStringLiteral("删除文件")},
    };
    for (const auto& [id, text] : tooltips) {
        EXPECT_EQ(static_cast<CMyButton*>(dlg.ControlById(id))->tooltipText(), text) << id;
    }

    EXPECT_EQ(dlg.longitudeText.text(), QStringLiteral("000.000000"));
    EXPECT_EQ(dlg.latitudeText.text(), QStringLiteral("000.000000"));
    EXPECT_EQ(dlg.timeText.text(), QStringLiteral("00:00:00/00:00:00"));
    EXPECT_TRUE(dlg.fileNameText.text().isEmpty());
    EXPECT_EQ(dlg.unitCombo.count(), 2);
    EXPECT_EQ(dlg.unitCombo.itemText(0), QStringLiteral("km/h"));
    EXPECT_EQ(dlg.unitCombo.itemText(1), QStringLiteral("m/h"));
    EXPECT_EQ(dlg.unitCombo.currentIndex(), 0);

    // Pictures: the coordinate caption is picture 232 at 430 x 38, the title strip 140 at 1160 x 45.
    EXPECT_EQ(dlg.coordCaption.pixmap().toImage(), LoadSkinImage(232, QSize(430, 38)));
    EXPECT_EQ(dlg.titleBar.pixmap().size(), QSize(1160, 45));
    EXPECT_EQ(dlg.volumeIcon.pixmap().size(), QSize(25, 25));
    EXPECT_EQ(dlg.gSensorGraph.pixmap().size(), QSize(205, 150));
    EXPECT_FALSE(dlg.windowIcon().isNull());

    // Sliders and meter.
    EXPECT_EQ(dlg.volumeSlider.position(), 30);
    EXPECT_EQ(dlg.volumeSlider.rangeMax(), 100);
    EXPECT_EQ(dlg.progressSlider.position(), 0);
    EXPECT_TRUE(dlg.progressSlider.isProgressBar());
    EXPECT_FALSE(dlg.volumeSlider.isProgressBar());
    EXPECT_EQ(dlg.speedMeter.rangeMax(), 120);
    EXPECT_TRUE(dlg.speedMeter.hasDial());

    // Fonts in pixels: 10 points are 13 pixels, 9 points 12.
    EXPECT_EQ(dlg.longitudeText.font().pixelSize(), 13);
    EXPECT_EQ(dlg.latitudeText.font().pixelSize(), 13);
    EXPECT_EQ(dlg.timeText.font().pixelSize(), 12);
    EXPECT_EQ(dlg.fileNameText.font().pixelSize(), 12);
    EXPECT_EQ(dlg.font().pixelSize(), 13);

    // Colours: white readouts, a yellow file name, all on black; the lists keep the platform's.
    const auto text = [](const QWidget& w) { return w.palette().color(QPalette::WindowText); };
    const auto back = [](const QWidget& w) { return w.palette().color(QPalette::Window); };
    EXPECT_EQ(back(dlg), QColor(Qt::black));
    for (const QWidget* w : {static_cast<QWidget*>(&dlg.longitudeText), static_cast<QWidget*>(&dlg.latitudeText),
                             static_cast<QWidget*>(&dlg.timeText)}) {
        EXPECT_EQ(text(*w), QColor(Qt::white));
        EXPECT_EQ(back(*w), QColor(Qt::black));
    }
    EXPECT_EQ(dlg.unitCombo.palette().color(QPalette::ButtonText), QColor(Qt::white));
    EXPECT_EQ(text(dlg.fileNameText), QColor(255, 255, 0));
    EXPECT_EQ(back(dlg.gSensorGraph), QColor(Qt::black));
    EXPECT_EQ(dlg.leftList.palette().color(QPalette::Base), QApplication::palette(&dlg.leftList).color(QPalette::Base));
}

TEST(DialogStart, MediaEngineStartsAtStepSevenBeforeTheVideoView)
{
    DialogHarness h;
    bool called = false;
    int comboItems = -1;
    bool iconSet = false;
    bool videoViewExisted = true;
    int pagesWritten = -1;
    h.services.startMediaEngine = [&] {
        called = true;
        // Steps 4 and 5 are done; 9 (the video view) and 17 (the pages) are not.
        comboItems = h.dlg->unitCombo.count();
        iconSet = !h.dlg->windowIcon().isNull();
        videoViewExisted = h.dlg->ControlById(kVideoViewId) != nullptr;
        pagesWritten = h.pageWrites;
        return StartMediaEngine(h.engineUi);
    };
    CVindrelDlg& dlg = h.Start();
    EXPECT_TRUE(called);
    EXPECT_EQ(comboItems, 2);
    EXPECT_TRUE(iconSet);
    EXPECT_FALSE(videoViewExisted);
    EXPECT_EQ(pagesWritten, 0);
    EXPECT_TRUE(h.engineUi.messages.isEmpty()) << h.engineUi.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_NE(dlg.ControlById(kVideoViewId), nullptr);
}

TEST(DialogStart, AMissingMediaEngineEndsTheInitialisation)
{
    if (EngineStartCount() > 0) {
        GTEST_SKIP() << "the engine already runs in this process (run this test on its own)";
    }
    {
        // The engine library cannot be found: the install question, then the end with status 1.
        DialogHarness h;
        h.services.startMediaEngine = [&h] { return StartMediaEngine(h.engineUi, "libvindrel-no-such-engine.so.9"); };
        CVindrelDlg& dlg = h.Start();
        EXPECT_EQ(h.engineUi.endStatus, 1);
        EXPECT_EQ(h.engineUi.messages, QStringList{QStringLiteral("Please Install Quicktime First!\nInstall now!")});
        EXPECT_FALSE(dlg.Initialized());
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.ControlById(kVideoViewId), nullptr);
        EXPECT_EQ(h.pageWrites, 0);
        EXPECT_EQ(dlg.DoModal(), -1);
    }
}

TEST(DialogStart, AFailedPageFileEndsTheInitialisation)
{
    {
        // The URL folder cannot be made (a file is in its way): "Release Url Fail!", status 1.
        DialogHarness h;
        QFile blocker(h.dir.filePath(QStringLiteral("URL")));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        CVindrelDlg& dlg = h.Start();
        EXPECT_EQ(h.pageFailure, QStringLiteral("Release Url Fail!"));
        EXPECT_EQ(h.pageFailureStatus, 1);
        EXPECT_FALSE(dlg.Initialized());
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_TRUE(dlg.currentPageUrl.isEmpty());  // no navigation
    }
}

TEST(DialogCommandLine, MovieWordsAreAddedLastFirstAndOnlyWithExactEndings)
{
    // The files do not exist: ordering stops at the first time it cannot read, so the order of
    // the command line's words stays as they were added.
    DialogHarness h({QStringLiteral("/nowhere/clips/a.mov"), QStringLiteral("/nowhere/clips/b.MP4"),
                     QStringLiteral("/nowhere/clips/c.Mov"), QStringLiteral("/nowhere/notes.txt"), QString(),
                     QStringLiteral("/nowhere/d.mp4.bak")});
    CVindrelDlg& dlg = h.Start();
    ASSERT_EQ(dlg.recordings.size(), 2u);
    EXPECT_EQ(dlg.recordings[0].filePath, QStringLiteral("/nowhere/clips/b.MP4"));
    EXPECT_EQ(dlg.recordings[1].filePath, QStringLiteral("/nowhere/clips/a.mov"));
    EXPECT_EQ(dlg.recordings[0].gpsStatus, NoGpsFile);  // no log anywhere
    EXPECT_EQ(dlg.currentRecording, -1);
    EXPECT_EQ(dlg.leftList.topLevelItemCount(), 2);
}

TEST(DialogCommandLine, ASingleRecordingIsOpenedAtOnceSeveralAreOnlyListed)
{
    QTemporaryDir files;
    const QDateTime t0 = QDateTime::currentDateTime().addDays(-1);
    const QString one = TempFile(files, QStringLiteral("AMBA0001.MOV"), t0);
    {
        DialogHarness h({one});
        CVindrelDlg& dlg = h.Start();
        ASSERT_EQ(dlg.recordings.size(), 1u);
        EXPECT_EQ(dlg.currentRecording, 0);
        EXPECT_EQ(dlg.highlightIndex, -1);
        EXPECT_FALSE(dlg.stopped);
        // Opened once its map or status page has loaded.
        EXPECT_TRUE(WaitUntil([&] { return dlg.fileNameText.text() == QStringLiteral("AMBA0001"); }, 15000));
        const CMyLParam* row = dlg.leftList.rowColours(0);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->cellBackColours[0], QColor(100, 100, 100));
        // One recording: the date text has no seconds.
        EXPECT_EQ(dlg.recordings[0].dateText.size(), 16);
    }
    // Seven recordings, given newest first, come out oldest first over both lists.
    QStringList several;
    for (int i = 7; i >= 1; --i) {
        several << TempFile(files, QStringLiteral("AMBA%1.MOV").arg(i + 1, 4, 10, QLatin1Char('0')), t0.addSecs(i));
    }
    DialogHarness h(several);
    CVindrelDlg& dlg = h.Start();
    ASSERT_EQ(dlg.recordings.size(), 7u);
    EXPECT_EQ(dlg.currentRecording, -1);
    EXPECT_TRUE(dlg.fileNameText.text().isEmpty());
    EXPECT_TRUE(dlg.recordings[0].filePath.endsWith(QStringLiteral("AMBA0002.MOV")));
    EXPECT_TRUE(dlg.recordings[6].filePath.endsWith(QStringLiteral("AMBA0008.MOV")));
    EXPECT_EQ(dlg.leftList.topLevelItemCount(), 6);
    EXPECT_EQ(dlg.rightList.topLevelItemCount(), 1);
    EXPECT_EQ(dlg.rightList.topLevelItem(0)->text(0), QStringLiteral("AMBA0008"));
}

TEST(DialogList, ClicksPagesDropAndFolderGoThroughTheRecordingList)
{
    QTemporaryDir files;
    const QDateTime t0 = QDateTime::currentDateTime().addDays(-1);
    QStringList paths;
    for (int i = 0; i < 13; ++i) {
        paths << TempFile(files, QStringLiteral("R%1.MOV").arg(i, 2, 10, QLatin1Char('0')), t0.addSecs(i));
    }
    DialogHarness h(paths);
    CVindrelDlg& dlg = h.Start();
    ASSERT_EQ(dlg.recordings.size(), 13u);

    // A click on row 2 of the right list on page 0 names index 8; below the rows, none.
    QWidget* rightRows = dlg.rightList.viewport();
    const QRect row2 = dlg.rightList.visualItemRect(dlg.rightList.topLevelItem(2));
    QTest::mouseClick(rightRows, Qt::LeftButton, {}, row2.center());
    EXPECT_EQ(dlg.clickedIndex, 8);
    QTest::mouseClick(rightRows, Qt::LeftButton, {}, QPoint(10, rightRows->height() - 3));
    EXPECT_EQ(dlg.clickedIndex, -1);

    // Page forward shows the thirteenth alone; a further page forward does nothing.
    QTest::mouseClick(&dlg.nextPageButton, Qt::LeftButton);
    EXPECT_EQ(dlg.pageIndex, 1);
    EXPECT_EQ(dlg.leftList.topLevelItemCount(), 1);
    QTest::mouseClick(&dlg.nextPageButton, Qt::LeftButton);
    EXPECT_EQ(dlg.pageIndex, 1);
    QTest::mouseClick(&dlg.prevPageButton, Qt::LeftButton);
    EXPECT_EQ(dlg.pageIndex, 0);

    // A double click on row 1 of the left list makes index 1 current.
    QWidget* leftRows = dlg.leftList.viewport();
    const QRect row1 = dlg.leftList.visualItemRect(dlg.leftList.topLevelItem(1));
    QTest::mouseDClick(leftRows, Qt::LeftButton, {}, row1.center());
    EXPECT_EQ(dlg.currentRecording, 1);
    EXPECT_EQ(dlg.highlightIndex, 1);
    // Opened once its map or status page has loaded.
    EXPECT_TRUE(WaitUntil([&] { return dlg.fileNameText.text() == QStringLiteral("R01"); }, 15000));

    // Dropped files replace the list; one recording among them plays at once.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(paths[3]), QUrl::fromLocalFile(files.filePath(QStringLiteral("x.txt")))});
    QDragEnterEvent enter(QPoint(600, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&dlg, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(600, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&dlg, &drop);
    ASSERT_EQ(dlg.recordings.size(), 1u);
    EXPECT_EQ(dlg.currentRecording, 0);
    // Opened once its map or status page has loaded.
    EXPECT_TRUE(WaitUntil([&] { return dlg.fileNameText.text() == QStringLiteral("R03"); }, 15000));

    // The folder command lists the chosen folder.
    h.folderAnswer = files.path();
    QTest::mouseClick(&dlg.folderButton, Qt::LeftButton);
    EXPECT_EQ(dlg.recordings.size(), 13u);
    EXPECT_EQ(dlg.currentRecording, -1);
}

TEST(DialogEnd, EnterEndsWithOkEscWithCancel)
{
    {
        DialogHarness h;
        CVindrelDlg& dlg = h.Start();
        QTest::keyClick(&dlg, Qt::Key_Return);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), CVindrelDlg::IDOK);
        EXPECT_NE(dlg.ControlById(kVideoViewId), nullptr);  // only the close button deletes it
    }
    {
        DialogHarness h;
        CVindrelDlg& dlg = h.Start();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), CVindrelDlg::IDCANCEL);
    }
}

TEST(DialogEnd, CloseButtonDeletesTheVideoViewAndEndsWithOk)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    QTest::mouseClick(&dlg.closeButton, Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), CVindrelDlg::IDOK);
    EXPECT_EQ(dlg.videoView, nullptr);
    EXPECT_EQ(dlg.ControlById(kVideoViewId), nullptr);
}

TEST(DialogSystemMenu, RightClickOnTheTitleStripOffersCloseAndTheAboutBox)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    const QPoint onTitle(300, 20);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, onTitle, dlg.mapToGlobal(onTitle));
    QCoreApplication::sendEvent(&dlg.titleBar, &menuEvent);
    ASSERT_NE(dlg.systemMenu(), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return dlg.systemMenu()->isVisible(); }));
    QStringList items;
    for (QAction* action : dlg.systemMenu()->actions()) {
        items << action->text();
    }
    EXPECT_TRUE(items.contains(QStringLiteral("关于 Vindrel(&A)..."))) << items.join(QLatin1Char('|')).toStdString();
    dlg.systemMenu()->hide();

    // Close from the system menu ends the dialog as Cancel does.
    dlg.OnSysCommand(0xF060);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), CVindrelDlg::IDCANCEL);
}

TEST(DialogSystemMenu, CommandsSixteenToThirtyOneOpenTheAboutBox)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    for (int command : {16, 23, 31, 32}) {
        QString caption;
        QString version;
        QSize size;
        bool okClosed = false;
        // The about box runs modally: look at it and close it from the event loop.
        QTimer::singleShot(200, [&] {
            auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
            if (!about) {
                return;
            }
            caption = about->windowTitle();
            version = about->versionLabel()->text();
            size = about->size();
            QTest::mouseClick(about->okButton(), Qt::LeftButton);
            okClosed = !about->isVisible();
        });
        dlg.OnSysCommand(command);
        QTest::qWait(300);
        if (command == 32) {
            EXPECT_TRUE(caption.isEmpty()) << "command 32 opens nothing";
            continue;
        }
        EXPECT_EQ(caption, QStringLiteral("关于 Vindrel")) << command;
        EXPECT_EQ(version, QStringLiteral("Vindrel，1.1 版")) << command;
        EXPECT_EQ(size, QSize(298, 116)) << command;  // 170 x 62 units at 7/4 and 15/8 pixels a unit
        EXPECT_TRUE(okClosed) << command;
    }
    EXPECT_TRUE(dlg.isVisible());  // the about box changes nothing in the player
}

TEST(DialogSystemMenu, AboutBoxClosesWithEsc)
{
    CAboutDlg about;
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    EXPECT_EQ(about.okButton()->text(), QStringLiteral("确定"));
    EXPECT_FALSE(about.noticeLabel()->text().isEmpty());
    EXPECT_FALSE(about.iconLabel()->pixmap().isNull());
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
}
