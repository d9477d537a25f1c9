#pragma once
// CVindrelDlg: the player window and the only window of the program. A frameless dialog of
// 1160 x 678 pixels that owns every control and all player state: the video view, the map view,
// the coordinate readouts, the speed meter, the G-sensor graph, the transport and list buttons,
// the two halves of the recording list and its own caption buttons.
//
// The code is split by concern:
//   VindrelDlg.cpp          construction, binding, initialisation, the message map and commands
//   VindrelDlgLayout.cpp    placing the controls on a size change, colours, painting, system menu
//   WindowChrome.cpp        moving, resizing, minimise, maximise/restore, full screen, close
//   VindrelDlgPlayback.cpp  map state, opening recordings, playback control and the periodic
//                           update, the list commands, the screenshot command

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
#include "ui/Layout.h"
#include "ui/ListViewAdapter.h"

#include <QComboBox>
#include <QDialog>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QMenu;
class CTripView;

/// The network check before the map page is requested: the platform's reachability where it
/// reports one, else any interface other than the loopback that is up and running.
bool IsNetworkAlive();

/// What the dialog needs from outside itself. The player uses Defaults(); tests replace parts.
struct DialogServices {
    /// Starts the media engine (step 7 of the initialisation). False when it failed; the real
    /// one has then shown its message and ended the process.
    std::function<bool()> startMediaEngine;
    /// Where the page files and the screenshots go.
    AppFolders folders;
    /// Writes the page files into folders.urlFolder. False when one failed; the real one has then
    /// shown "Release Url Fail!" and ended the process.
    std::function<bool(const AppFolders&)> writeMapPages;
    /// The folder browser of the folder command; an empty text when cancelled.
    std::function<QString(QWidget* owner)> browseForFolder;
    /// One network check before the map page is requested: true when the machine is online.
    /// Not set: the network counts as reachable.
    std::function<bool()> isNetworkAlive;
    /// The pause after a failed network check; it blocks the window. Not set: no pause.
    std::function<void(int milliseconds)> waitMs;
    /// The words of the command line after the program's path.
    QStringList commandLine;

    /// Message boxes and exit on failure, the executable's folders, the desktop's folder
    /// browser, and the application's arguments.
    static DialogServices Defaults();
};

class CVindrelDlg : public QDialog, public VideoViewOwner {
    Q_OBJECT

public:
    /// Results of the modal run.
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;
    /// The map-load watchdog: timer 1 of the window, 3000 ms.
    static constexpr int kMapLoadTimerId = 1;
    static constexpr int kMapLoadTimeoutMs = 3000;

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
    void AddCommandLineRecordings(const QStringList& words);
    /// A button's command (its control ID).
    void OnCommand(int id);
    void OnOK();
    void OnCancel();

    // ---- Layout and painting (VindrelDlgLayout.cpp) ------------------------------------------
    /// Places the controls for the client size; type is not looked at.
    void OnSize(int type, int cx, int cy);
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
    void OnSysCommand(int id);
    /// Shows the system menu at a point of the screen.
    void ShowSystemMenu(const QPoint& globalPos);
    QMenu* systemMenu() const { return systemMenu_; }

    // ---- Window chrome (WindowChrome.cpp) ----------------------------------------------------
    /// The hit test for a point of the screen; also takes the hover frames off the buttons.
    int OnNcHitTest(const QPoint& globalPos);
    /// A left press on the window's own surface: resizing from an edge, moving from the background.
    void OnNcLButtonDown(int hitCode, const QPoint& globalPos);
    /// A double click that reached the client area: enters or leaves full screen.
    void OnLButtonDblClk();
    void OnMinimize();
    /// Maximises, or restores when maximised.
    void OnMaximize();
    /// The close button: deletes the video view, ends the engine's use, ends with IDOK.
    void OnClose();
    /// The screen the window is on (the whole screen, panels included).
    QRect ScreenRect() const;

