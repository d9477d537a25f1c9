#include "ui/VindrelDlg.h"

#include "app/SingleInstance.h"
#include "controls/Skin.h"
#include "gps/GpsRecord.h"
#include "gps/GpsSource.h"
#include "gps/RecordingName.h"
#include "map/MapStartup.h"
#include "playback/EngineStartup.h"
#include "playback/QuickTime.h"
#include "ui/ControlIds.h"
#include "ui/TripView.h"
#include "ui/UiStrings.h"
#include "ui/WindowLog.h"
#include "window/Messages.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QNetworkInformation>
#include <QNetworkInterface>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QThread>
#include <QUrl>
#include <QWindowStateChangeEvent>

namespace {

// The words of the start-up texts.
const char* const kZeroCoordinate = "000.000000";
const char* const kIdleTime = "00:00:00/00:00:00";

/// The skin of a button by its ID.
const ButtonSkin& SkinFor(int id)
{
    for (const ButtonSkin& skin : kButtonSkins) {
        if (skin.id == id) {
            return skin;
        }
    }
    return kButtonSkins.front();  // every caller names one of the eighteen
}

void LoadButtonBitmaps(CMyButton& button, int id)
{
    const ButtonSkin& skin = SkinFor(id);
    button.LoadBitmaps(skin.normal, skin.selected, skin.focus);
}

QString Utf8(const char* text) { return QString::fromUtf8(text); }

}  // namespace

// ---- Services -------------------------------------------------------------------------------

bool IsNetworkAlive()
{
    // The platform's own view of reachability where it has one; a local network counts.
    if (QNetworkInformation::instance() || QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) {
        if (QNetworkInformation* info = QNetworkInformation::instance()) {
            switch (info->reachability()) {
            case QNetworkInformation::Reachability::Online:
            case QNetworkInformation::Reachability::Site:
            case QNetworkInformation::Reachability::Local:
                return true;
            case QNetworkInformation::Reachability::Disconnected:
                return false;
            case QNetworkInformation::Reachability::Unknown:
                break;
            }
        }
    }
    // Otherwise: any interface but the loopback that is up and running.
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning) &&
            !flags.testFlag(QNetworkInterface::IsLoopBack)) {
            return true;
        }
    }
    return false;
}

DialogServices DialogServices::Defaults()
{
    DialogServices s;
    s.startMediaEngine = [] {
        QtEngineStartupUi ui;
        return StartMediaEngine(ui);
    };
    s.folders = DefaultAppFolders();
    s.writeMapPages = [](const AppFolders& folders) { return WriteMapPages(folders, ShowFatalAndExit); };
    s.browseForFolder = [](QWidget* owner) {
        return QFileDialog::getExistingDirectory(owner, QString(), QString(), QFileDialog::ShowDirsOnly);
    };
#if VINDREL_MAP_BUILTIN
    // The built-in map needs no network: its page, library and conversion are the player's own,
    // and without one it draws on a plain background and the tiles from the disk cache.
    s.isNetworkAlive = nullptr;
#else
    s.isNetworkAlive = IsNetworkAlive;
#endif
    s.waitMs = [](int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); };
    s.commandLine = QCoreApplication::arguments().mid(1);
    return s;
}

// ---- Fonts and pictures ---------------------------------------------------------------------

const QFont& ReadoutFont()
{
    static const QFont font = [] {
        QFont f;  // the platform's default face
        f.setPixelSize(13);  // 10 points at 96 pixels per inch
        return f;
    }();
    return font;
}

const QFont& TimeFont()
{
    static const QFont font = [] {
        QFont f;
        f.setPixelSize(12);  // 9 points
        return f;
    }();
    return font;
}

void ShowPicture(QLabel& label, int number, int width, int height)
{
    label.setAlignment(Qt::AlignCenter);
    const QImage picture = width > 0 && height > 0 ? LoadSkinImage(number, QSize(width, height)) : QImage();
    label.setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
}

// ---- Construction ---------------------------------------------------------------------------

