// The player's work on the current recording: choosing the map page and opening the recording,
// playback control and the periodic update, the list commands and the screenshot command.

#include "ui/VindrelDlg.h"

#include "gps/GpsRecord.h"
#include "gps/GpsSource.h"
#include "gps/RecordingName.h"
#include "playback/Engine.h"
#include "playback/QuickTime.h"
#include "playback/Screenshot.h"
#include "ui/ControlIds.h"
#include "ui/TripView.h"
#include "ui/UiStrings.h"
#include "ui/WindowLog.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

namespace {

/// The movie of the video view's wrapper, or null.
Movie CurrentMovie(const std::unique_ptr<CVideoView>& view)
{
    return view && view->movieWrapper ? view->movieWrapper->movie : nullptr;
}

}  // namespace

QString CVindrelDlg::PageUrl(const QString& fileName) const { return services_.folders.urlFolder + fileName; }

// ---- Map state of the current recording -----------------------------------------------------

namespace {

constexpr int kNetworkTries = 3;
constexpr int kNetworkRetryMs = 800;

bool ValidIndex(int index, std::size_t count) { return index >= 0 && static_cast<std::size_t>(index) < count; }

QString TimeText(int seconds, int totalSeconds)
{
    return QString::asprintf("%02d:%02d:%02d/%02d:%02d:%02d", seconds / 3600, seconds % 3600 / 60, seconds % 60,
                             totalSeconds / 3600, totalSeconds % 3600 / 60, totalSeconds % 60);
}

/// A coordinate label: the hemisphere letter, a colon and the number. West and south numbers
/// carry a minus sign that the letter already says; it is left out.
QString CoordinateLabel(QChar letter, const QString& number, QChar negativeLetter)
{
    QString text;
    if (!letter.isNull()) {
        text += letter;
    }
    text += QLatin1Char(':');
    if (letter == negativeLetter && number.startsWith(QLatin1Char('-'))) {
        text += QStringView(number).mid(1);
    } else {
        text += number;
    }
    return text;
}

}  // namespace

int CVindrelDlg::ShowMapForCurrent()
{
    HideUnplayable();  // whatever comes now, the notice of an earlier recording is done
    if (!ValidIndex(currentRecording, recordings.size())) {
        return 0;
    }
    const GpsStatus status = recordings[static_cast<std::size_t>(currentRecording)].gpsStatus;
    qCDebug(lcWindow) << "show map for recording" << currentRecording << "GPS status" << int(status);
    if (status == GpsPresent) {
        if (!networkOk || !mapLoadOk) {
            qCDebug(lcWindow) << "no connection earlier in this run (network" << networkOk << "map load" << mapLoadOk << ")";
            ShowStatusPage(QStringLiteral("no_connection.html"));
            return 0;
        }
        for (int attempt = 0; attempt < kNetworkTries; ++attempt) {
            const bool alive = !services_.isNetworkAlive || services_.isNetworkAlive();
            qCDebug(lcWindow) << "network check" << attempt + 1 << (alive ? "up" : "down");
            if (alive) {
                // Every recording gets a freshly loaded map page, even when it is shown already.
                NavigateMapPage(PageUrl(QStringLiteral("googlearth.html")));
                mapLoadTimer.start();  // its interval: kMapLoadTimeoutMs
                qCDebug(lcWindow) << "watchdog armed:" << mapLoadTimer.interval() << "ms";
                return 0;
            }
            if (services_.waitMs) {
                services_.waitMs(kNetworkRetryMs);
            }
        }
        networkOk = false;
        ShowStatusPage(QStringLiteral("no_connection.html"));
        return 0;
    }
    ShowStatusPage(status == NoGpsInfo ? QStringLiteral("no_gps_info.html") : QStringLiteral("no_gps_file.html"));
    return 0;
}

