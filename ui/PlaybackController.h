#pragma once
// CPlaybackController: the player's work on the current recording. It chooses the map or status
// page, opens the recording when that page has loaded, keeps the readouts, the meter, the chart
// and the map in step with the playing second, moves on at the end of a movie, stops, and shows
// the notice of a recording that cannot be played. It owns the playback state and the recording
// list (whose host it is); the main dialog owns the controls it works on and routes messages here.

#include "gps/GpsTextTrack.h"
#include "gps/GpsTypes.h"
#include "playback/VideoView.h"
#include "recordings/RecordingList.h"
#include "ui/Layout.h"
#include "ui/ListViewAdapter.h"

#include <QLabel>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CBitmapSlider;
class CGoogleMapView;
class CGSensor;
class CMeter;
class CMyButton;
class QComboBox;

/// The dialog's controls the playback works on. The dialog owns them; they may still be under
/// construction when the controller is made, so the controller keeps only the references.
struct PlaybackControls {
    CGoogleMapView& mapView;
    std::unique_ptr<CVideoView>& videoView;
    QLabel& longitudeText;
    QLabel& latitudeText;
    QLabel& timeText;
    QLabel& fileNameText;
    CMeter& speedMeter;
    CGSensor& gSensorGraph;
    CBitmapSlider& progressSlider;
    CBitmapSlider& volumeSlider;
    CMyButton& playButton;
    CMyButton& pauseButton;
    QComboBox& unitCombo;
    CColorListCtrl& leftList;
    CColorListCtrl& rightList;
    /// The video area of the last layout (the dialog's), and the UI language.
    const WinRect& videoRect;
    const std::int32_t& language;
};

/// What the playback needs from outside the window: the folders, the network check and its pause,
/// the folder browser.
struct PlaybackServices {
    QString urlFolder;
    std::function<bool()> isNetworkAlive;
    std::function<void(int milliseconds)> waitMs;
    std::function<QString()> browseForFolder;
};

/// The playback state: one owner, the controller; the dialog shows it read-only.
struct PlaybackState {
    QString currentPageUrl;  ///< full path of the page last navigated to
    std::vector<GpsSample> gpsTrack;
    TextTrackData textTrackData;
    bool networkOk = true;
    bool mapLoadOk = true;
    bool recordingLoaded = false;
    bool advancing = false;
    bool stopped = false;
    std::int32_t nextSecond = 0;
    /// The page last navigated to has finished loading. Its first finished load opens the
    /// current recording; later choices of the same page open at once.
    bool pageLoaded = false;
};

class CPlaybackController : public QObject, public VideoViewOwner {
    Q_OBJECT

public:
    /// The map-load watchdog: 3000 ms, repeating until a page has loaded.
    static constexpr int kMapLoadTimeoutMs = 3000;
    /// How long the notice of a recording that cannot be played stays before the list goes on.
    static constexpr int kUnplayableShowMs = 3000;

    CPlaybackController(PlaybackControls controls, PlaybackServices services, QWidget* window);
    ~CPlaybackController() override;

    const PlaybackState& State() const { return state_; }
    RecordingList& List() { return list_; }
    const RecordingList& List() const { return list_; }
    QTimer& MapLoadTimer() { return mapLoadTimer_; }
    QLabel& Notice() { return notice_; }

    /// Shows the start page (at start and after Stop).
    void ShowStartPage();
    /// The video view's owner update, run after every message the view receives.
    void PeriodicUpdate() override;
    void Play();
    void Pause();
    void StopPlayback();
    /// Seeks to the progress slider's position.
    void SeekToSlider();
    /// Sets the movie's volume (0 to 100, as the volume slider).
    void SetVolume(int position);
    /// A page finished loading.
    void OnMapDocumentComplete();

signals:
    /// The current recording has been opened (its tracks are read).
    void RecordingOpened();
    /// The folder command, a drop or a delete has rebuilt or shortened the list.
    void ListChanged();

private:
    /// The recording list's access to playback.
    class ListHost : public IRecordingListHost {
    public:
        explicit ListHost(CPlaybackController& playback) : p(playback) {}
        bool HasMovie() const override;
        void HaltMovie() override;
        void StopPlayback() override { p.StopPlayback(); }
        void ShowMapForCurrent() override { p.ShowMapForCurrent(); }
        bool RecordingLoaded() const override { return p.state_.recordingLoaded; }
        void SetRecordingLoaded(bool loaded) override { p.state_.recordingLoaded = loaded; }
        void SetStopped(bool stopped) override { p.state_.stopped = stopped; }
        QString BrowseForFolder() override;
        void ListChanged() override { emit p.ListChanged(); }

    private:
        CPlaybackController& p;
    };

    /// The full path of a page file in the URL folder.
    QString PageUrl(const QString& fileName) const;
    /// Sends the map view to a page and makes it currentPageUrl. Once that page has loaded (and
    /// no later page was asked for), the current recording is opened unless playback is stopped.
    void NavigateMapPage(const QString& url);
    /// Chooses the map or status page for the current recording, which goes on to open it.
    int ShowMapForCurrent();
    /// Opens the current recording: movie, text track, tracks, route, playback. 0, or -1 when
    /// there is no current recording.
    int OpenCurrentRecording();
    /// The map-load watchdog fired.
    void OnMapLoadTimeout();
    /// The step after the last second of a movie: the next recording of the list, or Stop after
    /// the last one.
    void AdvanceToNextRecording();
    bool UnplayableShown() const { return unplayableIndex_ >= 0; }
    /// Shows a status page (file name in the URL folder), or opens the recording at once when
    /// that page is already shown.
    void ShowStatusPage(const QString& fileName);
    /// The current recording cannot be played (error and reason from the engine): says so over
    /// the video area, resets the map side and the readouts as for a recording without GPS and
    /// arms the step on.
    void ShowUnplayable(std::int32_t error, const QString& reason);
    void HideUnplayable();
    /// The readouts, the meter and the chart with nothing to show.
    void ClearReadouts();
    /// The time text and the progress slider for a movie of this many seconds.
    void ShowDuration(int seconds);
    /// The movie of the video view's wrapper, or null.
    Movie CurrentMovie() const;

    PlaybackControls c_;
    PlaybackServices services_;
    PlaybackState state_;
    ListViewAdapter leftView_;
    ListViewAdapter rightView_;
    ListHost listHost_{*this};
    RecordingList list_;
    QTimer mapLoadTimer_;
    QLabel notice_;
    QTimer noticeTimer_;
    /// The recording the notice is about; -1 while none is shown.
    int unplayableIndex_ = -1;
};
