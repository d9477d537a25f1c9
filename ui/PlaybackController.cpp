#include "ui/PlaybackController.h"

#include "controls/BitmapSlider.h"
#include "controls/GSensor.h"
#include "controls/Meter.h"
#include "controls/MeterMath.h"
#include "controls/MyButton.h"
#include "engine/Engine.h"
#include "gps/GpsSource.h"
#include "gps/RecordingName.h"
#include "map/GoogleMapView.h"
#include "playback/QuickTime.h"
#include "ui/UiStrings.h"
#include "ui/WindowLog.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

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

// ---- Map state of the current recording -----------------------------------------------------

CPlaybackController::CPlaybackController(PlaybackControls controls, PlaybackServices services, QWidget* window)
    : QObject(window),
      c_(controls),
      services_(std::move(services)),
      leftView_(&c_.leftList),
      rightView_(&c_.rightList),
      list_(leftView_, rightView_, listHost_),
      notice_(window)
{
    mapLoadTimer_.setInterval(kMapLoadTimeoutMs);
    mapLoadTimer_.setSingleShot(false);
    connect(&mapLoadTimer_, &QTimer::timeout, this, &CPlaybackController::OnMapLoadTimeout);

    // The notice of a recording that cannot be played: white on black over the video area.
    notice_.setTextFormat(Qt::PlainText);
    notice_.setAlignment(Qt::AlignCenter);
    notice_.setWordWrap(true);
    notice_.setMargin(24);
    notice_.setAutoFillBackground(true);
    QPalette colours = notice_.palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    notice_.setPalette(colours);
    notice_.hide();
    noticeTimer_.setSingleShot(true);
    noticeTimer_.setInterval(kUnplayableShowMs);
    connect(&noticeTimer_, &QTimer::timeout, this, [this] {
        if (unplayableIndex_ != list_.currentRecording() || state_.stopped) {
            HideUnplayable();
            return;
        }
        qCInfo(lcWindow) << "the unplayable recording's notice has been shown; the list goes on";
        AdvanceToNextRecording();
    });
}

CPlaybackController::~CPlaybackController()
{
    mapLoadTimer_.stop();
    noticeTimer_.stop();
}

QString CPlaybackController::PageUrl(const QString& fileName) const { return services_.urlFolder + fileName; }

Movie CPlaybackController::CurrentMovie() const
{
    return c_.videoView && c_.videoView->movieWrapper ? c_.videoView->movieWrapper->movie : nullptr;
}

void CPlaybackController::ClearReadouts()
{
    c_.longitudeText.setText(QStringLiteral("000.000000"));
    c_.latitudeText.setText(QStringLiteral("000.000000"));
    c_.speedMeter.SetValue(0);
    c_.gSensorGraph.setHasData(false);
}

void CPlaybackController::ShowDuration(int seconds)
{
    c_.timeText.setText(TimeText(0, seconds));
    c_.progressSlider.setRangeMin(0);
    c_.progressSlider.setRangeMax(seconds);
    c_.progressSlider.SetPosition(c_.progressSlider.position());  // re-clamped to the new range
    c_.progressSlider.update();
}

int CPlaybackController::ShowMapForCurrent()
{
    HideUnplayable();  // whatever comes now, the notice of an earlier recording is done
    if (!ValidIndex(list_.currentRecording(), list_.recordings().size())) {
        return 0;
    }
    const GpsStatus status = list_.recordings()[static_cast<std::size_t>(list_.currentRecording())].gpsStatus;
    qCDebug(lcWindow) << "show map for recording" << list_.currentRecording() << "GPS status" << int(status);
    if (status == GpsPresent) {
        if (!state_.networkOk || !state_.mapLoadOk) {
            qCDebug(lcWindow) << "no connection earlier in this run (network" << state_.networkOk << "map load"
                              << state_.mapLoadOk << ")";
            ShowStatusPage(QStringLiteral("no_connection.html"));
            return 0;
        }
        for (int attempt = 0; attempt < kNetworkTries; ++attempt) {
            const bool alive = !services_.isNetworkAlive || services_.isNetworkAlive();
            qCDebug(lcWindow) << "network check" << attempt + 1 << (alive ? "up" : "down");
            if (alive) {
                // Every recording gets a freshly loaded map page, even when it is shown already.
                NavigateMapPage(PageUrl(QStringLiteral("googlearth.html")));
                mapLoadTimer_.start();  // its interval: kMapLoadTimeoutMs
                qCDebug(lcWindow) << "watchdog armed:" << mapLoadTimer_.interval() << "ms";
                return 0;
            }
            if (services_.waitMs) {
                services_.waitMs(kNetworkRetryMs);
            }
        }
        state_.networkOk = false;
        ShowStatusPage(QStringLiteral("no_connection.html"));
        return 0;
    }
    ShowStatusPage(status == NoGpsInfo ? QStringLiteral("no_gps_info.html") : QStringLiteral("no_gps_file.html"));
    return 0;
}

