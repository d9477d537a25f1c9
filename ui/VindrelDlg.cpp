#include "ui/VindrelDlg.h"

#include "controls/Skin.h"
#include "engine/Engine.h"
#include "gps/GpsRecord.h"
#include "gps/GpsSource.h"
#include "gps/RecordingName.h"
#include "playback/QuickTime.h"
#include "playback/Screenshot.h"
#include "shell/SingleInstance.h"
#include "ui/ControlIds.h"
#include "ui/TripView.h"
#include "ui/UiStrings.h"
#include "ui/WindowLog.h"
#include "window/Messages.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QUrl>
#include <QWindowStateChangeEvent>

namespace {

QString Utf8(const char* text) { return QString::fromUtf8(text); }

}  // namespace

// ---- Construction ---------------------------------------------------------------------------

CVindrelDlg::CVindrelDlg(DialogServices services, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint),
      playback_(
          PlaybackControls{mapView, videoView, longitudeText, latitudeText, timeText, fileNameText, speedMeter,
                           gSensorGraph, progressSlider, volumeSlider, playButton, pauseButton, unitCombo, leftList,
                           rightList, videoRect, language},
          PlaybackServices{services.folders.urlFolder, services.isNetworkAlive, services.waitMs,
                           [this] { return services_.browseForFolder ? services_.browseForFolder(this) : QString(); }},
          this),
      services_(std::move(services))
{
    // Icon 128. LoadSkinImage makes the pictures available; the icon keeps its transparency.
    LoadSkinImage(kAppIcon);
    appIcon = QIcon(SkinPath(kAppIcon));

    // The dialog's font: 10 points of the platform's face, in pixels so it never follows the DPI.
    QFont dialogFont = font();
    dialogFont.setPixelSize(13);
    setFont(dialogFont);
    setAcceptDrops(true);
    setMouseTracking(true);  // the hit test follows the pointer over the window's own surface

    // Template captions of the buttons (the pictures replace them on screen).
    // clang-format off: a table
    const std::array<std::pair<CMyButton*, const char*>, 18> captions{{{&openButton, "Open"},
                                                                       {&playButton, "Play"},
                                                                       {&pauseButton, "Pause"},
                                                                       {&stopButton, "Stop"},
                                                                       {&rewindButton, "rewind"},
                                                                       {&fastForwardButton, "fast"},
                                                                       {&prevButton, "prev"},
                                                                       {&nextButton, "next"},
                                                                       {&folderButton, "floder"},
                                                                       {&screenshotButton, "Screenshot"},
                                                                       {&prevPageButton, "PPage"},
                                                                       {&nextPageButton, "NPage"},
                                                                       {&deleteButton, "delete"},
                                                                       {&minimizeButton, "min"},
                                                                       {&maximizeButton, "max"},
                                                                       {&closeButton, "close"},
                                                                       {&gSensorPlusButton, "+"},
                                                                       {&gSensorMinusButton, "-"}}};
    // clang-format on
    for (const auto& [button, caption] : captions) {
        button->setText(QString::fromLatin1(caption));
    }
    gSensorGraph.setText(QStringLiteral("Static"));
    longitudeText.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    latitudeText.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    fileNameText.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    timeText.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    for (QLabel* label : {&longitudeText, &latitudeText, &fileNameText, &timeText, &coordCaption, &titleBar}) {
        label->setTextFormat(Qt::PlainText);
    }
}

CVindrelDlg::~CVindrelDlg()
{
    // No messages from the map view while the members go away.
    mapView.SetMessageTarget(nullptr);
    // The lists go away before the dialog: their events must not reach its filter meanwhile.
    if (leftViewport_) {
        leftViewport_->removeEventFilter(this);
    }
    if (rightViewport_) {
        rightViewport_->removeEventFilter(this);
    }
    leftViewport_ = rightViewport_ = nullptr;
    // The video view goes first, while the controls its owner update touches still exist.
    videoView.reset();
}

