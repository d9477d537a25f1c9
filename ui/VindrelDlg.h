#pragma once
// CVindrelDlg: the player window and the only window of the program. A frameless dialog of
// 1160 x 678 pixels that owns every control and all player state: the video view, the map view,
// the coordinate readouts, the speed meter, the G-sensor graph, the transport and list buttons,
// the two halves of the recording list and its own caption buttons.
//
// The dialog routes: its message handlers forward the playback's messages to the playback
// controller (which owns the playback state and the recording list) and do the window's own work.
//   VindrelDlg.cpp          construction, binding, initialisation, the message map and commands
//   VindrelDlgLayout.cpp    placing the controls on a size change, colours, painting, system menu
//   WindowChrome.cpp        moving, resizing, minimise, maximise/restore, full screen, close

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
#include "ui/DialogServices.h"
#include "ui/PlaybackController.h"

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

    // ---- Playback and the list: forwarded to the playback controller -----------------------
    void PeriodicUpdate() { playback_.PeriodicUpdate(); }
    void Play() { playback_.Play(); }
    void Pause() { playback_.Pause(); }
    void StopPlayback() { playback_.StopPlayback(); }
    /// WM_PROGRESS_PRESSED: seek to the progress slider's position.
    std::intptr_t OnProgressPressed(std::uintptr_t, std::intptr_t);
    /// WM_VOLUME_PRESSED: volume from the volume slider's position.
    std::intptr_t OnVolumePressed(std::uintptr_t, std::intptr_t);
    /// WM_SLIDER_TRACK: volume while the volume slider is dragged (wParam 1042).
    std::intptr_t OnSliderTrack(std::uintptr_t wParam, std::intptr_t lParam);
    /// WM_MAP_DOCUMENT_COMPLETE: a page finished loading.
    std::intptr_t OnMapDocumentComplete(std::uintptr_t, std::intptr_t);
    void OnFolder();
    void OnDropFiles(const QStringList& paths);
    /// NM_CLICK and NM_DBLCLK of a list: row is the row within that list, -1 outside the rows.
    void OnListClick(ListSide side, int row) { playback_.List().OnListClick(side, row); }
    void OnListDoubleClick(ListSide side, int row) { playback_.List().OnListDoubleClick(side, row); }
    void OnPrev() { playback_.List().PlayPrevious(); }
    void OnNext() { playback_.List().PlayNext(); }
    void OnDelete();
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
    QIcon appIcon;                  ///< icon 128: window icon, drawn while minimised
    std::int32_t language = 1;      ///< 0 English, 1 Simplified Chinese, 2 Traditional Chinese
    QLabel longitudeText;           ///< 1016
    QLabel latitudeText;            ///< 1017
    QLabel coordCaption;            ///< 1019
    QLabel titleBar;                ///< 1020
    QLabel fileNameText;            ///< 1039
    CMeter speedMeter;              ///< 1018
    CGoogleMapView mapView;         ///< 1028
    const QString& currentPageUrl;
    const std::vector<GpsSample>& gpsTrack;
    const TextTrackData& textTrackData;
    const bool& networkOk;
    const bool& mapLoadOk;
    const bool& recordingLoaded;
    const bool& advancing;
    const bool& stopped;
    const int& clickedIndex;
    const int& clickedRow;
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
    const std::int32_t& nextSecond;
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
    const std::vector<RecordingEntry>& recordings;
    const int& currentRecording;
    const int& pageIndex;
    const int& highlightIndex;
    CGSensor gSensorGraph;          ///< 1038
    CMyButton gSensorPlusButton;    ///< 1037
    CMyButton gSensorMinusButton;   ///< 1036
    QComboBox unitCombo;            ///< 1048

    /// The map-load watchdog and the notice of a recording that cannot be played (the playback
    /// controller's).
    QTimer& mapLoadTimer;
    const bool& pageLoaded;
    const QLabel& unplayableNotice;
    /// Trips and events of the list (made by the initialisation; last, so it goes first).
    std::unique_ptr<CTripView> tripView;

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