CVindrelDlg::CVindrelDlg(DialogServices services, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint),
      leftListView(&leftList),
      rightListView(&rightList),
      listHost(*this),
      recordingList(leftListView, rightListView, listHost),
      longitudeText(Utf8(kZeroCoordinate), this),
      latitudeText(Utf8(kZeroCoordinate), this),
      coordCaption(QStringLiteral("longitudeLatitude"), this),
      titleBar(QStringLiteral("Vindrel V1.0"), this),
      fileNameText(QStringLiteral("Curr File"), this),
      speedMeter(this),
      mapView(this),
      clickedIndex(recordingList.clickedIndex),
      clickedRow(recordingList.clickedRow),
      progressSlider(this),
      volumeSlider(this),
      timeText(Utf8(kIdleTime), this),
      volumeIcon(this),
      openButton(this),
      playButton(this),
      pauseButton(this),
      stopButton(this),
      rewindButton(this),
      fastForwardButton(this),
      prevButton(this),
      nextButton(this),
      folderButton(this),
      screenshotButton(this),
      prevPageButton(this),
      nextPageButton(this),
      deleteButton(this),
      minimizeButton(this),
      maximizeButton(this),
      closeButton(this),
      leftList(this),
      rightList(this),
      recordings(recordingList.recordings),
      currentRecording(recordingList.currentRecording),
      pageIndex(recordingList.pageIndex),
      highlightIndex(recordingList.highlightIndex),
      gSensorGraph(this),
      gSensorPlusButton(this),
      gSensorMinusButton(this),
      unitCombo(this),
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
    const std::array<std::pair<CMyButton*, const char*>, 18> captions{{
        {&openButton, "Open"}, {&playButton, "Play"}, {&pauseButton, "Pause"}, {&stopButton, "Stop"},
        {&rewindButton, "rewind"}, {&fastForwardButton, "fast"}, {&prevButton, "prev"}, {&nextButton, "next"},
        {&folderButton, "floder"}, {&screenshotButton, "Screenshot"}, {&prevPageButton, "PPage"},
        {&nextPageButton, "NPage"}, {&deleteButton, "delete"}, {&minimizeButton, "min"},
        {&maximizeButton, "max"}, {&closeButton, "close"}, {&gSensorPlusButton, "+"},
        {&gSensorMinusButton, "-"},
    }};
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

    mapLoadTimer.setInterval(kMapLoadTimeoutMs);
    mapLoadTimer.setSingleShot(false);
    connect(&mapLoadTimer, &QTimer::timeout, this, [this] { OnTimer(kMapLoadTimerId); });

    // The notice of a recording that cannot be played: white on black over the video area.
    unplayableNotice.setParent(this);
    unplayableNotice.setTextFormat(Qt::PlainText);
    unplayableNotice.setAlignment(Qt::AlignCenter);
    unplayableNotice.setWordWrap(true);
    unplayableNotice.setMargin(24);
    unplayableNotice.setAutoFillBackground(true);
    QPalette noticeColours = unplayableNotice.palette();
    noticeColours.setColor(QPalette::Window, Qt::black);
    noticeColours.setColor(QPalette::WindowText, Qt::white);
    unplayableNotice.setPalette(noticeColours);
    unplayableNotice.hide();
    unplayableTimer.setSingleShot(true);
    unplayableTimer.setInterval(kUnplayableShowMs);
    connect(&unplayableTimer, &QTimer::timeout, this, [this] {
        if (unplayableIndex_ != currentRecording || stopped) {
            HideUnplayable();
            return;
        }
        qCInfo(lcWindow) << "the unplayable recording's notice has been shown; the list goes on";
        AdvanceToNextRecording();
    });
}