    // ---- Map state, playback, list commands (VindrelDlgPlayback.cpp) -------------------------
    /// Chooses the map or status page for recordings[currentRecording], which goes on to open it.
    int ShowMapForCurrent();
    /// Opens recordings[currentRecording]: movie, text track, tracks, route, playback. 0, or -1
    /// when there is no current recording.
    int OpenCurrentRecording();
    /// The video view's owner update, run after every message the view receives.
    void PeriodicUpdate() override;
    void Play();
    void Pause();
    void StopPlayback();
    /// WM_PROGRESS_PRESSED: seek to the progress slider's position.
    std::intptr_t OnProgressPressed(std::uintptr_t wParam, std::intptr_t lParam);
    /// WM_VOLUME_PRESSED: volume from the volume slider's position.
    std::intptr_t OnVolumePressed(std::uintptr_t wParam, std::intptr_t lParam);
    /// WM_SLIDER_TRACK: volume while the volume slider is dragged (wParam 1042).
    std::intptr_t OnSliderTrack(std::uintptr_t wParam, std::intptr_t lParam);
    /// WM_MAP_DOCUMENT_COMPLETE: a page finished loading.
    std::intptr_t OnMapDocumentComplete(std::uintptr_t wParam, std::intptr_t lParam);
    /// WM_TIMER: the map-load watchdog (timer 1).
    void OnTimer(int timerId);
    void OnFolder();
    void OnDropFiles(const QStringList& paths);
    /// NM_CLICK and NM_DBLCLK of a list: row is the row within that list, -1 outside the rows.
    void OnListClick(ListSide side, int row);
    void OnListDoubleClick(ListSide side, int row);
    void OnPrev();
    void OnNext();
    void OnDelete();
    void OnPrevPage();
    void OnNextPage();
    void OnScreenshot();
    void OnGSensorPlus();
    void OnGSensorMinus();
    /// The full path of a page file in the URL folder.
    QString PageUrl(const QString& fileName) const;
    /// Shows a status page (file name in the URL folder), or opens the recording at once when
    /// that page is already shown.
    void ShowStatusPage(const QString& fileName);
    /// The current recording cannot be played (error and reason from the engine): says so over
    /// the video area, resets the map side and the readouts as for a recording without GPS and
    /// arms the step on.
    void ShowUnplayable(OSErr error, const QString& reason);
    /// Takes the notice away and disarms its step on.
    void HideUnplayable();
    bool UnplayableShown() const { return unplayableIndex_ >= 0; }
    /// The step after the last second of a movie: the next recording of the list, or Stop after
    /// the last one.
    void AdvanceToNextRecording();
    /// Sends the map view to a page and makes it currentPageUrl. Once that page has loaded (and
    /// no later page was asked for), the current recording is opened unless playback is stopped.
    void NavigateMapPage(const QString& url);

protected:
    /// The message map: one handler per message.
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void setVisible(bool visible) override;
    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

private:
    /// The recording list's access to playback (the dialog's own ShowMapForCurrent returns a
    /// result, the list's does not).
    class ListHost : public IRecordingListHost {
    public:
        explicit ListHost(CVindrelDlg& dialog) : dlg(dialog) {}
        bool HasMovie() const override;
        void HaltMovie() override;
        void StopPlayback() override;
        void ShowMapForCurrent() override;
        bool RecordingLoaded() const override;
        void SetRecordingLoaded(bool loaded) override;
        void SetStopped(bool stopped) override;
        QString BrowseForFolder() override;

    private:
        CVindrelDlg& dlg;
    };

    // The recording list lives first so that the members below can name its fields. Its views
    // refer to the list controls declared further down; they only keep the references.
    ListViewAdapter leftListView;
    ListViewAdapter rightListView;
    ListHost listHost;
    RecordingList recordingList;

public:
    // ---- The player's state, in declaration order -------------------------------------------
    QIcon appIcon;                  ///< icon 128: window icon, drawn while minimised
    std::int32_t language = 1;      ///< 0 English, 1 Simplified Chinese, 2 Traditional Chinese
    QLabel longitudeText;           ///< 1016
    QLabel latitudeText;            ///< 1017
    QLabel coordCaption;            ///< 1019
    QLabel titleBar;                ///< 1020
    QLabel fileNameText;            ///< 1039
    CMeter speedMeter;              ///< 1018
    CGoogleMapView mapView;         ///< 1028
    QString currentPageUrl;         ///< full path of the page last navigated to
    std::vector<GpsSample> gpsTrack;
    TextTrackData textTrackData;
    bool networkOk = true;
    bool mapLoadOk = true;
    bool recordingLoaded = false;
    bool advancing = false;
    bool stopped = false;
    int& clickedIndex;              ///< of recordingList
    int& clickedRow;                ///< of recordingList
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
    std::int32_t nextSecond = 0;
    CBitmapSlider progressSlider;   ///< 1041
    CBitmapSlider volumeSlider;     ///< 1042
    QLabel timeText;                ///< 1021
    QLabel volumeIcon;              ///< 1033
    CMyButton openButton;           ///< 1000
    CMyButton playButton;           ///< 1001
    CMyButton pauseButton;          ///< 1002
    CMyButton stopButton;           ///< 1003
    CMyButton rewindButton;         ///< 1004
    CMyButton fastForwardButton;    ///< 1005
    CMyButton prevButton;           ///< 1023
    CMyButton nextButton;           ///< 1022
    CMyButton folderButton;         ///< 1007
    CMyButton screenshotButton;     ///< 1013
    CMyButton prevPageButton;       ///< 1010
    CMyButton nextPageButton;       ///< 1012
    CMyButton deleteButton;         ///< 1015
    CMyButton minimizeButton;       ///< 1044
    CMyButton maximizeButton;       ///< 1043
    CMyButton closeButton;          ///< 1032
    CColorListCtrl leftList;        ///< 1034
    CColorListCtrl rightList;       ///< 1035
    std::vector<RecordingEntry>& recordings;  ///< of recordingList
    int& currentRecording;          ///< of recordingList
    int& pageIndex;                 ///< of recordingList
    int& highlightIndex;            ///< of recordingList
    CGSensor gSensorGraph;          ///< 1038
    CMyButton gSensorPlusButton;    ///< 1037
    CMyButton gSensorMinusButton;   ///< 1036
    QComboBox unitCombo;            ///< 1048