QWidget* CVindrelDlg::ControlById(int id) const
{
    const auto it = controlsById_.find(id);
    return it == controlsById_.end() ? nullptr : it->second;
}

int CVindrelDlg::DoModal()
{
    setVisible(true);
    if (!initialized_) {
        return -1;
    }
    return exec();
}

void CVindrelDlg::setVisible(bool visible)
{
    // The window is initialised once, when it is first shown.
    if (visible && !initStarted_) {
        initStarted_ = true;
        OnInitDialog();
    }
    if (visible && !initialized_) {
        return;
    }
    QDialog::setVisible(visible);
    if (visible && !instanceMarked_) {
        instanceMarked_ = true;
        const bool marked = MarkAsRunningPlayer(this);
        qCDebug(lcWindow) << "shown; instance mark" << (marked ? "set" : "not set") << "on window" << winId();
    }
}

// ---- Binding --------------------------------------------------------------------------------

void CVindrelDlg::DoDataExchange()
{
    // clang-format off: a table
    const std::array<std::pair<int, QWidget*>, 33> bindings{{{kLongitudeTextId, &longitudeText},
                                                             {kLatitudeTextId, &latitudeText},
                                                             {kSpeedMeterId, &speedMeter},
                                                             {kCoordCaptionId, &coordCaption},
                                                             {kTitleBarId, &titleBar},
                                                             {kMapViewId, &mapView},
                                                             {kCloseButtonId, &closeButton},
                                                             {kOpenButtonId, &openButton},
                                                             {kPlayButtonId, &playButton},
                                                             {kPauseButtonId, &pauseButton},
                                                             {kProgressSliderId, &progressSlider},
                                                             {kTimeTextId, &timeText},
                                                             {kVolumeSliderId, &volumeSlider},
                                                             {kVolumeIconId, &volumeIcon},
                                                             {kStopButtonId, &stopButton},
                                                             {kRewindButtonId, &rewindButton},
                                                             {kFastForwardButtonId, &fastForwardButton},
                                                             {kFolderButtonId, &folderButton},
                                                             {kLeftListId, &leftList},
                                                             {kRightListId, &rightList},
                                                             {kGSensorGraphId, &gSensorGraph},
                                                             {kGSensorPlusButtonId, &gSensorPlusButton},
                                                             {kGSensorMinusButtonId, &gSensorMinusButton},
                                                             {kScreenshotButtonId, &screenshotButton},
                                                             {kPrevPageButtonId, &prevPageButton},
                                                             {kNextPageButtonId, &nextPageButton},
                                                             {kDeleteButtonId, &deleteButton},
                                                             {kFileNameTextId, &fileNameText},
                                                             {kPrevButtonId, &prevButton},
                                                             {kNextButtonId, &nextButton},
                                                             {kMaximizeButtonId, &maximizeButton},
                                                             {kMinimizeButtonId, &minimizeButton},
                                                             {kUnitComboId, &unitCombo}}};
    // clang-format on
    for (const auto& [id, widget] : bindings) {
        widget->setObjectName(QString::number(id));
        widget->setProperty("controlId", id);
        controlsById_[id] = widget;
    }

    std::size_t next = 0;
    for (const ButtonSkin& skin : kButtonSkins) {
        auto* button = static_cast<CMyButton*>(controlsById_.at(skin.id));
        buttons_[next++] = button;
        button->resize(skin.frameWidth, skin.frameHeight);
        const int id = skin.id;
        connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
    }
    // Controls that take the mouse keep the normal pointer whatever the window's own shows.
    for (QWidget* w :
         std::initializer_list<QWidget*>{&mapView, &leftList, &rightList, &progressSlider, &volumeSlider, &unitCombo}) {
        w->setCursor(Qt::ArrowCursor);
    }
    for (CMyButton* button : buttons_) {
        button->setCursor(Qt::ArrowCursor);
    }
    // The controls that only show something pass the pointer's moves on to the window, whose
    // hit test then sets the cursor and takes the hover frames off.
    for (QWidget* w :
         std::initializer_list<QWidget*>{&longitudeText, &latitudeText, &coordCaption, &titleBar, &fileNameText,
                                         &speedMeter, &timeText, &volumeIcon, &gSensorGraph}) {
        w->setMouseTracking(true);
    }

    // The unit is read when a speed is shown; a change of selection does nothing by itself.
    progressSlider.setControlId(kProgressSliderId);
    progressSlider.setMainWindow(this);
    volumeSlider.setControlId(kVolumeSliderId);
    volumeSlider.setMainWindow(this);
    mapView.SetMessageTarget(this);
    leftViewport_ = leftList.viewport();
    rightViewport_ = rightList.viewport();
    leftViewport_->installEventFilter(this);
    rightViewport_->installEventFilter(this);
    controlsBound_ = true;
    ApplyControlColours();
}