void CPlaybackController::ShowStatusPage(const QString& fileName)
{
    ClearReadouts();
    const QString url = PageUrl(fileName);
    if (state_.currentPageUrl != url) {
        NavigateMapPage(url);  // the recording is opened when the page has loaded
    } else if (state_.pageLoaded) {
        OpenCurrentRecording();
    }
    // Otherwise the page is still on its way (the watchdog fired again before it arrived): its
    // load opens the recording, once.
}

void CPlaybackController::NavigateMapPage(const QString& url)
{
    state_.currentPageUrl = url;
    state_.pageLoaded = false;
    c_.mapView.NavigateMapView(url);
}

int CPlaybackController::OpenCurrentRecording()
{
    state_.gpsTrack.clear();
    c_.gSensorGraph.gSensorSeries().clear();
    if (!ValidIndex(list_.currentRecording(), list_.recordings().size()) || !c_.videoView ||
        !c_.videoView->movieWrapper) {
        return -1;
    }
    const int index = list_.currentRecording();
    const RecordingEntry& entry = list_.recordings()[static_cast<std::size_t>(index)];
    CQuickTime& wrapper = *c_.videoView->movieWrapper;
    const QByteArray narrowPath = QFile::encodeName(entry.filePath);
    qCDebug(lcWindow) << "open" << entry.filePath;
    wrapper.OpenMovie(narrowPath.constData());
    const Movie movie = wrapper.movie;
    if (!movie) {
        c_.fileNameText.setText(RecordingTitle(QFile::decodeName(narrowPath)));
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
    const bool ok = ReadRecordingTracks(movie, entry.filePath, state_.textTrackData, state_.gpsTrack,
                                        c_.gSensorGraph.gSensorSeries());
    if (ok && entry.gpsStatus == GpsPresent) {
        c_.mapView.SendRouteToMap(QList<GpsSample>(state_.gpsTrack.begin(), state_.gpsTrack.end()));
    }
    if (ok) {
        list_.SetGpsStatus(index, GpsPresent);  // the map page is tried the next time it is chosen
    }
    // The movie starts at the volume the volume slider shows.
    EngineSetMovieVolume(movie, static_cast<std::int16_t>(c_.volumeSlider.position() * 10));
    EnginePlayMovie(movie);

    // A time scale of 0 with a duration gives 0 seconds rather than a division by zero.
    c_.videoView->SetMovieTiming(EngineMovieDuration(movie), EngineMovieTimeScale(movie));
    qCDebug(lcWindow) << "opened:" << c_.videoView->durationSeconds << "s, GPS track" << (ok ? "read" : "not read")
                      << state_.gpsTrack.size() << "seconds";
    ShowDuration(c_.videoView->durationSeconds);
    c_.fileNameText.setText(RecordingTitle(QFile::decodeName(narrowPath)));
    c_.pauseButton.show();
    c_.playButton.hide();

    const LayoutRect view = VideoViewRect(c_.videoRect);
    EngineRect box;
    box.top = 0;
    box.left = 0;
    box.bottom = static_cast<std::int16_t>(view.height);
    box.right = static_cast<std::int16_t>(view.width);
    EngineSetMovieBox(movie, box);
    c_.videoView->setGeometry(view.x, view.y, view.width, view.height);
    c_.videoView->update();

    state_.recordingLoaded = true;
    state_.advancing = false;
    state_.nextSecond = 0;
    emit RecordingOpened();
    return 0;
}

void CPlaybackController::OnMapDocumentComplete()
{
    c_.mapView.SetMapViewSilent();
    // Only the finished load of the page asked for last stops the watchdog and opens the
    // recording, once. A load that reports in while a later page is on its way (the start page
    // at start-up, a page left before it finished) does neither: the recording is opened once,
    // its route goes to the page that shows it, and a map page that hangs still times out.
    const bool chosenPageLoaded = !c_.mapView.page()->isLoading() &&
                                  c_.mapView.url() == QUrl::fromLocalFile(state_.currentPageUrl);
    qCDebug(lcWindow) << "page loaded (1025):" << c_.mapView.url().fileName() << "asked for"
                      << QFileInfo(state_.currentPageUrl).fileName()
                      << (chosenPageLoaded ? "- it is the one" : "- not the one") << "opened before"
                      << state_.pageLoaded << "stopped" << state_.stopped;
    if (chosenPageLoaded) {
        mapLoadTimer_.stop();
    }
    if (chosenPageLoaded && !state_.pageLoaded) {
        state_.pageLoaded = true;
        if (!state_.stopped) {
            OpenCurrentRecording();
        }
    }
}

void CPlaybackController::OnMapLoadTimeout()
{
    qCDebug(lcWindow) << "watchdog fired:" << QFileInfo(state_.currentPageUrl).fileName() << "has not loaded";
    if (!state_.mapLoadOk && !state_.pageLoaded) {
        // The status page it switched to has not reported its load either. The recording no
        // longer waits for the browser: it is opened now, and the watchdog's work is done.
        qCInfo(lcWindow) << "watchdog: no load report from" << QFileInfo(state_.currentPageUrl).fileName()
                         << "either; the recording is opened without it";
        mapLoadTimer_.stop();
        state_.pageLoaded = true;
        if (!state_.stopped) {
            OpenCurrentRecording();
        }
        return;
    }
    state_.mapLoadOk = false;
    ShowMapForCurrent();  // now the status page; the timer runs on until a page has loaded
}

// ---- Playback control -----------------------------------------------------------------------

void CPlaybackController::PeriodicUpdate()
{
    if (!c_.videoView || !c_.videoView->movieWrapper) {
        return;
    }
    TimeScale scale = 0;
    const MovieController controller = c_.videoView->movieWrapper->controller;
    const TimeValue time = controller ? ControllerCurrentTime(controller, &scale) : 0;

    if (state_.recordingLoaded && scale != 0 && time / scale == state_.nextSecond) {
        const int k = state_.nextSecond;
        if (k == 0) {
            qCDebug(lcWindow) << "second 0 shown;" << state_.gpsTrack.size() << "seconds of GPS";
        }
        if (k >= 0 && static_cast<std::size_t>(k) < state_.gpsTrack.size()) {
            const GpsSample& sample = state_.gpsTrack[static_cast<std::size_t>(k)];
            if (ValidIndex(list_.currentRecording(), list_.recordings().size()) &&
                list_.recordings()[static_cast<std::size_t>(list_.currentRecording())].gpsStatus == GpsPresent) {
                if (k == 0) {
                    c_.mapView.RunPageScript(QStringLiteral("showPath()"));
                    c_.mapView.CallPageFunction(QStringLiteral("setstart"), sample.latitude, sample.longitude);
                }
                c_.mapView.CallPageFunction(QStringLiteral("setposition"), sample.latitude, sample.longitude);
                const QString& h = sample.hemispheres;
                c_.longitudeText.setText(
                    CoordinateLabel(h.isEmpty() ? QChar() : h.back(), sample.longitude, QLatin1Char('W')));
                c_.latitudeText.setText(
                    CoordinateLabel(h.isEmpty() ? QChar() : h.front(), sample.latitude, QLatin1Char('S')));
            }
            c_.speedMeter.SetValue(MeterValueForSpeed(sample.speed, std::max(0, c_.unitCombo.currentIndex())));
            c_.gSensorGraph.setCurrentIndex(k);
            c_.gSensorGraph.setHasData(true);
            c_.gSensorGraph.update();
        }
        c_.progressSlider.SetPosition(k);
        c_.timeText.setText(TimeText(k, c_.videoView->durationSeconds));
    }

    if (state_.nextSecond - 1 == c_.videoView->durationSeconds && state_.recordingLoaded) {
        // The movie's last second has been shown: on to the next recording, or stop.
        qCDebug(lcWindow) << "end of movie at second" << c_.videoView->durationSeconds;
        AdvanceToNextRecording();
    } else if (scale != 0 && !state_.advancing) {
        state_.nextSecond = time / scale + 1;
    }
}

void CPlaybackController::AdvanceToNextRecording()
{
    const bool another = list_.StepToNext();
    state_.advancing = true;
    state_.nextSecond = 0;
    if (another) {
        ShowMapForCurrent();
    } else {
        StopPlayback();
    }
}

void CPlaybackController::ShowUnplayable(std::int32_t error, const QString& reason)
{
    const auto& texts = unplayableStrings[static_cast<std::size_t>(c_.language)];
    QString why;
    if (error == kEngineTruncatedMovie) {
        why = QString::fromUtf8(texts[kUnplayableCutOff]);
    } else if (error == kEngineFileNotFound) {
        why = QString::fromUtf8(texts[kUnplayableNoFile]);
    } else {
        why = reason.isEmpty() ? QString::fromUtf8(texts[kUnplayableNoReason]) : reason;
    }
    qCInfo(lcWindow) << "cannot play recording" << list_.currentRecording() << "- error" << error << reason;
    unplayableIndex_ = list_.currentRecording();
    notice_.setText(QString::fromUtf8(texts[kUnplayableHeadline]) + QStringLiteral("\n\n") + why);

    // The map side and the readouts as for a recording without GPS; nothing to open when the
    // status page has loaded.
    mapLoadTimer_.stop();
    state_.gpsTrack.clear();
    c_.gSensorGraph.gSensorSeries().clear();
    ClearReadouts();
    c_.gSensorGraph.update();
    const QString url = PageUrl(QStringLiteral("no_gps_file.html"));
    if (state_.currentPageUrl != url) {
        NavigateMapPage(url);
    }
    state_.pageLoaded = true;

    // No time runs; the video area shows the stop picture under the notice.
    c_.videoView->SetMovieTiming(0, 0);
    c_.progressSlider.SetPosition(0);
    ShowDuration(0);
    c_.pauseButton.hide();
    c_.playButton.show();
    const LayoutRect view = VideoViewRect(c_.videoRect);
    c_.videoView->setGeometry(view.x, view.y, view.width, view.height);
    c_.videoView->ShowStopPicture(view.width, view.height);
    notice_.setGeometry(c_.videoView->geometry());
    notice_.show();
    notice_.raise();

    // Next and previous work as for a recording that plays; after a while the list goes on.
    state_.recordingLoaded = true;
    state_.advancing = false;
    state_.nextSecond = 0;
    noticeTimer_.start();
}

void CPlaybackController::HideUnplayable()
{
    noticeTimer_.stop();
    notice_.hide();
    unplayableIndex_ = -1;
}

void CPlaybackController::Play()
{
    if (state_.stopped) {
        return;
    }
    if (const Movie movie = CurrentMovie()) {
        EnginePlayMovie(movie);
    }
    c_.pauseButton.show();
    c_.playButton.hide();
}

void CPlaybackController::Pause()
{
    if (state_.stopped) {
        return;
    }
    if (const Movie movie = CurrentMovie()) {
        EngineHaltMovie(movie);
    }
    c_.pauseButton.hide();
    c_.playButton.show();
}

void CPlaybackController::StopPlayback()
{
    // Stops a movie, or the notice of a recording that could not be played.
    const Movie movie = CurrentMovie();
    if (!movie && !UnplayableShown()) {
        return;
    }
    qCDebug(lcWindow) << "stop";
    HideUnplayable();
    if (movie) {
        EngineMovieToEnd(movie);
    }
    c_.videoView->ShowStopPicture(c_.videoRect.Width(), c_.videoRect.Height());
    c_.videoView->movieWrapper->movie = nullptr;  // forgotten, not released
    ClearReadouts();
    c_.progressSlider.SetMarks({});  // no recording, no events
    c_.progressSlider.SetPosition(0);
    c_.timeText.setText(TimeText(0, 0));
    c_.fileNameText.setText(QString());
    state_.stopped = true;
    state_.recordingLoaded = false;
    list_.ForgetCurrent();
    ShowStartPage();
}

void CPlaybackController::ShowStartPage() { NavigateMapPage(PageUrl(QStringLiteral("startup.html"))); }

void CPlaybackController::SeekToSlider()
{
    if (const Movie movie = CurrentMovie()) {
        const int second = c_.progressSlider.position();
        state_.nextSecond = second + 1;
        EngineSetMovieTime(movie, static_cast<TimeValue>(static_cast<std::int64_t>(second) * c_.videoView->timeScale));
    }
}

void CPlaybackController::SetVolume(int position)
{
    if (const Movie movie = CurrentMovie()) {
        EngineSetMovieVolume(movie, static_cast<std::int16_t>(position * 10));
    }
}

// ---- The recording list's access to playback ------------------------------------------------

bool CPlaybackController::ListHost::HasMovie() const
{
    // A recording whose notice says it cannot be played counts as held: a new list stops it.
    return p.CurrentMovie() || p.UnplayableShown();
}

void CPlaybackController::ListHost::HaltMovie()
{
    if (const Movie movie = p.CurrentMovie()) {
        EngineHaltMovie(movie);
    }
}

QString CPlaybackController::ListHost::BrowseForFolder()
{
    return p.services_.browseForFolder ? p.services_.browseForFolder() : QString();
}