CVindrelDlg::~CVindrelDlg()
{
    // No messages from the map view while the members go away.
    mapView.SetMessageTarget(nullptr);
    mapLoadTimer.stop();
    unplayableTimer.stop();
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
    const std::array<std::pair<int, QWidget*>, 33> bindings{{
        {kLongitudeTextId, &longitudeText},
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
        {kUnitComboId, &unitCombo},
    }};
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
    for (QWidget* w : std::initializer_list<QWidget*>{&mapView, &leftList, &rightList, &progressSlider,
                                                      &volumeSlider, &unitCombo}) {
        w->setCursor(Qt::ArrowCursor);
    }
    for (CMyButton* button : buttons_) {
        button->setCursor(Qt::ArrowCursor);
    }
    // The controls that only show something pass the pointer's moves on to the window, whose
    // hit test then sets the cursor and takes the hover frames off.
    for (QWidget* w : std::initializer_list<QWidget*>{&longitudeText, &latitudeText, &coordCaption, &titleBar,
                                                      &fileNameText, &speedMeter, &timeText, &volumeIcon,
                                                      &gSensorGraph}) {
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
    BuildSystemMenu();

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
        videoView = std::make_unique<CVideoView>(this, this);
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
    OnSize(0, kDialogWidth, kDialogHeight);

    // 11. Every control in its start place.
    const ControlLayout startLayout = ComputeLayout(kDialogWidth, kDialogHeight);
    MoveControls(startLayout, false);
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
    LoadTitlePicture(kDialogWidth);

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
    NavigateMapPage(PageUrl(QStringLiteral("startup.html")));

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
    timeText.setText(Utf8(kIdleTime));
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
    for (int id : {kScreenshotButtonId, kFolderButtonId, kPrevPageButtonId, kPrevButtonId, kRewindButtonId,
                   kPlayButtonId, kPauseButtonId, kFastForwardButtonId, kNextButtonId, kNextPageButtonId,
                   kDeleteButtonId, kMinimizeButtonId, kMaximizeButtonId, kCloseButtonId, kStopButtonId}) {
        LoadButtonBitmaps(*static_cast<CMyButton*>(ControlById(id)), id);
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

    // 31. Recordings named on the command line.
    AddCommandLineRecordings(services_.commandLine);
    qCDebug(lcWindow) << "start:" << recordings.size() << "recordings on the command line";

    // 32. In time order, on the list.
    recordingList.SortRecordingsByTime();
    recordingList.FillList();

    // 33. A single recording is opened at once.
    recordingList.ApplySingleRecordingRule();
    tripView->ListChanged();

    initialized_ = true;
    return true;
}

void CVindrelDlg::AddCommandLineRecordings(const QStringList& words)
{
    // The last word first, so that the first, second and third files come out as third, second
    // and first before the list is ordered. Each argument is one word, blanks and all: the
    // shell has already split the command line and taken its quotation marks away.
    for (auto it = words.crbegin(); it != words.crend(); ++it) {
        const QString& word = *it;
        if (word.isEmpty() || !IsRecordingFile(word)) {
            continue;
        }
        // The log is looked for relative to the recording's folder, so the path must be whole.
        const QString path = QFileInfo(word).absoluteFilePath();
        recordings.push_back(RecordingEntry{path, QString(), RecordingGpsStatus(path)});
    }
}

// ---- The message map ------------------------------------------------------------------------

bool CVindrelDlg::event(QEvent* e)
{
    const int message = static_cast<int>(e->type());
    switch (message) {
    case WM_MAP_DOCUMENT_COMPLETE:
        if (auto* m = dynamic_cast<WindowMessage*>(e)) {
            m->result = OnMapDocumentComplete(m->wParam, m->lParam);
        }
        return true;
    case WM_MAP_NAVIGATE_COMPLETE:
    case WM_MAP_BEFORE_NAVIGATE:
    case WM_MAP_DOWNLOAD_DONE:
        if (auto* m = dynamic_cast<WindowMessage*>(e)) {
            m->result = 1;
        }
        return true;
    case WM_PROGRESS_PRESSED:
        if (auto* m = dynamic_cast<WindowMessage*>(e)) {
            m->result = OnProgressPressed(m->wParam, m->lParam);
        }
        return true;
    case WM_VOLUME_PRESSED:
        if (auto* m = dynamic_cast<WindowMessage*>(e)) {
            m->result = OnVolumePressed(m->wParam, m->lParam);
        }
        return true;
    case WM_SLIDER_TRACK:
        if (auto* m = dynamic_cast<WindowMessage*>(e)) {
            m->result = OnSliderTrack(m->wParam, m->lParam);
        }
        return true;
    case WM_MAP_CLICKED:
        if (auto* m = dynamic_cast<WindowMessage*>(e); m && tripView) {
            m->result = tripView->OnMapClicked(m->wParam, m->lParam);
        }
        return true;
    case WM_SLIDER_CHANGED:
        return true;  // not handled: releasing a slider does nothing more

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
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(e);
        const QPoint global = mouse->globalPosition().toPoint();
        if (drag_.active) {
            DragTo(global);
            return true;
        }
        if (!OnOwnSurface(mouse->position().toPoint())) {
            return QDialog::event(e);  // a control's own move, passed on by it
        }
        const int hit = OnNcHitTest(global);
        switch (CursorForHit(hit)) {
        case ChromeCursor::SizeHorizontal: setCursor(Qt::SizeHorCursor); break;
        case ChromeCursor::SizeVertical: setCursor(Qt::SizeVerCursor); break;
        case ChromeCursor::SizeNwSe: setCursor(Qt::SizeFDiagCursor); break;
        case ChromeCursor::SizeNeSw: setCursor(Qt::SizeBDiagCursor); break;
        case ChromeCursor::Arrow: setCursor(Qt::ArrowCursor); break;
        }
        return QDialog::event(e);
    }
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(e);
        if (mouse->button() == Qt::LeftButton && OnOwnSurface(mouse->position().toPoint())) {
            const QPoint global = mouse->globalPosition().toPoint();
            const int hit = OnNcHitTest(global);
            if (hit != HTCLIENT) {
                OnNcLButtonDown(hit, global);
            }
            return true;
        }
        return QDialog::event(e);
    }
    case QEvent::MouseButtonRelease:
        if (drag_.active && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
            EndDrag();
            return true;
        }
        return QDialog::event(e);
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(e);
        // Only a double click in the client area counts: on the video, or anywhere on the
        // window's own surface while it is maximised or in full screen.
        if (mouse->button() == Qt::LeftButton && OnOwnSurface(mouse->position().toPoint()) &&
            OnNcHitTest(mouse->globalPosition().toPoint()) == HTCLIENT) {
            OnLButtonDblClk();
        }
        return true;
    }
    case QEvent::ContextMenu: {
        auto* menu = static_cast<QContextMenuEvent*>(e);
        if (titleBar.isVisible() && titleBar.geometry().contains(menu->pos())) {
            ShowSystemMenu(menu->globalPos());
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
    default:
        return QDialog::event(e);
    }
}

bool CVindrelDlg::OnOwnSurface(const QPoint& pos) const
{
    // The window's background, and the controls that only show something (pictures, texts, the
    // meter, the video) let the pointer through to the window; buttons, lists, sliders, the
    // combo box and the map view keep it to themselves.
    const QWidget* child = childAt(pos);
    if (!child) {
        return true;
    }
    // The window mpv draws the movie into is part of the video.
    if (videoView && videoView->isAncestorOf(child)) {
        return true;
    }
    return qobject_cast<const QLabel*>(child) != nullptr || child == &speedMeter;
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
    case kFastForwardButtonId:
        break;  // no use
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

void CVindrelDlg::OnCancel() { done(IDCANCEL); }

// ---- The recording list's access to playback ------------------------------------------------

bool CVindrelDlg::ListHost::HasMovie() const
{
    // A recording whose notice says it cannot be played counts as held: a new list stops it.
    return (dlg.videoView && dlg.videoView->movieWrapper && dlg.videoView->movieWrapper->movie) ||
           dlg.UnplayableShown();
}

void CVindrelDlg::ListHost::HaltMovie()
{
    if (dlg.videoView && dlg.videoView->movieWrapper && dlg.videoView->movieWrapper->movie) {
        EngineHaltMovie(dlg.videoView->movieWrapper->movie);
    }
}

void CVindrelDlg::ListHost::StopPlayback() { dlg.StopPlayback(); }
void CVindrelDlg::ListHost::ShowMapForCurrent() { dlg.ShowMapForCurrent(); }
bool CVindrelDlg::ListHost::RecordingLoaded() const { return dlg.recordingLoaded; }
void CVindrelDlg::ListHost::SetRecordingLoaded(bool loaded) { dlg.recordingLoaded = loaded; }
void CVindrelDlg::ListHost::SetStopped(bool on) { dlg.stopped = on; }

QString CVindrelDlg::ListHost::BrowseForFolder()
{
    return dlg.services_.browseForFolder ? dlg.services_.browseForFolder(&dlg) : QString();
}