// ---- Initialisation -------------------------------------------------------------------------

bool CVindrelDlg::OnInitDialog()
{
    // 1. The controls.
    DoDataExchange();

    // 2. The mark of a running player goes on the window once it is shown (setVisible): a
    //    window made before that is not the one that stays, so a second start must not find it.

    // 3. The system menu with its about item.
    chrome_.BuildSystemMenu();

    // 4. The window icon.
    setWindowIcon(appIcon);

    // 5. The speed units.
    unitCombo.addItem(QStringLiteral("km/h"));
    unitCombo.addItem(QStringLiteral("m/h"));
    unitCombo.setCurrentIndex(0);

    // 6. The window can be minimised: its flags carry the minimise button from construction.

    // 7. The media engine. A failure has shown its message and ended the process.
    qCDebug(lcWindow) << "start: media engine";
    if (!services_.startMediaEngine || !services_.startMediaEngine()) {
        qCInfo(lcWindow) << "start: the media engine did not start";
        return false;
    }

    // 8. Children are clipped and painted on their own in this toolkit; nothing to add.

    // 9. The video view in the place of control 1011.
    if (!videoView) {
        videoView = std::make_unique<CVideoView>(&playback_, this);
        videoView->setObjectName(QString::number(kVideoViewId));
        videoView->setProperty("controlId", kVideoViewId);
        controlsById_[kVideoViewId] = videoView.get();
        videoView->setMouseTracking(true);
        videoView->show();
    }

    // 10. Centred on the work area, 1160 x 678. The move runs the layout once.
    QScreen* where = screen();
    const QRect work = where ? where->availableGeometry() : QRect(0, 0, kDialogWidth, kDialogHeight);
    videoWidth = kStartVideoWidth;
    videoHeight = kStartVideoHeight;
    const LayoutPoint start =
        StartWindowPosition(WinRect{work.left(), work.top(), work.left() + work.width(), work.top() + work.height()});
    setMinimumSize(OnGetMinMaxInfo());
    setGeometry(start.x, start.y, kDialogWidth, kDialogHeight);
    chrome_.OnSize(0, kDialogWidth, kDialogHeight);

    // 11. Every control in its start place.
    const ControlLayout startLayout = ComputeLayout(kDialogWidth, kDialogHeight);
    chrome_.MoveControls(startLayout, false);
    videoView->setGeometry(5, kTitleHeight, videoWidth, videoHeight);

    // 12. The list columns: titles, and widths of 50, 35 and 20 per cent of each list.
    QStringList titles;
    for (int i = 0; i < kListColumnCount; ++i) {
        titles << Utf8(uiStrings[static_cast<std::size_t>(language)][static_cast<std::size_t>(kColumnTitleFirst + i)]);
    }
    const std::vector<std::uint8_t> percentages{50, 35, 20};
    for (CColorListCtrl* list : {&leftList, &rightList}) {
        list->SetColumnTitles(titles);
        list->SetColumnWidths(percentages);
        list->CreateColumns();
        list->setSelectionBehavior(QAbstractItemView::SelectRows);  // full-row select
    }
    leftList.setSelectionMode(QAbstractItemView::ExtendedSelection);
    rightList.setSelectionMode(QAbstractItemView::SingleSelection);

    // 13. The speed meter: dial 132, 0 to 120 km/h, at 0.
    speedMeter.LoadDial(kBmpSpeedDial);
    speedMeter.setRangeMin(0);
    speedMeter.setRangeMax(120);
    speedMeter.SetValue(0);
    speedMeter.update();

    // 14. The title strip.
    chrome_.LoadTitlePicture(kDialogWidth);

    // 15. The movie wrapper draws into the video view; the stop picture until a movie plays.
    videoView->movieWrapper->AttachWindow(videoView.get());
    videoView->movieWrapper->pictureWidth = static_cast<std::int16_t>(videoWidth);
    videoView->movieWrapper->pictureHeight = static_cast<std::int16_t>(videoHeight);
    videoView->ShowStopPicture(videoWidth, videoHeight);

    // 16. The video area of the start layout.
    videoRect = WinRect{5, 0, videoWidth + 5, videoHeight};

    // 17. The page files. A failure has shown "Release Url Fail!" and ended the process.
    if (!services_.writeMapPages || !services_.writeMapPages(services_.folders)) {
        return false;
    }

    // 18. The start page.
    playback_.ShowStartPage();

    // 19. The coordinate caption in the UI language.
    ShowPicture(coordCaption, CoordCaptionBitmap(language), 430, 38);

    // 20. The readouts' font.
    longitudeText.setFont(ReadoutFont());
    latitudeText.setFont(ReadoutFont());

    // 21. The progress slider: 0 to 100, a press seeks.
    progressSlider.LoadThumbBitmaps();
    progressSlider.setRangeMax(100);
    progressSlider.setRangeMin(0);
    progressSlider.SetPosition(0);
    progressSlider.setDrawFocusRect(false);
    progressSlider.setProgressBar(true);

    // 22. The time text.
    timeText.setText(QStringLiteral("00:00:00/00:00:00"));
    timeText.setFont(TimeFont());

    // 23. The volume slider: 0 to 100, at 30.
    volumeSlider.SetChannelBitmaps(85, kBmpVolumeChannel, kBmpVolumeActiveChannel);
    volumeSlider.LoadThumbBitmaps();
    volumeSlider.setRangeMax(100);
    volumeSlider.setRangeMin(0);
    volumeSlider.SetPosition(30);
    volumeSlider.setDrawFocusRect(false);
    volumeSlider.setProgressBar(false);

    // 24. The loudspeaker.
    ShowPicture(volumeIcon, kBmpVolumeIcon, 25, 25);

    // 25. No file yet.
    fileNameText.setText(QString());
    fileNameText.setFont(TimeFont());

    // 26. Button frames and pictures; the buttons without a use are hidden.
    for (const ButtonSkin& skin : kButtonSkins) {
        auto* button = static_cast<CMyButton*>(ControlById(skin.id));
        button->setFrameWidth(skin.frameWidth);
        button->setFrameHeight(skin.frameHeight);
    }
    for (const ButtonSkin& skin : kButtonSkins) {
        if (skin.id != kOpenButtonId && skin.id != kGSensorPlusButtonId && skin.id != kGSensorMinusButtonId) {
            static_cast<CMyButton*>(ControlById(skin.id))->LoadBitmaps(skin.normal, skin.selected, skin.focus);
        }
    }
    rewindButton.hide();
    pauseButton.hide();
    fastForwardButton.hide();
    stopButton.hide();

    // 27. Tooltips in the UI language.
    for (std::size_t i = 0; i < kTooltipButtons.size(); ++i) {
        static_cast<CMyButton*>(ControlById(kTooltipButtons[i]))
            ->SetTooltipText(Utf8(uiStrings[static_cast<std::size_t>(language)][i]));
    }

    // 28. The open button has no use: pictures, its place, hidden.
    openButton.LoadBitmaps(kBmpOpen, kBmpOpen, kBmpOpenFocus);
    openButton.setGeometry(kOpenButtonX, kOpenButtonY, 32, 32);
    openButton.hide();

    // 29. The G-sensor chart's background.
    ShowPicture(gSensorGraph, kBmpGSensorGraph, 205, 150);

    // 30. The chart's scale buttons.
    gSensorPlusButton.LoadBitmaps(kBmpGSensorPlus, kBmpGSensorPlusSelected);
    gSensorMinusButton.LoadBitmaps(kBmpGSensorMinus, kBmpGSensorMinusSelected);

    tripView = std::make_unique<CTripView>(*this);
    connect(&playback_, &CPlaybackController::RecordingOpened, tripView.get(), &CTripView::RecordingOpened);
    connect(&playback_, &CPlaybackController::ListChanged, tripView.get(), &CTripView::ListChanged);

    // 31. Recordings named on the command line.
    AddCommandLineRecordings(services_.commandLine);
    qCDebug(lcWindow) << "start:" << recordings.size() << "recordings on the command line";

    // 32. In time order, on the list.
    playback_.List().SortRecordingsByTime();
    playback_.List().FillList();

    // 33. A single recording is opened at once.
    playback_.List().ApplySingleRecordingRule();
    tripView->ListChanged();

    initialized_ = true;
    return true;
}