void CVindrelDlg::ShowStatusPage(const QString& fileName)
{
    longitudeText.setText(QStringLiteral("000.000000"));
    latitudeText.setText(QStringLiteral("000.000000"));
    speedMeter.SetValue(0);
    gSensorGraph.setHasData(false);
    const QString url = PageUrl(fileName);
    if (currentPageUrl != url) {
        NavigateMapPage(url);  // the recording is opened when the page has loaded
    } else if (pageLoaded) {
        OpenCurrentRecording();
    }
    // Otherwise the page is still on its way (the watchdog fired again before it arrived): its
    // load opens the recording, once.
}

void CVindrelDlg::NavigateMapPage(const QString& url)
{
    currentPageUrl = url;
    pageLoaded = false;
    mapView.NavigateMapView(url);
}

int CVindrelDlg::OpenCurrentRecording()
{
    gpsTrack.clear();
    gSensorGraph.gSensorSeries().clear();
    if (!ValidIndex(currentRecording, recordings.size()) || !videoView || !videoView->movieWrapper) {
        return -1;
    }
    RecordingEntry& entry = recordings[static_cast<std::size_t>(currentRecording)];
    CQuickTime& wrapper = *videoView->movieWrapper;
    const QByteArray narrowPath = QFile::encodeName(entry.filePath);
    qCDebug(lcWindow) << "open" << entry.filePath;
    wrapper.OpenMovie(narrowPath.constData());
    const Movie movie = wrapper.movie;
    if (!movie) {
        fileNameText.setText(RecordingTitle(QFile::decodeName(narrowPath)));
        ShowUnplayable(wrapper.lastError, QString::fromStdString(wrapper.lastErrorText));
        return 0;
    }
    HideUnplayable();
    // A damaged track is left out by the engine; the log says which and why.
    for (long i = 1; i <= EngineTrackCount(movie); ++i) {
        if (!EngineTrackMedia(EngineTrackAt(movie, i))) {
            qCInfo(lcWindow) << "open:" << QString::fromStdString(CurrentEngine().LastErrorText());
        }
    }

    // The record text track as always; where it gives nothing, the camera's other GPS families.
    const bool ok = ReadRecordingTracks(movie, entry.filePath, textTrackData, gpsTrack, gSensorGraph.gSensorSeries());
    if (ok && entry.gpsStatus == GpsPresent) {
        mapView.SendRouteToMap(QList<GpsSample>(gpsTrack.begin(), gpsTrack.end()));
    }
    if (ok) {
        entry.gpsStatus = GpsPresent;  // the map page is tried the next time it is chosen
    }
    // The movie starts at the volume the volume slider shows.
    EngineSetMovieVolume(movie, static_cast<std::int16_t>(volumeSlider.position() * 10));
    EnginePlayMovie(movie);

    // A time scale of 0 with a duration gives 0 seconds rather than a division by zero.
    videoView->SetMovieTiming(EngineMovieDuration(movie), EngineMovieTimeScale(movie));
    qCDebug(lcWindow) << "opened:" << videoView->durationSeconds << "s, GPS track" << (ok ? "read" : "not read")
                      << gpsTrack.size() << "seconds";
    timeText.setText(TimeText(0, videoView->durationSeconds));
    progressSlider.setRangeMin(0);
    progressSlider.setRangeMax(videoView->durationSeconds);
    progressSlider.SetPosition(progressSlider.position());  // re-clamped to the new range
    progressSlider.update();
    fileNameText.setText(RecordingTitle(QFile::decodeName(narrowPath)));
    pauseButton.show();
    playButton.hide();

    const int width = videoRect.Width();
    const int height = videoRect.Height();
    EngineRect box;
    box.top = 0;
    box.left = 0;
    box.bottom = static_cast<std::int16_t>(height);
    box.right = static_cast<std::int16_t>(width);
    EngineSetMovieBox(movie, box);
    videoView->setGeometry(videoRect.left, videoRect.top + kTitleHeight, width, height);
    videoView->update();

    recordingLoaded = true;
    advancing = false;
    nextSecond = 0;
    if (tripView) {
        tripView->RecordingOpened();
    }
    return 0;
}

