#pragma once
// CVindrelDlg: the player window and the only window of the program. A frameless dialog of
// 1160 x 678 pixels that owns every control and all player state: the video view, the map view,
// the coordinate readouts, the speed meter, the G-sensor graph, the transport and list buttons,
// the two halves of the recording list and its own caption buttons.
//
// The dialog routes: its message handlers forward the playback's messages to the playback
// controller (which owns the playback state and the recording list) and do the window's own work.
// The window chrome (CWindowChrome) places the controls and moves and sizes the window.

#include "controls/BitmapSlider.h"
#include "controls/ColorListCtrl.h"
#include "controls/GSensor.h"
#include "controls/Meter.h"
#include "controls/MyButton.h"
#include "gps/GpsTextTrack.h"
#include "gps/GpsTypes.h"
#include "map/GoogleMapView.h"
#include "map/MapPages.h"
#include "playback/VideoView.h"
#include "recordings/RecordingList.h"
#include "ui/ChromeLayout.h"
#include "ui/DialogServices.h"
#include "ui/Layout.h"
#include "ui/PlaybackController.h"
#include "ui/Statics.h"
#include "ui/WindowChrome.h"

#include <QComboBox>
#include <QDialog>
#include <QIcon>
#include <QLabel>
#include <QTimer>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QMenu;
class CTripView;

class CVindrelDlg : public QDialog {
    Q_OBJECT

public:
    /// Results of the modal run.
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;
    /// The map-load watchdog: 3000 ms.
    static constexpr int kMapLoadTimeoutMs = CPlaybackController::kMapLoadTimeoutMs;

    explicit CVindrelDlg(DialogServices services = DialogServices::Defaults(), QWidget* parent = nullptr);
    ~CVindrelDlg() override;

    /// Shows the window (initialising it first) and runs it until it ends; the result is IDOK or
    /// IDCANCEL, or -1 when the initialisation failed.
    int DoModal();

    /// The control with this ID (the video view included), or null before the controls are bound.
    QWidget* ControlById(int id) const;
    /// True once OnInitDialog has run to its end.
    bool Initialized() const { return initialized_; }

    // ---- Initialisation and the message map --------------------------------------------------
    /// Binds every control object to its ID (object name and ControlById).
    void DoDataExchange();
    /// The initialisation sequence, run once when the window is first shown. False when the media
    /// engine or the page files failed.
    bool OnInitDialog();
    /// Step 31: the command-line words that name recordings, last word first.
    void AddCommandLineRecordings(const QStringList& words) { playback_.List().AddCommandLineRecordings(words); }
    /// A button's command (its control ID).
    void OnCommand(int id);
    void OnOK();
    void OnCancel();

    // ---- Layout, painting and the system menu (VindrelDlgLayout.cpp) -------------------------
    void OnSize(int type, int cx, int cy) { chrome_.OnSize(type, cx, cy); }
    /// The smallest size the window can be given: 1160 x 678.
    QSize OnGetMinMaxInfo() const;
    /// Text and background colours of a control (0 for the dialog itself): the readouts white,
    /// the file name yellow, all on black; nothing for the other controls.
    struct CtlColors {
        bool setText = false;
        QColor text;
        QColor background;
    };
    static std::optional<CtlColors> OnCtlColor(int controlId);
    void OnPaint();
    QIcon OnQueryDragIcon() const { return appIcon; }
    /// A command of the system menu: 16 to 31 open the about box; close and minimise as usual.
    void OnSysCommand(int id) { chrome_.OnSysCommand(id); }
    QMenu* systemMenu() const { return chrome_.SystemMenu(); }

    // ---- Window chrome: forwarded to the chrome ---------------------------------------------
    int OnNcHitTest(const QPoint& globalPos) { return chrome_.OnNcHitTest(globalPos); }
    void OnNcLButtonDown(int hitCode, const QPoint& globalPos) { chrome_.OnNcLButtonDown(hitCode, globalPos); }
    void OnLButtonDblClk() { chrome_.OnLButtonDblClk(); }
    void OnMinimize() { showMinimized(); }
    void OnMaximize() { chrome_.OnMaximize(); }
    /// The close button: deletes the video view, ends the engine's use, ends with IDOK.
    void OnClose();
    QRect ScreenRect() const { return chrome_.ScreenRect(); }