// ---- The message map ------------------------------------------------------------------------

bool CVindrelDlg::Answer(QEvent* e, Handler handler)
{
    if (auto* m = dynamic_cast<WindowMessage*>(e)) {
        m->result = handler ? (this->*handler)(m->wParam, m->lParam) : 1;
    }
    return true;
}

std::intptr_t CVindrelDlg::OnSliderTrack(std::uintptr_t wParam, std::intptr_t lParam)
{
    if (wParam == static_cast<std::uintptr_t>(kVolumeSliderId)) {
        playback_.SetVolume(static_cast<int>(lParam));
    }
    return 1;
}

std::intptr_t CVindrelDlg::OnMapClicked(std::uintptr_t wParam, std::intptr_t lParam)
{
    return tripView ? tripView->OnMapClicked(wParam, lParam) : 0;
}

bool CVindrelDlg::event(QEvent* e)
{
    const int message = static_cast<int>(e->type());
    switch (message) {
    case WM_MAP_DOCUMENT_COMPLETE: return Answer(e, &CVindrelDlg::OnMapDocumentComplete);
    case WM_PROGRESS_PRESSED: return Answer(e, &CVindrelDlg::OnProgressPressed);
    case WM_VOLUME_PRESSED: return Answer(e, &CVindrelDlg::OnVolumePressed);
    case WM_SLIDER_TRACK: return Answer(e, &CVindrelDlg::OnSliderTrack);
    case WM_MAP_CLICKED: return Answer(e, &CVindrelDlg::OnMapClicked);
    case WM_MAP_NAVIGATE_COMPLETE:
    case WM_MAP_BEFORE_NAVIGATE:
    case WM_MAP_DOWNLOAD_DONE: return Answer(e, nullptr);  // answered, nothing more to do
    case WM_SLIDER_CHANGED: return true;                   // not handled: releasing a slider does nothing more

    case QEvent::Resize: {
        const bool handled = QDialog::event(e);
        const QSize size = static_cast<QResizeEvent*>(e)->size();
        OnSize(0, size.width(), size.height());
        return handled;
    }
    case QEvent::WindowStateChange: {
        const bool handled = QDialog::event(e);
        const auto* change = static_cast<QWindowStateChangeEvent*>(e);
        const bool wasMinimized = change->oldState() & Qt::WindowMinimized;
        if (isMinimized() && !wasMinimized) {
            OnSize(1, 0, 0);  // minimised: the size 0 x 0 is stored
        } else if (!isMinimized() && wasMinimized) {
            OnSize(0, width(), height());  // back again: everything is laid out
        }
        return handled;
    }
    case QEvent::WinIdChange: {
        const bool handled = QDialog::event(e);
        // The window system's window was made anew: the mark goes on the new one.
        if (instanceMarked_ && isVisible() && testAttribute(Qt::WA_WState_Created)) {
            qCDebug(lcWindow) << "window made anew; instance mark set again on" << winId();
            MarkAsRunningPlayer(this);
        }
        return handled;
    }
    case QEvent::Paint: {
        const bool handled = QDialog::event(e);
        OnPaint();
        return handled;
    }
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: return chrome_.TakeMouseEvent(static_cast<QMouseEvent*>(e)) || QDialog::event(e);
    case QEvent::ContextMenu: {
        auto* menu = static_cast<QContextMenuEvent*>(e);
        if (titleBar.isVisible() && titleBar.geometry().contains(menu->pos())) {
            chrome_.ShowSystemMenu(menu->globalPos());
            return true;
        }
        return QDialog::event(e);
    }
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(e);
        const bool plain = key->modifiers() == Qt::NoModifier ||
                           (key->modifiers() == Qt::KeypadModifier && key->key() == Qt::Key_Enter);
        if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            OnOK();
            return true;
        }
        return QDialog::event(e);  // Esc: reject
    }
    case QEvent::DragEnter: {
        auto* drag = static_cast<QDragEnterEvent*>(e);
        if (drag->mimeData()->hasUrls()) {
            drag->acceptProposedAction();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(e);
        QStringList paths;
        for (const QUrl& url : drop->mimeData()->urls()) {
            if (url.isLocalFile()) {
                paths << url.toLocalFile();
            }
        }
        drop->acceptProposedAction();
        OnDropFiles(paths);
        return true;
    }
    default: return QDialog::event(e);
    }
}