std::intptr_t CVindrelDlg::OnMapDocumentComplete(std::uintptr_t, std::intptr_t)
{
    mapView.SetMapViewSilent();
    // Only the finished load of the page asked for last stops the watchdog and opens the
    // recording, once. A load that reports in while a later page is on its way (the start page
    // at start-up, a page left before it finished) does neither: the recording is opened once,
    // its route goes to the page that shows it, and a map page that hangs still times out.
    const bool chosenPageLoaded = !mapView.page()->isLoading() && mapView.url() == QUrl::fromLocalFile(currentPageUrl);
    qCDebug(lcWindow) << "page loaded (1025):" << mapView.url().fileName() << "asked for"
                      << QFileInfo(currentPageUrl).fileName() << (chosenPageLoaded ? "- it is the one" : "- not the one")
                      << "opened before" << pageLoaded << "stopped" << stopped;
    if (chosenPageLoaded) {
        mapLoadTimer.stop();
    }
    if (chosenPageLoaded && !pageLoaded) {
        pageLoaded = true;
        if (!stopped) {
            OpenCurrentRecording();
        }
    }
    return 1;
}

void CVindrelDlg::OnTimer(int timerId)
{
    if (timerId != kMapLoadTimerId) {
        return;
    }
    qCDebug(lcWindow) << "watchdog fired:" << QFileInfo(currentPageUrl).fileName() << "has not loaded";
    if (!mapLoadOk && !pageLoaded) {
        // The status page it switched to has not reported its load either. The recording no
        // longer waits for the browser: it is opened now, and the watchdog's work is done.
        qCInfo(lcWindow) << "watchdog: no load report from" << QFileInfo(currentPageUrl).fileName()
                         << "either; the recording is opened without it";
        mapLoadTimer.stop();
        pageLoaded = true;
        if (!stopped) {
            OpenCurrentRecording();
        }
        return;
    }
    mapLoadOk = false;
    ShowMapForCurrent();  // now the status page; the timer runs on until a page has loaded
}

// ---- Playback control -----------------------------------------------------------------------

void CVindrelDlg::PeriodicUpdate()
{
    if (!videoView || !videoView->movieWrapper) {
        return;
    }
    TimeScale scale = 0;
    const MovieController controller = videoView->movieWrapper->controller;
    const TimeValue time = controller ? ControllerCurrentTime(controller, &scale) : 0;

    if (recordingLoaded && scale != 0 && time / scale == nextSecond) {
        const int k = nextSecond;
        if (k == 0) {
            qCDebug(lcWindow) << "second 0 shown;" << gpsTrack.size() << "seconds of GPS";
        }
        if (k >= 0 && static_cast<std::size_t>(k) < gpsTrack.size()) {
            const GpsSample& sample = gpsTrack[static_cast<std::size_t>(k)];
            if (ValidIndex(currentRecording, recordings.size()) &&
                recordings[static_cast<std::size_t>(currentRecording)].gpsStatus == GpsPresent) {
                if (k == 0) {
                    mapView.RunPageScript(QStringLiteral("showPath()"));
                    mapView.CallPageFunction(QStringLiteral("setstart"), sample.latitude, sample.longitude);
                }
                mapView.CallPageFunction(QStringLiteral("setposition"), sample.latitude, sample.longitude);
                const QString& h = sample.hemispheres;
                longitudeText.setText(CoordinateLabel(h.isEmpty() ? QChar() : h.back(), sample.longitude, QLatin1Char('W')));
                latitudeText.setText(CoordinateLabel(h.isEmpty() ? QChar() : h.front(), sample.latitude, QLatin1Char('S')));
            }
            const bool milesPerHour = unitCombo.currentIndex() > 0;
            speedMeter.SetValue(milesPerHour ? static_cast<int>(sample.speed * 0.6213712) : sample.speed);
            gSensorGraph.setCurrentIndex(k);
            gSensorGraph.setHasData(true);
            gSensorGraph.update();
        }
        progressSlider.SetPosition(k);
        timeText.setText(TimeText(k, videoView->durationSeconds));
    }

    if (nextSecond - 1 == videoView->durationSeconds && recordingLoaded) {
        // The movie's last second has been shown: on to the next recording, or stop.
        qCDebug(lcWindow) << "end of movie at second" << videoView->durationSeconds;
        AdvanceToNextRecording();
    } else if (scale != 0 && !advancing) {
        nextSecond = time / scale + 1;
    }
}