    // ---- Playback and the list: forwarded to the playback controller -----------------------
    void PeriodicUpdate() { playback_.PeriodicUpdate(); }
    void Play() { playback_.Play(); }
    void Pause() { playback_.Pause(); }
    void StopPlayback() { playback_.StopPlayback(); }
    /// WM_PROGRESS_PRESSED: seek to the progress slider's position.
    std::intptr_t OnProgressPressed(std::uintptr_t, std::intptr_t)
    {
        playback_.SeekToSlider();
        return 1;
    }
    /// WM_VOLUME_PRESSED: volume from the volume slider's position.
    std::intptr_t OnVolumePressed(std::uintptr_t, std::intptr_t)
    {
        playback_.SetVolume(volumeSlider.position());
        return 1;
    }
    /// WM_SLIDER_TRACK: volume while the volume slider is dragged (wParam 1042, lParam its position).
    std::intptr_t OnSliderTrack(std::uintptr_t wParam, std::intptr_t lParam);
    /// WM_MAP_DOCUMENT_COMPLETE: a page finished loading.
    std::intptr_t OnMapDocumentComplete(std::uintptr_t, std::intptr_t)
    {
        playback_.OnMapDocumentComplete();
        return 1;
    }
    /// WM_MAP_CLICKED: a click on the route or the trip line.
    std::intptr_t OnMapClicked(std::uintptr_t wParam, std::intptr_t lParam);
    void OnFolder() { playback_.List().OnFolderCommand(); }
    void OnDropFiles(const QStringList& paths) { playback_.List().OnDropFiles(paths); }
    /// NM_CLICK and NM_DBLCLK of a list: row is the row within that list, -1 outside the rows.
    void OnListClick(ListSide side, int row) { playback_.List().OnListClick(side, row); }
    void OnListDoubleClick(ListSide side, int row) { playback_.List().OnListDoubleClick(side, row); }
    void OnPrev() { playback_.List().PlayPrevious(); }
    void OnNext() { playback_.List().PlayNext(); }
    void OnDelete() { playback_.List().DeleteClicked(); }
    void OnPrevPage() { playback_.List().PageBack(); }
    void OnNextPage() { playback_.List().PageForward(); }
    void OnScreenshot();
    void OnGSensorPlus() { gSensorGraph.ShowScale(true); }
    void OnGSensorMinus() { gSensorGraph.ShowScale(false); }
    /// The recording list with its commands.
    RecordingList& RecordingListModel() { return playback_.List(); }

protected:
    /// The message map: one handler per message.
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void setVisible(bool visible) override;
    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

private:
    // The playback state's owner lives first, so that the views below can name its fields. It
    // refers to the controls declared further down; it only keeps the references.
    CPlaybackController playback_;

public:
    // ---- The player's state, in declaration order. What the playback controller and the
    // recording list own is shown here read-only. -----------------------------------------------
    QIcon appIcon;              ///< icon 128: window icon, drawn while minimised
    std::int32_t language = 1;  ///< 0 English, 1 Simplified Chinese, 2 Traditional Chinese
    QLabel longitudeText{QStringLiteral("000.000000"), this};        ///< 1016
    QLabel latitudeText{QStringLiteral("000.000000"), this};         ///< 1017
    QLabel coordCaption{QStringLiteral("longitudeLatitude"), this};  ///< 1019
    QLabel titleBar{QStringLiteral("Vindrel V1.0"), this};           ///< 1020
    QLabel fileNameText{QStringLiteral("Curr File"), this};          ///< 1039
    CMeter speedMeter{this};                                         ///< 1018
    CGoogleMapView mapView{this};                                    ///< 1028
    const QString& currentPageUrl = playback_.State().currentPageUrl;
    const std::vector<GpsSample>& gpsTrack = playback_.State().gpsTrack;
    const TextTrackData& textTrackData = playback_.State().textTrackData;
    const bool& networkOk = playback_.State().networkOk;
    const bool& mapLoadOk = playback_.State().mapLoadOk;
    const bool& recordingLoaded = playback_.State().recordingLoaded;
    const bool& advancing = playback_.State().advancing;
    const bool& stopped = playback_.State().stopped;
    const int& clickedIndex = playback_.List().clickedIndex();
    const int& clickedRow = playback_.List().clickedRow();
    bool fullScreen = false;
    bool maximized = false;
    bool layoutSuspended = false;
    std::int32_t videoWidth = 0;
    std::int32_t videoHeight = 0;
    WinRect videoRect;
    WinRect restoreRect;
    WinRect fullScreenRestoreRect;
    WinRect mapRestoreRect;
    std::int32_t lastClientWidth = 0;
    std::int32_t lastClientHeight = 0;
    std::unique_ptr<CVideoView> videoView;  ///< 1011
    const std::int32_t& nextSecond = playback_.State().nextSecond;
    CBitmapSlider progressSlider{this};                          ///< 1041
    CBitmapSlider volumeSlider{this};                            ///< 1042
    QLabel timeText{QStringLiteral("00:00:00/00:00:00"), this};  ///< 1021
    QLabel volumeIcon{this};                                     ///< 1033
    CMyButton openButton{this};                                  ///< 1000
    CMyButton playButton{this};                                  ///< 1001
    CMyButton pauseButton{this};                                 ///< 1002
    CMyButton stopButton{this};                                  ///< 1003
    CMyButton rewindButton{this};                                ///< 1004
    CMyButton fastForwardButton{this};                           ///< 1005
    CMyButton prevButton{this};                                  ///< 1023
    CMyButton nextButton{this};                                  ///< 1022
    CMyButton folderButton{this};                                ///< 1007
    CMyButton screenshotButton{this};                            ///< 1013
    CMyButton prevPageButton{this};                              ///< 1010
    CMyButton nextPageButton{this};                              ///< 1012
    CMyButton deleteButton{this};                                ///< 1015
    CMyButton minimizeButton{this};                              ///< 1044
    CMyButton maximizeButton{this};                              ///< 1043
    CMyButton closeButton{this};                                 ///< 1032
    CColorListCtrl leftList{this};                               ///< 1034
    CColorListCtrl rightList{this};                              ///< 1035
    const std::vector<RecordingEntry>& recordings = playback_.List().recordings();
    const int& currentRecording = playback_.List().currentRecording();
    const int& pageIndex = playback_.List().pageIndex();
    const int& highlightIndex = playback_.List().highlightIndex();
    CGSensor gSensorGraph{this};         ///< 1038
    CMyButton gSensorPlusButton{this};   ///< 1037
    CMyButton gSensorMinusButton{this};  ///< 1036
    QComboBox unitCombo{this};           ///< 1048