bool CVindrelDlg::eventFilter(QObject* watched, QEvent* e)
{
    // The lists' clicks and double clicks, with the row under the pointer (-1 outside the rows).
    // Only the pointers are compared: a list being destroyed is never asked for its viewport.
    const bool left = watched != nullptr && watched == leftViewport_;
    const bool right = watched != nullptr && watched == rightViewport_;
    if ((left || right) && (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick)) {
        auto* mouse = static_cast<QMouseEvent*>(e);
        if (mouse->button() == Qt::LeftButton) {
            CColorListCtrl& list = left ? leftList : rightList;
            const int row = list.indexAt(mouse->position().toPoint()).row();
            const ListSide side = left ? ListSide::Left : ListSide::Right;
            if (e->type() == QEvent::MouseButtonPress) {
                OnListClick(side, row);
            } else {
                OnListDoubleClick(side, row);
            }
        }
    }
    return QDialog::eventFilter(watched, e);
}

void CVindrelDlg::OnCommand(int id)
{
    switch (id) {
    case kOpenButtonId:
    case kRewindButtonId:
    case kFastForwardButtonId: break;  // no use
    case kPlayButtonId: Play(); break;
    case kPauseButtonId: Pause(); break;
    case kStopButtonId: StopPlayback(); break;
    case kFolderButtonId: OnFolder(); break;
    case kGSensorMinusButtonId: OnGSensorMinus(); break;
    case kGSensorPlusButtonId: OnGSensorPlus(); break;
    case kScreenshotButtonId: OnScreenshot(); break;
    case kPrevPageButtonId: OnPrevPage(); break;
    case kNextPageButtonId: OnNextPage(); break;
    case kDeleteButtonId: OnDelete(); break;
    case kCloseButtonId: OnClose(); break;
    case kPrevButtonId: OnPrev(); break;
    case kNextButtonId: OnNext(); break;
    case kMaximizeButtonId: OnMaximize(); break;
    case kMinimizeButtonId: OnMinimize(); break;
    default: break;
    }
}

void CVindrelDlg::OnOK() { done(IDOK); }

void CVindrelDlg::OnClose()
{
    // The view deletes its movie wrapper; the engine is then left.
    controlsById_.erase(kVideoViewId);
    videoView.reset();
    EngineLeaveMovies();
    OnOK();
}

void CVindrelDlg::OnCancel() { done(IDCANCEL); }

void CVindrelDlg::OnScreenshot()
{
    if (videoView) {
        TakeScreenshot(*videoView, services_.folders.videoShotsFolder);
    }
}