    /// Timer 1, the map-load watchdog: repeats every 3000 ms until stopped.
    QTimer mapLoadTimer;
    /// The page last navigated to (currentPageUrl) has finished loading. Its first finished load
    /// opens the current recording; later choices of the same page open at once.
    bool pageLoaded = false;

    /// Over the video area while the current recording cannot be played: why, in the UI
    /// language. After kUnplayableShowMs the list goes on as at the end of a movie.
    QLabel unplayableNotice;
    QTimer unplayableTimer;
    static constexpr int kUnplayableShowMs = 3000;
    /// Trips and events of the list (made by the initialisation; last, so it goes first).
    std::unique_ptr<CTripView> tripView;

    /// The recording list with its commands.
    RecordingList& RecordingListModel() { return recordingList; }
    const DialogServices& Services() const { return services_; }

private:
    /// Where a move puts the video view, and what it does to a movie that is open.
    enum class VideoMove {
        HaltMovePlay,  ///< halt, move, new movie box, play (layout, restore, full screen)
        BoxThenMove,   ///< new movie box, then move; playback goes on as it was (maximise)
    };
    /// Moves the video view to rect and gives it its movie box, or the stop picture.
    void PlaceVideoView(const LayoutRect& rect, VideoMove how);
    /// Moves the controls of a computed layout; with heightOnly the title strip and the caption
    /// buttons stay where they are.
    void MoveControls(const ControlLayout& layout, bool heightOnly);
    /// Column widths of both lists, columns 0 to columnCount - 1.
    void SetColumnWidths(int width, int columnCount);
    /// Bitmap 140 at width x 45 on the title strip.
    void LoadTitlePicture(int width);
    void SetMaximizeButtonPictures(bool restoreSign);
    /// Leaves or enters full screen.
    void EnterFullScreen();
    void LeaveFullScreen();
    /// Moves the window; sets layoutSuspended only when the size changes, since an unchanged size
    /// brings no size change to clear it again.
    void MoveWindowSuspended(const QRect& rect);
    WinRect WindowRect() const;
    /// True when the pointer at pos (dialog coordinates) is over the window's own surface or a
    /// control that lets the pointer through to it.
    bool OnOwnSurface(const QPoint& pos) const;
    /// A move or resize the window does by itself where the window system offers none.
    void DragTo(const QPoint& globalPos);
    void EndDrag();
    void ApplyControlColours();
    void BuildSystemMenu();

    DialogServices services_;
    std::map<int, QWidget*> controlsById_;
    std::array<CMyButton*, 18> buttons_{};
    QMenu* systemMenu_ = nullptr;  // child of the dialog
    bool initStarted_ = false;
    bool initialized_ = false;
    bool controlsBound_ = false;
    bool instanceMarked_ = false;
    /// The recording the unplayable notice is about; -1 while none is shown.
    int unplayableIndex_ = -1;
    /// The lists' viewports, whose clicks the event filter takes; kept so that the filter never
    /// has to ask a list that may be going away.
    QWidget* leftViewport_ = nullptr;
    QWidget* rightViewport_ = nullptr;
    /// The transport button that was visible on entering full screen; on leaving, both are
    /// shown and this one lies on top.
    int transportOnTop_ = kPlayButtonId;

    // A move or resize in progress without the window system's help.
    struct Drag {
        bool active = false;
        unsigned edges = 0;       // 0: moving
        QPoint pressGlobal;
        QRect startGeometry;
    } drag_;
};

/// Shows picture `number` scaled to width x height, centred, on a static control; a picture
/// that cannot be loaded leaves the control without one.
void ShowPicture(QLabel& label, int number, int width, int height);

/// The fonts of the readouts (10 points, 13 pixels) and of the time and file name (9 points,
/// 12 pixels), made once for the process.
const QFont& ReadoutFont();
const QFont& TimeFont();
