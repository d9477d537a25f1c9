// The player's work on the current recording: choosing the map page and opening the recording,
// playback control and the periodic update, the list commands and the screenshot command.

#include "ui/VindrelDlg.h"

#include "gps/RecordingName.h"
#include "playback/Engine.h"
#include "playback/QuickTime.h"
#include "playback/Screenshot.h"
#include "ui/ControlIds.h"

namespace {

/// The movie of the video view's wrapper, or null.
Movie CurrentMovie(const std::unique_ptr<CVideoView>& view)
{
    return view && view->movieWrapper ? view->movieWrapper->movie : nullptr;
}

}  // namespace

QString CVindrelDlg::PageUrl(const QString& fileName) const { return services_.folders.urlFolder + fileName; }

// ---- Map state of the current recording -----------------------------------------------------

int CVindrelDlg::ShowMapForCurrent()
{
    // Without the choice of map or status page, the current recording is opened at once.
    if (currentRecording < 0 || currentRecording >= static_cast<int>(recordings.size())) {
        return 0;
    }
    OpenCurrentRecording();
    return 0;
}

int CVindrelDlg::OpenCurrentRecording()
{
    gpsTrack.clear();
    gSensorGraph.gSensorSeries().clear();
    if (currentRecording < 0 || currentRecording >= static_cast<int>(recordings.size())) {
        return -1;
    }
    // The recording is named; the movie itself is not opened here yet.
    fileNameText.setText(RecordingTitle(recordings[static_cast<std::size_t>(currentRecording)].filePath));
    return 0;
}

std::intptr_t CVindrelDlg::OnMapDocumentComplete(std::uintptr_t, std::intptr_t)
{
    mapLoadTimer.stop();
    mapView.SetMapViewSilent();
    if (!stopped) {
        OpenCurrentRecording();
    }
    return 1;
}

void CVindrelDlg::OnTimer(int timerId)
{
    if (timerId != kMapLoadTimerId) {
        return;
    }
    mapLoadOk = false;
    ShowMapForCurrent();
}

// ---- Playback control -----------------------------------------------------------------------

void CVindrelDlg::PeriodicUpdate()
{
    // Runs after every message of the video view; nothing follows the movie yet.
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
    const Movie movie = CurrentMovie(videoView);
    if (!movie) {
        return;
    }
    EngineMovieToEnd(movie);
    videoView->ShowStopPicture(videoRect.Width(), videoRect.Height());
    videoView->movieWrapper->movie = nullptr;  // forgotten, not released
    gSensorGraph.setHasData(false);
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
    currentPageUrl = PageUrl(QStringLiteral("startup.html"));
    mapView.NavigateMapView(currentPageUrl);
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

void CVindrelDlg::OnFolder() { recordingList.OnFolderCommand(); }
void CVindrelDlg::OnDropFiles(const QStringList& paths) { recordingList.OnDropFiles(paths); }
void CVindrelDlg::OnListClick(ListSide side, int row) { recordingList.OnListClick(side, row); }
void CVindrelDlg::OnListDoubleClick(ListSide side, int row) { recordingList.OnListDoubleClick(side, row); }
void CVindrelDlg::OnPrev() { recordingList.PlayPrevious(); }
void CVindrelDlg::OnNext() { recordingList.PlayNext(); }
void CVindrelDlg::OnDelete() { recordingList.DeleteClicked(); }
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