void CVindrelDlg::AdvanceToNextRecording()
{
    ++currentRecording;
    advancing = true;
    nextSecond = 0;
    if (currentRecording < static_cast<int>(recordings.size())) {
        recordingList.HighlightRow(currentRecording);
        highlightIndex = currentRecording;
        ShowMapForCurrent();
    } else {
        StopPlayback();
    }
}

void CVindrelDlg::ShowUnplayable(OSErr error, const QString& reason)
{
    const auto& texts = unplayableStrings[static_cast<std::size_t>(language)];
    QString why;
    if (error == kEngineTruncatedMovie) {
        why = QString::fromUtf8(texts[kUnplayableCutOff]);
    } else if (error == kEngineFileNotFound) {
        why = QString::fromUtf8(texts[kUnplayableNoFile]);
    } else {
        why = reason.isEmpty() ? QString::fromUtf8(texts[kUnplayableNoReason]) : reason;
    }
    qCInfo(lcWindow) << "cannot play recording" << currentRecording << "- error" << error << reason;
    unplayableIndex_ = currentRecording;
    unplayableNotice.setText(QString::fromUtf8(texts[kUnplayableHeadline]) + QStringLiteral("\n\n") + why);

    // The map side and the readouts as for a recording without GPS; nothing to open when the
    // status page has loaded.
    mapLoadTimer.stop();
    gpsTrack.clear();
    gSensorGraph.gSensorSeries().clear();
    longitudeText.setText(QStringLiteral("000.000000"));
    latitudeText.setText(QStringLiteral("000.000000"));
    speedMeter.SetValue(0);
    gSensorGraph.setHasData(false);
    gSensorGraph.update();
    const QString url = PageUrl(QStringLiteral("no_gps_file.html"));
    if (currentPageUrl != url) {
        NavigateMapPage(url);
    }
    pageLoaded = true;

    // No time runs; the video area shows the stop picture under the notice.
    videoView->SetMovieTiming(0, 0);
    timeText.setText(TimeText(0, 0));
    progressSlider.setRangeMin(0);
    progressSlider.setRangeMax(0);
    progressSlider.SetPosition(0);
    progressSlider.update();
    pauseButton.hide();
    playButton.show();
    videoView->setGeometry(videoRect.left, videoRect.top + kTitleHeight, videoRect.Width(), videoRect.Height());
    videoView->ShowStopPicture(videoRect.Width(), videoRect.Height());
    unplayableNotice.setGeometry(videoView->geometry());
    unplayableNotice.show();
    unplayableNotice.raise();

    // Next and previous work as for a recording that plays; after a while the list goes on.
    recordingLoaded = true;
    advancing = false;
    nextSecond = 0;
    unplayableTimer.start();
}

void CVindrelDlg::HideUnplayable()
{
    unplayableTimer.stop();
    unplayableNotice.hide();
    unplayableIndex_ = -1;
}

void CVindrelDlg::Play()
{
    if (stopped) {
        return;
    }
    if (const Movie movie = CurrentMovie(videoView)) {
        EnginePlayMovie(movie);
    }
    pauseButton.show();
    playButton.hide();
}

void CVindrelDlg::Pause()
{
    if (stopped) {
        return;
    }
    if (const Movie movie = CurrentMovie(videoView)) {
        EngineHaltMovie(movie);
    }
    pauseButton.hide();
    playButton.show();
}