    /// The map-load watchdog and the notice of a recording that cannot be played (the playback
    /// controller's).
    QTimer& mapLoadTimer = playback_.MapLoadTimer();
    const bool& pageLoaded = playback_.State().pageLoaded;
    const QLabel& unplayableNotice = playback_.Notice();
    /// Trips and events of the list (made by the initialisation; last, so it goes first).
    std::unique_ptr<CTripView> tripView;

private:
    friend class CWindowChrome;  // places the controls and keeps the window state
    using Handler = std::intptr_t (CVindrelDlg::*)(std::uintptr_t, std::intptr_t);
    /// Answers a window message with handler's result (1 without a handler); always taken.
    bool Answer(QEvent* e, Handler handler);
    void ApplyControlColours();

    DialogServices services_;
    std::map<int, QWidget*> controlsById_;
    std::array<CMyButton*, 18> buttons_{};
    bool initStarted_ = false;
    bool initialized_ = false;
    bool controlsBound_ = false;
    bool instanceMarked_ = false;
    /// The lists' viewports, whose clicks the event filter takes; kept so that the filter never
    /// has to ask a list that may be going away.
    QWidget* leftViewport_ = nullptr;
    QWidget* rightViewport_ = nullptr;
    CWindowChrome chrome_{*this};
};