void CVindrelDlg::StopPlayback()
{
    // Stops a movie, or the notice of a recording that could not be played.
    const Movie movie = CurrentMovie(videoView);
    if (!movie && !UnplayableShown()) {
        return;
    }
    qCDebug(lcWindow) << "stop";
    HideUnplayable();
    if (movie) {
        EngineMovieToEnd(movie);
    }
    videoView->ShowStopPicture(videoRect.Width(), videoRect.Height());
    videoView->movieWrapper->movie = nullptr;  // forgotten, not released
    gSensorGraph.setHasData(false);
    progressSlider.SetMarks({});  // no recording, no events
    progressSlider.SetPosition(0);
    speedMeter.SetValue(0);
    timeText.setText(QStringLiteral("00:00:00/00:00:00"));
    longitudeText.setText(QStringLiteral("000.000000"));
    latitudeText.setText(QStringLiteral("000.000000"));
    fileNameText.setText(QString());
    stopped = true;
    recordingLoaded = false;
    currentRecording = -1;
    highlightIndex = -1;
    NavigateMapPage(PageUrl(QStringLiteral("startup.html")));
}

std::intptr_t CVindrelDlg::OnProgressPressed(std::uintptr_t, std::intptr_t)
{
    if (const Movie movie = CurrentMovie(videoView)) {
        const int second = progressSlider.position();
        nextSecond = second + 1;
        EngineSetMovieTime(movie, static_cast<TimeValue>(static_cast<std::int64_t>(second) * videoView->timeScale));
    }
    return 1;
}

std::intptr_t CVindrelDlg::OnVolumePressed(std::uintptr_t, std::intptr_t)
{
    if (const Movie movie = CurrentMovie(videoView)) {
        EngineSetMovieVolume(movie, static_cast<std::int16_t>(volumeSlider.position() * 10));
    }
    return 1;
}

std::intptr_t CVindrelDlg::OnSliderTrack(std::uintptr_t wParam, std::intptr_t lParam)
{
    if (wParam == static_cast<std::uintptr_t>(kVolumeSliderId)) {
        if (const Movie movie = CurrentMovie(videoView)) {
            EngineSetMovieVolume(movie, static_cast<std::int16_t>(lParam * 10));
        }
    }
    return 1;
}

// ---- List commands --------------------------------------------------------------------------

void CVindrelDlg::OnFolder()
{
    recordingList.OnFolderCommand();
    if (tripView) {
        tripView->ListChanged();
    }
}
void CVindrelDlg::OnDropFiles(const QStringList& paths)
{
    recordingList.OnDropFiles(paths);
    if (tripView) {
        tripView->ListChanged();
    }
}
void CVindrelDlg::OnListClick(ListSide side, int row) { recordingList.OnListClick(side, row); }
void CVindrelDlg::OnListDoubleClick(ListSide side, int row) { recordingList.OnListDoubleClick(side, row); }
void CVindrelDlg::OnPrev() { recordingList.PlayPrevious(); }
void CVindrelDlg::OnNext() { recordingList.PlayNext(); }
void CVindrelDlg::OnDelete()
{
    recordingList.DeleteClicked();
    if (tripView) {
        tripView->ListChanged();
    }
}
void CVindrelDlg::OnPrevPage() { recordingList.PageBack(); }
void CVindrelDlg::OnNextPage() { recordingList.PageForward(); }

// ---- Screenshot and the G-sensor scale ------------------------------------------------------

void CVindrelDlg::OnScreenshot()
{
    if (videoView) {
        TakeScreenshot(*videoView, services_.folders.videoShotsFolder);
    }
}

void CVindrelDlg::OnGSensorPlus() { gSensorGraph.ShowScale(true); }
void CVindrelDlg::OnGSensorMinus() { gSensorGraph.ShowScale(false); }
